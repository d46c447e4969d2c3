// hex.hpp - the hexadecimal digits of "%hh" escapes, for every reader of them.
#pragma once

#include <array>
#include <cstdint>

namespace zr::url {

// 0..15 for an ASCII hexadecimal digit of either case, -1 for anything else
// (the terminator included, which is what keeps "%" and "%4" at the end of
// a URL from reading past it).
inline constexpr std::array<std::int8_t, 256> kHexValue = [] {
    std::array<std::int8_t, 256> t{};
    for (int u = 0; u < 256; ++u) {
        t[u] = u >= '0' && u <= '9'   ? static_cast<std::int8_t>(u - '0')
               : u >= 'A' && u <= 'F' ? static_cast<std::int8_t>(u - 'A' + 10)
               : u >= 'a' && u <= 'f' ? static_cast<std::int8_t>(u - 'a' + 10)
                                      : std::int8_t{-1};
    }
    return t;
}();

// Units above 0xFF land on 0xFF, which is no digit either.
inline int HexValue(std::uint32_t u) noexcept { return kHexValue[u < 0x100 ? u : 0xFF]; }

}  // namespace zr::url
