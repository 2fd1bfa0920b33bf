#!/usr/bin/env bash
# Sets up this machine and runs every test: the native build, the 64-bit Windows
# build (the Win32 layer and end-to-end tests under 64-bit Wine) and the 32-bit
# product build (its unit tests and the end-to-end smoke of the real Install.exe).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

jobs="${QB_JOBS:-2}"
for preset in native win64 win32; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
  if [ "$preset" = native ]; then
    # A short bounded run of every fuzz target (clang with ASan and UBSan).
    bash scripts/fuzz.sh "${QB_FUZZ_SECONDS:-20}"
  fi
done
