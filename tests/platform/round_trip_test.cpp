// round_trip_test.cpp - UTF-16 through UTF-8 and UTF-7 and back, over
// generated text that mixes ASCII, the UTF-7 specials, kana and kanji, and
// surrogate pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "platform/codepage.hpp"
#include "tsv.hpp"

namespace {

using zr::platform::CodePage;

// Text of `n` units; `loneSurrogates` adds unpaired halves, which UTF-7
// carries but UTF-8 replaces.
std::u16string MakeText(std::mt19937& rng, std::size_t n, bool loneSurrogates) {
    std::u16string s;
    std::uniform_int_distribution<int> kind(0, loneSurrogates ? 8 : 7);
    while (s.size() < n) {
        switch (kind(rng)) {
            case 0: s.push_back(static_cast<char16_t>(std::uniform_int_distribution<int>(1, 0x7F)(rng))); break;
            case 1: s.push_back(u"+-!~ \\A"[std::uniform_int_distribution<int>(0, 6)(rng)]); break;
            case 2: s.push_back(static_cast<char16_t>(std::uniform_int_distribution<int>(0x80, 0x7FF)(rng))); break;
            case 3: s.push_back(static_cast<char16_t>(std::uniform_int_distribution<int>(0x3041, 0x30FF)(rng))); break;
            case 4: s.push_back(static_cast<char16_t>(std::uniform_int_distribution<int>(0x4E00, 0x9FFF)(rng))); break;
            case 5: s.push_back(static_cast<char16_t>(std::uniform_int_distribution<int>(0xE000, 0xFFFF)(rng))); break;
            case 6:
            case 7: {
                const std::uint32_t cp = std::uniform_int_distribution<std::uint32_t>(0x10000, 0x10FFFF)(rng) - 0x10000;
                s.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
                s.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
                break;
            }
            default: s.push_back(static_cast<char16_t>(std::uniform_int_distribution<int>(0xD800, 0xDFFF)(rng))); break;
        }
    }
    return s;
}

// Encodes with a size query first and exactly that capacity, decodes the
// same way, and compares.
void CheckRoundTrip(CodePage cp, const std::u16string& text) {
    const int bytes = zr::platform::WideToMultiByte(cp, text.c_str(), nullptr, 0);
    ASSERT_GT(bytes, 0);
    std::string mid(static_cast<std::size_t>(bytes), '\0');
    ASSERT_EQ(zr::platform::WideToMultiByte(cp, text.c_str(), mid.data(), bytes), bytes);
    ASSERT_EQ(mid.back(), '\0');
    mid.pop_back();
    const int units = zr::platform::MultiByteToWide(cp, mid.c_str(), nullptr, 0);
    ASSERT_GT(units, 0);
    std::u16string back(static_cast<std::size_t>(units), u'\0');
    ASSERT_EQ(zr::platform::MultiByteToWide(cp, mid.c_str(), back.data(), units), units);
    back.pop_back();
    EXPECT_EQ(back, text) << zr::test::HexUnits(text.data(), text.size());
}

TEST(Utf8RoundTrip, GeneratedTextComesBack) {
    std::mt19937 rng(1234);
    for (int k = 0; k < 300; ++k) CheckRoundTrip(CodePage::kUtf8, MakeText(rng, 1 + k % 97, false));
}

TEST(Utf7RoundTrip, GeneratedTextComesBack) {
    std::mt19937 rng(5678);
    for (int k = 0; k < 300; ++k) CheckRoundTrip(CodePage::kUtf7, MakeText(rng, 1 + k % 97, true));
}

// Long text crosses the fast paths' word boundaries at every alignment.
TEST(Utf8RoundTrip, LongAsciiRunsWithBreaks) {
    for (std::size_t at = 0; at < 24; ++at) {
        std::u16string s(40, u'a');
        s[at] = u'\u3042';
        CheckRoundTrip(CodePage::kUtf8, s);
        CheckRoundTrip(CodePage::kUtf7, s);
    }
}

}  // namespace
