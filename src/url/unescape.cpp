// unescape.cpp - percent-encoded URL text to raw bytes, shared by the
// detection tests and the decoders.
#include <algorithm>

#include "url/url.hpp"

namespace zr::url {
namespace {

inline std::uint32_t Unit(char c) noexcept { return static_cast<unsigned char>(c); }
inline std::uint32_t Unit(char16_t c) noexcept { return c; }

// 0..15, or -1 for anything that is not an ASCII hexadecimal digit (the
// terminator included, which is what keeps "%" and "%4" at the end of a
// URL from reading past it).
inline int HexValue(std::uint32_t u) noexcept {
    if (u >= '0' && u <= '9') return static_cast<int>(u - '0');
    if (u >= 'A' && u <= 'F') return static_cast<int>(u - 'A' + 10);
    if (u >= 'a' && u <= 'f') return static_cast<int>(u - 'a' + 10);
    return -1;
}

template <class Ch>
std::size_t Unescape(const Ch* src, std::span<std::uint8_t> out, std::size_t limit) noexcept {
    if (out.empty()) return 0;
    const std::size_t room = out.size() - 1;  // the terminator always fits
    std::size_t i = 0;
    std::size_t k = 0;
    while (i < limit && k < room && src[i] != 0) {
        const std::uint32_t u = Unit(src[i]);
        if (u == '+') {
            out[k++] = 0x20;
            i += 1;
        } else if (u == '%') {
            // The second digit is read only once the first one is a digit,
            // so an escape cut short by the terminator ends the walk there.
            const int hi = HexValue(Unit(src[i + 1]));
            if (hi < 0) break;
            const int lo = HexValue(Unit(src[i + 2]));
            if (lo < 0) break;
            out[k++] = static_cast<std::uint8_t>(hi << 4 | lo);
            i += 3;
        } else {
            // A UTF-16 unit stands for its low eight bits: U+012B is 0x2B,
            // not '+', since only the units themselves have a meaning.
            out[k++] = static_cast<std::uint8_t>(u & 0xFF);
            i += 1;
        }
    }
    out[k] = 0;
    // A decoded "%00" ends the text as a C string would.
    return static_cast<std::size_t>(std::find(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(k), 0) -
                                    out.begin());
}

template <class Ch>
std::size_t Length(const Ch* s) noexcept {
    std::size_t n = 0;
    while (s[n] != 0) ++n;
    return n;
}

}  // namespace

std::size_t URL_UnescapeW(const char16_t* src, std::span<std::uint8_t> out, std::size_t limit) noexcept {
    return Unescape(src, out, limit);
}

std::size_t URL_UnescapeA(const char* src, std::span<std::uint8_t> out, std::size_t limit) noexcept {
    return Unescape(src, out, limit);
}

std::size_t TextLength(const char16_t* s) noexcept { return Length(s); }
std::size_t TextLength(const char* s) noexcept { return Length(s); }

}  // namespace zr::url
