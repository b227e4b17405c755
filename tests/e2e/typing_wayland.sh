#!/usr/bin/env bash
# --type on a Wayland compositor that offers a means of typing, with no X display at all: GNOME's
# remote desktop on mutter, the virtual keyboard on sway (with a French layout, which must not
# change a digit). The reader is its own input device; a text window of the test's own is in
# front. A good code types its value and Enter there, a bad one nothing, and the records say so;
# on sway, a code with Varnel's own window active types nothing.
# Usage (as a client of a private compositor, see scripts/with-mutter and scripts/with-sway):
#   typing_wayland.sh mutter|sway VARNEL VARNEL_READER WAYLAND_TEXT_WINDOW
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
compositor=$1 varnel=$2 reader=$3 window=$4
e2e_setup
window_pid=""
stop_more() {
  [[ -n "$window_pid" ]] && kill "$window_pid" 2>/dev/null && wait "$window_pid" 2>/dev/null
  device_stop
}
[[ -z "${DISPLAY:-}" && -n "${WAYLAND_DISPLAY:-}" ]] || fail "this is not a Wayland session alone"
device_start "$reader"

echo "typing on $compositor: a start with --type and --print"
device led
"$varnel" --type --print >"$work/records" 2>"$work/stderr" &
pid=$!
wait_said "direct link to the reader up" 5000 >/dev/null
device_startup_light
"$window" >"$work/keys" 2>"$work/window.err" &
window_pid=$!
for _ in $(seq 200); do grep -q '^ready' "$work/keys" && break; sleep 0.05; done
grep -q '^ready' "$work/keys" || fail "the text window got no focus: $(cat "$work/window.err")"

echo "a good code types its value and Enter into the window in front, whole"
device_code 10100101
wait_typed '165\r'
note "typed by $(( $(mono_ms) - released )) ms after the last release"
[[ $(record_typed 1) == '"typed":true' ]] ||
  fail "the good code's record: $(sed -n 1p "$work/records")"

echo "a bad code types nothing"
typed_bad_code 2 '165\r'

if [[ $compositor == sway ]]; then
  echo "Varnel's own window active: nothing typed"
  swaymsg '[title="^Varnel$"] focus' >/dev/null || fail "sway cannot focus Varnel's window"
  for _ in $(seq 100); do [[ $(tail -n1 "$work/keys") == unfocused ]] && break; sleep 0.05; done
  [[ $(tail -n1 "$work/keys") == unfocused ]] || fail "the text window kept the focus"
  device_code 10100101
  device_good
  [[ $(typed) == '165\r' ]] || fail "typed with Varnel's window active: '$(typed)'"
  [[ $(record_typed 3) == '"typed":false,"untyped":"own-window"' ]] ||
    fail "the record with Varnel's window active: $(sed -n 3p "$work/records")"
fi
(( $(said "not typed") == 0 )) || fail "a code said not typed: $(cat "$work/stderr")"
kill "$pid"; wait "$pid"; pid=""
echo "PASS"
