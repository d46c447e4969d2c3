#!/usr/bin/env python3
"""Doxygen writes the code examples into the manual pages as they stand,
between .nf and .fi, where troff would take the backslash of "\\x82" for one
of its own escapes. The backslashes of those blocks become troff's \\e.

Usage: fix_man_pages.py MAN3_DIRECTORY"""
import os
import sys


def fix(text):
    out = []
    verbatim = False
    for line in text.split("\n"):
        if line.startswith(".nf"):
            verbatim = True
        elif line.startswith(".fi"):
            verbatim = False
        elif verbatim:
            line = line.replace("\\", "\\e")
        out.append(line)
    return "\n".join(out)


def main():
    directory = sys.argv[1]
    for name in sorted(os.listdir(directory)):
        path = os.path.join(directory, name)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        if text.startswith(".so "):
            continue
        fixed = fix(text)
        if fixed != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(fixed)
    return 0


if __name__ == "__main__":
    sys.exit(main())
