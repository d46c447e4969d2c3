// qp_sse2.cpp - the Quoted-Printable decoder's SSE2 blocks (the baseline level).
#include "mime/qp_blocks.hpp"

#if defined(ZR_SIMD_SSE2)

namespace zr::mime {

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

}  // namespace zr::mime

#endif
