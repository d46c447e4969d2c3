// api.cpp - exports of the EBCDIC conversions.
#include "api/boundary.hpp"
#include "ebcdic/ebcdic.hpp"
#include "zr_moji.h"

using zr::api::AcceptTextThatFits;
using zr::api::Bytes;

extern "C" ZR_API int32_t ZR_CALL ZR_AsciiToEbcdic(const char* src, char* dst, int32_t dstSize, int32_t selector) {
    std::size_t n = 0;
    if (!AcceptTextThatFits(src, dst, dstSize, n)) return -1;
    return zr::ebcdic::AsciiToEbcdic({Bytes(src), n}, {Bytes(dst), static_cast<std::size_t>(dstSize)}, selector);
}

extern "C" ZR_API int32_t ZR_CALL ZR_EbcdicToAscii(const char* src, char* dst, int32_t dstSize, int32_t selector) {
    std::size_t n = 0;
    if (!AcceptTextThatFits(src, dst, dstSize, n)) return -1;
    return zr::ebcdic::EbcdicToAscii({Bytes(src), n}, {Bytes(dst), static_cast<std::size_t>(dstSize)}, selector);
}

extern "C" ZR_API uint8_t ZR_CALL ZR_AsciiEbcdicCode(int32_t code, int32_t selector) {
    return zr::ebcdic::AsciiToEbcdicCode(static_cast<std::uint8_t>(code & 0xFF), selector);
}

extern "C" ZR_API uint8_t ZR_CALL ZR_EbcdicAsciiCode(int32_t code, int32_t selector) {
    return zr::ebcdic::EbcdicToAsciiCode(static_cast<std::uint8_t>(code & 0xFF), selector);
}
