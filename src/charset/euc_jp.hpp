// euc_jp.hpp - EUC-JP <-> JIS: the high-bit arithmetic and the text loops.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "charset/loop_result.hpp"

namespace zr::charset {

// EUC-JP and JIS X 0208 differ only by the high bit of each byte, so both
// directions flip it (add or subtract 0x80 modulo 256). No range test: a
// malformed unit is carried through as it is.
inline int EucPairToJis(const std::uint8_t* in, std::uint8_t* out) noexcept {
    out[0] = static_cast<std::uint8_t>(in[0] ^ 0x80);
    out[1] = static_cast<std::uint8_t>(in[1] ^ 0x80);
    return 1;
}

inline int JisPairToEuc(const std::uint8_t* in, std::uint8_t* out) noexcept {
    out[0] = static_cast<std::uint8_t>(in[0] ^ 0x80);
    out[1] = static_cast<std::uint8_t>(in[1] ^ 0x80);
    return 1;
}

inline int EucPairToJis(const char* in, char* out) noexcept {
    return EucPairToJis(reinterpret_cast<const std::uint8_t*>(in), reinterpret_cast<std::uint8_t*>(out));
}

inline int JisPairToEuc(const char* in, char* out) noexcept {
    return JisPairToEuc(reinterpret_cast<const std::uint8_t*>(in), reinterpret_cast<std::uint8_t*>(out));
}

constexpr bool IsEucJpChar(std::uint8_t b) noexcept { return b >= 0xA1 && b <= 0xDF; }

// Same contract as the loops in jis.hpp. EUC-JP to JIS writes ESC $ @ before
// and ESC ( B after each run of high units, with no closing escape at the end.
LoopResult EucToJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept;

// A bound on the length of the JIS text EucToJis makes of src, for any
// text, and that length itself for a text of only single bytes below 0x80
// and units of two bytes from 0x80 up: src's length, plus both escapes for
// each run of bytes from 0x80 up, less the closing one of a run that ends
// the text, plus the NUL an odd last run takes into its last unit. (A run
// that a unit makes odd, by taking the byte after it, only lessens the
// count; 0x80 only shortens the text.)
std::size_t EucToJisLengthBound(std::span<const std::uint8_t> src) noexcept;

// EUC-JP to Shift_JIS in one pass, standing for EucToJis into a buffer of
// `jisCap` bytes followed by JisToSJis of that JIS text: the outcome is that
// of the JIS step, `jisLength` the JIS text's length and `length` the
// Shift_JIS bytes written to `out` (no NUL; `out` must hold src.size()
// bytes). kDeclined: a unit that is not JIS X 0208, or an ESC byte, which the
// JIS reader would take differently; the caller then runs the two steps.
LoopResult EucToSJisViaJis(std::span<const std::uint8_t> src, std::uint8_t* out, std::size_t jisCap) noexcept;

// JIS to EUC-JP: every escape of jis.hpp is read; pairs get their high bits.
LoopResult JisToEuc(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept;

}  // namespace zr::charset
