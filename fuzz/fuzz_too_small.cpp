// fuzz_too_small.cpp - only the "buffer too small" answers: every string
// export, given one unit less than its output needs (and less again),
// refuses with 0 or -1, writes nothing past dstSize, and leaves dst as its
// contract says.
#include "text.hpp"

using namespace zr::fuzz;

namespace {

// The capacity the output of `big` needs, terminator included.
std::int32_t Needed(const Export& e, const Outcome& big) {
    switch (e.out) {
    case Out::kA:
    case Out::kWExcl: return big.result + 1;
    default: return big.result;
    }
}

void CheckTooSmall(const Export& e, const Input& in, std::int32_t extra, const Outcome& big, std::int32_t size) {
    const Outcome o = Run(e, in, size, extra);
    if (o.result <= 0) {
        // The plain encoders keep the groups or characters written before
        // the one that did not fit, and zeros after them.
        if (o.result == -1 && size > 0 &&
            (std::strcmp(e.name, "ZR_Base64_Encode") == 0 || std::strcmp(e.name, "ZR_QuotedPrintable_Encode") == 0)) {
            std::size_t k = 0;
            while (k < o.dst.size() && k < big.bytes.size() && o.dst[k] == big.bytes[k]) ++k;
            for (std::size_t i = k; i < o.dst.size(); ++i) {
                if (o.dst[i] != 0) Fail("refused encoder left more than a prefix and zeros", e.name);
            }
        }
        return;
    }
    // The Base64 encoders may fill dst exactly, with no NUL after the text.
    if ((e.flags & kMayFillExactly) && o.result == big.result && size == big.result) return;
    // URL_DecodeSJisA reads at most dstSize characters of the URL: a
    // shorter text is its documented answer.
    if ((e.flags & kNotMonotonic) && o.result < big.result) return;
    // UnicodeToJis reports the JIS text written up to a character without a
    // JIS row; with less room that text is shorter, a prefix of the full one.
    if (PartialOk(e, o, big)) return;
    Fail("a buffer too small was not refused", e.name);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Export* members[128];
    std::size_t n = 0;
    for (const auto& e : kExports) {
        if (e.address && e.out != Out::kInt && n < 128) members[n++] = &e;
    }
    if (n == 0) return 0;
    FuzzedDataProvider fdp(data, size);
    const Export& e = *members[fdp.ConsumeIntegralInRange<std::size_t>(0, n - 1)];
    std::int32_t extra = 0;
    if (e.flags & kExtraArg) {
        static const std::int32_t kEbcdic[] = {0x400, 0x500, 0x600};
        extra = e.family == Family::kEbcdic ? kEbcdic[fdp.ConsumeIntegralInRange<int>(0, 2)]
                                            : fdp.ConsumeIntegralInRange<std::int32_t>(0, 3);
    }
    const auto text = fdp.ConsumeBytes<std::uint8_t>(fdp.ConsumeIntegralInRange<std::size_t>(0, 2048));
    const Input in = MakeInput(SrcArena(), e.src, text.data(), text.size());
    const Outcome big = Run(e, in, BigSize(in), extra);
    if (big.result <= 0) return 0;
    const std::int32_t need = Needed(e, big);
    CheckTooSmall(e, in, extra, big, need - 1);
    const std::int32_t less = fdp.ConsumeIntegralInRange<std::int32_t>(1, need);
    CheckTooSmall(e, in, extra, big, need - less);
    return 0;
}
