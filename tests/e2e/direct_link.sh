#!/usr/bin/env bash
# The direct link to the reader's own input device, with the real program and the virtual reader
# playing that device: good, bad and cut codes, the desktop writing the reader's light during an
# answer, a code while another window has the focus, an F12
# of another keyboard in the middle of a code, the reader pulled out mid-code and plugged back,
# a person's keyboard with the reader's identity; then, on a new start, the permission fallback,
# and the program killed during an answer; then, on a start with --type and a pace between keys,
# the codes typed into a test window in front: on a US and a French layout, on a map that lacks
# a digit, under a Shift held for a moment and for too long, and nothing while Varnel's own
# window is in front, while another window holds the keyboard grab or the screen saver is on;
# then the kept choices, each case from an empty config home: typing kept with --remember, a
# command line that wins for its run, a damaged kept file, the start at login, typing turned on
# from the window's menu; and a window beside the service, showing its codes.
# The reader sees its own light; the window is checked on screenshots.
# Usage (on a private display): direct_link.sh VARNEL VARNEL_READER X11_KEY_RECORDER
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
varnel=$1 reader=$2 recorder=$3
e2e_setup
recorder_pid="" grabber=""
service=""
stop_more() {
  [[ -n "$recorder_pid" ]] && kill "$recorder_pid" 2>/dev/null && wait "$recorder_pid" 2>/dev/null
  [[ -n "$grabber" ]] && kill "$grabber" 2>/dev/null && wait "$grabber" 2>/dev/null
  [[ -n "$service" ]] && kill "$service" 2>/dev/null && wait "$service" 2>/dev/null
  device_stop
}
device_start "$reader"

# The desktop's Scroll Lock is left alone while the link is up.
desktop_dark() { [[ $(light) == off ]] || fail "the desktop's Scroll Lock light went on $*"; }

echo "start-up on the direct link"
device led
"$varnel" 2>"$work/stderr" &
pid=$!
main=$(wait_window Varnel 20) || fail "no window"
wait_said "direct link to the reader up" 3000 >/dev/null
device_startup_light
(( $(said "cannot be taken for this program alone") == 1 )) || fail "the refused grab is not told once"
desktop_dark "at start-up"
xdotool windowfocus --sync "$main"

echo "a good code: 82, value 165"
shots_good() { shot_code good; shot_value good_value; desktop_dark "after a good code"; }
device_code 10100101
device_good shots_good
(( $(share '#00FF00' good_value) > 50 )) || fail "Valore is not green after a good code"

echo "the desktop switches the reader's light off during a good code's answer"
device_code 10100101
code_mark=$mark code_answered=$answered
device_wait_lights 1 1500
[[ $(device_lights) == *on ]] || fail "no answer on the device's light"
device set-led off  # another program's write, as the desktop's when Caps Lock changes
mark=$code_mark answered=$code_answered
device_wait_lights 4 3000
lights=$(device_lights)
note "device light: $(echo $lights)"
[[ $(awk '{ printf "%s ", $2 }' <<<"$lights") == "on off on off " ]] ||
  fail "the light is not put back after the desktop's write, or not off after the answer"
back=$(awk 'NR == 2 { t = $1 } NR == 3 { print $1 - t }' <<<"$lights")
note "put back $back ms after the desktop's write"
(( back < 250 )) || fail "the light came back only after $back ms"
(( $(awk 'NR == 1 { t = $1 } NR == 4 { print $1 - t }' <<<"$lights") <= 2200 )) ||
  fail "the answer did not end on time"

echo "a bad code"
shots_bad() { shot_code bad; shot_error bad_error; }
device_code 10100100
device_blinks shots_bad
(( $(share '#FF0000' bad_error) > 1 )) || fail "no red error text after a bad code"
same_shots good bad && fail "a bad code shows the same as the good one"

echo "a cut code"
device_code 101
device_blinks shot_error cut_error
(( $(share '#FF0000' cut_error) > 1 )) || fail "no red error text after a cut code"
same_shots bad_error cut_error && fail "a cut code reads as a parity error"

echo "a good code while another window has the focus: 5, value 10"
"$recorder" >"$work/keys" &
recorder_pid=$!
for _ in $(seq 100); do grep -q ready "$work/keys" 2>/dev/null && break; sleep 0.05; done
other=$(wait_window x11-key-recorder 5) || fail "no other window"
xdotool windowfocus --sync "$other"
shots_focus() {
  kill "$recorder_pid"; wait "$recorder_pid" 2>/dev/null; recorder_pid=""
  shot_value focus_value
}
device_code 00001010
device_good shots_focus
note "the focused window got $(grep -c F12 "$work/keys") F12 events"
(( $(share '#00FF00' focus_value) > 50 )) || fail "Valore is not green after a code sent elsewhere"
same_shots good_value focus_value && fail "a code sent while another window had the focus was lost"

echo "an F12 of another keyboard in the middle of a code"
xdotool windowfocus --sync "$main"
(sleep 0.7; xdotool keydown F12 sleep 0.1 keyup F12) &
device_code 10100101
wait $!
device_good shot_code other_keyboard
same_shots good other_keyboard || fail "an F12 of another keyboard changed the code"

echo "the reader pulled out while the last press of a code is down, then plugged back in"
device_code 1010010
device down
device unplug
# The light has no device now: the program's display carries on with the desktop's light.
light_timeline 2500 >"$work/timeline" &
wait_said "direct link to the reader down" 2000 >/dev/null
shot_error unplugged_error
wait $!
note "desktop light: $(tr '\n' ' ' <"$work/timeline")"
(( $(wc -l <"$work/timeline") >= 6 )) || fail "no blinking after the reader was pulled out"
same_shots cut_error unplugged_error || fail "a code cut by the reader's removal does not show Timeout"
device plug
took=$(wait_said "up, through .*event18" 2000) || exit 1
note "the link came up again $took ms after the reader was plugged in"
shots_replugged() { shot_code replugged; desktop_dark "after a code on the reader plugged back in"; }
device_code 10100101
device_good shots_replugged
same_shots good replugged || fail "a good code after plugging the reader back in shows another value"
shot_code idle

echo "a device with the reader's identity that types other keys"
device key a
wait_said "person's keyboard" 1000 >/dev/null
device_code 00001010
sleep 2.2  # two scans of the device list
[[ -z $(device_lights) ]] || fail "the program still drives the light of a person's keyboard"
shot_code after_person
same_shots idle after_person || fail "an F12 of a person's keyboard was counted"
(( $(said "sent a key other than F12") == 1 && $(said "up, through") == 2 )) ||
  fail "a person's keyboard is not let go of once and for all: $(cat "$work/stderr")"
kill "$pid"; wait "$pid"; pid=""

# Root opens any file: the device itself refuses, as a node without the seat's permission would.
echo "the permission fallback: a new start while the device cannot be opened"
device deny
"$varnel" 2>"$work/stderr" &
pid=$!
main=$(wait_window Varnel 20) || fail "no window"
xdotool windowfocus --sync "$main"
press_code 100 300 10100101
timeline=$(light_timeline 1000)
note "desktop light: $(echo $timeline)"
[[ $(tail -n1 <<<"$timeline") == *on ]] || fail "a code through the window lights no light"
shot_code window_good
same_shots good window_good || fail "a good code through the window shows another value"
device allow
took=$(wait_said "direct link to the reader up" 1500) || exit 1
note "the direct link came up $took ms after the device could be opened"
desktop_dark "once the direct link is up: the display goes on on the device"
(( $(said "cannot open the reader's device") == 1 )) || fail "the reason is not told once"
[[ $(device_lights) == *on ]] || fail "the display in progress did not move to the device"
sleep 2
device_code 00001010
device_good shot_value device_after_window
same_shots focus_value device_after_window || fail "a device code after the fallback shows another value"

echo "killed during a good code's answer"
device_code 10100101
kill_during_answer device_light
wait "$pid" 2>/dev/null
pid=""

echo "typing: a start with --type, 30 ms between keys, and --print"
device led
"$varnel" --type --type-delay=30 --print >"$work/records" 2>"$work/stderr" &
pid=$!
main=$(wait_window Varnel 20) || fail "no window"
wait_said "direct link to the reader up" 3000 >/dev/null
device_startup_light
(( $(said "typing") == 0 )) || fail "typing on the direct link is not silent: $(cat "$work/stderr")"
"$recorder" --raw >"$work/keys" &
recorder_pid=$!
for _ in $(seq 100); do grep -q ready "$work/keys" 2>/dev/null && break; sleep 0.05; done
other=$(wait_window x11-key-recorder 5) || fail "no test window"
xdotool windowfocus --sync "$other"
lent() { xmodmap -pke | awk '$4 == "1" { print $2 }'; }
expected=""

echo "a good code types its value and Enter into the window in front; a bad one nothing"
device_code 10100101
expected+='165\r'
wait_typed "$expected"
typed_at=$(mono_ms)
device_wait_lights 1 1500
note "typed by $(( typed_at - released )) ms after the last release, the light on at" \
  "$(( $(device_lights | awk '{ print $1; exit }') + answered - released )) ms"
[[ $(record_typed 1) == '"typed":true' ]] || fail "the good code's record: $(sed -n 1p "$work/records")"
gaps=$(awk '$1 == "down" { if (t) printf "%d ", $3 - t; t = $3 }' "$work/keys")
note "between the keys typed: $gaps ms"
awk '{ exit !(NF == 3 && $1 >= 28 && $2 >= 28 && $3 >= 28) }' <<<"$gaps" ||
  fail "the keys were not 30 ms apart: $gaps"
typed_bad_code 2 "$expected"

echo "on a French layout, the same code types the same digits from the shifted level"
setxkbmap fr
device_code 10100101
expected+='165\r'
wait_typed "$expected"
grep -q "^down ampersand" "$work/keys" || fail "the French layout was not in force"
[[ $(record_typed 3) == '"typed":true' ]] || fail "the record of the code on the French layout"
setxkbmap us

echo "a map without a 1: the 1 goes on a spare key for the moment, then the key is put back"
xmodmap -e 'keycode 10 = exclam exclam'
[[ -z $(lent) ]] || fail "the map still has a 1"
device_code 10100101
expected+='165\r'
wait_typed "$expected"
for _ in $(seq 50); do [[ -z $(lent) ]] && break; sleep 0.05; done
[[ -z $(lent) ]] || fail "the spare key $(lent) was not put back"
xmodmap -e 'keycode 10 = 1 exclam'

echo "a Shift held as the code is decided: typed once it is let go, without it"
xdotool keydown shift
device_code 10100101
device_wait_lights 1 1500
sleep 0.4
[[ $(typed) == "$expected" ]] || fail "typed under Shift: '$(typed)'"
xdotool keyup shift
expected+='165\r'
wait_typed "$expected"
echo "held for more than a second: not typed, and said"
xdotool keydown shift
device_code 10100101
device_wait_lights 1 1500
given_up() { (( $(said "code 165 not typed: a modifier key") )); }
for _ in $(seq 100); do given_up && break; sleep 0.02; done
given_up || fail "no code given up under Shift: typed '$(typed)'; the records:" \
  "$(tail -n2 "$work/records"); the messages: $(cat "$work/stderr")"
xdotool keyup shift
sleep 0.3
[[ $(typed) == "$expected" ]] || fail "a code given up was typed: '$(typed)'"
[[ $(record_typed 6) == '"typed":false,"untyped":"modifier"' ]] || fail "the record of the code given up"

echo "Varnel's own window in front: nothing typed anywhere"
xdotool windowfocus --sync "$main"
presses=$(grep -c '^raw ' "$work/keys")
device_code 10100101
device_good
(( $(grep -c '^raw ' "$work/keys") == presses )) || fail "keys were typed with Varnel in front"
[[ $(record_typed 7) == '"typed":false,"untyped":"own-window"' ]] ||
  fail "the record of the code with Varnel in front"

echo "a window holding the keyboard grab gets nothing; once it is gone, the next code is typed"
"$recorder" --grab >"$work/grabber" &
grabber=$!
for _ in $(seq 100); do grep -q ready "$work/grabber" 2>/dev/null && break; sleep 0.05; done
grep -q grabbed "$work/grabber" || fail "the test window could not take the keyboard grab"
device_code 10100101
wait_said "code 165 not typed: another program holds the keyboard" 3000 >/dev/null
kill "$grabber"; wait "$grabber" 2>/dev/null; grabber=""
(( $(grep -c '^raw ' "$work/keys") == presses )) || fail "keys were typed into a grab"
[[ $(record_typed 8) == '"typed":false,"untyped":"grab"' ]] || fail "the record of the code in a grab"
xdotool windowfocus --sync "$other"
device_code 10100101
expected+='165\r'
wait_typed "$expected"
echo "the screen saver on: nothing typed, and the record says locked"
xset s activate
device_code 10100101
wait_said "code 165 not typed: the screen is locked" 3000 >/dev/null
xset s reset
[[ $(record_typed 10) == '"typed":false,"untyped":"locked"' ]] ||
  fail "the record of the code under the screen saver"
[[ $(typed) == "$expected" ]] || fail "typed under the screen saver: '$(typed)'"
(( $(said "not typed") == 3 )) || fail "more than a line a cause said: $(cat "$work/stderr")"
kill "$pid"; wait "$pid"; pid=""

# kept_start [OPTION...]: a start on the direct link, its window in $main.
kept_start() {
  "$varnel" "$@" 2>"$work/stderr" &
  pid=$!
  main=$(wait_window Varnel 20) || fail "no window"
  wait_said "direct link to the reader up" 3000 >/dev/null
}
# front_recorder: a new test window in front, the text it gets in typed.
front_recorder() {
  [[ -n "$recorder_pid" ]] && kill "$recorder_pid" && wait "$recorder_pid" 2>/dev/null
  "$recorder" --raw >"$work/keys" &
  recorder_pid=$!
  for _ in $(seq 100); do grep -q ready "$work/keys" 2>/dev/null && break; sleep 0.05; done
  other=$(wait_window x11-key-recorder 5) || fail "no test window"
  xdotool windowfocus --sync "$other"
}
# typed_code TEXT: a good code, typed as TEXT into the test window.
typed_code() {
  front_recorder
  device_code 10100101
  wait_typed "$1"
  kill "$pid"; wait "$pid"; pid=""
}

echo "kept: --remember --type=tab, then a plain start types 165 and Tab"
fresh_config
"$varnel" --remember --type=tab || fail "--remember --type=tab: status $?"
[[ $(kept) == *"type=tab"* ]] || fail "not kept: $(kept)"
kept_start
typed_code '165\t'
echo "--type=enter on the command line wins for its run, and changes nothing kept"
kept_start --type=enter
typed_code '165\r'
[[ $(kept) == *"type=tab"* ]] || fail "what is kept changed: $(kept)"

echo "a damaged kept file: said once, and what it holds of use is used"
fresh_config
mkdir -p "$XDG_CONFIG_HOME/varnel"
printf '[General]\ntype=tab\ntype-delay=7\n[broken\n' >"$XDG_CONFIG_HOME/varnel/varnel.conf"
kept_start
(( $(said "varnel.conf: cannot be read wholly") == 1 && $(said "kept choices") == 1 )) ||
  fail "the damaged file is not said once: $(cat "$work/stderr")"
typed_code '165\t'

echo "start at login: written by --start-at-login=yes, removed by no"
fresh_config
entry=$XDG_CONFIG_HOME/autostart/varnel.desktop
"$varnel" --remember --start-at-login=yes || fail "--start-at-login=yes: status $?"
grep -qxF "Exec=$(realpath "$varnel")" "$entry" || fail "the autostart entry: $(cat "$entry")"
desktop-file-validate "$entry" || fail "the autostart entry is not a valid desktop entry"
[[ -z $(kept) ]] || fail "--start-at-login kept more: $(kept)"
"$varnel" --remember --start-at-login=no || fail "--start-at-login=no: status $?"
[[ ! -e "$entry" ]] || fail "the autostart entry is still there"

echo "the menu: a right click, then the keyboard, turns typing on for the next code"
fresh_config
kept_start
# shown N: until the program shows N windows, its menus among them.
shown() {
  for _ in $(seq 100); do
    (( $(xdotool search --onlyvisible --pid "$pid" 2>/dev/null | wc -l) >= $1 )) && return 0
    sleep 0.05
  done
  fail "the program shows $(xdotool search --onlyvisible --pid "$pid" | wc -l) windows, not $1"
}
xdotool windowfocus --sync "$main" mousemove --window "$main" 40 60 click 3
shown 2
xdotool key Down Right  # to "Scrivi i codici nel programma in primo piano", and into it at "No"
shown 3
xdotool key Down Return  # "Sì, seguiti da Invio"
for _ in $(seq 50); do [[ $(kept) == *"type=enter"* ]] && break; sleep 0.05; done
[[ $(kept) == *"type=enter"* ]] || fail "the menu's choice is not kept: $(kept)"
typed_code '165\r'

echo "a window beside the service shows its codes; the reader gets one answer"
fresh_config
device led
"$varnel" --headless >"$work/service.out" 2>"$work/service.err" &
service=$!
for _ in $(seq 100); do grep -q "direct link to the reader up" "$work/service.err" && break; sleep 0.05; done
device_startup_light
"$varnel" 2>"$work/stderr" &
pid=$!
main=$(wait_window Varnel 20) || fail "no window beside the service"
wait_said "showing the codes of the Varnel that runs in this session (process $service," 3000 >/dev/null
device_code 10100101
device_good shot_value viewer_value
(( $(share '#00FF00' viewer_value) > 50 )) || fail "the window beside the service shows no good code"
grep -q '"value":165' "$work/service.out" || fail "the service has no record of the code"
kill "$pid"; wait "$pid"; pid=""
kill "$service"; wait "$service"; service=""
echo "PASS"
