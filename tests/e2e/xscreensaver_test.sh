#!/usr/bin/env bash
# Under the real xscreensaver daemon, with "coderain --root" as its only
# program: the daemon starts it on the window it blanks the screen with, the
# scene shows there and no window of the program's own does, and the daemon
# counts every end it gives the program (a new cycle, a key press) as
# normal. Then coderain --xscreensaver-add, run as the daemon's user, on a
# file as the daemon writes it: it adds coderain and changes nothing else,
# keeps the file as it was, changes nothing when run again, and the daemon
# runs the entry it added; where there is no file it makes one with the
# daemon's own list.
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
stop_process "$XSS_PID"

as_user=()
[ "$(id -u)" != 0 ] || as_user=(setpriv --reuid nobody --regid nogroup --clear-groups)
home=$WORK/home
file=$home/.xscreensaver
add() { timeout 10 "${as_user[@]}" env HOME="$home" "$APP" --xscreensaver-add >"$WORK/add.txt" 2>&1; }
# As the daemon writes it: the last entry without a backslash, and lines
# after the list. The entry added is the fourth, the one chosen.
{ grep -v '^programs:\|^selected:' "$file" && printf 'selected:\t3\nprograms:\t\\\n\t\tmaze --root\t\\n\\\n- GL:\t\trubik --root\t\\n\\\n  "Qix (solid)"\tqix -solid\t\\n\n\n\npointerPollTime:\t0:00:05\n'; } >"$WORK/before"
cp "$WORK/before" "$file"
# Each line but the one added, without the blanks and backslash after it.
bare() { grep -v '^\s*coderain --root' "$1" | sed 's/[[:space:]\\]*$//'; }
check "--xscreensaver-add: says it added it" eval 'add && grep -q "^coderain: added \"coderain --root\" to the programs of $file" "$WORK/add.txt"'
check "the file as it was is kept" cmp "$WORK/before" "$file.before-coderain"
check "no other line changed" diff <(bare "$WORK/before") <(bare "$file")
cp "$file" "$WORK/after"
check "again: it says it is there" eval 'add && grep -q "already lists coderain" "$WORK/add.txt"'
check "and changes nothing" cmp "$WORK/after" "$file"
check "the daemon reads the file" start_xscreensaver ""
check "and runs the entry added: coderain --root" poll 10 eval 'grep -q "forked \"coderain --root\" in pid" "$XSS_LOG"'

rm "$file"
defaults=/etc/X11/app-defaults/XScreenSaver
check "no file: it makes one" eval 'add && [ -f "$file" ]'
# The entries of the list in file $1, one a line, without the blanks
# around them.
entries() { sed -n '/^\**programs:/,/[^\\]$/p' "$1" | grep -o '[^[:space:]].*\\n' | sed 's/[[:space:]]*\\n$//'; }
check "with the daemon's list and coderain after it" diff <(entries "$defaults"; echo "coderain --root") <(entries "$file")
finish
