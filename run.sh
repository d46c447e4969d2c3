#!/usr/bin/env bash
# run.sh - the two ways in for a new user.
#   ./run.sh demo   installs what is missing, builds, runs zrmoji on the sample
#   ./run.sh test   installs what is missing, builds, runs every test
set -euo pipefail
cd "$(dirname "$0")"
jobs=$(nproc 2>/dev/null || echo 2)

case "${1:-}" in
  demo)
    scripts/deps.sh build
    cmake -S . -B build -G Ninja -DZR_BUILD_TESTS=OFF >/dev/null
    cmake --build build -j "$jobs"
    exec scripts/demo.sh build
    ;;
  test)
    scripts/deps.sh test
    cmake -S . -B build -G Ninja -DZR_BUILD_TESTS=ON >/dev/null
    cmake --build build -j "$jobs"
    (cd build && ctest --output-on-failure -j "$jobs")
    # Tests that skipped say why in their output; repeat that here (the
    # cli tests' SKIPPED lines, GoogleTest's "Skipped" and its reason, and
    # the check scripts' "...: skipped").
    awk '/^\[ RUN      \] /{t=$4} /: Skipped$/{getline r; print "SKIPPED: " t ": " r}
         /^SKIPPED: /{print} /: skipped$/{print "SKIPPED: " $0}' \
      build/Testing/Temporary/LastTest.log 2>/dev/null | sort -u || true
    if [ -x scripts/test-windows.sh ]; then
      scripts/test-windows.sh
    fi
    ;;
  *)
    echo "usage: ./run.sh demo|test" >&2
    exit 2
    ;;
esac
