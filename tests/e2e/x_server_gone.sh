#!/usr/bin/env bash
# When the X server goes away under it, the program ends by itself, promptly, with a message
# that says why, and without crashing. This test runs its own X server so that it can end it.
# Usage: x_server_gone.sh VARNEL
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
varnel=$1
e2e_setup
xvfb=""
stop_more() { [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null; }

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 200); do [[ -s "$work/display" ]] && break; sleep 0.05; done
export DISPLAY=":$(head -n1 "$work/display")"

for when in "during the warning" "while running"; do
  echo "the X server ends $when"
  "$varnel" 2>"$work/stderr" &
  pid=$!
  box=$(wait_window Varnel 20) || fail "the program shows no window"
  if [[ $when == "while running" ]]; then
    xdotool windowfocus --sync "$box" key Return
    sleep 1
  fi
  kill "$xvfb"
  wait "$xvfb" 2>/dev/null
  xvfb=""
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$pid" 2>/dev/null && fail "the program is still running 5 s after the X server ended"
  wait "$pid"
  status=$?
  pid=""
  (( status > 0 && status < 128 )) || fail "it ended with status $status (a crash or a kill?)"
  grep -q -i "X server\|X11 connection" "$work/stderr" || fail "no message: $(cat "$work/stderr")"
  note "exit status $status: $(tr '\n' ' ' <"$work/stderr")"
  if [[ $when == "during the warning" ]]; then
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>/dev/null &
    xvfb=$!
    : >"$work/display"
    for _ in $(seq 200); do [[ -s "$work/display" ]] && break; sleep 0.05; done
    export DISPLAY=":$(head -n1 "$work/display")"
  fi
done
echo "PASS"
