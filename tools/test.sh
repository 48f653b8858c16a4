#!/usr/bin/env bash
# Sets everything up, builds Norvane and runs every test: the portable core natively (with
# sanitizers and a short fuzz run), the shipped executable's image checks, then the Win32 tests
# and the end-to-end tests under two Wine versions: the system's Wine 8 and Wine 10 from a
# Debian 13 tree in the build folder. The shipped i686 build runs under both where the kernel
# runs 32-bit programs; where it does not, it runs under Wine 10's WoW64 mode, and the x86-64
# build of the same sources under the system's 64-bit Wine 8.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
source tools/wine-env.sh
source tools/wine10.sh

jobs=$(nproc)
fail=0
logs=()
ran=()
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
wine_name() { sed -nE 's/^wine-([0-9]+\.[0-9]+).*/Wine \1/p' <<<"$1"; }

configure_and_build host || exit 1
# Every Windows executable is built for i686, whether or not a Wine here can run it.
configure_and_build mingw -DNORVANE_WINE= -DNORVANE_WINE10= || exit 1

run_ctest host
start_display || exit 1
trap stop_display EXIT

wine10="" wine10_i686=""
if wine10_prepare; then
  wine10=$(wine_name "$(wine10_version)")
  prepare_prefix "$WINE10" "$WINE10_SERVER" "$WINE10_PREFIX"
  # Whether Wine 10 runs the i686 build on this kernel is tried once, with a program that only
  # lists its cases.
  wine10_i686=$wine10
  [ "$WINE10_MODE" = wow64 ] && wine10_i686="$wine10 (WoW64)"
  if ! "$WINE10" build/mingw/e2e_tests.exe --gtest_list_tests >/dev/null 2>&1; then
    echo "wine10: $wine10_i686 does not run the i686 build here"
    wine10_i686=""
  fi
else
  echo "wine10: no Wine 10 tree could be built"
  fail=1
fi
wine8=$(wine_name "$("$WINELOADER" --version 2>/dev/null)")

i686_wines=()
mingw_args=(-DNORVANE_WINE= -DNORVANE_WINE10=)
if [ "$NORVANE_TEST_BUILD" = mingw ]; then
  i686_wines+=("$wine8")
  mingw_args[0]=-DNORVANE_WINE="$WINELOADER"
  prepare_prefix
fi
if [ -n "$wine10_i686" ]; then
  i686_wines+=("$wine10_i686")
  mingw_args[1]=-DNORVANE_WINE10="$WINE10"
fi
configure_and_build mingw "${mingw_args[@]}" >/dev/null || exit 1
run_ctest mingw

# Where no Wine here runs the i686 build, the x86-64 build of the same sources is tested under
# both Wines instead.
x64_wines=()
if [ ${#i686_wines[@]} -eq 0 ]; then
  x64_wines+=("$wine8")
  mingw64_args=(-DNORVANE_WINE="$WINELOADER" -DNORVANE_WINE10=)
  if [ -n "$wine10" ]; then
    x64_wines+=("$wine10")
    mingw64_args[1]=-DNORVANE_WINE10="$WINE10"
  fi
  configure_and_build mingw64 "${mingw64_args[@]}" >/dev/null || exit 1
  prepare_prefix "$WINELOADER" "$WINESERVER" "$NORVANE_ROOT/build/mingw64/wineprefix"
  run_ctest mingw64
fi

# What ran, for the closing line.
join() { local IFS=/; local s="$*"; echo "${s//\// and }"; }
if [ ${#i686_wines[@]} -gt 0 ]; then
  ran+=("i686 Norvane.exe under $(join "${i686_wines[@]}")")
else
  echo "THE SHIPPED i686 Norvane.exe WAS NOT RUN: no Wine here runs 32-bit Windows programs"
fi
[ ${#x64_wines[@]} -gt 0 ] && ran+=("x86-64 build under $(join "${x64_wines[@]}")")

# Test cases, counted from every test executable's own summary (ctest prefixes lines with "N: ").
passed=$(cat "${logs[@]}" | grep -oE '^[0-9]+: \[  PASSED  \] [0-9]+' | awk '{s+=$NF} END {print s+0}')
failed=$(cat "${logs[@]}" | grep -oE '^[0-9]+: \[  FAILED  \] [0-9]+ tests?, listed below' | grep -oE '[0-9]+ tests?,' | awk '{s+=$1} END {print s+0}')
echo
echo "tests: ${passed} passed, ${failed} failed ($(IFS=';'; echo "${ran[*]}" | sed 's/;/; /g'))"
exit $fail
