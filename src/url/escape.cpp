// escape.cpp - bytes of a Japanese encoding to percent-encoded URL text.
//
// The routines share two rules: the byte-escape rule for the bytes that
// belong to a multi-byte character of the encoding, and the plain rule (space
// as '+', everything else as it stands) for the rest. They differ only in how
// they find the multi-byte characters.
#include "charset/jis.hpp"
#include "platform/format.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

constexpr char16_t kKanjiInW[] = u"%1B%24B";   // ESC $ B
constexpr char16_t kKanjiOutW[] = u"%1B%28B";  // ESC ( B
constexpr char kKanjiInA[] = "%1B%24B";
constexpr char kKanjiOutA[] = "%1B%28B";
constexpr std::int32_t kDesignationLength = 7;

inline int FormatEscape(char* buf, unsigned int b) noexcept { return platform::FormatA(buf, "%%%X", b); }
inline int FormatEscape(char16_t* buf, unsigned int b) noexcept { return platform::FormatW(buf, u"%%%X", b); }

template <class Ch>
int EscapeByteImpl(std::uint8_t b, Ch* out) noexcept {
    if (IsSafeByte(b)) {
        out[0] = static_cast<Ch>(b);
        return 1;
    }
    // The host formatter prints "%X" without padding; a byte below 0x10
    // (possible only from a control byte that the text itself carried into
    // double-byte mode) gets its leading zero here, as every decoder needs
    // two digits.
    Ch buf[8] = {};
    const int n = FormatEscape(buf, b);
    if (n != 2 && n != 3) return 0;
    out[0] = static_cast<Ch>('%');
    out[1] = n == 3 ? buf[1] : static_cast<Ch>('0');
    out[2] = buf[n - 1];
    return 3;
}

inline int URL_EscapeByte(std::uint8_t b, char* out) noexcept { return URL_EscapeByteA(b, out); }
inline int URL_EscapeByte(std::uint8_t b, char16_t* out) noexcept { return URL_EscapeByteW(b, out); }

// Writes the URL text into dst piece by piece. A piece that would leave no
// room for the terminator fails the whole text, so that a caller never gets
// a URL cut in the middle of an escape or a designation.
template <class Ch>
class UrlWriter {
public:
    UrlWriter(Ch* dst, std::int32_t dstSize) noexcept : dst_(dst), size_(dstSize) {}

    bool ok() const noexcept { return ok_; }

    void Text(const Ch* text, std::int32_t len) noexcept {
        if (!Reserve(len)) return;
        for (std::int32_t m = 0; m < len; ++m) dst_[pos_++] = text[m];
    }

    void Unit(Ch c) noexcept {
        if (!Reserve(1)) return;
        dst_[pos_++] = c;
    }

    void EscapeByte(std::uint8_t b) noexcept {
        Ch piece[kMaxEscapedByte];
        const int n = URL_EscapeByte(b, piece);
        if (n == 0) {
            ok_ = false;
            return;
        }
        Text(piece, n);
    }

    // Plain rule. The W form widens a byte 0x80..0xFF without its sign, to
    // U+0080..U+00FF: the decoders read back the low eight bits, and the
    // units stay clear of the noncharacters U+FFFE and U+FFFF.
    void Plain(std::uint8_t b) noexcept {
        Unit(b == 0x20 ? static_cast<Ch>('+') : static_cast<Ch>(b));
    }

    std::int32_t Finish() noexcept {
        if (ok_ && pos_ < size_) {
            dst_[pos_] = 0;
            return pos_;
        }
        if (size_ > 0) dst_[0] = 0;
        return -1;
    }

private:
    // Room for `len` more characters and the terminator after them.
    bool Reserve(std::int32_t len) noexcept {
        if (ok_ && len < size_ - pos_) return true;
        ok_ = false;
        return false;
    }

    Ch* dst_;
    std::int32_t size_;
    std::int32_t pos_ = 0;
    bool ok_ = true;
};

inline std::uint8_t ByteAt(const char* bytes, std::size_t i) noexcept {
    return static_cast<std::uint8_t>(bytes[i]);
}

template <class Ch>
std::int32_t EscapeJis(const char* bytes, Ch* dst, std::int32_t dstSize, const Ch* kanjiIn,
                       const Ch* kanjiOut) noexcept {
    UrlWriter<Ch> out(dst, dstSize);
    bool kanji = false;
    std::size_t i = 0;
    while (out.ok() && bytes[i] != 0) {
        int length = 0;
        // Every designation is written in the one form that the marker test
        // and the decoders know; the longer kanji-in forms are skipped whole,
        // so their tail is not taken for text.
        if (charset::IsJisKanjiInEscape(bytes + i, length)) {
            out.Text(kanjiIn, kDesignationLength);
            kanji = true;
            i += static_cast<std::size_t>(length);
        } else if (charset::IsJisKanjiOutEscape(bytes + i, length)) {
            out.Text(kanjiOut, kDesignationLength);
            kanji = false;
            i += static_cast<std::size_t>(length);
        } else {
            if (kanji) {
                out.EscapeByte(ByteAt(bytes, i));
            } else {
                out.Plain(ByteAt(bytes, i));
            }
            i += 1;
        }
    }
    // A text cut short in double-byte mode still leaves the URL in single-byte
    // mode, so that whatever a caller appends reads as ASCII.
    if (kanji) out.Text(kanjiOut, kDesignationLength);
    return out.Finish();
}

template <class Ch>
std::int32_t EscapeSJis(const char* bytes, Ch* dst, std::int32_t dstSize) noexcept {
    UrlWriter<Ch> out(dst, dstSize);
    std::size_t i = 0;
    while (out.ok() && bytes[i] != 0) {
        // The pair test never accepts a lead byte before the terminator, so
        // i + 1 is inside the text whenever it is taken.
        if (ZR_IsMultiByteChar(bytes + i)) {
            out.EscapeByte(ByteAt(bytes, i));
            out.EscapeByte(ByteAt(bytes, i + 1));
            i += 2;
        } else {
            out.Plain(ByteAt(bytes, i));
            i += 1;
        }
    }
    return out.Finish();
}

template <class Ch>
std::int32_t EscapeEuc(const char* bytes, Ch* dst, std::int32_t dstSize) noexcept {
    UrlWriter<Ch> out(dst, dstSize);
    for (std::size_t i = 0; out.ok() && bytes[i] != 0; ++i) {
        if (ZR_IsEucJpChar(bytes + i)) {
            out.EscapeByte(ByteAt(bytes, i));
        } else {
            out.Plain(ByteAt(bytes, i));
        }
    }
    return out.Finish();
}

template <class Ch>
std::int32_t EscapeUtf8(const char* bytes, Ch* dst, std::int32_t dstSize) noexcept {
    UrlWriter<Ch> out(dst, dstSize);
    std::size_t i = 0;
    while (out.ok() && bytes[i] != 0) {
        // The sequence length is reported only when all its continuation
        // bytes are there, so none of them is the terminator.
        const std::int32_t m = ZR_IsUtf8Char(bytes + i);
        if (m >= 1) {
            for (std::int32_t k = 0; k < m; ++k) out.EscapeByte(ByteAt(bytes, i + static_cast<std::size_t>(k)));
            i += static_cast<std::size_t>(m);
        } else {
            out.Plain(ByteAt(bytes, i));
            i += 1;
        }
    }
    return out.Finish();
}

}  // namespace

int URL_EscapeByteW(std::uint8_t b, char16_t* out) noexcept { return EscapeByteImpl(b, out); }
int URL_EscapeByteA(std::uint8_t b, char* out) noexcept { return EscapeByteImpl(b, out); }

bool IsSafeByte(std::uint8_t b) noexcept {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '*' || b == '-' ||
           b == '.' || b == '@' || b == '_';
}

std::int32_t URL_EscapeJisW(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept {
    return EscapeJis(bytes, dst, dstSize, kKanjiInW, kKanjiOutW);
}
std::int32_t URL_EscapeJisA(const char* bytes, char* dst, std::int32_t dstSize) noexcept {
    return EscapeJis(bytes, dst, dstSize, kKanjiInA, kKanjiOutA);
}
std::int32_t URL_EscapeSJisW(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept {
    return EscapeSJis(bytes, dst, dstSize);
}
std::int32_t URL_EscapeSJisA(const char* bytes, char* dst, std::int32_t dstSize) noexcept {
    return EscapeSJis(bytes, dst, dstSize);
}
std::int32_t URL_EscapeEucW(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept {
    return EscapeEuc(bytes, dst, dstSize);
}
std::int32_t URL_EscapeEucA(const char* bytes, char* dst, std::int32_t dstSize) noexcept {
    return EscapeEuc(bytes, dst, dstSize);
}
std::int32_t URL_EscapeUtf8W(const char* bytes, char16_t* dst, std::int32_t dstSize) noexcept {
    return EscapeUtf8(bytes, dst, dstSize);
}
std::int32_t URL_EscapeUtf8A(const char* bytes, char* dst, std::int32_t dstSize) noexcept {
    return EscapeUtf8(bytes, dst, dstSize);
}

}  // namespace zr::url
