#!/usr/bin/env bash
# bench.sh [RUNS] - builds the benchmarks, runs every suite RUNS times (5 by
# default) in separate processes, and writes the table of medians and ratios
# to bench/results.md and into bench/README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${1:-5}
scripts/deps.sh test bench
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZR_BUILD_BENCH=ON -DZR_BUILD_TESTS=OFF >/dev/null
cmake --build build-bench -j "$(nproc)"
out=build-bench/results
rm -rf "$out"; mkdir -p "$out"
for exe in build-bench/bench/bench_*; do
  [ -x "$exe" ] || continue
  name=$(basename "$exe")
  for i in $(seq 1 "$runs"); do
    TEMP=${TEMP:-/tmp} "$exe" --benchmark_format=json --benchmark_min_time=0.2 > "$out/$name.$i.json"
  done
done
# Python's binascii as a further Quoted-Printable decoder, in the same runs.
for i in $(seq 1 "$runs"); do
  python3 bench/python_qp.py build-bench/libzr_moji.so build-bench/bench/corpus > "$out/python_qp.$i.json"
done
python3 bench/report.py --readme bench/README.md bench/results.md "$out"/*.json
