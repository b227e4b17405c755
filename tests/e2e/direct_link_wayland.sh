#!/usr/bin/env bash
# The direct link on a Wayland compositor, with no X display at all: the program starts, takes up
# the reader's input device and answers a good code on the reader's own light; the compositor
# dies during the next answer, and the reader's light goes off all the same. Before that, --type,
# which weston offers no means for, is refused in one line naming the means it would need.
# Usage (as a client of a private compositor, see scripts/with-weston):
#   direct_link_wayland.sh VARNEL VARNEL_READER
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
varnel=$1 reader=$2
e2e_setup
stop_more() { device_stop; }
[[ -z "${DISPLAY:-}" && -n "${WAYLAND_DISPLAY:-}" ]] || fail "this is not a Wayland session alone"
device_start "$reader"

echo "--type on a compositor with no means of typing: refused in one line"
"$varnel" --type 2>"$work/stderr" >/dev/null
status=$?
refusal="varnel: --type on Wayland needs GNOME's remote desktop"*zwp_virtual_keyboard_manager_v1*
(( status == 2 )) && [[ $(wc -l <"$work/stderr") == 1 && $(cat "$work/stderr") == $refusal ]] ||
  fail "--type on weston: status $status, $(cat "$work/stderr")"

echo "start-up on Wayland"
device led
"$varnel" 2>"$work/stderr" &
pid=$!
wait_said "direct link to the reader up" 5000 >/dev/null
device_startup_light

echo "a good code"
device_code 10100101
device_good

echo "the compositor killed during a good code's answer"
device_code 10100101
kill_during_answer device_light "$WESTON_PID"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the program outlives its compositor"
wait "$pid"
pid=""
echo "PASS"
