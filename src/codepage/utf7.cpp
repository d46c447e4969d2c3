// utf7.cpp - UTF-7 <-> UTF-16 in the host converter's dialect.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codepage/coders.hpp"
#include "codepage/sink.hpp"

namespace zr::codepage {
namespace {

constexpr char kBase64Digits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

struct ByteTables {
    std::int8_t base64[256];  // digit value, -1 for any other byte
    bool direct[128];         // written as itself by the encoder
};

constexpr ByteTables BuildByteTables() {
    ByteTables t{};
    for (auto& v : t.base64) v = -1;
    for (int k = 0; k < 64; ++k) t.base64[static_cast<unsigned char>(kBase64Digits[k])] = static_cast<std::int8_t>(k);
    // Letters, digits, the RFC's Set D punctuation and white space; the
    // optional Set O characters always go into a base64 run.
    for (const char* p = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789'(),-./:? \t\r\n"; *p;
         ++p) {
        t.direct[static_cast<unsigned char>(*p)] = true;
    }
    return t;
}

constexpr ByteTables kTables = BuildByteTables();

// Every 12-bit value as its two digits, so that a run's digits cost one
// lookup per pair.
struct DigitPairs {
    char pair[4096][2];
};

constexpr DigitPairs BuildDigitPairs() {
    DigitPairs t{};
    for (unsigned v = 0; v < 4096; ++v) {
        t.pair[v][0] = kBase64Digits[v >> 6];
        t.pair[v][1] = kBase64Digits[v & 0x3F];
    }
    return t;
}

constexpr DigitPairs kDigitPairs = BuildDigitPairs();

constexpr bool IsDirect(char16_t u) noexcept { return u < 0x80 && kTables.direct[u]; }

// Bit k set when s[k] is '+', for the 16 bytes at s.
inline unsigned PlusBytes16(const std::uint8_t* s) noexcept {
#if defined(ZR_SIMD_SSE2)
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('+'))));
#else
    unsigned m = 0;
    for (unsigned k = 0; k < 16; ++k) m |= static_cast<unsigned>(s[k] == '+') << k;
    return m;
#endif
}

// Bits left by a run that a byte 0x80..0xFF ended survive into the next run;
// only '-' or a byte 0x00..0x7F ending a run drops them.
template <class Sink>
bool DecodeUtf7(const std::uint8_t* s, std::size_t n, Sink& out) noexcept {
    std::uint32_t bits = 0;  // the low `nbits` bits are pending
    unsigned nbits = 0;
    std::size_t i = 0;
    while (i < n) {
        // Outside a run every byte but '+' stands for itself.
        std::size_t j = i;
        while (n - j >= 16) {
            const unsigned plus = PlusBytes16(s + j);
            if (plus != 0) {
                j += static_cast<unsigned>(std::countr_zero(plus));
                break;
            }
            j += 16;
        }
        while (j < n && s[j] != '+') ++j;
        if (!out.PutRun(s + i, j - i)) return false;
        i = j;
        if (i == n) break;
        if (s[i + 1] == '-') {
            // "+-" is a plus sign, not a run: pending bits stay.
            if (!out.Put(u'+')) return false;
            i += 2;
            continue;
        }
        ++i;  // the '+' opening a run gives nothing
        // Eight digits at a time: 48 bits are three whole units and leave
        // the pending bits as they were (fewer than 16, so 64 bits hold
        // them and the 48 new ones). The eight bytes in which the run ends
        // go the same way: only the digits before the first other byte
        // count, and they complete up to three units, stored without a
        // branch on how many: the stores of units not completed all land on
        // the first position not counted, which later output (at least the
        // terminator) overwrites, or which a conversion that stops for
        // capacity fills.
        const std::uint32_t pending = (1u << nbits) - 1;
        while (n - i >= 8 && out.Room() >= 4) {
            const std::int8_t* t = kTables.base64;
            const int v0 = t[s[i]], v1 = t[s[i + 1]], v2 = t[s[i + 2]], v3 = t[s[i + 3]];
            const int v4 = t[s[i + 4]], v5 = t[s[i + 5]], v6 = t[s[i + 6]], v7 = t[s[i + 7]];
            // Negative when any of the bytes is no digit (-1 has all bits set).
            const int hi = v0 << 18 | v1 << 12 | v2 << 6 | v3;
            const int lo = v4 << 18 | v5 << 12 | v6 << 6 | v7;
            char16_t* d = out.Ptr();
            if ((hi | lo) >= 0) {
                const std::uint64_t acc = std::uint64_t{bits} << 48 | static_cast<std::uint64_t>(hi) << 24 |
                                          static_cast<std::uint32_t>(lo);
                const std::uint64_t units = acc >> nbits;
                d[0] = static_cast<char16_t>(units >> 32);
                d[1] = static_cast<char16_t>(units >> 16);
                d[2] = static_cast<char16_t>(units);
                out.Advance(3);
                bits = static_cast<std::uint32_t>(acc) & pending;
                i += 8;
                continue;
            }
            // A negative value has all bits set: bit k of `other` is byte k.
            const unsigned other = (static_cast<unsigned>(v0) >> 31) | (static_cast<unsigned>(v1) >> 31) << 1 |
                                   (static_cast<unsigned>(v2) >> 31) << 2 | (static_cast<unsigned>(v3) >> 31) << 3 |
                                   (static_cast<unsigned>(v4) >> 31) << 4 | (static_cast<unsigned>(v5) >> 31) << 5 |
                                   (static_cast<unsigned>(v6) >> 31) << 6 | (static_cast<unsigned>(v7) >> 31) << 7;
            const unsigned k = static_cast<unsigned>(std::countr_zero(other));
            const std::uint64_t digits =
                static_cast<std::uint64_t>((v0 & 63) << 18 | (v1 & 63) << 12 | (v2 & 63) << 6 | (v3 & 63)) << 24 |
                static_cast<std::uint64_t>((v4 & 63) << 18 | (v5 & 63) << 12 | (v6 & 63) << 6 | (v7 & 63));
            const unsigned total = nbits + 6 * k;  // at most 15 + 42
            const std::uint64_t acc = std::uint64_t{bits} << (6 * k) | (digits >> (48 - 6 * k));
            const unsigned units = total / 16;
            for (unsigned j = 0; j < 3; ++j) {
                const unsigned at = j < units ? j : units;
                const unsigned shift = j < units ? total - 16 * (j + 1) : 0;
                d[at] = static_cast<char16_t>(acc >> shift);
            }
            out.Advance(units);
            nbits = total - 16 * units;
            bits = static_cast<std::uint32_t>(acc) & ((1u << nbits) - 1);
            i += k;
            break;
        }
        for (; i < n; ++i) {
            const std::uint8_t b = s[i];
            const int v = kTables.base64[b];
            if (v < 0) break;
            bits = (bits << 6) | static_cast<std::uint32_t>(v);
            nbits += 6;
            if (nbits >= 16) {
                nbits -= 16;
                if (!out.Put(static_cast<char16_t>(bits >> nbits))) return false;
            }
            bits &= (1u << nbits) - 1;
        }
        if (i == n) {
            // The terminator ends the run.
            bits = 0;
            nbits = 0;
            break;
        }
        const std::uint8_t b = s[i++];
        if (b == '-') {
            bits = 0;
            nbits = 0;
        } else if (b < 0x80) {
            bits = 0;
            nbits = 0;
            if (!out.Put(b)) return false;
        } else {
            if (!out.Put(b)) return false;
        }
    }
    return out.Put(0);
}

template <class Sink>
bool EncodeUtf7(const char16_t* s, std::size_t n, Sink& out) noexcept {
    std::size_t i = 0;
    while (i < n) {
        const char16_t u = s[i];
        if (IsDirect(u)) {
            std::size_t j = i + 1;
            while (j < n && IsDirect(s[j])) ++j;
            if (!out.PutRun(s + i, j - i)) return false;
            i = j;
            continue;
        }
        if (u == u'+') {
            // Two pieces: a short buffer may end after the '+'.
            if (!out.Put('+') || !out.Put('-')) return false;
            ++i;
            continue;
        }
        if (!out.Put('+')) return false;
        // Three units at a time make eight digits and leave no bits over:
        // at the start of a run that holds until a unit below U+0080 (which
        // may go into a run too) or the run's end.
        while (n - i >= 3 && out.Room() >= 8 && (s[i] >= 0x80) & (s[i + 1] >= 0x80) & (s[i + 2] >= 0x80)) {
            const std::uint64_t digits =
                std::uint64_t{s[i]} << 32 | std::uint64_t{s[i + 1]} << 16 | std::uint64_t{s[i + 2]};
            char* d = out.Ptr();
            std::memcpy(d, kDigitPairs.pair[(digits >> 36) & 0xFFF], 2);
            std::memcpy(d + 2, kDigitPairs.pair[(digits >> 24) & 0xFFF], 2);
            std::memcpy(d + 4, kDigitPairs.pair[(digits >> 12) & 0xFFF], 2);
            std::memcpy(d + 6, kDigitPairs.pair[digits & 0xFFF], 2);
            out.Advance(8);
            i += 3;
        }
        if (i == n || IsDirect(s[i]) || s[i] == u'+') {
            // The run ended with a block: no digit is pending.
            if (!out.Put('-')) return false;
            continue;
        }
        std::uint32_t bits = 0;
        unsigned nbits = 0;
        do {
            bits = (bits << 16) | s[i++];
            nbits += 16;
            while (nbits >= 6) {
                nbits -= 6;
                if (!out.Put(kBase64Digits[(bits >> nbits) & 0x3F])) return false;
            }
            bits &= (1u << nbits) - 1;
        } while (i < n && !IsDirect(s[i]) && s[i] != u'+');
        // The run always closes with '-'; a zero-padded last digit and the
        // '-' go out together.
        const bool ok = nbits > 0 ? out.Put2(kBase64Digits[(bits << (6 - nbits)) & 0x3F], '-') : out.Put('-');
        if (!ok) return false;
    }
    return out.Put(0);
}

}  // namespace

int Utf7ToWide(const std::uint8_t* src, std::size_t n, char16_t* dst, int capacity) noexcept {
    // At most one unit per byte (a unit takes three base64 digits), plus the terminator.
    return RunWithCapacity(dst, capacity, std::uint64_t{n} + 1,
                           [&](auto& sink) { return DecodeUtf7(src, n, sink); });
}

int WideToUtf7(const char16_t* src, std::size_t n, char* dst, int capacity) noexcept {
    // A run of k units costs 2 + ceil(16k / 6) bytes, at most 3.5k + 1.5, and
    // every run but the last is followed by a unit of at most two bytes
    // ("+-"), so the text costs at most 3.5n + 1.5 bytes ("!+!+...!" is the
    // worst case), plus the terminator.
    return RunWithCapacity(dst, capacity, (7 * std::uint64_t{n} + 6) / 2,
                           [&](auto& sink) { return EncodeUtf7(src, n, sink); });
}

}  // namespace zr::codepage
