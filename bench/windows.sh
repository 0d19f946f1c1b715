#!/usr/bin/env bash
# coderain.scr /s under wine at 1920x1080 in an Xvfb, beside a do-nothing
# Win32 program on a 10 ms timer (bench/win32_idle.cpp: wine's own floor),
# each alone in turn within every run: coderain at 60 frames a second, at
# 15 (Fps=15 in the registry) and with the session locked (the notice
# posted to its window after the warm-up); the CPU time of the program, of
# wineserver and of Xvfb, and the exit latency after a key press; then the
# presents a second and the timer statistics of run 1 (the .scr comes from
# the windows-stats preset, built here when missing). Run by bench/run.sh
# windows [runs] [seconds].
set -euo pipefail
runs=${1:-3}
span=${2:-30}
here="$(cd "$(dirname "$0")/.." && pwd)"
build=$here/build-windows-stats
if [ ! -f "$build/coderain.scr" ]; then
  (cd "$here" && cmake --preset windows-stats >/dev/null && cmake --build --preset windows-stats --target coderain)
fi
export WINEPREFIX=$build/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
bash "$here/tests/win32/wine_prefix.sh"
CODERAIN_BIN=$build/coderain.scr
source "$here/tests/e2e/harness.sh"
trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT
stage_program
mv "$APP" "$APP.scr"
x86_64-w64-mingw32-g++ -O2 -static -o "$WORK/idle.exe" "$here/bench/win32_idle.cpp"
x86_64-w64-mingw32-g++ -O2 -static -municode -DUNICODE -D_UNICODE -o "$WORK/driver.exe" \
  "$here/tests/win32/window_driver.cpp"
KEY='HKCU\Software\coderain'
hz=$(getconf CLK_TCK)
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

# Runs a Win32 program ($@) for the span after 2 s (and after the command
# in AFTER_WARMUP, if any) and appends "program wineserver Xvfb" CPU ticks
# to $WORK/$name.
measure() {
  local name=$1 a0 w0 x0
  shift
  start_app wine "$@"
  sleep 2
  ${AFTER_WARMUP:-}
  a0=$(cpu_ticks "$APP_PID") w0=$(cpu_ticks "$WINESERVER_PID") x0=$(cpu_ticks "$X_PID")
  sleep "$span"
  echo "$(($(cpu_ticks "$APP_PID") - a0)) $(($(cpu_ticks "$WINESERVER_PID") - w0)) $(($(cpu_ticks "$X_PID") - x0))" \
    >>"$WORK/$name"
}

for ((run = 1; run <= runs; run++)); do
  start_xvfb 1920x1080
  start_server_process wineserver -f -p
  WINESERVER_PID=$LAST_PID
  measure idle "$WORK/idle.exe" $(((span + 3) * 1000))
  wait_for_exit 5
  for case in coderain fps15 locked; do
    AFTER_WARMUP=""
    [ $case = fps15 ] && wine reg add "$KEY" /v Fps /t REG_DWORD /d 15 /f >/dev/null 2>&1
    # WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK
    [ $case = locked ] && AFTER_WARMUP="wine $WORK/driver.exe post Form1 0x2B1 7 1"
    measure $case "$APP.scr" /s
    key_ns=$(date +%s%N)
    xdotool key q
    wait_for_exit 5
    [ $case = coderain ] && echo "$((($(date +%s%N) - key_ns) / 1000000))" >>"$WORK/exit"
    wine reg delete "$KEY" /f >/dev/null 2>&1 || true
    [ "$run" = 1 ] && grep -v '^first frame at' "$WORK/stderr" >"$WORK/stats-$case" || true
  done
  AFTER_WARMUP=""
  wineserver -k 2>/dev/null || true
  stop_servers
done

echo "coderain.scr /s under wine at 1920x1080: $runs runs of $span s after 2 s of warm-up, medians [ranges]"
echo
paste -d' ' "$WORK/coderain" "$WORK/fps15" "$WORK/locked" "$WORK/idle" "$WORK/exit" | awk -v hz="$hz" -v span="$span" '
function med(c,   i, j, t, v) { for (i = 1; i <= NR; i++) v[i] = x[i, c]
  for (i = 1; i <= NR; i++) for (j = i + 1; j <= NR; j++) if (v[j] < v[i]) { t = v[i]; v[i] = v[j]; v[j] = t }
  return sprintf("%.2f [%.2f .. %.2f]", (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR]) }
{ for (c = 1; c <= 12; c++) x[NR, c] = $c * 100 / hz / span
  for (k = 0; k < 4; k++) x[NR, 13 + k] = x[NR, 3 * k + 1] + x[NR, 3 * k + 2] + x[NR, 3 * k + 3]
  x[NR, 17] = $13
  # 15 fps against 60, the program alone and all three
  x[NR, 18] = x[NR, 1] ? x[NR, 4] / x[NR, 1] : 0; x[NR, 19] = x[NR, 13] ? x[NR, 14] / x[NR, 13] : 0 }
END {
  printf "%-14s %24s %24s %24s %24s\n", "% of one core", "coderain.scr", "Fps=15", "session locked", "idle, 10 ms timer"
  split("the program,wineserver,Xvfb", name, ",")
  for (r = 1; r <= 3; r++) printf "%-14s %24s %24s %24s %24s\n", name[r], med(r), med(3 + r), med(6 + r), med(9 + r)
  printf "%-14s %24s %24s %24s %24s\n", "all three", med(13), med(14), med(15), med(16)
  printf "\nFps=15 / 60: the program %s, all three %s\n", med(18), med(19)
  printf "key press to exit (ms): %s\n", med(17) }'
for case in coderain fps15 locked; do
  echo
  echo "Timer statistics of run 1, $case:"
  cat "$WORK/stats-$case"
done
