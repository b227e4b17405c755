#!/usr/bin/env bash
# The Windows program end to end under Wine: the warning box, a good, a bad and a cut code sent
# as F12 holds through the X server, the window read back by a Win32 probe, the green of a good
# value on a screenshot, and a clean close.
# Usage (on a private display, WINEPREFIX set): windows_window.sh VARNEL_EXE PROBE_EXE
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
varnel=$1 probe_exe=$2
: "${WINEPREFIX:?set WINEPREFIX to a build-local folder}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
e2e_setup
stop_more() {
  wineserver -k 2>/dev/null
  wineserver -w
}

probe() { wine "$probe_exe" "$@" | tr -d '\r'; }
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

echo "start-up"
wine "$varnel" &
pid=$!
text=""
for _ in $(seq 150); do  # a new prefix takes a while to come up
  text=$(probe dismiss-warning) && break
  sleep 0.2
done
[[ "$text" == "Il lettore non è collegato al computer" ]] || fail "warning box: '$text'"
for _ in $(seq 50); do
  probe controls | grep -q "^Form1	Varnel	1" && break
  sleep 0.2
done
read -r _ title visible width < <(probe controls | head -n1)
[[ $title == Varnel && $visible == 1 ]] || fail "the main window is not shown"
(( width == 257 )) || fail "the window's outer width is $width px, expected 3850 twips (257 px)"
expect_control lblCnt "8	1" "armed"
expect_control Valore "0	1" "no code yet"
expect_control lblErr "ERRORE	0" "no error yet"
[[ $(bits) == 00000000 ]] || fail "bits at start-up: $(bits)"
main=$(wait_window Varnel 10) || fail "no X window for the main window"
xdotool windowfocus --sync "$main"
sleep 2.2  # the start-up display ends

echo "a good code: 165"
press_code 100 300 10100101
sleep 1.0
[[ $(bits) == 10100101 ]] || fail "bits of a good code: $(bits)"
expect_control Valore "165	1" "good code"
expect_control lblErr "ERRORE	0" "good code"
expect_control lblCnt "8	1" "re-armed"
eval "$(xdotool getwindowgeometry --shell "$main")"
# Valore, 840/600 twips into the client area, 615 by 255: at 96 dpi 56/40, 41 by 17.
import -window root -crop "41x17+$((X + 56))+$((Y + 40))" +repage "$work/valore.png"
green=$(convert "$work/valore.png" -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' \
  -format '%[fx:int(100*mean)]' info:)
(( green > 50 )) || fail "Valore is not green after a good code ($green% green)"
sleep 2.2

echo "a bad code: 164"
press_code 100 300 10100100
sleep 1.0
expect_control Valore "164	1" "bad code"
expect_control lblErr "Parità	1" "bad code"
sleep 2.2
expect_control lblErr "Parità	0" "after the error display"

echo "a cut code: three presses"
press_code 100 300 101
sleep 1.0
expect_control lblErr "Timeout	1" "cut code"
expect_control lblCnt "8	1" "re-armed after a cut code"
expect_control Valore "164	1" "a cut code leaves the last value"

echo "closing"
probe close
wait "$pid"
status=$?
pid=""
(( status == 0 )) || fail "the program ended with status $status"
echo "PASS"
