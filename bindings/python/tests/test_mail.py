"""Tests of zrmoji.mail: headers and messages as the zrmoji mail commands read and write them."""

import email
import email.policy
import unittest

from zrmoji import mail as zm


class Headers(unittest.TestCase):
    def test_decode(self):
        cases = [
            ("JIS word", b"Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=", "Subject: こんにちは", []),
            ("fold and adjacent words", "=?UTF-8?B?5pel?=\r\n =?UTF-8?B?5pys?= x", "日本 x", []),
            ("unknown charset kept", b"=?koi8-r?B?QUJD?=", "=?koi8-r?B?QUJD?=", [(1, b"=?koi8-r?B?QUJD?=")]),
        ]
        for why, src, text, issues in cases:
            with self.subTest(why=why):
                self.assertEqual(zm.decode_header(src), (text, issues))

    def test_encode_round_trip(self):
        subject = "Subject: " + "会議のお知らせ、ｶﾀｶﾅ" * 8
        for charset in ("jis", "utf8", "sjis", "euc"):
            for q in (False, True):
                enc = zm.encode_header(subject, charset=charset, q=q, eol="\n")
                self.assertTrue(all(len(l) <= 76 for l in enc.split("\n")), enc)
                # Only ISO-2022-JP lacks half-width katakana.
                want = subject.replace("ｶﾀｶﾅ", "カタカナ") if charset == "jis" else subject
                self.assertEqual(zm.decode_header(enc)[0], want)
        with self.assertRaises(zm.MailError):
            zm.encode_header("S: 😀")


class Messages(unittest.TestCase):
    def test_encode_then_read(self):
        raw = zm.encode_mail("Subject: 件名\n\n本文ｱ\n", charset="jis")
        self.assertEqual(email.message_from_bytes(raw, policy=email.policy.default)["subject"], "件名")
        mbox = b"From a\n" + raw + b"\nFrom b\n" + zm.encode_mail("Subject: x\n\n二\n", "utf8", "qp")
        msgs = zm.read_mail(mbox)
        self.assertEqual([m.from_line for m in msgs], ["From a", "From b"])
        self.assertIn((0, False, "Subject", "件名"), msgs[0].headers)
        self.assertEqual(msgs[0].parts[0].content, "本文ア\r\n")
        self.assertEqual(msgs[1].parts[0].content, "二\r\n")
        self.assertEqual(msgs[1].parts[0].transfer_encoding, "quoted-printable")
        self.assertEqual([m.problems for m in msgs], [[], []])

    def test_problem_reported(self):
        (m,) = zm.read_mail(b"Content-Transfer-Encoding: base64\n\n@@@\n")
        self.assertEqual(m.parts[0].problem, 2)
        self.assertEqual(m.parts[0].content, b"@@@\n")
        self.assertEqual(m.problems[0][0], 2)


if __name__ == "__main__":
    unittest.main()
