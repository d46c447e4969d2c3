// base64.hpp - Base64 text as one unbroken line, and its lenient decoder.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace zr::mime {

// The one table of the coder: a character's value is its position here.
inline constexpr char Base64Alphabet[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

inline constexpr std::uint32_t kBase64NotInAlphabet = sizeof(Base64Alphabet) - 1;  // 64

// The alphabet turned around for the decoder; every byte outside it gets 64,
// the alphabet's length, as a search of the alphabet would give.
inline constexpr std::array<std::uint8_t, 256> kBase64Values = [] {
    std::array<std::uint8_t, 256> values{};
    for (auto& v : values) v = static_cast<std::uint8_t>(kBase64NotInAlphabet);
    for (std::uint8_t i = 0; i < kBase64NotInAlphabet; ++i) {
        values[static_cast<unsigned char>(Base64Alphabet[i])] = i;
    }
    return values;
}();

constexpr std::uint32_t Base64_CharValue(unsigned char c) noexcept { return kBase64Values[c]; }

// Writes the four characters of one group of `count` (1 to 3) bytes held in
// the low 24 bits of `group` at `pos`. False, with nothing written, when the
// four characters do not fit in `dst`.
bool Base64_EncodeGroup(std::uint32_t group, int count, std::span<char> dst, std::size_t pos) noexcept;

// Decodes the four characters at `offset` of `src` into `dst` at `pos` and
// advances `pos` by the bytes written (1 to 3). False, with nothing written,
// when fewer than three bytes of room are left, whatever the group yields.
bool Base64_DecodeGroup(std::string_view src, std::size_t offset, std::span<std::uint8_t> dst,
                        std::size_t& pos) noexcept;

// Zero-fills `dst`, then writes the Base64 text of `src`. Returns its length,
// or -1 when `dst` cannot hold it and its terminator.
std::int32_t Base64_Encode(std::span<const std::uint8_t> src, std::span<char> dst) noexcept;

// Zero-fills `dst`, then decodes `src` in groups of four counted from its
// start. Returns the number of bytes written, or -1 when `dst` ran short.
std::int32_t Base64_Decode(std::string_view src, std::span<std::uint8_t> dst) noexcept;

}  // namespace zr::mime
