// utf8_posix.cpp - UTF-8 <-> UTF-16 with the host converter's replacement rules.
#include <cstddef>
#include <cstdint>

#include "platform/codepage_coders.hpp"
#include "platform/codepage_sink.hpp"

namespace zr::platform::detail {
namespace {

constexpr char16_t kReplacement = 0xFFFD;

constexpr bool IsContinuation(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

// A byte that cuts a sequence short is never consumed, and the terminator is
// not a continuation byte, so the look-ahead stops at it: s[n] is the last
// byte ever read.
template <class Sink>
bool DecodeUtf8(const std::uint8_t* s, std::size_t n, Sink& out) noexcept {
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            if (n - i >= 8 && IsAsciiWord(s + i)) {
                const std::size_t j = AsciiRunEnd(s, i + 8, n);
                if (!out.PutRun(s + i, j - i)) return false;
                i = j;
            } else {
                if (!out.Put(b)) return false;
                ++i;
            }
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
                if (!out.Put(static_cast<char16_t>(0xD800 | (v >> 10)))) return false;
                u = static_cast<char16_t>(0xDC00 | (v & 0x3FF));
            }
        }
        if (!out.Put(u)) return false;
    }
    return out.Put(0);
}

template <class Sink>
bool EncodeUtf8(const char16_t* s, std::size_t n, Sink& out) noexcept {
    std::size_t i = 0;
    while (i < n) {
        const char16_t u = s[i];
        if (u < 0x80) {
            if (n - i >= 4 && IsAsciiWord(s + i)) {
                const std::size_t j = AsciiRunEnd(s, i + 4, n);
                if (!out.PutRun(s + i, j - i)) return false;
                i = j;
                continue;
            }
            if (!out.Put(static_cast<char>(u))) return false;
            ++i;
            continue;
        }
        bool ok;
        if (u < 0x800) {
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

int Utf8ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept {
    // Never more units than bytes (four bytes give two units), plus the terminator.
    return RunWithCapacity(dst, capacity, std::uint64_t{n} + 1,
                           [&](auto& sink) { return DecodeUtf8(src, n, sink); });
}

int WideToUtf8(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept {
    // At most three bytes per unit (a pair gives four for two), plus the terminator.
    return RunWithCapacity(dst, capacity, 3 * std::uint64_t{n} + 1,
                           [&](auto& sink) { return EncodeUtf8(src, n, sink); });
}

}  // namespace zr::platform::detail
