#!/usr/bin/env bash
# Builds the shipped 32-bit Norvane.exe, checks its image, and packs it with the Windows
# user's README into dist/Norvane-1.0-win32.zip.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/setup.sh >/dev/null
cmake --preset mingw >/dev/null
cmake --build --preset mingw -j "$(nproc)" --target Norvane >/dev/null
bash tools/check-image.sh build/mingw/Norvane.exe
stage=build/release/Norvane-1.0
rm -rf "$stage" && mkdir -p "$stage" dist
cp build/mingw/Norvane.exe "$stage/"
# Windows users open it with Notepad: CR LF line ends.
sed 's/$/\r/' resources/release/README.txt > "$stage/README.txt"
touch -d 2026-01-01T00:00:00Z "$stage"/*
rm -f dist/Norvane-1.0-win32.zip
(cd "$stage" && zip -q -X -D ../../../dist/Norvane-1.0-win32.zip Norvane.exe README.txt)
zip -sf dist/Norvane-1.0-win32.zip
echo "release: dist/Norvane-1.0-win32.zip"
