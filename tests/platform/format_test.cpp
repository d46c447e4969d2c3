// format_test.cpp - the escapes the library prints, for every byte value.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/format.hpp"

namespace {

using zr::platform::FormatA;
using zr::platform::FormatW;

std::u16string Widen(const std::string& s) { return std::u16string(s.begin(), s.end()); }

// Each escape goes through the formatter's shortcut and, with a leading
// character, through its general loop; snprintf is the reference.
struct EscapeFormat {
    const char* format;
    const char16_t* wide;
};

constexpr EscapeFormat kEscapes[] = {
    {"=%02X", u"=%02X"},
    {"%%%X", u"%%%X"},
    {"Q=%02X", u"Q=%02X"},
    {"Q%%%X", u"Q%%%X"},
};

TEST(Format, EscapesForEveryByte) {
    for (const auto& e : kEscapes) {
        for (unsigned b = 0; b < 256; ++b) {
            char want[16];
            const int n = std::snprintf(want, sizeof want, e.format, b);
            char a[16];
            std::fill(std::begin(a), std::end(a), '#');
            EXPECT_EQ(FormatA(a, e.format, b), n) << e.format << " " << b;
            EXPECT_STREQ(a, want) << e.format << " " << b;
            char16_t w[16];
            EXPECT_EQ(FormatW(w, e.wide, b), n) << e.format << " " << b;
            EXPECT_EQ(std::u16string(w), Widen(want)) << e.format << " " << b;
        }
    }
}

struct FormatCase {
    const char* format;
    unsigned value;
    const char* want;
    const char* why;
};

constexpr FormatCase kCases[] = {
    {"=%02X", 0xFFFFFFE3u, "=FFFFFFE3", "a sign-extended byte prints all eight digits"},
    {"%x", 0xABu, "ab", "lower-case hex"},
    {"%4X", 0xAu, "   A", "width pads with spaces"},
    {"%-4X|", 0xAu, "A   |", "left-justified"},
    {"%08X", 0x1234u, "00001234", "zero padding to eight"},
    {"%u", 4294967295u, "4294967295", "unsigned decimal"},
    {"%d", 0xFFFFFFFFu, "-1", "signed decimal"},
    {"a%%b", 0, "a%b", "percent sign"},
    {"text", 7, "text", "no conversion"},
    {"ends with %", 7, "ends with ", "a lone percent at the end prints nothing"},
    {"", 7, "", "empty format"},
};

TEST(Format, OtherConversions) {
    for (const auto& c : kCases) {
        char a[64];
        EXPECT_EQ(FormatA(a, c.format, c.value), static_cast<int>(std::string(c.want).size())) << c.why;
        EXPECT_STREQ(a, c.want) << c.why;
        char16_t w[64];
        const std::u16string f = Widen(c.format);
        EXPECT_EQ(FormatW(w, f.c_str(), c.value), static_cast<int>(std::string(c.want).size())) << c.why;
        EXPECT_EQ(std::u16string(w), Widen(c.want)) << c.why;
    }
}

}  // namespace
