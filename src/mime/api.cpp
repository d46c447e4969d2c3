// api.cpp - exports of the MIME transfer encodings: Base64 and Quoted-Printable.
#include <algorithm>
#include <cstring>
#include <limits>

#include "api/boundary.hpp"
#include "mime/base64.hpp"
#include "mime/charset_chain.hpp"
#include "mime/quoted_printable.hpp"
#include "zr_moji.h"

namespace {

using zr::api::Bytes;
using zr::api::NullOrNoRoom;
using zr::mime::Base64_DecodeThrough;
using zr::mime::Base64_EncodeThrough;
using zr::mime::QuotedPrintable_DecodeThrough;
using zr::mime::QuotedPrintable_EncodeThrough;

constexpr bool kTellDstSize = false;
constexpr bool kTellWholeScratch = true;

std::span<char> Out(char* dst, std::int32_t dstSize) noexcept {
    return {dst, static_cast<std::size_t>(dstSize)};
}

std::span<std::uint8_t> Out(unsigned char* dst, std::int32_t dstSize) noexcept {
    return {dst, static_cast<std::size_t>(dstSize)};
}

std::span<const std::uint8_t> In(const unsigned char* src, std::int32_t srcLen) noexcept {
    return {src, srcLen > 0 ? static_cast<std::size_t>(srcLen) : 0};
}

// A text longer than any int32 count cannot be encoded into a dst of int32
// size; telling the encoder the most it can be told gets the usual -1.
std::int32_t TextLength(const char* s) noexcept {
    return static_cast<std::int32_t>(
        std::min<std::size_t>(std::strlen(s), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

// Base64

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_Encode(const unsigned char* src, int32_t srcLen, char* dst,
                                                   int32_t dstSize) {
    if (NullOrNoRoom(src, dst, dstSize)) return -1;
    return zr::mime::Base64_Encode(In(src, srcLen), Out(dst, dstSize));
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_Decode(const char* src, unsigned char* dst, int32_t dstSize) {
    if (NullOrNoRoom(src, dst, dstSize)) return -1;
    return zr::mime::Base64_Decode(src, Out(dst, dstSize));
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_UnicodeToJis, src, dst, dstSize, kTellDstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeJISA(const char* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_SJisToJis, src, dst, dstSize, kTellDstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeSJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_UnicodeToSJis, src, dst, dstSize, kTellWholeScratch);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeSJISA(const char* src, char* dst, int32_t dstSize) {
    if (!src) return -1;
    return ZR_Base64_Encode(Bytes(src), TextLength(src), dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeEUCW(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_UnicodeToEuc, src, dst, dstSize, kTellDstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeEUCA(const char* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_SJisToEuc, src, dst, dstSize, kTellDstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeUTF8W(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_UnicodeToUtf8, src, dst, dstSize, kTellDstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_EncodeUTF8A(const char* src, char* dst, int32_t dstSize) {
    return Base64_EncodeThrough(&ZR_SJisToUtf8, src, dst, dstSize, kTellDstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_JisToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeJISA(const char* src, char* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_JisToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeSJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_SJisToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeSJISA(const char* src, char* dst, int32_t dstSize) {
    return ZR_Base64_Decode(src, Bytes(dst), dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeEUCW(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_EucToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeEUCA(const char* src, char* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_EucToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeUTF8W(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_Utf8ToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Base64_DecodeUTF8A(const char* src, char* dst, int32_t dstSize) {
    return Base64_DecodeThrough(&ZR_Utf8ToSJis, src, dst, dstSize);
}

// Quoted-Printable

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_Encode(const unsigned char* src, int32_t srcLen, char* dst,
                                                            int32_t dstSize) {
    if (NullOrNoRoom(src, dst, dstSize)) return -1;
    return zr::mime::QuotedPrintable_Encode(In(src, srcLen), Out(dst, dstSize));
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_Decode(const char* src, unsigned char* dst, int32_t dstSize) {
    if (NullOrNoRoom(src, dst, dstSize)) return -1;
    return zr::mime::QuotedPrintable_Decode(src, Out(dst, dstSize));
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_UnicodeToJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeJISA(const char* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_SJisToJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeSJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_UnicodeToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeSJISA(const char* src, char* dst, int32_t dstSize) {
    if (!src) return -1;
    return ZR_QuotedPrintable_Encode(Bytes(src), TextLength(src), dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeEUCW(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_UnicodeToEuc, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeEUCA(const char* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_SJisToEuc, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeUTF8W(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_UnicodeToUtf8, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeUTF8A(const char* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_EncodeThrough(&ZR_SJisToUtf8, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_JisToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeJISA(const char* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_JisToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeSJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_SJisToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeSJISA(const char* src, char* dst, int32_t dstSize) {
    return ZR_QuotedPrintable_Decode(src, Bytes(dst), dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeEUCW(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_EucToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeEUCA(const char* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_EucToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeUTF8W(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_Utf8ToUnicode, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeUTF8A(const char* src, char* dst, int32_t dstSize) {
    return QuotedPrintable_DecodeThrough(&ZR_Utf8ToSJis, src, dst, dstSize);
}
