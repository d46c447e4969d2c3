#!/usr/bin/env python3
"""Finishes the manual pages that Doxygen wrote into MAN3_DIRECTORY.

Doxygen writes a page per family and, for each export, a page that only
leads to its family's. Here every export gets a page of its own instead, so
that "man 3 ZR_SJisToUnicode" shows that function: its prototype, its whole
documentation, the notes and the example of its family, and where the
family and the conventions are. Doxygen also writes the code examples as they stand between
.nf and .fi, where troff would take the backslash of "\\x82" for one of its
own escapes; those backslashes become troff's \\e (but for the \\& that Doxygen
puts before a period).

Usage: man_pages.py MAN3_DIRECTORY"""
import os
import re
import sys


def escape_verbatim(text):
    out = []
    verbatim = False
    for line in text.split("\n"):
        if line.startswith(".nf"):
            verbatim = True
        elif line.startswith(".fi"):
            verbatim = False
        elif verbatim:
            # Doxygen's own \& (before a period) stays troff's.
            line = line.replace("\\", "\\e").replace("\\e&", "\\&")
        out.append(line)
    return "\n".join(out)


def sections(lines, marker):
    """Splits lines at every line starting with marker: [(heading, body lines)]."""
    found = []
    for line in lines:
        if line.startswith(marker):
            found.append((line, []))
        elif found:
            found[-1][1].append(line)
    return found


def split_example(lines):
    """(the lines without their first .nf ... .fi block, that block)."""
    start = next((i for i, l in enumerate(lines) if l.startswith(".nf")), None)
    if start is None:
        return lines, []
    end = next((i for i in range(start, len(lines)) if lines[i].startswith(".fi")), None)
    if end is None:
        return lines, []
    return lines[:start] + lines[end + 1:], lines[start:end + 1]


def function_pages(family, text):
    """name -> page text for every function documented on a family's page."""
    lines = text.split("\n")
    title = lines[0]  # .TH "family" 3 "date" "Version" "Project"
    m = re.match(r'\.TH "[^"]*" (\S+) (.*)$', title)
    if not m:
        return {}
    rest = m.group(2)
    top = dict(sections(lines, ".SH "))
    details = top.get('.SH "Detailed Description"', [])
    functions = top.get('.SH "Function Documentation"', [])
    notes, example = split_example(details)
    while notes and notes[-1].strip() in ("", ".PP"):
        notes.pop()
    pages = {}
    for heading, body in sections(functions, ".SS "):
        proto = heading[len(".SS "):].strip().strip('"')
        name_match = re.search(r"\b(ZRT?_\w+) \(", proto)
        if not name_match:
            continue
        name = name_match.group(1)
        while body and body[-1].strip() in ("", ".PP"):
            body.pop()
        brief = next((l for l in body if l.strip() and not l.startswith(".")), name)
        brief = re.sub(r"\\&\.\s*$", "", brief.strip())
        synopsis = proto.replace(name + " (", "\\fB%s\\fP (" % name, 1)
        # The text module's functions come from a header of their own.
        header = "zr_text.h" if name.startswith("ZRT_") else "zr_moji.h"
        page = [
            '.TH "%s" 3 %s' % (name, rest),
            ".ad l",
            ".nh",
            ".SH NAME",
            "%s \\- %s" % (name, brief),
            ".SH SYNOPSIS",
            ".nf",
            "\\fB#include <%s>\\fP" % header,
            ".sp",
            synopsis + ";",
            ".fi",
            ".SH DESCRIPTION",
        ] + body
        if notes:
            page += [".SH FAMILY", "What holds for every export of \\fB%s\\fP(3):" % family, ".PP"] + notes
        if example:
            page += [".SH EXAMPLE", "The example of the family \\fB%s\\fP(3):" % family, ".PP"] + example
        page += [
            '.SH "SEE ALSO"',
            "\\fB%s\\fP(3), the family with its other exports; \\fB%s\\fP(3), the conventions "
            "every export follows\\&." % (family, header),
            "",
        ]
        pages[name] = "\n".join(page)
    return pages


def main():
    directory = sys.argv[1]
    pages = {}
    for name in sorted(os.listdir(directory)):
        path = os.path.join(directory, name)
        with open(path, encoding="utf-8") as f:
            text = f.read()
        if text.startswith(".so "):
            continue
        fixed = escape_verbatim(text)
        if fixed != text:
            with open(path, "w", encoding="utf-8") as f:
                f.write(fixed)
        if name.startswith("zr_") and name.endswith(".3"):
            pages.update(function_pages(name[:-2], fixed))
    for name, text in pages.items():
        with open(os.path.join(directory, name + ".3"), "w", encoding="utf-8") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
