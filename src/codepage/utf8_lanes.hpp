// utf8_lanes.hpp - the block kernels of UTF-8: decoding runs of three-byte
// characters, shared by the library's own UTF-8 converter and the fused
// conversions that read UTF-8 without going through UTF-16 text, and
// encoding blocks of ASCII and three-byte characters.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "cpu/levels.hpp"

namespace zr::codepage {

#if defined(ZR_SIMD_SSE2)
// Four characters of three bytes at s, one per 32-bit lane, as units;
// `ok` marks the lanes that hold such a character,
// overlong forms and encoded surrogates excepted. Reads the 13 bytes at s.
inline __m128i DecodeThreeLanes(const std::uint8_t* s, __m128i& ok) noexcept {
    auto word = [](const std::uint8_t* p) {
        std::int32_t w;
        std::memcpy(&w, p, 4);
        return _mm_cvtsi32_si128(w);
    };
    // Lane k: the bytes of character k, low byte first; the fourth byte of
    // each lane belongs to the next character and is ignored.
    const __m128i x = _mm_unpacklo_epi64(_mm_unpacklo_epi32(word(s), word(s + 3)),
                                         _mm_unpacklo_epi32(word(s + 6), word(s + 9)));
    const __m128i form = _mm_cmpeq_epi32(_mm_and_si128(x, _mm_set1_epi32(0x00C0C0F0)), _mm_set1_epi32(0x008080E0));
    // E0 before 80..9F is overlong, ED before A0..BF a surrogate: told by
    // the low nibble of the lead and bit 5 of the second byte, beside the
    // form test rather than after the unit.
    const __m128i key = _mm_and_si128(x, _mm_set1_epi32(0x200F));
    const __m128i refused = _mm_or_si128(_mm_cmpeq_epi32(key, _mm_setzero_si128()),
                                         _mm_cmpeq_epi32(key, _mm_set1_epi32(0x200D)));
    ok = _mm_andnot_si128(refused, form);
    const __m128i u = _mm_or_si128(
        _mm_or_si128(_mm_slli_epi32(_mm_and_si128(x, _mm_set1_epi32(0x0F)), 12),
                     _mm_and_si128(_mm_srli_epi32(x, 2), _mm_set1_epi32(0x0FC0))),
        _mm_and_si128(_mm_srli_epi32(x, 16), _mm_set1_epi32(0x3F)));
    return u;
}
#endif

// Decodes the three-byte characters (kana, kanji, CJK punctuation: nearly
// all of Japanese text) that begin the 24 bytes at s, up to eight, and
// returns how many there were; anything else ends them, an overlong form or
// an encoded surrogate included. Eight units are stored at d whatever the
// count; those past it are scratch. Reads the 25 bytes at s.
inline unsigned DecodeThree8(const std::uint8_t* s, char16_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    __m128i ok0;
    __m128i ok1;
    const __m128i u0 = DecodeThreeLanes(s, ok0);
    const __m128i u1 = DecodeThreeLanes(s + 12, ok1);
    // Units to 16 bits: the signed pack keeps them whole once moved into
    // its range, and the top bit flipped back restores them.
    const __m128i bias = _mm_set1_epi32(0x8000);
    const __m128i units = _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(u0, bias), _mm_sub_epi32(u1, bias)),
                                        _mm_set1_epi16(static_cast<short>(0x8000)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), units);
    const unsigned ok = static_cast<unsigned>(_mm_movemask_epi8(ok0)) |
                        static_cast<unsigned>(_mm_movemask_epi8(ok1)) << 16;
    return static_cast<unsigned>(std::countr_one(ok)) / 4;
#else
    unsigned k = 0;
    for (; k < 8; ++k) {
        const std::uint8_t* p = s + 3 * k;
        if ((p[0] & 0xF0) != 0xE0 || (p[1] & 0xC0) != 0x80 || (p[2] & 0xC0) != 0x80) break;
        const char16_t u = static_cast<char16_t>((p[0] & 0x0F) << 12 | (p[1] & 0x3F) << 6 | (p[2] & 0x3F));
        if (u < 0x800 || (u >= 0xD800 && u < 0xE000)) break;
        d[k] = u;
    }
    return k;
#endif
}

// Encodes the eight units at s when each is below 0x80 or of the
// three-byte kind (the mix of Japanese text with ASCII in it) and returns
// the bytes they make, 0 when any is of another kind. Each unit stores four
// bytes and moves on by its length, so up to 25 bytes are stored at d (by
// the plain loop also before it finds a unit of another kind).
inline unsigned EncodeAsciiOrThree8(const char16_t* s, char* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i zero = _mm_setzero_si128();
    const __m128i ascii = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))), zero);
    const __m128i wide = _mm_cmpgt_epi16(_mm_xor_si128(v, _mm_set1_epi16(static_cast<short>(0x8000))),
                                         _mm_set1_epi16(static_cast<short>(0x87FF)));
    const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                              _mm_set1_epi16(static_cast<short>(0xD800)));
    const __m128i three = _mm_andnot_si128(surrogate, wide);
    if (_mm_movemask_epi8(_mm_or_si128(ascii, three)) != 0xFFFF) return 0;
    const unsigned threes = static_cast<unsigned>(_mm_movemask_epi8(three));
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i lead = _mm_or_si128(_mm_srli_epi16(v, 12), _mm_set1_epi16(0xE0));
    const __m128i b0 = _mm_or_si128(_mm_and_si128(ascii, v), _mm_andnot_si128(ascii, lead));
    const __m128i b1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 6), low6), _mm_set1_epi16(0x80));
    const __m128i b2 = _mm_or_si128(_mm_and_si128(v, low6), _mm_set1_epi16(0x80));
    const __m128i first = _mm_or_si128(b0, _mm_slli_epi16(b1, 8));
    alignas(16) std::uint32_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), _mm_unpacklo_epi16(first, b2));
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 4), _mm_unpackhi_epi16(first, b2));
    char* p = d;
    for (unsigned j = 0; j < 8; ++j) {
        std::memcpy(p, &lanes[j], 4);
        p += 1 + 2 * ((threes >> (2 * j)) & 1);
    }
    return static_cast<unsigned>(p - d);
#else
    char* p = d;
    for (unsigned j = 0; j < 8; ++j) {
        const char16_t u = s[j];
        if (u < 0x80) {
            *p++ = static_cast<char>(u);
        } else if (u >= 0x800 && (u < 0xD800 || u >= 0xE000)) {
            p[0] = static_cast<char>(0xE0 | (u >> 12));
            p[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
            p[2] = static_cast<char>(0x80 | (u & 0x3F));
            p += 3;
        } else {
            return 0;
        }
    }
    return static_cast<unsigned>(p - d);
#endif
}

}  // namespace zr::codepage
