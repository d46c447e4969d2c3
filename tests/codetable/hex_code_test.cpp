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

}  // namespace
