#!/usr/bin/env bash
# Sets everything up, builds Norvane.exe and runs it under Wine. With no display it runs on a
# virtual one, saves a screenshot to build/screenshot.png once the label is up, and ends it.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
source tools/wine-env.sh
preset=$NORVANE_TEST_BUILD
cmake --preset "$preset" -DNORVANE_WINE="$WINELOADER" >/dev/null &&
  cmake --build --preset "$preset" -j "$(nproc)" --target Norvane || exit 1
exe=build/$preset/Norvane.exe

if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  prepare_prefix
  exec "$WINELOADER" "$exe"
fi

start_display || exit 1
trap stop_display EXIT
prepare_prefix
"$WINELOADER" "$exe" &
for _ in $(seq 100); do
  xdotool search --name '^Norvane$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 1
import -window root build/screenshot.png && echo "screenshot: build/screenshot.png"
