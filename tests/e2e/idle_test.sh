#!/usr/bin/env bash
# The program leaves the X server's own screen saver alone in every mode:
# with no input, the server's 3-second saver comes on while the program
# runs, as it would without it, and nothing forces the saver on or off.
source "$(dirname "$0")/lib.sh"
stage_program "$WORK/app"
app=$WORK/app/coderain

# The saver's state and how many notifications were forced, from the
# daemon's watch since it started.
saver_on_unforced() { [ "$(tell_daemon saver)" = "saver on forced 0" ]; }

for mode in "own window" "--root" "--window-id"; do
  start_xvfb 1024x768
  xset s 3 0
  # Each runs with picWatch's frame at a column of its own.
  case $mode in
    "own window") start_daemon --no-window 1x1 "$app" && frame="829 20 380" ;;
    --root) start_daemon 1024x768 "$app" --root && frame="829 20 380" ;;
    --window-id)
      start_daemon 725x407 sh -c 'exec "$0" --window-id "$XSCREENSAVER_WINDOW"' "$app" && frame="627 10 190"
      ;;
  esac
  check "$mode: the display runs" poll 6 eval "xprobe column-green $frame 2>/dev/null"
  sleep 6
  check "$mode: still running after 6 s" alive
  check "$mode: the X screen saver came on, unforced" saver_on_unforced
  end_app
  stop_servers
done
finish
