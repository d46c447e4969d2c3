// api.cpp - exports of the EBCDIC conversions.
#include <cstring>

#include "ebcdic/ebcdic.hpp"
#include "zr_moji.h"

namespace {

// Shared entry checks of the two string exports. The source is measured only
// up to dstSize bytes, since anything that long is refused anyway.
bool AcceptStrings(const char* src, char* dst, std::int32_t dstSize, std::size_t& n) noexcept {
    if (!src || !dst || dstSize <= 0) return false;
    dst[0] = 0;
    n = strnlen(src, static_cast<std::size_t>(dstSize));
    return n != 0 && n < static_cast<std::size_t>(dstSize);
}

}  // namespace

extern "C" ZR_API int32_t ZR_CALL ZR_AsciiToEbcdic(const char* src, char* dst, int32_t dstSize, int32_t selector) {
    std::size_t n = 0;
    if (!AcceptStrings(src, dst, dstSize, n)) return -1;
    return zr::ebcdic::AsciiToEbcdic({reinterpret_cast<const std::uint8_t*>(src), n},
                                     {reinterpret_cast<std::uint8_t*>(dst), static_cast<std::size_t>(dstSize)},
                                     selector);
}

extern "C" ZR_API int32_t ZR_CALL ZR_EbcdicToAscii(const char* src, char* dst, int32_t dstSize, int32_t selector) {
    std::size_t n = 0;
    if (!AcceptStrings(src, dst, dstSize, n)) return -1;
    return zr::ebcdic::EbcdicToAscii({reinterpret_cast<const std::uint8_t*>(src), n},
                                     {reinterpret_cast<std::uint8_t*>(dst), static_cast<std::size_t>(dstSize)},
                                     selector);
}

extern "C" ZR_API uint8_t ZR_CALL ZR_AsciiEbcdicCode(int32_t code, int32_t selector) {
    return zr::ebcdic::AsciiToEbcdicCode(static_cast<std::uint8_t>(code & 0xFF), selector);
}

extern "C" ZR_API uint8_t ZR_CALL ZR_EbcdicAsciiCode(int32_t code, int32_t selector) {
    return zr::ebcdic::EbcdicToAsciiCode(static_cast<std::uint8_t>(code & 0xFF), selector);
}
