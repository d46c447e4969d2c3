// byte_class.hpp - code page 932 byte classes and the UTF-8 continuation test.
#pragma once

#include <array>
#include <cstdint>

namespace zr::charset {

constexpr bool IsLeadByte(std::uint8_t b) noexcept {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

// 0x7F sits inside the trail range but is DEL, never half of a pair.
constexpr bool IsTrailByte(std::uint8_t b) noexcept {
    return b >= 0x40 && b <= 0xFC && b != 0x7F;
}

// The same two classes as one table for the inner loops: one load per byte
// instead of two range tests.
inline constexpr std::uint8_t kLeadClass = 1;
inline constexpr std::uint8_t kTrailClass = 2;
inline constexpr std::array<std::uint8_t, 256> kSJisClass = [] {
    std::array<std::uint8_t, 256> t{};
    for (int b = 0; b < 256; ++b) {
        const auto u = static_cast<std::uint8_t>(b);
        t[b] = static_cast<std::uint8_t>((IsLeadByte(u) ? kLeadClass : 0) | (IsTrailByte(u) ? kTrailClass : 0));
    }
    return t;
}();

// A lead byte followed by a trail byte. The second byte is read only after
// a lead byte, so a lead byte right before the NUL reads the NUL and stops.
inline bool StartsSJisPair(const std::uint8_t* p) noexcept {
    return (kSJisClass[p[0]] & kLeadClass) && (kSJisClass[p[1]] & kTrailClass);
}

// Half-width katakana and punctuation: single bytes although they are high.
constexpr bool IsSingleByteKana(std::uint8_t b) noexcept {
    return b >= 0xA1 && b <= 0xDF;
}

constexpr bool IsUtf8Continuation(std::uint8_t b) noexcept {
    return (b & 0xC0) == 0x80;
}

// Length of the UTF-8 sequence at `p` by its bit patterns alone (2 to 6),
// or 0 for printable ASCII, control bytes, a stray continuation byte, 0xFE,
// 0xFF or a sequence cut short. Overlong forms, surrogates and values past
// U+10FFFF are not looked for. Each byte is read only after the one before
// it matched, so a NUL stops the test.
inline int Utf8SequenceLength(const std::uint8_t* p) noexcept {
    const std::uint8_t b = p[0];
    int length;
    if ((b & 0xE0) == 0xC0) {
        length = 2;
    } else if ((b & 0xF0) == 0xE0) {
        length = 3;
    } else if ((b & 0xF8) == 0xF0) {
        length = 4;
    } else if ((b & 0xFC) == 0xF8) {
        length = 5;
    } else if ((b & 0xFE) == 0xFC) {
        length = 6;
    } else {
        return 0;
    }
    for (int k = 1; k < length; ++k) {
        if (!IsUtf8Continuation(p[k])) return 0;
    }
    return length;
}

}  // namespace zr::charset
