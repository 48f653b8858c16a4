#!/usr/bin/env bash
# Runs the density checks (win32_density) once per row: 96, 120, 144 and 192 pixels per inch
# with the Western default font, and 96 under a Japanese and a Simplified Chinese locale. The
# system reads the density when a process starts, so each row sets it in the prefix first (one
# registry import); the locale's code page and national dialog font come from LANG and LC_ALL.
# The prefix is left at 96. Usage: density.sh <wine runner> <win32_density.exe>
set -u
wine=$1 exe=$2
reg=$(mktemp --suffix=.reg)
trap 'rm -f "$reg"' EXIT
set_density() {  # pixels per inch, in the key current Wine reads and the one older Wine reads
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Control Panel\\Desktop]\r\n"LogPixels"=dword:%08x\r\n\r\n[HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts]\r\n"LogPixels"=dword:%08x\r\n' \
    "$1" "$1" > "$reg"
  "$wine" reg import "Z:${reg//\//\\}" >/dev/null 2>&1
}
status=0
# density  code page  locale (empty: the caller's)
rows="96 1252 -
120 1252 -
144 1252 -
192 1252 -
96 932 ja_JP.UTF-8
96 936 zh_CN.UTF-8"
while read -r density code_page locale; do
  echo "density row: $density pixels per inch, code page $code_page$([ "$locale" = - ] || echo ", $locale")"
  set_density "$density"
  if [ "$locale" = - ]; then
    NORVANE_DENSITY=$density NORVANE_CODE_PAGE=$code_page "$wine" "$exe" || status=1
  else
    LANG=$locale LC_ALL=$locale NORVANE_DENSITY=$density NORVANE_CODE_PAGE=$code_page "$wine" "$exe" || status=1
  fi
done <<<"$rows"
set_density 96
exit $status
