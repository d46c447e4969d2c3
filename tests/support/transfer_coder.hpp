// transfer_coder.hpp - the plain Base64 and Quoted-Printable coders as the
// tests call them, and the case tables both families share.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace zr::test {

using EncodeFn = std::int32_t(ZR_CALL*)(const unsigned char*, std::int32_t, char*, std::int32_t);
using DecodeFn = std::int32_t(ZR_CALL*)(const char*, unsigned char*, std::int32_t);

// Buffers are exactly dstSize long and start filled with 0x7F, so an
// over-write trips the sanitizer and an unwritten byte stays visible; `out`
// is the whole buffer.
inline int EncodeInto(EncodeFn encode, const std::string& bytes, int dstSize, std::string& out) {
    std::vector<char> dst(static_cast<std::size_t>(dstSize), '\x7F');
    const int r = encode(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::int32_t>(bytes.size()),
                         dst.data(), dstSize);
    out.assign(dst.begin(), dst.end());
    return r;
}

inline int DecodeInto(DecodeFn decode, const std::string& text, int dstSize, std::string& out) {
    std::vector<unsigned char> dst(static_cast<std::size_t>(dstSize), 0x7F);
    const int r = decode(text.c_str(), dst.data(), dstSize);
    out.assign(dst.begin(), dst.end());
    return r;
}

struct EncodeCase {
    std::string bytes;
    std::string text;
    const char* why;
};

struct DecodeCase {
    std::string text;
    std::string bytes;
    const char* why;
};

// A call with a given dstSize: its result and the whole of dst after it.
struct EncodeRoomCase {
    std::string bytes;
    int dstSize;
    int want;
    std::string dst;
    const char* why;
};

struct DecodeRoomCase {
    std::string text;
    int dstSize;
    int want;
    std::string dst;
    const char* why;
};

inline void ExpectRooms(EncodeFn encode, std::span<const EncodeRoomCase> cases) {
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(EncodeInto(encode, c.bytes, c.dstSize, out), c.want) << c.why;
        EXPECT_EQ(out, c.dst) << c.why;
    }
}

inline void ExpectRooms(DecodeFn decode, std::span<const DecodeRoomCase> cases) {
    for (const auto& c : cases) {
        std::string out;
        EXPECT_EQ(DecodeInto(decode, c.text, c.dstSize, out), c.want) << c.why;
        EXPECT_EQ(out, c.dst) << c.why;
    }
}

// `bytes` encoded into `encodeRoom` bytes and decoded back into `decodeRoom`.
inline void ExpectRoundTrip(EncodeFn encode, DecodeFn decode, const std::string& bytes, int encodeRoom,
                            int decodeRoom) {
    std::string text, back;
    const int n = EncodeInto(encode, bytes, encodeRoom, text);
    ASSERT_GT(n, 0);
    ASSERT_EQ(DecodeInto(decode, text.substr(0, static_cast<std::size_t>(n)), decodeRoom, back),
              static_cast<int>(bytes.size()));
    EXPECT_EQ(back.substr(0, bytes.size()), bytes);
}

}  // namespace zr::test
