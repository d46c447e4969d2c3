#!/usr/bin/env python3
"""The DLLs' export tables must hold exactly the names of their headers, each
undecorated (no _Name@N left by __stdcall), and the DLLs must import nothing
but system DLLs (and ZR_Moji.dll only ZR_Basis.dll besides), so that they run
on a bare Windows without the compiler's runtime.

Usage: check_dll_exports.py OBJDUMP HEADER DLL [BASIS_DLL]"""
import re
import subprocess
import sys

# The text-file and CSV routines that the code-table loader imports by name.
BASIS_NAMES = ["ZR_TextFileOpenW", "ZR_TextFileEof", "ZR_TextFileGetsW", "ZR_TextFileError",
               "ZR_StringCSVW", "ZR_DeleteStrListW", "ZR_TextFileClose"]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "msvcrt.dll", "advapi32.dll", "ntdll.dll"}


def table(objdump, dll):
    text = subprocess.run([objdump, "-p", dll], capture_output=True, text=True, check=True).stdout
    exports, imports, in_names = [], [], False
    for line in text.splitlines():
        if line.startswith("[Ordinal/Name Pointer] Table"):
            in_names = True
            continue
        if in_names:
            m = re.match(r"^\s+\[\s*\d+\]\s+(\S+)\s*$", line)
            if m:
                exports.append(m.group(1))
                continue
            in_names = False
        m = re.match(r"^\s+DLL Name:\s+(\S+)", line)
        if m:
            imports.append(m.group(1))
    return exports, imports


def check(objdump, dll, want, allowed_imports, failures):
    exports, imports = table(objdump, dll)
    decorated = sorted(n for n in exports if "@" in n or n.startswith("_"))
    extra = sorted(set(exports) - set(want))
    missing = sorted(set(want) - set(exports))
    if decorated:
        failures.append("%s: decorated names: %s" % (dll, decorated))
    if extra:
        failures.append("%s: exports names it should not: %s" % (dll, extra))
    if missing:
        failures.append("%s: lacks %d exports: %s" % (dll, len(missing), missing))
    if len(exports) != len(set(exports)):
        failures.append("%s: a name is exported twice" % dll)
    foreign = sorted(d for d in imports if d.lower() not in allowed_imports)
    if foreign:
        failures.append("%s: needs DLLs beyond the system's: %s" % (dll, foreign))
    print("%s: %d exports, imports %s" % (dll, len(exports), ", ".join(imports)))


def main():
    objdump, header, dll = sys.argv[1:4]
    basis = sys.argv[4] if len(sys.argv) > 4 else None
    declared = re.findall(r"ZR_CALL\s+(ZR_\w+)\s*\(", open(header, encoding="utf-8").read())
    failures = []
    if len(declared) != 94:
        failures.append("%s declares %d exports, not 94" % (header, len(declared)))
    check(objdump, dll, declared, SYSTEM_DLLS | {"zr_basis.dll"}, failures)
    if basis:
        check(objdump, basis, BASIS_NAMES, SYSTEM_DLLS, failures)
    else:
        failures.append("ZR_Basis.dll was not built")
    for f in failures:
        print("FAIL " + f)
    print("export check: %s" % ("passed" if not failures else "%d failures" % len(failures)))
    return 1 if failures else 0


sys.exit(main())
