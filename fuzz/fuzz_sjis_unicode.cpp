// fuzz_sjis_unicode.cpp - Shift_JIS <-> UTF-16 and the double-byte test.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    if (o.result <= 0) return;
    // A byte or a pair becomes one unit; a unit at most two bytes.
    if (e.out == Out::kWIncl && o.result > in.len + 1) Fail("more units than source bytes", e.name);
    if (e.out == Out::kA && o.result > 2 * in.len) Fail("more than two bytes a unit", e.name);
    if (e.out == Out::kInt) return;
}

void RoundTrip(FuzzedDataProvider& fdp) {
    const Export* back = Linked("ZR_SJisToUnicode");
    if (!back || !Linked("ZR_UnicodeToSJis")) return;
    const std::u16string u = ValidText(fdp, kAsciiText | kWideKana | kHalfKana | kKanji);
    const std::string s = ToBytes("ZR_UnicodeToSJis", u);
    if (s.empty()) Fail("valid text refused", "ZR_UnicodeToSJis");
    const Input in = MakeInputA(SrcArena(), s);
    const Outcome o = Run(*back, in, BigSize(in));
    if (o.units != u) Fail("UTF-16 -> Shift_JIS -> UTF-16 changed the text", back->name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kSJisUnicode, data + 1, size - 1, nullptr, Post);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        RoundTrip(fdp);
    }
    return 0;
}
