// unicode_test.cpp - the exports that reach UTF-16: Shift_JIS, the JIS/EUC-JP
// chains, UTF-8 and UTF-7, and the two multi-byte character tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "charset_test_util.hpp"
#include "zr_moji.h"

using namespace zr_test;

namespace {

struct PairCase {
    unsigned char first, second;
    int want;
    const char* why;
};

constexpr PairCase kPairs[] = {
    {0x81, 0x40, 1, "lowest lead, lowest trail"},
    {0xFC, 0xFC, 1, "highest lead, highest trail"},
    {0x9F, 0x80, 1, "0x80 is a trail byte"},
    {0xE0, 0x7E, 1, "second lead range"},
    {0x81, 0x7F, 0, "DEL is never a trail byte"},
    {0x80, 0x40, 0, "0x80 is not a lead byte"},
    {0xA0, 0x40, 0, "0xA0 is not a lead byte"},
    {0xFD, 0x40, 0, "0xFD is not a lead byte"},
    {0x81, 0xFD, 0, "0xFD is not a trail byte"},
    {0x81, 0x3F, 0, "below the trail range"},
    {0xB1, 0x40, 0, "half-width katakana stands alone"},
    {0x81, 0x00, 0, "lead byte at the end of the string"},
    {0x41, 0x42, 0, "ASCII"},
};

TEST(IsMultiByteChar, ClassifiesBytePairs) {
    for (const auto& c : kPairs) {
        const char s[] = {char(c.first), char(c.second), 0};
        EXPECT_EQ(ZR_IsMultiByteChar(s), c.want) << c.why;
    }
    EXPECT_EQ(ZR_IsMultiByteChar(nullptr), 0);
}

TEST(IsMultiByteChar, ReadsNothingAfterANonLeadFirstByte) {
    // One-byte heap string: the second byte is read only after a lead byte.
    std::unique_ptr<char[]> p(new char[1]);
    p[0] = 0;
    EXPECT_EQ(ZR_IsMultiByteChar(p.get()), 0);
}

struct Utf8Case {
    const char* hex;
    int want;
    const char* why;
};

constexpr Utf8Case kUtf8[] = {
    {"41", 0, "ASCII"},
    {"0A", 0, "control byte"},
    {"80", 0, "continuation byte first"},
    {"C3A9", 2, "two bytes"},
    {"C080", 2, "overlong form counts by its bits alone"},
    {"E38182", 3, "three bytes"},
    {"E38141", 0, "cut short by a non-continuation"},
    {"E3", 0, "cut short by the terminator"},
    {"E381", 0, "cut short after two"},
    {"F09F9880", 4, "four bytes"},
    {"F8808080 80", 5, "five bytes"},
    {"FC808080 8080", 6, "six bytes"},
    {"FC808080 80", 0, "six-byte lead cut short"},
    {"FE", 0, "0xFE"},
    {"FF", 0, "0xFF"},
    {"EDA080", 3, "surrogate code point passes"},
    {"", 0, "empty"},
};

TEST(IsUtf8Char, CountsTheSequenceByItsBitPatterns) {
    for (const auto& c : kUtf8) {
        const std::string s = Hex(c.hex);
        // Exact heap copy so that a read past the NUL is caught.
        std::unique_ptr<char[]> p(new char[s.size() + 1]);
        std::memcpy(p.get(), s.c_str(), s.size() + 1);
        EXPECT_EQ(ZR_IsUtf8Char(p.get()), c.want) << c.why;
    }
    EXPECT_EQ(ZR_IsUtf8Char(nullptr), 0);
}

// ---- Shift_JIS and UTF-16 through the host converter -----------------------

TEST(SJisToUnicode, CountsUnitsWithTheTerminator) {
    auto r = Call(ZR_SJisToUnicode, "A", 2);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(r.text, u"A");
    r = Call(ZR_SJisToUnicode, "A", 1);
    EXPECT_EQ(r.result, 0) << "no room for the zero unit";
    r = Call(ZR_SJisToUnicode, Hex("889F 41 B1"), 8);
    EXPECT_EQ(r.result, 4);
    EXPECT_EQ(r.text, u"\u4E9CA\uFF71");
    // The length of src is not compared with dstSize: 2 bytes, 1 unit.
    r = Call(ZR_SJisToUnicode, Hex("889F"), 2);
    EXPECT_EQ(r.result, 2);
}

TEST(SJisToUnicode, MalformedInputConvertsByTheCodePageRules) {
    auto r = Call(ZR_SJisToUnicode, Hex("41 81"), 8);
    EXPECT_EQ(r.result, 3) << "lead byte before the NUL";
    EXPECT_EQ(r.text, u"A\u30FB");
    r = Call(ZR_SJisToUnicode, Hex("81 20 41"), 8);
    EXPECT_EQ(r.text, u"\u30FBA") << "bad trail byte is swallowed";
}

TEST(UnicodeToSJis, CountsBytesWithoutTheNul) {
    auto r = Call(ZR_UnicodeToSJis, u"\u4E9C", 3);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(ToHex(r.text), "88 9F");
    r = Call(ZR_UnicodeToSJis, u"\u4E9C", 2);
    EXPECT_EQ(r.result, 0) << "the NUL does not fit";
    r = Call(ZR_UnicodeToSJis, u"A\u00E9\U0001F600", 16);
    EXPECT_EQ(r.result, 4) << "best fit and '?' per surrogate";
    EXPECT_EQ(r.text, "Ae\?\?");
}

// ---- UTF-16 with JIS and EUC-JP --------------------------------------------

TEST(JisToUnicode, ConvertsThroughShiftJis) {
    const auto r = Call(ZR_JisToUnicode, Hex("1B2442 3021 1B2842 41"), 16);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(r.text, u"\u4E9CA");
}

TEST(EucToUnicode, ConvertsThroughJisAndShiftJis) {
    const auto r = Call(ZR_EucToUnicode, Hex("B0A1 41"), 16);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(r.text, u"\u4E9CA");
}

struct ToBytesCase {
    std::u16string in;
    const char* out;
    int32_t result;
    const char* why;
};

TEST(UnicodeToJis, ReturnsTheLengthOfDstWhateverTheSteps) {
    const ToBytesCase cases[] = {
        {u"\u4E9C", "1B2442 3021 1B2842", 8, "one kanji"},
        {u"A\u3042B", "41 1B2442 2422 1B2842 42", 10, "kanji between letters"},
        {u"A\uE000", "41 1B2442", 4, "user-defined area: partial text, its length"},
        {u"\uE000", "1B2442", 3, "nothing before the user-defined character"},
        {u"\uFF71", "B1", 1, "half-width katakana stays 8-bit"},
        {u"\U0001F600", "3F3F", 2, "no code page 932 form: default characters"},
    };
    for (const auto& c : cases) {
        const auto r = Call(ZR_UnicodeToJis, c.in, 32);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
    }
}

TEST(UnicodeToEuc, ConvertsThroughShiftJisAndJis) {
    const ToBytesCase cases[] = {
        {u"\u4E9C", "B0A1", 2, "one kanji"},
        {u"A\u3042B", "41 A4A2 42", 4, "kanji between letters"},
        {u"A\uE000", "41", 1, "the partial JIS text is converted"},
        {u"\uE000", "", 0, "partial JIS text holds only an escape"},
    };
    for (const auto& c : cases) {
        const auto r = Call(ZR_UnicodeToEuc, c.in, 32);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
    }
}

// ---- UTF-8 and UTF-7 ---------------------------------------------------------

TEST(Utf8ToUnicode, PassesTheConverterCount) {
    auto r = Call(ZR_Utf8ToUnicode, Hex("E38182"), 4);
    EXPECT_EQ(r.result, 2);
    EXPECT_EQ(r.text, u"\u3042");
    r = Call(ZR_Utf8ToUnicode, Hex("E38141"), 4);
    EXPECT_EQ(r.result, 3) << "malformed input does not fail";
    EXPECT_EQ(r.text, u"\uFFFDA");
}

TEST(UnicodeToUtf8, CountsBytesWithoutTheNul) {
    auto r = Call(ZR_UnicodeToUtf8, u"\u3042", 4);
    EXPECT_EQ(r.result, 3);
    EXPECT_EQ(ToHex(r.text), "E3 81 82");
    r = Call(ZR_UnicodeToUtf8, u"\u3042", 3);
    EXPECT_EQ(r.result, 0);
    const std::u16string lone = {0xD800, u'A'};
    r = Call(ZR_UnicodeToUtf8, lone, 8);
    EXPECT_EQ(r.result, 4) << "lone surrogate becomes U+FFFD";
    EXPECT_EQ(ToHex(r.text), "EF BF BD 41");
}

TEST(Utf7, EncodesAndDecodesRuns) {
    auto b = Call(ZR_UnicodeToUtf7, u"Hello", 8);
    EXPECT_EQ(b.result, 5);
    EXPECT_EQ(b.text, "Hello");
    b = Call(ZR_UnicodeToUtf7, u"\u3042", 8);
    EXPECT_EQ(b.result, 5);
    EXPECT_EQ(b.text, "+MEI-");
    auto u = Call(ZR_Utf7ToUnicode, "+MEI-", 4);
    EXPECT_EQ(u.result, 2);
    EXPECT_EQ(u.text, u"\u3042");
    u = Call(ZR_Utf7ToUnicode, "a+", 4);
    EXPECT_EQ(u.result, 2) << "a run opened at the end gives nothing";
    EXPECT_EQ(u.text, u"a");
}

struct ChainCase {
    zr_test::B2B fn;
    const char* in;
    const char* out;
    int32_t result;
    const char* why;
};

TEST(ShiftJisUtfChains, ReturnTheSecondStepsResult) {
    const ChainCase cases[] = {
        {ZR_SJisToUtf8, "82A0", "E38182", 3, "hiragana a"},
        {ZR_SJisToUtf8, "B1", "EFBDB1", 3, "katakana grows from 1 to 3 bytes"},
        {ZR_Utf8ToSJis, "E38182", "82A0", 2, "hiragana a"},
        {ZR_Utf8ToSJis, "41 80 42", "41 3F 42", 3, "bad UTF-8 byte becomes '?'"},
        {ZR_SJisToUtf7, "82A0", "2B4D45492D", 5, "+MEI-"},
        {ZR_Utf7ToSJis, "2B4D45492D", "82A0", 2, "+MEI-"},
        {ZR_Utf7ToSJis, "2B4141412D 41", "", -1, "+AAA- is U+0000: the second step sees an empty text"},
    };
    for (const auto& c : cases) {
        const auto r = Call(c.fn, Hex(c.in), 32);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
    }
}

}  // namespace
