#!/usr/bin/env bash
# Installs what is missing, builds coderain and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
# Only the program (and its text files): the tests wait for scripts/test.sh.
cmake --build --preset default --target coderain
exec build/coderain
