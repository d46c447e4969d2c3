#!/usr/bin/env bash
# test-windows.sh - builds the 32-bit Windows DLLs with MinGW, checks their
# export tables, and runs every export through the DLL under Wine and through
# the Linux library, which must agree byte for byte. Then zrmoji.exe, built
# beside the DLL, runs a few of the tool's end-to-end cases under Wine, and
# the zip for Windows users (cpack -G ZIP) is made and tried: a program built
# from its header and import library runs against its DLLs.
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
  -DZR_BUILD_TESTS=OFF -DZR_BUILD_CLI=ON >/dev/null
echo "== native build"
cmake -S . -B "$nat" -G Ninja -DZR_BUILD_TESTS=OFF -DZR_BUILD_CLI=OFF >/dev/null

# A file the cross build made, not one of the copies this script puts in the
# run directories or the zip's staging tree.
find_built() {
  find "$win" \( -path "$win/diffrun" -o -path "$win/clirun" -o -path "$win/packages" -o -path "$win/wineprefix" \) \
    -prune -o -name "$1" -print -quit
}

if ! cmake --build "$win" --target zr_moji -j "$jobs" || ! cmake --build "$nat" --target zr_moji -j "$jobs"; then
  echo "!! the library does not build" >&2
  exit 1
fi
win_dll=$win/ZR_Moji.dll
nat_lib=$nat/libzr_moji.so
basis_dll=$(find_built ZR_Basis.dll)

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

# The tool's own cases, one of each kind of command, through zrmoji.exe: the
# same tests as on Linux, with a wrapper that starts the program under Wine.
cli_cases=(ConvTests.test_vectors ConvTests.test_refusals FileTests.test_files_in_order_and_output_file
  MimeTests.test_header_words UrlTests.test_url EbcdicTests.test_ebcdic TableTests.test_lookup_and_map
  UsageTests.test_help_and_version)
echo "== zrmoji.exe under Wine (${#cli_cases[@]} cases)"
start=$(date +%s)
# Everything, not only zrmoji: the zip below installs the static library too.
if cmake --build "$win" -j "$jobs" >/dev/null; then
  clirun=$win/clirun
  rm -rf "$clirun"
  mkdir -p "$clirun"
  # zrmoji.exe converts through the text module as well as the library.
  cp "$win/cli/zrmoji.exe" "$win_dll" "$(find_built ZR_Text.dll)" "$clirun/"
  [ -n "$basis_dll" ] && cp "$basis_dll" "$clirun/"
  printf '#!/bin/sh\nexec wine "%s" "$@"\n' "$clirun/zrmoji.exe" >"$clirun/zrmoji"
  chmod +x "$clirun/zrmoji"
  # One server for all the short runs, rather than one started for each.
  # Wine's own services start with the first program and outlive it; started
  # here with no pipes, they cannot hold the test's pipes open after a run.
  wineserver -p 60
  (cd "$clirun" && wine zrmoji.exe --version) </dev/null >/dev/null 2>&1 || true
  ZRMOJI_EXE=$clirun/zrmoji python3 tests/cli/cli_tests.py "${cli_cases[@]}" 2>&1 | tail -n 15 ||
    { echo "!! zrmoji.exe failed its cases" >&2; status=1; }
else
  echo "!! zrmoji.exe does not build" >&2
  status=1
fi
echo "   $(( $(date +%s) - start )) s"

echo "== cpack -G ZIP"
if (cd "$win" && cpack -G ZIP -B "$win/packages" >"$win/cpack.log" 2>&1); then
  zip=$(find "$win/packages" -maxdepth 1 -name 'ZR_Moji-*-win32.zip' -print -quit)
  echo "   ${zip##*/}"
  unpacked=$win/packages/unpacked
  rm -rf "$unpacked"
  version=$(sed -n 's/^Version: //p' "$win/zr_moji.pc")
  python3 - "$zip" "$unpacked" "$version" <<'PY' || status=1
import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
names = {n.split("/", 1)[1]: n for n in z.namelist() if "/" in n}
binaries = ["bin/ZR_Moji.dll", "bin/ZR_Basis.dll", "bin/zrmoji.exe"]
want = binaries + ["lib/libZR_Moji.dll.a", "lib/libZR_Basis.dll.a",
                 "include/zr_moji.h", "include/zr_moji_version.h"]
missing = [w for w in want if w not in names]
if missing:
  sys.exit("!! the zip lacks " + ", ".join(missing))
# Each binary's version resource names the project version.
for b in binaries:
  data = z.read(names[b])
  at = data.find("FileVersion".encode("utf-16-le"))
  if at < 0 or (sys.argv[3] + "\0").encode("utf-16-le") not in data[at:at + 64]:
      sys.exit("!! %s has no version resource of %s" % (b, sys.argv[3]))
z.extractall(sys.argv[2])
PY
  top=$(find "$unpacked" -mindepth 1 -maxdepth 1 -type d -print -quit)
  # The import libraries must carry the decorated names the headers make
  # callers refer to (see cmake/ZRStdcallImplib.cmake).
  for lib in "libZR_Moji.dll.a ZR_SJisToUnicode@12" "libZR_Basis.dll.a ZR_TextFileOpenW@12"; do
    set -- $lib
    i686-w64-mingw32-nm "$top/lib/$1" 2>/dev/null | grep "__imp__$2" >/dev/null ||
      { echo "!! the zip's $1 lacks _$2" >&2; status=1; }
  done
  # A Windows user's first program: the example consumer, from the zip alone.
  if [ -n "$top" ] && i686-w64-mingw32-gcc -Wall -Wextra -Werror -I"$top/include" -o "$top/bin/consumer.exe" \
       examples/consumer/main.c "$top/lib/libZR_Moji.dll.a" &&
     (cd "$top/bin" && wine consumer.exe) | grep -q '^ok' &&
     (cd "$top/bin" && wine zrmoji.exe --version) | tr -d '\r' | grep -qx "zrmoji $version"; then
    echo "   the zip's consumer and zrmoji.exe run"
  else
    echo "!! the zip does not work as unpacked" >&2
    status=1
  fi
else
  cat "$win/cpack.log" >&2
  echo "!! cpack -G ZIP failed" >&2
  status=1
fi
wineserver -k || true

[ "$status" = 0 ] && echo "Windows tests passed" || echo "Windows tests FAILED"
exit "$status"
