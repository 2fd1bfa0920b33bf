#!/usr/bin/env bash
# Builds the codec benchmark's corpus from files that Debian packages installed:
# a fixed selection of Windows DLLs from Wine's packages and a few MB of
# MinGW-w64 headers as text. Each file becomes one block in the benchmark.
#
#   bench/make-corpus.sh [destination, default build/bench-corpus]
#
# Also prints the corpus total and what `xz -9` makes of each file, summed,
# for comparison with the benchmark's own figures. A missing file is skipped
# and named, so the totals say which corpus they are for.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
dest=${1:-$root/build/bench-corpus}

wine32=/usr/lib/i386-linux-gnu/wine/i386-windows
wine64=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
headers=/usr/share/mingw-w64/include

files=(
  "$wine32/comctl32.dll" "$wine32/user32.dll" "$wine32/riched20.dll" "$wine32/wininet.dll"
  "$wine32/msvcrt.dll" "$wine32/setupapi.dll" "$wine64/kernel32.dll" "$wine64/gdi32.dll"
  "$headers/winuser.h" "$headers/winbase.h" "$headers/winnt.h" "$headers/commctrl.h"
  "$headers/wingdi.h" "$headers/winerror.h" "$headers/shlobj.h" "$headers/objidl.h"
  "$headers/d3d11.h" "$headers/shobjidl.h"
)

rm -rf "$dest"
mkdir -p "$dest"
total=0
xz_total=0
count=0
for f in "${files[@]}"; do
  if [ ! -f "$f" ]; then
    echo "missing, skipped: $f" >&2
    continue
  fi
  case "$f" in
    "$wine32"/*) name=i386-$(basename "$f") ;;
    "$wine64"/*) name=x86_64-$(basename "$f") ;;
    *) name=$(basename "$f") ;;
  esac
  cp "$f" "$dest/$name"
  size=$(stat -c %s "$f")
  xz_size=$(xz -9 -k -c "$f" | wc -c)
  total=$((total + size))
  xz_total=$((xz_total + xz_size))
  count=$((count + 1))
done
echo "corpus: $count files, $total bytes in $dest"
echo "xz -9 per file, summed: $xz_total bytes"
