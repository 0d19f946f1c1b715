#!/usr/bin/env bash
# coderain-render --video, decoded by Debian's ffmpeg: a lossless .mkv holds
# exactly the pictures --at writes at each frame's time; a .webm and an .mp4
# have the right frames, size and length, and lose little of the picture;
# a size the codec refuses, a folder that cannot be written and an
# interrupt leave no file; progress is a line redrawn on a terminal and a
# summary line into a pipe.
source "$(dirname "$0")/harness.sh"
RENDER=${2:?usage: $0 path/to/coderain path/to/coderain-render}
command -v ffprobe >/dev/null || skip "ffmpeg and ffprobe"

# "W,H,FRAMES SECONDS " of a video.
facts() {
  ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=width,height,nb_read_frames \
    -show_entries format=duration -of csv=p=0 "$1" | tr '\n' ' '
}
raw() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 -; }
# Whether frame $2 of video $1 is within $4 dB (PSNR) of picture $3 as
# 4:2:0 video can hold it: what the codec lost, beyond the colours shared
# by four pixels that the format itself loses.
near() {
  local psnr
  psnr=$(ffmpeg -i "$1" -i "$3" -lavfi "[0:v]select=eq(n\,$2),format=rgb24[a];[1:v]format=rgb24,
    scale=flags=bicubic+accurate_rnd+full_chroma_int,format=yuv444p,
    colorspace=all=bt709:iall=bt601-6-625:fast=1,format=yuv420p,format=rgb24[b];[a][b]psnr" -f null - 2>&1 | sed -n 's/.*average:\([0-9.]*\).*/\1/p')
  echo "  | PSNR $psnr dB"
  awk -v p="$psnr" -v bound="$4" 'BEGIN { exit !(p != "" && p >= bound) }'
}
# Runs the renderer with $2... and says whether it ended with status $1
# and one line on stderr holding every word after --; no file in $WORK/out.
refused() {
  local status=0 want=$1 args=() words=()
  shift
  while [ "$1" != -- ]; do args+=("$1") && shift; done
  shift
  "${as_nobody[@]}" "$RENDER" "${args[@]}" 2>"$WORK/stderr" || status=$?
  sed 's/^/  | /' "$WORK/stderr"
  [ "$status" = "$want" ] && [ "$(wc -l <"$WORK/stderr")" = 1 ] && [ -z "$(ls -A "$WORK/out")" ] || return 1
  for w in "$@"; do grep -qF -- "$w" "$WORK/stderr" || return 1; done
}
mkdir -m 755 "$WORK/out"

times=$(seq -s, 0 100 1900)
"$RENDER" --size 1024x768 --seed 7 --video "$WORK/v.mkv" --to 2000 --fps 10 --quiet
"$RENDER" --size 1024x768 --seed 7 --at "$times" --out "$WORK/at%d.png"
for t in ${times//,/ }; do raw "$WORK/at$t.png"; done >"$WORK/at.raw"
check "mkv: 20 frames of 1024x768, 2 s" test "$(facts "$WORK/v.mkv")" = "1024,768,20 2.000000 "
check "mkv: each frame the picture --at writes at its time" eval 'raw "$WORK/v.mkv" | cmp -s - "$WORK/at.raw"'

"$RENDER" --size 640x360 --at 1000 --out "$WORK/at1000.png"
for kind in webm mp4; do
  "$RENDER" --size 640x360 --video "$WORK/v.$kind" --to 2000 --quiet
  check "$kind: 60 frames of 640x360, 2 s" test "$(facts "$WORK/v.$kind")" = "640,360,60 2.000000 "
  check "$kind: the frame at 1 s within 35 dB of --at 1000 in 4:2:0" near "$WORK/v.$kind" 30 "$WORK/at1000.png" 35
done

as_nobody=()
check "an odd size for H.264: status 2, codec and size named" \
  refused 2 --size 1023x768 --video "$WORK/out/v.mp4" --to 100 -- "H.264" "1023x768"
check "a folder that is not there: status 1" \
  refused 1 --video "$WORK/out/none/v.webm" --to 100 -- "cannot write $WORK/out/none/v.webm: No such file"
if [ "$(id -u)" = 0 ]; then
  as_nobody=(setpriv --reuid nobody --regid nogroup --clear-groups)
  chmod 711 "$WORK"
fi
chmod 555 "$WORK/out"
check "a folder the user cannot write: status 1" \
  refused 1 --video "$WORK/out/v.webm" --to 100 -- "cannot write $WORK/out/v.webm: Permission denied"
chmod 755 "$WORK/out"

# An interrupt once the video is well under way.
"$RENDER" --size 640x360 --video "$WORK/out/v.webm" --to 600000 --quiet 2>"$WORK/stderr" &
pid=$!
check "interrupted: the video was under way" poll 30 eval '[ -n "$(find "$WORK/out" -size +20k)" ]'
kill -INT "$pid"
status=0
wait "$pid" || status=$?
check "interrupted: ends by SIGINT" test "$status" = 130
check "interrupted: nothing left in the folder" test -z "$(ls -A "$WORK/out")"

# The progress line.
script -qc "$(printf '%q ' "$RENDER" --size 320x240 --video "$WORK/p.webm" --to 3000)" /dev/null >"$WORK/tty.txt"
last=$(tr '\r' '\n' <"$WORK/tty.txt" | grep -v '^$' | tail -1)
echo "  | $last"
check "a terminal: one line redrawn in place" test "$(wc -l <"$WORK/tty.txt")" = 1 -a "$(tr -cd '\r' <"$WORK/tty.txt" | wc -c)" -gt 2
check "a terminal: ending at 100 %" eval '[[ $last == "coderain-render: frame 90 of 90 (100 %), scene at 2.9 s,"* ]]'
script -qc "$(printf '%q ' "$RENDER" --size 320x240 --gif 0:10100:100 --out "$WORK/p.gif")" /dev/null >"$WORK/tty.txt"
check "a terminal: a long GIF's line ends at 100 %" grep -q "frame 102 of 102 (100 %)" "$WORK/tty.txt"
"$RENDER" --size 320x240 --video "$WORK/p.webm" --to 3000 2>&1 | cat >"$WORK/pipe.txt"
check "a pipe: one summary line" eval '[ "$(wc -l <"$WORK/pipe.txt")" = 1 ] &&
  grep -q "^coderain-render: wrote $WORK/p.webm: 90 frames, the scene from 0 ms to 2966 ms, in " "$WORK/pipe.txt"'
check "--quiet: nothing" test -z "$("$RENDER" --size 320x240 --video "$WORK/p.webm" --to 300 --quiet 2>&1)"
finish
