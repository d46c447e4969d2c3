// ebcdic_test.cpp - the three EBCDIC tables, the brackets and the room rules.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string Hex(const Bytes& b) {
    std::string s;
    char buf[4];
    for (unsigned char c : b) {
        std::snprintf(buf, sizeof buf, "%02X ", c);
        s += buf;
    }
    return s;
}

struct StringCase {
    Bytes src;
    int32_t selector;
    Bytes want;
    const char* why;
};

const StringCase kToEbcdic[] = {
    {{0x41, 0x42}, 0x400, {0xC1, 0xC2}, "letters through the table"},
    {{0x41, 0x82, 0xA0, 0x42}, 0x400, {0xC1, 0x28, 0x82, 0xA0, 0x29, 0xC2}, "kanji run in brackets"},
    {{0x41, 0x82, 0xA0}, 0x400, {0xC1, 0x28, 0x82, 0xA0}, "bracket open at the end stays open"},
    {{0x83, 0x41}, 0x400, {0x28, 0x83, 0x29, 0xC1}, "trail byte below 0x80 closes the bracket"},
    {{0xB1, 0x20}, 0x500, {0x28, 0xB1, 0x29, 0x40}, "half-width katakana bracketed even under kana"},
    {{0x0A, 0x7C}, 0x400, {0x15, 0x6A}, "the two departures from code page 500"},
    {{0x24, 0x5C, 0x61}, 0x500, {0xE0, 0x5B, 0xFF}, "kana table: dollar, yen, no lowercase"},
    {{0x24, 0x5C, 0x61}, 0x600, {0x5B, 0xE0, 0x81}, "0x600 is the 0x400 table"},
    {{0x41, 0x82, 0x42}, 0, {0xFF, 0x28, 0x82, 0x29, 0xFF}, "unknown selector: 0xFF, brackets intact"},
};

TEST(AsciiToEbcdic, ConvertsAndBrackets) {
    for (const auto& c : kToEbcdic) {
        std::string src(c.src.begin(), c.src.end());
        char dst[64];
        std::memset(dst, 0x5A, sizeof dst);
        const int r = ZR_AsciiToEbcdic(src.c_str(), dst, sizeof dst, c.selector);
        ASSERT_EQ(r, static_cast<int>(c.want.size())) << c.why;
        EXPECT_EQ(Hex(Bytes(dst, dst + r)), Hex(c.want)) << c.why;
        EXPECT_EQ(dst[r], 0) << c.why;
        // Exactly large enough, then one byte short: nothing past dstSize.
        std::memset(dst, 0x5A, sizeof dst);
        EXPECT_EQ(ZR_AsciiToEbcdic(src.c_str(), dst, r + 1, c.selector), r) << c.why;
        if (static_cast<size_t>(r) > src.size()) {
            std::memset(dst, 0x5A, sizeof dst);
            EXPECT_EQ(ZR_AsciiToEbcdic(src.c_str(), dst, r, c.selector), -1) << c.why;
            EXPECT_EQ(dst[0], 0) << c.why;
            EXPECT_EQ(static_cast<unsigned char>(dst[r]), 0x5A) << c.why;
        }
    }
}

TEST(EbcdicToAscii, ReversesAndDropsBrackets) {
    const StringCase cases[] = {
        {{0xC1, 0x28, 0x82, 0xA0, 0x29, 0xC2}, 0x400, {0x41, 0x82, 0xA0, 0x42}, "round trip of a kanji run"},
        {{0x28, 0x83, 0x29, 0xC1}, 0x400, {0x83, 0x41}, "split double-byte character"},
        {{0x29, 0x28, 0x28, 0xC1, 0x29, 0xC1}, 0x400, {0xC1, 0x41}, "lone and repeated brackets vanish"},
        {{0x40, 0xFF, 0x25}, 0x400, {0x20, 0x80, 0xFF}, "lowest index wins; unheld code gives 0xFF"},
        {{0xFF, 0x41, 0x5B}, 0x500, {0x61, 0xA1, 0x5C}, "kana reverse"},
        {{0xC1}, 0x123, {0xFF}, "unknown selector"},
    };
    for (const auto& c : cases) {
        std::string src(c.src.begin(), c.src.end());
        char dst[64];
        const int r = ZR_EbcdicToAscii(src.c_str(), dst, sizeof dst, c.selector);
        ASSERT_EQ(r, static_cast<int>(c.want.size())) << c.why;
        EXPECT_EQ(Hex(Bytes(dst, dst + r)), Hex(c.want)) << c.why;
        EXPECT_EQ(dst[r], 0) << c.why;
    }
}

TEST(EbcdicStrings, RefuseEmptyAndOverlongSource) {
    using Fn = int32_t (*)(const char*, char*, int32_t, int32_t);
    for (Fn fn : {Fn(ZR_AsciiToEbcdic), Fn(ZR_EbcdicToAscii)}) {
        char dst[8];
        std::memset(dst, 'x', sizeof dst);
        EXPECT_EQ(fn("", dst, 8, 0x400), -1);
        EXPECT_EQ(dst[0], 0);
        EXPECT_EQ(fn("ABCDEFG", dst, 8, 0x400), 7) << "dstSize - 1 bytes convert";
        EXPECT_EQ(fn("ABCDEFGH", dst, 8, 0x400), -1) << "dstSize bytes are refused";
        EXPECT_EQ(dst[0], 0);
        std::memset(dst, 'x', sizeof dst);
        EXPECT_EQ(fn("A", dst, 0, 0x400), -1) << "dstSize 0 writes nothing";
        EXPECT_EQ(fn("A", dst, -5, 0x400), -1);
        EXPECT_EQ(fn(nullptr, dst, 8, 0x400), -1);
        EXPECT_EQ(fn("A", nullptr, 8, 0x400), -1);
        EXPECT_EQ(dst[0], 'x');
    }
}

struct CodeCase {
    int32_t code, selector;
    int want;
    const char* why;
};

TEST(EbcdicCodes, SingleBytes) {
    const CodeCase toEbcdic[] = {
        {0x0A, 0x400, 0x15, "line feed goes to NL"},
        {0xA0, 0x400, 0x40, "0xA0 is the only high byte with a code"},
        {0x141, 0x400, 0xC1, "only the low 8 bits count"},
        {0xB1, 0x500, 0x81, "kana table has katakana"},
        {0x61, 0x500, 0xFF, "kana table has no lowercase"},
        {0x41, 0, 0xFF, "selector 0 chooses no table"},
    };
    for (const auto& c : toEbcdic) EXPECT_EQ(ZR_AsciiEbcdicCode(c.code, c.selector), c.want) << c.why;
    const CodeCase toAscii[] = {
        {0x40, 0x400, 0x20, "space, never 0xA0"},
        {0xFF, 0x400, 0x80, "first cell holding 0xFF"},
        {0xFF, 0x600, 0x80, "same under 0x600"},
        {0xFF, 0x500, 0x61, "first cell holding 0xFF under kana"},
        {0x41, 0x500, 0xA1, "half-width full stop"},
        {0x41, 0x400, 0xFF, "no cell holds it"},
        {0x25, 0x400, 0xFF, "line feed of code page 500 is not held"},
        {0x40, 0x700, 0xFF, "unknown selector"},
    };
    for (const auto& c : toAscii) EXPECT_EQ(ZR_EbcdicAsciiCode(c.code, c.selector), c.want) << c.why;
}

TEST(EbcdicCodes, ReverseIsLowestMatchingIndexAndCountsHeldCodes) {
    for (int32_t sel : {0x400, 0x500, 0x600}) {
        int unheld = 0;
        for (int e = 0; e < 256; ++e) {
            int want = 0xFF;
            for (int i = 0; i < 256; ++i) {
                if (ZR_AsciiEbcdicCode(i, sel) == e) {
                    want = i;
                    break;
                }
            }
            if (want == 0xFF && e != 0xFF) ++unheld;
            EXPECT_EQ(ZR_EbcdicAsciiCode(e, sel), want) << "selector " << sel << " code " << e;
        }
        EXPECT_EQ(unheld, sel == 0x500 ? 90 : 127) << "selector " << sel;
    }
}

// The reason the kana table exists: the half-width katakana and their
// punctuation (0xA1-0xDF on the Shift_JIS side) at the positions of the
// EBCDIC katakana code page, gaps and all. One cell wrong turns a letter
// into another.
TEST(EbcdicCodes, KanaTableHoldsTheKatakanaPositions) {
    const unsigned char want[64] = {
        0x40, 0x41, 0x42, 0x43, 0x44, 0x45, 0x46, 0x47, 0x48, 0x49, 0x51, 0x52, 0x53, 0x54, 0x55, 0x56,
        0x58, 0x81, 0x82, 0x83, 0x84, 0x85, 0x86, 0x87, 0x88, 0x89, 0x8A, 0x8C, 0x8D, 0x8E, 0x8F, 0x90,
        0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98, 0x99, 0x9A, 0x9D, 0x9E, 0x9F, 0xA2, 0xA3, 0xA4,
        0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAC, 0xAD, 0xAE, 0xAF, 0xBA, 0xBB, 0xBC, 0xBD, 0xBE, 0xBF,
    };
    for (int i = 0; i < 64; ++i) EXPECT_EQ(ZR_AsciiEbcdicCode(0xA0 + i, 0x500), want[i]) << std::hex << 0xA0 + i;
}

TEST(EbcdicCodes, Table600IsTable400) {
    for (int i = 0; i < 256; ++i) EXPECT_EQ(ZR_AsciiEbcdicCode(i, 0x600), ZR_AsciiEbcdicCode(i, 0x400)) << i;
}

TEST(EbcdicStrings, LowercaseRoundTripsOnlyUnder400) {
    const char* text = "hello, world";
    char e[32], a[32];
    ASSERT_GT(ZR_AsciiToEbcdic(text, e, sizeof e, 0x400), 0);
    ASSERT_GT(ZR_EbcdicToAscii(e, a, sizeof a, 0x400), 0);
    EXPECT_STREQ(a, text);
    ASSERT_GT(ZR_AsciiToEbcdic(text, e, sizeof e, 0x500), 0);
    ASSERT_GT(ZR_EbcdicToAscii(e, a, sizeof a, 0x500), 0);
    EXPECT_STREQ(a, "aaaaa, aaaaa");
}

// Table 0x400 against the published code page 500 mapping, which lists
// EBCDIC code to Unicode; the ASCII half must agree except at 0x0A and 0x7C.
TEST(EbcdicCodes, Table400MatchesCodePage500) {
    const std::string path = std::string(ZR_SHARED_DATA_DIR) + "/cp500.txt";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) GTEST_SKIP() << "no " << path;
    int ebcdicFor[128];
    for (int& x : ebcdicFor) x = -1;
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
        unsigned e = 0, u = 0;
        if (std::sscanf(line, "0x%x 0x%x", &e, &u) == 2 && u < 128) ebcdicFor[u] = static_cast<int>(e);
    }
    std::fclose(f);
    for (int i = 0; i < 128; ++i) {
        const int want = i == 0x0A ? 0x15 : i == 0x7C ? 0x6A : ebcdicFor[i];
        EXPECT_EQ(ZR_AsciiEbcdicCode(i, 0x400), want) << "byte " << i;
    }
}

}  // namespace
