#!/usr/bin/env bash
# test-packages.sh - makes the Debian packages with CPack and installs them on
# a clean Debian, where they must work as a user would use them.
#   scripts/test-packages.sh [--host] [--keep]
#     (default)  the clean Debian is a minimal chroot made with debootstrap
#                (same release and architecture as this machine, from the
#                mirror apt uses here), kept as a tarball in the build
#                directory so that later runs start from it without the
#                network; every run unpacks a fresh copy. When no chroot
#                can be made (not root, no mirror), it says so and falls
#                back to --host
#     --host     install on this machine with apt-get instead, and purge the
#                packages afterwards; refused if a package of the same name
#                is already installed
#     --keep     leave the chroot in place for a look inside
# Build dir: build-pkg (configured for the /usr prefix, as Debian's own
# packages are). The packages land in build-pkg/packages.
# Environment: ZR_DEBIAN_MIRROR overrides the mirror, JOBS the build jobs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mode=chroot
keep=0
for arg in "$@"; do
  case "$arg" in
    --host) mode=host ;;
    --keep) keep=1 ;;
    *) echo "usage: scripts/test-packages.sh [--host] [--keep]" >&2; exit 2 ;;
  esac
done
jobs=${JOBS:-2}
build=$root/build-pkg
out=$build/packages
start=$(date +%s)
elapsed() { echo "   $(( $(date +%s) - $1 )) s"; }

scripts/deps.sh build package

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)

echo "== build (prefix /usr)"
t=$(date +%s)
cmake -S . -B "$build" -G Ninja -DCMAKE_INSTALL_PREFIX=/usr -DZR_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" -j "$jobs" >/dev/null
elapsed "$t"

echo "== cpack -G DEB"
rm -rf "$out"
(cd "$build" && cpack -G DEB -B "$out" >"$build/cpack.log" 2>&1) || { cat "$build/cpack.log" >&2; exit 1; }
version=$(sed -n 's/^Version: //p' "$build/zr_moji.pc")
major=${version%%.*}
# A version that is packaged has its own heading in the change log.
grep -Eq "^## \[?${version//./\\.}\]?( |$)" CHANGELOG.md ||
  { echo "!! CHANGELOG.md has no heading for $version" >&2; exit 1; }
arch=$(dpkg --print-architecture)
debs=("$out/libzr-moji${major}_${version}-1_$arch.deb" "$out/libzr-moji-dev_${version}-1_$arch.deb"
      "$out/zrmoji_${version}-1_$arch.deb")
for d in "${debs[@]}"; do
  [ -f "$d" ] || { echo "!! no $d" >&2; exit 1; }
  echo "   $(basename "$d")"
done

# What each package must hold, and nothing misplaced: the runtime package
# carries no development file, so that it can be installed alone.
fail=0
has() {  # has <deb> <path regex>
  dpkg-deb -c "$1" | awk '{print $6}' | grep -E "$2" >/dev/null || { echo "!! $(basename "$1") lacks $2" >&2; fail=1; }
}
lacks() {
  ! dpkg-deb -c "$1" | awk '{print $6}' | grep -E "$2" >/dev/null || { echo "!! $(basename "$1") holds $2" >&2; fail=1; }
}
has "${debs[0]}" "/libzr_moji\.so\.$major$"
has "${debs[0]}" "/libzr_basis\.so\.$major$"
lacks "${debs[0]}" "\.h$|\.a$|\.pc$|\.so$|/bin/"
has "${debs[1]}" "/include/zr_moji\.h$"
has "${debs[1]}" "/include/zr_moji_version\.h$"
has "${debs[1]}" "/libzr_moji\.so$"
has "${debs[1]}" "/pkgconfig/zr_moji\.pc$"
has "${debs[1]}" "/cmake/ZRMoji/ZRMojiConfig\.cmake$"
lacks "${debs[1]}" "\.so\.[0-9]"
has "${debs[2]}" "/usr/bin/zrmoji$"
has "${debs[2]}" "/man1/zrmoji\.1"
dpkg-deb -f "${debs[1]}" Depends | grep -q "libzr-moji$major (= $version-1)" ||
  { echo "!! libzr-moji-dev does not depend on its exact runtime package" >&2; fail=1; }
dpkg-deb -f "${debs[2]}" Depends | grep -q "libzr-moji$major (= $version-1)" ||
  { echo "!! zrmoji does not depend on its exact runtime package" >&2; fail=1; }
[ "$fail" = 0 ] || exit 1

# The smoke test, run as root on the clean system from a directory that holds
# the packages and the consumer's sources.
smoke() {
  cat <<'EOF'
set -eu
cd "$1"
version=$2
export DEBIAN_FRONTEND=noninteractive
fail() { echo "!! $*" >&2; exit 1; }
echo "-- apt-get install"
apt-get install -y -qq --no-install-recommends ./libzr-moji*.deb ./zrmoji_*.deb >apt.log 2>&1 ||
  { cat apt.log >&2; fail "apt-get install"; }
echo "-- pkg-config --libs zr_moji: $(pkg-config --libs zr_moji)"
pkg-config --libs zr_moji | grep -q -- '-lzr_moji' || fail "pkg-config --libs"
[ "$(pkg-config --modversion zr_moji)" = "$version" ] || fail "pkg-config --modversion"
echo "-- $(zrmoji --version)"
[ "$(zrmoji --version)" = "zrmoji $version" ] || fail "zrmoji --version"
[ "$(printf '\202\240' | zrmoji conv -f sjis -t utf8)" = "$(printf '\343\201\202')" ] || fail "zrmoji conv"
ls /usr/share/man/man1/zrmoji.1* >/dev/null || fail "no manual page"
echo "-- consumer with pkg-config"
# shellcheck disable=SC2046
cc -Wall -Wextra -o consumer-pc consumer/main.c $(pkg-config --cflags --libs zr_moji)
./consumer-pc | grep '^ok' || fail "consumer (pkg-config)"
cat >version.c <<'C'
#include <stdio.h>
#include "zr_moji_version.h"
int main(void) { printf("%s %d\n", ZR_MOJI_VERSION_STRING, ZR_MOJI_VERSION); return 0; }
C
cc -o version version.c $(pkg-config --cflags zr_moji)
set -- $(./version)
[ "$1" = "$version" ] || fail "zr_moji_version.h says $1"
if command -v cmake >/dev/null && command -v c++ >/dev/null; then
  echo "-- consumer with find_package(ZRMoji), shared and static"
  cmake -S consumer -B consumer-build >cmake.log 2>&1 && cmake --build consumer-build >>cmake.log 2>&1 ||
    { cat cmake.log >&2; fail "consumer (CMake)"; }
  consumer-build/consumer | grep '^ok' || fail "consumer (CMake, shared)"
  consumer-build/consumer_static | grep '^ok' || fail "consumer (CMake, static)"
fi
echo "-- apt-get purge"
apt-get purge -y -qq libzr-moji-dev zrmoji "libzr-moji${version%%.*}" >apt.log 2>&1 || { cat apt.log >&2; fail "purge"; }
[ ! -e /usr/bin/zrmoji ] && ! ls /usr/lib/*/libzr_moji* /usr/include/zr_moji*.h >/dev/null 2>&1 ||
  fail "files left after purge"
echo "-- smoke test passed"
EOF
}

stage_into() {  # stage_into <dir>: the packages and the consumer's sources
  mkdir -p "$1"
  cp "${debs[@]}" "$1/"
  cp -r examples/consumer "$1/consumer"
  smoke >"$1/smoke.sh"
}

on_host() {
  echo "== smoke test on this machine (apt-get install, then purge)"
  for p in "libzr-moji$major" libzr-moji-dev zrmoji; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      echo "!! $p is installed already; not touching it" >&2
      exit 1
    fi
  done
  stage=$(mktemp -d "${TMPDIR:-/tmp}/zr-packages.XXXXXX")
  cleanup() {
    "${sudo_cmd[@]}" apt-get purge -y -qq libzr-moji-dev zrmoji "libzr-moji$major" >/dev/null 2>&1 || true
    "${sudo_cmd[@]}" rm -rf "$stage"
  }
  trap cleanup EXIT
  stage_into "$stage"
  "${sudo_cmd[@]}" bash "$stage/smoke.sh" "$stage" "$version"
}

# make_chroot <dir>: a fresh minimal Debian in <dir>; fails when none can be had.
make_chroot() {
  local dir=$1 suite mirror tarball
  # shellcheck disable=SC1091
  suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$suite" ] || { echo "!! no release codename in /etc/os-release" >&2; return 1; }
  mirror=${ZR_DEBIAN_MIRROR:-}
  if [ -z "$mirror" ]; then
    mirror=$(sed -n 's/^URIs:[[:space:]]*//p' /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '/debian\/?$/ {print; exit}')
  fi
  if [ -z "$mirror" ] && [ -f /etc/apt/sources.list ]; then
    mirror=$(awk '$1 == "deb" && $2 !~ /^\[/ && $2 ~ /debian\/?$/ {print $2; exit}' /etc/apt/sources.list)
  fi
  mirror=${mirror:-http://deb.debian.org/debian}
  tarball=$build/debian-$suite-$arch-minbase.tar
  "${sudo_cmd[@]}" rm -rf "$dir"
  if [ -f "$tarball" ]; then
    echo "   from $tarball"
    mkdir -p "$dir"
    "${sudo_cmd[@]}" tar -C "$dir" -xf "$tarball"
    return
  fi
  echo "   $suite $arch from $mirror"
  # gcc and pkg-config for the consumer built by hand, cmake and g++ for the
  # CMake one: a developer's minimum, nothing of this project's.
  if ! "${sudo_cmd[@]}" debootstrap --variant=minbase --include=gcc,g++,libc6-dev,pkg-config,cmake,make \
       "$suite" "$dir" "$mirror" >"$build/debootstrap.log" 2>&1; then
    tail -5 "$build/debootstrap.log" >&2
    "${sudo_cmd[@]}" rm -rf "$dir"
    return 1
  fi
  "${sudo_cmd[@]}" tar -C "$dir" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
}

in_chroot() {
  local t
  t=$(date +%s)
  chroot_dir=$build/debian-root
  make_chroot "$chroot_dir" || return 1
  elapsed "$t"
  cleanup() {
    "${sudo_cmd[@]}" umount "$chroot_dir/proc" 2>/dev/null || true
    [ "$keep" = 1 ] || "${sudo_cmd[@]}" rm -rf "$chroot_dir"
  }
  trap cleanup EXIT
  "${sudo_cmd[@]}" mount -t proc proc "$chroot_dir/proc" 2>/dev/null || true
  echo "== smoke test in the chroot"
  t=$(date +%s)
  stage_into "$build/smoke"
  "${sudo_cmd[@]}" rm -rf "$chroot_dir/root/smoke"
  "${sudo_cmd[@]}" cp -r "$build/smoke" "$chroot_dir/root/smoke"
  rm -rf "$build/smoke"
  "${sudo_cmd[@]}" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
    chroot "$chroot_dir" sh /root/smoke/smoke.sh /root/smoke "$version" || exit 1
  elapsed "$t"
}

if [ "$mode" = host ]; then
  on_host
else
  echo "== clean Debian (debootstrap --variant=minbase)"
  if ! in_chroot; then
    # No chroot without the mirror or root; this machine is the next best
    # clean system, and the run says that it fell back.
    echo "!! no chroot could be made; testing on this machine instead (--host)" >&2
    on_host
  fi
fi
echo "== packages passed ($(( $(date +%s) - start )) s): ${debs[*]##*/}"
