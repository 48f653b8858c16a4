#!/usr/bin/env bash
# Checks the shipped Norvane.exe without running it: a PE32 GUI executable with subsystem
# version 4.0, the program icon and version information, no manifest that requests an execution
# level, imports of the system's own DLLs only and of no function outside tools/imports.txt
# (each present on Windows 95 and NT 4.0), and code that an 80386 executes.
set -euo pipefail
exe=$1
fail=0
check() { if eval "$2"; then echo "ok   $1"; else echo "FAIL $1"; fail=1; fi; }
headers=$(i686-w64-mingw32-objdump -p "$exe")
check "PE32 for i386" "i686-w64-mingw32-objdump -f '$exe' | grep -q 'file format pei-i386'"
check "GUI subsystem" "grep -q 'Subsystem.*(Windows GUI)' <<<\"\$headers\""
check "subsystem version 4.0" "grep -qP 'MajorSubsystemVersion\t4$' <<<\"\$headers\" && grep -qP 'MinorSubsystemVersion\t0$' <<<\"\$headers\""
imports=$(grep 'DLL Name' <<<"$headers" | awk '{print toupper($3)}' | sort -u | tr '\n' ' ')
# The libraries every 32-bit Windows has had from Windows 95 and NT 3.51 on (WSOCK32.DLL is not
# one of them: a Windows 95 without networking lacks it).
allowed=" ADVAPI32.DLL COMCTL32.DLL COMDLG32.DLL CRTDLL.DLL GDI32.DLL KERNEL32.DLL SHELL32.DLL USER32.DLL "
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

# Every imported function, as DLL!name. A function that is not in the reviewed list fails the
# check: the list names only functions that Windows 95 and NT 4.0 both export, and a later one is
# bound late instead (a static import of it keeps the exe from loading on those systems).
functions=$(awk '/DLL Name:/ {dll = toupper($3); next} /Member-Name/ {next}
                 dll && /^\t[0-9a-f]+\t/ {print dll "!" $NF} /^$/ {dll = dll}' <<<"$headers" | sort -u)
upper_sorted() { awk 'NF && !/^#/ {print toupper($1)}' | LC_ALL=C sort -u; }
unlisted=$(LC_ALL=C comm -23 <(upper_sorted <<<"$functions") <(upper_sorted < "$(dirname "$0")/imports.txt"))
echo "info imports $(wc -l <<<"$functions") functions: $(tr '\n' ' ' <<<"$functions")"
check "imports only functions of Windows 95 and NT 4.0 (tools/imports.txt)${unlisted:+: not listed: $(echo $unlisted)}" "[ -z '$unlisted' ]"
unused=$(LC_ALL=C comm -13 <(upper_sorted <<<"$functions") <(upper_sorted < "$(dirname "$0")/imports.txt"))
[ -z "$unused" ] || echo "info listed in tools/imports.txt but no longer imported: $(echo $unused)"

# Instructions an 80386 does not execute, in every code section, the pieces the linker took from
# the compiler's own library included: the 486's (BSWAP, CMPXCHG, XADD, INVD, WBINVD, INVLPG),
# the Pentium's (CPUID, CMPXCHG8B, RDTSC, RDMSR, WRMSR), the Pentium Pro's (CMOVcc, FCMOVcc,
# FCOMI, FUCOMI, RDPMC, multi-byte NOPs), later ones (SYSENTER, SYSCALL, FXSAVE, fences, cache
# and prefetch hints, FISTTP, POPCNT, LZCNT, TZCNT, MOVBE, CRC32, ...) and every MMX, SSE or AVX
# register. Plain x87 instructions are allowed: Windows 95 and NT 4.0 emulate the coprocessor
# where the processor has none. UD2 is allowed: it is there to fault, and faults alike on a 386.
# Bytes that decode to nothing, "(bad)", are data at the end of the code (the constructor lists).
forbidden='^(cmov|fcmov|fu?comip?$|bswap|cmpxchg|xadd|invd|wbinvd|invlpg|cpuid|rdtsc|rdmsr|wrmsr|rdpmc|rsm$|sys(enter|exit|call|ret)|fxsave|fxrstor|xsave|xrstor|xgetbv|[lsm]fence|clflush|prefetch|movnti|fisttp|popcnt|lzcnt|tzcnt|movbe|crc32|rdrand|rdseed|emms|femms|nop[lwq])'
code=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$exe" |
       awk -F'\t' 'NF >= 2 && $1 ~ /^ *[0-9a-f]+:$/ {sub(/^ */, "", $1); print $1 "\t" $2}')
offending=$(awk -F'\t' -v forbidden="$forbidden" '{split($2, word, " ")}
    word[1] ~ forbidden || word[2] ~ forbidden || $2 ~ /%(x|y|z)?mm[0-9]/ {print $1 " " $2}' <<<"$code")
x87=$(awk -F'\t' '$2 ~ /^f/ && $2 !~ /^(fs|fwait)/' <<<"$code" | wc -l)
echo "info code $(wc -l <<<"$code") instructions, $x87 of them x87"
check "code an 80386 executes${offending:+: $(head -5 <<<"$offending" | tr '\n' ';')}" "[ -z '$offending' ]"

size=$(stat -c %s "$exe")
echo "info size $size bytes"
[ $fail -eq 0 ] && echo "product image: all checks passed"
exit $fail
