#!/usr/bin/env bash
# deps.sh - installs, with apt-get, the Debian packages a job needs and the
# machine lacks. Usage: scripts/deps.sh build|test|windows|fuzz|bench ...
set -euo pipefail

want=()
for job in "$@"; do
  case "$job" in
    build)   want+=(cmake ninja-build g++ python3) ;;
    test)    want+=(cmake ninja-build g++ python3 googletest libgtest-dev pkg-config locales nkf) ;;
    windows) want+=(g++-mingw-w64-i686 wine wine32:i386) ;;
    fuzz)    want+=(clang libclang-rt-dev) ;;
    valgrind) want+=(valgrind) ;;
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
