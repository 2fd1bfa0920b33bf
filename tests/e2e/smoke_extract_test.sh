#!/usr/bin/env bash
# An installer built by qbmake unpacks its payload into a fresh GUID-named folder
# below the user's temporary folder: every file's bytes and last-write time exact,
# sub-folders made, the program pack among the entries.
. "$(dirname "$0")/lib.sh"

proj="$work/project"
mkdir -p "$proj/files/docs/deep"
printf '[Settings]\r\nProgExe=Tool.exe\r\n[Info]\r\nTitel=Smoke Tool\r\nVersion=1.0\r\n' > "$proj/setup.ini"
printf 'Licence text\r\n' > "$proj/licence.txt"
head -c 70000 /dev/urandom > "$proj/splash.bmp"
: > "$proj/empty.txt"
printf 'program' > "$proj/files/Tool.exe"
printf 'deep file' > "$proj/files/docs/deep/notes.txt"
touch -d '2001-02-03 04:05:06 UTC' "$proj/setup.ini" "$proj/files/docs/deep/notes.txt"
touch -d '2019-12-31 23:59:58 UTC' "$proj/splash.bmp" "$proj/empty.txt"

"$QB_QBMAKE" build "$proj" -o "$work/Setup.exe" --stub "$QB_INSTALL_EXE" -q || fail "qbmake build"

# /Q: the update mode, so that no wizard waits for a user.
folder="$(run_installer "$work/Setup.exe" /Q)"
[ "$(printf '%s\n' "$folder" | grep -c .)" = 1 ] || fail "expected one new GUID folder, got: '$folder'"
tmp="$(temp_root)/$folder"
pass "payload unpacked into $folder"

for f in setup.ini licence.txt splash.bmp empty.txt; do
  cmp "$proj/$f" "$tmp/$f" || fail "$f differs"
  [ "$(stat -c %Y "$proj/$f")" = "$(stat -c %Y "$tmp/$f")" ] || fail "$f: last-write time not kept"
done
pass "payload files and their times are exact"

[ -s "$tmp/setup.pck" ] || fail "setup.pck missing from the payload"
"$QB_QBMAKE" list "$tmp/setup.pck" > "$work/pck.txt" || fail "qbmake list setup.pck"
grep -q 'docs\\deep\\notes.txt' "$work/pck.txt" || fail "program pack lacks docs\\deep\\notes.txt"
pass "the program pack travels in the payload"

if [ "${QB_WINE_FULL:-OFF}" = ON ]; then
  second="$(run_installer "$work/Setup.exe" /Q)"
  [ -n "$second" ] && [ "$second" != "$folder" ] || fail "a second run must use a new folder"
  pass "a second run uses its own folder"
fi
