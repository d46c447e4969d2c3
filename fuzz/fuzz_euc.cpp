// fuzz_euc.cpp - EUC-JP <-> JIS and Shift_JIS, and the EUC-JP byte test.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

// Well-formed EUC-JP (ASCII without ESC, pairs of 0xA1..0xFE) survives
// EUC-JP -> JIS -> EUC-JP, and Shift_JIS kanji and kana survive
// Shift_JIS -> EUC-JP -> Shift_JIS.
void RoundTrip(FuzzedDataProvider& fdp) {
    const Export* eucToJis = Linked("ZR_EucToJis");
    const Export* jisToEuc = Linked("ZR_JisToEuc");
    const Export* sjisToEuc = Linked("ZR_SJisToEuc");
    const Export* eucToSJis = Linked("ZR_EucToSJis");
    if (fdp.ConsumeBool()) {
        if (!eucToJis || !jisToEuc) return;
        std::string euc;
        const std::size_t n = fdp.ConsumeIntegralInRange<std::size_t>(1, 300);
        while (euc.size() < n && fdp.remaining_bytes() > 0) {
            if (fdp.ConsumeBool()) {
                const char c = static_cast<char>(fdp.ConsumeIntegralInRange<int>(0x20, 0x7E));
                euc.push_back(c);
            } else {
                euc.push_back(static_cast<char>(fdp.ConsumeIntegralInRange<int>(0xA1, 0xFE)));
                euc.push_back(static_cast<char>(fdp.ConsumeIntegralInRange<int>(0xA1, 0xFE)));
            }
        }
        if (euc.empty()) return;
        const Input in = MakeInputA(SrcArena(), euc);
        const Outcome jis = Run(*eucToJis, in, BigSize(in));
        if (jis.result <= 0) Fail("well-formed EUC-JP refused", eucToJis->name);
        const Input jin = MakeInputA(Src2Arena(), jis.Text());
        const Outcome back = Run(*jisToEuc, jin, BigSize(jin), 0, Dst2Arena());
        if (back.Text() != euc) Fail("EUC-JP -> JIS -> EUC-JP changed the text", jisToEuc->name);
    } else {
        if (!sjisToEuc || !eucToSJis) return;
        const std::string s = ToBytes("ZR_UnicodeToSJis", ValidText(fdp, kAsciiText | kWideKana | kKanji));
        if (s.empty()) return;
        const Input in = MakeInputA(SrcArena(), s);
        const Outcome euc = Run(*sjisToEuc, in, BigSize(in));
        if (euc.result <= 0) Fail("valid Shift_JIS refused", sjisToEuc->name);
        const Input ein = MakeInputA(Src2Arena(), euc.Text());
        const Outcome back = Run(*eucToSJis, ein, BigSize(ein), 0, Dst2Arena());
        if (back.Text() != s) Fail("Shift_JIS -> EUC-JP -> Shift_JIS changed the text", eucToSJis->name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kEuc, data + 1, size - 1);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        RoundTrip(fdp);
    }
    return 0;
}
