# The end-to-end tests' harness, sourced by every tests/e2e/*_test.sh and by
# bench/run.sh: X servers (Xvfb, Xephyr, X.Org's dummy driver), openbox and
# sway; the program staged and run, in its own window or in a window that
# fake_daemon lends it; pictures of the screen and the checks made on them.
# Each test kills only what it started, by its PID.
#
#   test.sh path/to/coderain [path/to/coderain-render] [path/to/xprobe]
#           [path/to/fake_daemon]
#
# A script that takes other arguments sets CODERAIN_BIN (and XPROBE or
# FAKE_DAEMON, if it uses them) before it sources this.
set -euo pipefail

if [ -z "${CODERAIN_BIN:-}" ]; then
  CODERAIN_BIN=${1:?usage: $0 path/to/coderain}
  XPROBE=${3:-}
  FAKE_DAEMON=${4:-}
fi
XPROBE=${XPROBE:-$(dirname "$CODERAIN_BIN")/tests/xprobe}
FAKE_DAEMON=${FAKE_DAEMON:-$(dirname "$CODERAIN_BIN")/tests/fake_daemon}
DATA_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")/../../data" && pwd)"
WORK=$(mktemp -d)
APP_PID=""
X_PID=""
SERVER_PIDS=() # X servers, window managers and daemons, in the order they started
failures=0
passes=0

cleanup() {
  [ -n "$APP_PID" ] && kill -9 "$APP_PID" 2>/dev/null || true
  stop_servers
  # A browser's helpers may write into its profile a moment after it ended.
  rm -rf "$WORK" 2>/dev/null || { sleep 1 && rm -rf "$WORK"; } || true
}
trap cleanup EXIT

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

# --- Servers ---

# Ends process $1, one of SERVER_PIDS, with signal $2 (TERM by default),
# resuming it first so that it can end, and forgets it.
stop_process() {
  local pid=$1 p kept=()
  kill -CONT "$pid" 2>/dev/null || true
  kill "-${2:-TERM}" "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  for p in "${SERVER_PIDS[@]}"; do [ "$p" = "$pid" ] || kept+=("$p"); done
  SERVER_PIDS=("${kept[@]}")
}

# Ends the test as skipped (status 77): what it needs ($*) is not here.
# Where every part must be there (CODERAIN_E2E_ALL=1, as scripts/test.sh
# sets it), that fails the test instead.
skip() {
  echo "skipped: needs $*"
  [ "${CODERAIN_E2E_ALL:-}" != 1 ] || { echo "FAILED: CODERAIN_E2E_ALL=1 and a part is missing"; exit 1; }
  exit 77
}

# Ends every server this test started, the last started first.
stop_servers() {
  while ((${#SERVER_PIDS[@]})); do stop_process "${SERVER_PIDS[-1]}"; done
  X_PID=""
}

# Starts a process that lives as long as the servers (command and
# arguments), its output in $WORK/servers.log; sets LAST_PID.
start_server_process() {
  "$@" >>"$WORK/servers.log" 2>&1 &
  LAST_PID=$!
  SERVER_PIDS+=("$LAST_PID")
}

# Starts an X server (command and arguments) on a free display, waits until
# it takes clients and exports DISPLAY; sets X_PID.
start_x_server() {
  local fifo="$WORK/displayfd" n=""
  rm -f "$fifo"
  mkfifo "$fifo"
  "$@" -displayfd 3 -nolisten tcp -noreset 3>"$fifo" >>"$WORK/servers.log" 2>&1 &
  X_PID=$!
  SERVER_PIDS+=("$X_PID")
  read -r -t 20 n <"$fifo" || true
  if [ -z "$n" ]; then
    echo "could not start: $*"
    cat "$WORK/servers.log"
    exit 1
  fi
  export DISPLAY=":$n"
}

# Starts Xvfb at the given size and depth (more arguments go to the
# server). The root is black.
start_xvfb() {
  local size=${1:-1024x768} depth=${2:-24}
  shift $(($# < 2 ? $# : 2))
  start_x_server Xvfb -screen 0 "${size}x${depth}" -br "$@"
}

# Starts an Xephyr of the given size whose screen can change size through
# RandR (xrandr -s WxH, up to 1600x1200), inside an Xvfb of its own.
start_xephyr() {
  start_xvfb 1600x1200
  start_x_server Xephyr -resizeable -screen "${1:-1280x1024}" -br
}

# Starts an X.Org server with the dummy driver, whose outputs DUMMY0 and
# DUMMY1 are monitors for set_monitors. Needs root (the server opens the
# console's devices).
start_xorg_dummy() {
  cat >"$WORK/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2160
  EndSubSection
EndSection
CONF
  # An empty folder of extra configuration, instead of the system's.
  mkdir -p "$WORK/xorg.conf.d"
  start_x_server Xorg -config "$WORK/xorg.conf" -configdir "$WORK/xorg.conf.d" -logfile "$WORK/xorg.log"
  xrandr --addmode DUMMY1 1280x1024 && xrandr --addmode DUMMY1 1920x1080
}

# Places the dummy driver's monitors: "WxH+X+Y" for the primary (DUMMY0)
# and, if given, for a second one (DUMMY1); without it the second is
# switched off. Waits until RandR says so.
set_monitors() {
  local fb_w=0 fb_h=0 m w h x y args=() i=0
  for m in "$@"; do
    IFS='x+' read -r w h x y <<<"$m"
    ((x + w > fb_w)) && fb_w=$((x + w))
    ((y + h > fb_h)) && fb_h=$((y + h))
    args+=(--output "DUMMY$i" --mode "${w}x${h}" --pos "${x}x${y}")
    [ "$i" = 0 ] && args+=(--primary)
    i=$((i + 1))
  done
  [ "$#" -lt 2 ] && args+=(--output DUMMY1 --off)
  xrandr --fb "${fb_w}x${fb_h}" "${args[@]}"
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: $#" ]
}

# The window manager's check window: the root names it and it names itself.
wm_check() {
  local id
  id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
  [ -n "$id" ] && xprop -id "$id" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "$id" && echo "$id"
}

# Starts openbox with two desktops; sets WM_PID. Returns once its check
# window names itself (openbox names it on the root before it takes maps,
# and a window mapped in between is never shown) and it has its desktops.
start_openbox() {
  cat >"$WORK/openbox.xml" <<'XML'
<?xml version="1.0"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <desktops><number>2</number></desktops>
</openbox_config>
XML
  start_server_process openbox --config-file "$WORK/openbox.xml"
  WM_PID=$LAST_PID
  poll 10 eval 'wm_check >/dev/null && [ "$(xdotool get_num_desktops 2>/dev/null)" = 2 ]' || {
    echo "openbox did not start"
    cat "$WORK/servers.log"
    return 1
  }
}

# Starts sway headless on one output of size $1 (WxH), without XWayland,
# its files in $WORK/sway (sway refuses root, so root runs it as nobody,
# and every directory above its files must be open to others), lines of
# its configuration to come first in $2. Sets SWAY_PID, RUN (its XDG_RUNTIME_DIR),
# SOCKET (its WAYLAND_DISPLAY) and IPC (its control socket) once it takes
# clients. Every output's background is magenta, so that any pixel not
# ours shows.
start_sway() {
  _compositor_run_dir
  FIRST_LINES=${2:-} _sway headless "output HEADLESS-1 resolution $1"
}

# A fresh $RUN for a compositor run as nobody where root runs the test.
_compositor_run_dir() {
  chmod 711 "$WORK"
  mkdir -p -m 755 "$WORK/sway"
  RUN="$WORK/sway/run"
  rm -rf "$RUN"
  mkdir -m 700 "$RUN"
  [ "$(id -u)" != 0 ] || chown nobody:nogroup "$RUN"
  SOCKET="" IPC=""
}

# Starts weston headless (as start_sway does sway), a compositor without
# the desktop's layers; sets SOCKET once it takes clients.
start_weston() {
  local as=()
  _compositor_run_dir
  [ "$(id -u)" != 0 ] || as=(setpriv --reuid nobody --regid nogroup --clear-groups)
  start_server_process env -i PATH="$PATH" XDG_RUNTIME_DIR="$RUN" "${as[@]}" \
    weston --backend=headless-backend.so --socket=wayland-1 --idle-time=0
  poll 10 test -S "$RUN/wayland-1" && SOCKET=wayland-1
}

# Starts a sway inside the sway of start_sway whose $1 outputs (WL-1, ...)
# are windows of the outer one: closing one (close_nested_output NAME)
# takes that output away as unplugging a monitor does; $2 as start_sway's.
# SOCKET and IPC are then the nested sway's; OUTER_IPC, the outer one's.
start_nested_sway() {
  OUTER_IPC=$IPC
  WLR_WL_OUTPUTS=$1 FIRST_LINES=${2:-} _sway wayland ""
}
close_nested_output() { swaymsg -s "$OUTER_IPC" "[title=\"wlroots - $1\"] kill" >/dev/null; }

_sway_sockets() { (cd "$RUN" && shopt -s nullglob && echo wayland-? sway-ipc.*.sock); }

# Starts sway on backend $1 with the configuration lines $2, inside the
# sway at SOCKET if there is one; sets SWAY_PID, SOCKET and IPC.
_sway() {
  local as=() i f config="$WORK/sway/$1.config" old
  old=" $(_sway_sockets) "
  printf 'xwayland disable\n%s\noutput * bg #ff00ff solid_color\n%s\n' "${FIRST_LINES:-}" "$2" >"$config"
  chmod 644 "$config"
  [ "$(id -u)" != 0 ] || as=(setpriv --reuid nobody --regid nogroup --clear-groups)
  start_server_process env -i PATH="$PATH" XDG_RUNTIME_DIR="$RUN" ${SOCKET:+WAYLAND_DISPLAY="$SOCKET"} \
    ${WLR_WL_OUTPUTS:+WLR_WL_OUTPUTS="$WLR_WL_OUTPUTS"} WLR_BACKENDS="$1" WLR_LIBINPUT_NO_DEVICES=1 \
    WLR_RENDERER=pixman "${as[@]}" sway -c "$config"
  SWAY_PID=$LAST_PID
  SOCKET="" IPC=""
  for ((i = 0; i < 100; i++)); do
    for f in $(_sway_sockets); do
      [[ "$old" == *" $f "* ]] && continue
      [[ "$f" == wayland-? ]] && SOCKET=$f || IPC=$RUN/$f
    done
    [ -n "$SOCKET" ] && [ -n "$IPC" ] && return 0
    sleep 0.1
  done
  return 1
}

# Runs a Wayland client (command and arguments) on the sway of
# start_sway.
in_sway() { XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$@"; }

# A picture of what sway shows (PICTURE=sway_picture): the whole layout, or
# only output $SHOT_OUTPUT where set, in the outputs' own pixels.
sway_picture() {
  local file=$1
  shift
  in_sway grim -t ppm ${SHOT_OUTPUT:+-o "$SHOT_OUTPUT"} - 2>/dev/null >"$file.all" || return 1
  if [ "$#" -eq 4 ]; then pamcut -left "$1" -top "$2" -width "$3" -height "$4" "$file.all" >"$file"; else mv "$file.all" "$file"; fi
}

# --- The system bus and UPower ---

# A Python with python3-dbusmock: Debian's, where another python3 comes
# first on the PATH.
dbusmock_python() {
  local p
  for p in python3 /usr/bin/python3; do "$p" -c 'import dbusmock' 2>/dev/null && echo "$p" && return 0; done
  return 1
}

# Starts a message bus of the test's own and makes it the system bus of
# whatever starts after (DBUS_SYSTEM_BUS_ADDRESS).
start_system_bus() {
  rm -f "$WORK/system_bus"
  start_server_process dbus-daemon --session --nofork --address="unix:path=$WORK/system_bus"
  export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/system_bus"
  poll 10 test -S "$WORK/system_bus"
}

# What UPower says of property $1 on that bus.
upower_says() {
  dbus-send --system --print-reply=literal --dest=org.freedesktop.UPower /org/freedesktop/UPower \
    org.freedesktop.DBus.Properties.Get string:org.freedesktop.UPower "string:$1" 2>/dev/null
}

# Starts UPower's stand-in, python3-dbusmock's upower template, on that bus:
# on battery where $1 is true. Sets UPOWER_PID once it answers.
start_upower() {
  start_server_process "$(dbusmock_python)" -m dbusmock --system --template upower \
    --parameters "{\"OnBattery\": ${1:-false}}"
  UPOWER_PID=$LAST_PID
  poll 10 upower_says OnBattery >/dev/null
}

# The stand-in says the machine runs on battery ($1 true) or on mains
# (false), as UPower does: the property changes and a signal says so.
set_on_battery() {
  dbus-send --system --print-reply --dest=org.freedesktop.UPower /org/freedesktop/UPower \
    org.freedesktop.DBus.Properties.Set string:org.freedesktop.UPower string:OnBattery "variant:boolean:$1" >/dev/null
}

# --- The xscreensaver daemon ---

# Starts the xscreensaver daemon on the test's X server with one program,
# the command line $1 (a staged program, made readable to all), started
# anew every $2 (H:MM:SS, 0:00:05 by default), and has it blank the screen
# at once; with no command line, the test's own $WORK/home/.xscreensaver
# instead. The staged program's folder is on its PATH. The daemon refuses
# to run as root, so as root it and what it starts run as nobody. Its log
# is $XSS_LOG, its PID XSS_PID; returns once it answers.
start_xscreensaver() {
  local as_user=() home=$WORK/home
  [ "$(id -u)" != 0 ] || as_user=(setpriv --reuid nobody --regid nogroup --clear-groups)
  chmod 755 "$WORK"
  chmod -R a+rX "$WORK/app"
  mkdir -p "$home"
  [ -z "$1" ] || cat >"$home/.xscreensaver" <<CONFIG
timeout:	0:30:00
cycle:		${2:-0:00:05}
lock:		False
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	"coderain" $1 \\n
CONFIG
  [ "$(id -u)" != 0 ] || chown -R nobody:nogroup "$home"
  XSS_LOG=$home/log
  start_server_process "${as_user[@]}" env HOME="$home" PATH="$(dirname "$APP"):$PATH" \
    xscreensaver -no-splash -verbose -log "$XSS_LOG"
  XSS_PID=$LAST_PID
  poll 10 eval 'xscreensaver-command -time >/dev/null 2>&1' || return 1
  xscreensaver-command -activate >/dev/null 2>&1
}

# The programs the daemon has started, "PID WINDOW" a line, the first first.
xss_started() {
  sed -n 's/.*forked "[^"]*coderain[^"]*" in pid \([0-9]*\) on window \(0x[0-9a-f]*\).*/\1 \2/p' "$XSS_LOG"
}

# --- The program ---

# Copies the program and its three source files into directory $1
# ($WORK/app by default); APP is the copy.
stage_program() {
  local dir=${1:-$WORK/app}
  mkdir -p "$dir"
  cp "$CODERAIN_BIN" "$dir/coderain"
  cp "$DATA_DIR"/code*.txt "$dir/"
  APP=$dir/coderain
}

# Starts a staged program (with any arguments, or through env); its stderr
# goes to $WORK/stderr.
start_app() {
  "$@" 2>"$WORK/stderr" &
  APP_PID=$!
}

# Waits up to $1 seconds for the window titled Form1 to be mapped; sets WID.
# A program that has ended maps none.
wait_for_window() {
  local limit=${1:-10} i
  for ((i = 0; i < limit * 20; i++)); do
    WID=$(xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | head -1 || true)
    [ -n "$WID" ] && return 0
    [ -n "$APP_PID" ] && ! kill -0 "$APP_PID" 2>/dev/null && return 1
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

# The program ended with status $1.
ended_with() { [ "${EXIT_STATUS:-x}" = "$1" ]; }

# The program still runs.
alive() { [ -n "$APP_PID" ] && kill -0 "$APP_PID" 2>/dev/null; }

# Process $1's writes a second over $2 seconds (2 by default). On X11 that
# is the program's presents a second, each one write, and one more with
# every 15th (the completion it asks for): presents without a statistics
# build.
writes_a_second() {
  local a b span=${2:-2}
  a=$(awk '/^syscw/ { print $2 }' "/proc/$1/io")
  sleep "$span"
  b=$(awk '/^syscw/ { print $2 }' "/proc/$1/io")
  echo $(((b - a) / span))
}

# Nothing of Xlib's error report on the program's stderr.
no_x_error() { ! grep -q "X Error" "$WORK/stderr"; }

# Exactly one line on stderr, the program's own, beginning with $1.
one_line() { [ "$(wc -l <"$WORK/stderr")" = 1 ] && grep -q "^coderain: $1" "$WORK/stderr"; }

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

# Before a program's path, for start_daemon: runs it with the daemon's
# window in --window-id.
WITH_WINDOW_ID=(sh -c 'exec "$0" --window-id "$XSCREENSAVER_WINDOW"')

# Tells the daemon a command and prints its answer (waits up to 5 s).
tell_daemon() {
  local lines
  lines=$(wc -l <"$WORK/daemon.out")
  alive && echo "$*" >&7 || return 1
  poll 5 eval '[ "$(wc -l <"$WORK/daemon.out")" -gt "$lines" ]' || return 1
  tail -n +$((lines + 1)) "$WORK/daemon.out" | head -1
}

# The geometry of window $1 as WxH+X+Y, its position on the root.
window_geometry() {
  xwininfo -id "$1" 2>/dev/null |
    awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF } /Width:/ { w = $NF }
         /Height:/ { h = $NF } END { print w "x" h "+" x "+" y }'
}

# --- The page, in Chromium ---

# The browser and the driver that talks to it through its DevTools
# protocol (chromium.js, under Node).
CHROMIUM=${CHROMIUM:-chromium}
E2E_DIR="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Starts a headless Chromium showing URL $1 in a window of $2 (WxH), with a
# fresh profile; more flags may follow. Sets CHROMIUM_PID, one of
# SERVER_PIDS (its helper processes are its descendants).
start_chromium() {
  local url=$1 size=$2 as_root=() profile
  shift 2
  [ "$(id -u)" != 0 ] || as_root=(--no-sandbox)
  # A profile of its own: one that the last browser's helpers may still be
  # writing to cannot always be removed yet.
  profile=$(mktemp -d "$WORK/chromium.XXXXXX")
  start_server_process "$CHROMIUM" --headless "${as_root[@]}" --disable-gpu --disable-background-networking \
    --disable-component-update --disable-sync --no-first-run --no-default-browser-check --mute-audio \
    --user-data-dir="$profile" --window-size="${size/x/,}" "$@" "$url"
  CHROMIUM_PID=$LAST_PID
}

# Opens URL $1 in a viewport of $2 (WxH CSS pixels) at device pixel ratio
# $3 (1 by default) in a Chromium of its own, waits until the page says
# what it came to, takes the steps after $4 in turn (keys, clicks, sizes,
# pictures: chromium.js says which), and writes what it said and showed to
# $WORK/page.txt; with $4 (not "-"), its canvas's pixels at the end there
# as a PPM.
open_page() {
  node "$E2E_DIR/chromium.js" "$1" "${2%x*}" "${2#*x}" "${3:-1}" "${4:--}" "${@:5}" >"$WORK/page.txt" 2>&1
}

# page_picture FILE URL WxH [DENSITY]: the page's canvas, as open_page.
page_picture() { open_page "$2" "$3" "${4:-1}" "$1"; }

# What the page showed, by name (scene, line, canvas, cursor, presents,
# ...): at the end, or at its $2-th "facts" step.
page_fact() { sed -n 's/^facts: //p' "$WORK/page.txt" | sed -n "${2:-\$}p" | jq -c -r ".$1"; }
# The scene time the page's picture number $1 (1 by default) showed.
page_shown() { sed -n 's/^picture: [^ ]* //p' "$WORK/page.txt" | sed -n "${1:-1}p"; }

# The page came to $1 (still, none, stopped) and threw no exception.
page_settled() { [ "$(page_fact scene)" = "$1" ] && ! grep -q '^exception: ' "$WORK/page.txt"; }

# --- Pictures ---

# Writes a PPM picture of the screen (or of its rectangle X Y W H) to $1:
# the X screen's, through xprobe, unless PICTURE names another command that
# takes the same arguments.
picture() { ${PICTURE:-_x_picture} "$@"; }
_x_picture() {
  local file=$1
  shift
  xprobe picture "$@" >"$file"
}

# Takes a picture of the whole screen into $WORK/shot.ppm and runs a check
# on it: the check's name, the picture, then its other arguments.
on_screen() {
  picture "$WORK/shot.ppm" || return 1
  "$1" "$WORK/shot.ppm" "${@:2}"
}

# The colours of picture $1 (or of its rectangle X Y W H), one
# "R G B COUNT" a line.
colours() {
  if [ "$#" -gt 1 ]; then
    pamcut -left "$2" -top "$3" -width "$4" -height "$5" "$1"
  else
    cat "$1"
  fi | ppmhist -noheader | awk '{ print $1, $2, $3, $5 }'
}

# The census of colours on stdin (as colours prints them): "total nonblack
# green other", where green has red = blue = 0 and other is neither green
# nor grey (red != blue).
census() {
  awk '{ t += $4 } $1 || $2 || $3 { n += $4 } !$1 && !$3 && $2 { g += $4 } $1 != $3 { o += $4 }
       END { print t + 0, n + 0, g + 0, o + 0 }'
}

# Picture $1 (or its rectangle X Y W H) shows the scene's colours: green,
# and nothing lit but green and grey.
green_and_grey() { colours "$@" | census | awk '{ exit !($3 > 0 && $4 == 0) }'; }

# Picture $1 (or its rectangle X Y W H) is black, every pixel of it.
all_black() { colours "$@" | census | awk '{ exit !($2 == 0) }'; }

# The share of lit pixels in picture $1.
lit_share() { colours "$1" | census | awk '{ printf "%.4f\n", $1 ? $2 / $1 : 0 }'; }

# Rectangle X Y W H of picture $1 holds no pixel of colour "R G B" ($6).
without_colour() { ! colours "$1" "$2" "$3" "$4" "$5" | grep -q "^$6 "; }

# Every aligned S x S block of picture $1 is one colour: the picture is
# the same after a reduction to the blocks' means and back.
in_blocks() {
  local diff
  diff=$(pamscale -reduce "$2" "$1" 2>/dev/null | pamenlarge "$2" | pamarith -difference - "$1" | pamsumm -max -brief)
  [ "$diff" = 0 ]
}

# The scene stands at screen (X, Y) laid out for a width of W scene pixels,
# shown S times as large, or in a miniature R times as small: the left line
# of picWatch's frame, at scene column W - 195, is green from scene row 20
# to 380. Waits up to 8 s for it; says what the line holds if it never is.
#
#   laid_out_for W [X Y [S [R]]]
laid_out_for() { poll 8 frame_line "$@" || { sed 's/^/  | frame line: /' "$WORK/frame.txt"; return 1; }; }
frame_line() {
  local w=$1 x=${2:-0} y=${3:-0} s=${4:-1} r=${5:-1} left top bottom
  left=$((x + (w - 195) * s / r)) top=$((y + (20 * s + r - 1) / r)) bottom=$((y + (381 * s - 1) / r))
  ((r == 1)) || bottom=$((y + 380 / r))
  picture "$WORK/frame.ppm" "$left" "$top" "$s" $((bottom - top + 1)) 2>"$WORK/frame.txt" &&
    colours "$WORK/frame.ppm" >"$WORK/frame.txt" && [ -z "$(awk '$1 || $3 || !$2' "$WORK/frame.txt")" ]
}

# --- Checks ---

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
