// api.cpp - the character-set exports. Each forwards to its frame
// (frame.hpp: the one-step conversions over the own loops and the host
// converter) or to its chain (chains.hpp: the two-step conversions).
#include "api/boundary.hpp"
#include "charset/byte_class.hpp"
#include "charset/chains.hpp"
#include "charset/euc_jp.hpp"
#include "charset/frame.hpp"
#include "charset/jis.hpp"
#include "platform/codepage.hpp"
#include "zr_moji.h"

namespace cs = zr::charset;
using zr::api::Bytes;
using zr::platform::CodePage;

// ---- Shift_JIS and UTF-16 ----------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return cs::BytesToUnits(CodePage::kCp932, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToSJis(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return cs::UnitsToSJis(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsMultiByteChar(const char* p) {
    if (p == nullptr) return 0;
    // p[1] is read only once p[0] is a lead byte, so never past a
    // terminator; NUL is not a trail byte, so "lead, NUL" gives 0.
    return cs::IsLeadByte(Bytes(p)[0]) && cs::IsTrailByte(Bytes(p)[1]);
}

// ---- JIS and Shift_JIS -------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_JisToSJis(const char* src, char* dst, int32_t dstSize) {
    return cs::RunByteLoop(cs::JisToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToJis(const char* src, char* dst, int32_t dstSize) {
    // A user-defined character gives -1 with the JIS text before it in dst.
    return cs::RunByteLoop(cs::SJisToJis, src, dst, dstSize);
}

// ---- EUC-JP -------------------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_EucToJis(const char* src, char* dst, int32_t dstSize) {
    return cs::RunByteLoop(cs::EucToJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_JisToEuc(const char* src, char* dst, int32_t dstSize) {
    return cs::RunByteLoop(cs::JisToEuc, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_EucToSJis(const char* src, char* dst, int32_t dstSize) {
    return cs::EucToSJisChain(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToEuc(const char* src, char* dst, int32_t dstSize) {
    return cs::SJisToEucChain(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsEucJpChar(const char* p) {
    if (p == nullptr) return 0;
    return cs::IsEucJpChar(Bytes(p)[0]);
}

// ---- UTF-16 with JIS and EUC-JP ------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_JisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return cs::JisToUnicodeChain(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToJis(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return cs::UnicodeToJisChain(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_EucToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return cs::EucToUnicodeChain(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToEuc(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return cs::UnicodeToEucChain(src, dst, dstSize);
}

// ---- UTF-8 and UTF-7 -----------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_Utf8ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return cs::BytesToUnits(CodePage::kUtf8, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToUtf8(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return cs::UnitsToBytes(CodePage::kUtf8, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Utf8ToSJis(const char* src, char* dst, int32_t dstSize) {
    return cs::Utf8ToSJisChain(src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToUtf8(const char* src, char* dst, int32_t dstSize) {
    return cs::Chain<ZR_WCHAR>(src, dst, dstSize, ZR_SJisToUnicode, ZR_UnicodeToUtf8);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Utf7ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return cs::BytesToUnits(CodePage::kUtf7, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToUtf7(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return cs::UnitsToBytes(CodePage::kUtf7, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Utf7ToSJis(const char* src, char* dst, int32_t dstSize) {
    return cs::Chain<ZR_WCHAR>(src, dst, dstSize, ZR_Utf7ToUnicode, ZR_UnicodeToSJis);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToUtf7(const char* src, char* dst, int32_t dstSize) {
    return cs::Chain<ZR_WCHAR>(src, dst, dstSize, ZR_SJisToUnicode, ZR_UnicodeToUtf7);
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsUtf8Char(const char* p) {
    if (p == nullptr) return 0;
    return cs::Utf8SequenceLength(Bytes(p));
}
