// blocks.hpp - 16-byte steps for the long stretches of the byte loops: a run
// of single bytes, or eight double-byte units in a row.
//
// Each step tests which of its 16 bytes are of the plain kind the scalar
// loop would take without a second thought (a unit that converts, a byte
// that neither starts an escape nor switches the run) and answers how many
// bytes from the start are plain, whole units only. Those are converted;
// the scalar loop then takes the next unit and sorts out whatever is
// special. A step stores all 16 output bytes, the ones past its count being
// scratch that later output or the export's clearing overwrites, so the
// caller keeps 16 bytes of room. Builds without SSE2 run the same tests
// byte by byte.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "charset/byte_class.hpp"
#include "charset/jis.hpp"
#include "cpu/levels.hpp"

namespace zr::charset::blocks {

inline constexpr std::size_t kBlock = 16;

// One block step of a loop whose input, JIS and output indexes move
// together: with `left` bytes of text and `room` bytes of output left,
// `step()` converts a block and answers the bytes it took, `take(k)` moves
// the indexes. True when the step took bytes and the loop goes round again;
// false leaves the next unit to the scalar step. A whole block moves by the
// constant, so that the next load need not wait for this block's count.
template <class StepFn, class TakeFn>
inline bool TakeBlock(std::size_t left, std::size_t room, StepFn step, TakeFn take) noexcept {
    if (left < kBlock || room < kBlock) return false;
    const unsigned k = step();
    if (k == kBlock) {
        take(kBlock);
        return true;
    }
    if (k == 0) return false;
    take(k);
    return true;
}

#if defined(ZR_SIMD_SSE2)

inline __m128i Load(const std::uint8_t* s) noexcept { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(s)); }
inline void Store(std::uint8_t* d, __m128i v) noexcept { _mm_storeu_si128(reinterpret_cast<__m128i*>(d), v); }
inline __m128i Bytes(int b) noexcept { return _mm_set1_epi8(static_cast<char>(b)); }
inline __m128i Words(int w) noexcept { return _mm_set1_epi16(static_cast<short>(w)); }
inline unsigned Mask(__m128i v) noexcept { return static_cast<unsigned>(_mm_movemask_epi8(v)); }
// Bytes from the start whose bit in `plain` is set, in whole units of two.
inline unsigned PlainUnits(unsigned plain) noexcept {
    return static_cast<unsigned>(std::countr_zero(~plain | 0x10000u)) & ~1u;
}
inline unsigned PlainBytes(unsigned plain) noexcept {
    return static_cast<unsigned>(std::countr_zero(~plain | 0x10000u));
}

// Lanes of 16 bits: the unit's first byte low, its second byte high.
inline __m128i FirstBytes(__m128i v) noexcept { return _mm_and_si128(v, Words(0x00FF)); }
inline __m128i SecondBytes(__m128i v) noexcept { return _mm_srli_epi16(v, 8); }
inline __m128i Unit(__m128i first, __m128i second) noexcept { return _mm_or_si128(first, _mm_slli_epi16(second, 8)); }
// x > a and x < b, for lanes of 16 bits holding values 0..255.
inline __m128i Within(__m128i x, int lowExclusive, int highExclusive) noexcept {
    return _mm_and_si128(_mm_cmpgt_epi16(x, Words(lowExclusive)), _mm_cmpgt_epi16(Words(highExclusive), x));
}

// The arithmetic of JisPairToSJis on eight units of JIS bytes h, l.
inline __m128i JisUnitsToSJis(__m128i h, __m128i l) noexcept {
    __m128i lead = _mm_add_epi16(_mm_srli_epi16(_mm_sub_epi16(h, Words(0x21)), 1), Words(0x81));
    lead = _mm_add_epi16(lead, _mm_and_si128(_mm_cmpgt_epi16(lead, Words(0x9F)), Words(0x40)));
    const __m128i odd = _mm_cmpeq_epi16(_mm_and_si128(h, Words(1)), Words(1));
    // Odd rows: l + 0x1F, one more above 0x5F (the compare gives -1).
    const __m128i trailOdd = _mm_sub_epi16(_mm_add_epi16(l, Words(0x1F)), _mm_cmpgt_epi16(l, Words(0x5F)));
    const __m128i trailEven = _mm_add_epi16(l, Words(0x7E));
    const __m128i trail = _mm_or_si128(_mm_and_si128(odd, trailOdd), _mm_andnot_si128(odd, trailEven));
    return Unit(lead, trail);
}

#endif

// Sixteen single bytes below 0x80 and none of them ESC: a stretch that every
// loop copies unchanged and that neither starts a unit nor an escape.
inline bool PlainAscii(const std::uint8_t* s) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    return (Mask(v) | Mask(_mm_cmpeq_epi8(v, Bytes(kEsc)))) == 0;
#else
    for (std::size_t k = 0; k < kBlock; ++k) {
        if (s[k] >= 0x80 || s[k] == kEsc) return false;
    }
    return true;
#endif
}

// Sixteen bytes copied; the count of plain single bytes (below 0x80, not
// ESC) from the start.
inline unsigned CopyPlainAscii(const std::uint8_t* s, std::uint8_t* d) noexcept {
    std::memcpy(d, s, kBlock);
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    return PlainBytes(~(Mask(v) | Mask(_mm_cmpeq_epi8(v, Bytes(kEsc)))) & 0xFFFFu);
#else
    unsigned k = 0;
    while (k < kBlock && s[k] < 0x80 && s[k] != kEsc) ++k;
    return k;
#endif
}

// Bytes before the first ESC among s[1..15], or 16 when there is none. The
// first byte is always taken: an ESC there was already found not to start
// an escape.
inline unsigned BytesBeforeEsc(const std::uint8_t* s) noexcept {
#if defined(ZR_SIMD_SSE2)
    const unsigned m = (Mask(_mm_cmpeq_epi8(Load(s), Bytes(kEsc))) & 0xFFFEu) | 0x10000u;
    return static_cast<unsigned>(std::countr_zero(m));
#else
    unsigned k = 1;
    while (k < kBlock && s[k] != kEsc) ++k;
    return k;
#endif
}

// JIS X 0208 units (both bytes in 0x21..0x7E) to Shift_JIS.
inline unsigned JisUnitsToSJis(const std::uint8_t* s, std::uint8_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    const __m128i ok = _mm_and_si128(_mm_cmpgt_epi8(v, Bytes(0x20)), _mm_cmplt_epi8(v, Bytes(0x7F)));
    Store(d, JisUnitsToSJis(FirstBytes(v), SecondBytes(v)));
    return PlainUnits(Mask(ok));
#else
    unsigned k = 0;
    for (; k < kBlock && IsJisByte(s[k]) && IsJisByte(s[k + 1]); k += 2) JisPairToSJis(s + k, d + k);
    return k;
#endif
}

// Units flipped by the high bit (JIS to EUC-JP inside a kanji run): no byte
// may be 0x80, which would flip to a NUL, nor ESC, which may end the run.
inline unsigned FlipUnitsNoEsc(const std::uint8_t* s, std::uint8_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    Store(d, _mm_xor_si128(v, Bytes(0x80)));
    return PlainUnits(~Mask(_mm_or_si128(_mm_cmpeq_epi8(v, Bytes(0x80)), _mm_cmpeq_epi8(v, Bytes(kEsc)))) & 0xFFFFu);
#else
    unsigned k = 0;
    for (; k < kBlock; ++k) {
        if (s[k] == 0x80 || s[k] == kEsc) break;
        d[k] = static_cast<std::uint8_t>(s[k] ^ 0x80);
    }
    return k & ~1u;
#endif
}

// EUC-JP units with both bytes above 0x80 (so none flips to a NUL and each
// is followed by another) to JIS.
inline unsigned FlipHighUnits(const std::uint8_t* s, std::uint8_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    // Signed: 0x81..0xFF are -127..-1, above -128 and below 0.
    const __m128i ok = _mm_and_si128(_mm_cmpgt_epi8(v, Bytes(0x80)), _mm_cmplt_epi8(v, _mm_setzero_si128()));
    Store(d, _mm_xor_si128(v, Bytes(0x80)));
    return PlainUnits(Mask(ok));
#else
    unsigned k = 0;
    for (; k < kBlock && s[k] > 0x80; ++k) d[k] = static_cast<std::uint8_t>(s[k] ^ 0x80);
    return k & ~1u;
#endif
}

// EUC-JP units of JIS X 0208 (both bytes in 0xA1..0xFE) to Shift_JIS.
inline unsigned EucUnitsToSJis(const std::uint8_t* s, std::uint8_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = _mm_xor_si128(Load(s), Bytes(0x80));
    const __m128i ok = _mm_and_si128(_mm_cmpgt_epi8(v, Bytes(0x20)), _mm_cmplt_epi8(v, Bytes(0x7F)));
    Store(d, JisUnitsToSJis(FirstBytes(v), SecondBytes(v)));
    return PlainUnits(Mask(ok));
#else
    unsigned k = 0;
    for (; k < kBlock; k += 2) {
        const std::uint8_t jis[2] = {static_cast<std::uint8_t>(s[k] ^ 0x80), static_cast<std::uint8_t>(s[k + 1] ^ 0x80)};
        if (!JisPairToSJis(jis, d + k)) break;
    }
    return k;
#endif
}

// Shift_JIS double-byte characters, each a lead byte below 0xF0 (so it has
// a JIS form) and a trail byte, to JIS; `high` 0x80 gives EUC-JP instead.
inline unsigned SJisUnitsToJis(const std::uint8_t* s, std::uint8_t* d, std::uint8_t high) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    const __m128i h = FirstBytes(v);
    const __m128i l = SecondBytes(v);
    const __m128i lead = _mm_or_si128(Within(h, 0x80, 0xA0), Within(h, 0xDF, 0xF0));
    const __m128i trail = _mm_andnot_si128(_mm_cmpeq_epi16(l, Words(0x7F)), Within(l, 0x3F, 0xFD));
    // SJisRowCellToJis on eight units; the compares give -1 for true.
    const __m128i upper = _mm_and_si128(_mm_cmpgt_epi16(h, Words(0x9F)), Words(0x40));
    const __m128i h0 = _mm_sub_epi16(_mm_sub_epi16(h, Words(0x81)), upper);
    const __m128i even = _mm_cmpgt_epi16(l, Words(0x9E));
    const __m128i first = _mm_sub_epi16(_mm_add_epi16(_mm_add_epi16(h0, h0), Words(0x21)), even);
    __m128i second = _mm_add_epi16(_mm_sub_epi16(l, Words(0x1F)), _mm_cmpgt_epi16(l, Words(0x7E)));
    second = _mm_sub_epi16(second, _mm_and_si128(even, Words(0x5E)));
    Store(d, _mm_or_si128(Unit(first, second), Bytes(high)));
    return PlainUnits(Mask(_mm_and_si128(lead, trail)));
#else
    unsigned k = 0;
    for (; k < kBlock && StartsSJisPair(s + k) && s[k] < 0xF0; k += 2) {
        SJisRowCellToJis(s[k], s[k + 1], d + k);
        d[k] |= high;
        d[k + 1] |= high;
    }
    return k;
#endif
}

// Sixteen plain single bytes (as PlainAscii) widened to sixteen units, for
// a converter that maps every byte below 0x80 to itself.
inline bool WidenPlainAscii(const std::uint8_t* s, char16_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = Load(s);
    if ((Mask(v) | Mask(_mm_cmpeq_epi8(v, Bytes(kEsc)))) != 0) return false;
    const __m128i zero = _mm_setzero_si128();
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi8(v, zero));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 8), _mm_unpackhi_epi8(v, zero));
    return true;
#else
    if (!PlainAscii(s)) return false;
    for (std::size_t k = 0; k < kBlock; ++k) d[k] = s[k];
    return true;
#endif
}

// Row * 94 + cell of the JIS X 0208 units whose bytes are those at s with
// `flip` (0x80 for EUC-JP) taken off: the count of bytes from the start
// that are such units, whose indexes are the first count / 2 of `index`.
inline unsigned JisUnitIndexes(const std::uint8_t* s, std::uint8_t flip, std::uint16_t* index) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = _mm_xor_si128(Load(s), Bytes(flip));
    const __m128i ok = _mm_and_si128(_mm_cmpgt_epi8(v, Bytes(0x20)), _mm_cmplt_epi8(v, Bytes(0x7F)));
    const __m128i row = _mm_sub_epi16(FirstBytes(v), Words(0x21));
    const __m128i cell = _mm_sub_epi16(SecondBytes(v), Words(0x21));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(index), _mm_add_epi16(_mm_mullo_epi16(row, Words(94)), cell));
    return PlainUnits(Mask(ok));
#else
    unsigned k = 0;
    for (; k < kBlock; k += 2) {
        const std::uint8_t h = static_cast<std::uint8_t>(s[k] ^ flip);
        const std::uint8_t l = static_cast<std::uint8_t>(s[k + 1] ^ flip);
        if (!IsJisByte(h) || !IsJisByte(l)) break;
        index[k / 2] = static_cast<std::uint16_t>((h - 0x21) * 94 + (l - 0x21));
    }
    return k;
#endif
}

}  // namespace zr::charset::blocks
