// jis.cpp - JIS (ISO-2022-JP) <-> Shift_JIS text loops, and Shift_JIS to
// EUC-JP in one pass.
#include "charset/jis.hpp"

#include <cstring>

#include "charset/blocks.hpp"
#include "charset/jis_reader.hpp"

namespace zr::charset {

LoopResult JisToSJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    return detail::ReadJis(
        src, dst,
        [](const std::uint8_t* in, std::uint8_t* out) noexcept {
            // Not JIS X 0208 (CR LF inside a kanji run, an odd last byte with
            // its NUL): the bytes go over as they are.
            if (!JisPairToSJis(in, out)) {
                out[0] = in[0];
                out[1] = in[1];
            }
        },
        [](const std::uint8_t* in, std::uint8_t* out) noexcept { return blocks::JisUnitsToSJis(in, out); });
}

namespace {

constexpr std::uint8_t kKanjiIn[3] = {kEsc, 0x24, 0x42};   // ESC $ B
constexpr std::uint8_t kKanjiOut[3] = {kEsc, 0x28, 0x42};  // ESC ( B

// Shift_JIS to JIS, or with kToEuc straight on to EUC-JP. The JIS index j
// and every test on it are the same either way, so the EUC-JP pass takes
// exactly the capacity decisions of the JIS step it stands for; it writes
// the characters alone (at e, which keeps pace with i) and leaves the
// escapes out. Its reader of the JIS text would take an ESC among the single
// bytes for the start of an escape, so such a text is left to the two steps.
template <bool kToEuc>
LoopResult SJisToJisOrEuc(std::span<const std::uint8_t> src, std::uint8_t* out, std::size_t jisCap) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    // Every write keeps one byte of the JIS text free for its NUL.
    if (jisCap == 0) return {LoopOutcome::kNoRoom, 0};
    const std::size_t limit = jisCap - 1;
    constexpr std::uint8_t kHigh = kToEuc ? 0x80 : 0x00;
    std::size_t i = 0;
    std::size_t j = 0;
    std::size_t e = 0;
    std::size_t& o = kToEuc ? e : j;
    // Input, JIS text and output move together; only the escapes, counted
    // in j alone, set them apart.
    auto advance = [&](std::size_t k) noexcept {
        i += k;
        j += k;
        if (kToEuc) e += k;
    };
    // The block steps of the two kinds of run, at the current indexes.
    auto plain = [&]() noexcept { return blocks::CopyPlainAscii(s + i, out + o); };
    auto units = [&]() noexcept { return blocks::SJisUnitsToJis(s + i, out + o, kHigh); };
    auto unconvertible = [&]() noexcept {
        if (!kToEuc) out[j] = 0;
        return LoopResult{LoopOutcome::kUnconvertible, o, j};
    };

    while (i < n) {
        // Single bytes, including whatever does not start a valid pair
        // (katakana, 0x80, 0xA0, 0xFD..0xFF, a lead byte without a trail).
        while (i < n && !StartsSJisPair(s + i)) {
            if (blocks::TakeBlock(n - i, limit - j, plain, advance)) continue;
            if (kToEuc && s[i] == kEsc) return {LoopOutcome::kDeclined, 0};
            if (j >= limit) return {LoopOutcome::kNoRoom, 0};
            out[o] = s[i];
            advance(1);
        }
        if (i >= n) break;

        // A kanji run. A user-defined character (lead 0xF0..0xFC) has no JIS
        // form: the text stops before it, and the escape that would have
        // opened its run is kept when it fits. It is looked for before the
        // escape is written so that it is reported whatever room is left.
        if (s[i] >= 0xF0) {
            if (limit - j >= 3) {
                if (!kToEuc) std::memcpy(out + j, kKanjiIn, 3);
                j += 3;
            }
            return unconvertible();
        }
        if (limit - j < 5) return {LoopOutcome::kNoRoom, 0};
        if (!kToEuc) std::memcpy(out + j, kKanjiIn, 3);
        j += 3;
        SJisRowCellToJis(s[i], s[i + 1], out + o);
        out[o] |= kHigh;
        out[o + 1] |= kHigh;
        advance(2);
        while (i < n && StartsSJisPair(s + i)) {
            if (blocks::TakeBlock(n - i, limit - j, units, advance)) continue;
            if (s[i] >= 0xF0) return unconvertible();
            if (limit - j < 2) return {LoopOutcome::kNoRoom, 0};
            SJisRowCellToJis(s[i], s[i + 1], out + o);
            out[o] |= kHigh;
            out[o + 1] |= kHigh;
            advance(2);
        }
        // Leaving the run, or the end of the text: either way back to ASCII.
        if (limit - j < 3) return {LoopOutcome::kNoRoom, 0};
        if (!kToEuc) std::memcpy(out + j, kKanjiOut, 3);
        j += 3;
    }
    if (!kToEuc) out[j] = 0;
    return {LoopOutcome::kDone, o, j};
}

}  // namespace

LoopResult SJisToJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    return SJisToJisOrEuc<false>(src, dst.data(), dst.size());
}

LoopResult SJisToEucViaJis(std::span<const std::uint8_t> src, std::uint8_t* out, std::size_t jisCap) noexcept {
    return SJisToJisOrEuc<true>(src, out, jisCap);
}

}  // namespace zr::charset
