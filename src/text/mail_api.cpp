// mail_api.cpp - the ZRT_ exports for mail: argument checks, then mail code.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "text/mail.hpp"
#include "zr_text.h"

namespace zt = zr::text;

namespace {

// Copies what fits of `s` and a NUL when there is room; the full length back.
std::size_t Deliver(const std::string& s, char* dst, std::size_t dstSize) {
    if (dst && dstSize) {
        const std::size_t n = s.size() < dstSize ? s.size() : dstSize;
        std::memcpy(dst, s.data(), n);
        if (n < dstSize) dst[n] = '\0';
    }
    return s.size();
}

}  // namespace

extern "C" {

ZRT_API size_t ZRT_CALL ZRT_DecodeHeader(const char* src, size_t srcLen, char* dst, size_t dstSize,
                                         ZRT_HeaderIssueFn fn, void* user) {
    if ((!src && srcLen) || (!dst && dstSize)) return 0;
    try {
        std::vector<zt::HeaderIssue> issues;
        const std::string out = zt::DecodeHeader(std::string_view(src ? src : "", srcLen), &issues);
        if (fn) {
            for (const auto& i : issues) fn(user, i.kind, i.offset, i.length);
        }
        return Deliver(out, dst, dstSize);
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

ZRT_API void ZRT_CALL ZRT_DefaultHeaderOptions(ZRT_HeaderOptions* options) {
    if (!options) return;
    options->size = sizeof(ZRT_HeaderOptions);
    options->charset = ZRT_ENC_JIS;
    options->q = 0;
    options->eol = ZRT_EOL_CRLF;
    options->field = 1;
}

ZRT_API int64_t ZRT_CALL ZRT_EncodeHeader(const char* text, size_t len, const ZRT_HeaderOptions* options,
                                          char* dst, size_t dstSize, ZRT_Error* error) {
    if (error) *error = ZRT_Error{};
    if ((!text && len) || (!dst && dstSize)) return ZRT_BAD_ARGUMENT;
    ZRT_HeaderOptions o;
    ZRT_DefaultHeaderOptions(&o);
    if (options) {
        if (options->size < sizeof(ZRT_HeaderOptions)) return ZRT_BAD_ARGUMENT;
        o = *options;
    }
    zt::HeaderEncodeOptions h;
    if (o.charset != ZRT_ENC_JIS && o.charset != ZRT_ENC_UTF8 && o.charset != ZRT_ENC_SJIS &&
        o.charset != ZRT_ENC_EUCJP)
        return ZRT_BAD_ARGUMENT;
    if (o.eol != ZRT_EOL_CRLF && o.eol != ZRT_EOL_LF) return ZRT_BAD_ARGUMENT;
    h.charset = static_cast<zt::Enc>(o.charset);
    h.q = o.q != 0;
    h.crlf = o.eol == ZRT_EOL_CRLF;
    h.field = o.field != 0;
    try {
        std::string out;
        if (zt::EncodeHeader(std::string_view(text ? text : "", len), h, out, error) != ZRT_OK) return ZRT_STOPPED;
        return static_cast<int64_t>(Deliver(out, dst, dstSize));
    } catch (const std::bad_alloc&) {
        return ZRT_NO_MEMORY;
    }
}

ZRT_API void ZRT_CALL ZRT_DefaultMailEncodeOptions(ZRT_MailEncodeOptions* options) {
    if (!options) return;
    options->size = sizeof(ZRT_MailEncodeOptions);
    options->charset = ZRT_ENC_JIS;
    options->body = ZRT_BODY_7BIT;
    options->eol = ZRT_EOL_CRLF;
}

ZRT_API int64_t ZRT_CALL ZRT_EncodeMail(const char* text, size_t len, const ZRT_MailEncodeOptions* options,
                                        char* dst, size_t dstSize, ZRT_Error* error) {
    if (error) *error = ZRT_Error{};
    if ((!text && len) || (!dst && dstSize)) return ZRT_BAD_ARGUMENT;
    ZRT_MailEncodeOptions o;
    ZRT_DefaultMailEncodeOptions(&o);
    if (options) {
        if (options->size < sizeof(ZRT_MailEncodeOptions)) return ZRT_BAD_ARGUMENT;
        o = *options;
    }
    if (o.charset != ZRT_ENC_JIS && o.charset != ZRT_ENC_UTF8) return ZRT_BAD_ARGUMENT;
    if (o.body < ZRT_BODY_7BIT || o.body > ZRT_BODY_QP) return ZRT_BAD_ARGUMENT;
    // UTF-8 is 8-bit: it travels in Base64 or quoted-printable only.
    if (o.charset == ZRT_ENC_UTF8 && o.body == ZRT_BODY_7BIT) return ZRT_BAD_ARGUMENT;
    if (o.eol != ZRT_EOL_CRLF && o.eol != ZRT_EOL_LF) return ZRT_BAD_ARGUMENT;
    try {
        std::string out;
        if (zt::EncodeMail(std::string_view(text ? text : "", len), static_cast<zt::Enc>(o.charset), o.body,
                           o.eol == ZRT_EOL_CRLF, out, error) != ZRT_OK)
            return ZRT_STOPPED;
        return static_cast<int64_t>(Deliver(out, dst, dstSize));
    } catch (const std::bad_alloc&) {
        return ZRT_NO_MEMORY;
    }
}

}  // extern "C"
