// jis_reader.hpp - the one ISO-2022-JP walk behind JIS to Shift_JIS, JIS to
// EUC-JP and JIS straight to UTF-16; they differ only in what a unit or a
// single byte becomes, which their readers say.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "charset/blocks.hpp"
#include "charset/jis.hpp"
#include "charset/loop_result.hpp"

namespace zr::charset::detail {

// How a reader's step ends the walk, or lets it go on.
enum class Step {
    kNext,      // go on
    kEnd,       // a unit gave a NUL, which ends the text there
    kFull,      // the output would not fit
    kDeclined,  // the reader does not model what it met
};

// Walks the JIS text s[0..n) (its NUL at s[n]): escapes switch between
// single bytes and double-byte units; the reader `r` converts what lies
// between them:
//   r.Unit(p)          the unit at p (an odd last byte with the NUL after it)
//   r.Byte(p)          the one byte at p, right after an escape
//   r.Bytes(s, n, i)   single bytes from i up to the next ESC (the first is
//                      taken whatever it is), moving i past them
//   r.BlockRoom()      whether the output has room for a 16-byte block
//   r.Block(p)         the plain units among the 16 bytes at p (blocks.hpp):
//                      how many bytes it took
// Returns the step that ended the walk; kNext when the text ended.
template <class Reader>
Step WalkJis(const std::uint8_t* s, std::size_t n, Reader& r) noexcept {
    std::size_t i = 0;
    bool kanji = false;
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
                const Step step = kanji ? r.Unit(s + i) : r.Byte(s + i);
                if (step != Step::kNext) return step;
                i += kanji ? 2 : 1;
                continue;
            }
        }
        Step step = Step::kNext;
        if (kanji) {
            // Units up to the next ESC that sits on a unit boundary. A block
            // of eight plain units holds no ESC and no unit that ends the
            // text, so it stands for eight turns of the scalar step.
            do {
                if (n - i >= blocks::kBlock && r.BlockRoom()) {
                    const unsigned k = r.Block(s + i);
                    // The whole block by a constant step, so that the next
                    // load need not wait for this block's count.
                    if (k == blocks::kBlock) {
                        i += blocks::kBlock;
                        continue;
                    }
                    i += k;
                    // The unit that stopped the block: an ESC on a unit
                    // boundary ends the run, anything else is the scalar
                    // step's (a first unit is taken even when it is an ESC).
                    if (k != 0 && s[i] == kEsc) break;
                }
                step = r.Unit(s + i);
                i += 2;
            } while (step == Step::kNext && i < n && s[i] != kEsc);
        } else {
            step = r.Bytes(s, n, i);
        }
        if (step != Step::kNext) return step;
    }
    return Step::kNext;
}

// The reader of the byte loops. `pair(in, out)` turns the two bytes at `in`
// into two bytes at `out`; `block(in, out)` does the same for the plain units
// among the 16 bytes at `in` and returns how many bytes those are.
template <class PairFn, class BlockFn>
class ByteReader {
public:
    ByteReader(std::span<std::uint8_t> dst, PairFn pair, BlockFn block) noexcept
        : d_(dst.data()), cap_(dst.size()), pair_(pair), block_(block) {}

    std::size_t length() const noexcept { return j_; }

    // An odd last byte is paired with the NUL that follows the text; a unit
    // that yields a NUL ends the string there, so nothing the caller cannot
    // see as text is written after it.
    Step Unit(const std::uint8_t* p) noexcept {
        std::uint8_t o[2];
        pair_(p, o);
        if (o[0] == 0) {
            if (j_ >= cap_) return Step::kFull;
            d_[j_] = 0;
            return Step::kEnd;
        }
        if (cap_ - j_ < 2) return Step::kFull;
        d_[j_] = o[0];
        d_[j_ + 1] = o[1];
        if (o[1] == 0) {
            j_ += 1;
            return Step::kEnd;
        }
        j_ += 2;
        return Step::kNext;
    }

    Step Byte(const std::uint8_t* p) noexcept {
        if (j_ >= cap_) return Step::kFull;
        d_[j_++] = *p;
        return Step::kNext;
    }

    // Single bytes up to the next ESC go over unchanged: 16 at a time while
    // the text and the room last, then in one bounded copy. The first byte
    // goes over even when it is an ESC (one that starts no escape); any
    // later ESC ends the run.
    Step Bytes(const std::uint8_t* s, std::size_t n, std::size_t& i) noexcept {
        bool copied = false;
        while (n - i >= blocks::kBlock && cap_ - j_ >= blocks::kBlock) {
            std::memcpy(d_ + j_, s + i, blocks::kBlock);
            const unsigned k = blocks::BytesBeforeEsc(s + i);
            copied = true;
            if (k != blocks::kBlock) {
                i += k;
                j_ += k;
                break;
            }
            i += blocks::kBlock;
            j_ += blocks::kBlock;
            if (s[i] == kEsc) break;
        }
        if (copied && (i >= n || s[i] == kEsc)) return Step::kNext;
        const void* esc = (n - i > 1) ? std::memchr(s + i + 1, kEsc, n - i - 1) : nullptr;
        const std::size_t run =
            esc ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(esc) - (s + i)) : n - i;
        if (cap_ - j_ < run) return Step::kFull;
        std::memcpy(d_ + j_, s + i, run);
        i += run;
        j_ += run;
        return Step::kNext;
    }

    bool BlockRoom() const noexcept { return cap_ - j_ >= blocks::kBlock; }

    unsigned Block(const std::uint8_t* p) noexcept {
        const unsigned k = block_(p, d_ + j_);
        j_ += k;
        return k;
    }

private:
    std::uint8_t* d_;
    std::size_t cap_;
    std::size_t j_ = 0;
    PairFn pair_;
    BlockFn block_;
};

// JIS to bytes through `pair` and `block` (see ByteReader).
template <class PairFn, class BlockFn>
LoopResult ReadJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst, PairFn pair,
                   BlockFn block) noexcept {
    ByteReader<PairFn, BlockFn> r(dst, pair, block);
    const Step step = WalkJis(src.data(), src.size(), r);
    const std::size_t j = r.length();
    if (step == Step::kEnd) return {LoopOutcome::kDone, j};
    if (step == Step::kFull || j >= dst.size()) return {LoopOutcome::kNoRoom, 0};
    dst[j] = 0;
    return {LoopOutcome::kDone, j};
}

}  // namespace zr::charset::detail
