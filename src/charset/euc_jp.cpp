// euc_jp.cpp - EUC-JP <-> JIS (ISO-2022-JP) text loops, and EUC-JP to
// Shift_JIS in one pass.
#include "charset/euc_jp.hpp"

#include <cstring>

#include "charset/blocks.hpp"
#include "charset/jis.hpp"
#include "charset/jis_reader.hpp"

namespace zr::charset {

namespace {

constexpr std::uint8_t kKanjiIn[3] = {kEsc, 0x24, 0x40};   // ESC $ @
constexpr std::uint8_t kKanjiOut[3] = {kEsc, 0x28, 0x42};  // ESC ( B

constexpr bool IsEucJisByte(std::uint8_t b) noexcept { return b >= 0xA1 && b <= 0xFE; }

// EUC-JP to JIS, or with kToSJis straight on to Shift_JIS. The JIS index j
// and its tests are the same either way, so the Shift_JIS pass takes the
// capacity decisions of the JIS step it stands for. It models only units
// of two JIS X 0208 bytes and single bytes other than ESC: anything else
// (a unit that is not JIS X 0208, 0x80 that ends the JIS text, an ESC that
// the JIS reader would take for an escape) is kDeclined.
template <bool kToSJis>
LoopResult EucToJisOrSJis(std::span<const std::uint8_t> src, std::uint8_t* out, std::size_t jisCap) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    if (jisCap == 0) return {LoopOutcome::kNoRoom, 0};
    // Every write keeps one byte free for the NUL.
    const std::size_t limit = jisCap - 1;
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t e = 0;
    std::size_t& o = kToSJis ? e : j;
    // Input, JIS text and output move together; only the escapes, counted
    // in j alone, set them apart.
    auto advance = [&](std::size_t k) noexcept {
        i += k;
        j += k;
        if (kToSJis) e += k;
    };
    // The block steps of the two kinds of run, at the current indexes.
    auto plain = [&]() noexcept { return blocks::CopyPlainAscii(s + i, out + o); };
    auto units = [&]() noexcept {
        return kToSJis ? blocks::EucUnitsToSJis(s + i, out + o) : blocks::FlipHighUnits(s + i, out + o);
    };

    while (i < n) {
        while (i < n && s[i] < 0x80) {
            if (blocks::TakeBlock(n - i, limit - j, plain, advance)) continue;
            if (kToSJis && s[i] == kEsc) return {LoopOutcome::kDeclined, 0};
            if (j >= limit) return {LoopOutcome::kNoRoom, 0};
            out[o] = s[i];
            advance(1);
        }
        if (i >= n) break;

        if (limit - j < 3) return {LoopOutcome::kNoRoom, 0};
        if (!kToSJis) std::memcpy(out + j, kKanjiIn, 3);
        j += 3;
        // Any high byte opens a two-byte unit, whatever follows it; an odd
        // last byte takes the NUL after the text as its partner.
        do {
            if (blocks::TakeBlock(n - i, limit - j, units, advance)) continue;
            if (kToSJis) {
                if (!IsEucJisByte(s[i]) || !IsEucJisByte(s[i + 1])) return {LoopOutcome::kDeclined, 0};
                if (limit - j < 2) return {LoopOutcome::kNoRoom, 0};
                std::uint8_t jis[2];
                EucPairToJis(s + i, jis);
                JisPairToSJis(jis, out + e);
                advance(2);
                continue;
            }
            std::uint8_t jis[2];
            EucPairToJis(s + i, jis);
            i += 2;
            if (jis[0] == 0 || jis[1] == 0) {
                // 0x80 in the input gives a NUL, which ends the text there.
                if (jis[0] == 0) {
                    out[j] = 0;
                    return {LoopOutcome::kDone, j};
                }
                if (limit - j < 1) return {LoopOutcome::kNoRoom, 0};
                out[j] = jis[0];
                out[j + 1] = 0;
                return {LoopOutcome::kDone, j + 1};
            }
            if (limit - j < 2) return {LoopOutcome::kNoRoom, 0};
            out[j] = jis[0];
            out[j + 1] = jis[1];
            j += 2;
        } while (i < n && s[i] >= 0x80);
        // A run that ends the text is left open.
        if (i >= n) break;
        if (limit - j < 3) return {LoopOutcome::kNoRoom, 0};
        if (!kToSJis) std::memcpy(out + j, kKanjiOut, 3);
        j += 3;
    }
    if (!kToSJis) out[j] = 0;
    return {LoopOutcome::kDone, o, j};
}

}  // namespace

// The runs are counted by their first bytes (a byte from 0x80 up after one
// below it, or first in the text), in 16 lanes that each count to at most
// 255 before they are summed; no unit is read, so this is far cheaper than
// the conversion it answers for.
std::size_t EucToJisLengthBound(std::span<const std::uint8_t> src) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    std::size_t runs = 0;
    unsigned before = 0;  // 1 when the byte before s[i] is high
    std::size_t i = 0;
#if defined(ZR_SIMD_SSE2)
    const __m128i zero = _mm_setzero_si128();
    __m128i carry = zero;  // the last lane of the block before, in lane 0
    while (n - i >= 16) {
        const std::size_t blocks = (n - i) / 16 < 255 ? (n - i) / 16 : 255;
        __m128i count = zero;
        for (std::size_t b = 0; b < blocks; ++b, i += 16) {
            const __m128i high = _mm_cmplt_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + i)), zero);
            const __m128i prev = _mm_or_si128(_mm_slli_si128(high, 1), carry);
            carry = _mm_srli_si128(high, 15);
            count = _mm_sub_epi8(count, _mm_andnot_si128(prev, high));
        }
        const __m128i sums = _mm_sad_epu8(count, zero);
        runs += static_cast<std::size_t>(_mm_cvtsi128_si32(sums)) +
                static_cast<std::size_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
    }
    before = static_cast<unsigned>(_mm_cvtsi128_si32(carry)) & 1;
#endif
    for (; i < n; ++i) {
        const unsigned high = s[i] >> 7;
        runs += high & ~before;
        before = high;
    }
    if (before == 0) return n + 6 * runs;
    // A run that ends the text has no closing escape; each run's pairs
    // begin at its first byte, so an odd one's last byte takes the NUL
    // after the text into a unit of two bytes. The last run is found from
    // the end.
    std::size_t start = n;
#if defined(ZR_SIMD_SSE2)
    while (start >= 16 &&
           _mm_movemask_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(s + start - 16))) == 0xFFFF) {
        start -= 16;
    }
#endif
    while (start > 0 && s[start - 1] >= 0x80) --start;
    return n + 6 * runs - 3 + ((n - start) & 1);
}

LoopResult EucToJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    return EucToJisOrSJis<false>(src, dst.data(), dst.size());
}

LoopResult EucToSJisViaJis(std::span<const std::uint8_t> src, std::uint8_t* out, std::size_t jisCap) noexcept {
    return EucToJisOrSJis<true>(src, out, jisCap);
}

LoopResult JisToEuc(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    return detail::ReadJis(
        src, dst, [](const std::uint8_t* in, std::uint8_t* out) noexcept { JisPairToEuc(in, out); },
        [](const std::uint8_t* in, std::uint8_t* out) noexcept { return blocks::FlipUnitsNoEsc(in, out); });
}

}  // namespace zr::charset
