// qp_blocks.hpp - the Quoted-Printable decoder's vector blocks: what the
// kernels share, and the kernels, one file per instruction-set level
// (qp_sse2.cpp, qp_ssse3.cpp, qp_avx2.cpp; levels in cpu/levels.hpp).
// quoted_printable.cpp chooses among them and takes the steps between.
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "cpu/levels.hpp"
#include "mime/quoted_printable.hpp"

#if defined(ZR_SIMD_SSE2)

namespace zr::mime {

// A decoding block: sixteen characters from a step's start, and the two
// after them that an escape begun at one of the last places reaches into.
inline constexpr std::size_t kBlockOutput = 16;
inline constexpr std::size_t kBlockReach = 18;

// What a block holds: its bytes, one per place (the escape's value where
// "=" is, the character elsewhere), the places whose bytes are written, and
// how many characters its steps use.
struct QuotedPrintableBlock {
    __m128i value;
    unsigned written;
    unsigned consumed;
};

// Reads the sixteen characters at `in`, which start a step, and the two
// after them. False when some step among them is not a literal, "=" and two
// hexadecimal digits, or "=" CR LF; such a block goes step by step, and so
// do the rarer soft breaks ("=" LF, padding before the line break) and an
// "=" that stands for itself, each of which moves the steps by another count.
//
// Since "=" is never a digit, once every "=" is known to be followed by two
// digits or CR LF none of them lies inside another's escape, and the steps
// start wherever neither of the two places before holds "=". Only those
// places are tested, an escape's digits being anything.
inline bool QuotedPrintable_ReadBlock(const unsigned char* in, QuotedPrintableBlock& block) noexcept {
    const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 1));
    const __m128i c2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2));
    const __m128i equals = _mm_cmpeq_epi8(c0, _mm_set1_epi8('='));
    // Literals and "=": 0x20..0x7E, which a signed test after adding one
    // takes alone (0x7F turns negative), then tab, LF and CR.
    const __m128i printable = _mm_cmpgt_epi8(_mm_add_epi8(c0, _mm_set1_epi8(1)), _mm_set1_epi8(0x20));
    const __m128i control = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(c0, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(c0, _mm_set1_epi8('\n'))),
        _mm_cmpeq_epi8(c0, _mm_set1_epi8('\r')));
    // Whether the character after each place is a hexadecimal digit, each
    // range tested by an unsigned minimum, and its value: "0"-"9", "A"-"F"
    // and "a"-"f" all keep it in their low four bits, the letters less 9.
    const __m128i digit = _mm_sub_epi8(c1, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c1, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    const __m128i high =
        _mm_add_epi8(_mm_and_si128(c1, _mm_set1_epi8(0x0F)), _mm_and_si128(isLetter, _mm_set1_epi8(9)));
    // The character two after a place is the one after the next place, save
    // for the last place, whose second digit is in[17].
    const int last = kHexDigitValue[in[17]];
    const __m128i low = _mm_or_si128(_mm_srli_si128(high, 1), _mm_slli_si128(_mm_cvtsi32_si128(last & 0x0F), 15));
    // The values stay below 16, so a 16-bit shift moves none of them into
    // the next byte.
    const __m128i escaped = _mm_or_si128(_mm_slli_epi16(high, 4), low);
    const __m128i soft =
        _mm_and_si128(_mm_cmpeq_epi8(c1, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(c2, _mm_set1_epi8('\n')));

    const auto bits = [](__m128i lanes) { return static_cast<unsigned>(_mm_movemask_epi8(lanes)); };
    const unsigned eq = bits(equals);
    const unsigned hex = bits(_mm_or_si128(isDigit, isLetter));
    const unsigned twoDigits = hex & (hex >> 1 | static_cast<unsigned>(last >= 0) << 15);
    const unsigned softBreak = bits(soft);
    const unsigned starts = ~(eq << 1 | eq << 2) & 0xFFFF;
    const unsigned refused = starts & (~bits(_mm_or_si128(printable, control)) | (eq & ~(twoDigits | softBreak)));
    if (refused != 0) return false;
    block.value = _mm_or_si128(_mm_and_si128(equals, escaped), _mm_andnot_si128(equals, c0));
    block.written = starts & ~(eq & softBreak);
    // An escape begun at place 14 or 15 ends one or two characters on.
    block.consumed = 16 + ((eq & starts) >> 14);
    return true;
}

// The bits set in each byte value, for splitting a block's output between
// its halves without the POPCNT instruction, which not every processor
// with SSE2 or SSSE3 has.
inline constexpr std::array<std::uint8_t, 256> kBitCount = [] {
    std::array<std::uint8_t, 256> count{};
    for (unsigned v = 0; v < 256; ++v) count[v] = static_cast<std::uint8_t>(std::popcount(v));
    return count;
}();

// Where a block loop stopped: the next character and output position.
struct QuotedPrintableProgress {
    std::size_t i;
    std::size_t pos;
};

// The block loops run while a whole block, with the two characters after
// it, is left in the text and as many bytes of room as the block has
// characters are left in dst, so no step inside a block can meet a full
// dst: the result and the bytes before the position are the steps' own.
// A block stores that many bytes from the position whatever it writes;
// those past the written ones are spare, replaced by a later step or the
// closing zero-fill.

QuotedPrintableProgress QuotedPrintable_DecodeBlocksSse2(std::string_view src, std::span<std::uint8_t> dst,
                                                         QuotedPrintableProgress at) noexcept;

#if defined(ZR_SIMD_RUNTIME)
// For each set of written places among eight, the places in order, as
// byte-shuffle indices; the rest of the eight are filled with the last
// place, whose byte lands among the spare ones.
inline constexpr std::array<std::uint64_t, 256> kCompactHalf = [] {
    std::array<std::uint64_t, 256> table{};
    for (unsigned m = 0; m < 256; ++m) {
        std::uint64_t indices = 0;
        unsigned count = 0;
        for (unsigned k = 0; k < 8; ++k) {
            if (m >> k & 1) indices |= std::uint64_t{k} << (8 * count++);
        }
        for (; count < 8; ++count) indices |= std::uint64_t{7} << (8 * count);
        table[m] = indices;
    }
    return table;
}();

ZR_TARGET_SSSE3 QuotedPrintableProgress QuotedPrintable_DecodeBlocksSsse3(std::string_view src,
                                                                         std::span<std::uint8_t> dst,
                                                                         QuotedPrintableProgress at) noexcept;
ZR_TARGET_AVX2 QuotedPrintableProgress QuotedPrintable_DecodeBlocksAvx2(std::string_view src,
                                                                       std::span<std::uint8_t> dst,
                                                                       QuotedPrintableProgress at) noexcept;
#endif

}  // namespace zr::mime

#endif
