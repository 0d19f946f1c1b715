#!/usr/bin/env bash
# Bad inputs and faults, the CI-sized run of bad_inputs.sh: every case of
# the issue, each watched for 2 s.
source "$(dirname "$0")/lib.sh"
source "$(dirname "$0")/bad_input_cases.sh"
RUN_SECONDS=2

start_xvfb 1920x1080
case_clean
case_missing
case_directory
case_unreadable
case_empty
case_line_ends
case_sparse
case_dev_zero
case_binary
case_invalid_utf8
case_truncated
case_deleted
case_symlink
case_odd_directory
case_sigterm
case_x_killed
finish
