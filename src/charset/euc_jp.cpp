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
