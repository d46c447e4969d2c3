#!/usr/bin/env python3
"""Compares the diff_driver outputs of the Linux library and of the DLL under
Wine. Every result and every output byte must agree, except for the inputs
listed in known_differences.tsv. Differences are printed per export with the
input in hex.

Usage: compare.py NATIVE_OUT WINE_OUT KNOWN_TSV [--require-all]"""
import collections
import sys

SHOW = 6  # differences printed per export


def load(path):
    """{vector line: {(export, input, extra, size): outcome}}, in order."""
    cases = collections.OrderedDict()
    with open(path, encoding="ascii", errors="replace") as f:
        for line in f:
            fields = line.rstrip("\n").split("\t")
            calls = cases.setdefault(fields[0], collections.OrderedDict())
            calls[tuple(fields[1:5])] = fields[5:]
    return cases


def load_known(path):
    known = {}
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            name, hexin, reason = line.rstrip("\n").split("\t")[:3]
            known[(name, hexin)] = reason
    return known


def main():
    native, wine, known = load(sys.argv[1]), load(sys.argv[2]), load_known(sys.argv[3])
    require_all = "--require-all" in sys.argv
    per_export = collections.OrderedDict()
    known_hit = set()
    missing = collections.Counter()
    calls = 0
    lost = [n for n in native if n not in wine] + [n for n in wine if n not in native]
    for case in native:
        if case not in wine:
            continue  # reported once below, not call by call
        got_n, got_w = native[case], wine[case]
        for key in list(got_n) + [k for k in got_w if k not in got_n]:
            name = key[0]
            calls += 1
            stats = per_export.setdefault(name, {"cases": 0, "diff": [], "known": 0})
            stats["cases"] += 1
            val_n, val_w = got_n.get(key), got_w.get(key)
            if "MISSING-EXPORT" in key or (val_n and "MISSING-EXPORT" in val_n):
                missing[name] += 1
            if val_n == val_w:
                continue
            if (name, key[1]) in known:
                stats["known"] += 1
                known_hit.add((name, key[1]))
                continue
            show = lambda v: "(no such call)" if v is None else "\t".join(v)
            stats["diff"].append("vector line %s, input %s, extra %s, dstSize %s:\n      native %s\n      wine   %s" % (
                case, key[1] or "(empty)", key[2] or "-", key[3] or "-", show(val_n), show(val_w)))

    bad = 0
    for name, s in per_export.items():
        if not s["diff"]:
            continue
        bad += len(s["diff"])
        print("FAIL %s: %d of %d calls differ" % (name, len(s["diff"]), s["cases"]))
        for d in s["diff"][:SHOW]:
            print("    " + d)
    if lost:
        print("FAIL %d vector lines have output on one side only (first: vector line %s): did a driver "
              "stop early?" % (len(lost), lost[0]))
        bad += 1
    for name, hexin in sorted(set(known) - known_hit):
        print("note: listed Wine difference %s %s did not occur" % (name, hexin))
    for name, n in missing.items():
        print("%s: export missing, %d cases not run" % (name, n))
    failures = bad + (1 if missing and require_all else 0)
    covered = [n for n in per_export if n not in missing and n != "CT"]
    print("differential test: %d calls over %d exports (code tables: %s), %d known Wine differences "
          "(%d listed inputs), %d unexpected differences" % (
              calls, len(covered), "yes" if "CT" in per_export else "no",
              sum(s["known"] for s in per_export.values()), len(known_hit), bad))
    return 1 if failures else 0


sys.exit(main())
