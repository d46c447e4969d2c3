// utf8_sjis.cpp - UTF-8 straight to Shift_JIS.
#include "charset/utf8_sjis.hpp"

#include <bit>
#include <cstring>

#include "charset/blocks.hpp"
#include "charset/byte_class.hpp"
#include "codepage/utf8_lanes.hpp"

namespace zr::charset {
namespace {

// Bit k set when byte s[k] is 0x80 or above, for the 16 bytes at s.
inline unsigned HighBytes(const std::uint8_t* s) noexcept {
#if defined(ZR_SIMD_SSE2)
    return blocks::Mask(blocks::Load(s));
#else
    unsigned m = 0;
    for (unsigned k = 0; k < 16; ++k) m |= static_cast<unsigned>(s[k] >> 7) << k;
    return m;
#endif
}

// Stores the entry's two bytes (the second is spare for a single byte, and
// the next piece or the caller's clearing overwrites it); returns how many
// count.
inline std::size_t Put(std::uint8_t* d, std::uint16_t entry) noexcept {
    std::memcpy(d, &entry, 2);
    return SJisLength(entry);
}

}  // namespace

DirectResult Utf8ToSJisDirect(std::span<const std::uint8_t> src, std::uint8_t* d, const SJisFromUnit& table) noexcept {
    constexpr DirectResult kDeclined{true, 0};
    if (!table.asciiSame) return kDeclined;
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    const std::uint16_t* bytes = table.bytes;
    // No piece is longer than its character, so k <= i throughout, which
    // keeps every store (two bytes, or sixteen with 32 bytes of text left)
    // within the n + 1 bytes of d.
    std::size_t i = 0;
    std::size_t k = 0;
    while (i < n) {
        if (n - i >= 32) {
            // Kana and kanji come in runs of three-byte characters.
            char16_t u[8];
            const unsigned c = zr::codepage::DecodeThree8(s + i, u);
            if (c == 8) {
                // Eight kana or kanji: when all eight give two bytes, as
                // nearly all do, their entries are the output as they lie.
                std::uint16_t e[8];
                unsigned pairs = 1;
                for (unsigned j = 0; j < 8; ++j) {
                    e[j] = bytes[u[j]];
                    pairs &= SJisLength(e[j]) == 2;
                }
                if (pairs != 0) {
                    std::memcpy(d + k, e, 16);
                    k += 16;
                    i += 24;
                    continue;
                }
            }
            unsigned known = 1;
            for (unsigned j = 0; j < c; ++j) {
                const std::uint16_t e = bytes[u[j]];
                known &= e != 0;
                k += Put(d + k, e);
            }
            if (known == 0) return kDeclined;
            i += 3 * static_cast<std::size_t>(c);
            // The run ends here (or there was none): the ASCII after it goes
            // out at once, without a branch on either count, as the two
            // alternate too irregularly to predict.
            unsigned a = 0;
            if (n - i >= 16) {
                a = static_cast<unsigned>(std::countr_zero(HighBytes(s + i) | 0x10000u));
                std::memcpy(d + k, s + i, 16);
                k += a;
                i += a;
            }
            if (c + a != 0) continue;
        }
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            d[k++] = b;
            ++i;
            continue;
        }
        // The look-ahead stops at the first byte that is no continuation
        // byte, the terminator included.
        char16_t u;
        const std::uint8_t b1 = s[i + 1];
        if (b >= 0xC2 && b < 0xE0 && IsUtf8Continuation(b1)) {
            u = static_cast<char16_t>((b & 0x1F) << 6 | (b1 & 0x3F));
            i += 2;
        } else if (b >= 0xE0 && b < 0xF0 && IsUtf8Continuation(b1) && !(b == 0xE0 && b1 < 0xA0) &&
                   !(b == 0xED && b1 >= 0xA0) && IsUtf8Continuation(s[i + 2])) {
            u = static_cast<char16_t>((b & 0x0F) << 12 | (b1 & 0x3F) << 6 | (s[i + 2] & 0x3F));
            i += 3;
        } else {
            return kDeclined;
        }
        const std::uint16_t e = bytes[u];
        if (e == 0) return kDeclined;
        k += Put(d + k, e);
    }
    return {false, k};
}

}  // namespace zr::charset
