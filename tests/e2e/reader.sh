#!/usr/bin/env bash
# The virtual reader: what it sends to the focused window (the order of the bits, the parity
# press, the holds), and how it answers bad arguments.
# Usage (on a private display): reader.sh VARNEL_READER X11_KEY_RECORDER
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
reader=$1 recorder=$2
e2e_setup

# sent ARGS...: the presses the recorder saw for one run of the reader, as bits (hold over
# 150 ms is a 1: the runs here use 60 and 240 ms holds).
sent() {
  "$recorder" >"$work/keys" &
  pid=$!
  for _ in $(seq 100); do grep -q ready "$work/keys" 2>/dev/null && break; sleep 0.05; done
  "$reader" --short 60 --long 240 "$@" >"$work/report" || fail "varnel-reader $* failed"
  kill "$pid"; wait "$pid" 2>/dev/null; pid=""
  awk '$2 == "F12" && $1 == "down" { t = $3 }
       $2 == "F12" && $1 == "up" { printf "%d", ($3 - t > 150) }' "$work/keys"
}

echo "bits and parity"
[[ $(sent 82) == 10100101 ]] || fail "82 should go out as 1010010 and parity 1, not $(sent 82)"
[[ $(sent 0) == 00000000 ]] || fail "0: $(sent 0)"
[[ $(sent 1 --bad-parity) == 00000010 ]] || fail "1 with bad parity: $(sent 1 --bad-parity)"
[[ $(sent 82 --cut 3) == 101 ]] || fail "82 cut after 3: $(sent 82 --cut 3)"
[[ $(sent --bits 0110) == 0110 ]] || fail "--bits 0110: $(sent --bits 0110)"
[[ $(sent 5 --count 2) == 0000101000001010 ]] || fail "two codes of 5"
grep -q "code 2, light after its last release" "$work/report" || fail "no report of the light"

echo "arguments"
"$reader" --help | grep -q -- "--bad-parity" || fail "--help does not describe the options"
for bad in "" "128" "--cut 9 1" "--bits 2" "1 --short x" "1 --what"; do
  # shellcheck disable=SC2086
  "$reader" $bad >/dev/null 2>"$work/err"
  status=$?
  (( status == 2 )) || fail "'$bad' exits $status, expected 2"
  grep -q "varnel-reader: " "$work/err" || fail "'$bad' gives no error message"
done
echo "PASS"
