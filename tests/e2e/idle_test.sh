#!/usr/bin/env bash
# The program leaves the X server's own screen saver alone in every mode:
# with no input, the server's 3-second saver comes on while the program
# runs, as it would without it, and nothing forces the saver on or off.
source "$(dirname "$0")/harness.sh"
stage_program

# The saver's state and how many notifications were forced, from the
# daemon's watch since it started.
saver_on_unforced() { [ "$(tell_daemon saver)" = "saver on forced 0" ]; }

for mode in "own window" "--root" "--window-id"; do
  start_xvfb 1024x768
  xset s 3 0
  # Each runs laid out for a width of its own: 725x407 is a miniature of
  # 1450x814, reduced by 2.
  case $mode in
    "own window") start_daemon --no-window 1x1 "$APP" && layout=(1024) ;;
    --root) start_daemon 1024x768 "$APP" --root && layout=(1024) ;;
    --window-id) start_daemon 725x407 "${WITH_WINDOW_ID[@]}" "$APP" && layout=(1450 0 0 1 2) ;;
  esac
  check "$mode: the display runs" laid_out_for "${layout[@]}"
  sleep 6
  check "$mode: still running after 6 s" alive
  check "$mode: the X screen saver came on, unforced" saver_on_unforced
  end_app
  stop_servers
done
finish
