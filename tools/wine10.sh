# Wine 10 (Debian 13) in a folder of the build tree, as a second Win32 implementation beside the
# system's Wine 8. Sourced by the tools after wine-env.sh; needs root (debootstrap, chroot,
# mount namespaces).
#
#   wine10_prepare   builds the tree once (about two minutes, 2 GB) and its runners
#   $WINE10_64       runs a Windows program under the tree's 64-bit Wine: "$WINE10_64 prog args"
#   $WINE10          the same with its 32-bit Wine. Where the kernel runs 32-bit programs (mode
#                    win32) the tree has Wine's 32-bit build installed; where it does not (mode
#                    emulated) the tree has only the 64-bit Unix side, and tools/wine-i386.sh
#                    adds the 32-bit build under user-mode emulation
# Each call of a runner mounts what Wine needs into the tree in a mount namespace of its own, so
# nothing stays mounted when it ends and the build tree can be removed as it is. Each runner has
# a prefix of its own, whatever the caller's WINEPREFIX says: Wine upgrades a prefix to its own
# version when it starts in one, and the system's older Wine would then run on a prefix that is
# no longer its own.
WINE10_MODE=$([ "${NORVANE_I386:-native}" = native ] && echo win32 || echo emulated)
WINE10_DIR="$NORVANE_ROOT/build/wine10-$WINE10_MODE"
WINE10_ROOT="$WINE10_DIR/root"
WINE10="" WINE10_SERVER="" WINE10_PREFIX="$WINE10_DIR/prefix"
WINE10_64="$WINE10_DIR/run64" WINE10_64_SERVER="$WINE10_DIR/wineserver64" WINE10_64_PREFIX="$WINE10_DIR/prefix64"
# Ready once every step has passed; a tree left half-built by an interrupted run is made anew.
WINE10_READY="$WINE10_DIR/ready"

wine10_mirror() {
  local m
  m=$(grep -rhoE '^(URIs:|deb) +(\[[^]]*\] +)?https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
      grep -oE 'https?://[^ ]*' | grep -v security | head -1)
  echo "${m:-http://deb.debian.org/debian}"
}

# Runs a command inside the tree with the project folder, the X socket folder and what Wine
# needs mounted, in the caller's environment and working folder (the project folder is mounted
# at its own path).
wine10_enter() {
  exec unshare --mount --propagation private -- bash -c '
    root=$1 project=$2; shift 2
    for d in /proc /sys /dev /dev/pts /dev/shm /tmp/.X11-unix "$project"; do
      [ -e "$d" ] || continue
      mkdir -p "$root$d" && mount --bind "$d" "$root$d" || exit 125
    done
    exec chroot "$root" /usr/bin/env -C "$PWD" "$@"
  ' norvane-wine10 "$WINE10_ROOT" "$NORVANE_ROOT" "$@"
}

# Writes a runner for one of the tree's loaders, and a wineserver command beside it.
#   wine10_write_runner runner server-command loader wineserver prefix arch
wine10_write_runner() {
  mkdir -p "$(dirname "$1")"
  {
    echo '#!/usr/bin/env bash'
    echo "# Runs a Windows program (or wineserver, wineboot, reg) under the Wine 10 tree's $3."
    declare -p NORVANE_ROOT WINE10_ROOT
    declare -f wine10_enter
    printf 'loader=%q server=%q\n' "$3" "$4"
    printf 'export WINEPREFIX=%q WINEARCH=%q\n' "$5" "$6"
    echo '[ "${1:-}" = wineserver ] && { shift; set -- "$server" "$@"; } || set -- "$loader" "$@"'
    echo 'WINELOADER=$loader WINESERVER=$server WINEDEBUG=${WINEDEBUG:--all} wine10_enter env WINELOADER="$loader" WINESERVER="$server" "$@"'
  } > "$1"
  printf '#!/usr/bin/env bash\nexec %q wineserver "$@"\n' "$1" > "$2"
  chmod +x "$1" "$2"
}

# The tree's packages: Wine and the fonts the tests expect, and the host tools the end-to-end
# tests start from inside Wine (chattr, ip).
wine10_packages() {
  echo "wine wine64 fonts-liberation2 e2fsprogs iproute2"
  # The Japanese and Chinese dialog fonts of the density checks' national rows.
  echo "fonts-wqy-microhei fonts-ipafont-gothic"
  [ "$WINE10_MODE" = win32 ] && echo "wine32:i386"
}

# Runs a command inside the tree with only /proc and /dev mounted, as its package scripts need.
wine10_chroot() {
  unshare --mount --propagation private -- bash -c '
    root=$1; shift
    for d in /proc /dev; do mount --bind "$d" "$root$d" || exit 1; done
    chroot "$root" /usr/bin/env DEBIAN_FRONTEND=noninteractive "$@"
  ' wine10-chroot "$WINE10_ROOT" "$@"
}

wine10_prepare() {
  wine10_write_runner "$WINE10_64" "$WINE10_64_SERVER" /usr/lib/wine/wine64 /usr/lib/wine/wineserver64 \
    "$WINE10_64_PREFIX" win64
  if [ "$WINE10_MODE" = win32 ]; then
    WINE10="$WINE10_DIR/run" WINE10_SERVER="$WINE10_DIR/wineserver"
    wine10_write_runner "$WINE10" "$WINE10_SERVER" /usr/lib/wine/wine /usr/lib/wine/wineserver32 "$WINE10_PREFIX" win32
  fi
  local packages
  packages=$(wine10_packages | tr '\n' ' ')
  [ -f "$WINE10_READY" ] && [ "$(cat "$WINE10_READY")" = "$packages" ] && return 0
  local log="${WINE10_ROOT#$NORVANE_ROOT/}.log"
  if [ ! -f "$WINE10_READY" ]; then
    echo "wine10: building the Debian 13 tree in ${WINE10_ROOT#$NORVANE_ROOT/}"
    local mirror
    mirror=$(wine10_mirror)
    rm -rf "$WINE10_ROOT"
    mkdir -p "$WINE10_ROOT"
    debootstrap --arch=amd64 --variant=minbase trixie "$WINE10_ROOT" "$mirror" >"$WINE10_ROOT.log" 2>&1 ||
      { echo "wine10: debootstrap failed (see $log)" >&2; return 1; }
    printf 'deb %s trixie main\ndeb %s trixie-updates main\n' "$mirror" "$mirror" > "$WINE10_ROOT/etc/apt/sources.list"
  else
    echo "wine10: bringing the tree's packages up to: $packages"
  fi
  wine10_chroot bash -c '
      set -e
      dpkg --add-architecture i386
      apt-get update -q
      apt-get install -y -q --no-install-recommends "$@"
      apt-get clean
    ' wine10-setup $packages >>"$WINE10_ROOT.log" 2>&1 ||
    { echo "wine10: installing Wine into the tree failed (see $log)" >&2; return 1; }
  echo "$packages" > "$WINE10_READY"
}

# The Wine 10 version text, e.g. "wine-10.0 (Debian 10.0~repack-6)".
wine10_version() { "$WINE10_64" --version 2>/dev/null | tr -d '\r'; }
