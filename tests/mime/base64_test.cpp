// base64_test.cpp - the plain Base64 coder: groups, padding, lenient decoding, room.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace {

using namespace std::string_literals;

// Buffers are exactly dstSize long and start filled with 0x7F, so an
// over-write trips the sanitizer and an unwritten byte stays visible.
int Encode(const std::string& bytes, int dstSize, std::string& out) {
    std::vector<char> dst(static_cast<std::size_t>(dstSize), '\x7F');
    const int r = ZR_Base64_Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                                   static_cast<int32_t>(bytes.size()), dst.data(), dstSize);
    out.assign(dst.begin(), dst.end());
    return r;
}

int Decode(const std::string& text, int dstSize, std::string& out) {
    std::vector<unsigned char> dst(static_cast<std::size_t>(dstSize), 0x7F);
    const int r = ZR_Base64_Decode(text.c_str(), dst.data(), dstSize);
    out.assign(dst.begin(), dst.end());
    return r;
}

struct EncodeCase {
    std::string bytes;
    std::string text;
    const char* why;
};

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

struct RoomCase {
    std::string bytes;
    int dstSize;
    int want;
    std::string dst;
    const char* why;
};

const RoomCase kEncodeRoom[] = {
    {"AB", 3, -1, "\0\0\0"s, "no group fits: nothing written"},
    {"ABCDEF", 7, -1, "QUJD\0\0\0"s, "second group short of room: first kept, zeros after"},
    {"ABCDEF", 9, 8, "QUJDREVG\0"s, "both groups and the terminator"},
    {"", 1, 0, "\0"s, "nothing to encode: dst zero-filled"},
};

TEST(Base64Encode, RoomForEachGroup) {
    for (const auto& c : kEncodeRoom) {
        std::string out;
        EXPECT_EQ(Encode(c.bytes, c.dstSize, out), c.want) << c.why;
        EXPECT_EQ(out, c.dst) << c.why;
    }
}

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

struct DecodeCase {
    std::string text;
    std::string bytes;
    const char* why;
};

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

struct DecodeRoomCase {
    std::string text;
    int dstSize;
    int want;
    std::string dst;
    const char* why;
};

const DecodeRoomCase kDecodeRoom[] = {
    {"QUJD", 3, 3, "ABC", "three bytes fill dst, no zero after them"},
    {"QUJD", 2, -1, "\0\0"s, "one short"},
    {"QQ==", 3, 1, "A\0\0"s, "a padded group still asks for three"},
    {"QQ==", 2, -1, "\0\0"s, "so two are too few"},
    {"QUJDQQ==", 5, -1, "ABC\0\0"s, "second group short: first kept"},
    {"QUJDQQ==", 6, 4, "ABCA\0\0"s, "both groups"},
};

TEST(Base64Decode, RoomOfThreeBeforeEachGroup) {
    for (const auto& c : kDecodeRoom) {
        std::string out;
        EXPECT_EQ(Decode(c.text, c.dstSize, out), c.want) << c.why;
        EXPECT_EQ(out, c.dst) << c.why;
    }
}

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
    std::string text, back;
    const int n = Encode(bytes, 2000, text);
    ASSERT_GT(n, 0);
    ASSERT_EQ(Decode(text.substr(0, static_cast<std::size_t>(n)), 2000, back), static_cast<int>(bytes.size()));
    EXPECT_EQ(back.substr(0, bytes.size()), bytes);
}

}  // namespace
