#!/usr/bin/env bash
# In a window lent by a screen-saver daemon (--root, --window-id): the scene
# is drawn into that window and laid out for its size, in miniature where it
# is short; no window of the program's own; input changes nothing; SIGTERM
# ends it by that signal; the window's end ends it quietly; a window that is
# not there, a garbled XSCREENSAVER_WINDOW, no X display and a lost X server
# each get one line.
source "$(dirname "$0")/lib.sh"
stage_program "$WORK/app"
app=$WORK/app/coderain

# Exactly one line on stderr, the program's own, matching $1.
one_line() { [ "$(wc -l <"$WORK/stderr")" = 1 ] && grep -q "^coderain: $1" "$WORK/stderr"; }
# The rectangle X Y W H of the screen holds green and nothing lit but green
# and grey.
scene_in() { xprobe census "$@" | awk '{ exit !($3 > 0 && $4 == 0) }'; }
black_in() { xprobe census "$@" | awk '{ exit !($2 == 0) }'; }
# The column X from Y0 to Y1 turns green within 6 s: the left line of
# picWatch's frame, for a scene laid out to the window's size.
frame_at() { poll 6 xprobe column-green "$@" 2>/dev/null; }
# The root's children, mapped or not, are the daemon's window alone.
only_the_daemons_window() { [ "$(xprobe windows | awk '{ print $1 }')" = "$DAEMON_WINDOW" ]; }
ended_by() { [ "${EXIT_STATUS:-x}" = "$1" ]; }

start_xvfb 1280x1024

# --root in the daemon's window.
check "--root: started in the daemon's window" start_daemon 1024x768 "$app" --root
check "--root: laid out for the window (frame at x 829)" frame_at 829 20 380
check "--root: the scene is in the window" scene_in 0 0 1024 768
check "--root: nothing drawn outside it" black_in 1024 0 256 1024
sleep 0.5
check "--root: no window of its own, mapped or not" only_the_daemons_window
xdotool mousemove 300 300 click 1 key a
sleep 0.5
check "a key press and a click reached the window" eval '[ "$(tell_daemon input)" = "input keys 1 buttons 1" ]'
check "a key press and a click leave it running" alive
tell_daemon resize 1280 800 >/dev/null || true
check "grown to 1280x800: laid out anew (frame at x 1085)" frame_at 1085 20 380
check "grown to 1280x800: the new area is drawn" scene_in 1024 0 256 800
tell_daemon resize 725 407 >/dev/null || true
# 725x407 is reduced by 2: the frame's line at (1450 - 195) / 2.
check "shrunk to 725x407: laid out for 1450x814 in miniature" frame_at 627 10 190
check "shrunk to 725x407: nothing drawn outside it" black_in 725 0 555 1024
kill -TERM "$PROGRAM_PID" 2>/dev/null || true
check "SIGTERM ends it within 1 s" wait_for_exit 1
check "by the signal (143)" ended_by 143
check "SIGTERM: nothing on stderr" test ! -s "$WORK/stderr"

# --window-id, an override-redirect window, destroyed under it.
check "--window-id: started" start_daemon --override-redirect 1024x768 \
  sh -c 'exec "$0" --window-id "$XSCREENSAVER_WINDOW"' "$app"
check "--window-id: laid out for the window" frame_at 829 20 380
gone=$DAEMON_WINDOW
tell_daemon destroy >/dev/null || true
check "window destroyed: ends within 2 s" wait_for_exit 2
check "window destroyed: status 0" ended_by 0
check "window destroyed: nothing on stderr" test ! -s "$WORK/stderr"

start_app "$app" --window-id "$gone"
check "a window that is gone: ends within 5 s" wait_for_exit 5
check "a window that is gone: status 1" ended_by 1
check "a window that is gone: one line naming it" one_line "cannot draw into window $gone: there is no such window"

# Preview panes: the whole scene in miniature.
check "565x317: started" start_daemon 565x317 sh -c 'exec "$0" --window-id "$XSCREENSAVER_WINDOW"' "$app"
check "565x317: reduced by 3 (frame at x 500)" frame_at 500 7 126
check "565x317: the scene in miniature" scene_in 0 0 565 317
check "565x317: nothing drawn outside it" black_in 565 0 715 1024
end_app
check "725x407: started" start_daemon 725x407 "$app" --root
check "725x407: reduced by 2 (frame at x 627)" frame_at 627 10 190
check "725x407: the scene in miniature" scene_in 0 0 725 407
end_app

# The root window: XSCREENSAVER_WINDOW garbled, then not set.
start_app env XSCREENSAVER_WINDOW=garbage "$app" --root
check "XSCREENSAVER_WINDOW=garbage: the root window (frame at x 1085)" frame_at 1085 20 380
check "XSCREENSAVER_WINDOW=garbage: one line says so" \
  one_line "XSCREENSAVER_WINDOW=garbage is not a window id; drawing on the root window"
end_app
check "the root window: SIGTERM ends it by the signal" ended_by 143
start_app env -u XSCREENSAVER_WINDOW "$app" --root
sleep 1
check "XSCREENSAVER_WINDOW not set: the root window, nothing said" eval 'alive && [ ! -s "$WORK/stderr" ]'
# The X server goes away under it.
kill "$XVFB_PID"
check "X server gone: ends within 3 s" wait_for_exit 3
check "X server gone: status 1" ended_by 1
check "X server gone: one line" one_line "lost the connection to the display"
stop_servers

start_app env -u DISPLAY WAYLAND_DISPLAY=wayland-9 "$app" --root
check "no X display: ends within 5 s" wait_for_exit 5
check "no X display: status 1 and one line" eval 'ended_by 1 && one_line "cannot open the display"'

# From a point to the largest screens and back.
start_xvfb 7680x4320
check "8K screen: started" start_daemon 800x600 "$app" --root
for size in "1 1" "7680 4320" "1 1" "7680 4320" "640 400" "1 1" "7680 4320"; do
  tell_daemon resize $size >/dev/null || true
  sleep 0.3
done
check "1x1 and 7680x4320 in turn: still running" alive
check "7680x4320: laid out for it (frame at x 7485)" frame_at 7485 20 380
check "no X error" no_x_error
kill -TERM "$PROGRAM_PID" 2>/dev/null || true
check "7680x4320: SIGTERM ends it within 1 s, by the signal" eval 'wait_for_exit 1 && ended_by 143'
finish
