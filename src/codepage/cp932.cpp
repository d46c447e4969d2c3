// cp932.cpp - code page 932 <-> UTF-16 from the published best-fit tables.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codepage/coders.hpp"
#include "codepage/sink.hpp"
#include "codepage/utf8_lanes.hpp"

namespace zr::codepage {
namespace {

#include "codepage/cp932_tables.inc"

// Flipping bit 5 turns the two lead-byte ranges 0x81..0x9F and 0xE0..0xFC
// into the one range 0xA1..0xDC, in the order of the rows of
// kCp932PairToUnit: one subtraction and one unsigned compare tell a lead
// byte and give its row, with no lookup in between.
constexpr unsigned kLeadCount = 60;
constexpr unsigned LeadIndex(std::uint8_t b) noexcept { return static_cast<std::uint8_t>((b ^ 0x20) - 0xA1); }

constexpr bool LeadIndexMatchesRows() {
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned row = kCp932LeadRow[b];
        const unsigned index = LeadIndex(static_cast<std::uint8_t>(b));
        if (row == 0 ? index < kLeadCount : index != row - 1) return false;
    }
    return true;
}
static_assert(LeadIndexMatchesRows(), "lead byte ranges of code page 932 changed");

// One flat table for both kinds of character, so that a character costs
// one load whatever it is: rows 0..59 are the pairs of each lead byte, with
// the default unit already in every cell without an entry, and row 60 the
// single bytes. Column 0 of a pair row (a lead byte before the terminator)
// holds the default unit too; only the byte count differs.
constexpr unsigned kSingleRow = kLeadCount;

struct DecodeTable {
    char16_t cell[(kLeadCount + 1) * 256];
};

constexpr DecodeTable BuildDecodeTable() {
    DecodeTable t{};
    for (std::size_t r = 0; r < kLeadCount; ++r) {
        for (std::size_t b = 0; b < 256; ++b) {
            const std::uint16_t v = kCp932PairToUnit[r][b];
            t.cell[r * 256 + b] = v != 0 ? v : kCp932DefaultUnit;
        }
    }
    for (std::size_t b = 0; b < 256; ++b) t.cell[kSingleRow * 256 + b] = kCp932ByteToUnit[b];
    return t;
}

constexpr DecodeTable kDecode = BuildDecodeTable();

// Round-trip and best-fit encodings merged once, at compile time, into the
// flat table the encoder indexes; a unit with neither becomes '?'. Each cell
// holds the bytes as written: lead and trail byte, or the single byte and 0
// (no trail byte is 0, so the second byte tells the length).
struct EncodeTable {
    std::uint8_t bytes[65536][2];
};

constexpr EncodeTable BuildEncodeTable() {
    EncodeTable t{};
    auto set = [&t](std::size_t u, std::uint16_t c) {
        t.bytes[u][0] = static_cast<std::uint8_t>(c >= 0x100 ? c >> 8 : c);
        t.bytes[u][1] = static_cast<std::uint8_t>(c >= 0x100 ? c & 0xFF : 0);
    };
    for (std::size_t u = 0; u < 65536; ++u) {
        const std::uint16_t c = kCp932UnitToCode[u];
        set(u, c == kCp932NoCode ? kCp932DefaultByte : c);
    }
    for (const auto& bf : kCp932BestFit) set(bf.unit, bf.code);
    return t;
}

constexpr EncodeTable kEncode = BuildEncodeTable();

// The fast paths below copy ASCII through unchanged; that holds only while
// code page 932 keeps 0x00..0x7F as ASCII in both directions.
constexpr bool AsciiIsIdentity() {
    for (unsigned b = 0; b < 0x80; ++b) {
        if (kCp932ByteToUnit[b] != b || kEncode.bytes[b][0] != b || kEncode.bytes[b][1] != 0 ||
            kCp932LeadRow[b] != 0) {
            return false;
        }
    }
    return true;
}
static_assert(AsciiIsIdentity(), "code page 932 tables no longer keep ASCII as is");

// Decodes the run of double-byte characters that starts at s, up to eight
// of them, and returns how many there were. All eight units at d are
// stored; those past the run are scratch. The 16 bytes at s belong to the
// text (no terminator among them), so every lead byte there has a second
// byte that is not 0 and makes a pair with it.
inline unsigned DecodePairs8(const std::uint8_t* s, char16_t* d) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    // Lane k holds byte 2k (the lead candidate) low and byte 2k + 1 high.
    const __m128i lead = _mm_xor_si128(_mm_and_si128(v, _mm_set1_epi16(0x00FF)), _mm_set1_epi16(0x20));
    const __m128i isLead =
        _mm_and_si128(_mm_cmpgt_epi16(lead, _mm_set1_epi16(0xA0)), _mm_cmpgt_epi16(_mm_set1_epi16(0xDD), lead));
    const unsigned pairs =
        static_cast<unsigned>(std::countr_zero(~static_cast<unsigned>(_mm_movemask_epi8(isLead)))) / 2;
    // Row * 256 + second byte; lanes that hold no lead byte read cell 0.
    const __m128i index = _mm_and_si128(
        _mm_or_si128(_mm_slli_epi16(_mm_sub_epi16(lead, _mm_set1_epi16(0xA1)), 8), _mm_srli_epi16(v, 8)), isLead);
    d[0] = kDecode.cell[_mm_extract_epi16(index, 0)];
    d[1] = kDecode.cell[_mm_extract_epi16(index, 1)];
    d[2] = kDecode.cell[_mm_extract_epi16(index, 2)];
    d[3] = kDecode.cell[_mm_extract_epi16(index, 3)];
    d[4] = kDecode.cell[_mm_extract_epi16(index, 4)];
    d[5] = kDecode.cell[_mm_extract_epi16(index, 5)];
    d[6] = kDecode.cell[_mm_extract_epi16(index, 6)];
    d[7] = kDecode.cell[_mm_extract_epi16(index, 7)];
    return pairs;
#else
    unsigned pairs = 0;
    while (pairs < 8 && LeadIndex(s[2 * pairs]) < kLeadCount) {
        d[pairs] = kDecode.cell[LeadIndex(s[2 * pairs]) * 256 + s[2 * pairs + 1]];
        ++pairs;
    }
    return pairs;
#endif
}

template <class Sink>
bool DecodeCp932(const std::uint8_t* s, std::size_t n, Sink& out) noexcept {
    const AsciiRuns runs = FastestAsciiRuns();
    std::size_t i = 0;
    // Blocks of 16 bytes, written straight to the output. Units are the
    // pieces here, so a conversion that stops for capacity has filled the
    // whole room; and at least one unit per two bytes follows, so stores
    // past the counted units are overwritten when all fits too: eight units
    // need 16 more bytes of text (the pair path), sixteen need 32 (the
    // partial ASCII store).
    while (i < n) {
        if (n - i >= 16 && out.Room() >= 16) {
            char16_t* d = out.Ptr();
            const unsigned high = HighBytes16(s + i);
            if (high == 0) {
                // Maybe the start of a run of ASCII, taken on in the whole
                // blocks of the UTF-8 decoder's runs, which store only the
                // units they count.
                WidenBytes16(s + i, d);
                const std::size_t r = WidenRun(runs, s + i + 16, n - i - 16, out.Room() - 16, d + 16);
                out.Advance(16 + r);
                i += 16 + r;
                continue;
            }
            if ((high & 1) == 0) {
                const unsigned k = static_cast<unsigned>(std::countr_zero(high));
                if (n - i >= 32) {
                    WidenBytes16(s + i, d);
                } else {
                    for (unsigned j = 0; j < k; ++j) d[j] = s[i + j];
                }
                out.Advance(k);
                i += k;
                continue;
            }
            const unsigned pairs = DecodePairs8(s + i, d);
            // A whole block of pairs moves on by a constant, which the
            // branch predictor resolves ahead of the data within a run of
            // kanji and kana; only a run's end waits for the count.
            if (pairs == 8) {
                out.Advance(8);
                i += 16;
                continue;
            }
            if (pairs != 0) {
                out.Advance(pairs);
                i += 2 * pairs;
                continue;
            }
        }
        // One character. Any second byte but the terminator makes a pair
        // and is consumed, even one that cannot be a trail byte: the pair
        // then has no entry. A lead byte right before the terminator stands
        // alone and leaves the terminator to end the text.
        const std::uint8_t b = s[i];
        const unsigned row = LeadIndex(b);
        char16_t u;
        if (row < kLeadCount) {
            const std::uint8_t t = s[i + 1];
            u = kDecode.cell[row * 256 + t];
            i += t != 0 ? 2 : 1;
        } else {
            u = kDecode.cell[kSingleRow * 256 + b];
            ++i;
        }
        if (!out.Put(u)) return false;
    }
    return out.Put(0);
}

template <class Sink>
bool EncodeCp932(const char16_t* s, std::size_t n, Sink& out) noexcept {
    std::size_t i = 0;
    // Blocks of eight units without a test between them: each stores both
    // bytes of its cell and moves by its length, the next store covering
    // the spare 0 of a single byte. A block writes at most 16 bytes, so a
    // room of 18 leaves the next piece (or the terminator) room to cover
    // the last spare, however the conversion goes on.
    while (n - i >= 8 && out.Room() >= 18) {
        char* d = out.Ptr();
        if (n - i >= 16 && IsAscii16(s + i)) {
            NarrowAscii16(s + i, d);
            out.Advance(16);
            i += 16;
            continue;
        }
        char* p = d;
        for (unsigned j = 0; j < 8; ++j) {
            const std::uint8_t* cell = kEncode.bytes[s[i + j]];
            std::memcpy(p, cell, 2);
            p += 1 + (cell[1] != 0);
        }
        out.Advance(static_cast<std::size_t>(p - d));
        i += 8;
    }
    // Surrogates have no entry, so each half of a pair becomes '?' alone.
    for (; i < n; ++i) {
        const std::uint8_t* cell = kEncode.bytes[s[i]];
        const bool ok = cell[1] != 0 ? out.Put2(static_cast<char>(cell[0]), static_cast<char>(cell[1]))
                                     : out.Put(static_cast<char>(cell[0]));
        if (!ok) return false;
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

}  // namespace zr::codepage
