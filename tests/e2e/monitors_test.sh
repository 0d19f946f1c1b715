#!/usr/bin/env bash
# Every monitor is covered: the scene on the primary monitor at its own
# place, a black window on the other, with and without a window manager,
# and still so while monitors move, change size, go and come back. With
# --every-monitor each monitor has a scene of its own. The
# X.Org server's dummy driver places monitors side by side (Xvfb cannot);
# it needs root, so without root the test is skipped (status 77).
source "$(dirname "$0")/harness.sh"

if [ "$(id -u)" != 0 ] || ! command -v Xorg >/dev/null || ! command -v openbox >/dev/null; then
  skip "root, Xorg with the dummy driver and openbox"
fi
start_xorg_dummy
stage_program
MAGENTA="255 0 255"

# The scene stands on the primary monitor $1 (WxH+X+Y), laid out for its
# width, and the other monitor $2, if any, is black; neither shows the
# root's colour. Waits up to 8 s for the scene to draw its frame.
covered() {
  local w h x y ow oh ox oy
  IFS='x+' read -r w h x y <<<"$1"
  laid_out_for "$w" "$x" "$y" || { echo "  no scene at $1"; return 1; }
  picture "$WORK/shot.ppm"
  without_colour "$WORK/shot.ppm" "$x" "$y" "$w" "$h" "$MAGENTA" || { echo "  the root shows on $1"; return 1; }
  [ -n "${2:-}" ] || return 0
  IFS='x+' read -r ow oh ox oy <<<"$2"
  all_black "$WORK/shot.ppm" "$ox" "$oy" "$ow" "$oh" || { echo "  $2 is not black"; return 1; }
}

for wm in without with; do
  for layout in "1920x1080+0+0 1280x1024+1920+0" "1920x1080+1280+0 1280x1024+0+0"; do
    read -r primary other <<<"$layout"
    IFS='x+' read -r ow oh ox oy <<<"$other"
    what="$wm a window manager, primary $primary, other $other"
    set_monitors "$primary" "$other"
    xsetroot -solid '#ff00ff'
    [ "$wm" != with ] || start_openbox
    start_app "$APP"
    check "$what: window mapped" wait_for_window 10
    check "$what: every monitor covered" covered "$primary" "$other"
    # A window over the black one and gone again: the server repaints it.
    xlogo -geometry "300x300+$((ox + 100))+$((oy + 100))" 2>/dev/null &
    xlogo_pid=$!
    sleep 0.5
    kill "$xlogo_pid"
    wait "$xlogo_pid" 2>/dev/null || true
    sleep 0.3
    check "$what: black again after an exposure" covered "$primary" "$other"
    xdotool key q
    check "$what: a key press ends it" wait_for_exit 1
    check "$what: with status 0" ended_with 0
    [ "$wm" != with ] || stop_process "$WM_PID"
  done
done

# --output puts the scene on the monitor of that RandR output, laid out
# for it, and covers the primary; it follows the output as it moves, goes
# (the primary takes it) and comes back. An output not there is refused.
set_monitors 1920x1080+0+0 1280x1024+1920+0
start_app "$APP" --output DUMMY1
check "--output DUMMY1: window mapped" wait_for_window 10
check "--output DUMMY1: the scene there, the primary black" covered 1280x1024+1920+0 1920x1080+0+0
for layout in "1920x1080+1280+0 1280x1024+0+0" "1920x1080+0+0" "1920x1080+0+0 1280x1024+1920+0"; do
  read -r primary other <<<"$layout"
  set_monitors $layout
  check "--output DUMMY1, changed to $layout: followed" eval "covered ${other:-$primary} ${other:+$primary}"
done
xdotool key q
check "--output DUMMY1: a key ends it, status 0" eval 'wait_for_exit 1 && ended_with 0'
start_app "$APP" --output NOSUCH
check "--output NOSUCH: status 1" eval 'wait_for_exit 5 && ended_with 1'
check "--output NOSUCH: one line naming the outputs" one_line "--output NOSUCH: no such output (there are DUMMY0, DUMMY1)"

# Monitors change while it runs: it follows the primary monitor, covers
# whatever else there is, and keeps running.
for wm in without with; do
  set_monitors 1920x1080+0+0 1280x1024+1920+0
  [ "$wm" != with ] || start_openbox
  start_app "$APP"
  check "$wm a window manager: window mapped" wait_for_window 10
  for layout in "1920x1080+1280+0 1280x1024+0+0" "1280x1024+1280+0 1280x1024+0+0" "1280x1024+0+0" \
    "1920x1080+0+0 1280x1024+1920+0"; do
    read -r primary other <<<"$layout"
    set_monitors $layout
    check "$wm a window manager, changed to $layout: still running" alive
    check "$wm a window manager, changed to $layout: every monitor covered" covered "$primary" "${other:-}"
  done
  # A click on the black monitor is a click on the bare screen.
  xdotool mousemove 2500 500 click 1
  check "$wm a window manager: a click on the black monitor ends it" wait_for_exit 1
  check "$wm a window manager: with status 0" ended_with 0
  check "$wm a window manager: nothing said" test ! -s "$WORK/stderr"
  [ "$wm" != with ] || stop_process "$WM_PID"
done

# With --every-monitor, a scene of its own on each monitor, laid out for
# it: two scenes, not one picture. A click on a scene's picC does nothing,
# one on its bare screen ends them all, and so does a key; a monitor that
# goes takes its scene along, one that comes gets a scene.
for wm in without with; do
  what="--every-monitor $wm a window manager"
  set_monitors 1920x1080+0+0 1280x1024+1920+0
  [ "$wm" != with ] || start_openbox
  start_app "$APP" --every-monitor
  check "$what: window mapped" wait_for_window 10
  check "$what: each monitor laid out for its own size" eval 'laid_out_for 1920 && laid_out_for 1280 1920 0'
  picture "$WORK/shot.ppm"
  check "$what: two scenes, not one picture" eval '! cmp -s <(pamcut 0 600 1280 424 "$WORK/shot.ppm") \
    <(pamcut 1920 600 1280 424 "$WORK/shot.ppm")'
  xdotool mousemove 1970 250 click 1
  sleep 0.3
  check "$what: a click on the second scene's picC does nothing" alive
  set_monitors 1920x1080+0+0
  sleep 1
  check "$what: a monitor gone, the other scene runs" eval 'alive && laid_out_for 1920'
  set_monitors 1920x1080+0+0 1280x1024+1920+0
  check "$what: a monitor back gets a scene" laid_out_for 1280 1920 0
  xdotool mousemove 2500 800 click 1
  check "$what: a click on the second's bare screen ends them all" wait_for_exit 1
  check "$what: with status 0, nothing said" eval 'ended_with 0 && test ! -s "$WORK/stderr"'
  start_app "$APP" --every-monitor
  check "$what: window mapped again" wait_for_window 10
  # A monitor that comes and goes ten times a second, for three seconds.
  for ((i = 0; i < 15; i++)); do
    set_monitors 1920x1080+0+0 1280x1024+1920+0
    sleep 0.05
    set_monitors 1920x1080+0+0
    sleep 0.05
  done
  check "$what: a monitor that comes and goes, still running" eval 'alive && laid_out_for 1920'
  xdotool key q
  check "$what: a key ends them all" wait_for_exit 1
  [ "$wm" != with ] || stop_process "$WM_PID"
done
finish
