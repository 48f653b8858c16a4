#!/usr/bin/env bash
# Wine 10 (Debian 13) in a folder of the build tree, as a second Win32 implementation beside the
# system's Wine 8. Sourced by the tools; needs root (debootstrap, chroot, mount namespaces).
#
#   wine10_prepare   builds the tree once (about two minutes, 2 GB) and the runner script
#   $WINE10          the runner: "$WINE10 program args..." runs a Windows program under Wine 10
#
# Where the kernel runs 32-bit programs the tree has Wine's 32-bit loader and runs the i686 build
# as the system's Wine does. Where it does not, the tree has only the 64-bit Unix side, and the
# i686 build runs in Wine's WoW64 mode: the 32-bit Windows-side libraries come from the
# libwine:i386 package (Windows DLLs only, nothing the kernel executes), linked into the 64-bit
# library tree. Each call of the runner mounts what Wine needs into the tree in a mount
# namespace of its own, so nothing stays mounted when it ends and the build tree can be removed
# as it is.
WINE10_MODE=${WINE10_MODE:-$([ "${NORVANE_TEST_BUILD:-mingw}" = mingw ] && echo win32 || echo wow64)}
WINE10_ROOT="$NORVANE_ROOT/build/wine10-$WINE10_MODE/root"
WINE10="$NORVANE_ROOT/build/wine10-$WINE10_MODE/run"
WINE10_SERVER="$NORVANE_ROOT/build/wine10-$WINE10_MODE/wineserver"
WINE10_PREFIX="$NORVANE_ROOT/build/wine10-$WINE10_MODE/prefix"
# Ready once every step has passed; a tree left half-built by an interrupted run is made anew.
WINE10_READY="$NORVANE_ROOT/build/wine10-$WINE10_MODE/ready"

wine10_mirror() {
  local m
  m=$(grep -rhoE '^(URIs:|deb) +(\[[^]]*\] +)?https?://[^ ]*debian/?( |$)' /etc/apt/sources.list /etc/apt/sources.list.d/ 2>/dev/null |
      grep -oE 'https?://[^ ]*' | grep -v security | head -1)
  echo "${m:-http://deb.debian.org/debian}"
}

wine10_write_runner() {
  mkdir -p "$(dirname "$WINE10")"
  # The runner keeps the caller's environment (DISPLAY, NORVANE_*), working folder and paths:
  # the project folder is mounted at the same path inside the tree.
  cat > "$WINE10" <<EOF
#!/usr/bin/env bash
# Runs a Windows program (or wineserver/wineboot/reg) under the Wine 10 tree $WINE10_ROOT.
root='$WINE10_ROOT' project='$NORVANE_ROOT' mode='$WINE10_MODE'
# Always its own prefix, whatever the caller's WINEPREFIX says: Wine upgrades a prefix to its
# own version when it starts in one, and the system's older Wine would then run on a prefix
# that is no longer its own.
export WINEPREFIX='$WINE10_PREFIX'
EOF
  cat >> "$WINE10" <<'EOF'
if [ "$mode" = win32 ]; then
  loader=/usr/lib/wine/wine server=/usr/lib/wine/wineserver32 arch=win32
else
  loader=/usr/lib/wine/wine64 server=/usr/lib/wine/wineserver64 arch=win64
fi
case "${1:-}" in
  wineserver) shift; set -- "$server" "$@" ;;
  *) set -- "$loader" "$@" ;;
esac
exec unshare --mount --propagation private -- bash -c '
  root=$1 project=$2; shift 2
  for d in /proc /sys /dev /dev/pts /dev/shm /tmp/.X11-unix "$project"; do
    [ -e "$d" ] || continue
    mkdir -p "$root$d" && mount --bind "$d" "$root$d" || exit 125
  done
  exec chroot "$root" /usr/bin/env -C "$PWD" "$@"
' norvane-wine10 "$root" "$project" env WINELOADER="$loader" WINESERVER="$server" WINEARCH="$arch" \
  WINEDEBUG="${WINEDEBUG:--all}" "$@"
EOF
  printf '#!/usr/bin/env bash\nexec %q wineserver "$@"\n' "$WINE10" > "$WINE10_SERVER"
  chmod +x "$WINE10" "$WINE10_SERVER"
}

# The tree's packages: Wine and the fonts the tests expect, and the host tools the end-to-end
# tests start from inside Wine (chattr).
wine10_packages() {
  echo "wine wine64 fonts-liberation2 e2fsprogs"
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
  wine10_write_runner
  local packages
  packages=$(wine10_packages | tr '\n' ' ')
  [ -f "$WINE10_READY" ] && [ "$(cat "$WINE10_READY")" = "$packages" ] && return 0
  local log="${WINE10_ROOT#$NORVANE_ROOT/}.log"
  if [ ! -f "$WINE10_READY" ]; then
    echo "wine10: building the Debian 13 tree ($WINE10_MODE) in ${WINE10_ROOT#$NORVANE_ROOT/}"
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
      if [ ! -e /usr/lib/wine/wine ] && [ ! -e /usr/lib/x86_64-linux-gnu/wine/i386-windows/kernel32.dll ]; then
        cd /tmp && apt-get download -q libwine:i386 && dpkg-deb -x libwine_*_i386.deb /tmp/libwine32
        dst=/usr/lib/x86_64-linux-gnu/wine/i386-windows
        mkdir -p $dst && cp -n /tmp/libwine32/usr/lib/i386-linux-gnu/wine/i386-windows/* $dst/
        rm -rf /tmp/libwine32 /tmp/libwine_*.deb
      fi
      apt-get clean
    ' wine10-setup $packages >>"$WINE10_ROOT.log" 2>&1 ||
    { echo "wine10: installing Wine into the tree failed (see $log)" >&2; return 1; }
  echo "$packages" > "$WINE10_READY"
}

# The Wine 10 version text, e.g. "wine-10.0 (Debian 10.0~repack-6)".
wine10_version() { "$WINE10" --version 2>/dev/null | tr -d '\r'; }

# Chooses the one Wine that runs a program for a person or a benchmark: the system's 32-bit Wine
# with the shipped i686 build, or else Wine 10's WoW64 mode with it, or else, where neither runs
# it, the system's 64-bit Wine with the x86-64 build. Sets RUN_WINE, RUN_SERVER, RUN_PREFIX,
# RUN_PRESET and RUN_WHAT (e.g. "the i686 build under wine-8.0 (Debian 8.0~repack-4)"), builds
# that preset's programs and prepares the prefix (the display must be up).
choose_run_wine() {
  RUN_PRESET=mingw
  cmake --preset mingw >/dev/null && cmake --build --preset mingw -j "$(nproc)" >/dev/null || return 1
  if [ "$NORVANE_TEST_BUILD" = mingw ]; then
    RUN_WINE=$WINELOADER RUN_SERVER=$WINESERVER RUN_PREFIX=$WINEPREFIX
  elif wine10_prepare && prepare_prefix "$WINE10" "$WINE10_SERVER" "$WINE10_PREFIX" &&
       "$WINE10" build/mingw/e2e_tests.exe --gtest_list_tests >/dev/null 2>&1; then
    RUN_WINE=$WINE10 RUN_SERVER=$WINE10_SERVER RUN_PREFIX=$WINE10_PREFIX
  else
    echo "no Wine here runs the shipped i686 build: using the x86-64 build of the same sources"
    RUN_PRESET=mingw64 RUN_WINE=$WINELOADER RUN_SERVER=$WINESERVER RUN_PREFIX=$WINEPREFIX
    cmake --preset mingw64 >/dev/null && cmake --build --preset mingw64 -j "$(nproc)" >/dev/null || return 1
  fi
  prepare_prefix "$RUN_WINE" "$RUN_SERVER" "$RUN_PREFIX"
  export WINEPREFIX=$RUN_PREFIX
  RUN_WHAT="the $([ "$RUN_PRESET" = mingw ] && echo i686 || echo x86-64) build under $("$RUN_WINE" --version 2>/dev/null | tr -d '\r')"
  [ "$RUN_WINE" = "$WINE10" ] && [ "$WINE10_MODE" = wow64 ] && RUN_WHAT="$RUN_WHAT in WoW64 mode"
  return 0
}
