# Sourced by the tools: whether this kernel runs 32-bit programs, the system's Wine 8 in both
# widths, private prefixes inside the build tree, and virtual displays.
#
#   NORVANE_I386     native where the kernel runs i386 programs; emulated where it does not,
#                    and 32-bit Wine then runs under user-mode emulation (tools/wine-i386.sh)
#   WINE8_32         the 32-bit Wine 8 loader where it runs natively (empty until chosen else)
#   WINE8_64         the system's 64-bit Wine 8 loader, which runs the x86-64 build anywhere
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
  NORVANE_I386=native
  WINE8_32=/usr/lib/wine/wine WINE8_32_SERVER=/usr/lib/wine/wineserver32
else
  NORVANE_I386=emulated
  WINE8_32="" WINE8_32_SERVER=""
fi
WINE8_64=/usr/lib/wine/wine64 WINE8_64_SERVER=/usr/lib/wine/wineserver64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
unset WINEARCH WINELOADER WINESERVER

# Virtual displays started here, and the runners whose servers prepare_prefix started: both are
# stopped by stop_display.
XVFB_PIDS=()
WINE_SERVERS=()

# Starts a virtual X server on a free display and sets the named variable to it (":N").
new_display() {
  local n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PIDS+=($!)
  for _ in $(seq 100); do
    if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then printf -v "$1" ':%s' "$n"; return 0; fi
    sleep 0.1
  done
  echo "could not start a virtual display" >&2
  return 1
}

# Uses the caller's display if there is one, else starts a virtual one; sets DISPLAY. A display
# started here has no window manager.
start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  new_display DISPLAY || return 1
  export DISPLAY NORVANE_OWN_DISPLAY=1
}

stop_display() {
  local runner
  for runner in "${WINE_SERVERS[@]}"; do "$runner" wineserver -k >/dev/null 2>&1 || true; done
  for pid in "${XVFB_PIDS[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
}

# Writes a runner: a command that runs a Windows program under one Wine with one prefix, as
# "runner program args", and that Wine's server as "runner wineserver -p" or "-k". The runners
# of the Wine 10 tree (tools/wine10.sh) take the same calls.
#   write_wine_runner runner loader wineserver prefix arch
write_wine_runner() {
  mkdir -p "$(dirname "$1")"
  {
    echo '#!/usr/bin/env bash'
    printf 'export WINELOADER=%q WINESERVER=%q WINEPREFIX=%q WINEARCH=%q\n' "$2" "$3" "$4" "$5"
    echo '[ "${1:-}" = wineserver ] && { shift; exec "$WINESERVER" "$@"; }'
    echo 'exec "$WINELOADER" "$@"'
  } > "$1"
  chmod +x "$1"
}

# Creates a runner's prefix on first use and keeps one server alive for the run.
# Virtual displays have no window manager: windows are left unmanaged there, or Wine waits two
# seconds for a manager on every hide and destroy of a visible window. A crashing program ends
# at once instead of waiting for a debugger nobody talks to: the prefix names one that does not
# exist, so the system prints the fault and its address and the process ends.
#   prepare_prefix runner prefix     (the prefix the runner uses)
prepare_prefix() {
  local runner=$1 prefix=$2
  if [ ! -f "$prefix/system.reg" ]; then
    mkdir -p "$(dirname "$prefix")"
    "$runner" wineboot -i >/dev/null 2>&1 || true
    # The server that made the prefix is still running, and a server started with -p while
    # another runs only exits; it is let end first.
    "$runner" wineserver -w >/dev/null 2>&1 || true
  fi
  "$runner" wineserver -p >/dev/null 2>&1 || true
  WINE_SERVERS+=("$runner")
  # Start the prefix's services and desktop process here, detached from any output: started by
  # the first test instead, they would inherit its output pipe and keep the test runner waiting.
  "$runner" wineboot >/dev/null 2>&1 || true
  if [ -n "${NORVANE_OWN_DISPLAY:-}" ] && ! grep -q '"Managed"="N"' "$prefix/user.reg" 2>/dev/null; then
    "$runner" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  fi
  if ! grep -q '"Debugger"="no-debugger' "$prefix/system.reg" 2>/dev/null; then
    "$runner" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger \
      /d 'no-debugger %ld %ld' /f >/dev/null 2>&1 || true
  fi
}

# Chooses the one Wine that runs a program for a person or a benchmark: the shipped i686 build
# under 32-bit Wine 8, natively where the kernel runs 32-bit programs and under user-mode
# emulation where it does not (tools/wine-i386.sh, sourced by the caller); where neither works,
# the x86-64 build of the same sources under 64-bit Wine 8. Sets RUN_PRESET, RUN_WINE (a
# runner), RUN_PREFIX and RUN_WHAT (e.g. "the i686 build under 32-bit wine-8.0 (Debian
# 8.0~repack-4)"), builds that preset's programs and prepares the prefix (the display must be up).
#   choose_run_wine [name]   a runner and prefix of that name, so that a benchmark never shares
#                            the test command's (build/<preset>/wine8 and wineprefix by default)
choose_run_wine() {
  local name=${1:-}
  RUN_PRESET=mingw RUN_PREFIX="$NORVANE_ROOT/build/mingw/${name:+$name-}wineprefix" RUN_WINE="$NORVANE_ROOT/build/mingw/${name:+$name-}wine8"
  local how="32-bit" emulated=""
  if [ "$NORVANE_I386" = native ]; then
    write_wine_runner "$RUN_WINE" "$WINE8_32" "$WINE8_32_SERVER" "$RUN_PREFIX" win32
  elif wine8_emulated_prepare; then
    write_wine_runner "$RUN_WINE" "$WINE8_EMULATED" "$WINE8_EMULATED_SERVER" "$RUN_PREFIX" win32
    emulated=", emulated by qemu-i386"
  else
    echo "no Wine here runs the shipped i686 build: using the x86-64 build of the same sources"
    RUN_PRESET=mingw64 RUN_PREFIX="$NORVANE_ROOT/build/mingw64/${name:+$name-}wineprefix" RUN_WINE="$NORVANE_ROOT/build/mingw64/${name:+$name-}wine8"
    write_wine_runner "$RUN_WINE" "$WINE8_64" "$WINE8_64_SERVER" "$RUN_PREFIX" win64
    how="64-bit"
  fi
  cmake --preset "$RUN_PRESET" >/dev/null && cmake --build --preset "$RUN_PRESET" -j "$(nproc)" >/dev/null || return 1
  prepare_prefix "$RUN_WINE" "$RUN_PREFIX"
  RUN_WHAT="the $([ "$RUN_PRESET" = mingw ] && echo i686 || echo x86-64) build under $how $("$RUN_WINE" --version 2>/dev/null | tr -d '\r')$emulated"
}
