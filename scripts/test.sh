#!/usr/bin/env bash
# Installs what is missing, builds coderain with warnings as errors and runs
# every test: the unit and scene tests and the end-to-end tests under Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci
