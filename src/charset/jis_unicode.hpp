// jis_unicode.hpp - JIS and EUC-JP straight to UTF-16, for the text where
// that gives exactly what the route through Shift_JIS and the host
// converter gives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

namespace zr::charset {

// What the host converter makes of every JIS X 0208 character in its
// Shift_JIS form, and of every byte below 0x80, asked one character at a
// time when first needed. Code page 932 reads a byte below 0x80 alone and a
// lead byte with the byte after it, so a text of such characters converts
// to the units of its characters one after another; `usable` is false when
// the converter does not answer one unit per character, or does not keep
// bytes below 0x80 as they are, and the passes then decline every text.
struct UnitTable {
    char16_t pair[94 * 94];
    bool usable;
};

const UnitTable& JisUnitTable() noexcept;

struct UnitsResult {
    bool declined;          // the text holds something the pass does not
                            // model: take the steps one by one
    std::size_t units;      // units written, the terminator not included
    std::size_t midLength;  // the intermediate text's length (see below)
};

// JIS to UTF-16, standing for JisToSJis followed by the host converter;
// `midLength` is the length of the Shift_JIS text. Modelled: single bytes
// below 0x80 and units of two JIS X 0208 bytes, under every escape the JIS
// reader takes. Writes at most `capacity` units and no terminator.
UnitsResult JisToUnits(std::span<const std::uint8_t> src, char16_t* dst, std::size_t capacity,
                       const UnitTable& table) noexcept;

// EUC-JP to UTF-16, standing for EucToJis, JisToSJis and the host converter;
// `midLength` is the length of the JIS text. Modelled: single bytes below
// 0x80 other than ESC, and units of two bytes in 0xA1..0xFE.
UnitsResult EucToUnits(std::span<const std::uint8_t> src, char16_t* dst, std::size_t capacity,
                       const UnitTable& table) noexcept;

}  // namespace zr::charset
