// quoted_printable.hpp - Quoted-Printable text with 76-column soft line breaks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zr::mime {

// Bytes that stand for themselves in both directions: tab, LF, CR and
// printable ASCII except "=". Everything else is escaped as "=XX".
inline constexpr std::array<bool, 256> kQuotedPrintableLiteral = [] {
    std::array<bool, 256> literal{};
    literal[0x09] = literal[0x0A] = literal[0x0D] = true;
    for (int b = 0x20; b <= 0x7E; ++b) literal[b] = b != '=';
    return literal;
}();

// Value of a hexadecimal digit of either case, -1 for any other byte.
inline constexpr std::array<std::int8_t, 256> kHexDigitValue = [] {
    std::array<std::int8_t, 256> v{};
    for (auto& x : v) x = -1;
    for (int c = 0; c < 10; ++c) v['0' + c] = static_cast<std::int8_t>(c);
    for (int c = 0; c < 6; ++c) v['a' + c] = v['A' + c] = static_cast<std::int8_t>(10 + c);
    return v;
}();

// One encoding run: where the next character goes and the column counter
// (1 + the characters on the current output line).
struct QuotedPrintableCursor {
    std::size_t pos = 0;
    int column = 1;
};

// Each writes one byte (with a soft line break first when the line is full);
// false, with nothing written, when the write would not leave two bytes free
// behind it.
bool QuotedPrintable_PutLiteral(std::uint8_t b, std::span<char> dst, QuotedPrintableCursor& at) noexcept;
bool QuotedPrintable_PutEscape(std::uint8_t b, std::span<char> dst, QuotedPrintableCursor& at) noexcept;

// Writes src[i] as literal or escape and moves `i` past it.
bool QuotedPrintable_EncodeByte(std::span<const std::uint8_t> src, std::size_t& i, std::span<char> dst,
                                QuotedPrintableCursor& at) noexcept;

// The step that starts at a byte outside the literal set: a soft line break,
// an escape, or an "=" that begins neither and is copied as itself. False
// when the byte is not "=".
bool QuotedPrintable_DecodeEscape(std::string_view src, std::size_t& i, std::span<std::uint8_t> dst,
                                  std::size_t& pos) noexcept;

// Decodes one literal, escape or soft line break at `i`; false when `dst` is
// full or the byte can start none of them.
bool QuotedPrintable_DecodeStep(std::string_view src, std::size_t& i, std::span<std::uint8_t> dst,
                                std::size_t& pos) noexcept;

// Zero-fills `dst`, then writes the Quoted-Printable text of `src`. Returns
// its length, or -1 when `dst` is too small.
std::int32_t QuotedPrintable_Encode(std::span<const std::uint8_t> src, std::span<char> dst) noexcept;

// Zero-fills `dst`, then decodes `src`. Returns the number of bytes written,
// or -1 when `dst` is full before the text ends or a byte can start no step.
std::int32_t QuotedPrintable_Decode(std::string_view src, std::span<std::uint8_t> dst) noexcept;

// How the decoder may take runs of plain steps: one step at a time only,
// sixteen characters at once with SSE2, the same with SSSE3's byte shuffle
// placing the bytes, or 32 at once with AVX2. QuotedPrintable_Decode takes
// the fastest that the build and the processor offer; tests run each of the
// others too, so that every one is held to the step-by-step result on any
// machine.
enum class QuotedPrintableBlocks { None, Sse2, Ssse3, Avx2 };

// Whether this build on this processor has `blocks`.
bool QuotedPrintable_HasBlocks(QuotedPrintableBlocks blocks) noexcept;

// QuotedPrintable_Decode with the given blocks, or with none where they are
// missing; the result and dst are the same whichever are used.
std::int32_t QuotedPrintable_DecodeWith(QuotedPrintableBlocks blocks, std::string_view src,
                                        std::span<std::uint8_t> dst) noexcept;

}  // namespace zr::mime
