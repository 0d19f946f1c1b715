# Helpers that look at whole screens, for the end-to-end tests of scales,
# monitors and Wayland (after lib.sh) and for bench/run.sh: pictures of the X screen and
# their pixels, an X.Org server whose dummy driver offers monitors that
# xrandr can place side by side, and a headless sway. Nothing here kills
# what it did not start.

# Writes the X screen's picture to $1 as a PPM file.
screenshot() { xwd -root -silent | xwdtopnm >"$1" 2>/dev/null; }

# The colours of rectangle X Y W H of picture $1, one "R G B COUNT" a line.
colours() {
  pamcut -left "$2" -top "$3" -width "$4" -height "$5" "$1" | ppmhist -noheader | awk '{ print $1, $2, $3, $5 }'
}

# Rectangle X Y W H of picture $1 is black, every pixel of it.
all_black() { [ "$(colours "$@" | awk '$1 || $2 || $3' | wc -l)" = 0 ]; }

# Rectangle X Y W H of picture $1 holds no pixel of colour "R G B" ($6).
without_colour() { ! colours "$1" "$2" "$3" "$4" "$5" | grep -q "^$6 "; }

# Column X of picture $1 is green (red and blue 0, green not) from row Y0
# to row Y1, both included.
column_green() {
  [ "$(colours "$1" "$2" "$3" 1 $(($4 - $3 + 1)) | awk '$1 || $3 || !$2' | wc -l)" = 0 ]
}

# The scene runs at screen X, Y laid out for a width of W scene pixels,
# shown S times as large: the left line of picWatch's frame, at scene
# column W - 195, is green from scene row 20 to 380.
scene_at() {
  local pic=$1 x=$2 y=$3 w=$4 s=${5:-1} i
  for ((i = 0; i < s; i++)); do
    column_green "$pic" $((x + (w - 195) * s + i)) $((y + 20 * s)) $((y + 381 * s - 1)) || return 1
  done
}

# The window manager's check window: the root names it and it names itself.
wm_check() {
  local id
  id=$(xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | awk '/window id/ { print $NF }')
  [ -n "$id" ] && xprop -id "$id" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "$id" && echo "$id"
}

# Starts openbox with a configuration of its own in directory $1; sets
# WM_PID. Returns once it names its check window on the root and that
# window names itself: openbox names it on the root before it takes maps,
# and a window mapped in between is never shown.
start_wm() {
  echo '<openbox_config xmlns="http://openbox.org/3.4/rc"/>' >"$1/openbox.xml"
  openbox --config-file "$1/openbox.xml" >>"$1/openbox.log" 2>&1 &
  WM_PID=$!
  poll 10 wm_check >/dev/null
}

# Waits up to 8 s for the picture that $PICTURE takes into a file (the X
# screen's by default) to show the scene as scene_at says, and leaves that
# picture in $WORK/shot.ppm.
shows_scene() { poll 8 _shows_scene "$@"; }
_shows_scene() { ${PICTURE:-screenshot} "$WORK/shot.ppm" && scene_at "$WORK/shot.ppm" "$@"; }

# Every aligned S x S block of picture $1 is one colour: the picture is
# the same after a reduction to the blocks' means and back.
in_blocks() {
  local diff
  diff=$(pamscale -reduce "$2" "$1" 2>/dev/null | pamenlarge "$2" | pamarith -difference - "$1" | pamsumm -max -brief)
  [ "$diff" = 0 ]
}

# Starts an X.Org server with the dummy driver on a free display, its
# configuration and log in directory $1, and exports DISPLAY; sets
# XORG_PID. Its outputs DUMMY0 and DUMMY1 are monitors for set_monitors.
# Needs root (the server opens the console's devices).
start_xorg_dummy() {
  local dir=$1 n=""
  cat >"$dir/xorg.conf" <<'CONF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "AutoEnableDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 5.0-1000.0
  VertRefresh 5.0-200.0
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 4096 2160
  EndSubSection
EndSection
CONF
  mkfifo "$dir/xorg.displayfd"
  # An empty folder of extra configuration, instead of the system's.
  mkdir -p "$dir/xorg.conf.d"
  Xorg -config "$dir/xorg.conf" -configdir "$dir/xorg.conf.d" -logfile "$dir/xorg.log" -noreset -nolisten tcp \
    -displayfd 3 3>"$dir/xorg.displayfd" >"$dir/xorg.out" 2>&1 &
  XORG_PID=$!
  read -r -t 20 n <"$dir/xorg.displayfd" || true
  [ -n "$n" ] || return 1
  export DISPLAY=":$n"
  xrandr --addmode DUMMY1 1280x1024 && xrandr --addmode DUMMY1 1920x1080
}

# Starts sway headless on one output of size $2 (WxH), without XWayland,
# its files in $1/sway (every directory above it must be open to others
# when run as root: sway refuses root, so root runs it as nobody). Sets
# SWAY_PID, RUN (its XDG_RUNTIME_DIR), SOCKET (its WAYLAND_DISPLAY) and
# IPC (its control socket) once it takes clients.
start_sway() {
  local as=() i
  mkdir -p -m 755 "$1/sway"
  printf 'xwayland disable\noutput HEADLESS-1 resolution %s\n' "$2" >"$1/sway/config"
  chmod 644 "$1/sway/config"
  RUN="$1/sway/run"
  rm -rf "$RUN"
  mkdir -m 700 "$RUN"
  if [ "$(id -u)" = 0 ]; then
    chown nobody:nogroup "$RUN"
    as=(setpriv --reuid nobody --regid nogroup --clear-groups)
  fi
  env -i PATH="$PATH" XDG_RUNTIME_DIR="$RUN" WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman \
    "${as[@]}" sway -c "$1/sway/config" >"$1/sway/log" 2>&1 &
  SWAY_PID=$!
  for ((i = 0; i < 100; i++)); do
    SOCKET=$(cd "$RUN" && ls wayland-? 2>/dev/null | head -1 || true)
    IPC=$(ls "$RUN"/sway-ipc.*.sock 2>/dev/null | head -1 || true)
    [ -n "$SOCKET" ] && [ -n "$IPC" ] && return 0
    sleep 0.1
  done
  return 1
}

# Places the monitors: "WxH+X+Y" for the primary (DUMMY0) and, if given,
# for a second one (DUMMY1); without it the second is switched off. Waits
# until RandR says so.
set_monitors() {
  local fb_w=0 fb_h=0 m w h x y args=() i=0
  for m in "$@"; do
    IFS='x+' read -r w h x y <<<"$m"
    ((x + w > fb_w)) && fb_w=$((x + w))
    ((y + h > fb_h)) && fb_h=$((y + h))
    args+=(--output "DUMMY$i" --mode "${w}x${h}" --pos "${x}x${y}")
    [ "$i" = 0 ] && args+=(--primary)
    i=$((i + 1))
  done
  [ "$#" -lt 2 ] && args+=(--output DUMMY1 --off)
  xrandr --fb "${fb_w}x${fb_h}" "${args[@]}"
  [ "$(xrandr --listmonitors | head -1)" = "Monitors: $#" ]
}
