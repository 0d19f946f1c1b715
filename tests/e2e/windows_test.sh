#!/usr/bin/env bash
# coderain.scr under wine in an Xvfb, as Windows runs a screen saver: /s
# covers the screen with the scene laid out for it, in its exact greens, in
# 2x2 blocks where the desktop says 192 dpi, and ends on a key or a click
# but not on a moving mouse; a second /s leaves the screen to the first;
# /p fills a settings dialog's little monitor (preview_host) and ends with
# it, closed or killed, and refuses the desktop and top-level windows; /c,
# nothing and /c:HWND open the settings dialog, whose OK stores what it
# shows (window_driver clicks and types in it) but refuses a folder longer
# than any path and a frame rate of 0, and whose Cancel stores nothing; /s
# reads the text files from the folder stored, takes a broken setting for
# the default, and stands still while the session is locked;
# anything else is status 2; a missing file is one line in a box in full
# screen and silent in the preview. The installer, silent, puts the files
# in Program Files and makes ours the screen saver, which then runs; its
# uninstaller closes the screen saver running, takes it all away, the
# settings too, and gives the one before back; what a preview holds goes
# at the next start, which it says. The zip and the installer hold the
# files and, where the web build has made them, the page and the wallpaper
# hosts' folders, which a Start-menu entry opens.
#
#   windows_test.sh coderain.scr win32_display_test.exe preview_host.exe setup.exe window_driver.exe
#                   [coderain.html]
CODERAIN_BIN=${1:?usage: $0 coderain.scr win32_display_test.exe preview_host.exe setup.exe window_driver.exe [coderain.html]}
DISPLAY_TEST=${2:?}
PREVIEW_HOST=${3:?}
INSTALLER=${4:?}
DRIVER=${5:?}
PAGE=${6:-}
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
# ... and has the keyboard: a box may show well before wine gives it the
# focus (on a fresh prefix, by seconds), and a key pressed before goes
# elsewhere.
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)" ]; }

driver() { wine "$DRIVER" "$@" 2>/dev/null; }
SETTINGS='coderain settings'
KEY='HKCU\Software\coderain'
# The stored value $1 as reg prints it (in the console's code page).
stored() { wine reg query "$KEY" /v "$1" 2>/dev/null | tr -d '\r' | awk -v n="$1" '$1 == n { print $3 }'; }
forget_settings() { wine reg delete "$KEY" /f >/dev/null 2>&1 || true; }
# The settings dialog shows each of control lines $@ (window_driver show).
dialog_shows() {
  local shown line
  shown=$(driver show "$SETTINGS") || return 1
  for line; do grep -qxF "$line" <<<"$shown" || return 1; done
}

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

check "/s twice: the first one's window mapped" run_app wine "$SCR" /s
status=0
timeout 10 wine "$SCR" /s 2>"$WORK/second" || status=$?
check "/s twice: the second ends at once, quietly, status 0" eval 'test $status = 0 && ! test -s "$WORK/second"'
xdotool key q
check "/s twice: the first takes the key" eval 'ended_within 50 && ended_with 0'
end_app

check "the preview read back in-process; the resources" \
  env CODERAIN_SCR="$(winepath -w "$SCR")" wine "$DISPLAY_TEST" --gtest_brief=1

# A settings dialog's little monitor lent to /p; HOST is its window and
# FRAME the dialog's, or empty when none appeared. What the host and the
# program said goes with a failure.
start_host() {
  HOST="" FRAME=""
  # Emptied here: the shell empties it in the background, maybe after the
  # poll below has read the last host's lines.
  : >"$WORK/host.out"
  wine "$PREVIEW_HOST" "$@" >"$WORK/host.out" 2>/dev/null &
  HOST_PID=$!
  SERVER_PIDS+=("$HOST_PID")
  poll 20 grep -q '^frame [0-9]*$' "$WORK/host.out" || return 0
  HOST=$(awk '$1 == "window" { print $2 }' "$WORK/host.out")
  FRAME=$(awk '$1 == "frame" { print $2 }' "$WORK/host.out")
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

# What a preview must not cover: the desktop, and a top-level window (the
# dialog's own); a preview takes no input and nothing would end it.
start_host
desktop=$(driver desktop | awk '{ print $2 }')
for target in "the desktop $desktop" "a top-level window $FRAME"; do
  start_app wine "$SCR" /p "${target##* }"
  check "/p into ${target% *}: status 1, one line on stderr, no box" eval 'wait_for_exit 5 && ended_with 1 &&
    one_line "cannot draw into window ${target##* }: it is the desktop, the shell or a top-level window" &&
    ! shown coderain'
  end_app
done
stop_process "$HOST_PID"

# The settings dialog, for /c, nothing and /c:HWND (owned by that window).
forget_settings
start_host
start_app wine "$SCR" /c:"$FRAME"
check "/c:HWND: the dialog shows, owned by that window" eval 'driver show "$SETTINGS" | grep -qx "window [0-9]* owner $FRAME"'
check "/c:HWND: the defaults, and the version" dialog_shows "Button: A scene on every monitor [ ]" "Edit: " \
  "ComboBox: Automatic" "Static: Version 1.0" "Edit: 60" "Button: Half as many on battery [x]"
DIALOG_WIDTH=$(window_geometry "$(xdotool search --onlyvisible --name "^$SETTINGS\$" | head -1)" | cut -dx -f1)
TEXTS="$WORK/texts Ω"
mkdir "$TEXTS"
cp "$DATA_DIR"/codeASM.txt "$DATA_DIR"/codeC.txt "$TEXTS/"
driver click "$SETTINGS" "A scene on every monitor"
driver pick "$SETTINGS" 2
driver fill "$SETTINGS" "Frames a second:" 15
driver click "$SETTINGS" "Half as many on battery"
driver click "$SETTINGS" "Browse…"
driver type "Text files for coderain" "$(winepath -w "$TEXTS")"
driver click "Text files for coderain" Open
check "/c:HWND: the folder picked shows" poll 10 dialog_shows "Edit: $(winepath -w "$TEXTS")"
driver click "$SETTINGS" OK
check "/c:HWND: OK closes it, status 0" eval 'wait_for_exit 5 && ended_with 0'
check "/c:HWND: OK stored every monitor, the folder, the scale and the frame rates" eval \
  'test "$(stored EveryMonitor) $(stored Scale) $(stored Fps) $(stored HalfOnBattery)" = "0x1 0x2 0xf 0x0" &&
  stored TextFolder | grep -q "^Z:.*texts"'
stop_process "$HOST_PID"
for args in "" /c; do
  start_app wine "$SCR" $args
  check "${args:-no argument}: the dialog shows what is stored" poll 10 dialog_shows "Button: A scene on every monitor [x]" \
    "Edit: $(winepath -w "$TEXTS")" "ComboBox: 2" "Edit: 15" "Button: Half as many on battery [ ]"
  if [ -z "$args" ]; then
    driver click "$SETTINGS" "A scene on every monitor"
    driver click "$SETTINGS" "Use the program's own"
    driver click "$SETTINGS" Cancel
  else
    check "/c: the dialog has the keyboard" poll 10 focused "$SETTINGS"
    xdotool key Escape
  fi
  check "${args:-no argument}: Cancel closes it, status 0, nothing stored" eval 'wait_for_exit 5 && ended_with 0 &&
    test "$(stored EveryMonitor) $(stored Scale)" = "0x1 0x2" && stored TextFolder | grep -q "^Z:.*texts"'
done

# /s reads the text files from the folder stored; one it lacks is the
# program's own, and one line says so.
check "/s with a text folder lacking codeVB.txt: runs, one line naming it" \
  eval 'run_app wine "$SCR" /s && poll 5 one_line "no codeVB.txt in .*texts Ω.*; showing the program.s own"'
cp "$DATA_DIR/codeVB.txt" "$TEXTS/"
check "/s with the text folder whole: window mapped" run_app wine "$SCR" /s
# The session locked and unlocked, as the system tells the window (wine
# itself never does): the scene stands still, then moves again.
stands_still() { sleep 0.3 && picture "$WORK/a.ppm" && sleep 1 && picture "$WORK/b.ppm" && cmp -s "$WORK/a.ppm" "$WORK/b.ppm"; }
session() { driver post Form1 0x2B1 "$1" 1; } # WM_WTSSESSION_CHANGE
check "/s, the session locked: the scene stands still" eval 'session 7 && stands_still'
check "/s, unlocked: the scene moves again" eval 'session 8 && ! stands_still && alive'
end_app

# Settings no one could have stored through the dialog are the defaults.
forget_settings
wine reg add "$KEY" /v EveryMonitor /t REG_DWORD /d 7 /f >/dev/null 2>&1
wine reg add "$KEY" /v Scale /t REG_SZ /d 2 /f >/dev/null 2>&1
wine reg add "$KEY" /v TextFolder /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$KEY" /v Fps /t REG_DWORD /d 61 /f >/dev/null 2>&1
check "broken settings: /s runs, laid out for 1920x1080" eval 'run_app wine "$SCR" /s && laid_out_for 1920'
end_app
start_app wine "$SCR" /c
check "broken settings: the dialog shows the defaults" poll 10 dialog_shows "Button: A scene on every monitor [ ]" "Edit: " \
  "ComboBox: Automatic" "Edit: 60"
driver click "$SETTINGS" Cancel
check "broken settings: Cancel, status 0" eval 'wait_for_exit 5 && ended_with 0'
forget_settings
# A frame rate of 0 is refused; so is a folder text of 32768 characters,
# longer than any path, as any folder that cannot be used, though it would
# resolve to Z:\tmp.
refused() {
  local why=$1
  poll 10 eval 'shown coderain && shown "$SETTINGS" && driver show coderain | grep -q "$why"'
}
start_app wine "$SCR" /c
driver type "$SETTINGS" 'Z:\tmp' 16381 '\.'
driver fill "$SETTINGS" "Frames a second:" 0
driver click "$SETTINGS" OK
check "0 frames a second: the refusal box, over the dialog" eval 'refused "frames a second: a whole number from 1 to 60" &&
  driver click coderain OK && poll 5 eval "! shown coderain"'
driver fill "$SETTINGS" "Frames a second:" 15
driver click "$SETTINGS" OK
check "a folder of 32768 characters: the refusal box, over the dialog" refused "no such folder"
check "refused: nothing stored" eval 'driver click coderain OK && driver click "$SETTINGS" Cancel &&
  wait_for_exit 5 && test -z "$(stored TextFolder)$(stored Fps)"'
forget_settings
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
check "/s without codeVB.txt: the box has the keyboard" poll 10 focused coderain
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
start_app wine "$SCR" /c
check "/c at 192 dpi: the dialog about twice as wide" eval 'poll 10 shown "$SETTINGS" && w=$(window_geometry \
  "$(xdotool search --onlyvisible --name "^$SETTINGS\$" | head -1)" | cut -dx -f1) && ((w * 10 >= DIALOG_WIDTH * 17))'
driver click "$SETTINGS" Cancel
wait_for_exit 5 || true
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
  # Wine may hold the pointer on a full-screen window's monitor once the
  # window is shown; with its GrabFullscreen option, set here so that the
  # case is always the hard one, it does. X's own clicks cannot leave that
  # monitor then, so the click on the black one goes to the window there,
  # as the system hands a click over, once the pointer is held.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v GrabFullscreen /d Y /f >/dev/null 2>&1
  check "two monitors: window mapped" run_app wine "$SCR" /s
  check "two monitors: the scene on the primary" laid_out_for 1920
  check "two monitors: the other one black" on_screen all_black 1920 0 1280 1024
  check "two monitors: the pointer is held on the scene's monitor" poll 5 eval \
    'xdotool mousemove 2500 500 && (($(xdotool getmouselocation --shell | sed -n "s/^X=//p") < 1920))'
  check "two monitors: a click on the black one ends it" eval 'driver click-at 2500 500 && ended_within 50'
  wine reg delete 'HKCU\Software\Wine\X11 Driver' /v GrabFullscreen /f >/dev/null 2>&1
  # With "A scene on every monitor" stored, each monitor has a scene of its
  # own, laid out for it; a key ends them all.
  wine reg add "$KEY" /v EveryMonitor /t REG_DWORD /d 1 /f >/dev/null 2>&1
  check "every monitor: window mapped" run_app wine "$SCR" /s
  check "every monitor: a scene laid out for each monitor" eval 'laid_out_for 1920 && laid_out_for 1280 1920 0'
  xdotool key q
  check "every monitor: a key ends them all" eval 'ended_within 50 && ! shown Form1'
  forget_settings
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
WALLPAPER_FILES=$(cd "$(dirname "$PAGE")/wallpaper" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)
START_ENTRY="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/coderain wallpaper (folder).lnk"
[ ! -f "$PAGE" ] || check "installer: the page, the wallpaper hosts' folders, a Start-menu entry that opens them" \
  eval 'cmp -s "$PAGE" "$INSTALLED/coderain.html" && for f in $WALLPAPER_FILES; do
          cmp -s "$(dirname "$PAGE")/wallpaper/$f" "$INSTALLED/wallpaper/$f" || exit 1; done &&
        strings "$START_ENTRY" | grep -qxF "C:\\Program Files\\coderain\\wallpaper"'
check "installer: the screen saver is ours, by a path without spaces" \
  eval 'test "$(realpath "$(winepath -u "$(saver)")")" = "$(realpath "$INSTALLED/coderain.scr")" && ! saver | grep -q " "'
check "installer: the installed screen saver runs" run_app wine "$(saver)" /s
xdotool key q
check "installer: and ends on a key" wait_for_exit 5
wine reg add "$KEY" /v EveryMonitor /t REG_DWORD /d 1 /f >/dev/null 2>&1
check "uninstaller: the screen saver runs as it starts" run_app wine "$(saver)" /s
check "uninstaller: status 0, the screen saver closed" \
  eval 'wine "$INSTALLED/uninstall.exe" /S && timeout 30 wineserver -w && wait_for_exit 1 && ended_with 0'
check "uninstaller: the settings are gone" eval '! wine reg query "$KEY" >/dev/null 2>&1'
check "uninstaller: the files are gone, the Start-menu entry too" eval 'test ! -e "$INSTALLED" && test ! -e "$START_ENTRY"'
check "uninstaller: the screen saver before is back" test "$(saver)" = 'C:\windows\before.scr'
ZIP=${INSTALLER%-setup.exe}-windows.zip
if [ -f "$PAGE" ]; then
  check "zip: the screen saver, its text files, the licence, the page and the wallpaper folders" \
    test "$(unzip -Z1 "$ZIP" | grep -v '/$' | sort | tr '\n' ' ')" = "LICENSE.txt codeASM.txt codeC.txt codeVB.txt coderain.html \
coderain.scr $(for f in $WALLPAPER_FILES; do printf 'wallpaper/%s ' "$f"; done)"
  check "zip: the web build's page and folders" eval 'unzip -p "$ZIP" coderain.html | cmp -s - "$PAGE" &&
    for f in $WALLPAPER_FILES; do unzip -p "$ZIP" "wallpaper/$f" | cmp -s - "$(dirname "$PAGE")/wallpaper/$f" || exit 1; done'
else
  [ "${CODERAIN_E2E_ALL:-}" != 1 ] || check "the web build's page is there ($PAGE)" false
  check "zip: the screen saver, its text files and the licence" \
    test "$(unzip -Z1 "$ZIP" | sort | tr '\n' ' ')" = "LICENSE.txt codeASM.txt codeC.txt codeVB.txt coderain.scr "
fi
check "uninstaller: gone from Apps & Features" eval '! wine reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\coderain" >/dev/null 2>&1'

# A preview in a settings dialog, a window not ours to close, holds the
# file: it goes at the next start, which the status says (3010, modulo 256
# as wine gives it; run in place, by a path without spaces, to give one),
# and Apps & Features no longer has it.
end_app
check "installer again: status 0" eval 'wine "$INSTALLER" /S && wineserver -w'
start_host
start_app wine "$INSTALLED/coderain.scr" /p "$HOST"
SHORT=$(saver)
SESSION='HKLM\System\CurrentControlSet\Control\Session Manager'
check "uninstaller with a preview running: status 3010, the file goes at the next start, not in Apps" eval 'child_shown &&
  { wine "$INSTALLED/uninstall.exe" /S "_?=${SHORT%\\*}"; test $? = $((3010 % 256)); } &&
  wine reg query "$SESSION" /v PendingFileRenameOperations | grep -q "coderain.scr" &&
  ! wine reg query "HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\coderain" >/dev/null 2>&1'
stop_process "$HOST_PID"
end_app
wine reg delete "$SESSION" /v PendingFileRenameOperations /f >/dev/null 2>&1
rm -rf "$INSTALLED"

finish
