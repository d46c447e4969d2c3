"""The zr- codecs: against Python's own codecs on CPython's CJK test data,
errors= semantics, incremental decoding at every split, files and streams."""

import codecs
import glob
import io
import os

import pytest

import zrmoji

ESC = b"\x1b"


def _cjk_dir():
    candidates = []
    try:
        import test
        candidates.append(os.path.join(os.path.dirname(test.__file__), "cjkencodings"))
    except ImportError:
        pass
    candidates += sorted(glob.glob("/usr/lib/python3*/test/cjkencodings"))
    for d in candidates:
        if os.path.exists(os.path.join(d, "shift_jis.txt")):
            return d
    return None


CJK = _cjk_dir()

# (CPython's test file, our codec, Python's codec)
CJK_FILES = [
    ("shift_jis", "zr-cp932", "cp932"),
    ("euc_jp", "zr-eucjp", "euc_jp"),
    ("iso2022_jp", "zr-iso2022jp", "iso2022_jp"),
]


@pytest.mark.skipif(CJK is None, reason="CPython's CJK codec test data (Debian: libpython3.X-testsuite) "
                                        "is not installed")
@pytest.mark.parametrize("stem,ours,theirs", CJK_FILES)
def test_cpython_cjk_data_reads_and_writes_as_pythons_codec(stem, ours, theirs):
    with open(os.path.join(CJK, stem + ".txt"), "rb") as f:
        raw = f.read()
    with open(os.path.join(CJK, stem + "-utf8.txt"), "rb") as f:
        text = f.read().decode("utf-8")
    assert raw.decode(ours) == raw.decode(theirs) == text
    assert text.encode(ours) == text.encode(theirs) == raw
    # And a character at a time through the incremental decoder.
    assert "".join(codecs.iterdecode((raw[i:i + 1] for i in range(len(raw))), ours)) == text


@pytest.mark.skipif(CJK is None, reason="CPython's CJK codec test data is not installed")
@pytest.mark.parametrize("stem", ["shift_jis", "euc_jp", "iso2022_jp"])
def test_cpython_cjk_texts_through_utf7_both_ways(stem):
    with open(os.path.join(CJK, stem + "-utf8.txt"), "rb") as f:
        text = f.read().decode("utf-8")
    assert text.encode("zr-utf7").decode("utf_7") == text
    assert text.encode("utf_7").decode("zr-utf7") == text


# Where zr-cp932 and Python's cp932 part, by design: the library's mapping
# is Windows' own. Each row: (why, text, our bytes or None for unmappable,
# Python's bytes or None).
CP932_ENCODE_DIFFERENCES = [
    ("IBM extension: Windows writes the IBM code, Python the NEC-selected one",
     "\u2170", b"\xfa\x40", b"\xee\xef"),
    ("IBM kanji the same way", "\u4e28", b"\xfa\x68", b"\xed\x4c"),
    ("EM DASH is a variant pair's JIS form: written as U+2015's code", "\u2014", b"\x81\x5c", None),
    ("U+0080 has no code page 932 code", "\x80", None, b"\x80"),
    ("nor the private-use characters Python gives 0xA0, 0xFD..0xFF", "\uf8f0", None, b"\xa0"),
    ("a best-fit substitute is a loss, not a mapping", "\u00e9", None, None),
]


@pytest.mark.parametrize("why,text,ours,theirs", CP932_ENCODE_DIFFERENCES)
def test_documented_cp932_encode_differences(why, text, ours, theirs):
    for codec, want in (("zr-cp932", ours), ("cp932", theirs)):
        if want is None:
            with pytest.raises(UnicodeEncodeError):
                text.encode(codec)
        else:
            assert text.encode(codec) == want, codec


@pytest.mark.parametrize("why,data,theirs", [
    ("0x80 alone", b"\x80", "\x80"),
    ("0xA0 alone", b"\xa0", "\uf8f0"),
    ("0xFD..0xFF alone", b"\xfd", "\uf8f1"),
])
def test_documented_cp932_decode_differences(why, data, theirs):
    with pytest.raises(UnicodeDecodeError):
        data.decode("zr-cp932")
    assert data.decode("cp932") == theirs


def test_every_cp932_code_decodes_as_pythons_codec_apart_from_the_documented_ones():
    documented = {b"\x80", b"\xa0", b"\xfd", b"\xfe", b"\xff"}
    leads = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
    codes = [bytes([b]) for b in range(256) if not (b in leads)]
    codes += [bytes([lead, t]) for lead in leads for t in range(0x40, 0x100)]
    for code in codes:
        try:
            ours = code.decode("zr-cp932")
        except UnicodeDecodeError:
            ours = None
        try:
            theirs = code.decode("cp932")
        except UnicodeDecodeError:
            theirs = None
        if code not in documented:
            assert ours == theirs, code.hex()


def _converter_or_none(data, source, target):
    try:
        return zrmoji.convert_bytes(data, source, target)
    except zrmoji.ConversionError:
        return None


def test_zr_cp932_through_utf16_gives_what_the_converter_gives_from_utf8():
    # zr-cp932 hands the converter UTF-16 both ways on long texts; every
    # character and every code must come out as from UTF-8, errors at the
    # same character.
    from zrmoji import _codecs
    pad = "a" * _codecs._DIRECT_MIN
    for c in list(range(1, 0xD800)) + list(range(0xE000, 0x10000)) + [0x10000, 0x20BB7, 0x10FFFF]:
        text = pad + chr(c)
        want = _converter_or_none(text.encode(), "utf-8", "sjis")
        if want is not None:
            assert text.encode("zr-cp932") == want, hex(c)
        else:
            with pytest.raises(UnicodeEncodeError) as e:
                (text + pad).encode("zr-cp932")
            assert (e.value.start, e.value.end) == (len(pad), len(pad) + 1), hex(c)
    leads = list(range(0x81, 0xA0)) + list(range(0xE0, 0x100))
    codes = [bytes([b]) for b in range(1, 256)] + [bytes([lead, t]) for lead in leads for t in range(0x40, 0x100)]
    for code in codes:
        direct = _codecs._cp932_decode_direct(code)
        if direct is not None:
            assert direct.encode() == _converter_or_none(code, "sjis", "utf-8"), code.hex()
    text = SPLIT_TEXT * 50
    assert text.encode("zr-cp932") == zrmoji.convert_bytes(text.encode(), "utf-8", "sjis")
    # Long texts go in slices: errors keep their place past the first, and a
    # character beyond the BMP on a slice's edge is one character.
    n = _codecs._SLICE
    for at in (n - 1, n, n + 1, 2 * n + 5):
        long_text = "日" * at + "😀" + "a" * 10
        with pytest.raises(UnicodeEncodeError) as e:
            long_text.encode("zr-cp932")
        assert (e.value.start, e.value.end) == (at, at + 1)
        assert long_text.encode("zr-cp932", "replace") == b"\x93\xfa" * at + b"?" + b"a" * 10
    # A text that starts with U+FEFF holds it as a character, not a mark.
    try:
        mark = "\ufeff".encode("zr-cp932")
    except UnicodeEncodeError:
        with pytest.raises(UnicodeEncodeError) as e:
            ("\ufeff" + text).encode("zr-cp932")
        assert (e.value.start, e.value.end) == (0, 1)
    else:
        assert ("\ufeff" + text).encode("zr-cp932") == mark + text.encode("zr-cp932")


def test_euc_and_jis_read_the_jis_forms_as_code_page_932_forms():
    # Python's euc_jp and iso2022_jp give U+301C for this code; the library
    # keeps code page 932's character whatever the encoding.
    assert b"\xa1\xc1".decode("zr-eucjp") == "\uff5e"
    assert b"\xa1\xc1".decode("euc_jp") == "\u301c"
    assert (ESC + b"$B!A" + ESC + b"(B").decode("zr-iso2022jp") == "\uff5e"


def test_extensions_that_pythons_jis_codecs_refuse():
    # NEC row 13 has JIS codes; half-width katakana become full-width in
    # ISO-2022-JP; the IBM extensions have no JIS code at all.
    assert "①".encode("zr-eucjp") == b"\xad\xa1"
    assert "ｶﾞ".encode("zr-iso2022jp") == ESC + b"$B%," + ESC + b"(B"
    with pytest.raises(UnicodeEncodeError):
        "①".encode("euc_jp")
    with pytest.raises(UnicodeEncodeError):
        "\u2170".encode("zr-iso2022jp")


# ---- names ---------------------------------------------------------------------

@pytest.mark.parametrize("alias,canonical", [
    ("zr-cp932", "zr-cp932"), ("ZR_SJIS", "zr-cp932"), ("zr-windows-31j", "zr-cp932"),
    ("zr-shift_jis", "zr-cp932"), ("zr ms932", "zr-cp932"),
    ("zr-iso2022jp", "zr-iso2022jp"), ("zr-iso-2022-jp", "zr-iso2022jp"), ("zr-jis", "zr-iso2022jp"),
    ("zr-eucjp", "zr-eucjp"), ("zr-euc-jp", "zr-eucjp"), ("zr-ujis", "zr-eucjp"),
    ("zr-utf7", "zr-utf7"), ("zr-utf-7", "zr-utf7"),
])
def test_aliases(alias, canonical):
    assert codecs.lookup(alias).name == canonical
    assert zrmoji.codec_names().get(alias.lower().replace("_", "-").replace(" ", "-"), canonical) == canonical


@pytest.mark.parametrize("name", ["zr-utf8", "zr-utf-16", "zr-latin1", "zr-", "cp932x"])
def test_names_of_other_encodings_are_not_ours(name):
    with pytest.raises(LookupError):
        codecs.lookup(name)


# ---- errors= ----------------------------------------------------------------------

DECODE_ERRORS = [
    # (why, codec, bytes, (start, end), replace result, ignore result)
    ("lead byte with a bad trail", "zr-cp932", b"a\x82\x20b", (1, 2), "a\ufffd b", "a b"),
    ("lead byte cut short at the end", "zr-cp932", b"ab\x82", (2, 3), "ab\ufffd", "ab"),
    ("byte no Shift_JIS form allows", "zr-cp932", b"\x80a", (0, 1), "\ufffda", "a"),
    ("EUC-JP byte after a good pair", "zr-eucjp", b"\xa4\xa2\xa4", (2, 3), "あ\ufffd", "あ"),
    ("8-bit byte in ISO-2022-JP", "zr-iso2022jp", b"a\xa4b", (1, 2), "a\ufffdb", "ab"),
]


@pytest.mark.parametrize("why,codec,data,span,replaced,ignored", DECODE_ERRORS)
def test_decode_errors(why, codec, data, span, replaced, ignored):
    with pytest.raises(UnicodeDecodeError) as e:
        data.decode(codec)
    assert (e.value.start, e.value.end) == span
    assert e.value.object == data and e.value.encoding == codec
    assert data.decode(codec, "replace") == replaced
    assert data.decode(codec, "ignore") == ignored


ENCODE_ERRORS = [
    # (why, codec, text, start, replace result, ignore result)
    ("emoji", "zr-cp932", "a😀b", 1, b"a?b", b"ab"),
    ("lone surrogate", "zr-cp932", "a\udc80b", 1, b"a?b", b"ab"),
    ("after kanji, ISO-2022-JP", "zr-iso2022jp", "日😀", 1, ESC + b"$BF|" + ESC + b"(B?", ESC + b"$BF|" + ESC + b"(B"),
    ("user-defined area towards EUC-JP", "zr-eucjp", "あ\ue000", 1, b"\xa4\xa2?", b"\xa4\xa2"),
]


@pytest.mark.parametrize("why,codec,text,start,replaced,ignored", ENCODE_ERRORS)
def test_encode_errors(why, codec, text, start, replaced, ignored):
    with pytest.raises(UnicodeEncodeError) as e:
        text.encode(codec)
    assert (e.value.start, e.value.end) == (start, start + 1)
    assert text.encode(codec, "replace") == replaced
    assert text.encode(codec, "ignore") == ignored


def test_other_error_handlers():
    assert "a😀b".encode("zr-cp932", "backslashreplace") == b"a\\U0001f600b"
    # The kanji run is closed before the replacement and opened again after.
    assert "日😀本".encode("zr-iso2022jp", "xmlcharrefreplace") == (
        ESC + b"$BF|" + ESC + b"(B&#128512;" + ESC + b"$BK\\" + ESC + b"(B")
    assert b"a\x80b".decode("zr-cp932", "backslashreplace") == "a\\x80b"
    assert b"a\x80b".decode("zr-cp932", "surrogateescape") == "a\udc80b"
    # A bad byte inside a kanji run: the run goes on after it.
    assert (ESC + b"$B$\"\x80$\"").decode("zr-iso2022jp", "backslashreplace") == "あ\\x80あ"
    with pytest.raises(LookupError):
        b"a".decode("zr-cp932", "no-such-handler")


def test_leading_u_feff_is_a_character_not_a_mark():
    assert "\ufeffa".encode("zr-utf7").decode("zr-utf7") == "\ufeffa"
    with pytest.raises(UnicodeEncodeError) as e:
        "\ufeffa".encode("zr-cp932")
    assert e.value.start == 0


# ---- incremental -------------------------------------------------------------------

SPLIT_TEXT = "日本語のテキスト、ｶﾀｶﾅ ABC ①～ 表示 end"


@pytest.mark.parametrize("codec", ["zr-cp932", "zr-eucjp", "zr-iso2022jp", "zr-utf7"])
def test_incremental_decoding_at_every_split_point(codec):
    text = SPLIT_TEXT if codec != "zr-iso2022jp" else zrmoji.kana_to_fullwidth(SPLIT_TEXT)
    data = text.encode(codec)
    for i in range(len(data) + 1):
        for j in range(i, min(len(data), i + 4) + 1):
            dec = codecs.getincrementaldecoder(codec)()
            got = dec.decode(data[:i]) + dec.decode(data[i:j]) + dec.decode(data[j:], final=True)
            assert got == text, (i, j)


def test_incremental_decoder_reports_a_cut_at_the_end_only_when_final():
    dec = codecs.getincrementaldecoder("zr-cp932")()
    assert dec.decode(b"a\x82") == "a"
    with pytest.raises(UnicodeDecodeError) as e:
        dec.decode(b"", final=True)
    dec.reset()
    assert dec.decode(b"\x82\xa0", final=True) == "あ"
    # The span is relative to the chunk that completed the bad sequence.
    dec = codecs.getincrementaldecoder("zr-cp932")()
    dec.decode(b"abc")
    with pytest.raises(UnicodeDecodeError) as e:
        dec.decode(b"d\x82\x20")
    assert (e.value.start, e.value.end) == (1, 2)


CUT_CHUNKS = [
    # (why, chunk, text it gives, bytes held for the next chunk)
    ("a trail byte that could also lead closes its character", b"\x88\x9f", "亜", b""),
    ("a lead after such a trail is held", b"\x88\x9f\x88", "亜", b"\x88"),
    ("two lead bytes in a row are one character", b"a\x81\x81", "a＝", b""),
    ("three are a character and a cut", b"a\x81\x81\x81", "a＝", b"\x81"),
    ("a longer run of such bytes than the decoder looks back over", b"\x88\x9f" * 40 + b"\x88", "亜" * 40,
     b"\x88"),
]


@pytest.mark.parametrize("why,chunk,text,held", CUT_CHUNKS, ids=[c[0] for c in CUT_CHUNKS])
def test_incremental_zr_cp932_holds_a_cut_lead_byte(why, chunk, text, held):
    dec = codecs.getincrementaldecoder("zr-cp932")()
    assert dec.decode(chunk) == text
    assert dec.getstate() == (held, 0)


def test_incremental_encoder_pieces_decode_as_one_text():
    enc = codecs.getincrementalencoder("zr-iso2022jp")()
    data = b"".join(enc.encode(c) for c in "日本 語") + enc.encode("", final=True)
    assert data.decode("zr-iso2022jp") == "日本 語"
    assert data.decode("iso2022_jp") == "日本 語"


@pytest.mark.parametrize("codec", ["zr-cp932", "zr-iso2022jp", "zr-eucjp", "zr-utf7"])
def test_files_of_many_chunks_through_open(tmp_path, codec):
    text = ("日本語テキスト line %d\n" * 5000) % tuple(range(5000))
    p = tmp_path / "t.txt"
    with open(p, "w", encoding=codec, newline="") as f:
        for k in range(0, len(text), 777):
            f.write(text[k:k + 777])
    assert p.read_bytes().decode(codec) == text
    with open(p, encoding=codec, newline="") as f:
        assert f.read() == text
    with open(p, encoding=codec, newline="") as f:
        assert [line for line in f] == text.splitlines(keepends=True)


def test_stream_reader_and_writer():
    buf = io.BytesIO()
    w = codecs.getwriter("zr-cp932")(buf)
    w.write("あい")
    w.write("う")
    assert buf.getvalue() == "あいう".encode("cp932")
    r = codecs.getreader("zr-cp932")(io.BytesIO(buf.getvalue()))
    assert r.read(1) + r.read() == "あいう"
    with pytest.raises(UnicodeDecodeError):
        codecs.getreader("zr-cp932")(io.BytesIO(b"a\x80")).read()


def test_codecs_on_several_threads():
    import threading
    text = SPLIT_TEXT * 200
    data = text.encode("zr-cp932")
    bad = []

    def work():
        for _ in range(50):
            if data.decode("zr-cp932") != text or text.encode("zr-cp932") != data:
                bad.append(1)

    threads = [threading.Thread(target=work) for _ in range(4)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert not bad


def test_tell_and_seek_in_a_zr_cp932_text_file(tmp_path):
    text = "日本語のテキストABCｶﾅ\n" * 3000
    p = tmp_path / "t.txt"
    p.write_bytes(text.encode("cp932"))
    with open(p, encoding="zr-cp932") as f:
        read = ""
        for k in (1, 7, 5000, 33, 9000):
            read += f.read(k)
            pos = f.tell()
            ahead = f.read(50)
            f.seek(pos)
            assert f.read(50) == ahead, k
            read += ahead
        assert read == text[:len(read)]


if __name__ == "__main__":
    import sys
    sys.exit(pytest.main([__file__]))
