// url.hpp - internals of the URL family: scheme test, unescaping, encoding
// detection, decoding and escaping.
//
// A "W" routine reads or writes UTF-16 URL text, an "A" routine 8-bit text;
// each pair behaves identically on the same characters. Nothing here throws
// and nothing keeps state between calls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "zr_moji.h"

namespace zr::url {

// ---- scheme.cpp: tests on the raw URL text ---------------------------------

// True when the URL begins with one of the known schemes ("http:" ...).
bool IsProtocolW(const char16_t* url) noexcept;
bool IsProtocolA(const char* url) noexcept;

// True when "%1B%24B" (ESC $ B escaped in upper case) occurs anywhere.
bool IsJisEncodeW(const char16_t* url) noexcept;
bool IsJisEncodeA(const char* url) noexcept;

// ---- unescape.cpp ----------------------------------------------------------

// Decodes '+' to a space and "%hh" to one byte; every other character stands
// for one byte (the W form keeps the low eight bits of the unit). Stops at the
// terminator, at the first '%' not followed by two hexadecimal digits, once
// `limit` characters of `src` have been consumed, or once out.size() - 1
// bytes have been written. Always terminates `out` when it is not empty and
// returns the number of bytes before the first NUL byte in it.
std::size_t URL_UnescapeW(const char16_t* src, std::span<std::uint8_t> out, std::size_t limit) noexcept;
std::size_t URL_UnescapeA(const char* src, std::span<std::uint8_t> out, std::size_t limit) noexcept;

// The same walk over a whole URL with limit = TextLength(src) into `out`,
// which holds TextLength(src) + 1 bytes, ending also at the first NUL byte
// that comes out: returns the same count, with out[count] == 0. The bytes
// past that NUL, which no reader of a C string sees, are not written.
std::size_t URL_UnescapeAllW(const char16_t* src, std::uint8_t* out) noexcept;
std::size_t URL_UnescapeAllA(const char* src, std::uint8_t* out) noexcept;

// Length of a NUL-terminated text in characters.
std::size_t TextLength(const char16_t* s) noexcept;
std::size_t TextLength(const char* s) noexcept;

// ---- detect.cpp: tests on the unescaped bytes ------------------------------

// Each test passes when the bytes hold at least one character of its
// encoding and nothing that cannot belong to it. Bytes past the end of the
// span read as NUL.
bool LooksLikeSJis(std::span<const std::uint8_t> bytes) noexcept;
bool LooksLikeEuc(std::span<const std::uint8_t> bytes) noexcept;
bool LooksLikeUtf8(std::span<const std::uint8_t> bytes) noexcept;

// The same tests run on a URL, which each one unescapes for itself into a
// scratch buffer. A scratch buffer that cannot be had fails the test.
bool IsSJisEncodeW(const char16_t* url) noexcept;
bool IsSJisEncodeA(const char* url) noexcept;
bool IsEucEncodeW(const char16_t* url) noexcept;
bool IsEucEncodeA(const char* url) noexcept;
bool IsUtf8EncodeW(const char16_t* url) noexcept;
bool IsUtf8EncodeA(const char* url) noexcept;

// ZR_ENCODE_JIS, _UTF8, _EUC, _SJIS by the first test that passes, in that
// order, else ZR_ENCODE_NONE.
std::int32_t EncodeTypeW(const char16_t* url) noexcept;
std::int32_t EncodeTypeA(const char* url) noexcept;

// ---- decode.cpp ------------------------------------------------------------

// A conversion export of the charset family that turns the unescaped bytes
// into the caller's text.
using BytesToWide = std::int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, std::int32_t);
using BytesToNarrow = std::int32_t(ZR_CALL*)(const char*, char*, std::int32_t);

// Unescapes `src` into scratch and hands the bytes to `convert`; -1 (and
// `dst` untouched) when no byte came out.
std::int32_t DecodeW(const char16_t* src, ZR_WCHAR* dst, std::int32_t dstSize, BytesToWide convert) noexcept;
std::int32_t DecodeA(const char* src, char* dst, std::int32_t dstSize, BytesToNarrow convert) noexcept;

// DecodeA with the UTF-8 to Shift_JIS conversion, in one pass for the
// usual URL.
std::int32_t DecodeUtf8A(const char* src, char* dst, std::int32_t dstSize) noexcept;

// Shift_JIS needs no conversion: unescapes straight into `dst`, stopping once
// `dstSize` characters of `src` have been consumed, and writing at most
// `dstSize` bytes with the terminator.
std::int32_t DecodeSJisA(const char* src, char* dst, std::int32_t dstSize) noexcept;

// ---- escape.cpp ------------------------------------------------------------

// Each routine walks NUL-terminated bytes of its encoding and writes the URL
// text and its terminator into `dst`. Result: the characters written before
// the terminator, or -1 when the text with its terminator would not fit in
// `dstSize` characters; `dst` is then an empty string (untouched when
// `dstSize` is 0). Nothing is ever written at or beyond dst[dstSize].
std::int32_t URL_EscapeJisW(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeJisA(const char* bytes, char* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeSJisW(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeSJisA(const char* bytes, char* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeEucW(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeEucA(const char* bytes, char* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeUtf8W(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept;
std::int32_t URL_EscapeUtf8A(const char* bytes, char* dst, std::int32_t dstSize) noexcept;

// The URL text that converting to UTF-8 and then escaping it would give,
// in one pass, without its terminator: from Shift_JIS text through the host
// converter's reading of each character, or from UTF-16 text. Not modelled:
// a text longer than `limit` characters, a character the per-character
// table does not know, a lead byte without its trail byte, a surrogate; the
// caller then takes the two steps. `out` needs room for 9 * limit + 16
// characters.
struct FusedEscape {
    bool modelled;
    std::size_t length;
};
FusedEscape URL_EscapeSJisAsUtf8A(const std::uint8_t* s, std::size_t limit, char* out) noexcept;
FusedEscape URL_EscapeUnitsAsUtf8W(const char16_t* s, std::size_t limit, char16_t* out) noexcept;

// True for the bytes written as themselves by the byte-escape rule.
bool IsSafeByte(std::uint8_t b) noexcept;

// Byte-escape rule: a safe byte as itself, any other as '%' and two
// upper-case hexadecimal digits. Writes at `out` (room for kMaxEscapedByte
// characters, no terminator) and returns the characters written, 1 or 3.
constexpr int kMaxEscapedByte = 3;
int URL_EscapeByteW(std::uint8_t b, char16_t* out) noexcept;
int URL_EscapeByteA(std::uint8_t b, char* out) noexcept;

// ---- encode.cpp ------------------------------------------------------------

using WideToBytes = std::int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, std::int32_t);
using NarrowToBytes = std::int32_t(ZR_CALL*)(const char*, char*, std::int32_t);
using EscapeToWide = std::int32_t (*)(const char*, char16_t*, std::int32_t) noexcept;
using EscapeToNarrow = std::int32_t (*)(const char*, char*, std::int32_t) noexcept;

// Converts `src` into scratch with `convert`, then escapes the bytes into
// `dst`. A conversion result of 0 or less is returned as it stands, `dst`
// untouched.
std::int32_t EncodeW(const char16_t* src, char16_t* dst, std::int32_t dstSize, WideToBytes convert,
                     EscapeToWide escape) noexcept;
std::int32_t EncodeA(const char* src, char* dst, std::int32_t dstSize, NarrowToBytes convert,
                     EscapeToNarrow escape) noexcept;

// UTF-8 encoding, the same as EncodeW / EncodeA with the UTF-8 conversion
// and escaping, in one pass for a text of up to 256 characters that fits.
std::int32_t EncodeUtf8W(const char16_t* src, char16_t* dst, std::int32_t dstSize) noexcept;
std::int32_t EncodeUtf8A(const char* src, char* dst, std::int32_t dstSize) noexcept;

}  // namespace zr::url
