#!/usr/bin/env bash
# Native Wayland, under a headless sway of the test's own without XWayland:
# with no DISPLAY the program starts full screen and shows the scene (in
# blocks with --scale 2), and a compositor that goes away ends it with the
# program's own line and status 1, not as a request to quit. sway refuses
# to run as root: as root the test runs it as nobody. Without sway, grim
# and jq the test is skipped (status 77).
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/screen_lib.sh"

for tool in sway swaymsg grim jq; do
  if ! command -v "$tool" >/dev/null; then
    echo "skipped: needs $tool"
    exit 77
  fi
done
SWAY_PID=""
trap '[ -n "$SWAY_PID" ] && kill "$SWAY_PID" 2>/dev/null; cleanup' EXIT
stage_program "$WORK/app"
unset DISPLAY WAYLAND_DISPLAY

chmod 711 "$WORK" # for sway, as another user

stop_sway() {
  kill "$SWAY_PID"
  wait "$SWAY_PID" 2>/dev/null || true
  SWAY_PID=""
}

full_screen() {
  swaymsg -s "$IPC" -t get_tree |
    jq -e '[.. | objects | select(.app_id? == "coderain" and .fullscreen_mode == 1)] | length == 1' >/dev/null
}

# What the compositor shows, as a PPM file.
grim_picture() { XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" grim -t ppm "$1" 2>/dev/null; }
PICTURE=grim_picture

if ! start_sway "$WORK" 1280x800; then
  echo "skipped: sway does not start here"
  sed 's/^/  | /' "$WORK/sway/log" | tail -5
  exit 77
fi
start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$WORK/app/coderain"
check "no DISPLAY: it starts full screen" poll 10 full_screen
check "no DISPLAY: it shows the scene" shows_scene 0 0 1280 1
stop_sway
check "the compositor gone: it ends" wait_for_exit 2
check "the compositor gone: with status 1" test "${EXIT_STATUS:-x}" = 1
check "the compositor gone: says so in one line" \
  test "$(cat "$WORK/stderr")" = "coderain: lost the connection to the display"

check "sway again" start_sway "$WORK" 1280x800
# Without WAYLAND_DISPLAY either, the usual socket is tried.
ln -s "$SOCKET" "$RUN/wayland-0"
start_app env XDG_RUNTIME_DIR="$RUN" "$WORK/app/coderain" --scale 2
check "--scale 2: it starts full screen" poll 10 full_screen
check "--scale 2: it shows the scene in blocks" shows_scene 0 0 640 2
check "--scale 2: every 2x2 block one colour" in_blocks "$WORK/shot.ppm" 2
kill -TERM "$APP_PID"
check "SIGTERM: it ends" wait_for_exit 2
check "SIGTERM: with status 0" test "${EXIT_STATUS:-x}" = 0
check "SIGTERM: nothing said" test ! -s "$WORK/stderr"
finish
