# Shared helpers for the end-to-end tests: each test runs the real program
# under an X server of its own and kills only what it started.
#
#   test.sh path/to/coderain [path/to/coderain-render] [path/to/xprobe]
#           [path/to/fake_daemon]
set -euo pipefail

CODERAIN_BIN=${1:?usage: $0 path/to/coderain}
XPROBE=${3:-$(dirname "$CODERAIN_BIN")/tests/xprobe}
FAKE_DAEMON=${4:-$(dirname "$CODERAIN_BIN")/tests/fake_daemon}
DATA_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../data" && pwd)"
WORK=$(mktemp -d)
XVFB_PID=""
APP_PID=""
SERVER_PIDS=() # X servers and window managers, in the order they started
failures=0
passes=0

cleanup() {
  [ -n "$APP_PID" ] && kill -9 "$APP_PID" 2>/dev/null || true
  stop_servers
  rm -rf "$WORK"
}
trap cleanup EXIT

# Ends every X server and window manager this test started, the last
# started first; a stopped server is resumed so that it can end.
stop_servers() {
  local i pid
  for ((i = ${#SERVER_PIDS[@]} - 1; i >= 0; i--)); do
    pid=${SERVER_PIDS[i]}
    kill -CONT "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  SERVER_PIDS=()
  XVFB_PID=""
}

# Starts an X server (command and arguments) on a free display, waits until
# it takes clients and exports DISPLAY; sets SERVER_PID.
start_server() {
  local fifo="$WORK/displayfd.${#SERVER_PIDS[@]}" n=""
  rm -f "$fifo"
  mkfifo "$fifo"
  "$@" -displayfd 3 -nolisten tcp -noreset 3>"$fifo" >>"$WORK/xserver.log" 2>&1 &
  SERVER_PID=$!
  SERVER_PIDS+=("$SERVER_PID")
  read -r -t 10 n <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$n" ]; then
    echo "could not start: $*"
    cat "$WORK/xserver.log"
    exit 1
  fi
  export DISPLAY=":$n"
}

# Starts Xvfb on a free display at the given size and depth (more arguments
# go to the server) and exports DISPLAY. The root is black.
start_xvfb() {
  local size=${1:-1024x768} depth=${2:-24}
  shift $(($# < 2 ? $# : 2))
  start_server Xvfb -screen 0 "${size}x${depth}" -br "$@"
  XVFB_PID=$SERVER_PID
}

# Starts an Xephyr of the given size whose screen can change size through
# RandR (xrandr -s WxH, up to 1600x1200), inside an Xvfb of its own, and
# exports its DISPLAY.
start_xephyr() {
  start_xvfb 1600x1200
  start_server Xephyr -resizeable -screen "${1:-1280x1024}" -br
}

# Starts openbox on $DISPLAY with two desktops and waits until it manages
# the screen.
start_openbox() {
  cat >"$WORK/openbox.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <desktops><number>2</number></desktops>
</openbox_config>
XML
  openbox --config-file "$WORK/openbox.xml" >>"$WORK/openbox.log" 2>&1 &
  SERVER_PIDS+=($!)
  poll 10 eval '[ "$(xdotool get_num_desktops 2>/dev/null)" = 2 ]' || {
    echo "openbox did not start"
    cat "$WORK/openbox.log"
    exit 1
  }
}

# Runs a command every 0.1 s until it succeeds, for up to $1 seconds (a
# whole number); its status is the command's last.
poll() {
  local end=$((${EPOCHREALTIME/./} + $1 * 1000000))
  shift
  until "$@"; do
    ((${EPOCHREALTIME/./} < end)) || return 1
    sleep 0.1
  done
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
      wait "$APP_PID" 2>/dev/null || EXIT_STATUS=$?
      APP_PID=""
      return 0
    fi
    sleep 0.01
  done
  return 1
}

# The program still runs.
alive() { [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; }

# Nothing of Xlib's error report on the program's stderr.
no_x_error() { ! grep -q "X Error" "$WORK/stderr"; }

# Ends the program if it still runs; if it had ended by itself, says how.
end_app() {
  [ -n "$APP_PID" ] || return 0
  if alive; then
    kill -TERM "$APP_PID" 2>/dev/null || true
    wait_for_exit 2 || { kill -9 "$APP_PID" 2>/dev/null; wait_for_exit 2 || true; }
  else
    wait_for_exit 1 || true
    echo "  (the program had ended with status $EXIT_STATUS; stderr:)"
    head -5 "$WORK/stderr" | sed 's/^/  | /'
  fi
}

# Starts a staged program and waits up to 10 s for its window.
run_app() {
  end_app
  start_app "$@"
  wait_for_window 10
}

xprobe() { "$XPROBE" "$@"; }

# Starts fake_daemon (its options, a size, then a program and its
# arguments), which lends the program a window as a screen-saver daemon
# does, and waits for it. APP_PID is the daemon's: it ends when the program
# does, with the program's status as a shell gives it. PROGRAM_PID is the
# program's, DAEMON_WINDOW the window's id; the program's stderr goes to
# $WORK/stderr. Commands go to the daemon with tell_daemon.
start_daemon() {
  end_app
  rm -f "$WORK/daemon.in"
  mkfifo "$WORK/daemon.in"
  "$FAKE_DAEMON" "$@" <"$WORK/daemon.in" >"$WORK/daemon.out" 2>"$WORK/stderr" &
  APP_PID=$!
  # A command to a daemon that has just ended fails rather than ending the
  # test.
  trap '' PIPE
  exec 7>"$WORK/daemon.in"
  poll 10 grep -q '^pid ' "$WORK/daemon.out" || return 1
  PROGRAM_PID=$(awk '$1 == "pid" { print $2 }' "$WORK/daemon.out")
  DAEMON_WINDOW=$(awk '$1 == "window" { print $2 }' "$WORK/daemon.out")
}

# Tells the daemon a command and prints its answer (waits up to 5 s).
tell_daemon() {
  local lines
  lines=$(wc -l <"$WORK/daemon.out")
  alive && echo "$*" >&7 || return 1
  poll 5 eval '[ "$(wc -l <"$WORK/daemon.out")" -gt "$lines" ]' || return 1
  tail -n +$((lines + 1)) "$WORK/daemon.out" | head -1
}

# The scene is laid out for a screen $1 pixels wide: the left line of
# picWatch's frame, at x = W - 195, is green from y 20 to 380. Waits up to
# $2 s (default 6) for it.
laid_out_for() {
  poll "${2:-6}" _frame_green $(($1 - 195)) && return 0
  sed 's/^/  | /' "$WORK/probe"
  return 1
}
_frame_green() { xprobe column-green "$1" 20 380 2>"$WORK/probe"; }

# The size of window $1 as WxH.
window_size() { xwininfo -id "$1" 2>/dev/null | awk '/Width:/ { w = $NF } /Height:/ { h = $NF } END { print w "x" h }'; }

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
