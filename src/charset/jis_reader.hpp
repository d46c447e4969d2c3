// jis_reader.hpp - the one ISO-2022-JP reading loop behind JIS to Shift_JIS
// and JIS to EUC-JP; they differ only in what a double-byte unit becomes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "charset/blocks.hpp"
#include "charset/jis.hpp"
#include "charset/loop_result.hpp"

namespace zr::charset::detail {

// `pair(in, out)` turns the two bytes at `in` into two bytes at `out`;
// `block(in, out)` does the same for the plain units among the 16 bytes at
// `in` and returns how many bytes those are (see blocks.hpp).
template <class PairFn, class BlockFn>
LoopResult ReadJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst, PairFn pair,
                   BlockFn block) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    std::uint8_t* d = dst.data();
    const std::size_t cap = dst.size();
    std::size_t i = 0;
    std::size_t j = 0;
    bool kanji = false;

    enum class Step { kNext, kEnd, kFull };
    // One double-byte unit at i. An odd last byte is paired with the NUL that
    // follows the text; a unit that yields a NUL ends the string there, so
    // nothing the caller cannot see as text is written after it.
    auto pairStep = [&]() noexcept -> Step {
        std::uint8_t o[2];
        pair(s + i, o);
        i += 2;
        if (o[0] == 0) {
            if (j >= cap) return Step::kFull;
            d[j] = 0;
            return Step::kEnd;
        }
        if (cap - j < 2) return Step::kFull;
        d[j] = o[0];
        d[j + 1] = o[1];
        if (o[1] == 0) {
            j += 1;
            return Step::kEnd;
        }
        j += 2;
        return Step::kNext;
    };

    Step step = Step::kNext;
    while (i < n) {
        if (s[i] == kEsc) {
            int len = 0;
            if (IsJisKanjiInEscape(s + i, len)) {
                kanji = true;
            } else if (IsJisKanjiOutEscape(s + i, len)) {
                kanji = false;
            }
            if (len != 0) {
                i += static_cast<std::size_t>(len);
                // An escape at the very end switches to nothing.
                if (i >= n) break;
                // One escape per step: whatever follows is data of the new
                // mode, even another escape.
                if (kanji) {
                    step = pairStep();
                    if (step != Step::kNext) break;
                } else {
                    if (j >= cap) {
                        step = Step::kFull;
                        break;
                    }
                    d[j++] = s[i++];
                }
                continue;
            }
        }
        if (kanji) {
            // Units up to the next ESC that sits on a unit boundary. A block
            // of eight plain units holds no ESC and no unit that ends the
            // text, so it stands for eight turns of the scalar step.
            do {
                if (n - i >= blocks::kBlock && cap - j >= blocks::kBlock) {
                    const unsigned k = block(s + i, d + j);
                    // The whole block by a constant step, so that the next
                    // load need not wait for this block's count.
                    if (k == blocks::kBlock) {
                        i += blocks::kBlock;
                        j += blocks::kBlock;
                        continue;
                    }
                    i += k;
                    j += k;
                    // The unit that stopped the block: an ESC on a unit
                    // boundary ends the run, anything else is the scalar
                    // step's (a first unit is taken even when it is an ESC).
                    if (k != 0 && s[i] == kEsc) break;
                }
                step = pairStep();
            } while (step == Step::kNext && i < n && s[i] != kEsc);
            if (step != Step::kNext) break;
        } else {
            // Single bytes up to the next ESC go over unchanged: 16 at a time
            // while the text and the room last, then in one bounded copy.
            // The first byte goes over even when it is an ESC (one that
            // starts no escape); any later ESC ends the run.
            bool copied = false;
            while (n - i >= blocks::kBlock && cap - j >= blocks::kBlock) {
                std::memcpy(d + j, s + i, blocks::kBlock);
                const unsigned k = blocks::BytesBeforeEsc(s + i);
                copied = true;
                if (k != blocks::kBlock) {
                    i += k;
                    j += k;
                    break;
                }
                i += blocks::kBlock;
                j += blocks::kBlock;
                if (s[i] == kEsc) break;
            }
            if (copied && (i >= n || s[i] == kEsc)) continue;
            const void* esc = (n - i > 1) ? std::memchr(s + i + 1, kEsc, n - i - 1) : nullptr;
            const std::size_t run = esc ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(esc) - (s + i)) : n - i;
            if (cap - j < run) {
                step = Step::kFull;
                break;
            }
            std::memcpy(d + j, s + i, run);
            i += run;
            j += run;
        }
    }

    if (step == Step::kEnd) return {LoopOutcome::kDone, j};
    if (step == Step::kFull || j >= cap) return {LoopOutcome::kNoRoom, 0};
    d[j] = 0;
    return {LoopOutcome::kDone, j};
}

}  // namespace zr::charset::detail
