#!/usr/bin/env python3
"""End-to-end tests of the zrmoji program: files, pipes, errors, exit codes.

Run: ZRMOJI_EXE=path/to/zrmoji python3 cli_tests.py [TestClass...]
Each case is data: (why, arguments, standard input, expected output or None,
expected exit status, text expected on stderr or None)."""

import base64
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

EXE = os.environ.get("ZRMOJI_EXE", "zrmoji")
ESC = b"\x1b"
KANJI_IN, KANJI_OUT = ESC + b"$B", ESC + b"(B"


def run(args, stdin=b"", env=None, cwd=None):
    p = subprocess.run([EXE] + list(args), input=stdin, stdout=subprocess.PIPE,
                       stderr=subprocess.PIPE, env=env, cwd=cwd, timeout=300)
    return p.returncode, p.stdout, p.stderr.decode("utf-8", "replace")


class Cases(unittest.TestCase):
    def check(self, cases):
        for why, args, stdin, want, rc, err in cases:
            with self.subTest(why=why):
                got_rc, out, stderr = run(args, stdin)
                self.assertEqual(got_rc, rc, "%s: exit status (stderr: %s)" % (why, stderr))
                if want is not None:
                    self.assertEqual(out, want, why)
                if err is not None:
                    self.assertIn(err, stderr, why)
                if rc != 0:
                    self.assertTrue(stderr.startswith("zrmoji: "), why + ": a message is given")
                self.assertNotIn("Sanitizer", stderr, why)


class ConvTests(Cases):
    def test_vectors(self):
        self.check([
            ("kanji run gets escapes", ["conv", "-f", "sjis", "-t", "jis"], b"\x82\xa0A",
             KANJI_IN + b"$\"" + KANJI_OUT + b"A", 0, None),
            ("JIS back to Shift_JIS", ["conv", "-f", "jis", "-t", "sjis"],
             KANJI_IN + b"0!" + KANJI_OUT + b"A", b"\x88\x9fA", 0, None),
            ("EUC-JP to JIS designates with ESC $ B", ["conv", "-f", "euc", "-t", "jis"], b"\xb0\xa1A",
             ESC + b"$B0!" + KANJI_OUT + b"A", 0, None),
            ("UTF-8 to Shift_JIS", ["conv", "-f", "utf8", "-t", "sjis"], b"\xe3\x81\x82\n",
             b"\x82\xa0\n", 0, None),
            ("half-width katakana grows in UTF-8", ["conv", "-f", "sjis", "-t", "utf8"], b"\xb1",
             "\uff71".encode(), 0, None),
            ("UTF-16 out is little-endian", ["conv", "-f", "utf8", "-t", "utf16"], "Aあ\n".encode(),
             "Aあ\n".encode("utf-16-le"), 0, None),
            ("UTF-16 in", ["conv", "-f", "utf16", "-t", "euc"], "亜\n".encode("utf-16-le"),
             b"\xb0\xa1\n", 0, None),
            ("same encoding copies", ["conv", "-f", "sjis", "-t", "sjis"], b"\x82\xa0\x00x",
             b"\x82\xa0\x00x", 0, None),
            ("... once validated", ["conv", "-f", "sjis", "-t", "sjis"], b"\x82\xa0\xff",
             None, 1, "(byte offset 2): malformed shift_jis input (bytes FF)"),
            ("aliases", ["conv", "--from=Shift_JIS", "--to", "UTF-8"], b"\x82\xa0", "あ".encode(), 0, None),
            ("empty input", ["conv", "-f", "sjis", "-t", "jis"], b"", b"", 0, None),
        ])

    def test_stream_details(self):
        self.check([
            # ISO-2022-JP that stays in kanji mode across a line break: the
            # next line must still be read as kanji.
            ("JIS kanji mode carries over a line break", ["conv", "-f", "jis", "-t", "utf8"],
             KANJI_IN + b"0!\n0!" + KANJI_OUT + b"\n", "亜\n亜\n".encode(), 0, None),
            ("NUL bytes are carried, not cut", ["conv", "-f", "sjis", "-t", "utf16"], b"A\x00B",
             "A\0B".encode("utf-16-le"), 0, None),
            ("NUL in UTF-16 input", ["conv", "-f", "utf16", "-t", "utf8"], "A\0B".encode("utf-16-le"),
             b"A\x00B", 0, None),
            ("UTF-8 BOM dropped for Shift_JIS", ["conv", "-f", "utf8", "-t", "sjis"],
             b"\xef\xbb\xbfA", b"A", 0, None),
            ("UTF-16 BOM dropped for EUC-JP", ["conv", "-f", "utf16", "-t", "euc"],
             b"\xff\xfeA\x00", b"A", 0, None),
            ("no trailing line break is added", ["conv", "-f", "utf8", "-t", "jis"], "亜".encode(),
             KANJI_IN + b"0!" + KANJI_OUT, 0, None),
            ("CR LF kept", ["conv", "-f", "utf8", "-t", "sjis"], b"a\r\nb\r\n", b"a\r\nb\r\n", 0, None),
        ])

    def test_round_trips(self):
        text = "こんにちは、世界。ABC ｱｲｳ ①\n日本語テキスト\n\n記号～〜−\n".encode()
        for enc in ("sjis", "jis", "euc", "utf7", "utf16", "utf8"):
            with self.subTest(enc=enc):
                # Half-width katakana have no place in 7-bit ISO-2022-JP.
                want = text.replace("ｱｲｳ".encode(), "アイウ".encode()) if enc == "jis" else text
                rc, there, err = run(["conv", "-f", "utf8", "-t", enc], text)
                self.assertEqual(rc, 0, err)
                rc, back, err = run(["conv", "-f", enc, "-t", "utf8"], there)
                self.assertEqual(rc, 0, err)
                if enc in ("utf7", "utf16", "utf8"):
                    self.assertEqual(back, text)
                else:
                    # Code page 932 maps some signs to its own forms; a second
                    # trip must then be stable.
                    rc, again, _ = run(["conv", "-f", enc, "-t", "utf8"],
                                       run(["conv", "-f", "utf8", "-t", enc], back)[1])
                    self.assertEqual(again, back)
                    self.assertEqual(back.splitlines()[0:2], want.splitlines()[0:2])

    def test_refusals(self):
        self.check([
            ("user-defined area has no JIS code", ["conv", "-f", "sjis", "-t", "jis"],
             b"abc\n\x41\xf0\x40\n", None, 1, "line 2 (byte offset 5)"),
            ("the character is named", ["conv", "-f", "utf8", "-t", "euc"], "ab\uE000".encode(),
             None, 1, "U+E000"),
            ("UTF-16 to JIS", ["conv", "-f", "utf16", "-t", "jis"], "x\uE001".encode("utf-16-le"),
             None, 1, "line 1 (byte offset 2)"),
            ("odd UTF-16", ["conv", "-f", "utf16", "-t", "utf8"], b"A\x00B", None, 1,
             "(byte offset 2): malformed utf-16 input (bytes 42)"),
            ("unknown encoding", ["conv", "-f", "latin1", "-t", "utf8"], b"", b"", 2, "unknown encoding"),
            ("missing -t", ["conv", "-f", "sjis"], b"", b"", 2, "-t TO"),
            ("unknown option", ["conv", "-f", "sjis", "-t", "jis", "--fast"], b"", b"", 2, "--fast"),
        ])

    def test_jis_input_forms(self):
        self.check([
            ("ESC $ @ and ESC ( J carry like ESC $ B", ["conv", "-f", "jis", "-t", "sjis"],
             ESC + b"$@0!\n0!" + ESC + b"(JA\n", b"\x88\x9f\n\x88\x9fA\n", 0, None),
            ("kanji-in as the last bytes of a line", ["conv", "-f", "jis", "-t", "utf8"],
             b"A" + KANJI_IN + b"\n0!" + KANJI_OUT + b"\n", "A\n亜\n".encode(), 0, None),
            ("8-bit bytes are not ISO-2022-JP", ["conv", "-f", "jis", "-t", "sjis"], b"\x82\xa0",
             None, 1, "malformed iso-2022-jp input (bytes 82"),
            ("UTF-7 base64 run", ["conv", "-f", "utf7", "-t", "utf8"], b"+ZeVnLA-!\n",
             "日本!\n".encode(), 0, None),
        ])

    def test_characters_code_page_932_lacks(self):
        self.check([
            ("refused by default", ["conv", "-f", "utf8", "-t", "sjis"], "a€b\n".encode(),
             None, 1, "(byte offset 1): U+20AC"),
            ("'?' with --errors=replace", ["conv", "-f", "utf8", "-t", "sjis", "--errors=replace"],
             "a€b\n".encode(), b"a?b\n", 0, None),
            ("a '?' of the text is no loss", ["conv", "-f", "utf8", "-t", "jis"], b"a?b\n", b"a?b\n", 0, None),
            ("--strict refuses, naming the character", ["conv", "--strict", "-f", "utf16", "-t", "euc"],
             "ok\nx€\n".encode("utf-16-le"), None, 1, "line 2 (byte offset 8): U+20AC"),
            ("--strict with a surrogate pair", ["conv", "--strict", "-f", "utf8", "-t", "jis"],
             "a\U0001F600".encode(), None, 1, "U+1F600"),
        ])
        rc, _, err = run(["conv", "-f", "utf8", "-t", "sjis"], "a?b\n".encode())
        self.assertEqual((rc, err), (0, ""), "no warning without a loss")

    def test_partial_output_is_told(self):
        rc, out, err = run(["conv", "-f", "sjis", "-t", "jis"], b"ok\n\xf0\x40\n")
        self.assertEqual((rc, out), (1, b"ok\n"))
        self.assertIn("incomplete", err)

    def test_garbage_never_crashes(self):
        junk = bytes(range(256)) * 64 + os.urandom(65536)
        for f in ("jis", "sjis", "euc", "utf8", "utf7", "utf16"):
            for t in ("jis", "sjis", "euc", "utf8", "utf7", "utf16"):
                with self.subTest(f=f, t=t):
                    rc, _, err = run(["conv", "-f", f, "-t", t], junk)
                    self.assertIn(rc, (0, 1), err)
                    if rc == 1:
                        self.assertRegex(err, r"line \d+ \(byte offset \d+\)")


class FileTests(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zrmoji-cli-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def path(self, name, data=None):
        p = os.path.join(self.dir, name)
        if data is not None:
            with open(p, "wb") as f:
                f.write(data)
        return p

    def test_files_in_order_and_output_file(self):
        a, b, out = self.path("a", b"\x82\xa0\n"), self.path("b", b"\x88\x9f\n"), self.path("out")
        rc, stdout, err = run(["conv", "-f", "sjis", "-t", "utf8", "-o", out, a, "-", b], b"x\n")
        self.assertEqual((rc, stdout), (0, b""), err)
        with open(out, "rb") as f:
            self.assertEqual(f.read(), "あ\nx\n亜\n".encode())
        self.assertEqual(sorted(os.listdir(self.dir)), ["a", "b", "out"])

    def test_failed_command_leaves_target_alone(self):
        bad, out = self.path("bad", b"ok\n\xf0\x40\n"), self.path("out", b"old")
        rc, _, err = run(["conv", "-f", "sjis", "-t", "jis", "-o", out, bad])
        self.assertEqual(rc, 1)
        self.assertIn("was not written", err)
        with open(out, "rb") as f:
            self.assertEqual(f.read(), b"old")
        self.assertEqual(sorted(os.listdir(self.dir)), ["bad", "out"])

    def test_missing_file_fails_before_any_output(self):
        a = self.path("a", b"text\n")
        for cmd in (["conv", "-f", "sjis", "-t", "utf8"], ["b64", "encode"], ["qp", "decode"],
                    ["url", "decode"], ["ebcdic", "to"], ["mime", "decode"]):
            with self.subTest(cmd=cmd[0]):
                rc, out, err = run(cmd + [a, self.path("missing")])
                self.assertEqual((rc, out), (1, b""), err)
                self.assertIn("No such file", err)

    def test_directory_is_refused(self):
        rc, _, err = run(["conv", "-f", "sjis", "-t", "utf8", self.dir])
        self.assertEqual(rc, 1)
        self.assertIn("directory", err)

    def test_ten_megabyte_line(self):
        line = ("日本語テキスト" * 500000).encode() + b"\n"  # 10.5 MB, one line
        src = self.path("big", line)
        for enc in ("jis", "euc", "utf16"):
            with self.subTest(enc=enc):
                there = self.path("big." + enc)
                rc, _, err = run(["conv", "-q", "-f", "utf8", "-t", enc, "-o", there, src])
                self.assertEqual(rc, 0, err)
                rc, back, err = run(["conv", "-f", enc, "-t", "utf8", there])
                self.assertEqual(rc, 0, err)
                self.assertTrue(back == line, "the long line comes back whole")
        rc, b64, err = run(["b64", "encode", "-w", "0", src])
        self.assertEqual(rc, 0, err)
        self.assertEqual(run(["b64", "decode"], b64)[1], line)
        rc, out, err = run(["url", "encode"], line)
        self.assertEqual(rc, 0, err)
        self.assertEqual(run(["url", "decode", "--charset", "utf8"], out)[1], line)

    def test_long_line_cut_at_spaces_converts_as_one(self):
        # Past 4 MiB a line is handed over in pieces cut after a space; the
        # output must be what the whole line would give.
        unit = "日本 ".encode("shift_jis")
        count = (9 << 20) // len(unit)
        src = self.path("spaces", unit * count)
        rc, one, err = run(["conv", "-f", "sjis", "-t", "jis"], unit)
        self.assertEqual(rc, 0, err)
        rc, out, err = run(["conv", "-f", "sjis", "-t", "jis", src])
        self.assertEqual(rc, 0, err)
        self.assertTrue(out == one * count, "same bytes as one piece")
        wide = self.path("spaces16", "日本 ".encode("utf-16-le") * count)
        rc, out, err = run(["conv", "-f", "utf16", "-t", "euc", wide])
        self.assertEqual(rc, 0, err)
        self.assertTrue(out == run(["conv", "-f", "utf16", "-t", "euc"],
                                   "日本 ".encode("utf-16-le"))[1] * count)

    def test_errors_name_the_file_and_its_own_line(self):
        a = self.path("a", b"one\ntwo\n")
        b = self.path("b", b"x\n\x82\xa0\xf0\x40\n")
        rc, out, err = run(["conv", "-f", "sjis", "-t", "euc", a, b])
        self.assertEqual(rc, 1)
        self.assertIn(b + ": line 2 (byte offset 4)", err)
        self.assertTrue(out.startswith(b"one\ntwo\nx\n"), out)
        self.assertIn("incomplete", err)

    def test_output_that_cannot_be_created(self):
        rc, out, err = run(["conv", "-f", "sjis", "-t", "utf8", "-o",
                            os.path.join(self.dir, "no", "such", "dir")], b"x")
        self.assertEqual((rc, out), (1, b""))
        self.assertIn("cannot create", err)

    def test_base64_files_are_separate_texts(self):
        a, b = self.path("a", b"QQ"), self.path("b", b"QUI\n")
        rc, out, err = run(["b64", "decode", a, b])
        self.assertEqual((rc, out), (0, b"AAB"), err)

    def test_quoted_printable_long_line_without_break(self):
        data = b"a=" * 150000
        rc, enc, err = run(["qp", "encode", self.path("long", data)])
        self.assertEqual(rc, 0, err)
        self.assertTrue(all(len(l) <= 76 for l in enc.split(b"\r\n")))
        self.assertTrue(run(["qp", "decode"], enc)[1] == data)

    def test_line_without_any_break_point_streams(self):
        # conv streams: no line is ever held whole, however long.
        src = self.path("huge", b"x" * (65 << 20))
        rc, out, err = run(["conv", "-f", "sjis", "-t", "utf8", src])
        self.assertEqual((rc, len(out)), (0, 65 << 20), err)


class MimeTests(Cases):
    def test_base64(self):
        self.check([
            ("three bytes", ["b64", "encode"], b"ABC", b"QUJD\n", 0, None),
            ("57 bytes make one full line", ["b64", "encode"], b"a" * 58,
             b"YWFh" * 19 + b"\nYQ==\n", 0, None),
            ("-w 0: one line", ["b64", "encode", "-w", "0"], b"a" * 58, b"YWFh" * 19 + b"YQ==\n", 0, None),
            ("binary bytes", ["b64", "encode"], b"\x00\xff\x00", b"AP8A\n", 0, None),
            ("empty", ["b64", "encode"], b"", b"", 0, None),
            ("line breaks are skipped", ["b64", "decode"], b"QUJD\r\nQUJD\n", b"ABCABC", 0, None),
            ("unpadded end", ["b64", "decode"], b"QUI", b"AB", 0, None),
            ("decodes NUL bytes", ["b64", "decode"], b"AP8A", b"\x00\xff\x00", 0, None),
            ("stray character", ["b64", "decode"], b"QUJD\nQU*D\n", None, 1, "line 2 (byte offset 7)"),
            ("lone character", ["b64", "decode"], b"QUJDQ", None, 1, "lone character"),
            ("padding in front", ["b64", "decode"], b"=QUJ", None, 1, "padding"),
            ("binary garbage", ["b64", "decode"], b"\x80\x81\x00", None, 1, "not a Base64"),
            ("JIS from Shift_JIS", ["b64", "encode", "--charset", "jis", "--text", "sjis"],
             b"\x82\xa2\n", b"GyRCJCQbKEI=\n", 0, None),
            ("UTF-8 from the terminal", ["b64", "encode", "--charset", "utf8"], "い\n".encode(),
             b"44GE\n", 0, None),
            ("each line its own text", ["b64", "encode", "-c", "sjis"], "あ\n\nい\n".encode(),
             b"gqA=\n\ngqI=\n", 0, None),
            ("decode JIS to UTF-8", ["b64", "decode", "--charset", "jis"],
             b"GyRCJDMkcyRLJEEkTxsoQg==\n", "こんにちは\n".encode(), 0, None),
            ("decode to Shift_JIS", ["b64", "decode", "--charset", "euc", "--text", "sjis"],
             b"sKE=\n", b"\x88\x9f\n", 0, None),
            ("decode to UTF-16", ["b64", "decode", "--charset", "sjis", "--text", "utf16"],
             b"gqA=\n", "あ\n".encode("utf-16-le"), 0, None),
            ("a NUL inside charset text is refused", ["b64", "decode", "--charset", "utf8"],
             b"QQBC\n", None, 1, "NUL"),
            ("user-defined area to JIS", ["b64", "encode", "--charset", "jis"], "a\uE000\n".encode(),
             None, 1, "U+E000"),
            ("--text needs --charset", ["b64", "encode", "--text", "sjis"], b"", b"", 2, None),
            ("bad action", ["b64", "frobnicate"], b"", b"", 2, "encode or decode"),
            ("bad charset", ["b64", "encode", "--charset", "koi8"], b"", b"", 2, "koi8"),
        ])

    def test_quoted_printable(self):
        self.check([
            ("equals sign escaped", ["qp", "encode"], b"a=b", b"a=3Db", 0, None),
            ("long line gets soft breaks", ["qp", "encode"], b"a" * 200,
             b"a" * 75 + b"=\r\n" + b"a" * 75 + b"=\r\n" + b"a" * 50, 0, None),
            ("line breaks restart the count", ["qp", "encode"], b"a" * 70 + b"\n" + b"b" * 70,
             b"a" * 70 + b"\n" + b"b" * 70, 0, None),
            ("decode escapes", ["qp", "decode"], b"=E3=81=82", b"\xe3\x81\x82", 0, None),
            ("soft break CR LF", ["qp", "decode"], b"ab=\r\ncd\n", b"abcd\n", 0, None),
            ("soft break LF", ["qp", "decode"], b"ab=\ncd\n", b"abcd\n", 0, None),
            ("soft break with padding", ["qp", "decode"], b"ab= \t\ncd\n", b"abcd\n", 0, None),
            ("= that starts no escape is kept on request", ["qp", "decode", "--errors=replace"], b"a=G4 b=\n", b"a=G4 b", 0, None),
            ("8-bit byte is refused", ["qp", "decode"], b"ok\nab\xe9\n", None, 1, "line 2 (byte offset 5)"),
            ("round trip of every byte", ["qp", "encode"], bytes(range(256)), None, 0, None),
            ("charset UTF-8", ["qp", "encode", "--charset", "utf8"], "い\n".encode(), b"=E3=81=84\n", 0, None),
            ("charset JIS", ["qp", "encode", "--charset", "jis", "--text", "sjis"], b"\x82\xa2\n",
             b"=1B$B$$=1B(B\n", 0, None),
            ("decode charset JIS", ["qp", "decode", "--charset", "jis"], b"=1B$B$$=1B(B\n",
             "い\n".encode(), 0, None),
            ("decode charset over soft breaks", ["qp", "decode", "--charset", "utf8"],
             b"=E3=81=\n=84\n", "い\n".encode(), 0, None),
            ("decode charset over padded soft breaks", ["qp", "decode", "--charset", "utf8"],
             b"=E3= \r\n=81=\t\n=84\nx=\n", "い\nx\n".encode(), 0, None),
            ("decode charset keeps a stray = on request", ["qp", "decode", "--charset", "utf8", "--errors=replace"],
             b"a=G4\n", b"a=G4\n", 0, None),
        ])
        rc, enc, _ = run(["qp", "encode"], bytes(range(256)) * 3)
        self.assertEqual(run(["qp", "decode"], enc)[1], bytes(range(256)) * 3)
        self.assertTrue(all(len(l.rstrip(b"\r")) <= 76 for l in enc.split(b"\n")))

    def test_malformed_input_and_errors_policy(self):
        # The library decodes a malformed "=" as some byte nobody wrote
        # ('bad=ZZ' gave a NUL); the tool names the place, or with --errors
        # keeps (replace) or drops (skip) what is malformed.
        self.check([
            ("malformed escape named", ["qp", "decode"], b"ok\nbad=ZZ\n", None, 1,
             "line 2 (byte offset 6): malformed Quoted-Printable escape (bytes 3D 5A 5A)"),
            ("escape cut by the line end", ["qp", "decode"], b"a=4\n", None, 1, "bytes 3D 34)"),
            ("replace keeps it as it stood", ["qp", "decode", "--errors=replace"], b"bad=ZZ=41\n",
             b"bad=ZZA\n", 0, None),
            ("skip leaves the '=' out", ["qp", "decode", "--errors", "skip"], b"bad=ZZ\n", b"badZZ\n",
             0, None),
            ("8-bit byte kept with replace", ["qp", "decode", "--errors=replace"], b"a\xe9\n",
             b"a\xe9\n", 0, None),
            ("lower-case digits are an escape", ["qp", "decode"], b"a=3d\n", b"a=\n", 0, None),
            ("padding after a soft break", ["qp", "decode"], b"ab= \t\ncd\n", b"abcd\n", 0, None),
            ("'=' at the very end is a soft break", ["qp", "decode"], b"ab=", b"ab", 0, None),
            ("charset members checked too", ["qp", "decode", "--charset", "utf8"], b"x=G1\n", None, 1,
             "byte offset 1"),
            ("-v counts", ["qp", "decode", "--errors=skip", "-v"], b"=ZZ=YY\n", b"ZZYY\n", 0,
             "2 malformed pieces left out"),
            ("Base64 stray character skipped", ["b64", "decode", "--errors=skip"], b"QU*JD\n", b"ABC",
             0, None),
            ("Base64 misplaced padding ends the group", ["b64", "decode", "--errors=replace"],
             b"QQ=QUJD", b"AABC", 0, None),
            ("Base64 lone character dropped", ["b64", "decode", "--errors=skip"], b"QUJDQ", b"ABC",
             0, None),
            ("--strict is an alias", ["qp", "decode", "--strict"], b"=ZZ", None, 1, "malformed"),
            ("contradiction", ["qp", "decode", "--strict", "--errors=skip"], b"", b"", 2, "contradict"),
            ("unknown policy", ["b64", "decode", "--errors=ignore"], b"", b"", 2, "ignore"),
            ("encoders take no --errors", ["b64", "encode", "--errors=skip"], b"", b"", 2, None),
        ])

    def test_no_raw_kana_in_iso_2022_jp(self):
        # ISO-2022-JP is 7-bit: half-width katakana once went into the JIS
        # words as raw bytes B6 C0, labelled ISO-2022-JP. (A URL escapes
        # every byte, and its JIS decoder reads them back: it keeps them.)
        self.check([
            ("mime encode", ["mime", "encode"], "ｶﾀｶﾅ\n".encode(),
             b"=?ISO-2022-JP?B?" + base64.b64encode("カタカナ".encode("iso2022_jp")) + b"?=\r\n", 0, None),
            ("voiced marks combine", ["b64", "encode", "--charset", "jis"], "ﾊﾟ\n".encode(),
             base64.b64encode("パ".encode("iso2022_jp")) + b"\n", 0, None),
            ("from a Shift_JIS text side", ["qp", "encode", "--charset", "jis", "--text", "sjis"],
             b"\xb6\n", b"=1B$B%+=1B(B\n", 0, None),
            ("other charsets keep them", ["b64", "encode", "--charset", "sjis"], "ｶ\n".encode(),
             b"tg==\n", 0, None),
        ])

    def test_header_words(self):
        self.check([
            ("ISO-2022-JP B word", ["mime", "decode"],
             b"Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=\n",
             "Subject: こんにちは\n".encode(), 0, None),
            ("space between words dropped, Q form", ["mime", "decode"],
             b"=?utf-8?q?=E3=81=82?= =?Shift_JIS?B?gqI=?= x_y\n", "あい x_y\n".encode(), 0, None),
            ("language tag, lower-case b", ["mime", "decode"], b"=?ISO-2022-JP*ja?b?GyRCMCEbKEI=?=\n",
             "亜\n".encode(), 0, None),
            ("Q underscores are spaces", ["mime", "decode"], b"=?UTF-8?Q?a_b?=\n", b"a b\n", 0, None),
            ("to UTF-16", ["mime", "decode", "--text", "utf16"], b"=?UTF-8?B?44GC?=\n",
             "あ\n".encode("utf-16-le"), 0, None),
            ("decode takes no --charset", ["mime", "decode", "--charset", "jis"], b"", b"", 2, None),
            ("unknown charset", ["mime", "decode"], b"=?koi8-r?B?QUJD?=\n", None, 1, "koi8-r"),
            ("not a word", ["mime", "decode"], b"a =? b ?= c\n", b"a =? b ?= c\n", 0, None),
        ])
        text = "会議のお知らせ、来週の月曜日午前十時から第三会議室にて開催します。\n".encode()
        for cs in ("jis", "sjis", "euc", "utf8"):
            with self.subTest(cs=cs):
                rc, words, err = run(["mime", "encode", "--charset", cs], text)
                self.assertEqual(rc, 0, err)
                self.assertTrue(all(len(w) <= 75 for w in words.split()), words)
                self.assertEqual(run(["mime", "decode"], words)[1], text)


class MailTests(Cases):
    def test_header_failures_of_real_mail(self):
        self.check([
            ("a folded header is one line", ["mime", "decode"],
             b"Subject: =?UTF-8?B?5pel?=\r\n =?UTF-8?B?5pys?= and\r\n\tmore\r\nTo: x\r\n",
             "Subject: 日本 and\tmore\nTo: x\n".encode(), 0, None),
            ("an ISO-8859-1 word among Japanese ones", ["mime", "decode"],
             b"From: =?ISO-8859-1?Q?Andr=E9?= <a@b>\n", "From: André <a@b>\n".encode(), 0, None),
            ("'=' that starts no escape is literal", ["mail", "decode-header"],
             b"X: =?utf-8?q?=somevalue?=\n", b"X: =somevalue\n", 0, None),
            ("a malformed word is kept, the rest written", ["mime", "decode"],
             b"A: =?UTF-8?B?5p!l?= x\nB: =?UTF-8?B?5pel?=\n",
             "A: =?UTF-8?B?5p!l?= x\nB: 日\n".encode(), 1, "line 1: warning"),
            ("the line of the warning counts continuation lines", ["mime", "decode"],
             b"A: x\n y\nB: =?koi8-r?B?QUJD?=\n", None, 1, "line 3"),
        ])

    def test_encoded_headers(self):
        subject = "Subject: " + "会議のお知らせ、ｶﾀｶﾅと English words 混在。" * 4
        for args, nl in ((["mime", "encode"], b"\r\n"), (["mail", "encode-header", "--eol", "lf"], b"\n")):
            with self.subTest(args=args):
                rc, enc, err = run(args, subject.encode() + b"\n")
                self.assertEqual(rc, 0, err)
                self.assertTrue(enc.startswith(b"Subject: =?ISO-2022-JP?B?"), enc)
                lines = enc.split(nl)
                self.assertGreater(len(lines), 3)
                self.assertTrue(all(len(l) <= 76 and b"\r" not in l and b"\n" not in l for l in lines), enc)
                rc, dec, err = run(["mime", "decode"], enc)
                want = subject.replace("ｶﾀｶﾅ", "カタカナ")
                self.assertEqual(dec.decode(), want + "\n")
        rc, enc, err = run(["mime", "encode", "--charset", "utf8", "--q", "--eol", "lf"], "Re: 日 本\n".encode())
        self.assertEqual(enc, b"Re: =?UTF-8?Q?=E6=97=A5_=E6=9C=AC?=\n")
        self.check([
            ("ASCII stays", ["mime", "encode"], b"To: a@example.jp\n", b"To: a@example.jp\r\n", 0, None),
            ("emoji has no ISO-2022-JP form", ["mime", "encode"], "S: 😀\n".encode(), None, 1, "U+1F600"),
            ("unknown --eol", ["mime", "encode", "--eol", "cr"], b"", b"", 2, None),
        ])


class MailDecodeTests(Cases):
    MSG = (b"Subject: =?UTF-8?B?5pel?=\nContent-Type: multipart/mixed; boundary=B\n\n--B\n"
           b"Content-Type: text/plain; charset=iso-2022-jp\n\n\x1b$B$3$s\x1b(B\n--B\n"
           b"Content-Type: application/octet-stream\nContent-Transfer-Encoding: base64\n"
           b"Content-Disposition: attachment; filename=\"../../etc/x.bin\"\n\nQUJD\n--B--\n")

    def test_decode(self):
        self.check([
            ("text part converted, attachment listed", ["mail", "decode"], self.MSG,
             "Subject: 日\nContent-Type: multipart/mixed; boundary=B\n\n[part 1: text/plain, charset "
             "iso-2022-jp]\nこん\n[attachment 2: application/octet-stream, \"../../etc/x.bin\", 3 bytes]\n"
             .encode(), 0, None),
            ("keep writes the part as in the message", ["mail", "decode", "--attachments", "keep"], self.MSG,
             None, 0, None),
            ("broken base64 is kept and the status says so", ["mail", "decode"],
             b"Content-Transfer-Encoding: base64\n\n@@@\n", b"Content-Transfer-Encoding: base64\n\n[part 1: text/plain, kept as in the "
             b"message (base64)]\n@@@\n", 1, "warning"),
            ("save needs a directory", ["mail", "decode", "--attachments", "save"], b"", b"", 2, None),
        ])

    def test_save_is_safe(self):
        d = tempfile.mkdtemp()
        try:
            for _ in range(2):
                rc, out, err = run(["mail", "decode", "--attachments", "save", "--dir", d], self.MSG)
                self.assertEqual(rc, 0, err)
            self.assertEqual(sorted(os.listdir(d)), ["x-1.bin", "x.bin"])
            with open(os.path.join(d, "x.bin"), "rb") as f:
                self.assertEqual(f.read(), b"ABC")
        finally:
            shutil.rmtree(d)


class UrlTests(Cases):
    def test_url(self):
        self.check([
            ("space becomes +", ["url", "encode", "--charset", "sjis"], b"a b\n", b"a+b\n", 0, None),
            ("UTF-8 by default", ["url", "encode"], "あ\n".encode(), b"%E3%81%82\n", 0, None),
            ("EUC-JP", ["url", "encode", "--charset", "euc"], "あ\n".encode(), b"%A4%A2\n", 0, None),
            ("JIS designations", ["url", "encode", "--charset", "jis"], "亜\n".encode(),
             b"%1B%24B0%21%1B%28B\n", 0, None),
            # The encoder leaves EUC-JP bytes above 0xDF as they are; a URL
            # must stay ASCII, so the tool escapes them.
            ("URL stays ASCII", ["url", "encode", "--charset", "euc"], "日\n".encode(),
             b"%C6%FC\n", 0, None),
            ("punctuation passes", ["url", "encode"], b"a/b?c=d&e\n", b"a/b?c=d&e\n", 0, None),
            ("Shift_JIS text side", ["url", "encode", "--charset", "sjis", "--text", "sjis"],
             b"\x83\x41\n", b"%83A\n", 0, None),
            ("detected UTF-8", ["url", "decode", "-v"], b"q=%E6%97%A5%E6%9C%AC\n",
             "q=日本\n".encode(), 0, "utf8"),
            ("detected Shift_JIS", ["url", "decode"], b"%82%A0\n", "あ\n".encode(), 0, None),
            ("detected JIS", ["url", "decode"], b"%1B%24B0%21%1B%28B\n", "亜\n".encode(), 0, None),
            ("named charset", ["url", "decode", "--charset", "sjis"], b"a+b%20c\n", b"a b c\n", 0, None),
            ("raw UTF-8 outside escapes survives", ["url", "decode", "--charset", "utf8"],
             "日%E6%9C%AC\n".encode(), "日本\n".encode(), 0, None),
            ("to Shift_JIS", ["url", "decode", "--charset", "utf8", "--text", "sjis"],
             b"%E3%81%82\n", b"\x82\xa0\n", 0, None),
            # A URL with nothing to decode once was fatal and lost the lines
            # after it.
            ("nothing to decode passes through", ["url", "decode"],
             b"https://example.jp/\nabc%20def\n%E3%81%82\n",
             b"https://example.jp/\nabc def\n" + "あ\n".encode(), 0, None),
            ("undecidable line reported, the others decoded", ["url", "decode"],
             b"%FF%FF\n%E3%81%82\n", b"%FF%FF\n" + "あ\n".encode(), 1, "line 1 (byte offset 0)"),
            ("invalid escape", ["url", "decode", "--charset", "utf8"], b"ok\n%82%A0%G1xyz\n", None, 1,
             "line 2 (byte offset 9)"),
            ("escape cut short", ["url", "decode", "--charset", "utf8"], b"100%\n", None, 1, "'%'"),
            ("%00", ["url", "decode", "--charset", "utf8"], b"a%00b\n", None, 1, "%00"),
            ("UTF-16 text side", ["url", "encode", "--text", "utf16"], "あ\n".encode("utf-16-le"),
             b"%E3%81%82\n", 0, None),
            ("decode to UTF-16", ["url", "decode", "--charset", "euc", "--text", "utf16"],
             b"%A4%A2\n", "あ\n".encode("utf-16-le"), 0, None),
            ("detected, to Shift_JIS", ["url", "decode", "--text", "sjis"], b"%E3%81%82\n",
             b"\x82\xa0\n", 0, None),
            ("detect", ["url", "detect"], b"%E3%81%82\n%82%A0\n%A4%A2\n%1B%24B\nabc\n",
             b"utf8\nsjis\neuc\njis\nnone\n", 0, None),
            ("scheme", ["url", "scheme"], b"https:x\nHTTP:x\nmailto\n", b"yes\nno\nno\n", 0, None),
            ("user-defined area", ["url", "encode", "--charset", "jis"], "\uE000\n".encode(), None, 1,
             "U+E000"),
            ("bad action", ["url", "shorten"], b"", b"", 2, None),
        ])

    def test_round_trip_every_charset(self):
        for cs in ("jis", "sjis", "euc", "utf8"):
            with self.subTest(cs=cs):
                # Half-width katakana do not survive the library's EUC-JP.
                text = "検索 キーワード／東京都\n半角カナ%s\n".replace(
                    "%s", "" if cs == "euc" else "ｶﾅ").encode()
                rc, url, err = run(["url", "encode", "--charset", cs], text)
                self.assertEqual(rc, 0, err)
                self.assertTrue(all(b < 0x80 for b in url), url)
                rc, back, err = run(["url", "decode", "--charset", cs], url)
                self.assertEqual((rc, back), (0, text), err)


class EbcdicTests(Cases):
    def test_ebcdic(self):
        self.check([
            ("letters", ["ebcdic", "to"], b"AB", b"\xc1\xc2", 0, None),
            ("Shift_JIS in brackets", ["ebcdic", "to"], b"A\x82\xa0B", b"\xc1(\x82\xa0)\xc2", 0, None),
            ("open bracket at the end stays open", ["ebcdic", "to"], b"A\x82\xa0", b"\xc1(\x82\xa0", 0, None),
            ("back", ["ebcdic", "from"], b"\xc1(\x82\xa0)\xc2", b"A\x82\xa0B", 0, None),
            ("kana table has no lowercase", ["ebcdic", "to", "--table", "0x500"], b"ab", b"\xff\xff", 0, None),
            ("line feed is 0x15", ["ebcdic", "to", "--table", "0x600"], b"\n", b"\x15", 0, None),
            ("NUL is carried", ["ebcdic", "to"], b"A\x82\xa0\x00B", b"\xc1(\x82\xa0)\x00\xc2", 0, None),
            ("NUL back", ["ebcdic", "from"], b"\xc1(\x82\xa0)\x00\xc2", b"A\x82\xa0\x00B", 0, None),
            ("bad table", ["ebcdic", "to", "--table", "0x700"], b"", b"", 2, "0x700"),
            ("empty", ["ebcdic", "from"], b"", b"", 0, None),
        ])

    def test_round_trip_across_block_boundaries(self):
        data = (b"Shift_JIS \x82\xa0\x82\xa2 text 0123456789\n" * 5000) + b"\x88\x9f" * 40000
        rc, ebc, err = run(["ebcdic", "to"], data)
        self.assertEqual(rc, 0, err)
        rc, back, err = run(["ebcdic", "from"], ebc)
        self.assertEqual((rc, back), (0, data), err)


class TableTests(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zrmoji-table-")
        self.temp = os.path.join(self.dir, "temp")
        os.mkdir(self.temp)
        self.env = dict(os.environ, TEMP=self.temp)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def table(self, text):
        p = os.path.join(self.dir, "t.txt")
        with open(p, "wb") as f:
            f.write(text)
        return p

    def run_t(self, args, stdin=b"", env=None):
        return run(args, stdin, env or self.env)

    def test_lookup_and_map(self):
        t = self.table(b"/ comment\n41,C1,x\n42,C2,x\n3042,30A2,kana\n")
        cases = [
            ("lookup", [t, "lookup", "41", "0x42", "43"], b"", b"41\tC1\n42\tC2\n43\tnone\n"),
            ("reverse", [t, "--reverse", "lookup", "c1"], b"", b"C1\t41\n"),
            ("map leaves out what has no entry", [t, "map"], "あAB-\n".encode(),
             "アÁÂ\n".encode()),
        ]
        for why, args, stdin, want in cases:
            with self.subTest(why=why):
                rc, out, err = self.run_t(["table"] + args, stdin)
                self.assertEqual((rc, out), (0, want), err)
        self.assertEqual(os.listdir(self.temp), [], "the temporary table file is removed")

    def test_sort(self):
        t = self.table(b"5,50,x\n-1,10,x\n0,0A,x\n")
        rc, out, _ = self.run_t(["table", t, "lookup", "-1"])
        self.assertEqual(rc, 0)
        rc, out, err = self.run_t(["table", t, "--sort", "lookup", "-1", "0", "5"])
        self.assertEqual((rc, out), (0, b"FFFFFFFF\t10\n0\tA\n5\t50\n"), err)

    def test_codes_and_text_sides(self):
        t = self.table(b"-1,7FFFFFFF,x\n41,FF41,x\n3042,30A2,x\n")
        cases = [
            ("negative and wide codes", ["lookup", "-1", "FFFFFFFF"], b"",
             b"FFFFFFFF\t7FFFFFFF\nFFFFFFFF\t7FFFFFFF\n"),
            ("UTF-16 text", ["map", "--text", "utf16"], "Aあ\n".encode("utf-16-le"),
             "ａア\n".encode("utf-16-le")),
            ("Shift_JIS text", ["map", "--text", "sjis"], b"A\x82\xa0\n", "ａア\n".encode("cp932")),
            ("a line with nothing to map stays an empty line", ["map"], b"zz\nA\n", "\nａ\n".encode()),
        ]
        for why, args, stdin, want in cases:
            with self.subTest(why=why):
                rc, out, err = self.run_t(["table", t] + args, stdin)
                self.assertEqual((rc, out), (0, want), err)

    def test_load_errors(self):
        cases = [
            ("two fields", b"41,C1,x\n42,C2\n", "line 2"),
            ("blank line", b"41,C1,x\n\n42,C2,x\n", "line 2"),
            ("no record", b"/ only a comment\n", "no code pair"),
        ]
        for why, text, msg in cases:
            with self.subTest(why=why):
                rc, out, err = self.run_t(["table", self.table(text), "lookup", "41"])
                self.assertEqual((rc, out), (1, b""))
                self.assertIn(msg, err)
        rc, _, err = self.run_t(["table", os.path.join(self.dir, "none.txt"), "lookup", "1"])
        self.assertEqual(rc, 1)
        self.assertEqual(os.listdir(self.temp), [])
        for why, args in (("not hex", ["lookup", "xyz"]), ("no code", ["lookup"]), ("action", ["dump"])):
            with self.subTest(why=why):
                self.assertEqual(self.run_t(["table", self.table(b"41,C1,x\n")] + args)[0], 2)

    def test_temp_defaults_to_tmpdir(self):
        env = {k: v for k, v in os.environ.items() if k != "TEMP"}
        env["TMPDIR"] = self.temp
        t = self.table(b"41,C1,x\n")
        rc, out, err = self.run_t(["table", t, "lookup", "41"], env=env)
        self.assertEqual((rc, out), (0, b"41\tC1\n"), err)
        self.assertEqual(os.listdir(self.temp), [])


class UsageTests(Cases):
    def test_help_and_version(self):
        for cmd in ("conv", "b64", "qp", "mime", "mail", "url", "ebcdic", "table"):
            with self.subTest(cmd=cmd):
                rc, out, _ = run([cmd, "--help"])
                self.assertEqual(rc, 0)
                self.assertIn(b"usage: zrmoji " + cmd.encode(), out)
                self.assertIn(b"example", out)
        rc, out, _ = run(["--help"])
        self.assertIn(b"TEMP", out)
        rc, out, _ = run(["--version"])
        self.assertRegex(out.decode(), r"^zrmoji \d+\.\d+\.\d+\n$")

    def test_usage_errors(self):
        self.check([
            ("no command", [], b"", b"", 2, "usage"),
            ("half-width katakana into EUC-JP after 0x8E", ["conv", "-f", "sjis", "-t", "euc"], b"\xb1",
             b"\x8e\xb1", 0, None),
            ("unknown command", ["frob"], b"", b"", 2, "frob"),
            ("-o without a name", ["conv", "-f", "sjis", "-t", "utf8", "-o"], b"", b"", 2, None),
        ])

    def test_empty_and_garbage_input_everywhere(self):
        junk = os.urandom(4096) + bytes(range(256))
        cmds = [["b64", "encode"], ["b64", "decode"], ["b64", "encode", "-c", "jis"],
                ["b64", "decode", "-c", "sjis"], ["qp", "encode"], ["qp", "decode"],
                ["qp", "encode", "-c", "euc", "--text", "sjis"], ["qp", "decode", "-c", "utf8"],
                ["mime", "decode"], ["mime", "encode"], ["url", "encode"], ["url", "decode"],
                ["url", "detect"], ["url", "scheme"], ["ebcdic", "to"], ["ebcdic", "from"]]
        for cmd in cmds:
            with self.subTest(cmd=" ".join(cmd)):
                rc, out, err = run(cmd, b"")
                self.assertEqual((rc, out), (0, b""), err)
                rc, out, err = run(cmd, junk)
                self.assertIn(rc, (0, 1), err)
                self.assertNotIn("Sanitizer", err)
                if rc == 1:
                    self.assertTrue(err.startswith("zrmoji: "), err)


def module_converts():
    """The text module's converter is filled in step by step; until it reads
    half-width katakana into ISO-2022-JP, the conv tests of its features wait."""
    rc, out, _ = run(["conv", "-f", "utf8", "-t", "jis"], "ｶ".encode())
    return rc == 0 and out == KANJI_IN + b"%+" + KANJI_OUT


MODULE = module_converts()
NEEDS_MODULE = "the text module's converter does not convert in this build yet"
GUESSES = run(["guess"], b"hello\n")[0] == 0
NEEDS_GUESSER = "the text module's guesser does not guess in this build yet"


class BatchTests(unittest.TestCase):
    """conv -i: several files rewritten in place, each replaced only once its
    result is complete; what is already in the target form is left alone."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="zrmoji-batch-")

    def tearDown(self):
        shutil.rmtree(self.dir)

    def write(self, name, data, mode=None):
        p = os.path.join(self.dir, name)
        os.makedirs(os.path.dirname(p), exist_ok=True)
        with open(p, "wb") as f:
            f.write(data)
        if mode is not None:
            os.chmod(p, mode)
        return p

    def read(self, name):
        with open(os.path.join(self.dir, name), "rb") as f:
            return f.read()

    def leftovers(self):
        return [n for _, _, files in os.walk(self.dir) for n in files if "zrmoji-" in n]

    def test_mode_symlink_backup_and_untouched_files(self):
        script = self.write("s.sh", b"echo \x82\xa0\n", 0o750)
        os.symlink("s.sh", os.path.join(self.dir, "link.sh"))
        ascii_file = self.write("plain.txt", b"nothing to convert\n")
        os.utime(ascii_file, (1000000000, 1000000000))
        rc, out, err = run(["conv", "-f", "sjis", "-t", "utf8", "-i", "--backup=.orig",
                            os.path.join(self.dir, "link.sh"), ascii_file])
        self.assertEqual(rc, 0, err)
        self.assertIn("1 converted, 1 unchanged, 0 failed", err)
        self.assertEqual(self.read("s.sh"), "echo あ\n".encode())
        self.assertEqual(os.stat(script).st_mode & 0o7777, 0o750, "mode kept")
        self.assertTrue(os.path.islink(os.path.join(self.dir, "link.sh")), "the link stays a link")
        self.assertEqual(self.read("s.sh.orig"), b"echo \x82\xa0\n")
        self.assertEqual(os.stat(ascii_file).st_mtime, 1000000000, "unchanged file not rewritten")
        self.assertFalse(os.path.exists(ascii_file + ".orig"))
        self.assertEqual(self.leftovers(), [])

    def test_a_failed_file_is_left_as_it_was_and_the_others_done(self):
        good = [self.write("g%d.txt" % i, b"\x82\xa0%d\n" % i) for i in range(5)]
        bad = self.write("bad.txt", b"ok\n\x41\xf0\x40\n")
        rc, out, err = run(["conv", "-f", "sjis", "-t", "jis", "-i", "-j", "3", bad] + good)
        self.assertEqual(rc, 1, err)
        self.assertIn("bad.txt: line 2 (byte offset 4)", err)
        self.assertIn("5 converted, 0 unchanged, 1 failed", err)
        self.assertEqual(self.read("bad.txt"), b"ok\n\x41\xf0\x40\n")
        self.assertEqual(self.read("g3.txt"), KANJI_IN + b'$"' + KANJI_OUT + b"3\n")
        self.assertEqual(self.leftovers(), [])

    def test_recursive_skips_repositories_and_names_missing_files(self):
        self.write("tree/a/one.txt", b"\x82\xa0\n")
        self.write("tree/a/b/two.txt", b"\x82\xa2\n")
        self.write("tree/.git/objects/x", b"\x82\xa0\n")
        rc, _, err = run(["conv", "-f", "sjis", "-t", "utf8", "-i", "-r",
                          os.path.join(self.dir, "tree"), os.path.join(self.dir, "missing.txt")])
        self.assertEqual(rc, 1, err)
        self.assertIn("missing.txt", err)
        self.assertIn("2 converted, 0 unchanged, 1 failed", err)
        self.assertEqual(self.read("tree/a/b/two.txt"), "い\n".encode())
        self.assertEqual(self.read("tree/.git/objects/x"), b"\x82\xa0\n")
        rc, _, err = run(["conv", "-f", "sjis", "-t", "utf8", "-i", os.path.join(self.dir, "tree")])
        self.assertEqual(rc, 1)
        self.assertIn("-r", err, "a directory without -r says how")

    def test_output_onto_an_existing_file_keeps_its_mode_and_link(self):
        # -o s.sh s.sh once made a 750 script 644 and a link a plain file.
        script = self.write("s.sh", b"echo \x82\xa0\n", 0o750)
        link = os.path.join(self.dir, "l.sh")
        os.symlink("s.sh", link)
        rc, _, err = run(["conv", "-f", "sjis", "-t", "utf8", "-o", link, link])
        self.assertEqual(rc, 0, err)
        self.assertTrue(os.path.islink(link))
        self.assertEqual(os.stat(script).st_mode & 0o7777, 0o750)
        self.assertEqual(self.read("s.sh"), "echo あ\n".encode())

    @unittest.skipUnless(MODULE and GUESSES, NEEDS_GUESSER)
    def test_each_file_guessed_on_its_own(self):
        text = "日本語のテキストです。漢字とかなが混ざっています。\n" * 4
        names = [self.write(enc, text.encode(enc)) for enc in ("shift_jis", "euc_jp", "iso2022_jp", "utf-8")]
        rc, _, err = run(["conv", "-t", "utf8", "-i"] + names)
        self.assertEqual(rc, 0, err)
        self.assertIn("3 converted, 1 unchanged, 0 failed", err)
        for n in names:
            with open(n, "rb") as f:
                self.assertEqual(f.read(), text.encode(), n)

    @unittest.skipUnless(hasattr(os, "geteuid") and os.geteuid() == 0,
                         "giving a file to another owner needs root")
    def test_owner_kept(self):
        f = self.write("owned.txt", b"\x82\xa0\n")
        os.chown(f, 65534, 65534)
        os.chmod(f, 0o4755)  # after chown, which clears set-user-ID
        rc, _, err = run(["conv", "-f", "sjis", "-t", "utf8", "-i", f])
        self.assertEqual(rc, 0, err)
        st = os.stat(f)
        self.assertEqual((st.st_uid, st.st_gid, st.st_mode & 0o7777), (65534, 65534, 0o4755))

    def test_usage(self):
        f = self.write("f.txt", b"x")
        for args, why in [
            (["-i"], "no files"),
            (["-i", "-o", f, f], "-o with -i"),
            (["-i", "-j", "0", f], "no jobs"),
            (["-i", "-"], "standard input"),
            (["-r", f], "-r without -i"),
        ]:
            with self.subTest(why=why):
                rc, _, err = run(["conv", "-f", "sjis", "-t", "utf8"] + args)
                self.assertEqual(rc, 2, err)


@unittest.skipUnless(MODULE, NEEDS_MODULE)
class TextTests(Cases):
    """What users of nkf and iconv reach for: never damaging text silently,
    guessing, names, line endings, byte order marks."""

    def jis(self, text):
        return text.encode("iso2022_jp")

    def test_everyday_damage_is_gone(self):
        self.check([
            ("half-width katakana into 7-bit JIS become full-width", ["conv", "-f", "utf8", "-t", "jis"],
             "ｶﾀｶﾅ\n".encode(), self.jis("カタカナ\n"), 0, None),
            ("voiced marks combine", ["conv", "-f", "utf8", "-t", "jis"], "ｶﾞﾊﾟ\n".encode(),
             self.jis("ガパ\n"), 0, None),
            ("--halfwidth=jisx0201 keeps them in ESC ( I", ["conv", "-f", "utf8", "-t", "jis",
             "--halfwidth=jisx0201"], "ｶﾀ\n".encode(), ESC + b"(I6@" + KANJI_OUT + b"\n", 0, None),
            ("UTF-8 read as Shift_JIS is refused with its place", ["conv", "-f", "sjis", "-t", "utf8"],
             "ok\nあいう\n".encode(), None, 1, "line 2"),
            ("binary is refused", ["conv", "-f", "euc", "-t", "utf8"], b"\x00\xff\xfe\x80\x81", None, 1,
             "malformed"),
            ("EUC-JP half-width katakana", ["conv", "-f", "euc", "-t", "utf8"], b"\x8e\xb6\x8e\xc0\n",
             "ｶﾀ\n".encode(), 0, None),
            ("EUC-JP half-width katakana written with 0x8E", ["conv", "-f", "utf8", "-t", "euc"],
             "ｶ\n".encode(), b"\x8e\xb6\n", 0, None),
            ("JIS ESC ( I read", ["conv", "-f", "jis", "-t", "utf8"], ESC + b"(I6@" + KANJI_OUT + b"\n",
             "ｶﾀ\n".encode(), 0, None),
            ("JIS SO/SI read", ["conv", "-f", "jis", "-t", "utf8"], b"\x0e6@\x0f\n", "ｶﾀ\n".encode(), 0,
             None),
            ("variant pairs towards code page 932", ["conv", "-f", "utf8", "-t", "sjis"],
             "〜−‖—\n".encode(), b"\x81\x60\x81\x7c\x81\x61\x81\x5c\n", 0, None),
            ("--exact: the host's mapping, then --errors", ["conv", "-f", "utf8", "-t", "sjis", "--exact"],
             "〜\n".encode(), None, 1, "U+301C"),
            ("a character JIS lacks: named, exit 1", ["conv", "-f", "utf8", "-t", "jis"],
             "髙橋様\n".encode(), None, 1, "line 1 (byte offset 0): U+9AD9"),
            ("--errors=replace", ["conv", "-f", "utf8", "-t", "jis", "--errors=replace"],
             "髙橋様\n".encode(), self.jis("?橋様\n"), 0, None),
            ("--replace-with", ["conv", "-f", "utf8", "-t", "jis", "--errors=replace",
             "--replace-with=〓"], "髙橋様\n".encode(), self.jis("〓橋様\n"), 0, None),
            ("--errors=skip", ["conv", "-f", "utf8", "-t", "jis", "--errors=skip", "-v"],
             "髙橋様\n".encode(), self.jis("橋様\n"), 0, "1 character"),
            ("malformed UTF-8 replaced by U+FFFD", ["conv", "-f", "utf8", "-t", "utf8",
             "--errors=replace"], b"a\xffb\n", "a\ufffdb\n".encode(), 0, None),
        ])

    def test_names(self):
        for name in ("cp932", "ms932", "windows-31j", "Shift_JIS", "sjis", "eucJP", "ujis", "EUC-JP",
                     "ISO-2022-JP", "UTF8", "utf-16le"):
            with self.subTest(name=name):
                data = b"A\x00" if "16" in name else b"A"
                rc, out, err = run(["conv", "-f", name, "-t", "utf8"], data)
                self.assertEqual((rc, out), (0, b"A"), err)
        rc, out, _ = run(["list"])
        self.assertEqual(rc, 0)
        for name in (b"windows-31j", b"ujis", b"utf-16be", b"utf-7"):
            self.assertIn(name, out)

    def test_line_endings_bom_and_utf16be(self):
        self.check([
            ("--eol=crlf", ["conv", "-f", "utf8", "-t", "sjis", "--eol=crlf"], b"a\nb\r\nc",
             b"a\r\nb\r\nc", 0, None),
            ("--eol=lf", ["conv", "-f", "utf8", "-t", "utf8", "--eol", "lf"], b"a\r\nb\rc\n",
             b"a\nb\nc\n", 0, None),
            ("--bom for UTF-8", ["conv", "-f", "sjis", "-t", "utf8", "--bom"], b"\x82\xa0",
             "\ufeffあ".encode(), 0, None),
            ("an input BOM is not copied into Shift_JIS", ["conv", "-f", "utf8", "-t", "sjis"],
             "\ufeffあ".encode(), b"\x82\xa0", 0, None),
            ("UTF-16BE out", ["conv", "-f", "utf8", "-t", "utf-16be"], "あ\n".encode(),
             "あ\n".encode("utf-16-be"), 0, None),
            ("UTF-16BE in, BOM consumed", ["conv", "-f", "utf-16", "-t", "utf8"],
             "\ufeffあ\n".encode("utf-16-be"), "あ\n".encode(), 0, None),
            ("--bom needs Unicode output", ["conv", "-f", "utf8", "-t", "sjis", "--bom"], b"", b"", 2,
             None),
        ])

    @unittest.skipUnless(GUESSES, NEEDS_GUESSER)
    def test_guessing(self):
        text = "日本語のテキストです。漢字とかなとカナが混ざっています。\n" * 3
        for enc, name in (("shift_jis", b"shift_jis"), ("euc_jp", b"euc-jp"), ("iso2022_jp", b"iso-2022-jp"),
                          ("utf-8", b"utf-8"), ("utf-16-le", b"utf-16le")):
            data = text.encode(enc)
            with self.subTest(enc=enc):
                rc, out, err = run(["conv", "-t", "utf8", "-v"], data)
                self.assertEqual((rc, out), (0, text.encode()), err)
                self.assertIn(name.decode(), err, "-v says what was guessed")
                rc, out, err = run(["guess"], data.replace(b"\n", b"\r\n") if "16" not in enc else data)
                self.assertEqual(rc, 0, err)
                self.assertTrue(out.startswith(name), out)
        self.check([
            ("pure ASCII", ["guess"], b"hello\n", b"ascii (LF)\n", 0, None),
            ("BOM", ["guess"], "\ufeffあ\r\n".encode(), b"utf-8 (CRLF, BOM)\n", 0, None),
            ("-f auto", ["conv", "-f", "auto", "-t", "sjis"], "あ\n".encode(), b"\x82\xa0\n", 0, None),
            ("ASCII fits all: -v says why", ["conv", "-t", "utf8", "-v"], b"hello\n", b"hello\n", 0,
             "as well"),
            ("valid twice: -v names the other", ["conv", "-t", "utf8", "-v"], b"\xb0\xa1\n", "亜\n".encode(),
             0, "shift_jis too"),
            ("no encoding fits", ["guess"], b"\x82\xa0\xff\x00\x1b$B", b"unknown (no encoding fits; binary?)\n",
             1, None),
        ])


if __name__ == "__main__":
    # Skips are told in the normal output (run.sh repeats the SKIPPED lines
    # after CTest's summary); a group that only skipped exits 77, which CTest
    # counts as skipped rather than passed.
    names = sys.argv[1:] or None
    suite = (unittest.defaultTestLoader.loadTestsFromNames(names, sys.modules[__name__]) if names
             else unittest.defaultTestLoader.loadTestsFromModule(sys.modules[__name__]))
    result = unittest.TextTestRunner(verbosity=1).run(suite)
    for test, reason in result.skipped:
        print("SKIPPED: %s: %s" % (test.id().replace("__main__.", ""), reason))
    if not result.wasSuccessful():
        sys.exit(1)
    sys.exit(77 if result.testsRun and len(result.skipped) == result.testsRun else 0)
