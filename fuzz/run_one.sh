#!/usr/bin/env bash
# Runs one libFuzzer target over its seed corpus and then for FUZZ_SECONDS
# (30 by default), at the lowest priority; any crash, leak, sanitizer report,
# timeout or memory blow-up fails it. ctest --preset fuzz runs it for each
# target (fuzz/CMakeLists.txt); by hand:
#
#   FUZZ_SECONDS=600 fuzz/run_one.sh build-fuzz/fuzz/NAME_fuzz fuzz/corpus/NAME MAX_LEN [libFuzzer options...]
#
# What it learns goes to a fresh folder beside the target, never into the
# seeds; a finding is kept there too, and the line that reports it says how
# to run the target on it again. It prints one line of figures, or the end
# of libFuzzer's report.
set -euo pipefail
binary=${1:?usage: $0 path/to/NAME_fuzz SEEDS MAX_LEN [libFuzzer options...]}
seeds=${2:?usage: $0 path/to/NAME_fuzz SEEDS MAX_LEN}
max_len=${3:?usage: $0 path/to/NAME_fuzz SEEDS MAX_LEN}
shift 3
name=$(basename "$binary" _fuzz)
work=$(dirname "$binary")/runs/$name
rm -rf "$work"
mkdir -p "$work/learned" "$work/findings"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
nice -n 19 "$binary" -max_total_time="${FUZZ_SECONDS:-30}" -max_len="$max_len" -timeout=10 -rss_limit_mb=1024 \
  -artifact_prefix="$work/findings/" -print_final_stats=1 "$@" "$work/learned" "$seeds" >"$work/log" 2>&1 ||
  status=$?

runs=$(awk '/^stat::number_of_executed_units:/ { print $2 }' "$work/log")
seconds=$(sed -n 's/^Done [0-9]* runs in \([0-9]*\) second.*/\1/p' "$work/log")
if [ "$status" = 0 ]; then
  echo "fuzz $name: ${runs:-?} executions in ${seconds:-?} s over $(ls "$seeds" | wc -l) seeds, no finding"
  exit 0
fi
echo "fuzz $name: FAILED (status $status); the end of libFuzzer's report ($work/log):"
tail -n 40 "$work/log" | sed 's/^/  | /'
for finding in "$work/findings"/*; do
  [ -e "$finding" ] && echo "fuzz $name: run it again with: $binary $finding"
done
exit 1
