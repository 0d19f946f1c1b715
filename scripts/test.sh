#!/usr/bin/env bash
# Installs what is missing, builds coderain with warnings as errors and runs
# every test: the unit and scene tests and the end-to-end tests under Xvfb,
# the web build's under Node and in headless Chromium, and the Windows
# build's tests under wine.
# Then builds the core and its tests again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs them (the end-to-end tests excepted),
# and the program against monitors that come and go back to back: any
# report from either fails the run. Last, the fuzz targets (clang,
# libFuzzer): each over its seeds and then for 30 s, any crash, leak or
# sanitizer report failing the run. First of all, every C++ file must be
# formatted as clang-format says.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
# The tree is formatted: an unformatted file fails the run.
git ls-files -z '*.cpp' '*.h' | xargs -0 clang-format --dry-run -Werror
# Every part the end-to-end tests need is installed: none may skip.
export CODERAIN_E2E_ALL=1
# The native builds through the compiler cache: a clean clone still builds
# every file from its source, but what an earlier build on this machine
# compiled from the same source and flags is not compiled again.
cache=()
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
  cache=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi
cmake --preset ci "${cache[@]}" >/dev/null
cmake --build --preset ci

# The web build, with Emscripten: the core's tests under Node and the page
# in headless Chromium. Its tools (the baker, the renderer the page is
# compared with) come from the build above. It comes before the tests that
# look for the page in the packages.
cmake --preset web -DCODERAIN_NATIVE_BUILD="$PWD/build-ci" >/dev/null
cmake --build --preset web
ctest --preset web

ctest --preset ci

# The Windows build, cross-built with mingw-w64: the core's tests and the
# screen saver's, run under wine.
cmake --preset windows "${cache[@]}" >/dev/null
cmake --build --preset windows
ctest --preset windows

cmake --preset asan "${cache[@]}" >/dev/null
# The tests and the renderer they run, and the program itself: the X11
# display's code runs under the sanitizers through the monitor storm
# (monitors that come and go back to back), any report failing it.
cmake --build --preset asan --target coderain_tests coderain-render coderain
export ASAN_OPTIONS=detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset asan
bash tests/e2e/monitors_storm_test.sh "$PWD/build-asan/coderain" "" "$PWD/build-ci/tests/xprobe"

# The fuzz targets, two at a time: one line of figures each, or libFuzzer's
# report, the finding's file and how to run the target on it again.
cmake --preset fuzz "${cache[@]}" >/dev/null
cmake --build --preset fuzz
FUZZ_SECONDS=30 ctest --preset fuzz
