// fuzz_url_encode.cpp - URL encoding in the four encodings, and encoding
// then decoding.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

std::int32_t PickType(FuzzedDataProvider& fdp) { return fdp.ConsumeIntegralInRange<std::int32_t>(-2, 5); }

void Post(const Export& e, const Input&, std::int32_t type, const Outcome& o) {
    if ((type < 0 || type > 3) && o.result != -1) Fail("unknown type not refused", e.name);
}

// Text without '%' and '+' (which the encoder passes through and the
// decoder reads as escape and space) comes back from the decoder of the
// same type.
void RoundTrip(FuzzedDataProvider& fdp) {
    static const char* const kNames[] = {"Jis", "SJis", "Euc", "Utf8"};
    const std::int32_t type = fdp.ConsumeIntegralInRange<std::int32_t>(0, 3);
    const bool wide = fdp.ConsumeBool();
    const char form = wide ? 'W' : 'A';
    const Export* enc = Linked(wide ? "ZR_URL_EncodeW" : "ZR_URL_EncodeA");
    const Export* dec = Linked((std::string("ZR_URL_Decode") + kNames[type] + form).c_str());
    if (!enc || !dec) return;
    const unsigned sets = kAsciiText | kWideKana | kKanji | (type == 2 ? 0u : static_cast<unsigned>(kHalfKana));
    const std::u16string u = ValidText(fdp, sets, "%+");
    Input in;
    std::string s;
    if (wide) {
        in = MakeInputW(SrcArena(), u);
    } else {
        s = ToBytes("ZR_UnicodeToSJis", u);
        if (s.empty()) return;
        in = MakeInputA(SrcArena(), s);
    }
    const Outcome url = Run(*enc, in, BigSize(in), type);
    if (url.result <= 0) Fail("valid text refused", enc->name);
    Input uin;
    if (wide) {
        uin = MakeInputW(Src2Arena(), url.units);
    } else {
        uin = MakeInputA(Src2Arena(), url.Text());
    }
    const Outcome back = Run(*dec, uin, BigSize(uin), 0, Dst2Arena());
    if (wide ? back.units != u : back.Text() != s) Fail("encode then decode changed the text", dec->name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kUrlEncode, data + 1, size - 1, PickType, Post);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        RoundTrip(fdp);
    }
    return 0;
}
