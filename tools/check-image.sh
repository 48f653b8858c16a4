#!/usr/bin/env bash
# Checks the shipped Norvane.exe without running it: a PE32 GUI executable with subsystem
# version 4.0, the program icon and version information, no manifest, and imports of the
# system's own DLLs only.
set -euo pipefail
exe=$1
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }
headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 for i386" "i686-w64-mingw32-objdump -f '$exe' | grep -q 'file format pei-i386'"
check "GUI subsystem" "grep -q 'Subsystem.*(Windows GUI)' <<<\"\$headers\""
check "subsystem version 4.0" "grep -qP 'MajorSubsystemVersion\t4$' <<<\"\$headers\" && grep -qP 'MinorSubsystemVersion\t0$' <<<\"\$headers\""
imports=$(grep 'DLL Name' <<<"$headers" | awk '{print toupper($3)}' | sort -u | tr '\n' ' ')
# The libraries every 32-bit Windows has had from Windows 95 and NT 3.51 on.
allowed=" ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL CRTDLL.DLL GDI32.DLL KERNEL32.DLL SHELL32.DLL USER32.DLL WSOCK32.DLL "
bad=""
for dll in $imports; do [[ "$allowed" == *" $dll "* ]] || bad="$bad $dll"; done
check "imports only system DLLs ($imports)" "[ -z '$bad' ]"
# The resource directory as type/name pairs of hexadecimal IDs, from objdump's listing in which
# a type entry is indented by three spaces and its names by five: type 0xe is an icon group,
# type 0x10 a version block.
resources=" $(awk '/^[0-9a-f]+   Entry: ID:/ {type = $4} /^[0-9a-f]+     Entry: ID:/ {print type "/" $4}' <<<"$headers" | tr -d , | tr '\n' ' ')"
check "program icon: icon group 1" "[[ '$resources' == *' 0x00000e/0x000001 '* ]]"
check "version information block 1" "[[ '$resources' == *' 0x000010/0x000001 '* ]]"
check "no manifest requesting an execution level" "! grep -qa 'requestedExecutionLevel' '$exe'"
size=$(stat -c %s "$exe")
echo "info size $size bytes"
[ $fail -eq 0 ] && echo "product image: all checks passed"
exit $fail
