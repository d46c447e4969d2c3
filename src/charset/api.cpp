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
#include "charset/jis_unicode.hpp"
#include "charset/loop_result.hpp"
#include "charset/utf8_sjis.hpp"
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

// Bytes from `from` up to `size` set to zero. The exports that clear all of
// dst first clear only what the text does not cover once the text stands:
// the caller cannot tell the two apart.
void ZeroFrom(void* dst, std::size_t from, std::size_t size) noexcept {
    if (from < size) std::memset(static_cast<std::uint8_t*>(dst) + from, 0, size - from);
}

// What an own loop's result makes of dst and the export's answer: the text
// and zeros after it, or all zeros. kUnconvertible leaves the text before
// the character, and -1.
std::int32_t Finish(const cs::LoopResult& r, char* dst, std::size_t size) noexcept {
    switch (r.outcome) {
        case cs::LoopOutcome::kDone:
            ZeroFrom(dst, r.length, size);
            return static_cast<std::int32_t>(r.length);
        case cs::LoopOutcome::kUnconvertible:
            ZeroFrom(dst, r.length, size);
            return -1;
        case cs::LoopOutcome::kNoRoom:
        case cs::LoopOutcome::kUnclean:
            break;
    }
    std::memset(dst, 0, size);
    return 0;
}

using ByteLoop = cs::LoopResult (*)(std::span<const std::uint8_t>, std::span<std::uint8_t>) noexcept;

// The frame of the own byte loops: clear dst, refuse an empty or too long
// src, convert. A text that would not fit with its NUL gives 0 and an empty
// dst, which also stops any chain this export is the first step of.
std::int32_t RunByteLoop(ByteLoop loop, const char* src, char* dst, std::int32_t dstSize) noexcept {
    if (CallerError(src, dst, dstSize)) return -1;
    const std::size_t size = static_cast<std::size_t>(dstSize);
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) {
        std::memset(dst, 0, size);
        return -1;
    }
    return Finish(loop({Bytes(src), n}, {Bytes(dst), size}), dst, size);
}

// Whether the JIS form of any text of n bytes fits dstSize with its NUL.
// Each kanji run adds at most two escapes of 3 bytes and takes at least two
// bytes of text (one for an odd last byte, which gives two), with a single
// byte between runs: the worst, runs of one unit each with one byte between
// them, comes to 3n + 2 bytes.
bool JisSurelyFits(std::size_t n, std::int32_t dstSize) noexcept {
    return static_cast<std::uint64_t>(dstSize) >= 3 * static_cast<std::uint64_t>(n) + 3;
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
    const std::size_t size = static_cast<std::size_t>(dstSize);
    if (src[0] == 0 || dstSize == 0) {
        std::memset(dst, 0, size);
        return src[0] == 0 ? -1 : 0;
    }
    const int r = zr::platform::WideToMultiByte(CodePage::kCp932, Units(src), dst, dstSize);
    if (r > 0) {
        ZeroFrom(dst, static_cast<std::size_t>(r), size);
        return r - 1;
    }
    // What did not fit leaves the converter's partial text over a cleared
    // dst; the rare case pays for a second conversion.
    std::memset(dst, 0, size);
    zr::platform::WideToMultiByte(CodePage::kCp932, Units(src), dst, dstSize);
    return 0;
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
    const std::size_t size = static_cast<std::size_t>(dstSize);
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) {
        std::memset(dst, 0, size);
        return -1;
    }
    Scratch<char> jis(dstSize);
    if (!jis) {
        std::memset(dst, 0, size);
        return -1;
    }
    // The JIS text fits in dstSize with its NUL, and JIS to Shift_JIS never
    // lengthens a text, so the second step always fits too; its result is
    // the length of dst (0 when the JIS text held nothing to convert). The
    // one-pass loop writes the Shift_JIS text straight into dst and answers
    // for the JIS step's room.
    const cs::LoopResult r = cs::EucToSJisViaJis({Bytes(src), n}, Bytes(dst), size);
    if (r.outcome != cs::LoopOutcome::kUnclean) return Finish(r, dst, size);
    std::memset(dst, 0, size);
    if (ZR_EucToJis(src, jis.get(), dstSize) > 0) {
        const std::int32_t s = ZR_JisToSJis(jis.get(), dst, dstSize);
        if (s > 0) return s;
    }
    return 0;
}

extern "C" ZR_API int32_t ZR_CALL ZR_SJisToEuc(const char* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    Scratch<char> mid(dstSize);
    if (!mid) return -1;
    // The checks of the JIS step; dst is not touched when it fails.
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return -1;
    const std::size_t size = static_cast<std::size_t>(dstSize);
    // The one pass writes into the scratch buffer, since only its end tells
    // whether the JIS step fits or meets a user-defined character, either
    // of which leaves dst untouched.
    const cs::LoopResult r = cs::SJisToEucViaJis({Bytes(src), n}, Bytes(mid.get()), size);
    switch (r.outcome) {
        case cs::LoopOutcome::kDone:
            std::memcpy(dst, mid.get(), r.length);
            ZeroFrom(dst, r.length, size);
            return static_cast<std::int32_t>(r.length);
        case cs::LoopOutcome::kNoRoom:
            return 0;
        case cs::LoopOutcome::kUnconvertible:
            return -1;
        case cs::LoopOutcome::kUnclean:
            break;
    }
    std::int32_t result = ZR_SJisToJis(src, mid.get(), dstSize);
    if (result > 0) result = ZR_JisToEuc(mid.get(), dst, dstSize);
    return result;
}

extern "C" ZR_API int32_t ZR_CALL ZR_IsEucJpChar(const char* p) {
    if (p == nullptr) return 0;
    return cs::IsEucJpChar(Bytes(p)[0]);
}

// ---- UTF-16 with JIS and EUC-JP ------------------------------------------

extern "C" ZR_API int32_t ZR_CALL ZR_JisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    // dstSize counts units but the clearing counts bytes: the first half of
    // dst is zeroed, or rather ends up zero wherever no unit was written.
    const std::size_t size = static_cast<std::size_t>(dstSize);
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) {
        std::memset(dst, 0, size);
        return -1;
    }
    Scratch<char> sjis(dstSize);
    if (!sjis) {
        std::memset(dst, 0, size);
        return -1;
    }
    // The Shift_JIS text is never longer than src, so below dstSize it
    // fits with its NUL; then the UTF-16 step fits too, with at most one
    // unit per byte and the terminator, and the units can go straight to
    // dst. A text the pass does not model is left to the steps, which begin
    // with the same characters and so write again every unit the pass wrote.
    const cs::UnitTable& table = cs::JisUnitTable();
    if (table.usable && n < size) {
        const cs::UnitsResult u = cs::JisToUnits({Bytes(src), n}, Units(dst), size, table);
        if (u.modelled) {
            // An empty Shift_JIS text (src only escapes) ends the steps with 0.
            if (u.midLength == 0) {
                std::memset(dst, 0, size);
                return 0;
            }
            Units(dst)[u.units] = 0;
            ZeroFrom(dst, 2 * (u.units + 1), size);
            return static_cast<std::int32_t>(u.units + 1);
        }
    }
    std::memset(dst, 0, size);
    std::int32_t r = ZR_JisToSJis(src, sjis.get(), dstSize);
    if (r > 0) r = ZR_SJisToUnicode(sjis.get(), dst, dstSize);
    return r;
}

namespace {

// The Shift_JIS step of the exports from UTF-16, into a scratch buffer of
// dstSize bytes: the length of its text, 0 when it did not fit.
std::size_t UnitsToSJisScratch(const ZR_WCHAR* src, char* sjis, std::int32_t dstSize) noexcept {
    const int r = zr::platform::WideToMultiByte(CodePage::kCp932, Units(src), sjis, dstSize);
    return r > 0 ? static_cast<std::size_t>(r - 1) : 0;
}

// The JIS step of ZR_UnicodeToJis on the Shift_JIS text: the length of dst,
// which stops before a user-defined character.
std::int32_t SJisTextToJis(const char* sjis, std::size_t m, char* dst, std::size_t size) noexcept {
    const cs::LoopResult r = cs::SJisToJis({Bytes(sjis), m}, {Bytes(dst), size});
    const std::int32_t result = Finish(r, dst, size);
    return r.outcome == cs::LoopOutcome::kUnconvertible ? static_cast<std::int32_t>(r.length) : result;
}

}  // namespace

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToJis(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    const std::size_t size = static_cast<std::size_t>(dstSize);
    // Units of src against bytes of dst, as the other own-loop frames do.
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) {
        std::memset(dst, 0, size);
        return -1;
    }
    Scratch<char> sjis(dstSize);
    if (!sjis) {
        std::memset(dst, 0, size);
        return -1;
    }
    const std::size_t m = UnitsToSJisScratch(src, sjis.get(), dstSize);
    if (m == 0) {
        std::memset(dst, 0, size);
        return 0;
    }
    // -1 from the JIS step: the JIS text up to a user-defined character is
    // the answer.
    return SJisTextToJis(sjis.get(), m, dst, size);
}

extern "C" ZR_API int32_t ZR_CALL ZR_EucToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    // The scratch buffers of the steps, each taken where its step takes it:
    // the Shift_JIS text's first, the JIS text's once src has passed the
    // EUC-JP step's checks. dst is not touched until the last step.
    Scratch<char> sjis(dstSize);
    if (!sjis) return -1;
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return -1;
    Scratch<char> jis(dstSize);
    if (!jis) return -1;
    const cs::UnitTable& table = cs::JisUnitTable();
    if (table.usable && JisSurelyFits(n, dstSize)) {
        // With room for any JIS form of src every step succeeds, so the
        // units can go straight to dst. A text the pass does not model is
        // left to the steps, which begin with the same characters and so
        // write again every unit the pass wrote.
        const cs::UnitsResult u = cs::EucToUnits({Bytes(src), n}, Units(dst), static_cast<std::size_t>(dstSize), table);
        if (u.modelled) {
            Units(dst)[u.units] = 0;
            return static_cast<std::int32_t>(u.units + 1);
        }
    }
    // Otherwise the first two steps in one pass when it models the text; a
    // JIS text that does not fit ends the chain with dst untouched.
    const cs::LoopResult first =
        cs::EucToSJisViaJis({Bytes(src), n}, Bytes(sjis.get()), static_cast<std::size_t>(dstSize));
    if (first.outcome == cs::LoopOutcome::kNoRoom) return 0;
    if (first.outcome == cs::LoopOutcome::kDone) {
        sjis.get()[first.length] = 0;
        return ZR_SJisToUnicode(sjis.get(), dst, dstSize);
    }
    std::int32_t r = 0;
    if (ZR_EucToJis(src, jis.get(), dstSize) > 0) {
        const std::int32_t s = ZR_JisToSJis(jis.get(), sjis.get(), dstSize);
        if (s > 0) r = s;
    }
    if (r > 0) r = ZR_SJisToUnicode(sjis.get(), dst, dstSize);
    return r;
}

extern "C" ZR_API int32_t ZR_CALL ZR_UnicodeToEuc(const ZR_WCHAR* src, char* dst, int32_t dstSize) {
    if (CallerError(src, dst, dstSize)) return -1;
    // The JIS text's scratch buffer, then the checks and the Shift_JIS
    // scratch buffer of the JIS step. dst is not touched until the last step.
    Scratch<char> jis(dstSize);
    if (!jis) return -1;
    if (EmptyOrTooLong(LengthUpTo(src, dstSize), dstSize)) return -1;
    Scratch<char> sjis(dstSize);
    if (!sjis) return -1;
    const std::size_t m = UnitsToSJisScratch(src, sjis.get(), dstSize);
    if (m == 0) return 0;
    const std::size_t size = static_cast<std::size_t>(dstSize);
    const cs::LoopResult r = cs::SJisToEucViaJis({Bytes(sjis.get()), m}, Bytes(jis.get()), size);
    switch (r.outcome) {
        case cs::LoopOutcome::kNoRoom:
            return 0;
        case cs::LoopOutcome::kDone:
        case cs::LoopOutcome::kUnconvertible:
            // The JIS text, up to a user-defined character, goes on to
            // EUC-JP unless it is empty; its EUC-JP form may be.
            if (r.jisLength == 0) return 0;
            std::memcpy(dst, jis.get(), r.length);
            ZeroFrom(dst, r.length, size);
            return static_cast<std::int32_t>(r.length);
        case cs::LoopOutcome::kUnclean:
            break;
    }
    std::int32_t result = SJisTextToJis(sjis.get(), m, jis.get(), size);
    if (result > 0) result = ZR_JisToEuc(jis.get(), dst, dstSize);
    return result;
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
    if (CallerError(src, dst, dstSize)) return -1;
    // With room for n + 1 bytes both host conversions fit (no character
    // gives more units, or bytes, than it has bytes), so the second one
    // always runs and leaves the Shift_JIS text over a cleared dst. One pass
    // makes that text when it models src; a short text is made on the stack
    // first, since the steps it may hand back to take a scratch that can
    // fail, and dst must then be as the caller left it.
    const std::size_t n = LengthUpTo(src, dstSize);
    const std::size_t size = static_cast<std::size_t>(dstSize);
    if (n != 0 && n < size && cs::SJisFromUnitTable().asciiSame) {
        const cs::SJisFromUnit& table = cs::SJisFromUnitTable();
        constexpr std::size_t kStackBytes = 1024;
        if (n < kStackBytes) {
            std::uint8_t buf[kStackBytes];
            const cs::DirectResult r = cs::Utf8ToSJisDirect({Bytes(src), n}, buf, table);
            if (r.modelled) {
                std::memcpy(dst, buf, r.length);
                ZeroFrom(dst, r.length, size);
                return static_cast<std::int32_t>(r.length);
            }
        } else {
            Scratch<ZR_WCHAR> mid(dstSize);
            if (!mid) return -1;
            const cs::DirectResult r = cs::Utf8ToSJisDirect({Bytes(src), n}, Bytes(dst), table);
            if (r.modelled) {
                ZeroFrom(dst, r.length, size);
                return static_cast<std::int32_t>(r.length);
            }
            // The steps on the scratch already taken; the second rewrites all
            // of dst.
            std::int32_t s = ZR_Utf8ToUnicode(src, mid.get(), dstSize);
            if (s > 0) s = ZR_UnicodeToSJis(mid.get(), dst, dstSize);
            return s;
        }
    }
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
