// python_qp_test.cpp - Quoted-Printable text written by Python's binascii and
// quopri (soft breaks "=" LF) decoded by the plain decoder and by every
// decoding charset member, as written and with the line ends a transport may
// give it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "zr_moji.h"

namespace {

struct PythonQpText {
    const char* writer;
    int transfer;  // 0 JIS, 1 Shift_JIS, 2 EUC-JP, 3 UTF-8
    std::u16string text;
    std::string sjis;
    std::string bytes;  // the text in the transfer encoding
    std::string qp;
};

#include "python_qp_texts.inc"

using DecodeW = int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, int32_t);
using DecodeA = int32_t(ZR_CALL*)(const char*, char*, int32_t);

const DecodeW kDecodeW[] = {ZR_QuotedPrintable_DecodeJISW, ZR_QuotedPrintable_DecodeSJISW,
                            ZR_QuotedPrintable_DecodeEUCW, ZR_QuotedPrintable_DecodeUTF8W};
const DecodeA kDecodeA[] = {ZR_QuotedPrintable_DecodeJISA, ZR_QuotedPrintable_DecodeSJISA,
                            ZR_QuotedPrintable_DecodeEUCA, ZR_QuotedPrintable_DecodeUTF8A};
const char* const kTransferNames[] = {"JIS", "SJIS", "EUC", "UTF8"};

std::string ReplaceAll(std::string s, const std::string& from, const std::string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
    return s;
}

std::u16string ReplaceAll(std::u16string s, const std::u16string& from, const std::u16string& to) {
    for (std::size_t at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size())) {
        s.replace(at, from.size(), to);
    }
    return s;
}

// One Quoted-Printable text and what every decoder must make of it.
struct Expected {
    std::string qp;
    std::string bytes;
    std::u16string text;
    std::string sjis;
};

void ExpectDecoded(const PythonQpText& c, const Expected& e, const std::string& why) {
    const std::string where = std::string(c.writer) + ", " + kTransferNames[c.transfer] + ", " + why;
    // The plain decoder gets room for the bytes and a terminator only.
    const auto exact = static_cast<int32_t>(e.bytes.size() + 1);
    std::vector<unsigned char> plain(static_cast<std::size_t>(exact), 0x7F);
    ASSERT_EQ(ZR_QuotedPrintable_Decode(e.qp.c_str(), plain.data(), exact), static_cast<int32_t>(e.bytes.size()))
        << where;
    EXPECT_EQ(std::string(plain.begin(), plain.end() - 1), e.bytes) << where;

    // The members' conversions want room beyond the text (the EUC-JP ones
    // pass through JIS, designations included).
    const int32_t room = exact * 2 + 16;

    std::vector<ZR_WCHAR> wide(static_cast<std::size_t>(room), u'?');
    EXPECT_EQ(kDecodeW[c.transfer](e.qp.c_str(), wide.data(), room), static_cast<int32_t>(e.text.size() + 1))
        << where << ", W";
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(wide.data())), e.text) << where << ", W";

    std::vector<char> narrow(static_cast<std::size_t>(room), '\x7F');
    EXPECT_EQ(kDecodeA[c.transfer](e.qp.c_str(), narrow.data(), room), static_cast<int32_t>(e.sjis.size()))
        << where << ", A";
    EXPECT_EQ(std::string(narrow.data()), e.sjis) << where << ", A";
}

TEST(PythonQuotedPrintable, DecodesAsWritten) {
    for (const auto& c : kPythonQpTexts) {
        ASSERT_NE(c.qp.find("=\n"), std::string::npos) << c.writer << ": the text has no soft break";
        ExpectDecoded(c, {c.qp, c.bytes, c.text, c.sjis}, "as written");
    }
}

// The encoders escape every "=" of the text, so each "=" LF in their output
// is a soft break; a transport may pad it, or turn every LF into CR LF.
TEST(PythonQuotedPrintable, DecodesWithPaddingAndCrLf) {
    for (const auto& c : kPythonQpTexts) {
        ExpectDecoded(c, {ReplaceAll(c.qp, "=\n", "= \t \n"), c.bytes, c.text, c.sjis}, "padded soft breaks");
        ExpectDecoded(c,
                      {ReplaceAll(c.qp, "\n", "\r\n"), ReplaceAll(c.bytes, "\n", "\r\n"),
                       ReplaceAll(c.text, u"\n", u"\r\n"), ReplaceAll(c.sjis, "\n", "\r\n")},
                      "CR LF line ends");
        ExpectDecoded(c,
                      {ReplaceAll(ReplaceAll(c.qp, "\n", "\r\n"), "=\r\n", "=\t\r\n"),
                       ReplaceAll(c.bytes, "\n", "\r\n"), ReplaceAll(c.text, u"\n", u"\r\n"),
                       ReplaceAll(c.sjis, "\n", "\r\n")},
                      "CR LF line ends, padded soft breaks");
    }
}

}  // namespace
