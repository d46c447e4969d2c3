// api.cpp - the ZRT_ exports: argument checks, then the module's C++ code.
#include <cstddef>
#include <cstdint>
#include <new>

#include "text/converter.hpp"
#include "text/guess.hpp"
#include "text/kana.hpp"
#include "text/names.hpp"
#include "text/text.hpp"
#include "zr_text.h"

struct ZRT_Converter {
    zr::text::Converter impl;
};

namespace zt = zr::text;

extern "C" {

ZRT_API int32_t ZRT_CALL ZRT_EncodingFromName(const char* name) {
    return static_cast<int32_t>(zt::EncodingFromName(name));
}

ZRT_API const char* ZRT_CALL ZRT_EncodingName(int32_t encoding) { return zt::EncodingName(encoding); }

ZRT_API int32_t ZRT_CALL ZRT_NameCount(void) { return zt::NameCount(); }

ZRT_API int32_t ZRT_CALL ZRT_NameAt(int32_t index, const char** name, const char** canonical) {
    return static_cast<int32_t>(zt::NameAt(index, name, canonical));
}

ZRT_API void ZRT_CALL ZRT_DefaultOptions(ZRT_Options* options) {
    if (options) *options = zt::DefaultOptions();
}

ZRT_API ZRT_Converter* ZRT_CALL ZRT_Open(int32_t from, int32_t to, const ZRT_Options* options) {
    if (!zt::IsValidEnc(from) || !zt::IsValidEnc(to)) return nullptr;
    zt::Options o;
    if (options) {
        // Callers built against a shorter struct give their own size: the
        // fields they do not know keep the defaults.
        if (options->size < offsetof(ZRT_Options, errors) + sizeof(int32_t)) return nullptr;
        zt::CopyKnownOptions(o, *options);
        if (!zt::ValidOptions(o)) return nullptr;
    }
    auto* c = new (std::nothrow) ZRT_Converter;
    if (!c) return nullptr;
    if (!c->impl.Open(static_cast<zt::Enc>(from), static_cast<zt::Enc>(to), o)) {
        delete c;
        return nullptr;
    }
    return c;
}

ZRT_API void ZRT_CALL ZRT_Close(ZRT_Converter* converter) { delete converter; }

ZRT_API void ZRT_CALL ZRT_Reset(ZRT_Converter* converter) {
    if (converter) converter->impl.Reset();
}

ZRT_API int32_t ZRT_CALL ZRT_Convert(ZRT_Converter* converter, const uint8_t* src, size_t srcLen, size_t* srcUsed,
                                     uint8_t* dst, size_t dstSize, size_t* dstUsed, int32_t last) {
    if (srcUsed) *srcUsed = 0;
    if (dstUsed) *dstUsed = 0;
    if (!converter || (!src && srcLen) || (!dst && dstSize)) return ZRT_BAD_ARGUMENT;
    size_t used = 0;
    size_t written = 0;
    const int32_t r = converter->impl.Convert(src, srcLen, used, dst, dstSize, written, last != 0);
    if (srcUsed) *srcUsed = used;
    if (dstUsed) *dstUsed = written;
    return r;
}

ZRT_API int32_t ZRT_CALL ZRT_GetError(const ZRT_Converter* converter, ZRT_Error* error) {
    ZRT_Error none{};
    const ZRT_Error& e = converter ? converter->impl.FirstError() : none;
    if (error) *error = e;
    return e.kind != ZRT_ERR_NONE;
}

ZRT_API void ZRT_CALL ZRT_GetCounts(const ZRT_Converter* converter, uint64_t* malformed, uint64_t* unmappable) {
    if (malformed) *malformed = converter ? converter->impl.MalformedCount() : 0;
    if (unmappable) *unmappable = converter ? converter->impl.UnmappableCount() : 0;
}

ZRT_API int32_t ZRT_CALL ZRT_Validate(int32_t encoding, const uint8_t* buf, size_t len, int32_t complete,
                                      ZRT_Error* error) {
    if (error) *error = ZRT_Error{};
    if (!zt::IsValidEnc(encoding) || (!buf && len)) return -1;
    return zt::Validate(static_cast<zt::Enc>(encoding), buf, len, complete != 0, error) ? 1 : 0;
}

ZRT_API int32_t ZRT_CALL ZRT_GuessEncoding(const uint8_t* buf, size_t len, int32_t complete, ZRT_Guess* out) {
    ZRT_Guess g{};
    if (buf || !len) g = zt::GuessEncoding(buf, len, complete != 0);
    if (out) *out = g;
    return g.encoding;
}

ZRT_API const int32_t* ZRT_CALL ZRT_GuessPreference(void) { return zt::GuessPreference(); }

ZRT_API size_t ZRT_CALL ZRT_KanaToFullwidth(const uint32_t* src, size_t srcLen, uint32_t* dst, size_t dstSize) {
    if (!src) return 0;
    return zt::KanaToFullwidth(src, srcLen, dst, dst ? dstSize : 0);
}

ZRT_API size_t ZRT_CALL ZRT_KanaToHalfwidth(const uint32_t* src, size_t srcLen, uint32_t* dst, size_t dstSize) {
    if (!src) return 0;
    return zt::KanaToHalfwidth(src, srcLen, dst, dst ? dstSize : 0);
}

ZRT_API int32_t ZRT_CALL ZRT_VariantPairCount(void) {
    return static_cast<int32_t>(sizeof zt::kVariantPairs / sizeof zt::kVariantPairs[0]);
}

ZRT_API int32_t ZRT_CALL ZRT_VariantPairAt(int32_t index, uint32_t* jisForm, uint32_t* cp932Form) {
    if (index < 0 || index >= ZRT_VariantPairCount()) return 0;
    if (jisForm) *jisForm = zt::kVariantPairs[index].jis;
    if (cp932Form) *cp932Form = zt::kVariantPairs[index].cp932;
    return 1;
}

ZRT_API uint32_t ZRT_CALL ZRT_VariantToCp932(uint32_t codePoint) { return zt::VariantToCp932(codePoint); }

ZRT_API uint32_t ZRT_CALL ZRT_VariantToJis(uint32_t codePoint) { return zt::VariantToJis(codePoint); }

}  // extern "C"
