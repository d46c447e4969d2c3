// fuzz_jis.cpp - JIS (ISO-2022-JP) <-> Shift_JIS.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    // Escapes produce nothing and pairs stay pairs: never longer than the
    // input, except for the odd last byte of a kanji run.
    if (o.result > 0 && std::strcmp(e.name, "ZR_JisToSJis") == 0 && o.result > in.len) {
        Fail("output longer than the input", e.name);
    }
}

// Shift_JIS without ESC goes to JIS and back unchanged, whatever its bytes:
// pairs convert both ways, every other byte is copied in single-byte mode.
void RoundTrip(FuzzedDataProvider& fdp) {
    const Export* to = Linked("ZR_SJisToJis");
    const Export* back = Linked("ZR_JisToSJis");
    if (!to || !back) return;
    std::string s;
    if (fdp.ConsumeBool()) {
        s = ToBytes("ZR_UnicodeToSJis", ValidText(fdp, kAsciiText | kWideKana | kHalfKana | kKanji));
    } else {
        s = fdp.ConsumeRandomLengthString(1024);
        s = s.substr(0, std::strlen(s.c_str()));
    }
    if (s.empty() || s.find('\x1b') != std::string::npos) return;
    const Input in = MakeInputA(SrcArena(), s);
    const Outcome jis = Run(*to, in, BigSize(in));
    if (jis.result <= 0) return;  // a pair without a JIS row
    for (unsigned char c : jis.bytes) {
        if (c >= 0x80 && s.find(static_cast<char>(c)) == std::string::npos) Fail("invented a high byte", to->name);
    }
    const Input jin = MakeInputA(Src2Arena(), jis.Text());
    const Outcome again = Run(*back, jin, BigSize(jin), 0, Dst2Arena());
    if (again.Text() != s) Fail("Shift_JIS -> JIS -> Shift_JIS changed the text", back->name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kJis, data + 1, size - 1, nullptr, Post);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        RoundTrip(fdp);
    }
    return 0;
}
