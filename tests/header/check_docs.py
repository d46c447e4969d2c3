#!/usr/bin/env python3
"""Every export of the .def list must be documented where the header declares
it: a /** ... */ block right before the declaration, with a description, one
@param for each parameter by name, and @return (unless it returns void). A
sizing section is required of every export that takes a dstSize, and every
export must belong to a family (@defgroup ... @{ @}) whose block has an
example (@code).

Without a .def list (the text module's header), the functions to check are
the ones the header declares, found as the export check of that library
finds them.

Usage: check_docs.py zr_moji.h zr_moji.def
       check_docs.py zr_text.h"""
import re
import sys

DECL = re.compile(r"ZRT?_API\s+(?P<ret>[\w\s\*]+?)\s*ZRT?_CALL\s+(?P<name>ZRT?_\w+)\s*\((?P<params>[^)]*)\)\s*;")


def declarations(text):
    """name -> (return type, parameter names, the doc block before it or None,
    where the declaration starts)."""
    found = {}
    for m in DECL.finditer(text):
        params = [] if m.group("params").strip() == "void" else [
            re.findall(r"\w+", p)[-1] for p in m.group("params").split(",")]
        before = text[:m.start()].rstrip()
        block = None
        if before.endswith("*/"):
            start = before.rfind("/**")
            # The nearest comment must be a doc block, not a plain comment
            # that happens to follow one.
            if start >= 0 and "*/" not in before[start:-2]:
                block = before[start:]
        found[m.group("name")] = (m.group("ret").strip(), params, block, m.start())
    return found


def problems(name, ret, params, block):
    if block is None:
        return ["%s: no /** ... */ block before its declaration" % name]
    out = []
    body = re.sub(r"@code.*?@endcode", "", block, flags=re.S)
    first = body[3:].strip().lstrip("*").strip()
    if not first or first.startswith("@"):
        out.append("%s: the block has no description before its tags" % name)
    documented = re.findall(r"@param(?:\[\w+\])?\s+(\w+)", body)
    for p in params:
        if p not in documented:
            out.append("%s: no @param for '%s'" % (name, p))
    for p in documented:
        if p not in params:
            out.append("%s: @param '%s' is not a parameter" % (name, p))
    if ret != "void" and "@return" not in body:
        out.append("%s: no @return" % name)
    if "dstSize" in params and "Worst-case dstSize" not in body:
        out.append("%s: no worst-case dstSize" % name)
    return out


def families(text):
    """[(start, end, has an example)] for every @defgroup ... @{ ... @} range."""
    found = []
    for m in re.finditer(r"/\*\*\s*@defgroup\s+\w+.*?\*/", text, flags=re.S):
        start = m.end()
        end = text.find("@}", start)
        found.append((start, end if end >= 0 else len(text), "@code" in m.group(0)))
    return found


def main():
    header = sys.argv[1]
    text = open(header, encoding="utf-8").read()
    if len(sys.argv) > 2:
        exports = [l.strip() for l in open(sys.argv[2], encoding="utf-8") if re.match(r"^\s+ZR_\w+\s*$", l)]
    else:
        # Every name declared with the calling convention, whether or not
        # the declaration parses, so that one the parser misses still fails.
        exports = sorted(set(re.findall(r"ZRT_CALL\s+(ZRT_\w+)\s*\(", text)))
    decls = declarations(text)
    groups = families(text)
    failed = []
    for name in exports:
        if name not in decls:
            failed.append(["%s: not declared in the header" % name])
            continue
        found = problems(name, *decls[name][:3])
        where = decls[name][3]
        family = [g for g in groups if g[0] <= where < g[1]]
        if not family:
            found.append("%s: declared outside any family (@defgroup ... @{ @})" % name)
        elif not family[-1][2]:
            found.append("%s: its family has no example (@code)" % name)
        if found:
            failed.append(found)
    for group in failed:
        for line in group:
            print(line)
    print("%d passed, %d failed" % (len(exports) - len(failed), len(failed)))
    return 1 if failed or not exports else 0


if __name__ == "__main__":
    sys.exit(main())
