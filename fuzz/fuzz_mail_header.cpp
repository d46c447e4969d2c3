// fuzz_mail_header.cpp - the text module's header decoder and encoder on any
// bytes: no read past the input, no write past dstSize, the measured length
// is the written one, the result is UTF-8, and UTF-8 words read back.
#include <cstdint>
#include <string>

#include "guard.hpp"
#include "zr_text.h"

using namespace zr::fuzz;

namespace {

std::string DecodeWhole(const char* src, std::size_t n) {
    const std::size_t want = ZRT_DecodeHeader(src, n, nullptr, 0, nullptr, nullptr);
    std::string out(want + 1, '\0');
    if (ZRT_DecodeHeader(src, n, out.data(), out.size(), nullptr, nullptr) != want) Fail("length changed", "ZRT_DecodeHeader");
    out.resize(want);
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t mode = data[0];
    const std::uint8_t cut = data[1];
    const std::size_t n = size - 2;
    const auto* src = reinterpret_cast<const char*>(PlaceBytes(SrcArena(), data + 2, n));

    int issues = 0;
    const std::size_t whole = ZRT_DecodeHeader(src, n, nullptr, 0, [](void* u, int32_t kind, size_t, size_t) {
        if (kind < ZRT_HDR_UNKNOWN_CHARSET || kind > ZRT_HDR_RAW_UNREADABLE) Fail("issue kind out of range", "ZRT_DecodeHeader");
        ++*static_cast<int*>(u);
    }, &issues);
    // A buffer cut short ends at the guard page.
    const std::int64_t cap = static_cast<std::int64_t>(whole * cut / 255);
    auto* dst = static_cast<char*>(PlaceDst(DstArena(), cap, 1));
    if (ZRT_DecodeHeader(src, n, cap ? dst : nullptr, static_cast<std::size_t>(cap), nullptr, nullptr) != whole)
        Fail("result length depends on the buffer", "ZRT_DecodeHeader");
    CheckFront(dst, cap, "ZRT_DecodeHeader");
    const std::string text = DecodeWhole(src, n);
    if (ZRT_Validate(ZRT_ENC_UTF8, reinterpret_cast<const std::uint8_t*>(text.data()), text.size(), 1, nullptr) != 1)
        Fail("decoded text is not UTF-8", "ZRT_DecodeHeader");

    // Encoding the decoded text: words read back as that text, the line
    // breaks in it having become spaces.
    ZRT_HeaderOptions o;
    ZRT_DefaultHeaderOptions(&o);
    o.charset = (mode & 3) == 0 ? ZRT_ENC_UTF8 : (mode & 3) == 1 ? ZRT_ENC_JIS : (mode & 3) == 2 ? ZRT_ENC_SJIS : ZRT_ENC_EUCJP;
    o.q = (mode >> 2) & 1;
    o.eol = (mode >> 3) & 1 ? ZRT_EOL_LF : ZRT_EOL_CRLF;
    o.field = (mode >> 4) & 1;
    const std::int64_t len = ZRT_EncodeHeader(text.data(), text.size(), &o, nullptr, 0, nullptr);
    if (len == -1) return 0;  // a character the charset lacks
    if (len < 0) Fail("refused valid arguments", "ZRT_EncodeHeader");
    const std::int64_t ecap = len * cut / 255;
    auto* edst = static_cast<char*>(PlaceDst(Dst2Arena(), ecap, 1));
    if (ZRT_EncodeHeader(text.data(), text.size(), &o, ecap ? edst : nullptr, static_cast<std::size_t>(ecap), nullptr) != len)
        Fail("result length depends on the buffer", "ZRT_EncodeHeader");
    CheckFront(edst, ecap, "ZRT_EncodeHeader");
    std::string enc(static_cast<std::size_t>(len) + 1, '\0');
    ZRT_EncodeHeader(text.data(), text.size(), &o, enc.data(), enc.size(), nullptr);
    enc.resize(static_cast<std::size_t>(len));
    if (o.charset == ZRT_ENC_UTF8) {
        std::string want = text;
        for (auto& c : want) {
            if (c == '\r' || c == '\n') c = ' ';
        }
        const std::string back = DecodeWhole(enc.data(), enc.size());
        if (back != want) {
            std::fprintf(stderr, "text    [%s]\nencoded [%s]\nback    [%s]\n", want.c_str(), enc.c_str(), back.c_str());
            Fail("encoded words do not read back", "ZRT_EncodeHeader");
        }
    }
    return 0;
}
