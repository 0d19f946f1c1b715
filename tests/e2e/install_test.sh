#!/usr/bin/env bash
# The install rules and the Debian package, from the build the program under
# test came from: every file where screen savers look for it, links that
# resolve in a staging folder, a program that finds its text files when
# started through xscreensaver's link, a valid description for the daemon,
# man pages that render cleanly, a desktop entry for MATE, the copyright
# file and the changelog, the page where the web build has made it, with
# the wallpaper hosts' folders beside it; an autostart example each for the
# lock and the wallpaper;
# lintian's verdict on the package.
source "$(dirname "$0")/harness.sh"

BUILD=$(cd "$(dirname "$CODERAIN_BIN")" && pwd)
STAGE=$WORK/stage
PREFIX=/opt/cr
P=$STAGE$PREFIX

DESTDIR=$STAGE cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log" 2>&1
# The web build's page, where it is built, and the wallpaper hosts' folders.
PAGE=$(sed -n 's/^CODERAIN_WEB_PAGE:FILEPATH=//p' "$BUILD/CMakeCache.txt")
WALLPAPER_FILES=$(cd "$(dirname "$PAGE")/wallpaper" 2>/dev/null && find . -type f | sed 's|^\./||' | sort)

# Exactly these, and nothing outside DESTDIR: the daemon's folders are
# absolute and must still land in the staging folder.
expected="/opt/cr/bin/coderain
/opt/cr/bin/coderain-render
/opt/cr/libexec/coderain/codeASM.txt
/opt/cr/libexec/coderain/codeC.txt
/opt/cr/libexec/coderain/codeVB.txt
/opt/cr/libexec/coderain/coderain
/opt/cr/libexec/coderain/coderain-render
/opt/cr/share/applications/screensavers/coderain.desktop
/opt/cr/share/doc/coderain/changelog.gz
/opt/cr/share/doc/coderain/copyright
/opt/cr/share/doc/coderain/examples/coderain-lock.desktop
/opt/cr/share/doc/coderain/examples/coderain-wallpaper.desktop
/opt/cr/share/man/man1/coderain-render.1.gz
/opt/cr/share/man/man6/coderain.6.gz
/usr/libexec/xscreensaver/coderain
/usr/share/xscreensaver/config/coderain.xml"
if [ -f "$PAGE" ]; then
  # shellcheck disable=SC2001
  expected=$(printf '%s\n/opt/cr/share/coderain/coderain.html\n%s\n' "$expected" \
    "$(sed 's|^|/opt/cr/share/coderain/wallpaper/|' <<<"$WALLPAPER_FILES")" | sort)
else
  [ "${CODERAIN_E2E_ALL:-}" != 1 ] || check "the web build's page is there ($PAGE)" false
  check "without the web build's page, the install says so" \
    eval 'tr -s "\n " "  " <"$WORK/install.log" | grep -q "coderain: no .*: installed without the page"'
fi
installed=$(cd "$STAGE" && find . ! -type d | sed 's/^\.//' | sort)
check "installs every file, all under DESTDIR" test "$installed" = "$expected"
if [ "$installed" != "$expected" ]; then diff <(echo "$expected") <(echo "$installed") || true; fi
[ ! -f "$PAGE" ] || check "the page is the web build's, readable by all" \
  eval 'cmp -s "$PAGE" "$P/share/coderain/coderain.html" && [ "$(stat -c %a "$P/share/coderain/coderain.html")" = 644 ]'
[ ! -f "$PAGE" ] || check "beside it the web build's wallpaper folders, readable by all" \
  eval 'diff -r "$(dirname "$PAGE")/wallpaper" "$P/share/coderain/wallpaper" &&
        [ "$(find "$P/share/coderain/wallpaper" -type f ! -perm 644)" = "" ]'

program=$P/libexec/coderain/coderain
check "the program is executable" test -x "$program"
check "bin/coderain resolves to it" test "$(readlink -f "$P/bin/coderain")" = "$program"
link=$STAGE/usr/libexec/xscreensaver/coderain
check "xscreensaver's link is relative" test "$(readlink "$link" | cut -c1)" != /
check "xscreensaver's link resolves to it" test "$(readlink -f "$link")" = "$program"

xml=$STAGE/usr/share/xscreensaver/config/coderain.xml
check "coderain.xml is well-formed" xmllint --noout "$xml"
check "coderain.xml names the program and runs it with --root" \
  test "$(xmllint --xpath 'concat(/screensaver/@name, " ", /screensaver/command/@arg)' "$xml")" = "coderain --root"
check "coderain.xml describes it" test "$(xmllint --xpath 'string-length(/screensaver/_description)' "$xml")" -gt 100
check "coderain.xml: the text folder is a file setting given to --data" \
  test "$(xmllint --xpath 'string(/screensaver/file[@id="data"]/@arg)' "$xml")" = "--data %"
fps='//number[@id="fps"]'
check "coderain.xml: Frames a second, a slider from 1 to 60 given to --fps, 60 by default" test "$(xmllint --xpath \
  "concat($fps/@type, ' ', $fps/@arg, ' ', $fps/@low, ' ', $fps/@high, ' ', $fps/@default)" "$xml")" = "slider --fps % 1 60 60"

man=$P/share/man/man6/coderain.6.gz
zcat "$man" >"$WORK/coderain.6"
groff -man -Tutf8 -wall "$WORK/coderain.6" >"$WORK/man.txt" 2>"$WORK/man.err" || true
check "the man page renders without warnings" test ! -s "$WORK/man.err"
check "the man page names the installed text files" grep -q "^\.I $PREFIX/libexec/coderain/codeVB.txt$" "$WORK/coderain.6"
check "the man page has every placeholder filled" test -z "$(grep -n '@[A-Z_]*@' "$WORK/coderain.6")"
check "the man page tells how to add it to xscreensaver" grep -q 'coderain --xscreensaver-add' "$WORK/man.txt"
# The page the build writes, which the README names, for reading before any
# install.
built=$BUILD/packaging/coderain.6.gz
check "the README names the build's page" grep -q 'man build/packaging/coderain.6.gz' "$(dirname "$0")/../../README.md"
check "the build writes it" test -f "$built"
check "it names the build's text files" eval 'zcat "$built" | grep -q "^\.I $BUILD/codeVB.txt$"'
check "it renders without warnings" eval '[ -z "$(zcat "$built" | groff -man -Tutf8 -wall -z 2>&1)" ]'

desktop=$P/share/applications/screensavers/coderain.desktop
check "the desktop entry is valid" desktop-file-validate "$desktop"
check "the desktop entry starts it with --root" grep -qx 'Exec=coderain --root' "$desktop"
check "the desktop entry is a screen saver" grep -qx 'Categories=Screensaver;' "$desktop"
lock=$P/share/doc/coderain/examples/coderain-lock.desktop
check "the lock example is a valid entry" desktop-file-validate "$lock"
check "that locks with the installed program as the saver" \
  grep -qxF "Exec=xautolock -time 10 -locker \"XSECURELOCK_SAVER=$PREFIX/bin/coderain xsecurelock\"" "$lock"
wallpaper=$P/share/doc/coderain/examples/coderain-wallpaper.desktop
check "the wallpaper example is a valid entry that starts coderain --wallpaper" \
  eval 'desktop-file-validate "$wallpaper" && grep -qx "Exec=coderain --wallpaper" "$wallpaper"'

# Started the way the daemon starts it: through its link.
help_status=0
"$link" --help >"$WORK/help.txt" || help_status=$?
check "--help through the link prints the usage" grep -q '^usage: coderain ' "$WORK/help.txt"
check "and exits 0" test "$help_status" = 0
start_xvfb 1024x768
start_app "$link"
check "through the link it finds its text files and shows its window" wait_for_window 10
kill -TERM "$APP_PID" 2>/dev/null || true
wait_for_exit 2 || true
check "and says nothing" test ! -s "$WORK/stderr"

# The Debian package, from the same build.
arch=$(dpkg --print-architecture)
cpack --config "$BUILD/CPackConfig.cmake" -G DEB -B "$WORK/pkg" >"$WORK/cpack.log" 2>&1 || cat "$WORK/cpack.log"
deb=$(ls "$WORK"/pkg/coderain_*_"$arch".deb 2>/dev/null || true)
check "cpack builds coderain_VERSION_$arch.deb" test -f "$deb"
dpkg-deb -c "$deb" | awk '{ print $6 $7 $8 }' | sed 's/^\.//' | sort >"$WORK/deb.txt"
while read -r f; do
  [ -z "$f" ] || check "the package holds $f" grep -qxF "$f" "$WORK/deb.txt"
done <<END
/usr/bin/coderain->../libexec/coderain/coderain
/usr/libexec/coderain/coderain
/usr/libexec/coderain/codeASM.txt
/usr/libexec/coderain/codeC.txt
/usr/libexec/coderain/codeVB.txt
/usr/libexec/xscreensaver/coderain->../coderain/coderain
/usr/share/xscreensaver/config/coderain.xml
/usr/share/man/man6/coderain.6.gz
/usr/share/man/man1/coderain-render.1.gz
/usr/share/doc/coderain/copyright
/usr/share/doc/coderain/changelog.gz
/usr/share/doc/coderain/examples/coderain-lock.desktop
/usr/share/doc/coderain/examples/coderain-wallpaper.desktop
/usr/share/applications/screensavers/coderain.desktop
$([ -f "$PAGE" ] && echo /usr/share/coderain/coderain.html && sed 's|^|/usr/share/coderain/wallpaper/|' <<<"$WALLPAPER_FILES")
END
depends=$(dpkg-deb -f "$deb" Depends)
check "it depends on the fonts ($depends)" grep -q 'fonts-dejavu-core' <<<"$depends"
check "and on the libraries the program links" eval 'grep -q "libwayland-client0.*libx11-6" <<<"$depends" && ! grep -q sdl <<<"$depends"'
check "it suggests xscreensaver" test "$(dpkg-deb -f "$deb" Suggests)" = xscreensaver
check "its section is x11" test "$(dpkg-deb -f "$deb" Section)" = x11

# The version in every place it shows, the copyright file from LICENSE, the
# changelog as Debian asks, the renderer's page; lintian where it is there.
version=$(dpkg-deb -f "$deb" Version)
check "coderain --version prints coderain $version" test "$("$program" --version)" = "coderain $version"
check "coderain-render --version too" test "$("$P/bin/coderain-render" --version)" = "coderain-render $version"
doc=$P/share/doc/coderain
check "the copyright file is machine-readable" \
  grep -qx 'Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' "$doc/copyright"
check "every file is under the Expat (MIT) licence" test "$(grep -A2 -x 'Files: \*' "$doc/copyright" | tail -1)" = "License: Expat"
awk '/^Copyright: / && !c++ { print "Copyright (c) " substr($0, 12) "\n" } /^License: Expat$/ { n++; next }
     n == 2 { sub(/^ /, ""); sub(/^\.$/, ""); print }' "$doc/copyright" >"$WORK/license.txt"
check "with LICENSE's copyright line and text" diff <(tail -n +3 "$(dirname "$0")/../../LICENSE") "$WORK/license.txt"
check "the changelog is gzip -9n" test "$(od -An -tx1 -N9 "$doc/changelog.gz" | xargs)" = "1f 8b 08 00 00 00 00 00 02"
check "and its latest entry is $version" test "$(zcat "$doc/changelog.gz" | dpkg-parsechangelog -l- -SVersion)" = "$version"
zcat "$P/share/man/man1/coderain-render.1.gz" >"$WORK/render.1"
check "the renderer's page renders without warnings" test -z "$(groff -man -Tutf8 -wall -z "$WORK/render.1" 2>&1)"
check "and names the installed text files" grep -q "^\.I $PREFIX/libexec/coderain/codeVB.txt$" "$WORK/render.1"
check "both pages name the version" test "$(cat "$WORK"/{coderain.6,render.1} | grep -c "^\.TH .* \"coderain $version\"")" = 2
check "coderain's page lists --version" grep -qx '.B \\-\\-version' "$WORK/coderain.6"
if command -v lintian >/dev/null; then
  check "lintian finds no error and no warning" lintian --fail-on error,warning "$deb"
fi
finish
