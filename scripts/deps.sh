#!/usr/bin/env bash
# deps.sh - installs, with apt-get, the Debian packages a job needs and the
# machine lacks. Usage: scripts/deps.sh build|test|docs|windows|fuzz|bench|package ...
set -euo pipefail

want=()
for job in "$@"; do
  case "$job" in
    build)   want+=(cmake ninja-build g++ python3) ;;
    test)    want+=(cmake ninja-build g++ python3 googletest libgtest-dev pkg-config doxygen man-db locales
                    nkf python3-setuptools python3-pytest python3-venv)
             # CPython's CJK codec and email test data, which the Python
             # package's codecs and the mail commands are compared on
             # (skipped where it is missing).
             pyver=$(/usr/bin/python3 -c 'import sys; print("%d.%d" % sys.version_info[:2])' 2>/dev/null || true)
             [ -n "$pyver" ] && want+=("libpython$pyver-testsuite") ;;
    docs)    want+=(cmake ninja-build g++ python3 doxygen man-db) ;;
    windows) want+=(g++-mingw-w64-i686 wine wine32:i386) ;;
    fuzz)    want+=(clang libclang-rt-dev) ;;
    valgrind) want+=(valgrind) ;;
    package) want+=(dpkg-dev file debootstrap debian-archive-keyring) ;;
    bench)   want+=(libbenchmark-dev libicu-dev libmodpbase64-dev libgmime-3.0-dev pkg-config
                    nkf libuchardet0 manpages-ja) ;;
    *) echo "deps.sh: unknown job '$job'" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo_cmd=()
[ "$(id -u)" -ne 0 ] && sudo_cmd=(sudo)
for p in "${missing[@]}"; do
  if [[ "$p" == *:i386 ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
  fi
done
echo "Installing: ${missing[*]}" >&2
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
