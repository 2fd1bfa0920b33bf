#!/usr/bin/env bash
# A damaged installer shows the start-up error box and never writes outside
# its temporary folder.
. "$(dirname "$0")/lib.sh"

craft="$here/craft_installer.py"
temp="$(temp_root)"

# Starts an installer, waits for the error box, photographs it, answers it with
# Enter and waits for the installer to end.
expect_error_box() {
  local name="$1"; shift
  "$harness/wine-run" "$@" &
  local pid=$!
  local id
  id="$(wait_window "Error - Copy File" 60)" || { kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; fail "$name: no error box"; }
  screenshot "damaged-$name" "$id"
  # Answer the box with Enter; repeat while it is still there (another window of
  # the run may hold the keyboard focus for a moment).
  for _ in $(seq 1 60); do
    kill -0 "$pid" 2>/dev/null || break
    xdotool windowfocus "$id" key Return >/dev/null 2>&1 || true
    sleep 0.5
  done
  if kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" 2>/dev/null; fail "$name: installer did not end after the error box"; fi
  wait "$pid" || fail "$name: exit code $? (expected 0)"
  pass "$name: error box shown, exit code 0"
}

# Names that would land outside the destination.
"$craft" "$QB_INSTALL_EXE" "$work/traversal.exe" \
  'setup.ini=[Info]' 'good.txt=kept' '..\evil1.txt=x' 'sub\..\..\evil2.txt=x' \
  'C:\evil3.txt=x' '\evil4.txt=x' 'ads.txt:stream=x' 'after.txt=still in step'
before="$(guid_folders)"
expect_error_box traversal "$work/traversal.exe" /Q
folder="$(comm -13 <(echo "$before") <(guid_folders))"
[ -n "$folder" ] || fail "traversal: no temporary folder"
[ "$(cat "$temp/$folder/good.txt")" = kept ] || fail "traversal: good.txt not extracted"
[ "$(cat "$temp/$folder/after.txt")" = "still in step" ] || fail "traversal: entries after the bad names out of step"
for f in "$temp/evil1.txt" "$temp/../evil2.txt" "$WINEPREFIX/drive_c/evil3.txt" "$WINEPREFIX/drive_c/evil4.txt" "$temp/$folder/ads.txt"; do
  [ ! -e "$f" ] || fail "traversal: $f was written"
done
pass "traversal: nothing written outside the temporary folder"

# A payload cut short: its trailer is gone.
"$QB_QBMAKE" build "$here/../fixtures/minimal-project" -o "$work/whole.exe" --stub "$QB_INSTALL_EXE" -q || fail "qbmake build"
size=$(stat -c %s "$work/whole.exe")
head -c $((size - 5)) "$work/whole.exe" > "$work/truncated.exe"
expect_error_box truncated "$work/truncated.exe" /Q

# A directory whose entry count claims more records than it holds.
"$craft" "$QB_INSTALL_EXE" "$work/stored.exe" 'setup.ini=[Info]' 'a.txt=a'
python3 - "$work/stored.exe" "$work/badcount.exe" <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], 'rb').read())
unpacked, packed, start = struct.unpack_from('<III', data, len(data) - 16)
struct.pack_into('<i', data, len(data) - 16 - packed, 100000)
open(sys.argv[2], 'wb').write(data)
PY
expect_error_box badcount "$work/badcount.exe" /Q

# A compressed entry whose block is damaged: the file is not written at all
# (no half-decoded file is left behind), and the entries after it still are.
proj="$work/blockproject"
mkdir -p "$proj/files"
printf '[Info]\r\nTitel=Damaged block\r\n' > "$proj/setup.ini"
for i in $(seq 1 2000); do echo "line $i of a text that compresses well"; done > "$proj/aaa.txt"
printf 'program' > "$proj/files/Tool.exe"
"$QB_QBMAKE" build "$proj" -o "$work/block.exe" --stub "$QB_INSTALL_EXE" -q || fail "qbmake build"
# aaa.txt comes first, so its block starts right behind the stub; damage it in the middle.
stub_size=$(stat -c %s "$QB_INSTALL_EXE")
python3 - "$work/block.exe" "$((stub_size + 200))" <<'PY'
import sys
path, at = sys.argv[1], int(sys.argv[2])
data = bytearray(open(path, 'rb').read())
data[at] ^= 0x5A
open(path, 'wb').write(data)
PY
before="$(guid_folders)"
expect_error_box badblock "$work/block.exe" /Q
folder="$(comm -13 <(echo "$before") <(guid_folders))"
[ -n "$folder" ] || fail "badblock: no temporary folder"
[ ! -e "$temp/$folder/aaa.txt" ] || fail "badblock: the damaged file was written"
[ -s "$temp/$folder/setup.ini" ] && [ -s "$temp/$folder/setup.pck" ] || fail "badblock: the entries after it were not written"
pass "badblock: damaged entry not written, the others are"
