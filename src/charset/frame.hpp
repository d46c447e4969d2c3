// frame.hpp - what every character-set export does around its conversion:
// the length test, the clearing of dst and the reading of a loop's result.
// The one-step exports are these frames over a loop or the host converter;
// chains.cpp builds the two-step exports from them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "charset/loop_result.hpp"
#include "platform/codepage.hpp"
#include "zr_moji.h"

namespace zr::charset {

// Lengths are measured only as far as the test needs (one past dstSize), so
// a long input is refused without walking all of it.
inline std::size_t LengthUpTo(const char* s, std::int32_t dstSize) noexcept {
    return strnlen(s, static_cast<std::size_t>(dstSize) + 1);
}

inline std::size_t LengthUpTo(const ZR_WCHAR* s, std::int32_t dstSize) noexcept {
    const std::size_t max = static_cast<std::size_t>(dstSize) + 1;
    std::size_t n = 0;
    while (n < max && s[n] != 0) ++n;
    return n;
}

inline bool EmptyOrTooLong(std::size_t n, std::int32_t dstSize) noexcept {
    return n == 0 || n > static_cast<std::size_t>(dstSize);
}

// Bytes from `from` up to `size` set to zero. The exports that clear all of
// dst first clear only what the text does not cover once the text stands:
// the caller cannot tell the two apart.
inline void ZeroFrom(void* dst, std::size_t from, std::size_t size) noexcept {
    if (from < size) std::memset(static_cast<std::uint8_t*>(dst) + from, 0, size - from);
}

// The refusal of the exports that clear all of dst first: dst all zeros, -1.
inline std::int32_t ClearAndRefuse(void* dst, std::size_t size) noexcept {
    std::memset(dst, 0, size);
    return -1;
}

// What an own loop's result makes of dst and the export's answer: the text
// and zeros after it, or all zeros. kUnconvertible leaves the text before
// the character, and -1.
std::int32_t Finish(const LoopResult& r, char* dst, std::size_t size) noexcept;

using ByteLoop = LoopResult (*)(std::span<const std::uint8_t>, std::span<std::uint8_t>) noexcept;

// The frame of the own byte loops: clear dst, refuse an empty or too long
// src, convert. A text that would not fit with its NUL gives 0 and an empty
// dst, which also stops any chain this export is the first step of.
std::int32_t RunByteLoop(ByteLoop loop, const char* src, char* dst, std::int32_t dstSize) noexcept;

// Bytes to UTF-16 through the host converter; only the first unit of dst is
// cleared.
std::int32_t BytesToUnits(platform::CodePage cp, const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept;

// UTF-16 to UTF-8 or UTF-7 through the host converter; only the first byte
// of dst is cleared.
std::int32_t UnitsToBytes(platform::CodePage cp, const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept;

// UTF-16 to Shift_JIS through the host converter, over a cleared dst.
std::int32_t UnitsToSJis(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept;

}  // namespace zr::charset
