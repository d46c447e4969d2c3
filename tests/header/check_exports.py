#!/usr/bin/env python3
"""The .def file is the one list of the 94 exports. Everything else that names
them is checked against it: the header (same names, same order), the built
shared library (those names and nothing else), the fuzz harness's weak
declarations and export table, and the Python binding's ctypes signatures,
whose types must also be those of the header's declarations.

check_exports.py HEADER DEF LIBRARY [--weak FILE] [--fuzz FILE] [--python FILE]
"""
import argparse
import ctypes
import importlib.util
import os
import re
import subprocess
import sys

parser = argparse.ArgumentParser()
parser.add_argument("header")
parser.add_argument("deffile")
parser.add_argument("library")
parser.add_argument("--weak")
parser.add_argument("--fuzz")
parser.add_argument("--python")
args = parser.parse_args()

listed = [l.strip() for l in open(args.deffile, encoding="utf-8") if re.match(r"^\s+ZR_\w+\s*$", l)]
header_text = open(args.header, encoding="utf-8").read()
declarations = re.findall(r"ZR_API\s+(.+?)\s*ZR_CALL\s+(ZR_\w+)\s*\(([^)]*)\)", header_text)
declared = [name for _, name, _ in declarations]
failures = []


def differ(what, names):
    if names != listed:
        extra = [n for n in names if n not in listed]
        lacking = [n for n in listed if n not in names]
        failures.append("%s differs from the export list: extra %s, lacking %s%s" % (
            what, extra, lacking, "" if extra or lacking else ", order differs"))


if len(listed) != 94:
    failures.append("the export list names %d exports, not 94" % len(listed))
differ("the header", declared)

out = subprocess.run(["nm", "-D", "--defined-only", args.library], capture_output=True, text=True,
                     check=True).stdout
exported = sorted(l.split()[-1].split("@")[0] for l in out.splitlines()
                  if l.split() and l.split()[1] in "TtWDdBbRrVvi" and not l.split()[-1].startswith("ZR_MOJI_"))
differ("the library", [n for n in listed if n in exported] + sorted(set(exported) - set(listed)))

if args.weak:
    differ(os.path.basename(args.weak), re.findall(r"^#pragma weak (ZR_\w+)\s*$", open(args.weak).read(), re.M))

if args.fuzz:
    # Exports without a string to call through the table's one shape have
    # targets or checks of their own.
    apart = {"ZR_AsciiEbcdicCode", "ZR_EbcdicAsciiCode", "ZR_CodeTableInitW", "ZR_CodeTableInitA",
             "ZR_CodeTableError", "ZR_CodeTableErrorLine", "ZR_CodeTableCode", "ZR_CodeTableString",
             "ZR_CodeTableTerm"}
    rows = re.findall(r'^\s*\{"(ZR_\w+)", ZRF_ADDR\((ZR_\w+)\), .*?ZRF_\w+\((ZR_\w+)', open(args.fuzz).read(), re.M)
    for row in rows:
        if len(set(row)) != 1:
            failures.append("fuzz table row names different exports: %s" % (row,))
    differ("the fuzz table with the exports checked apart",
           [n for n in listed if n in {r[0] for r in rows} | apart])
    doubled = sorted(n for n in {r[0] for r in rows} if [r[0] for r in rows].count(n) > 1)
    if doubled or {r[0] for r in rows} & apart:
        failures.append("fuzz table rows doubled or also checked apart: %s" % (doubled or sorted({r[0] for r in rows} & apart)))

if args.python:
    os.environ["ZRMOJI_LIBRARY"] = os.path.abspath(args.library)
    # The binding is a package: its directory is where its submodules are.
    spec = importlib.util.spec_from_file_location(
        "zrmoji", args.python, submodule_search_locations=[os.path.dirname(os.path.abspath(args.python))])
    module = importlib.util.module_from_spec(spec)
    sys.modules["zrmoji"] = module
    spec.loader.exec_module(module)
    signatures = module._SIGNATURES
    differ("the Python signatures", [name for name, _, _ in signatures])
    # The ctypes type each C type of the header travels as.
    def ctype(c):
        c = " ".join(c.replace("*", " * ").split())
        c = re.sub(r"^const ", "", c)
        return {
            "void": None, "int32_t": ctypes.c_int32, "uint8_t": ctypes.c_uint8,
            "char *": ctypes.c_char_p, "unsigned char *": ctypes.c_char_p,
            "ZR_WCHAR *": ctypes.POINTER(ctypes.c_uint16), "int32_t *": ctypes.POINTER(ctypes.c_int32),
            "CodeTable *": ctypes.c_void_p,
        }.get(c, "unknown C type " + c)
    header_types = {}
    for result, name, params in declarations:
        types = [] if params.strip() == "void" else [ctype(re.sub(r"\s*\w+$", "", p.strip())) for p in params.split(",")]
        header_types[name] = (ctype(result), types)
    for name, result, params in signatures:
        if name in header_types and header_types[name] != (result, list(params)):
            failures.append("%s: Python signature %s, header %s" % (name, (result, params), header_types[name]))

for f in failures:
    print(f)
print("%d passed, %d failed" % (1 if not failures else 0, 1 if failures else 0))
sys.exit(1 if failures else 0)
