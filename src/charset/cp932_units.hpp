// cp932_units.hpp - what the host converter makes of each Shift_JIS character
// and each UTF-16 unit, one at a time, for the fused conversions that skip
// the UTF-16 text between two host conversions.
//
// Code page 932 is read and written a character at a time: a byte alone, or
// a lead byte with the byte after it, and towards bytes one unit (outside
// the surrogates) at a time. So a text of characters the tables know
// converts to the pieces of its characters one after another, and a fused
// pass that meets a character the tables do not know hands the whole text
// back to the host conversions. The tables are asked of the host converter
// itself when first needed, so they stay true on every platform.
#pragma once

#include <bit>
#include <cstdint>

namespace zr::charset {

// Shift_JIS to UTF-16. 0 marks what a fused pass does not take: a lead byte
// alone, a pair the converter does not read as one character, and anything
// that does not give exactly one unit.
struct UnitFromSJis {
    char16_t single[256];
    char16_t pair[0x40][256];  // [lead slot][trail byte]; see PairSlot
    bool asciiSame;             // bytes 0x01..0x7F give themselves
};

// The row of a lead byte (0x81..0x9F, 0xE0..0xFC) in UnitFromSJis::pair; 0x3F
// for every other byte, a row left all 0.
constexpr unsigned PairSlot(std::uint8_t lead) noexcept {
    return lead >= 0x81 && lead <= 0x9F   ? lead - 0x81u
           : lead >= 0xE0 && lead <= 0xFC ? lead - 0xE0u + 0x1Fu
                                          : 0x3Fu;
}

UnitFromSJis BuildUnitFromSJis() noexcept;

// Asked of the converter on first use (inline, so that the check that it
// stands costs a call no more than a load).
inline const UnitFromSJis& UnitFromSJisTable() noexcept {
    static const UnitFromSJis table = BuildUnitFromSJis();
    return table;
}

// UTF-16 to Shift_JIS: the bytes of each unit as they lie in memory, the
// second 0 for a single byte (a trail byte is never 0); 0 for the units a
// fused pass does not take (the surrogates, U+0000 and anything that gives
// other than one or two bytes).
struct SJisFromUnit {
    std::uint16_t bytes[0x10000];
    bool asciiSame;  // units 0x01..0x7F give themselves
};

SJisFromUnit BuildSJisFromUnit() noexcept;

inline const SJisFromUnit& SJisFromUnitTable() noexcept {
    static const SJisFromUnit table = BuildSJisFromUnit();
    return table;
}

// How many bytes an entry holds (1 or 2).
inline unsigned SJisLength(std::uint16_t entry) noexcept {
    const unsigned second = std::endian::native == std::endian::little ? entry >> 8 : entry & 0xFFu;
    return 1u + (second != 0);
}

}  // namespace zr::charset
