#!/usr/bin/env python3
"""Median-of-runs table from Google Benchmark JSON files.

usage: report.py OUT.md RUN1.json [RUN2.json ...]

Benchmarks are named CASE/IMPLEMENTATION. For each case the table gives the
median MB/s (items/s for code tables) of every implementation over the runs,
and the ratio of zr_moji to the fastest other implementation of the same run
set."""
import json
import statistics
import sys
from collections import defaultdict


def main():
    out, runs = sys.argv[1], sys.argv[2:]
    rates = defaultdict(lambda: defaultdict(list))
    labels = {}
    context = None
    for path in runs:
        with open(path) as f:
            doc = json.load(f)
        context = context or doc.get("context", {})
        for b in doc["benchmarks"]:
            if b.get("run_type") == "aggregate" or b.get("error_occurred"):
                continue
            case, _, impl = b["name"].partition("/")
            impl = impl.split("/")[0]
            if "bytes_per_second" in b:
                rates[case][impl].append(b["bytes_per_second"] / 1e6)
            elif "items_per_second" in b:
                rates[case][impl].append(b["items_per_second"] / 1e6)
            labels.setdefault((case, impl), b.get("label", ""))
    impls = sorted({i for c in rates.values() for i in c}, key=lambda i: (i != "zr_moji", i))
    lines = ["| case | " + " | ".join(impls) + " | zr_moji / best other |",
             "|---|" + "---|" * (len(impls) + 1)]
    for case in sorted(rates):
        med = {i: statistics.median(v) for i, v in rates[case].items()}
        cells = ["%.0f" % med[i] if i in med else "" for i in impls]
        others = [v for i, v in med.items() if i != "zr_moji"]
        ratio = "%.2fx" % (med["zr_moji"] / max(others)) if "zr_moji" in med and others else ""
        lines.append("| %s | %s | %s |" % (case, " | ".join(cells), ratio))
    host = "%s CPUs @ %s MHz" % (context.get("num_cpus", "?"), context.get("mhz_per_cpu", "?"))
    with open(out, "w") as f:
        f.write("Medians of %d runs, MB/s (code tables: million items/s); %s.\n\n" % (len(runs), host))
        f.write("\n".join(lines) + "\n")
    print("\n".join(lines))


main()
