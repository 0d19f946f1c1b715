#!/usr/bin/env bash
# A click on picC or on the right-hand panels does nothing; a click on
# picASM or on the bare window ends the program.
source "$(dirname "$0")/harness.sh"

start_xvfb 1024x768
stage_program

check "window mapped" run_app "$APP"
sleep 0.3
for at in "50 250" "900 100" "900 500" "50 650"; do
  xdotool mousemove $at click 1
  sleep 0.2
  check "a click at ($at) leaves it running" alive
done
xdotool mousemove 50 50 click 1
check "a click on picASM ends it" wait_for_exit 1
check "with status 0" ended_with 0

check "window mapped again" run_app "$APP"
sleep 0.3
xdotool mousemove 500 400 click 3
check "a click on the bare window ends it" wait_for_exit 1

check "window mapped for SIGTERM" run_app "$APP"
kill -TERM "$APP_PID"
check "SIGTERM closes it" wait_for_exit 2
check "with status 0" ended_with 0
finish
