// api.cpp - the ZR_URL_ exports: argument checks and dispatch by encode type.
#include "api/boundary.hpp"
#include "url/url.hpp"
#include "zr_moji.h"

using zr::api::NullOrNegativeSize;
using zr::api::Units;

// ---- tests ------------------------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsProtocolW(const ZR_WCHAR* url) {
    return url != nullptr && zr::url::IsProtocolW(Units(url));
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsProtocolA(const char* url) {
    return url != nullptr && zr::url::IsProtocolA(url);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsJisEncodeW(const ZR_WCHAR* url) {
    return url != nullptr && zr::url::IsJisEncodeW(Units(url));
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsJisEncodeA(const char* url) {
    return url != nullptr && zr::url::IsJisEncodeA(url);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsSJisEncodeW(const ZR_WCHAR* url) {
    return url != nullptr && zr::url::IsSJisEncodeW(Units(url));
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsSJisEncodeA(const char* url) {
    return url != nullptr && zr::url::IsSJisEncodeA(url);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsEucEncodeW(const ZR_WCHAR* url) {
    return url != nullptr && zr::url::IsEucEncodeW(Units(url));
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsEucEncodeA(const char* url) {
    return url != nullptr && zr::url::IsEucEncodeA(url);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsUtf8EncodeW(const ZR_WCHAR* url) {
    return url != nullptr && zr::url::IsUtf8EncodeW(Units(url));
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_IsUtf8EncodeA(const char* url) {
    return url != nullptr && zr::url::IsUtf8EncodeA(url);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_EncodeTypeW(const ZR_WCHAR* url) {
    return url != nullptr ? zr::url::EncodeTypeW(Units(url)) : ZR_ENCODE_NONE;
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_EncodeTypeA(const char* url) {
    return url != nullptr ? zr::url::EncodeTypeA(url) : ZR_ENCODE_NONE;
}

// ---- decoding ---------------------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeJisW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeW(Units(src), dst, dstSize, ZR_JisToUnicode);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeJisA(const char* src, char* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeA(src, dst, dstSize, ZR_JisToSJis);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeSJisW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeW(Units(src), dst, dstSize, ZR_SJisToUnicode);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeSJisA(const char* src, char* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeSJisA(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeEucW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeW(Units(src), dst, dstSize, ZR_EucToUnicode);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeEucA(const char* src, char* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeA(src, dst, dstSize, ZR_EucToSJis);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeUtf8W(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeW(Units(src), dst, dstSize, ZR_Utf8ToUnicode);
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeUtf8A(const char* src, char* dst, int32_t dstSize) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    return zr::url::DecodeUtf8A(src, dst, dstSize);
}

// The type is stored before decoding, on every call, so a caller always
// learns why a URL of plain ASCII came back as -1.
extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize,
                                                  int32_t* type) {
    if (NullOrNegativeSize(src, dst, dstSize) || type == nullptr) return -1;
    *type = ZR_URL_EncodeTypeW(src);
    switch (*type) {
        case ZR_ENCODE_JIS: return ZR_URL_DecodeJisW(src, dst, dstSize);
        case ZR_ENCODE_SJIS: return ZR_URL_DecodeSJisW(src, dst, dstSize);
        case ZR_ENCODE_EUC: return ZR_URL_DecodeEucW(src, dst, dstSize);
        case ZR_ENCODE_UTF8: return ZR_URL_DecodeUtf8W(src, dst, dstSize);
        default: return -1;
    }
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_DecodeA(const char* src, char* dst, int32_t dstSize, int32_t* type) {
    if (NullOrNegativeSize(src, dst, dstSize) || type == nullptr) return -1;
    *type = ZR_URL_EncodeTypeA(src);
    switch (*type) {
        case ZR_ENCODE_JIS: return ZR_URL_DecodeJisA(src, dst, dstSize);
        case ZR_ENCODE_SJIS: return ZR_URL_DecodeSJisA(src, dst, dstSize);
        case ZR_ENCODE_EUC: return ZR_URL_DecodeEucA(src, dst, dstSize);
        case ZR_ENCODE_UTF8: return ZR_URL_DecodeUtf8A(src, dst, dstSize);
        default: return -1;
    }
}

// ---- encoding ---------------------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_URL_EncodeW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize, int32_t type) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    using namespace zr::url;
    switch (type) {
        case ZR_ENCODE_JIS: return EncodeW(Units(src), Units(dst), dstSize, ZR_UnicodeToJis, URL_EscapeJisW);
        case ZR_ENCODE_SJIS: return EncodeW(Units(src), Units(dst), dstSize, ZR_UnicodeToSJis, URL_EscapeSJisW);
        case ZR_ENCODE_EUC: return EncodeW(Units(src), Units(dst), dstSize, ZR_UnicodeToEuc, URL_EscapeEucW);
        case ZR_ENCODE_UTF8: return EncodeUtf8W(Units(src), Units(dst), dstSize);
        default: return -1;
    }
}

extern "C" ZR_API int32_t ZR_CALL ZR_URL_EncodeA(const char* src, char* dst, int32_t dstSize, int32_t type) {
    if (NullOrNegativeSize(src, dst, dstSize)) return -1;
    using namespace zr::url;
    switch (type) {
        case ZR_ENCODE_JIS: return EncodeA(src, dst, dstSize, ZR_SJisToJis, URL_EscapeJisA);
        // The text is Shift_JIS already: escaped as it stands, no scratch.
        case ZR_ENCODE_SJIS: return URL_EscapeSJisA(src, dst, dstSize);
        case ZR_ENCODE_EUC: return EncodeA(src, dst, dstSize, ZR_SJisToEuc, URL_EscapeEucA);
        case ZR_ENCODE_UTF8: return EncodeUtf8A(src, dst, dstSize);
        default: return -1;
    }
}
