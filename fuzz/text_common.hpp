// text_common.hpp - running the text module's converter inside the fuzz
// targets: input at the end of a guarded arena, output through a buffer
// whose last byte is the last accessible one.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "guard.hpp"
#include "zr_text.h"

namespace zr::fuzz {

struct TextRun {
    int32_t status = 0;
    std::string out;
    ZRT_Error error{};
};

// Feeds `n` bytes at `p` in chunks whose sizes come from `cuts` (0 = all
// at once), draining through `cap` bytes at a time.
inline TextRun RunConverter(int32_t from, int32_t to, const ZRT_Options& o, const uint8_t* p, size_t n,
                            const std::vector<size_t>& cuts, size_t cap) {
    TextRun r;
    ZRT_Converter* c = ZRT_Open(from, to, &o);
    if (!c) Fail("open refused valid arguments", "ZRT_Open");
    auto* dst = static_cast<uint8_t*>(PlaceDst(DstArena(), static_cast<std::int64_t>(cap), 1));
    size_t at = 0;
    size_t k = 0;
    for (int guard = 0;; ++guard) {
        if (guard > 1000000) Fail("converter does not finish", "ZRT_Convert");
        size_t want = n - at;
        if (k < cuts.size() && cuts[k] > 0 && cuts[k] < want) want = cuts[k];
        const int32_t last = at + want == n;
        size_t used = 0, wrote = 0;
        r.status = ZRT_Convert(c, p + at, want, &used, dst, cap, &wrote, last);
        CheckFront(dst, static_cast<std::int64_t>(cap), "ZRT_Convert");
        if (used > want || wrote > cap) Fail("counts beyond the buffers", "ZRT_Convert");
        r.out.append(reinterpret_cast<const char*>(dst), wrote);
        at += used;
        if (r.status == ZRT_MORE_OUTPUT) continue;
        if (r.status != ZRT_OK) break;
        if (used == want) ++k;
        if (last && at == n) break;
    }
    ZRT_GetError(c, &r.error);
    ZRT_Close(c);
    return r;
}

inline std::string Hex(const std::string& s) {
    std::string h;
    char b[4];
    for (unsigned char c : s) {
        std::snprintf(b, sizeof b, "%02X ", c);
        h += b;
    }
    return h;
}

}  // namespace zr::fuzz
