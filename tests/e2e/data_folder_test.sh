#!/usr/bin/env bash
# The user's own texts (--data) under Xvfb: a folder on a path that is not
# ASCII, its files ending lines in CR LF and written in UTF-8, UTF-16 with
# its mark (Notepad's "Unicode") and UTF-8 with its mark, shows on each code
# panel what the renderer shows for the same lines in Latin-1. A file given
# for the folder (as xscreensaver's file chooser gives) means the folder it
# is in; a file the folder lacks is the program's own, which one line names.
# A folder without any of them, or a file that cannot be read, ends it
# before any window, with one line that names it and status 1 (a path too
# long, or with escapes, is among the echoed values of bad_input_cases.sh).
source "$(dirname "$0")/harness.sh"
RENDER=${2:?usage: $0 path/to/coderain path/to/coderain-render}
command -v iconv >/dev/null || skip iconv

start_xvfb 1920x1080
stage_program
chmod 755 "$WORK"
texts="$WORK/mes textes/données ✓"
mkdir -p "$texts" "$WORK/latin1"
# One line a file: every page of a panel is its heading and that line,
# whenever the picture is taken.
asm=$'mov  ax, [données]\t; é'
c=$'int café = 0x4C;\t// naïve'
vb="Dim x As String ' über"
printf '%s\r\n' "$asm" >"$texts/codeASM.txt"
{ printf '\xff\xfe' && printf '%s\r\n' "$c" | iconv -f UTF-8 -t UTF-16LE; } >"$texts/codeC.txt"
printf '\xef\xbb\xbf%s\r\n' "$vb" >"$texts/codeVB.txt"
for f in ASM C VB; do
  name=${f,,}
  [ "$f" = ASM ] && name=asm
  printf '%s\n' "${!name}" | iconv -f UTF-8 -t LATIN1 >"$WORK/latin1/code$f.txt"
done

"$RENDER" --data "$WORK/latin1" --at 3000 --out "$WORK/latin1.png"
pngtopnm "$WORK/latin1.png" >"$WORK/latin1.ppm"
# A panel's heading and first row, rows 0 to 33 of the panel at the 8 px
# face, as the renderer draws them from the Latin-1 files.
as_rendered() {
  picture "$WORK/live.ppm" 0 "$1" 224 34 && green_and_grey "$WORK/live.ppm" &&
    [ "$(pamcut -left 0 -top "$1" -width 224 -height 34 "$WORK/latin1.ppm" |
      pamarith -difference - "$WORK/live.ppm" | pamsumm -max -brief)" = 0 ]
}
check "--data on a path that is not ASCII: window mapped" run_app "$APP" --data "$texts"
check "--data: laid out for 1920" laid_out_for 1920
check "--data: picASM shows the UTF-8 file" as_rendered 0
check "--data: picC shows the UTF-16 file" as_rendered 198
check "--data: picVB shows the file with the UTF-8 mark" as_rendered 396
end_app
check "a file for the folder: window mapped" run_app "$APP" --data "$texts/codeC.txt"
check "a file for the folder: picC shows the folder's codeC.txt" as_rendered 198
check "a file for the folder: nothing said" test ! -s "$WORK/stderr"
end_app
cp -r "$texts" "$WORK/some"
rm "$WORK/some/codeASM.txt" "$WORK/some/codeVB.txt"
check "a folder with codeC.txt only: window mapped" run_app "$APP" --data "$WORK/some"
check "a folder with codeC.txt only: picC shows it" as_rendered 198
check "a folder with codeC.txt only: one line names the files taken from the program" \
  one_line "no codeASM.txt, codeVB.txt in $WORK/some; showing the program's own$"
end_app

# What cannot be read: status 1, one line naming it ($2, grep -E), no window.
refused() {
  start_app "${@:3}" "$APP" --data "$1"
  wait_for_exit 5 && ended_with 1 && [ "$(wc -l <"$WORK/stderr")" = 1 ] &&
    grep -Eq "^coderain: cannot open source file $2$" "$WORK/stderr" &&
    [ -z "$(xdotool search --name '^Form1$' 2>/dev/null || true)" ] || { sed 's/^/  | /' "$WORK/stderr"; false; }
}
mkdir -m 000 "$WORK/locked"
chmod 000 "$WORK/some/codeC.txt"
as_nobody=()
[ "$(id -u)" = 0 ] && as_nobody=(setpriv --reuid nobody --regid nogroup --clear-groups)
check "a folder that is not there" refused "$WORK/nowhere" "$WORK/nowhere/codeASM.txt: No such file or directory"
mkdir "$WORK/empty"
check "a folder without any of them" refused "$WORK/empty" "$WORK/empty/codeASM.txt: No such file or directory"
check "a folder the user cannot read" refused "$WORK/locked" "$WORK/locked/codeASM.txt: Permission denied" \
  "${as_nobody[@]}"
check "a file there the user cannot read" refused "$WORK/some" "$WORK/some/codeC.txt: Permission denied" \
  "${as_nobody[@]}"
finish
