#!/usr/bin/env python3
"""Header, .def list and the built shared library must name the same exports, in
the same order for header and list, and the library must export nothing else."""
import re
import subprocess
import sys

header, deffile, library = sys.argv[1:4]
declared = re.findall(r"ZR_CALL\s+(ZR_\w+)\s*\(", open(header, encoding="utf-8").read())
listed = [l.strip() for l in open(deffile, encoding="utf-8")
          if re.match(r"^\s+ZR_\w+\s*$", l)]
failures = []
if declared != listed:
    failures.append("header and export list differ: %s" % sorted(set(declared) ^ set(listed)))
if len(declared) != 94:
    failures.append("header declares %d exports, not 94" % len(declared))
out = subprocess.run(["nm", "-D", "--defined-only", library], capture_output=True, text=True,
                     check=True).stdout
exported = sorted(l.split()[-1].split("@")[0] for l in out.splitlines()
                  if l.split() and l.split()[1] in "TtWDdBbRrVvi" and not l.split()[-1].startswith("ZR_MOJI_"))
extra = sorted(set(exported) - set(declared))
missing = sorted(set(declared) - set(exported))
if extra:
    failures.append("library exports names not in the header: %s" % extra)
if missing:
    failures.append("library lacks exports: %s" % missing)
for f in failures:
    print(f)
print("%d passed, %d failed" % (1 if not failures else 0, 1 if failures else 0))
sys.exit(1 if failures else 0)
