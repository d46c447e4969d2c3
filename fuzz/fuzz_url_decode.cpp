// fuzz_url_decode.cpp - the per-encoding and the detecting URL decoders.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    if (!(e.flags & kReportsType)) return;
    // The detecting decoder reports the encode type and answers as the
    // decoder of that type.
    const std::string name = e.name;
    const char form = name.back();
    const Export* type = Linked((std::string("ZR_URL_EncodeType") + form).c_str());
    if (type && Run(*type, in, 0).result != o.type) Fail("reported type is not the encode type", e.name);
    if (o.type == -1) {
        if (o.result != -1) Fail("no encode type but not -1", e.name);
        return;
    }
    static const char* const kNames[] = {"Jis", "SJis", "Euc", "Utf8"};
    const Export* d = Linked((std::string("ZR_URL_Decode") + kNames[o.type] + form).c_str());
    if (!d) return;
    const Outcome direct = Run(*d, in, BigSize(in), 0, Dst2Arena());
    if (!SameOutput(direct, o)) Fail("differs from the decoder of its type", e.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ExerciseFamily(Family::kUrlDecode, data, size, nullptr, Post);
    return 0;
}
