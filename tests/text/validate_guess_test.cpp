// validate_guess_test.cpp - validation of each encoding at each kind of
// malformation, and guessing on short and ambiguous texts.
#include <gtest/gtest.h>

#include <string>

#include "support.hpp"
#include "zr_text.h"

namespace {

using zrt_test::Hex;

struct BadCase {
    int32_t enc;
    std::string in;
    uint64_t offset;  // of the first offending byte
    std::string bytes;  // the bytes reported
    const char* why;
};

const BadCase kMalformed[] = {
    {ZRT_ENC_ASCII, "ab\x80", 2, "\x80", "8-bit byte in ASCII"},
    {ZRT_ENC_UTF8, "a\x80", 1, "\x80", "continuation byte alone"},
    {ZRT_ENC_UTF8, "\xC0\xAF", 0, "\xC0", "overlong lead byte"},
    {ZRT_ENC_UTF8, "\xE0\x80\xAF", 0, "\xE0", "overlong three-byte form"},
    {ZRT_ENC_UTF8, "\xED\xA0\x80", 0, "\xED", "encoded surrogate"},
    {ZRT_ENC_UTF8, "\xF4\x90\x80\x80", 0, "\xF4", "past U+10FFFF"},
    {ZRT_ENC_UTF8, "\xE3\x81" "a", 0, "\xE3\x81", "sequence broken by ASCII"},
    {ZRT_ENC_UTF8, "ok\xE3\x81", 2, "\xE3\x81", "sequence cut short by the end"},
    {ZRT_ENC_UTF8, "\xFF", 0, "\xFF", "never a UTF-8 byte"},
    {ZRT_ENC_UTF16LE, std::string("\x00\xDC", 2), 0, std::string("\x00\xDC", 2), "lone low surrogate"},
    {ZRT_ENC_UTF16LE, "\xFF\xDF", 0, "\xFF\xDF", "the last low surrogate alone"},
    {ZRT_ENC_UTF16LE, std::string("\x3D\xD8" "A\0", 4), 0, "\x3D\xD8", "high surrogate before a non-surrogate"},
    {ZRT_ENC_UTF16LE, std::string("A\0\x3D\xD8", 4), 2, "\x3D\xD8", "high surrogate at the end"},
    {ZRT_ENC_UTF16BE, std::string("\0A\0", 3), 2, std::string("\0", 1), "odd byte at the end"},
    {ZRT_ENC_SJIS, "\x80", 0, "\x80", "0x80 is no Shift_JIS byte"},
    {ZRT_ENC_SJIS, "\xA0", 0, "\xA0", "0xA0 is no Shift_JIS byte"},
    {ZRT_ENC_SJIS, "a\xFD", 1, "\xFD", "0xFD..0xFF are no Shift_JIS bytes"},
    {ZRT_ENC_SJIS, "\x81\x7F", 0, "\x81", "DEL is no trail byte"},
    {ZRT_ENC_SJIS, "\x81 ", 0, "\x81", "lead byte before a space"},
    {ZRT_ENC_SJIS, "\x85\x40", 0, "\x85\x40", "a pair code page 932 leaves empty"},
    {ZRT_ENC_SJIS, "\x93\xFA\x96", 2, "\x96", "lead byte cut short by the end"},
    {ZRT_ENC_EUCJP, "\xA4", 0, "\xA4", "cut short"},
    {ZRT_ENC_EUCJP, "\xA4" "a", 0, "\xA4", "second byte not 0xA1..0xFE"},
    {ZRT_ENC_EUCJP, "\x8E\xE0", 0, "\x8E", "0x8E before a byte that is no half-width katakana"},
    {ZRT_ENC_EUCJP, "\x8F\xB0", 0, "\x8F\xB0", "JIS X 0212 cut short"},
    {ZRT_ENC_EUCJP, "\x8F\xA1\xA1", 0, "\x8F\xA1\xA1", "a JIS X 0212 code without a character"},
    {ZRT_ENC_EUCJP, "\xA9\xA1", 0, "\xA9\xA1", "an empty JIS X 0208 row"},
    {ZRT_ENC_EUCJP, "\x90", 0, "\x90", "C1 byte other than SS2/SS3"},
    {ZRT_ENC_EUCJP, "\xFF", 0, "\xFF", "0xFF"},
    {ZRT_ENC_JIS, "a\xB6", 1, "\xB6", "8-bit byte in 7-bit text"},
    {ZRT_ENC_JIS, "\x1b(Z", 0, "\x1b(Z", "unknown designation"},
    {ZRT_ENC_JIS, "\x1b$", 0, "\x1b$", "escape cut short"},
    {ZRT_ENC_JIS, "\x1b$(%.%$+J", 0, "\x1b$(%.%$+J", "a long unknown escape is taken whole"},
    {ZRT_ENC_JIS, "\x1b$BF", 3, "F", "kanji cut short"},
    {ZRT_ENC_JIS, "\x1b$BF\x80", 3, "F", "kanji with a bad second byte"},
    {ZRT_ENC_JIS, "\x1b$B)!", 3, ")!", "an empty JIS X 0208 row"},
    {ZRT_ENC_JIS, "\x1b(I`", 3, "`", "beyond the half-width katakana"},
    {ZRT_ENC_UTF7, "a+b", 1, "+", "run whose bits do not make a unit"},
    {ZRT_ENC_UTF7, "+AGF", 0, "+", "leftover bits not zero at the end"},
    {ZRT_ENC_UTF7, "+AG-", 3, "-", "a run too short for a unit"},
    {ZRT_ENC_UTF7, "+ x", 1, " ", "'+' followed by neither Base64 nor '-'"},
    {ZRT_ENC_UTF7, "+2D0-", 4, "-", "high surrogate alone"},
    {ZRT_ENC_UTF7, "\xE3", 0, "\xE3", "8-bit byte"},
    {ZRT_ENC_UTF7, "a\x1b", 1, "\x1b", "control character"},
    {ZRT_ENC_UTF7, "a\x7F", 1, "\x7F", "DEL is no direct character"},
};

TEST(Validate, EveryKindOfMalformation) {
    for (const auto& c : kMalformed) {
        ZRT_Error e;
        const auto* p = reinterpret_cast<const uint8_t*>(c.in.data());
        EXPECT_EQ(ZRT_Validate(c.enc, p, c.in.size(), 1, &e), 0) << c.why;
        EXPECT_EQ(e.kind, ZRT_ERR_MALFORMED) << c.why;
        EXPECT_EQ(e.offset, c.offset) << c.why;
        EXPECT_EQ(Hex(std::string(reinterpret_cast<const char*>(e.bytes), e.byteCount)), Hex(c.bytes)) << c.why;
        // The converter sees the same fault at the same place.
        const auto r = zrt_test::Convert(c.enc, ZRT_ENC_UTF8, c.in);
        EXPECT_EQ(r.status, ZRT_STOPPED) << c.why;
        EXPECT_EQ(r.error.offset, c.offset) << c.why;
    }
}

struct GoodCase {
    int32_t enc;
    std::string in;
    const char* why;
};

const GoodCase kWellFormed[] = {
    {ZRT_ENC_UTF8, "\xF0\x9F\x98\x80\xEF\xBF\xBF", "four-byte form and U+FFFF"},
    {ZRT_ENC_UTF16LE, std::string("\x3D\xD8\x00\xDE", 4), "surrogate pair"},
    {ZRT_ENC_SJIS, "\x81\x45\xF0\x40\xFC\x4B\xB1", "U+30FB itself, user-defined area, last IBM code, kana"},
    {ZRT_ENC_EUCJP, "\x8E\xDF\x8F\xB0\xA1\xA4\xA2", "all three forms"},
    {ZRT_ENC_JIS, "\x1b$BF|\x1b(B\x1b(I1\x1b(J\\\x0e" "1\x0f", "every designation read"},
    {ZRT_ENC_JIS, "\x1b$BF|", "a kanji run left open at the end"},
    {ZRT_ENC_UTF7, "+ZeVnLA-+-a+ZeU", "runs ended by '-', by the end"},
    {ZRT_ENC_UTF7, "+2D3eAA-", "surrogate pair"},
};

TEST(Validate, WellFormed) {
    for (const auto& c : kWellFormed) {
        const auto* p = reinterpret_cast<const uint8_t*>(c.in.data());
        EXPECT_EQ(ZRT_Validate(c.enc, p, c.in.size(), 1, nullptr), 1) << c.why;
    }
}

TEST(Validate, APrefixMayEndInsideACharacter) {
    const std::string in = "\xE6\x97\xA5\xE6\x9C";  // 日 and two bytes of 本
    const auto* p = reinterpret_cast<const uint8_t*>(in.data());
    EXPECT_EQ(ZRT_Validate(ZRT_ENC_UTF8, p, in.size(), 0, nullptr), 1);
    EXPECT_EQ(ZRT_Validate(ZRT_ENC_UTF8, p, in.size(), 1, nullptr), 0);
    EXPECT_EQ(ZRT_Validate(ZRT_ENC_NONE, p, in.size(), 1, nullptr), -1);
    EXPECT_EQ(ZRT_Validate(ZRT_ENC_UTF8, nullptr, 1, 1, nullptr), -1);
}

std::string Enc(const char* utf8, int32_t to) { return zrt_test::Convert(ZRT_ENC_UTF8, to, utf8).out; }

struct GuessCase {
    std::string in;
    int32_t want;
    bool ambiguous;
    int32_t eol;
    const char* why;
};

TEST(Guess, ShortAndAmbiguousTexts) {
    const GuessCase cases[] = {
        {"", ZRT_ENC_ASCII, true, ZRT_EOLS_NONE, "nothing at all fits everything"},
        {"plain text\n", ZRT_ENC_ASCII, true, ZRT_EOLS_LF, "pure ASCII fits all: the preference decides"},
        {Enc("あ", ZRT_ENC_UTF8), ZRT_ENC_UTF8, false, ZRT_EOLS_NONE, "one hiragana in UTF-8"},
        {Enc("あ", ZRT_ENC_SJIS), ZRT_ENC_SJIS, false, ZRT_EOLS_NONE, "one hiragana in Shift_JIS"},
        {Enc("あ", ZRT_ENC_EUCJP), ZRT_ENC_EUCJP, false, ZRT_EOLS_NONE, "one hiragana in EUC-JP"},
        {Enc("日本", ZRT_ENC_SJIS), ZRT_ENC_SJIS, false, ZRT_EOLS_NONE, "two kanji in Shift_JIS"},
        {Enc("日本", ZRT_ENC_EUCJP), ZRT_ENC_EUCJP, false, ZRT_EOLS_NONE,
         "EUC-JP kanji read in Shift_JIS are half-width katakana"},
        {Enc("ｱｲｳｴ", ZRT_ENC_SJIS), ZRT_ENC_EUCJP, false, ZRT_EOLS_NONE,
         "four half-width katakana alone read better as two EUC-JP kanji"},
        {Enc("ｱｲｳｴです", ZRT_ENC_SJIS), ZRT_ENC_SJIS, false, ZRT_EOLS_NONE, "with hiragana around them they are kana"},
        {Enc("αβ", ZRT_ENC_EUCJP), ZRT_ENC_EUCJP, false, ZRT_EOLS_NONE,
         "Greek letters in EUC-JP read in Shift_JIS are half-width katakana"},
        {Enc("｡｡｡｡", ZRT_ENC_SJIS), ZRT_ENC_EUCJP, false, ZRT_EOLS_NONE,
         "half-width full stops, the first of the half-width range, read better as EUC-JP ideographic spaces"},
        {Enc("漢字です\r\n", ZRT_ENC_JIS), ZRT_ENC_JIS, false, ZRT_EOLS_CRLF, "ISO-2022-JP"},
        {Enc("テスト", ZRT_ENC_UTF7), ZRT_ENC_UTF7, false, ZRT_EOLS_NONE, "UTF-7 run"},
        {Enc("abc\nあ\r\n", ZRT_ENC_UTF16LE), ZRT_ENC_UTF16LE, false, ZRT_EOLS_MIXED, "zeros on the odd side"},
        {Enc("abc", ZRT_ENC_UTF16BE), ZRT_ENC_UTF16BE, false, ZRT_EOLS_NONE, "zeros on the even side"},
        {Enc("ひらがな", ZRT_ENC_UTF16LE), ZRT_ENC_UTF16LE, false, ZRT_EOLS_NONE, "no zeros, but kana"},
        {"a\rb\r", ZRT_ENC_ASCII, true, ZRT_EOLS_CR, "CR endings"},
        // "+/v8-" is U+FEFF, which weighs nothing: the UTF-7 reading leads the
        // ASCII one by exactly the margin (a tenth of a kana per character)
        // after thirteen letters, and by less after fourteen.
        {std::string(13, 'a') + "+/v8-", ZRT_ENC_UTF7, false, ZRT_EOLS_NONE, "UTF-7 ahead by the margin"},
        {std::string(14, 'a') + "+/v8-", ZRT_ENC_UTF7, true, ZRT_EOLS_NONE, "UTF-7 within the margin of ASCII"},
        {std::string("\xFF\xFE\x00", 3), ZRT_ENC_NONE, false, ZRT_EOLS_NONE, "binary: nothing fits"},
        {std::string("\x00\x01\x02\x03", 4), ZRT_ENC_NONE, false, ZRT_EOLS_NONE,
         "valid ASCII, but controls only: binary"},
    };
    for (const auto& c : cases) {
        ZRT_Guess g;
        const auto* p = reinterpret_cast<const uint8_t*>(c.in.data());
        EXPECT_EQ(ZRT_GuessEncoding(p, c.in.size(), 1, &g), c.want) << c.why;
        EXPECT_EQ(g.encoding, c.want) << c.why;
        EXPECT_EQ(g.ambiguous != 0, c.ambiguous) << c.why;
        EXPECT_EQ(g.eol, c.eol) << c.why;
        if (c.want != ZRT_ENC_NONE) {
            EXPECT_TRUE(g.fits & (1u << c.want)) << c.why;
            EXPECT_TRUE(g.ties & (1u << c.want)) << c.why;
        }
        EXPECT_EQ(g.bom, 0) << c.why;
    }
}

TEST(Guess, NeverPicksAnEncodingUnderWhichTheInputIsMalformed) {
    // Valid UTF-8 only: every other candidate sees a malformed byte.
    const std::string in = "\xE6\x97\xA5\xE6\x9C\xAC";
    ZRT_Guess g;
    ZRT_GuessEncoding(reinterpret_cast<const uint8_t*>(in.data()), in.size(), 1, &g);
    EXPECT_EQ(g.encoding, ZRT_ENC_UTF8);
    for (int32_t e = 1; e < ZRT_ENC_COUNT; ++e) {
        const bool valid = ZRT_Validate(e, reinterpret_cast<const uint8_t*>(in.data()), in.size(), 1, nullptr) == 1;
        EXPECT_EQ((g.fits >> e & 1) != 0, valid && e != ZRT_ENC_UTF16) << e;
    }
}

TEST(Guess, ByteOrderMarks) {
    const struct {
        std::string in;
        int32_t want;
    } cases[] = {
        {"\xEF\xBB\xBF" "abc", ZRT_ENC_UTF8},
        {std::string("\xFF\xFE" "a\0", 4), ZRT_ENC_UTF16LE},
        {std::string("\xFE\xFF\0a", 4), ZRT_ENC_UTF16BE},
    };
    for (const auto& c : cases) {
        ZRT_Guess g;
        EXPECT_EQ(ZRT_GuessEncoding(reinterpret_cast<const uint8_t*>(c.in.data()), c.in.size(), 1, &g), c.want);
        EXPECT_EQ(g.bom, 1);
        EXPECT_EQ(g.ambiguous, 0);
    }
}

TEST(Guess, APrefixCutInsideACharacterStillFits) {
    const std::string in = Enc("日本語のテキスト", ZRT_ENC_UTF8).substr(0, 10);
    ZRT_Guess g;
    EXPECT_EQ(ZRT_GuessEncoding(reinterpret_cast<const uint8_t*>(in.data()), in.size(), 0, &g), ZRT_ENC_UTF8);
    EXPECT_NE(ZRT_GuessEncoding(reinterpret_cast<const uint8_t*>(in.data()), in.size(), 1, &g), ZRT_ENC_UTF8);
}

TEST(Guess, PreferenceListsEveryGuessableEncodingOnce) {
    const int32_t* p = ZRT_GuessPreference();
    uint32_t seen = 0;
    for (; *p != ZRT_ENC_NONE; ++p) {
        EXPECT_FALSE(seen & (1u << *p));
        seen |= 1u << *p;
    }
    EXPECT_EQ(seen, ((1u << ZRT_ENC_COUNT) - 2) & ~(1u << ZRT_ENC_UTF16));
    EXPECT_EQ(ZRT_GuessPreference()[0], ZRT_ENC_ASCII);
}

}  // namespace
