#!/usr/bin/env bash
# Native Wayland, under a headless sway of the test's own without XWayland:
# with no DISPLAY the program starts full screen and shows the scene (in
# blocks with --scale 2), and a compositor that goes away ends it with the
# program's own line and status 1, not as a request to quit. sway refuses
# to run as root: as root the test runs it as nobody. Without sway, grim
# and jq the test is skipped (status 77).
source "$(dirname "$0")/harness.sh"

for tool in sway swaymsg grim jq; do
  if ! command -v "$tool" >/dev/null; then
    skip "$tool"
  fi
done
stage_program
unset DISPLAY WAYLAND_DISPLAY

full_screen() {
  swaymsg -s "$IPC" -t get_tree |
    jq -e '[.. | objects | select(.app_id? == "coderain" and .fullscreen_mode == 1)] | length == 1' >/dev/null
}

# What the compositor shows (or its rectangle X Y W H), as a PPM file.
grim_picture() {
  local file=$1
  shift
  XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" grim -t ppm ${1:+-g "$1,$2 ${3}x$4"} "$file" 2>/dev/null
}
PICTURE=grim_picture

if ! start_sway 1280x800; then
  tail -5 "$WORK/servers.log" | sed 's/^/  | /'
  skip "a sway that starts"
fi
start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$APP"
check "no DISPLAY: it starts full screen" poll 10 full_screen
check "no DISPLAY: it shows the scene" laid_out_for 1280
stop_process "$SWAY_PID"
check "the compositor gone: it ends" wait_for_exit 2
check "the compositor gone: with status 1" ended_with 1
check "the compositor gone: says so in one line" \
  test "$(cat "$WORK/stderr")" = "coderain: lost the connection to the display"

check "sway again" start_sway 1280x800
# Without WAYLAND_DISPLAY either, the usual socket is tried.
ln -s "$SOCKET" "$RUN/wayland-0"
start_app env XDG_RUNTIME_DIR="$RUN" "$APP" --scale 2
check "--scale 2: it starts full screen" poll 10 full_screen
check "--scale 2: it shows the scene in blocks" laid_out_for 640 0 0 2
check "--scale 2: every 2x2 block one colour" on_screen in_blocks 2
kill -TERM "$APP_PID"
check "SIGTERM: it ends" wait_for_exit 2
check "SIGTERM: with status 0" ended_with 0
check "SIGTERM: nothing said" test ! -s "$WORK/stderr"
finish
