#!/usr/bin/env bash
# Every bad input and fault of bad_input_cases.sh against the real program
# under Xvfb, by hand:
#
#   tests/e2e/bad_inputs.sh path/to/coderain [seconds per case, default 10]
#
# Prints one line per case and a summary; exit status 0 when every case
# came out as expected. Ends with a clean run at 3840 x 2160 for its peak
# RSS. Kills only what it started.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bad_input_cases.sh"
RUN_SECONDS=${2:-10}

start_xvfb 1920x1080
echo "coderain at 1920x1080, $RUN_SECONDS s a case"
case_clean
case_missing
case_directory
case_unreadable
case_fifo
case_link_loop
case_dangling_link
case_empty
case_line_ends
case_sparse
case_dev_zero
case_dev_urandom
case_binary
case_random_bytes
case_invalid_utf8
case_long_line
case_truncated
case_deleted
case_replaced
case_growing
case_symlink
case_odd_directory
case_bytes_in_directory_name
case_sigterm
case_sigint
case_x_killed

rm -f "$WORK/displayfd"
start_xvfb 3840x2160
echo "coderain at 3840x2160"
BASELINE_RSS_KB=""
case_clean
finish
