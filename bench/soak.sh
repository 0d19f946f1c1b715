#!/usr/bin/env bash
# The long soak: the headless scene for hours of virtual time, every rule of
# the scene checked after every tick, with the wall time it took and the
# process's memory after the first virtual minute and at the end.
#
#   bench/soak.sh [WxH] [hours] [seed]      (default 1920x1080, 24 h, seed 1)
#
# Builds coderain_soak in build/ if needed and runs it at low priority.
# Exit status 0 when every rule held and memory did not grow.
set -euo pipefail
cd "$(dirname "$0")/.."
size=${1:-1920x1080}
hours=${2:-24}
seed=${3:-1}
if [ ! -f build/build.ninja ]; then
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
nice -n 19 cmake --build build -j2 --target coderain_soak >/dev/null
exec nice -n 19 build/bench/coderain_soak --size "$size" --hours "$hours" --seed "$seed"
