#!/usr/bin/env bash
# Runs every fuzz target of the portable core for the given number of seconds each (default
# 600) and prints libFuzzer's final statistics. Crashes are kept under build/fuzz/.
set -uo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
bash tools/setup.sh >/dev/null || exit 1
cmake --preset host >/dev/null && cmake --build --preset host -j "$(nproc)" >/dev/null || exit 1
mkdir -p build/fuzz
status=0
for target in build/host/fuzz_*; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  mkdir -p "build/fuzz/$name"
  echo "== $name for $seconds s"
  "$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
    -artifact_prefix="build/fuzz/$name/" "build/fuzz/$name" 2>&1 |
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done|==[0-9]+==ERROR|SUMMARY)' || true
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
exit $status
