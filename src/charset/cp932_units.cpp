// cp932_units.cpp - the per-character tables of cp932_units.hpp, asked of the
// host converter.
#include "charset/cp932_units.hpp"

#include <cstring>

#include "platform/codepage.hpp"

namespace zr::charset {
namespace {

using zr::platform::CodePage;

// The one unit the converter makes of `text` (one character), or 0.
char16_t OneUnit(const char* text) noexcept {
    char16_t u[3] = {0, 0, 0};
    if (zr::platform::MultiByteToWide(CodePage::kCp932, text, u, 3) != 2) return 0;
    return u[0] >= 0xD800 && u[0] <= 0xDFFF ? char16_t{0} : u[0];
}

}  // namespace

UnitFromSJis BuildUnitFromSJis() noexcept {
    UnitFromSJis t{};
    for (unsigned b = 1; b < 0x100; ++b) {
        if (PairSlot(static_cast<std::uint8_t>(b)) != 0x3F) continue;  // a lead byte alone
        const char text[2] = {static_cast<char>(b), 0};
        t.single[b] = OneUnit(text);
        // Kept only when the byte also stands alone before a byte that
        // could trail a lead byte: the converter's lead bytes are then the
        // ones PairSlot knows.
        const char before[3] = {static_cast<char>(b), 'A', 0};
        char16_t u[4] = {0, 0, 0, 0};
        if (zr::platform::MultiByteToWide(CodePage::kCp932, before, u, 4) != 3 || u[0] != t.single[b] || u[1] != 'A') {
            t.single[b] = 0;
        }
    }
    t.asciiSame = true;
    for (unsigned b = 1; b < 0x80; ++b) t.asciiSame = t.asciiSame && t.single[b] == b;
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        const unsigned slot = PairSlot(static_cast<std::uint8_t>(lead));
        if (slot == 0x3F) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const char text[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            t.pair[slot][trail] = OneUnit(text);
        }
    }
    return t;
}

SJisFromUnit BuildSJisFromUnit() noexcept {
    SJisFromUnit t{};
    for (unsigned u = 1; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;
        const char16_t text[2] = {static_cast<char16_t>(u), 0};
        char bytes[4] = {0, 0, 0, 0};
        const int r = zr::platform::WideToMultiByte(CodePage::kCp932, text, bytes, 4);
        // One or two bytes and the terminator; a second byte of 0 cannot be
        // a trail byte, so it would not be told from a single byte.
        if (r != 2 && r != 3) continue;
        if (r == 3 && bytes[1] == 0) continue;
        std::uint16_t entry = 0;
        std::memcpy(&entry, bytes, 2);
        t.bytes[u] = entry;
    }
    t.asciiSame = true;
    for (unsigned u = 1; u < 0x80; ++u) {
        const char same[2] = {static_cast<char>(u), 0};
        std::uint16_t entry = 0;
        std::memcpy(&entry, same, 2);
        t.asciiSame = t.asciiSame && t.bytes[u] == entry;
    }
    return t;
}

}  // namespace zr::charset
