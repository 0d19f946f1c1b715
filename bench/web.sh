#!/usr/bin/env bash
# Measures pages in a headless Chromium of their own (no GPU: software
# compositing), in turn within each run, at 1920x1080 and at 3840x2160
# (1920x1080 CSS pixels at a device pixel ratio of 2):
#
#   blank      a page that only asks for every animation frame
#              (bench/web/blank.html): what a page costs at all
#   one-rect   a canvas of the whole window of which one 15x18 rectangle
#              changes a frame, with putImageData (bench/web/one_rect.html):
#              the browser's floor for a canvas that changes every frame
#   page       coderain.html#stats (build-web/'s, or the file given): the
#              live scene
#   fps15      the same at fps=15
#   hidden     the same behind another tab (tests/e2e/chromium.js's
#              "hide"): what a page nobody sees costs
#
#   bench/web.sh [runs] [seconds] [page.html] [fragment]
#
# For each page: starts Chromium on it, waits 3 s, then measures for the
# span (default 3 runs of 20 s) the CPU time of all of Chromium's processes
# together (the browser and its descendants: renderer, GPU and utility
# processes, from /proc), their memory at the end, and the frames and
# presents a second the page counted (its console lines "frames N" and
# "presents N": the reference pages log frames, the page both). The
# fragment (default "stats") follows the page's '#'. Prints one table of
# medians and ranges. Numbers only: nothing here passes or fails. It kills
# only what it started, by PID.
set -euo pipefail

runs=${1:-3}
span=${2:-20}
here="$(cd "$(dirname "$0")/.." && pwd)"
page=$(realpath "${3:-$here/build-web/coderain.html}")
fragment=${4:-stats}
[ -f "$page" ] || { echo "$0: no $page: build the web preset (cmake --build --preset web)" >&2; exit 2; }
CODERAIN_BIN=/bin/true
# shellcheck source=../tests/e2e/harness.sh
source "$here/tests/e2e/harness.sh"
command -v "$CHROMIUM" >/dev/null || { echo "$0: no $CHROMIUM" >&2; exit 2; }
hz=$(getconf CLK_TCK)

declare -A urls=([blank]="file://$here/bench/web/blank.html" [one-rect]="file://$here/bench/web/one_rect.html"
                 [page]="file://$page#$fragment" [fps15]="file://$page#$fragment&fps=15" [hidden]="file://$page#$fragment")
pages=(blank one-rect page fps15 hidden)
# CSS size and device pixel ratio, by the screen they make.
declare -A screens=([1080p]="1920x1080 1" [2160p]="1920x1080 2")
sizes=(1080p 2160p)

# Process $1 and its descendants, one PID a line.
tree() {
  local pid
  echo "$1"
  for pid in $(ps -o pid= --ppid "$1"); do tree "$pid"; done
}
# Their CPU time in clock ticks, and their memory in kB (the proportional
# set size: pages shared between them counted once).
tree_ticks() { for p in $(tree "$1"); do sed 's/.*) //' "/proc/$p/stat" 2>/dev/null; done | awk '{ t += $12 + $13 } END { print t + 0 }'; }
tree_pss() { for p in $(tree "$1"); do awk '/^Pss:/ { print $2 }' "/proc/$p/smaps_rollup" 2>/dev/null; done | awk '{ k += $1 } END { print k + 0 }'; }
# The last count of frames (or presents, $1) the page logged.
counted() { grep -o "${1:-frames} [0-9]*" "$WORK/servers.log" | tail -1 | awk '{ print $2 }'; }
# Counts a second, from counts c0 and c1 over ms.
rate() { [ -z "$1" ] || [ -z "$2" ] && echo - || awk -v c=$(($2 - $1)) -v ms="$3" 'BEGIN { printf "%.1f", c / (ms / 1000) }'; }

declare -A cpu fps pps rss
for ((run = 1; run <= runs; run++)); do
  for size in "${sizes[@]}"; do
    read -r css density <<<"${screens[$size]}"
    for name in "${pages[@]}"; do
      : >"$WORK/servers.log"
      if [ "$name" = hidden ]; then
        # Opened through the DevTools driver, which hides it once it shows
        # a scene, and holds it so for the span (a few seconds' margin).
        node "$here/tests/e2e/chromium.js" "${urls[$name]}" "${css%x*}" "${css#*x}" "$density" - hide \
          "wait $(((span + 10) * 1000))" >/dev/null 2>&1 &
        CHROMIUM_PID=$!
        sleep 6
      else
        start_chromium "${urls[$name]}" "$css" --enable-logging=stderr --v=0 --force-device-scale-factor="$density"
        sleep 3
      fi
      t0=$(tree_ticks "$CHROMIUM_PID") f0=$(counted) p0=$(counted presents) s0=$(date +%s%N)
      sleep "$span"
      t1=$(tree_ticks "$CHROMIUM_PID") f1=$(counted) p1=$(counted presents) s1=$(date +%s%N)
      kb=$(tree_pss "$CHROMIUM_PID")
      if [ "$name" = hidden ]; then wait "$CHROMIUM_PID" || true; else stop_process "$CHROMIUM_PID"; fi
      elapsed=$(((s1 - s0) / 1000000))
      c=$(awk -v t=$((t1 - t0)) -v hz="$hz" -v ms="$elapsed" 'BEGIN { printf "%.1f", 100 * t / hz / (ms / 1000) }')
      f=$(rate "$f0" "$f1" "$elapsed") p=$(rate "$p0" "$p1" "$elapsed")
      key="$size $name"
      cpu[$key]+="$c " fps[$key]+="$f " pps[$key]+="$p " rss[$key]+="$((kb / 1024)) "
      echo "run $run, $size, $name: $c % of a core, $f frames and $p presents a second, $((kb / 1024)) MB" >&2
    done
  done
done

# The median of a list, and its range.
stat() {
  tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END {
    if (v[1] == "-") { print "-"; exit }
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%s (%s-%s)", m, v[1], v[NR] }'
}
echo "Chromium $("$CHROMIUM" --version 2>/dev/null | grep -o '[0-9][0-9.]*' | head -1), headless, $runs runs of $span s"
printf '%-6s %-10s %-24s %-20s %-20s %s\n' screen page "CPU, % of a core" "frames a second" "presents a second" \
  "memory, MB (PSS, all processes)"
for size in "${sizes[@]}"; do
  for name in "${pages[@]}"; do
    key="$size $name"
    printf '%-6s %-10s %-24s %-20s %-20s %s\n' "$size" "$name" "$(stat "${cpu[$key]}")" "$(stat "${fps[$key]}")" \
      "$(stat "${pps[$key]}")" "$(stat "${rss[$key]}")"
  done
done
