// utf8_avx2.cpp - the ASCII runs of the UTF-8 converter in AVX2, chosen at
// run time (utf8_lanes.hpp).
#include "codepage/utf8_lanes.hpp"

#if defined(ZR_SIMD_RUNTIME)

namespace zr::codepage {

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

}  // namespace zr::codepage

#endif
