// quoted_printable.cpp - Quoted-Printable encoder and decoder over plain bytes.
#include "mime/quoted_printable.hpp"
#include "mime/cpu.hpp"

#include <bit>
#include <cstring>

#include "platform/format.hpp"

// The decoder takes sixteen characters at a time with SSE2 (the x86-64
// baseline); elsewhere, and in builds with ZR_NO_SIMD, it goes step by step
// throughout.
#if defined(__SSE2__) && !defined(ZR_NO_SIMD)
#define ZR_MIME_QP_SSE2 1
#include <emmintrin.h>
// Where the compiler can build a function for a chosen instruction set and
// ask the processor for it, the SSSE3 byte shuffle places a block's bytes,
// and AVX2 takes blocks of 32 characters.
#if defined(ZR_MIME_CPU_DISPATCH)
#define ZR_MIME_QP_DISPATCH 1
#include <immintrin.h>
#endif
#endif

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

// Value of a hexadecimal digit of either case, -1 for any other byte.
constexpr std::array<std::int8_t, 256> kHexDigitValue = [] {
    std::array<std::int8_t, 256> v{};
    for (auto& x : v) x = -1;
    for (int c = 0; c < 10; ++c) v['0' + c] = static_cast<std::int8_t>(c);
    for (int c = 0; c < 6; ++c) v['a' + c] = v['A' + c] = static_cast<std::int8_t>(10 + c);
    return v;
}();

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

#if defined(ZR_MIME_QP_SSE2)
// A decoding block: sixteen characters from a step's start, and the two
// after them that an escape begun at one of the last places reaches into.
constexpr std::size_t kBlockOutput = 16;
constexpr std::size_t kBlockReach = 18;

// What a block holds: its bytes, one per place (the escape's value where
// "=" is, the character elsewhere), the places whose bytes are written, and
// how many characters its steps use.
struct QuotedPrintableBlock {
    __m128i value;
    unsigned written;
    unsigned consumed;
};

// Reads the sixteen characters at `in`, which start a step, and the two
// after them. False when some step among them is not a literal, "=" and two
// hexadecimal digits, or "=" CR LF; such a block goes step by step, and so
// do the rarer soft breaks ("=" LF, padding before the line break) and an
// "=" that stands for itself, each of which moves the steps by another count.
//
// Since "=" is never a digit, once every "=" is known to be followed by two
// digits or CR LF none of them lies inside another's escape, and the steps
// start wherever neither of the two places before holds "=". Only those
// places are tested, an escape's digits being anything.
inline bool QuotedPrintable_ReadBlock(const unsigned char* in, QuotedPrintableBlock& block) noexcept {
    const __m128i c0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
    const __m128i c1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 1));
    const __m128i c2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 2));
    const __m128i equals = _mm_cmpeq_epi8(c0, _mm_set1_epi8('='));
    // Literals and "=": 0x20..0x7E, which a signed test after adding one
    // takes alone (0x7F turns negative), then tab, LF and CR.
    const __m128i printable = _mm_cmpgt_epi8(_mm_add_epi8(c0, _mm_set1_epi8(1)), _mm_set1_epi8(0x20));
    const __m128i control = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(c0, _mm_set1_epi8('\t')), _mm_cmpeq_epi8(c0, _mm_set1_epi8('\n'))),
        _mm_cmpeq_epi8(c0, _mm_set1_epi8('\r')));
    // Whether the character after each place is a hexadecimal digit, each
    // range tested by an unsigned minimum, and its value: "0"-"9", "A"-"F"
    // and "a"-"f" all keep it in their low four bits, the letters less 9.
    const __m128i digit = _mm_sub_epi8(c1, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c1, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    const __m128i high =
        _mm_add_epi8(_mm_and_si128(c1, _mm_set1_epi8(0x0F)), _mm_and_si128(isLetter, _mm_set1_epi8(9)));
    // The character two after a place is the one after the next place, save
    // for the last place, whose second digit is in[17].
    const int last = kHexDigitValue[in[17]];
    const __m128i low = _mm_or_si128(_mm_srli_si128(high, 1), _mm_slli_si128(_mm_cvtsi32_si128(last & 0x0F), 15));
    // The values stay below 16, so a 16-bit shift moves none of them into
    // the next byte.
    const __m128i escaped = _mm_or_si128(_mm_slli_epi16(high, 4), low);
    const __m128i soft =
        _mm_and_si128(_mm_cmpeq_epi8(c1, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(c2, _mm_set1_epi8('\n')));

    const auto bits = [](__m128i lanes) { return static_cast<unsigned>(_mm_movemask_epi8(lanes)); };
    const unsigned eq = bits(equals);
    const unsigned hex = bits(_mm_or_si128(isDigit, isLetter));
    const unsigned twoDigits = hex & (hex >> 1 | static_cast<unsigned>(last >= 0) << 15);
    const unsigned softBreak = bits(soft);
    const unsigned starts = ~(eq << 1 | eq << 2) & 0xFFFF;
    const unsigned refused = starts & (~bits(_mm_or_si128(printable, control)) | (eq & ~(twoDigits | softBreak)));
    if (refused != 0) return false;
    block.value = _mm_or_si128(_mm_and_si128(equals, escaped), _mm_andnot_si128(equals, c0));
    block.written = starts & ~(eq & softBreak);
    // An escape begun at place 14 or 15 ends one or two characters on.
    block.consumed = 16 + ((eq & starts) >> 14);
    return true;
}

// The bits set in each byte value, for splitting a block's output between
// its halves without the POPCNT instruction, which not every processor
// with SSE2 or SSSE3 has.
constexpr std::array<std::uint8_t, 256> kBitCount = [] {
    std::array<std::uint8_t, 256> count{};
    for (unsigned v = 0; v < 256; ++v) count[v] = static_cast<std::uint8_t>(std::popcount(v));
    return count;
}();

// Where a block loop stopped: the next character and output position.
struct QuotedPrintableProgress {
    std::size_t i;
    std::size_t pos;
};

// The block loops run while a whole block, with the two characters after
// it, is left in the text and as many bytes of room as the block has
// characters are left in dst, so no step inside a block can meet a full
// dst: the result and the bytes before the position are the steps' own.
// A block stores that many bytes from the position whatever it writes;
// those past the written ones are spare, replaced by a later step or the
// closing zero-fill.

// SSE2 alone moves no byte to a place chosen at run time, so the bytes go
// one store each. Each half of the block has its own chain of positions,
// the second starting where the first half's bytes end; a byte that is not
// written is stored all the same, and the next one replaces it. (The bytes
// come out of registers: through memory the compiler cannot tell them from
// dst.)
QuotedPrintableProgress QuotedPrintable_DecodeBlocksSse2(std::string_view src, std::span<std::uint8_t> dst,
                                                         QuotedPrintableProgress at) noexcept {
    const auto* text = reinterpret_cast<const unsigned char*>(src.data());
    std::uint8_t* out = dst.data();
    QuotedPrintableBlock block;
    while (at.i + kBlockReach <= src.size() && dst.size() - at.pos >= kBlockOutput &&
           QuotedPrintable_ReadBlock(text + at.i, block)) {
        alignas(16) std::uint64_t halves[2];
        _mm_store_si128(reinterpret_cast<__m128i*>(halves), block.value);
        std::uint64_t lanes = halves[0];
        std::uint8_t* first = out + at.pos;
        std::uint8_t* second = first + kBitCount[block.written & 0xFF];
        for (unsigned k = 0; k < 8; ++k, lanes >>= 8) {
            *first = static_cast<std::uint8_t>(lanes);
            first += block.written >> k & 1;
        }
        lanes = halves[1];
        for (unsigned k = 8; k < 16; ++k, lanes >>= 8) {
            *second = static_cast<std::uint8_t>(lanes);
            second += block.written >> k & 1;
        }
        at.pos = static_cast<std::size_t>(second - out);
        at.i += block.consumed;
    }
    return at;
}

#if defined(ZR_MIME_QP_DISPATCH)
// For each set of written places among eight, the places in order, as
// byte-shuffle indices; the rest of the eight are filled with the last
// place, whose byte lands among the spare ones.
constexpr std::array<std::uint64_t, 256> kCompactHalf = [] {
    std::array<std::uint64_t, 256> table{};
    for (unsigned m = 0; m < 256; ++m) {
        std::uint64_t indices = 0;
        unsigned count = 0;
        for (unsigned k = 0; k < 8; ++k) {
            if (m >> k & 1) indices |= std::uint64_t{k} << (8 * count++);
        }
        for (; count < 8; ++count) indices |= std::uint64_t{7} << (8 * count);
        table[m] = indices;
    }
    return table;
}();

// SSSE3's byte shuffle gathers each half's written bytes at its front; two
// stores of eight bytes put the halves one after the other.
__attribute__((target("ssse3"))) QuotedPrintableProgress
QuotedPrintable_DecodeBlocksSsse3(std::string_view src, std::span<std::uint8_t> dst,
                                  QuotedPrintableProgress at) noexcept {
    const auto* text = reinterpret_cast<const unsigned char*>(src.data());
    std::uint8_t* out = dst.data();
    QuotedPrintableBlock block;
    while (at.i + kBlockReach <= src.size() && dst.size() - at.pos >= kBlockOutput &&
           QuotedPrintable_ReadBlock(text + at.i, block)) {
        const unsigned lowHalf = block.written & 0xFF;
        const unsigned highHalf = block.written >> 8;
        // The second half's indices are those of the first moved on by 8.
        const __m128i order = _mm_set_epi64x(static_cast<long long>(kCompactHalf[highHalf] + 0x0808080808080808),
                                             static_cast<long long>(kCompactHalf[lowHalf]));
        const __m128i packed = _mm_shuffle_epi8(block.value, order);
        const std::size_t middle = at.pos + kBitCount[lowHalf];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + at.pos), packed);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(out + middle), _mm_unpackhi_epi64(packed, packed));
        at.pos = middle + kBitCount[highHalf];
        at.i += block.consumed;
    }
    return at;
}

// The AVX2 blocks: 32 characters from a step's start and the two after
// them.
constexpr std::size_t kWideBlockOutput = 32;
constexpr std::size_t kWideBlockReach = 34;

// As in QuotedPrintable_ReadBlock: the value of each hexadecimal digit in
// `c`, and which characters are digits.
__attribute__((target("avx2"))) inline __m256i QuotedPrintable_HexDigitsAvx2(__m256i c, __m256i& isHex) noexcept {
    const __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
    const __m256i isDigit = _mm256_cmpeq_epi8(_mm256_min_epu8(digit, _mm256_set1_epi8(9)), digit);
    const __m256i letter = _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_min_epu8(letter, _mm256_set1_epi8(5)), letter);
    isHex = _mm256_or_si256(isDigit, isLetter);
    return _mm256_add_epi8(_mm256_and_si256(c, _mm256_set1_epi8(0x0F)),
                           _mm256_and_si256(isLetter, _mm256_set1_epi8(9)));
}

__attribute__((target("avx2"))) inline std::uint64_t QuotedPrintable_BitsAvx2(__m256i lanes) noexcept {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(lanes));
}

// Read as QuotedPrintable_ReadBlock reads, save that the digits two places
// on come from a load of their own: AVX2 shifts bytes only within a 128-bit
// lane. Each lane of the byte shuffle gathers its own two quarters, and
// four stores of eight bytes put the quarters one after another.
__attribute__((target("avx2"))) QuotedPrintableProgress
QuotedPrintable_DecodeBlocksAvx2(std::string_view src, std::span<std::uint8_t> dst,
                                 QuotedPrintableProgress at) noexcept {
    const auto* text = reinterpret_cast<const unsigned char*>(src.data());
    std::uint8_t* out = dst.data();
    while (at.i + kWideBlockReach <= src.size() && dst.size() - at.pos >= kWideBlockOutput) {
        const unsigned char* in = text + at.i;
        const __m256i c0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in));
        const __m256i c1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 1));
        const __m256i c2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + 2));
        const __m256i equals = _mm256_cmpeq_epi8(c0, _mm256_set1_epi8('='));
        const __m256i printable =
            _mm256_cmpgt_epi8(_mm256_add_epi8(c0, _mm256_set1_epi8(1)), _mm256_set1_epi8(0x20));
        const __m256i control = _mm256_or_si256(_mm256_or_si256(_mm256_cmpeq_epi8(c0, _mm256_set1_epi8('\t')),
                                                                _mm256_cmpeq_epi8(c0, _mm256_set1_epi8('\n'))),
                                                _mm256_cmpeq_epi8(c0, _mm256_set1_epi8('\r')));
        __m256i isHigh;
        __m256i isLow;
        const __m256i high = QuotedPrintable_HexDigitsAvx2(c1, isHigh);
        const __m256i low = QuotedPrintable_HexDigitsAvx2(c2, isLow);
        const __m256i soft = _mm256_and_si256(_mm256_cmpeq_epi8(c1, _mm256_set1_epi8('\r')),
                                              _mm256_cmpeq_epi8(c2, _mm256_set1_epi8('\n')));
        const std::uint64_t eq = QuotedPrintable_BitsAvx2(equals);
        const std::uint64_t twoDigits = QuotedPrintable_BitsAvx2(_mm256_and_si256(isHigh, isLow));
        const std::uint64_t softBreak = QuotedPrintable_BitsAvx2(soft);
        const std::uint64_t starts = ~(eq << 1 | eq << 2) & 0xFFFFFFFF;
        const std::uint64_t startable = QuotedPrintable_BitsAvx2(_mm256_or_si256(printable, control));
        const std::uint64_t refused = starts & (~startable | (eq & ~(twoDigits | softBreak)));
        if (refused != 0) break;
        const __m256i escaped = _mm256_or_si256(_mm256_slli_epi16(high, 4), low);
        const __m256i value = _mm256_blendv_epi8(c0, escaped, equals);
        const std::uint64_t written = starts & ~(eq & softBreak);
        const unsigned q0 = written & 0xFF;
        const unsigned q1 = written >> 8 & 0xFF;
        const unsigned q2 = written >> 16 & 0xFF;
        const unsigned q3 = written >> 24;
        const __m256i order =
            _mm256_set_epi64x(static_cast<long long>(kCompactHalf[q3] + 0x0808080808080808),
                              static_cast<long long>(kCompactHalf[q2]),
                              static_cast<long long>(kCompactHalf[q1] + 0x0808080808080808),
                              static_cast<long long>(kCompactHalf[q0]));
        const __m256i packed = _mm256_shuffle_epi8(value, order);
        const __m128i front = _mm256_castsi256_si128(packed);
        const __m128i back = _mm256_extracti128_si256(packed, 1);
        std::uint8_t* o = out + at.pos;
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), front);
        o += kBitCount[q0];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_unpackhi_epi64(front, front));
        o += kBitCount[q1];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), back);
        o += kBitCount[q2];
        _mm_storel_epi64(reinterpret_cast<__m128i*>(o), _mm_unpackhi_epi64(back, back));
        o += kBitCount[q3];
        at.pos = static_cast<std::size_t>(o - out);
        // An escape begun at place 30 or 31 ends one or two characters on.
        at.i += 32 + ((eq & starts) >> 30);
    }
    return at;
}
#endif
#endif

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
#if defined(ZR_MIME_QP_DISPATCH)
    if (blocks == QuotedPrintableBlocks::Ssse3) return CpuHasSsse3();
    // The wide blocks hand what they leave near the end to the SSSE3 ones.
    if (blocks == QuotedPrintableBlocks::Avx2) return CpuHasAvx2() && CpuHasSsse3();
#endif
#if defined(ZR_MIME_QP_SSE2)
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
#if defined(ZR_MIME_QP_SSE2)
        if (blocks != QuotedPrintableBlocks::None) {
            QuotedPrintableProgress at{i, pos};
#if defined(ZR_MIME_QP_DISPATCH)
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
