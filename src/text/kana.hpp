// kana.hpp - half-width / full-width katakana and the JIS / code page 932
// variant pairs, on code points.
#pragma once

#include <cstddef>
#include <cstdint>

namespace zr::text {

constexpr bool IsHalfwidthKana(char32_t c) noexcept { return c >= 0xFF61 && c <= 0xFF9F; }

// The full-width form of a half-width katakana (or punctuation) character.
char32_t FullwidthOf(char32_t half) noexcept;
// The full-width kana `half` followed by the mark `mark` (U+FF9E/U+FF9F)
// make together, or 0 when JIS X 0208 has no such character.
char32_t CombinedWithMark(char32_t half, char32_t mark) noexcept;

std::size_t KanaToFullwidth(const std::uint32_t* src, std::size_t n, std::uint32_t* dst, std::size_t cap) noexcept;
std::size_t KanaToHalfwidth(const std::uint32_t* src, std::size_t n, std::uint32_t* dst, std::size_t cap) noexcept;

struct VariantPair {
    char32_t jis;
    char32_t cp932;
};
// JIS-based tools and code page 932 read the same codes as different
// characters; towards the Japanese encodings the JIS form is written with
// the code page 932 form's code.
inline constexpr VariantPair kVariantPairs[] = {
    {0x301C, 0xFF5E},  // WAVE DASH / FULLWIDTH TILDE: 81 60
    {0x2016, 0x2225},  // DOUBLE VERTICAL LINE / PARALLEL TO: 81 61
    {0x2212, 0xFF0D},  // MINUS SIGN / FULLWIDTH HYPHEN-MINUS: 81 7C
    {0x2014, 0x2015},  // EM DASH / HORIZONTAL BAR: 81 5C
    {0x00A2, 0xFFE0},  // CENT SIGN / FULLWIDTH CENT SIGN: 81 91
    {0x00A3, 0xFFE1},  // POUND SIGN / FULLWIDTH POUND SIGN: 81 92
    {0x00AC, 0xFFE2},  // NOT SIGN / FULLWIDTH NOT SIGN: 81 CA
};

constexpr char32_t VariantToCp932(char32_t c) noexcept {
    for (const auto& p : kVariantPairs) {
        if (p.jis == c) return p.cp932;
    }
    return c;
}

constexpr char32_t VariantToJis(char32_t c) noexcept {
    for (const auto& p : kVariantPairs) {
        if (p.cp932 == c) return p.jis;
    }
    return c;
}

}  // namespace zr::text
