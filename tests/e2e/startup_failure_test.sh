#!/usr/bin/env bash
# Start-up failures: one line naming what failed and where, status 1 and no
# window.
source "$(dirname "$0")/harness.sh"

start_xvfb 1024x768
stage_program
rm "$WORK/app/codeVB.txt"
start_app "$APP"
check "ends" wait_for_exit 5
check "with status 1" ended_with 1
check "names codeVB.txt" grep -q "^coderain: cannot open source file $WORK/app/codeVB.txt: No such file or directory$" "$WORK/stderr"
check "says one line" one_line ""
check "maps no window" test -z "$(xdotool search --name '^Form1$' 2>/dev/null || true)"

mkdir "$WORK/app/codeVB.txt"
start_app "$APP"
check "a directory in its place: ends" wait_for_exit 5
check "a directory in its place: status 1" ended_with 1
check "names the directory" grep -q "codeVB.txt: is a directory" "$WORK/stderr"

# Through a symlink from elsewhere the files are still found beside the
# real program.
rmdir "$WORK/app/codeVB.txt"
cp "$DATA_DIR/codeVB.txt" "$WORK/app/"
mkdir -p "$WORK/elsewhere"
ln -s "$APP" "$WORK/elsewhere/coderain"
check "started through a symlink" run_app "$WORK/elsewhere/coderain"
end_app

stop_servers
DISPLAY=:999 start_app "$APP"
check "no display: ends" wait_for_exit 5
check "no display: status 1" ended_with 1
check "no display: says so" grep -q "^coderain: cannot open the display" "$WORK/stderr"
finish
