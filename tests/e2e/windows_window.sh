#!/usr/bin/env bash
# The Windows program end to end under Wine, with a window manager on the display as on a
# desktop: the warning box; the reader's light at start-up, after a good, a bad and a cut code;
# codes sent as F12 holds through the X server while the program is stopped for a moment, with
# holds that auto-repeat and with Alt held; the window read back by a Win32 probe, the green of a
# good value on a screenshot; the places of the controls at 96 and 144 dpi; a second start, which
# brings the first one's window to the front; the light off after a close, after a log-off during
# a blink, and after the program is killed during an answer, and a start right after the kill;
# `varnel.exe --print` beside a window follows it. From that start on, Wine's keyboard stands for
# the reader (VARNEL_READER_ID): the reader frame's tooltip, as the pointer brings it up, names
# it; codes heard through raw input with another program in front, which still gets the F12s,
# also across a stop of the program, or gets none with --take-f12; and with Varnel in front, one
# record a code; with --type, a good code typed into the program in front, a bad one not, and
# nothing with Varnel in front; typing kept with --remember, and the start at login written and
# removed from the command line and turned on from the window's system menu.
# Usage (on a private display, WINEPREFIX set): windows_window.sh VARNEL_EXE PROBE_EXE VERSION
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
source "$here/../../scripts/wine-env"
varnel=$1 probe_exe=$2 version=$3
e2e_setup
wm=""
dpi_key='HKCU\Control Panel\Desktop'
kept_key='HKCU\Software\Varnel'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# What the program writes in the registry: gone before the test and after it.
forget() {
  wine reg delete "$kept_key" /f >/dev/null 2>&1
  wine reg delete "$run_key" /v Varnel /f >/dev/null 2>&1
}
stop_more() {
  forget
  [[ -n "${exe:-}" ]] && kill -CONT "$exe" 2>/dev/null
  [[ -n "${follower:-}" ]] && kill "$follower" 2>/dev/null
  wine reg delete "$dpi_key" /v LogPixels /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  [[ -n "$wm" ]] && kill "$wm" && wait "$wm"
}

probe() { wine "$probe_exe" "$@" | tr -d '\r'; }
forget
# control NAME: "text<TAB>visible" of that control of the running window.
control() { probe controls | awk -F'\t' -v n="$1" '$1 == n { print $2 "\t" $3 }'; }
expect_control() {
  local got
  got=$(control "$1")
  [[ "$got" == "$2" ]] || fail "$1 shows '$got', expected '$2' ($3)"
}
bits() {
  probe controls | awk -F'\t' '$1 ~ /^Bit\(/ { b[substr($1, 5, 1)] = $2 }
                               END { for (i = 7; i >= 0; i--) printf "%s", b[i] }'
}
expect_code() {
  [[ $(bits) == "$1" ]] || fail "bits $(bits), expected $1 ($3)"
  expect_control Valore "$2	1" "$3"
}

# The light as the reader sees it, read by the probe: "ms state" lines from the start of the
# sampling. steady_for TIMELINE: how long it was on, if it went on and off exactly once.
steady_for() {
  awk 'NR == 1 && $2 == "on" { on = $1 } NR > 1 && $2 == "on" { on = $1; n++ }
       $2 == "off" && on != "" { off = $1; n++ } END { if (n <= 2 && off != "") print off - on }' <<<"$1"
}
# blinks TIMELINE: "yes" if it changed at least 8 times, 200 ms apart, and ended off.
blinks() {
  awk 'NR > 1 { n++; if (prev != "" && ($1 - prev < 120 || $1 - prev > 280)) bad = 1; prev = $1 }
       { last = $2 } END { print (n >= 8 && !bad && last == "off") ? "yes" : "no" }' <<<"$1"
}
expect_steady() {
  local on_ms
  on_ms=$(steady_for "$1")
  note "light: $(echo $1)"
  [[ -n "$on_ms" ]] && (( on_ms >= 1800 && on_ms <= 2300 )) ||
    fail "the light is not on steadily for 2 s ($2)"
}
# sample_light MS: samples the light in the background; sampled_light waits for it, into $light.
sample_light() { probe light "$1" >"$work/light" & sampler=$!; }
sampled_light() { wait "$sampler"; light=$(<"$work/light"); }
# ends_off_after_one_on TIMELINE: the light went on once, then off for good.
ends_off_after_one_on() { [[ $(grep -c on <<<"$1") == 1 && $(tail -n1 <<<"$1") == *off ]]; }

# A window manager with no key bindings of its own, Alt+F12 included.
cat >"$work/openbox.xml" <<'EOF'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc"><keyboard/><mouse/></openbox_config>
EOF
openbox --sm-disable --config-file "$work/openbox.xml" 2>"$work/openbox.log" &
wm=$!
for _ in $(seq 50); do xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window && break; sleep 0.1; done

# start DPI [OPTION...]: the program up, its warning closed with OK; the box's looks in $box,
# the light of the first 2.6 s in $light; its standard output goes to $work/stdout.
start() {
  local out
  wine "$varnel" "${@:2}" >>"$work/stdout" 2>>"$work/stderr" &
  pid=$!
  for _ in $(seq 150); do  # a new prefix takes a while to come up
    out=$(probe dismiss-warning 2600) && break
    sleep 0.2
  done
  box=$(head -n1 <<<"$out") light=$(tail -n +2 <<<"$out")
  for _ in $(seq 50); do
    probe controls | grep -q "^Form1	Varnel	1" && break
    sleep 0.2
  done
  probe layout "$1" || fail "the window is not laid out for $1 dpi"
  main=$(wait_window Varnel 10) || fail "no X window for the main window"
}
# front_start: the probe's own window in front, as another program, its key messages in
# $work/front ("down|up KEY TIME"); front_stop closes it.
front_start() {
  wine "$probe_exe" keys 60000 >"$work/front" &
  front_pid=$!
  for _ in $(seq 100); do grep -q ready "$work/front" && break; sleep 0.1; done
  front=$(wait_window "Varnel probe" 10) || fail "no window of another program"
  xdotool windowactivate --sync "$front"
  for _ in $(seq 50); do [[ $(probe windows | cut -f2) == 0 ]] && break; sleep 0.1; done
  [[ $(probe windows | cut -f2) == 0 ]] || fail "Varnel is still in front"
}
front_stop() { probe close-keys; wait "$front_pid"; }
front_count() { tr -d '\r' <"$work/front" | grep -c "^$1 "; }
# wait_records N: until standard output holds N records, at most 5 s.
wait_records() {
  for _ in $(seq 100); do (( $(wc -l <"$work/stdout") >= $1 )) && return 0; sleep 0.05; done
  fail "$(wc -l <"$work/stdout") records, expected $1: $(tail -n2 "$work/stdout")"
}
# expect_direct_record N VALUE: the Nth record is VALUE, heard through raw input.
reader_name='\\\\?\\HID#VID_845E&PID_0002#'
expect_direct_record() {
  local record
  record=$(sed -n "$1p" "$work/stdout")
  grep -qF "\"value\":$2," <<<"$record" && grep -qF "\"link\":\"direct\",\"device\":\"$reader_name" <<<"$record" ||
    fail "record $1: $record"
}
stopped() {
  wait "$pid"
  status=$?
  pid=""
  (( status == 0 )) || fail "the program ended with status $status"
}

echo "the program file"
manifest=$(probe manifest "$(winepath -w "$varnel")") || fail "no manifest in $varnel"
for wanted in "name=\"Varnel\" version=\"$version.0\"" 'Microsoft.Windows.Common-Controls" version="6.0.0.0"' \
  '>PerMonitorV2, PerMonitor</dpiAwareness>' '>true/pm</dpiAware>' 35138b9a 4a2f28e3 1f676c76 8e0f7a12; do
  grep -qF -- "$wanted" <<<"$manifest" || fail "the manifest lacks $wanted"
done
# Windows 7 has none of the per-monitor DPI functions: they must not be imported.
imported=$(x86_64-w64-mingw32-objdump -p "$varnel" | grep -E 'Dpi(For|Awareness)|ForDpi')
[[ -z "$imported" ]] || fail "imports that Windows 7 lacks: $imported"

echo "the command line"
[[ $(wine "$varnel" --version) == "varnel $version" ]] || fail "--version: $(wine "$varnel" --version 2>&1)"
wine "$varnel" --bogus 2>"$work/usage"
status=$?
(( status == 2 )) && grep -q "^Usage: varnel \[--print\]" "$work/usage" ||
  fail "an unknown option: status $status, $(cat "$work/usage")"

echo "start-up, printing the codes"
start 96 --print
[[ "$box" == "Varnel	Il lettore non è collegato al computer	exclamation	OK" ]] ||
  fail "warning box: '$box'"
on_at=$(awk '$2 == "on" { print $1; exit }' <<<"$light")
(( ${on_at:-999} < 300 )) || fail "the light is not on after the warning: $(echo $light)"
expect_steady "$light" "start-up"
read -r _ title visible width < <(probe controls | head -n1)
[[ $title == Varnel && $visible == 1 ]] || fail "the main window is not shown"
expect_control lblCnt "8	1" "armed"
expect_control lblErr "ERRORE	0" "no error yet"
expect_code 00000000 0 "no code yet"

echo "moved to a 144-dpi monitor and back"
probe dpi-changed 144 || fail "the window did not take the place it was given"
probe layout 144 || fail "not laid out again for 144 dpi"
probe dpi-changed 96 && probe layout 96 || fail "not laid out again for 96 dpi"
xdotool windowactivate --sync "$main"

echo "a good code: 165"
press_code 100 300 10100101
sample_light 3300
sleep 1.0
expect_code 10100101 165 "good code"
expect_control lblErr "ERRORE	0" "good code"
expect_control lblCnt "8	1" "re-armed"
# Where the client area is on the screen (xdotool counts the window manager's frame twice).
X=$(xwininfo -id "$main" | awk '/Absolute upper-left X/ { print $NF }')
Y=$(xwininfo -id "$main" | awk '/Absolute upper-left Y/ { print $NF }')
# Valore, 840/600 twips into the client area, 615 by 255: at 96 dpi 56/40, 41 by 17.
import -window root -crop "41x17+$((X + 56))+$((Y + 40))" +repage "$work/valore.png"
green=$(convert "$work/valore.png" -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' \
  -format '%[fx:int(100*mean)]' info:)
(( green > 50 )) || fail "Valore is not green after a good code ($green% green)"
sampled_light
expect_steady "$light" "good code"
note "record: $(cat "$work/stdout")"
grep -E -q '^\{"seq":1,"run":"[0-9a-f]{16}","time":"[^"]+","verdict":"good","value":165,"bits":"10100101","holds_ms":\[[0-9,]+\],"threshold_ms":[0-9]+,"margin_ms":[0-9]+,"link":"window","device":null,"typed":false\}$' \
  "$work/stdout" && [[ $(wc -l <"$work/stdout") == 1 && $(grep -c $'\r' "$work/stdout") == 0 ]] ||
  fail "the good code's record on standard output: $(od -c "$work/stdout" | head)"

echo "a bad code: 164"
press_code 100 300 10100100
sample_light 3300
sleep 1.0
expect_code 10100100 164 "bad code"
expect_control lblErr "Parità	1" "bad code"
sampled_light
note "light: $(echo $light)"
[[ $(blinks "$light") == yes ]] || fail "the light does not blink every 200 ms after a bad code"
expect_control lblErr "Parità	0" "after the error display"

echo "a cut code: three presses"
press_code 100 300 101
sample_light 3300
sleep 1.0
expect_control lblErr "Timeout	1" "cut code"
expect_control lblCnt "8	1" "re-armed after a cut code"
expect_control Valore "164	1" "a cut code leaves the last value"
sampled_light
[[ $(blinks "$light") == yes ]] || fail "the light does not blink after a cut code"

echo "a good code while the program stops for half a second: 153"
# Wine runs the program in a Linux process of its own; the key events wait in the X server.
exe=$(pgrep -f -x -- "$varnel( --print)?") || fail "no process runs $varnel"
press_code 100 300 10011001 &
presser=$!
sleep 0.9
kill -STOP "$exe"
sleep 0.5
kill -CONT "$exe"
wait "$presser"
sample_light 3300
sleep 1.0
expect_code 10011001 153 "a code across a stop"
sampled_light
expect_steady "$light" "a code across a stop"

echo "a good code with holds that auto-repeat: 195"
# Repeat after 250 ms, so a 500 ms hold repeats and still stays under the quiet time.
xset r rate 250 40
press_code 100 500 11000011
xset r rate 660 25
sleep 1.0
expect_code 11000011 195 "auto-repeating holds"
sleep 2.2

echo "a good code with Alt held: 102"
xdotool keydown alt
press_code 100 300 01100110
xdotool keyup alt
sample_light 3300
sleep 1.0
expect_code 01100110 102 "Alt held"
sampled_light
expect_steady "$light" "Alt held"

echo "a second start"
first=$(probe windows | cut -f1)
xdotool windowminimize --sync "$main"
# With --print it follows the first one instead, and says so.
wine "$varnel" --print >/dev/null 2>"$work/second" &
follower=$!
for _ in $(seq 100); do grep -q "following" "$work/second" && break; sleep 0.05; done
grep -q "following the Varnel that runs in this session (process $first, with a window)" \
  "$work/second" || fail "a second start with --print: $(cat "$work/second")"
kill "$follower"
wait "$follower" 2>/dev/null
follower=""
wine "$varnel" 2>"$work/second"
status=$?
(( status == 0 )) || fail "a second start: status $status, $(cat "$work/second")"
# Once the second start has gone, the first window comes to the front: wait for it to get there.
for _ in $(seq 50); do
  [[ $(probe windows) == "$first	1" ]] && break
  sleep 0.1
done
[[ $(probe windows) == "$first	1" ]] ||
  fail "after a second start, the main windows are: $(probe windows | tr '\n' ' ')"

echo "--take-f12 in the usage"
wine "$varnel" --help | grep -q -- "--take-f12" || fail "--help does not list --take-f12"

echo "killed during a good code's answer"
# The sampler reads the light from a moment it is off: its first line says it has begun (straight
# to the file, as a pipe's reader would hold the line back).
wine "$probe_exe" light-cycle 30000 >"$work/light" &
sampler=$!
wait_for_file_line() {
  for _ in $(seq 300); do grep -q "$2" "$1" && return 0; sleep 0.05; done
  return 1
}
wait_for_file_line "$work/light" off || fail "the light sampler did not start"
xdotool windowactivate --sync "$main"
press_code 100 300 10100101
wait_for_file_line "$work/light" " on" || fail "the light did not go on for a good code"
# The light shows on as soon as the press is sent, a moment before the program has told its
# guardian: the program is given that moment, well within the two seconds of the answer.
sleep 0.3
# Stopped, the program cannot put its light out itself any more: whatever does is the guardian.
kill -STOP "$exe"
grep -q "on.*off" <(tr '\n' ' ' <"$work/light") && fail "the answer ended before the kill"
killed_at=$(now_ms)
wine taskkill /f /pid "$first" >/dev/null || fail "taskkill /f /pid $first failed"
wait "$sampler" || fail "the light stays on after taskkill /f: $(cat "$work/light" | tr '\n' ' ')"
note "light off $(( $(now_ms) - killed_at )) ms after taskkill /f was started"
kill -CONT "$exe"
wait "$pid"
pid="" exe=""
sampled_light=$(tr -d '\r' <"$work/light")
ends_off_after_one_on "$sampled_light" || fail "the light after taskkill /f: $(echo $sampled_light)"

echo "a start right after the kill, Wine's keyboard as the reader"
export VARNEL_READER_ID='VID_845E&PID_0002'
: >"$work/stdout"
start 96 --print
[[ $(probe windows | cut -f1) != "$first" ]] || fail "the killed program's window is still there"
(( $(said "^varnel: direct link to the reader up, through .*HID#VID_845E&PID_0002#") == 1 )) ||
  fail "the link up is not said once: $(cat "$work/stderr")"
# The frame's tooltip, pointed at as a user would, names the device the link is up through.
xdotool windowactivate --sync "$main"
tip=$(probe reader-tip) || fail "no tooltip comes up on the reader frame"
note "reader frame's tooltip: $(echo $tip)"
grep -qF 'Collegamento diretto al lettore: \\?\HID#VID_845E&PID_0002#' <<<"$(head -n1 <<<"$tip")" ||
  fail "the reader frame's tooltip: '$tip'"

echo "heard through raw input with another program in front: 165"
front_start
press_code 100 300 10100101
wait_records 1
expect_direct_record 1 165
for _ in $(seq 40); do (( $(front_count "down SCROLL") )) && break; sleep 0.05; done
front_stop
note "in front: $(tr -d '\r' <"$work/front" | tr '\n' ' ')"
(( $(front_count "down F12") == 8 && $(front_count "up F12") == 8 )) ||
  fail "the program in front did not get the eight F12s"
# The light's press reaches the program in front, stamped on the clock of the F12s.
answer=$(tr -d '\r' <"$work/front" | awk '$2 == "F12" && $1 == "up" { t = $3 }
  $2 == "SCROLL" && $1 == "down" && t { print $3 - t; exit }')
note "Scroll Lock on $answer ms after the last release"
(( ${answer:-0} >= 800 && ${answer:-0} <= 925 )) || fail "Scroll Lock on ${answer:-never} ms after the last release"

echo "through raw input while the program stops for half a second: 153"
front_start
exe=$(pgrep -f -x -- "$varnel --print") || fail "no process runs $varnel"
press_code 100 300 10011001 &
presser=$!
sleep 0.9
kill -STOP "$exe"
sleep 0.5
kill -CONT "$exe"
wait "$presser"
wait_records 2
front_stop
expect_direct_record 2 153
exe=""

echo "Varnel in front: one code, one record"
main=$(wait_window Varnel 10) || fail "no main window"
xdotool windowactivate --sync "$main"
press_code 100 300 01100110
sleep 1.2
expect_direct_record 3 102
(( $(wc -l <"$work/stdout") == 3 )) || fail "records: $(cat "$work/stdout")"
sleep 2

echo "a program follows the window: varnel.exe --print beside it"
wine "$varnel" --print >"$work/followed" 2>"$work/follower.err" &
follower=$!
wait_for_file_line "$work/follower.err" "following the Varnel that runs in this session" ||
  fail "the follower does not say whom it follows: $(cat "$work/follower.err")"
xdotool windowactivate --sync "$main"
press_code 100 300 10100101
for _ in $(seq 100); do [[ -s "$work/followed" ]] && break; sleep 0.05; done
sleep 0.5  # a second line, if one came, would be there by now
note "followed: $(cat "$work/followed")"
# The window's fourth code, heard through raw input.
grep -E -q '^\{"seq":4,"run":"[0-9a-f]{16}","time":"[^"]+","verdict":"good","value":165,"bits":"10100101",.*"link":"direct","device":"\\\\\\\\\?\\\\HID#VID_845E&PID_0002#[^"]*","typed":false\}$' \
  "$work/followed" && [[ $(wc -l <"$work/followed") == 1 && $(grep -c $'\r' "$work/followed") == 0 ]] ||
  fail "the follower's line of a good code: $(od -c "$work/followed" | head)"
sleep 2.2

echo "closing during a blink"
press_code 100 300 10100100
sample_light 3000
probe close on || fail "no blink to close during"
stopped
wait "$follower"
status=$?
follower=""
(( status == 0 )) && grep -q "has ended" "$work/follower.err" ||
  fail "the follower of a closed window: status $status, $(cat "$work/follower.err")"
sampled_light
ends_off_after_one_on "$light" || fail "the light after closing during a blink: $(echo $light)"

echo "start-up at 144 dpi, with --take-f12"
wine reg add "$dpi_key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
: >"$work/stdout" >"$work/stderr"
start 144 --take-f12 --print
wine reg delete "$dpi_key" /v LogPixels /f >/dev/null
[[ "$box" == "Varnel	Il lettore non è collegato al computer	"*"	OK" ]] || fail "warning box: '$box'"
probe dpi-changed 96 && probe layout 96 || fail "not laid out again for 96 dpi"

echo "--take-f12: the program in front gets no F12, the code is decoded"
front_start
press_code 100 300 10100101
wait_records 1
expect_direct_record 1 165
for _ in $(seq 40); do (( $(front_count "down SCROLL") )) && break; sleep 0.05; done
front_stop
note "in front: $(tr -d '\r' <"$work/front" | tr '\n' ' ')"
(( $(front_count "[a-z]* F12") == 0 )) || fail "the program in front got F12 with --take-f12"
(( $(front_count "down SCROLL") == 1 )) || fail "the program in front saw no light"
(( $(said "hook") == 0 )) || fail "the hook was said to be lost: $(cat "$work/stderr")"

echo "logging off during a blink"
xdotool windowactivate --sync "$main"
press_code 100 300 10100100
sample_light 3000
probe end-session on || fail "no blink to log off during"
sampled_light
ends_off_after_one_on "$light" || fail "the light after the log-off: $(echo $light)"
probe close
stopped

echo "typing: --type, another program in front"
: >"$work/stdout"
: >"$work/stderr"
start 96 --type --print
(( $(said "typing waits") == 0 )) || fail "typing waits, with the reader heard: $(cat "$work/stderr")"
# typed: the characters the program in front got.
typed() { tr -d '\r' <"$work/front" | awk '$1 == "text" { printf "%s", $2 }'; }
# record_typed N: the typed field of the Nth record.
record_typed() { sed -n "$1p" "$work/stdout" | grep -o '"typed":.*}$' | tr -d '}'; }
front_start
echo "a good code: 165 and Enter typed into it"
press_code 100 300 10100101
wait_records 1
for _ in $(seq 60); do [[ $(typed) == '165\r' ]] && break; sleep 0.05; done
[[ $(typed) == '165\r' ]] || fail "the program in front got '$(typed)', not 165 and Enter"
[[ $(record_typed 1) == '"typed":true' ]] || fail "the typed code's record: $(sed -n 1p "$work/stdout")"
echo "a bad code: nothing typed"
press_code 100 300 10100100
wait_records 2
sleep 0.3
[[ $(typed) == '165\r' ]] || fail "a bad code typed: '$(typed)'"
[[ $(record_typed 2) == '"typed":false,"untyped":"bad"' ]] ||
  fail "the bad code's record: $(sed -n 2p "$work/stdout")"
front_stop
echo "Varnel in front: nothing typed"
main=$(wait_window Varnel 10) || fail "no main window"
xdotool windowactivate --sync "$main"
sleep 2
press_code 100 300 10100101
wait_records 3
[[ $(record_typed 3) == '"typed":false,"untyped":"own-window"' ]] ||
  fail "typed with Varnel in front: $(sed -n 3p "$work/stdout")"
(( $(said "not typed") == 0 )) || fail "$(cat "$work/stderr")"
probe close
stopped

echo "kept: --remember --type=tab, then a plain start types 165 and Tab into the program in front"
# reg_value KEY NAME: the data of that registry value, or nothing.
reg_value() {
  wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +[^ ]+ +/, ""); print }'
}
wine "$varnel" --remember --type=tab || fail "--remember --type=tab: status $?"
[[ $(reg_value "$kept_key" type) == tab ]] || fail "not kept: $(wine reg query "$kept_key" 2>&1)"
: >"$work/stdout"
: >"$work/stderr"
start 96 --print
front_start
press_code 100 300 10100101
wait_records 1
for _ in $(seq 60); do [[ $(typed) == '165\t' ]] && break; sleep 0.05; done
[[ $(typed) == '165\t' ]] || fail "the program in front got '$(typed)', not 165 and Tab"
front_stop

echo "start at login: --start-at-login=yes writes the Run value, no removes it"
path=\"$(winepath -w "$varnel")\"
wine "$varnel" --remember --start-at-login=yes || fail "--start-at-login=yes: status $?"
[[ $(reg_value "$run_key" Varnel) == "$path" ]] || fail "the Run value: '$(reg_value "$run_key" Varnel)', not $path"
wine "$varnel" --remember --start-at-login=no || fail "--start-at-login=no: status $?"
[[ -z $(reg_value "$run_key" Varnel) ]] || fail "the Run value is still there"
echo "the system menu's last entry, from the keyboard, turns it on again"
main=$(wait_window Varnel 10) || fail "no main window"
xdotool windowactivate --sync "$main" key alt+space
for _ in $(seq 50); do probe menu && break; sleep 0.1; done
probe menu || fail "Alt+Space opens no system menu"
xdotool key Up Return
for _ in $(seq 50); do [[ -n $(reg_value "$run_key" Varnel) ]] && break; sleep 0.1; done
[[ $(reg_value "$run_key" Varnel) == "$path" ]] || fail "the system menu did not turn the start at login on"
probe close
stopped
unset VARNEL_READER_ID
echo "PASS"
