#!/usr/bin/env bash
# Installs what building and testing Norvane needs on Debian 12: the MinGW-w64 cross compilers,
# Wine (with its 32-bit part where the kernel runs 32-bit programs), a virtual X display, fonts,
# CMake, clang and GoogleTest. Idempotent: packages already present are not touched.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev googletest
          g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
          wine wine64 xvfb xauth xdotool imagemagick x11-utils fonts-liberation2 zip procps debootstrap
          locales fonts-wqy-microhei fonts-ipafont-gothic iproute2)
[ "$NORVANE_I386" = native ] && packages+=(wine32:i386)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"

# The national systems the tests play: Wine takes the ANSI code page and the dialog font from
# the Unix locale, and the CJK fonts give those systems their glyphs.
norvane_locales=(ja_JP.UTF-8 zh_CN.UTF-8 zh_TW.UTF-8 de_DE.UTF-8)
generate_locales() {
  local l wanted=0
  for l in "${norvane_locales[@]}"; do
    locale -a 2>/dev/null | grep -qix "${l/UTF-8/utf8}" && continue
    wanted=1
    grep -q "^$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
  done
  [ $wanted -eq 0 ] || $sudo locale-gen >/dev/null
}

if [ ${#missing[@]} -eq 0 ]; then generate_locales; exit 0; fi
echo "setup: installing ${missing[*]}"
if [ "$NORVANE_I386" = native ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
generate_locales
