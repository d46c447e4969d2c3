// utf7_posix.cpp - UTF-7 <-> UTF-16 in the host converter's dialect.
#include <cstddef>
#include <cstdint>

#include "platform/codepage_coders.hpp"
#include "platform/codepage_sink.hpp"

namespace zr::platform::detail {
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

constexpr bool IsDirect(char16_t u) noexcept { return u < 0x80 && kTables.direct[u]; }

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

}  // namespace zr::platform::detail
