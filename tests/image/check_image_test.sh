#!/usr/bin/env bash
# The image check refuses what would keep the exe from running on an old processor or loading on
# Windows 95 and NT 4.0: small programs built with the compiler's default processor, or calling a
# Windows 2000 function directly, each fail the check that guards against it, naming the culprit.
# (The probes carry the C runtime's start-up code, itself built for the Pentium Pro, which the
# product leaves out; the product's own image is the check that passes.)
set -uo pipefail
check=$(dirname "$0")/../../tools/check-image.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/probe.c" <<'C'
#include <windows.h>
int pick(int a, int b) { return a < b ? a : b; }
int WINAPI WinMain(HINSTANCE i, HINSTANCE p, LPSTR c, int s) {
#ifdef LATER_FUNCTION
    LARGE_INTEGER size;
    GetFileSizeEx(GetStdHandle(STD_INPUT_HANDLE), &size);
#endif
    return pick((int)(INT_PTR)i, s) + MulDiv(s, 2, 3);
}
C
fail=0
# flags, the check's line that must fail, what it must name
rows=(
  "-march=pentiumpro -O2|code an 80386 executes|cmov"
  "-march=i386 -O2 -DLATER_FUNCTION -D_WIN32_WINNT=0x0500|imports only functions of Windows 95 and NT 4.0|KERNEL32.DLL!GETFILESIZEEX"
)
for row in "${rows[@]}"; do
  IFS='|' read -r flags line named <<<"$row"
  # shellcheck disable=SC2086
  i686-w64-mingw32-gcc $flags -mwindows -s -o "$work/probe.exe" "$work/probe.c" || { echo "FAIL build ($flags)"; fail=1; continue; }
  out=$(bash "$check" "$work/probe.exe" | grep -F " $line")
  if [[ "$out" == FAIL* && "$out" == *"$named"* ]]; then
    echo "ok   $flags: refused, naming $named"
  else
    echo "FAIL $flags: expected \"$line\" to fail naming $named, got: ${out:-nothing}"
    fail=1
  fi
done
exit $fail
