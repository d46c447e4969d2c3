// fuzz_base64_charset.cpp - the sixteen Base64 charset members.
#include "mime_common.hpp"

using namespace zr::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    if (data[0] & 1) {
        ExerciseFamily(Family::kBase64Charset, data + 1, size - 1);
    } else {
        FuzzedDataProvider fdp(data + 1, size - 1);
        CharsetRoundTrip(fdp, "ZR_Base64_");
    }
    return 0;
}
