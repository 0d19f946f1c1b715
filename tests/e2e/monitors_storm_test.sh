#!/usr/bin/env bash
# A monitor that comes and goes back to back, with no pause between the
# changes (a flapping cable, a dock, a KVM switch), and layouts switched
# back to back: with --every-monitor, changes of one batch of events may
# add a screen and take it away again before its scene starts. The program
# keeps running, one scene a monitor, and says nothing. scripts/test.sh
# also runs this against the program built with AddressSanitizer. Needs
# root for the X.Org dummy driver (else status 77).
source "$(dirname "$0")/harness.sh"

if [ "$(id -u)" != 0 ] || ! command -v Xorg >/dev/null; then
  skip "root and Xorg with the dummy driver"
fi
start_xorg_dummy
stage_program

set_monitors 1920x1080+0+0 1280x1024+1920+0
start_app "$APP" --every-monitor
check "window mapped" wait_for_window 20
for ((i = 0; i < 100; i++)); do
  xrandr --output DUMMY1 --mode 1280x1024 --pos 1920x0 --fb 3200x1080
  xrandr --output DUMMY1 --off --fb 1920x1080
done
check "a monitor that came and went 100 times: still running" eval 'alive && laid_out_for 1920'
for ((i = 0; i < 10; i++)); do
  for layout in "1920x1080+0+0 1280x1024+1920+0" "1920x1080+1280+0 1280x1024+0+0" "1280x1024+0+0" \
    "1280x1024+1280+0 1280x1024+0+0"; do
    set_monitors $layout
  done
done
check "40 layouts back to back: still running" alive
set_monitors 1920x1080+0+0 1280x1024+1920+0
check "then a scene on each monitor" eval 'laid_out_for 1920 && laid_out_for 1280 1920 0'
xdotool key q
check "a key ends them all" wait_for_exit 10
check "with status 0, nothing said" eval 'ended_with 0 && test ! -s "$WORK/stderr"'
finish
