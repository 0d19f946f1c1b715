#!/usr/bin/env bash
# The page in a real browser (headless Chromium, from file://, no server):
# the Linux build's scene pixel for pixel, at density 1 and 2, its host
# under Node the same frames as this machine's fonts and files; and what it
# cannot use (bad options, a window of no size, no WebAssembly, too little
# memory) is one line, never an exception.
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
check "1280x1024: coderain-render's picture, pixel for pixel" \
  same_as_render "seed=7&at=30000" 1280x1024 1 --seed 7 --at 30000 --size 1280x1024
check "the page: black, no margins or scroll bars, no cursor over the scene" \
  eval '[ "$(page_fact background)" = "rgb(0, 0, 0)" ] && [ "$(page_fact scroll)" = "$(page_fact inner)" ] &&
        [ "$(page_fact cursor)" = none ]'
check "1024x768 at density 2: a canvas of device pixels, the picture of --scale 2" \
  same_as_render "seed=7&at=30000" 1024x768 2 --seed 7 --at 30000 --size 2048x1536 --scale 2

# Bad options: each set aside with its line, the scene shown all the same.
for fragment in "seed=x&at=-1&scale=99" "at=99999999999999999999&seed=-3&scale=1.5" "%00&&==&wallpaper=2&at=5"; do
  check "#$fragment: a line for each, the scene shown" \
    eval 'open_page "$URL#$fragment" 800x600 && page_settled still && [ "$(grep -c "^console.warning: coderain: .* ignored: " "$WORK/page.txt")" = 3 ]'
done

# Windows of no size and of 10x10, in a frame of a page of their own.
for size in 0 10; do
  echo "<iframe src=\"$URL#at=1000\" style=\"border: 0; width: ${size}px; height: ${size}px\"></iframe>" >"$WORK/frame.html"
  state=$([ "$size" = 0 ] && echo none || echo still)
  check "a window of ${size}x${size}: $state, no exception" \
    eval 'CODERAIN_IN_FRAME=1 open_page "file://$WORK/frame.html" 800x600 && page_settled $state &&
          [ "$(page_fact canvas)" = "[$size,$size]" ]'
done

check "no WebAssembly: one line on the page" \
  eval 'CODERAIN_BEFORE_PAGE="delete window.WebAssembly" open_page "$URL" 800x600 && page_settled stopped &&
        page_fact line | grep -q "^coderain: this browser runs no WebAssembly"'
check "memory refused (16384x16384 at scale 1): one line on the page" \
  eval 'open_page "$URL#at=0&scale=1" 8192x8192 2 && page_settled stopped &&
        [ "$(page_fact line)" = "coderain: not enough memory for a 16384x16384 image" ]'
check "larger than a canvas can be (16384x16384 at density 3): one line on the page" \
  eval 'open_page "$URL#at=0" 16384x16384 3 && page_settled stopped && page_fact line | grep -q "larger than a canvas"'

finish
