#!/usr/bin/env bash
# Measures the real program under an X server of its own.
#
#   bench/run.sh [CASE] [runs] [seconds] [binary]
#
# CASE is one of (default 1080p):
#   1080p, 4k, 8k      Xvfb at 1920x1080, 3840x2160, 7680x4320, at the scale
#                      the program takes there (1, 2 and 4)
#   4k-native          3840x2160 at --scale 1
#   1080p-xorg         X.Org's dummy driver, one 1920x1080 monitor (root)
#   two-monitors       the same with a 1280x1024 monitor beside it, which
#                      the program covers black (root)
#   wayland            a headless sway at 1920x1080 without XWayland, the
#                      program on native Wayland; "X server" is sway, and
#                      SIGTERM ends it (there is no keyboard to press)
#
# For each run: starts the X server at the chosen size, starts coderain, waits 2 s,
# then measures for the given span (default 3 runs of 30 s) the CPU time of
# the program and of the X server, the program's peak RSS, and, with a
# statistics build (cmake --preset stats), presents and damaged pixels per
# second, the time from process start to the first complete frame, and the
# exit latency after a key press. Prints one table of medians and ranges.
# It kills only what it started, by PID.
set -euo pipefail

size_name=${1:-1080p}
runs=${2:-3}
span=${3:-30}
here="$(cd "$(dirname "$0")/.." && pwd)"
bin=${4:-}
if [ -z "$bin" ]; then
  bin="$here/build-stats/coderain"
  [ -x "$bin" ] || bin="$here/build/coderain"
fi
server=xvfb
args=()
monitors=()
case "$size_name" in
  1080p) size=1920x1080 ;;
  4k) size=3840x2160 ;;
  4k-native) size=3840x2160 args=(--scale 1) ;;
  8k) size=7680x4320 ;;
  1080p-xorg) server=xorg size=1920x1080 monitors=(1920x1080+0+0) ;;
  two-monitors) server=xorg size=3200x1080 monitors=(1920x1080+0+0 1280x1024+1920+0) ;;
  wayland) server=sway size=1920x1080 ;;
  *) echo "usage: $0 [1080p|4k|4k-native|8k|1080p-xorg|two-monitors|wayland] [runs] [seconds] [binary]" >&2; exit 2 ;;
esac
# shellcheck source=../tests/e2e/screen_lib.sh
source "$here/tests/e2e/screen_lib.sh"

work=$(mktemp -d)
xvfb_pid=""
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

mkdir -p "$work/app"
cp "$bin" "$work/app/coderain"
cp "$(dirname "$bin")"/code*.txt "$work/app/"
hz=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
now_ns() { date +%s%N; }

results="$work/results"
: >"$results"
for ((run = 1; run <= runs; run++)); do
  if [ "$server" = xorg ]; then
    mkdir "$work/xorg$run"
    start_xorg_dummy "$work/xorg$run"
    xvfb_pid=$XORG_PID
    set_monitors "${monitors[@]}"
  elif [ "$server" = sway ]; then
    chmod 711 "$work"
    start_sway "$work" "$size"
    xvfb_pid=$SWAY_PID
    unset DISPLAY
    export XDG_RUNTIME_DIR=$RUN WAYLAND_DISPLAY=$SOCKET
  else
    mkfifo "$work/fd$run"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp -noreset 3>"$work/fd$run" >/dev/null 2>&1 &
    xvfb_pid=$!
    read -r n <"$work/fd$run"
    export DISPLAY=":$n"
  fi

  start_ns=$(now_ns)
  "$work/app/coderain" "${args[@]}" 2>"$work/stats$run" &
  app_pid=$!
  sleep 2
  a0=$(cpu_ticks "$app_pid")
  x0=$(cpu_ticks "$xvfb_pid")
  sleep "$span"
  a1=$(cpu_ticks "$app_pid")
  x1=$(cpu_ticks "$xvfb_pid")
  rss_kb=$(awk '/VmHWM/{print $2}' "/proc/$app_pid/status")
  key_ns=$(now_ns)
  # xdotool runs beside the watch: it goes on to release the key and exit
  # after the press, which is no part of the program's latency.
  xdo_pid=""
  if [ "$server" = sway ]; then
    kill -TERM "$app_pid"
  else
    xdotool key q &
    xdo_pid=$!
  fi
  state=R
  while [ "$state" != Z ] && read -r _ _ state _ 2>/dev/null <"/proc/$app_pid/stat"; do :; done
  gone_ns=$(now_ns)
  [ -z "$xdo_pid" ] || wait "$xdo_pid" || true
  wait "$app_pid" || true
  app_pid=""
  kill "$xvfb_pid"
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""

  # Figures from a statistics build, if this is one.
  presents=$(awk '/^presents per second/{print $NF}' "$work/stats$run")
  damaged=$(awk '/^damaged pixels per second/{print $NF}' "$work/stats$run")
  first_ns=$(awk '/^first frame at/{print $NF}' "$work/stats$run")
  first_ms="-"
  [ -n "$first_ns" ] && first_ms=$(( (first_ns - start_ns) / 1000000 ))
  exit_ms=$(( (gone_ns - key_ns) / 1000000 ))
  [ -z "$xdo_pid" ] && exit_ms="-"
  echo "$run $(( (a1 - a0) )) $(( (x1 - x0) )) $rss_kb ${presents:--} ${damaged:--} $first_ms $exit_ms" >>"$results"
  [ "$run" = 1 ] && grep -v '^first frame at' "$work/stats$run" >"$work/stats-first" || true
done

awk -v hz="$hz" -v span="$span" -v size="$size" -v name="$size_name" -v runs="$runs" '
function med(a, n,   i, j, t) { for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
  return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
function row(name, col, fmt,   i, v, n, lo, hi) {
  n = 0
  for (i = 1; i <= NR; i++) if (val[i, col] != "-") { v[++n] = val[i, col] }
  if (n == 0) { printf "%-34s %12s %25s\n", name, "-", "-"; return }
  lo = v[1]; hi = v[1]; for (i = 1; i <= n; i++) { if (v[i] < lo) lo = v[i]; if (v[i] > hi) hi = v[i] }
  printf "%-34s %12s %25s\n", name, sprintf(fmt, med(v, n)), sprintf("[" fmt " .. " fmt "]", lo, hi)
}
{ val[NR, 1] = $2 * 100 / hz / span; val[NR, 2] = $3 * 100 / hz / span; val[NR, 3] = ($2 + $3) * 100 / hz / span
  val[NR, 4] = $4 / 1024; val[NR, 5] = $5; val[NR, 6] = $6; val[NR, 7] = $7; val[NR, 8] = $8 }
END {
  printf "coderain, %s (%s): %d runs of %d s after 2 s of warm-up\n\n", name, size, runs, span
  printf "%-34s %12s %25s\n", "measure", "median", "range"
  row("program CPU (% of one core)", 1, "%.2f")
  row("X server CPU (% of one core)", 2, "%.2f")
  row("program + X server (% of one core)", 3, "%.2f")
  row("program peak RSS (MB)", 4, "%.1f")
  row("presents per second", 5, "%.1f")
  row("damaged pixels per second", 6, "%.0f")
  row("start to first frame (ms)", 7, "%.0f")
  row("key press to exit (ms)", 8, "%.0f")
}' "$results"
if [ -s "$work/stats-first" ]; then
  echo
  echo "Timer statistics of run 1:"
  cat "$work/stats-first"
fi
