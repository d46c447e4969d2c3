// base64.cpp - Base64 encoder and decoder over plain bytes.
#include "mime/base64.hpp"
#include "mime/cpu.hpp"

#include <bit>
#include <cstring>

#if defined(__GNUC__) || defined(__clang__)
#define ZR_MIME_NOINLINE [[gnu::noinline]]
#else
#define ZR_MIME_NOINLINE
#endif

// The block loops of the encoder and decoder have AVX2 forms on x86-64,
// chosen at run time so that the library still loads on processors without
// it; other targets (the 32-bit DLL among them), and builds with ZR_NO_SIMD,
// have the plain loops alone.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(ZR_NO_SIMD)
#define ZR_MIME_AVX2 1
#include <immintrin.h>
#endif

namespace zr::mime {
namespace {

// The whole-buffer routines first work out whether every group fits. When it
// does, nothing can fail, so the groups are written by an unchecked loop over
// 12-bit lookups and only the bytes after the result are zero-filled: the
// buffer ends up exactly as "zero-fill, then write group by group" leaves it.
// When it does not, the group-by-group loop runs as it stands, so the groups
// written before the one that does not fit stay the same to the byte.

// Two characters for every 12-bit half of a group, in text order.
constexpr std::array<std::array<char, 2>, 4096> kBase64Pairs = [] {
    std::array<std::array<char, 2>, 4096> pairs{};
    for (std::size_t v = 0; v < pairs.size(); ++v) {
        pairs[v] = {Base64Alphabet[v >> 6], Base64Alphabet[v & 0x3F]};
    }
    return pairs;
}();

// The 12 bits of two text characters, indexed by the 16-bit number the two
// make in memory (see LoadTwoChars), so the table suits either byte order.
// A pair with a character outside the alphabet ("=" included) gets
// kBase64PairOdd, and its group is left to Base64_DecodeGroup, which knows
// what such characters do. Only pairs of alphabet characters are ever hot,
// about 12 KiB of the table.
constexpr std::uint16_t kBase64PairOdd = 0x8000;
// Not constexpr: some compilers' constant evaluators give up on 65536
// cells, and then the table is simply filled when the library loads.
const std::array<std::uint16_t, 65536> kBase64PairValues = [] {
    constexpr bool kLittle = std::endian::native == std::endian::little;
    std::array<std::uint16_t, 65536> values{};
    for (std::size_t p = 0; p < values.size(); ++p) {
        const auto low = static_cast<unsigned char>(p & 0xFF);
        const auto high = static_cast<unsigned char>(p >> 8);
        const std::uint32_t first = Base64_CharValue(kLittle ? low : high);
        const std::uint32_t second = Base64_CharValue(kLittle ? high : low);
        values[p] = first == kBase64NotInAlphabet || second == kBase64NotInAlphabet
                        ? kBase64PairOdd
                        : static_cast<std::uint16_t>(first << 6 | second);
    }
    return values;
}();

// The pair value of the two characters at `p`.
std::uint64_t LoadTwoChars(const char* p) noexcept {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return kBase64PairValues[v];
}

// Writes the eight bytes of `v`, most significant first (six decoded bytes
// and two that the next write or the closing zero-fill replaces).
void StoreEightBytesHighFirst(std::uint8_t* p, std::uint64_t v) noexcept {
#if defined(__GNUC__) || defined(__clang__)
    if constexpr (std::endian::native == std::endian::little) {
        v = __builtin_bswap64(v);
        std::memcpy(p, &v, sizeof v);
        return;
    }
#endif
    for (int k = 0; k < 8; ++k) p[k] = static_cast<std::uint8_t>(v >> (56 - 8 * k));
}

// Decodes eight characters of the alphabet into six bytes at `out` (and two
// spare ones after them). False, with nothing written, when any of them is
// outside the alphabet.
bool Base64_DecodeEight(const char* text, std::uint8_t* out) noexcept {
    const std::uint64_t a = LoadTwoChars(text);
    const std::uint64_t b = LoadTwoChars(text + 2);
    const std::uint64_t c = LoadTwoChars(text + 4);
    const std::uint64_t d = LoadTwoChars(text + 6);
    if ((a | b | c | d) & kBase64PairOdd) return false;
    StoreEightBytesHighFirst(out, a << 52 | b << 40 | c << 28 | d << 16);
    return true;
}

// The careful way for a block of two groups that is not all alphabet. Kept
// out of line: inlined, its bookkeeping costs the block loop more than the
// rare call does.
ZR_MIME_NOINLINE std::size_t Base64_DecodeTwoGroups(std::string_view src, std::size_t offset,
                                                    std::span<std::uint8_t> dst, std::size_t pos) noexcept {
    Base64_DecodeGroup(src, offset, dst, pos);
    Base64_DecodeGroup(src, offset + 4, dst, pos);
    return pos;
}

#if defined(ZR_MIME_AVX2)
// Where a block loop stopped: the next input offset and output position.
struct BlockProgress {
    std::size_t offset;
    std::size_t pos;
};

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
__attribute__((target("avx2"))) BlockProgress
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
__attribute__((target("avx2"))) BlockProgress
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

#endif

std::int32_t Base64_EncodeChecked(std::span<const std::uint8_t> src, std::span<char> dst) noexcept {
    std::memset(dst.data(), 0, dst.size());
    const std::size_t n = src.size();
    const std::uint8_t* in = src.data();
    std::size_t i = 0;
    std::size_t pos = 0;
    while (i < n) {
        std::uint32_t group = std::uint32_t{in[i]} << 16;
        int count = 1;
        if (i + 1 < n) {
            group |= std::uint32_t{in[i + 1]} << 8;
            count = 2;
            if (i + 2 < n) {
                group |= in[i + 2];
                count = 3;
            }
        }
        i += static_cast<std::size_t>(count);
        // The result is the length of a terminated text, so the last group
        // must leave a byte for the terminator; only the last group can end
        // on the last byte of dst without a later group failing anyway.
        if (i == n && pos + 4 >= dst.size()) return -1;
        if (!Base64_EncodeGroup(group, count, dst, pos)) return -1;
        pos += 4;
    }
    return static_cast<std::int32_t>(pos);
}

std::int32_t Base64_DecodeChecked(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    std::memset(dst.data(), 0, dst.size());
    std::size_t pos = 0;
    for (std::size_t offset = 0; offset < src.size(); offset += 4) {
        if (!Base64_DecodeGroup(src, offset, dst, pos)) return -1;
    }
    return static_cast<std::int32_t>(pos);
}

}  // namespace

bool Base64_EncodeGroup(std::uint32_t group, int count, std::span<char> dst, std::size_t pos) noexcept {
    if (pos + 4 > dst.size()) return false;
    char* out = dst.data() + pos;
    out[0] = Base64Alphabet[(group >> 18) & 0x3F];
    out[1] = Base64Alphabet[(group >> 12) & 0x3F];
    out[2] = count >= 2 ? Base64Alphabet[(group >> 6) & 0x3F] : '=';
    out[3] = count >= 3 ? Base64Alphabet[group & 0x3F] : '=';
    return true;
}

bool Base64_DecodeGroup(std::string_view src, std::size_t offset, std::span<std::uint8_t> dst,
                        std::size_t& pos) noexcept {
    if (pos + 3 > dst.size()) return false;
    // A text of 4k+1, 4k+2 or 4k+3 characters ends inside its last group: the
    // places from the terminator on count as the terminator does (value 64,
    // not "="), and nothing after it is read.
    const auto at = [&](std::size_t k) noexcept -> unsigned char {
        return k < src.size() ? static_cast<unsigned char>(src[k]) : 0;
    };
    // Nothing is rejected or skipped, and values are combined by shift and OR
    // without masking: a character outside the alphabet (64) leaves its own
    // six bits zero and sets the lowest bit of the six before it, so texts
    // with stray line breaks or spaces decode as they always have.
    std::uint32_t v = Base64_CharValue(at(offset)) << 6 | Base64_CharValue(at(offset + 1));
    int significant = 2;
    for (std::size_t k = offset + 2; k < offset + 4; ++k) {
        v <<= 6;
        const unsigned char c = at(k);
        if (c != '=') {
            v |= Base64_CharValue(c);
            ++significant;
        }
    }
    std::uint8_t* out = dst.data() + pos;
    out[0] = static_cast<std::uint8_t>(v >> 16);
    if (significant >= 3) out[1] = static_cast<std::uint8_t>(v >> 8);
    if (significant == 4) out[2] = static_cast<std::uint8_t>(v);
    pos += static_cast<std::size_t>(significant - 1);
    return true;
}

std::int32_t Base64_Encode(std::span<const std::uint8_t> src, std::span<char> dst) noexcept {
    const std::size_t n = src.size();
    const std::size_t groups = n / 3 + (n % 3 != 0);
    // Every group needs its four characters inside dst and the last one a
    // terminator after them. (4 x groups stays below 2^32 for any int32 n.)
    if (4 * groups >= dst.size()) return Base64_EncodeChecked(src, dst);
    const std::uint8_t* in = src.data();
    char* out = dst.data();
    std::size_t i = 0;
    std::size_t pos = 0;
#if defined(ZR_MIME_AVX2)
    if (CpuHasAvx2()) {
        const BlockProgress done = Base64_EncodeBlocksAvx2(src, out);
        i = done.offset;
        pos = done.pos;
    }
#endif
    for (; i + 3 <= n; i += 3, pos += 4) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
        std::memcpy(out + pos, kBase64Pairs[group >> 12].data(), 2);
        std::memcpy(out + pos + 2, kBase64Pairs[group & 0xFFF].data(), 2);
    }
    if (i < n) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | (i + 1 < n ? std::uint32_t{in[i + 1]} << 8 : 0);
        Base64_EncodeGroup(group, static_cast<int>(n - i), dst, pos);
        pos += 4;
    }
    std::memset(out + pos, 0, dst.size() - pos);
    return static_cast<std::int32_t>(pos);
}

std::int32_t Base64_Decode(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    const std::size_t n = src.size();
    const std::size_t size = dst.size();
    const std::size_t groups = n / 4 + (n % 4 != 0);
    // Three bytes of room before each group, whatever it yields: with three
    // per group in dst no group can be refused.
    if (groups > size / 3) return Base64_DecodeChecked(src, dst);
    const char* text = src.data();
    std::uint8_t* out = dst.data();
    std::size_t offset = 0;
    std::size_t pos = 0;
#if defined(ZR_MIME_AVX2)
    if (CpuHasAvx2()) {
        const BlockProgress done = Base64_DecodeBlocksAvx2(src, dst);
        offset = done.offset;
        pos = done.pos;
    }
#endif
    // Blocks of eight characters inside the text; a block writes at most six
    // bytes and its store two spare bytes after them, so the count below
    // keeps every store inside dst.
    const std::size_t blocksInText = (n - offset) / 8;
    const std::size_t blocksInRoom = size - pos >= 8 ? (size - pos - 8) / 6 + 1 : 0;
    const std::size_t blocks = blocksInText < blocksInRoom ? blocksInText : blocksInRoom;
    for (std::size_t k = 0; k < blocks; ++k, offset += 8) {
        if (Base64_DecodeEight(text + offset, out + pos)) {
            pos += 6;
            continue;
        }
        // Padding, a line break or any other odd character: these two
        // groups go the careful way.
        pos = Base64_DecodeTwoGroups(src, offset, dst, pos);
    }
    for (; offset < n; offset += 4) Base64_DecodeGroup(src, offset, dst, pos);
    std::memset(out + pos, 0, size - pos);
    return static_cast<std::int32_t>(pos);
}

}  // namespace zr::mime
