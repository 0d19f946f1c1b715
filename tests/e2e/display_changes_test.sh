#!/usr/bin/env bash
# The window or the screen changes size, or the window is hidden and shown
# again: the program keeps running, says nothing of X errors, and the scene
# is laid out for the size it now has. With a scene on every monitor,
# twenty monitors, a monitor of one pixel and monitors that come and go ten
# times a second change nothing but the scenes.
source "$(dirname "$0")/harness.sh"
stage_program

# Checks, after $1 (what changed), that the program runs on, with nothing
# of an X error said, laid out for width $2 (in a miniature $3 times as
# small where the window is too small for the layout).
expect_layout() {
  check "$1: laid out for width $2" laid_out_for "$2" 0 0 1 "${3:-1}"
  check "$1: still running" alive
  check "$1: no X error" no_x_error
}

# Without a window manager, another client resizes the window.
start_xvfb 1600x1200
check "window mapped" run_app "$APP"
sleep 2
xdotool windowsize "$WID" 800 600 2>/dev/null || true
expect_layout "window shrunk to 800x600: a miniature" 1600 2
xdotool windowsize "$WID" 1600 1200 2>/dev/null || true
expect_layout "window grown back to 1600x1200" 1600

# Fifty size changes in a row (smaller, larger, the same), ending at
# 1024x768.
check "window mapped for 50 size changes" run_app "$APP"
sleep 1
changes=()
for ((i = 0; i < 49; i++)); do
  case $((i % 5)) in
    0) size="800 600" ;; 1) size="1600 1200" ;; 2) size="1600 1200" ;; 3) size="640 480" ;; 4) size="1280 1024" ;;
  esac
  changes+=(windowsize "$WID" "${size% *}" "${size#* }")
done
xdotool "${changes[@]}" windowsize "$WID" 1024 768 2>/dev/null || true
expect_layout "50 size changes ending at 1024x768" 1024
check "50 size changes: the window keeps the last size" test "$(window_geometry "$WID")" = 1024x768+0+0
end_app
stop_servers

# Without a window manager, the screen changes size: the window follows it.
start_xephyr 1280x1024
check "window mapped in a resizable screen" run_app "$APP"
sleep 2
for size in 1600x1200:1600:1 800x600:1600:2; do
  IFS=: read -r size width reduced <<<"$size"
  xrandr -s "$size"
  check "screen now $size: the window follows" poll 5 eval '[ "$(window_geometry "$WID")" = '"$size+0+0"' ]'
  expect_layout "screen now $size" "$width" "$reduced"
done

# Under a window manager, the screen changes size.
xrandr -s 1280x1024
start_openbox
check "window mapped under a window manager" run_app "$APP"
sleep 2
for ((i = 0; i < 4; i++)); do
  xrandr -s 800x600
  sleep 0.7
  xrandr -s 1280x1024
  sleep 0.7
done
expect_layout "screen at 800x600 and back four times" 1280
xrandr -s 1600x1200
expect_layout "screen grown to 1600x1200" 1600

# Hidden (another desktop, minimised) and shown again: the picture comes
# back at once, as it was.
xrandr -s 1280x1024
check "window mapped for hiding" run_app "$APP"
check "laid out before hiding" laid_out_for 1280
sleep 1
before=$(on_screen lit_share)
# As before: picWatch's frame is there, and at least four fifths of what
# was lit.
as_before() {
  frame_line 1280 && awk -v now="$(on_screen lit_share)" -v before="$before" 'BEGIN { exit !(now >= 0.8 * before) }'
}
xdotool set_desktop 1
sleep 1
xdotool set_desktop 0
check "back from another desktop: within 1 s as before ($before lit)" poll 1 as_before
xdotool windowminimize "$WID" 2>/dev/null || true
sleep 1
xdotool windowactivate "$WID" 2>/dev/null || true
check "restored after minimising: within 1 s as before" poll 1 as_before
check "hidden and shown: still running" alive
check "hidden and shown: no X error" no_x_error
end_app

# A scene on every monitor of RandR's own (virtual monitors on Xvfb, which
# it reads as it starts: no event announces them).
stop_servers
start_xvfb 3840x2160
monitors() {  # each "WxH+X+Y"; the first takes the screen's output, whose own monitor then goes
  local i=0 w h x y
  for m in "$@"; do
    IFS='x+' read -r w h x y <<<"$m"
    xrandr --setmonitor "m$i" "$w/1x$h/1+$x+$y" "$( ((i)) && echo none || echo screen)" >/dev/null
    i=$((i + 1))
  done
}
scenes() { xdotool search --onlyvisible --name '^Form1$' 2>/dev/null | wc -l; }
twenty=()
for ((i = 0; i < 20; i++)); do twenty+=("768x540+$((i % 5 * 768))+$((i / 5 * 540))"); done
monitors "${twenty[@]}"
check "twenty monitors: a scene on each" eval 'run_app "$APP" --every-monitor && poll 5 eval "[ \$(scenes) = 20 ]"'
xdotool key q
check "twenty monitors: a key ends them all, nothing said" eval 'wait_for_exit 2 && ended_with 0 && test ! -s "$WORK/stderr"'
for ((i = 0; i < 20; i++)); do xrandr --delmonitor "m$i"; done
monitors 3840x2160+0+0 1x1+3000+2000
check "a monitor of one pixel: a scene there too" eval 'run_app "$APP" --every-monitor && poll 5 eval "[ \$(scenes) = 2 ]"'
check "a monitor of one pixel: running, nothing said" eval 'sleep 1 && alive && test ! -s "$WORK/stderr"'
end_app
finish
