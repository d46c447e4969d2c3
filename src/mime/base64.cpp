// base64.cpp - Base64 encoder and decoder over plain bytes.
#include "mime/base64.hpp"

#include <bit>
#include <cstring>

#include "cpu/cpu.hpp"
#include "mime/base64_blocks.hpp"

#if defined(__GNUC__) || defined(__clang__)
#define ZR_MIME_NOINLINE [[gnu::noinline]]
#else
#define ZR_MIME_NOINLINE
#endif

namespace zr::mime {
namespace {

// The whole-buffer routines first work out whether every group fits. When it
// does, nothing can fail, so the groups are written by an unchecked loop over
// 12-bit lookups and only the bytes after the result are zero-filled: the
// buffer ends up exactly as "zero-fill, then write group by group" leaves it.
// When it does not, the group-by-group loop runs as it stands, so the groups
// written before the one that does not fit stay the same to the byte.

// Two characters for every 12-bit half of a group, in text order.
constexpr std::array<std::array<char, 2>, 4096> kBase64Pairs = [] {
    std::array<std::array<char, 2>, 4096> pairs{};
    for (std::size_t v = 0; v < pairs.size(); ++v) {
        pairs[v] = {Base64Alphabet[v >> 6], Base64Alphabet[v & 0x3F]};
    }
    return pairs;
}();

// The 12 bits of two text characters, indexed by the 16-bit number the two
// make in memory (see LoadTwoChars), so the table suits either byte order.
// A pair with a character outside the alphabet ("=" included) gets
// kBase64PairOdd, and its group is left to Base64_DecodeGroup, which knows
// what such characters do. Only pairs of alphabet characters are ever hot,
// about 12 KiB of the table.
constexpr std::uint16_t kBase64PairOdd = 0x8000;
// Not constexpr: some compilers' constant evaluators give up on 65536
// cells, and then the table is simply filled when the library loads.
const std::array<std::uint16_t, 65536> kBase64PairValues = [] {
    constexpr bool kLittle = std::endian::native == std::endian::little;
    std::array<std::uint16_t, 65536> values{};
    for (std::size_t p = 0; p < values.size(); ++p) {
        const auto low = static_cast<unsigned char>(p & 0xFF);
        const auto high = static_cast<unsigned char>(p >> 8);
        const std::uint32_t first = Base64_CharValue(kLittle ? low : high);
        const std::uint32_t second = Base64_CharValue(kLittle ? high : low);
        values[p] = first == kBase64NotInAlphabet || second == kBase64NotInAlphabet
                        ? kBase64PairOdd
                        : static_cast<std::uint16_t>(first << 6 | second);
    }
    return values;
}();

// The pair value of the two characters at `p`.
std::uint64_t LoadTwoChars(const char* p) noexcept {
    std::uint16_t v;
    std::memcpy(&v, p, sizeof v);
    return kBase64PairValues[v];
}

// Writes the eight bytes of `v`, most significant first (six decoded bytes
// and two that the next write or the closing zero-fill replaces).
void StoreEightBytesHighFirst(std::uint8_t* p, std::uint64_t v) noexcept {
#if defined(__GNUC__) || defined(__clang__)
    if constexpr (std::endian::native == std::endian::little) {
        v = __builtin_bswap64(v);
        std::memcpy(p, &v, sizeof v);
        return;
    }
#endif
    for (int k = 0; k < 8; ++k) p[k] = static_cast<std::uint8_t>(v >> (56 - 8 * k));
}

}  // namespace

bool Base64_DecodeEight(const char* text, std::uint8_t* out) noexcept {
    const std::uint64_t a = LoadTwoChars(text);
    const std::uint64_t b = LoadTwoChars(text + 2);
    const std::uint64_t c = LoadTwoChars(text + 4);
    const std::uint64_t d = LoadTwoChars(text + 6);
    if ((a | b | c | d) & kBase64PairOdd) return false;
    StoreEightBytesHighFirst(out, a << 52 | b << 40 | c << 28 | d << 16);
    return true;
}

// The careful way for a block of two groups that is not all alphabet. Kept
// out of line: inlined, its bookkeeping costs the block loop more than the
// rare call does.
ZR_MIME_NOINLINE std::size_t Base64_DecodeTwoGroups(std::string_view src, std::size_t offset,
                                                    std::span<std::uint8_t> dst, std::size_t pos) noexcept {
    Base64_DecodeGroup(src, offset, dst, pos);
    Base64_DecodeGroup(src, offset + 4, dst, pos);
    return pos;
}

namespace {

std::int32_t Base64_EncodeChecked(std::span<const std::uint8_t> src, std::span<char> dst) noexcept {
    std::memset(dst.data(), 0, dst.size());
    const std::size_t n = src.size();
    const std::uint8_t* in = src.data();
    std::size_t i = 0;
    std::size_t pos = 0;
    while (i < n) {
        std::uint32_t group = std::uint32_t{in[i]} << 16;
        int count = 1;
        if (i + 1 < n) {
            group |= std::uint32_t{in[i + 1]} << 8;
            count = 2;
            if (i + 2 < n) {
                group |= in[i + 2];
                count = 3;
            }
        }
        i += static_cast<std::size_t>(count);
        // The result is the length of a terminated text, so the last group
        // must leave a byte for the terminator; only the last group can end
        // on the last byte of dst without a later group failing anyway.
        if (i == n && pos + 4 >= dst.size()) return -1;
        if (!Base64_EncodeGroup(group, count, dst, pos)) return -1;
        pos += 4;
    }
    return static_cast<std::int32_t>(pos);
}

std::int32_t Base64_DecodeChecked(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    std::memset(dst.data(), 0, dst.size());
    std::size_t pos = 0;
    for (std::size_t offset = 0; offset < src.size(); offset += 4) {
        if (!Base64_DecodeGroup(src, offset, dst, pos)) return -1;
    }
    return static_cast<std::int32_t>(pos);
}

}  // namespace

bool Base64_EncodeGroup(std::uint32_t group, int count, std::span<char> dst, std::size_t pos) noexcept {
    if (pos + 4 > dst.size()) return false;
    char* out = dst.data() + pos;
    out[0] = Base64Alphabet[(group >> 18) & 0x3F];
    out[1] = Base64Alphabet[(group >> 12) & 0x3F];
    out[2] = count >= 2 ? Base64Alphabet[(group >> 6) & 0x3F] : '=';
    out[3] = count >= 3 ? Base64Alphabet[group & 0x3F] : '=';
    return true;
}

bool Base64_DecodeGroup(std::string_view src, std::size_t offset, std::span<std::uint8_t> dst,
                        std::size_t& pos) noexcept {
    if (pos + 3 > dst.size()) return false;
    // A text of 4k+1, 4k+2 or 4k+3 characters ends inside its last group: the
    // places from the terminator on count as the terminator does (value 64,
    // not "="), and nothing after it is read.
    const auto at = [&](std::size_t k) noexcept -> unsigned char {
        return k < src.size() ? static_cast<unsigned char>(src[k]) : 0;
    };
    // Nothing is rejected or skipped, and values are combined by shift and OR
    // without masking: a character outside the alphabet (64) leaves its own
    // six bits zero and sets the lowest bit of the six before it, so texts
    // with stray line breaks or spaces decode as they always have.
    std::uint32_t v = Base64_CharValue(at(offset)) << 6 | Base64_CharValue(at(offset + 1));
    int significant = 2;
    for (std::size_t k = offset + 2; k < offset + 4; ++k) {
        v <<= 6;
        const unsigned char c = at(k);
        if (c != '=') {
            v |= Base64_CharValue(c);
            ++significant;
        }
    }
    std::uint8_t* out = dst.data() + pos;
    out[0] = static_cast<std::uint8_t>(v >> 16);
    if (significant >= 3) out[1] = static_cast<std::uint8_t>(v >> 8);
    if (significant == 4) out[2] = static_cast<std::uint8_t>(v);
    pos += static_cast<std::size_t>(significant - 1);
    return true;
}

std::int32_t Base64_Encode(std::span<const std::uint8_t> src, std::span<char> dst) noexcept {
    const std::size_t n = src.size();
    const std::size_t groups = n / 3 + (n % 3 != 0);
    // Every group needs its four characters inside dst and the last one a
    // terminator after them. (4 x groups stays below 2^32 for any int32 n.)
    if (4 * groups >= dst.size()) return Base64_EncodeChecked(src, dst);
    const std::uint8_t* in = src.data();
    char* out = dst.data();
    std::size_t i = 0;
    std::size_t pos = 0;
#if defined(ZR_SIMD_RUNTIME_X86_64)
    if (cpu::HasAvx2()) {
        const BlockProgress done = Base64_EncodeBlocksAvx2(src, out);
        i = done.offset;
        pos = done.pos;
    }
#endif
    for (; i + 3 <= n; i += 3, pos += 4) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | std::uint32_t{in[i + 1]} << 8 | in[i + 2];
        std::memcpy(out + pos, kBase64Pairs[group >> 12].data(), 2);
        std::memcpy(out + pos + 2, kBase64Pairs[group & 0xFFF].data(), 2);
    }
    if (i < n) {
        const std::uint32_t group = std::uint32_t{in[i]} << 16 | (i + 1 < n ? std::uint32_t{in[i + 1]} << 8 : 0);
        Base64_EncodeGroup(group, static_cast<int>(n - i), dst, pos);
        pos += 4;
    }
    std::memset(out + pos, 0, dst.size() - pos);
    return static_cast<std::int32_t>(pos);
}

std::int32_t Base64_Decode(std::string_view src, std::span<std::uint8_t> dst) noexcept {
    const std::size_t n = src.size();
    const std::size_t size = dst.size();
    const std::size_t groups = n / 4 + (n % 4 != 0);
    // Three bytes of room before each group, whatever it yields: with three
    // per group in dst no group can be refused.
    if (groups > size / 3) return Base64_DecodeChecked(src, dst);
    const char* text = src.data();
    std::uint8_t* out = dst.data();
    std::size_t offset = 0;
    std::size_t pos = 0;
    // Blocks of eight characters, each written in one store of six bytes
    // and two spare ones; padding, a line break or any other odd character
    // sends its two groups the careful way.
    const auto eights = [&](std::size_t blocks) {
        for (std::size_t k = 0; k < blocks; ++k, offset += 8) {
            if (Base64_DecodeEight(text + offset, out + pos)) {
                pos += 6;
            } else {
                pos = Base64_DecodeTwoGroups(src, offset, dst, pos);
            }
        }
    };
#if defined(ZR_SIMD_RUNTIME_X86_64)
    if (cpu::HasAvx2()) {
        for (;;) {
            const BlockProgress done = Base64_DecodeBlocksAvx2(src.substr(offset), dst.subspan(pos));
            offset += done.offset;
            pos += done.pos;
            // Short of a block or of room: the plain loop takes the rest.
            // Otherwise the blocks stopped at a stray character (a line
            // break, padding): plain steps over that block, then on.
            if (n - offset < 32 || size - pos < 32) break;
            eights(4);
        }
    }
#endif
    // Eight-character blocks inside the text; a block's store reaches eight
    // bytes past pos, so the count below keeps every store inside dst.
    const std::size_t blocksInText = (n - offset) / 8;
    const std::size_t blocksInRoom = size - pos >= 8 ? (size - pos - 8) / 6 + 1 : 0;
    eights(blocksInText < blocksInRoom ? blocksInText : blocksInRoom);
    for (; offset < n; offset += 4) Base64_DecodeGroup(src, offset, dst, pos);
    std::memset(out + pos, 0, size - pos);
    return static_cast<std::int32_t>(pos);
}

}  // namespace zr::mime
