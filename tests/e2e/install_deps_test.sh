#!/usr/bin/env bash
# scripts/install-deps.sh with stand-ins for apt-get, dpkg-query and sudo
# on the PATH: on a machine without the packages, --run (scripts/run.sh's)
# asks apt-get for what building and running needs and for nothing of the
# tests' world, which the default (scripts/test.sh's) adds; with them all
# there, neither asks apt-get for anything.
source "$(dirname "$0")/harness.sh"
script=$(dirname "$0")/../../scripts/install-deps.sh
mkdir "$WORK/bin"
printf '#!/bin/sh\necho "$*" >>"%s/apt.log"\n' "$WORK" >"$WORK/bin/apt-get"
printf '#!/bin/sh\n[ "$HAVE" = all ] && printf "install ok installed"; true\n' >"$WORK/bin/dpkg-query"
printf '#!/bin/sh\n"$@"\n' >"$WORK/bin/sudo" && printf '#!/bin/sh\n' >"$WORK/bin/fc-cache"
chmod +x "$WORK"/bin/*
# What the script ($@) asks apt-get to install, where dpkg-query says HAVE.
asked() { : >"$WORK/apt.log" && PATH="$WORK/bin:$PATH" bash "$script" "$@" >/dev/null && sed -n 's/^install //p' "$WORK/apt.log"; }
run=$(HAVE=none asked --run) all=$(HAVE=none asked)
for p in build-essential cmake libx11-dev libwayland-dev libfreetype-dev libsystemd-dev fonts-dejavu-core; do
  check "--run and the default install $p" eval 'grep -qw -- "$p" <<<"$run" && grep -qw -- "$p" <<<"$all"'
done
for p in wine chromium emscripten g++-mingw-w64-x86-64 sway nsis lintian xvfb libgtest-dev python3-dbusmock; do
  check "the default installs $p, --run does not" eval 'grep -qw -- "$p" <<<"$all" && ! grep -qw -- "$p" <<<"$run"'
done
check "all there: neither asks apt-get" eval '[ -z "$(HAVE=all asked --run)$(HAVE=all asked)" ]'
finish
