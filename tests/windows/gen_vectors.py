#!/usr/bin/env python3
"""Writes the vector file that diff_driver runs through the Linux library and the
Windows DLL: every export, with the kinds of input the unit tests use, generated
Japanese text in every encoding, malformed bytes, capacity edges, and exhaustive
sweeps of the code-page converter.

Usage: gen_vectors.py [--quick] > vectors.tsv
The output is deterministic (fixed seed), so two runs give the same file.
"""
import base64
import quopri
import random
import re
import sys
import urllib.parse

QUICK = "--quick" in sys.argv
rng = random.Random(20261207)
out = []


def emit(*fields):
    out.append("\t".join(str(f) for f in fields))


def hx(data):
    return data.hex().upper()


def units_hex(units):
    return "".join("%04X" % u for u in units)


def to_units(text):
    data = text.encode("utf-16-le", "surrogatepass")
    return [int.from_bytes(data[i:i + 2], "little") for i in range(0, len(data), 2)]


def from_units(units):
    return b"".join(u.to_bytes(2, "little") for u in units).decode("utf-16-le", "surrogatepass")


# Wine's UTF-8 decoder, unlike the host converter it imitates, swallows the
# rest of the input, terminator included, when a 3- or 4-byte lead comes too
# close to the end (see known_differences.tsv). Those inputs say nothing about
# the library, so the sweeps and the generated text leave them out; the list
# in known_differences.tsv keeps a few of them in the vectors on purpose.
def utf8_cut_at_end(data):
    n = len(data)
    b = list(data) + [0]
    cont = lambda x: 0x80 <= x <= 0xBF
    i = 0
    while i < n:
        c = b[i]
        if 0xE0 <= c <= 0xEF:
            if n + 1 - (i + 1) < 2:
                return True
            if not cont(b[i + 1]):
                i += 1
            elif (c == 0xE0 and b[i + 1] < 0xA0) or (c == 0xED and b[i + 1] >= 0xA0):
                i += 2
            elif cont(b[i + 2]):
                i += 3
            else:
                i += 2
        elif 0xF0 <= c <= 0xF4:
            if n + 1 - (i + 1) < 3:
                return True
            if not cont(b[i + 1]):
                i += 1
            elif (c == 0xF0 and b[i + 1] < 0x90) or (c == 0xF4 and b[i + 1] >= 0x90):
                i += 2
            elif not cont(b[i + 2]):
                i += 2
            elif not cont(b[i + 3]):
                i += 3
            else:
                i += 4
        elif 0xC2 <= c <= 0xDF:
            i += 2 if cont(b[i + 1]) else 1
        else:
            i += 1
    return False


# ----- text pools -----

def cp932_kanji():
    chars = []
    for lead in list(range(0x88, 0xA0)) + list(range(0xE0, 0xEB)):
        for trail in range(0x40, 0xFD):
            if trail == 0x7F:
                continue
            try:
                chars.append(bytes([lead, trail]).decode("cp932"))
            except UnicodeDecodeError:
                pass
    return chars


KANJI = cp932_kanji()
POOLS = {
    "hira": [chr(c) for c in range(0x3041, 0x3094)],
    "kata": [chr(c) for c in range(0x30A1, 0x30F7)],
    "kanji": KANJI,
    "half": [chr(c) for c in range(0xFF61, 0xFFA0)],
    "full": [chr(c) for c in range(0xFF01, 0xFF5F)],
    "ascii": [chr(c) for c in range(0x20, 0x7F)],
    # Characters where code page 932 and other tables part ways, best-fit
    # and unmappable ones, NEC and IBM rows.
    "special": [chr(c) for c in (0x301C, 0x2015, 0x2225, 0xFF0D, 0xFF5E, 0x2016, 0x2212, 0x00A5,
                                 0x203E, 0x2460, 0x2170, 0x7E8A, 0x9AD9, 0x00E9, 0x20AC, 0x4EEC,
                                 0xFFFD, 0xFEFF, 0x00A6, 0x3094, 0x2252, 0xFFE2, 0x2160)],
    "ctrl": ["\t", "\n", "\r\n", "\x1b", "=", "%", "+", "-", "~", "\\", " ", "?", "&", "#"],
    "astral": ["\U0001F600", "\U00020B9F", "\ud800", "\udc00"],
}
WEIGHTS = [("hira", 5), ("kata", 3), ("kanji", 6), ("half", 1), ("full", 1), ("ascii", 5),
           ("special", 1), ("ctrl", 1), ("astral", 1)]


def japanese_text(length, pools=None):
    names = [n for n, w in WEIGHTS for _ in range(w) if pools is None or n in pools]
    return "".join(rng.choice(POOLS[rng.choice(names)]) for _ in range(length))


def texts(count):
    """UTF-16 test texts: fixed ones the unit tests care about, then generated."""
    fixed = ["A", "\u3042", "\u6f22\u5b57", "abc", "\u3042\u3044\u3046", "\uff71", "\u30fb",
             "ABC\u65e5\u672c\u8a9e", "\u65e5\u672c\u8a9eABC", "a\u3042b\u3044c", "\u301c\u2015\uff5e",
             "\U0001F600", "\ud800", "x\udc00y", "=?ISO-2022-JP?B?", "http://example.jp/\u691c\u7d22?q=\u3042",
             "line1\r\nline2\r\n", "100%", "a+b c", "\uff8a\uff9d\uff76\uff78", "\u2460\u2170\u9ad9",
             "\u3042" * 40, "a" * 80, "\u00e9\u20ac"]
    gen = [japanese_text(rng.randint(1, 24)) for _ in range(count)]
    gen += [japanese_text(rng.randint(60, 120)) for _ in range(max(2, count // 10))]
    return fixed + gen


def enc(text, codec):
    try:
        return text.encode(codec, errors="replace")
    except (UnicodeError, LookupError):
        return text.encode("utf-16-le", "surrogatepass").decode("utf-16-le", "replace").encode(codec, "replace")


def sjis(text):
    return enc(text, "cp932")


def jis(text):
    # Half-width katakana have no place in plain ISO-2022-JP; the extended
    # codec writes them with ESC ( I, which decoders meet in the wild.
    codec = "iso2022_jp_ext" if rng.random() < 0.3 else "iso2022_jp"
    return enc(text, codec)


def euc(text):
    return enc(text, "euc_jp")


def utf8(text):
    return enc(text, "utf-8")


def utf7(text):
    return enc(text, "utf-7")


def malformed_bytes(count):
    """Random and hand-picked broken byte strings (no NUL inside)."""
    fixed = [b"\x81", b"\x81\x20", b"\x81\x7f", b"A\x81", b"\x81\x81\x40", b"\xa0\xfd\xfe\xff", b"\x80",
             b"\x1b", b"\x1b$", b"\x1b$B", b"\x1b$B\x30", b"\x1b$B\x30\x21", b"\x1b(J", b"\x1b(I\x31",
             b"\x1b$@\x30\x21\x1b(B", b"\x0e\x31\x0f", b"\x8e", b"\x8e\xb1", b"\x8f\xa1\xa1", b"\xa1",
             b"\xa4\xa2\xa4", b"\xc0\x80", b"\xe3\x81\x41", b"\xed\xa0\x80", b"\xf4\x90\x80\x80",
             b"\xf0\x9f\x98\x80", b"\xef\xbb\xbf", b"+", b"+-", b"+AAA-", b"+MEI", b"+B\x80+AAA",
             b"+ME-", b"+MEJ-", b"=", b"=4", b"=ZZ", b"=3d", b"=\r\n", b"%", b"%4", b"%ZZ", b"%e3%81%82"]
    gen = []
    for _ in range(count):
        n = rng.randint(1, 16)
        gen.append(bytes(rng.randint(1, 255) for _ in range(n)))
    return fixed + gen


def b64(data, style=0):
    s = base64.b64encode(data)
    if style == 1 and len(s) > 8:  # line breaks inside
        s = s[:8] + b"\r\n" + s[8:]
    if style == 2:  # padding dropped
        s = s.rstrip(b"=")
    return s


def qp(data, crlf=False):
    s = quopri.encodestring(data)
    # The encoder keeps the data's own line ends (CR LF when it has any);
    # only bare LFs become CR LF.
    return re.sub(rb"(?<!\r)\n", b"\r\n", s) if crlf or rng.random() < 0.5 else s


def url(data, prefix=True):
    s = urllib.parse.quote_from_bytes(data, safe="/:?=&").encode("ascii")
    if rng.random() < 0.2:
        s = s.lower()
    return (b"http://example.jp/" + s) if prefix and rng.random() < 0.5 else s


def no_cut(data):
    while utf8_cut_at_end(data):
        data += b"A"
    return data


def a_inputs(kind, texts_, bad):
    """Byte-string inputs of one family, from the texts and the broken bytes."""
    makers = {
        "sjis": sjis, "jis": jis, "euc": euc, "utf7": utf7,
        "utf8": lambda t: no_cut(utf8(t)),
    }
    if kind in makers:
        items = [makers[kind](t) for t in texts_]
        if kind == "utf8":
            bad = [no_cut(b) for b in bad]
        return items + bad
    if kind == "ebcdic":
        return [bytes(rng.randint(1, 255) for _ in range(rng.randint(1, 24))) for _ in range(20)] + [
            bytes(range(1, 256))] + [sjis(t) for t in texts_[:10]]
    if kind.startswith("b64-"):
        inner = kind[4:]
        items = []
        for t in texts_:
            raw = {"jis": jis, "sjis": sjis, "euc": euc, "utf8": lambda x: no_cut(utf8(x)),
                   "raw": lambda x: bytes(rng.randint(0, 255) for _ in range(rng.randint(1, 20)))}[inner](t)
            # Inner line breaks and dropped padding garble the decoded bytes;
            # for UTF-8 that could leave a cut sequence at the end (see
            # utf8_cut_at_end), so UTF-8 keeps to clean Base64.
            items.append(b64(raw, 0 if inner == "utf8" else rng.randint(0, 2)))
        return items + [b"=", b"A", b"AB", b"ABC", b"AB==", b"A===", b"****", b"QUJD!", b"Zg=",
                        b"\x82\xa0", b"44GC", b"GyRCJEIbKEI="]
    if kind.startswith("qp-"):
        inner = kind[3:]
        items = []
        for t in texts_:
            raw = {"jis": jis, "sjis": sjis, "euc": euc, "utf8": lambda x: no_cut(utf8(x)),
                   "raw": lambda x: bytes(rng.randint(0, 255) for _ in range(rng.randint(1, 20)))}[inner](t)
            # A bare-LF soft break decodes as an escape; UTF-8 keeps to CR LF.
            items.append(qp(raw, crlf=inner == "utf8"))
        return items + [b"=", b"=4", b"=ZZ", b"=3d", b"a=\r\nb", b"a=\nb", b"=E3=81=82", b"=1B$B", b"x =20",
                        b"\x82\xa0"]
    if kind.startswith("url-"):
        inner = kind[4:]
        items = []
        for t in texts_:
            raw = {"jis": jis, "sjis": sjis, "euc": euc, "utf8": lambda x: no_cut(utf8(x)),
                   "any": lambda x: rng.choice([jis, sjis, euc, lambda y: no_cut(utf8(y))])(x)}[inner](t)
            items.append(url(raw))
        return items + [b"abc%20def", b"a+b", b"%E3%81%82", b"%A4%A2", b"%82%A0", b"%C4%A1", b"%B1",
                        b"%82%A0%0A", b"%1b%24b", b"%1B%24B0%21%1B%28B", b"%", b"%4", b"%ZZ", b"http://",
                        b"https://x", b"ftp://a", b"mailto:a", b"HTTP://A", b"%e3%81%82"]
    raise ValueError(kind)


# ----- the exports -----

# name: (kind of source, family of the source text); W sources take the texts.
THREE_ARG = {
    "ZR_SJisToUnicode": "sjis", "ZR_UnicodeToSJis": "W", "ZR_JisToSJis": "jis", "ZR_SJisToJis": "sjis",
    "ZR_EucToJis": "euc", "ZR_JisToEuc": "jis", "ZR_EucToSJis": "euc", "ZR_SJisToEuc": "sjis",
    "ZR_JisToUnicode": "jis", "ZR_UnicodeToJis": "W", "ZR_EucToUnicode": "euc", "ZR_UnicodeToEuc": "W",
    "ZR_Utf8ToUnicode": "utf8", "ZR_UnicodeToUtf8": "W", "ZR_Utf8ToSJis": "utf8", "ZR_SJisToUtf8": "sjis",
    "ZR_Utf7ToUnicode": "utf7", "ZR_UnicodeToUtf7": "W", "ZR_Utf7ToSJis": "utf7", "ZR_SJisToUtf7": "sjis",
    "ZR_Base64_Decode": "b64-raw", "ZR_QuotedPrintable_Decode": "qp-raw",
}
for fam, word in (("Base64", "b64"), ("QuotedPrintable", "qp")):
    for cs, src in (("JIS", "jis"), ("SJIS", "sjis"), ("EUC", "euc"), ("UTF8", "utf8")):
        THREE_ARG["ZR_%s_Encode%sW" % (fam, cs)] = "W"
        THREE_ARG["ZR_%s_Encode%sA" % (fam, cs)] = "sjis"
        THREE_ARG["ZR_%s_Decode%sW" % (fam, cs)] = "%s-%s" % (word, src)
        THREE_ARG["ZR_%s_Decode%sA" % (fam, cs)] = "%s-%s" % (word, src)
for cs, src in (("Jis", "jis"), ("SJis", "sjis"), ("Euc", "euc"), ("Utf8", "utf8")):
    THREE_ARG["ZR_URL_Decode%sW" % cs] = "Wurl-%s" % src
    THREE_ARG["ZR_URL_Decode%sA" % cs] = "url-%s" % src

TESTS_A = ["ZR_URL_IsProtocolA", "ZR_URL_IsJisEncodeA", "ZR_URL_IsSJisEncodeA", "ZR_URL_IsEucEncodeA",
           "ZR_URL_IsUtf8EncodeA", "ZR_URL_EncodeTypeA"]
TESTS_W = [n[:-1] + "W" for n in TESTS_A]

TEXTS = texts(12 if QUICK else 60)
BAD = malformed_bytes(10 if QUICK else 60)


def w_text_inputs():
    items = [to_units(t) for t in TEXTS]
    items += [[rng.randint(1, 0xFFFF) for _ in range(rng.randint(1, 12))] for _ in range(10 if QUICK else 40)]
    return items


W_INPUTS = w_text_inputs()


def url_units(kind):
    # A UTF-16 URL is its ASCII text widened, plus a few with raw non-ASCII units.
    return [list(b) for b in a_inputs("url-" + kind, TEXTS, [])] + [to_units("http://\u3042/%E3%81%82"),
                                                                     to_units("\uff05E3")]


def source_items(kind):
    if kind == "W":
        return [units_hex(u) for u in W_INPUTS]
    if kind.startswith("Wurl-"):
        return [units_hex(u) for u in url_units(kind[5:])]
    return [hx(b) for b in a_inputs(kind, TEXTS, BAD)]


def conversions():
    for name, kind in THREE_ARG.items():
        emit(name, "", "0,1,16")  # empty source
        for item in source_items(kind):
            emit(name, item, "auto")


def url_extras():
    for form in "WA":
        items = [units_hex(u) for u in W_INPUTS] if form == "W" else [hx(sjis(t)) for t in TEXTS] + [
            hx(b) for b in BAD[:20]]
        for item in items:
            for t in (-1, 0, 1, 2, 3, 4):
                emit("ZR_URL_Encode" + form, item, "auto", t)
        dec = [units_hex(u) for u in url_units("any")] if form == "W" else [hx(b) for b in a_inputs(
            "url-any", TEXTS, [])]
        for item in dec:
            emit("ZR_URL_Decode" + form, item, "auto")
    for name in TESTS_A:
        for b in a_inputs("url-any", TEXTS, BAD):
            emit(name, hx(b))
    for name in TESTS_W:
        for u in url_units("any"):
            emit(name, units_hex(u))


def byte_coders():
    for name in ("ZR_Base64_Encode", "ZR_QuotedPrintable_Encode"):
        for _ in range(20 if QUICK else 80):
            data = bytes(rng.randint(0, 255) for _ in range(rng.randint(1, 40)))
            emit(name, hx(data), "auto")
            emit(name, hx(data), "auto", rng.randint(-2, len(data)))
        for t in TEXTS:
            emit(name, hx(sjis(t)), "auto")
        emit(name, "00", "auto", 1)
        emit(name, "0D0A2E20093D", "auto")
        emit(name, "FF" * 100, "auto")
        emit(name, "41" * 200, "auto")


def ebcdic():
    for name in ("ZR_AsciiToEbcdic", "ZR_EbcdicToAscii"):
        for sel in (0x400, 0x500, 0x600, 0, 0x401, -1):
            for b in a_inputs("ebcdic", TEXTS, BAD):
                emit(name, hx(b), "auto", sel)
    for name in ("ZR_AsciiEbcdicCode", "ZR_EbcdicAsciiCode"):
        for sel in (0x400, 0x500, 0x600, 0, 0x401):
            for code in list(range(0, 256)) + [-1, 256, 0x141, 0x7FFFFFFF]:
                emit(name, "%X" % (code & 0xFFFFFFFF), "", sel)


def character_tests():
    pairs = range(1, 256) if not QUICK else range(0x70, 0xA0)
    for a in pairs:
        emit("ZR_IsMultiByteChar", "%02X" % a)
        emit("ZR_IsEucJpChar", "%02X" % a)
        emit("ZR_IsUtf8Char", "%02X" % a)
        for b in pairs:
            emit("ZR_IsMultiByteChar", "%02X%02X" % (a, b))
            emit("ZR_IsEucJpChar", "%02X%02X" % (a, b))
    for a in range(0x80, 0x100):
        for tail in (b"\x80", b"\x80\x80", b"\x80\x80\x80", b"\x80\x80\x80\x80", b"\x80\x80\x80\x80\x80",
                     b"\xbf\x41", b"\x80\x80\x41\x80", b"\xc0"):
            emit("ZR_IsUtf8Char", hx(bytes([a]) + tail))
    for b in BAD:
        emit("ZR_IsUtf8Char", hx(b))
        emit("ZR_IsEucJpChar", hx(b))
        emit("ZR_IsMultiByteChar", hx(b))


def sweeps():
    """The code-page converter, exhaustively, through its one-step exports."""
    step = 1 if not QUICK else 17
    for a in range(1, 256):
        emit("ZR_SJisToUnicode", "%02X" % a, "8")
        emit("ZR_Utf7ToUnicode", "%02X" % a, "8")
        emit("ZR_Utf7ToUnicode", "2B%02X" % a, "8")
        if not utf8_cut_at_end(bytes([a])):
            emit("ZR_Utf8ToUnicode", "%02X" % a, "8")
        for b in range(1, 256, step):
            emit("ZR_SJisToUnicode", "%02X%02X" % (a, b), "8")
            emit("ZR_Utf7ToUnicode", "%02X%02X" % (a, b), "8")
            if not utf8_cut_at_end(bytes([a, b])):
                emit("ZR_Utf8ToUnicode", "%02X%02X" % (a, b), "8")
    # UTF-7 runs: '+' and two base64 or other bytes, then a byte that ends
    # the run in each of its ways.
    b64chars = b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/"
    for a in b64chars[::1 if not QUICK else 7]:
        for b in b64chars[::1 if not QUICK else 7]:
            for c in b"Az+/":
                for end in (b"-", b"A-", b"", b"\x80", b" "):
                    emit("ZR_Utf7ToUnicode", hx(bytes([0x2B, a, b, c]) + end), "8")
    # 3- and 4-byte UTF-8 forms, every lead and second byte, sampled third.
    for a in range(0xE0, 0xF5):
        for b in range(0x70, 0xC8, step):
            for c in (0x41, 0x80, 0x9F, 0xA0, 0xBF, 0xC0):
                for d in ((0x80, 0x42) if a >= 0xF0 else (0x42,)):
                    data = bytes([a, b, c, d])
                    if not utf8_cut_at_end(data):
                        emit("ZR_Utf8ToUnicode", hx(data), "8")
    ustep = 1 if not QUICK else 97
    for u in range(1, 0x10000, ustep):
        emit("ZR_UnicodeToSJis", "%04X" % u, "8")
        emit("ZR_UnicodeToUtf8", "%04X" % u, "8")
        emit("ZR_UnicodeToUtf7", "%04X" % u, "12")
    for u in range(1, 0x10000, 61 if not QUICK else 997):
        for v in (0x41, 0x2B, 0x2D, 0x3042, 0xD800, 0xDC00, 0xDE00):
            for name in ("ZR_UnicodeToSJis", "ZR_UnicodeToUtf8", "ZR_UnicodeToUtf7"):
                emit(name, "%04X%04X" % (u, v), "16")
    for hi in range(0xD800, 0xDC00, 7 if not QUICK else 97):
        emit("ZR_UnicodeToUtf8", "%04X%04X" % (hi, 0xDC00 + hi % 0x400), "16")
        emit("ZR_UnicodeToUtf7", "%04X%04X" % (hi, 0xDC00 + hi % 0x400), "16")


def reference_rows():
    """The host reference files' own inputs, through the one-step exports."""
    base = sys.argv[sys.argv.index("--host-data") + 1] if "--host-data" in sys.argv else None
    if not base:
        return
    names = {("utf8", "decode"): "ZR_Utf8ToUnicode", ("utf8", "encode"): "ZR_UnicodeToUtf8",
             ("utf7", "decode"): "ZR_Utf7ToUnicode", ("utf7", "encode"): "ZR_UnicodeToUtf7"}
    for cp in ("utf8", "utf7"):
        with open("%s/%s.tsv" % (base, cp), encoding="utf-8") as f:
            for line in f:
                direction, hexin, _, _, note = line.rstrip("\n").split("\t")[:5]
                if "DERIVED" in note:
                    continue  # listed in known_differences.tsv instead
                hexin = hexin.replace(" ", "")
                if direction == "decode" and cp == "utf8" and utf8_cut_at_end(bytes.fromhex(hexin)):
                    continue
                if hexin:
                    emit(names[(cp, direction)], hexin, "auto")
    cpmap = {"932": ("ZR_SJisToUnicode", "ZR_UnicodeToSJis"), "65001": ("ZR_Utf8ToUnicode", "ZR_UnicodeToUtf8"),
             "65000": ("ZR_Utf7ToUnicode", "ZR_UnicodeToUtf7")}
    with open("%s/capacity.tsv" % base, encoding="utf-8") as f:
        for line in f:
            cp, direction, hexin, size = line.split("\t")[:4]
            hexin = hexin.replace(" ", "")
            if cp == "65001" and direction == "decode" and utf8_cut_at_end(bytes.fromhex(hexin)):
                continue
            if hexin:
                emit(cpmap[cp][0 if direction == "decode" else 1], hexin, size)


def known_differences():
    """The inputs where Wine is known to depart, kept so that the list stays true."""
    path = sys.argv[sys.argv.index("--known") + 1] if "--known" in sys.argv else None
    if not path:
        return
    with open(path, encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            name, hexin = line.split("\t")[:2]
            emit(name, hexin, "auto")


def code_tables():
    def ct(mode, text, direction=0, option=0, sort=1, codes="40,41,42,43", units="004100420043", size=8):
        emit("CT", mode, hx(text.encode("ascii") if isinstance(text, str) else text), direction, option, sort,
             codes, units, size)

    basic = "/ comment\n41,C1,x\n42,C2,x\n"
    for mode in ("W", "A"):
        for d in (0, 1):
            for s in (0, 1):
                ct(mode, basic, d, 0, s, "40,41,42,43,C1,C2")
    ct("W", basic, 2)
    ct("MISSING", "")
    ct("W", "/c\n41,C1,x\n42,C2\n43,C3,x\n")
    ct("W", basic)  # after an error 6: error 0, line kept
    ct("W", "41,C1,x\n\n42,C2,x\n")
    ct("W", "41,C1,x\n42,C2,x")  # last line without a line break
    ct("W", "")
    ct("W", "/only\n/comments\n")
    ct("W", "FFFF,C1,x\n42,FFFF,x\n")
    ct("W", "41,C1,x\r\n42,C2,x\r\n")
    ct("W", " 41,1,x\n0x42,2,x\n43zz,3,x\nzz,4,x\nFFFFFFFF,5,x\n-1,6,x\n+0x10,7,x\n-0X11,8,x\n",
       codes="41,42,43,0,7FFFFFFF,FFFFFFFF,10,FFFFFFEF")
    ct("W", "41,1FFFF,x\n42,2FFFF,x\n43,10041,x\n", units="0041004200430044", size=4,
       codes="41,42,43")
    ct("W", "43,C3,x\n41,C1,x\n42,C2,x\n", sort=0, codes="41,42,43")
    ct("W", "43,C3,x\n41,C1,x\n42,C2,x\n", sort=1, codes="41,42,43")
    ct("W", basic, units="00410042", size=2)
    ct("W", basic, units="004100420043", size=2)
    ct("W", basic, units="", size=4)
    ct("W", basic, units="0041", size=0)
    ct("W", "41,C1,x\n", codes="40,41,42")
    ct("W", '"41","C1","x"\n"42",C2,"a,b"\n', codes="41,42")
    ct("W", "41,C1,x,y\n")
    keys = sorted(rng.sample(range(-100000, 100000), 400))
    signed = lambda v: "-%X" % -v if v < 0 else "%X" % v
    big = "".join("%s,%s,k\n" % (signed(k), signed(k * 7)) for k in keys)
    probe = ",".join("%X" % (k & 0xFFFFFFFF) for k in keys[::13] + [k + 1 for k in keys[::29]])
    ct("W", big, sort=1, codes=probe)
    shuffled = keys[:]
    rng.shuffle(shuffled)
    ct("A", "".join("%X,%s,k\n" % (k & 0xFFFF, signed(k)) for k in shuffled), direction=1, sort=1,
       codes=probe, units=units_hex(rng.sample(range(0, 0x800), 20)), size=30)
    emit("ZR_CodeTableTerm", "NULL")


def null_pointers():
    """Null pointers and negative sizes: -1 (0 from the tests), nothing written."""
    for name, kind in THREE_ARG.items():
        item = "0041" if kind.startswith("W") else "41"
        emit(name, "NULL", "16,0,-1")
        emit(name, item, "16n,-1,-5,-2147483648")
    for name in TESTS_A + TESTS_W + ["ZR_IsMultiByteChar", "ZR_IsEucJpChar", "ZR_IsUtf8Char"]:
        emit(name, "NULL")
    for name in ("ZR_Base64_Encode", "ZR_QuotedPrintable_Encode"):
        emit(name, "NULL", "16", 3)
        emit(name, "414243", "16n,-1")
    for name in ("ZR_AsciiToEbcdic", "ZR_EbcdicToAscii"):
        emit(name, "NULL", "16", 0x400)
        emit(name, "41", "16n,-1", 0x400)
    for name in ("ZR_URL_EncodeW", "ZR_URL_EncodeA"):
        emit(name, "NULL", "16", 1)
        emit(name, "0041" if name.endswith("W") else "41", "16n,-1", 1)
    for name in ("ZR_URL_DecodeW", "ZR_URL_DecodeA"):
        emit(name, "NULL", "16")
        emit(name, "0041" if name.endswith("W") else "41", "16n,-1")


emit("# Generated by tests/windows/gen_vectors.py. Do not edit.")
conversions()
url_extras()
byte_coders()
ebcdic()
character_tests()
code_tables()
reference_rows()
known_differences()
sweeps()
null_pointers()
sys.stdout.write("\n".join(out) + "\n")
