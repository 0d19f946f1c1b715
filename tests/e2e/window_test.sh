#!/usr/bin/env bash
# The window covers the screen, is titled Form1, and a key press ends the
# program at once with status 0.
source "$(dirname "$0")/lib.sh"

start_xvfb 1280x1024
stage_program "$WORK/app"
# The Enter that starts the program from a terminal is often still down
# when its window appears: a key held from before does not end it.
xdotool keydown Return
start_app "$WORK/app/coderain" --ignored --arguments
check "window mapped" wait_for_window 10
sleep 0.5
check "a key held since before the start does not end it" kill -0 "$APP_PID"
xdotool keyup Return
geometry=$(xwininfo -id "$WID" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x","y","w","h}')
check "window covers the screen ($geometry)" test "$geometry" = "0,0,1280,1024"
check "title is Form1" test "$(xdotool getwindowname "$WID")" = "Form1"
sleep 0.5
xdotool mousemove 600 500
sleep 0.2
check "moving the mouse does not end it" kill -0 "$APP_PID"
xdotool key q
check "a key press ends it within 1 s" wait_for_exit 1
check "with status 0" test "${EXIT_STATUS:-x}" = 0
finish
