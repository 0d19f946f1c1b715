#!/usr/bin/env bash
# Measures pages in a headless Chromium of their own, at 1920x1080 (density
# 1, no GPU: software compositing), in turn within each run:
#
#   blank      a page that only asks for every animation frame
#              (bench/web/blank.html): what a page costs at all
#   one-rect   a canvas of the whole window of which one 15x18 rectangle
#              changes a frame, with putImageData (bench/web/one_rect.html):
#              the browser's floor for a canvas that changes every frame
#   page       coderain.html (build-web/'s, or the file given)
#
#   bench/web.sh [runs] [seconds] [page.html]
#
# For each page: starts Chromium on it, waits 3 s, then measures for the
# span (default 3 runs of 20 s) the CPU time of all of Chromium's processes
# together (the browser and its descendants: renderer, GPU and utility
# processes, from /proc), their memory at the end, and the frames
# a second the page counted (a page that logs "bench frames N" to the
# console; the reference pages do). Prints one table of medians and ranges.
# Numbers only: nothing here passes or fails. It kills only what it
# started, by PID.
set -euo pipefail

runs=${1:-3}
span=${2:-20}
here="$(cd "$(dirname "$0")/.." && pwd)"
page=$(realpath "${3:-$here/build-web/coderain.html}")
[ -f "$page" ] || { echo "$0: no $page: build the web preset (cmake --build --preset web)" >&2; exit 2; }
CODERAIN_BIN=/bin/true
# shellcheck source=../tests/e2e/harness.sh
source "$here/tests/e2e/harness.sh"
command -v "$CHROMIUM" >/dev/null || { echo "$0: no $CHROMIUM" >&2; exit 2; }
hz=$(getconf CLK_TCK)

declare -A urls=([blank]="file://$here/bench/web/blank.html" [one-rect]="file://$here/bench/web/one_rect.html"
                 [page]="file://$page")
pages=(blank one-rect page)

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
# The last frame count the page logged.
frames() { grep -o 'bench frames [0-9]*' "$WORK/servers.log" | tail -1 | awk '{ print $3 }'; }

declare -A cpu fps rss
for ((run = 1; run <= runs; run++)); do
  for name in "${pages[@]}"; do
    : >"$WORK/servers.log"
    start_chromium "${urls[$name]}" 1920x1080 --enable-logging=stderr --v=0
    sleep 3
    t0=$(tree_ticks "$CHROMIUM_PID") f0=$(frames) s0=$(date +%s%N)
    sleep "$span"
    t1=$(tree_ticks "$CHROMIUM_PID") f1=$(frames) s1=$(date +%s%N)
    kb=$(tree_pss "$CHROMIUM_PID")
    stop_process "$CHROMIUM_PID"
    elapsed=$(((s1 - s0) / 1000000))
    c=$(awk -v t=$((t1 - t0)) -v hz="$hz" -v ms="$elapsed" 'BEGIN { printf "%.1f", 100 * t / hz / (ms / 1000) }')
    f=-
    [ -z "$f0" ] || [ -z "$f1" ] || f=$(awk -v f=$((f1 - f0)) -v ms="$elapsed" 'BEGIN { printf "%.1f", f / (ms / 1000) }')
    cpu[$name]+="$c " fps[$name]+="$f " rss[$name]+="$((kb / 1024)) "
    echo "run $run, $name: $c % of a core, $f frames a second, $((kb / 1024)) MB" >&2
  done
done

# The median of a list, and its range.
stat() {
  tr ' ' '\n' <<<"$1" | grep -v '^$' | sort -g | awk '{ v[NR] = $1 } END {
    if (v[1] == "-") { print "-"; exit }
    m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
    printf "%s (%s-%s)", m, v[1], v[NR] }'
}
echo "Chromium $("$CHROMIUM" --version 2>/dev/null | grep -o '[0-9][0-9.]*' | head -1), headless, 1920x1080, $runs runs of $span s"
printf '%-10s %-26s %-22s %s\n' page "CPU, % of a core" "frames a second" "memory, MB (PSS, all processes)"
for name in "${pages[@]}"; do
  printf '%-10s %-26s %-22s %s\n' "$name" "$(stat "${cpu[$name]}")" "$(stat "${fps[$name]}")" "$(stat "${rss[$name]}")"
done
