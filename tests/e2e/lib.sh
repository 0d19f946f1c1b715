# Shared helpers for the end-to-end tests: each test runs the real program
# under an X server of its own and kills only what it started.
set -euo pipefail

CODERAIN_BIN=${1:?usage: $0 path/to/coderain}
DATA_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../data" && pwd)"
WORK=$(mktemp -d)
XVFB_PID=""
APP_PID=""
failures=0
passes=0

cleanup() {
  [ -n "$APP_PID" ] && kill -9 "$APP_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

# Starts Xvfb on a free display at the given size and exports DISPLAY.
start_xvfb() {
  local size=${1:-1024x768}
  local fifo="$WORK/displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  XVFB_PID=$!
  local n
  read -r -t 10 n <"$fifo"
  export DISPLAY=":$n"
}

# Copies the program and its three source files into a directory of its own.
stage_program() {
  local dir=$1
  mkdir -p "$dir"
  cp "$CODERAIN_BIN" "$dir/coderain"
  cp "$DATA_DIR"/code*.txt "$dir/"
}

# Starts a staged program (with any arguments, or through env); its stderr
# goes to $WORK/stderr.
start_app() {
  "$@" 2>"$WORK/stderr" &
  APP_PID=$!
}

# Waits up to $2 seconds for the window titled Form1 to be mapped.
wait_for_window() {
  local limit=${1:-10} i
  for ((i = 0; i < limit * 20; i++)); do
    WID=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1 || true)
    [ -n "$WID" ] && return 0
    sleep 0.05
  done
  return 1
}

# Waits up to $1 seconds for the program to end; sets EXIT_STATUS.
wait_for_exit() {
  local limit=$1 i
  for ((i = 0; i < limit * 100; i++)); do
    if ! kill -0 "$APP_PID" 2>/dev/null; then
      EXIT_STATUS=0
      wait "$APP_PID" || EXIT_STATUS=$?
      APP_PID=""
      return 0
    fi
    sleep 0.01
  done
  return 1
}

check() {
  local what=$1
  shift
  if "$@"; then
    echo "ok: $what"
    passes=$((passes + 1))
  else
    echo "FAILED: $what"
    failures=$((failures + 1))
  fi
}

finish() {
  echo "$passes passed, $failures failed"
  [ "$failures" -eq 0 ]
}
