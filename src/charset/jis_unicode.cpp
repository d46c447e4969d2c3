// jis_unicode.cpp - JIS and EUC-JP straight to UTF-16 through a table of the
// host converter's own answers.
#include "charset/jis_unicode.hpp"

#include "charset/blocks.hpp"
#include "charset/jis.hpp"
#include "charset/jis_reader.hpp"
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

constexpr UnitsResult kDeclined{true, 0, 0};

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

// The units of the plain units among the 16 bytes at s (their high bits
// flipped by `flip` first), written at d: how many bytes they took.
inline unsigned TableBlock(const std::uint8_t* s, std::uint8_t flip, const UnitTable& t, char16_t* d) noexcept {
    std::uint16_t index[8];
    const unsigned b = blocks::JisUnitIndexes(s, flip, index);
    PutUnits(index, b / 2, t, d);
    return b;
}

// The reader of detail::WalkJis that writes units: it models single bytes
// below 0x80 and JIS X 0208 units, and declines anything else. `m` keeps the
// length of the Shift_JIS text the steps would have made.
class UnitReader {
public:
    UnitReader(char16_t* d, std::size_t cap, const UnitTable& t) noexcept : d_(d), cap_(cap), t_(t) {}

    std::size_t units() const noexcept { return k_; }
    std::size_t midLength() const noexcept { return m_; }

    // The two bytes at p read as one JIS X 0208 unit; the byte after an odd
    // last byte is the NUL, which is not one.
    detail::Step Unit(const std::uint8_t* p) noexcept {
        if (!IsJisByte(p[0]) || !IsJisByte(p[1]) || k_ >= cap_) return detail::Step::kDeclined;
        d_[k_++] = t_.pair[Index(p[0], p[1])];
        m_ += 2;
        return detail::Step::kNext;
    }

    detail::Step Byte(const std::uint8_t* p) noexcept {
        if (*p >= 0x80 || k_ >= cap_) return detail::Step::kDeclined;
        d_[k_++] = *p;
        m_ += 1;
        return detail::Step::kNext;
    }

    detail::Step Bytes(const std::uint8_t* s, std::size_t n, std::size_t& i) noexcept {
        if (Byte(s + i) != detail::Step::kNext) return detail::Step::kDeclined;
        i += 1;
        while (i < n && s[i] != kEsc) {
            if (n - i >= blocks::kBlock && cap_ - k_ >= blocks::kBlock && blocks::WidenPlainAscii(s + i, d_ + k_)) {
                i += blocks::kBlock;
                k_ += blocks::kBlock;
                m_ += blocks::kBlock;
                continue;
            }
            if (Byte(s + i) != detail::Step::kNext) return detail::Step::kDeclined;
            i += 1;
        }
        return detail::Step::kNext;
    }

    bool BlockRoom() const noexcept { return cap_ - k_ >= 8; }

    unsigned Block(const std::uint8_t* p) noexcept {
        const unsigned b = TableBlock(p, 0, t_, d_ + k_);
        k_ += b / 2;
        m_ += b;
        return b;
    }

private:
    char16_t* d_;
    std::size_t cap_;
    const UnitTable& t_;
    std::size_t k_ = 0;
    std::size_t m_ = 0;
};

}  // namespace

const UnitTable& JisUnitTable() noexcept {
    static const UnitTable table = BuildUnitTable();
    return table;
}

UnitsResult JisToUnits(std::span<const std::uint8_t> src, char16_t* d, std::size_t cap,
                       const UnitTable& t) noexcept {
    if (!t.usable) return kDeclined;
    UnitReader r(d, cap, t);
    if (detail::WalkJis(src.data(), src.size(), r) != detail::Step::kNext) return kDeclined;
    return {false, r.units(), r.midLength()};
}

// The reading is that of EucToJis: ESC $ @ before each run of units, ESC ( B
// after a run that a single byte follows; what JisToSJis then reads back is
// the same units and bytes, since no unit holds an ESC and no single byte is
// one.
UnitsResult EucToUnits(std::span<const std::uint8_t> src, char16_t* d, std::size_t cap,
                       const UnitTable& t) noexcept {
    const std::uint8_t* s = src.data();
    const std::size_t n = src.size();
    if (!t.usable) return kDeclined;
    std::size_t i = 0;
    std::size_t k = 0;
    std::size_t j = 0;

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
                const unsigned b = TableBlock(s + i, 0x80, t, d + k);
                if (b != 0) {
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
