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
  cmake --build --preset "$preset" -j "$(nproc)" --target bench_driver work_area_hook >/dev/null || exit 1
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
    NORVANE_FLOOR_EXE="$PWD/build/$preset/floor_window.exe" \
    "$WINELOADER" "build/$preset/bench_driver.exe" "$runs" | tr -d '\r'
  # Idle CPU and memory of the running program, read from the host kernel: Wine reports neither
  # another process's CPU times nor its private bytes.
  rm -f "$WINEPREFIX/drive_c/windows/Norvane.ini"
  "$WINELOADER" "build/$preset/Norvane.exe" >/dev/null 2>&1 &
  for _ in $(seq 200); do xdotool search --name '^Norvane$' >/dev/null 2>&1 && break; sleep 0.05; done
  sleep 1
  pid=$(pgrep -f 'Norvane\.exe' | head -1)
  ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
  kib() { awk -v f="$1" '$1 == f {s += $2} END {print s + 0}' "/proc/$pid/smaps_rollup"; }
  private() { echo $(( $(kib Private_Clean:) + $(kib Private_Dirty:) )); }
  rss=$(kib Rss:) private=$(private)
  t0=$(ticks); s0=$(date +%s.%N)
  sleep 10
  t1=$(ticks); s1=$(date +%s.%N)
  hz=$(getconf CLK_TCK)
  awk -v t="$((t1 - t0))" -v hz="$hz" -v a="$s0" -v b="$s1" \
    'BEGIN {printf "| Idle CPU over %.0f s | %.4f CPU s per wall s | | |\n", b - a, t / hz / (b - a)}'
  echo "| Memory after start-up | private $private KiB | resident $rss KiB | |"
  # 100 renderings to settle the allocator and caches, then 1000 measured ones.
  NORVANE_WORK_AREA_HOOK="$PWD/build/$preset/work_area_hook.dll" "$WINELOADER" "build/$preset/bench_driver.exe" render 100 >/dev/null
  rss0=$(kib Rss:) private0=$(private)
  took=$(NORVANE_WORK_AREA_HOOK="$PWD/build/$preset/work_area_hook.dll" "$WINELOADER" "build/$preset/bench_driver.exe" render 1000 | tr -d '\r')
  rss1=$(kib Rss:) private1=$(private)
  echo "| Growth over 1000 renderings ($took) | private $((private1 - private0)) KiB | resident $((rss1 - rss0)) KiB | |"
  kill "$pid" 2>/dev/null
  size=$(stat -c %s build/mingw/Norvane.exe)
  echo "| Norvane.exe (32-bit, shipped) | $size bytes ($((size / 1024)) KiB) | target 65536 | |"
  imports=$(i686-w64-mingw32-objdump -p build/mingw/Norvane.exe | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')
  echo "| Imported DLLs | $imports | | |"
} | tee "$out"
