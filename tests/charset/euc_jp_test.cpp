// euc_jp_test.cpp - EUC-JP <-> JIS arithmetic and loops, the Shift_JIS pivots, the byte test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "charset/euc_jp.hpp"
#include "charset_test_util.hpp"
#include "zr_moji.h"

using namespace zr_test;

namespace {

TEST(EucPair, FlipsTheHighBitOfBothBytes) {
    for (int h = 0; h < 256; ++h) {
        for (int l = 0; l < 256; l += 17) {
            const std::uint8_t in[2] = {std::uint8_t(h), std::uint8_t(l)};
            std::uint8_t jis[2];
            std::uint8_t back[2];
            ASSERT_EQ(zr::charset::EucPairToJis(in, jis), 1);
            ASSERT_EQ(jis[0], std::uint8_t(h - 0x80));
            ASSERT_EQ(jis[1], std::uint8_t(l - 0x80));
            ASSERT_EQ(zr::charset::JisPairToEuc(jis, back), 1);
            ASSERT_EQ(back[0], h);
            ASSERT_EQ(back[1], l);
        }
    }
}

struct TextCase {
    const char* in;
    const char* out;
    int32_t result;
    const char* why;
};

constexpr TextCase kEucToJis[] = {
    {"B0A1 41", "1B2440 3021 1B2842 41", 9, "ESC $ @ in, ESC ( B out"},
    {"B0A1", "1B2440 3021", 5, "no closing escape at the end"},
    {"41 42 43", "41 42 43", 3, "plain ASCII unchanged"},
    {"8EB1", "1B2440 0E31", 5, "single shift is an ordinary unit"},
    {"8FB0A1", "1B2440 0F30 2180", 7, "three-byte form split into units"},
    {"41 B0", "41 1B2440 3080", 6, "odd high byte pairs with the NUL"},
    {"B041", "1B2440 30C1", 5, "a high byte takes whatever follows"},
    {"B0A1 41 B0A1", "1B2440 3021 1B2842 41 1B2440 3021", 14, "two runs"},
    {"0D0A B0A1 0D0A", "0D0A 1B2440 3021 1B2842 0D0A", 12, "line ends around a run"},
    {"B0 80 41", "1B2440 30", 4, "0x80 becomes NUL and ends the text"},
    {"80 41", "1B2440", 3, "NUL as first byte of a unit"},
};

TEST(EucToJis, WrapsHighUnitsInEscapes) {
    for (const auto& c : kEucToJis) {
        const std::string in = Hex(c.in);
        const auto r = Call(ZR_EucToJis, in, 64);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
        const int32_t n = static_cast<int32_t>(in.size());
        ExpectFitsFrom(ZR_EucToJis, in, Hex(c.out), c.result, std::max(n, c.result + 1), c.why);
    }
}

constexpr TextCase kJisToEuc[] = {
    {"1B2442 3021 1B2842 41", "B0A1 41", 3, "ESC $ B"},
    {"1B2440 3021 1B284A 41", "B0A1 41", 3, "ESC $ @ and ESC ( J mean the same"},
    {"1B2640 1B2442 3021 1B2849 41", "B0A1 41", 3, "six-byte kanji-in, ESC ( I out"},
    {"1B2849 31", "31", 1, "no single shift added after ESC ( I"},
    {"1B2428 44 3021", "B0A1", 2, "no single shift added after ESC $ ( D"},
    {"1B2442 30", "B0 80", 2, "odd last byte pairs with the NUL"},
    {"41 1B2442", "41", 1, "kanji-in as the last bytes ends the text"},
    {"1B2442 0D0A", "8D8A", 2, "no range test: every pair is raised"},
    {"1B2442 4180", "C1", 1, "0x80 becomes NUL and ends the text"},
    {"1B2442 1B2842 41", "9BA8 C2C1", 4, "escape after escape is data"},
    {"82A0", "82A0", 2, "no escapes: copied"},
};

TEST(JisToEuc, RaisesPairsOfKanjiRuns) {
    for (const auto& c : kJisToEuc) {
        const std::string in = Hex(c.in);
        const auto r = Call(ZR_JisToEuc, in, 64);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
        const int32_t n = static_cast<int32_t>(in.size());
        ExpectFitsFrom(ZR_JisToEuc, in, Hex(c.out), c.result, std::max(n, c.result + 1), c.why);
    }
}

constexpr TextCase kEucToSJis[] = {
    {"B0A1", "889F", 2, "first kanji"},
    {"B0A1 41", "889F 41", 3, "kanji then ASCII"},
    {"8EB1", "0E31", 2, "EUC half-width katakana comes out as its JIS bytes"},
    {"A4A2 A4A4", "82A0 82A2", 4, "hiragana"},
    {"41", "41", 1, "ASCII"},
    {"41 B0", "41 3080", 3, "odd high byte at the end keeps its pseudo pair"},
};

TEST(EucToSJis, GoesThroughJis) {
    for (const auto& c : kEucToSJis) {
        const std::string in = Hex(c.in);
        const auto r = Call(ZR_EucToSJis, in, 64);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
        // The intermediate JIS text sets the fit.
        const int32_t jis = Call(ZR_EucToJis, in, 64).result;
        const int32_t n = static_cast<int32_t>(in.size());
        ExpectFitsFrom(ZR_EucToSJis, in, Hex(c.out), c.result, std::max(n, jis + 1), c.why);
    }
}

constexpr TextCase kSJisToEuc[] = {
    {"889F 41", "B0A1 41", 3, "kanji then ASCII"},
    {"B1", "B1", 1, "katakana passes as the same single byte"},
    {"82A0 82A2", "A4A2 A4A4", 4, "hiragana"},
    {"F040", "", -1, "user-defined area refused"},
    {"41 F040", "", -1, "refused even after text: dst untouched"},
};

TEST(SJisToEuc, GoesThroughJis) {
    for (const auto& c : kSJisToEuc) {
        Bytes dst(64);
        const std::string in = Hex(c.in);
        const int32_t r = ZR_SJisToEuc(in.c_str(), dst.data.get(), 64);
        EXPECT_EQ(r, c.result) << c.why;
        if (r < 0) {
            EXPECT_TRUE(dst.UntouchedFrom(0)) << c.why;
        } else {
            EXPECT_EQ(ToHex(dst.Text()), ToHex(Hex(c.out))) << c.why;
            const int32_t jis = Call(ZR_SJisToJis, in, 64).result;
            const int32_t n = static_cast<int32_t>(in.size());
            ExpectFitsFrom(ZR_SJisToEuc, in, Hex(c.out), c.result, std::max(n, jis + 1), c.why);
        }
    }
}

TEST(IsEucJpChar, AcceptsOnlyTheKatakanaRange) {
    struct Case {
        unsigned char b;
        int want;
    };
    constexpr Case kCases[] = {{0xA1, 1}, {0xDF, 1}, {0xB1, 1}, {0xA0, 0}, {0xE0, 0},
                               {0xFE, 0}, {0x41, 0}, {0x00, 0}, {0x8E, 0}};
    for (const auto& c : kCases) {
        const char s[] = {char(c.b), 0};
        EXPECT_EQ(ZR_IsEucJpChar(s), c.want) << int(c.b);
    }
    EXPECT_EQ(ZR_IsEucJpChar(nullptr), 0);
}

// The bound on the JIS length, against the length EucToJis gives: exact
// for texts of single bytes and even runs of units, never short for any
// other; runs are placed across the 64-byte blocks the count reads.
struct BoundCase {
    std::string text;
    bool exact;
    const char* why;
};

std::size_t JisLengthOf(const std::string& euc) {
    std::vector<std::uint8_t> out(3 * euc.size() + 8);
    const zr::charset::LoopResult r =
        zr::charset::EucToJis({reinterpret_cast<const std::uint8_t*>(euc.data()), euc.size()}, out);
    EXPECT_EQ(r.outcome, zr::charset::LoopOutcome::kDone);
    return r.length;
}

TEST(EucToJisLengthBound, ExactForEvenRunsAndNeverShort) {
    const std::string unit = "\xB0\xA1";
    std::vector<BoundCase> cases = {
        {"", true, "empty"},
        {"abc", true, "single bytes only"},
        {unit, true, "one unit: ESC $ @ and no closing escape"},
        {unit + "a", true, "a run closed by a single byte"},
        {"\xB0", false, "an odd last byte takes the NUL"},
        {"a" + unit + "\xB0", false, "an odd run ending the text"},
        {"\xB0" "a" + unit, false, "an odd run takes the single byte after it"},
        {"\xB0" "ab", false, "an odd run taking the next to last byte"},
        {"a\x80" "b" + unit, false, "0x80 ends the JIS text"},
        {"\x8E\xB1" + unit + "x", true, "half-width kana count as a unit"},
    };
    // Runs of every length around the block edges, at every offset.
    for (std::size_t lead = 0; lead < 70; lead += 3) {
        for (std::size_t run = 1; run < 70; run += 5) {
            std::string t(lead, 'q');
            for (std::size_t k = 0; k < run; ++k) t += unit;
            cases.push_back({t, true, "an even run across a block edge"});
            cases.push_back({t + "z", true, "an even run closed across a block edge"});
            t.push_back('\xC1');
            cases.push_back({t, false, "an odd run ending the text across a block edge"});
            cases.push_back({t + std::string(lead % 5, 'y') + unit, false, "an odd run inside the text"});
        }
    }
    for (const BoundCase& c : cases) {
        for (std::size_t offset = 0; offset < 4; ++offset) {
            const std::string placed = std::string(offset, 'x') + c.text;
            const std::string_view text = std::string_view(placed).substr(offset);
            const std::size_t bound =
                zr::charset::EucToJisLengthBound({reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
            const std::size_t actual = JisLengthOf(c.text);
            if (c.exact) {
                ASSERT_EQ(bound, actual) << c.why << ": " << c.text.size() << " bytes";
            } else {
                ASSERT_GE(bound, actual) << c.why << ": " << c.text.size() << " bytes";
            }
        }
    }
}

}  // namespace
