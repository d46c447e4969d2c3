// qp_ssse3.cpp - the Quoted-Printable decoder's SSSE3 blocks, chosen at run time.
#include "mime/qp_blocks.hpp"

#if defined(ZR_SIMD_RUNTIME)

namespace zr::mime {

// SSSE3's byte shuffle gathers each half's written bytes at its front; two
// stores of eight bytes put the halves one after the other.
ZR_TARGET_SSSE3 QuotedPrintableProgress
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

}  // namespace zr::mime

#endif
