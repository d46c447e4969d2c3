#!/usr/bin/env bash
# record-host.sh - records tests/data/host/ again from the host converter
# itself: tests/windows/record_host.cpp, cross-built with MinGW, run under
# Wine (or copy build-win/record-host/record_host.exe to Windows and run it
# there the same way). The input columns of each file are its list of cases;
# every other column is measured again.
#   scripts/record-host.sh [OUT_DIR]   (default: tests/data/host, in place)
# Afterwards `git diff tests/data/host` shows what the host answers otherwise.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
out=${1:-tests/data/host}

scripts/deps.sh build windows

dir=$root/build-win/record-host
mkdir -p "$dir" "$out"
i686-w64-mingw32-g++ -std=c++20 -O1 -Wall -Wextra -Werror -static -o "$dir/record_host.exe" \
  tests/windows/record_host.cpp

export WINEPREFIX=$root/build-win/wineprefix WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
fi
for kind in cp932_to_utf16 utf16_to_cp932 utf8 utf7 capacity; do
  wine "$dir/record_host.exe" "$kind" <"tests/data/host/$kind.tsv" >"$dir/$kind.tsv"
  cp "$dir/$kind.tsv" "$out/$kind.tsv"
  echo "$kind.tsv: $(wc -l <"$out/$kind.tsv") lines"
done
wineserver -w || true
