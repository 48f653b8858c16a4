#!/usr/bin/env bash
# With no computer-name key for its Windows version, Norvane sounds one exclamation beep and
# ends with exit code 0 before showing anything. The beep leaves no trace but a platform call,
# so the program runs under a relay trace.
# Usage: missing_computer_name.sh <wine loader> <Norvane.exe>   (WINEPREFIX set by the caller)
set -u
wine=$1 exe=$2
key='HKLM\System\CurrentControlSet\Services\VxD\VNETSUP'
app='HKCU\Software\Wine\AppDefaults\Norvane.exe'
"$wine" reg delete "$key" /f >/dev/null 2>&1
"$wine" reg add "$app" /v Version /d win98 /f >/dev/null 2>&1
trace=$(mktemp)
WINEDEBUG=+relay timeout 120 "$wine" "$exe" 2> "$trace"
code=$?
"$wine" reg delete "$app" /f >/dev/null 2>&1
beeps=$(grep -cE 'Call user32\.MessageBeep\(0*30\)' "$trace")
windows=$(grep -cE 'Call user32\.CreateWindowExA\(' "$trace")
rm -f "$trace"
echo "exit code $code, exclamation beeps $beeps, windows created $windows"
[ "$code" -eq 0 ] && [ "$beeps" -eq 1 ] && [ "$windows" -eq 0 ]
