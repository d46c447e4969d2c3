// base64_test.cpp - the plain Base64 coder: groups, padding, lenient decoding, room.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "transfer_coder.hpp"
#include "zr_moji.h"

namespace {

using namespace std::string_literals;

using zr::test::DecodeCase;
using zr::test::DecodeRoomCase;
using zr::test::EncodeCase;
using zr::test::EncodeRoomCase;

int Encode(const std::string& bytes, int dstSize, std::string& out) {
    return zr::test::EncodeInto(ZR_Base64_Encode, bytes, dstSize, out);
}

int Decode(const std::string& text, int dstSize, std::string& out) {
    return zr::test::DecodeInto(ZR_Base64_Decode, text, dstSize, out);
}

const EncodeCase kEncodes[] = {
    {"A", "QQ==", "one byte ends in two pads"},
    {"AB", "QUI=", "two bytes end in one pad"},
    {"ABC", "QUJD", "three bytes, no pad"},
    {"ABCDEFG", "QUJDREVGRw==", "only the last group is short"},
    {"\0\0\0\xFB\xFF\xBF"s, "AAAA+/+/", "zero bytes are data; both ends of the alphabet"},
};

TEST(Base64Encode, GroupsAndPaddingAtExactFitAndOneShort) {
    for (const auto& c : kEncodes) {
        const int need = static_cast<int>(c.text.size()) + 1;  // the text and its terminator
        std::string out;
        EXPECT_EQ(Encode(c.bytes, need, out), static_cast<int>(c.text.size())) << c.why;
        EXPECT_EQ(out, c.text + '\0') << c.why;
        // A text that would fill dst to its last byte has no terminator: refused,
        // and its last group is not written.
        EXPECT_EQ(Encode(c.bytes, need - 1, out), -1) << c.why;
        EXPECT_EQ(out, c.text.substr(0, c.text.size() - 4) + std::string(4, '\0')) << c.why;
    }
}

TEST(Base64Encode, WritesOneUnbrokenLine) {
    std::string out;
    EXPECT_EQ(Encode(std::string(57, 'x'), 100, out), 76);
    EXPECT_EQ(Encode(std::string(58, 'x'), 100, out), 80);
    EXPECT_EQ(out.find_first_of("\r\n"), std::string::npos);
}

const EncodeRoomCase kEncodeRoom[] = {
    {"AB", 3, -1, "\0\0\0"s, "no group fits: nothing written"},
    {"ABCDEF", 7, -1, "QUJD\0\0\0"s, "second group short of room: first kept, zeros after"},
    {"ABCDEF", 9, 8, "QUJDREVG\0"s, "both groups and the terminator"},
    {"", 1, 0, "\0"s, "nothing to encode: dst zero-filled"},
};

TEST(Base64Encode, RoomForEachGroup) { zr::test::ExpectRooms(ZR_Base64_Encode, kEncodeRoom); }

TEST(Base64Encode, RefusesBadArgumentsWithoutWriting) {
    char dst[8] = "keep";
    const unsigned char src[] = "ABC";
    EXPECT_EQ(ZR_Base64_Encode(src, -5, dst, 8), 0);  // negative count encodes nothing
    EXPECT_EQ(std::string(dst, 8), std::string(8, '\0'));
    std::strcpy(dst, "keep");
    EXPECT_EQ(ZR_Base64_Encode(src, 3, dst, 0), -1);
    EXPECT_EQ(ZR_Base64_Encode(src, 3, dst, -1), -1);
    EXPECT_EQ(ZR_Base64_Encode(nullptr, 3, dst, 8), -1);
    EXPECT_EQ(ZR_Base64_Encode(src, 3, nullptr, 8), -1);
    EXPECT_STREQ(dst, "keep");
}

const DecodeCase kDecodes[] = {
    {"QUJD", "ABC", "plain group"},
    {"QQ==", "A", "two pads: one byte"},
    {"QUI=", "AB", "one pad: two bytes"},
    {"", "", "empty text"},
    {"QQ==QQ==", "AA", "padding does not end the text"},
    {"QQ=B", "A\0"s, "pad in third place only: two bytes, six zero bits"},
    {"QUJD\r\nQQ", "ABC\x04\x04\x10", "CR LF are two characters of value 64 and shift the groups"},
    {"QUJD QUJD", "ABC\x01\x05\x09\x0C\x10\x40", "a space shifts every later group"},
    {" QQ=", "\x01\x04", "value 64 in first place sets a bit above the 24"},
    {"Q=QQ", "\x44\x04\x10", "= in second place is a 64, ORed into the first"},
    {"====", "\x04", "= in first and second place are 64s, in third and fourth pads"},
    {"QUJ", "AB\x40", "4k+3: the terminator is a 64, not a pad"},
    {"QQ", "\x41\x10\x40", "4k+2: places past the end count as the terminator"},
    {"Q", "\x44\x10\x40", "4k+1: likewise"},
    {"QUJD\n", "ABC\x04\x10\x40", "a trailing line break is a 4k+1 text"},
};

TEST(Base64Decode, DecodesByFixedGroupsAndValue64) {
    for (const auto& c : kDecodes) {
        // Exactly the room the rules ask for: three bytes per group.
        const int room = static_cast<int>((c.text.size() + 3) / 4 * 3);
        std::string out;
        EXPECT_EQ(Decode(c.text, room + 1, out), static_cast<int>(c.bytes.size())) << c.why;
        EXPECT_EQ(out.substr(0, c.bytes.size()), c.bytes) << c.why;
        EXPECT_EQ(out.substr(c.bytes.size()), std::string(out.size() - c.bytes.size(), '\0')) << c.why;
    }
}

const DecodeRoomCase kDecodeRoom[] = {
    {"QUJD", 3, 3, "ABC", "three bytes fill dst, no zero after them"},
    {"QUJD", 2, -1, "\0\0"s, "one short"},
    {"QQ==", 3, 1, "A\0\0"s, "a padded group still asks for three"},
    {"QQ==", 2, -1, "\0\0"s, "so two are too few"},
    {"QUJDQQ==", 5, -1, "ABC\0\0"s, "second group short: first kept"},
    {"QUJDQQ==", 6, 4, "ABCA\0\0"s, "both groups"},
};

TEST(Base64Decode, RoomOfThreeBeforeEachGroup) { zr::test::ExpectRooms(ZR_Base64_Decode, kDecodeRoom); }

TEST(Base64Decode, RefusesBadArgumentsWithoutWriting) {
    unsigned char dst[4] = {9, 9, 9, 9};
    EXPECT_EQ(ZR_Base64_Decode("QUJD", dst, 0), -1);
    EXPECT_EQ(ZR_Base64_Decode("QUJD", dst, -3), -1);
    EXPECT_EQ(ZR_Base64_Decode(nullptr, dst, 4), -1);
    EXPECT_EQ(ZR_Base64_Decode("QUJD", nullptr, 4), -1);
    EXPECT_EQ(dst[0], 9);
}

TEST(Base64, RoundTripsEveryByteValue) {
    std::string bytes;
    for (int i = 0; i < 256 * 3 + 2; ++i) bytes += static_cast<char>((i * 7) & 0xFF);
    zr::test::ExpectRoundTrip(ZR_Base64_Encode, ZR_Base64_Decode, bytes, 2000, 2000);
}

}  // namespace
