#!/usr/bin/env bash
# The direct link on a Wayland compositor, with no X display at all: the program starts, takes up
# the reader's input device and answers a good code on the reader's own light.
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

echo "start-up on Wayland"
device led
"$varnel" 2>"$work/stderr" &
pid=$!
wait_said "direct link to the reader up" 5000 >/dev/null
device_startup_light

echo "a good code"
device_code 10100101
device_good
kill "$pid"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || fail "the program ended with status $status: $(cat "$work/stderr")"
echo "PASS"
