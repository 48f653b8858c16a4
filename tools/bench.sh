#!/usr/bin/env bash
# Benchmarks Norvane under Wine: start-up against a minimal window program, one rendering
# against one popup with a static child, idle CPU, memory, input on Wine's clock and on a
# Windows clock tick, and the shipped executable's size and imports. Results:
# build/bench/results.md (copy them into docs/performance.md).
set -uo pipefail
cd "$(dirname "$0")/.."
runs=${1:-15}
bash tools/setup.sh >/dev/null || exit 1
source tools/wine-env.sh
source tools/wine10.sh
source tools/wine-i386.sh
start_display || exit 1
trap stop_display EXIT
choose_run_wine bench || exit 1
preset=$RUN_PRESET wine=$RUN_WINE
out=build/bench/results.md
mkdir -p build/bench
{
  echo "# Benchmark results"
  echo
  echo "Date: $(date -u +%Y-%m-%d). Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'),"
  echo "Measured: $RUN_WHAT."
  case "$RUN_WHAT" in *emulated*)
    echo
    echo "These figures come from user-mode emulation of a 32-bit machine: its milliseconds measure the"
    echo "emulator, not the product. The ratios of one run still compare programs that ran alike." ;;
  esac
  echo
  echo "| Measure | Norvane | Baseline | Ratio |"
  echo "|---|---|---|---|"
  NORVANE_EXE="$PWD/build/$preset/Norvane.exe" NORVANE_BASELINE_EXE="$PWD/build/$preset/baseline_window.exe" \
    NORVANE_FLOOR_EXE="$PWD/build/$preset/floor_window.exe" \
    "$wine" "build/$preset/bench_driver.exe" "$runs" | tr -d '\r'
  # Idle CPU and memory of the running program, read from the host kernel: Wine reports neither
  # another process's CPU times nor its private bytes.
  rm -f "$RUN_PREFIX/drive_c/windows/Norvane.ini"
  # A program started in the background is the host process $! itself: the loader and the
  # Wine 10 runner replace themselves with it.
  ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
  kib() { awk -v f="$2" '$1 == f {s += $2} END {print s + 0}' "/proc/$1/smaps_rollup"; }
  private() { echo $(( $(kib "$1" Private_Clean:) + $(kib "$1" Private_Dirty:) )); }
  idle_cpu() {  # pid: CPU seconds per wall second over 10 s
    local t0 s0 t1 s1
    t0=$(ticks "$1"); s0=$(date +%s.%N)
    sleep 10
    t1=$(ticks "$1"); s1=$(date +%s.%N)
    awk -v t="$((t1 - t0))" -v hz="$(getconf CLK_TCK)" -v a="$s0" -v b="$s1" 'BEGIN {printf "%.4f", t / hz / (b - a)}'
  }
  "$wine" "build/$preset/bench_driver.exe" idle >/dev/null 2>&1 &
  floor_pid=$!
  "$wine" "build/$preset/Norvane.exe" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 200); do xdotool search --name '^Norvane$' >/dev/null 2>&1 && break; sleep 0.05; done
  sleep 1
  rss=$(kib $pid Rss:) private=$(private $pid)
  idle=$(idle_cpu $pid)
  idle_floor=$(idle_cpu $floor_pid)
  # The same on a Windows clock: the hook inside the program makes its sleeps of 1-15 ms last 16.
  hook="$PWD/build/$preset/work_area_hook.dll"
  NORVANE_WORK_AREA_HOOK=$hook "$wine" "build/$preset/bench_driver.exe" tick 16 >/dev/null
  idle_tick=$(idle_cpu $pid)
  NORVANE_WORK_AREA_HOOK=$hook "$wine" "build/$preset/bench_driver.exe" tick 0 >/dev/null
  kill "$floor_pid" 2>/dev/null
  echo "| Idle CPU over 10 s, CPU s per wall s | $idle | idle floor (PeekMessageA + Sleep(1) loop) $idle_floor | $(awk -v a="$idle" -v b="$idle_floor" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}') |"
  echo "| Idle CPU over 10 s on a 16 ms clock, CPU s per wall s | $idle_tick | | |"
  echo "| Memory after start-up | private $private KiB | resident $rss KiB | |"
  # 100 renderings to settle the allocator and caches, then two rounds of 1000 measured ones,
  # of the program and of the baseline, which shows its window pair afresh the same way.
  growth() {  # pid, label, extra argument of the driver
    NORVANE_WORK_AREA_HOOK=$hook "$wine" "build/$preset/bench_driver.exe" render 100 ${3:-} >/dev/null
    local round p0 r0 took
    for round in first second; do
      r0=$(kib $1 Rss:) p0=$(private $1)
      took=$(NORVANE_WORK_AREA_HOOK=$hook "$wine" "build/$preset/bench_driver.exe" render 1000 ${3:-} | tr -d '\r')
      echo "| Growth of the $2 over the $round 1000 renderings ($took) | private $(( $(private $1) - p0 )) KiB | resident $(( $(kib $1 Rss:) - r0 )) KiB | |"
    done
  }
  growth $pid program
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null  # one label per session: the next start must not find this one
  # Idle with the address shown, which is looked up again in the background every few seconds.
  printf 'ShowIP = 1\r\n' > "$RUN_PREFIX/drive_c/windows/Norvane.ini"
  "$wine" "build/$preset/Norvane.exe" >/dev/null 2>&1 &
  pid=$!
  for _ in $(seq 200); do xdotool search --name '^Norvane$' >/dev/null 2>&1 && break; sleep 0.05; done
  sleep 1
  idle_ip=$(idle_cpu $pid)
  NORVANE_WORK_AREA_HOOK=$hook "$wine" "build/$preset/bench_driver.exe" tick 16 >/dev/null
  idle_ip_tick=$(idle_cpu $pid)
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  rm -f "$RUN_PREFIX/drive_c/windows/Norvane.ini"
  echo "| Idle CPU over 10 s with the address shown (ShowIP = 1), CPU s per wall s | $idle_ip | on a 16 ms clock $idle_ip_tick | $(awk -v a="$idle_ip" -v b="$idle_floor" 'BEGIN {printf "%.2f", (b > 0 ? a / b : 0)}') |"
  "$wine" "build/$preset/baseline_window.exe" >/dev/null 2>&1 &
  baseline_pid=$!
  for _ in $(seq 200); do xdotool search --name '^Baseline$' >/dev/null 2>&1 && break; sleep 0.05; done
  growth $baseline_pid baseline baseline
  kill "$baseline_pid" 2>/dev/null
  # Input on Wine's clock and on a 16 ms one, in a program of its own started with the hook.
  NORVANE_EXE="$PWD/build/$preset/Norvane.exe" NORVANE_WORK_AREA_HOOK=$hook \
    "$wine" "build/$preset/bench_driver.exe" clock 10 | tr -d '\r'
  size=$(stat -c %s build/mingw/Norvane.exe)
  echo "| Norvane.exe (32-bit, shipped) | $size bytes ($((size / 1024)) KiB) | target 65536 | |"
  imports=$(i686-w64-mingw32-objdump -p build/mingw/Norvane.exe | awk '/DLL Name:/ {print $3}' | tr '\n' ' ')
  echo "| Imported DLLs | $imports | | |"
  # One start (each in a fresh process, after a start of Norvane.exe seen from outside) and one
  # rendering taken apart into their steps, timed in-process by the driver running the program's
  # own functions in the program's order.
  echo
  NORVANE_EXE="$PWD/build/$preset/Norvane.exe" "$wine" "build/$preset/bench_driver.exe" steps "$runs" 400 | tr -d '\r'
} | tee "$out"
