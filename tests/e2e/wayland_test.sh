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

# The compositor's directory: readable by the user it runs as, with a
# private runtime directory of that user's.
chmod 711 "$WORK"
mkdir -m 755 "$WORK/sway"
printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x800\n' >"$WORK/sway/config"
chmod 644 "$WORK/sway/config"
RUN="$WORK/sway/run"

start_sway() {
  local as=() i
  rm -rf "$RUN"
  mkdir -m 700 "$RUN"
  if [ "$(id -u)" = 0 ]; then
    chown nobody:nogroup "$RUN"
    as=(setpriv --reuid nobody --regid nogroup --clear-groups)
  fi
  env -i PATH="$PATH" XDG_RUNTIME_DIR="$RUN" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as[@]}" sway -c "$WORK/sway/config" >"$WORK/sway.log" 2>&1 &
  SWAY_PID=$!
  for ((i = 0; i < 100; i++)); do
    SOCKET=$(cd "$RUN" && ls wayland-? 2>/dev/null | head -1 || true)
    IPC=$(ls "$RUN"/sway-ipc.*.sock 2>/dev/null | head -1 || true)
    [ -n "$SOCKET" ] && [ -n "$IPC" ] && return 0
    sleep 0.1
  done
  return 1
}

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

if ! start_sway; then
  echo "skipped: sway does not start here"
  sed 's/^/  | /' "$WORK/sway.log" | tail -5
  exit 77
fi
start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$WORK/app/coderain"
check "no DISPLAY: it starts full screen" poll_for 10 full_screen
check "no DISPLAY: it shows the scene" shows_scene 0 0 1280 1
stop_sway
check "the compositor gone: it ends" wait_for_exit 2
check "the compositor gone: with status 1" test "${EXIT_STATUS:-x}" = 1
check "the compositor gone: says so in one line" \
  test "$(cat "$WORK/stderr")" = "coderain: lost the connection to the display"

check "sway again" start_sway
# Without WAYLAND_DISPLAY either, the usual socket is tried.
ln -s "$SOCKET" "$RUN/wayland-0"
start_app env XDG_RUNTIME_DIR="$RUN" "$WORK/app/coderain" --scale 2
check "--scale 2: it starts full screen" poll_for 10 full_screen
check "--scale 2: it shows the scene in blocks" shows_scene 0 0 640 2
check "--scale 2: every 2x2 block one colour" in_blocks "$WORK/shot.ppm" 2
kill -TERM "$APP_PID"
check "SIGTERM: it ends" wait_for_exit 2
check "SIGTERM: with status 0" test "${EXIT_STATUS:-x}" = 0
check "SIGTERM: nothing said" test ! -s "$WORK/stderr"
finish
