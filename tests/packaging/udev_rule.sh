#!/usr/bin/env bash
# The reader's udev rule, checked on its text (nothing here runs udev): it matches the reader's
# event node alone by the properties udev's own input rules set, only tags it for the user at
# the seat, and sorts between the rules that set those properties and the one that acts on the tag.
# Usage: udev_rule.sh RULE_FILE
set -uo pipefail
export LC_ALL=C
fail() { echo "FAIL: $*" >&2; exit 1; }
rule=$1
name=$(basename "$rule")

[[ "$name" > "60-persistent-input.rules" ]] || fail "$name sorts before 60-persistent-input.rules"
[[ "$name" < "73-seat-late.rules" ]] || fail "$name sorts after 73-seat-late.rules"

rules=$(grep -v '^[[:space:]]*#' "$rule" | grep -v '^[[:space:]]*$')
[[ $(wc -l <<<"$rules") -eq 1 ]] || fail "not one rule: $rules"
for key in 'SUBSYSTEM=="input"' 'KERNEL=="event*"' 'ENV{ID_VENDOR_ID}=="04d9"' \
  'ENV{ID_MODEL_ID}=="1603"' 'ENV{ID_USB_INTERFACE_NUM}=="00"' 'TAG+="uaccess"'; do
  grep -qF -- "$key" <<<"$rules" || fail "the rule lacks $key"
done
# Matches and assignments, nothing else: no mode, group or owner, no parent's ATTRS.
keys=$(grep -oE '[A-Z_]+(\{[A-Za-z_]+\})?[=!+:]=?' <<<"$rules" | sed -E 's/[=!+:]+$//' | sort -u |
  tr '\n' ' ')
[[ "$keys" == "ENV{ID_MODEL_ID} ENV{ID_USB_INTERFACE_NUM} ENV{ID_VENDOR_ID} KERNEL SUBSYSTEM TAG " ]] ||
  fail "unexpected keys: $keys"
echo "PASS"
