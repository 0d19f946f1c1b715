#!/usr/bin/env bash
# The page in a real browser (headless Chromium, from file://, no server):
# the live scene laid out as the program lays out the window, ended by the
# program's keys and clicks and started again by a click (a grey line says
# so meanwhile), started again with a new fragment's options, a new scene
# for a new size; hidden or without frames it rests and goes on where it
# stopped;
# under a frame-rate cap, at most that many presents a second, each the
# renderer's picture at the scene time it shows; the wallpaper hosts' copy
# of the page, its settings from both hosts' listeners applied at the next
# frame, their descriptions in the hosts' formats;
# the still the Linux build's scene pixel for pixel, at density 1 and 2,
# its host under Node the same frames as this machine's fonts and files;
# and what it cannot use (bad options, a window of no size, no WebAssembly,
# too little memory) is one line, never an exception.
#
#   web_test.sh path/to/coderain.html path/to/coderain-render path/to/scene_frames.js
PAGE=$(realpath "$1")
CODERAIN_BIN=$2
FRAMES=$3
source "$(dirname "$0")/harness.sh"
command -v "$CHROMIUM" >/dev/null || skip chromium
command -v node >/dev/null || skip node

URL="file://$PAGE"

# coderain-render's picture with these options, as $WORK/render.ppm.
render() { "$CODERAIN_BIN" "$@" --out "$WORK/render.png" && pngtopnm "$WORK/render.png" >"$WORK/render.ppm"; }

same_frames() {
  local t
  "$CODERAIN_BIN" --size 1920x1080 --seed 7 --at 30000,600000 --out "$WORK/linux-%d.png" &&
    node "$FRAMES" 1920 1080 7 30000,600000 "$WORK/web-%d.ppm" || return 1
  for t in 30000 600000; do
    pngtopnm "$WORK/linux-$t.png" >"$WORK/linux-$t.ppm"
    echo "  $t ms: $(sha256sum <"$WORK/linux-$t.ppm" | cut -c1-16) linux, $(sha256sum <"$WORK/web-$t.ppm" | cut -c1-16) web"
    cmp -s "$WORK/linux-$t.ppm" "$WORK/web-$t.ppm" || return 1
  done
}
check "under Node the page's fonts and files give the Linux frames (1920x1080, 30 s and 600 s)" same_frames

# The page at fragment $1, viewport $2 and density $3 shows what
# coderain-render shows with the options after them.
same_as_render() {
  page_picture "$WORK/page.ppm" "$URL#$1" "$2" "$3" && page_settled still && render "${@:4}" &&
    cmp "$WORK/page.ppm" "$WORK/render.ppm"
}
check "1280x1024 at 15 frames a second: coderain-render's picture, pixel for pixel" \
  same_as_render "seed=7&at=30000&fps=15" 1280x1024 1 --seed 7 --at 30000 --size 1280x1024
check "the page: black, no margins or scroll bars, no cursor over the scene" \
  eval '[ "$(page_fact background)" = "rgb(0, 0, 0)" ] && [ "$(page_fact scroll)" = "$(page_fact inner)" ] &&
        [ "$(page_fact cursor)" = none ]'
check "1024x768 at density 2: a canvas of device pixels, the picture of --scale 2" \
  same_as_render "seed=7&at=30000&fps=60" 1024x768 2 --seed 7 --at 30000 --size 2048x1536 --scale 2

# Bad options: each set aside with its line, the scene shown all the same.
for case in "live seed=x&fps=61&scale=99" "live at=99999999999999999999&seed=-3&scale=1.5" \
            "still %00&&==&wallpaper=2&at=5"; do
  fragment=${case#* }
  check "#$fragment: a line for each, the scene shown" \
    eval 'open_page "$URL#$fragment" 800x600 && page_settled ${case%% *} &&
          [ "$(grep -c "^console.warning: coderain: .* ignored: " "$WORK/page.txt")" = 3 ]'
done

# Windows of no size and of 10x10, in a frame of a page of their own, live
# and still.
for case in "0 none" "10 live" "0 none at=1000" "10 still at=1000"; do
  read -r size state fragment <<<"$case"
  echo "<iframe src=\"$URL#$fragment\" style=\"border: 0; width: ${size}px; height: ${size}px\"></iframe>" \
    >"$WORK/frame.html"
  check "a window of ${size}x${size}${fragment:+, $fragment}: $state, no exception" \
    eval 'CODERAIN_IN_FRAME=1 open_page "file://$WORK/frame.html" 800x600 1 - "wait 500" && page_settled $state &&
          [ "$(page_fact canvas)" = "[$size,$size]" ]'
done

check "no WebAssembly: one line on the page" \
  eval 'CODERAIN_BEFORE_PAGE="delete window.WebAssembly" open_page "$URL" 800x600 && page_settled stopped &&
        page_fact line | grep -q "^coderain: this browser runs no WebAssembly"'
for fragment in at=0 seed=1; do
  check "memory refused (16384x16384 at scale 1, #$fragment): one line on the page" \
    eval 'open_page "$URL#$fragment&scale=1" 8192x8192 2 - "wait 500" && page_settled stopped &&
          [ "$(page_fact line)" = "coderain: not enough memory for a 16384x16384 image" ]'
done
for fragment in at=0 seed=1; do
  check "larger than a canvas can be (16384x16384 at density 3, #$fragment): one line on the page" \
    eval 'open_page "$URL#$fragment" 16384x16384 3 - "wait 500" && page_settled stopped &&
          page_fact line | grep -q "larger than a canvas" && [ "$(grep -c "^console.error: coderain: " "$WORK/page.txt")" = 1 ]'
done

# --- The live scene ---

LIVE="$URL#seed=7"
SHOT=$WORK/live.ppm
# Rectangle X Y W H of picture $SHOT, as picture() takes it.
shot() { pamcut -left "$2" -top "$3" -width "$4" -height "$5" "$SHOT" >"$1"; }
# Picture $SHOT is the scene laid out for width $1: the left lines of the
# block panel's frame and of the message panel's (at column W - 195, rows
# 411 to 708) are green, and nothing lit is but green and grey.
laid_out() {
  PICTURE=shot frame_line "$1" && PICTURE=shot picture "$WORK/message.ppm" $(($1 - 195)) 411 1 298 &&
    [ -z "$(colours "$WORK/message.ppm" | awk '$1 || $3 || !$2')" ] && green_and_grey "$SHOT"
}

open_page "$LIVE" 1920x1080 1 - "wait 3000" "picture $SHOT" fullscreen "repeat Enter" "wait 300" facts \
  "keyup Enter" "key KeyA" "until ended" "picture $WORK/ended.ppm"
check "1920x1080: laid out for its size, only the scene's colours" laid_out 1920
check "a key held as the page opened does not end the scene" eval '[ "$(page_fact scene 1)" = live ]'
check "a key ends it: the canvas black, full screen left" \
  eval 'page_settled ended && all_black "$WORK/ended.ppm" && [ "$(page_fact fullscreen 1)/$(page_fact fullscreen)" = true/false ]'

open_page "$LIVE" 1920x1080 1 - "click 100 280" "wait 300" facts "click 100 50" "until ended" facts \
  "screenshot $WORK/ended.png" "click 960 540" "until live" facts "screenshot $WORK/again.png" "click 960 540" \
  "until ended"
check "a click on picC leaves the scene" eval '[ "$(page_fact scene 1)" = live ]'
check "a click on picASM ends it" eval '[ "$(page_fact scene 2)" = ended ]'
check "after the end a click starts a new scene, a click on the bare screen ends it" \
  eval '[ "$(page_fact scene 3)" = live ] && page_settled ended'
# Greys between black and white are the hint's: the scene has none.
without_hint() { pngtopnm "$1" >"$WORK/shot.ppm" && colours "$WORK/shot.ppm" | awk '$1 == $2 && $2 == $3 && $1 % 255 { exit 1 }'; }
check "after the end a grey line says how to start again; the click takes it away" \
  eval '! without_hint "$WORK/ended.png" && without_hint "$WORK/again.png"'

check "#wallpaper: keys and clicks leave the scene" \
  eval 'open_page "$URL#wallpaper" 1920x1080 1 - "key KeyA" "click 960 540" "click 100 50" "wait 500" &&
        page_settled live'

check "#seed=7 changed to #wallpaper: a click and a key leave the scene; back to #seed=7, a key ends it" \
  eval 'open_page "$LIVE" 1920x1080 1 - "wait 500" "hash wallpaper" "wait 500" "click 100 50" "key KeyA" "wait 500" \
        facts "hash seed=7" "wait 500" "key KeyA" "until ended" && [ "$(page_fact scene 1)" = live ]'

# The page's picture number $1 is the renderer's, with the options after it.
shows_render() { render "${@:2}" && cmp "$WORK/picture-$1.ppm" "$WORK/render.ppm"; }
# At most one present in $1 ms of the scene (one cap's frame), at the
# facts step $2, counting the first frame.
# Under a cap the page takes about one of the browser's frames a present,
# not every frame offered nor one too soon to use (those came to three
# for every four presents): a few more on a slow machine, a few to start.
capped() {
  awk -v p="$(page_fact presents "$2")" -v t="$(page_fact shownAt "$2")" -v n="$(page_fact frames "$2")" -v f="$1" \
    'BEGIN { exit !(p >= 2 && p <= t / f + 2 && n <= p * 1.4 + 5) }'
}

check "a new size (1024x768) is a new scene laid out for it" \
  eval 'open_page "$LIVE" 1920x1080 1 - "wait 500" "size 1024 768" "wait 3000" "picture $SHOT" &&
        page_settled live && [ "$(page_fact canvas)" = "[1024,768]" ] && laid_out 1024'

# Hidden 10 s behind another tab, then 3 s without frames (its script
# held in the debugger: a host that stops its frames without a word): the
# scene's time stands still, and goes on from there.
open_page "$URL#seed=7&fps=15" 1024x768 1 - "wait 1000" facts hide "wait 300" facts "wait 10000" facts show "wait 500" \
  facts pause "wait 3000" resume "wait 500" facts
# From facts step $1 to $2, of which $3 ms the page was not seen: the
# scene's time went on by the time it was seen, within a second (a slow
# machine's frames), and not by the time it was not.
went_on() {
  awk -v a="$(page_fact shownAt "$1")" -v b="$(page_fact shownAt "$2")" -v t="$(page_fact now "$1")" \
    -v u="$(page_fact now "$2")" -v unseen="$3" 'BEGIN { exit !(b >= a && b - a <= u - t - unseen + 1000) }'
}
check "hidden: no presents, the scene's time stands still" \
  eval '[ "$(page_fact presents 2)" = "$(page_fact presents 3)" ] && [ "$(page_fact shownAt 2)" = "$(page_fact shownAt 3)" ]'
check "shown after 10 s hidden: the scene goes on from where it stopped" went_on 2 4 10000
check "frames again after 3 s without: the same" went_on 4 5 3000
check "#fps=15: at most 15 presents a second of the scene, a frame each" capped 67 5

# --- The wallpaper hosts' folders ---

HOSTS=$(dirname "$PAGE")/wallpaper
check "both hosts' folders hold the same index.html" cmp "$HOSTS/lively/index.html" "$HOSTS/wallpaper-engine/index.html"
# Their formats, as each host publishes them: the fields each file may
# have, the type of each, and ours.
while read -r file test; do
  check "$file: $test" jq -e "$test" "$HOSTS/$file"
done <<'END'
lively/LivelyInfo.json keys - ["AppVersion","Arguments","Author","Contact","Desc","FileName","Id","IsAbsolutePath","License","Preview","Tags","Thumbnail","Title","Type","Version"] == []
lively/LivelyInfo.json [.AppVersion, .Title, .Desc, .Author, .License, .Contact, .FileName] | map(type) | unique == ["string"]
lively/LivelyInfo.json .Type == 1 and .FileName == "index.html" and .IsAbsolutePath == false
lively/LivelyProperties.json keys == ["fps","scale","seed"] and ([.[].type] - ["slider","textbox"] == [])
lively/LivelyProperties.json [.[] | select(.type == "slider") | keys == ["max","min","step","text","type","value"] and ([.max, .min, .step, .value] | map(type) | unique == ["number"]) and (.text | type == "string")] | all
lively/LivelyProperties.json [.[] | select(.type == "textbox") | keys == ["text","type","value"] and ([.text, .value] | map(type) | unique == ["string"])] | all
lively/LivelyProperties.json [.scale.min, .scale.max, .fps.min, .fps.max, .fps.value] == [0, 8, 1, 60, 60]
wallpaper-engine/project.json keys == ["description","file","general","title","type"] and .type == "web" and .file == "index.html" and ([.title, .description] | map(type) | unique == ["string"])
wallpaper-engine/project.json .general | keys == ["properties"]
wallpaper-engine/project.json .general.properties | keys == ["scale","seed"] and ([.[] | (.order | type) == "number" and (.text | type) == "string"] | all)
wallpaper-engine/project.json .general.properties.seed | keys == ["order","text","type","value"] and .type == "textinput" and (.value | type) == "string"
wallpaper-engine/project.json .general.properties.scale | keys == ["fraction","max","min","order","text","type","value"] and .type == "slider" and [.min, .max, .value, .fraction] == [0, 8, 0, false]
END

# The hosts' copy in the browser, called as each host calls it: at the
# next frame a scene with what they set (a still here, as the address
# asks, to be compared with the renderer's), the same page, no reload;
# what the page does not offer a host (at=) is not taken; then live, its
# input the desktop's, at the host's frame rate; a bad value is a line.
open_page "file://$HOSTS/lively/index.html#at=3000" 1024x768 2 - "js window.kept = 1" \
  "js livelyPropertyListener('seed', ' 7 '), livelyPropertyListener('fps', 15), livelyPropertyListener('scale', 0), livelyPropertyListener('at', 1000)" \
  "wait 500" "picture $WORK/picture-1.ppm" \
  "js wallpaperPropertyListener.applyUserProperties({ seed: { value: '9' }, scale: { value: 1 } }), wallpaperPropertyListener.applyGeneralProperties({ fps: 30 })" \
  "wait 500" "picture $WORK/picture-2.ppm" "hash " "wait 1500" "key KeyA" "click 100 50" "wait 300" facts \
  "js livelyPropertyListener('fps', 'x'), window.kept" "wait 300"
check "Lively's seed 7, scale 0 (at density 2: 2): the renderer's picture, at=3000 kept" \
  shows_render 1 --seed 7 --at 3000 --size 2048x1536 --scale 2
check "Wallpaper Engine's seed 9, scale 1: the renderer's picture" shows_render 2 --seed 9 --at 3000 --size 2048x1536 --scale 1
check "live, a key and a click leave the wallpaper" eval 'page_settled live && [ "$(page_fact scene 1)" = live ]'
check "Wallpaper Engine's limit of 30 fps: at most 30 presents a second" capped 34 1
check "the same page throughout; fps=x set aside with a line" \
  eval 'grep -qx "js: 1" "$WORK/page.txt" && grep -q "^console.warning: coderain: fps=x ignored" "$WORK/page.txt"'

finish
