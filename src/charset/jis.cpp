// jis.cpp - JIS (ISO-2022-JP) <-> Shift_JIS text loops.
#include "charset/jis.hpp"

#include <cstring>

#include "charset/jis_reader.hpp"

namespace zr::charset {

LoopResult JisToSJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    return detail::ReadJis(src, dst, [](const std::uint8_t* in, std::uint8_t* out) noexcept {
        // Not JIS X 0208 (CR LF inside a kanji run, an odd last byte with
        // its NUL): the bytes go over as they are.
        if (!JisPairToSJis(in, out)) {
            out[0] = in[0];
            out[1] = in[1];
        }
    });
}

namespace {

constexpr std::uint8_t kKanjiIn[3] = {kEsc, 0x24, 0x42};   // ESC $ B
constexpr std::uint8_t kKanjiOut[3] = {kEsc, 0x28, 0x42};  // ESC ( B

}  // namespace

LoopResult SJisToJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    std::uint8_t* d = dst.data();
    // Every write keeps one byte free for the NUL.
    if (dst.empty()) return {LoopOutcome::kNoRoom, 0};
    const std::size_t limit = dst.size() - 1;
    std::size_t i = 0;
    std::size_t j = 0;

    auto full = [&]() noexcept {
        if (j != 0) std::memset(d, 0, j);
        return LoopResult{LoopOutcome::kNoRoom, 0};
    };

    while (i < n) {
        // Single bytes, including whatever does not start a valid pair
        // (katakana, 0x80, 0xA0, 0xFD..0xFF, a lead byte without a trail).
        while (i < n && !StartsSJisPair(s + i)) {
            if (j >= limit) return full();
            d[j++] = s[i++];
        }
        if (i >= n) break;

        // A kanji run. A user-defined character (lead 0xF0..0xFC) has no JIS
        // form: the text stops before it, and the escape that would have
        // opened its run is kept when it fits. It is looked for before the
        // escape is written so that it is reported whatever room is left.
        if (s[i] >= 0xF0) {
            if (limit - j >= 3) {
                std::memcpy(d + j, kKanjiIn, 3);
                j += 3;
            }
            d[j] = 0;
            return {LoopOutcome::kUnconvertible, j};
        }
        if (limit - j < 5) return full();
        std::memcpy(d + j, kKanjiIn, 3);
        SJisRowCellToJis(s[i], s[i + 1], d + j + 3);
        j += 5;
        i += 2;
        while (i < n && StartsSJisPair(s + i)) {
            if (s[i] >= 0xF0) {
                d[j] = 0;
                return {LoopOutcome::kUnconvertible, j};
            }
            if (limit - j < 2) return full();
            SJisRowCellToJis(s[i], s[i + 1], d + j);
            j += 2;
            i += 2;
        }
        // Leaving the run, or the end of the text: either way back to ASCII.
        if (limit - j < 3) return full();
        std::memcpy(d + j, kKanjiOut, 3);
        j += 3;
    }
    d[j] = 0;
    return {LoopOutcome::kDone, j};
}

}  // namespace zr::charset
