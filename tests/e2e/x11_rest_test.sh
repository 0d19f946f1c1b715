#!/usr/bin/env bash
# Nobody sees it, it rests: under the X server's own screen saver and under
# a window over it the program neither wakes nor spends, and when seen
# again its whole picture comes back and it runs on. As the desktop's
# wallpaper: drawn on the root without a window manager; under openbox a
# window below the others on each of two monitors that clicks and keys go
# through, ended by a close signal with status 0. The X.Org part needs
# root and is skipped without it.
source "$(dirname "$0")/harness.sh"
stage_program
command -v openbox >/dev/null && command -v xlogo >/dev/null || skip "openbox and xlogo"

# The program's wakes (voluntary switches) plus its CPU ticks.
spent() { awk '/^voluntary_ctxt_switches/ { print $2 + t } ' t="$(awk '{ print $14 + $15 }' "/proc/$APP_PID/stat")" \
  "/proc/$APP_PID/status"; }
# Over 1.5 s it woke or spent at most twice (from the moment it heard).
rests() {
  local a
  sleep 0.3
  a=$(spent)
  sleep 1.5
  (($(spent) - a <= 2))
}
# It runs on: many wakes in half a second, and the whole scene on screen.
runs() {
  local a
  a=$(spent)
  sleep 0.5
  (($(spent) - a > 10)) && laid_out_for "$@" && on_screen green_and_grey 0 0 220 560
}

start_xvfb 1024x768
start_app "$APP" --wallpaper
check "no window manager: the wallpaper is drawn on the root" eval 'laid_out_for 1024 && ! xdotool search --name "^Form1$"'
xdotool key q click 1
check "keys and clicks leave the wallpaper running" alive
kill -HUP "$APP_PID"
check "SIGHUP ends the wallpaper with status 0, the root black again" \
  eval 'wait_for_exit 5 && ended_with 0 && on_screen all_black'

run_app "$APP"
check "own window: runs" runs 1024
xset s activate
check "the screen saver on: rests" rests
xset s reset
check "the screen saver off: the scene comes back whole and runs on" runs 1024
end_app

start_openbox
run_app "$APP"
check "under openbox: runs" runs 1024
xlogo -geometry 1024x768+0+0 >/dev/null 2>&1 &
cover=$!
check "a window over it: rests" rests
kill "$cover" 2>/dev/null || true
check "the window gone: the scene comes back whole and runs on" runs 1024
end_app
stop_servers

[ "$(id -u)" = 0 ] && command -v Xorg >/dev/null || skip "root and Xorg with the dummy driver"
start_xorg_dummy
set_monitors 1024x768+0+0 1280x1024+1024+0
start_app "$APP" --wallpaper
check "root wallpaper: a scene on each monitor" eval 'laid_out_for 1024 && laid_out_for 1280 1024 0'
set_monitors 1280x1024+0+0
check "root wallpaper: monitors followed" laid_out_for 1280
end_app
set_monitors 1024x768+0+0 1280x1024+1024+0
start_openbox
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
start_app "$APP" --wallpaper
check "wallpaper: a scene on each monitor" eval 'laid_out_for 1024 && laid_out_for 1280 1024 0'
xlogo -geometry 400x300+300+200 >/dev/null 2>&1 &
cover=$!
poll 5 eval 'xdotool search --onlyvisible --name "^xlogo$" >/dev/null'
for wid in $(xdotool search --name '^Form1$'); do xdotool windowraise "$wid"; done
# xlogo's white, not the scene's green, where it stands.
check "wallpaper: a window raised over it stays over it" poll 3 eval 'on_screen colours 400 300 200 100 | grep -q "^255 255 255 "'
xdotool mousemove 1500 600
check "wallpaper: the pointer over it is over the root" eval '[ "$(xdotool getmouselocation --shell | sed -n "s/^WINDOW=//p")" = "$((root))" ]'
xdotool click 1 key q
check "wallpaper: clicks and keys leave it running" alive
kill "$cover" 2>/dev/null || true
kill -TERM "$APP_PID"
check "wallpaper: SIGTERM ends it with status 0" eval 'wait_for_exit 5 && ended_with 0'
finish
