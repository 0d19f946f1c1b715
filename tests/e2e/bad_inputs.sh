#!/usr/bin/env bash
# Every bad input and fault of bad_input_cases.sh against the real program
# under Xvfb, by hand:
#
#   tests/e2e/bad_inputs.sh path/to/coderain [seconds per case, default 10]
#
# Prints one line per case and a summary; exit status 0 when every case
# came out as expected. Ends with a clean run at 3840 x 2160 for its peak
# RSS. Kills only what it started.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/bad_input_cases.sh"
RUN_SECONDS=${2:-10}

start_xvfb 1920x1080
echo "coderain at 1920x1080, $RUN_SECONDS s a case"
for c in clean missing directory unreadable fifo link_loop dangling_link empty line_ends sparse dev_zero dev_urandom \
  binary random_bytes invalid_utf8 long_line truncated deleted replaced growing symlink odd_directory \
  bytes_in_directory_name sigterm sigint memory_limit descriptor_limit stray_signals echoed_values x_killed; do
  "case_$c"
done

start_xvfb 3840x2160
echo "coderain at 3840x2160"
BASELINE_RSS_KB=""
case_clean
finish
