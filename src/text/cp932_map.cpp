// cp932_map.cpp - code page 932 tables gathered from ZR_Moji's exports.
//
// The exports are the one source of the Windows mapping, but they take
// whole NUL-terminated texts; the text module reads and writes a character
// at a time and must tell a real U+30FB from the converter's default unit.
// So the mapping is asked for once, a lead byte's row of pairs per call,
// and kept in tables.
#include "text/cp932_map.hpp"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <new>
#include <vector>

#include "text/kana.hpp"
#include "zr_moji.h"

namespace zr::text {

namespace {

struct JisX0212Entry {
    std::uint16_t a;
    std::uint16_t b;
};

#include "text/jisx0212.inc"

constexpr char16_t kDefaultUnit = 0x30FB;  // what the host writes for a pair it lacks
constexpr SJisCode kMiddleDot = 0x8145;    // the pair that really is U+30FB

struct Tables {
    char16_t pair[60][256] = {};   // lead x trail -> unit, 0 = none
    SJisCode encode[0x10000] = {};  // unit -> code, 0 = none
    SJisCode encodeVariants[0x10000] = {};  // the same, JIS forms as their code page 932 twins
    char16_t jisDecode[94 * 94] = {};
    std::uint16_t jisEncode[0x10000] = {};

    Tables() noexcept {
        FillPairs();
        FillEncode();
        FillJis();
        std::copy(std::begin(encode), std::end(encode), std::begin(encodeVariants));
        for (const VariantPair& v : kVariantPairs) encodeVariants[v.jis] = encode[v.cp932];
    }

    void FillJis() noexcept {
        for (unsigned j1 = 0x21; j1 <= 0x7E; ++j1) {
            for (unsigned j2 = 0x21; j2 <= 0x7E; ++j2) {
                const SJisCode s = JisToSJis(static_cast<std::uint8_t>(j1), static_cast<std::uint8_t>(j2));
                jisDecode[(j1 - 0x21) * 94 + (j2 - 0x21)] =
                    Decode(static_cast<std::uint8_t>(s >> 8), static_cast<std::uint8_t>(s & 0xFF));
            }
        }
        for (std::uint32_t u = 0; u < 0x10000; ++u) jisEncode[u] = SJisToJis(encode[u]);
    }

    void FillPairs() noexcept {
        char row[188 * 2 + 1];
        ZR_WCHAR units[188 + 8];
        for (int lead = 0x81; lead <= 0xFC; ++lead) {
            if (!IsSJisLead(static_cast<std::uint8_t>(lead))) continue;
            int n = 0;
            for (int t = 0x40; t <= 0xFC; ++t) {
                if (!IsSJisTrail(static_cast<std::uint8_t>(t))) continue;
                row[n++] = static_cast<char>(lead);
                row[n++] = static_cast<char>(t);
            }
            row[n] = 0;
            const int got = ZR_SJisToUnicode(row, units, 188 + 8);
            char16_t* out = pair[Cp932LeadIndex(static_cast<std::uint8_t>(lead))];
            if (got == n / 2 + 1) {
                int k = 0;
                for (int t = 0x40; t <= 0xFC; ++t) {
                    if (IsSJisTrail(static_cast<std::uint8_t>(t))) out[t] = Keep(lead, t, units[k++]);
                }
                continue;
            }
            // A row whose pairs did not come out one unit each: ask pair by pair.
            for (int t = 0x40; t <= 0xFC; ++t) {
                if (!IsSJisTrail(static_cast<std::uint8_t>(t))) continue;
                const char one[3] = {static_cast<char>(lead), static_cast<char>(t), 0};
                ZR_WCHAR u[4];
                if (ZR_SJisToUnicode(one, u, 4) == 2) out[t] = Keep(lead, t, u[0]);
            }
        }
    }

    static char16_t Keep(int lead, int trail, ZR_WCHAR u) noexcept {
        if (u == 0) return 0;
        if (u == kDefaultUnit && (lead << 8 | trail) != kMiddleDot) return 0;
        return static_cast<char16_t>(u);
    }

    // Every unit some pair reads as is asked for in one pass; the host's
    // answer is kept when it reads back as the same unit (for duplicates
    // such as the NEC and IBM rows that settles which code is written).
    void FillEncode() noexcept {
        std::vector<char16_t> wanted;
        wanted.reserve(8000);
        std::vector<bool> seen(0x10000);
        for (int i = 0; i < 60; ++i) {
            for (int t = 0; t < 256; ++t) {
                const char16_t u = pair[i][t];
                if (u && !seen[u]) {
                    seen[u] = true;
                    wanted.push_back(u);
                }
            }
        }
        constexpr std::size_t kBatch = 512;
        std::vector<ZR_WCHAR> in(kBatch + 1);
        std::vector<char> out(kBatch * 2 + 8);
        for (std::size_t at = 0; at < wanted.size(); at += kBatch) {
            const std::size_t n = std::min(kBatch, wanted.size() - at);
            for (std::size_t k = 0; k < n; ++k) in[k] = wanted[at + k];
            in[n] = 0;
            const int got = ZR_UnicodeToSJis(in.data(), out.data(), static_cast<std::int32_t>(out.size()));
            if (got <= 0 || !Parse(&wanted[at], n, out.data(), static_cast<std::size_t>(got))) {
                for (std::size_t k = 0; k < n; ++k) AskOne(wanted[at + k]);
            }
        }
        for (std::uint32_t b = 0x01; b < 0x80; ++b) encode[b] = static_cast<SJisCode>(b);
        for (std::uint32_t b = 0xA1; b <= 0xDF; ++b) encode[0xFF61 + b - 0xA1] = static_cast<SJisCode>(b);
    }

    bool Parse(const char16_t* units, std::size_t n, const char* bytes, std::size_t len) noexcept {
        std::size_t k = 0;
        SJisCode codes[kMaxBatch];
        for (std::size_t i = 0; i < n; ++i) {
            if (k >= len) return false;
            const auto b = static_cast<std::uint8_t>(bytes[k]);
            if (IsSJisLead(b)) {
                if (k + 1 >= len) return false;
                codes[i] = static_cast<SJisCode>(b << 8 | static_cast<std::uint8_t>(bytes[k + 1]));
                k += 2;
            } else {
                codes[i] = b;
                k += 1;
            }
        }
        if (k != len) return false;
        for (std::size_t i = 0; i < n; ++i) Set(units[i], codes[i]);
        return true;
    }
    static constexpr std::size_t kMaxBatch = 512;

    void AskOne(char16_t u) noexcept {
        const ZR_WCHAR in[2] = {u, 0};
        char out[8];
        const int got = ZR_UnicodeToSJis(in, out, 8);
        const auto b0 = static_cast<std::uint8_t>(out[0]);
        if (got == 2 && IsSJisLead(b0)) Set(u, static_cast<SJisCode>(b0 << 8 | static_cast<std::uint8_t>(out[1])));
        if (got == 1) Set(u, b0);
    }

    void Set(char16_t u, SJisCode code) noexcept {
        const bool back = code >= 0x100 ? Decode(static_cast<std::uint8_t>(code >> 8),
                                                 static_cast<std::uint8_t>(code & 0xFF)) == u
                                        : false;
        if (back) encode[u] = code;
    }

    char16_t Decode(std::uint8_t lead, std::uint8_t trail) const noexcept {
        if (!IsSJisLead(lead)) return 0;
        return pair[Cp932LeadIndex(lead)][trail];
    }
};

const Tables* TheTables() noexcept {
    // Built on first use; a static local is initialised once even when
    // several threads open converters at the same time.
    static const std::unique_ptr<Tables> t(new (std::nothrow) Tables);
    return t.get();
}

}  // namespace

char32_t SJisPairToUnicode(std::uint8_t lead, std::uint8_t trail) noexcept {
    const Tables* t = TheTables();
    return t ? t->Decode(lead, trail) : 0;
}

const char16_t* Cp932PairTable() noexcept {
    const Tables* t = TheTables();
    return t ? &t->pair[0][0] : nullptr;
}

const SJisCode* Cp932EncodeTable() noexcept {
    const Tables* t = TheTables();
    return t ? t->encode : nullptr;
}

const SJisCode* Cp932EncodeTableWithVariants() noexcept {
    const Tables* t = TheTables();
    return t ? t->encodeVariants : nullptr;
}

const char16_t* Jis0208DecodeTable() noexcept {
    const Tables* t = TheTables();
    return t ? t->jisDecode : nullptr;
}

const std::uint16_t* Jis0208EncodeTable() noexcept {
    const Tables* t = TheTables();
    return t ? t->jisEncode : nullptr;
}

SJisCode UnicodeToSJis(char32_t c) noexcept {
    if (c >= 0x10000) return 0;
    const Tables* t = TheTables();
    return t ? t->encode[c] : 0;
}

char32_t JisX0212ToUnicode(std::uint16_t code) noexcept {
    const auto* end = std::end(kJisX0212ByCode);
    const auto* it = std::lower_bound(std::begin(kJisX0212ByCode), end, code,
                                      [](const JisX0212Entry& e, std::uint16_t k) { return e.a < k; });
    return it != end && it->a == code ? it->b : 0;
}

std::uint16_t UnicodeToJisX0212(char32_t c) noexcept {
    if (c >= 0x10000) return 0;
    const auto* end = std::end(kJisX0212ByUnicode);
    const auto* it = std::lower_bound(std::begin(kJisX0212ByUnicode), end, c,
                                      [](const JisX0212Entry& e, char32_t k) { return e.b < k; });
    return it != end && it->b == c ? it->a : 0;
}

}  // namespace zr::text
