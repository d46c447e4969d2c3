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

// Blocks of eight units, each of one or three bytes but not all ASCII,
// for as long as 32 units are left to read and 32 bytes of room to write:
// the bytes of EncodeAsciiOrThree8, packed by two byte shuffles instead of
// eight stores. A block stores 16 bytes after each half of its output, so
// up to 28 bytes from where it begins, at most 12 past those it counts,
// which the next block or the 24 or more units after it overwrite.
ZR_TARGET_AVX2 std::size_t EncodeAsciiOrThreeRunAvx2(const char16_t* s, std::size_t n, char* d, std::size_t room,
                                                     std::size_t& taken) noexcept {
    std::size_t i = 0;
    std::size_t o = 0;
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
