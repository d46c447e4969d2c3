// convert_test.cpp - the streaming converter: mappings, the error policies,
// kana width, variant pairs, line endings, BOMs and chunk splits.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support.hpp"
#include "zr_text.h"

namespace {

using zrt_test::Convert;
using zrt_test::Hex;
using zrt_test::Options;

const std::string kJisIn = "\x1b$B";
const std::string kJisOut = "\x1b(B";

struct ConvCase {
    int32_t from, to;
    std::string in;
    std::string want;
    const char* why;
};

const ConvCase kConversions[] = {
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "ｶﾀｶﾅ\n", kJisIn + "%+%?%+%J" + kJisOut + "\n",
     "half-width katakana become full-width in ISO-2022-JP, ASCII before the line break"},
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "ｶﾞﾊﾟ", kJisIn + "%,%Q" + kJisOut, "voiced marks combine"},
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "ﾜﾞ", kJisIn + "%o!+" + kJisOut, "WA has no voiced form: the mark stays"},
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "漢a字", kJisIn + "4A" + kJisOut + "a" + kJisIn + ";z" + kJisOut,
     "back to ASCII around every ASCII run, and at the end"},
    {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "〜−‖—\n", "\x81\x60\x81\x7C\x81\x61\x81\x5C\n", "JIS forms of the variant pairs"},
    {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "¢£¬", "\x81\x91\x81\x92\x81\xCA", "the Latin-1 signs of the variant pairs"},
    {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "～∥－―￠￡￢", "\x81\x60\x81\x61\x81\x7C\x81\x5C\x81\x91\x81\x92\x81\xCA",
     "code page 932 forms map as themselves"},
    {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "〜", "\xA1\xC1", "variant pairs towards EUC-JP"},
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "〜", kJisIn + "!A" + kJisOut, "variant pairs towards ISO-2022-JP"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF8, "〜", "〜", "no variant mapping between Unicode forms"},
    {ZRT_ENC_EUCJP, ZRT_ENC_UTF8, "\x8E\xB6", "ｶ", "EUC-JP half-width katakana"},
    {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "ｶ", "\x8E\xB6", "EUC-JP output writes 0x8E xx"},
    {ZRT_ENC_EUCJP, ZRT_ENC_UTF8, "\x8F\xB0\xA1", "丂", "JIS X 0212 through 0x8F"},
    {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "丂", "\x8F\xB0\xA1", "a JIS X 0212 character written as 0x8F"},
    {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "日本丂語丂", "\xC6\xFC\xCB\xDC\x8F\xB0\xA1\xB8\xEC\x8F\xB0\xA1",
     "JIS X 0212 inside a run of kanji"},
    {ZRT_ENC_EUCJP, ZRT_ENC_UTF8, "\xC6\xFC\xCB\xDC", "日本", "JIS X 0208"},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b(I6@", "ｶﾀ", "ESC ( I runs"},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "a\x0e" "6@\x0f" "b", "aｶﾀb", "SO / SI"},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b$@F|\x1b(J\\", "日\\", "ESC $ @ and ESC ( J"},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b&@\x1b$BF|\x1b(B", "日", "ESC & @ ESC $ B"},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b$BF|\nK\\\x1b(B", "日\n本", "a line break inside a kanji run"},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b$(D0!", "丂", "JIS X 0212 in ISO-2022-JP-1 form"},
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "丂", "", "(replaced below)"},
    {ZRT_ENC_SJIS, ZRT_ENC_UTF8, "\x81\x60\x81\x45", "～・", "code page 932 reads 81 60 as U+FF5E; 81 45 is the real U+30FB"},
    {ZRT_ENC_SJIS, ZRT_ENC_EUCJP, "\x87\x40", "\xAD\xA1", "NEC row 13 keeps its JIS row in EUC-JP"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF16LE, "A日😀", std::string("A\0\xE5\x65\x3D\xD8\x00\xDE", 8), "surrogate pair"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF16BE, "A日", std::string("\0A\x65\xE5", 4), "big-endian"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF16, "A", std::string("\xFF\xFE" "A\0", 4), "utf-16 output carries its BOM"},
    {ZRT_ENC_UTF16, ZRT_ENC_UTF8, std::string("\xFE\xFF\0A", 4), "A", "BOM picks big-endian and is consumed"},
    {ZRT_ENC_UTF16, ZRT_ENC_UTF8, std::string("A\0", 2), "A", "no BOM: little-endian"},
    {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "\xEF\xBB\xBF" "A", "A", "an input BOM never reaches a non-Unicode output"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF8, "\xEF\xBB\xBF" "A\xEF\xBB\xBF", "A\xEF\xBB\xBF", "only the leading BOM is consumed"},
    {ZRT_ENC_UTF7, ZRT_ENC_UTF8, "+ZeVnLIqe- a+-b", "日本語 a+b", "UTF-7 runs and +-"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF7, "日本語 a+b\n", "+ZeVnLIqe- a+-b\n", "UTF-7 through the library's encoder"},
    {ZRT_ENC_UTF7, ZRT_ENC_UTF8, "+2D3eAA-", "😀", "a surrogate pair in UTF-7"},
    {ZRT_ENC_UTF7, ZRT_ENC_UTF8, "+2//f/w-", "\xF4\x8F\xBF\xBF", "U+10FFFF, the last pair, in UTF-7"},
    {ZRT_ENC_UTF16LE, ZRT_ENC_UTF8, std::string("\0\xD8\0\xDC", 4), "\xF0\x90\x80\x80", "U+10000, the first past the BMP"},
    {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "ﾟ", "\x8E\xDF", "the last half-width katakana"},
    {ZRT_ENC_SJIS, ZRT_ENC_UTF8, std::string("a\0b", 3), std::string("a\0b", 3), "NUL bytes pass"},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF7, std::string("a\0b", 3), "a+AAA-b", "NUL in UTF-7"},
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "ｰ", kJisIn + "!<" + kJisOut, "prolonged sound mark widens"},
};

TEST(Convert, Mappings) {
    for (const auto& c : kConversions) {
        if (c.want.empty()) continue;
        const auto r = Convert(c.from, c.to, c.in);
        EXPECT_EQ(r.status, ZRT_OK) << c.why;
        EXPECT_EQ(Hex(r.out), Hex(c.want)) << c.why;
        EXPECT_EQ(r.malformed + r.unmappable, 0u) << c.why;
    }
}

TEST(Convert, UnmappableUnderEachPolicy) {
    const std::string in = "髙橋様";  // 髙 has no JIS X 0208 code
    const auto strict = Convert(ZRT_ENC_UTF8, ZRT_ENC_JIS, in);
    EXPECT_EQ(strict.status, ZRT_STOPPED);
    EXPECT_EQ(strict.out, "");
    EXPECT_EQ(strict.error.kind, ZRT_ERR_UNMAPPABLE);
    EXPECT_EQ(strict.error.codePoint, 0x9AD9u);
    EXPECT_EQ(strict.error.offset, 0u);
    EXPECT_EQ(strict.error.line, 1u);
    EXPECT_EQ(Hex(std::string(reinterpret_cast<const char*>(strict.error.bytes), strict.error.byteCount)),
              "E9 AB 99");

    auto o = Options(ZRT_ERRORS_REPLACE);
    const auto replaced = Convert(ZRT_ENC_UTF8, ZRT_ENC_JIS, in, &o);
    EXPECT_EQ(replaced.status, ZRT_OK);
    EXPECT_EQ(replaced.out, "?" + kJisIn + "66MM" + kJisOut);
    EXPECT_EQ(replaced.unmappable, 1u);

    o.replacement = 0x3013;  // 〓, the geta mark
    EXPECT_EQ(Convert(ZRT_ENC_UTF8, ZRT_ENC_JIS, in, &o).out, kJisIn + "\"." "66MM" + kJisOut);
    o.replacement = 0x9AD9;  // a replacement the target lacks falls back to '?'
    EXPECT_EQ(Convert(ZRT_ENC_UTF8, ZRT_ENC_JIS, in, &o).out, "?" + kJisIn + "66MM" + kJisOut);

    o = Options(ZRT_ERRORS_SKIP);
    const auto skipped = Convert(ZRT_ENC_UTF8, ZRT_ENC_JIS, in, &o);
    EXPECT_EQ(skipped.out, kJisIn + "66MM" + kJisOut);
    EXPECT_EQ(skipped.unmappable, 1u);
}

TEST(Convert, StrictStopDeliversTheTextBeforeAndNamesTheLine) {
    const auto r = Convert(ZRT_ENC_UTF8, ZRT_ENC_SJIS, "ab\r\ncd\nx\xC3\xA9y");
    EXPECT_EQ(r.status, ZRT_STOPPED);
    EXPECT_EQ(r.out, "ab\r\ncd\nx");
    EXPECT_EQ(r.error.kind, ZRT_ERR_UNMAPPABLE);
    EXPECT_EQ(r.error.offset, 8u);
    EXPECT_EQ(r.error.line, 3u);
}

TEST(Convert, StrictStopClosesTheOutputBeforeTheError) {
    const struct {
        int32_t to;
        std::string in, want;
        const char* why;
    } cases[] = {
        {ZRT_ENC_JIS, "漢髙", kJisIn + "4A" + kJisOut, "back to ASCII before stopping"},
        {ZRT_ENC_JIS, "aｶ\xFF", "a" + kJisIn + "%+" + kJisOut, "the kana held for its mark is written"},
        {ZRT_ENC_UTF7, "日本\xFF", "+ZeVnLA-", "UTF-7's gathered piece is written"},
    };
    for (const auto& c : cases) {
        for (size_t chunk : {size_t{0}, size_t{1}}) {
            const auto r = Convert(ZRT_ENC_UTF8, c.to, c.in, nullptr, chunk);
            EXPECT_EQ(r.status, ZRT_STOPPED) << c.why;
            EXPECT_EQ(Hex(r.out), Hex(c.want)) << c.why;
        }
    }
}

TEST(Convert, ExactLeavesTheVariantPairsToThePolicy) {
    auto o = Options(ZRT_ERRORS_STRICT);
    o.exact = 1;
    const auto r = Convert(ZRT_ENC_UTF8, ZRT_ENC_SJIS, "a〜", &o);
    EXPECT_EQ(r.status, ZRT_STOPPED);
    EXPECT_EQ(r.error.codePoint, 0x301Cu);
    EXPECT_EQ(r.error.offset, 1u);
    o.errors = ZRT_ERRORS_REPLACE;
    EXPECT_EQ(Convert(ZRT_ENC_UTF8, ZRT_ENC_SJIS, "a〜～", &o).out, "a?\x81\x60");
}

std::string Repeat(const std::string& s, int n) {
    std::string r;
    for (int i = 0; i < n; ++i) r += s;
    return r;
}

// Each JIS form of a variant pair is written with its code page 932
// twin's code, alone and inside runs of other characters, into every
// Japanese encoding.
TEST(Convert, VariantPairsTakeTheirTwinsCodeEverywhere) {
    const struct {
        const char* jisForm;
        const char* twin;
    } pairs[] = {
        {"\u301C", "\uFF5E"}, {"\u2016", "\u2225"}, {"\u2212", "\uFF0D"}, {"\u2014", "\u2015"},
        {"\u00A2", "\uFFE0"}, {"\u00A3", "\uFFE1"}, {"\u00AC", "\uFFE2"},
    };
    for (const int32_t to : {ZRT_ENC_SJIS, ZRT_ENC_EUCJP, ZRT_ENC_JIS}) {
        for (const auto& p : pairs) {
            for (const std::string around : {"", "a", "\u65E5"}) {
                const std::string jis = around + p.jisForm + around + Repeat(p.jisForm, 3) + around;
                const std::string twin = around + p.twin + around + Repeat(p.twin, 3) + around;
                const auto got = Convert(ZRT_ENC_UTF8, to, jis);
                EXPECT_EQ(got.status, ZRT_OK) << to << " " << Hex(p.jisForm);
                EXPECT_EQ(Hex(got.out), Hex(Convert(ZRT_ENC_UTF8, to, twin).out)) << to << " " << Hex(p.jisForm);
            }
        }
    }
}

TEST(Convert, MalformedInputUnderEachPolicy) {
    const std::string in = "a\xFF" "b";
    EXPECT_EQ(Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF8, in).status, ZRT_STOPPED);
    auto o = Options(ZRT_ERRORS_REPLACE);
    EXPECT_EQ(Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF8, in, &o).out, "a\xEF\xBF\xBD" "b");
    EXPECT_EQ(Convert(ZRT_ENC_SJIS, ZRT_ENC_EUCJP, in, &o).out, "a?b");
    EXPECT_EQ(Convert(ZRT_ENC_ASCII, ZRT_ENC_UTF8, "a\x80" "b", &o).out, "a\xEF\xBF\xBD" "b");
    // An escape this reader does not know is one malformed piece, '/' (the
    // last intermediate byte) and its final byte with it.
    EXPECT_EQ(Convert(ZRT_ENC_JIS, ZRT_ENC_UTF8, "a\x1b/Fb", &o).out, "a\xEF\xBF\xBD" "b");
    o = Options(ZRT_ERRORS_SKIP);
    const auto r = Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF8, in, &o);
    EXPECT_EQ(r.out, "ab");
    EXPECT_EQ(r.malformed, 1u);
    EXPECT_EQ(r.error.kind, ZRT_ERR_MALFORMED);
    EXPECT_EQ(r.error.offset, 1u);
}

TEST(Convert, HalfwidthKanaRunsOnRequest) {
    auto o = Options();
    o.halfwidth = ZRT_HALFWIDTH_JISX0201;
    const auto r = Convert(ZRT_ENC_UTF8, ZRT_ENC_JIS, "ｶﾞ漢\n", &o);
    EXPECT_EQ(Hex(r.out), Hex("\x1b(I6^" + kJisIn + "4A" + kJisOut + "\n"));
    for (unsigned char c : r.out) EXPECT_LT(c, 0x80) << "7-bit output only";
}

struct EolCase {
    int32_t eol;
    std::string in, want;
    const char* why;
};

const EolCase kEols[] = {
    {ZRT_EOL_LF, "a\r\nb\rc\nd", "a\nb\nc\nd", "every ending to LF"},
    {ZRT_EOL_CRLF, "a\r\nb\rc\nd", "a\r\nb\r\nc\r\nd", "every ending to CR LF"},
    {ZRT_EOL_CR, "a\r\nb\rc\nd", "a\rb\rc\rd", "every ending to CR"},
    {ZRT_EOL_KEEP, "a\r\nb\rc\nd", "a\r\nb\rc\nd", "kept"},
    {ZRT_EOL_CRLF, "a\r", "a\r\n", "a CR at the very end"},
    {ZRT_EOL_LF, "\r\r\n", "\n\n", "CR then CR LF"},
};

TEST(Convert, LineEndings) {
    for (const auto& c : kEols) {
        auto o = Options();
        o.eol = c.eol;
        for (size_t chunk : {size_t{0}, size_t{1}}) {
            EXPECT_EQ(Hex(Convert(ZRT_ENC_UTF8, ZRT_ENC_SJIS, c.in, &o, chunk).out), Hex(c.want)) << c.why;
        }
    }
}

TEST(Convert, BomOnRequest) {
    auto o = Options();
    o.bom = 1;
    EXPECT_EQ(Hex(Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF8, "A", &o).out), "EF BB BF 41");
    EXPECT_EQ(Hex(Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF16BE, "A", &o).out), "FE FF 00 41");
    EXPECT_EQ(Hex(Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF8, "", &o).out), "EF BB BF");
    EXPECT_EQ(Hex(Convert(ZRT_ENC_UTF8, ZRT_ENC_SJIS, "A", &o).out), "41") << "no BOM outside Unicode";
    EXPECT_EQ(Hex(Convert(ZRT_ENC_UTF8, ZRT_ENC_UTF8, "\xEF\xBB\xBF" "A", &o).out), "EF BB BF 41")
        << "one BOM, not two";
}

// Every chunking of a text gives what one chunk gives: each split point
// inside characters, escape sequences, runs and line endings.
struct SplitCase {
    int32_t from, to;
    std::string in;
    int32_t errors;
    int32_t eol;
};

const SplitCase kSplits[] = {
    {ZRT_ENC_UTF8, ZRT_ENC_JIS, "漢字ｶﾞ\r\nかな😀\xEF\xBB\xBF", ZRT_ERRORS_REPLACE, ZRT_EOL_LF},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "a\x1b$BF|K\\\x1b(I6^\x1b(Bb\x0e" "6\x0f\r\n\x1b$(D0!", ZRT_ERRORS_STRICT, ZRT_EOL_KEEP},
    {ZRT_ENC_EUCJP, ZRT_ENC_UTF16LE, "\xC6\xFC\x8E\xB6\x8F\xB0\xA1z\xA4\xA2", ZRT_ERRORS_STRICT, ZRT_EOL_CRLF},
    {ZRT_ENC_SJIS, ZRT_ENC_EUCJP, "\x93\xFA\x96\x7B\xB6\x81\x60x\x81", ZRT_ERRORS_REPLACE, ZRT_EOL_KEEP},
    {ZRT_ENC_UTF16, ZRT_ENC_UTF8, std::string("\xFE\xFF\x65\xE5\xD8\x3D\xDE\x00\xDC\x00\x00\x41", 12),
     ZRT_ERRORS_REPLACE, ZRT_EOL_KEEP},
    {ZRT_ENC_UTF7, ZRT_ENC_SJIS, "+ZeVnLIqe- a+-b+2D3eAA-x", ZRT_ERRORS_SKIP, ZRT_EOL_KEEP},
    {ZRT_ENC_UTF8, ZRT_ENC_UTF7, "日本 a+b\nc😀", ZRT_ERRORS_STRICT, ZRT_EOL_KEEP},
    {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "ok\xE6\x97", ZRT_ERRORS_STRICT, ZRT_EOL_KEEP},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "a\x1b$(%.%$+JK\x1b(Zb\x1b", ZRT_ERRORS_SKIP, ZRT_EOL_KEEP},
    // Runs of characters taken together: an ASCII stretch of eight ends
    // one, of seven does not; an unmappable one inside; kanji and ASCII
    // stretches of ISO-2022-JP read as one run across their escapes.
    {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "日abcdefgh本abcdefg語\r\n😀〜", ZRT_ERRORS_REPLACE, ZRT_EOL_KEEP},
    {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, "日😀本\n丂ｶ", ZRT_ERRORS_SKIP, ZRT_EOL_KEEP},
    {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b$BF|\x1b(Bab\x1b$BK\\\r\n\x1b(B\x1b$B\x1b(B", ZRT_ERRORS_STRICT, ZRT_EOL_KEEP},
    {ZRT_ENC_SJIS, ZRT_ENC_UTF8, "\x93\xFA\xB6" "ab\r\n\x96\x7B\x81", ZRT_ERRORS_STRICT, ZRT_EOL_KEEP},
    {ZRT_ENC_EUCJP, ZRT_ENC_SJIS, "\xC6\xFC\x8E\xB6" "a\r\n\xCB\xDC\xA1", ZRT_ERRORS_STRICT, ZRT_EOL_KEEP},
};

TEST(Convert, ChunkSplitsGiveTheSameResult) {
    for (const auto& c : kSplits) {
        auto o = Options(c.errors);
        o.eol = c.eol;
        const auto whole = Convert(c.from, c.to, c.in, &o);
        for (size_t chunk = 1; chunk < c.in.size(); ++chunk) {
            // Small output buffers too: a drain that empties the buffer
            // exactly must not leave later output behind.
            const auto parts = Convert(c.from, c.to, c.in, &o, chunk, chunk % 4 ? 4096 : 1 + chunk % 3);
            EXPECT_EQ(Hex(Convert(c.from, c.to, c.in, &o, chunk, 2).out), Hex(whole.out))
                << Hex(c.in) << " in chunks of " << chunk << " through two bytes";
            EXPECT_EQ(Hex(parts.out), Hex(whole.out)) << Hex(c.in) << " in chunks of " << chunk;
            EXPECT_EQ(parts.status, whole.status) << Hex(c.in) << " in chunks of " << chunk;
            EXPECT_EQ(parts.error.offset, whole.error.offset) << Hex(c.in) << " in chunks of " << chunk;
            EXPECT_EQ(parts.malformed, whole.malformed);
        }
        // A one-byte output buffer drains the same bytes.
        EXPECT_EQ(Hex(Convert(c.from, c.to, c.in, &o, 0, 1).out), Hex(whole.out)) << Hex(c.in);
    }
}

// Texts longer than the runs the readers hand over (a few hundred
// characters): an error after several runs keeps its offset and line, a
// CR LF split between two runs counts once, and the output before it is
// whole.
TEST(Convert, ErrorsAfterManyRunsKeepTheirPlace) {
    const struct {
        int32_t from, to;
        std::string in, want;
        uint64_t offset, line;
        int32_t kind;
        const char* why;
    } cases[] = {
        {ZRT_ENC_UTF8, ZRT_ENC_SJIS, "本本" + Repeat("日\r\n", 100) + "😀", "\x96\x7B\x96\x7B" + Repeat("\x93\xFA\r\n", 100),
         506, 101, ZRT_ERR_UNMAPPABLE, "CR and LF on both sides of a run's end"},
        {ZRT_ENC_UTF8, ZRT_ENC_EUCJP, Repeat("日本", 150) + "\n😀", Repeat("\xC6\xFC\xCB\xDC", 150) + "\n", 901, 2,
         ZRT_ERR_UNMAPPABLE, "unmappable after full runs"},
        {ZRT_ENC_SJIS, ZRT_ENC_UTF8, Repeat("\x93\xFA", 300) + "\xFF", Repeat("日", 300), 600, 1, ZRT_ERR_MALFORMED,
         "malformed after full runs"},
        {ZRT_ENC_EUCJP, ZRT_ENC_UTF8, Repeat("\xC6\xFC\r", 200) + "\x8F", Repeat("日\r", 200), 600, 201, ZRT_ERR_MALFORMED,
         "CR alone ends lines too"},
        {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b$B" + Repeat("F|", 300) + "\x1b(B\n\x1b$BF|\x1b(Bx\x80", Repeat("日", 300) + "\n日x",
         616, 2, ZRT_ERR_MALFORMED, "ISO-2022-JP runs across escapes"},
        {ZRT_ENC_JIS, ZRT_ENC_UTF8, "\x1b$B" + Repeat("F|", 255) + "\r\nF|\x1b(Bx\x80", Repeat("日", 255) + "\r\n日x", 521, 2,
         ZRT_ERR_MALFORMED, "a CR LF in kanji mode split between two runs"},
    };
    for (const auto& c : cases) {
        for (size_t chunk : {size_t{0}, size_t{255}, size_t{256}, size_t{512}}) {
            const auto r = Convert(c.from, c.to, c.in, nullptr, chunk);
            EXPECT_EQ(r.status, ZRT_STOPPED) << c.why;
            EXPECT_EQ(Hex(r.out), Hex(c.want)) << c.why << ", chunks of " << chunk;
            EXPECT_EQ(r.error.kind, c.kind) << c.why;
            EXPECT_EQ(r.error.offset, c.offset) << c.why << ", chunks of " << chunk;
            EXPECT_EQ(r.error.line, c.line) << c.why << ", chunks of " << chunk;
        }
    }
}

// UTF-16 is read four units at a time while none is a surrogate: a pair,
// a lone surrogate and the plain units around them give the same
// characters at every place relative to those blocks, in both orders.
TEST(Convert, Utf16AtEveryPlaceOfItsBlocks) {
    struct Item {
        std::vector<uint16_t> units;
        const char* utf8;  // under the replace policy
        bool malformed;
    };
    const Item items[] = {
        {{0xD83D, 0xDE00}, "😀", false},     {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF", false},
        {{0xD800}, "\xEF\xBF\xBD", true},  {{0xDC00}, "\xEF\xBF\xBD", true},
        {{0xDC00, 0xD800}, "\xEF\xBF\xBD\xEF\xBF\xBD", true},
        {{0xD7FF}, "\xED\x9F\xBF", false}, {{0xE000}, "\xEE\x80\x80", false},
        {{0xFFFF}, "\xEF\xBF\xBF", false},
        {{0xD800, 0xE000}, "\xEF\xBF\xBD\xEE\x80\x80", true},
        {{0xDBFF, 0xD7FF}, "\xEF\xBF\xBD\xED\x9F\xBF", true},
    };
    const uint16_t filler[] = {0x65E5, 'a', 0x672C, 0x0100};
    const char* fillerUtf8[] = {"日", "a", "本", "\xC4\x80"};
    for (const bool big : {false, true}) {
        for (const auto& item : items) {
            for (size_t before = 0; before < 9; ++before) {
                std::vector<uint16_t> units;
                std::string want;
                for (size_t k = 0; k < before; ++k) {
                    units.push_back(filler[k % 4]);
                    want += fillerUtf8[k % 4];
                }
                units.insert(units.end(), item.units.begin(), item.units.end());
                want += item.utf8;
                for (size_t k = 0; k < 6; ++k) {
                    units.push_back(filler[k % 4]);
                    want += fillerUtf8[k % 4];
                }
                std::string in;
                for (const uint16_t u : units) {
                    const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
                    in += big ? std::string{hi, lo} : std::string{lo, hi};
                }
                const int32_t from = big ? ZRT_ENC_UTF16BE : ZRT_ENC_UTF16LE;
                auto o = Options(ZRT_ERRORS_REPLACE);
                for (const size_t chunk : {size_t{0}, size_t{2}, size_t{3}, size_t{8}}) {
                    EXPECT_EQ(Hex(Convert(from, ZRT_ENC_UTF8, in, &o, chunk).out), Hex(want))
                        << (big ? "BE" : "LE") << ", item " << Hex(item.utf8) << " after " << before
                        << " units, chunks of " << chunk;
                }
                const auto strict = Convert(from, ZRT_ENC_UTF8, in);
                EXPECT_EQ(strict.status, item.malformed ? ZRT_STOPPED : ZRT_OK);
                if (item.malformed) {
                    EXPECT_EQ(strict.error.offset, 2 * before) << Hex(item.utf8);
                }
            }
        }
    }
}

// The last surrogates of each kind, in both UTF-16 readers (the one for
// runs and the one for units across calls): U+DBFF U+DFFF is U+10FFFF, and
// U+DFFF alone is malformed.
TEST(Convert, Utf16EdgesOfTheSurrogates) {
    auto o = Options(ZRT_ERRORS_REPLACE);
    const std::string pair("\xFF\xDB\xFF\xDF", 4), lone("\xFF\xDF", 2), a("a\0", 2);
    for (const std::string& pad : {std::string(), std::string(a + a + a + a + a + a + a + a)}) {
        EXPECT_EQ(Hex(Convert(ZRT_ENC_UTF16LE, ZRT_ENC_UTF8, pad + pair + a, &o).out),
                  Hex(std::string(pad.size() / 2, 'a') + "\xF4\x8F\xBF\xBF" "a"));
        EXPECT_EQ(Hex(Convert(ZRT_ENC_UTF16LE, ZRT_ENC_UTF8, pad + lone + a, &o).out),
                  Hex(std::string(pad.size() / 2, 'a') + "\xEF\xBF\xBD" "a"));
    }
}

TEST(Convert, Arguments) {
    EXPECT_EQ(ZRT_Open(ZRT_ENC_NONE, ZRT_ENC_UTF8, nullptr), nullptr);
    EXPECT_EQ(ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_COUNT, nullptr), nullptr);
    auto o = Options();
    o.errors = 7;
    EXPECT_EQ(ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o), nullptr);
    for (const uint32_t bad : {0xD800u, 0xDFFFu, 0x110000u, 0xFFFFFFFFu}) {
        o = Options();
        o.replacement = bad;
        EXPECT_EQ(ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o), nullptr) << std::hex << bad;
    }
    // A struct too short to hold the policy is no struct of this API.
    for (const size_t size : {size_t{0}, offsetof(ZRT_Options, errors), offsetof(ZRT_Options, errors) + 3}) {
        o = Options();
        o.size = static_cast<uint32_t>(size);
        EXPECT_EQ(ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o), nullptr) << "size " << size;
    }
    o = Options();
    o.size = offsetof(ZRT_Options, errors) + sizeof(int32_t);
    ZRT_Converter* shortest = ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o);
    EXPECT_NE(shortest, nullptr) << "the size and the policy are enough";
    ZRT_Close(shortest);
    o = Options();
    o.replacement = 0x10FFFF;
    ZRT_Converter* last = ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o);
    EXPECT_NE(last, nullptr) << "the last character is a replacement (that the target lacks)";
    ZRT_Close(last);
    // A struct that ends before the replacement: the one set past its end
    // is not read, so the target's default stands in for a lost character.
    o = Options(ZRT_ERRORS_REPLACE);
    o.size = offsetof(ZRT_Options, replacement);
    o.replacement = 0x3013;
    EXPECT_EQ(Convert(ZRT_ENC_UTF8, ZRT_ENC_SJIS, "a\xFF", &o).out, "a?");
    // A caller built against a shorter struct: the fields past its size keep
    // their defaults.
    o = Options(ZRT_ERRORS_SKIP);
    o.size = offsetof(ZRT_Options, replacement);
    o.eol = 99;
    ZRT_Converter* c = ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_SJIS, &o);
    ASSERT_NE(c, nullptr);
    size_t used = 0, wrote = 0;
    uint8_t out[8];
    EXPECT_EQ(ZRT_Convert(c, nullptr, 1, &used, out, 8, &wrote, 1), ZRT_BAD_ARGUMENT);
    EXPECT_EQ(ZRT_Convert(nullptr, nullptr, 0, &used, out, 8, &wrote, 1), ZRT_BAD_ARGUMENT);
    const uint8_t in[] = {'a', 0xFF};
    EXPECT_EQ(ZRT_Convert(c, in, 2, &used, out, 8, &wrote, 1), ZRT_OK);
    EXPECT_EQ(wrote, 1u);
    ZRT_Close(c);
    ZRT_Close(nullptr);
}

// Before the last chunk a half-width kana waits for a mark that may join
// it; a mark itself joins nothing and goes out at once, so a reader on the
// other end of a pipe sees what has been typed.
TEST(Convert, AMarkGoesOutWithoutWaitingForTheNextChunk) {
    const struct {
        std::string in, sent;
        const char* why;
    } cases[] = {
        {"ｶ", "", "a kana waits for a mark"},
        {"ｶﾞ", kJisIn + "%,", "joined: out"},
        {"ﾞ", kJisIn + "!+", "a voiced mark alone joins nothing"},
        {"ﾟ", kJisIn + "!,", "nor does a semi-voiced mark"},
    };
    for (const auto& c : cases) {
        ZRT_Converter* conv = ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_JIS, nullptr);
        ASSERT_NE(conv, nullptr);
        uint8_t out[32];
        size_t used = 0, wrote = 0;
        EXPECT_EQ(ZRT_Convert(conv, reinterpret_cast<const uint8_t*>(c.in.data()), c.in.size(), &used, out,
                              sizeof out, &wrote, 0),
                  ZRT_OK)
            << c.why;
        EXPECT_EQ(used, c.in.size()) << c.why;
        EXPECT_EQ(Hex(std::string(reinterpret_cast<const char*>(out), wrote)), Hex(c.sent)) << c.why;
        ZRT_Close(conv);
    }
}

TEST(Convert, StoppedUntilReset) {
    ZRT_Converter* c = ZRT_Open(ZRT_ENC_UTF8, ZRT_ENC_ASCII, nullptr);
    ASSERT_NE(c, nullptr);
    const std::string in = "ab\xC3\xA9";
    uint8_t out[16];
    size_t used = 0, wrote = 0;
    EXPECT_EQ(ZRT_Convert(c, reinterpret_cast<const uint8_t*>(in.data()), in.size(), &used, out, 16, &wrote, 0),
              ZRT_STOPPED);
    EXPECT_EQ(used, 2u);
    EXPECT_EQ(wrote, 2u);
    EXPECT_EQ(ZRT_Convert(c, nullptr, 0, &used, out, 16, &wrote, 1), ZRT_STOPPED);
    ZRT_Reset(c);
    ZRT_Error e;
    EXPECT_EQ(ZRT_GetError(c, &e), 0);
    EXPECT_EQ(ZRT_Convert(c, reinterpret_cast<const uint8_t*>("xy"), 2, &used, out, 16, &wrote, 1), ZRT_OK);
    EXPECT_EQ(wrote, 2u);
    ZRT_Close(c);
}

}  // namespace
