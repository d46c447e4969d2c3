// unescape.cpp - percent-encoded URL text to raw bytes, shared by the
// detection tests and the decoders.
#include <algorithm>
#include <array>
#include <cstring>

#include "url/hex.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

inline std::uint32_t Unit(char c) noexcept { return static_cast<unsigned char>(c); }
inline std::uint32_t Unit(char16_t c) noexcept { return c; }

template <class Ch>
std::size_t Unescape(const Ch* src, std::span<std::uint8_t> out, std::size_t limit) noexcept {
    if (out.empty()) return 0;
    const std::size_t room = out.size() - 1;  // the terminator always fits
    std::size_t i = 0;
    std::size_t k = 0;
    bool zero = false;
    while (i < limit && k < room && src[i] != 0) {
        const std::uint32_t u = Unit(src[i]);
        if (u == '%') {
            // The second digit is read only once the first one is a digit,
            // so an escape cut short by the terminator ends the walk there.
            const int hi = HexValue(Unit(src[i + 1]));
            if (hi < 0) break;
            const int lo = HexValue(Unit(src[i + 2]));
            if (lo < 0) break;
            const auto b = static_cast<std::uint8_t>(hi << 4 | lo);
            zero |= b == 0;
            out[k++] = b;
            i += 3;
        } else {
            // A UTF-16 unit stands for its low eight bits: U+012B is 0x2B,
            // not '+', since only the units themselves have a meaning.
            const auto b = static_cast<std::uint8_t>(u == '+' ? 0x20 : u & 0xFF);
            zero |= b == 0;
            out[k++] = b;
            i += 1;
        }
    }
    out[k] = 0;
    if (!zero) return k;
    // A decoded "%00" ends the text as a C string would.
    return static_cast<std::size_t>(std::find(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(k), 0) -
                                    out.begin());
}

// The walk of a whole URL into scratch. With the limit at the URL's length
// and room for as many bytes as it has characters, neither bound can stop
// the walk before the terminator does, so only the terminator, an invalid
// escape or the first NUL byte end it; what would follow a NUL byte is
// never read by anyone.
template <class Ch>
std::size_t UnescapeAll(const Ch* src, std::uint8_t* out) noexcept {
    std::size_t i = 0;
    std::size_t k = 0;
    for (;;) {
        const std::uint32_t u = Unit(src[i]);
        std::uint8_t b;
        if (u == '%') {
            const int hi = HexValue(Unit(src[i + 1]));
            if (hi < 0) break;
            const int lo = HexValue(Unit(src[i + 2]));
            if (lo < 0) break;
            b = static_cast<std::uint8_t>(hi << 4 | lo);
            i += 3;
        } else {
            // Also the terminator, and a W unit whose low byte is 0.
            b = static_cast<std::uint8_t>(u == '+' ? 0x20 : u & 0xFF);
            i += 1;
        }
        if (b == 0) break;
        out[k++] = b;
    }
    out[k] = 0;
    return k;
}

}  // namespace

std::size_t URL_UnescapeW(const char16_t* src, std::span<std::uint8_t> out, std::size_t limit) noexcept {
    return Unescape(src, out, limit);
}

std::size_t URL_UnescapeA(const char* src, std::span<std::uint8_t> out, std::size_t limit) noexcept {
    return Unescape(src, out, limit);
}

std::size_t URL_UnescapeAllW(const char16_t* src, std::uint8_t* out) noexcept { return UnescapeAll(src, out); }
std::size_t URL_UnescapeAllA(const char* src, std::uint8_t* out) noexcept { return UnescapeAll(src, out); }

std::size_t TextLength(const char16_t* s) noexcept {
    std::size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

std::size_t TextLength(const char* s) noexcept { return std::strlen(s); }

}  // namespace zr::url
