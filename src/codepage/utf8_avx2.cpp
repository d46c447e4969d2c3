// utf8_avx2.cpp - the ASCII runs of the UTF-8 converter in AVX2, chosen at
// run time (utf8_lanes.hpp).
#include "codepage/utf8_lanes.hpp"

#if defined(ZR_SIMD_RUNTIME)

namespace zr::codepage {
namespace {

// For four units of one or three bytes, each as four bytes in a 32-bit
// lane (utf8_lanes.hpp), by which of them are of three bytes (bit k for
// unit k): the byte shuffle that packs their bytes together, and how many
// bytes that gives. Lanes not used take zeros.
struct Compaction {
    std::uint8_t shuffle[16][16];
    std::uint8_t length[16];
};

constexpr Compaction BuildCompaction() {
    Compaction c{};
    for (unsigned threes = 0; threes < 16; ++threes) {
        unsigned at = 0;
        for (unsigned k = 0; k < 4; ++k) {
            const unsigned bytes = (threes >> k & 1) != 0 ? 3 : 1;
            for (unsigned b = 0; b < bytes; ++b) c.shuffle[threes][at++] = static_cast<std::uint8_t>(4 * k + b);
        }
        c.length[threes] = static_cast<std::uint8_t>(at);
        for (; at < 16; ++at) c.shuffle[threes][at] = 0x80;
    }
    return c;
}

alignas(16) constexpr Compaction kCompaction = BuildCompaction();

// The shuffles of two quarters, one for each 128-bit lane.
ZR_TARGET_AVX2 inline __m256i Shuffles(unsigned low, unsigned high) noexcept {
    return _mm256_set_m128i(_mm_load_si128(reinterpret_cast<const __m128i*>(kCompaction.shuffle[high])),
                            _mm_load_si128(reinterpret_cast<const __m128i*>(kCompaction.shuffle[low])));
}

}  // namespace

// 64 bytes a round: one test of both loads, then four stores of 16 units.
// Under 64 bytes left, or a round with a byte from 0x80 up, the SSE2 form
// goes on from where this one stopped.
ZR_TARGET_AVX2 std::size_t WidenAsciiRunAvx2(const std::uint8_t* s, std::size_t n, char16_t* d) noexcept {
    std::size_t i = 0;
    for (; n - i >= 64; i += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 32));
        if (_mm256_movemask_epi8(_mm256_or_si256(a, b)) != 0) break;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(a)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 16), _mm256_cvtepu8_epi16(_mm256_extracti128_si256(a, 1)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 32), _mm256_cvtepu8_epi16(_mm256_castsi256_si128(b)));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 48), _mm256_cvtepu8_epi16(_mm256_extracti128_si256(b, 1)));
    }
    return i + WidenAsciiRun(s + i, n - i, d + i);
}

// 64 units a round; the pack works within 128-bit lanes, so the quarters
// come out in the order 0 2 1 3 and one permutation puts them right.
ZR_TARGET_AVX2 std::size_t NarrowAsciiRunAvx2(const char16_t* s, std::size_t n, char* d) noexcept {
    std::size_t i = 0;
    const __m256i high = _mm256_set1_epi16(static_cast<short>(0xFF80));
    for (; n - i >= 64; i += 64) {
        const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 16));
        const __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 32));
        const __m256i e = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i + 48));
        const __m256i all = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, e));
        if (!_mm256_testz_si256(all, high)) break;
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(a, b), 0xD8));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + i + 32),
                            _mm256_permute4x64_epi64(_mm256_packus_epi16(c, e), 0xD8));
    }
    return i + NarrowAsciiRun(s + i, n - i, d + i);
}

// Blocks of units, each of one or three bytes but not all ASCII, for as
// long as 32 units are left to read and the room holds a block's stores:
// the bytes of EncodeAsciiOrThree8, packed by byte shuffles instead of a
// store per unit. A block stores 16 bytes after each quarter of its output
// (four units), so a block of sixteen up to 52 bytes from where it begins
// and one of eight up to 28, and at most 12 past those it counts, which
// the next block or the 16 or more units after it overwrite.
ZR_TARGET_AVX2 std::size_t EncodeAsciiOrThreeRunAvx2(const char16_t* s, std::size_t n, char* d, std::size_t room,
                                                     std::size_t& taken) noexcept {
    std::size_t i = 0;
    std::size_t o = 0;
    // Sixteen units a round while the room allows the 52 bytes those store
    // (with 64 to spare, as eight units have 32): the same steps on both
    // 128-bit lanes; the unpacks give units 0-3 and 8-11 (low halves) and
    // 4-7 and 12-15 (high halves), stored in the order of the units.
    const __m256i zero = _mm256_setzero_si256();
    const __m256i low6 = _mm256_set1_epi16(0x3F);
    while (n - i >= 32 && room - o >= 64) {
        const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s + i));
        const __m256i ascii = _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xFF80))), zero);
        const __m256i wide = _mm256_cmpgt_epi16(_mm256_xor_si256(v, _mm256_set1_epi16(static_cast<short>(0x8000))),
                                                _mm256_set1_epi16(static_cast<short>(0x87FF)));
        const __m256i surrogate = _mm256_cmpeq_epi16(_mm256_and_si256(v, _mm256_set1_epi16(static_cast<short>(0xF800))),
                                                     _mm256_set1_epi16(static_cast<short>(0xD800)));
        const __m256i three = _mm256_andnot_si256(surrogate, wide);
        if (static_cast<unsigned>(_mm256_movemask_epi8(_mm256_or_si256(ascii, three))) != 0xFFFFFFFFu) break;
        // Bits 0-7: units 0-7; bits 16-23: units 8-15.
        const unsigned threes = static_cast<unsigned>(_mm256_movemask_epi8(_mm256_packs_epi16(three, zero)));
        if (threes == 0) break;
        const __m256i lead = _mm256_or_si256(_mm256_srli_epi16(v, 12), _mm256_set1_epi16(0xE0));
        const __m256i b0 = _mm256_or_si256(_mm256_and_si256(ascii, v), _mm256_andnot_si256(ascii, lead));
        const __m256i b1 = _mm256_or_si256(_mm256_and_si256(_mm256_srli_epi16(v, 6), low6), _mm256_set1_epi16(0x80));
        const __m256i b2 = _mm256_or_si256(_mm256_and_si256(v, low6), _mm256_set1_epi16(0x80));
        const __m256i first = _mm256_or_si256(b0, _mm256_slli_epi16(b1, 8));
        const unsigned t0 = threes & 15;
        const unsigned t1 = threes >> 4 & 15;
        const unsigned t2 = threes >> 16 & 15;
        const unsigned t3 = threes >> 20 & 15;
        const __m256i lo = _mm256_shuffle_epi8(_mm256_unpacklo_epi16(first, b2), Shuffles(t0, t2));
        const __m256i hi = _mm256_shuffle_epi8(_mm256_unpackhi_epi16(first, b2), Shuffles(t1, t3));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), _mm256_castsi256_si128(lo));
        o += kCompaction.length[t0];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), _mm256_castsi256_si128(hi));
        o += kCompaction.length[t1];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), _mm256_extracti128_si256(lo, 1));
        o += kCompaction.length[t2];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), _mm256_extracti128_si256(hi, 1));
        o += kCompaction.length[t3];
        i += 16;
    }
    while (n - i >= 32 && room - o >= 32) {
        const AsciiOrThreeLanes l = SpreadAsciiOrThree8(s + i);
        const unsigned threes =
            static_cast<unsigned>(_mm_movemask_epi8(_mm_packs_epi16(l.three, _mm_setzero_si128())));
        // Another kind of unit ends the blocks, and so does an all-ASCII
        // block, which the caller's ASCII runs take faster.
        if (_mm_movemask_epi8(_mm_or_si128(l.ascii, l.three)) != 0xFFFF || threes == 0) break;
        const unsigned t0 = threes & 15;
        const unsigned t1 = threes >> 4;
        const __m128i lo =
            _mm_shuffle_epi8(l.lo, _mm_load_si128(reinterpret_cast<const __m128i*>(kCompaction.shuffle[t0])));
        const __m128i hi =
            _mm_shuffle_epi8(l.hi, _mm_load_si128(reinterpret_cast<const __m128i*>(kCompaction.shuffle[t1])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), lo);
        o += kCompaction.length[t0];
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + o), hi);
        o += kCompaction.length[t1];
        i += 8;
    }
    taken = i;
    return o;
}

}  // namespace zr::codepage

#endif
