#!/usr/bin/env bash
# Dense screens show the scene in blocks: at 3840x2160 every aligned 2x2
# block of the screen is one colour and the panels stand where they stand
# at 1920x1080, twice as far out; the desktop's Xft.dpi decides where it is
# set; --scale wins over both; screens up to 2560x1440, and any smaller
# than 1024x768, show it as it is; a 16384x16384 screen shows it at the
# largest scale, 8. Bad --scale values end it at once.
source "$(dirname "$0")/harness.sh"
stage_program

for bad in 0 9 x; do
  status=0
  "$APP" --scale "$bad" 2>"$WORK/stderr" || status=$?
  check "--scale $bad: status 2" test "$status" = 2
  check "--scale $bad: one line" test "$(wc -l <"$WORK/stderr")" = 1
done

# Runs the program on a fresh Xvfb of size $1 with X resources $2 and
# program arguments after them, and waits for its window.
run_on() {
  local size=$1 resources=$2
  shift 2
  end_app
  stop_servers
  start_xvfb "$size"
  [ -z "$resources" ] || echo "$resources" | xrdb -merge
  run_app "$APP" "$@"
}

for resources in "Xft.dpi: 192" ""; do
  what="3840x2160${resources:+ with $resources}"
  check "$what: window mapped" run_on 3840x2160 "$resources"
  check "$what: panels at twice their 1920x1080 places" laid_out_for 1920 0 0 2
  check "$what: every 2x2 block one colour" on_screen in_blocks 2
  # A click at the screen's (3700, 900) is on picCommand of the scaled
  # scene (a click there does nothing), and on the bare window of an
  # unscaled one.
  xdotool mousemove 3700 900 click 1
  sleep 0.3
  check "$what: clicks land where the scene is shown" alive
  xdotool mousemove 3700 1500 click 1
  check "$what: a click on the bare screen ends it" wait_for_exit 1
done

check "3840x2160 with Xft.dpi: 96: window mapped" run_on 3840x2160 "Xft.dpi: 96"
check "3840x2160 with Xft.dpi: 96: the desktop's density wins" laid_out_for 3840
check "3840x2160 with Xft.dpi: 96: not in blocks" eval '! on_screen in_blocks 2'

check "2560x1440: window mapped" run_on 2560x1440 ""
check "2560x1440: scale 1" laid_out_for 2560

check "2560x1440 --scale 2: window mapped" run_on 2560x1440 "" --scale 2
check "2560x1440 --scale 2: --scale wins" laid_out_for 1280 0 0 2

# 1025 is odd: the last column stays black past the scaled scene.
check "1025x768 --scale 2: window mapped" run_on 1025x768 "" --scale 2
check "1025x768 --scale 2: the last column black" eval 'laid_out_for 512 0 0 2 && on_screen all_black 1024 0 1 768'

check "16384x16384: window mapped" run_on 16384x16384 ""
check "16384x16384: at the largest scale, 8" laid_out_for 2048 0 0 8

check "800x600 with Xft.dpi: 192: window mapped" run_on 800x600 "Xft.dpi: 192"
check "800x600 with Xft.dpi: 192: too small, a miniature of 1600x1200" laid_out_for 1600 0 0 1 2
xdotool key q
check "a key press ends it" wait_for_exit 1
check "with status 0" ended_with 0
finish
