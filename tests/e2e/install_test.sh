#!/usr/bin/env bash
# The install rules and the Debian package, from the build the program under
# test came from: every file where screen savers look for it, links that
# resolve in a staging folder, a program that finds its text files when
# started through xscreensaver's link, a valid description for the daemon,
# a man page that renders cleanly, a desktop entry for MATE.
source "$(dirname "$0")/harness.sh"

BUILD=$(cd "$(dirname "$CODERAIN_BIN")" && pwd)
STAGE=$WORK/stage
PREFIX=/opt/cr
P=$STAGE$PREFIX

DESTDIR=$STAGE cmake --install "$BUILD" --prefix "$PREFIX" >"$WORK/install.log"

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
/opt/cr/share/man/man6/coderain.6.gz
/usr/libexec/xscreensaver/coderain
/usr/share/xscreensaver/config/coderain.xml"
installed=$(cd "$STAGE" && find . ! -type d | sed 's/^\.//' | sort)
check "installs every file, all under DESTDIR" test "$installed" = "$expected"
if [ "$installed" != "$expected" ]; then diff <(echo "$expected") <(echo "$installed") || true; fi

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

man=$P/share/man/man6/coderain.6.gz
zcat "$man" >"$WORK/coderain.6"
groff -man -Tutf8 -wall "$WORK/coderain.6" >"$WORK/man.txt" 2>"$WORK/man.err" || true
check "the man page renders without warnings" test ! -s "$WORK/man.err"
check "the man page names the installed text files" grep -q "^\.I $PREFIX/libexec/coderain/codeVB.txt$" "$WORK/coderain.6"
check "the man page has every placeholder filled" test -z "$(grep -n '@[A-Z_]*@' "$WORK/coderain.6")"
check "the man page tells how to add it to xscreensaver" grep -q 'coderain --root' "$WORK/man.txt"

desktop=$P/share/applications/screensavers/coderain.desktop
check "the desktop entry is valid" desktop-file-validate "$desktop"
check "the desktop entry starts it with --root" grep -qx 'Exec=coderain --root' "$desktop"
check "the desktop entry is a screen saver" grep -qx 'Categories=Screensaver;' "$desktop"

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
  check "the package holds $f" grep -qxF "$f" "$WORK/deb.txt"
done <<'END'
/usr/bin/coderain->../libexec/coderain/coderain
/usr/libexec/coderain/coderain
/usr/libexec/coderain/codeASM.txt
/usr/libexec/coderain/codeC.txt
/usr/libexec/coderain/codeVB.txt
/usr/libexec/xscreensaver/coderain->../coderain/coderain
/usr/share/xscreensaver/config/coderain.xml
/usr/share/man/man6/coderain.6.gz
/usr/share/applications/screensavers/coderain.desktop
END
depends=$(dpkg-deb -f "$deb" Depends)
check "it depends on the fonts ($depends)" grep -q 'fonts-dejavu-core' <<<"$depends"
check "and on the libraries the program links" grep -q 'libsdl2-2.0-0.*libx11-6' <<<"$depends"
check "it suggests xscreensaver" test "$(dpkg-deb -f "$deb" Suggests)" = xscreensaver
check "its section is x11" test "$(dpkg-deb -f "$deb" Section)" = x11
finish
