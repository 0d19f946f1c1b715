#!/usr/bin/env bash
# Measures the real program under an X server of its own.
#
#   bench/run.sh [CASE] [runs] [seconds] [binary]
#
# CASE is one of (default 1080p):
#   1080p, 4k, 8k      Xvfb at 1920x1080, 3840x2160, 7680x4320, at the scale
#                      the program takes there (1, 2 and 4)
#   4k-native          3840x2160 at --scale 1
#   16k, 16k-native    16384x16384 at the largest scale (8), and at --scale 1
#   1080p-xorg         X.Org's dummy driver, one 1920x1080 monitor (root)
#   sxga-xorg          the same, one 1280x1024 monitor (root)
#   two-monitors       the same with a 1280x1024 monitor beside it, which
#                      the program covers black (root)
#   two-monitors-every the same two monitors with --every-monitor: a scene
#                      on each (root)
#   wayland            a headless sway at 1920x1080 without XWayland, the
#                      program on native Wayland, then in the same run the
#                      program on an Xvfb of that size beside it; on Wayland
#                      "X server" is sway, and the exit latency is after
#                      SIGTERM
#   wayland-sxga       native Wayland alone on a 1280x1024 output
#   wayland-4k         the same at 3840x2160 with the output at scale 2
#   wayland-two        the same at 1920x1080 with a 1280x1024 output beside
#                      it, which the program covers black
#   wayland-two-every  the same two outputs with --every-monitor
#   wayland, wayland-covered: beside the program, in the same run, the
#                      floor: bench/wayland_floor, full screen, presenting
#                      the same 46 rectangles at every frame callback and
#                      computing nothing; the program's CPU as a multiple of
#                      the floor's, and the wakes a second of each
#                      (voluntary context switches). wayland-covered first
#                      measures the program with that floor full screen over
#                      it, then uncovered, then the floor
#   hack               see below
#   covered            Xvfb at 1920x1080 under openbox, a window over the
#                      whole scene once it runs: the scene rests
#   saver-active       Xvfb at 1920x1080, the server's screen saver on
#                      (xset s activate) once it runs: the scene rests
#   wallpaper-x11      Xvfb at 1920x1080 under openbox, --wallpaper, then
#                      in the same run with a window over it
#   (1080p also runs tests' floor probe, bench/x11_floor_probe, beside the
#   program, and prints the program's CPU as a multiple of the probe's)
#   wallpaper-wayland  --wallpaper on a headless sway at 1920x1080 without
#                      swaybg, alone and then under another full-screen
#                      window (a second coderain at --fps 1, not counted)
#   windows            coderain.scr under wine, beside a do-nothing Win32
#                      program (bench/windows.sh)
#   fps15              Xvfb at 1920x1080: the program at 60 frames a second,
#                      then with --fps 15 in the same run; prints the CPU
#                      ratio of the two
#   battery            the same at 60, then on battery (UPower's stand-in,
#                      python3-dbusmock, on a bus of the bench's own, says
#                      so): half the rate
#
# For each run: starts the server at the chosen size, starts coderain, waits 2 s,
# then measures for the given span (default 3 runs of 30 s) the CPU time of
# the program and of the X server, the program's peak RSS, and, with a
# statistics build (cmake --preset stats), presents and damaged pixels per
# second, the time from process start to the first complete frame, and the
# exit latency after a key press, and the program's wakes a second (its
# sleeps in the wait). Prints one table of medians and ranges. The machine's
# own battery changes nothing: every case runs as on mains but "battery".
#
# "hack" measures, in turn within each run on a 1920x1080 screen, the
# program full screen in its own window, with --root in a screen-saver
# daemon's 1920x1080 window, and with --window-id in a 725x407 preview
# pane (both lent by tests/fake_daemon from a build with the tests), and
# prints a table for each; the exit latency there is after SIGTERM.
# It kills only what it started, by PID.
set -euo pipefail

size_name=${1:-1080p}
runs=${2:-3}
span=${3:-30}
here="$(cd "$(dirname "$0")/.." && pwd)"
[ "$size_name" = windows ] && exec bash "$here/bench/windows.sh" "$runs" "$span"
bin=${4:-}
if [ -z "$bin" ]; then
  bin="$here/build-stats/coderain"
  [ -x "$bin" ] || bin="$here/build/coderain"
fi
modes=(own)
server=xvfb
args=()
wayland_args=()  # the program's arguments on Wayland
monitors=()
sway_setup=()
case "$size_name" in
  1080p) size=1920x1080 ;;
  4k) size=3840x2160 ;;
  4k-native) size=3840x2160 args=(--scale 1) ;;
  8k) size=7680x4320 ;;
  16k) size=16384x16384 ;;
  16k-native) size=16384x16384 args=(--scale 1) ;;
  1080p-xorg) server=xorg size=1920x1080 monitors=(1920x1080+0+0) ;;
  sxga-xorg) server=xorg size=1280x1024 monitors=(1280x1024+0+0) ;;
  two-monitors) server=xorg size=3200x1080 monitors=(1920x1080+0+0 1280x1024+1920+0) ;;
  two-monitors-every)
    server=xorg size=3200x1080 monitors=(1920x1080+0+0 1280x1024+1920+0) args=(--every-monitor) ;;
  wayland) server=sway size=1920x1080 modes=(wayland floor x11) ;;
  wayland-covered) server=sway size=1920x1080 modes=(covered wayland floor) ;;
  wayland-sxga) server=sway size=1280x1024 modes=(wayland) ;;
  wayland-4k) server=sway size=3840x2160 modes=(wayland x11) sway_setup=(output HEADLESS-1 scale 2) ;;
  wayland-two) server=sway size=1920x1080 modes=(wayland x11) sway_setup=('create_output; output HEADLESS-2 resolution 1280x1024') ;;
  wayland-two-every)
    server=sway size=1920x1080 modes=(wayland) sway_setup=('create_output; output HEADLESS-2 resolution 1280x1024')
    wayland_args=(--every-monitor) ;;
  hack)
    size=1920x1080
    modes=(own root preview)
    daemon=${FAKE_DAEMON:-}
    for d in "$here"/build{,-ci,-stats}/tests/fake_daemon; do [ -n "$daemon" ] || { [ -x "$d" ] && daemon=$d; }; done
    [ -n "$daemon" ] || { echo "$0: no tests/fake_daemon: build the tests (cmake --build --preset default)" >&2; exit 2; }
    ;;
  covered | saver-active | wallpaper-x11) size=1920x1080 ;;
  wallpaper-wayland) server=sway size=1920x1080 modes=() ;;
  fps15 | battery) size=1920x1080 modes=(own "$size_name") ;;
  *) echo "usage: $0 [CASE] [runs] [seconds] [binary]; the cases are listed at the top of $0" >&2; exit 2 ;;
esac
CODERAIN_BIN=$bin FAKE_DAEMON=${daemon:-}
# shellcheck source=../tests/e2e/harness.sh
source "$here/tests/e2e/harness.sh"
work=$WORK

# --- fps15 and battery: the frame-rate cap and the battery beside 60 ---
# The machine's own system bus is never heard: a bench on a laptop on
# battery would measure half the rate.
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=$work/no_bus"
power_args=()
# Each run of "battery": a bus of its own with UPower's stand-in.
power_setup() {
  [ "$size_name" = battery ] || return 0
  dbusmock_python >/dev/null || { echo "$0: battery needs python3-dbusmock" >&2; exit 2; }
  start_system_bus && start_upower false
}
# Before each program: the stand-in on battery for "battery" and on mains
# for the 60 fps run beside it; --fps 15 for "fps15".
power_mode() {
  power_args=()
  [ "$1" != fps15 ] || power_args=(--fps 15)
  [ "$size_name" != battery ] || set_on_battery "$([ "$1" = battery ] && echo true || echo false)"
}
# Run by run, the capped program's CPU (program + X server, and the program
# alone) as a share of the 60 fps run's.
power_ratio() {
  paste "$work/results.own" "$work/results.$size_name" | awk -v what="$1" '
    function med(a, n,   i, j, t) { for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
    { h = NF / 2; if ($2 > 0) { n++; both[n] = ($(h + 2) + $(h + 3)) / ($2 + $3); prog[n] = $(h + 2) / $2 } }
    END { if (n) printf "%s CPU / 60 fps CPU, run by run: program + X server %.2f, program %.2f (medians of %d)\n",
            what, med(both, n), med(prog, n), n }'
}
stage_program
hz=$(getconf CLK_TCK)

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
wakes() { awk '/^voluntary_ctxt_switches/ { print $2 }' "/proc/$1/status"; }

# --- X11: the scene unseen, the wallpaper, the floor probe ---
# A window manager started with the server, how the scene is hidden once
# it runs (cover: a window over it; saver: the server's screen saver), and
# the floor probe beside 1080p.
x11_wm="" x11_hide="" x11_cover=""
x11_probe=""
for p in "$(dirname "$bin")"/bench/x11_floor_probe "$here"/build{,-ci,-stats}/bench/x11_floor_probe; do
  [ -n "$x11_probe" ] || { [ -x "$p" ] && x11_probe=$p; }
done
case "$size_name" in
  1080p) [ -z "$x11_probe" ] || modes=(own probe) ;;
  covered) x11_wm=openbox x11_hide=cover ;;
  saver-active) x11_hide=saver ;;
  wallpaper-x11) x11_wm=openbox modes=(wallpaper wallpaper-covered) ;;
esac
x11_server_started() { [ -z "$x11_wm" ] || start_openbox; }
# Hides the scene of mode $1 where the case asks, once it runs.
x11_hide_scene() {
  if [ "$x11_hide" = cover ] || [ "$1" = wallpaper-covered ]; then
    xlogo -geometry "$size+0+0" >/dev/null 2>&1 &
    x11_cover=$!
  elif [ "$x11_hide" = saver ]; then
    xset s activate
  fi
  sleep 0.5
}
x11_show_scene() {
  [ -z "$x11_cover" ] || { kill "$x11_cover" 2>/dev/null; wait "$x11_cover" 2>/dev/null || true; x11_cover=""; }
  [ "$x11_hide" != saver ] || xset s reset
  sleep 0.2
}
# The program's CPU (and with the server's) as a multiple of the probe's,
# run by run.
x11_floor_ratio() {
  paste "$work/results.own" "$work/results.probe" | awk '
    function med(a, n,   i, j, t) { for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] < a[i]) { t = a[i]; a[i] = a[j]; a[j] = t }
      return (n % 2) ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
    $11 > 0 && $11 + $12 > 0 { p[++n] = $2 / $11; t[n] = ($2 + $3) / ($11 + $12) }
    END { if (n) printf "coderain / floor probe, run by run: program CPU %.2fx, program + X server %.2fx (medians of %d)\n", med(p, n), med(t, n), n }'
}
# --- end of the X11 block ---

# --- Wayland: the floor probe, and wakes ---
floor_bin=""
for d in "$(dirname "$bin")" "$here"/build{,-ci,-stats}; do
  [ -n "$floor_bin" ] || { [ -x "$d/bench/wayland_floor" ] && floor_bin=$d/bench/wayland_floor; }
done
if [[ " ${modes[*]} " == *" floor "* ]] && [ -z "$floor_bin" ]; then
  echo "$0: no bench/wayland_floor: build it (cmake --build --preset default --target wayland_floor)" >&2
  exit 2
fi
# Times process $1 has gone to sleep of its own accord.
wakes() { awk '/^voluntary_ctxt_switches/ {print $2}' "/proc/$1/status"; }
# Starts the floor probe on the compositor; sets app_pid. With "over",
# full screen over a program started first, which app_pid stays.
start_floor() {
  if [ "${1:-}" = over ]; then
    sleep 1
    "$floor_bin" >/dev/null 2>&1 &
  else
    start_app "$floor_bin"
    app_pid=$APP_PID
  fi
}
# --- end of the Wayland floor block ---
now_ns() { date +%s%N; }

# Starts the program in a mode: full screen in its own window, or in a
# window lent by the emulated daemon. Sets app_pid, the program's.
start_program() {
  case $1 in
    own | wayland | x11 | covered | fps15 | battery)
      start_app "$APP" "${args[@]}" "${power_args[@]}"
      app_pid=$APP_PID
      [ "$1" != covered ] || start_floor over
      return
      ;;
    wallpaper*)
      start_app "$APP" --wallpaper "${args[@]}"
      app_pid=$APP_PID
      return
      ;;
    probe)
      start_app "$x11_probe"
      app_pid=$APP_PID
      return
      ;;
    floor) start_floor && return ;;
    root) start_daemon 1920x1080 "$APP" --root ;;
    preview) start_daemon 725x407 "${WITH_WINDOW_ID[@]}" "$APP" ;;
  esac
  app_pid=$PROGRAM_PID
}

for mode in "${modes[@]}"; do : >"$work/results.$mode"; done
for ((run = 1; run <= runs; run++)); do
  start_server() {
    if [ "$server" = xorg ]; then
      start_xorg_dummy
      server_pid=$X_PID
      set_monitors "${monitors[@]}"
    elif [[ " wayland floor covered " == *" $1 "* ]]; then
      start_sway "$size"
      server_pid=$SWAY_PID
      unset DISPLAY
      export XDG_RUNTIME_DIR=$RUN WAYLAND_DISPLAY=$SOCKET
      args=("${wayland_args[@]}")
      [ "${#sway_setup[@]}" = 0 ] || swaymsg -s "$IPC" "${sway_setup[@]}" >/dev/null
    else
      unset WAYLAND_DISPLAY
      # The X11 figure beside the Wayland one: the same pixels a second.
      if [ "$server" = sway ] && [ "$size" = 3840x2160 ]; then args=(--scale 2); fi
      start_xvfb "$size"
      server_pid=$X_PID
      x11_server_started
    fi
  }
  [ "$server" = sway ] || start_server "$server"
  power_setup

  for mode in "${modes[@]}"; do
    [ "$server" = sway ] && start_server "$mode"
    stats="$work/stats.$mode.$run"
    start_ns=$(now_ns)
    power_mode "$mode"
    start_program "$mode"
    sleep 2
    x11_hide_scene "$mode"
    a0=$(cpu_ticks "$app_pid")
    x0=$(cpu_ticks "$server_pid")
    w0=$(wakes "$app_pid")
    sleep "$span"
    a1=$(cpu_ticks "$app_pid")
    x1=$(cpu_ticks "$server_pid")
    w1=$(wakes "$app_pid")
    x11_show_scene
    echo "$run $(( ($(wakes "$app_pid") - w0) / span ))" >>"$work/wakes.$mode"
    rss_kb=$(awk '/VmHWM/{print $2}' "/proc/$app_pid/status")
    key_ns=$(now_ns)
    # Its own window ends on a key press; xdotool runs beside the watch: it
    # goes on to release the key and exit after the press, which is no part
    # of the program's latency. A lent window's program ends on SIGTERM.
    xdo_pid=""
    if { [ "$mode" = own ] && [ -z "$x11_hide" ]; } || [ "$mode" = x11 ]; then
      xdotool key q &
      xdo_pid=$!
    else
      kill -TERM "$app_pid"
    fi
    state=R
    while [ "$state" != Z ] && read -r _ _ state _ 2>/dev/null <"/proc/$app_pid/stat"; do :; done
    gone_ns=$(now_ns)
    [ -n "$xdo_pid" ] && { wait "$xdo_pid" || true; }
    wait "$APP_PID" || true
    [ "$mode" = own ] || exec 7>&-
    APP_PID=""
    cp "$WORK/stderr" "$stats"

    # Figures from a statistics build, if this is one.
    presents=$(awk '/^presents per second/{print $NF}' "$stats")
    damaged=$(awk '/^damaged pixels per second/{print $NF}' "$stats")
    first_ns=$(awk '/^first frame at/{print $NF}' "$stats")
    first_ms="-"
    [ -n "$first_ns" ] && first_ms=$(( (first_ns - start_ns) / 1000000 ))
    echo "$run $(( (a1 - a0) )) $(( (x1 - x0) )) $rss_kb ${presents:--} ${damaged:--} $first_ms $(( (gone_ns - key_ns) / 1000000 )) $(( (w1 - w0) ))" >>"$work/results.$mode"
    [ "$run" = 1 ] && [ "$mode" = own ] && grep -v '^first frame at' "$stats" >"$work/stats-first" || true
    if [ "$server" = sway ]; then stop_servers; fi
  done

  stop_servers
done

summary() {
  awk -v hz="$hz" -v span="$span" -v title="$1" -v runs="$runs" -v exit_name="$2" '
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
  val[NR, 4] = $4 / 1024; val[NR, 5] = $5; val[NR, 6] = $6; val[NR, 7] = $7; val[NR, 8] = $8
  val[NR, 9] = NF >= 9 ? $9 / span : "-" }
END {
  printf "%s: %d runs of %d s after 2 s of warm-up\n\n", title, runs, span
  printf "%-34s %12s %25s\n", "measure", "median", "range"
  row("program CPU (% of one core)", 1, "%.2f")
  row("X server CPU (% of one core)", 2, "%.2f")
  row("program + X server (% of one core)", 3, "%.2f")
  row("program peak RSS (MB)", 4, "%.1f")
  row("presents per second", 5, "%.1f")
  row("damaged pixels per second", 6, "%.0f")
  row("start to first frame (ms)", 7, "%.0f")
  row(exit_name " to exit (ms)", 8, "%.0f")
  row("program wakes a second", 9, "%.1f")
}' "$3"
}

# The wallpaper: the program and sway measured alone, then with a window
# over every pixel of it, in the same run; the exit latency is after
# SIGTERM.
if [ "$size_name" = wallpaper-wayland ]; then
  measure_wallpaper() {
    local a0 x0
    a0=$(cpu_ticks "$app_pid") x0=$(cpu_ticks "$SWAY_PID")
    sleep "$span"
    echo "$run $(($(cpu_ticks "$app_pid") - a0)) $(($(cpu_ticks "$SWAY_PID") - x0)) $(awk '/VmHWM/{print $2}' "/proc/$app_pid/status") - - - -" >>"$work/results.$1"
  }
  : >"$work/results.alone"
  : >"$work/results.under"
  for ((run = 1; run <= runs; run++)); do
    start_sway "$size" "swaybg_command -"
    unset DISPLAY
    export XDG_RUNTIME_DIR=$RUN WAYLAND_DISPLAY=$SOCKET
    start_app "$APP" --wallpaper
    app_pid=$APP_PID
    sleep 2
    measure_wallpaper alone
    "$APP" --fps 1 2>/dev/null &
    window_pid=$!
    sleep 2
    measure_wallpaper under
    kill -TERM "$window_pid" && wait "$window_pid" || true
    key_ns=$(now_ns)
    kill -TERM "$app_pid"
    wait "$app_pid" || true
    APP_PID=""
    sed -i "\$s/-\$/$((($(now_ns) - key_ns) / 1000000))/" "$work/results.under"
    stop_servers
  done
  summary "coderain --wallpaper alone, a headless sway at $size without swaybg" "SIGTERM" "$work/results.alone"
  echo
  summary "coderain --wallpaper under a full-screen window" "SIGTERM" "$work/results.under"
  exit 0
fi

if [ "$size_name" = hack ]; then
  summary "coderain full screen at $size" "key press" "$work/results.own"
  echo
  summary "coderain with --root in a daemon's $size window" "SIGTERM" "$work/results.root"
  echo
  summary "coderain with --window-id in a 725x407 preview pane" "SIGTERM" "$work/results.preview"
  echo
  # Run by run, the daemon's window against full screen on the same server.
  paste "$work/results.own" "$work/results.root" | awk -v hz="$hz" -v span="$span" '
    { h = NF / 2; d[NR] = (($(h + 2) + $(h + 3)) - ($2 + $3)) * 100 / hz / span }
    END { n = NR; for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (d[j] < d[i]) { t = d[i]; d[i] = d[j]; d[j] = t }
      m = (n % 2) ? d[(n + 1) / 2] : (d[n / 2] + d[n / 2 + 1]) / 2
      printf "--root minus full screen, run by run (points of one core): median %.2f, range [%.2f .. %.2f]\n", m, d[1], d[n] }'
elif [ "$server" = sway ]; then
  summary "coderain on native Wayland, a headless sway at $size (${sway_setup[*]:-one output})" "SIGTERM" \
    "$work/results.wayland"
  if [ -e "$work/results.x11" ]; then
    echo
    summary "coderain on X11 beside it, Xvfb at $size ${args[*]}" "key press" "$work/results.x11"
  fi
elif [ "$size_name" = wallpaper-x11 ]; then
  summary "coderain --wallpaper under openbox, $size" "SIGTERM" "$work/results.wallpaper"
  echo
  summary "the same with a window over it" "SIGTERM" "$work/results.wallpaper-covered"
else
  summary "coderain, $size_name ($size)" "$([ -z "$x11_hide" ] && echo "key press" || echo SIGTERM)" "$work/results.own"
  if [ -e "$work/results.probe" ]; then
    echo
    summary "the floor probe beside it, $x11_probe" "SIGTERM" "$work/results.probe"
    echo
    x11_floor_ratio
  fi
fi
# --- Wayland: the program against the floor of the same run ---
if [ -s "$work/results.floor" ]; then
  [ ! -s "$work/results.covered" ] || { echo; summary "coderain covered by the floor probe, full screen over it" "SIGTERM" "$work/results.covered"; }
  echo
  summary "the floor: bench/wayland_floor full screen at $size" "SIGTERM" "$work/results.floor"
  echo
  for mode in covered wayland floor; do
    [ -s "$work/wakes.$mode" ] || continue
    sort -n -k2 "$work/wakes.$mode" | awk -v m="$mode" '{ v[NR] = $2 } END {
      printf "wakes a second, %-8s median %s, range [%s .. %s]\n", m, (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2, v[1], v[NR] }'
  done
  paste "$work/results.wayland" "$work/results.floor" | awk '
    { r[NR] = ($11 > 0) ? $2 / $11 : 0 }
    END { n = NR; for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (r[j] < r[i]) { t = r[i]; r[i] = r[j]; r[j] = t }
      printf "program CPU / floor CPU, run by run: median %.2f, range [%.2f .. %.2f]\n", (n % 2) ? r[(n + 1) / 2] : (r[n / 2] + r[n / 2 + 1]) / 2, r[1], r[n] }'
fi
# --- end of the Wayland floor block ---
if [ "$size_name" = fps15 ] || [ "$size_name" = battery ]; then
  what="--fps 15"
  [ "$size_name" = fps15 ] || what="on battery"
  echo
  summary "coderain $what, beside it" "SIGTERM" "$work/results.$size_name"
  echo
  power_ratio "$what"
fi
if [ -s "$work/stats-first" ]; then
  echo
  echo "Timer statistics of run 1:"
  cat "$work/stats-first"
fi
