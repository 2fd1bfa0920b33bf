#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need, and
# makes sure this machine can run 32-bit programs (Wine's 32-bit half).
# Safe to run again: when everything is present it changes nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates file
  g++-mingw-w64-i686-posix gcc-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-i686-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  mingw-w64-tools
  googletest libbenchmark-dev zlib1g-dev xz-utils
  clang libclang-rt-14-dev llvm
  wine wine64 wine32:i386 xvfb xdotool x11-apps imagemagick procps
  fonts-wine fonts-liberation fonts-dejavu-core
  qemu-user-static
  python3
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

need_arch=0
dpkg --print-foreign-architectures | grep -qx i386 || need_arch=1
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "$need_arch" = 1 ] || [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  [ "$need_arch" = 1 ] && $SUDO dpkg --add-architecture i386
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# Some virtual machines run no 32-bit code natively (their kernels refuse 32-bit
# ELF files). 32-bit Wine then runs through qemu's user-mode emulation, registered
# with the kernel's binfmt_misc; slower, but the real 32-bit Install.exe runs.
if ! /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || $SUDO mount -t binfmt_misc binfmt_misc "$binfmt"
  if [ ! -e "$binfmt/qemu-i386" ]; then
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
      | $SUDO tee "$binfmt/register" >/dev/null
  fi
  /lib/ld-linux.so.2 --version >/dev/null 2>&1 || { echo "install-deps: this machine cannot run 32-bit programs" >&2; exit 1; }
fi
