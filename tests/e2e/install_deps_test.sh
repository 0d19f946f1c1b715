#!/usr/bin/env bash
# scripts/install-deps.sh on a machine that lacks every package, and on one
# that has them all (apt-get, dpkg-query and sudo stand-ins on the PATH,
# which record what they are asked): --run (scripts/run.sh's) asks for what
# building and running needs and nothing of the tests' world; with no
# argument (scripts/test.sh's) the tests' packages come too; with every
# package there neither asks apt-get for anything.
source "$(dirname "$0")/harness.sh"
script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-deps.sh
shims=$WORK/shims
mkdir -p "$shims"
printf '#!/bin/sh\necho "$*" >>"%s/apt.log"\n' "$WORK" >"$shims/apt-get"
printf '#!/bin/sh\nexec "$@"\n' >"$shims/sudo"
printf '#!/bin/sh\n' >"$shims/fc-cache"
chmod +x "$shims"/*

# The packages install-deps.sh ($@) asks apt-get to install, one a line,
# where dpkg-query says "$HAVE" of each; its status is the script's.
printf '#!/bin/sh\n[ "$HAVE" = all ] && printf "install ok installed"; true\n' >"$shims/dpkg-query"
chmod +x "$shims/dpkg-query"
asked() {
  local status=0
  : >"$WORK/apt.log"
  PATH="$shims:$PATH" bash "$script" "$@" >/dev/null || status=$?
  sed -n 's/^install -y -q --no-install-recommends //p' "$WORK/apt.log" | tr ' ' '\n'
  return $status
}
has() { grep -qx "$1" <<<"$2"; }
HAVE=none run=$(asked --run)
HAVE=none all=$(asked)
for p in build-essential cmake pkg-config libx11-dev libwayland-dev libfreetype-dev fonts-dejavu-core; do
  check "--run installs $p" has "$p" "$run"
  check "and so does the tests' list" has "$p" "$all"
done
for p in wine chromium emscripten g++-mingw-w64-x86-64 sway nsis lintian xvfb libgtest-dev clang; do
  check "--run leaves out $p" eval '! has "$p" "$run"'
  check "the tests' list has $p" has "$p" "$all"
done
check "--run: all there, apt-get not asked" eval 'HAVE=all asked --run && [ ! -s "$WORK/apt.log" ]'
check "tests' list: all there, apt-get not asked" eval 'HAVE=all asked && [ ! -s "$WORK/apt.log" ]'
check "an unknown argument: status 2" eval 'HAVE=all asked --tests 2>/dev/null; [ $? = 2 ]'
finish
