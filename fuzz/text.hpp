// text.hpp - fuzz-chosen text that every conversion carries through and
// back unchanged, for the round-trip properties.
#pragma once

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>

#include "harness.hpp"

namespace zr::fuzz {

enum TextSet : unsigned {
    kAsciiText = 1u << 0,     // printable ASCII, tab, CR, LF
    kWideKana = 1u << 1,      // hiragana, katakana, full-width letters
    kHalfKana = 1u << 2,      // half-width katakana (single Shift_JIS bytes)
    kKanji = 1u << 3,         // a few level-1 kanji and punctuation
};

// Text whose characters all have a code page 932 form that maps back to the
// same character. `avoid` lists ASCII characters to leave out.
inline std::u16string ValidText(FuzzedDataProvider& fdp, unsigned sets, const char* avoid = "") {
    static const char16_t kKanjiList[] = {0x4E9C, 0x65E5, 0x672C, 0x8A9E, 0x6F22, 0x5B57,
                                          0x30FC, 0x3001, 0x3002, 0x300C, 0x300D, 0xFF01};
    std::u16string s;
    const std::size_t n = fdp.ConsumeIntegralInRange<std::size_t>(1, 200);
    while (s.size() < n && fdp.remaining_bytes() > 0) {
        const unsigned pick = fdp.ConsumeIntegralInRange<unsigned>(0, 3);
        if (!(sets & (1u << pick))) continue;
        char16_t c = 0;
        switch (pick) {
        case 0: {
            static const char kExtra[] = "\t\r\n";
            const unsigned v = fdp.ConsumeIntegralInRange<unsigned>(0, 0x5F + 2);
            c = v <= 0x5E ? static_cast<char16_t>(0x20 + v) : static_cast<char16_t>(kExtra[v - 0x5F]);
            if (std::strchr(avoid, static_cast<char>(c)) != nullptr) continue;
            break;
        }
        case 1: {
            const unsigned v = fdp.ConsumeIntegralInRange<unsigned>(0, 0x52 + 0x56 + 0x1A);
            if (v <= 0x52) c = static_cast<char16_t>(0x3041 + v);
            else if (v <= 0x52 + 0x56) c = static_cast<char16_t>(0x30A1 + (v - 0x53));
            else c = static_cast<char16_t>(0xFF21 + (v - 0x53 - 0x56));
            break;
        }
        case 2:
            c = static_cast<char16_t>(0xFF61 + fdp.ConsumeIntegralInRange<unsigned>(0, 0x3E));
            break;
        default:
            c = kKanjiList[fdp.ConsumeIntegralInRange<std::size_t>(0, std::size(kKanjiList) - 1)];
            break;
        }
        s.push_back(c);
    }
    if (s.empty()) s.push_back(u'a');
    return s;
}

// Converts `u` with a linked export (W source) into a byte string; empty
// when the export is missing or did not succeed.
inline std::string ToBytes(const char* exportName, const std::u16string& u) {
    const Export* e = Linked(exportName);
    if (!e) return {};
    const Input in = MakeInputW(Src2Arena(), u);
    const Outcome o = Run(*e, in, BigSize(in), 0, Dst2Arena());
    return o.result > 0 ? o.Text() : std::string();
}

}  // namespace zr::fuzz
