#!/usr/bin/env bash
# Runs win32_density once per row: 96, 120, 144 and 192 pixels per inch with the Western font,
# and 96 under Japanese and Simplified Chinese. A process reads the density when it starts, so
# each row imports it into the prefix first (the key current Wine reads, and the one older Wine
# reads); the locale's code page and national font come from LANG and LC_ALL.
# Usage: density.sh <wine runner> <win32_density.exe>
set -u
wine=$1 exe=$2 status=0
# Beside the program: a Wine that runs in a tree of its own sees the build folder, not /tmp.
reg=$(dirname "$exe")/density-$$.reg
set_density() {
  printf 'REGEDIT4\r\n\r\n[%s]\r\n"LogPixels"=dword:%08x\r\n\r\n[%s]\r\n"LogPixels"=dword:%08x\r\n' \
    'HKEY_CURRENT_USER\Control Panel\Desktop' "$1" \
    'HKEY_LOCAL_MACHINE\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' "$1" > "$reg"
  "$wine" reg import "Z:${reg//\//\\}" >/dev/null 2>&1
}
# However the run ends, the prefix is left at 96 for the tests that follow in it.
trap 'set_density 96; rm -f "$reg"' EXIT
trap 'exit 1' INT TERM
for row in "96 1252" "120 1252" "144 1252" "192 1252" "96 932 ja_JP.UTF-8" "96 936 zh_CN.UTF-8"; do
  read -r density code_page locale <<<"$row"
  echo "density row: $row"
  set_density "$density"
  env ${locale:+LANG=$locale LC_ALL=$locale} NORVANE_DENSITY="$density" NORVANE_CODE_PAGE="$code_page" \
    "$wine" "$exe" || status=1
done
exit $status
