// mail_header_test.cpp - header fields through the C API: unfolding and
// encoded words decoded, and the encoder's words, lines and folds.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zr_text.h"

namespace {

struct Seen {
    std::vector<int32_t> kinds;
    std::vector<std::string> pieces;
    const char* src = nullptr;
};

void OnIssue(void* user, int32_t kind, size_t offset, size_t length) {
    auto* s = static_cast<Seen*>(user);
    s->kinds.push_back(kind);
    s->pieces.emplace_back(s->src + offset, length);
}

std::string Decode(const std::string& in, Seen* seen = nullptr) {
    Seen local;
    Seen& s = seen ? *seen : local;
    s.src = in.data();
    const size_t n = ZRT_DecodeHeader(in.data(), in.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n + 1, '\0');
    EXPECT_EQ(ZRT_DecodeHeader(in.data(), in.size(), out.data(), out.size(), OnIssue, &s), n);
    out.resize(n);
    return out;
}

struct DecodeCase {
    const char* in;
    const char* want;
    int32_t issue;  // the one problem reported, 0 for none
    const char* why;
};

const DecodeCase kDecodeCases[] = {
    {"Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=", "Subject: こんにちは", 0, "field name kept, B word"},
    {"=?shift_jis?B?k/qWe4zq?=", "日本語", 0, "Shift_JIS"},
    {"=?CP932?B?k/qWe4zq?=", "日本語", 0, "cp932 label"},
    {"=?windows-31j?B?k/qWe4zq?=", "日本語", 0, "Windows-31J label"},
    {"=?euc-jp?b?xvzL3Ljs?=", "日本語", 0, "EUC-JP, lower-case b"},
    {"=?UTF-8?B?5pel5pys6Kqe?=", "日本語", 0, "UTF-8"},
    {"=?utf-7?B?K1plVm5MQS0=?=", "日本", 0, "UTF-7"},
    {"=?us-ascii?Q?plain_text?=", "plain text", 0, "US-ASCII, '_' is a space"},
    {"=?ISO-8859-1?Q?Andr=E9?= Pirard", "André Pirard", 0, "ISO-8859-1 Q word, text after kept"},
    {"=?iso-8859-1?q?caf=e9?=", "café", 0, "lower-case hex escape"},
    {"=?utf-8*ja?B?5pel5pys6Kqe?=", "日本語", 0, "RFC 2231 language suffix"},
    {"=?UTF-8?B?5pel?= =?UTF-8?B?5pys?=", "日本", 0, "space between two words dropped"},
    {"=?UTF-8?B?5pel?=\r\n =?UTF-8?B?5pys?=", "日本", 0, "fold between two words dropped"},
    {"=?UTF-8?B?5pel?= and =?UTF-8?B?5pys?=", "日 and 本", 0, "text between words keeps its spaces"},
    {"a =?UTF-8?B?5pel?=  b", "a 日  b", 0, "space around a word next to text kept"},
    {"Subject: first\r\n second\n\tthird", "Subject: first second\tthird", 0, "folds removed, white space kept"},
    {"=?UTF-8?B?44GC4w==?= =?UTF-8?B?gYQ=?=", "あい", 0, "a character split between two words"},
    {"=?ISO-2022-JP?B?GyRCJCI=?= =?ISO-2022-JP?B?JCQbKEI=?=", "あい", 0, "an escape state carried into the next word"},
    {"=?utf-8?q?=somevalue?=", "=somevalue", 0, "'=' without hex digits is literal"},
    {"=?UTF-8?B?5pel5pys6Kqe?", "=?UTF-8?B?5pel5pys6Kqe?", ZRT_HDR_MALFORMED_WORD, "word without its end"},
    {"x =?koi8-r?B?5pel?= y", "x =?koi8-r?B?5pel?= y", ZRT_HDR_UNKNOWN_CHARSET, "unknown charset kept as written"},
    {"=?UTF-8?B?5p!l?= ok", "=?UTF-8?B?5p!l?= ok", ZRT_HDR_MALFORMED_WORD, "character outside Base64"},
    {"=?UTF-8?B?/w==?= =?UTF-8?B?5pel?=", "=?UTF-8?B?/w==?=日", ZRT_HDR_MALFORMED_WORD,
     "a word that is not UTF-8 kept, its neighbour decoded"},
    {"=?UTF-8?X?abc?=", "=?UTF-8?X?abc?=", 0, "unknown encoding letter: plain text"},
    {"=?UTF-8?Q?" "?=", "", 0, "empty word"},
    {"=?UTF-8?B?77u/YQ==?=", "\xef\xbb\xbf" "a", 0, "U+FEFF at a word's start is a character"},
    {"100% =? sure", "100% =? sure", 0, "'=?' in plain text"},
    {"x =?!?B?5pel?= y", "x =?!?B?5pel?= y", ZRT_HDR_UNKNOWN_CHARSET, "'!' is a token character: a word, its charset unknown"},
    {"\x1b$B$3$s$K$A$O\x1b(B", "こんにちは", ZRT_HDR_RAW_GUESSED, "raw ISO-2022-JP header"},
};

TEST(MailHeader, Decodes) {
    for (const auto& c : kDecodeCases) {
        Seen seen;
        EXPECT_EQ(Decode(c.in, &seen), c.want) << c.why;
        if (c.issue) {
            ASSERT_EQ(seen.kinds.size(), 1u) << c.why;
            EXPECT_EQ(seen.kinds[0], c.issue) << c.why;
        } else {
            EXPECT_TRUE(seen.kinds.empty()) << c.why;
        }
    }
}

TEST(MailHeader, IssueNamesThePieceKept) {
    Seen seen;
    Decode("a =?x-unknown-cs?Q?abc?= b", &seen);
    ASSERT_EQ(seen.pieces.size(), 1u);
    EXPECT_EQ(seen.pieces[0], "=?x-unknown-cs?Q?abc?=");
}

TEST(MailHeader, DecodeNeverWritesPastTheBuffer) {
    const std::string in = "=?UTF-8?B?5pel5pys6Kqe?=";
    char buf[5] = {'#', '#', '#', '#', '#'};
    EXPECT_EQ(ZRT_DecodeHeader(in.data(), in.size(), buf, 4, nullptr, nullptr), 9u);
    EXPECT_EQ(buf[4], '#');
    EXPECT_EQ(ZRT_DecodeHeader(nullptr, 3, nullptr, 0, nullptr, nullptr), 0u) << "NULL source with a length";
}

// ---- encoding ---------------------------------------------------------------

std::string Encode(const std::string& text, int32_t charset = ZRT_ENC_JIS, bool q = false, int32_t eol = ZRT_EOL_CRLF,
                   int64_t* status = nullptr) {
    ZRT_HeaderOptions o;
    ZRT_DefaultHeaderOptions(&o);
    o.charset = charset;
    o.q = q;
    o.eol = eol;
    const int64_t n = ZRT_EncodeHeader(text.data(), text.size(), &o, nullptr, 0, nullptr);
    if (status) *status = n;
    if (n < 0) return {};
    std::string out(static_cast<size_t>(n) + 1, '\0');
    EXPECT_EQ(ZRT_EncodeHeader(text.data(), text.size(), &o, out.data(), out.size(), nullptr), n);
    out.resize(static_cast<size_t>(n));
    return out;
}

std::vector<std::string> Lines(const std::string& s, const std::string& eol) {
    std::vector<std::string> lines;
    size_t at = 0;
    for (;;) {
        const size_t e = s.find(eol, at);
        lines.push_back(s.substr(at, e == std::string::npos ? std::string::npos : e - at));
        if (e == std::string::npos) return lines;
        at = e + eol.size();
    }
}

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

struct EncodeCase {
    std::string text;
    int32_t charset;
    bool q;
    const char* why;
};

TEST(MailHeader, EncodedHeadersDecodeBackWithinTheLimits) {
    const EncodeCase cases[] = {
        {"Subject: 会議のお知らせ", ZRT_ENC_JIS, false, "short subject"},
        {"Subject: " + Repeat("日本語のテキスト、", 30), ZRT_ENC_JIS, false, "270 characters need many words"},
        {"Subject: " + Repeat("ｶﾞｷﾞｸﾞｹﾞｺﾞ漢字", 12), ZRT_ENC_UTF8, false, "half-width kana in UTF-8"},
        {"Subject: " + Repeat("日本語 English mixed ", 10), ZRT_ENC_JIS, false, "ASCII words between"},
        {"Subject: " + Repeat("日本語 テキスト ", 12), ZRT_ENC_JIS, true, "Q words with spaces inside"},
        {"Subject: " + Repeat("絵😀文字", 20), ZRT_ENC_UTF8, false, "four-byte characters not split"},
        {"Subject: " + Repeat("Ｓｈｉｆｔ", 20), ZRT_ENC_SJIS, false, "Shift_JIS words"},
        {"Subject: " + Repeat("ＥＵＣ", 30), ZRT_ENC_EUCJP, true, "EUC-JP Q words"},
        {"To: someone@example.jp", ZRT_ENC_JIS, false, "ASCII stays"},
        {"Subject: " + Repeat("\xef\xbb\xbf字", 40), ZRT_ENC_UTF8, false, "U+FEFF starting a word is kept"},
        {"Subject: " + Repeat("\xc2\x80\xf3\xb0\x80\x80\xf1\x80\x80\x80字", 12), ZRT_ENC_UTF8, false,
         "the first two-byte character and four-byte ones past the first plane keep their codes"},
    };
    for (const auto& c : cases) {
        for (int32_t eol : {ZRT_EOL_CRLF, ZRT_EOL_LF}) {
            const std::string nl = eol == ZRT_EOL_CRLF ? "\r\n" : "\n";
            const std::string enc = Encode(c.text, c.charset, c.q, eol);
            for (const auto& line : Lines(enc, nl)) {
                EXPECT_LE(line.size(), 76u) << c.why << ": " << line;
                EXPECT_EQ(line.find('\r'), std::string::npos) << c.why;
                EXPECT_EQ(line.find('\n'), std::string::npos) << c.why;
            }
            // Every word stands alone: decoding each one separately gives
            // text, never a warning, and the words are at most 75 long.
            size_t at = 0;
            while ((at = enc.find("=?", at)) != std::string::npos) {
                const size_t end = enc.find("?=", enc.find('?', enc.find('?', at + 2) + 1) + 1) + 2;
                const std::string word = enc.substr(at, end - at);
                EXPECT_LE(word.size(), 75u) << c.why;
                Seen seen;
                Decode(word, &seen);
                EXPECT_TRUE(seen.kinds.empty()) << c.why << ": " << word;
                if (c.charset == ZRT_ENC_JIS && !c.q) {
                    EXPECT_EQ(word.find("=?ISO-2022-JP?B?"), 0u) << c.why;
                }
                at = end;
            }
            EXPECT_EQ(enc.compare(0, c.text.find(':') + 1, c.text, 0, c.text.find(':') + 1), 0)
                << c.why << ": the field name stays";
            std::string want = c.text;
            if (c.charset == ZRT_ENC_JIS) {
                // Half-width kana come back full-width from ISO-2022-JP.
                want = Decode(Encode(c.text, ZRT_ENC_UTF8));
            }
            EXPECT_EQ(Decode(enc), want) << c.why;
        }
    }
}

// Plain words fold only where the next one would pass 76 characters: each
// line is as full as the words allow.
TEST(MailHeader, PlainWordsFillTheirLines) {
    const std::string text = "To: " + Repeat("someone@example.jp, ", 30) + "last@example.jp";
    const std::string enc = Encode(text, ZRT_ENC_UTF8, false, ZRT_EOL_LF);
    const auto lines = Lines(enc, "\n");
    ASSERT_GT(lines.size(), 5u);
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_LE(lines[i].size(), 76u) << lines[i];
        const size_t word = lines[i + 1].find(' ', 1);
        EXPECT_GT(lines[i].size() + (word == std::string::npos ? lines[i + 1].size() : word), 76u)
            << "line " << i << " had room for the next word";
    }
    EXPECT_EQ(Decode(enc), text);
}

TEST(MailHeader, EncodeExactForms) {
    EXPECT_EQ(Encode("Subject: こんにちは"), "Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=");
    EXPECT_EQ(Encode("ｱ", ZRT_ENC_JIS), "=?ISO-2022-JP?B?GyRCJSIbKEI=?=") << "half-width to full-width";
    EXPECT_EQ(Encode("日 本", ZRT_ENC_UTF8, true), "=?UTF-8?Q?=E6=97=A5_=E6=9C=AC?=") << "Q: space as '_'";
    EXPECT_EQ(Encode("Re: plain"), "Re: plain");
    EXPECT_EQ(Encode("Re: why? a=b"), "Re: why? a=b") << "'=' and '?' apart make no word";
    EXPECT_EQ(Encode("あ: x", ZRT_ENC_UTF8), "=?UTF-8?B?44GCOg==?= x") << "no field name: it is not ASCII";
    EXPECT_EQ(Encode("Re: a\r\nb", ZRT_ENC_UTF8), "Re: a  b") << "line breaks in the text become spaces";
    EXPECT_EQ(Encode("say =?x?= now", ZRT_ENC_UTF8), "say =?UTF-8?B?PT94Pz0=?= now")
        << "text that looks like a word is encoded";
}

TEST(MailHeader, EncodeRefusals) {
    int64_t status = 0;
    Encode("Subject: 😀", ZRT_ENC_JIS, false, ZRT_EOL_CRLF, &status);
    EXPECT_EQ(status, -1) << "ISO-2022-JP has no emoji";
    ZRT_Error e{};
    const std::string bad = "\xff";
    EXPECT_EQ(ZRT_EncodeHeader(bad.data(), bad.size(), nullptr, nullptr, 0, &e), -1) << "not UTF-8";
    EXPECT_EQ(e.kind, ZRT_ERR_MALFORMED);
    ZRT_HeaderOptions o;
    ZRT_DefaultHeaderOptions(&o);
    o.charset = ZRT_ENC_UTF16LE;
    EXPECT_EQ(ZRT_EncodeHeader("a", 1, &o, nullptr, 0, nullptr), -2) << "not a mail charset";
}

}  // namespace
