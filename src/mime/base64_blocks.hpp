// base64_blocks.hpp - the Base64 coder's vector blocks (cpu/levels.hpp): the
// kernels, in base64_avx2.cpp, and the plain pieces of base64.cpp they fall
// back on. base64.cpp chooses them and takes the groups around them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "cpu/levels.hpp"

namespace zr::mime {

// Decodes eight characters of the alphabet into six bytes at `out` (and two
// spare ones after them). False, with nothing written, when any of them is
// outside the alphabet.
bool Base64_DecodeEight(const char* text, std::uint8_t* out) noexcept;

// Decodes the two groups at `offset` the careful way; the new position.
std::size_t Base64_DecodeTwoGroups(std::string_view src, std::size_t offset, std::span<std::uint8_t> dst,
                                   std::size_t pos) noexcept;

#if defined(ZR_SIMD_RUNTIME_X86_64)
// Where a block loop stopped: the next input offset and output position.
struct BlockProgress {
    std::size_t offset;
    std::size_t pos;
};

ZR_TARGET_AVX2 BlockProgress Base64_DecodeBlocksAvx2(std::string_view src, std::span<std::uint8_t> dst) noexcept;
ZR_TARGET_AVX2 BlockProgress Base64_EncodeBlocksAvx2(std::span<const std::uint8_t> src, char* out) noexcept;
#endif

}  // namespace zr::mime
