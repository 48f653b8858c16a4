#!/usr/bin/env bash
# Benchmarks Norvane under Wine: start-up against a minimal window program, one rendering
# against one popup with a static child, idle CPU, memory, and the shipped executable's size
# and imports. Results: build/bench/results.md (copy them into docs/performance.md).
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
bash tools/setup.sh >/dev/null || exit 1
source tools/wine-env.sh
preset=$NORVANE_TEST_BUILD
cmake --preset mingw -DNORVANE_RUN_WINE_TESTS=OFF >/dev/null && cmake --build --preset mingw -j "$(nproc)" >/dev/null || exit 1
cmake --preset "$preset" -DNORVANE_WINE="$WINELOADER" >/dev/null &&
  cmake --build --preset "$preset" -j "$(nproc)" --target bench_driver >/dev/null || exit 1
start_display || exit 1
trap stop_display EXIT
prepare_prefix
out=build/bench/results.md
mkdir -p build/bench
{
  echo "# Benchmark results"
  echo
  echo "Date: $(date -u +%Y-%m-%d). Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"
  echo "$(wine64 --version 2>/dev/null || "$WINELOADER" --version), measured build: $preset."
  echo
  echo "| Measure | Norvane | Baseline | Ratio |"
  echo "|---|---|---|---|"
  NORVANE_EXE="$PWD/build/$preset/Norvane.exe" NORVANE_BASELINE_EXE="$PWD/build/$preset/baseline_window.exe" \
    "$WINELOADER" "build/$preset/bench_driver.exe" "$runs" | tr -d '\r'
  size=$(stat -c %s build/mingw/Norvane.exe)
  echo "| Norvane.exe (32-bit, shipped) | $size bytes ($((size / 1024)) KiB) | target 65536 | |"
  imports=$(i686-w64-mingw32-objdump -p build/mingw/Norvane.exe | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')
  echo "| Imported DLLs | $imports | | |"
} | tee "$out"
