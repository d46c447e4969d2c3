// support.hpp - running the text module's converter from the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "zr_text.h"

namespace zrt_test {

struct Result {
    int32_t status = 0;
    std::string out;
    ZRT_Error error{};
    uint64_t malformed = 0;
    uint64_t unmappable = 0;
};

// Converts `in` fed in chunks of `chunk` bytes (0: one chunk) through an
// output buffer of `outCap` bytes, draining until the converter is done.
inline Result Convert(int32_t from, int32_t to, const std::string& in, const ZRT_Options* options = nullptr,
                      size_t chunk = 0, size_t outCap = 4096) {
    Result r;
    ZRT_Converter* c = ZRT_Open(from, to, options);
    if (!c) {
        r.status = ZRT_BAD_ARGUMENT;
        return r;
    }
    std::vector<uint8_t> buf(outCap);
    const auto* p = reinterpret_cast<const uint8_t*>(in.data());
    size_t at = 0;
    if (chunk == 0) chunk = in.size() ? in.size() : 1;
    for (;;) {
        const size_t n = std::min(chunk, in.size() - at);
        const int32_t last = at + n == in.size();
        size_t used = 0, wrote = 0;
        r.status = ZRT_Convert(c, p + at, n, &used, buf.data(), buf.size(), &wrote, last);
        r.out.append(reinterpret_cast<const char*>(buf.data()), wrote);
        at += used;
        if (r.status == ZRT_MORE_OUTPUT) continue;
        if (r.status != ZRT_OK || (last && at == in.size())) break;
    }
    ZRT_GetError(c, &r.error);
    ZRT_GetCounts(c, &r.malformed, &r.unmappable);
    ZRT_Close(c);
    return r;
}

inline ZRT_Options Options(int32_t errors = ZRT_ERRORS_STRICT) {
    ZRT_Options o;
    ZRT_DefaultOptions(&o);
    o.errors = errors;
    return o;
}

inline std::string Hex(const std::string& s) {
    static const char* d = "0123456789ABCDEF";
    std::string h;
    for (unsigned char c : s) {
        if (!h.empty()) h += ' ';
        h += d[c >> 4];
        h += d[c & 15];
    }
    return h;
}

}  // namespace zrt_test
