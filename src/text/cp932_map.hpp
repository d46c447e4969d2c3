// cp932_map.hpp - the code page 932 mapping as ZR_Moji's exports give it,
// gathered once into tables, with JIS X 0208 row/cell arithmetic and the
// JIS X 0212 table for EUC-JP.
#pragma once

#include <cstdint>

namespace zr::text {

constexpr bool IsSJisLead(std::uint8_t b) noexcept { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
// 0x7F sits inside the trail range but is DEL, never half of a pair.
constexpr bool IsSJisTrail(std::uint8_t b) noexcept { return b >= 0x40 && b <= 0xFC && b != 0x7F; }

// The row of the pair table a lead byte indexes.
constexpr int Cp932LeadIndex(std::uint8_t lead) noexcept { return lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 31; }

// A Shift_JIS code: one byte (< 0x100) or lead << 8 | trail; 0 = none.
using SJisCode = std::uint16_t;

// The character a Shift_JIS pair stands for, 0 when code page 932 has none.
char32_t SJisPairToUnicode(std::uint8_t lead, std::uint8_t trail) noexcept;
// The Shift_JIS code the host converter writes for `c` when that code reads
// back as `c` (best-fit substitutes are losses, not mappings); 0 = none.
// U+0000 gives 0 as well: callers handle it as ASCII.
SJisCode UnicodeToSJis(char32_t c) noexcept;
// The tables themselves, for the readers' and writers' inner loops (null
// when they could not be built): pairs by Cp932LeadIndex(lead) * 256 +
// trail (the units SJisPairToUnicode gives), and codes by BMP unit (those
// UnicodeToSJis gives).
const char16_t* Cp932PairTable() noexcept;
const SJisCode* Cp932EncodeTable() noexcept;
// Codes by BMP unit with the JIS form of each variant pair written as its
// code page 932 twin's code.
const SJisCode* Cp932EncodeTableWithVariants() noexcept;
// JIS X 0208 through the same mapping, for EUC-JP and ISO-2022-JP: units
// by (j1 - 0x21) * 94 + (j2 - 0x21) (Jis0208 row/cell bytes 0x21..0x7E),
// and the JIS bytes j1 << 8 | j2 by BMP unit (SJisToJis of the code
// UnicodeToSJis gives; 0 = none).
const char16_t* Jis0208DecodeTable() noexcept;
const std::uint16_t* Jis0208EncodeTable() noexcept;

// JIS X 0208 row and cell (1..94 each, as the bytes 0x21..0x7E) and
// Shift_JIS pairs with a lead byte 0x81..0xEF.
constexpr SJisCode JisToSJis(std::uint8_t j1, std::uint8_t j2) noexcept {
    const unsigned row = j1 - 0x20u;
    const unsigned cell = j2 - 0x20u;
    const unsigned lead = ((row + 1) >> 1) + (row <= 62 ? 0x80u : 0xC0u);
    unsigned trail;
    if (row & 1) {
        trail = cell + 0x3F + (cell >= 64 ? 1 : 0);
    } else {
        trail = cell + 0x9E;
    }
    return static_cast<SJisCode>(lead << 8 | trail);
}

// The JIS bytes (j1 << 8 | j2) of a pair with a JIS X 0208 row, 0 otherwise.
constexpr std::uint16_t SJisToJis(SJisCode code) noexcept {
    const unsigned lead = code >> 8;
    const unsigned trail = code & 0xFF;
    if (lead < 0x81 || lead > 0xEF || (lead > 0x9F && lead < 0xE0) || !IsSJisTrail(static_cast<std::uint8_t>(trail))) {
        return 0;
    }
    unsigned row = (lead - (lead <= 0x9F ? 0x80u : 0xC0u)) * 2 - 1;
    unsigned cell;
    if (trail >= 0x9F) {
        ++row;
        cell = trail - 0x9E;
    } else {
        cell = trail - 0x3F - (trail >= 0x80 ? 1 : 0);
    }
    return static_cast<std::uint16_t>((row + 0x20) << 8 | (cell + 0x20));
}

// JIS X 0212, by its two bytes (0xA1..0xFE each, as after 0x8F in EUC-JP).
char32_t JisX0212ToUnicode(std::uint16_t code) noexcept;
std::uint16_t UnicodeToJisX0212(char32_t c) noexcept;

}  // namespace zr::text
