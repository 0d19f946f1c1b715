#!/usr/bin/env bash
# Installs the Debian packages coderain needs to build, run and test, if any
# are missing. Safe to run again: it does nothing when all are there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format clang libclang-rt-14-dev
  libwayland-dev libwayland-bin wayland-protocols libx11-dev libxext-dev libxrandr-dev libxss-dev libfreetype-dev libfontconfig-dev
  fonts-dejavu-core fonts-urw-base35 libpng-dev libgif-dev libcli11-dev nlohmann-json3-dev
  libgtest-dev libbenchmark-dev
  xvfb xserver-xephyr openbox xdotool x11-utils x11-xserver-utils xauth xscreensaver xsecurelock
  x11-apps netpbm xserver-xorg-core xserver-xorg-video-dummy sway grim jq wtype swayidle
  dpkg-dev file libxml2-utils desktop-file-utils groff-base lintian
  g++-mingw-w64-x86-64 wine64 wine nsis zip unzip
  emscripten nodejs chromium
)

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
