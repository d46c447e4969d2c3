// jis_unicode.cpp - JIS and EUC-JP straight to UTF-16 through a table of the
// host converter's own answers.
#include "charset/jis_unicode.hpp"

#include "charset/blocks.hpp"
#include "charset/jis.hpp"
#include "platform/codepage.hpp"

namespace zr::charset {

namespace {

using zr::platform::CodePage;

UnitTable BuildUnitTable() noexcept {
    UnitTable t{};
    t.usable = true;
    char16_t u[2];
    for (unsigned b = 1; b < 0x80; ++b) {
        const char text[2] = {static_cast<char>(b), 0};
        if (zr::platform::MultiByteToWide(CodePage::kCp932, text, u, 2) != 2 || u[0] != b) t.usable = false;
    }
    for (unsigned h = 0x21; h <= 0x7E; ++h) {
        for (unsigned l = 0x21; l <= 0x7E; ++l) {
            const std::uint8_t jis[2] = {static_cast<std::uint8_t>(h), static_cast<std::uint8_t>(l)};
            std::uint8_t sjis[3] = {0, 0, 0};
            JisPairToSJis(jis, sjis);
            if (zr::platform::MultiByteToWide(CodePage::kCp932, reinterpret_cast<const char*>(sjis), u, 2) != 2) {
                t.usable = false;
            }
            t.pair[(h - 0x21) * 94 + (l - 0x21)] = u[0];
        }
    }
    return t;
}

inline std::size_t Index(std::uint8_t h, std::uint8_t l) noexcept {
    return static_cast<std::size_t>(h - 0x21) * 94 + (l - 0x21);
}

// The units of the first `count` indexes of a block; none past them, since
// a unit left in dst is seen by the caller.
inline void PutUnits(const std::uint16_t* index, unsigned count, const UnitTable& t, char16_t* d) noexcept {
    if (count == 8) {
        for (unsigned k = 0; k < 8; ++k) d[k] = t.pair[index[k]];
        return;
    }
    for (unsigned k = 0; k < count; ++k) d[k] = t.pair[index[k]];
}

}  // namespace

const UnitTable& JisUnitTable() noexcept {
    static const UnitTable table = BuildUnitTable();
    return table;
}

// The reading is that of detail::ReadJis, step for step.
UnitsResult JisToUnits(std::span<const std::uint8_t> src, char16_t* d, std::size_t cap,
                       const UnitTable& t) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    constexpr UnitsResult kDeclined{true, 0, 0};
    if (!t.usable) return kDeclined;
    std::size_t i = 0;
    std::size_t k = 0;
    std::size_t m = 0;
    bool kanji = false;
    std::uint16_t index[8];

    // The two bytes at p read as one JIS X 0208 unit; the byte after an odd
    // last byte is the NUL, which is not one.
    auto pair = [&](const std::uint8_t* p) noexcept {
        if (!IsJisByte(p[0]) || !IsJisByte(p[1]) || k >= cap) return false;
        d[k++] = t.pair[Index(p[0], p[1])];
        m += 2;
        return true;
    };
    auto single = [&](std::uint8_t b) noexcept {
        if (b >= 0x80 || k >= cap) return false;
        d[k++] = b;
        m += 1;
        return true;
    };

    while (i < n) {
        if (s[i] == kEsc) {
            int len = 0;
            if (IsJisKanjiInEscape(s + i, len)) {
                kanji = true;
            } else if (IsJisKanjiOutEscape(s + i, len)) {
                kanji = false;
            }
            if (len != 0) {
                i += static_cast<std::size_t>(len);
                if (i >= n) break;
                if (kanji) {
                    if (!pair(s + i)) return kDeclined;
                    i += 2;
                } else {
                    if (!single(s[i])) return kDeclined;
                    i += 1;
                }
                continue;
            }
        }
        if (kanji) {
            do {
                if (n - i >= blocks::kBlock && cap - k >= 8) {
                    const unsigned b = blocks::JisUnitIndexes(s + i, 0, index);
                    if (b == blocks::kBlock) {
                        PutUnits(index, 8, t, d + k);
                        i += blocks::kBlock;
                        k += 8;
                        m += blocks::kBlock;
                        continue;
                    }
                    PutUnits(index, b / 2, t, d + k);
                    i += b;
                    k += b / 2;
                    m += b;
                    // As in the JIS reader: an ESC on a unit boundary ends
                    // the run; the first unit is taken whatever it is.
                    if (b != 0 && s[i] == kEsc) break;
                }
                if (!pair(s + i)) return kDeclined;
                i += 2;
            } while (i < n && s[i] != kEsc);
        } else {
            // The first byte is taken even when it is an ESC that starts no
            // escape; the run goes on to the next ESC.
            if (!single(s[i])) return kDeclined;
            i += 1;
            while (i < n && s[i] != kEsc) {
                if (n - i >= blocks::kBlock && cap - k >= blocks::kBlock && blocks::WidenPlainAscii(s + i, d + k)) {
                    i += blocks::kBlock;
                    k += blocks::kBlock;
                    m += blocks::kBlock;
                    continue;
                }
                if (!single(s[i])) return kDeclined;
                i += 1;
            }
        }
    }
    return {false, k, m};
}

// The reading is that of EucToJis: ESC $ @ before each run of units, ESC ( B
// after a run that a single byte follows; what JisToSJis then reads back is
// the same units and bytes, since no unit holds an ESC and no single byte is
// one.
UnitsResult EucToUnits(std::span<const std::uint8_t> src, char16_t* d, std::size_t cap,
                       const UnitTable& t) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    constexpr UnitsResult kDeclined{true, 0, 0};
    if (!t.usable) return kDeclined;
    std::size_t i = 0;
    std::size_t k = 0;
    std::size_t j = 0;
    std::uint16_t index[8];

    while (i < n) {
        while (i < n && s[i] < 0x80) {
            if (n - i >= blocks::kBlock && cap - k >= blocks::kBlock && blocks::WidenPlainAscii(s + i, d + k)) {
                i += blocks::kBlock;
                k += blocks::kBlock;
                j += blocks::kBlock;
                continue;
            }
            if (s[i] == kEsc || k >= cap) return kDeclined;
            d[k++] = s[i++];
            j += 1;
        }
        if (i >= n) break;
        j += 3;
        do {
            if (n - i >= blocks::kBlock && cap - k >= 8) {
                const unsigned b = blocks::JisUnitIndexes(s + i, 0x80, index);
                if (b == blocks::kBlock) {
                    PutUnits(index, 8, t, d + k);
                    i += blocks::kBlock;
                    k += 8;
                    j += blocks::kBlock;
                    continue;
                }
                if (b != 0) {
                    PutUnits(index, b / 2, t, d + k);
                    i += b;
                    k += b / 2;
                    j += b;
                    continue;
                }
            }
            const std::uint8_t h = static_cast<std::uint8_t>(s[i] ^ 0x80);
            const std::uint8_t l = static_cast<std::uint8_t>(s[i + 1] ^ 0x80);
            if (!IsJisByte(h) || !IsJisByte(l) || k >= cap) return kDeclined;
            d[k++] = t.pair[Index(h, l)];
            i += 2;
            j += 2;
        } while (i < n && s[i] >= 0x80);
        if (i >= n) break;
        j += 3;
    }
    return {false, k, j};
}

}  // namespace zr::charset
