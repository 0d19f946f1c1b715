#!/usr/bin/env bash
# Under the real xscreensaver daemon, with "coderain --root" as its only
# program: the daemon starts it on the window it blanks the screen with, the
# scene shows there and no window of the program's own does, and the daemon
# counts every end it gives the program (a new cycle, a key press) as
# normal.
source "$(dirname "$0")/harness.sh"
command -v xscreensaver >/dev/null || skip "xscreensaver (scripts/install-deps.sh installs it)"

# The daemon refuses to run as root, so as root it and everything it starts
# run as nobody, from files nobody can read.
as_user=()
[ "$(id -u)" = 0 ] && as_user=(setpriv --reuid nobody --regid nogroup --clear-groups)
chmod 755 "$WORK"
stage_program
chmod -R a+rX "$WORK/app"
home=$WORK/home
mkdir "$home"
cat >"$home/.xscreensaver" <<CONFIG
timeout:	0:30:00
cycle:		0:00:05
lock:		False
splash:		False
fade:		False
unfade:		False
dpmsEnabled:	False
mode:		one
selected:	0
programs:	"coderain" $APP --root \\n
CONFIG
[ "$(id -u)" = 0 ] && chown -R nobody:nogroup "$home"
log=$home/log

start_xvfb 1280x1024
start_server_process "${as_user[@]}" env HOME="$home" xscreensaver -no-splash -verbose -log "$log"
check "the daemon runs" poll 10 eval 'xscreensaver-command -time >/dev/null 2>&1'
xscreensaver-command -activate >/dev/null 2>&1

# The n-th program the daemon started: "PID WINDOW".
started() {
  sed -n 's/.*forked "[^"]*coderain --root" in pid \([0-9]*\) on window \(0x[0-9a-f]*\).*/\1 \2/p' "$log" | sed -n "${1}p"
}
check "the daemon started coderain --root" poll 10 eval '[ -n "$(started 1)" ]'
read -r pid window <<<"$(started 1)"
check "on the window in XSCREENSAVER_WINDOW" \
  eval 'tr "\0" "\n" <"/proc/$pid/environ" | grep -qx "XSCREENSAVER_WINDOW=$window"'
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
