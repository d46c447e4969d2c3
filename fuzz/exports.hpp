// exports.hpp - every string export behind one calling shape, with what its
// result and output mean, for the fuzz targets and the hardening tests.
// tests/header/check_exports.py holds the table to exports/zr_moji.def.
#pragma once

#include <cstdint>

#include "weak_exports.hpp"

namespace zr::fuzz {

enum class Family {
    kSJisUnicode, kJis, kEuc, kPivot, kUtf, kEbcdic,
    kBase64, kBase64Charset, kQp, kQpCharset,
    kUrlTest, kUrlDecode, kUrlEncode,
};

enum class Src {
    kA,      // NUL-terminated bytes
    kW,      // NUL-terminated UTF-16
    kBytes,  // bytes with a length (zeros allowed)
};

enum class Out {
    kA,      // bytes; result = length without the NUL
    kWIncl,  // UTF-16; result = units written with the terminating zero
    kWExcl,  // UTF-16; result = units before the terminator
    kRaw,    // bytes that may hold zeros; result = bytes written
    kInt,    // no output: a test with a small result range
};

enum Flags : unsigned {
    // A result of 0 leaves dst an empty string (own-loop conversions).
    kEmptyOnZero = 1u << 0,
    // The text may fill dst exactly with no NUL after it (Base64 encoders).
    kMayFillExactly = 1u << 1,
    // A smaller dstSize may give a shorter positive result (the limit
    // bounds the input, or the output is cut): skip the monotonic check.
    kNotMonotonic = 1u << 2,
    // The UTF-16 output may hold zero units before its terminator (UTF-7
    // can encode U+0000).
    kEmbeddedZeros = 1u << 3,
    // Takes an extra int argument (EBCDIC selector, URL encode type) or
    // reports one (URL detecting decoders).
    kExtraArg = 1u << 4,
    kReportsType = 1u << 5,
    // Has a scratch buffer (or calls an export that has one).
    kScratch = 1u << 6,
    // May stop at a character without a JIS form and still report the
    // length of what it wrote (UnicodeToJis and what is built on it).
    kPartial = 1u << 7,
};

using Call = std::int32_t (*)(const void* src, std::int32_t srcLen, void* dst, std::int32_t dstSize,
                              std::int32_t extra, std::int32_t* type);

struct Export {
    const char* name;
    const void* address;  // null when the export is not linked in
    Family family;
    Src src;
    Out out;
    unsigned flags;
    Call call;
    std::int32_t lo, hi;  // result range of a test (Out::kInt)
};

#define ZRF_CONV(fn, S, D)                                                                   \
    [](const void* s, std::int32_t, void* d, std::int32_t n, std::int32_t, std::int32_t*) {  \
        return fn(static_cast<const S*>(s), static_cast<D*>(d), n);                          \
    }
#define ZRF_CONV_X(fn, S, D)                                                                       \
    [](const void* s, std::int32_t, void* d, std::int32_t n, std::int32_t x, std::int32_t*) {      \
        return fn(static_cast<const S*>(s), static_cast<D*>(d), n, x);                             \
    }
#define ZRF_CONV_T(fn, S, D)                                                                       \
    [](const void* s, std::int32_t, void* d, std::int32_t n, std::int32_t, std::int32_t* t) {      \
        return fn(static_cast<const S*>(s), static_cast<D*>(d), n, t);                             \
    }
#define ZRF_LEN(fn)                                                                                \
    [](const void* s, std::int32_t l, void* d, std::int32_t n, std::int32_t, std::int32_t*) {      \
        return fn(static_cast<const unsigned char*>(s), l, static_cast<char*>(d), n);              \
    }
#define ZRF_TEST(fn, S)                                                                            \
    [](const void* s, std::int32_t, void*, std::int32_t, std::int32_t, std::int32_t*) {            \
        return static_cast<std::int32_t>(fn(static_cast<const S*>(s)));                            \
    }
#define ZRF_ADDR(fn) reinterpret_cast<const void*>(&fn)

using W = ZR_WCHAR;

inline const Export kExports[] = {
    // Shift_JIS and UTF-16
    {"ZR_SJisToUnicode", ZRF_ADDR(ZR_SJisToUnicode), Family::kSJisUnicode, Src::kA, Out::kWIncl, 0, ZRF_CONV(ZR_SJisToUnicode, char, W), 0, 0},
    {"ZR_UnicodeToSJis", ZRF_ADDR(ZR_UnicodeToSJis), Family::kSJisUnicode, Src::kW, Out::kA, 0, ZRF_CONV(ZR_UnicodeToSJis, W, char), 0, 0},
    {"ZR_IsMultiByteChar", ZRF_ADDR(ZR_IsMultiByteChar), Family::kSJisUnicode, Src::kA, Out::kInt, 0, ZRF_TEST(ZR_IsMultiByteChar, char), 0, 1},
    // JIS
    {"ZR_JisToSJis", ZRF_ADDR(ZR_JisToSJis), Family::kJis, Src::kA, Out::kA, kEmptyOnZero, ZRF_CONV(ZR_JisToSJis, char, char), 0, 0},
    {"ZR_SJisToJis", ZRF_ADDR(ZR_SJisToJis), Family::kJis, Src::kA, Out::kA, kEmptyOnZero, ZRF_CONV(ZR_SJisToJis, char, char), 0, 0},
    // EUC-JP
    {"ZR_EucToJis", ZRF_ADDR(ZR_EucToJis), Family::kEuc, Src::kA, Out::kA, kEmptyOnZero | kScratch, ZRF_CONV(ZR_EucToJis, char, char), 0, 0},
    {"ZR_JisToEuc", ZRF_ADDR(ZR_JisToEuc), Family::kEuc, Src::kA, Out::kA, kEmptyOnZero, ZRF_CONV(ZR_JisToEuc, char, char), 0, 0},
    {"ZR_EucToSJis", ZRF_ADDR(ZR_EucToSJis), Family::kEuc, Src::kA, Out::kA, kEmptyOnZero | kScratch, ZRF_CONV(ZR_EucToSJis, char, char), 0, 0},
    {"ZR_SJisToEuc", ZRF_ADDR(ZR_SJisToEuc), Family::kEuc, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_SJisToEuc, char, char), 0, 0},
    {"ZR_IsEucJpChar", ZRF_ADDR(ZR_IsEucJpChar), Family::kEuc, Src::kA, Out::kInt, 0, ZRF_TEST(ZR_IsEucJpChar, char), 0, 1},
    // UTF-16 pivots
    {"ZR_JisToUnicode", ZRF_ADDR(ZR_JisToUnicode), Family::kPivot, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_JisToUnicode, char, W), 0, 0},
    {"ZR_UnicodeToJis", ZRF_ADDR(ZR_UnicodeToJis), Family::kPivot, Src::kW, Out::kA, kPartial | kScratch, ZRF_CONV(ZR_UnicodeToJis, W, char), 0, 0},
    {"ZR_EucToUnicode", ZRF_ADDR(ZR_EucToUnicode), Family::kPivot, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_EucToUnicode, char, W), 0, 0},
    {"ZR_UnicodeToEuc", ZRF_ADDR(ZR_UnicodeToEuc), Family::kPivot, Src::kW, Out::kA, kPartial | kScratch, ZRF_CONV(ZR_UnicodeToEuc, W, char), 0, 0},
    // UTF-8 and UTF-7
    {"ZR_Utf8ToUnicode", ZRF_ADDR(ZR_Utf8ToUnicode), Family::kUtf, Src::kA, Out::kWIncl, 0, ZRF_CONV(ZR_Utf8ToUnicode, char, W), 0, 0},
    {"ZR_UnicodeToUtf8", ZRF_ADDR(ZR_UnicodeToUtf8), Family::kUtf, Src::kW, Out::kA, 0, ZRF_CONV(ZR_UnicodeToUtf8, W, char), 0, 0},
    {"ZR_Utf8ToSJis", ZRF_ADDR(ZR_Utf8ToSJis), Family::kUtf, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_Utf8ToSJis, char, char), 0, 0},
    {"ZR_SJisToUtf8", ZRF_ADDR(ZR_SJisToUtf8), Family::kUtf, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_SJisToUtf8, char, char), 0, 0},
    {"ZR_Utf7ToUnicode", ZRF_ADDR(ZR_Utf7ToUnicode), Family::kUtf, Src::kA, Out::kWIncl, kEmbeddedZeros, ZRF_CONV(ZR_Utf7ToUnicode, char, W), 0, 0},
    {"ZR_UnicodeToUtf7", ZRF_ADDR(ZR_UnicodeToUtf7), Family::kUtf, Src::kW, Out::kA, 0, ZRF_CONV(ZR_UnicodeToUtf7, W, char), 0, 0},
    {"ZR_Utf7ToSJis", ZRF_ADDR(ZR_Utf7ToSJis), Family::kUtf, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_Utf7ToSJis, char, char), 0, 0},
    {"ZR_SJisToUtf7", ZRF_ADDR(ZR_SJisToUtf7), Family::kUtf, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_SJisToUtf7, char, char), 0, 0},
    {"ZR_IsUtf8Char", ZRF_ADDR(ZR_IsUtf8Char), Family::kUtf, Src::kA, Out::kInt, 0, ZRF_TEST(ZR_IsUtf8Char, char), 0, 6},
    // EBCDIC (the single-code functions have no string and are checked apart)
    {"ZR_AsciiToEbcdic", ZRF_ADDR(ZR_AsciiToEbcdic), Family::kEbcdic, Src::kA, Out::kA, kExtraArg, ZRF_CONV_X(ZR_AsciiToEbcdic, char, char), 0, 0},
    {"ZR_EbcdicToAscii", ZRF_ADDR(ZR_EbcdicToAscii), Family::kEbcdic, Src::kA, Out::kA, kExtraArg, ZRF_CONV_X(ZR_EbcdicToAscii, char, char), 0, 0},
    // Base64
    {"ZR_Base64_Encode", ZRF_ADDR(ZR_Base64_Encode), Family::kBase64, Src::kBytes, Out::kA, kMayFillExactly, ZRF_LEN(ZR_Base64_Encode), 0, 0},
    {"ZR_Base64_Decode", ZRF_ADDR(ZR_Base64_Decode), Family::kBase64, Src::kA, Out::kRaw, 0, ZRF_CONV(ZR_Base64_Decode, char, unsigned char), 0, 0},
    {"ZR_Base64_EncodeJISW", ZRF_ADDR(ZR_Base64_EncodeJISW), Family::kBase64Charset, Src::kW, Out::kA, kPartial | kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeJISW, W, char), 0, 0},
    {"ZR_Base64_EncodeJISA", ZRF_ADDR(ZR_Base64_EncodeJISA), Family::kBase64Charset, Src::kA, Out::kA, kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeJISA, char, char), 0, 0},
    {"ZR_Base64_EncodeSJISW", ZRF_ADDR(ZR_Base64_EncodeSJISW), Family::kBase64Charset, Src::kW, Out::kA, kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeSJISW, W, char), 0, 0},
    {"ZR_Base64_EncodeSJISA", ZRF_ADDR(ZR_Base64_EncodeSJISA), Family::kBase64Charset, Src::kA, Out::kA, kMayFillExactly, ZRF_CONV(ZR_Base64_EncodeSJISA, char, char), 0, 0},
    {"ZR_Base64_EncodeEUCW", ZRF_ADDR(ZR_Base64_EncodeEUCW), Family::kBase64Charset, Src::kW, Out::kA, kPartial | kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeEUCW, W, char), 0, 0},
    {"ZR_Base64_EncodeEUCA", ZRF_ADDR(ZR_Base64_EncodeEUCA), Family::kBase64Charset, Src::kA, Out::kA, kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeEUCA, char, char), 0, 0},
    {"ZR_Base64_EncodeUTF8W", ZRF_ADDR(ZR_Base64_EncodeUTF8W), Family::kBase64Charset, Src::kW, Out::kA, kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeUTF8W, W, char), 0, 0},
    {"ZR_Base64_EncodeUTF8A", ZRF_ADDR(ZR_Base64_EncodeUTF8A), Family::kBase64Charset, Src::kA, Out::kA, kMayFillExactly | kScratch, ZRF_CONV(ZR_Base64_EncodeUTF8A, char, char), 0, 0},
    {"ZR_Base64_DecodeJISW", ZRF_ADDR(ZR_Base64_DecodeJISW), Family::kBase64Charset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_Base64_DecodeJISW, char, W), 0, 0},
    {"ZR_Base64_DecodeJISA", ZRF_ADDR(ZR_Base64_DecodeJISA), Family::kBase64Charset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_Base64_DecodeJISA, char, char), 0, 0},
    {"ZR_Base64_DecodeSJISW", ZRF_ADDR(ZR_Base64_DecodeSJISW), Family::kBase64Charset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_Base64_DecodeSJISW, char, W), 0, 0},
    {"ZR_Base64_DecodeSJISA", ZRF_ADDR(ZR_Base64_DecodeSJISA), Family::kBase64Charset, Src::kA, Out::kRaw, 0, ZRF_CONV(ZR_Base64_DecodeSJISA, char, char), 0, 0},
    {"ZR_Base64_DecodeEUCW", ZRF_ADDR(ZR_Base64_DecodeEUCW), Family::kBase64Charset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_Base64_DecodeEUCW, char, W), 0, 0},
    {"ZR_Base64_DecodeEUCA", ZRF_ADDR(ZR_Base64_DecodeEUCA), Family::kBase64Charset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_Base64_DecodeEUCA, char, char), 0, 0},
    {"ZR_Base64_DecodeUTF8W", ZRF_ADDR(ZR_Base64_DecodeUTF8W), Family::kBase64Charset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_Base64_DecodeUTF8W, char, W), 0, 0},
    {"ZR_Base64_DecodeUTF8A", ZRF_ADDR(ZR_Base64_DecodeUTF8A), Family::kBase64Charset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_Base64_DecodeUTF8A, char, char), 0, 0},
    // Quoted-Printable
    {"ZR_QuotedPrintable_Encode", ZRF_ADDR(ZR_QuotedPrintable_Encode), Family::kQp, Src::kBytes, Out::kA, 0, ZRF_LEN(ZR_QuotedPrintable_Encode), 0, 0},
    {"ZR_QuotedPrintable_Decode", ZRF_ADDR(ZR_QuotedPrintable_Decode), Family::kQp, Src::kA, Out::kRaw, 0, ZRF_CONV(ZR_QuotedPrintable_Decode, char, unsigned char), 0, 0},
    {"ZR_QuotedPrintable_EncodeJISW", ZRF_ADDR(ZR_QuotedPrintable_EncodeJISW), Family::kQpCharset, Src::kW, Out::kA, kPartial | kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeJISW, W, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeJISA", ZRF_ADDR(ZR_QuotedPrintable_EncodeJISA), Family::kQpCharset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeJISA, char, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeSJISW", ZRF_ADDR(ZR_QuotedPrintable_EncodeSJISW), Family::kQpCharset, Src::kW, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeSJISW, W, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeSJISA", ZRF_ADDR(ZR_QuotedPrintable_EncodeSJISA), Family::kQpCharset, Src::kA, Out::kA, 0, ZRF_CONV(ZR_QuotedPrintable_EncodeSJISA, char, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeEUCW", ZRF_ADDR(ZR_QuotedPrintable_EncodeEUCW), Family::kQpCharset, Src::kW, Out::kA, kPartial | kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeEUCW, W, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeEUCA", ZRF_ADDR(ZR_QuotedPrintable_EncodeEUCA), Family::kQpCharset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeEUCA, char, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeUTF8W", ZRF_ADDR(ZR_QuotedPrintable_EncodeUTF8W), Family::kQpCharset, Src::kW, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeUTF8W, W, char), 0, 0},
    {"ZR_QuotedPrintable_EncodeUTF8A", ZRF_ADDR(ZR_QuotedPrintable_EncodeUTF8A), Family::kQpCharset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_EncodeUTF8A, char, char), 0, 0},
    {"ZR_QuotedPrintable_DecodeJISW", ZRF_ADDR(ZR_QuotedPrintable_DecodeJISW), Family::kQpCharset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeJISW, char, W), 0, 0},
    {"ZR_QuotedPrintable_DecodeJISA", ZRF_ADDR(ZR_QuotedPrintable_DecodeJISA), Family::kQpCharset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeJISA, char, char), 0, 0},
    {"ZR_QuotedPrintable_DecodeSJISW", ZRF_ADDR(ZR_QuotedPrintable_DecodeSJISW), Family::kQpCharset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeSJISW, char, W), 0, 0},
    {"ZR_QuotedPrintable_DecodeSJISA", ZRF_ADDR(ZR_QuotedPrintable_DecodeSJISA), Family::kQpCharset, Src::kA, Out::kRaw, 0, ZRF_CONV(ZR_QuotedPrintable_DecodeSJISA, char, char), 0, 0},
    {"ZR_QuotedPrintable_DecodeEUCW", ZRF_ADDR(ZR_QuotedPrintable_DecodeEUCW), Family::kQpCharset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeEUCW, char, W), 0, 0},
    {"ZR_QuotedPrintable_DecodeEUCA", ZRF_ADDR(ZR_QuotedPrintable_DecodeEUCA), Family::kQpCharset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeEUCA, char, char), 0, 0},
    {"ZR_QuotedPrintable_DecodeUTF8W", ZRF_ADDR(ZR_QuotedPrintable_DecodeUTF8W), Family::kQpCharset, Src::kA, Out::kWIncl, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeUTF8W, char, W), 0, 0},
    {"ZR_QuotedPrintable_DecodeUTF8A", ZRF_ADDR(ZR_QuotedPrintable_DecodeUTF8A), Family::kQpCharset, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_QuotedPrintable_DecodeUTF8A, char, char), 0, 0},
    // URL tests
    {"ZR_URL_IsProtocolW", ZRF_ADDR(ZR_URL_IsProtocolW), Family::kUrlTest, Src::kW, Out::kInt, 0, ZRF_TEST(ZR_URL_IsProtocolW, W), 0, 1},
    {"ZR_URL_IsProtocolA", ZRF_ADDR(ZR_URL_IsProtocolA), Family::kUrlTest, Src::kA, Out::kInt, 0, ZRF_TEST(ZR_URL_IsProtocolA, char), 0, 1},
    {"ZR_URL_IsJisEncodeW", ZRF_ADDR(ZR_URL_IsJisEncodeW), Family::kUrlTest, Src::kW, Out::kInt, 0, ZRF_TEST(ZR_URL_IsJisEncodeW, W), 0, 1},
    {"ZR_URL_IsJisEncodeA", ZRF_ADDR(ZR_URL_IsJisEncodeA), Family::kUrlTest, Src::kA, Out::kInt, 0, ZRF_TEST(ZR_URL_IsJisEncodeA, char), 0, 1},
    {"ZR_URL_IsSJisEncodeW", ZRF_ADDR(ZR_URL_IsSJisEncodeW), Family::kUrlTest, Src::kW, Out::kInt, kScratch, ZRF_TEST(ZR_URL_IsSJisEncodeW, W), 0, 1},
    {"ZR_URL_IsSJisEncodeA", ZRF_ADDR(ZR_URL_IsSJisEncodeA), Family::kUrlTest, Src::kA, Out::kInt, kScratch, ZRF_TEST(ZR_URL_IsSJisEncodeA, char), 0, 1},
    {"ZR_URL_IsEucEncodeW", ZRF_ADDR(ZR_URL_IsEucEncodeW), Family::kUrlTest, Src::kW, Out::kInt, kScratch, ZRF_TEST(ZR_URL_IsEucEncodeW, W), 0, 1},
    {"ZR_URL_IsEucEncodeA", ZRF_ADDR(ZR_URL_IsEucEncodeA), Family::kUrlTest, Src::kA, Out::kInt, kScratch, ZRF_TEST(ZR_URL_IsEucEncodeA, char), 0, 1},
    {"ZR_URL_IsUtf8EncodeW", ZRF_ADDR(ZR_URL_IsUtf8EncodeW), Family::kUrlTest, Src::kW, Out::kInt, kScratch, ZRF_TEST(ZR_URL_IsUtf8EncodeW, W), 0, 1},
    {"ZR_URL_IsUtf8EncodeA", ZRF_ADDR(ZR_URL_IsUtf8EncodeA), Family::kUrlTest, Src::kA, Out::kInt, kScratch, ZRF_TEST(ZR_URL_IsUtf8EncodeA, char), 0, 1},
    {"ZR_URL_EncodeTypeW", ZRF_ADDR(ZR_URL_EncodeTypeW), Family::kUrlTest, Src::kW, Out::kInt, kScratch, ZRF_TEST(ZR_URL_EncodeTypeW, W), -1, 3},
    {"ZR_URL_EncodeTypeA", ZRF_ADDR(ZR_URL_EncodeTypeA), Family::kUrlTest, Src::kA, Out::kInt, kScratch, ZRF_TEST(ZR_URL_EncodeTypeA, char), -1, 3},
    // URL decoding
    {"ZR_URL_DecodeJisW", ZRF_ADDR(ZR_URL_DecodeJisW), Family::kUrlDecode, Src::kW, Out::kWIncl, kScratch, ZRF_CONV(ZR_URL_DecodeJisW, W, W), 0, 0},
    {"ZR_URL_DecodeJisA", ZRF_ADDR(ZR_URL_DecodeJisA), Family::kUrlDecode, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_URL_DecodeJisA, char, char), 0, 0},
    {"ZR_URL_DecodeSJisW", ZRF_ADDR(ZR_URL_DecodeSJisW), Family::kUrlDecode, Src::kW, Out::kWIncl, kScratch, ZRF_CONV(ZR_URL_DecodeSJisW, W, W), 0, 0},
    {"ZR_URL_DecodeSJisA", ZRF_ADDR(ZR_URL_DecodeSJisA), Family::kUrlDecode, Src::kA, Out::kA, kNotMonotonic, ZRF_CONV(ZR_URL_DecodeSJisA, char, char), 0, 0},
    {"ZR_URL_DecodeEucW", ZRF_ADDR(ZR_URL_DecodeEucW), Family::kUrlDecode, Src::kW, Out::kWIncl, kScratch, ZRF_CONV(ZR_URL_DecodeEucW, W, W), 0, 0},
    {"ZR_URL_DecodeEucA", ZRF_ADDR(ZR_URL_DecodeEucA), Family::kUrlDecode, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_URL_DecodeEucA, char, char), 0, 0},
    {"ZR_URL_DecodeUtf8W", ZRF_ADDR(ZR_URL_DecodeUtf8W), Family::kUrlDecode, Src::kW, Out::kWIncl, kScratch, ZRF_CONV(ZR_URL_DecodeUtf8W, W, W), 0, 0},
    {"ZR_URL_DecodeUtf8A", ZRF_ADDR(ZR_URL_DecodeUtf8A), Family::kUrlDecode, Src::kA, Out::kA, kScratch, ZRF_CONV(ZR_URL_DecodeUtf8A, char, char), 0, 0},
    {"ZR_URL_DecodeW", ZRF_ADDR(ZR_URL_DecodeW), Family::kUrlDecode, Src::kW, Out::kWIncl, kReportsType | kScratch, ZRF_CONV_T(ZR_URL_DecodeW, W, W), 0, 0},
    {"ZR_URL_DecodeA", ZRF_ADDR(ZR_URL_DecodeA), Family::kUrlDecode, Src::kA, Out::kA, kReportsType | kNotMonotonic | kScratch, ZRF_CONV_T(ZR_URL_DecodeA, char, char), 0, 0},
    // URL encoding
    {"ZR_URL_EncodeW", ZRF_ADDR(ZR_URL_EncodeW), Family::kUrlEncode, Src::kW, Out::kWExcl, kPartial | kExtraArg | kNotMonotonic | kScratch, ZRF_CONV_X(ZR_URL_EncodeW, W, W), 0, 0},
    {"ZR_URL_EncodeA", ZRF_ADDR(ZR_URL_EncodeA), Family::kUrlEncode, Src::kA, Out::kA, kExtraArg | kNotMonotonic | kScratch, ZRF_CONV_X(ZR_URL_EncodeA, char, char), 0, 0},
};

#undef ZRF_CONV
#undef ZRF_CONV_X
#undef ZRF_CONV_T
#undef ZRF_LEN
#undef ZRF_TEST
#undef ZRF_ADDR

inline const Export* FindExport(const char* name) {
    for (const auto& e : kExports) {
        if (__builtin_strcmp(e.name, name) == 0) return &e;
    }
    return nullptr;
}

inline std::size_t UnitSize(Out o) { return (o == Out::kWIncl || o == Out::kWExcl) ? 2 : 1; }

}  // namespace zr::fuzz
