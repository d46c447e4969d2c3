// quoted_printable_test.cpp - the plain Quoted-Printable coder: literals, escapes,
// soft-break columns, the room rule, soft breaks with LF and padding, and an
// "=" that is no escape.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "transfer_coder.hpp"
#include "zr_moji.h"

namespace {

using namespace std::string_literals;

const std::string kBreak = "=\r\n";

std::string Rep(int n, const std::string& s) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

using zr::test::DecodeCase;
using zr::test::DecodeRoomCase;
using zr::test::EncodeCase;
using zr::test::EncodeRoomCase;

int Encode(const std::string& bytes, int dstSize, std::string& out) {
    return zr::test::EncodeInto(ZR_QuotedPrintable_Encode, bytes, dstSize, out);
}

int Decode(const std::string& text, int dstSize, std::string& out) {
    return zr::test::DecodeInto(ZR_QuotedPrintable_Decode, text, dstSize, out);
}

const EncodeCase kEncodes[] = {
    {"", "", "nothing to encode"},
    {"a=b", "a=3Db", "= is escaped"},
    {"\0"s, "=00", "zero byte"},
    {"\xFF\x7F\x80", "=FF=7F=80", "DEL and high bytes, upper-case digits"},
    {"\x01\x0B\x0C\x1F", "=01=0B=0C=1F", "controls other than tab, CR, LF"},
    {"a\r\nb \t", "a\r\nb \t", "tab, CR, LF and trailing white space stand for themselves"},
    {" <>~", " <>~", "both ends of the printable runs"},
    {Rep(200, "a"), Rep(75, "a") + kBreak + Rep(75, "a") + kBreak + Rep(50, "a"), "75 literals a line"},
    {Rep(75, "a"), Rep(75, "a"), "a full last line gets no soft break"},
    {Rep(30, "\xFF"), Rep(24, "=FF") + kBreak + Rep(6, "=FF"), "24 escapes a line"},
    {Rep(72, "a") + "\xFF\xFF\xFF", Rep(72, "a") + kBreak + Rep(3, "=FF"), "72 on the line: break before the escape"},
    {Rep(71, "a") + "\xFF\xFF\xFF", Rep(71, "a") + "=FF" + kBreak + "=FF=FF", "71 on the line: one escape still fits"},
    {Rep(74, "a") + "\r\n", Rep(74, "a") + "\r" + kBreak + "\n", "a soft break can split CR LF"},
    {Rep(70, "a") + "\n" + Rep(10, "a"), Rep(70, "a") + "\naaaa" + kBreak + Rep(6, "a"),
     "a line break in the source does not reset the column"},
};

TEST(QuotedPrintableEncode, LiteralsEscapesAndSoftBreaks) {
    for (const auto& c : kEncodes) {
        // The room rule asks for two bytes free behind the last write.
        const int need = static_cast<int>(c.text.size()) + 2;
        std::string out;
        EXPECT_EQ(Encode(c.bytes, need, out), static_cast<int>(c.text.size())) << c.why;
        EXPECT_EQ(out, c.text + "\0\0"s) << c.why;
        if (!c.bytes.empty()) {
            EXPECT_EQ(Encode(c.bytes, need - 1, out), -1) << c.why << ": one short";
        }
    }
}

const EncodeRoomCase kEncodeRoom[] = {
    {"A", 3, 1, "A\0\0"s, "a literal needs 1 + 2"},
    {"A", 2, -1, "\0\0"s, "so 2 is too few"},
    {"\xFF", 5, 3, "=FF\0\0"s, "an escape needs 3 + 2"},
    {"\xFF", 4, -1, "\0\0\0\0"s, "so 4 is too few; nothing written"},
    {"AB", 3, -1, "A\0\0"s, "text before the byte that did not fit is kept"},
    {Rep(76, "a"), 81, 79, Rep(75, "a") + kBreak + "a\0\0"s, "break and literal need 4 + 2"},
    {Rep(76, "a"), 80, -1, Rep(75, "a") + "\0\0\0\0\0"s, "one short: neither break nor literal"},
    {Rep(72, "a") + "\xFF", 80, 78, Rep(72, "a") + kBreak + "=FF\0\0"s, "break and escape need 6 + 2"},
    {Rep(72, "a") + "\xFF", 79, -1, Rep(72, "a") + "\0\0\0\0\0\0\0"s, "one short"},
};

TEST(QuotedPrintableEncode, RoomRuleOfTwoBytesFree) { zr::test::ExpectRooms(ZR_QuotedPrintable_Encode, kEncodeRoom); }

TEST(QuotedPrintableEncode, RefusesBadArgumentsWithoutWriting) {
    char dst[8] = "keep";
    const unsigned char src[] = "ABC";
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, 3, dst, 0), -1);
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, 3, dst, -2), -1);
    EXPECT_EQ(ZR_QuotedPrintable_Encode(nullptr, 3, dst, 8), -1);
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, 3, nullptr, 8), -1);
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, 0, dst, 0), -1) << "empty source has no room for its NUL";
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, -1, dst, 0), -1) << "negative length is empty, still no room";
    EXPECT_STREQ(dst, "keep");
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, -1, dst, 8), 0);
    EXPECT_EQ(std::string(dst, 8), std::string(8, '\0'));
}

// Each text decodes to its bytes with dstSize one more than their count,
// and a zero after them.
template <std::size_t N>
void ExpectDecodes(const DecodeCase (&cases)[N]) {
    for (const auto& c : cases) {
        const int dstSize = static_cast<int>(c.bytes.size()) + 1;
        std::string out;
        EXPECT_EQ(Decode(c.text, dstSize, out), static_cast<int>(c.bytes.size())) << c.why;
        EXPECT_EQ(out, c.bytes + '\0') << c.why;
    }
}

const DecodeCase kDecodes[] = {
    {"", "", "empty text"},
    {"A=3DB", "A=B", "escaped ="},
    {"=E3=81=82", "\xE3\x81\x82", "upper-case escapes"},
    {"=4a=e3", "\x4A\xE3", "lower-case digits"},
    {"\t\r\n ~", "\t\r\n ~", "literals copied"},
};

TEST(QuotedPrintableDecode, LiteralsAndEscapes) {
    ExpectDecodes(kDecodes);
}

// "=", optional spaces and tabs, then CR LF or LF: the line goes on, and
// nothing is written for the break.
const DecodeCase kSoftBreaks[] = {
    {"ab=\r\ncd", "abcd", "= CR LF"},
    {"a=\nb", "ab", "= LF, as texts written on Unix break lines"},
    {"x=\n=41", "xA", "an escape right after the break"},
    {"a=  \t\r\nb", "ab", "spaces and a tab before CR LF are transport padding"},
    {"a= \nb", "ab", "a space before LF is transport padding"},
    {"a=\t\t\n", "a", "padding and break end the text"},
    {"=\n=\r\n=\n", "", "breaks only"},
    {"=E3=81=\n=82", "\xE3\x81\x82", "a break inside a character's escapes"},
    {"a=\r\r\nb", "a=\r\r\nb", "CR CR LF after = is no break: = stands for itself"},
    {"a= x\n", "a= x\n", "padding must reach the line break"},
};

TEST(QuotedPrintableDecode, SoftLineBreaks) {
    ExpectDecodes(kSoftBreaks);
}

// An "=" that starts neither a soft break nor an escape of two hexadecimal
// digits is the character "=", and the step after it starts at the next
// character, which may start an escape itself.
const DecodeCase kMalformed[] = {
    {"=G4", "=G4", "no first digit"},
    {"=4G", "=4G", "no second digit"},
    {"= 7", "= 7", "a space is no digit"},
    {"=-1", "=-1", "no sign"},
    {"=+F", "=+F", "no sign"},
    {"=0x", "=0x", "no prefix"},
    {"a=", "a=", "= at the end"},
    {"=A", "=A", "one digit before the end"},
    {"=\r", "=\r", "= CR at the end"},
    {"==41", "=A", "the second = starts an escape"},
    {"=4=41", "=4A", "an escape after a lone digit"},
    {"= \t", "= \t", "padding with no line break after it"},
};

TEST(QuotedPrintableDecode, MalformedEqualsSignStandsForItself) {
    ExpectDecodes(kMalformed);
}

const DecodeRoomCase kDecodeRoom[] = {
    {"=41", 1, 1, "A", "a full dst gets no zero after the bytes"},
    {"=41=\r\n", 1, -1, "A", "a full dst fails even before a soft break"},
    {"=41=\n", 1, -1, "A", "also before a soft break = LF"},
    {"=41= \t\r\n", 1, -1, "A", "also before a padded soft break"},
    {"=41=", 1, -1, "A", "also before an = that stands for itself"},
    {"a=G", 2, -1, "a=", "the = is written; G finds dst full"},
    {"a=\x01", 3, -1, "a=\0"s, "a control after a lone = still fails"},
    {"=\xE9", 3, -1, "=\0\0"s, "so does a byte from 0x80 up"},
    {"AB", 1, -1, "A", "bytes before the one that did not fit are kept"},
    {"ab\xE9z", 5, -1, "ab\0\0\0"s, "a byte outside the literal set fails"},
    {"\x7F", 2, -1, "\0\0"s, "DEL fails"},
    {"a\x01", 2, -1, "a\0"s, "a control fails"},
};

TEST(QuotedPrintableDecode, FullBufferAndBytesOutsideTheLiteralSet) {
    zr::test::ExpectRooms(ZR_QuotedPrintable_Decode, kDecodeRoom);
    unsigned char dst[2] = {9, 9};
    EXPECT_EQ(ZR_QuotedPrintable_Decode("A", dst, 0), -1);
    EXPECT_EQ(ZR_QuotedPrintable_Decode(nullptr, dst, 2), -1);
    EXPECT_EQ(ZR_QuotedPrintable_Decode("A", nullptr, 2), -1);
    EXPECT_EQ(dst[0], 9);
}

TEST(QuotedPrintable, RoundTripsEveryByteValue) {
    std::string bytes;
    for (int i = 0; i < 600; ++i) bytes += static_cast<char>((i * 13) & 0xFF);
    zr::test::ExpectRoundTrip(ZR_QuotedPrintable_Encode, ZR_QuotedPrintable_Decode, bytes, 4000, 1000);
}

}  // namespace
