#!/usr/bin/env bash
# test-windows.sh - builds the 32-bit Windows DLLs with MinGW, checks their
# export tables, and runs every export through the DLL under Wine and through
# the Linux library, which must agree byte for byte.
#   scripts/test-windows.sh [--quick] [--sanitize]
#     --quick     a sample of the vectors (about 35,000 calls instead of 650,000)
#     --sanitize  also run the vectors through an AddressSanitizer+UBSan build
#                 of the Linux library (build-windiff/asan)
# Build dirs: build-win (cross build, Wine prefix) and build-windiff (native side).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
quick=()
sanitize=0
for arg in "$@"; do
  case "$arg" in
    --quick) quick=(--quick) ;;
    --sanitize) sanitize=1 ;;
    *) echo "usage: scripts/test-windows.sh [--quick] [--sanitize]" >&2; exit 2 ;;
  esac
done
jobs=2

scripts/deps.sh build windows

win=$root/build-win
nat=$root/build-windiff
objdump=i686-w64-mingw32-objdump
cxxflags=(-std=c++20 -O1 -Wall -Wextra -Werror -I"$root/include")
status=0

echo "== cross build (MinGW i686)"
cmake -S . -B "$win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" \
  -DZR_BUILD_TESTS=OFF -DZR_BUILD_CLI=OFF >/dev/null
echo "== native build"
cmake -S . -B "$nat" -G Ninja -DZR_BUILD_TESTS=OFF -DZR_BUILD_CLI=OFF >/dev/null

if ! cmake --build "$win" --target zr_moji -j "$jobs" || ! cmake --build "$nat" --target zr_moji -j "$jobs"; then
  echo "!! the library does not build" >&2
  exit 1
fi
win_dll=$win/ZR_Moji.dll
nat_lib=$nat/libzr_moji.so
basis_dll=$(find "$win" -name 'ZR_Basis.dll' -not -path '*/diffrun/*' -print -quit)

echo "== export tables"
python3 tests/windows/check_dll_exports.py "$objdump" include/zr_moji.h "$win_dll" ${basis_dll:+"$basis_dll"} ||
  status=1

echo "== driver"
run=$win/diffrun
mkdir -p "$run" "$nat/tmp"
cp "$win_dll" "$run/ZR_Moji.dll"
[ -n "$basis_dll" ] && cp "$basis_dll" "$run/"
# Through the header and the import library, as a C caller links.
i686-w64-mingw32-g++ "${cxxflags[@]}" -DZR_DIFF_LINKED -o "$run/diff_driver.exe" tests/windows/diff_driver.cpp \
  "$win/libZR_Moji.dll.a" -static
g++ "${cxxflags[@]}" -DZR_DIFF_LINKED -o "$nat/diff_driver" tests/windows/diff_driver.cpp \
  -L"$nat" -lzr_moji -Wl,-rpath,"$nat"

echo "== vectors"
host_data=$root/../shared/data/host
gen_args=(--known tests/windows/known_differences.tsv)
[ -d "$host_data" ] && gen_args+=(--host-data "$host_data")
python3 tests/windows/gen_vectors.py "${quick[@]}" "${gen_args[@]}" >"$nat/vectors.tsv"
echo "$(grep -vc '^#' "$nat/vectors.tsv") cases"

echo "== native run"
start=$(date +%s)
# The code-table loader puts its files in TEMP; a private one keeps the count
# of files it leaves behind meaningful.
rm -f "$nat/tmp"/*
TEMP=$nat/tmp "$nat/diff_driver" "$nat_lib" <"$nat/vectors.tsv" >"$nat/native.out" || {
  echo "!! native driver failed (exit $?)" >&2; status=1; }
echo "   $(( $(date +%s) - start )) s"

if [ "$sanitize" = 1 ]; then
  echo "== native run, AddressSanitizer + UBSan"
  asan=$nat/asan
  cmake -S . -B "$asan" -G Ninja -DZR_BUILD_TESTS=OFF -DZR_BUILD_CLI=OFF -DZR_SANITIZE=ON >/dev/null
  cmake --build "$asan" --target zr_moji -j "$jobs"
  g++ "${cxxflags[@]}" -g -fsanitize=address,undefined -fno-sanitize-recover=undefined -DZR_DIFF_LINKED \
    -o "$asan/diff_driver" tests/windows/diff_driver.cpp -L"$asan" -lzr_moji -Wl,-rpath,"$asan"
  mkdir -p "$asan/tmp"
  rm -f "$asan/tmp"/*
  if TEMP=$asan/tmp "$asan/diff_driver" <"$nat/vectors.tsv" >"$asan/native.out" &&
     cmp -s "$asan/native.out" "$nat/native.out"; then
    echo "   clean, same output"
  else
    echo "!! sanitizer run failed or its output differs" >&2
    status=1
  fi
fi

echo "== Wine run"
start=$(date +%s)
export WINEPREFIX=$win/wineprefix WINEDEBUG=-all WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
fi
(cd "$run" && wine diff_driver.exe ZR_Moji.dll <"$nat/vectors.tsv" >"$win/wine.out") || {
  echo "!! driver under Wine failed (exit $?)" >&2; status=1; }
wineserver -w || true
echo "   $(( $(date +%s) - start )) s"

echo "== compare"
python3 tests/windows/compare.py "$nat/native.out" "$win/wine.out" tests/windows/known_differences.tsv \
  --require-all || status=1

[ "$status" = 0 ] && echo "Windows tests passed" || echo "Windows tests FAILED"
exit "$status"
