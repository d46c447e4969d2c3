// fuzz_base64.cpp - the plain Base64 coder.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void Post(const Export& e, const Input& in, std::int32_t, const Outcome& o) {
    if (std::strcmp(e.name, "ZR_Base64_Decode") == 0) {
        if (o.result > 3 * ((in.len + 3) / 4)) Fail("more than three bytes a group", e.name);
        return;
    }
    // Encode: 4 characters for every started group, alphabet and padding
    // only, and decoding gives the bytes back.
    const std::int32_t want = in.len > 0 ? 4 * ((in.len + 2) / 3) : 0;
    if (o.result != want) Fail("length is not 4 x groups", e.name);
    for (unsigned char c : o.bytes) {
        if (c != '=' && std::strchr(kAlphabet, c) == nullptr) Fail("character outside the alphabet", e.name);
    }
    const Export* dec = Linked("ZR_Base64_Decode");
    if (!dec || o.result == 0) return;
    const Input tin = MakeInputA(Src2Arena(), o.Text());
    const Outcome back = Run(*dec, tin, in.len + 3, 0, Dst2Arena());
    const auto* src = static_cast<const std::uint8_t*>(in.ptr);
    if (back.result != in.len || !std::equal(back.bytes.begin(), back.bytes.end(), src)) {
        Fail("encode then decode changed the bytes", dec->name);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ExerciseFamily(Family::kBase64, data, size, nullptr, Post);
    return 0;
}
