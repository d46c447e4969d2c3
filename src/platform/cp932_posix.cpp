// cp932_posix.cpp - code page 932 <-> UTF-16 from the published best-fit tables.
#include <cstddef>
#include <cstdint>

#include "platform/codepage_coders.hpp"
#include "platform/codepage_sink.hpp"

namespace zr::platform::detail {
namespace {

#include "platform/cp932_tables.inc"

// Round-trip and best-fit encodings merged once, at compile time, into the
// flat table the encoder indexes; a unit with neither becomes '?'.
struct EncodeTable {
    std::uint16_t code[65536];
};

constexpr EncodeTable BuildEncodeTable() {
    EncodeTable t{};
    for (std::size_t u = 0; u < 65536; ++u) {
        const std::uint16_t c = kCp932UnitToCode[u];
        t.code[u] = c == kCp932NoCode ? kCp932DefaultByte : c;
    }
    for (const auto& bf : kCp932BestFit) t.code[bf.unit] = bf.code;
    return t;
}

constexpr EncodeTable kEncode = BuildEncodeTable();

// The fast paths below copy ASCII through unchanged; that holds only while
// code page 932 keeps 0x00..0x7F as ASCII in both directions.
constexpr bool AsciiIsIdentity() {
    for (unsigned b = 0; b < 0x80; ++b) {
        if (kCp932ByteToUnit[b] != b || kEncode.code[b] != b || kCp932LeadRow[b] != 0) return false;
    }
    return true;
}
static_assert(AsciiIsIdentity(), "code page 932 tables no longer keep ASCII as is");

template <class Sink>
bool DecodeCp932(const std::uint8_t* s, std::size_t n, Sink& out) noexcept {
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            // Runs of eight and more go through the word-wide scan; shorter
            // ones, the common case between kanji, unit by unit.
            if (n - i >= 8 && IsAsciiWord(s + i)) {
                const std::size_t j = AsciiRunEnd(s, i + 8, n);
                if (!out.PutRun(s + i, j - i)) return false;
                i = j;
            } else {
                if (!out.Put(b)) return false;
                ++i;
            }
            continue;
        }
        const unsigned row = kCp932LeadRow[b];
        char16_t u;
        if (row == 0) {
            u = kCp932ByteToUnit[b];
            ++i;
        } else {
            // Any second byte but the terminator makes a pair and is consumed,
            // even one that cannot be a trail byte: the pair then has no
            // entry. A lead byte right before the terminator stands alone
            // (the terminator's column has no entry either) and leaves the
            // terminator to end the text.
            const std::uint8_t t = s[i + 1];
            const std::uint16_t v = kCp932PairToUnit[row - 1][t];
            u = v != 0 ? v : kCp932DefaultUnit;
            i += t != 0 ? 2 : 1;
        }
        if (!out.Put(u)) return false;
    }
    return out.Put(0);
}

template <class Sink>
bool EncodeCp932(const char16_t* s, std::size_t n, Sink& out) noexcept {
    std::size_t i = 0;
    while (i < n) {
        // Runs of ASCII go through the word-wide scan; a single ASCII unit
        // between kanji takes the table like any other.
        if (n - i >= 4 && IsAsciiWord(s + i)) {
            const std::size_t j = AsciiRunEnd(s, i + 4, n);
            if (!out.PutRun(s + i, j - i)) return false;
            i = j;
            continue;
        }
        // Surrogates have no entry, so each half of a pair becomes '?' alone.
        if (!out.PutCode(kEncode.code[s[i++]])) return false;
    }
    return out.Put(0);
}

}  // namespace

int Cp932ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept {
    // At most one unit per byte, plus the terminator.
    return RunWithCapacity(dst, capacity, std::uint64_t{n} + 1,
                           [&](auto& sink) { return DecodeCp932(src, n, sink); });
}

int WideToCp932(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept {
    // At most two bytes per unit, plus the terminator.
    return RunWithCapacity(dst, capacity, 2 * std::uint64_t{n} + 1,
                           [&](auto& sink) { return EncodeCp932(src, n, sink); });
}

}  // namespace zr::platform::detail
