#!/usr/bin/env bash
# fuzz.sh - builds the libFuzzer targets (clang, ASan+UBSan) and runs each
# for a while on its seed corpus.
# Usage: scripts/fuzz.sh [seconds-per-target] [target ...]
#   FUZZ_BUILD_DIR  build directory (default build-fuzz)
#   FUZZ_JOBS       build jobs (default 2)
# Prints executions and crashes per target; exits 1 when a target crashed
# or could not be built. Crash inputs are kept in $FUZZ_BUILD_DIR/artifacts/<target>/;
# rerun one with: $FUZZ_BUILD_DIR/<target> <file>
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
secs=${1:-30}
shift || true
build=${FUZZ_BUILD_DIR:-build-fuzz}
jobs=${FUZZ_JOBS:-2}

scripts/deps.sh build fuzz || exit 1
CC=clang CXX=clang++ cmake -S fuzz -B "$build" -G Ninja >/dev/null || exit 1
# -k 0: a target that fails to build must not stop the rest.
ninja -C "$build" -j "$jobs" -k 0 fuzz_all >"$build/build.log" 2>&1 || true

if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets <"$build/fuzz_targets.txt"; fi
expected=(fuzz_sjis_unicode fuzz_jis fuzz_euc fuzz_pivots fuzz_utf8_utf7 fuzz_ebcdic fuzz_base64
          fuzz_base64_charset fuzz_qp fuzz_qp_charset fuzz_url_tests fuzz_url_decode fuzz_url_encode
          fuzz_codetable_load fuzz_codetable_lookup fuzz_too_small fuzz_text_guess fuzz_text_readers
          fuzz_mail_header fuzz_mail_message)
[ $# -gt 0 ] || targets=("${expected[@]}")

fail=0
summary=()
for t in "${targets[@]}"; do
  bin="$build/$t"
  if [ ! -x "$bin" ]; then
    summary+=("$(printf '%-24s NOT BUILT (see %s/build.log)' "$t" "$build")")
    fail=1
    continue
  fi
  work="$build/corpus/$t"
  art="$build/artifacts/$t"
  mkdir -p "$work" "$art"
  [ -d "fuzz/corpus/$t" ] && cp -n fuzz/corpus/"$t"/* "$work"/ 2>/dev/null
  log="$build/$t.log"
  "$bin" -max_total_time="$secs" -max_len=4096 -timeout=10 -rss_limit_mb=2048 \
         -print_final_stats=1 -artifact_prefix="$art/" "$work" >"$log" 2>&1
  rc=$?
  runs=$(grep -Eo 'stat::number_of_executed_units: *[0-9]+' "$log" | grep -Eo '[0-9]+$' | tail -1)
  crashes=$(find "$art" -type f | wc -l)
  if [ $rc -ne 0 ] || [ "$crashes" -gt 0 ]; then
    fail=1
    first=$(grep -m1 -E 'ZR FUZZ FAILURE|ERROR: (Address|Undefined|libFuzzer)|runtime error|SEGV' "$log")
    summary+=("$(printf '%-24s FAIL  runs=%s crashes=%s  %s' "$t" "${runs:-?}" "$crashes" "$first")")
  else
    summary+=("$(printf '%-24s ok    runs=%s crashes=0' "$t" "${runs:-?}")")
  fi
done

echo "== fuzz summary (${secs}s per target) =="
printf '%s\n' "${summary[@]}"
exit $fail
