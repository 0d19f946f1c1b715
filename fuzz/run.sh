#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs one of them, or all, for a given
# time each:
#
#   fuzz/run.sh [NAME] [SECONDS]      (NAME as in fuzz/CMakeLists.txt)
#
# scripts/test.sh runs all of them for 30 s each. Each prints one line of
# figures, or libFuzzer's report and how to run the target on its finding.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset fuzz >/dev/null
nice cmake --build --preset fuzz
FUZZ_SECONDS=${2:-30} ctest --preset fuzz ${1:+-R "^fuzz\.$1\$"}
