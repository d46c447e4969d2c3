// mail_message_test.cpp - the message reader through the C API: what each
// kind of message hands to the callbacks.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zr_text.h"

namespace {

struct Seen {
    std::vector<std::string> froms, headers, parts, issues;
};

std::string Describe(const ZRT_MailPart& p) {
    std::string s = std::to_string(p.depth) + (p.kind == ZRT_PART_TEXT ? " text " : " file ") + p.contentType;
    if (*p.filename) s += std::string(" name=") + p.filename;
    if (p.guessed) s += " guessed";
    if (p.problem) s += " problem=" + std::to_string(p.problem);
    s += " [" + std::string(reinterpret_cast<const char*>(p.data), p.length) + "]";
    return s;
}

Seen Read(const std::string& mail, int64_t* result = nullptr) {
    Seen s;
    ZRT_MailHandler h{};
    h.size = sizeof h;
    h.user = &s;
    h.message = [](void* u, uint64_t, uint64_t, const char* from, size_t n) {
        static_cast<Seen*>(u)->froms.push_back(from ? std::string(from, n) : "-");
    };
    h.header = [](void* u, int32_t depth, int32_t part, const char* name, size_t nl, const char* v, size_t vl) {
        static_cast<Seen*>(u)->headers.push_back(std::to_string(depth) + (part ? "p " : " ") + std::string(name, nl) +
                                                 ": " + std::string(v, vl));
    };
    h.part = [](void* u, const ZRT_MailPart* p) { static_cast<Seen*>(u)->parts.push_back(Describe(*p)); };
    h.issue = [](void* u, int32_t kind, uint64_t, const char*) {
        static_cast<Seen*>(u)->issues.push_back(std::to_string(kind));
    };
    const int64_t r = ZRT_ReadMail(reinterpret_cast<const uint8_t*>(mail.data()), mail.size(), &h);
    if (result) *result = r;
    return s;
}

struct MessageCase {
    std::string mail;
    std::vector<std::string> parts;
    int64_t problems;
    const char* why;
};

const std::string kJisBody = "\x1b$B$3$s$K$A$O\x1b(B\n";

TEST(MailMessage, BodiesAndParts) {
    const MessageCase cases[] = {
        {"Subject: a\n\nplain\n", {"0 text text/plain [plain\n]"}, 0, "no MIME headers: ASCII text"},
        {"Content-Type: text/plain; charset=ISO-2022-JP\n\n" + kJisBody, {"0 text text/plain [こんにちは\n]"}, 0,
         "ISO-2022-JP body"},
        {"Content-Type: text/plain; charset=\"utf-8\"\r\nContent-Transfer-Encoding: base64\r\n\r\n5pel5pys\r\n",
         {"0 text text/plain [日本]"}, 0, "base64 UTF-8, CRLF lines"},
        {"Content-Type: text/plain; charset=shift_jis\nContent-Transfer-Encoding: quoted-printable\n\n=93=FA=\n=96=7B\n",
         {"0 text text/plain [日本\n]"}, 0, "quoted-printable Shift_JIS with a soft break"},
        {"Content-Type: text/plain; charset=us-ascii\n\n\xc6\xfc\xcb\xdc\xb8\xec\xa4\xc7\xa4\xb9\n",
         {"0 text text/plain guessed [日本語です\n]"}, 0, "wrong label: guessed"},
        {"Content-Type: text/plain\nContent-Transfer-Encoding: base64\n\n!!!\n",
         {"0 text text/plain problem=2 [!!!\n]"}, 1, "broken base64 kept as it was"},
        {"Content-Type: multipart/mixed; boundary=XX\n\npreamble\n--XX\n\nfirst\n--XX\n"
         "Content-Type: text/plain; charset=euc-jp\n\n\xc6\xfc\n--XX--\nepilogue\n",
         {"1 text text/plain [first]", "1 text text/plain [日]"}, 0, "multipart, preamble and epilogue left out"},
        {"Content-Type: multipart/mixed; boundary=\"a b\"\n\n--a b\nContent-Type: multipart/alternative; boundary=in\n\n"
         "--in\n\nx\n--in\nContent-Type: text/html\n\n<b>y</b>\n--in--\n--a b\n"
         "Content-Type: application/pdf; name=\"=?UTF-8?B?5pel?=.pdf\"\nContent-Transfer-Encoding: base64\n\nQUJD\n--a b--\n",
         {"2 text text/plain [x]", "2 text text/html [<b>y</b>]", "1 file application/pdf name=日.pdf [ABC]"}, 0,
         "nested multipart, quoted boundary, RFC 2047 file name"},
        {"Content-Type: multipart/mixed; boundary=B\n\n--B\nContent-Disposition: attachment;\n"
         " filename*0*=utf-8''%E6%97%A5; filename*1=.txt\n\nnot shown as text\n--B--\n",
         {"1 file text/plain name=日.txt [not shown as text]"}, 0, "RFC 2231 continuation, attachment text"},
        {"Content-Type: multipart/mixed; boundary=a\n b\n\n--a b\nContent-Disposition: attachment;"
         " filename*=shift_jis''%93%FA.txt\n\ny\n--a b--\n",
         {"1 file text/plain name=日.txt [y]"}, 0, "an unquoted boundary folded in two; RFC 2231 in Shift_JIS"},
        {"Content-Type: text/plain\n\n" + kJisBody, {"0 text text/plain guessed [こんにちは\n]"}, 0,
         "unlabelled ISO-2022-JP is no ASCII: guessed"},
        {"Content-Type: multipart/mixed; boundary=B\n\n--B\n\nunclosed\n",
         {"1 text text/plain [unclosed\n]"}, 1, "missing closing boundary"},
        {"Content-Type: multipart/mixed; boundary=B\n\nno parts at all\n", {"0 text text/plain [no parts at all\n]"}, 1,
         "no boundary line at all"},
        {"Content-Type: message/rfc822\n\nSubject: inner\n\ninner body\n", {"1 text text/plain [inner body\n]"}, 0,
         "an attached message is read as one"},
        {"X-Odd!Name: v\n\nplain\n", {"0 text text/plain [plain\n]"}, 0, "'!' may stand in a field name"},
        {"Content-Type: text/plain\n\nab\x80\n", {"0 text text/plain problem=3 [ab\x80\n]"}, 1,
         "0x80 is not ASCII: an unlabelled part with it is not handed on as ASCII"},
    };
    for (const auto& c : cases) {
        int64_t r = -9;
        const Seen s = Read(c.mail, &r);
        EXPECT_EQ(s.parts, c.parts) << c.why;
        EXPECT_EQ(r, c.problems) << c.why;
    }
}

// Messages inside messages are read to a depth of 64; deeper ones are kept
// whole as one part with a problem, so a crafted mail cannot exhaust the
// stack.
TEST(MailMessage, NestingIsReadTo64Deep) {
    for (const int depth : {64, 65}) {
        std::string mail;
        for (int i = 0; i < depth; ++i) mail += "Content-Type: message/rfc822\n\n";
        mail += "Subject: in\n\nbody\n";
        int64_t r = -9;
        const Seen s = Read(mail, &r);
        ASSERT_EQ(s.parts.size(), 1u) << depth;
        if (depth == 64) {
            EXPECT_EQ(s.parts[0], "64 text text/plain [body\n]");
            EXPECT_EQ(r, 0);
        } else {
            EXPECT_EQ(s.parts[0].rfind("65 file application/octet-stream", 0), 0u) << s.parts[0];
            EXPECT_EQ(r, 1);
        }
    }
}

TEST(MailMessage, HeadersDecodedAndMarked) {
    const Seen s = Read("Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=\n x\nContent-Type: multipart/mixed;"
                        " boundary=B\n\n--B\nContent-Type: text/plain; name==?koi8-r?B?QUJD?=\n\nt\n--B--\n");
    const std::vector<std::string> want = {"0 Subject: こんにちは x", "0 Content-Type: multipart/mixed; boundary=B",
                                           "1p Content-Type: text/plain; name==?koi8-r?B?QUJD?="};
    EXPECT_EQ(s.headers, want);
    EXPECT_EQ(s.issues, std::vector<std::string>{"1"}) << "the unknown charset word is reported";
}

// A problem inside text that was itself decoded (a message in Base64) is
// placed at the message that held it, never outside the input, with or
// without a message callback.
TEST(MailMessage, ProblemsInDecodedPartsStayInTheInput) {
    const std::string mail = "From a@b Mon Jan  1 00:00:00 2026\nSubject: 1\n\none\n\n"
                             "From c@d Tue Jan  2 00:00:00 2026\nContent-Type: message/rfc822\n"
                             "Content-Transfer-Encoding: base64\n\n"
                             // "Content-Transfer-Encoding: base64\n\n!!!\n"
                             "Q29udGVudC1UcmFuc2Zlci1FbmNvZGluZzogYmFzZTY0CgohISEK\n";
    std::vector<uint64_t> at;
    ZRT_MailHandler h{};
    h.size = sizeof h;
    h.user = &at;
    h.issue = [](void* u, int32_t, uint64_t offset, const char*) {
        static_cast<std::vector<uint64_t>*>(u)->push_back(offset);
    };
    EXPECT_EQ(ZRT_ReadMail(reinterpret_cast<const uint8_t*>(mail.data()), mail.size(), &h), 1);
    EXPECT_EQ(at, std::vector<uint64_t>{mail.find("Content-Type: message/rfc822")});
}

TEST(MailMessage, MboxSplitsAtFromLines) {
    const Seen s = Read("From a@b Mon Jan  1 00:00:00 2026\nSubject: 1\n\none\n\n"
                        "From c@d Tue Jan  2 00:00:00 2026\nSubject: 2\n\ntwo\nFrom here on\n");
    EXPECT_EQ(s.froms, (std::vector<std::string>{"From a@b Mon Jan  1 00:00:00 2026",
                                                 "From c@d Tue Jan  2 00:00:00 2026", "From here on"}));
    ASSERT_EQ(s.parts.size(), 3u);
    EXPECT_EQ(s.parts[0], "0 text text/plain [one\n]") << "the separating blank line is not the message's";
}

TEST(MailMessage, Arguments) {
    EXPECT_EQ(ZRT_ReadMail(nullptr, 3, nullptr), ZRT_BAD_ARGUMENT);
    ZRT_MailHandler h{};
    h.size = 4;
    EXPECT_EQ(ZRT_ReadMail(reinterpret_cast<const uint8_t*>("x"), 1, &h), ZRT_BAD_ARGUMENT) << "a struct too short";
    EXPECT_EQ(ZRT_ReadMail(nullptr, 0, nullptr), 0) << "nothing to read";
}

// The text with every LF made CR LF.
std::string WithCrlf(std::string s) {
    for (size_t at = 0; (at = s.find('\n', at)) != std::string::npos; at += 2) s.insert(at, "\r");
    return s;
}

// The mail ZRT_EncodeMail makes of `text`, measured first; empty when refused.
std::string EncodeMail(const std::string& text, const ZRT_MailEncodeOptions& o) {
    const int64_t n = ZRT_EncodeMail(text.data(), text.size(), &o, nullptr, 0, nullptr);
    if (n <= 0) return {};
    std::string mail(static_cast<size_t>(n) + 1, '\0');
    EXPECT_EQ(ZRT_EncodeMail(text.data(), text.size(), &o, mail.data(), mail.size(), nullptr), n);
    mail.resize(static_cast<size_t>(n));
    return mail;
}

struct EncodeCase {
    int32_t charset;
    int32_t body;
    const char* why;
};

TEST(MailMessage, EncodedMessagesReadBack) {
    const std::string text = "Subject: 会議のお知らせ\nContent-Type: text/html\n\n本文です。\n" +
                             std::string(200, 'x') + " \n" +
                             // An escaped space or tab after 73 to 75 characters needs
                             // a soft break of its own to stay within 76.
                             std::string(75, 'y') + " \n" + std::string(74, 'y') + "\t\n" +
                             std::string(73, 'z') + " \n最後の行\n";
    const EncodeCase cases[] = {
        {ZRT_ENC_JIS, ZRT_BODY_7BIT, "ISO-2022-JP as it is"},
        {ZRT_ENC_JIS, ZRT_BODY_BASE64, "ISO-2022-JP in Base64"},
        {ZRT_ENC_UTF8, ZRT_BODY_BASE64, "UTF-8 in Base64"},
        {ZRT_ENC_UTF8, ZRT_BODY_QP, "UTF-8 quoted-printable, a long line and a trailing space"},
    };
    for (const auto& c : cases) {
        ZRT_MailEncodeOptions o;
        ZRT_DefaultMailEncodeOptions(&o);
        o.charset = c.charset;
        o.body = c.body;
        const std::string mail = EncodeMail(text, o);
        ASSERT_FALSE(mail.empty()) << c.why;
        if (c.body != ZRT_BODY_7BIT) {
            size_t at = 0, end;
            while ((end = mail.find("\r\n", at)) != std::string::npos) {
                EXPECT_LE(end - at, 76u) << c.why;
                at = end + 2;
            }
        }
        int64_t r = -9;
        const Seen s = Read(mail, &r);
        EXPECT_EQ(r, 0) << c.why;
        ASSERT_EQ(s.parts.size(), 1u) << c.why;
        // Every form ends its lines in CR LF, the default.
        const std::string want = WithCrlf(text.substr(text.find("\n\n") + 2));
        EXPECT_EQ(s.parts[0], "0 text text/html [" + want + "]") << c.why;
        EXPECT_EQ(s.headers[0], "0 Subject: 会議のお知らせ") << c.why;
    }
    // CR LF line ends in the text make the same mail as LF.
    ZRT_MailEncodeOptions o;
    ZRT_DefaultMailEncodeOptions(&o);
    const std::string mail = EncodeMail(text, o);
    ASSERT_FALSE(mail.empty());
    EXPECT_EQ(EncodeMail(WithCrlf(text), o), mail);
}

TEST(MailMessage, EncodeRefusesWhatItCannotWrite) {
    const struct {
        int32_t charset, body, eol;
        uint32_t size;
        const char* why;
    } cases[] = {
        {ZRT_ENC_UTF8, ZRT_BODY_7BIT, ZRT_EOL_CRLF, 0, "UTF-8 is not 7-bit"},
        {ZRT_ENC_SJIS, ZRT_BODY_BASE64, ZRT_EOL_CRLF, 0, "Shift_JIS is no mail charset here"},
        {ZRT_ENC_JIS, ZRT_BODY_QP + 1, ZRT_EOL_CRLF, 0, "no such body"},
        {ZRT_ENC_JIS, ZRT_BODY_7BIT - 1, ZRT_EOL_CRLF, 0, "no such body"},
        {ZRT_ENC_JIS, ZRT_BODY_7BIT, ZRT_EOL_CR, 0, "CR alone ends no mail line"},
        {ZRT_ENC_JIS, ZRT_BODY_7BIT, ZRT_EOL_LF, 8, "a struct too short"},
    };
    for (const auto& c : cases) {
        ZRT_MailEncodeOptions o;
        ZRT_DefaultMailEncodeOptions(&o);
        o.charset = c.charset;
        o.body = c.body;
        o.eol = c.eol;
        if (c.size) o.size = c.size;
        char dst[8] = "#######";
        EXPECT_EQ(ZRT_EncodeMail("a", 1, &o, dst, sizeof dst, nullptr), ZRT_BAD_ARGUMENT) << c.why;
        EXPECT_EQ(dst[0], '#') << c.why;
    }
    EXPECT_EQ(ZRT_EncodeMail(nullptr, 1, nullptr, nullptr, 0, nullptr), ZRT_BAD_ARGUMENT) << "NULL text";
    ZRT_Error e{};
    const std::string emoji = "\n😀\n";
    EXPECT_EQ(ZRT_EncodeMail(emoji.data(), emoji.size(), nullptr, nullptr, 0, &e), -1);
    EXPECT_EQ(e.codePoint, 0x1F600u);
}

}  // namespace
