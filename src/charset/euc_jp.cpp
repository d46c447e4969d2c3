// euc_jp.cpp - EUC-JP <-> JIS (ISO-2022-JP) text loops.
#include "charset/euc_jp.hpp"

#include <cstring>

#include "charset/jis.hpp"
#include "charset/jis_reader.hpp"

namespace zr::charset {

namespace {

constexpr std::uint8_t kKanjiIn[3] = {kEsc, 0x24, 0x40};   // ESC $ @
constexpr std::uint8_t kKanjiOut[3] = {kEsc, 0x28, 0x42};  // ESC ( B

}  // namespace

LoopResult EucToJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    std::uint8_t* d = dst.data();
    if (dst.empty()) return {LoopOutcome::kNoRoom, 0};
    // Every write keeps one byte free for the NUL.
    const std::size_t limit = dst.size() - 1;
    std::size_t i = 0;
    std::size_t j = 0;

    auto full = [&]() noexcept {
        if (j != 0) std::memset(d, 0, j);
        return LoopResult{LoopOutcome::kNoRoom, 0};
    };

    while (i < n) {
        while (i < n && s[i] < 0x80) {
            if (j >= limit) return full();
            d[j++] = s[i++];
        }
        if (i >= n) break;

        if (limit - j < 3) return full();
        std::memcpy(d + j, kKanjiIn, 3);
        j += 3;
        // Any high byte opens a two-byte unit, whatever follows it; an odd
        // last byte takes the NUL after the text as its partner.
        do {
            std::uint8_t jis[2];
            EucPairToJis(s + i, jis);
            i += 2;
            if (jis[0] == 0 || jis[1] == 0) {
                // 0x80 in the input gives a NUL, which ends the text there.
                if (jis[0] == 0) {
                    d[j] = 0;
                    return {LoopOutcome::kDone, j};
                }
                if (limit - j < 1) return full();
                d[j] = jis[0];
                d[j + 1] = 0;
                return {LoopOutcome::kDone, j + 1};
            }
            if (limit - j < 2) return full();
            d[j] = jis[0];
            d[j + 1] = jis[1];
            j += 2;
        } while (i < n && s[i] >= 0x80);
        // A run that ends the text is left open.
        if (i >= n) break;
        if (limit - j < 3) return full();
        std::memcpy(d + j, kKanjiOut, 3);
        j += 3;
    }
    d[j] = 0;
    return {LoopOutcome::kDone, j};
}

LoopResult JisToEuc(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept {
    return detail::ReadJis(src, dst, [](const std::uint8_t* in, std::uint8_t* out) noexcept {
        JisPairToEuc(in, out);
    });
}

}  // namespace zr::charset
