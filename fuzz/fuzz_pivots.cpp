// fuzz_pivots.cpp - UTF-16 <-> JIS and EUC-JP through Shift_JIS.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

// The chains must agree with their steps run one after the other, and
// valid text must come back unchanged.
void RoundTrip(FuzzedDataProvider& fdp) {
    const bool euc = fdp.ConsumeBool();
    const Export* to = Linked(euc ? "ZR_UnicodeToEuc" : "ZR_UnicodeToJis");
    const Export* back = Linked(euc ? "ZR_EucToUnicode" : "ZR_JisToUnicode");
    if (!to || !back) return;
    // Half-width katakana are single bytes in this library's EUC-JP and do
    // not come back from it; JIS carries them in single-byte mode.
    const std::u16string u =
        ValidText(fdp, kAsciiText | kWideKana | kKanji | (euc ? 0u : static_cast<unsigned>(kHalfKana)));
    const Input in = MakeInputW(SrcArena(), u);
    const Outcome mid = Run(*to, in, BigSize(in));
    if (mid.result <= 0) Fail("valid text refused", to->name);
    const Input min = MakeInputA(Src2Arena(), mid.Text());
    const Outcome again = Run(*back, min, BigSize(min), 0, Dst2Arena());
    if (again.units != u) Fail("round trip changed the text", back->name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kPivot, data + 1, size - 1);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        RoundTrip(fdp);
    }
    return 0;
}
