// hex_code_test.cpp - reading the code fields of a table line.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "codetable/code_table.hpp"

namespace {

struct FieldCase {
    const char16_t* field;
    int32_t want;
    const char* why;
};

const FieldCase kFields[] = {
    {u"41", 0x41, "plain digits"},
    {u"0x41", 0x41, "0x prefix"},
    {u"+0X7f", 0x7F, "sign, capital prefix, lowercase digit"},
    {u" 41", 0x41, "leading blank"},
    {u"\t\u3000 41", 0x41, "tab and ideographic space"},
    {u"41zz", 0x41, "rest of the field ignored"},
    {u"1 2", 0x1, "digits end at the first other character"},
    {u"zz", 0, "no digits"},
    {u"", 0, "empty field"},
    {u"0x", 0, "prefix without digits"},
    {u"-", 0, "sign without digits"},
    {u"-1", -1, "minus sign"},
    {u"-0x10", -16, "minus before the prefix"},
    {u"7FFFFFFF", INT32_MAX, "largest value"},
    {u"80000000", INT32_MAX, "one past the largest saturates"},
    {u"FFFFFFFF", INT32_MAX, "all ones saturates, never -1"},
    {u"123456789ABCDEF0", INT32_MAX, "many digits"},
    {u"-80000000", INT32_MIN, "most negative value exactly"},
    {u"-FFFFFFFFFF", INT32_MIN, "negative saturation"},
    {u"\uFF14\uFF11", 0x41, "fullwidth digits"},
    {u"\u0664\u0661", 0x41, "Arabic-Indic digits"},
    {u"\u0E54\u0E51", 0x41, "Thai digits"},
    {u"4\uFF21", 0x4, "fullwidth letters are no digits"},
    {u"\u00A0FFFF", 0xFFFF, "no-break space is white space"},
    {u"0041", 0x41, "leading zeros"},
};

TEST(ReadHexCode, ReadsFields) {
    for (const auto& c : kFields) EXPECT_EQ(zr::codetable::ReadHexCode(c.field), c.want) << c.why;
}

// White space before the digits is the host's: each end of each range of
// space characters, and the characters just outside them, which end the
// field before any digit.
TEST(ReadHexCode, SkipsExactlyTheHostsWhiteSpace) {
    const char16_t spaces[] = {0x09, 0x0D, 0x20, 0x85, 0xA0, 0x1680, 0x2000, 0x200A,
                               0x2028, 0x2029, 0x202F, 0x205F, 0x3000};
    const char16_t others[] = {0x08, 0x0E, 0x1F, 0x84, 0x86, 0x9F, 0x167F, 0x1FFF, 0x200B,
                               0x2027, 0x202A, 0x202E, 0x2030, 0x205E, 0x2060, 0x2FFF, 0x3001};
    for (const char16_t c : spaces) {
        EXPECT_EQ(zr::codetable::ReadHexCode(std::u16string{c, u'4', u'1'}), 0x41) << std::hex << static_cast<unsigned>(c);
    }
    for (const char16_t c : others) {
        EXPECT_EQ(zr::codetable::ReadHexCode(std::u16string{c, u'4', u'1'}), 0) << std::hex << static_cast<unsigned>(c);
    }
}

}  // namespace
