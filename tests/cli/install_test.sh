#!/usr/bin/env bash
# install_test.sh BUILD_DIR SOURCE_DIR [extra cmake arguments for the consumer]
# Installs BUILD_DIR into a staging prefix, then builds and runs the consumer
# of examples/consumer against it (CMake package, shared and static, from C
# alone and with C++ enabled), builds it once more with pkg-config, and runs
# the installed zrmoji.
set -euo pipefail
build=$1
src=$2
shift 2
stage=$(mktemp -d "${TMPDIR:-/tmp}/zrmoji-install.XXXXXX")
trap 'rm -rf "$stage"' EXIT
prefix=$stage/prefix

cmake --install "$build" --prefix "$prefix" >/dev/null

fail() { echo "install test: $*" >&2; exit 1; }

# What must be in place.
for f in include/zr_moji.h bin/zrmoji share/man/man1/zrmoji.1; do
  [ -e "$prefix/$f" ] || fail "missing $f"
done
libdir=$(dirname "$(find "$prefix" -name 'libzr_moji.so.1' | head -n 1)")
[ -n "$libdir" ] || fail "no libzr_moji.so.1"
for f in libzr_moji.so libzr_moji.a "libzr_moji.so.1"; do
  [ -e "$libdir/$f" ] || fail "missing $libdir/$f"
done
[ -e "$libdir/cmake/ZRMoji/ZRMojiConfig.cmake" ] || fail "no CMake package"
[ -e "$libdir/pkgconfig/zr_moji.pc" ] || fail "no pkg-config file"
# The soname carries the major version.
if command -v objdump >/dev/null; then
  objdump -p "$libdir/libzr_moji.so.1" | grep -q 'SONAME *libzr_moji.so.1' || fail "soname"
fi

# The CMake package, shared and static, from a project that enables C only
# (linked by the C driver) and from one that enables C++ as well (linked by
# the C++ driver).
printf 'enable_language(CXX)\n' >"$stage/enable_cxx.cmake"
for languages in c cxx; do
  extra=()
  [ "$languages" = cxx ] && extra=(-DCMAKE_PROJECT_ZRMojiConsumer_INCLUDE="$stage/enable_cxx.cmake")
  dir=$stage/consumer-$languages
  cmake -S "$src/examples/consumer" -B "$dir" -G Ninja \
    -DCMAKE_PREFIX_PATH="$prefix" "${extra[@]}" "$@" >/dev/null
  cmake --build "$dir" >"$dir.log" 2>&1 || { cat "$dir.log" >&2; fail "consumer build ($languages)"; }
  "$dir/consumer" | grep -q '^ok' || fail "consumer (shared, $languages)"
  "$dir/consumer_static" | grep -q '^ok' || fail "consumer (static, $languages)"
done

# pkg-config, from wherever the prefix lies.
if command -v pkg-config >/dev/null; then
  export PKG_CONFIG_PATH="$libdir/pkgconfig"
  flags=$(pkg-config --cflags --libs zr_moji)
  # shellcheck disable=SC2086
  cc ${CONSUMER_CFLAGS:-} -o "$stage/consumer_pc" "$src/examples/consumer/main.c" $flags \
    -Wl,-rpath,"$libdir"
  "$stage/consumer_pc" | grep -q '^ok' || fail "consumer (pkg-config)"
fi

# One version everywhere: the CMake package, pkg-config, the version
# header and the program all say what the project says.
version=$(sed -n 's/^Version: //p' "$libdir/pkgconfig/zr_moji.pc")
[ -n "$version" ] || fail "no version in zr_moji.pc"
grep -q "PACKAGE_VERSION \"$version\"" "$libdir/cmake/ZRMoji/ZRMojiConfigVersion.cmake" ||
  fail "CMake package version"
[ -e "$prefix/include/zr_moji_version.h" ] || fail "missing include/zr_moji_version.h"
printf '#include "zr_moji_version.h"\n#include <stdio.h>\nint main(void) { puts(ZR_MOJI_VERSION_STRING); return 0; }\n' \
  >"$stage/version.c"
cc -I"$prefix/include" -o "$stage/version" "$stage/version.c"
[ "$("$stage/version")" = "$version" ] || fail "zr_moji_version.h"

# The installed program finds its library by itself.
[ "$(env -u LD_LIBRARY_PATH "$prefix/bin/zrmoji" --version)" = "zrmoji $version" ] || fail "zrmoji --version"
out=$(printf '\x82\xa0' | env -u LD_LIBRARY_PATH "$prefix/bin/zrmoji" conv -f sjis -t utf8)
[ "$out" = "あ" ] || fail "installed zrmoji converts"
echo "install test: ok"
