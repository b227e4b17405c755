# Helpers for the end-to-end tests: they run on a private X display (see scripts/with-xvfb) and
# look at the program the way a user and the reader do, through the X server.

fail() { echo "FAIL: $*" >&2; exit 1; }

# e2e_setup: a scratch folder in $work and the program under test in $pid, both gone however
# the script ends. A script with more to stop defines stop_more.
e2e_setup() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/varnel-e2e.XXXXXX")
  pid=""
  trap e2e_teardown EXIT
}
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
