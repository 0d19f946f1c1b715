#!/usr/bin/env bash
# In a window lent by a screen-saver daemon (--root, --window-id): the scene
# is drawn into that window and laid out for its size, in miniature where it
# is short; no window of the program's own; input changes nothing; SIGTERM
# ends it by that signal; the window's end ends it quietly; a window that is
# not there or past 29 bits, a garbled XSCREENSAVER_WINDOW, no X display and
# a lost X server each get one line; an alpha channel stays opaque.
source "$(dirname "$0")/harness.sh"
stage_program

# The root's children, mapped or not, are the daemon's window alone.
only_the_daemons_window() { [ "$(xprobe windows | awk '{ print $1 }')" = "$DAEMON_WINDOW" ]; }

start_xvfb 1280x1024

# --root in the daemon's window.
check "--root: started in the daemon's window" start_daemon 1024x768 "$APP" --root
check "--root: laid out for the window" laid_out_for 1024
check "--root: the scene is in the window" on_screen green_and_grey 0 0 1024 768
check "--root: nothing drawn outside it" on_screen all_black 1024 0 256 1024
sleep 0.5
check "--root: no window of its own, mapped or not" only_the_daemons_window
xdotool mousemove 300 300 click 1 key a
sleep 0.5
check "a key press and a click reached the window" eval '[ "$(tell_daemon input)" = "input keys 1 buttons 1" ]'
check "a key press and a click leave it running" alive
tell_daemon resize 1280 800 >/dev/null || true
check "grown to 1280x800: laid out anew" laid_out_for 1280
check "grown to 1280x800: the new area is drawn" on_screen green_and_grey 1024 0 256 800
tell_daemon resize 725 407 >/dev/null || true
check "shrunk to 725x407: laid out for 1450x814 in miniature" laid_out_for 1450 0 0 1 2
check "shrunk to 725x407: nothing drawn outside it" on_screen all_black 725 0 555 1024
kill -TERM "$PROGRAM_PID" 2>/dev/null || true
check "SIGTERM ends it within 1 s" wait_for_exit 1
check "by the signal (143)" ended_with 143
check "SIGTERM: nothing on stderr" test ! -s "$WORK/stderr"

# --window-id, an override-redirect window, destroyed under it.
check "--window-id: started" start_daemon --override-redirect 1024x768 "${WITH_WINDOW_ID[@]}" "$APP"
check "--window-id: laid out for the window" laid_out_for 1024
gone=$DAEMON_WINDOW
tell_daemon destroy >/dev/null || true
check "window destroyed: ends within 2 s" wait_for_exit 2
check "window destroyed: status 0" ended_with 0
check "window destroyed: nothing on stderr" test ! -s "$WORK/stderr"

start_app "$APP" --window-id "$gone"
check "a window that is gone: ends within 5 s" wait_for_exit 5
check "a window that is gone: status 1" ended_with 1
check "a window that is gone: one line naming it" one_line "cannot draw into window $gone: there is no such window"

# An id past X's 29 bits names no window, though its low bits name a live one.
check "an id past 29 bits: started" \
  start_daemon 640x480 sh -c 'exec "$0" --window-id "$(printf 0x1%08x "$XSCREENSAVER_WINDOW")"' "$APP"
check "an id past 29 bits: ends within 5 s with status 1" eval 'wait_for_exit 5 && ended_with 1'
check "an id past 29 bits: one line naming it" one_line "cannot draw into window 0x1[0-9a-f]*: there is no such window"

# A window with an alpha channel is shown opaque; one grown past what the
# memory allows keeps the scene at the size it has.
check "an ARGB window: started" start_daemon --argb 1024x768 "$APP" --root
check "an ARGB window: laid out for it" laid_out_for 1024
check "an ARGB window: every pixel opaque" eval '[ "$(tell_daemon see-through)" = "see-through 0" ]'
check "250 MB of memory: started" start_daemon 1024x768 sh -c 'ulimit -v 250000; exec "$0" --root' "$APP"
check "250 MB of memory: laid out" laid_out_for 1024
tell_daemon resize 20000 20000 >/dev/null || true
sleep 1
check "grown to 20000x20000: still running at 1024x768" eval 'alive && laid_out_for 1024'
end_app

# Preview panes: the whole scene in miniature.
check "565x317: started" start_daemon 565x317 "${WITH_WINDOW_ID[@]}" "$APP"
check "565x317: laid out for 1695x951, reduced by 3" laid_out_for 1695 0 0 1 3
check "565x317: the scene in miniature" on_screen green_and_grey 0 0 565 317
check "565x317: nothing drawn outside it" on_screen all_black 565 0 715 1024
end_app
check "725x407: started" start_daemon 725x407 "$APP" --root
check "725x407: laid out for 1450x814, reduced by 2" laid_out_for 1450 0 0 1 2
check "725x407: the scene in miniature" on_screen green_and_grey 0 0 725 407
end_app

# The root window: XSCREENSAVER_WINDOW garbled, then not set.
start_app env XSCREENSAVER_WINDOW=garbage "$APP" --root
check "XSCREENSAVER_WINDOW=garbage: the root window" laid_out_for 1280
check "XSCREENSAVER_WINDOW=garbage: one line says so" \
  one_line "XSCREENSAVER_WINDOW=garbage is not a window id; drawing on the root window"
end_app
check "the root window: SIGTERM ends it by the signal" ended_with 143
start_app env -u XSCREENSAVER_WINDOW "$APP" --root
sleep 1
check "XSCREENSAVER_WINDOW not set: the root window, nothing said" eval 'alive && [ ! -s "$WORK/stderr" ]'
# The X server goes away under it.
kill "$X_PID"
check "X server gone: ends within 3 s" wait_for_exit 3
check "X server gone: status 1" ended_with 1
check "X server gone: one line" one_line "lost the connection to the display"
stop_servers

start_app env -u DISPLAY WAYLAND_DISPLAY=wayland-9 "$APP" --root
check "no X display: ends within 5 s" wait_for_exit 5
check "no X display: status 1 and one line" eval 'ended_with 1 && one_line "cannot open the display"'

# From a point to the largest screens and back.
start_xvfb 7680x4320
check "8K screen: started" start_daemon 800x600 "$APP" --root
for size in "1 1" "7680 4320" "1 1" "7680 4320" "640 400" "1 1" "7680 4320"; do
  tell_daemon resize $size >/dev/null || true
  sleep 0.3
done
check "1x1 and 7680x4320 in turn: still running" alive
check "7680x4320: laid out for it" laid_out_for 7680
check "no X error" no_x_error
kill -TERM "$PROGRAM_PID" 2>/dev/null || true
check "7680x4320: SIGTERM ends it within 1 s, by the signal" eval 'wait_for_exit 1 && ended_with 143'
finish
