// quoted_printable.cpp - Quoted-Printable encoder and decoder over plain bytes.
#include "mime/quoted_printable.hpp"

#include <bit>
#include <cstring>

#include "cpu/cpu.hpp"
#include "mime/qp_blocks.hpp"
#include "platform/format.hpp"

namespace zr::mime {
namespace {

// A line holds at most 75 characters before the "=" of its soft break. An
// escape is never split across lines and is started only while at most 71
// characters are on the line.
constexpr int kLiteralBreakColumn = 76;
constexpr int kEscapeBreakColumn = 73;

// Room rule: a write of n characters needs n + 2 bytes from the position on
// (the characters, the terminator and one byte more).
constexpr bool HasRoom(std::span<char> dst, std::size_t pos, std::size_t n) noexcept {
    return pos + n + 2 <= dst.size();
}

// kQuotedPrintableLiteral as a byte mask, for the decoder's branch-free step.
constexpr std::array<std::uint8_t, 256> kLiteralMask = [] {
    std::array<std::uint8_t, 256> mask{};
    for (int b = 0; b < 256; ++b) mask[b] = kQuotedPrintableLiteral[b] ? 0xFF : 0;
    return mask;
}();

// What the fast encoding loop writes for each byte: the literal or the
// escape, padded to four bytes so that every piece is one fixed-size store,
// and the column from which the piece needs a soft break first. The digits
// are those that "=%02X" prints, so the text is the same as the formatter's.
struct QuotedPrintablePiece {
    char text[4];
    std::uint8_t length;
    std::uint8_t breakColumn;
};

constexpr std::array<QuotedPrintablePiece, 256> kQuotedPrintablePieces = [] {
    constexpr char kDigits[] = "0123456789ABCDEF";
    std::array<QuotedPrintablePiece, 256> pieces{};
    for (int b = 0; b < 256; ++b) {
        auto& p = pieces[b];
        if (kQuotedPrintableLiteral[b]) {
            p = {{static_cast<char>(b), 0, 0, 0}, 1, kLiteralBreakColumn};
        } else {
            p = {{'=', kDigits[b >> 4], kDigits[b & 0xF], 0}, 3, kEscapeBreakColumn};
        }
    }
    return pieces;
}();

constexpr char kSoftBreak[4] = {'=', '\r', '\n', 0};

// A step writes at most a soft break and an escape; with this much left in
// dst any step passes the room rule and the four-byte stores stay inside.
constexpr std::size_t kLongestStep = 6;
constexpr std::size_t kUncheckedRoom = kLongestStep + 2;

// One decoding step for the common cases, without a branch: a literal `b`,
// or "=" and two hexadecimal digits. Writes its byte to `out` either way and
// returns 1 when the step was one of those, 0 when it was not (a soft break,
// an "=" that stands for itself or a byte no step can start), in which case
// the step has not moved the position and a later byte or the closing
// zero-fill replaces the one written. Literals and escapes follow each
// other in no pattern a branch predictor could learn; flags and masks are
// combined as numbers, since written with ?: and || the compiler turns them
// back into branches.
unsigned QuotedPrintable_FastStep(unsigned b, unsigned next, unsigned afterNext, std::uint8_t& out) noexcept {
    const int high = kHexDigitValue[next];
    const int low = kHexDigitValue[afterNext];
    const unsigned literalMask = kLiteralMask[b];
    const unsigned escaped = static_cast<unsigned>(high << 4 | low) & 0xFF;
    out = static_cast<std::uint8_t>((b & literalMask) | (escaped & ~literalMask));
    // (high | low) is negative unless both are digits.
    const unsigned twoDigits = ~(static_cast<unsigned>(high | low) >> 31) & 1;
    return (literalMask & 1) | ((b == '=') & twoDigits);
}

void PutSoftBreak(std::span<char> dst, QuotedPrintableCursor& at) noexcept {
    char* out = dst.data() + at.pos;
    out[0] = '=';
    out[1] = '\r';
    out[2] = '\n';
    at.pos += 3;
    at.column = 1;
}

}  // namespace

bool QuotedPrintable_PutLiteral(std::uint8_t b, std::span<char> dst, QuotedPrintableCursor& at) noexcept {
    if (at.column >= kLiteralBreakColumn) {
        if (!HasRoom(dst, at.pos, 3 + 1)) return false;
        PutSoftBreak(dst, at);
    }
    if (!HasRoom(dst, at.pos, 1)) return false;
    dst[at.pos++] = static_cast<char>(b);
    ++at.column;
    return true;
}

bool QuotedPrintable_PutEscape(std::uint8_t b, std::span<char> dst, QuotedPrintableCursor& at) noexcept {
    if (at.column >= kEscapeBreakColumn) {
        if (!HasRoom(dst, at.pos, 3 + 3)) return false;
        PutSoftBreak(dst, at);
    }
    if (!HasRoom(dst, at.pos, 3)) return false;
    // The formatter writes three characters and a terminator, which the next
    // write overwrites; the room rule keeps the terminator inside dst.
    platform::FormatA(dst.data() + at.pos, "=%02X", b);
    at.pos += 3;
    at.column += 3;
    return true;
}

bool QuotedPrintable_EncodeByte(std::span<const std::uint8_t> src, std::size_t& i, std::span<char> dst,
                                QuotedPrintableCursor& at) noexcept {
    const std::uint8_t b = src[i++];
    return kQuotedPrintableLiteral[b] ? QuotedPrintable_PutLiteral(b, dst, at)
                                      : QuotedPrintable_PutEscape(b, dst, at);
}

bool QuotedPrintable_DecodeEscape(std::string_view src, std::size_t& i, std::span<std::uint8_t> dst,
                                  std::size_t& pos) noexcept {
    if (src[i] != '=') return false;
    // Every read below is bounded by the text's length: nothing past the
    // terminator is read.
    const std::size_t n = src.size();
    // A soft line break is "=", then any spaces and tabs (padding that mail
    // transports add at line ends), then CR LF or a bare LF: texts written
    // on Unix break their lines with "=" LF.
    std::size_t k = i + 1;
    while (k < n && (src[k] == ' ' || src[k] == '\t')) ++k;
    if (k < n && src[k] == '\n') {
        i = k + 1;
        return true;
    }
    if (k + 1 < n && src[k] == '\r' && src[k + 1] == '\n') {
        i = k + 2;
        return true;
    }
    if (i + 2 < n) {
        const int high = kHexDigitValue[static_cast<unsigned char>(src[i + 1])];
        const int low = kHexDigitValue[static_cast<unsigned char>(src[i + 2])];
        if ((high | low) >= 0) {
            dst[pos++] = static_cast<std::uint8_t>(high << 4 | low);
            i += 3;
            return true;
        }
    }
    // Any other "=" stands for itself, and the character after it starts
    // the next step: reading it as a number would turn a stray "=" into a
    // control byte or a zero that ends the text for the charset members.
    dst[pos++] = '=';
    i += 1;
    return true;
}

bool QuotedPrintable_DecodeStep(std::string_view src, std::size_t& i, std::span<std::uint8_t> dst,
                                std::size_t& pos) noexcept {
    // Tested before every step, a soft line break that writes nothing included.
    if (pos + 1 > dst.size()) return false;
    const auto b = static_cast<unsigned char>(src[i]);
    if (kQuotedPrintableLiteral[b]) {
        dst[pos++] = b;
        ++i;
        return true;
    }
    return QuotedPrintable_DecodeEscape(src, i, dst, pos);
}

std::int32_t QuotedPrintable_Encode(std::span<const std::uint8_t> src, std::span<char> dst) noexcept {
    const std::size_t n = src.size();
    const std::size_t size = dst.size();
    const std::uint8_t* in = src.data();
    char* out = dst.data();
    QuotedPrintableCursor at;
    std::size_t i = 0;
    // No step writes more than six characters (a soft break and an escape),
    // which the room rule lets through while eight bytes are left; the
    // unchecked stores below reach seven bytes past the position. So as long
    // as that holds, a run of steps needs no test of its own, and the run
    // ends where the last of them could have used up the eight.
    while (i < n && at.pos + kUncheckedRoom <= size) {
        const std::size_t steps = (size - at.pos - kUncheckedRoom) / kLongestStep + 1;
        const std::size_t end = steps < n - i ? i + steps : n;
        std::size_t pos = at.pos;
        int column = at.column;
        for (; i < end; ++i) {
            const QuotedPrintablePiece& piece = kQuotedPrintablePieces[in[i]];
            if (column >= piece.breakColumn) {
                std::memcpy(out + pos, kSoftBreak, 4);
                pos += 3;
                column = 1;
            }
            std::memcpy(out + pos, piece.text, 4);
            pos += piece.length;
            column += piece.length;
        }
        at.pos = pos;
        at.column = column;
    }
    // Close to the end of dst every write is measured against the room rule.
    bool fitted = true;
    while (i < n && fitted) fitted = QuotedPrintable_EncodeByte(src, i, dst, at);
    // Everything from the position on is zero, as the initial zero-fill would
    // have left it; the stores above wrote only spare bytes there.
    std::memset(out + at.pos, 0, size - at.pos);
    return fitted ? static_cast<std::int32_t>(at.pos) : -1;
}

bool QuotedPrintable_HasBlocks(QuotedPrintableBlocks blocks) noexcept {
    if (blocks == QuotedPrintableBlocks::None) return true;
#if defined(ZR_SIMD_RUNTIME)
    if (blocks == QuotedPrintableBlocks::Ssse3) return cpu::HasSsse3();
    // The wide blocks hand what they leave near the end to the SSSE3 ones.
    if (blocks == QuotedPrintableBlocks::Avx2) return cpu::HasAvx2() && cpu::HasSsse3();
#endif
#if defined(ZR_SIMD_SSE2)
    return blocks == QuotedPrintableBlocks::Sse2;
#else
    return false;
#endif
}

std::int32_t QuotedPrintable_DecodeWith(QuotedPrintableBlocks blocks, std::string_view src,
                                        std::span<std::uint8_t> dst) noexcept {
    if (!QuotedPrintable_HasBlocks(blocks)) blocks = QuotedPrintableBlocks::None;
    const std::size_t n = src.size();
    const std::size_t size = dst.size();
    const auto* text = reinterpret_cast<const unsigned char*>(src.data());
    std::uint8_t* out = dst.data();
    std::size_t i = 0;
    std::size_t pos = 0;
    bool ok = true;
    // While two characters follow the current one, an escape's digits can
    // be read without asking where the text ends.
    while (ok && i + 2 < n && pos < size) {
        std::size_t stop = n;
#if defined(ZR_SIMD_SSE2)
        if (blocks != QuotedPrintableBlocks::None) {
            QuotedPrintableProgress at{i, pos};
#if defined(ZR_SIMD_RUNTIME)
            if (blocks == QuotedPrintableBlocks::Avx2) {
                // The wide blocks stop with up to 33 characters or 31 bytes
                // of room left, or at a block they refuse; 16-character
                // blocks take what they can of what is left.
                at = QuotedPrintable_DecodeBlocksAvx2(src, dst, at);
                at = QuotedPrintable_DecodeBlocksSsse3(src, dst, at);
            } else if (blocks == QuotedPrintableBlocks::Ssse3) {
                at = QuotedPrintable_DecodeBlocksSsse3(src, dst, at);
            } else {
                at = QuotedPrintable_DecodeBlocksSse2(src, dst, at);
            }
#else
            at = QuotedPrintable_DecodeBlocksSse2(src, dst, at);
#endif
            i = at.i;
            pos = at.pos;
            // The next block holds something else (another kind of "=", a
            // byte no step can start), or the text or the room is running
            // out: the steps take the next sixteen characters, then blocks
            // are tried again.
            stop = i + kBlockOutput;
        }
#endif
        while (i + 2 < n && pos < size && i < stop) {
            const unsigned char b = text[i];
            if (QuotedPrintable_FastStep(b, text[i + 1], text[i + 2], out[pos]) != 0) {
                ++pos;
                // From the byte alone (a literal is never "="), not from the
                // table: the next step's reads wait on this sum.
                i += b == '=' ? 3 : 1;
                continue;
            }
            // A soft break, an "=" as itself or a byte no step can start.
            // (Copies keep `i` and `pos` out of memory in this loop.)
            std::size_t at = i;
            std::size_t written = pos;
            ok = QuotedPrintable_DecodeEscape(src, at, dst, written);
            if (!ok) break;
            i = at;
            pos = written;
        }
    }
    if (ok) {
        std::size_t at = i;
        std::size_t written = pos;
        while (ok && at < n) ok = QuotedPrintable_DecodeStep(src, at, dst, written);
        pos = written;
    }
    std::memset(out + pos, 0, size - pos);
    return ok ? static_cast<std::int32_t>(pos) : -1;
}

std::int32_t QuotedPrintable_Decode(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    static const QuotedPrintableBlocks fastest = [] {
        using enum QuotedPrintableBlocks;
        for (const auto blocks : {Avx2, Ssse3, Sse2}) {
            if (QuotedPrintable_HasBlocks(blocks)) return blocks;
        }
        return None;
    }();
    return QuotedPrintable_DecodeWith(fastest, src, dst);
}

}  // namespace zr::mime
