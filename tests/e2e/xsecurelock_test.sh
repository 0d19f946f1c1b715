#!/usr/bin/env bash
# xsecurelock's saver_multiplex, with coderain as its saver, on two monitors
# of different sizes (X.Org's dummy driver, which needs root): one coderain
# a monitor, each in the window over its monitor and laid out for its size;
# the locker's reset (SIGUSR1) starts the scenes anew in the same programs,
# and SIGTERM ends them all. Without root, X.Org or xsecurelock the test is
# skipped (status 77).
source "$(dirname "$0")/harness.sh"
MULTIPLEX=/usr/libexec/xsecurelock/saver_multiplex
if [ "$(id -u)" != 0 ] || ! command -v Xorg >/dev/null || [ ! -x "$MULTIPLEX" ]; then
  skip "root, Xorg with the dummy driver and xsecurelock"
fi
start_xorg_dummy
monitors=(1920x1080+0+0 1280x1024+1920+0)
set_monitors "${monitors[@]}"
stage_program
# The locker hands it the window it covers the screen with: here the root.
root=$(xwininfo -root | awk '/Window id:/ { print $4 }')
start_app env XSCREENSAVER_WINDOW="$root" XSECURELOCK_SAVER="$APP" "$MULTIPLEX"

savers() { pgrep -P "$APP_PID" -x coderain | sort; }
check "two savers started" poll 10 eval '[ "$(savers | wc -l)" = 2 ]'
first=$(savers)
# Every monitor shows a scene laid out for its size, where it is: each saver
# drew in the window over its monitor ($1 "!": none shows its layout yet).
each_laid_out() {
  local m w h x y
  for m in "${monitors[@]}"; do
    IFS='x+' read -r w h x y <<<"$m"
    if [ "${1:-}" = "!" ]; then ! frame_line "$w" "$x" "$y" || return 1; else laid_out_for "$w" "$x" "$y" || return 1; fi
  done
}
check "each scene laid out for its monitor" each_laid_out
check "nothing lit but green and grey" on_screen green_and_grey

kill -USR1 "$APP_PID"
check "a reset: every scene starts anew" poll 2 each_laid_out !
check "a reset: the same savers run on" eval '[ "$(savers)" = "$first" ]'
check "a reset: each scene laid out again" each_laid_out

gone() { [ ! -e "/proc/$1" ] || [ "$(awk '{ print $3 }' "/proc/$1/stat" 2>/dev/null)" = Z ]; }
all_gone() { for pid in $first; do gone "$pid" || return 1; done; }
kill -TERM "$APP_PID"
check "SIGTERM: the multiplexer ends by it" eval 'wait_for_exit 5 && ended_with 143'
check "SIGTERM: both savers end" poll 5 all_gone
check "no X error" no_x_error
finish
