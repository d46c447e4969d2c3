// encode.cpp - text to percent-encoded URL: convert, then escape.
#include <cstring>
#include <limits>

#include "url/small_scratch.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

// Room for the converted text: 8 bytes a character covers the widest
// conversion (JIS, where a lone kanji between ASCII characters costs its two
// bytes and six bytes of designations), plus the terminator. A text so long
// that the size does not fit the conversions' int gets no scratch at all.
inline std::int64_t ScratchBytes(std::size_t n) noexcept {
    constexpr std::size_t kMax = (static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()) - 1) / 8;
    return n <= kMax ? static_cast<std::int64_t>(n) * 8 + 1 : -1;
}

// Texts of up to 127 characters convert on the stack.
constexpr std::size_t kInlineBytes = 1024;

template <class Ch, class SrcCh, class Convert, class Escape>
std::int32_t ConvertAndEscape(const Ch* src, const SrcCh* convertSrc, Ch* dst, std::int32_t dstSize,
                              Convert convert, Escape escape) noexcept {
    const std::int64_t size = ScratchBytes(TextLength(src));
    SmallScratch<char, kInlineBytes> scratch(size);
    if (!scratch) return -1;
    const std::int32_t r = convert(convertSrc, scratch.get(), static_cast<std::int32_t>(size));
    // Nothing converted (empty text, or a conversion that refused): dst is
    // left as the caller gave it.
    if (r <= 0) return r;
    return escape(scratch.get(), dst, dstSize);
}

}  // namespace

std::int32_t EncodeW(const char16_t* src, char16_t* dst, std::int32_t dstSize, WideToBytes convert,
                     EscapeToWide escape) noexcept {
    return ConvertAndEscape(src, reinterpret_cast<const ZR_WCHAR*>(src), dst, dstSize, convert, escape);
}

std::int32_t EncodeA(const char* src, char* dst, std::int32_t dstSize, NarrowToBytes convert,
                     EscapeToNarrow escape) noexcept {
    return ConvertAndEscape(src, src, dst, dstSize, convert, escape);
}

namespace {

// Texts up to this many characters take the one pass, on the stack.
constexpr std::size_t kFusedChars = 256;

// The one pass's text, when it models src and fits dst with its terminator:
// what the conversion and the escaping routine write then, and nothing else.
// An empty text is left to the steps, which refuse it.
template <class Ch, class Walk>
bool TryFused(const Ch* src, Ch* dst, std::int32_t dstSize, Walk walk, std::int32_t& result) noexcept {
    if (src[0] == 0) return false;
    Ch buf[9 * kFusedChars + 16];
    const FusedEscape r = walk(src, kFusedChars, buf);
    if (!r.modelled || r.length >= static_cast<std::size_t>(dstSize)) return false;
    std::memcpy(dst, buf, r.length * sizeof(Ch));
    dst[r.length] = 0;
    result = static_cast<std::int32_t>(r.length);
    return true;
}

}  // namespace

std::int32_t EncodeUtf8W(const char16_t* src, char16_t* dst, std::int32_t dstSize) noexcept {
    std::int32_t r = 0;
    if (TryFused(src, dst, dstSize, URL_EscapeUnitsAsUtf8W, r)) return r;
    return EncodeW(src, dst, dstSize, ZR_UnicodeToUtf8, URL_EscapeUtf8W);
}

std::int32_t EncodeUtf8A(const char* src, char* dst, std::int32_t dstSize) noexcept {
    std::int32_t r = 0;
    const auto walk = [](const char* s, std::size_t limit, char* out) noexcept {
        return URL_EscapeSJisAsUtf8A(reinterpret_cast<const std::uint8_t*>(s), limit, out);
    };
    if (TryFused(src, dst, dstSize, walk, r)) return r;
    return EncodeA(src, dst, dstSize, ZR_SJisToUtf8, URL_EscapeUtf8A);
}

}  // namespace zr::url
