#!/usr/bin/env bash
# Bad inputs and faults, the CI-sized run of bad_inputs.sh: every case of
# the issue, each watched for 2 s.
source "$(dirname "$0")/harness.sh"
source "$(dirname "$0")/bad_input_cases.sh"
RUN_SECONDS=2

start_xvfb 1920x1080
for c in clean missing directory unreadable empty line_ends sparse dev_zero binary invalid_utf8 truncated deleted \
  symlink odd_directory sigterm memory_limit descriptor_limit stray_signals echoed_values x_killed; do
  "case_$c"
done
finish
