// fuzz_mail_message.cpp - the text module's message reader and encoder on
// any bytes: no read past the input, every part's bytes readable, text
// parts UTF-8, the problem count what the callbacks heard.
#include <cstdint>
#include <string>

#include "guard.hpp"
#include "zr_text.h"

using namespace zr::fuzz;

namespace {

struct Tally {
    std::int64_t problems = 0;
    std::uint64_t sum = 0;
};

void Touch(Tally& t, const void* p, std::size_t n) {
    const auto* b = static_cast<const std::uint8_t*>(p);
    if (n && !b) Fail("bytes without a pointer", "ZRT_ReadMail");
    for (std::size_t i = 0; i < n; ++i) t.sum += b[i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    const std::size_t n = size - 1;
    const std::uint8_t* src = PlaceBytes(SrcArena(), data + 1, n);

    Tally t;
    ZRT_MailHandler h{};
    h.size = sizeof h;
    h.user = &t;
    h.message = [](void* u, uint64_t, uint64_t, const char* from, size_t len) { Touch(*static_cast<Tally*>(u), from, len); };
    h.header = [](void* u, int32_t, int32_t, const char* name, size_t nl, const char* v, size_t vl) {
        Touch(*static_cast<Tally*>(u), name, nl);
        Touch(*static_cast<Tally*>(u), v, vl);
        if (ZRT_Validate(ZRT_ENC_UTF8, reinterpret_cast<const std::uint8_t*>(v), vl, 1, nullptr) != 1)
            Fail("header value not UTF-8", "ZRT_ReadMail");
    };
    h.part = [](void* u, const ZRT_MailPart* p) {
        auto& tally = *static_cast<Tally*>(u);
        Touch(tally, p->data, p->length);
        Touch(tally, p->raw, p->rawLength);
        if (!p->contentType || !p->charset || !p->transferEncoding || !p->filename) Fail("a NULL string", "ZRT_ReadMail");
        if (p->kind == ZRT_PART_TEXT && !p->problem &&
            ZRT_Validate(ZRT_ENC_UTF8, p->data, p->length, 1, nullptr) != 1)
            Fail("text part not UTF-8", "ZRT_ReadMail");
    };
    h.issue = [](void* u, int32_t kind, uint64_t, const char* detail) {
        if (kind < ZRT_MAIL_HEADER_WORD || kind > ZRT_MAIL_GUESSED || !detail) Fail("bad issue", "ZRT_ReadMail");
        if (kind != ZRT_MAIL_GUESSED) ++static_cast<Tally*>(u)->problems;
    };
    const std::int64_t r = ZRT_ReadMail(src, n, &h);
    if (r != t.problems) Fail("problem count differs from the issues reported", "ZRT_ReadMail");

    // The same bytes as a UTF-8 message to encode (most are refused).
    ZRT_MailEncodeOptions o;
    ZRT_DefaultMailEncodeOptions(&o);
    o.charset = mode & 1 ? ZRT_ENC_UTF8 : ZRT_ENC_JIS;
    o.body = o.charset == ZRT_ENC_UTF8 ? ZRT_BODY_BASE64 + ((mode >> 1) & 1) : (mode >> 1) % 3;
    o.eol = (mode >> 3) & 1 ? ZRT_EOL_LF : ZRT_EOL_CRLF;
    const auto* text = reinterpret_cast<const char*>(src);
    const std::int64_t len = ZRT_EncodeMail(text, n, &o, nullptr, 0, nullptr);
    if (len == -1) return 0;
    if (len < 0) Fail("refused valid arguments", "ZRT_EncodeMail");
    const std::int64_t cap = len * (mode >> 4) / 15;
    auto* dst = static_cast<char*>(PlaceDst(DstArena(), cap, 1));
    if (ZRT_EncodeMail(text, n, &o, cap ? dst : nullptr, static_cast<std::size_t>(cap), nullptr) != len)
        Fail("result length depends on the buffer", "ZRT_EncodeMail");
    CheckFront(dst, cap, "ZRT_EncodeMail");
    return 0;
}
