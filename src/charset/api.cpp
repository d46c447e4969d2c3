// api.cpp - the character-set exports: argument checks, the shared frame and
// the two-step chains. The conversions themselves live in jis.cpp,
// euc_jp.cpp and the host code-page converter.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "charset/byte_class.hpp"
#include "charset/euc_jp.hpp"
#include "charset/jis.hpp"
#include "charset/loop_result.hpp"
#include "platform/codepage.hpp"
#include "platform/scratch.hpp"
#include "zr_moji.h"

namespace {

namespace cs = zr::charset;
using zr::platform::CodePage;
using zr::platform::Scratch;

static_assert(sizeof(ZR_WCHAR) == sizeof(char16_t));

const std::uint8_t* Bytes(const char* p) noexcept { return reinterpret_cast<const std::uint8_t*>(p); }
std::uint8_t* Bytes(char* p) noexcept { return reinterpret_cast<std::uint8_t*>(p); }
const char16_t* Units(const ZR_WCHAR* p) noexcept { return reinterpret_cast<const char16_t*>(p); }
char16_t* Units(ZR_WCHAR* p) noexcept { return reinterpret_cast<char16_t*>(p); }

// Caller errors: answered with -1 before anything is touched.
bool CallerError(const void* src, const void* dst, std::int32_t dstSize) noexcept {
    return src == nullptr || dst == nullptr || dstSize < 0;
}

// Lengths are measured only as far as the test needs (one past dstSize), so
// a long input is refused without walking all of it.
std::size_t LengthUpTo(const char* s, std::int32_t dstSize) noexcept {
    return strnlen(s, static_cast<std::size_t>(dstSize) + 1);
}

std::size_t LengthUpTo(const ZR_WCHAR* s, std::int32_t dstSize) noexcept {
    const std::size_t max = static_cast<std::size_t>(dstSize) + 1;
    std::size_t n = 0;
    while (n < max && s[n] != 0) ++n;
    return n;
}

bool EmptyOrTooLong(std::size_t n, std::int32_t dstSize) noexcept {
    return n == 0 || n > static_cast<std::size_t>(dstSize);
}

using ByteLoop = cs::LoopResult (*)(std::span<const std::uint8_t>, std::span<std::uint8_t>) noexcept;

// The frame of the own byte loops: clear dst, refuse an empty or too long
// src, convert. A text that would not fit with its NUL gives 0 and an empty
// dst, which also stops any chain this export is the first step of.
std::int32_t RunByteLoop(ByteLoop loop, const char* src, char* dst, std::int32_t dstSize) noexcept {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return -1;
    const cs::LoopResult r = loop({Bytes(src), n}, {Bytes(dst), static_cast<std::size_t>(dstSize)});
    switch (r.outcome) {
        case cs::LoopOutcome::kDone:
            return static_cast<std::int32_t>(r.length);
        case cs::LoopOutcome::kNoRoom:
            return 0;
        case cs::LoopOutcome::kUnconvertible:
            break;
    }
    return -1;
}

// Bytes to UTF-16 through the host converter; only the first unit of dst is
// cleared. The converter answers a capacity of 0 with the size it would
// need, which must not reach the caller as a length: that is "did not fit".
std::int32_t BytesToUnits(CodePage cp, const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept {
    if (CallerError(src, dst, dstSize)) return -1;
    if (dstSize > 0) dst[0] = 0;
    if (src[0] == 0) return -1;
    if (dstSize == 0) return 0;
    return zr::platform::MultiByteToWide(cp, src, Units(dst), dstSize);
}

// UTF-16 to bytes through the host converter, after clearing `clear` bytes
// of dst. None of the three code pages writes a 0 byte for a non-zero unit,
// so the length of dst is the converter's count less its NUL.
std::int32_t UnitsToBytes(CodePage cp, const ZR_WCHAR* src, char* dst, std::int32_t dstSize,
                          std::size_t clear) noexcept {
    if (clear > 0) std::memset(dst, 0, clear);
    if (src[0] == 0) return -1;
    if (dstSize == 0) return 0;
    const int r = zr::platform::WideToMultiByte(cp, Units(src), dst, dstSize);
    return r > 0 ? r - 1 : 0;
}

// The usual two-step chain: a scratch of dstSize elements of the
// intermediate kind, the second step only when the first produced
// something, and the result of the last step that ran.
template <class Mid, class In, class Out, class First, class Second>
std::int32_t Chain(const In* src, Out* dst, std::int32_t dstSize, First first, Second second) noexcept {
    if (CallerError(src, dst, dstSize)) return -1;
    Scratch<Mid> mid(dstSize);
    if (!mid) return -1;
    std::int32_t r = first(src, mid.get(), dstSize);
    if (r > 0) r = second(mid.get(), dst, dstSize);
    return r;
}

}  // namespace

// ---- Shift_JIS and UTF-16 ----------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return BytesToUnits(CodePage::kCp932, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToSJis(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    // All of dst is cleared, even for an empty src.
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    return UnitsToBytes(CodePage::kCp932, src, dst, dstSize, 0);
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsMultiByteChar(const char* p) {
    if (p == nullptr) return 0;
    const auto* b = Bytes(p);
    // b[1] is read only once b[0] is a lead byte, so never past a
    // terminator; NUL is not a trail byte, so "lead, NUL" gives 0.
    return cs::IsLeadByte(b[0]) && cs::IsTrailByte(b[1]);
}

// ---- JIS and Shift_JIS -------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_JisToSJis(const char* src, char* dst, int32_t dstSize) {
    return RunByteLoop(cs::JisToSJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToJis(const char* src, char* dst, int32_t dstSize) {
    // A user-defined character gives -1 with the JIS text before it in dst.
    return RunByteLoop(cs::SJisToJis, src, dst, dstSize);
}

// ---- EUC-JP -------------------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_EucToJis(const char* src, char* dst, int32_t dstSize) {
    return RunByteLoop(cs::EucToJis, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_JisToEuc(const char* src, char* dst, int32_t dstSize) {
    return RunByteLoop(cs::JisToEuc, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_EucToSJis(const char* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    Scratch<char> jis(dstSize);
    if (!jis) return -1;
    // The JIS text fits in dstSize with its NUL, and JIS to Shift_JIS never
    // lengthens a text, so the second step always fits too; its result is
    // the length of dst (0 when the JIS text held nothing to convert).
    if (ZR_EucToJis(src, jis.get(), dstSize) > 0) {
        const std::int32_t r = ZR_JisToSJis(jis.get(), dst, dstSize);
        if (r > 0) return r;
    }
    return 0;
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToEuc(const char* src, char* dst, int32_t dstSize) {
    return Chain<char>(src, dst, dstSize, ZR_SJisToJis, ZR_JisToEuc);
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsEucJpChar(const char* p) {
    if (p == nullptr) return 0;
    return cs::IsEucJpChar(Bytes(p)[0]);
}

// ---- UTF-16 with JIS and EUC-JP ------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_JisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    // dstSize counts units but the clearing counts bytes: the first half of
    // dst is zeroed.
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    Scratch<char> sjis(dstSize);
    if (!sjis) return -1;
    std::int32_t r = ZR_JisToSJis(src, sjis.get(), dstSize);
    if (r > 0) r = ZR_SJisToUnicode(sjis.get(), dst, dstSize);
    return r;
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToJis(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    std::memset(dst, 0, static_cast<std::size_t>(dstSize));
    // Units of src against bytes of dst, as the other own-loop frames do.
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    Scratch<char> sjis(dstSize);
    if (!sjis) return -1;
    if (ZR_UnicodeToSJis(src, sjis.get(), dstSize) > 0) {
        const std::int32_t r = ZR_SJisToJis(sjis.get(), dst, dstSize);
        if (r > 0) return r;
        // -1: the JIS text up to a user-defined character is the answer.
        if (r < 0) return static_cast<std::int32_t>(strnlen(dst, static_cast<std::size_t>(dstSize)));
    }
    return 0;
}

extern "C" ZR_API int32_t ZR_CALL ZR_EucToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return Chain<char>(src, dst, dstSize, ZR_EucToSJis, ZR_SJisToUnicode);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToEuc(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    return Chain<char>(src, dst, dstSize, ZR_UnicodeToJis, ZR_JisToEuc);
}

// ---- UTF-8 and UTF-7 -----------------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_Utf8ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return BytesToUnits(CodePage::kUtf8, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToUtf8(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    // Only the first byte is cleared.
    return UnitsToBytes(CodePage::kUtf8, src, dst, dstSize, dstSize > 0 ? 1 : 0);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Utf8ToSJis(const char* src, char* dst, int32_t dstSize) {
    return Chain<ZR_WCHAR>(src, dst, dstSize, ZR_Utf8ToUnicode, ZR_UnicodeToSJis);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToUtf8(const char* src, char* dst, int32_t dstSize) {
    return Chain<ZR_WCHAR>(src, dst, dstSize, ZR_SJisToUnicode, ZR_UnicodeToUtf8);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Utf7ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    return BytesToUnits(CodePage::kUtf7, src, dst, dstSize);
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToUtf7(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    return UnitsToBytes(CodePage::kUtf7, src, dst, dstSize, dstSize > 0 ? 1 : 0);
}

extern "C" ZR_API int32_t ZR_CALL ZR_Utf7ToSJis(const char* src, char* dst, int32_t dstSize) {
    return Chain<ZR_WCHAR>(src, dst, dstSize, ZR_Utf7ToUnicode, ZR_UnicodeToSJis);
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToUtf7(const char* src, char* dst, int32_t dstSize) {
    return Chain<ZR_WCHAR>(src, dst, dstSize, ZR_SJisToUnicode, ZR_UnicodeToUtf7);
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsUtf8Char(const char* p) {
    if (p == nullptr) return 0;
    return cs::Utf8SequenceLength(Bytes(p));
}
