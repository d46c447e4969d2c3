// decode.cpp - percent-encoded URL to text: unescape, then convert.
#include "url/small_scratch.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

// A typical URL of a few hundred characters unescapes on the stack.
constexpr std::size_t kInlineBytes = 1024;

template <class Ch, class Out, class Convert>
std::int32_t UnescapeAndConvert(const Ch* src, Out* dst, std::int32_t dstSize, Convert convert) noexcept {
    const std::size_t n = TextLength(src);
    // Unescaping never yields more bytes than the URL has characters.
    SmallScratch<std::uint8_t, kInlineBytes> scratch(static_cast<std::int64_t>(n) + 1);
    if (!scratch) return -1;
    std::size_t len;
    if constexpr (sizeof(Ch) == 1) {
        len = URL_UnescapeAllA(src, scratch.get());
    } else {
        len = URL_UnescapeAllW(src, scratch.get());
    }
    // Nothing before the first invalid escape or "%00": there is no text to
    // convert, and the conversions would refuse it anyway.
    if (len == 0) return -1;
    return convert(reinterpret_cast<const char*>(scratch.get()), dst, dstSize);
}

}  // namespace

std::int32_t DecodeW(const char16_t* src, ZR_WCHAR* dst, std::int32_t dstSize, BytesToWide convert) noexcept {
    return UnescapeAndConvert(src, dst, dstSize, convert);
}

std::int32_t DecodeA(const char* src, char* dst, std::int32_t dstSize, BytesToNarrow convert) noexcept {
    return UnescapeAndConvert(src, dst, dstSize, convert);
}

std::int32_t DecodeSJisA(const char* src, char* dst, std::int32_t dstSize) noexcept {
    if (dstSize <= 0) return 0;  // not even the terminator fits
    // The limit counts URL characters, so a URL of escapes stops well before
    // dst is full; the span keeps the bytes and terminator inside dst.
    const std::span<std::uint8_t> out(reinterpret_cast<std::uint8_t*>(dst), static_cast<std::size_t>(dstSize));
    return static_cast<std::int32_t>(URL_UnescapeA(src, out, static_cast<std::size_t>(dstSize)));
}

}  // namespace zr::url
