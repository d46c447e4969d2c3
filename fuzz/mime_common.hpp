// mime_common.hpp - round trips shared by the Base64 and Quoted-Printable
// charset targets: Encode<X><W|A> then Decode<X><W|A> gives the text back.
#pragma once

#include <string>

#include "text.hpp"

namespace zr::fuzz {

inline void CharsetRoundTrip(FuzzedDataProvider& fdp, const char* prefix) {
    static const char* const kCodes[] = {"JIS", "SJIS", "EUC", "UTF8"};
    const std::string code = kCodes[fdp.ConsumeIntegralInRange<int>(0, 3)];
    const bool wide = fdp.ConsumeBool();
    const std::string enc = std::string(prefix) + "Encode" + code + (wide ? "W" : "A");
    const std::string dec = std::string(prefix) + "Decode" + code + (wide ? "W" : "A");
    const Export* e = Linked(enc.c_str());
    const Export* d = Linked(dec.c_str());
    if (!e || !d) return;
    // Half-width katakana are lone high bytes in this library's EUC-JP.
    const unsigned sets = kAsciiText | kWideKana | kKanji | (code == "EUC" ? 0u : static_cast<unsigned>(kHalfKana));
    const std::u16string u = ValidText(fdp, sets);
    Input in;
    std::string s;
    if (wide) {
        in = MakeInputW(SrcArena(), u);
    } else {
        s = ToBytes("ZR_UnicodeToSJis", u);
        if (s.empty()) return;
        in = MakeInputA(SrcArena(), s);
    }
    const Outcome text = Run(*e, in, BigSize(in));
    if (text.result <= 0) Fail("valid text refused", e->name);
    const Input tin = MakeInputA(Src2Arena(), text.Text());
    const Outcome back = Run(*d, tin, BigSize(in), 0, Dst2Arena());
    if (wide ? back.units != u : back.Text() != s) Fail("encode then decode changed the text", d->name);
}

}  // namespace zr::fuzz
