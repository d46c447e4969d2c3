// fuzz_utf8_utf7.cpp - UTF-8 and UTF-7 <-> UTF-16 and Shift_JIS, and the
// UTF-8 sequence test.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

bool IsCont(std::uint8_t b) { return (b & 0xC0) == 0x80; }

// The sequence length the bit patterns give, reading no byte past a NUL.
int Utf8Length(const std::uint8_t* p) {
    if (p[0] >= 0x20 && p[0] <= 0x7F) return 0;
    int m = 0;
    if ((p[0] & 0xE0) == 0xC0) m = 2;
    else if ((p[0] & 0xF0) == 0xE0) m = 3;
    else if ((p[0] & 0xF8) == 0xF0) m = 4;
    else if ((p[0] & 0xFC) == 0xF8) m = 5;
    else if ((p[0] & 0xFE) == 0xFC) m = 6;
    else return 0;
    for (int i = 1; i < m; ++i) {
        if (!IsCont(p[i])) return 0;
    }
    return m;
}

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    if (std::strcmp(e.name, "ZR_IsUtf8Char") == 0) {
        const int want = Utf8Length(static_cast<const std::uint8_t*>(in.ptr));
        if (o.result != want) Fail("sequence length differs from the bit patterns", e.name);
    }
}

// Well-formed UTF-16 (no lone surrogate) survives UTF-8 and UTF-7.
void RoundTrip(FuzzedDataProvider& fdp) {
    const bool utf7 = fdp.ConsumeBool();
    const Export* to = Linked(utf7 ? "ZR_UnicodeToUtf7" : "ZR_UnicodeToUtf8");
    const Export* back = Linked(utf7 ? "ZR_Utf7ToUnicode" : "ZR_Utf8ToUnicode");
    if (!to || !back) return;
    std::u16string u;
    if (fdp.ConsumeBool()) {
        u = ValidText(fdp, kAsciiText | kWideKana | kHalfKana | kKanji);
    } else {
        while (fdp.remaining_bytes() >= 2 && u.size() < 300) {
            char16_t c = fdp.ConsumeIntegral<char16_t>();
            if (c == 0) continue;
            if (c >= 0xD800 && c <= 0xDBFF) {
                u.push_back(c);
                c = static_cast<char16_t>(0xDC00 + (fdp.ConsumeIntegral<std::uint16_t>() & 0x3FF));
            } else if (c >= 0xDC00 && c <= 0xDFFF) {
                continue;
            }
            u.push_back(c);
        }
        if (u.empty()) return;
    }
    const Input in = MakeInputW(SrcArena(), u);
    const Outcome mid = Run(*to, in, BigSize(in));
    if (mid.result <= 0) Fail("well-formed UTF-16 refused", to->name);
    const Input min = MakeInputA(Src2Arena(), mid.Text());
    const Outcome again = Run(*back, min, BigSize(min), 0, Dst2Arena());
    if (again.units != u) Fail("round trip changed the text", back->name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kUtf, data + 1, size - 1, nullptr, Post);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        RoundTrip(fdp);
    }
    return 0;
}
