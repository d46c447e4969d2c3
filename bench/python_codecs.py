#!/usr/bin/env python3
"""Speed of the zrmoji package's zr-cp932 codec beside Python's own cp932.

    ZRMOJI_LIBRARY=build/libzr_moji.so.1 python3 bench/python_codecs.py [MB]

Writes a Shift_JIS file of MB megabytes (default 100) of Japanese prose-like
text (kanji, kana, punctuation, some ASCII and half-width katakana, line
breaks) to a temporary directory, then times, best of five runs taken in turn:
decoding the whole file's bytes, reading it through open() (the incremental
decoder in TextIOWrapper's chunks), encoding the whole text; and the
per-call cost of a short string both ways. Prints Markdown tables.
"""

import os
import random
import sys
import tempfile
import time
import timeit

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "bindings", "python"))
import zrmoji  # noqa: E402


def corpus(size):
    """Japanese-looking Shift_JIS text: every character is one cp932 and
    zr-cp932 agree on, so both codecs convert the same text."""
    rng = random.Random(932)
    kanji = [chr(c) for c in range(0x4E00, 0x9FA0) if len(chr(c).encode("cp932", "ignore")) == 2]
    kanji = [k for k in kanji if k.encode("cp932") == k.encode("zr-cp932", "ignore")][:2000]
    hira = [chr(c) for c in range(0x3041, 0x3094)]
    kata = [chr(c) for c in range(0x30A1, 0x30F7)]
    half = [chr(c) for c in range(0xFF66, 0xFF9E)]
    words = []
    for _ in range(20000):
        kind = rng.random()
        if kind < 0.45:
            w = "".join(rng.choice(kanji) for _ in range(rng.randint(1, 3)))
        elif kind < 0.85:
            w = "".join(rng.choice(hira) for _ in range(rng.randint(1, 4)))
        elif kind < 0.93:
            w = "".join(rng.choice(kata) for _ in range(rng.randint(2, 5)))
        elif kind < 0.97:
            w = "".join(rng.choice("abcdefghijklmnopqrstuvwxyz0123456789") for _ in range(rng.randint(2, 8)))
        else:
            w = "".join(rng.choice(half) for _ in range(rng.randint(2, 4)))
        words.append(w)
    lines = []
    for i in range(0, len(words), 12):
        lines.append("".join(words[i:i + 12]) + "。\r\n")
    block = "".join(lines).encode("cp932")
    return (block * (size // len(block) + 1))[:size].rsplit(b"\r\n", 1)[0] + b"\r\n"


def best_pair(a, b, runs=5):
    """Best times of a and b, run in turn so that both see the same load."""
    ta, tb = [], []
    for _ in range(runs):
        for fn, t in ((a, ta), (b, tb)):
            start = time.perf_counter()
            fn()
            t.append(time.perf_counter() - start)
    return min(ta), min(tb)


def main():
    mb = float(sys.argv[1]) if len(sys.argv) > 1 else 100.0
    data = corpus(int(mb * 1_000_000))
    text = data.decode("cp932")
    assert data.decode("zr-cp932") == text and text.encode("zr-cp932") == data
    rows = []
    with tempfile.TemporaryDirectory() as d:
        path = os.path.join(d, "sjis.txt")
        with open(path, "wb") as f:
            f.write(data)

        def read(codec):
            with open(path, encoding=codec, newline="") as f:
                while f.read(1 << 20):
                    pass

        for what, make in [
            ("decode bytes -> str", lambda c: (lambda: data.decode(c))),
            ("open(..., encoding=).read() in 1 MB pieces", lambda c: (lambda: read(c))),
            ("encode str -> bytes", lambda c: (lambda: text.encode(c))),
        ]:
            ours, theirs = best_pair(make("zr-cp932"), make("cp932"))
            rows.append((what, len(data) / ours / 1e6, len(data) / theirs / 1e6, theirs / ours))

    short = "日本語のテキスト"
    short_b = short.encode("cp932")
    n = 100_000
    calls = []
    for what, ours, theirs in [
        ("decode 16 bytes", lambda: short_b.decode("zr-cp932"), lambda: short_b.decode("cp932")),
        ("encode 8 characters", lambda: short.encode("zr-cp932"), lambda: short.encode("cp932")),
    ]:
        o = min(timeit.repeat(ours, number=n, repeat=5)) / n * 1e6
        t = min(timeit.repeat(theirs, number=n, repeat=5)) / n * 1e6
        calls.append((what, o, t))
    exports = min(timeit.repeat(lambda: zrmoji.encode(short, "sjis"), number=n, repeat=3)) / n * 1e6

    print("%.0f MB of Shift_JIS (MB/s, best of five, run in turn; higher is better):\n" % (len(data) / 1e6))
    print("| operation | zr-cp932 | cp932 | zr-cp932 / cp932 |")
    print("|---|---|---|---|")
    for what, o, t, ratio in rows:
        print("| %s | %.0f | %.0f | %.2fx |" % (what, o, t, ratio))
    print("\nA short string, microseconds per call (lower is better):\n")
    print("| call | zr-cp932 | cp932 |")
    print("|---|---|---|")
    for what, o, t in calls:
        print("| %s | %.2f | %.2f |" % (what, o, t))
    print("| `zrmoji.encode(s, \"sjis\")` (the export wrapper) | %.2f | |" % exports)


if __name__ == "__main__":
    main()
