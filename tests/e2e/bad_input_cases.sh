# The bad inputs a user can put beside the program, and the faults it can
# meet while running, as cases for bad_inputs.sh (all of them, by hand) and
# bad_inputs_test.sh (the CI-sized run). Source after harness.sh.
#
# Each case stages a copy of the program, spoils it, starts it under the X
# server of the harness and watches it for RUN_SECONDS. It prints one line: what
# happened (ran N s with peak RSS M, or exited with status S and message T)
# and whether that is what should happen.
#
# What should happen: a source file that cannot be opened at all (missing,
# a directory, unreadable, a pipe, a link loop) stops start-up with status 1
# and one line naming the file and the reason, before any window is shown.
# Anything that can be opened is shown, whatever it holds, and the display
# runs on with memory no more than a little above that of a clean run; it
# also runs on when a file is cut short or deleted under it. SIGTERM ends it
# at once with status 0; losing the X server ends it with status 1 and
# "coderain: lost the connection to the display".

RUN_SECONDS=${RUN_SECONDS:-3}
# A run may use this much more memory than the clean run, in KiB: room for
# the allocator and the X library, far below any file's size.
RSS_SLACK_KB=${RSS_SLACK_KB:-16384}
BASELINE_RSS_KB=""

# Staged programs live in a directory everyone may enter, so that a case can
# run the program as a user without rights to one of its files.
chmod 755 "$WORK"

stage_case() {
  local dir="$WORK/$1"
  stage_program "$dir"
  chmod 755 "$dir"
  CASE_DIR=$dir
}

peak_rss_kb() { awk '/^VmHWM:/{print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }

# Starts the program ($1, then its arguments) and watches it: sets OUTCOME
# to "ran" (still running after RUN_SECONDS, with the window mapped; PEAK_KB
# is its peak RSS) or "exited" (EXIT_STATUS, MESSAGE is its stderr). A
# running program is then ended with SIGTERM.
watch_program() {
  start_app "$@"
  OUTCOME="" PEAK_KB=0 MESSAGE="" MAPPED=no
  wait_for_window 5 && MAPPED=yes
  if [ -n "${DURING:-}" ]; then
    sleep 0.5
    eval "$DURING"
  fi
  if wait_for_exit "$RUN_SECONDS"; then
    OUTCOME=exited
  else
    OUTCOME=ran
    PEAK_KB=$(peak_rss_kb "$APP_PID")
    kill -TERM "$APP_PID" 2>/dev/null || true
    wait_for_exit 5 || end_by_force
  fi
  MESSAGE=$(tr '\n' ' ' <"$WORK/stderr" | head -c 400 | sed 's/ *$//')
}

# Ends the program of the case, which would not end when asked, so that it
# cannot linger into the next case.
end_by_force() {
  kill -9 "$APP_PID" 2>/dev/null || true
  wait "$APP_PID" 2>/dev/null || true
  APP_PID=""
}

# Starts the program, sends it SIGNAL half a second after its window
# appeared and gives it 2 s to end.
watch_signal() {
  local signal=$1
  shift
  start_app "$@"
  OUTCOME="" PEAK_KB=0 MAPPED=no
  wait_for_window 5 && MAPPED=yes
  sleep 0.5
  kill "-$signal" "$APP_PID" 2>/dev/null || true
  if wait_for_exit 2; then
    OUTCOME=exited
  else
    OUTCOME=ran PEAK_KB=$(peak_rss_kb "$APP_PID")
    end_by_force
  fi
  MESSAGE=$(tr '\n' ' ' <"$WORK/stderr" | head -c 400 | sed 's/ *$//')
}

describe() {
  if [ "$OUTCOME" = ran ]; then
    echo "ran $RUN_SECONDS s with peak RSS $((PEAK_KB / 1024)) MiB (window mapped: $MAPPED)"
  else
    echo "exited with status $EXIT_STATUS and message \"$MESSAGE\""
  fi
}

# expect_runs NAME: the program must have run on with its window shown and
# its memory bounded.
expect_runs() {
  local name=$1 ok=true
  [ "$OUTCOME" = ran ] && [ "$MAPPED" = yes ] || ok=false
  if [ -n "$BASELINE_RSS_KB" ] && [ "$PEAK_KB" -gt $((BASELINE_RSS_KB + RSS_SLACK_KB)) ]; then ok=false; fi
  report "$name" "$ok" "runs on, memory bounded"
}

# expect_exit NAME STATUS PATTERN: the program must have ended with STATUS
# and a message matching PATTERN (grep -E), without a window.
expect_exit() {
  local name=$1 status=$2 pattern=$3 ok=true
  [ "$OUTCOME" = exited ] && [ "$EXIT_STATUS" = "$status" ] && grep -Eq "$pattern" <<<"$MESSAGE" || ok=false
  report "$name" "$ok" "status $status, \"$pattern\""
}

# Prints the outcome of the case and removes its files.
report() {
  local name=$1 ok=$2 expected=$3
  if $ok; then
    echo "ok: $name: $(describe) (as expected)"
    passes=$((passes + 1))
  else
    echo "FAILED: $name: $(describe); expected: $expected"
    failures=$((failures + 1))
  fi
  rm -rf "$CASE_DIR" "$WORK/elsewhere" "$WORK/more.txt"
}

# Runs as a user without the rights root has: nobody, when run as root.
as_unprivileged() {
  if [ "$(id -u)" = 0 ]; then
    exec setpriv --reuid=nobody --regid=nogroup --clear-groups -- "$@"
  else
    exec "$@"
  fi
}

# --- The cases ---

# Stages case $1, spoils its copy with the shell command $2, run in the
# case's directory, and watches the program there, started through the
# command $3... if given.
spoilt() {
  stage_case "$1"
  (cd "$CASE_DIR" && eval "$2")
  watch_program "${@:3}" "$CASE_DIR/coderain"
}

case_clean() {
  spoilt clean :
  expect_runs "clean files (the yardstick)"
  BASELINE_RSS_KB=$PEAK_KB
}

case_missing() {
  spoilt missing 'rm codeVB.txt'
  expect_exit "codeVB.txt missing" 1 "^coderain: cannot open source file .*/codeVB.txt: No such file or directory$"
}

case_directory() {
  spoilt directory 'rm codeC.txt && mkdir codeC.txt'
  expect_exit "a directory named codeC.txt" 1 "codeC.txt: is a directory$"
}

case_unreadable() {
  spoilt unreadable 'chmod 000 codeASM.txt' as_unprivileged
  expect_exit "codeASM.txt unreadable to the user ($( [ "$(id -u)" = 0 ] && echo nobody || id -un))" 1 \
    "coderain: cannot open source file .*/codeASM.txt: Permission denied"
}

case_empty() { spoilt empty ': >codeC.txt'; expect_runs "codeC.txt empty"; }

case_line_ends() {
  spoilt line_ends "head -c 20000 /dev/zero | tr '\0' '\n' | sed 's/\$/\r/' >codeASM.txt"
  expect_runs "codeASM.txt only line ends"
}

case_sparse() {
  spoilt sparse 'rm codeVB.txt && truncate -s 1G codeVB.txt'
  expect_runs "codeVB.txt a 1 GiB sparse file (one line of NULs, $(du -k "$CASE_DIR/codeVB.txt" | cut -f1) KiB on disk)"
}

case_dev_zero() { spoilt dev_zero 'ln -sf /dev/zero codeASM.txt'; expect_runs "codeASM.txt a link to /dev/zero"; }

case_binary() { spoilt binary 'cp coderain codeC.txt'; expect_runs "codeC.txt a binary (the program itself)"; }

case_invalid_utf8() {
  spoilt invalid_utf8 "printf 'caf\xc3\xa9 \xff\xfe bad \xc3\x28 cut \xe2\x82\r\nover-long \xc0\xaf \xe0\x80\xaf surrogate \xed\xa0\x80\r\n\xf4\x90\x80\x80 past Unicode\r\n\tend\xc3' >codeVB.txt"
  expect_runs "codeVB.txt invalid UTF-8"
}

case_truncated() {
  DURING=': >"$CASE_DIR/codeASM.txt"; truncate -s 333 "$CASE_DIR/codeVB.txt"' spoilt truncated :
  expect_runs "codeASM.txt emptied and codeVB.txt cut mid-line while running"
}

case_deleted() {
  DURING='rm "$CASE_DIR/codeC.txt" "$CASE_DIR/codeVB.txt"; mkdir "$CASE_DIR/codeVB.txt"' spoilt deleted :
  expect_runs "codeC.txt deleted and codeVB.txt replaced by a directory while running"
}

case_symlink() {
  stage_case symlinked
  mkdir -p "$WORK/elsewhere"
  ln -sf "$CASE_DIR/coderain" "$WORK/elsewhere/coderain"
  cd "$WORK/elsewhere"
  watch_program ./coderain
  cd - >/dev/null
  expect_runs "started through a symlink from another directory"
}

case_odd_directory() { spoilt "my programs/cødé rain ✓" :; expect_runs "program directory \"my programs/cødé rain ✓\""; }

case_sigterm() {
  stage_case sigterm
  watch_signal TERM "$CASE_DIR/coderain"
  expect_exit "SIGTERM (within 2 s)" 0 "^$"
}

# Ends the X server; run it last or start another one after it.
case_x_killed() {
  DURING='stop_process "$X_PID" KILL' spoilt x_killed :
  expect_exit "the X server killed under it" 1 "^coderain: lost the connection to the display$"
}

# --- More cases, for the full run by hand ---

case_fifo() {
  spoilt fifo 'rm codeC.txt && mkfifo codeC.txt'
  expect_exit "codeC.txt a named pipe" 1 "codeC.txt: is not a regular file$"
}

case_link_loop() {
  spoilt link_loop 'rm codeASM.txt && ln -s codeASM.txt codeASM.txt'
  expect_exit "codeASM.txt a link to itself" 1 "codeASM.txt: Too many levels of symbolic links$"
}

case_dangling_link() {
  spoilt dangling_link 'ln -sf "$WORK/nowhere/codeVB.txt" codeVB.txt'
  expect_exit "codeVB.txt a link to nothing" 1 "codeVB.txt: No such file or directory$"
}

case_dev_urandom() { spoilt dev_urandom 'ln -sf /dev/urandom codeVB.txt'; expect_runs "codeVB.txt a link to /dev/urandom"; }

case_random_bytes() {
  spoilt random_bytes 'head -c 4M /dev/urandom >codeASM.txt'
  expect_runs "codeASM.txt 4 MiB of random bytes"
}

case_long_line() {
  spoilt long_line 'head -c 12M /dev/urandom | base64 -w0 >codeC.txt'
  expect_runs "codeC.txt one 16 MiB line of text"
}

case_growing() {
  head -c 8M /dev/urandom | base64 -w 100 >"$WORK/more.txt"
  DURING='for i in 1 2 3 4 5 6; do cat "$WORK/more.txt" >>"$CASE_DIR/codeASM.txt"; done' spoilt growing :
  expect_runs "codeASM.txt growing by 64 MiB while running"
}

case_replaced() {
  DURING='mv "$CASE_DIR/codeVB.txt" "$CASE_DIR/old.txt"; printf "new\r\n" >"$CASE_DIR/codeVB.txt"; : >"$CASE_DIR/old.txt"' \
    spoilt replaced :
  expect_runs "codeVB.txt renamed away, replaced and the old one emptied while running"
}

case_bytes_in_directory_name() {
  spoilt "$(printf 'bytes \xff\xfe not UTF-8')" :
  expect_runs "program directory with bytes that are not UTF-8"
}

case_sigint() {
  stage_case sigint
  watch_signal INT "$CASE_DIR/coderain"
  expect_exit "SIGINT (within 2 s)" 0 "^$"
}

# --- Limits, stray signals and the values error lines echo ---

# Runs the command $3... under the limit "ulimit $1 $2".
limited() {
  ulimit "$1" "$2"
  shift 2
  exec "$@"
}

case_memory_limit() {
  # Room for the program and its libraries, not for a 1920x1080 image.
  spoilt memory_limit : limited -v 20000
  expect_exit "an address space of 20 MB" 1 "^coderain: not enough memory for a [0-9]+x[0-9]+ image$"
}

case_descriptor_limit() {
  spoilt descriptor_limit : limited -n 5
  expect_exit "five descriptors" 1 "^coderain: cannot [a-z ]+: (.*: )?Too many open files$"
}

# Signals nobody sends to end it leave it running.
case_stray_signals() {
  local signal
  for signal in ALRM PIPE; do
    stage_case "stray_$signal"
    watch_signal "$signal" "$CASE_DIR/coderain"
    expect_runs "a stray SIG$signal"
  done
}

# A value echoed in an error line reaches the terminal as one short line of
# printable characters, whatever it holds.
case_echoed_values() {
  local escape long option value
  escape=$(printf '\e]0;title\a\e[31m')
  long=$(head -c 131000 /dev/zero | tr '\0' x)
  for option in display window-id data; do
    for value in "$escape" "$long"; do
      stage_case echoed
      watch_program "$CASE_DIR/coderain" "--$option" "$value"
      expect_exit "--$option of ${#value} bytes$([ "$value" = "$escape" ] && echo ", escape sequences")" 1 \
        '^coderain: [ -~]{1,200}$'
    done
  done
}
