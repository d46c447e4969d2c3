#!/usr/bin/env python3
"""Python's binascii Quoted-Printable decoder on the benchmark corpora.

usage: python_qp.py LIBRARY CORPUS_DIR > result.json

Decodes what the library's own encoder makes of binary.bin and
ja_sjis.txt, as bench_mime's QuotedPrintableDecode cases do, and writes the
figures in Google Benchmark's JSON form (case names .../binascii), so that
report.py sets them beside the library's."""
import binascii
import json
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bindings", "python"))
os.environ.setdefault("ZRMOJI_LIBRARY", sys.argv[1])
import zrmoji  # noqa: E402


def measure(text, min_time=0.2):
    runs, start = 0, time.perf_counter()
    while True:
        binascii.a2b_qp(text)
        runs += 1
        elapsed = time.perf_counter() - start
        if elapsed >= min_time:
            return runs, elapsed


def main():
    corpus = sys.argv[2]
    benchmarks = []
    for case, name in (("QuotedPrintableDecode_binary", "binary.bin"), ("QuotedPrintableDecode_ja", "ja_sjis.txt")):
        with open(os.path.join(corpus, name), "rb") as f:
            text = zrmoji.qp_encode(f.read())
        if isinstance(text, str):
            text = text.encode("ascii")
        runs, elapsed = measure(text)
        benchmarks.append({
            "name": case + "/binascii",
            "run_type": "iteration",
            "iterations": runs,
            "real_time": elapsed / runs * 1e9,
            "time_unit": "ns",
            "bytes_per_second": len(text) * runs / elapsed,
            "label": name + " encoded, Python binascii.a2b_qp",
        })
    json.dump({"context": {}, "benchmarks": benchmarks}, sys.stdout, indent=1)


main()
