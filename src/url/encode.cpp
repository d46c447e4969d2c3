// encode.cpp - text to percent-encoded URL: convert, then escape.
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

}  // namespace zr::url
