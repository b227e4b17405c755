# Helpers for the end-to-end tests: they run on a private X display (see scripts/with-xvfb) or a
# private Wayland compositor (scripts/with-weston) and look at the program the way a user and the
# reader do: through the X server, or through the reader's own input device.

fail() { echo "FAIL: $*" >&2; exit 1; }

# e2e_setup: a scratch folder in $work and the program under test in $pid, both gone however
# the script ends. A script with more to stop defines stop_more.
e2e_setup() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-e2e.XXXXXX")
  pid=""
  trap e2e_teardown EXIT
  # A session of the test's own, for the one Varnel a session runs: a developer's own Varnel is
  # not the test's, nor the other way round. A private compositor's folder is one already.
  if [[ -z "${WAYLAND_DISPLAY:-}" ]]; then
    export XDG_RUNTIME_DIR=$work/runtime
    mkdir -m 700 "$XDG_RUNTIME_DIR"
  fi
  # Nothing a developer keeps for their own Varnel reaches the test's, nor the other way round.
  export XDG_CONFIG_HOME=$work/config
}
# fresh_config: the kept choices and the start at login as if Varnel had never run.
fresh_config() { rm -rf "$XDG_CONFIG_HOME"; }
kept() { cat "$XDG_CONFIG_HOME/varnel/varnel.conf" 2>/dev/null; }
e2e_teardown() {
  [[ -n "$pid" ]] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  declare -F stop_more >/dev/null && stop_more
  rm -rf "$work"
}
note() { echo "  $*"; }
now_ms() { date +%s%3N; }

# "on" or "off": the X server's Scroll Lock indicator, as the reader's keyboard light shows it.
light() { xset q | sed -n 's/.*Scroll Lock: *\(on\|off\).*/\1/p'; }

# wait_window NAME SECONDS: the id of a visible window with exactly that name.
wait_window() {
  local deadline=$(( $(now_ms) + $2 * 1000 )) id
  while (( $(now_ms) < deadline )); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1)
    [[ -n "$id" ]] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# light_timeline MS: samples the light for MS milliseconds; prints "t state" at each change,
# t in ms from the start of the sampling, starting with the state at 0.
light_timeline() {
  local start end state last="" t
  start=$(now_ms); end=$((start + $1))
  while t=$(now_ms); (( t < end )); do
    state=$(light)
    [[ "$state" != "$last" ]] && echo "$((t - start)) $state"
    last=$state
    sleep 0.02
  done
}

# press_code HOLD_SHORT HOLD_LONG BITS: F12 presses through the X server, first bit first, to the
# focused window; 50 ms between presses.
press_code() {
  local short=$1 long=$2 bits=$3 args=() i hold
  for ((i = 0; i < ${#bits}; i++)); do
    [[ ${bits:i:1} == 1 ]] && hold=$long || hold=$short
    args+=(keydown F12 sleep "$(awk "BEGIN { print $hold / 1000 }")" keyup F12 sleep 0.05)
  done
  xdotool "${args[@]}"
}

# Screenshots of the main window ($main). Its controls at 96 dpi: 15 twips a pixel.
px() { echo $(( ($1 + 7) / 15 )); }

# shot NAME X Y W H: a screenshot of that part of the main window.
shot() {
  local x y
  eval "$(xdotool getwindowgeometry --shell "$main")"
  import -window root -crop "${4}x${5}+$((X + $2))+$((Y + $3))" +repage "$work/$1.png"
}
# share COLOUR NAME: the share of the shot's pixels that have exactly that colour, in percent.
share() {
  convert "$work/$2.png" -fill black +opaque "$1" -fill white -opaque "$1" \
    -format '%[fx:int(100*mean)]' info:
}
same_shots() { [[ $(compare -metric AE "$work/$1.png" "$work/$2.png" null: 2>&1) == 0 ]]; }
# The bits row and the value, as one picture.
shot_code() { shot "$1" 0 "$(px 240)" "$(px 3735)" "$(px 615)"; }
shot_bits() { shot "$1" 0 "$(px 240)" "$(px 3735)" "$(px 255)"; }
shot_value() { shot "$1" "$(px 840)" "$(px 600)" "$(px 615)" "$(px 255)"; }
shot_error() { shot "$1" "$(px 1560)" "$(px 600)" "$(px 975)" "$(px 255)"; }

# The reader as its own input device: `varnel-reader --device` in $work/reader, fed commands
# through a pipe. Its output goes to $work/device.log, each line after the monotonic ms at which
# it came; its light lines carry the monotonic ms at which the light changed as well.
mono_ms() { perl -MTime::HiRes=clock_gettime,CLOCK_MONOTONIC -e 'printf "%d\n", 1000 * clock_gettime(CLOCK_MONOTONIC)'; }
device_start() {
  trap '' PIPE  # a reader that is gone fails the write, not the script
  mkfifo "$work/device.in"
  "$1" --device "$work/reader" <"$work/device.in" 2>"$work/device.err" > >(
    perl -MTime::HiRes=clock_gettime,CLOCK_MONOTONIC -ne \
      '$| = 1; printf "%d %s", 1000 * clock_gettime(CLOCK_MONOTONIC), $_' >"$work/device.log") &
  device_pid=$!
  exec {device_in}>"$work/device.in"
  for _ in $(seq 100); do grep -q " ready " "$work/device.log" 2>/dev/null && break; sleep 0.05; done
  grep -q " ready " "$work/device.log" || fail "the reader device did not start: $(cat "$work/device.err")"
  export VARNEL_INPUT_DEVICES=$work/reader/devices VARNEL_INPUT_DIR=$work/reader/input
}
# Ends the session (the reader unmounts its node as it quits); a mount left behind goes too.
device_stop() {
  [[ -n "${device_pid:-}" ]] || return 0
  { echo quit >&"$device_in"; } 2>/dev/null
  exec {device_in}>&-
  for _ in $(seq 50); do kill -0 "$device_pid" 2>/dev/null || break; sleep 0.1; done
  kill "$device_pid" 2>/dev/null
  wait "$device_pid" 2>/dev/null
  device_pid=""
  mountpoint -q "$work/reader/input" && fusermount3 -u "$work/reader/input"
}
# device COMMAND...: one command, done; fails on an error. $sent: the monotonic ms just before
# it went, $answered: that of its answer ("ok" after a code's last release), $mark: the log's line
# count then.
device() {
  local before count
  before=$(grep -c -E '^[0-9]+ (ok|error)' "$work/device.log")
  sent=$(mono_ms)
  echo "$*" >&"$device_in"
  for _ in $(seq 600); do
    count=$(grep -c -E '^[0-9]+ (ok|error)' "$work/device.log")
    (( count > before )) && break
    sleep 0.02
  done
  local answer
  answer=$(grep -E '^[0-9]+ (ok|error)' "$work/device.log" | tail -n1)
  (( count > before )) || fail "the reader does not answer '$*'"
  [[ "${answer#* }" == ok ]] || fail "the reader: '$*': ${answer#* }"
  answered=${answer%% *}
  mark=$(grep -n -E '^[0-9]+ (ok|error)' "$work/device.log" | tail -n1 | cut -d: -f1)
}
# device_lights: the device's light changes since the last answer, "t on|off", t in ms from it.
device_lights() {
  tail -n +"$((mark + 1))" "$work/device.log" | awk -v t0="$answered" '$2 == "light" { print $3 - t0, $4 }'
}
# device_wait_lights COUNT MS: waits until device_lights shows COUNT changes, at most MS ms.
device_wait_lights() {
  local start=$(now_ms)
  while (( $(device_lights | wc -l) < $1 && $(now_ms) - start < $2 )); do sleep 0.02; done
}
# device_code BITS [OPTION...]: one code, 100/300 ms holds 50 ms apart, played by the reader on
# its own clock. Its last release went out between $released and $answered.
device_code() {
  local bits=$1 ms=0 i
  for ((i = 0; i < ${#bits}; i++)); do ms=$(( ms + (${bits:i:1} == 1 ? 300 : 100) + 50 )); done
  device code --bits "$@"
  released=$(( sent + ms - 50 ))
}
# device_good [COMMAND...]: after a good code, the device's light: on 800-900 ms after the last
# release, off 2 s later. device_blinks [COMMAND...]: after a bad or cut one, blinking, then off.
# COMMAND runs while the display is on, 1.2 s after the release.
device_good() {
  sleep 1.2
  "$@"
  sleep 2
  local lights on off
  lights=$(device_lights)
  on=$(awk '$2 == "on" { print $1; exit }' <<<"$lights")
  off=$(awk '$2 == "off" { print $1; exit }' <<<"$lights")
  note "device light on ${on:-never} to $(( ${on:-0} + answered - released )) ms after the last" \
    "release, off $(( ${off:-0} - ${on:-0} )) ms later"
  # Failing only when the light is surely outside those times, give or take the few ms that a
  # machine busy with other work may hold the program's timer back.
  [[ -n "$on" ]] && (( on + answered - released >= 800 && on <= 925 )) ||
    fail "the device's light should go on 800-900 ms after the last release, not at ${on:-never}"
  [[ $(wc -l <<<"$lights") == 2 && -n "$off" ]] && (( off - on >= 1900 && off - on <= 2200 )) ||
    fail "the device's light should stay on 2 s, then go off"
}
# device_startup_light: the program's start-up light, since the last answer: on, off 2 s later.
device_startup_light() {
  sleep 2.4
  local lights
  lights=$(device_lights)
  note "device light: $(echo $lights)"
  [[ $(awk '{ printf "%s ", $2 }' <<<"$lights") == "on off " ]] &&
    (( $(awk '{ print $1 - t; t = $1 }' <<<"$lights" | tail -n1) >= 1900 )) ||
    fail "no start-up light on the device"
}
device_blinks() {
  sleep 1.2
  "$@"
  sleep 2.2
  local lights
  lights=$(device_lights)
  note "device light: $(echo $lights)"
  (( $(wc -l <<<"$lights") >= 8 )) || fail "the device's light does not blink"
  [[ $(tail -n1 <<<"$lights") == *off ]] || fail "the device's light is not off after blinking"
}
# device_light: "on" or "off", the device's light as it last changed since the last answer.
device_light() { [[ $(device_lights | tail -n1) == *on ]] && echo on || echo off; }
# kill_during_answer LIGHT [PID]: once LIGHT (a command that prints on or off) is on, PID (the
# program by default) is killed with SIGKILL; the light must then go off within half a second,
# put out by the program's guardian.
kill_during_answer() {
  local state=$1 victim=${2:-$pid} start took
  for _ in $(seq 100); do [[ $($state) == on ]] && break; sleep 0.02; done
  [[ $($state) == on ]] || fail "no answer to kill during"
  start=$(now_ms)
  kill -KILL "$victim"
  while [[ $($state) == on ]]; do
    (( $(now_ms) - start > 3000 )) && fail "the light stays on after SIGKILL"
    sleep 0.02
  done
  took=$(( $(now_ms) - start ))
  note "the light went off $took ms after SIGKILL"
  (( took <= 500 )) || fail "the light went off only $took ms after SIGKILL"
}

# said PATTERN: how many lines of the program's standard error match. wait_said PATTERN MS: the
# ms it took until one did, or a failure.
said() { grep -c -e "$1" "$work/stderr"; }
wait_said() {
  local start=$(now_ms)
  while (( $(now_ms) - start < $2 )); do
    grep -q -e "$1" "$work/stderr" && { echo $(( $(now_ms) - start )); return 0; }
    sleep 0.05
  done
  fail "the program did not say '$1' within $2 ms: $(cat "$work/stderr")"
}

# follow NAME: `varnel --print` beside the running Varnel ($pid, $follow_kind), its output in
# $work/NAME, its messages in $work/NAME.err, its process in $follower (and added to $followers)
# once it has said whom it follows.
follow() {
  "$varnel" --print >"$work/$1" 2>"$work/$1.err" &
  follower=$!
  followers+=("$follower")
  for _ in $(seq 100); do grep -q "following" "$work/$1.err" && break; sleep 0.05; done
  grep -q "following the Varnel that runs in this session (process $pid, $follow_kind)" \
    "$work/$1.err" || fail "a follower ($follow_kind): $(cat "$work/$1.err")"
}

# What a start with --type typed, for a test window whose output is in $work/keys ("text TEXT"
# lines) and records in $work/records. typed: the text the window got. wait_typed TEXT: until it
# is TEXT, 3 s at most after the last release. record_typed N: the typed field of the Nth record,
# and the untyped one after it if it has one, once the record is there.
typed() { awk '$1 == "text" { printf "%s", $2 }' "$work/keys"; }
wait_typed() {
  for _ in $(seq 150); do [[ $(typed) == "$1" ]] && return 0; sleep 0.02; done
  fail "the window in front got '$(typed)', not '$1'"
}
record_typed() {
  for _ in $(seq 100); do (( $(wc -l <"$work/records") >= $1 )) && break; sleep 0.05; done
  sed -n "${1}p" "$work/records" | grep -o '"typed":.*}$' | tr -d '}'
}
# typed_bad_code N TEXT: a code with bad parity, the Nth decided, blinks, leaves the window's text
# at TEXT and is recorded as not typed, being bad.
typed_bad_code() {
  device_code 10100100
  device_blinks
  [[ $(typed) == "$2" ]] || fail "a bad code typed '$(typed)'"
  [[ $(record_typed "$1") == '"typed":false,"untyped":"bad"' ]] ||
    fail "the bad code's record: $(sed -n "${1}p" "$work/records")"
}
