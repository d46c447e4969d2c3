// jis_test.cpp - escape recognisers, JIS X 0208 pair arithmetic, JIS <-> Shift_JIS.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "charset/jis.hpp"
#include "charset_test_util.hpp"
#include "zr_moji.h"

using namespace zr_test;
using zr::charset::IsJisKanjiInEscape;
using zr::charset::IsJisKanjiOutEscape;
using zr::charset::JisPairToSJis;
using zr::charset::SJisPairToJis;

namespace {

struct EscapeCase {
    const char* hex;
    int in;   // length IsJisKanjiInEscape reports, 0 for none
    int out;  // length IsJisKanjiOutEscape reports
    const char* why;
};

constexpr EscapeCase kEscapes[] = {
    {"1B2440", 3, 0, "ESC $ @"},
    {"1B2442", 3, 0, "ESC $ B"},
    {"1B2640 1B2442", 6, 0, "ESC & @ ESC $ B"},
    {"1B2428 44", 4, 0, "ESC $ ( D"},
    {"1B2842", 0, 3, "ESC ( B"},
    {"1B284A", 0, 3, "ESC ( J"},
    {"1B2849", 0, 3, "ESC ( I"},
    {"1B2441", 0, 0, "ESC $ A is not kanji-in"},
    {"1B2843", 0, 0, "ESC ( C is not kanji-out"},
    {"1B2428 45", 0, 0, "ESC $ ( E"},
    {"1B2640 1B2440", 0, 0, "ESC & @ must be followed by ESC $ B exactly"},
    {"1B24", 0, 0, "cut short by the terminator"},
    {"1B2640 1B24", 0, 0, "six-byte form cut short"},
    {"1B28", 0, 0, "kanji-out cut short"},
    {"1B", 0, 0, "lone ESC"},
    {"", 0, 0, "empty string"},
    {"2442", 0, 0, "no ESC"},
    {"1B2442 41", 3, 0, "what follows does not matter"},
};

TEST(JisEscapes, RecognisesEachSequenceAndItsLength) {
    for (const auto& c : kEscapes) {
        const std::string s = Hex(c.hex);
        int len = -7;
        EXPECT_EQ(IsJisKanjiInEscape(s.c_str(), len), c.in != 0) << c.why;
        EXPECT_EQ(len, c.in) << c.why;
        len = -7;
        EXPECT_EQ(IsJisKanjiOutEscape(s.c_str(), len), c.out != 0) << c.why;
        EXPECT_EQ(len, c.out) << c.why;
    }
}

TEST(JisEscapes, StopAtTheTerminator) {
    // Each prefix sits at the very end of an exact heap copy, so a read past
    // its NUL would be caught by the address sanitizer.
    const std::string seqs[] = {Hex("1B2640 1B2442"), Hex("1B2428 44"), Hex("1B2842")};
    for (const auto& seq : seqs) {
        for (size_t k = 0; k < seq.size(); ++k) {
            std::unique_ptr<char[]> p(new char[k + 1]);
            std::memcpy(p.get(), seq.data(), k);
            p[k] = 0;
            int len = -1;
            EXPECT_EQ(IsJisKanjiInEscape(p.get(), len), 0);
            EXPECT_EQ(IsJisKanjiOutEscape(p.get(), len), 0);
            EXPECT_EQ(len, 0);
        }
    }
}

struct PairCase {
    const char* jis;
    const char* sjis;
    const char* why;
};

constexpr PairCase kPairs[] = {
    {"2121", "8140", "first cell"},
    {"2422", "82A0", "hiragana a"},
    {"3021", "889F", "first kanji"},
    {"7E7E", "EFFC", "last cell"},
    {"2160", "8180", "odd row above 0x5F skips DEL"},
    {"215F", "817E", "odd row up to 0x5F"},
    {"2221", "819F", "even row starts at 0x9F"},
    {"5E7E", "9FFC", "last row on a low lead byte"},
    {"5F21", "E040", "first row past the katakana gap"},
};

TEST(JisPair, ConvertsTheListedPairsBothWays) {
    for (const auto& c : kPairs) {
        const std::string jis = Hex(c.jis);
        const std::string sjis = Hex(c.sjis);
        char out[2] = {};
        ASSERT_EQ(JisPairToSJis(jis.c_str(), out), 1) << c.why;
        EXPECT_EQ(std::string(out, 2), sjis) << c.why;
        ASSERT_EQ(SJisPairToJis(sjis.c_str(), out), 1) << c.why;
        EXPECT_EQ(std::string(out, 2), jis) << c.why;
    }
}

TEST(JisPair, EveryJisX0208CellRoundTrips) {
    int count = 0;
    for (int h = 0x21; h <= 0x7E; ++h) {
        for (int l = 0x21; l <= 0x7E; ++l) {
            const std::uint8_t jis[2] = {std::uint8_t(h), std::uint8_t(l)};
            std::uint8_t sjis[2];
            std::uint8_t back[2];
            ASSERT_EQ(JisPairToSJis(jis, sjis), 1);
            ASSERT_TRUE(zr::charset::IsLeadByte(sjis[0]) && sjis[0] <= 0xEF) << h << "," << l;
            ASSERT_TRUE(zr::charset::IsTrailByte(sjis[1])) << h << "," << l;
            ASSERT_EQ(SJisPairToJis(sjis, back), 1);
            ASSERT_EQ(back[0], h);
            ASSERT_EQ(back[1], l);
            ++count;
        }
    }
    EXPECT_EQ(count, 94 * 94);
}

TEST(JisPair, EveryShiftJisPairConvertsUnlessUserDefined) {
    for (int h = 0x81; h <= 0xFC; ++h) {
        if (!zr::charset::IsLeadByte(std::uint8_t(h))) continue;
        for (int l = 0x40; l <= 0xFC; ++l) {
            if (l == 0x7F) continue;
            const std::uint8_t sjis[2] = {std::uint8_t(h), std::uint8_t(l)};
            std::uint8_t jis[2] = {0xEE, 0xEE};
            std::uint8_t back[2];
            if (h >= 0xF0) {
                EXPECT_EQ(SJisPairToJis(sjis, jis), 0) << h << "," << l;
                EXPECT_EQ(jis[0], 0xEE) << "nothing written on refusal";
                continue;
            }
            ASSERT_EQ(SJisPairToJis(sjis, jis), 1) << h << "," << l;
            ASSERT_EQ(JisPairToSJis(jis, back), 1);
            ASSERT_EQ(back[0], h);
            ASSERT_EQ(back[1], l);
        }
    }
}

TEST(JisPair, RefusesBytesOutsideTheirClassesAndWritesNothing) {
    const char* jisBad[] = {"2020", "7F21", "217F", "0D0A", "2180", "00 21"};
    for (const char* hex : jisBad) {
        const std::string in = Hex(hex);
        char out[2] = {'x', 'y'};
        EXPECT_EQ(JisPairToSJis(in.data(), out), 0) << hex;
        EXPECT_EQ(out[0], 'x') << hex;
        EXPECT_EQ(out[1], 'y') << hex;
    }
    const char* sjisBad[] = {"8020", "A040", "FD40", "817F", "81FD", "8130", "B140", "F040", "FCFC"};
    for (const char* hex : sjisBad) {
        const std::string in = Hex(hex);
        char out[2] = {'x', 'y'};
        EXPECT_EQ(SJisPairToJis(in.data(), out), 0) << hex;
        EXPECT_EQ(out[0], 'x') << hex;
        EXPECT_EQ(out[1], 'y') << hex;
    }
}

struct TextCase {
    const char* in;
    const char* out;
    int32_t result;
    const char* why;
};

constexpr TextCase kJisToSJis[] = {
    {"1B2442 3021 1B2842 41", "889F 41", 3, "ESC $ B ... ESC ( B"},
    {"1B2440 3021 1B2842 41", "889F 41", 3, "ESC $ @ enters kanji"},
    {"1B2640 1B2442 3021 1B2842 41", "889F 41", 3, "ESC & @ ESC $ B enters kanji"},
    {"1B2428 44 3021 1B2842 41", "889F 41", 3, "ESC $ ( D enters kanji"},
    {"1B2442 3021 1B284A 41", "889F 41", 3, "ESC ( J leaves kanji"},
    {"1B2442 3021 1B2849 41", "889F 41", 3, "ESC ( I leaves kanji"},
    {"1B2849 31", "31", 1, "after ESC ( I bytes are copied, not made katakana"},
    {"82A0 41 B1", "82A0 41 B1", 4, "Shift_JIS text without escapes passes unchanged"},
    {"41 42 43", "41 42 43", 3, "plain ASCII"},
    {"1B2442 0D0A 3021 1B2842", "0D0A 889F", 4, "CR LF inside a kanji run is copied"},
    {"1B2442 3021 41", "889F 41", 3, "odd last byte copied, its NUL ends the text"},
    {"1B2442 1B2842 3021", "1B28 91AE 21", 5, "an escape right after an escape is data"},
    {"1B2842 1B2442 3021", "1B2442 3021", 5, "also in single-byte mode"},
    {"1B2442 30 1B2842", "301B 84C0", 4, "an ESC inside a pair is no escape"},
    {"41 1B2442", "41", 1, "kanji-in as the last bytes adds nothing"},
    {"1B2442 3021 1B2842", "889F", 2, "kanji-out as the last bytes"},
    {"1B2442", "", 0, "nothing but an escape"},
    {"1B2441 41", "1B2441 41", 4, "unknown escape copied"},
    {"1B24", "1B24", 2, "escape cut short by the end"},
    {"41 1B 42 1B2442 2422 2422 1B2842 43", "41 1B 42 82A0 82A0 43", 8, "runs and stray ESC"},
};

TEST(JisToSJis, ConvertsKanjiRunsAndCopiesEverythingElse) {
    for (const auto& c : kJisToSJis) {
        const std::string in = Hex(c.in);
        const auto r = Call(ZR_JisToSJis, in, 64);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
        // The output never outgrows the input, so src decides the fit
        // unless the whole text is single bytes and the NUL needs one more.
        const int32_t n = static_cast<int32_t>(in.size());
        ExpectFitsFrom(ZR_JisToSJis, in, Hex(c.out), c.result, std::max(n, c.result + 1), c.why);
    }
}

constexpr TextCase kSJisToJis[] = {
    {"82A0 41", "1B2442 2422 1B2842 41", 9, "kanji then ASCII"},
    {"889F", "1B2442 3021 1B2842", 8, "a run at the end is closed"},
    {"41 42 43", "41 42 43", 3, "plain ASCII: no escape"},
    {"B1", "B1", 1, "half-width katakana copied without escape"},
    {"889F B1 889F", "1B2442 3021 1B2842 B1 1B2442 3021 1B2842", 17, "katakana splits the run"},
    {"889F 82A0", "1B2442 3021 2422 1B2842", 10, "one escape pair around a run"},
    {"81", "81", 1, "lead byte before the NUL copied"},
    {"81 20", "81 20", 2, "lead byte without trail copied"},
    {"81 7F", "81 7F", 2, "DEL is no trail byte"},
    {"80 A0 FD FE FF", "80 A0 FD FE FF", 5, "bytes of no class copied"},
    {"889F 81", "1B2442 3021 1B2842 81", 9, "stray lead after a run"},
};

TEST(SJisToJis, PutsEscapesAroundKanjiRuns) {
    for (const auto& c : kSJisToJis) {
        const std::string in = Hex(c.in);
        const auto r = Call(ZR_SJisToJis, in, 64);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
        ExpectFitsFrom(ZR_SJisToJis, in, Hex(c.out), c.result, c.result + 1, c.why);
    }
}

constexpr TextCase kUserDefined[] = {
    {"41 F040", "41 1B2442", -1, "stops at the user-defined pair after its escape"},
    {"889F F040", "1B2442 3021", -1, "inside a run: no closing escape"},
    {"F040 41", "1B2442", -1, "at the start"},
    {"FCFC", "1B2442", -1, "last user-defined cell"},
};

TEST(SJisToJis, RefusesUserDefinedAreaKeepingThePartialText) {
    for (const auto& c : kUserDefined) {
        const auto r = Call(ZR_SJisToJis, Hex(c.in), 64);
        EXPECT_EQ(r.result, c.result) << c.why;
        EXPECT_EQ(ToHex(r.text), ToHex(Hex(c.out))) << c.why;
    }
}

TEST(SJisToJis, PartialTextStaysWithinTheBuffer) {
    // 41 then ESC $ B would need 5 bytes with the NUL: only 41 is kept, but
    // the character is still reported as unconvertible.
    auto r = Call(ZR_SJisToJis, Hex("41 F040"), 4);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(ToHex(r.text), "41");
    r = Call(ZR_SJisToJis, Hex("41 F040"), 5);
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(ToHex(r.text), ToHex(Hex("41 1B2442")));
    // Output that runs out of room before the bad character: "did not fit".
    r = Call(ZR_SJisToJis, Hex("889F 41 F040"), 5);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.text, "");
}

}  // namespace
