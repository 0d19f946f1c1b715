#!/usr/bin/env bash
# coderain.scr under wine in an Xvfb, as Windows runs a screen saver: /s
# covers the screen with the scene laid out for it, in its exact greens, in
# 2x2 blocks where the desktop says 192 dpi, and ends on a key or a click
# but not on a moving mouse; /p fills a settings dialog's little monitor
# (preview_host) and ends with it, closed or killed; /c, nothing and
# /c:HWND show the box Return closes; anything else is status 2; a missing
# file is one line in a box in full screen and silent in the preview. The
# installer, silent, puts the files in Program Files and makes ours the
# screen saver, which then runs; its uninstaller takes it all away and
# gives the one before back. The zip holds the files and, where the web
# build has made it, the page.
#
#   windows_test.sh coderain.scr win32_display_test.exe preview_host.exe setup.exe [coderain.html]
CODERAIN_BIN=${1:?usage: $0 coderain.scr win32_display_test.exe preview_host.exe setup.exe [coderain.html]}
DISPLAY_TEST=${2:?}
PREVIEW_HOST=${3:?}
INSTALLER=${4:?}
PAGE=${5:-}
source "$(dirname "$0")/harness.sh"
command -v wine >/dev/null || skip wine
[ -f "${WINEPREFIX:-}/system.reg" ] || skip "a wine prefix in WINEPREFIX (tests/win32/wine_prefix.sh)"
command -v xwd >/dev/null || skip xwd
export WINEDEBUG=-all
trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT

# Pictures come from the X server's own dump.
PICTURE=xwd_picture
xwd_picture() {
  local file=$1 cut=(cat)
  [ $# -eq 5 ] && cut=(pamcut -left "$2" -top "$3" -width "$4" -height "$5")
  xwd -root -silent | xwdtopnm 2>/dev/null | "${cut[@]}" >"$file"
}

# A fresh Xvfb of size $1 and a wineserver that lasts until the next.
start_wine_x() {
  end_app
  wineserver -k 2>/dev/null || true
  stop_servers
  start_xvfb "$1"
  wineserver -p
}

# The program ended within $1 hundredths of a second.
ended_within() {
  local i
  for ((i = 0; i < $1; i++)); do
    alive || {
      wait_for_exit 1
      return 0
    }
    sleep 0.01
  done
  return 1
}

# A window titled $1 is shown.
shown() { xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1; }

# The three text files beside the .scr, in a folder named in more than ASCII.
stage_program "$WORK/Jürgen Ωmega"
mv "$APP" "$APP.scr"
SCR=$APP.scr

start_wine_x 1920x1080
check "/s: window mapped" run_app wine "$SCR" /s
check "/s: covers the screen" test "$(window_geometry "$WID")" = 1920x1080+0+0
check "/s: laid out for 1920x1080" laid_out_for 1920
check "/s: exact greens" on_screen green_and_grey
xdotool mousemove 300 300 sleep 0.1 mousemove 1500 800
sleep 0.5
check "/s: moving the mouse does not end it" alive
xdotool key q
check "/s: a key ends it within half a second, status 0" eval 'ended_within 50 && ended_with 0'
xdotool keydown a
check "/s with a key held: window mapped" run_app wine "$SCR" /s
xdotool keyup a
sleep 0.3
check "/s: a key held as the window appeared does not end it" alive
xdotool mousemove 960 600 click 1
check "/s: a click on the bare screen ends it within half a second" ended_within 50

check "the preview read back in-process; the resources" \
  env CODERAIN_SCR="$(winepath -w "$SCR")" wine "$DISPLAY_TEST" --gtest_brief=1

# A settings dialog's little monitor lent to /p; HOST is its window, or
# empty when none appeared. What the host and the program said goes with a
# failure.
start_host() {
  HOST=""
  wine "$PREVIEW_HOST" "$@" >"$WORK/host.out" 2>/dev/null &
  HOST_PID=$!
  SERVER_PIDS+=("$HOST_PID")
  poll 20 grep -q '^window ' "$WORK/host.out" && HOST=$(awk '$1 == "window" { print $2 }' "$WORK/host.out")
}
child_shown() {
  poll 20 grep -q '^child 152 112$' "$WORK/host.out" && return 0
  echo "  (host window '$HOST'; it said: $(tr '\n' ' ' <"$WORK/host.out"); the program: $(head -c 300 "$WORK/stderr"))"
  return 1
}
for how in closes killed; do
  start_host $([ $how = closes ] && echo 1500)
  check "/p: the host's window appeared" test -n "$HOST"
  start_app wine "$SCR" /p "$HOST"
  check "/p: a child of exactly the host's client size" child_shown
  [ $how = killed ] && stop_process "$HOST_PID" KILL
  check "/p: ends when the host $how, status 0" eval 'wait_for_exit 5 && ended_with 0'
  stop_process "$HOST_PID"
done

for args in /c "" /c:1234567; do
  start_app wine "$SCR" $args
  check "${args:-no argument}: the box shows" poll 10 shown coderain
  xdotool key Return
  check "${args:-no argument}: Return closes it, status 0" eval 'wait_for_exit 5 && ended_with 0'
done
for args in /x /p "/p garbage" "/s extra"; do
  status=0
  wine "$SCR" $args 2>"$WORK/stderr" || status=$?
  check "$args: status 2, no window" eval 'test $status = 2 && ! shown coderain && ! shown Form1'
done
check "/a: status 0" wine "$SCR" /a

rm "$(dirname "$SCR")/codeVB.txt"
start_app wine "$SCR" /s
check "/s without codeVB.txt: the box shows" poll 10 shown coderain
check "/s without codeVB.txt: one line naming it" \
  eval 'one_line "cannot open source file .*Jürgen Ωmega.codeVB.txt: No such file or directory"'
xdotool key Return
check "/s without codeVB.txt: status 1" eval 'wait_for_exit 5 && ended_with 1'
start_app wine "$SCR" /p 123456
check "/p into no window: status 1, and no box" eval 'wait_for_exit 5 && ended_with 1 && ! shown coderain'

start_wine_x 3840x2160
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 192 /f >/dev/null 2>&1
cp "$DATA_DIR/codeVB.txt" "$(dirname "$SCR")/"
check "/s at 192 dpi: window mapped" run_app wine "$SCR" /s
check "/s at 192 dpi: panels at twice their 1920x1080 places" laid_out_for 1920 0 0 2
check "/s at 192 dpi: every 2x2 block one colour" on_screen in_blocks 2
end_app
wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f >/dev/null 2>&1

# Two monitors of X.Org's dummy driver (root only, as for the Linux
# build): the scene on the primary, the other covered black.
if [ "$(id -u)" = 0 ]; then
  end_app
  wineserver -k 2>/dev/null || true
  stop_servers
  start_xorg_dummy
  set_monitors 1920x1080+0+0 1280x1024+1920+0
  wineserver -p
  check "two monitors: window mapped" run_app wine "$SCR" /s
  check "two monitors: the scene on the primary" laid_out_for 1920
  check "two monitors: the other one black" on_screen all_black 1920 0 1280 1024
  xdotool mousemove 2500 500 click 1
  check "two monitors: a click on the black one ends it" ended_within 50
  check "one monitor again: window mapped" run_app wine "$SCR" /s
  set_monitors 1280x1024+0+0
  check "one monitor again: a new scene for the new size" \
    eval 'poll 5 eval "[ \"\$(window_geometry $WID)\" = 1280x1024+0+0 ]" && laid_out_for 1280'
else
  echo "note: two monitors need root (X.Org's dummy driver); not tested"
fi

# The installer and its uninstaller, silent. Each returns before it has
# finished: wineserver -w waits for the last process of the prefix.
start_wine_x 1920x1080
wineserver -k
DESKTOP='HKCU\Control Panel\Desktop'
saver() { wine reg query "$DESKTOP" /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' | awk '$1 == "SCRNSAVE.EXE" { print $3 }'; }
wine reg add "$DESKTOP" /v SCRNSAVE.EXE /d 'C:\windows\before.scr' /f >/dev/null 2>&1
INSTALLED="$WINEPREFIX/drive_c/Program Files/coderain"
check "installer: status 0" eval 'wine "$INSTALLER" /S && wineserver -w'
check "installer: the files" eval 'for f in coderain.scr codeASM.txt codeC.txt codeVB.txt LICENSE.txt uninstall.exe; do
  test -f "$INSTALLED/$f" || exit 1; done'
check "installer: the screen saver is ours, by a path without spaces" \
  eval 'test "$(realpath "$(winepath -u "$(saver)")")" = "$(realpath "$INSTALLED/coderain.scr")" && ! saver | grep -q " "'
check "installer: the installed screen saver runs" run_app wine "$(saver)" /s
xdotool key q
check "installer: and ends on a key" wait_for_exit 5
check "uninstaller: status 0" eval 'wine "$INSTALLED/uninstall.exe" /S && wineserver -w'
check "uninstaller: the files are gone" test ! -e "$INSTALLED"
check "uninstaller: the screen saver before is back" test "$(saver)" = 'C:\windows\before.scr'
ZIP=${INSTALLER%-setup.exe}-windows.zip
if [ -f "$PAGE" ]; then
  check "zip: the screen saver, its text files, the licence and the page" \
    test "$(unzip -Z1 "$ZIP" | sort | tr '\n' ' ')" = "LICENSE.txt codeASM.txt codeC.txt codeVB.txt coderain.html coderain.scr "
  check "zip: the web build's page" eval 'unzip -p "$ZIP" coderain.html | cmp -s - "$PAGE"'
else
  [ "${CODERAIN_E2E_ALL:-}" != 1 ] || check "the web build's page is there ($PAGE)" false
  check "zip: the screen saver, its text files and the licence" \
    test "$(unzip -Z1 "$ZIP" | sort | tr '\n' ' ')" = "LICENSE.txt codeASM.txt codeC.txt codeVB.txt coderain.scr "
fi
check "uninstaller: gone from Apps & Features" eval '! wine reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\coderain" >/dev/null 2>&1'

finish
