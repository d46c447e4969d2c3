// fuzz_text_readers.cpp - the text module's ISO-2022-JP and EUC-JP readers
// (and the others) through the streaming converter: any chunking gives the
// result of one chunk, output stays inside its buffer, ISO-2022-JP output
// is 7-bit and ends in ASCII, and valid text survives a round trip.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "text_common.hpp"

using namespace zr::fuzz;

namespace {

bool CheckJisOutput(const std::string& out) {
    for (unsigned char c : out) {
        if (c >= 0x80) return false;
    }
    // Every kanji or kana run is closed: the last escape selects ASCII.
    const std::size_t esc = out.rfind('\x1b');
    return esc == std::string::npos || out.compare(esc, 3, "\x1b(B") == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider fdp(data, size);
    // Mostly the two stateful readers; the others now and then.
    static constexpr int32_t kFrom[] = {ZRT_ENC_JIS, ZRT_ENC_EUCJP, ZRT_ENC_JIS, ZRT_ENC_EUCJP, ZRT_ENC_SJIS,
                                        ZRT_ENC_UTF8, ZRT_ENC_UTF16, ZRT_ENC_UTF7, ZRT_ENC_ASCII};
    const int32_t from = kFrom[fdp.ConsumeIntegralInRange<std::size_t>(0, sizeof kFrom / sizeof kFrom[0] - 1)];
    const int32_t to = fdp.ConsumeIntegralInRange<int32_t>(1, ZRT_ENC_COUNT - 1);
    ZRT_Options o;
    ZRT_DefaultOptions(&o);
    o.errors = fdp.ConsumeIntegralInRange<int32_t>(ZRT_ERRORS_STRICT, ZRT_ERRORS_SKIP);
    o.eol = fdp.ConsumeIntegralInRange<int32_t>(ZRT_EOL_KEEP, ZRT_EOL_CR);
    o.halfwidth = fdp.ConsumeIntegralInRange<int32_t>(ZRT_HALFWIDTH_FULLWIDTH, ZRT_HALFWIDTH_JISX0201);
    o.exact = fdp.ConsumeBool();
    o.bom = fdp.ConsumeBool();
    if (fdp.ConsumeBool()) o.replacement = fdp.ConsumeIntegralInRange<uint32_t>(1, 0xD7FF);
    std::vector<std::size_t> cuts;
    const int ncuts = fdp.ConsumeIntegralInRange<int>(0, 8);
    for (int i = 0; i < ncuts; ++i) cuts.push_back(fdp.ConsumeIntegralInRange<std::size_t>(1, 16));
    const std::size_t cap = fdp.ConsumeIntegralInRange<std::size_t>(1, 64);
    const std::vector<std::uint8_t> text = fdp.ConsumeRemainingBytes<std::uint8_t>();
    const std::uint8_t* p = PlaceBytes(SrcArena(), text.data(), text.size());

    // Printed with a failure, so that the report becomes a test case.
    auto params = [&]() {
        std::fprintf(stderr, "from=%d to=%d errors=%d eol=%d halfwidth=%d exact=%d bom=%d replacement=%u cap=%zu cuts=",
                     from, to, o.errors, o.eol, o.halfwidth, o.exact, o.bom, o.replacement, cap);
        for (std::size_t c : cuts) std::fprintf(stderr, "%zu,", c);
        std::fprintf(stderr, " text=%s", Hex(std::string(text.begin(), text.end())).c_str());
        std::fprintf(stderr, "\n");
    };
    const TextRun whole = RunConverter(from, to, o, p, text.size(), {}, 1 << 16);
    const TextRun parts = RunConverter(from, to, o, p, text.size(), cuts, cap);
    if (whole.out != parts.out || whole.status != parts.status) {
        params();
        std::fprintf(stderr, "whole: %d [%s]\nparts: %d [%s]\n", whole.status, Hex(whole.out).c_str(), parts.status,
                     Hex(parts.out).c_str());
        Fail("chunks changed the result", "ZRT_Convert");
    }
    if (whole.status == ZRT_STOPPED) {
        if (o.errors != ZRT_ERRORS_STRICT) Fail("stopped outside strict mode", "ZRT_Convert");
        if (whole.error.offset >= text.size() || whole.error.offset != parts.error.offset) {
            Fail("error offset wrong", "ZRT_Convert");
        }
    } else if (whole.status != ZRT_OK) {
        Fail("unexpected status", "ZRT_Convert");
    }
    if (to == ZRT_ENC_JIS && whole.status == ZRT_OK) {
        if (!CheckJisOutput(whole.out)) {
            params();
            std::fprintf(stderr, "output: [%s]\n", Hex(whole.out).c_str());
            Fail("ISO-2022-JP output with 8-bit bytes or not ending in ASCII", "ZRT_Convert");
        }
    }

    // Valid input read to UTF-8, written back and read again gives the same
    // characters (half-width katakana kept as such, no line-ending change).
    ZRT_Options plain;
    ZRT_DefaultOptions(&plain);
    plain.halfwidth = ZRT_HALFWIDTH_JISX0201;
    const TextRun u1 = RunConverter(from, ZRT_ENC_UTF8, plain, p, text.size(), {}, 1 << 16);
    // A U+FEFF first in a text is read as its BOM: such a text cannot come back.
    if (u1.status != ZRT_OK || u1.out.rfind("\xEF\xBB\xBF", 0) == 0) return 0;
    const int32_t back = from == ZRT_ENC_UTF16 ? ZRT_ENC_UTF16LE : from;
    const auto* u1p = reinterpret_cast<const std::uint8_t*>(u1.out.data());
    const TextRun enc = RunConverter(ZRT_ENC_UTF8, back, plain, u1p, u1.out.size(), {}, 1 << 16);
    // A character read that the writer lacks (JIS X 0212 towards
    // ISO-2022-JP, the EUC-JP rows of code page 932's IBM extensions) is a
    // loss, never malformed output.
    if (enc.status != ZRT_OK) {
        if (enc.status != ZRT_STOPPED || enc.error.kind != ZRT_ERR_UNMAPPABLE) Fail("write-back failed", "ZRT_Convert");
        return 0;
    }
    const auto* ep = reinterpret_cast<const std::uint8_t*>(enc.out.data());
    const TextRun u2 = RunConverter(back, ZRT_ENC_UTF8, plain, ep, enc.out.size(), {}, 1 << 16);
    if (u2.status != ZRT_OK || u2.out != u1.out) {
        params();
        std::fprintf(stderr, "read: [%s]\nwritten: [%s]\nread again: %d [%s]\n", Hex(u1.out).c_str(),
                     Hex(enc.out).c_str(), u2.status, Hex(u2.out).c_str());
        Fail("round trip changed the text", "ZRT_Convert");
    }
    return 0;
}
