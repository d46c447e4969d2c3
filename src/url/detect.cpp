// detect.cpp - guesses the encoding behind the escapes of a URL.
//
// The three byte tests only look at byte ranges, so they overlap; the fixed
// order of EncodeType decides between them. In all three, printable ASCII
// says nothing and a control byte rules the encoding out: URL text carries
// no control characters of its own.
#include "platform/scratch.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

// The byte at k, or NUL past the end: a character cut short by the end of
// the text sees its terminator.
inline std::uint8_t At(std::span<const std::uint8_t> b, std::size_t k) noexcept {
    return k < b.size() ? b[k] : 0;
}

inline bool IsNeutral(std::uint8_t b) noexcept { return b >= 0x20 && b <= 0x7F; }
inline bool IsContinuation(std::uint8_t b) noexcept { return (b & 0xC0) == 0x80; }

template <class Ch>
bool UnescapedPasses(const Ch* url, bool (*test)(std::span<const std::uint8_t>) noexcept) noexcept {
    const std::size_t n = TextLength(url);
    // Unescaping never yields more bytes than the URL has characters.
    platform::Scratch<std::uint8_t> scratch(static_cast<std::int64_t>(n) + 1);
    if (!scratch) return false;
    const std::span<std::uint8_t> out(scratch.get(), n + 1);
    std::size_t len;
    if constexpr (sizeof(Ch) == 1) {
        len = URL_UnescapeA(url, out, n);
    } else {
        len = URL_UnescapeW(url, out, n);
    }
    return test(std::span<const std::uint8_t>(scratch.get(), len));
}

template <class Ch>
std::int32_t EncodeType(const Ch* url) noexcept {
    bool jis;
    if constexpr (sizeof(Ch) == 1) {
        jis = IsJisEncodeA(url);
    } else {
        jis = IsJisEncodeW(url);
    }
    // UTF-8 goes before EUC-JP and Shift_JIS: its bit patterns are the
    // strictest, and multi-byte UTF-8 often passes the looser Shift_JIS test.
    if (jis) return ZR_ENCODE_JIS;
    if (UnescapedPasses(url, LooksLikeUtf8)) return ZR_ENCODE_UTF8;
    if (UnescapedPasses(url, LooksLikeEuc)) return ZR_ENCODE_EUC;
    if (UnescapedPasses(url, LooksLikeSJis)) return ZR_ENCODE_SJIS;
    return ZR_ENCODE_NONE;
}

}  // namespace

bool LooksLikeSJis(std::span<const std::uint8_t> b) noexcept {
    std::size_t hits = 0;
    for (std::size_t k = 0; k < b.size();) {
        const std::uint8_t c = b[k];
        if (IsNeutral(c)) {
            k += 1;
        } else if (c >= 0x81 && c <= 0x9F) {
            // A lead byte of the first block: its trail byte is taken on trust.
            ++hits;
            k += 2;
        } else if (c == 0x80 || c >= 0xA0) {
            // A lead byte of the upper block or a half-width katakana: only a
            // low byte (or the end) after it keeps the text plausible.
            if (At(b, k + 1) > 0xA0) return false;
            ++hits;
            k += 2;
        } else {
            return false;
        }
    }
    return hits > 0;
}

bool LooksLikeEuc(std::span<const std::uint8_t> b) noexcept {
    std::size_t hits = 0;
    for (std::size_t k = 0; k < b.size();) {
        const std::uint8_t c = b[k];
        if (IsNeutral(c)) {
            k += 1;
        } else if (c >= 0xA1 && c <= 0xDF) {
            ++hits;
            k += 2;
        } else {
            return false;
        }
    }
    return hits > 0;
}

bool LooksLikeUtf8(std::span<const std::uint8_t> b) noexcept {
    std::size_t hits = 0;
    for (std::size_t k = 0; k < b.size();) {
        const std::uint8_t c = b[k];
        if (IsNeutral(c)) {
            k += 1;
            continue;
        }
        std::size_t len = 0;
        if ((c & 0xE0) == 0xC0) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
        } else if ((c & 0xFC) == 0xF8) {
            len = 5;
        } else if ((c & 0xFE) == 0xFC) {
            len = 6;
        }
        if (len == 0) return false;
        // Continuations are checked one by one, so the end of the text (read
        // as NUL) stops a sequence cut short.
        for (std::size_t m = 1; m < len; ++m) {
            if (!IsContinuation(At(b, k + m))) return false;
        }
        ++hits;
        k += len;
    }
    return hits > 0;
}

bool IsSJisEncodeW(const char16_t* url) noexcept { return UnescapedPasses(url, LooksLikeSJis); }
bool IsSJisEncodeA(const char* url) noexcept { return UnescapedPasses(url, LooksLikeSJis); }
bool IsEucEncodeW(const char16_t* url) noexcept { return UnescapedPasses(url, LooksLikeEuc); }
bool IsEucEncodeA(const char* url) noexcept { return UnescapedPasses(url, LooksLikeEuc); }
bool IsUtf8EncodeW(const char16_t* url) noexcept { return UnescapedPasses(url, LooksLikeUtf8); }
bool IsUtf8EncodeA(const char* url) noexcept { return UnescapedPasses(url, LooksLikeUtf8); }

std::int32_t EncodeTypeW(const char16_t* url) noexcept { return EncodeType(url); }
std::int32_t EncodeTypeA(const char* url) noexcept { return EncodeType(url); }

}  // namespace zr::url
