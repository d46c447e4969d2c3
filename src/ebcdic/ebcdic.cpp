// ebcdic.cpp - byte loops of the EBCDIC conversions.
#include "ebcdic/ebcdic.hpp"

#include "ebcdic/ebcdic_tables.hpp"

namespace zr::ebcdic {
namespace {

// Raw ASCII parentheses: no table cell yields them, so in EBCDIC text they
// can only be brackets around bytes carried through unconverted.
constexpr std::uint8_t kOpen = 0x28;
constexpr std::uint8_t kClose = 0x29;
constexpr std::uint8_t kNoCode = 0xFF;

}  // namespace

const std::uint8_t* TableFor(std::int32_t selector, bool reverse) noexcept {
    switch (selector) {
        case 0x400:
        case 0x600:  // the same cells as 0x400, kept as its own selector for callers
            return reverse ? kReverse400.data() : kTable400.data();
        case 0x500:
            return reverse ? kReverseKana.data() : kTableKana.data();
        default:
            return nullptr;
    }
}

std::uint8_t AsciiToEbcdicCode(std::uint8_t code, std::int32_t selector) noexcept {
    const std::uint8_t* t = TableFor(selector, false);
    return t ? t[code] : kNoCode;
}

std::uint8_t EbcdicToAsciiCode(std::uint8_t code, std::int32_t selector) noexcept {
    const std::uint8_t* t = TableFor(selector, true);
    return t ? t[code] : kNoCode;
}

int AsciiToEbcdic(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst,
                  std::int32_t selector) noexcept {
    if (dst.empty()) return -1;
    const std::uint8_t* t = TableFor(selector, false);
    // The last byte of dst is kept for the terminator, so every write is
    // checked against `limit` and an output that outgrows dst stops short of
    // its end instead of running past it.
    const std::size_t limit = dst.size() - 1;
    std::size_t out = 0;
    const auto put = [&](std::uint8_t b) noexcept {
        if (out >= limit) return false;
        dst[out++] = b;
        return true;
    };
    bool open = false;
    for (const std::uint8_t b : src) {
        bool ok;
        if (b & 0x80) {
            ok = (open || put(kOpen)) && put(b);
            open = true;
        } else {
            ok = (!open || put(kClose)) && put(t ? t[b] : kNoCode);
            open = false;
        }
        if (!ok) {
            dst[0] = 0;
            return -1;
        }
    }
    dst[out] = 0;
    return static_cast<int>(out);
}

int EbcdicToAscii(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst,
                  std::int32_t selector) noexcept {
    const std::uint8_t* t = TableFor(selector, true);
    std::size_t out = 0;
    bool open = false;
    for (const std::uint8_t b : src) {
        if (b == kOpen) {
            open = true;
        } else if (b == kClose) {
            open = false;
        } else {
            dst[out++] = open ? b : (t ? t[b] : kNoCode);
        }
    }
    dst[out] = 0;
    return static_cast<int>(out);
}

}  // namespace zr::ebcdic
