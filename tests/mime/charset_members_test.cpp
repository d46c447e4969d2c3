// charset_members_test.cpp - the Base64 and Quoted-Printable members that convert
// to or from JIS, Shift_JIS, EUC-JP or UTF-8 on the way.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "platform/fault.hpp"
#include "zr_moji.h"

namespace {

using namespace std::string_literals;
using EncodeW = int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, int32_t);
using EncodeA = int32_t(ZR_CALL*)(const char*, char*, int32_t);
using DecodeW = int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, int32_t);
using DecodeA = int32_t(ZR_CALL*)(const char*, char*, int32_t);

enum class Family { kBase64, kQuotedPrintable };

// One transfer encoding of one family: its four members and the bytes that
// "日本語 ABC" becomes in it.
struct Transfer {
    const char* name;
    Family family;
    EncodeW encodeW;
    EncodeA encodeA;
    DecodeW decodeW;
    DecodeA decodeA;
    std::string bytes;
};

const std::u16string kText = u"日本語 ABC";
const std::string kSJis = "\x93\xFA\x96\x7B\x8C\xEA ABC";
const std::string kJis = "\x1B$BF|K\\8l\x1B(B ABC";
const std::string kEuc = "\xC6\xFC\xCB\xDC\xB8\xEC ABC";
const std::string kUtf8 = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E ABC";

const Transfer kTransfers[] = {
    {"Base64 JIS", Family::kBase64, ZR_Base64_EncodeJISW, ZR_Base64_EncodeJISA, ZR_Base64_DecodeJISW,
     ZR_Base64_DecodeJISA, kJis},
    {"Base64 SJIS", Family::kBase64, ZR_Base64_EncodeSJISW, ZR_Base64_EncodeSJISA, ZR_Base64_DecodeSJISW,
     ZR_Base64_DecodeSJISA, kSJis},
    {"Base64 EUC", Family::kBase64, ZR_Base64_EncodeEUCW, ZR_Base64_EncodeEUCA, ZR_Base64_DecodeEUCW,
     ZR_Base64_DecodeEUCA, kEuc},
    {"Base64 UTF8", Family::kBase64, ZR_Base64_EncodeUTF8W, ZR_Base64_EncodeUTF8A, ZR_Base64_DecodeUTF8W,
     ZR_Base64_DecodeUTF8A, kUtf8},
    {"QP JIS", Family::kQuotedPrintable, ZR_QuotedPrintable_EncodeJISW, ZR_QuotedPrintable_EncodeJISA,
     ZR_QuotedPrintable_DecodeJISW, ZR_QuotedPrintable_DecodeJISA, kJis},
    {"QP SJIS", Family::kQuotedPrintable, ZR_QuotedPrintable_EncodeSJISW, ZR_QuotedPrintable_EncodeSJISA,
     ZR_QuotedPrintable_DecodeSJISW, ZR_QuotedPrintable_DecodeSJISA, kSJis},
    {"QP EUC", Family::kQuotedPrintable, ZR_QuotedPrintable_EncodeEUCW, ZR_QuotedPrintable_EncodeEUCA,
     ZR_QuotedPrintable_DecodeEUCW, ZR_QuotedPrintable_DecodeEUCA, kEuc},
    {"QP UTF8", Family::kQuotedPrintable, ZR_QuotedPrintable_EncodeUTF8W, ZR_QuotedPrintable_EncodeUTF8A,
     ZR_QuotedPrintable_DecodeUTF8W, ZR_QuotedPrintable_DecodeUTF8A, kUtf8},
};

constexpr int kRoom = 1024;

std::string PlainEncode(Family f, const std::string& bytes) {
    std::vector<char> out(kRoom);
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const int n = f == Family::kBase64 ? ZR_Base64_Encode(b, static_cast<int32_t>(bytes.size()), out.data(), kRoom)
                                       : ZR_QuotedPrintable_Encode(b, static_cast<int32_t>(bytes.size()),
                                                                   out.data(), kRoom);
    return n < 0 ? "<refused>" : std::string(out.data(), static_cast<std::size_t>(n));
}

// Runs all four members of `t` on `text` (and its Shift_JIS form): both
// encoders must give `transfer`, both decoders must bring the text back.
void CheckMembers(const Transfer& t, const std::u16string& text, const std::string& sjis,
                  const std::string& transfer, const std::string& why) {
    const std::string want = PlainEncode(t.family, transfer);
    std::vector<char> enc(kRoom);
    EXPECT_EQ(t.encodeW(text.c_str(), enc.data(), kRoom), static_cast<int>(want.size())) << t.name << "W " << why;
    EXPECT_EQ(std::string(enc.data()), want) << t.name << "W " << why;
    EXPECT_EQ(t.encodeA(sjis.c_str(), enc.data(), kRoom), static_cast<int>(want.size())) << t.name << "A " << why;
    EXPECT_EQ(std::string(enc.data()), want) << t.name << "A " << why;

    std::vector<ZR_WCHAR> wide(kRoom);
    EXPECT_EQ(t.decodeW(want.c_str(), wide.data(), kRoom), static_cast<int>(text.size()) + 1)
        << t.name << "W " << why;
    EXPECT_EQ(std::u16string(wide.data()), text) << t.name << "W " << why;
    std::vector<char> narrow(kRoom);
    EXPECT_EQ(t.decodeA(want.c_str(), narrow.data(), kRoom), static_cast<int>(sjis.size())) << t.name << "A " << why;
    EXPECT_EQ(std::string(narrow.data()), sjis) << t.name << "A " << why;
}

TEST(MimeCharsetMembers, EncodeAndDecodeJapaneseTextInEveryTransferEncoding) {
    for (const auto& t : kTransfers) CheckMembers(t, kText, kSJis, t.bytes, "日本語 ABC");
}

struct Vector {
    int32_t (*run)(std::vector<char>&);
    std::string want;
    const char* why;
};

TEST(MimeCharsetMembers, KnownTransferTexts) {
    const Vector vectors[] = {
        {[](std::vector<char>& d) { return ZR_Base64_EncodeUTF8W(u"い", d.data(), 5); }, "44GE", "U+3044 as UTF-8"},
        {[](std::vector<char>& d) { return ZR_Base64_EncodeJISA("\x82\xA2", d.data(), 13); }, "GyRCJCQbKEI=",
         "Shift_JIS 82 A2 as eight JIS bytes"},
        {[](std::vector<char>& d) { return ZR_Base64_EncodeSJISA("ABC", d.data(), 5); }, "QUJD", "no conversion"},
        {[](std::vector<char>& d) { return ZR_Base64_EncodeUTF8W(u"ABC", d.data(), 5); }, "QUJD", "ASCII as UTF-8"},
        {[](std::vector<char>& d) { return ZR_QuotedPrintable_EncodeUTF8W(u"い", d.data(), 11); }, "=E3=81=84",
         "U+3044 as UTF-8"},
        {[](std::vector<char>& d) { return ZR_QuotedPrintable_EncodeJISA("\x82\xA2", d.data(), 14); },
         "=1B$B$$=1B(B", "only the escape bytes are escaped"},
    };
    for (const auto& v : vectors) {
        std::vector<char> dst(64, '\x7F');
        EXPECT_EQ(v.run(dst), static_cast<int>(v.want.size())) << v.why;
        EXPECT_EQ(std::string(dst.data()), v.want) << v.why;
    }
}

// Hiragana, katakana, kanji, the long-vowel mark and printable ASCII: text
// that every transfer encoding carries both ways.
std::u16string JapaneseText(std::mt19937& rng, int length) {
    static const std::u16string kKanji = u"日本語漢字変換文字列試験東京大阪愛亜一右雨円王音下火花貝学気九休玉金空月犬見";
    std::u16string s;
    for (int i = 0; i < length; ++i) {
        switch (rng() % 5) {
            case 0: s += static_cast<char16_t>(0x3041 + rng() % (0x3093 - 0x3041 + 1)); break;
            case 1: s += static_cast<char16_t>(0x30A1 + rng() % (0x30F6 - 0x30A1 + 1)); break;
            case 2: s += kKanji[rng() % kKanji.size()]; break;
            case 3: s += u'ー'; break;
            default: s += static_cast<char16_t>(0x20 + rng() % 95); break;
        }
    }
    return s;
}

TEST(MimeCharsetMembers, RoundTripGeneratedJapaneseText) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 40; ++round) {
        const std::u16string text = JapaneseText(rng, 1 + round * 3);
        std::vector<char> sjis(kRoom);
        ASSERT_GT(ZR_UnicodeToSJis(text.c_str(), sjis.data(), kRoom), 0);
        for (const auto& t : kTransfers) {
            // The transfer bytes come from the members' own conversions; what
            // matters is that each encoder and decoder pair brings the text back.
            std::vector<char> enc(kRoom);
            ASSERT_GT(t.encodeW(text.c_str(), enc.data(), kRoom), 0) << t.name << " round " << round;
            std::vector<ZR_WCHAR> wide(kRoom);
            EXPECT_GT(t.decodeW(enc.data(), wide.data(), kRoom), 0) << t.name << " round " << round;
            EXPECT_EQ(std::u16string(wide.data()), text) << t.name << " round " << round;
            ASSERT_GT(t.encodeA(sjis.data(), enc.data(), kRoom), 0) << t.name << " round " << round;
            std::vector<char> narrow(kRoom);
            EXPECT_GT(t.decodeA(enc.data(), narrow.data(), kRoom), 0) << t.name << " round " << round;
            EXPECT_EQ(std::string(narrow.data()), std::string(sjis.data())) << t.name << " round " << round;
        }
    }
}

TEST(MimeCharsetMembers, EmptyTextIsRefusedByEveryConversion) {
    for (const auto& t : kTransfers) {
        const bool plain = t.bytes == kSJis;  // the SJISA members convert nothing
        std::vector<char> dst(8, '\x7F');
        EXPECT_EQ(t.encodeW(u"", dst.data(), 8), -1) << t.name;
        EXPECT_EQ(dst, std::vector<char>(8, '\x7F')) << t.name << ": dst untouched";
        EXPECT_EQ(t.encodeA("", dst.data(), 8), plain ? 0 : -1) << t.name;
        EXPECT_EQ(dst, std::vector<char>(8, plain ? '\0' : '\x7F')) << t.name;
        std::vector<ZR_WCHAR> wide(8);
        EXPECT_EQ(t.decodeW("", wide.data(), 8), -1) << t.name;
        EXPECT_EQ(t.decodeA("", dst.data(), 8), plain ? 0 : -1) << t.name;
    }
}

TEST(MimeCharsetMembers, DecodedZeroByteEndsTheConvertedText) {
    const struct {
        DecodeA decode;
        const char* text;
        int want;
        std::string dst;
        const char* why;
    } cases[] = {
        {ZR_Base64_DecodeSJISA, "QQBC", 3, "A\0B\0"s, "plain decoder writes and counts all bytes"},
        {ZR_Base64_DecodeUTF8A, "QQBC", 1, "A\0\0\0"s, "conversion stops at the zero byte"},
        {ZR_QuotedPrintable_DecodeSJISA, "A=00B", 3, "A\0B\0"s, "plain decoder writes and counts all bytes"},
        {ZR_QuotedPrintable_DecodeJISA, "A=00B", 1, "A\0\0\0"s, "conversion stops at the zero byte"},
    };
    for (const auto& c : cases) {
        std::vector<char> dst(4, '\x7F');
        EXPECT_EQ(c.decode(c.text, dst.data(), 4), c.want) << c.why;
        EXPECT_EQ(std::string(dst.data(), 4), c.dst) << c.why;
    }
}

TEST(MimeCharsetMembers, ScratchSizesAndWhatEachStepIsTold) {
    std::vector<char> dst(12, '\x7F');
    // Four kanji are eight Shift_JIS bytes. The Shift_JIS member tells its
    // conversion the whole scratch (2 x 5), so the conversion succeeds and the
    // Base64 text is what does not fit; the JIS member tells its conversion 5,
    // which cannot take the text, and encodes nothing.
    EXPECT_EQ(ZR_Base64_EncodeSJISW(u"日本語字", dst.data(), 5), -1);
    EXPECT_EQ(ZR_Base64_EncodeJISW(u"日本語字", dst.data(), 5), 0);
    EXPECT_EQ(std::string(dst.data(), 5), std::string(5, '\0'));
    // A conversion that did not fit leaves part of the text behind; it is not
    // encoded as if it were the whole text.
    EXPECT_EQ(ZR_QuotedPrintable_EncodeUTF8W(u"ABCDEFGHIJあ", dst.data(), 12), 0);
    EXPECT_EQ(std::string(dst.data(), 12), std::string(12, '\0'));

    // Decoded bytes that fill all the scratch the decoder is told still reach
    // the conversion as a terminated text.
    std::vector<ZR_WCHAR> wide(3, u'?');
    EXPECT_EQ(ZR_QuotedPrintable_DecodeUTF8W("=E3=81=82", wide.data(), 3), 2);
    EXPECT_EQ(std::u16string(wide.data()), u"あ");
    EXPECT_EQ(ZR_Base64_DecodeUTF8W("44GC44GE", wide.data(), 3), 3);
    EXPECT_EQ(std::u16string(wide.data(), 2), u"あい");
    // The Base64 decoders get twice dstSize: six bytes into dstSize 2 is too many.
    EXPECT_EQ(ZR_Base64_DecodeUTF8W("44GC44GE44GG", wide.data(), 2), -1);
    // A failed decode leaves dst as the caller had it.
    std::vector<char> narrow(4, '\x7F');
    EXPECT_EQ(ZR_QuotedPrintable_DecodeUTF8A("=E3\xE9", narrow.data(), 4), -1);
    EXPECT_EQ(narrow, std::vector<char>(4, '\x7F'));
}

#if defined(ZR_FAULT_INJECTION)
TEST(MimeCharsetMembers, ScratchThatCannotBeHadGivesMinusOne) {
    for (const auto& t : kTransfers) {
        std::vector<char> dst(64, '\x7F');
        std::vector<ZR_WCHAR> wide(64, u'?');
        const std::string text = PlainEncode(t.family, t.bytes);
        zr::platform::ArmFault(zr::platform::FaultKind::kAlloc, 0);
        EXPECT_EQ(t.encodeW(kText.c_str(), dst.data(), 64), -1) << t.name;
        zr::platform::ArmFault(zr::platform::FaultKind::kAlloc, 0);
        EXPECT_EQ(t.decodeW(text.c_str(), wide.data(), 64), -1) << t.name;
        zr::platform::ArmFault(zr::platform::FaultKind::kAlloc, -1);
        EXPECT_EQ(dst, std::vector<char>(64, '\x7F')) << t.name;
        EXPECT_EQ(wide, std::vector<ZR_WCHAR>(64, u'?')) << t.name;
    }
}
#endif

}  // namespace
