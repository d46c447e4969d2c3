// charset_chain.hpp - a transfer coder with a charset conversion in front or behind.
//
// The charset members of both MIME families are the plain coder and one
// conversion export, called as any caller would call them, with a scratch
// buffer between the two. What differs between the families is the scratch
// size, the size told to each step and how the encoder learns the length of
// the converted text; the templates below hold those differences once.
#pragma once

#include <cstdint>
#include <cstring>
#include <limits>

#include "api/boundary.hpp"
#include "platform/scratch.hpp"
#include "zr_moji.h"

namespace zr::mime {

template <class Char>
using ToTransfer = std::int32_t(ZR_CALL*)(const Char*, char*, std::int32_t);
template <class Char>
using FromTransfer = std::int32_t(ZR_CALL*)(const char*, Char*, std::int32_t);

// Twice dstSize, the Base64 members' scratch. Beyond what an int32 can tell
// a step, the step is told the most it can be told; such a scratch cannot be
// had on a 32-bit host anyway.
constexpr std::int32_t TwiceOrMost(std::int32_t dstSize) noexcept {
    const std::int64_t twice = 2 * std::int64_t{dstSize};
    return twice > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                             : static_cast<std::int32_t>(twice);
}

// Base64 encoders: the conversion's count is the number of bytes encoded.
// Only the Shift_JIS-from-UTF-16 member tells its conversion the whole
// scratch; the others tell it dstSize.
template <class Char>
std::int32_t Base64_EncodeThrough(ToTransfer<Char> convert, const Char* src, char* dst, std::int32_t dstSize,
                                  bool tellWholeScratch) noexcept {
    if (api::NullOrNoRoom(src, dst, dstSize)) return -1;
    const std::int64_t scratchSize = 2 * std::int64_t{dstSize};
    platform::Scratch<char> scratch(scratchSize);
    if (!scratch) return -1;
    scratch.get()[0] = '\0';
    const std::int32_t r = convert(src, scratch.get(), tellWholeScratch ? TwiceOrMost(dstSize) : dstSize);
    // A refusal leaves dst as the caller had it.
    if (r < 0) return -1;
    // A count can never exceed what the conversion was told; the bound only
    // keeps the encoder inside the scratch whatever a conversion returns.
    const std::int32_t n = r < scratchSize ? r : static_cast<std::int32_t>(scratchSize - 1);
    return ZR_Base64_Encode(api::Bytes(scratch.get()), n, dst, dstSize);
}

// Quoted-Printable encoders: the converted text is measured in the scratch.
// A 0 from the conversion means the text did not fit (or the converter
// refused it), and the host converter leaves the part that fitted behind,
// unterminated; that remnant is not the caller's text, so nothing is
// encoded and the result is 0, as in the Base64 family.
template <class Char>
std::int32_t QuotedPrintable_EncodeThrough(ToTransfer<Char> convert, const Char* src, char* dst,
                                           std::int32_t dstSize) noexcept {
    if (api::NullOrNoRoom(src, dst, dstSize)) return -1;
    platform::Scratch<char> scratch(dstSize);
    if (!scratch) return -1;
    // Empty until the conversion writes, so a conversion that answers
    // without writing leaves nothing unwritten to be read.
    scratch.get()[0] = '\0';
    const std::int32_t r = convert(src, scratch.get(), dstSize);
    if (r < 0) return -1;
    std::int32_t n = 0;
    if (r > 0) {
        const void* end = std::memchr(scratch.get(), 0, static_cast<std::size_t>(dstSize));
        n = end ? static_cast<std::int32_t>(static_cast<const char*>(end) - scratch.get()) : dstSize;
    }
    return ZR_QuotedPrintable_Encode(api::Bytes(scratch.get()), n, dst, dstSize);
}

// Decoders: the transfer decoder is told `told` bytes of a scratch one byte
// larger, so that decoded bytes filling all it was told still end in a zero
// for the conversion, which reads the scratch as a terminated text.
template <class Char>
std::int32_t DecodeThrough(std::int32_t(ZR_CALL* decode)(const char*, unsigned char*, std::int32_t),
                           FromTransfer<Char> convert, const char* src, Char* dst, std::int32_t dstSize,
                           std::int32_t told) noexcept {
    if (api::NullOrNoRoom(src, dst, dstSize)) return -1;
    platform::Scratch<char> scratch(std::int64_t{told} + 1);
    if (!scratch) return -1;
    scratch.get()[told] = '\0';
    // A refusal (scratch too small, a byte no step can start) leaves dst as
    // the caller had it.
    if (decode(src, api::Bytes(scratch.get()), told) < 0) return -1;
    return convert(scratch.get(), dst, dstSize);
}

template <class Char>
std::int32_t Base64_DecodeThrough(FromTransfer<Char> convert, const char* src, Char* dst,
                                  std::int32_t dstSize) noexcept {
    return DecodeThrough(&ZR_Base64_Decode, convert, src, dst, dstSize, TwiceOrMost(dstSize));
}

template <class Char>
std::int32_t QuotedPrintable_DecodeThrough(FromTransfer<Char> convert, const char* src, Char* dst,
                                           std::int32_t dstSize) noexcept {
    return DecodeThrough(&ZR_QuotedPrintable_Decode, convert, src, dst, dstSize, dstSize);
}

}  // namespace zr::mime
