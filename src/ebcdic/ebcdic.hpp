// ebcdic.hpp - ASCII-side text to EBCDIC and back under the fixed tables.
#pragma once

#include <cstdint>
#include <span>

namespace zr::ebcdic {

// The tables a selector names, or null for any other selector; the forward
// table when `reverse` is false.
const std::uint8_t* TableFor(std::int32_t selector, bool reverse) noexcept;

std::uint8_t AsciiToEbcdicCode(std::uint8_t code, std::int32_t selector) noexcept;
std::uint8_t EbcdicToAsciiCode(std::uint8_t code, std::int32_t selector) noexcept;

// Converts `src` (no terminator) into `dst` and terminates it. Bytes with
// bit 7 set pass unchanged between the raw bytes 0x28 and 0x29. Returns the
// output length without the terminator, or -1 (with dst[0] = 0) when the
// output and its terminator do not fit in dst.
int AsciiToEbcdic(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst,
                  std::int32_t selector) noexcept;

// Converts `src` into `dst`, dropping the brackets and passing what lies
// between them unchanged. The output never outgrows the input, so dst needs
// src.size() + 1 bytes; returns the output length without the terminator.
int EbcdicToAscii(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst,
                  std::int32_t selector) noexcept;

}  // namespace zr::ebcdic
