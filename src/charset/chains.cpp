// chains.cpp - the two-step character-set exports: a one-pass loop where it
// models the text, the steps where it declines.
#include "charset/chains.hpp"

#include <cstddef>
#include <cstring>

#include "charset/cp932_units.hpp"
#include "charset/euc_jp.hpp"
#include "charset/frame.hpp"
#include "charset/jis.hpp"
#include "charset/jis_unicode.hpp"
#include "charset/utf8_sjis.hpp"

namespace zr::charset {

namespace {

using api::Bytes;
using api::Units;
using platform::CodePage;
using platform::Scratch;

// The start of the chains that clear all of dst when they refuse: an empty
// or too long src, or no scratch for the intermediate text, which is taken
// once src has passed, where the first step takes it. `body(n, size, mid)`
// gets src's length, dstSize as a size and the scratch of dstSize bytes.
template <class In, class Out, class Body>
std::int32_t ClearingChain(const In* src, Out* dst, std::int32_t dstSize, Body body) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    const std::size_t size = static_cast<std::size_t>(dstSize);
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return ClearAndRefuse(dst, size);
    Scratch<char> mid(dstSize);
    if (!mid) return ClearAndRefuse(dst, size);
    return body(n, size, mid.get());
}

// The start of the chains that leave dst untouched until their last step:
// the first scratch buffer, taken where the first step takes it, then the
// checks of the step that measures src; a refusal gives -1 with dst as the
// caller left it. `body(n, first)` gets src's length and that scratch of
// dstSize elements.
template <class Mid, class In, class Out, class Body>
std::int32_t UntouchedChain(const In* src, Out* dst, std::int32_t dstSize, Body body) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    Scratch<Mid> first(dstSize);
    if (!first) return -1;
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return -1;
    return body(n, first.get());
}

// Whether the JIS form of the EUC-JP text of n bytes at src fits dstSize
// with its NUL. Each kanji run adds at most two escapes of 3 bytes and takes
// at least two bytes of text (one for an odd last byte, which gives two),
// with a single byte between runs: the worst, runs of one unit each with one
// byte between them, comes to 3n + 2 bytes, so a roomy dst needs no look at
// the text. Below that the runs are counted, which gives the exact length
// of the text the one pass models, so that a dst sized to the JIS text
// still takes the pass.
bool JisSurelyFits(const char* src, std::size_t n, std::int32_t dstSize) noexcept {
    const auto size = static_cast<std::uint64_t>(dstSize);
    return size >= 3 * static_cast<std::uint64_t>(n) + 3 || size >= EucToJisLengthBound({Bytes(src), n}) + 1;
}

// The Shift_JIS step of the chains from UTF-16, into a scratch buffer of
// dstSize bytes: the length of its text, 0 when it did not fit.
std::size_t UnitsToSJisScratch(const ZR_WCHAR* src, char* sjis, std::int32_t dstSize) noexcept {
    const int r = platform::WideToMultiByte(CodePage::kCp932, Units(src), sjis, dstSize);
    return r > 0 ? static_cast<std::size_t>(r - 1) : 0;
}

// The JIS step of ZR_UnicodeToJis on the Shift_JIS text: the length of dst,
// which stops before a user-defined character.
std::int32_t SJisTextToJis(const char* sjis, std::size_t m, char* dst, std::size_t size) noexcept {
    const LoopResult r = SJisToJis({Bytes(sjis), m}, {Bytes(dst), size});
    const std::int32_t result = Finish(r, dst, size);
    return r.outcome == LoopOutcome::kUnconvertible ? static_cast<std::int32_t>(r.length) : result;
}

}  // namespace

std::int32_t EucToSJisChain(const char* src, char* dst, std::int32_t dstSize) noexcept {
    return ClearingChain(src, dst, dstSize, [&](std::size_t n, std::size_t size, char* jis) noexcept {
        // The JIS text fits in dstSize with its NUL, and JIS to Shift_JIS
        // never lengthens a text, so the second step always fits too; its
        // result is the length of dst (0 when the JIS text held nothing to
        // convert). The one-pass loop writes the Shift_JIS text straight
        // into dst and answers for the JIS step's room.
        const LoopResult r = EucToSJisViaJis({Bytes(src), n}, Bytes(dst), size);
        if (r.outcome != LoopOutcome::kDeclined) return Finish(r, dst, size);
        std::memset(dst, 0, size);
        if (ZR_EucToJis(src, jis, dstSize) > 0) {
            const std::int32_t s = ZR_JisToSJis(jis, dst, dstSize);
            if (s > 0) return s;
        }
        return 0;
    });
}

std::int32_t SJisToEucChain(const char* src, char* dst, std::int32_t dstSize) noexcept {
    // The JIS text's scratch, then the checks of the JIS step.
    return UntouchedChain<char>(src, dst, dstSize, [&](std::size_t n, char* mid) noexcept {
        const std::size_t size = static_cast<std::size_t>(dstSize);
        // The one pass writes into the scratch buffer, since only its end
        // tells whether the JIS step fits or meets a user-defined character,
        // either of which leaves dst untouched.
        const LoopResult r = SJisToEucViaJis({Bytes(src), n}, Bytes(mid), size);
        switch (r.outcome) {
            case LoopOutcome::kDone:
                std::memcpy(dst, mid, r.length);
                ZeroFrom(dst, r.length, size);
                return static_cast<std::int32_t>(r.length);
            case LoopOutcome::kNoRoom:
                return std::int32_t{0};
            case LoopOutcome::kUnconvertible:
                return std::int32_t{-1};
            case LoopOutcome::kDeclined:
                break;
        }
        std::int32_t result = ZR_SJisToJis(src, mid, dstSize);
        if (result > 0) result = ZR_JisToEuc(mid, dst, dstSize);
        return result;
    });
}

std::int32_t JisToUnicodeChain(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept {
    // dstSize counts units but the clearing counts bytes: the first half of
    // dst is zeroed, or rather ends up zero wherever no unit was written.
    return ClearingChain(src, dst, dstSize, [&](std::size_t n, std::size_t size, char* sjis) noexcept {
        // The Shift_JIS text is never longer than src, so below dstSize it
        // fits with its NUL; then the UTF-16 step fits too, with at most one
        // unit per byte and the terminator, and the units can go straight to
        // dst. A text the pass declines is left to the steps, which begin
        // with the same characters and so write again every unit the pass
        // wrote. At n == size (a dst sized to src, the least the export
        // takes) the Shift_JIS text fits only when the steps drop escapes
        // from src, which only the pass tells: it then writes no more units
        // than the first dstSize bytes hold, all of which the steps clear
        // should the text not fit after all.
        const std::size_t room = n < size ? size : size / 2;
        const UnitsResult u = JisToUnits({Bytes(src), n}, Units(dst), room, JisUnitTable());
        if (!u.declined) {
            // An empty Shift_JIS text (src only escapes) ends the steps with
            // 0, as one that does not fit does.
            if (u.midLength == 0 || u.midLength >= size) {
                std::memset(dst, 0, size);
                return 0;
            }
            Units(dst)[u.units] = 0;
            ZeroFrom(dst, 2 * (u.units + 1), size);
            return static_cast<std::int32_t>(u.units + 1);
        }
        std::memset(dst, 0, size);
        std::int32_t r = ZR_JisToSJis(src, sjis, dstSize);
        if (r > 0) r = ZR_SJisToUnicode(sjis, dst, dstSize);
        return r;
    });
}

std::int32_t UnicodeToJisChain(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept {
    // Units of src against bytes of dst, as the other own-loop frames do.
    return ClearingChain(src, dst, dstSize, [&](std::size_t, std::size_t size, char* sjis) noexcept {
        const std::size_t m = UnitsToSJisScratch(src, sjis, dstSize);
        if (m == 0) {
            std::memset(dst, 0, size);
            return std::int32_t{0};
        }
        // -1 from the JIS step: the JIS text up to a user-defined character
        // is the answer.
        return SJisTextToJis(sjis, m, dst, size);
    });
}

std::int32_t EucToUnicodeChain(const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept {
    // The scratch buffers of the steps, each taken where its step takes it:
    // the Shift_JIS text's first, the JIS text's once src has passed the
    // EUC-JP step's checks.
    return UntouchedChain<char>(src, dst, dstSize, [&](std::size_t n, char* sjis) noexcept {
        Scratch<char> jis(dstSize);
        if (!jis) return std::int32_t{-1};
        if (JisSurelyFits(src, n, dstSize)) {
            // With room for any JIS form of src every step succeeds, so the
            // units can go straight to dst. A text the pass declines is left
            // to the steps, which begin with the same characters and so write
            // again every unit the pass wrote.
            const UnitsResult u =
                EucToUnits({Bytes(src), n}, Units(dst), static_cast<std::size_t>(dstSize), JisUnitTable());
            if (!u.declined) {
                Units(dst)[u.units] = 0;
                return static_cast<std::int32_t>(u.units + 1);
            }
        }
        // Otherwise the first two steps in one pass unless it declines; a
        // JIS text that does not fit ends the chain with dst untouched.
        const LoopResult first = EucToSJisViaJis({Bytes(src), n}, Bytes(sjis), static_cast<std::size_t>(dstSize));
        if (first.outcome == LoopOutcome::kNoRoom) return std::int32_t{0};
        if (first.outcome == LoopOutcome::kDone) {
            sjis[first.length] = 0;
            return ZR_SJisToUnicode(sjis, dst, dstSize);
        }
        std::int32_t r = 0;
        if (ZR_EucToJis(src, jis.get(), dstSize) > 0) {
            const std::int32_t s = ZR_JisToSJis(jis.get(), sjis, dstSize);
            if (s > 0) r = s;
        }
        if (r > 0) r = ZR_SJisToUnicode(sjis, dst, dstSize);
        return r;
    });
}

std::int32_t UnicodeToEucChain(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept {
    // The JIS text's scratch buffer, then the checks and the Shift_JIS
    // scratch buffer of the JIS step.
    return UntouchedChain<char>(src, dst, dstSize, [&](std::size_t, char* jis) noexcept {
        Scratch<char> sjis(dstSize);
        if (!sjis) return std::int32_t{-1};
        const std::size_t m = UnitsToSJisScratch(src, sjis.get(), dstSize);
        if (m == 0) return std::int32_t{0};
        const std::size_t size = static_cast<std::size_t>(dstSize);
        const LoopResult r = SJisToEucViaJis({Bytes(sjis.get()), m}, Bytes(jis), size);
        switch (r.outcome) {
            case LoopOutcome::kNoRoom:
                return std::int32_t{0};
            case LoopOutcome::kDone:
            case LoopOutcome::kUnconvertible:
                // The JIS text, up to a user-defined character, goes on to
                // EUC-JP unless it is empty; its EUC-JP form may be.
                if (r.jisLength == 0) return std::int32_t{0};
                std::memcpy(dst, jis, r.length);
                ZeroFrom(dst, r.length, size);
                return static_cast<std::int32_t>(r.length);
            case LoopOutcome::kDeclined:
                break;
        }
        std::int32_t result = SJisTextToJis(sjis.get(), m, jis, size);
        if (result > 0) result = ZR_JisToEuc(jis, dst, dstSize);
        return result;
    });
}

std::int32_t Utf8ToSJisChain(const char* src, char* dst, std::int32_t dstSize) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    // With room for n + 1 bytes both host conversions fit (no character
    // gives more units, or bytes, than it has bytes), so the second one
    // always runs and leaves the Shift_JIS text over a cleared dst. One pass
    // makes that text unless it declines; a short text is made on the stack
    // first, since the steps it may hand back to take a scratch that can
    // fail, and dst must then be as the caller left it.
    const std::size_t n = LengthUpTo(src, dstSize);
    const std::size_t size = static_cast<std::size_t>(dstSize);
    if (n != 0 && n < size) {
        const SJisFromUnit& table = SJisFromUnitTable();
        constexpr std::size_t kStackBytes = 1024;
        if (n < kStackBytes) {
            std::uint8_t buf[kStackBytes];
            const DirectResult r = Utf8ToSJisDirect({Bytes(src), n}, buf, table);
            if (!r.declined) {
                std::memcpy(dst, buf, r.length);
                ZeroFrom(dst, r.length, size);
                return static_cast<std::int32_t>(r.length);
            }
        } else {
            Scratch<ZR_WCHAR> mid(dstSize);
            if (!mid) return -1;
            const DirectResult r = Utf8ToSJisDirect({Bytes(src), n}, Bytes(dst), table);
            if (!r.declined) {
                ZeroFrom(dst, r.length, size);
                return static_cast<std::int32_t>(r.length);
            }
            // The steps on the scratch already taken; the second rewrites
            // all of dst.
            std::int32_t s = ZR_Utf8ToUnicode(src, mid.get(), dstSize);
            if (s > 0) s = ZR_UnicodeToSJis(mid.get(), dst, dstSize);
            return s;
        }
    }
    return Chain<ZR_WCHAR>(src, dst, dstSize, ZR_Utf8ToUnicode, ZR_UnicodeToSJis);
}

}  // namespace zr::charset
