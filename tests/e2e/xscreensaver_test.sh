#!/usr/bin/env bash
# Under the real xscreensaver daemon, with "coderain --root" as its only
# program: the daemon starts it on the window it blanks the screen with, the
# scene shows there and no window of the program's own does, and the daemon
# counts every end it gives the program (a new cycle, a key press) as
# normal.
source "$(dirname "$0")/harness.sh"
command -v xscreensaver >/dev/null || skip "xscreensaver (scripts/install-deps.sh installs it)"

stage_program
start_xvfb 1280x1024
check "the daemon runs" start_xscreensaver "$APP --root"
log=$XSS_LOG

# The n-th program the daemon started: "PID WINDOW".
started() { xss_started | sed -n "${1}p"; }
check "the daemon started coderain --root" poll 10 eval '[ -n "$(started 1)" ]'
read -r pid window <<<"$(started 1)"
check "on the window in XSCREENSAVER_WINDOW" \
  eval 'tr "\0" "\n" <"/proc/$pid/environ" | grep -qix "XSCREENSAVER_WINDOW=$window"'
check "the screen shows the scene, laid out for it" laid_out_for 1280
check "nothing lit but green and grey" on_screen green_and_grey
check "no Form1 window" eval '! xprobe windows | grep -q " Form1$"'
check "only the daemon's windows are mapped" eval '! xprobe windows | grep " viewable " | grep -v " XScreenSaver$"'

# At the end of a cycle the daemon ends it with SIGTERM and starts another.
check "a new cycle: the daemon ends it (by SIGTERM) and starts another" \
  poll 10 grep -q "child pid $pid (.*) exited normally with SIGTERM" "$log"
check "the next one runs" poll 5 eval '[ -n "$(started 2)" ]'
read -r pid2 _ <<<"$(started 2)"
sleep 1

# A key press ends the blanking, and the daemon ends the program.
gone() { [ ! -e "/proc/$1" ] || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
xdotool key a
check "a key press: the daemon unblanks" poll 5 grep -q "unblanking" "$log"
check "a key press: the program ends" poll 3 gone "$pid2"
check "the daemon saw no abnormal end of it" eval '! grep -E "coderain\).*(abnormally|unexpectedly)" "$log"'
finish
