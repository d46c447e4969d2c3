// jis.hpp - ISO-2022-JP escape recognisers, JIS X 0208 <-> Shift_JIS pair
// arithmetic, and the JIS <-> Shift_JIS text loops.
#pragma once

#include <cstdint>
#include <span>

#include "charset/byte_class.hpp"
#include "charset/loop_result.hpp"

namespace zr::charset {

inline constexpr std::uint8_t kEsc = 0x1B;

// Every comparison below needs the byte before it to have matched a non-NUL
// value, so a NUL ends the test and nothing after a terminator is read.

// Kanji-in: ESC $ @, ESC $ B, ESC & @ ESC $ B, ESC $ ( D. Returns 1 and the
// sequence's length, or 0 and length 0.
inline int IsJisKanjiInEscape(const std::uint8_t* p, int& length) noexcept {
    length = 0;
    if (p[0] != kEsc) return 0;
    if (p[1] == 0x24) {
        if (p[2] == 0x40 || p[2] == 0x42) {
            length = 3;
        } else if (p[2] == 0x28 && p[3] == 0x44) {
            length = 4;
        }
    } else if (p[1] == 0x26 && p[2] == 0x40 && p[3] == kEsc && p[4] == 0x24 && p[5] == 0x42) {
        length = 6;
    }
    return length != 0;
}

// Back to single bytes: ESC ( B, ESC ( J, ESC ( I, all three taken as ASCII.
inline int IsJisKanjiOutEscape(const std::uint8_t* p, int& length) noexcept {
    length = 0;
    if (p[0] == kEsc && p[1] == 0x28 && (p[2] == 0x42 || p[2] == 0x4A || p[2] == 0x49)) {
        length = 3;
    }
    return length != 0;
}

inline int IsJisKanjiInEscape(const char* p, int& length) noexcept {
    return IsJisKanjiInEscape(reinterpret_cast<const std::uint8_t*>(p), length);
}

inline int IsJisKanjiOutEscape(const char* p, int& length) noexcept {
    return IsJisKanjiOutEscape(reinterpret_cast<const std::uint8_t*>(p), length);
}

constexpr bool IsJisByte(std::uint8_t b) noexcept { return b >= 0x21 && b <= 0x7E; }

// JIS X 0208 row/cell bytes to code page 932. Rows pair up onto one lead
// byte: an odd row takes trail bytes 0x40..0x9E (skipping DEL, hence +0x20
// above cell 0x5F), the even row after it 0x9F..0xFC. Leads past 0x9F jump
// over the single-byte katakana to 0xE0. Writes nothing and returns 0 when
// either byte is outside 0x21..0x7E.
inline int JisPairToSJis(const std::uint8_t* in, std::uint8_t* out) noexcept {
    const unsigned h = in[0];
    const unsigned l = in[1];
    if (!IsJisByte(static_cast<std::uint8_t>(h)) || !IsJisByte(static_cast<std::uint8_t>(l))) return 0;
    // Written without branches: the row parity alternates at random in
    // real text and a mispredicted branch per kanji costs more than the sum.
    unsigned lead = ((h - 0x21) >> 1) + 0x81;
    lead += (lead > 0x9F) * 0x40u;
    const unsigned odd = h & 1;
    const unsigned trail = l + 0x7E - odd * (0x5F - (l > 0x5F));
    out[0] = static_cast<std::uint8_t>(lead);
    out[1] = static_cast<std::uint8_t>(trail);
    return 1;
}

// For a lead byte below 0xF0 and a trail byte, which always convert.
// Trail bytes from 0x9F on belong to the even row of the pair; below, the
// odd row, one lower above DEL. Branch-free for the same reason as
// JisPairToSJis.
inline void SJisRowCellToJis(unsigned h, unsigned l, std::uint8_t* out) noexcept {
    const unsigned h0 = h - 0x81 - (h >= 0xA0) * 0x40u;
    const unsigned even = l >= 0x9F;
    out[0] = static_cast<std::uint8_t>(2 * h0 + 0x21 + even);
    // l - 0x7E for the even row is the odd row's l - 0x20 less 0x5E.
    out[1] = static_cast<std::uint8_t>(l - 0x1F - (l > 0x7E) - even * 0x5Eu);
}

// The inverse of JisPairToSJis. Lead bytes 0xF0..0xFC (the user-defined
// area) land past row 0x7E and are refused, as is anything not a lead byte
// followed by a trail byte. Writes nothing and returns 0 on refusal.
inline int SJisPairToJis(const std::uint8_t* in, std::uint8_t* out) noexcept {
    const std::uint8_t h = in[0];
    if (!IsLeadByte(h)) return 0;
    const std::uint8_t l = in[1];
    if (!IsTrailByte(l)) return 0;
    std::uint8_t jis[2];
    SJisRowCellToJis(h, l, jis);
    // Only the user-defined leads 0xF0..0xFC fall outside; the test is kept
    // in its general form so that it says what a JIS pair is.
    const int code = jis[0] * 256 + jis[1];
    if (h >= 0xF0 || code < 0x2121 || code > 0x7E7E || !IsJisByte(jis[1])) return 0;
    out[0] = jis[0];
    out[1] = jis[1];
    return 1;
}

inline int JisPairToSJis(const char* in, char* out) noexcept {
    return JisPairToSJis(reinterpret_cast<const std::uint8_t*>(in), reinterpret_cast<std::uint8_t*>(out));
}

inline int SJisPairToJis(const char* in, char* out) noexcept {
    return SJisPairToJis(reinterpret_cast<const std::uint8_t*>(in), reinterpret_cast<std::uint8_t*>(out));
}

// Text loops. `src` is the text without its NUL, which must follow it in
// memory (the escape recognisers and an odd final pair stop on it). Nothing
// is written beyond `dst`, but a loop may leave bytes past the text's NUL
// and, on kNoRoom, anywhere in `dst`: the export clears what is not text.

// JIS to Shift_JIS; pairs that are not JIS X 0208 are copied unchanged.
LoopResult JisToSJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept;

// Shift_JIS to JIS with ESC $ B / ESC ( B around each kanji run. Stops with
// kUnconvertible at a pair from the user-defined area.
LoopResult SJisToJis(std::span<const std::uint8_t> src, std::span<std::uint8_t> dst) noexcept;

// Shift_JIS to EUC-JP in one pass, standing for SJisToJis into a buffer of
// `jisCap` bytes followed by JisToEuc of that JIS text: the outcome is that
// of the JIS step (kUnconvertible with the EUC-JP of the text before the
// character), `jisLength` the JIS text's length, and `length` the EUC-JP
// bytes written to `out` (no NUL; `out` must hold src.size() bytes).
// kDeclined: the text has an ESC byte, which the JIS reader would misread.
LoopResult SJisToEucViaJis(std::span<const std::uint8_t> src, std::uint8_t* out, std::size_t jisCap) noexcept;

}  // namespace zr::charset
