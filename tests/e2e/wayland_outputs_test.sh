#!/usr/bin/env bash
# Native Wayland on several outputs, under a headless sway of the test's
# own whose background is magenta: the scene on the first output (or the
# one --output names) and every other one black, with no background pixel
# anywhere, as outputs come and go (taken away from a sway nested in the
# first, whose outputs are its windows); with every output gone it sleeps
# until one is back. With --every-monitor every output has a scene of its
# own, at its own density. With --wallpaper every output has a scene on
# its background layer, under the windows, deaf to keys and clicks, as
# outputs come and go; a compositor without that layer (weston) refuses it
# in one line. Without sway and its tools the test is skipped (status 77).
source "$(dirname "$0")/harness.sh"

for tool in sway swaymsg grim jq wtype weston; do
  command -v "$tool" >/dev/null || skip "$tool"
done
stage_program
unset DISPLAY WAYLAND_DISPLAY
PICTURE=sway_picture

sway() { swaymsg -s "$IPC" "$@" >/dev/null; }
outputs() { swaymsg -s "$IPC" -t get_outputs | jq -r '[.[] | select(.active) | .name] | join(" ")'; }
# The output that shows the scene's window.
scene_output() {
  swaymsg -s "$IPC" -t get_tree |
    jq -r '.nodes[] | select([.. | objects | select(.name? == "Form1" and .fullscreen_mode == 1)] | length > 0) | .name'
}
on() { [ "$(scene_output)" = "$1" ]; }
# Output $1 is black, every pixel.
black() { SHOT_OUTPUT=$1 on_screen all_black; }
scene_on() { on "$1" && SHOT_OUTPUT=$1 laid_out_for "$2"; }
no_background() { picture "$WORK/shot.ppm" && ! colours "$WORK/shot.ppm" | grep -q "^255 0 255 "; }
run() { start_app env XDG_RUNTIME_DIR="$RUN" WAYLAND_DISPLAY="$SOCKET" "$APP" "$@"; }

# Two outputs side by side, and a third added while it runs.
start_sway 1920x1080 || skip "a sway that starts"
sway create_output
sway output HEADLESS-2 resolution 1280x720 position 1920 0
poll 5 eval '[ "$(outputs)" = "HEADLESS-1 HEADLESS-2" ]'
run
check "two outputs: the scene on the first" poll 10 scene_on HEADLESS-1 1920
check "two outputs: the other black" poll 2 black HEADLESS-2
check "two outputs: no background pixel anywhere" no_background
sway create_output
check "an output added: black within a second" poll 1 black HEADLESS-3
check "an output added: no background pixel anywhere" poll 1 no_background
end_app
run --output HEADLESS-2
check "--output HEADLESS-2: the scene there" poll 10 scene_on HEADLESS-2 1280
check "--output HEADLESS-2: the others black" poll 2 eval 'black HEADLESS-1 && black HEADLESS-3 && no_background'

end_app

# A scene on every output, each laid out for its own size and density; a
# key ends them all.
sway output HEADLESS-2 resolution 3840x2160 scale 2 position 1920 0
run --every-monitor
# Each output's first picture is its scene at its final size: once the
# scene's green shows there, nothing of the background does (while the
# output changes mode the compositor shows grey of its own).
ours_shows() { SHOT_OUTPUT=$1 picture "$WORK/first.ppm" && colours "$WORK/first.ppm" | grep -q "^0 [1-9][0-9]* 0 "; }
check "--every-monitor: the dense output's first picture at its own size" \
  eval 'poll 10 ours_shows HEADLESS-2 && ! colours "$WORK/first.ppm" | grep -q "^255 0 255 "'
scenes() { swaymsg -s "$IPC" -t get_tree | jq '[.. | objects | select(.name? == "Form1" and .fullscreen_mode == 1)] | length'; }
check "--every-monitor: a scene on each of three outputs" poll 10 eval '[ "$(scenes)" = 3 ]'
check "--every-monitor: each laid out for its output, at its density" poll 5 eval 'SHOT_OUTPUT=HEADLESS-1 frame_line 1920 &&
  SHOT_OUTPUT=HEADLESS-2 frame_line 1920 0 0 2 && SHOT_OUTPUT=HEADLESS-3 frame_line 1920'
clean() { for o in "$@"; do SHOT_OUTPUT=$o no_background || return 1; done; }
check "--every-monitor: no background pixel on any output" clean HEADLESS-1 HEADLESS-2 HEADLESS-3
in_sway wtype -s 300 x
check "--every-monitor: a key ends them all" eval 'wait_for_exit 2 && ended_with 0'
sway output HEADLESS-2 resolution 1280x720 scale 1 position 1920 0
run --output HEADLESS-9
check "--output naming no output: status 1" eval 'wait_for_exit 5 && ended_with 1'
check "--output naming no output: one line naming the outputs" one_line "--output HEADLESS-9: no such output (there are HEADLESS-1, HEADLESS-2, HEADLESS-3)"
run --output "$(printf 'bad\tname')"
check "--output malformed: status 2" eval 'wait_for_exit 5 && ended_with 2'

# Outputs taken away: those of a sway nested in this one, whose outputs
# are its windows here.
start_nested_sway 2 || skip "a nested sway that starts"
run
check "nested, two outputs: the scene on the first" poll 10 scene_on WL-1 956
close_nested_output WL-2
check "an output removed: it runs on" poll 2 eval '[ "$(outputs)" = WL-1 ] && alive'
check "an output removed: the scene takes the room it leaves" poll 3 scene_on WL-1 1916
sway create_output
check "an output added: black" poll 2 black WL-3
close_nested_output WL-1
check "the scene's output removed: the scene moves" poll 3 scene_on WL-3 1916
check "the scene's output removed: no background pixel anywhere" no_background
close_nested_output WL-3
# With nothing to show on it sleeps in a wait without a timeout.
asleep() { read -r call _ _ timeout _ <"/proc/$APP_PID/syscall" && [ "$call" = 7 ] && [[ "$timeout" == 0xffffffff || "$timeout" == 0xffffffffffffffff ]]; }
check "every output gone: it sleeps until one is back" poll 3 asleep
sway create_output
check "an output back: the scene on it" poll 3 scene_on WL-4 1916
end_app

# With a scene on every output, an output that goes takes its scene along
# and one that comes gets a scene.
run --every-monitor
check "--every-monitor, nested: a scene on each output" poll 10 eval 'SHOT_OUTPUT=WL-4 frame_line 1916'
sway create_output
check "--every-monitor, an output added: a scene there" poll 3 eval 'SHOT_OUTPUT=WL-5 frame_line 956'
close_nested_output WL-5
check "--every-monitor, an output removed: the other scene runs on" \
  poll 3 eval 'alive && SHOT_OUTPUT=WL-4 frame_line 1916 && [ "$(scenes)" = 1 ]'
end_app

# The wallpaper, on a nested sway: under sway's own background (swaybg),
# which lies over the background layer, it would not be seen; this sway
# has none.
stop_servers
start_sway 1920x1080 || skip "a sway that starts"
start_nested_sway 2 "swaybg_command -" || skip "a nested sway that starts"
run --wallpaper
WALLPAPER_PID=$APP_PID
both() { SHOT_OUTPUT=WL-1 frame_line "$1" && SHOT_OUTPUT="$2" frame_line "$1"; }
check "--wallpaper: a scene on each output, laid out for it, no window" poll 10 eval 'both 956 WL-2 && [ "$(scenes)" = 0 ]'
# A window over it: another run, its scene on WL-2, a cover on WL-1.
run --output WL-2
check "--wallpaper: a window lies over it" poll 10 eval 'scene_on WL-2 956 && black WL-1'
in_sway wtype -s 300 x
check "--wallpaper: a key ends the window over it, not it" eval 'wait_for_exit 5 && ended_with 0 && kill -0 $WALLPAPER_PID'
APP_PID=$WALLPAPER_PID
check "--wallpaper: seen again once the window goes" poll 5 both 956 WL-2
in_sway wtype -s 300 x
for at in "500 300" "1400 300"; do sway "seat - cursor set $at, seat - cursor press button1, seat - cursor release button1"; done
check "--wallpaper: keys and clicks do not end it" eval 'sleep 1 && alive'
close_nested_output WL-2
check "--wallpaper, an output removed: the other's scene takes its room" poll 5 eval 'alive && both 1916 WL-1'
sway create_output
check "--wallpaper, an output added: a scene there" poll 5 both 956 WL-3
close_nested_output WL-1
close_nested_output WL-3
check "--wallpaper, every output gone: it waits for one" eval 'sleep 1 && alive'
sway create_output
check "--wallpaper, an output back: a scene there" poll 5 eval 'SHOT_OUTPUT=WL-4 frame_line 1916'
swaymsg -s "$OUTER_IPC" output HEADLESS-1 resolution 3840x2160 >/dev/null
sway output WL-4 scale 2
check "--wallpaper, a dense output: laid out for its size, in 2x2 blocks" poll 12 eval 'SHOT_OUTPUT=WL-4 frame_line 1918 0 0 2'
kill -TERM "$APP_PID"
check "--wallpaper: SIGTERM ends it with status 0" eval 'wait_for_exit 5 && ended_with 0'

stop_servers
start_weston || skip "a weston that starts"
run --wallpaper
check "--wallpaper without the background layer: status 1" eval 'wait_for_exit 5 && ended_with 1'
check "--wallpaper without the background layer: one line" one_line "the Wayland compositor has no background layer"
finish
