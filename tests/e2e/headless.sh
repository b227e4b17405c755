#!/usr/bin/env bash
# Varnel as a service, with no display at all and the virtual reader as the reader's input
# device: --help and --version, --type refused, the start-up light, a second service refused, a good, a bad and a
# cut code as three records on standard output with the reader's light answering each, the light
# again for a reader plugged back in, the end once nobody reads the records any more, and
# SIGTERM. Beside it, `varnel --print` follows it: sixteen at most, one of them stopped without
# holding up the light, none of another user.
# Usage: headless.sh VARNEL VARNEL_READER
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
varnel=$1 reader=$2
e2e_setup
followers=()
stop_more() {
  device_stop
  ((${#followers[@]})) && kill -CONT "${followers[@]}" 2>/dev/null && kill "${followers[@]}" 2>/dev/null
}
follow_kind="without a window"
unset DISPLAY WAYLAND_DISPLAY

echo "--help and --version without a display"
"$varnel" --help >"$work/help" 2>&1 || fail "--help: status $?"
grep -q -- "--headless" "$work/help" || fail "--help does not tell of --headless: $(cat "$work/help")"
[[ $("$varnel" --version) == "varnel "[0-9]* ]] || fail "--version: $("$varnel" --version 2>&1)"
[[ $("$reader" --version) == "varnel-reader $("$varnel" --version | cut -d' ' -f2)" ]] ||
  fail "varnel-reader --version: $("$reader" --version 2>&1)"
for display in "" ":4711"; do  # none, and one that nobody answers
  DISPLAY=$display "$varnel" 2>"$work/stderr"
  status=$?
  (( status == 1 )) && [[ $(cat "$work/stderr") == "varnel: no X11 or Wayland display; "* ]] ||
    fail "a window start with DISPLAY='$display': status $status, $(cat "$work/stderr")"
done

echo "--type: refused without a display, and an end it does not know with the usage"
"$varnel" --headless --type 2>"$work/stderr"
status=$?
(( status == 2 )) && [[ $(cat "$work/stderr") == "varnel: --type needs a display: with --headless"* ]] ||
  fail "--headless --type: status $status, $(cat "$work/stderr")"
"$varnel" --type=space 2>"$work/stderr"
status=$?
(( status == 2 )) && grep -q "^Usage: varnel" "$work/stderr" ||
  fail "--type=space: status $status, $(cat "$work/stderr")"
grep -q -- "--type\[=END\]" "$work/help" || fail "--help does not tell of --type"

device_start "$reader"
echo "start-up"
device led
# Three records are read, and then nobody reads any more.
"$varnel" --headless > >(head -n 3 >"$work/records") 2>"$work/stderr" &
pid=$!
wait_said "direct link to the reader up" 5000 >/dev/null
device_startup_light
grep -q "platforms/libq" "/proc/$pid/maps" && fail "a display plugin is loaded"
"$varnel" --headless >"$work/second.out" 2>"$work/second"
status=$?
(( status == 1 )) && grep -q "already runs in this session (process $pid, without a window)" "$work/second" &&
  [[ ! -s "$work/second.out" ]] || fail "a second service: status $status, $(cat "$work/second")"

echo "programs follow the service: one stopped, sixteen at most, and none of another user"
follow stopped
stopped=$follower
kill -STOP "$stopped"
follow followed
followed=$follower
for i in $(seq 3 16); do follow "more$i"; done
"$varnel" --print >"$work/seventeenth" 2>&1
status=$?
(( status == 1 )) && grep -q "16 programs already follow this Varnel" "$work/seventeenth" ||
  fail "a seventeenth follower: status $status, $(cat "$work/seventeenth")"
kill "${followers[@]:2}"
wait "${followers[@]:2}" 2>/dev/null
followers=("$stopped" "$followed")
if (( $(id -u) == 0 )); then
  # Nobody, allowed past the files' modes: what keeps it out is the socket's own check.
  setpriv --reuid=nobody --regid=nogroup --clear-groups --inh-caps=+dac_override \
    --ambient-caps=+dac_override "$varnel" --print >"$work/nobody" 2>"$work/nobody.err"
  status=$?
  (( status == 1 )) && grep -q "to its own user's programs only" "$work/nobody.err" &&
    [[ ! -s "$work/nobody" ]] || fail "another user's follower: status $status, $(cat "$work/nobody.err")"
else
  note "not root: no other user to follow as"
fi

echo "a good code and a bad one, a follower stopped all along"
device_code 10100101
device_good
device_code 10100100
device_blinks

echo "the reader plugged back in: its light shows again"
device unplug
wait_said "direct link to the reader down" 3000 >/dev/null
device plug
# Taken up at the next read of the device list, within about a second.
for _ in $(seq 100); do [[ $(device_lights | tr '\n' ' ') == *on*off* ]] && break; sleep 0.05; done
lights=$(device_lights)
note "device light: $(echo $lights)"
[[ $(awk '{ printf "%s ", $2 }' <<<"$lights") == "on off " ]] &&
  (( $(awk '{ print $1 - t; t = $1 }' <<<"$lights" | tail -n1) >= 1900 )) ||
  fail "no light for the reader plugged back in"

echo "a cut code"
device_code 101
device_blinks
for _ in $(seq 50); do [[ $(wc -l <"$work/records") == 3 ]] && break; sleep 0.1; done
cat "$work/records"
fields='"seq":[0-9]+,"run":"[0-9a-f]{16}","time":"[0-9-]{10}T[0-9:]{8}\.[0-9]{3}[+-][0-9]{2}:[0-9]{2}","verdict"'
node="\"link\":\"direct\",\"device\":\"$work/reader/input/event[0-9]+\",\"typed\":false}"
grep -E -q "^\{$fields:\"good\",\"value\":165,\"bits\":\"10100101\",\"holds_ms\":\[[0-9]+(,[0-9]+){7}\],\"threshold_ms\":[0-9]+,\"margin_ms\":[0-9]+,$node\$" \
  <(sed -n 1p "$work/records") || fail "the good code's record"
grep -E -q "^\{$fields:\"parity\",\"value\":164,\"bits\":\"10100100\"" <(sed -n 2p "$work/records") ||
  fail "the bad code's record"
grep -E -q "^\{$fields:\"timeout\",\"value\":null,\"bits\":null,\"holds_ms\":\[[0-9]+,[0-9]+,[0-9]+\],\"threshold_ms\":null,\"margin_ms\":null,$node\$" \
  <(sed -n 3p "$work/records") || fail "the cut code's record"
[[ $(cut -d, -f1 "$work/records" | tr '\n' ' ') == '{"seq":1 {"seq":2 {"seq":3 ' ]] ||
  fail "the records are not numbered 1, 2, 3"

diff "$work/records" "$work/followed" || fail "the follower's lines are not the service's"
kill -CONT "$stopped"

echo "nobody reads the records any more"
device_code 10100101
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$pid" 2>/dev/null && fail "the service goes on with nobody to read its records"
wait "$pid"
status=$?
pid=""
(( status == 0 )) || fail "status $status once standard output closed"
(( $(said "cannot write the codes to standard output") == 1 )) || fail "not said once: $(cat "$work/stderr")"
[[ $(device_lights | tail -n1) != *on ]] || fail "the reader's light was left on"
for follower in "$stopped" "$followed"; do
  wait "$follower"
  status=$?
  (( status == 0 )) || fail "a follower ended with status $status once the service ended"
done
followers=()
grep -q "the Varnel of process [0-9]* has ended" "$work/followed.err" || fail "the end of following: $(cat "$work/followed.err")"
(( $(wc -l <"$work/followed") == 4 )) || fail "the follower has not every code: $(cat "$work/followed")"

echo "SIGTERM during the start-up light"
device led
"$varnel" --headless >/dev/null 2>"$work/stderr" &
pid=$!
for _ in $(seq 100); do [[ $(device_light) == on ]] && break; sleep 0.05; done
[[ $(device_light) == on ]] || fail "no start-up light"
kill -TERM "$pid"
wait "$pid"
status=$?
pid=""
(( status == 0 )) && [[ $(device_light) == off ]] || fail "SIGTERM: status $status, light $(device_light)"
echo "PASS"
