# Sourced by the tools: which Wine runs the tests, its private prefix inside the build tree,
# and a display. With no DISPLAY a virtual X server is started and stopped by stop_display.
#
# A kernel without 32-bit support cannot run 32-bit Wine; there the 64-bit build of the same
# sources (preset mingw64) runs under 64-bit Wine, while the 32-bit Norvane.exe is still built
# and checked. NORVANE_TEST_BUILD names the build whose tests run: mingw or mingw64.
NORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Runs a 93-byte i386 Linux program that only exits: true when this kernel runs 32-bit code.
i386_runs() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' > "$probe"
  chmod +x "$probe"
  { "$probe"; } 2>/dev/null
  local rc=$?
  rm -f "$probe"
  return $rc
}

if i386_runs; then
  NORVANE_TEST_BUILD=mingw
  export WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 WINEARCH=win32
else
  NORVANE_TEST_BUILD=mingw64
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 WINEARCH=win64
fi
export WINEPREFIX="$NORVANE_ROOT/build/$NORVANE_TEST_BUILD/wineprefix"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="

XVFB_PID=""
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "could not start a virtual display" >&2
  return 1
}

stop_display() {
  WINEPREFIX="$WINEPREFIX" "$WINESERVER" -k >/dev/null 2>&1 || true
  if [ -n "${WINE10_SERVER:-}" ] && [ -x "$WINE10_SERVER" ]; then
    WINEPREFIX="$WINE10_PREFIX" "$WINE10_SERVER" -k >/dev/null 2>&1 || true
  fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; fi
}

# Creates a prefix on first use and keeps one server alive for the run. The virtual display
# has no window manager: windows are left unmanaged, or Wine waits two seconds for a manager
# on every hide and destroy of a visible window.
# Usage: prepare_prefix [loader server prefix]   (the system's Wine and $WINEPREFIX by default)
prepare_prefix() {
  local loader=${1:-$WINELOADER} server=${2:-$WINESERVER}
  local WINEPREFIX=${3:-$WINEPREFIX}
  export WINEPREFIX
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    "$loader" wineboot -i >/dev/null 2>&1 || true
  fi
  "$server" -p >/dev/null 2>&1 || true
  # Start the prefix's services and desktop process here, detached from any output: started by
  # the first test instead, they would inherit its output pipe and keep the test runner waiting.
  "$loader" wineboot >/dev/null 2>&1 || true
  if [ -n "${XVFB_PID:-}" ] && ! grep -q '"Managed"="N"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
}
