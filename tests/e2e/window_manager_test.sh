#!/usr/bin/env bash
# Under a window manager the window asks to be full screen. A window manager
# killed without cleaning up leaves its check window's id on the root: the
# window that named no longer exists, so no window manager runs, and the
# window covers the screen by itself without asking.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

if ! command -v openbox >/dev/null; then
  echo "skipped: needs openbox"
  exit 77
fi
WM_PID=""
trap '[ -n "$WM_PID" ] && kill -9 "$WM_PID" 2>/dev/null; cleanup' EXIT

start_xvfb 1280x1024
stage_program "$WORK/app"

root_check() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }'; }
asks_full_screen() { xprop -id "$WID" _NET_WM_STATE | grep -q _NET_WM_STATE_FULLSCREEN; }
geometry() { xwininfo -id "$WID" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF} /Width:/{w=$NF} /Height:/{h=$NF} END{print x","y","w","h}'; }

start_wm "$WORK" || echo "openbox did not start"
start_app "$WORK/app/coderain"
check "under openbox: window mapped" wait_for_window 10
check "under openbox: it asks to be full screen" asks_full_screen
xdotool key q
check "under openbox: a key press ends it" wait_for_exit 1

kill -9 "$WM_PID"
wait "$WM_PID" 2>/dev/null || true
WM_PID=""
stale=$(root_check)
check "openbox killed: its id stays on the root" test -n "$stale"
check "openbox killed: the window it names is gone" eval '! xwininfo -id "$stale" >/dev/null 2>&1'
start_app "$WORK/app/coderain"
check "stale property: window mapped" wait_for_window 10
check "stale property: it does not ask to be full screen" eval '! asks_full_screen'
check "stale property: the window covers the screen ($(geometry))" test "$(geometry)" = "0,0,1280,1024"
xdotool key q
check "stale property: a key press ends it" wait_for_exit 1
check "stale property: with status 0" test "${EXIT_STATUS:-x}" = 0
finish
