// hex_code.cpp - reading the hexadecimal code fields of a code-table line.
#include <cstdint>
#include <string_view>

#include "codetable/code_table.hpp"

namespace zr::codetable {
namespace {

// White space as the wide-character classification of the host sees it:
// the C0 spacing controls, the space, and the Unicode space separators.
constexpr bool IsSpace(char16_t c) noexcept {
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F ||
           c == 0x3000;
}

// The zero of every block of ten decimal digits that the host's wide number
// parsing accepts, in ascending order; a code table typed with fullwidth or
// other native digits reads as if typed in ASCII.
constexpr char16_t kDigitZeros[] = {
    0x0030, 0x0660, 0x06F0, 0x0966, 0x09E6, 0x0A66, 0x0AE6, 0x0B66, 0x0C66,
    0x0CE6, 0x0D66, 0x0E50, 0x0ED0, 0x0F20, 0x1040, 0x17E0, 0x1810, 0xFF10,
};

// Value 0-15 of a hexadecimal digit, or -1. Letters count in ASCII only.
constexpr int HexDigit(char16_t c) noexcept {
    for (const char16_t zero : kDigitZeros) {
        if (c < zero) break;
        if (c < zero + 10) return c - zero;
    }
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

}  // namespace

std::int32_t ReadHexCode(std::u16string_view field) noexcept {
    std::size_t i = 0;
    while (i < field.size() && IsSpace(field[i])) ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == u'+' || field[i] == u'-')) negative = field[i++] == u'-';
    if (i + 1 < field.size() && field[i] == u'0' && (field[i + 1] == u'x' || field[i + 1] == u'X')) i += 2;
    // The magnitude saturates one past the largest positive value, which is
    // exactly the most negative one when a minus sign is in front.
    constexpr std::uint64_t kLimit = 0x80000000u;
    std::uint64_t magnitude = 0;
    for (; i < field.size(); ++i) {
        const int d = HexDigit(field[i]);
        if (d < 0) break;
        magnitude = magnitude * 16 + static_cast<std::uint64_t>(d);
        if (magnitude > kLimit) magnitude = kLimit;
    }
    if (negative) return magnitude == kLimit ? INT32_MIN : -static_cast<std::int32_t>(magnitude);
    return magnitude >= kLimit ? INT32_MAX : static_cast<std::int32_t>(magnitude);
}

}  // namespace zr::codetable
