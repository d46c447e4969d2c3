#!/usr/bin/env python3
"""The text library exports exactly the functions zr_text.h declares."""
import re
import subprocess
import sys

header, library = sys.argv[1:3]
declared = set(re.findall(r"ZRT_CALL\s+(ZRT_\w+)\s*\(", open(header, encoding="utf-8").read()))
out = subprocess.run(["nm", "-D", "--defined-only", library], capture_output=True, text=True, check=True).stdout
# Symbols of type A are the version script's node names, not functions.
exported = {l.split()[-1].split("@")[0] for l in out.splitlines()
            if len(l.split()) >= 3 and l.split()[1] != "A"}
failures = []
if exported - declared:
    failures.append("library exports names not in the header: %s" % sorted(exported - declared))
if declared - exported:
    failures.append("library lacks exports: %s" % sorted(declared - exported))
for f in failures:
    print(f)
print("%d declared, %d exported" % (len(declared), len(exported)))
sys.exit(1 if failures else 0)
