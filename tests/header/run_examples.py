#!/usr/bin/env python3
"""Compiles and runs the C examples of the documentation, so that they cannot
go stale: every @code block of the header and every ```c block of the README
becomes the body of a main() of its own, built as C99 against the library
and run. A comment on a line that states `name == value` (the README's way
of giving a result) becomes a check after that line; the header's examples
check with assert().

Usage: run_examples.py [--cflag FLAG]... [--link LIBRARY]... CC HEADER_DIR LIBRARY HEADER README...
(--cflag passes the flags the library was built with that its users need too,
such as a sanitizer's; --link names a library to link ahead of LIBRARY, as
the text module's examples need its own beside libzr_moji. HEADER is
included by every example, after zr_moji.h.)"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

PRELUDE = """#include <assert.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include "zr_moji.h"

#define ZR_EXAMPLE_CHECK(cond) \\
    do { if (!(cond)) { fprintf(stderr, "check failed: %s\\n", #cond); exit(1); } } while (0)

int main(void) {
"""

CLAIM = re.compile(r"\b([A-Za-z_]\w*(?:\[\d+\])?)\s*==\s*(-?(?:0[xX][0-9A-Fa-f]+|\d+))\b")


def header_blocks(path):
    text = open(path, encoding="utf-8").read()
    blocks = []
    for m in re.finditer(r"@code(?:\{\.c\})?\n(.*?)@endcode", text, flags=re.S):
        lines = [re.sub(r"^\s*\* ?", "", l) for l in m.group(1).splitlines()]
        line_no = text.count("\n", 0, m.start()) + 2
        blocks.append(("%s:%d" % (os.path.basename(path), line_no), "\n".join(lines)))
    return blocks


def readme_blocks(path):
    text = open(path, encoding="utf-8").read()
    blocks = []
    for m in re.finditer(r"^```c\n(.*?)^```", text, flags=re.S | re.M):
        line_no = text.count("\n", 0, m.start()) + 2
        blocks.append(("%s:%d" % (os.path.basename(path), line_no), m.group(1)))
    return blocks


def with_checks(body):
    """Each `name == value` claimed in a comment becomes a check after its line."""
    out = []
    for line in body.splitlines():
        out.append(line)
        comments = re.findall(r"/\*(.*?)\*/|//(.*)$", line)
        for block, rest in comments:
            for name, value in CLAIM.findall(block or rest):
                if "assert" not in line:
                    out.append("    ZR_EXAMPLE_CHECK(%s == %s);" % (name, value))
    return "\n".join(out)


def link_flags(library):
    """-L, -l and the run path that find a shared library at its path."""
    libdir = os.path.dirname(os.path.abspath(library))
    name = re.sub(r"^lib|\.so(\.\d+)*$", "", os.path.basename(library))
    return ["-L", libdir, "-l" + name, "-Wl,-rpath," + libdir]


def run(cc, cflags, include_dir, libraries, header, where, body, workdir, index):
    source = os.path.join(workdir, "example%d.c" % index)
    exe = os.path.join(workdir, "example%d" % index)
    with open(source, "w", encoding="utf-8") as f:
        extra = "" if header == "zr_moji.h" else '#include "%s"\n' % header
        f.write(PRELUDE.replace('#include "zr_moji.h"\n', '#include "zr_moji.h"\n' + extra))
        f.write("#line 1 \"%s\"\n" % where)
        f.write(with_checks(body))
        f.write("\n    return 0;\n}\n")
    links = []
    for library in libraries:
        links += link_flags(library)
    build = subprocess.run(
        [cc, "-std=c99", "-Wall", "-Wextra", "-Werror", "-Wno-unused-variable"] + cflags + ["-I", include_dir,
         source, "-o", exe] + links,
        capture_output=True, text=True)
    if build.returncode != 0:
        return "does not compile:\n" + build.stderr
    env = dict(os.environ, TEMP=workdir)
    result = subprocess.run([exe], capture_output=True, text=True, cwd=workdir, env=env, timeout=60)
    if result.returncode != 0:
        return "exits with %d:\n%s" % (result.returncode, result.stderr)
    return None


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cflag", action="append", default=[])
    parser.add_argument("--link", action="append", default=[])
    parser.add_argument("cc")
    parser.add_argument("include_dir")
    parser.add_argument("library")
    parser.add_argument("header")
    parser.add_argument("readme", nargs="*")
    args = parser.parse_args()
    blocks = header_blocks(args.header)
    for readme in args.readme:
        blocks += readme_blocks(readme)
    failed = 0
    with tempfile.TemporaryDirectory(prefix="zr_examples_") as workdir:
        for i, (where, body) in enumerate(blocks):
            error = run(args.cc, args.cflag, args.include_dir, args.link + [args.library],
                        os.path.basename(args.header), where, body, workdir, i)
            if error:
                failed += 1
                print("%s: example %s" % (where, error))
            else:
                print("%s: ok" % where)
    print("%d passed, %d failed" % (len(blocks) - failed, failed))
    return 1 if failed or not blocks else 0


if __name__ == "__main__":
    sys.exit(main())
