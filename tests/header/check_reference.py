#!/usr/bin/env python3
"""The reference built by Doxygen must be complete: no warning, the HTML
index, and for every export of the .def list a section-3 manual page of its
own, with its name and prototype, which troff renders without complaint.

The functions of the text module are checked alike, their names taken from
the declarations of its header.

Usage: check_reference.py DOCS_OUTPUT_DIRECTORY zr_moji.def [zr_text.h]"""
import os
import re
import shutil
import subprocess
import sys


def main():
    out, deffile = sys.argv[1:3]
    exports = [l.strip() for l in open(deffile, encoding="utf-8") if re.match(r"^\s+ZR_\w+\s*$", l)]
    for header in sys.argv[3:]:
        text = open(header, encoding="utf-8").read()
        exports += sorted(set(re.findall(r"ZRT_CALL\s+(ZRT_\w+)\s*\(", text)))
    problems = []
    log = os.path.join(out, "warnings.log")
    if not os.path.exists(log):
        problems.append("no Doxygen log: the reference was not built")
    elif open(log, encoding="utf-8").read().strip():
        problems.append("Doxygen warnings:\n" + open(log, encoding="utf-8").read())
    if not os.path.exists(os.path.join(out, "html", "index.html")):
        problems.append("no html/index.html")
    man3 = os.path.join(out, "man", "man3")
    render = shutil.which("man")
    passed = 0
    for name in exports:
        page = os.path.join(man3, name + ".3")
        if not os.path.exists(page):
            problems.append("%s: no manual page" % name)
            continue
        text = open(page, encoding="utf-8").read()
        if text.startswith(".so "):
            problems.append("%s: its page only leads to %s" % (name, text[4:].strip()))
            continue
        if not re.search(r"^%s \\- \S" % name, text, flags=re.M) or "\\fB%s\\fP (" % name not in text:
            problems.append("%s: its page has no NAME line or no prototype of that name" % name)
            continue
        if render:
            r = subprocess.run([render, "-l", page], capture_output=True, text=True,
                               env=dict(os.environ, MANWIDTH="80"))
            if r.returncode != 0 or r.stderr.strip():
                problems.append("%s: troff complains: %s" % (name, r.stderr.strip()))
                continue
        passed += 1
    for p in problems:
        print(p)
    print("%d passed, %d failed" % (passed, len(exports) - passed))
    return 1 if problems or not exports else 0


if __name__ == "__main__":
    sys.exit(main())
