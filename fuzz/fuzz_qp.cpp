// fuzz_qp.cpp - the plain Quoted-Printable coder.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

bool IsLiteral(std::uint8_t b) {
    return b == 0x09 || b == 0x0A || b == 0x0D || (b >= 0x20 && b <= 0x7E && b != 0x3D);
}

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    if (std::strcmp(e.name, "ZR_QuotedPrintable_Decode") == 0) {
        if (o.result > in.len) Fail("more bytes than characters", e.name);
        return;
    }
    if (o.result < 0) Fail("large buffer refused", e.name);
    // Lines (between soft breaks) hold at most 75 characters and the "=".
    const std::string t = o.Text();
    std::size_t line = 0;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t.compare(i, 3, "=\r\n") == 0) {
            if (line > 75) Fail("line longer than 75 characters", e.name);
            line = 0;
            i += 2;
            continue;
        }
        if (t[i] == '=') {
            if (i + 2 >= t.size() || !std::isxdigit(static_cast<unsigned char>(t[i + 1])) ||
                !std::isxdigit(static_cast<unsigned char>(t[i + 2])) || std::islower(static_cast<unsigned char>(t[i + 1])) ||
                std::islower(static_cast<unsigned char>(t[i + 2]))) {
                Fail("escape is not = and two upper-case digits", e.name);
            }
            line += 3;
            i += 2;
        } else {
            if (!IsLiteral(static_cast<std::uint8_t>(t[i]))) Fail("unescaped byte outside the literal set", e.name);
            line += 1;
        }
    }
    if (line > 75) Fail("last line longer than 75 characters", e.name);
    const Export* dec = Linked("ZR_QuotedPrintable_Decode");
    if (!dec || o.result == 0) return;
    const Input tin = MakeInputA(Src2Arena(), t);
    const Outcome back = Run(*dec, tin, in.len + 1, 0, Dst2Arena());
    const auto* src = static_cast<const std::uint8_t*>(in.ptr);
    if (back.result != in.len || !std::equal(back.bytes.begin(), back.bytes.end(), src)) {
        Fail("encode then decode changed the bytes", dec->name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ExerciseFamily(Family::kQp, data, size, nullptr, Post);
    return 0;
}
