#!/usr/bin/env bash
# ci-hardening.sh - the hardening checks, each in its own build directory:
#   asan      ASan+UBSan build of the test suite (build-ci-asan)
#   tsan      ThreadSanitizer build of the test suite (build-ci-tsan)
#   fault     fault-injection build (with ASan+UBSan, so LeakSanitizer sees
#             the failure paths) of the test suite (build-ci-fault)
#   valgrind  memcheck over every test executable of a plain build
#             (build-ci-valgrind); no leak, no invalid access
#   fuzz      every libFuzzer target for FUZZ_SECONDS (default 30) seconds
#             (build-ci-fuzz)
# Usage: scripts/ci-hardening.sh [step ...]   (default: all five)
# Environment:
#   JOBS                   build and ctest jobs (default 2)
#   FUZZ_SECONDS           seconds per fuzz target (default 30)
#   VALGRIND_GTEST_FILTER  gtest filter for the valgrind step (default: all
#                          tests; the whole suite takes about a minute under
#                          memcheck). Should the exhaustive vector sweeps grow
#                          slow, leave them to the sanitizer steps with e.g.
#                          '-*Exhaustive*:*MatchesEveryRecorded*'.
# Prints a summary and exits 1 when any step failed.
set -uo pipefail
cd "$(dirname "$0")/.."
jobs=${JOBS:-2}
fuzz_secs=${FUZZ_SECONDS:-30}
vg_filter=${VALGRIND_GTEST_FILTER:-*}
steps=("$@")
[ ${#steps[@]} -gt 0 ] || steps=(asan tsan fault valgrind fuzz)

scripts/deps.sh build test fuzz valgrind || { echo "ci-hardening: dependencies missing" >&2; exit 1; }

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:second_deadlock_stack=1}

results=()
failed=0
record() {  # record <step> <rc> <seconds> <note>
  local status=PASS
  [ "$2" -eq 0 ] || { status=FAIL; failed=1; }
  results+=("$(printf '%-9s %s  %4ds  %s' "$1" "$status" "$3" "$4")")
}

# Tests that load the library into a process the sanitizer did not start
# (the Python binding under the system interpreter; the installed-package
# consumer, which the TSan build cannot link): packaging checks, run by the
# plain build, meaningless here.
sanitizer_exclude='^(python\.|cli\.InstallAndConsumer$)'

# build_and_test <dir> <ctest exclude regex> <cmake options...>: configures,
# builds everything, runs ctest. Logs go to <dir>/ci-*.log.
build_and_test() {
  local dir=$1 exclude=$2; shift 2
  cmake -S . -B "$dir" -G Ninja -DZR_BUILD_TESTS=ON "$@" >"$dir.cfg.log" 2>&1 &&
    mv "$dir.cfg.log" "$dir/ci-configure.log" &&
    ninja -C "$dir" -j "$jobs" >"$dir/ci-build.log" 2>&1 || { echo "build failed, see $dir/ci-build.log"; return 1; }
  (cd "$dir" && ctest -j "$jobs" --output-on-failure --timeout 900 -E "$exclude" >ci-ctest.log 2>&1)
  local rc=$?
  grep -E "tests passed|tests failed" "$dir/ci-ctest.log" | tail -1 || true
  [ $rc -eq 0 ] || grep -E '^\s+[0-9]+ - .*\(Failed|Timeout|SEGFAULT|Subprocess' "$dir/ci-ctest.log" | head -20
  return $rc
}

step_asan() { build_and_test build-ci-asan "$sanitizer_exclude" -DZR_SANITIZE=ON; }
step_tsan() { build_and_test build-ci-tsan "$sanitizer_exclude" -DZR_TSAN=ON; }
step_fault() { build_and_test build-ci-fault "$sanitizer_exclude" -DZR_FAULT_INJECTION=ON -DZR_SANITIZE=ON; }

# Each test executable once under memcheck. The fault hooks are compiled in
# (inert unless a test arms them) so that the failure paths run here too.
step_valgrind() {
  local dir=build-ci-valgrind
  cmake -S . -B "$dir" -G Ninja -DZR_BUILD_TESTS=ON -DZR_FAULT_INJECTION=ON >"$dir.cfg.log" 2>&1 &&
    mv "$dir.cfg.log" "$dir/ci-configure.log" &&
    ninja -C "$dir" -j "$jobs" >"$dir/ci-build.log" 2>&1 || { echo "build failed, see $dir/ci-build.log"; return 1; }
  local exes
  mapfile -t exes < <(cd "$dir" && ctest --show-only=json-v1 2>/dev/null | python3 -c '
import json, os, sys
seen = []
for t in json.load(sys.stdin).get("tests", []):
    cmd = t.get("command") or []
    # A test program that replaces the allocation functions itself clashes
    # with the replacement memcheck makes of them.
    if cmd and os.path.basename(cmd[0]).endswith("_alloc_test"):
        continue
    if cmd and os.path.isfile(cmd[0]) and os.access(cmd[0], os.X_OK) and "--gtest_filter" in " ".join(cmd) and cmd[0] not in seen:
        seen.append(cmd[0])
print("\n".join(seen))')
  [ ${#exes[@]} -gt 0 ] || { echo "no gtest executables found"; return 1; }
  local rc=0 exe log
  for exe in "${exes[@]}"; do
    log="$dir/valgrind-$(basename "$exe").log"
    (cd "$(dirname "$exe")" &&
      valgrind --quiet --error-exitcode=99 --leak-check=full --show-leak-kinds=definite,indirect \
               --errors-for-leak-kinds=definite,indirect --track-fds=no \
               "$exe" --gtest_filter="$vg_filter" >"$OLDPWD/$log" 2>&1)
    local r=$?
    if [ $r -ne 0 ]; then
      rc=1
      echo "  $(basename "$exe"): FAIL (exit $r), see $log"
      grep -m5 -E '==[0-9]+== (Invalid|Conditional|.*definitely lost|.*indirectly lost|Mismatched|Source and destination)|\[  FAILED  \]' "$log" | sed 's/^/    /'
    else
      echo "  $(basename "$exe"): clean"
    fi
  done
  return $rc
}

step_fuzz() { FUZZ_BUILD_DIR=build-ci-fuzz FUZZ_JOBS=$jobs scripts/fuzz.sh "$fuzz_secs"; }

tmp=$(mktemp)
trap 'rm -f "$tmp"' EXIT
for s in "${steps[@]}"; do
  case "$s" in
    asan|tsan|fault|valgrind|fuzz) ;;
    *) echo "ci-hardening: unknown step '$s'" >&2; exit 2 ;;
  esac
  echo "== $s =="
  start=$(date +%s)
  "step_$s" 2>&1 | tee "$tmp"
  rc=${PIPESTATUS[0]}
  out=$(cat "$tmp")
  note=$(echo "$out" | grep -E 'tests passed|tests failed|build failed' | tail -1)
  [ "$s" = fuzz ] && note=$(echo "$out" | grep -cE ' ok ' | xargs printf '%s targets ok')
  [ "$s" = valgrind ] && note=$(echo "$out" | grep -c ': clean' | xargs printf '%s executables clean')
  record "$s" $rc $(( $(date +%s) - start )) "$note"
done

echo
echo "== hardening summary =="
printf '%s\n' "${results[@]}"
exit $failed
