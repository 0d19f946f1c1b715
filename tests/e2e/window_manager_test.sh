#!/usr/bin/env bash
# Under a window manager the window asks to be full screen. A window manager
# killed without cleaning up leaves its check window's id on the root: the
# window that named no longer exists, so no window manager runs, and the
# window covers the screen by itself without asking.
source "$(dirname "$0")/harness.sh"

if ! command -v openbox >/dev/null; then
  skip openbox
fi

start_xvfb 1280x1024
stage_program
asks_full_screen() { xprop -id "$WID" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }

start_openbox
check "under openbox: window mapped" run_app "$APP"
check "under openbox: it asks to be full screen" asks_full_screen
xdotool key q
check "under openbox: a key press ends it" wait_for_exit 1

stop_process "$WM_PID" KILL
stale=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
check "openbox killed: its id stays on the root" test -n "$stale"
check "openbox killed: the window it names is gone" eval '! xwininfo -id "$stale" >/dev/null 2>&1'
check "stale property: window mapped" run_app "$APP"
check "stale property: it does not ask to be full screen" eval '! asks_full_screen'
check "stale property: the window covers the screen ($(window_geometry "$WID"))" \
  test "$(window_geometry "$WID")" = 1280x1024+0+0
xdotool key q
check "stale property: a key press ends it" wait_for_exit 1
check "stale property: with status 0" ended_with 0
finish
