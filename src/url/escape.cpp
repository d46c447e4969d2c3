// escape.cpp - bytes of a Japanese encoding to percent-encoded URL text.
//
// The routines share two rules: the byte-escape rule for the bytes that
// belong to a multi-byte character of the encoding, and the plain rule for
// the rest: space as '+', other ASCII as it stands (so the structure of a
// whole URL passes through), and every byte 0x80..0xFF escaped, so that the
// URL is 7-bit text whichever encoding and form made it. They differ only in
// how they find the multi-byte characters.
#include <array>
#include <cstring>

#include "charset/byte_class.hpp"
#include "charset/cp932_units.hpp"
#include "charset/euc_jp.hpp"
#include "charset/jis.hpp"
#include "url/url.hpp"

namespace zr::url {
namespace {

constexpr char16_t kKanjiInW[] = u"%1B%24B";   // ESC $ B
constexpr char16_t kKanjiOutW[] = u"%1B%28B";  // ESC ( B
constexpr char kKanjiInA[] = "%1B%24B";
constexpr char kKanjiOutA[] = "%1B%28B";
constexpr std::ptrdiff_t kDesignationLength = 7;

constexpr bool IsSafe(std::uint8_t b) noexcept {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '*' || b == '-' ||
           b == '.' || b == '@' || b == '_';
}

inline constexpr std::array<bool, 256> kSafe = [] {
    std::array<bool, 256> t{};
    for (int b = 0; b < 256; ++b) t[b] = IsSafe(static_cast<std::uint8_t>(b));
    return t;
}();

// The escape form is what the host formatter prints for "%%%X", with the
// leading zero that "%X" leaves out below 0x10 put back: '%' and always two
// upper-case digits. Every byte that reaches it is non-zero.
constexpr char kHexUpper[] = "0123456789ABCDEF";

// ---- the fast walk ------------------------------------------------------------
//
// When dst has room for three characters per byte, no piece can fail, so
// the output is exactly what the checked walk below would write, and the
// capacity checks can go. Every byte is either escaped (byte-escape rule)
// or plain, and both forms are one load from a table of 4-unit pieces,
// stored whole and advanced by their true length; the Shift_JIS and EUC-JP
// walks choose the form without a branch, as Japanese text alternates
// between the two too irregularly to predict. The stores run up to three
// units past the text, so they go to a buffer on the stack and only the
// text and its terminator are copied to dst, which sees no other write.

template <class Ch>
struct Piece {
    Ch unit[4];
};

template <class Ch>
struct PieceTables {
    Piece<Ch> piece[2][256];  // [0] plain rule, [1] byte-escape rule
    std::uint8_t length[2][256];
};

template <class Ch>
constexpr PieceTables<Ch> MakePieceTables() {
    PieceTables<Ch> t{};
    for (int b = 0; b < 256; ++b) {
        if (IsSafe(static_cast<std::uint8_t>(b))) {
            t.piece[1][b].unit[0] = static_cast<Ch>(b);
            t.length[1][b] = 1;
        } else {
            t.piece[1][b].unit[0] = static_cast<Ch>('%');
            t.piece[1][b].unit[1] = static_cast<Ch>(kHexUpper[b >> 4]);
            t.piece[1][b].unit[2] = static_cast<Ch>(kHexUpper[b & 0xF]);
            t.length[1][b] = 3;
        }
        // The plain rule escapes 0x80..0xFF as the byte-escape rule does.
        if (b >= 0x80) {
            t.piece[0][b] = t.piece[1][b];
            t.length[0][b] = t.length[1][b];
        } else {
            t.piece[0][b].unit[0] = b == 0x20 ? static_cast<Ch>('+') : static_cast<Ch>(b);
            t.length[0][b] = 1;
        }
    }
    return t;
}

template <class Ch>
inline constexpr PieceTables<Ch> kPieces = MakePieceTables<Ch>();

// Texts up to this many bytes take the fast walk; longer ones are rare in
// URLs and take the checked walk.
constexpr std::size_t kFastBytes = 256;

// Emits byte b by the rule `escape` (0 or 1) at q; returns the next q.
template <class Ch>
inline Ch* Emit(Ch* q, std::uint8_t b, unsigned escape) noexcept {
    std::memcpy(q, &kPieces<Ch>.piece[escape][b], sizeof(Piece<Ch>));
    return q + kPieces<Ch>.length[escape][b];
}

// Copies the text from the stack buffer to dst and ends it.
template <class Ch>
inline std::int32_t Deliver(const Ch* buf, const Ch* end, Ch* dst) noexcept {
    const auto len = static_cast<std::size_t>(end - buf);
    std::memcpy(dst, buf, len * sizeof(Ch));
    dst[len] = 0;
    return static_cast<std::int32_t>(len);
}

// True when the whole text of n bytes, at three characters a byte, fits
// with its terminator, and n is short enough for the stack buffer.
inline bool FastFits(std::size_t n, std::int32_t dstSize) noexcept {
    return n <= kFastBytes && static_cast<std::int64_t>(n) * 3 < static_cast<std::int64_t>(dstSize);
}

// Shift_JIS: a byte opens a pair when it is a lead byte, not itself the
// second half of a pair, and a trail byte follows (s[i + 1] is at worst
// the terminator). Both halves of a pair take the byte-escape rule.
template <class Ch>
std::int32_t FastSJis(const std::uint8_t* s, std::size_t n, Ch* dst) noexcept {
    Ch buf[kFastBytes * 3 + 4];
    Ch* q = buf;
    unsigned second = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint8_t b = s[i];
        const unsigned first = (second ^ 1u) & (charset::kSJisClass[b] & charset::kLeadClass) &
                               ((charset::kSJisClass[s[i + 1]] & charset::kTrailClass) >> 1);
        q = Emit(q, b, first | second);
        second = first;
    }
    return Deliver(buf, q, dst);
}

template <class Ch>
std::int32_t FastEuc(const std::uint8_t* s, std::size_t n, Ch* dst) noexcept {
    Ch buf[kFastBytes * 3 + 4];
    Ch* q = buf;
    for (std::size_t i = 0; i < n; ++i) q = Emit(q, s[i], charset::IsEucJpChar(s[i]) ? 1u : 0u);
    return Deliver(buf, q, dst);
}

// UTF-8: the walk of the checked routine, without its capacity checks.
// Utf8SequenceLength reads each continuation byte only after the one before
// it matched, so it never passes the terminator.
template <class Ch>
std::int32_t FastUtf8(const std::uint8_t* s, std::size_t n, Ch* dst) noexcept {
    Ch buf[kFastBytes * 3 + 4];
    Ch* q = buf;
    std::size_t i = 0;
    while (i < n) {
        const std::uint8_t b = s[i];
        const int m = b < 0x80 ? 0 : charset::Utf8SequenceLength(s + i);
        if (m == 0) {
            q = Emit(q, b, 0);
            i += 1;
            continue;
        }
        for (int k = 0; k < m; ++k) q = Emit(q, s[i + static_cast<std::size_t>(k)], 1);
        i += static_cast<std::size_t>(m);
    }
    return Deliver(buf, q, dst);
}

// Writes the URL text into dst piece by piece. A piece that would leave no
// room for the terminator fails the whole text, so that a caller never gets
// a URL cut in the middle of an escape or a designation; the pieces before
// it stay where they were written, under the empty string that Fail leaves.
// The constructor needs dstSize >= 1.
template <class Ch>
class UrlWriter {
public:
    UrlWriter(Ch* dst, std::int32_t dstSize) noexcept : dst_(dst), p_(dst), end_(dst + (dstSize - 1)) {}

    bool Text(const Ch* text, std::ptrdiff_t len) noexcept {
        if (end_ - p_ < len) return false;
        for (std::ptrdiff_t m = 0; m < len; ++m) p_[m] = text[m];
        p_ += len;
        return true;
    }

    // Byte-escape rule.
    bool EscapeByte(std::uint8_t b) noexcept {
        if (kSafe[b]) {
            if (p_ == end_) return false;
            *p_++ = static_cast<Ch>(b);
            return true;
        }
        return EscapeHigh(b);
    }

    // Byte-escape rule for a byte known not to be safe (0x80..0xFF).
    bool EscapeHigh(std::uint8_t b) noexcept {
        if (end_ - p_ < 3) return false;
        p_[0] = static_cast<Ch>('%');
        p_[1] = static_cast<Ch>(kHexUpper[b >> 4]);
        p_[2] = static_cast<Ch>(kHexUpper[b & 0xF]);
        p_ += 3;
        return true;
    }

    // Plain rule. A byte 0x80..0xFF is escaped all the same: raw, it would
    // be no URL, and in the W form a caller who sends the text as UTF-8
    // would send other bytes than the ones the decoders read back.
    bool Plain(std::uint8_t b) noexcept {
        if (b >= 0x80) return EscapeHigh(b);
        if (p_ == end_) return false;
        *p_++ = b == 0x20 ? static_cast<Ch>('+') : static_cast<Ch>(b);
        return true;
    }

    std::int32_t Finish() noexcept {
        *p_ = 0;
        return static_cast<std::int32_t>(p_ - dst_);
    }

    std::int32_t Fail() noexcept {
        dst_[0] = 0;
        return -1;
    }

private:
    Ch* dst_;
    Ch* p_;
    Ch* end_;  // the last slot, kept for the terminator
};

inline std::uint8_t ByteAt(const char* bytes, std::size_t i) noexcept {
    return static_cast<std::uint8_t>(bytes[i]);
}

template <class Ch>
std::int32_t EscapeJis(const char* bytes, Ch* dst, std::int32_t dstSize, const Ch* kanjiIn,
                       const Ch* kanjiOut) noexcept {
    if (dstSize <= 0) return -1;
    UrlWriter<Ch> out(dst, dstSize);
    bool kanji = false;
    std::size_t i = 0;
    for (std::uint8_t b; (b = ByteAt(bytes, i)) != 0;) {
        int length = 0;
        // Both recognisers need ESC first, so text bytes skip them. Every
        // designation is written in the one form that the marker test and
        // the decoders know; the longer kanji-in forms are skipped whole, so
        // their tail is not taken for text.
        if (b == charset::kEsc && charset::IsJisKanjiInEscape(bytes + i, length)) {
            if (!out.Text(kanjiIn, kDesignationLength)) return out.Fail();
            kanji = true;
            i += static_cast<std::size_t>(length);
        } else if (b == charset::kEsc && charset::IsJisKanjiOutEscape(bytes + i, length)) {
            if (!out.Text(kanjiOut, kDesignationLength)) return out.Fail();
            kanji = false;
            i += static_cast<std::size_t>(length);
        } else {
            if (!(kanji ? out.EscapeByte(b) : out.Plain(b))) return out.Fail();
            i += 1;
        }
    }
    // A text cut short in double-byte mode still leaves the URL in single-byte
    // mode, so that whatever a caller appends reads as ASCII.
    if (kanji && !out.Text(kanjiOut, kDesignationLength)) return out.Fail();
    return out.Finish();
}

template <class Ch>
std::int32_t EscapeSJis(const char* bytes, Ch* dst, std::int32_t dstSize) noexcept {
    if (dstSize <= 0) return -1;
    if (const std::size_t n = std::strlen(bytes); FastFits(n, dstSize)) {
        return FastSJis(reinterpret_cast<const std::uint8_t*>(bytes), n, dst);
    }
    UrlWriter<Ch> out(dst, dstSize);
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes);
    std::size_t i = 0;
    for (std::uint8_t b; (b = s[i]) != 0;) {
        // The pair test never accepts a lead byte before the terminator, so
        // i + 1 is inside the text whenever it is taken. A lead byte is never
        // safe; its trail byte may be.
        if (charset::StartsSJisPair(s + i)) {
            if (!out.EscapeHigh(b) || !out.EscapeByte(s[i + 1])) return out.Fail();
            i += 2;
        } else {
            if (!out.Plain(b)) return out.Fail();
            i += 1;
        }
    }
    return out.Finish();
}

template <class Ch>
std::int32_t EscapeEuc(const char* bytes, Ch* dst, std::int32_t dstSize) noexcept {
    if (dstSize <= 0) return -1;
    if (const std::size_t n = std::strlen(bytes); FastFits(n, dstSize)) {
        return FastEuc(reinterpret_cast<const std::uint8_t*>(bytes), n, dst);
    }
    UrlWriter<Ch> out(dst, dstSize);
    for (std::size_t i = 0;; ++i) {
        const std::uint8_t b = ByteAt(bytes, i);
        if (b == 0) break;
        // Each byte on its own: 0xA1..0xDF is escaped wherever it stands.
        if (!(charset::IsEucJpChar(b) ? out.EscapeHigh(b) : out.Plain(b))) return out.Fail();
    }
    return out.Finish();
}

template <class Ch>
std::int32_t EscapeUtf8(const char* bytes, Ch* dst, std::int32_t dstSize) noexcept {
    if (dstSize <= 0) return -1;
    if (const std::size_t n = std::strlen(bytes); FastFits(n, dstSize)) {
        return FastUtf8(reinterpret_cast<const std::uint8_t*>(bytes), n, dst);
    }
    UrlWriter<Ch> out(dst, dstSize);
    const auto* s = reinterpret_cast<const std::uint8_t*>(bytes);
    std::size_t i = 0;
    for (std::uint8_t b; (b = s[i]) != 0;) {
        // ASCII never starts a sequence. The sequence length is reported only
        // when all its continuation bytes are there, so none of them is the
        // terminator; all its bytes are 0x80 or above, never safe.
        const int m = b < 0x80 ? 0 : charset::Utf8SequenceLength(s + i);
        if (m >= 1) {
            for (int k = 0; k < m; ++k) {
                if (!out.EscapeHigh(s[i + static_cast<std::size_t>(k)])) return out.Fail();
            }
            i += static_cast<std::size_t>(m);
        } else {
            if (!out.Plain(b)) return out.Fail();
            i += 1;
        }
    }
    return out.Finish();
}

// ---- straight to the URL form of UTF-8 ---------------------------------------
//
// The UTF-8 routines escape every byte of a multi-byte character and write
// ASCII by the plain rule; so does the walk below, from the unit the
// conversion to UTF-8 would start from.

// The URL form of the UTF-8 bytes of u (not a surrogate, not 0). Japanese
// URLs alternate between ASCII and kana or kanji every few characters, too
// irregularly to predict, so the form is chosen without a branch: three
// pieces are stored whatever u is, and q moves on by those that count; the
// rest is overwritten by what follows (ten characters are stored at q).
template <class Ch>
inline Ch* EmitUnitAsUtf8(Ch* q, std::uint32_t u) noexcept {
    const bool ascii = u < 0x80;
    const bool three = u >= 0x800;
    const std::uint32_t first = three ? (0xE0 | u >> 12) : (0xC0 | u >> 6);
    const std::uint32_t second = 0x80 | ((three ? u >> 6 : u) & 0x3F);
    const std::uint32_t third = 0x80 | (u & 0x3F);
    const Piece<Ch>& lead = ascii ? kPieces<Ch>.piece[0][u] : kPieces<Ch>.piece[1][first];
    std::memcpy(q, &lead, sizeof(Piece<Ch>));
    std::memcpy(q + 3, &kPieces<Ch>.piece[1][second], sizeof(Piece<Ch>));
    std::memcpy(q + 6, &kPieces<Ch>.piece[1][third], sizeof(Piece<Ch>));
    return q + (ascii ? 1 : three ? 9 : 6);
}

// The URL form of each Shift_JIS character's UTF-8 text, made once from what
// the host converter reads each character as: rows by lead byte (row 0x3F
// for the single bytes), 14 characters stored per entry, `length` of them
// counting. `unknown` marks a character the conversion table does not
// model; the entry of the single byte 0 (the terminator, never a character)
// doubles as the empty form that the second byte of a pair writes, and is
// not marked.
struct Utf8Form {
    char text[14];
    std::uint8_t unknown;
    std::uint8_t length;
};
static_assert(sizeof(Utf8Form) == 16);

struct Utf8Forms {
    Utf8Form form[0x40 * 256];
    bool usable;
};
constexpr unsigned kEmptyForm = 0x3F << 8;

// Where a byte's forms start in Utf8Forms::form (the low 16 bits), and in
// the high bits 0xFF for a lead byte, whose form the byte after it picks.
inline constexpr std::array<std::uint32_t, 256> kFormIndex = [] {
    std::array<std::uint32_t, 256> t{};
    for (unsigned b = 0; b < 256; ++b) {
        const unsigned slot = charset::PairSlot(static_cast<std::uint8_t>(b));
        t[b] = slot != 0x3F ? (slot << 8 | 0xFF0000u) : (0x3Fu << 8 | b);
    }
    return t;
}();

const Utf8Forms& Utf8FormsOfSJis() noexcept {
    static const Utf8Forms forms = [] {
        Utf8Forms f{};
        const charset::UnitFromSJis& t = charset::UnitFromSJisTable();
        f.usable = t.asciiSame;
        auto put = [](Utf8Form& form, char16_t u) {
            if (u == 0) {
                form.unknown = 1;
                return;
            }
            char text[16];
            const auto length = static_cast<std::size_t>(EmitUnitAsUtf8(text, u) - text);
            std::memcpy(form.text, text, length);
            form.length = static_cast<std::uint8_t>(length);
        };
        for (unsigned b = 0; b < 256; ++b) put(f.form[0x3F * 256 + b], t.single[b]);
        for (unsigned slot = 0; slot < 0x3F; ++slot) {
            for (unsigned trail = 0; trail < 256; ++trail) put(f.form[slot * 256 + trail], t.pair[slot][trail]);
        }
        f.form[kEmptyForm].unknown = 0;
        return f;
    }();
    return forms;
}

template <class Ch>
int EscapeByteImpl(std::uint8_t b, Ch* out) noexcept {
    if (kSafe[b]) {
        out[0] = static_cast<Ch>(b);
        return 1;
    }
    out[0] = static_cast<Ch>('%');
    out[1] = static_cast<Ch>(kHexUpper[b >> 4]);
    out[2] = static_cast<Ch>(kHexUpper[b & 0xF]);
    return 3;
}

}  // namespace

FusedEscape URL_EscapeSJisAsUtf8A(const std::uint8_t* s, std::size_t limit, char* out) noexcept {
    const Utf8Forms& forms = Utf8FormsOfSJis();
    if (!forms.usable) return {false, 0};
    // Byte by byte, as the Shift_JIS walk of FastSJis: a lead byte writes
    // the form of its pair (read with the byte after it, at worst the
    // terminator, an unknown form), the byte after it the empty form, any
    // other byte its own form. Nothing here waits on a load from the
    // byte before but the one-bit state, and no branch depends on the
    // text: Japanese URLs alternate between ASCII and kana or kanji every
    // few characters, too irregularly to predict.
    char* q = out;
    unsigned second = 0;
    unsigned unknown = 0;
    for (std::size_t i = 0;; ++i) {
        const unsigned b = s[i];
        if (b == 0) break;
        if (i == limit) return {false, 0};
        const std::uint32_t e = kFormIndex[b];
        const unsigned index =
            (((e & 0xFFFF) + (s[i + 1] & (e >> 16))) & (second - 1)) | (kEmptyForm & (0u - second));
        const Utf8Form& f = forms.form[index];
        std::memcpy(q, f.text, 16);
        q += f.length;
        unknown |= f.unknown;
        second = (e >> 16 & 1) & (second ^ 1);
    }
    if (unknown != 0) return {false, 0};
    return {true, static_cast<std::size_t>(q - out)};
}

FusedEscape URL_EscapeUnitsAsUtf8W(const char16_t* s, std::size_t limit, char16_t* out) noexcept {
    char16_t* q = out;
    for (std::size_t i = 0;; ++i) {
        const char16_t u = s[i];
        if (u == 0) break;
        if (i == limit || (u >= 0xD800 && u <= 0xDFFF)) return {false, 0};
        q = EmitUnitAsUtf8(q, u);
    }
    return {true, static_cast<std::size_t>(q - out)};
}

int URL_EscapeByteW(std::uint8_t b, char16_t* out) noexcept { return EscapeByteImpl(b, out); }
int URL_EscapeByteA(std::uint8_t b, char* out) noexcept { return EscapeByteImpl(b, out); }

bool IsSafeByte(std::uint8_t b) noexcept { return kSafe[b]; }

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
