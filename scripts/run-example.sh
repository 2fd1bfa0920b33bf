#!/usr/bin/env bash
# Sets up this machine, builds qbmake and Install.exe, builds the example
# product's installer and runs it under Wine in a private prefix, then shows
# what it did.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
bash scripts/install-deps.sh
jobs="${QB_JOBS:-2}"
for preset in native win32; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
done

out="$root/build/example"
mkdir -p "$out"
build/native/tools/qbmake/qbmake build examples/hello -o "$out/HelloSetup.exe" --stub build/win32/Install.exe
build/native/tools/qbmake/qbmake list "$out/HelloSetup.exe"

export QB_WINE_STATE="$out/wine"
trap 'tests/harness/wine-down' EXIT
echo "Making a private Wine prefix (a few minutes on a machine without 32-bit support) ..."
tests/harness/wine-up
. tests/harness/wine-env.sh
echo "Running HelloSetup.exe ..."
QB_WINE_TIMEOUT=900 tests/harness/wine-run "$out/HelloSetup.exe" /Q
echo "exit code: $?"
temp="$(echo "$WINEPREFIX"/drive_c/users/*/Temp)"
for folder in "$temp"/\{*\}; do
  echo "Unpacked into C:\\users\\...\\Temp\\$(basename "$folder"):"
  (cd "$folder" && find . -type f -printf '  %p  %s bytes  %TY-%Tm-%Td %TH:%TM\n' | sort)
done
