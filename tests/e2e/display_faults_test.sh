#!/usr/bin/env bash
# Screens of other depths, and faults of the display connection: the
# program runs where it can, and where it cannot it ends with one line of
# its own and status 1, never Xlib's report, and SIGTERM always ends it.
source "$(dirname "$0")/harness.sh"
stage_program

# Other depths: the scene runs and stays green (nothing lit but green and
# grey).
for depth in 30 16 15; do
  start_xvfb 1280x720 "$depth"
  check "depth $depth: window mapped" run_app "$APP"
  check "depth $depth: laid out, picWatch's frame green" laid_out_for 1280
  check "depth $depth: nothing lit but green and grey" on_screen green_and_grey
  end_app
  stop_servers
done

start_xvfb 1280x1024

# With stderr closed, a library's message must not reach the X connection.
FONTCONFIG_FILE=/nonexistent.conf "$APP" 2>&- &
APP_PID=$!
: >"$WORK/stderr"
check "stderr closed: window mapped" wait_for_window 6
kill -TERM "$APP_PID" 2>/dev/null || true
check "stderr closed: SIGTERM ends it within 1 s" wait_for_exit 1
end_app

# Its window destroyed by another client.
check "window mapped to be destroyed" run_app "$APP"
sleep 0.5
xprobe destroy "$WID" || true
check "window destroyed: ends within 2 s" wait_for_exit 2
check "window destroyed: status 1" ended_with 1
check "window destroyed: one line of its own" one_line ""
check "window destroyed: no X error" no_x_error
end_app

# SIGTERM while the X server is stopped.
check "window mapped to stop the server" run_app "$APP"
sleep 0.5
kill -STOP "$X_PID"
sleep 0.5
kill -TERM "$APP_PID" 2>/dev/null || true
check "X server stopped: SIGTERM ends it within 1 s" wait_for_exit 1
kill -CONT "$X_PID"
end_app
stop_servers

# Refused by the X server: a wrong cookie, none at all, a file that never
# ends.
cookie() { head -c 16 /dev/urandom | od -An -tx1 | tr -d ' \n'; }
xauth -q -f "$WORK/server.auth" add :0 MIT-MAGIC-COOKIE-1 "$(cookie)" 2>/dev/null
start_xvfb 640x480 24 -auth "$WORK/server.auth"
xauth -q -f "$WORK/wrong.auth" add "$DISPLAY" MIT-MAGIC-COOKIE-1 "$(cookie)" 2>/dev/null
for auth in "$WORK/wrong.auth" /dev/null; do
  start_app env XAUTHORITY="$auth" "$APP"
  check "XAUTHORITY=$auth: ends within 5 s" wait_for_exit 5
  check "XAUTHORITY=$auth: status 1" ended_with 1
  check "XAUTHORITY=$auth: one line of its own" one_line "cannot open the display"
  end_app
done
# Ending by itself is best; at the least, SIGTERM must end it.
start_app env XAUTHORITY=/dev/zero "$APP"
if wait_for_exit 5; then
  check "XAUTHORITY=/dev/zero: ends within 5 s with status 1" test "$EXIT_STATUS" = 1
  check "XAUTHORITY=/dev/zero: one line of its own" one_line "cannot open the display"
else
  kill -TERM "$APP_PID" 2>/dev/null || true
  check "XAUTHORITY=/dev/zero: running after 5 s, SIGTERM ends it within 1 s" wait_for_exit 1
  check "XAUTHORITY=/dev/zero: says nothing but its own line" eval '[ ! -s "$WORK/stderr" ] || one_line ""'
fi
end_app
finish
