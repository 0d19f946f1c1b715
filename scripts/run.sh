#!/usr/bin/env bash
# Installs what building and running needs, where it is missing, builds
# coderain and starts it. The tests' packages wait for scripts/test.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --run
# Neither the tests nor the benchmarks: their libraries come with the tests'
# packages.
cmake --preset default -DCODERAIN_TESTS=OFF -DCODERAIN_BENCH=OFF >/dev/null
cmake --build --preset default --target coderain man_pages
exec build/coderain
