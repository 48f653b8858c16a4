#!/usr/bin/env bash
# Installs what building and testing Norvane needs on Debian 12: the MinGW-w64 cross compilers,
# Wine (with its 32-bit part where the kernel runs 32-bit programs), a virtual X display, fonts,
# CMake, clang and GoogleTest. Idempotent: packages already present are not touched.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth xdotool imagemagick x11-utils fonts-liberation2 zip procps debootstrap)
[ "$NORVANE_I386" = native ] && packages+=(wine32:i386)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "setup: installing ${missing[*]}"
if [ "$NORVANE_I386" = native ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
