// fuzz_ebcdic.cpp - ASCII-side text <-> EBCDIC under the three tables.
#include <iterator>

#include "text.hpp"

using namespace zr::fuzz;

namespace {

bool Have(const void* p) { return p != nullptr; }

std::int32_t PickSelector(FuzzedDataProvider& fdp) {
    static const std::int32_t kSelectors[] = {0x400, 0x500, 0x600, 0, -1, 0x401, 0x7FFFFFFF};
    return kSelectors[fdp.ConsumeIntegralInRange<std::size_t>(0, std::size(kSelectors) - 1)];
}

void Post(const Export& e, const Input& in, std::int32_t selector, const Outcome& o) {
    if (o.result <= 0) return;
    if (std::strcmp(e.name, "ZR_EbcdicToAscii") == 0 && o.result > in.len) Fail("output longer than input", e.name);
    // Under 0x400 and 0x600 the table is one-to-one on 0x01..0x7F, never
    // yields the bracket bytes, and high bytes ride in brackets: any text
    // comes back unchanged.
    const Export* back = Linked("ZR_EbcdicToAscii");
    if (std::strcmp(e.name, "ZR_AsciiToEbcdic") != 0 || !back || (selector != 0x400 && selector != 0x600)) return;
    const Input ein = MakeInputA(Src2Arena(), o.Text());
    const Outcome again = Run(*back, ein, BigSize(ein), selector, Dst2Arena());
    const std::string src(static_cast<const char*>(in.ptr));
    if (again.Text() != src) Fail("ASCII -> EBCDIC -> ASCII changed the text", back->name);
}

void Codes(FuzzedDataProvider& fdp) {
    if (!Have(reinterpret_cast<const void*>(&ZR_AsciiEbcdicCode)) ||
        !Have(reinterpret_cast<const void*>(&ZR_EbcdicAsciiCode))) {
        return;
    }
    const std::int32_t selector = PickSelector(fdp);
    const std::int32_t code = fdp.ConsumeIntegral<std::int32_t>();
    const std::uint8_t e = ZR_AsciiEbcdicCode(code, selector);
    const std::uint8_t a = ZR_EbcdicAsciiCode(code, selector);
    // Only the low 8 bits of the code count.
    if (e != ZR_AsciiEbcdicCode(code & 0xFF, selector)) Fail("high bits of code used", "ZR_AsciiEbcdicCode");
    if (a != ZR_EbcdicAsciiCode(code & 0xFF, selector)) Fail("high bits of code used", "ZR_EbcdicAsciiCode");
    if (selector != 0x400 && selector != 0x500 && selector != 0x600 && (e != 0xFF || a != 0xFF)) {
        Fail("unknown selector did not give 0xFF", "ZR_AsciiEbcdicCode");
    }
    // The reverse scan returns the lowest index holding the code.
    if (a != 0xFF && ZR_AsciiEbcdicCode(a, selector) != (code & 0xFF)) Fail("reverse lookup misses", "ZR_EbcdicAsciiCode");
    if ((selector == 0x400 || selector == 0x600) && (code & 0xFF) < 0x80 &&
        ZR_EbcdicAsciiCode(e, selector) != (code & 0xFF)) {
        Fail("0x00..0x7F do not come back", "ZR_EbcdicAsciiCode");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kEbcdic, data + 1, size - 1, PickSelector, Post);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        Codes(fdp);
    }
    return 0;
}
