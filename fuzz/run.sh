#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs one for a given time, at the lowest
# priority, on one core.
#
#   fuzz/run.sh source_file|render_options|saver_settings|page_options SECONDS [libFuzzer options...]
#
# It starts from the seed corpus in fuzz/corpus/TARGET and keeps what it
# learns in fuzz/corpus-run/TARGET (not in the tree). A finding is written
# to fuzz/corpus-run/findings/ and ends the run with a non-zero status; run
# the target on that file to see it again:
#   build-fuzz/fuzz/TARGET_fuzz fuzz/corpus-run/findings/crash-...
set -euo pipefail
cd "$(dirname "$0")/.."
target=${1:?usage: fuzz/run.sh source_file|render_options|saver_settings|page_options SECONDS [libFuzzer options...]}
seconds=${2:?usage: fuzz/run.sh source_file|render_options|saver_settings|page_options SECONDS [libFuzzer options...]}
shift 2
case "$target" in
  source_file) max_len=160000 ;;  # room to reach past the reader's 64 KiB scan budget
  render_options) max_len=1024 ;;
  saver_settings) max_len=4096 ;;
  page_options) max_len=1024 ;;
  *) echo "fuzz/run.sh: no target $target (source_file, render_options, saver_settings or page_options)" >&2; exit 2 ;;
esac

cmake --preset fuzz >/dev/null
nice -n 19 cmake --build --preset fuzz -j1 >/dev/null

run=fuzz/corpus-run
mkdir -p "$run/$target" "$run/findings"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
exec nice -n 19 "build-fuzz/fuzz/${target}_fuzz" \
  -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=1024 \
  -artifact_prefix="$run/findings/" -print_final_stats=1 \
  "$@" "$run/$target" "fuzz/corpus/$target"
