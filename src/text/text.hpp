// text.hpp - shared types of the text module: code points with the input
// bytes they came from, and the encoding ids of the C API.
#pragma once

#include <cstddef>
#include <cstdint>

#include "zr_text.h"

namespace zr::text {

enum class Enc : std::int32_t {
    kNone = ZRT_ENC_NONE,
    kAscii = ZRT_ENC_ASCII,
    kUtf8 = ZRT_ENC_UTF8,
    kUtf16Le = ZRT_ENC_UTF16LE,
    kUtf16Be = ZRT_ENC_UTF16BE,
    kUtf16 = ZRT_ENC_UTF16,
    kJis = ZRT_ENC_JIS,
    kEucJp = ZRT_ENC_EUCJP,
    kSJis = ZRT_ENC_SJIS,
    kUtf7 = ZRT_ENC_UTF7,
};

constexpr bool IsValidEnc(std::int32_t e) noexcept { return e > ZRT_ENC_NONE && e < ZRT_ENC_COUNT; }

constexpr bool IsUnicodeEnc(Enc e) noexcept {
    return e == Enc::kUtf8 || e == Enc::kUtf16Le || e == Enc::kUtf16Be || e == Enc::kUtf16 || e == Enc::kUtf7;
}

constexpr char32_t kReplacementChar = 0xFFFD;
constexpr char32_t kBom = 0xFEFF;

}  // namespace zr::text
