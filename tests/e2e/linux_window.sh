#!/usr/bin/env bash
# The Linux program end to end, as a user and the reader meet it: start-up warning, the
# start-up light, a good, a bad and a cut code, codes sent while the program is stopped, a long
# hold that auto-repeats, a second start, closing, a kill during an answer, a window beside a
# service that ends. Started with --print, its first record is read and then nobody reads: the
# window works on. Started without, two `varnel --print` beside it follow it, each getting the
# same line, until it closes.
# Usage (on a private display): linux_window.sh VARNEL X11_CLOSE_WINDOW
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
varnel=$1 close_window=$2
e2e_setup
wm=""
followers=()
stop_more() {
  [[ -n "$wm" ]] && kill "$wm" 2>/dev/null && wait "$wm" 2>/dev/null
  ((${#followers[@]})) && kill -CONT "${followers[@]}" 2>/dev/null && kill "${followers[@]}" 2>/dev/null
}
follow_kind="with a window"
# start_window: a new start, its warning box closed, the main window in $main.
start_window() {
  "$varnel" 2>>"$work/stderr" &
  pid=$!
  box=$(wait_window Varnel 20) || fail "no warning box on a new start"
  xdotool windowfocus --sync "$box" key Return
  settle
  main=$(wait_window Varnel 10)
}

# send BITS [SHORT LONG]: one code, 100/300 ms holds unless told.
send() { press_code "${2:-100}" "${3:-300}" "$1"; }
# Waits until a display that follows a release has ended.
settle() { sleep 2.4; [[ $(light) == off ]] || fail "the light is still on after a display"; }

echo "start-up"
[[ $(light) == off ]] || fail "the light is on before the program starts"
"$varnel" --print > >(head -n 1 >"$work/records") 2>"$work/stderr" &
pid=$!
box=$(wait_window Varnel 20) || fail "no warning box: this machine has no reader attached"
[[ $(light) == off ]] || fail "the light went on before the warning was closed"
xdotool windowfocus --sync "$box" key Return
main=$(wait_window Varnel 10) || fail "no main window after the warning"
[[ "$main" != "$box" ]] || sleep 0.5
main=$(wait_window Varnel 10)
timeline=$(light_timeline 2600)
note "start-up light: $(echo $timeline)"
read -r first_t first_state <<<"$(head -n1 <<<"$timeline")"
[[ $first_state == on ]] || fail "the start-up light is not on"
off_at=$(awk '$2 == "off" { print $1; exit }' <<<"$timeline")
[[ -n "$off_at" ]] && (( off_at >= 1500 && off_at <= 2400 )) ||
  fail "the start-up light should go off about 2 s after start-up, not at ${off_at:-never}"
xdotool windowfocus --sync "$main"

echo "a good code: 165"
send 10100101
timeline=$(light_timeline 1300)
on_at=$(awk '$2 == "on" { print $1; exit }' <<<"$timeline")
[[ -n "$on_at" ]] || fail "no light after a good code"
note "light on $on_at ms into sampling; timeline: $(echo $timeline)"
shot_code good
shot_bits good_bits
shot_value good_value
(( $(share '#00FF00' good_value) > 50 )) || fail "Valore is not green after a good code"
[[ $(awk 'NR > 1 && $2 == "off"' <<<"$timeline") == "" ]] || fail "the good-code light is not steady"
note "record: $(cat "$work/records")"
grep -E -q '^\{"seq":1,"run":"[0-9a-f]{16}","time":"[^"]+","verdict":"good","value":165,"bits":"10100101","holds_ms":\[[0-9,]+\],"threshold_ms":[0-9]+,"margin_ms":[0-9]+,"link":"window","device":null,"typed":false\}$' \
  "$work/records" || fail "no record of the good code on standard output"
settle

echo "a bad code: 164"
send 10100100
timeline=$(light_timeline 3300)
changes=$(wc -l <<<"$timeline")
note "timeline: $(echo $timeline)"
(( changes >= 8 )) || fail "the light does not blink after a bad code ($changes changes)"
[[ $(light) == off ]] || fail "the light is not off after the error display"
(( $(said "cannot write the codes to standard output") == 1 )) ||
  fail "a closed standard output is not said once: $(cat "$work/stderr")"
send 10100100
sleep 1.2
shot_error bad_error
shot_code bad
shot_bits bad_bits
(( $(share '#FF0000' bad_error) > 1 )) || fail "no red error text after a bad code"
same_shots good bad && fail "a bad code shows the same as the good one"
settle

echo "a cut code: three presses"
send 101
timeline=$(light_timeline 3300)
note "timeline: $(echo $timeline)"
(( $(wc -l <<<"$timeline") >= 8 )) || fail "the light does not blink after a cut code"
[[ $(light) == off ]] || fail "the light is not off after the timeout display"
settle

# stall_during MS BITS: sends a code while the program is stopped for MS ms, from 0.4 s into it.
stall_during() {
  (sleep 0.4; kill -STOP "$pid"; sleep "$(awk "BEGIN { print $1 / 1000 }")"; kill -CONT "$pid") &
  send "$2"
  wait $!
}

echo "a good code while the program is stopped for half a second"
stall_during 500 10100101
timeline=$(light_timeline 2000)
note "timeline: $(echo $timeline)"
[[ $(awk '{ printf "%s ", $2 }' <<<"$timeline") == "off on " ]] ||
  fail "the light is not steady on after a good code sent during a stall"
shot_code stalled
same_shots good stalled || fail "a code sent during a stall shows another value"
settle

echo "a bad code while the program is stopped for 1.2 s"
stall_during 1200 10100100
sleep 1.2
shot_bits long_stall
shot_error long_stall_error
# Either the code as sent (164, "Parità") or a timeout that leaves the last code (165) shown.
if same_shots bad_bits long_stall; then
  note "decoded as sent"
  same_shots bad_error long_stall_error || fail "164 shown after a long stall without its parity error"
else
  note "cut: a timeout"
  same_shots good_bits long_stall || fail "a long stall shows a code that was not sent"
  same_shots bad_error long_stall_error && fail "a timeout after a long stall reads as a parity error"
fi
settle

echo "a good code held long enough to auto-repeat"
# A hold must stay under the quiet time, so the keyboard is made to repeat sooner: after 250 ms,
# 40 times a second. Measured from its last repeat, a 500 ms hold would read as a few ms.
xset r rate 250 40
send 10100101 100 500
xset r rate 660 25
sleep 1.2
[[ $(light) == on ]] || fail "a code with auto-repeating holds does not decode as good"
shot_code long
same_shots good long || fail "a code with auto-repeating holds shows another value"
settle

echo "a second start: the first window is asked to the front, and stays the only one"
# A window manager for this part, as a desktop has: it is what brings a window to the front.
openbox --sm-disable >/dev/null 2>&1 &
wm=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window && break; sleep 0.1; done
xdotool windowminimize --sync "$main"
"$varnel" 2>>"$work/stderr"
status=$?
(( status == 0 )) || fail "a second start ended with status $status"
for _ in $(seq 50); do [[ $(xdotool getactivewindow 2>/dev/null) == "$main" ]] && break; sleep 0.05; done
[[ $(xdotool getactivewindow 2>/dev/null) == "$main" ]] || fail "the running window did not come to the front"
windows=$(xdotool search --onlyvisible --name '^Varnel$')
[[ $(wc -l <<<"$windows") == 1 && $(xdotool getwindowpid "$windows") == "$pid" ]] ||
  fail "not one window, the first one's: $windows"
kill "$wm"
wait "$wm" 2>/dev/null
wm=""
xdotool windowfocus --sync "$main"
"$varnel" --headless 2>"$work/second"
status=$?
(( status == 1 )) && grep -q "already runs in this session (process $pid, with a window)" "$work/second" ||
  fail "a second start with --headless: status $status, $(cat "$work/second")"
# With --print it follows the first one instead, and says so.
follow second
kill "$follower"
wait "$follower" 2>/dev/null
followers=()

echo "closing the window"
send 10100101
sleep 1.1
[[ $(light) == on ]] || fail "no light to switch off"
"$close_window" "$main"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || fail "the program ended with status $status"
[[ $(light) == off ]] || fail "the light stays on after the window closed"

echo "a window without --print, followed by two programs"
start_window
follow one
follow other
xdotool windowfocus --sync "$main"
send 10100101
for _ in $(seq 60); do [[ -s "$work/one" && -s "$work/other" ]] && break; sleep 0.05; done
sleep 0.3  # a second line, if one came, would be there by now
note "followed: $(cat "$work/one")"
grep -E -q '^\{"seq":1,"run":"[0-9a-f]{16}","time":"[^"]+","verdict":"good","value":165,"bits":"10100101",.*"link":"window","device":null,"typed":false\}$' \
  "$work/one" && [[ $(wc -l <"$work/one") == 1 ]] && cmp -s "$work/one" "$work/other" ||
  fail "the followers' lines of a good code: $(cat "$work/one") / $(cat "$work/other")"
settle
"$close_window" "$main"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || fail "the followed window ended with status $status"
for follower in "${followers[@]}"; do
  wait "$follower"
  status=$?
  (( status == 0 )) || fail "a follower of a closed window ended with status $status"
done
followers=()
grep -q "the Varnel of process [0-9]* has ended" "$work/one.err" || fail "the end of following: $(cat "$work/one.err")"

echo "killed during a good code's answer, and started again at once"
start_window
xdotool windowfocus --sync "$main"
send 10100101
kill_during_answer light
wait "$pid" 2>/dev/null
pid=""

# Each signal that ends a program from a terminal or a session closes the window the ordinary
# way: exit status 0 and the light off, also while the start-up light is on.
for signal in TERM INT HUP; do
  echo "SIG$signal while the light is on"
  "$varnel" 2>>"$work/stderr" &
  pid=$!
  box=$(wait_window Varnel 20) || fail "no warning box on a new start"
  xdotool windowfocus --sync "$box" key Return
  sleep 0.7
  [[ $(light) == on ]] || fail "no start-up light"
  kill -"$signal" "$pid"
  wait "$pid"
  status=$?
  pid=""
  (( status == 0 )) || fail "SIG$signal: the program ended with status $status"
  [[ $(light) == off ]] || fail "the light stays on after SIG$signal"
done

echo "SIGTERM while the warning is open"
"$varnel" 2>>"$work/stderr" &
pid=$!
wait_window Varnel 20 >/dev/null || fail "no warning box on a new start"
kill -TERM "$pid"
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "SIGTERM does not end the program while the warning is open"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || fail "SIGTERM during the warning: status $status"
[[ $(light) == off ]] || fail "the light is on after SIGTERM during the warning"

echo "a window start while Varnel runs without one: its codes shown beside it, until it ends"
"$varnel" --headless >/dev/null 2>>"$work/stderr" &
pid=$!
for _ in $(seq 100); do grep -q " headless" "$XDG_RUNTIME_DIR/varnel.lock" 2>/dev/null && break; sleep 0.05; done
"$varnel" 2>"$work/viewer.err" &
viewer=$!
followers=("$viewer")
shown=$(wait_window Varnel 20) || fail "no window beside the service"
for _ in $(seq 100); do grep -q "showing the codes" "$work/viewer.err" && break; sleep 0.05; done
grep -q "showing the codes of the Varnel that runs in this session (process $pid, without a window)" \
  "$work/viewer.err" || fail "the window beside the service: $(cat "$work/viewer.err")"
kill -TERM "$pid"
wait "$pid"
pid=""
# It says so in a box of its own, and ends once that is closed.
for _ in $(seq 100); do
  box=$(xdotool search --onlyvisible --name '^Varnel$' | grep -vx "$shown" | head -n1)
  [[ -n "$box" ]] && break
  sleep 0.05
done
[[ -n "$box" ]] || fail "the window beside the service does not say that it has ended"
grep -q "the Varnel of process [0-9]* has ended" "$work/viewer.err" || fail "$(cat "$work/viewer.err")"
xdotool windowfocus --sync "$box" key Return
wait "$viewer"
status=$?
followers=()
(( status == 0 )) || fail "the window beside the service ended with status $status"
echo "PASS"
