// base64_avx2.cpp - the Base64 coder's AVX2 blocks, chosen at run time.
#include "mime/base64_blocks.hpp"

#if defined(ZR_SIMD_RUNTIME_X86_64)

#include "mime/base64.hpp"

namespace zr::mime {

namespace {

// A character's class comes from two 16-entry lookups, one by its high and
// one by its low nibble: the first gives the one bit of the nibble's row,
// the second the bits of the rows in which that column is not in the
// alphabet, so an AND that is not zero marks a stray character, bytes from
// 0x80 up included (their rows have a bit that every column sets).
ZR_TARGET_AVX2 inline __m256i StrayCharacters(__m256i chars) noexcept {
    // Row bits: 0x01 the rows of "A-O" and "a-o", 0x02 those of "P-Z" and
    // "p-z", 0x04 the digits' row, 0x08 the row of "+" and "/", 0x10 every
    // row with no alphabet character.
    const __m256i rowBit = _mm256_setr_epi8(0x10, 0x10, 0x08, 0x04, 0x01, 0x02, 0x01, 0x02, 0x10, 0x10, 0x10, 0x10,
                                            0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x08, 0x04, 0x01, 0x02, 0x01, 0x02,
                                            0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x10);
    const __m256i strayRows = _mm256_setr_epi8(0x19, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x18, 0x1C,
                                               0x16, 0x1E, 0x1E, 0x1E, 0x16, 0x19, 0x18, 0x18, 0x18, 0x18, 0x18,
                                               0x18, 0x18, 0x18, 0x18, 0x1C, 0x16, 0x1E, 0x1E, 0x1E, 0x16);
    const __m256i nibble = _mm256_set1_epi8(0x0F);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), nibble);
    return _mm256_and_si256(_mm256_shuffle_epi8(rowBit, high),
                            _mm256_shuffle_epi8(strayRows, _mm256_and_si256(chars, nibble)));
}

// The 24 bytes of 32 alphabet characters, in the low 24 of the result.
// Within the alphabet a value is the character plus an offset fixed by its
// row, save that "+" and "/" share a row: "/" is moved to the row before it,
// which no alphabet character uses.
ZR_TARGET_AVX2 inline __m256i DecodeBlock(__m256i chars) noexcept {
    // Offsets by row, "/" taking row 1.
    const __m256i rowOffset = _mm256_setr_epi8(0, 16, 19, 4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 19,
                                               4, -65, -65, -71, -71, 0, 0, 0, 0, 0, 0, 0, 0);
    // Six-bit values to 12-bit pairs (first x 64 + second), pairs to 24-bit
    // groups (first x 4096 + second); then each group's three bytes, most
    // significant first, to the front of its lane, and the two lanes' 12
    // bytes together.
    const __m256i pairWeights = _mm256_set1_epi32(0x01400140);
    const __m256i groupWeights = _mm256_set1_epi32(0x00011000);
    const __m256i groupBytes = _mm256_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1, 2, 1, 0, 6,
                                                5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
    const __m256i joinLanes = _mm256_setr_epi32(0, 1, 2, 4, 5, 6, 3, 3);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi32(chars, 4), _mm256_set1_epi8(0x0F));
    const __m256i row = _mm256_add_epi8(high, _mm256_cmpeq_epi8(chars, _mm256_set1_epi8('/')));
    const __m256i values = _mm256_add_epi8(chars, _mm256_shuffle_epi8(rowOffset, row));
    const __m256i pairs = _mm256_maddubs_epi16(values, pairWeights);
    const __m256i groups = _mm256_madd_epi16(pairs, groupWeights);
    return _mm256_permutevar8x32_epi32(_mm256_shuffle_epi8(groups, groupBytes), joinLanes);
}

// The 32 characters of 24 bytes, given as one 32-bit cell a group holding
// its bytes as b1 b0 b2 b1: two multiplies move the group's four six-bit
// values to the cell's four bytes, and values become characters by an
// offset chosen by range ("A", "a", the digits, "+", "/").
ZR_TARGET_AVX2 inline __m256i EncodeCells(__m256i cells) noexcept {
    const __m256i highMask = _mm256_set1_epi32(0x0FC0FC00);
    const __m256i highShift = _mm256_set1_epi32(0x04000040);
    const __m256i lowMask = _mm256_set1_epi32(0x003F03F0);
    const __m256i lowShift = _mm256_set1_epi32(0x01000010);
    // Offsets by range: index 0 for values below 26 ("A"), 1 for 26-51
    // ("a"), 2-11 for the digits, 12 for "+" and 13 for "/"; the index is
    // the value's excess over 51, plus one from 26 up.
    const __m256i rangeOffset = _mm256_setr_epi8('A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                                 '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63,
                                                 0, 0, 'A', 'a' - 26, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52,
                                                 '0' - 52, '0' - 52, '0' - 52, '0' - 52, '0' - 52, '+' - 62, '/' - 63,
                                                 0, 0);
    const __m256i values = _mm256_or_si256(_mm256_mulhi_epu16(_mm256_and_si256(cells, highMask), highShift),
                                           _mm256_mullo_epi16(_mm256_and_si256(cells, lowMask), lowShift));
    const __m256i range = _mm256_sub_epi8(_mm256_subs_epu8(values, _mm256_set1_epi8(51)),
                                          _mm256_cmpgt_epi8(values, _mm256_set1_epi8(25)));
    return _mm256_add_epi8(values, _mm256_shuffle_epi8(rangeOffset, range));
}

// The cells of the 24 bytes at `at`, read by two 16-byte loads (28 bytes
// must be readable; the second lane's starts 12 in).
ZR_TARGET_AVX2 inline __m256i CellsFromTwoLoads(const std::uint8_t* at) noexcept {
    const __m256i spread = _mm256_setr_epi8(1, 0, 2, 1, 4, 3, 5, 4, 7, 6, 8, 7, 10, 9, 11, 10, 1, 0, 2, 1, 4, 3, 5,
                                            4, 7, 6, 8, 7, 10, 9, 11, 10);
    const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at + 12));
    return _mm256_shuffle_epi8(_mm256_set_m128i(second, first), spread);
}

// The same cells by one 32-byte load from four bytes before `at` (which
// must be inside the input, as must 28 bytes from `at`): the first lane
// finds its 12 bytes 4 in, the second at its start, so no lane crossing is
// needed.
ZR_TARGET_AVX2 inline __m256i CellsFromOneLoad(const std::uint8_t* at) noexcept {
    const __m256i spread = _mm256_setr_epi8(5, 4, 6, 5, 8, 7, 9, 8, 11, 10, 12, 11, 14, 13, 15, 14, 1, 0, 2, 1, 4, 3,
                                            5, 4, 7, 6, 8, 7, 10, 9, 11, 10);
    return _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(at - 4)), spread);
}

ZR_TARGET_AVX2 inline void Store(std::uint8_t* at, __m256i v) noexcept {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(at), v);
}

}  // namespace

// Decodes blocks of 32 characters (eight groups) into 24 bytes each, for as
// long as a whole block is left in the text and 32 bytes of room are left in
// dst: the store writes the 24 bytes and eight spare ones, which the next
// block, the plain loop or the closing zero-fill replaces. It stops before a
// block with any character outside the alphabet, which the caller takes in
// plain steps: the bytes written are the plain loop's, only the size of the
// steps differs. (Leaving those steps out of this loop keeps its constants
// in registers: a call would clobber them.)
ZR_TARGET_AVX2 BlockProgress
Base64_DecodeBlocksAvx2(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    const std::size_t n = src.size();
    const std::size_t size = dst.size();
    const char* text = src.data();
    std::uint8_t* out = dst.data();
    std::size_t offset = 0;
    std::size_t pos = 0;
    // Two blocks a round with one test for both, which lets the second
    // block's lookups overlap the first one's arithmetic; the second store
    // ends 56 bytes past pos.
    while (n - offset >= 64 && size - pos >= 56) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + offset));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + offset + 32));
        const __m256i stray = _mm256_or_si256(StrayCharacters(a), StrayCharacters(b));
        if (!_mm256_testz_si256(stray, stray)) break;
        Store(out + pos, DecodeBlock(a));
        Store(out + pos + 24, DecodeBlock(b));
        offset += 64;
        pos += 48;
    }
    while (n - offset >= 32 && size - pos >= 32) {
        const __m256i chars = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + offset));
        const __m256i stray = StrayCharacters(chars);
        if (!_mm256_testz_si256(stray, stray)) break;
        Store(out + pos, DecodeBlock(chars));
        offset += 32;
        pos += 24;
    }
    return {offset, pos};
}

// Encodes blocks of 24 bytes (eight whole groups) into 32 characters each
// while 28 bytes are left; the caller has made sure dst holds every group.
// The first block reads its bytes by two loads, the later ones by one that
// starts four bytes back; four blocks a round while the last one's load
// stays inside the bytes (100 from the round's start), then single ones.
ZR_TARGET_AVX2 BlockProgress
Base64_EncodeBlocksAvx2(std::span<const std::uint8_t> src, char* out) noexcept {
    const std::uint8_t* in = src.data();
    auto* to = reinterpret_cast<std::uint8_t*>(out);
    const std::size_t n = src.size();
    std::size_t i = 0;
    std::size_t pos = 0;
    if (n >= 28) {
        Store(to, EncodeCells(CellsFromTwoLoads(in)));
        i = 24;
        pos = 32;
    }
    while (n - i >= 100) {
        Store(to + pos, EncodeCells(CellsFromOneLoad(in + i)));
        Store(to + pos + 32, EncodeCells(CellsFromOneLoad(in + i + 24)));
        Store(to + pos + 64, EncodeCells(CellsFromOneLoad(in + i + 48)));
        Store(to + pos + 96, EncodeCells(CellsFromOneLoad(in + i + 72)));
        i += 96;
        pos += 128;
    }
    while (n - i >= 28) {
        Store(to + pos, EncodeCells(CellsFromOneLoad(in + i)));
        i += 24;
        pos += 32;
    }
    return {i, pos};
}

}  // namespace zr::mime

#endif
