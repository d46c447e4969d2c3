// utf8_lanes.hpp - the block kernels of UTF-8: decoding runs of three-byte
// characters, shared by the library's own UTF-8 converter and the fused
// conversions that read UTF-8 without going through UTF-16 text, and
// encoding blocks of ASCII and three-byte characters.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "cpu/cpu.hpp"
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

#if defined(ZR_SIMD_SSE2)
// The eight units at s sorted into those below 0x80 and those of three
// bytes (each a lane mask), and their UTF-8 bytes four to a 32-bit lane, as
// a unit of three bytes has them; a unit below 0x80 has its byte first.
// `lo` holds units 0..3, `hi` units 4..7.
struct AsciiOrThreeLanes {
    __m128i ascii;
    __m128i three;
    __m128i lo;
    __m128i hi;
};

inline AsciiOrThreeLanes SpreadAsciiOrThree8(const char16_t* s) noexcept {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    const __m128i zero = _mm_setzero_si128();
    AsciiOrThreeLanes l;
    l.ascii = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xFF80))), zero);
    const __m128i wide = _mm_cmpgt_epi16(_mm_xor_si128(v, _mm_set1_epi16(static_cast<short>(0x8000))),
                                         _mm_set1_epi16(static_cast<short>(0x87FF)));
    const __m128i surrogate = _mm_cmpeq_epi16(_mm_and_si128(v, _mm_set1_epi16(static_cast<short>(0xF800))),
                                              _mm_set1_epi16(static_cast<short>(0xD800)));
    l.three = _mm_andnot_si128(surrogate, wide);
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i lead = _mm_or_si128(_mm_srli_epi16(v, 12), _mm_set1_epi16(0xE0));
    const __m128i b0 = _mm_or_si128(_mm_and_si128(l.ascii, v), _mm_andnot_si128(l.ascii, lead));
    const __m128i b1 = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 6), low6), _mm_set1_epi16(0x80));
    const __m128i b2 = _mm_or_si128(_mm_and_si128(v, low6), _mm_set1_epi16(0x80));
    const __m128i first = _mm_or_si128(b0, _mm_slli_epi16(b1, 8));
    l.lo = _mm_unpacklo_epi16(first, b2);
    l.hi = _mm_unpackhi_epi16(first, b2);
    return l;
}
#endif

// Encodes the eight units at s when each is below 0x80 or of the
// three-byte kind (the mix of Japanese text with ASCII in it) and returns
// the bytes they make, 0 when any is of another kind. Each unit stores four
// bytes and moves on by its length, so up to 25 bytes are stored at d (by
// the plain loop also before it finds a unit of another kind).
inline unsigned EncodeAsciiOrThree8(const char16_t* s, char* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const AsciiOrThreeLanes l = SpreadAsciiOrThree8(s);
    if (_mm_movemask_epi8(_mm_or_si128(l.ascii, l.three)) != 0xFFFF) return 0;
    const unsigned threes = static_cast<unsigned>(_mm_movemask_epi8(l.three));
    alignas(16) std::uint32_t lanes[8];
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes), l.lo);
    _mm_store_si128(reinterpret_cast<__m128i*>(lanes + 4), l.hi);
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

// The ASCII runs of both directions: whole blocks of ASCII, widened or
// narrowed, from the start of the n elements at s for as long as a block
// holds nothing else; the result is how many elements were taken (a
// multiple of 16, at most n). Exactly those are stored at d and nothing
// past them, so a run may end anywhere in the output and no later piece
// has to cover scratch. The SSE2 forms take 32 elements a round and one
// block of 16 at the end; the AVX2 forms (utf8_avx2.cpp, called only where
// the processor has it) take 64 a round and leave what is under 64 to the
// SSE2 forms.
inline std::size_t WidenAsciiRun(const std::uint8_t* s, std::size_t n, char16_t* d) noexcept {
    std::size_t i = 0;
#if defined(ZR_SIMD_SSE2)
    const __m128i zero = _mm_setzero_si128();
    for (; n - i >= 32; i += 32) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i + 16));
        if (_mm_movemask_epi8(_mm_or_si128(a, b)) != 0) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(a, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(a, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 16), _mm_unpacklo_epi8(b, zero));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 24), _mm_unpackhi_epi8(b, zero));
    }
    if (n - i >= 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i));
        if (_mm_movemask_epi8(a) == 0) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_unpacklo_epi8(a, zero));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 8), _mm_unpackhi_epi8(a, zero));
            i += 16;
        }
    }
#else
    for (; n - i >= 16; i += 16) {
        unsigned high = 0;
        for (unsigned k = 0; k < 16; ++k) high |= s[i + k];
        if (high >= 0x80) break;
        for (unsigned k = 0; k < 16; ++k) d[i + k] = s[i + k];
    }
#endif
    return i;
}

inline std::size_t NarrowAsciiRun(const char16_t* s, std::size_t n, char* d) noexcept {
    std::size_t i = 0;
#if defined(ZR_SIMD_SSE2)
    const __m128i high = _mm_set1_epi16(static_cast<short>(0xFF80));
    const __m128i zero = _mm_setzero_si128();
    auto load = [s](std::size_t k) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s + k)); };
    for (; n - i >= 32; i += 32) {
        const __m128i a = load(i);
        const __m128i b = load(i + 8);
        const __m128i c = load(i + 16);
        const __m128i e = load(i + 24);
        const __m128i all = _mm_or_si128(_mm_or_si128(a, b), _mm_or_si128(c, e));
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(all, high), zero)) != 0xFFFF) break;
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(a, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i + 16), _mm_packus_epi16(c, e));
    }
    if (n - i >= 16) {
        const __m128i a = load(i);
        const __m128i b = load(i + 8);
        if (_mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(_mm_or_si128(a, b), high), zero)) == 0xFFFF) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(d + i), _mm_packus_epi16(a, b));
            i += 16;
        }
    }
#else
    for (; n - i >= 16; i += 16) {
        unsigned all = 0;
        for (unsigned k = 0; k < 16; ++k) all |= s[i + k];
        if (all >= 0x80) break;
        for (unsigned k = 0; k < 16; ++k) d[i + k] = static_cast<char>(s[i + k]);
    }
#endif
    return i;
}

#if defined(ZR_SIMD_RUNTIME)
ZR_TARGET_AVX2 std::size_t WidenAsciiRunAvx2(const std::uint8_t* s, std::size_t n, char16_t* d) noexcept;
ZR_TARGET_AVX2 std::size_t NarrowAsciiRunAvx2(const char16_t* s, std::size_t n, char* d) noexcept;

// Blocks of sixteen or eight units of one or three bytes, not all ASCII,
// encoded one after another from s, of n units, into d, of `room` bytes;
// each block needs 32 units left to read and 64 or 32 bytes of room.
// Returns the bytes they make, with the units taken in `taken` (0 when the
// first block is not of that kind). Stores up to 12 bytes past those it
// counts, never more than 52 bytes from where a block begins.
ZR_TARGET_AVX2 std::size_t EncodeAsciiOrThreeRunAvx2(const char16_t* s, std::size_t n, char* d, std::size_t room,
                                                     std::size_t& taken) noexcept;
#endif

// What the converters take ASCII runs with: nothing of their own (the
// blocks and the character loop alone), the baseline kernels above (SSE2,
// or plain loops in a build without vectors), or the AVX2 ones, with which
// the encoder also packs its mixed blocks by byte shuffles. The converters
// use the fastest the processor has; tests name each.
enum class AsciiRuns { kNone, kBaseline, kAvx2 };

inline AsciiRuns FastestAsciiRuns() noexcept {
#if defined(ZR_SIMD_RUNTIME)
    static const AsciiRuns fastest = cpu::HasAvx2() ? AsciiRuns::kAvx2 : AsciiRuns::kBaseline;
    return fastest;
#else
    return AsciiRuns::kBaseline;
#endif
}

// The run at s, taken with `runs` as far as `left` elements of text and
// `room` elements of output allow.
inline std::size_t WidenRun(AsciiRuns runs, const std::uint8_t* s, std::size_t left, std::size_t room,
                            char16_t* d) noexcept {
    const std::size_t n = left < room ? left : room;
#if defined(ZR_SIMD_RUNTIME)
    if (runs == AsciiRuns::kAvx2) return WidenAsciiRunAvx2(s, n, d);
#endif
    return runs == AsciiRuns::kNone ? 0 : WidenAsciiRun(s, n, d);
}

inline std::size_t NarrowRun(AsciiRuns runs, const char16_t* s, std::size_t left, std::size_t room,
                             char* d) noexcept {
    const std::size_t n = left < room ? left : room;
#if defined(ZR_SIMD_RUNTIME)
    if (runs == AsciiRuns::kAvx2) return NarrowAsciiRunAvx2(s, n, d);
#endif
    return runs == AsciiRuns::kNone ? 0 : NarrowAsciiRun(s, n, d);
}

}  // namespace zr::codepage
