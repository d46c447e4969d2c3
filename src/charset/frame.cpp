// frame.cpp - the frames of the one-step character-set exports.
#include "charset/frame.hpp"

#include "api/boundary.hpp"

namespace zr::charset {

using api::Bytes;
using api::Units;
using platform::CodePage;

std::int32_t Finish(const LoopResult& r, char* dst, std::size_t size) noexcept {
    switch (r.outcome) {
        case LoopOutcome::kDone:
            ZeroFrom(dst, r.length, size);
            return static_cast<std::int32_t>(r.length);
        case LoopOutcome::kUnconvertible:
            ZeroFrom(dst, r.length, size);
            return -1;
        case LoopOutcome::kNoRoom:
        case LoopOutcome::kDeclined:
            break;
    }
    std::memset(dst, 0, size);
    return 0;
}

std::int32_t RunByteLoop(ByteLoop loop, const char* src, char* dst, std::int32_t dstSize) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    const std::size_t size = static_cast<std::size_t>(dstSize);
    const std::size_t n = LengthUpTo(src, dstSize);
    if (EmptyOrTooLong(n, dstSize)) return ClearAndRefuse(dst, size);
    return Finish(loop({Bytes(src), n}, {Bytes(dst), size}), dst, size);
}

// The converter answers a capacity of 0 with the size it would need, which
// must not reach the caller as a length: that is "did not fit".
std::int32_t BytesToUnits(CodePage cp, const char* src, ZR_WCHAR* dst, std::int32_t dstSize) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    if (dstSize > 0) dst[0] = 0;
    if (src[0] == 0) return -1;
    if (dstSize == 0) return 0;
    return platform::MultiByteToWide(cp, src, Units(dst), dstSize);
}

// None of the code pages writes a 0 byte for a non-zero unit, so the length
// of dst is the converter's count less its NUL.
std::int32_t UnitsToBytes(CodePage cp, const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    if (dstSize > 0) dst[0] = 0;
    if (src[0] == 0) return -1;
    if (dstSize == 0) return 0;
    const int r = platform::WideToMultiByte(cp, Units(src), dst, dstSize);
    return r > 0 ? r - 1 : 0;
}

std::int32_t UnitsToSJis(const ZR_WCHAR* src, char* dst, std::int32_t dstSize) noexcept {
    if (api::NullOrNegativeSize(src, dst, dstSize)) return -1;
    // All of dst is cleared, even for an empty src.
    const std::size_t size = static_cast<std::size_t>(dstSize);
    if (src[0] == 0 || dstSize == 0) {
        std::memset(dst, 0, size);
        return src[0] == 0 ? -1 : 0;
    }
    const int r = platform::WideToMultiByte(CodePage::kCp932, Units(src), dst, dstSize);
    if (r > 0) {
        ZeroFrom(dst, static_cast<std::size_t>(r), size);
        return r - 1;
    }
    // What did not fit leaves the converter's partial text over a cleared
    // dst; the rare case pays for a second conversion.
    std::memset(dst, 0, size);
    platform::WideToMultiByte(CodePage::kCp932, Units(src), dst, dstSize);
    return 0;
}

}  // namespace zr::charset
