#!/usr/bin/env bash
# Installs the Debian packages coderain needs, where any are missing:
#
#   scripts/install-deps.sh --run   what building, installing and running it
#                                   needs (scripts/run.sh)
#   scripts/install-deps.sh         that and what the tests add (scripts/test.sh)
#
# Safe to run again: it does nothing when all are there.
set -euo pipefail

# The program, its renderer and its install, and what it runs on.
run_packages=(
  build-essential cmake ninja-build pkg-config
  libwayland-dev libwayland-bin wayland-protocols libx11-dev libxext-dev libxrandr-dev
  libxss-dev libxfixes-dev
  libfreetype-dev libfontconfig-dev fontconfig fonts-dejavu-core
  libpng-dev libgif-dev libcli11-dev nlohmann-json3-dev
  libavcodec-dev libavformat-dev libswscale-dev libavutil-dev libsystemd-dev
)

# The tests: the unit tests' and benchmarks' libraries, the formatter and
# the sanitizers' and fuzzers' compiler; X servers, a window manager,
# compositors and the screen-saver daemon for the end-to-end tests; the
# packaging checks; a message bus and UPower's stand-in; the Windows build under wine and the web build in Node
# and Chromium.
test_packages=(
  libgtest-dev libbenchmark-dev clang-format clang libclang-rt-14-dev fonts-urw-base35 ccache
  xvfb xserver-xephyr openbox xdotool x11-utils x11-xserver-utils xauth xscreensaver xsecurelock
  x11-apps netpbm xserver-xorg-core xserver-xorg-video-dummy sway grim jq wtype swayidle weston
  dpkg-dev file libxml2-utils desktop-file-utils groff-base lintian dbus-daemon dbus-bin python3-dbusmock
  g++-mingw-w64-x86-64 wine64 wine nsis zip unzip
  emscripten nodejs chromium ffmpeg
)

case "${1:-}" in
  --run) packages=("${run_packages[@]}") ;;
  "") packages=("${run_packages[@]}" "${test_packages[@]}") ;;
  *)
    echo "usage: $0 [--run]" >&2
    exit 2
    ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
# Rebuild the font cache: a cache written while the fonts' packages were
# being unpacked can say that a folder of faces holds none, and fontconfig
# would then trust it until the folder changes.
$sudo fc-cache -f
