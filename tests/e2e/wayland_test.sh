#!/usr/bin/env bash
# Native Wayland, under a headless sway of the test's own without XWayland
# (as nobody when run as root): full screen as an xdg_shell client showing
# the scene, in blocks on a dense output; keys end it, but not one held
# before it started; a close from the compositor, SIGTERM and a lost
# compositor end it as they should; an idle timeout still fires; sockets
# that are no compositor end it with one line, or give way to X11 where
# there is one; an empty WAYLAND_DISPLAY is no name. Without sway and its
# tools the test is skipped (status 77).
source "$(dirname "$0")/harness.sh"

for tool in sway swaymsg grim jq wtype swayidle; do
  command -v "$tool" >/dev/null || skip "$tool"
done
FAKE_SOCKET=$(dirname "$CODERAIN_BIN")/tests/fake_socket
stage_program
unset DISPLAY WAYLAND_DISPLAY
PICTURE=sway_picture

# The scene's window is the one full-screen xdg_shell window of ours.
full_screen() {
  swaymsg -s "$IPC" -t get_tree | jq -e '[.. | objects | select(.app_id? == "coderain" and .name? == "Form1"
    and .fullscreen_mode == 1 and .shell == "xdg_shell")] | length == 1' >/dev/null
}
started() { start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$APP" "$@" && poll 10 full_screen; }
ended() { wait_for_exit "$1" && ended_with "$2"; }
sway_up() { start_sway "$1" || { tail -5 "$WORK/servers.log" | sed 's/^/  | /'; skip "a sway that starts"; }; }

sway_up 1920x1080
check "1920x1080: full screen" started
check "1920x1080: laid out for 1920" laid_out_for 1920
scene_colours() { green_and_grey "$1" && without_colour "$1" 0 0 1920 1080 "255 0 255"; }
check "1920x1080: nothing lit but green and grey, nothing of the background" on_screen scene_colours
# A key, after the keyboard has appeared.
in_sway wtype -s 300 x
check "a key: it ends with status 0" ended 2 0

# A key held down before it started, released after: no answer to that.
in_sway wtype -P a -s 3000 -p a &
wtype_pid=$!
sleep 0.5
check "a key held at the start: full screen" started
wait "$wtype_pid" || true
check "a key held at the start: its release ends nothing" alive
in_sway wtype -s 300 b
check "a key held at the start: the next key ends it" ended 2 0

# Out of full screen, into a tiny floating window and back: the scene at
# what it is given.
check "tiny: full screen" started
swaymsg -s "$IPC" '[app_id="coderain"] fullscreen disable, floating enable, resize set 40 30' >/dev/null
sleep 0.5
swaymsg -s "$IPC" '[app_id="coderain"] resize set 1 1' >/dev/null
sleep 0.5
check "tiny: it runs on" alive
swaymsg -s "$IPC" '[app_id="coderain"] fullscreen enable' >/dev/null
check "tiny and back: laid out for 1920" laid_out_for 1920
end_app

# A second one full screen takes it from the first, which rests meanwhile;
# once the second ends, the first, shown again, asks for it back.
check "two at once: the first full screen" started
first_pid=$APP_PID
start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$APP"
sleep 2
# Covered, the first rests: over two seconds it runs for no tick of the
# system's clock and wakes at most twice.
resting() {
  local t w
  t=$(awk '{print $14 + $15}' "/proc/$1/stat") w=$(awk '/^voluntary_ctxt/ {print $2}' "/proc/$1/status")
  sleep 2
  (($(awk '{print $14 + $15}' "/proc/$1/stat") - t <= 1 && $(awk '/^voluntary_ctxt/ {print $2}' "/proc/$1/status") - w <= 2))
}
check "two at once: the first, covered, rests" resting "$first_pid"
in_sway wtype -s 300 x
check "two at once: a key ends the second" ended 2 0
APP_PID=$first_pid
check "two at once: the first is full screen again" poll 3 full_screen
check "two at once: and laid out for 1920" laid_out_for 1920
end_app

check "swaymsg kill: full screen" started
swaymsg -s "$IPC" '[app_id="coderain"] kill' >/dev/null
check "swaymsg kill: it closes with status 0" ended 2 0

# Nothing of ours keeps the session from going idle.
start_server_process env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" swayidle -w timeout 1 "touch $WORK/idle"
check "swayidle: full screen" started
check "swayidle: its timeout fires while the scene runs" poll 5 test -e "$WORK/idle"
kill -TERM "$APP_PID"
check "SIGTERM: status 0 within a second, nothing said" eval 'ended 1 0 && test ! -s "$WORK/stderr"'

check "the compositor to be killed: full screen" started
stop_process "$SWAY_PID" KILL
check "the compositor killed: status 1 within a second" ended 1 1
check "the compositor killed: one line" test "$(cat "$WORK/stderr")" = "coderain: lost the connection to the display"
stop_servers

# A dense output: the scene at its logical size, every pixel 2x2. Without
# WAYLAND_DISPLAY the usual socket is tried.
sway_up 3840x2160
swaymsg -s "$IPC" output HEADLESS-1 scale 2 >/dev/null
ln -s "$SOCKET" "$RUN/wayland-0"
start_app env XDG_RUNTIME_DIR="$RUN" "$APP"
check "scale 2, the usual socket: full screen" poll 10 full_screen
check "scale 2: laid out for 1920 at twice the places" laid_out_for 1920 0 0 2
check "scale 2: every 2x2 block one colour" on_screen in_blocks 2
end_app
# WAYLAND_DISPLAY set but empty is unset: the usual socket, ahead of the X
# server that DISPLAY names.
start_xvfb 1280x720
start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY= "$APP"
check "WAYLAND_DISPLAY empty, DISPLAY set: full screen on the usual socket" poll 10 full_screen
end_app
unset DISPLAY
stop_servers

# Sockets that are no compositor, and paths that name none: one line and
# status 1 within seconds; with an X server there, X11 instead.
"$FAKE_SOCKET" "$WORK/garbage" garbage >"$WORK/garbage.out" &
garbage_pid=$!
"$FAKE_SOCKET" "$WORK/silent" silent >"$WORK/silent.out" &
silent_pid=$!
: >"$WORK/file"
long=$WORK/$(printf 'x%.0s' {1..120})
poll 5 eval 'grep -q ready "$WORK/garbage.out" && grep -q ready "$WORK/silent.out"'
for name in "$WORK/garbage" "$WORK/silent" "$WORK/file" "$long" "wayland-none"; do
  shown=${name#"$WORK/"}
  start_app env XDG_RUNTIME_DIR="$WORK" WAYLAND_DISPLAY="$name" "$APP"
  check "WAYLAND_DISPLAY=${shown:0:12}: status 1 within 5 s" ended 5 1
  check "WAYLAND_DISPLAY=${shown:0:12}: one line" one_line "cannot open the display: DISPLAY is not set, and "
done
start_app env XDG_RUNTIME_DIR="$WORK" WAYLAND_DISPLAY= "$APP"
check "WAYLAND_DISPLAY empty, no compositor: status 1 within 5 s" ended 5 1
check "WAYLAND_DISPLAY empty, no compositor: the usual socket named" \
  one_line "cannot open the display: DISPLAY is not set, and no Wayland compositor at the usual socket (wayland-0) (No such file or directory)$"
start_xvfb 1280x720
for name in "$WORK/garbage" "$WORK/silent"; do
  check "WAYLAND_DISPLAY=${name#"$WORK/"} with an X server: X11" \
    run_app env XDG_RUNTIME_DIR="$WORK" WAYLAND_DISPLAY="$name" "$APP"
  end_app
done
kill "$garbage_pid" "$silent_pid"
finish
