// qp_avx2.cpp - the Quoted-Printable decoder's AVX2 blocks, chosen at run time.
#include "mime/qp_blocks.hpp"

#if defined(ZR_SIMD_RUNTIME)

namespace zr::mime {

namespace {

// The AVX2 blocks: 32 characters from a step's start and the two after
// them.
constexpr std::size_t kWideBlockOutput = 32;
constexpr std::size_t kWideBlockReach = 34;

// As in QuotedPrintable_ReadBlock: the value of each hexadecimal digit in
// `c`, and which characters are digits.
ZR_TARGET_AVX2 inline __m256i QuotedPrintable_HexDigitsAvx2(__m256i c, __m256i& isHex) noexcept {
    const __m256i digit = _mm256_sub_epi8(c, _mm256_set1_epi8('0'));
    const __m256i isDigit = _mm256_cmpeq_epi8(_mm256_min_epu8(digit, _mm256_set1_epi8(9)), digit);
    const __m256i letter = _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a'));
    const __m256i isLetter = _mm256_cmpeq_epi8(_mm256_min_epu8(letter, _mm256_set1_epi8(5)), letter);
    isHex = _mm256_or_si256(isDigit, isLetter);
    return _mm256_add_epi8(_mm256_and_si256(c, _mm256_set1_epi8(0x0F)),
                           _mm256_and_si256(isLetter, _mm256_set1_epi8(9)));
}

ZR_TARGET_AVX2 inline std::uint64_t QuotedPrintable_BitsAvx2(__m256i lanes) noexcept {
    return static_cast<std::uint32_t>(_mm256_movemask_epi8(lanes));
}

}  // namespace

// Read as QuotedPrintable_ReadBlock reads, save that the digits two places
// on come from a load of their own: AVX2 shifts bytes only within a 128-bit
// lane. Each lane of the byte shuffle gathers its own two quarters, and
// four stores of eight bytes put the quarters one after another.
ZR_TARGET_AVX2 QuotedPrintableProgress
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

}  // namespace zr::mime

#endif
