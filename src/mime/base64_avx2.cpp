// base64_avx2.cpp - the Base64 coder's AVX2 blocks, chosen at run time.
#include "mime/base64_blocks.hpp"

#if defined(ZR_SIMD_RUNTIME_X86_64)

#include "mime/base64.hpp"

namespace zr::mime {

// Decodes blocks of 32 characters (eight groups) into 24 bytes each, for as
// long as a whole block is left in the text and 32 bytes of room are left in
// dst: the store writes the 24 bytes and eight spare ones, which the next
// block, the plain loop or the closing zero-fill replaces. A block with any
// character outside the alphabet goes through the plain eight-character
// blocks, whose own fallback decodes odd groups one at a time: the bytes
// written are the plain loop's, only the size of the steps differs.
//
// A character's class comes from two 16-entry lookups, one by its high and
// one by its low nibble: the first gives the one bit of the nibble's row,
// the second the bits of the rows in which that column is not in the
// alphabet, so an AND that is not zero marks a stray character, bytes from
// 0x80 up included (their rows have a bit that every column sets). Within
// the alphabet the value is the character plus an offset fixed by its row,
// save that "+" and "/" share a row: "/" is moved to the row before it,
// which no alphabet character uses.
ZR_TARGET_AVX2 BlockProgress
Base64_DecodeBlocksAvx2(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    // Row bits: 0x01 the rows of "A-O" and "a-o", 0x02 those of "P-Z" and
    // "p-z", 0x04 the digits' row, 0x08 the row of "+" and "/", 0x10 every
    // row with no alphabet character.
    const __m256i rowBit = _mm256_setr_epi8(0x10, 0x10, 0x08, 0x04, 0x01, 0x02, 0x01, 0x02, 0x10, 0x10, 0x10, 0x10,
                                            0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x08, 0x04, 0x01, 0x02, 0x01, 0x02,
                                            0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m256i strayRows = _mm256_setr_epi8(0x19, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x1C,
                                               0x16, 0x1E, 0x1E, 0x1E, 0x16, 0x19, 0x18, 0x18, 0x18, 0x18, 0x18,
                                               0x18, 0x18, 0x18, 0x18, 0x1C, 0x16, 0x1E, 0x1E, 0x1E, 0x16);
    // Offsets by row, "/" taking row 1.
    const __m256i rowOffset = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 19,
                                               4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i slash = _mm256_set1_epi8('/');
    // Six-bit values to 12-bit pairs (first x 64 + second), pairs to 24-bit
    // groups (first x 4096 + second); then each group's three bytes, most
    // significant first, to the front of its lane, and the two lanes' 12
    // bytes together.
    const __m256i pairWeights = _mm256_set1_epi32(0x01400140);
    const __m256i groupWeights = _mm256_set1_epi32(0x00011000);
    const __m256i groupBytes = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6,
                                                5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i joinLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 3);

    const std::size_t n = src.size();
    const std::size_t size = dst.size();
    const char* text = src.data();
    std::uint8_t* out = dst.data();
    std::size_t offset = 0;
    std::size_t pos = 0;
    while (n - offset >= 32 && size - pos >= 32) {
        const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + offset));
        const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibble);
        const __m256i low = _mm256_and_si256(chars, nibble);
        if (!_mm256_testz_si256(_mm256_shuffle_epi8(rowBit, high), _mm256_shuffle_epi8(strayRows, low))) {
            for (int k = 0; k < 4; ++k, offset += 8) {
                if (Base64_DecodeEight(text + offset, out + pos)) {
                    pos += 6;
                } else {
                    pos = Base64_DecodeTwoGroups(src, offset, dst, pos);
                }
            }
            continue;
        }
        const __m256i row = _mm256_add_epi8(high, _mm256_cmpeq_epi8(chars, slash));
        const __m256i values = _mm256_add_epi8(chars, _mm256_shuffle_epi8(rowOffset, row));
        const __m256i pairs = _mm256_maddubs_epi16(values, pairWeights);
        const __m256i groups = _mm256_madd_epi16(pairs, groupWeights);
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, groupBytes), joinLanes);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + pos), bytes);
        offset += 32;
        pos += 24;
    }
    return {offset, pos};
}

// Encodes blocks of 24 bytes (eight whole groups) into 32 characters each
// while 28 bytes are left (each lane loads 16, the second starting 12 in, so
// no load passes the end); the caller has made sure dst holds every group.
// Each group's bytes go to a 32-bit cell as b1 b0 b2 b1, where two
// multiplies move its four six-bit values to the cell's four bytes; values
// become characters by an offset chosen by range ("A", "a", the digits, "+",
// "/").
ZR_TARGET_AVX2 BlockProgress
Base64_EncodeBlocksAvx2(std::span<const std::uint8_t> src, char* out) noexcept {
    const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0, 2, 1, 4, 3, 5,
                                            4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m256i highMask = _mm256_set1_epi32(0x0FC0FC00);
    const __m256i highShift = _mm256_set1_epi32(0x04000040);
    const __m256i lowMask = _mm256_set1_epi32(0x003F03F0);
    const __m256i lowShift = _mm256_set1_epi32(0x01000010);
    // Range offsets: index 13 for values below 26, 0 for 26-51, 1-10 for
    // the digits, 11 for "+" and 12 for "/".
    const __m256i rangeOffset = _mm256_setr_epi8('a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                                 '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0,
                                                 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                                 '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63, 'A', 0, 0);
    const __m256i fiftyOne = _mm256_set1_epi8(51);
    const __m256i twentySix = _mm256_set1_epi8(26);
    const __m256i thirteen = _mm256_set1_epi8(13);

    const std::uint8_t* in = src.data();
    const std::size_t n = src.size();
    std::size_t i = 0;
    std::size_t pos = 0;
    while (n - i >= 28) {
        const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i + 12));
        const __m256i bytes = _mm256_shuffle_epi8(_mm256_set_m128i(second, first), spread);
        const __m256i values =
            _mm256_or_si256(_mm256_mulhi_epu16(_mm256_and_si256(bytes, highMask), highShift),
                            _mm256_mullo_epi16(_mm256_and_si256(bytes, lowMask), lowShift));
        __m256i range = _mm256_subs_epu8(values, fiftyOne);
        range = _mm256_or_si256(range, _mm256_and_si256(_mm256_cmpgt_epi8(twentySix, values), thirteen));
        const __m256i chars = _mm256_add_epi8(values, _mm256_shuffle_epi8(rangeOffset, range));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + pos), chars);
        i += 24;
        pos += 32;
    }
    return {i, pos};
}

}  // namespace zr::mime

#endif
