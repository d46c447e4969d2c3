// boundary.hpp - the C boundary every api.cpp shares: how the C types of
// zr_moji.h are read inside the library, and the argument rules an export
// applies before it touches anything.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zr_moji.h"

namespace zr::api {

// ZR_WCHAR is wchar_t on Windows and char16_t elsewhere: 16-bit units in
// host order either way, which is all the internals rely on.
static_assert(sizeof(ZR_WCHAR) == sizeof(char16_t), "UTF-16 units are 16 bits");

// Byte strings are read as unsigned bytes, UTF-16 text as char16_t units.
inline const std::uint8_t* Bytes(const char* p) noexcept { return reinterpret_cast<const std::uint8_t*>(p); }
inline std::uint8_t* Bytes(char* p) noexcept { return reinterpret_cast<std::uint8_t*>(p); }
inline const char16_t* Units(const ZR_WCHAR* p) noexcept { return reinterpret_cast<const char16_t*>(p); }
inline char16_t* Units(ZR_WCHAR* p) noexcept { return reinterpret_cast<char16_t*>(p); }

// The character sets, URLs and code tables refuse null pointers and a
// negative dstSize; a dstSize of 0 is theirs to answer ("did not fit").
template <class Src, class Dst>
inline bool NullOrNegativeSize(const Src* src, const Dst* dst, std::int32_t dstSize) noexcept {
    return src == nullptr || dst == nullptr || dstSize < 0;
}

// The transfer encodings and EBCDIC always write at least a terminator, so
// they also refuse a dstSize of 0.
template <class Src, class Dst>
inline bool NullOrNoRoom(const Src* src, const Dst* dst, std::int32_t dstSize) noexcept {
    return src == nullptr || dst == nullptr || dstSize <= 0;
}

// A non-empty text that fits in dst with its NUL, its length in n. dst[0]
// is cleared as soon as dst is known to have room, whatever follows. The
// source is measured only up to dstSize bytes, since anything that long is
// refused anyway.
inline bool AcceptTextThatFits(const char* src, char* dst, std::int32_t dstSize, std::size_t& n) noexcept {
    if (NullOrNoRoom(src, dst, dstSize)) return false;
    dst[0] = 0;
    n = strnlen(src, static_cast<std::size_t>(dstSize));
    return n != 0 && n < static_cast<std::size_t>(dstSize);
}

}  // namespace zr::api
