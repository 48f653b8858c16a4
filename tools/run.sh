#!/usr/bin/env bash
# Sets everything up, builds Norvane.exe and runs it under Wine: the shipped i686 build, under
# the system's 32-bit Wine or, where the kernel runs no 32-bit programs, under 32-bit Wine run
# by user-mode emulation. With no display it runs on a virtual one, saves a screenshot to
# build/screenshot.png once the label is up, and ends it.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
source tools/wine-env.sh
source tools/wine10.sh
source tools/wine-i386.sh

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  choose_run_wine || exit 1
  echo "run: $RUN_WHAT"
  exec "$RUN_WINE" "build/$RUN_PRESET/Norvane.exe"
fi

start_display || exit 1
trap stop_display EXIT
choose_run_wine || exit 1
echo "run: $RUN_WHAT"
"$RUN_WINE" "build/$RUN_PRESET/Norvane.exe" &
for _ in $(seq 300); do
  xdotool search --name '^Norvane$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
import -window root build/screenshot.png && echo "screenshot: build/screenshot.png"
