// decode.cpp - percent-encoded URL to text: unescape, then convert.
#include <array>
#include <bit>
#include <cstring>

#include "charset/blocks.hpp"
#include "charset/byte_class.hpp"
#include "charset/cp932_units.hpp"
#include "url/hex.hpp"
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

// The byte of the escape at p (p[0] == '%'), or -1 when two hexadecimal
// digits do not follow; the second is read only once the first is one, so
// nothing past a terminator is read.
inline int Escaped(const char* p) noexcept {
    const int hi = HexValue(static_cast<unsigned char>(p[1]));
    if (hi < 0) return -1;
    const int lo = HexValue(static_cast<unsigned char>(p[2]));
    if (lo < 0) return -1;
    return hi << 4 | lo;
}

// A continuation byte escaped at p, or -1.
inline int EscapedContinuation(const char* p) noexcept {
    if (p[0] != '%') return -1;
    const int b = Escaped(p);
    return b >= 0 && charset::IsUtf8Continuation(static_cast<std::uint8_t>(b)) ? b : -1;
}

// The byte of every pair of hexadecimal digits, indexed by the 16-bit
// number the two characters make in memory; 0xFFFF for a pair that is not
// two digits. Filled when the library loads.
const std::array<std::uint16_t, 65536> kHexPairs = [] {
    std::array<std::uint16_t, 65536> t{};
    for (unsigned p = 0; p < t.size(); ++p) {
        unsigned char c[2];
        const auto v = static_cast<std::uint16_t>(p);
        std::memcpy(c, &v, 2);
        const int hi = kHexValue[c[0]];
        const int lo = kHexValue[c[1]];
        t[p] = hi < 0 || lo < 0 ? std::uint16_t{0xFFFF} : static_cast<std::uint16_t>(hi << 4 | lo);
    }
    return t;
}();

inline unsigned HexPair(const char* p) noexcept {
    std::uint16_t v;
    std::memcpy(&v, p, 2);
    return kHexPairs[v];
}

// A three-byte character escaped whole at p ("%hh%hh%hh", nine characters,
// all inside the text) as its unit, or 0 when p holds anything else: the
// common case of a Japanese URL, read without a branch between the digits.
inline unsigned EscapedThree(const char* p) noexcept {
    const unsigned b0 = HexPair(p + 1);
    const unsigned b1 = HexPair(p + 4);
    const unsigned b2 = HexPair(p + 7);
    const bool form = p[3] == '%' && p[6] == '%' && (b0 & 0xF0) == 0xE0 && (b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80;
    const unsigned u = (b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F);
    // Overlong forms and encoded surrogates are not characters.
    return form && u >= 0x800 && (u < 0xD800 || u > 0xDFFF) ? u : 0;
}

// A URL of UTF-8 straight to Shift_JIS at d (room for the URL's length + 1
// bytes; no piece is longer than its escape, and nothing is written before
// the first piece): what unescaping and then the
// UTF-8 to Shift_JIS conversion make of it, when every escape is whole and
// not "%00", no raw byte is 0x80 or above, and the bytes are characters of
// one, two or three bytes (no encoded surrogate) whose units the table
// knows, with the bytes of each multi-byte character all escaped. False for
// anything else, which the two steps then decide. n is the URL's length:
// reads stay within the text and its terminator.
bool Utf8UrlToSJis(const char* src, std::size_t n, std::uint8_t* d, const charset::SJisFromUnit& t,
                   std::size_t& length) noexcept {
    std::size_t i = 0;
    std::size_t k = 0;
    while (i < n) {
        const auto c = static_cast<unsigned char>(src[i]);
        if (c != '%') {
            if (c >= 0x80) return false;
#if defined(ZR_SIMD_SSE2)
            // A stretch of ASCII other than '%' 16 bytes at a time ('+' as a
            // space); the store stays within the n + 1 bytes of d, as no
            // piece is longer than its text.
            if (n - i >= 16) {
                const __m128i v = charset::blocks::Load(reinterpret_cast<const std::uint8_t*>(src) + i);
                const unsigned stop =
                    charset::blocks::Mask(v) | charset::blocks::Mask(_mm_cmpeq_epi8(v, charset::blocks::Bytes('%')));
                const auto a = static_cast<unsigned>(std::countr_zero(stop | 0x10000u));
                const __m128i plus = _mm_cmpeq_epi8(v, charset::blocks::Bytes('+'));
                charset::blocks::Store(d + k, _mm_or_si128(_mm_andnot_si128(plus, v),
                                                           _mm_and_si128(plus, charset::blocks::Bytes(' '))));
                k += a;
                i += a;
                continue;
            }
#endif
            d[k++] = c == '+' ? ' ' : c;
            ++i;
            continue;
        }
        // Kana and kanji, escaped whole, one after another.
        while (n - i >= 9) {
            const unsigned u = EscapedThree(src + i);
            if (u == 0) break;
            const std::uint16_t e = t.bytes[u];
            if (e == 0) return false;
            std::memcpy(d + k, &e, 2);
            k += charset::SJisLength(e);
            i += 9;
            if (src[i] != '%') break;
        }
        if (i == n || src[i] != '%') continue;
        const int b = Escaped(src + i);
        if (b <= 0) return false;
        i += 3;
        if (b < 0x80) {
            d[k++] = static_cast<std::uint8_t>(b);
            continue;
        }
        unsigned u;
        const int b1 = EscapedContinuation(src + i);
        if (b1 < 0) return false;
        if (b >= 0xC2 && b < 0xE0) {
            u = static_cast<unsigned>((b & 0x1F) << 6 | (b1 & 0x3F));
            i += 3;
        } else if (b >= 0xE0 && b < 0xF0 && !(b == 0xE0 && b1 < 0xA0) && !(b == 0xED && b1 >= 0xA0)) {
            const int b2 = EscapedContinuation(src + i + 3);
            if (b2 < 0) return false;
            u = static_cast<unsigned>((b & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F));
            i += 6;
        } else {
            return false;
        }
        const std::uint16_t e = t.bytes[u];
        if (e == 0) return false;
        std::memcpy(d + k, &e, 2);
        k += charset::SJisLength(e);
    }
    length = k;
    return true;
}

}  // namespace

std::int32_t DecodeUtf8A(const char* src, char* dst, std::int32_t dstSize) noexcept {
    // With dst longer than the URL, the conversion after the unescaping
    // always has room: both its steps fit, and the second leaves its text
    // over a cleared dst. A URL of the usual length is then decoded in one
    // pass straight into dst. One that the pass does not model takes the
    // steps on stack buffers rather than scratch, so that nothing can fail
    // once dst has been written; the pass writes nothing before it meets a
    // first character that would leave the unescaped text empty.
    const std::size_t n = TextLength(src);
    if (n != 0 && n < kInlineBytes && n < static_cast<std::size_t>(dstSize)) {
        const charset::SJisFromUnit& table = charset::SJisFromUnitTable();
        std::size_t length = 0;
        if (table.asciiSame && Utf8UrlToSJis(src, n, reinterpret_cast<std::uint8_t*>(dst), table, length)) {
            std::memset(dst + length, 0, static_cast<std::size_t>(dstSize) - length);
            return static_cast<std::int32_t>(length);
        }
        std::uint8_t bytes[kInlineBytes];
        const std::size_t m = URL_UnescapeAllA(src, bytes);
        if (m == 0) return -1;
        // No character gives more units than it has bytes, so m + 1 units
        // hold the UTF-16 text whatever the capacity the steps would name.
        ZR_WCHAR units[kInlineBytes];
        if (ZR_Utf8ToUnicode(reinterpret_cast<const char*>(bytes), units, static_cast<std::int32_t>(m + 1)) <= 0) {
            return 0;  // cannot happen: it always fits
        }
        return ZR_UnicodeToSJis(units, dst, dstSize);
    }
    return DecodeA(src, dst, dstSize, ZR_Utf8ToSJis);
}

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
