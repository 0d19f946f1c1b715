#!/usr/bin/env bash
# Start-up failures: one line naming what failed and where, status 1 and no
# window.
source "$(dirname "$0")/lib.sh"

start_xvfb 1024x768
stage_program "$WORK/app"
rm "$WORK/app/codeVB.txt"
start_app "$WORK/app/coderain"
check "ends" wait_for_exit 5
check "with status 1" test "${EXIT_STATUS:-x}" = 1
check "names codeVB.txt" grep -q "^coderain: cannot open source file $WORK/app/codeVB.txt: No such file or directory$" "$WORK/stderr"
check "says one line" test "$(wc -l <"$WORK/stderr")" = 1
check "maps no window" test -z "$(xdotool search --name '^Form1$' 2>/dev/null || true)"

mkdir "$WORK/app/codeVB.txt"
start_app "$WORK/app/coderain"
check "a directory in its place: ends" wait_for_exit 5
check "a directory in its place: status 1" test "${EXIT_STATUS:-x}" = 1
check "names the directory" grep -q "codeVB.txt: is a directory" "$WORK/stderr"

# Through a symlink from elsewhere the files are still found beside the
# real program.
rmdir "$WORK/app/codeVB.txt"
cp "$DATA_DIR/codeVB.txt" "$WORK/app/"
mkdir -p "$WORK/elsewhere"
ln -s "$WORK/app/coderain" "$WORK/elsewhere/coderain"
start_app "$WORK/elsewhere/coderain"
check "started through a symlink" wait_for_window 10
kill -TERM "$APP_PID"
wait_for_exit 2

kill "$XVFB_PID"
wait "$XVFB_PID" 2>/dev/null || true
XVFB_PID=""
DISPLAY=:999 start_app "$WORK/app/coderain"
check "no display: ends" wait_for_exit 5
check "no display: status 1" test "${EXIT_STATUS:-x}" = 1
check "no display: says so" grep -q "^coderain: cannot open the display" "$WORK/stderr"
finish
