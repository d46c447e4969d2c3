#!/usr/bin/env python3
"""Messages per second reading an mbox: zrmoji mail decode beside Python's
email package doing the same work (headers decoded, bodies decoded and
converted to text, attachments decoded).

usage: mail_mbox.py ZRMOJI_EXE [MBOX] [COUNT]

Generates (seeded) an mbox of COUNT (10,000) Japanese messages when MBOX
does not exist: ISO-2022-JP 7bit, Shift_JIS and EUC-JP quoted-printable,
UTF-8 base64 and quoted-printable bodies, one in five multipart with an
HTML alternative and a binary attachment. Prints the best of three runs."""
import email
import email.header
import email.policy
import os
import random
import subprocess
import sys
import time
from email import charset as cs
from email.mime.application import MIMEApplication
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText

KANJI = "会議日本語文字変換送信受信確認予定来週月曜午前時室開催報告書資料添付連絡先担当者様宜敬具"
KANA = "あいうえおかきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
KATA = "アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモ"


def sentence(rng, n):
    return "".join(rng.choice(KANJI + KANA + KATA) for _ in range(n)) + "。"


def text_part(body, charset, enc):
    c = cs.Charset(charset)
    c.body_encoding = enc
    c.header_encoding = cs.BASE64
    m = MIMEText("", "plain")
    m.set_payload(body, c)
    return m


def generate(path, count):
    rng = random.Random(10000)
    forms = [("iso-2022-jp", None), ("shift_jis", cs.QP), ("euc-jp", cs.QP), ("utf-8", cs.BASE64), ("utf-8", cs.QP)]
    with open(path, "wb") as f:
        for i in range(count):
            charset, enc = forms[i % len(forms)]
            body = "\n".join(sentence(rng, rng.randint(20, 60)) for _ in range(rng.randint(3, 15))) + "\n"
            if i % 5 == 4:
                m = MIMEMultipart()
                alt = MIMEMultipart("alternative")
                alt.attach(text_part(body, charset, enc))
                alt.attach(MIMEText("<p>" + body + "</p>", "html", "utf-8"))
                m.attach(alt)
                m.attach(MIMEApplication(rng.randbytes(2000), Name="資料%d.bin" % i))
            else:
                m = text_part(body, charset, enc)
            m["Subject"] = email.header.Header(sentence(rng, rng.randint(5, 40)), charset)
            m["From"] = email.header.Header("山田 太郎", charset).encode() + " <yamada@example.jp>"
            m["Date"] = "Tue, 08 Dec 2026 10:00:00 +0900"
            f.write(b"From yamada@example.jp Tue Dec  8 10:00:00 2026\n")
            f.write(m.as_bytes().replace(b"\nFrom ", b"\n>From ") + b"\n")


def python_read(path):
    """What zrmoji mail decode does, with the email package."""
    import mailbox
    n = 0
    out = []
    for msg in mailbox.mbox(path, factory=lambda f: email.message_from_binary_file(f)):
        n += 1
        for k, v in msg.items():
            out.append(str(email.header.make_header(email.header.decode_header(v))))
        for part in msg.walk():
            if part.is_multipart():
                continue
            payload = part.get_payload(decode=True)
            if part.get_content_maintype() == "text":
                out.append(payload.decode(part.get_content_charset() or "ascii", "replace"))
        if len(out) > 1000:
            out.clear()
    return n


def best(fn, runs=3):
    times = []
    for _ in range(runs):
        start = time.perf_counter()
        fn()
        times.append(time.perf_counter() - start)
    return min(times)


def main():
    exe = sys.argv[1]
    path = sys.argv[2] if len(sys.argv) > 2 else "/tmp/zrmoji_bench.mbox"
    count = int(sys.argv[3]) if len(sys.argv) > 3 else 10000
    if not os.path.exists(path):
        generate(path, count)
    size = os.path.getsize(path)
    n = python_read(path)
    zr = best(lambda: subprocess.run([exe, "mail", "decode", path], stdout=subprocess.DEVNULL, check=True))
    py = best(lambda: python_read(path))
    print("mbox: %d messages, %.1f MB" % (n, size / 1e6))
    print("zrmoji mail decode: %.2f s, %.0f messages/s" % (zr, n / zr))
    print("Python email package: %.2f s, %.0f messages/s" % (py, n / py))


if __name__ == "__main__":
    main()
