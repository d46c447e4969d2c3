// utf8.cpp - UTF-8 <-> UTF-16 with the host converter's replacement rules.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codepage/coders.hpp"
#include "codepage/sink.hpp"
#include "codepage/utf8_lanes.hpp"

namespace zr::codepage {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

constexpr bool IsContinuation(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

// How the character loop below stopped: at the end of the text (with or
// without room for all of it), or after a whole block of 16 ASCII bytes
// that may begin a long run.
enum class DecodeStop { kDone, kNoRoom, kAscii };

// A byte that cuts a sequence short is never consumed, and the terminator is
// not a continuation byte, so the look-ahead stops at it: s[n] is the last
// byte ever read.
template <class Sink>
DecodeStop DecodeUntilAscii(const std::uint8_t* s, std::size_t n, std::size_t& i, Sink& out) noexcept {
    while (i < n) {
        // Blocks written straight to the output. Units are the pieces here,
        // so a conversion that stops for capacity has filled the whole room.
        // When all fits, at least one unit per three bytes of text and the
        // terminator follow, which overwrite the units stored past those
        // counted: the three-byte block's (32 bytes of text left cover its
        // eight) and the 16 of the ASCII store (64 bytes of text cover them).
        if (n - i >= 32 && out.Room() >= 24) {
            char16_t* d = out.Ptr();
            const unsigned k = DecodeThree8(s + i, d);
            if (k == 8) {
                // A constant step, predicted ahead of the data in a run.
                out.Advance(8);
                i += 24;
                continue;
            }
            // The run of three-byte characters ends here (or there was none):
            // its last ones and the ASCII after them go out together, without
            // a branch on either count, since the two alternate in Japanese
            // text far too irregularly to predict.
            const std::size_t q = i + 3 * k;
            unsigned a = 0;
            if (n - i >= 64) {
                a = static_cast<unsigned>(std::countr_zero(HighBytes16(s + q) | 0x10000u));
                WidenBytes16(s + q, d + k);
                if (a == 16 && k == 0) {
                    out.Advance(16);
                    i = q + 16;
                    return DecodeStop::kAscii;
                }
            } else if (n - q >= 16) {
                a = static_cast<unsigned>(std::countr_zero(HighBytes16(s + q) | 0x10000u));
                for (unsigned j = 0; j < a; ++j) d[k + j] = s[q + j];
            }
            if (k + a != 0) {
                out.Advance(k + a);
                i = q + a;
                continue;
            }
        }
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            if (!out.Put(b)) return DecodeStop::kNoRoom;
            ++i;
            continue;
        }
        char16_t u = kReplacement;
        if (b < 0xC2 || b > 0xF4) {
            // A continuation byte first, an overlong two-byte lead, or a lead
            // of a form beyond U+10FFFF: one replacement per byte.
            ++i;
        } else if (b < 0xE0) {
            if (IsContinuation(s[i + 1])) {
                u = static_cast<char16_t>(((b & 0x1F) << 6) | (s[i + 1] & 0x3F));
                i += 2;
            } else {
                ++i;
            }
        } else if (b < 0xF0) {
            const std::uint8_t b1 = s[i + 1];
            if (!IsContinuation(b1)) {
                ++i;
            } else if ((b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 >= 0xA0)) {
                // Overlong form or an encoded surrogate: one replacement for
                // the two bytes that show it.
                i += 2;
            } else if (IsContinuation(s[i + 2])) {
                u = static_cast<char16_t>(((b & 0x0F) << 12) | ((b1 & 0x3F) << 6) | (s[i + 2] & 0x3F));
                i += 3;
            } else {
                i += 2;
            }
        } else {
            const std::uint8_t b1 = s[i + 1];
            if (!IsContinuation(b1)) {
                ++i;
            } else if ((b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 >= 0x90)) {
                // Overlong form or above U+10FFFF.
                i += 2;
            } else if (!IsContinuation(s[i + 2])) {
                i += 2;
            } else if (!IsContinuation(s[i + 3])) {
                i += 3;
            } else {
                const std::uint32_t cp = ((b & 0x07u) << 18) | ((b1 & 0x3Fu) << 12) |
                                         ((s[i + 2] & 0x3Fu) << 6) | (s[i + 3] & 0x3Fu);
                i += 4;
                // The two units are separate pieces: a short buffer may end
                // after the high one.
                const std::uint32_t v = cp - 0x10000;
                if (!out.Put(static_cast<char16_t>(0xD800 | (v >> 10)))) return DecodeStop::kNoRoom;
                u = static_cast<char16_t>(0xDC00 | (v & 0x3FF));
            }
        }
        if (!out.Put(u)) return DecodeStop::kNoRoom;
    }
    return out.Put(0) ? DecodeStop::kDone : DecodeStop::kNoRoom;
}

// The character loop, and the ASCII runs out of it: the loop's constants
// stay in registers while it runs, which a call inside it would cost.
template <class Sink>
bool DecodeUtf8(const std::uint8_t* s, std::size_t n, Sink& out, AsciiRuns runs) noexcept {
    std::size_t i = 0;
    for (;;) {
        const DecodeStop stop = DecodeUntilAscii(s, n, i, out);
        if (stop != DecodeStop::kAscii) return stop == DecodeStop::kDone;
        // On in whole blocks, which store only the units they count, as far
        // as text and room allow.
        const std::size_t r = WidenRun(runs, s + i, n - i, out.Room(), out.Ptr());
        out.Advance(r);
        i += r;
    }
}

template <class Sink>
bool EncodeUtf8(const char16_t* s, std::size_t n, Sink& out, AsciiRuns runs) noexcept {
    std::size_t i = 0;
    while (i < n) {
        // Blocks written straight to the output. Each remaining unit writes
        // at least one byte and the terminator one more, so with 32 units to
        // go the bytes stored past the counted ones (at most 3 after a mixed
        // block, 12 after a packed one, 16 after a partial ASCII store) are
        // overwritten when all fits. A conversion that stops for capacity
        // has written to at most 3 bytes short of the room (pieces are at
        // most four bytes long), past the 25 bytes a block stores in a room
        // of 32 (a packed one 28 in 32, or 52 in 64).
        if (n - i >= 32 && out.Room() >= 32) {
            char* d = out.Ptr();
#if defined(ZR_SIMD_RUNTIME)
            if (runs == AsciiRuns::kAvx2) {
                std::size_t taken = 0;
                const std::size_t w = EncodeAsciiOrThreeRunAvx2(s + i, n - i, d, out.Room(), taken);
                if (taken != 0) {
                    out.Advance(w);
                    i += taken;
                    continue;
                }
            }
#endif
            // Kana, kanji and the ASCII among them without a branch per
            // unit: within a block a unit's length only moves the store.
            const unsigned m = EncodeAsciiOrThree8(s + i, d);
            if (m == 8) {
                // Eight bytes of eight units: ASCII, maybe the start of a
                // run, taken on in whole blocks that store only the bytes
                // they count (the block's spare bytes are overwritten).
                const std::size_t r = NarrowRun(runs, s + i + 8, n - i - 8, out.Room() - 8, d + 8);
                out.Advance(8 + r);
                i += 8 + r;
                continue;
            }
            if (m != 0) {
                out.Advance(m);
                i += 8;
                continue;
            }
            const unsigned a = NarrowAsciiPrefix16(s + i, d);
            // Never all 16: eight ASCII units are a mixed block above.
            if (a != 0) {
                out.Advance(a);
                i += a;
                continue;
            }
        }
        const char16_t u = s[i];
        bool ok;
        if (u < 0x80) {
            ok = out.Put(static_cast<char>(u));
            ++i;
        } else if (u < 0x800) {
            ok = out.Put2(static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 0x3F)));
            ++i;
        } else if (u >= 0xD800 && u < 0xDC00 && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
            // s[i + 1] is at worst the terminator, which is no low surrogate.
            const std::uint32_t cp = 0x10000 + ((std::uint32_t{u} - 0xD800) << 10) + (s[i + 1] - 0xDC00u);
            ok = out.Put4(static_cast<char>(0xF0 | (cp >> 18)), static_cast<char>(0x80 | ((cp >> 12) & 0x3F)),
                          static_cast<char>(0x80 | ((cp >> 6) & 0x3F)), static_cast<char>(0x80 | (cp & 0x3F)));
            i += 2;
        } else {
            // A lone surrogate becomes U+FFFD.
            const char16_t v = (u >= 0xD800 && u < 0xE000) ? kReplacement : u;
            ok = out.Put3(static_cast<char>(0xE0 | (v >> 12)), static_cast<char>(0x80 | ((v >> 6) & 0x3F)),
                          static_cast<char>(0x80 | (v & 0x3F)));
            ++i;
        }
        if (!ok) return false;
    }
    return out.Put(0);
}

}  // namespace

bool HasAsciiRuns(AsciiRuns runs) noexcept {
#if defined(ZR_SIMD_RUNTIME)
    if (runs == AsciiRuns::kAvx2) return cpu::HasAvx2();
#endif
    return runs != AsciiRuns::kAvx2;
}

int Utf8ToWideWith(AsciiRuns runs, const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept {
    if (!HasAsciiRuns(runs)) runs = FastestAsciiRuns();
    // Never more units than bytes (four bytes give two units), plus the terminator.
    return RunWithCapacity(dst, capacity, std::uint64_t{n} + 1,
                           [&](auto& sink) { return DecodeUtf8(src, n, sink, runs); });
}

int WideToUtf8With(AsciiRuns runs, const char16_t* src, std::size_t n, char* dst, int capacity) noexcept {
    if (!HasAsciiRuns(runs)) runs = FastestAsciiRuns();
    // At most three bytes per unit (a pair gives four for two), plus the terminator.
    return RunWithCapacity(dst, capacity, 3 * std::uint64_t{n} + 1,
                           [&](auto& sink) { return EncodeUtf8(src, n, sink, runs); });
}

int Utf8ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept {
    return Utf8ToWideWith(FastestAsciiRuns(), src, n, dst, capacity);
}

int WideToUtf8(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept {
    return WideToUtf8With(FastestAsciiRuns(), src, n, dst, capacity);
}

}  // namespace zr::codepage
