#!/usr/bin/env python3
"""Median-of-runs table from Google Benchmark JSON files.

usage: report.py [--readme README.md] OUT.md RUN1.json [RUN2.json ...]

Benchmarks are named CASE/IMPLEMENTATION. For each case the table gives the
median MB/s (items/s for code tables) of every implementation over the runs,
and the ratio of zr_moji to the fastest other implementation of the same run
set. With --readme, the table also replaces what README.md holds between
its "<!-- results -->" and "<!-- /results -->" lines."""
import json
import re
import statistics
import sys
from collections import defaultdict


def main():
    args = sys.argv[1:]
    readme = None
    if args[:1] == ["--readme"]:
        readme, args = args[1], args[2:]
    out, runs = args[0], args[1:]
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
    # Every process of a suite times each of its cases once.
    per_case = max(len(v) for c in rates.values() for v in c.values())
    text = ("Medians of %d processes per case, MB/s (code tables: million items/s); %s.\n\n" % (per_case, host)
            + "\n".join(lines) + "\n")
    with open(out, "w") as f:
        f.write(text)
    if readme:
        with open(readme) as f:
            doc = f.read()
        marked = re.compile(r"(<!-- results -->\n).*?(<!-- /results -->)", re.S)
        if not marked.search(doc):
            sys.exit("%s has no <!-- results --> ... <!-- /results --> section" % readme)
        with open(readme, "w") as f:
            f.write(marked.sub(lambda m: m.group(1) + text + m.group(2), doc))
    print("\n".join(lines))


main()
