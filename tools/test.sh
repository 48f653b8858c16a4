#!/usr/bin/env bash
# Sets everything up, builds Norvane and runs every test: the portable core natively (with
# sanitizers and a short fuzz run), the shipped executable's image checks, then the Win32 tests
# and the end-to-end tests under Wine.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
source tools/wine-env.sh

jobs=$(nproc)
fail=0
logs=()
run_ctest() {  # preset
  # The full output of every test goes to the log; the console shows one line per executable
  # and, for a failed one, its failures.
  local log="build/$1-tests.log"
  ctest --preset "$1" -V > "$log" 2>&1
  [ $? -eq 0 ] || fail=1
  grep -E '^ *[0-9]+/[0-9]+ Test +#|^[0-9]+: .*(Failure|\[  FAILED  \])|tests passed|tests failed' "$log"
  logs+=("$log")
}
configure_and_build() {  # preset, extra cmake arguments...
  local preset=$1; shift
  cmake --preset "$preset" "$@" >/dev/null && cmake --build --preset "$preset" -j "$jobs"
}

configure_and_build host || exit 1
wine_tests=OFF; [ "$NORVANE_TEST_BUILD" = mingw ] && wine_tests=ON
configure_and_build mingw -DNORVANE_RUN_WINE_TESTS=$wine_tests -DNORVANE_WINE="$WINELOADER" || exit 1
if [ "$NORVANE_TEST_BUILD" = mingw64 ]; then
  configure_and_build mingw64 -DNORVANE_RUN_WINE_TESTS=ON -DNORVANE_WINE="$WINELOADER" || exit 1
fi

run_ctest host
start_display || exit 1
trap stop_display EXIT
prepare_prefix
run_ctest mingw
[ "$NORVANE_TEST_BUILD" = mingw64 ] && run_ctest mingw64

# Test cases, counted from every test executable's own summary (ctest prefixes lines with "N: ").
passed=$(cat "${logs[@]}" | grep -oE '^[0-9]+: \[  PASSED  \] [0-9]+' | awk '{s+=$NF} END {print s+0}')
failed=$(cat "${logs[@]}" | grep -oE '^[0-9]+: \[  FAILED  \] [0-9]+ tests?, listed below' | grep -oE '[0-9]+ tests?,' | awk '{s+=$1} END {print s+0}')
echo
echo "tests: ${passed} passed, ${failed} failed"
exit $fail
