#!/usr/bin/env bash
# Sets everything up, builds Norvane and runs every test: the portable core natively (with
# sanitizers and a short fuzz run), the shipped executable's image checks, then the Win32 tests
# and the end-to-end tests of both Windows builds under two Wine versions, the system's Wine 8
# and Wine 10 from a Debian 13 tree in the build folder:
#   where the kernel runs 32-bit programs: the i686 build under 32-bit Wine 8.0 and Wine 10.0,
#     the x86-64 build under 64-bit Wine 8.0;
#   where it does not: the i686 build under 32-bit Wine 8.0 and Wine 10.0 run by user-mode
#     emulation (tools/wine-i386.sh), the x86-64 build under 64-bit Wine 8.0 and Wine 10.0.
# The two builds' suites run side by side, each on a display of its own. The last line counts
# every test case, and every test program that ended without its own summary (a crash, a
# time-out), and names what ran under which Wine and how.
set -uo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh || exit 1
source tools/wine-env.sh
source tools/wine10.sh
source tools/wine-i386.sh

jobs=$(nproc)
status=0
configure_and_build() {  # preset, extra cmake arguments...
  local preset=$1; shift
  cmake --preset "$preset" "$@" >/dev/null && cmake --build --preset "$preset" -j "$jobs"
}
# The full output of every test goes to the preset's log; the console shows one line per
# program and, for a failed one, its failures and the first line of a crash.
run_ctest() {  # preset
  ctest --preset "$1" -V > "build/$1-tests.log" 2>&1
}
show_log() {  # log
  grep -E '^ *[0-9]+/[0-9]+ Test +#|^[0-9]+: (.*(Failure|\[  FAILED  \])|wine: Unhandled|crash: )|tests passed|tests failed' "$1"
}
wine_name() { sed -nE 's/^wine-([0-9]+\.[0-9]+).*/Wine \1/p' <<<"$1"; }

configure_and_build host || exit 1
# Both Windows builds of every program and test, whether or not a Wine here can run them.
configure_and_build mingw -DNORVANE_WINE= -DNORVANE_WINE10= || exit 1
configure_and_build mingw64 -DNORVANE_WINE= -DNORVANE_WINE10= || exit 1
run_ctest host || status=1
show_log build/host-tests.log

start_display || exit 1
trap stop_display EXIT
wine10_prepare || { echo "wine10: no Wine 10 tree could be built"; status=1; WINE10="" WINE10_64=""; }

# The x86-64 suites run beside the i686 ones, on a second display: windows are looked up by
# class there, and input goes to whatever has the focus.
new_display second || exit 1

# A lane is one build under one Wine: its runner is tried once with a program that only lists
# its cases, and a lane that cannot run is reported and fails the command.
declare -A runner=() scale=() ran=()
try_lane() {  # preset label runner prefix scale
  [ -n "$3" ] || return 1
  prepare_prefix "$3" "$4"
  if ! "$3" "build/$1/e2e_tests.exe" --gtest_list_tests >/dev/null 2>&1; then
    echo "tests: $(wine_name "$("$3" --version 2>/dev/null)") does not run the $1 build here ($3)"
    status=1
    return 1
  fi
  runner[$1.$2]=$3 scale[$1.$2]=$5 ran[$1.$2]=$(wine_name "$("$3" --version 2>/dev/null | tr -d '\r')")
}
if [ "$NORVANE_I386" = native ]; then
  write_wine_runner build/mingw/wine8 "$WINE8_32" "$WINE8_32_SERVER" "$PWD/build/mingw/wineprefix" win32
  try_lane mingw wine "$PWD/build/mingw/wine8" "$PWD/build/mingw/wineprefix" 1
  try_lane mingw wine10 "$WINE10" "$WINE10_PREFIX" 1
  i686_how=""
else
  # Emulated, a program starts about four times slower; the suites' own waits are unchanged.
  if wine8_emulated_prepare; then
    write_wine_runner build/mingw/wine8 "$WINE8_EMULATED" "$WINE8_EMULATED_SERVER" "$PWD/build/mingw/wineprefix" win32
    try_lane mingw wine "$PWD/build/mingw/wine8" "$PWD/build/mingw/wineprefix" 4
  else
    status=1
  fi
  if [ -n "$WINE10_64" ] && wine10_emulated_prepare; then
    try_lane mingw wine10 "$WINE10_EMULATED" "$WINE10_EMULATED_PREFIX" 4
  else
    status=1
  fi
  DISPLAY=$second NORVANE_OWN_DISPLAY=1 try_lane mingw64 wine10 "$WINE10_64" "$WINE10_64_PREFIX" 1
  i686_how=", emulated by qemu-i386"
fi
write_wine_runner build/mingw64/wine8 "$WINE8_64" "$WINE8_64_SERVER" "$PWD/build/mingw64/wineprefix" win64
DISPLAY=$second NORVANE_OWN_DISPLAY=1 try_lane mingw64 wine "$PWD/build/mingw64/wine8" "$PWD/build/mingw64/wineprefix" 1

configure_lanes() {  # preset
  cmake --preset "$1" -DNORVANE_WINE="${runner[$1.wine]:-}" -DNORVANE_WINE_SCALE="${scale[$1.wine]:-1}" \
    -DNORVANE_WINE10="${runner[$1.wine10]:-}" -DNORVANE_WINE10_SCALE="${scale[$1.wine10]:-1}" >/dev/null
}
configure_lanes mingw || exit 1
configure_lanes mingw64 || exit 1
DISPLAY=$second run_ctest mingw64 &
x64=$!
run_ctest mingw || status=1
wait $x64 || status=1
show_log build/mingw-tests.log
show_log build/mingw64-tests.log

# What ran, for the closing line.
join() { local IFS=/; local s="$*"; echo "${s//\// and }"; }
names() { local l out=(); for l in wine wine10; do [ -n "${ran[$1.$l]:-}" ] && out+=("${ran[$1.$l]}"); done; join "${out[@]}"; }
what=()
if [ -n "$(names mingw)" ]; then
  what+=("i686 Norvane.exe under 32-bit $(names mingw)$i686_how")
else
  echo "THE SHIPPED i686 Norvane.exe WAS NOT RUN: no Wine here could run 32-bit Windows programs"
  status=1
fi
[ -n "$(names mingw64)" ] && what+=("x86-64 build under 64-bit $(names mingw64)") || status=1

# Test cases, counted from each program's own lines (ctest prefixes them with "N: "); a program
# that failed without a failed case of its own (a crash, a time-out, an exit code) counts as one
# failed case, by name, a passing program without cases (a script) as one passed case, and one
# that ctest reports skipped (a case this machine cannot stage) as one skipped case, by name.
summary=$(awk '
  BEGIN { build[1] = "host:"; build[2] = "i686:"; build[3] = "x86-64:" }
  FNR == 1 { file++ }
  match($0, /^[0-9]+: /) { n = file ":" substr($0, 1, RLENGTH - 2); line = substr($0, RLENGTH + 1)
    if (line ~ /^\[       OK \] /) ok[n]++
    if (line ~ /^\[  FAILED  \] .* \([0-9]+ ms\)$/) bad[n]++ }
  match($0, /^ *[0-9]+\/[0-9]+ Test +#[0-9]+: /) {
    split(substr($0, RSTART, RLENGTH), f, "#"); n = file ":" (f[2] + 0)
    rest = substr($0, RLENGTH + 1); name = rest; sub(/ .*/, "", name)
    state[n] = rest ~ / Passed / ? "passed" : rest ~ /\*Skipped / ? "skipped" : rest
    sub(/^[^ ]* \.*\** */, "", state[n]); title[n] = name }
  END {
    for (n in state) {
      passed += ok[n] + 0; failed += bad[n] + 0
      if (state[n] == "passed" && ok[n] + bad[n] == 0) passed++
      if (state[n] == "skipped") {
        skipped++
        split(n, at, ":")
        printf "skipped: %s %s\n", build[at[1]], title[n]
        continue
      }
      if (state[n] != "passed" && bad[n] + 0 == 0) {
        failed++
        split(n, at, ":")
        printf "failed without a summary: %s %s (%s)\n", build[at[1]], title[n], state[n]
      }
    }
    printf "%d %d %d\n", passed, failed, skipped
  }' build/host-tests.log build/mingw-tests.log build/mingw64-tests.log)
echo "$summary" | sed '$d'
read -r passed failed skipped <<<"$(echo "$summary" | tail -1)"
# A record that keeps only the end of this output still says why: the first failures of each
# failed program in their own words, a few lines each, right above the closing line.
if [ "$failed" -gt 0 ]; then
  echo
  echo "first failures, in their own words:"
  awk '{ sub(/\r$/, ""); lane = FILENAME ~ /mingw64/ ? "x86-64" : FILENAME ~ /mingw/ ? "i686" : "host" }
    shown >= 40 { exit }
    left > 0 && /^[0-9]+: / { print lane " " $0; shown++; left--; next }
    { left = 0 }
    /^[0-9]+: .*: Failure$/ && blocks[lane $1]++ < 4 { print lane " " $0; shown++; left = 4 }' \
    build/host-tests.log build/mingw-tests.log build/mingw64-tests.log
fi
[ "$failed" -gt 0 ] && status=1
[ "$status" -ne 0 ] && [ "$failed" -eq 0 ] && { echo "tests: a step above failed without a failed case"; failed=1; }
echo
echo "tests: ${passed} passed, ${failed} failed, ${skipped} skipped ($(IFS=';'; echo "${what[*]}" | sed 's/;/; /g'))"
exit $status
