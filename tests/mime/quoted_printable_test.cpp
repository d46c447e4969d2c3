// quoted_printable_test.cpp - the plain Quoted-Printable coder: literals, escapes,
// soft-break columns, the room rule and the lax reading of escapes.
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
    EXPECT_STREQ(dst, "keep");
    EXPECT_EQ(ZR_QuotedPrintable_Encode(src, -1, dst, 8), 0);
    EXPECT_EQ(std::string(dst, 8), std::string(8, '\0'));
}

const DecodeCase kDecodes[] = {
    {"", "", "empty text"},
    {"A=3DB", "A=B", "escaped ="},
    {"=E3=81=82", "\xE3\x81\x82", "upper-case escapes"},
    {"ab=\r\ncd", "abcd", "soft line break dropped"},
    {"\t\r\n ~", "\t\r\n ~", "literals copied"},
    {"=4a", "\x4A", "lower-case digit"},
    {"=4G", "\x04", "digits stop at a non-digit"},
    {"=G4", "\0"s, "no digit reads as 0"},
    {"=-1", "\xFF", "a minus sign negates; low 8 bits kept"},
    {"=+F", "\x0F", "a plus sign is allowed"},
    {"= 7", "\x07", "leading white space skipped"},
    {"=\v5", "\x05", "vertical tab is white space too"},
    {"=0x", "\0"s, "0x with no digit after it is the digit 0"},
    {"a=\nb", "a\x0B", "= LF is no soft break: LF skipped as space, b is a digit"},
    {"a=", "a\0"s, "= at the end reads nothing past the terminator: 0"},
    {"=A", "\x0A", "one digit before the end"},
    {"=\r", "\0"s, "= CR at the end: white space, no digit"},
    {"=\xE9\xE9z", "\0z"s, "the two bytes after = are read as digits, not checked as literals"},
};

TEST(QuotedPrintableDecode, LiteralsEscapesAndStrtolReading) {
    for (const auto& c : kDecodes) {
        const int dstSize = static_cast<int>(c.bytes.size()) + 1;
        std::string out;
        EXPECT_EQ(Decode(c.text, dstSize, out), static_cast<int>(c.bytes.size())) << c.why;
        EXPECT_EQ(out, c.bytes + '\0') << c.why;
    }
}

const DecodeRoomCase kDecodeRoom[] = {
    {"=41", 1, 1, "A", "a full dst gets no zero after the bytes"},
    {"=41=\r\n", 1, -1, "A", "a full dst fails even before a soft break"},
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
