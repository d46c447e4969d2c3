#!/usr/bin/env python3
"""guess_accuracy.py - how often ZRT_GuessEncoding names the right encoding,
beside `nkf --guess` and uchardet on the same inputs.

Reads real Japanese text at run time from Debian's manpages-ja
(/usr/share/man/ja, UTF-8 roff; the markup lines are dropped), cuts it into
pieces of at most 8, 16, 32, 64 and 256 bytes in every encoding (pieces at
character boundaries, each holding some kana or kanji, each encoded on its
own so an ISO-2022-JP piece has its escapes), adds whole pages, and prints
a Markdown table: accuracy per length and encoding for each engine.

Usage: python3 bench/guess_accuracy.py [--readme bench/README.md] build/src/text/libzr_text.so [pieces-per-cell] [seed]
  --readme: the table also replaces what README.md holds between its
  "<!-- guess -->" and "<!-- /guess -->" lines.
Needs: nkf, libuchardet0 (Debian), manpages-ja.
"""
import ctypes
import glob
import gzip
import os
import random
import re
import subprocess
import sys
import tempfile

ENCODINGS = [  # (our id, Python codec, label)
    (2, "utf-8", "UTF-8"),
    (8, "cp932", "Shift_JIS"),
    (7, "euc_jp", "EUC-JP"),
    (6, "iso2022_jp", "ISO-2022-JP"),
    (3, "utf-16-le", "UTF-16LE"),
    (4, "utf-16-be", "UTF-16BE"),
    (9, "utf-7", "UTF-7"),
]
LENGTHS = [8, 16, 32, 64, 256]
JAPANESE = r"[\u3041-\u30ff\u4e00-\u9fff]"  # a piece must hold some kana or kanji


def canon(name):
    n = (name or "").lower().replace("_", "-")
    if n in ("shift-jis", "cp932", "windows-31j", "sjis", "ms932"):
        return "Shift_JIS"
    if n in ("euc-jp", "eucjp", "cp51932", "eucjp-ms", "euc-jp-ms"):
        return "EUC-JP"
    if n.startswith("iso-2022-jp"):
        return "ISO-2022-JP"
    if n in ("utf-8", "utf8"):
        return "UTF-8"
    if n in ("utf-16le",):
        return "UTF-16LE"
    if n in ("utf-16be",):
        return "UTF-16BE"
    if n in ("utf-16",):
        return "UTF-16"  # no byte order named: counted right for either
    if n in ("utf-7",):
        return "UTF-7"
    return n or "?"


def right(answer, label):
    return answer == label or (answer == "UTF-16" and label.startswith("UTF-16"))


def load_text():
    paths = sorted(glob.glob("/usr/share/man/ja/man*/*.gz"))
    if not paths:
        sys.exit("no manual pages under /usr/share/man/ja: apt-get install manpages-ja")
    pages = []
    for p in paths:
        try:
            raw = gzip.open(p).read().decode("utf-8")
        except (UnicodeDecodeError, OSError):
            continue
        lines = [l for l in raw.splitlines() if not l.startswith((".", "'"))]
        text = re.sub(r"\\f[BIRP]|\\f\[[A-Z]*\]|\\[-&,/]|\\\(..", "", "\n".join(lines))
        if re.search(r"[\u3040-\u30ff\u4e00-\u9fff]", text):
            pages.append((p, text + "\n"))
    return pages


class Ours:
    def __init__(self, path):
        self.lib = ctypes.CDLL(path)
        self.lib.ZRT_GuessEncoding.argtypes = [ctypes.c_char_p, ctypes.c_size_t, ctypes.c_int32, ctypes.c_void_p]
        self.lib.ZRT_EncodingName.restype = ctypes.c_char_p

    def guess(self, data):
        e = self.lib.ZRT_GuessEncoding(data, len(data), 1, None)
        return canon(self.lib.ZRT_EncodingName(e).decode() if e else "none")


class Uchardet:
    def __init__(self):
        self.lib = ctypes.CDLL("libuchardet.so.0")
        self.lib.uchardet_new.restype = ctypes.c_void_p
        self.lib.uchardet_handle_data.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_size_t]
        self.lib.uchardet_data_end.argtypes = [ctypes.c_void_p]
        self.lib.uchardet_get_charset.argtypes = [ctypes.c_void_p]
        self.lib.uchardet_get_charset.restype = ctypes.c_char_p
        self.lib.uchardet_delete.argtypes = [ctypes.c_void_p]

    def guess(self, data):
        u = self.lib.uchardet_new()
        self.lib.uchardet_handle_data(u, data, len(data))
        self.lib.uchardet_data_end(u)
        name = self.lib.uchardet_get_charset(u).decode()
        self.lib.uchardet_delete(u)
        return canon(name)


def nkf_guess_all(items):
    """nkf --guess over many inputs: one process per batch of files."""
    out = [None] * len(items)
    with tempfile.TemporaryDirectory() as d:
        paths = []
        for i, data in enumerate(items):
            p = os.path.join(d, f"{i}")
            with open(p, "wb") as f:
                f.write(data)
            paths.append(p)
        for at in range(0, len(paths), 400):
            batch = paths[at:at + 400]
            res = subprocess.run(["nkf", "--guess"] + batch, capture_output=True).stdout.decode("ascii", "replace")
            for line in res.splitlines():
                name, _, guess = line.partition(": ")
                i = int(os.path.basename(name))
                out[i] = canon(guess.split(" ")[0])
            if len(batch) == 1 and out[at] is None:
                out[at] = canon(res.split(" ")[0])
    return out


def pieces(text, codec, limit, count, rng):
    found = []
    tries = 0
    while len(found) < count and tries < count * 50:
        tries += 1
        start = rng.randrange(len(text))
        chars = []
        best = None
        for ch in text[start:start + limit]:
            chars.append(ch)
            try:
                enc = "".join(chars).encode(codec)
            except UnicodeEncodeError:
                break
            if len(enc) > limit:
                break
            best = enc
        s = best.decode(codec) if best else ""
        if best and re.search(JAPANESE, s):
            found.append(best)
    return found


def main():
    args = sys.argv[1:]
    readme = None
    if args[:1] == ["--readme"]:
        readme = args[1]
        args = args[2:]
    if not args:
        sys.exit(__doc__)
    per_cell = int(args[1]) if len(args) > 1 else 200
    rng = random.Random(int(args[2]) if len(args) > 2 else 15)
    engines = {"zr_text": Ours(args[0]), "uchardet": Uchardet()}
    pages = load_text()
    corpus = "".join(t for _, t in pages)

    cases = []  # (length label, encoding label, data)
    for limit in LENGTHS:
        for _, codec, label in ENCODINGS:
            for data in pieces(corpus, codec, limit, per_cell, rng):
                cases.append((str(limit), label, data))
    whole = rng.sample(pages, min(len(pages), 40))
    for _, codec, label in ENCODINGS:
        for _, text in whole:
            try:
                cases.append(("whole", label, text.encode(codec)))
            except UnicodeEncodeError:
                pass

    answers = {name: [e.guess(c[2]) for c in cases] for name, e in engines.items()}
    answers["nkf --guess"] = nkf_guess_all([c[2] for c in cases])

    names = ["zr_text", "nkf --guess", "uchardet"]
    cells = {}
    for i, (length, label, _) in enumerate(cases):
        cell = cells.setdefault((length, label), {n: [0, 0] for n in names})
        for n in names:
            cell[n][0] += right(answers[n][i], label)
            cell[n][1] += 1
    lengths = [str(l) for l in LENGTHS] + ["whole"]
    table = []
    table.append(f"{len(cases)} inputs from {len(pages)} pages; up to {per_cell} pieces per cell, "
                 f"{len(whole)} whole pages. Each cell: zr_text / nkf --guess / uchardet, % right.\n")
    table.append("| encoding | " + " | ".join(f"{l} B" if l != "whole" else "whole files" for l in lengths) + " |")
    table.append("|---|" + "---|" * len(lengths))
    totals = {n: {l: [0, 0] for l in lengths} for n in names}
    for _, _, label in ENCODINGS:
        row = []
        for l in lengths:
            cell = cells.get((l, label))
            if not cell:
                row.append("-")
                continue
            parts = []
            for n in names:
                ok, total = cell[n]
                totals[n][l][0] += ok
                totals[n][l][1] += total
                parts.append(f"{100 * ok / total:.0f}")
            row.append(" / ".join(parts))
        table.append(f"| {label} | " + " | ".join(row) + " |")
    row = []
    for l in lengths:
        row.append(" / ".join(f"{100 * totals[n][l][0] / max(1, totals[n][l][1]):.1f}" for n in names))
    table.append("| **all** | " + " | ".join(row) + " |")
    behind = [f"{label} {l}" for (l, label), cell in sorted(cells.items())
              if cell["zr_text"][0] < max(cell["nkf --guess"][0], cell["uchardet"][0])]
    table.append("\nCells where zr_text is right less often than the better peer: " +
                 (", ".join(behind) if behind else "none") + ".")
    print("\n".join(table))
    if readme:
        with open(readme, encoding="utf-8") as f:
            text = f.read()
        marked = re.compile(r"(<!-- guess -->\n).*?(<!-- /guess -->)", re.S)
        if not marked.search(text):
            sys.exit(f"{readme} has no <!-- guess --> ... <!-- /guess --> section")
        text = marked.sub(lambda m: m.group(1) + "\n".join(table) + "\n" + m.group(2), text)
        with open(readme, "w", encoding="utf-8") as f:
            f.write(text)
    if os.environ.get("GUESS_MISSES"):
        for i, (length, label, data) in enumerate(cases):
            if not right(answers["zr_text"][i], label):
                print(length, label, answers["zr_text"][i], data[:40])


if __name__ == "__main__":
    main()
