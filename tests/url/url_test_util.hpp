// url_test_util.hpp - small helpers shared by the URL tests.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zr_moji.h"

namespace zr_url_test {

// ZR_WCHAR is wchar_t on Windows; the tests keep their text as char16_t.
inline const ZR_WCHAR* W(const std::u16string& s) { return reinterpret_cast<const ZR_WCHAR*>(s.c_str()); }
inline const ZR_WCHAR* W(const char16_t* s) { return reinterpret_cast<const ZR_WCHAR*>(s); }

// Each byte as the unit of the same value: what the A form reads from a byte
// the W form reads from this unit.
inline std::u16string Widen(std::string_view bytes) {
    std::u16string out;
    for (unsigned char b : bytes) out.push_back(static_cast<char16_t>(b));
    return out;
}

// A buffer of exactly `size` elements, filled with a marker, so that the
// sanitizer sees any write past dstSize and the tests see any write at all.
template <class Ch>
struct Buffer {
    explicit Buffer(std::int32_t size, Ch fill = static_cast<Ch>(0x5A))
        : data(static_cast<std::size_t>(size > 0 ? size : 1), fill), fill(fill) {}
    Ch* get() { return data.data(); }
    ZR_WCHAR* w() { return reinterpret_cast<ZR_WCHAR*>(data.data()); }
    bool Untouched() const {
        for (Ch c : data) {
            if (c != fill) return false;
        }
        return true;
    }
    std::basic_string<Ch> Text() const { return std::basic_string<Ch>(data.data()); }
    std::vector<Ch> data;
    Ch fill;
};

// Printable form of a text for failure messages: ASCII as it stands, other
// units as \x.. or \u....
inline std::string Show(std::u16string_view s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (char16_t c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\u";
            for (int sh = 12; sh >= 0; sh -= 4) out.push_back(hex[(c >> sh) & 0xF]);
        }
    }
    return out;
}
inline std::string Show(std::string_view s) {
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : s) {
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\x";
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 0xF]);
        }
    }
    return out;
}

}  // namespace zr_url_test
