"""Tests of the wrappers of the 94 exports (ZRMOJI_LIBRARY=path/to/libzr_moji.so.1)."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

import zrmoji

ESC = b"\x1b"


class Exports(unittest.TestCase):
    def test_all_94_are_declared_and_present(self):
        self.assertEqual(len(zrmoji._SIGNATURES), 94)
        self.assertEqual(len({n for n, _, _ in zrmoji._SIGNATURES}), 94)
        self.assertEqual(zrmoji.missing_exports, [])

    def test_declarations_match_the_header(self):
        here = os.path.dirname(os.path.abspath(__file__))
        header = os.path.join(here, "..", "..", "..", "include", "zr_moji.h")
        with open(header, encoding="utf-8") as f:
            names = [l.split("ZR_CALL ")[1].split("(")[0] for l in f if l.startswith("ZR_API")]
        self.assertEqual(names, [n for n, _, _ in zrmoji._SIGNATURES])


class Version(unittest.TestCase):
    def test_version_is_the_projects(self):
        # ZRMOJI_EXPECT_VERSION is the CMake project version, set by CTest.
        want = os.environ.get("ZRMOJI_EXPECT_VERSION")
        if want is None:
            self.skipTest("ZRMOJI_EXPECT_VERSION not set (run through CTest)")
        self.assertEqual(zrmoji.__version__, want)

    def test_generated_version_file_wins(self):
        # An installed copy has no CMakeLists.txt above it; the file the
        # build writes beside the package must be what it reports.
        d = tempfile.mkdtemp()
        try:
            pkg = os.path.join(d, "zrmoji")
            shutil.copytree(os.path.dirname(zrmoji.__file__), pkg,
                            ignore=shutil.ignore_patterns("__pycache__", "*.so*", "_zrmoji_version.py"))
            with open(os.path.join(pkg, "_zrmoji_version.py"), "w", encoding="utf-8") as f:
                f.write('__version__ = "9.8.7"\n')
            code = "import sys; sys.path.insert(0, %r); import zrmoji; print(zrmoji.__version__)" % d
            out = subprocess.run([sys.executable, "-c", code], stdout=subprocess.PIPE, check=True,
                                 env=dict(os.environ, ZRMOJI_LIBRARY=zrmoji.library_path)).stdout
            self.assertEqual(out.decode().strip(), "9.8.7")
        finally:
            shutil.rmtree(d)


class Conversions(unittest.TestCase):
    VECTORS = [
        # (why, text, encoding, bytes)
        ("hiragana in Shift_JIS", "あ", "sjis", b"\x82\xa0"),
        ("kanji run closed at the end", "亜", "jis", ESC + b"$B0!" + ESC + b"(B"),
        ("EUC-JP", "亜A", "euc", b"\xb0\xa1A"),
        ("UTF-8", "あ", "utf8", b"\xe3\x81\x82"),
        ("UTF-7 of letters", "abc", "utf7", b"abc"),
        ("UTF-16 little-endian", "あ", "utf16", b"\x42\x30"),
        ("half-width katakana", "ｱ", "sjis", b"\xb1"),
        ("empty", "", "jis", b""),
    ]

    def test_vectors_both_ways(self):
        for why, text, enc, data in self.VECTORS:
            with self.subTest(why=why):
                self.assertEqual(zrmoji.encode(text, enc), data)
                self.assertEqual(zrmoji.decode(data, enc), text)

    def test_direct_conversions(self):
        cases = [
            ("Shift_JIS to JIS", b"\x82\xa0A", "sjis", "jis", ESC + b"$B$\"" + ESC + b"(BA"),
            ("EUC-JP to JIS writes ESC $ @", b"\xb0\xa1", "euc", "jis", ESC + b"$@0!"),
            ("JIS to EUC-JP", ESC + b"$B0!" + ESC + b"(BA", "jis", "euc", b"\xb0\xa1A"),
            ("UTF-8 to JIS through UTF-16", "日本".encode(), "utf8", "jis",
             ESC + b"$BF|K\\" + ESC + b"(B"),
            ("same encoding", b"\xff", "sjis", "sjis", b"\xff"),
            ("UTF-7 to Shift_JIS", b"+ZeVnLA-", "utf7", "sjis", b"\x93\xfa\x96\x7b"),
            ("to UTF-16 bytes", b"\x82\xa0", "sjis", "utf16", b"\x42\x30"),
        ]
        for why, data, f, t, want in cases:
            with self.subTest(why=why):
                self.assertEqual(zrmoji.convert(data, f, t), want)

    def test_long_text_grows_the_buffer(self):
        # Alternating kana and letters: every character switches JIS mode,
        # far beyond a first guess at the size.
        text = "あa" * 20000
        jis = zrmoji.encode(text, "jis")
        self.assertEqual(len(jis), 20000 * 9)
        self.assertEqual(zrmoji.decode(jis, "jis"), text)
        self.assertEqual(zrmoji.decode(zrmoji.encode(text, "utf7"), "utf7"), text)

    def test_refusals(self):
        with self.assertRaises(zrmoji.ZRMojiError) as cm:
            zrmoji.encode("a\ue000", "jis")
        self.assertEqual(cm.exception.result, -1)
        with self.assertRaises(zrmoji.ZRMojiError):
            zrmoji.convert(b"\xf0\x40", "sjis", "euc")
        for call in (lambda: zrmoji.decode(b"a\0b", "sjis"), lambda: zrmoji.encode("a\0b", "sjis"),
                     lambda: zrmoji.url_encode("a\0b"), lambda: zrmoji.base64_encode_text("a\0")):
            with self.assertRaises(ValueError):  # the export would stop at the NUL
                call()
        with self.assertRaises(ValueError):
            zrmoji.encode("x", "latin1")

    def test_losses_raise_unless_replaced(self):
        cases = [
            # (why, text, encoding, with errors="replace")
            ("a character outside the BMP", "a😀", "sjis", b"a??"),
            ("a best-fit substitute is a loss too", "\u00e9", "sjis", None),
            ("towards JIS as well", "a😀", "jis", None),
        ]
        for why, text, enc, replaced in cases:
            with self.subTest(why=why):
                with self.assertRaises(UnicodeEncodeError):
                    zrmoji.encode(text, enc)
                if replaced is not None:
                    self.assertEqual(zrmoji.encode(text, enc, errors="replace"), replaced)
        # The JIS form of a variant pair is written with its twin's code.
        self.assertEqual(zrmoji.encode("\u301c", "sjis"), b"\x81\x60")
        self.assertEqual(zrmoji.encode("\u301c", "euc"), b"\xa1\xc1")

    def test_character_tests(self):
        cases = [
            ("lead and trail", zrmoji.is_multibyte_char, b"\x81\x40", True),
            ("DEL is no trail", zrmoji.is_multibyte_char, b"\x81\x7f", False),
            ("katakana byte", zrmoji.is_euc_jp_char, b"\xa1", True),
            ("three-byte UTF-8", zrmoji.is_utf8_char, b"\xe3\x81\x82", 3),
            ("cut short", zrmoji.is_utf8_char, b"\xe3\x81", 0),
            ("lead byte at the end", zrmoji.is_multibyte_char, b"\x81", False),
        ]
        for why, f, data, want in cases:
            with self.subTest(why=why):
                self.assertEqual(f(data), want)


class Mime(unittest.TestCase):
    def test_plain_coders(self):
        self.assertEqual(zrmoji.base64_encode(b"ABC"), "QUJD")
        self.assertEqual(zrmoji.base64_decode("QUJD\r\nQQ"), b"ABCA")
        self.assertEqual(zrmoji.base64_decode(zrmoji.base64_encode(bytes(range(256)))), bytes(range(256)))
        self.assertEqual(zrmoji.qp_encode(b"a=b"), "a=3Db")
        self.assertEqual(zrmoji.qp_decode("=E3=81=82"), b"\xe3\x81\x82")
        with self.assertRaises(zrmoji.ZRMojiError):
            zrmoji.qp_decode(b"\xe9")
        with self.assertRaises(ValueError):
            zrmoji.base64_decode("QUJDQ")  # a lone character cannot be a group
        self.assertEqual(zrmoji.qp_decode_text("=E3=81=\r\n=84", "utf8"), "い")

    def test_charset_members(self):
        cases = [
            ("JIS in Base64", zrmoji.base64_encode_text, "い", "jis", "GyRCJCQbKEI="),
            ("UTF-8 in Base64", zrmoji.base64_encode_text, "い", "utf8", "44GE"),
            ("UTF-8 in QP", zrmoji.qp_encode_text, "い", "utf8", "=E3=81=84"),
            ("JIS in QP", zrmoji.qp_encode_text, "い", "jis", "=1B$B$$=1B(B"),
        ]
        for why, f, text, cs, want in cases:
            with self.subTest(why=why):
                self.assertEqual(f(text, cs), want)
        for cs in zrmoji.CHARSETS:
            with self.subTest(cs=cs):
                text = "会議のお知らせ ABC"
                self.assertEqual(zrmoji.base64_decode_text(zrmoji.base64_encode_text(text, cs), cs), text)
                self.assertEqual(zrmoji.qp_decode_text(zrmoji.qp_encode_text(text, cs), cs), text)
        with self.assertRaises(zrmoji.ZRMojiError):
            zrmoji.base64_decode_text("QQBC", "utf8")  # a NUL inside the text


class Url(unittest.TestCase):
    def test_encode_decode(self):
        cases = [
            ("UTF-8", "あ", "utf8", "%E3%81%82"),
            ("EUC-JP", "あ", "euc", "%A4%A2"),
            ("Shift_JIS", "あ", "sjis", "%82%A0"),
            ("JIS designations", "亜", "jis", "%1B%24B0%21%1B%28B"),
            ("space", "a b", "sjis", "a+b"),
            ("EUC-JP byte from 0xE0 up escaped", "日本", "euc", "%C6%FC%CB%DC"),
            ("half-width katakana escaped", "ｱあ", "sjis", "%B1%82%A0"),
        ]
        for why, text, cs, url in cases:
            with self.subTest(why=why):
                self.assertEqual(zrmoji.url_encode(text, cs), url)
                self.assertEqual(zrmoji.url_decode(url, cs), text)

    def test_detection(self):
        cases = [("%E3%81%82", "utf8"), ("%A4%A2", "euc"), ("%82%A0", "sjis"), ("%1B%24B", "jis"),
                 ("abc%20def", None), ("%82%A0%0A", None)]
        for url, want in cases:
            with self.subTest(url=url):
                self.assertEqual(zrmoji.url_encode_type(url), want)
        self.assertEqual(zrmoji.url_decode_detect("%E6%97%A5"), ("日", "utf8"))
        with self.assertRaises(zrmoji.ZRMojiError):
            zrmoji.url_decode_detect("abc%20def")
        with self.assertRaises(zrmoji.ZRMojiError):
            zrmoji.url_decode("%82%A0%G1", "sjis")  # would stop at the bad escape
        # Bytes reach the decoder unchanged, raw UTF-8 outside the escapes too.
        self.assertEqual(zrmoji.url_decode("日%E6%9C%AC".encode(), "utf8"), "日本")
        self.assertTrue(zrmoji.url_is_protocol("https:x"))
        self.assertFalse(zrmoji.url_is_protocol("HTTP:x"))
        self.assertTrue(zrmoji.url_is_encoded_as("%C4%A1", "euc"))


class Ebcdic(unittest.TestCase):
    def test_strings_and_codes(self):
        self.assertEqual(zrmoji.ascii_to_ebcdic(b"A\x82\xa0B"), b"\xc1(\x82\xa0)\xc2")
        self.assertEqual(zrmoji.ebcdic_to_ascii(b"\xc1(\x82\xa0)\xc2"), b"A\x82\xa0B")
        self.assertEqual(zrmoji.ascii_to_ebcdic(b"ab", zrmoji.EBCDIC_TABLE_KANA), b"\xff\xff")
        self.assertEqual(zrmoji.ascii_ebcdic_code(0x0A), 0x15)
        self.assertEqual(zrmoji.ebcdic_ascii_code(0x41, zrmoji.EBCDIC_TABLE_KANA), 0xA1)
        self.assertEqual(zrmoji.ebcdic_ascii_code(0x41, 0), 0xFF)


class CodeTables(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zrmoji-py-")
        self.temp = os.path.join(self.dir, "temp")
        os.mkdir(self.temp)
        self.old_temp = os.environ.get("TEMP")
        os.environ["TEMP"] = self.temp

    def tearDown(self):
        os.environ["TEMP"] = self.old_temp
        shutil.rmtree(self.dir)

    def table(self, text):
        p = os.path.join(self.dir, "t.txt")
        with open(p, "wb") as f:
            f.write(text)
        return p

    def test_lookup_map_and_release(self):
        with zrmoji.CodeTable(self.table(b"/ c\n41,C1,x\n42,C2,x\n")) as t:
            self.assertEqual(len(os.listdir(self.temp)), 1)
            self.assertEqual([t.code(0x41), t.code(0x42), t.code(0x43)], [0xC1, 0xC2, None])
            self.assertEqual(t.map("ABC"), "\u00c1\u00c2")
            self.assertEqual(t.map(""), "")
        self.assertEqual(os.listdir(self.temp), [])
        with self.assertRaises(ValueError):
            t.code(0x41)
        # Keys out of order are found once sorted; reverse makes field 2 the key.
        with zrmoji.CodeTable(self.table(b"9,90,x\n-1,10,x\n3,30,x\n"), sort=True) as t:
            self.assertEqual([t.code(-1), t.code(3), t.code(9)], [0x10, 0x30, 0x90])
        with zrmoji.CodeTable(self.table(b"41,C1,x\n"), reverse=True) as t:
            self.assertEqual((t.code(0xC1), t.code(0x41)), (0x41, None))

    def test_load_errors(self):
        cases = [
            ("bad line", b"41,C1,x\n42,C2\n", 6, 2),
            ("no record", b"/ nothing\n", 7, None),
        ]
        for why, text, code, line in cases:
            with self.subTest(why=why):
                with self.assertRaises(zrmoji.CodeTableError) as cm:
                    zrmoji.CodeTable(self.table(text))
                self.assertEqual(cm.exception.code, code)
                if line is not None:
                    self.assertEqual(cm.exception.line, line)
        with self.assertRaises(zrmoji.CodeTableError) as cm:
            zrmoji.CodeTable(os.path.join(self.dir, "none.txt"))
        self.assertEqual(cm.exception.code, 2)
        self.assertEqual(os.listdir(self.temp), [])


if __name__ == "__main__":
    unittest.main()
