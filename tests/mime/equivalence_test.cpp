// equivalence_test.cpp - the plain coders against plain restatements of their
// rules: random inputs, every dstSize around the one that just fits, and the
// whole of dst compared byte for byte, result included.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/mman.h>
#include <unistd.h>
#endif

#include "cpu/cpu.hpp"
#include "cpu/levels.hpp"
#include "mime/quoted_printable.hpp"
#include "zr_moji.h"

namespace {

using namespace std::string_literals;

// The reference coders below follow the rules one group, byte or step at a
// time, with every room test written out, and no table shared with the
// library. Each takes dst at its full size, zero-fills it and returns the
// result the export must give.

const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int RefBase64Encode(const std::string& src, std::vector<char>& dst) {
    std::fill(dst.begin(), dst.end(), '\0');
    const int size = static_cast<int>(dst.size());
    const int n = static_cast<int>(src.size());
    int pos = 0;
    for (int i = 0; i < n; i += 3) {
        const int count = n - i < 3 ? n - i : 3;
        unsigned group = 0;
        for (int k = 0; k < 3; ++k) {
            group = group << 8 | (k < count ? static_cast<unsigned char>(src[i + k]) : 0u);
        }
        if (pos + 4 > size) return -1;
        if (i + count == n && pos + 4 == size) return -1;  // no room for the terminator
        dst[pos] = kAlphabet[(group >> 18) & 63];
        dst[pos + 1] = kAlphabet[(group >> 12) & 63];
        dst[pos + 2] = count >= 2 ? kAlphabet[(group >> 6) & 63] : '=';
        dst[pos + 3] = count >= 3 ? kAlphabet[group & 63] : '=';
        pos += 4;
    }
    return pos;
}

unsigned RefValue(char c) {
    for (unsigned v = 0; v < 64; ++v) {
        if (kAlphabet[v] == c) return v;
    }
    return 64;
}

int RefBase64Decode(const std::string& text, std::vector<unsigned char>& dst) {
    std::fill(dst.begin(), dst.end(), 0);
    const std::size_t size = dst.size();
    const std::size_t n = text.size();
    const auto at = [&](std::size_t k) { return k < n ? text[k] : '\0'; };
    std::size_t pos = 0;
    for (std::size_t offset = 0; offset < n; offset += 4) {
        if (pos + 3 > size) return -1;
        unsigned v = RefValue(at(offset)) << 6 | RefValue(at(offset + 1));
        int significant = 2;
        for (std::size_t k = offset + 2; k < offset + 4; ++k) {
            v <<= 6;
            if (at(k) != '=') {
                v |= RefValue(at(k));
                ++significant;
            }
        }
        dst[pos++] = static_cast<unsigned char>(v >> 16);
        if (significant >= 3) dst[pos++] = static_cast<unsigned char>(v >> 8);
        if (significant == 4) dst[pos++] = static_cast<unsigned char>(v);
    }
    return static_cast<int>(pos);
}

bool RefIsLiteral(unsigned char b) { return b == '\t' || b == '\n' || b == '\r' || (b >= 0x20 && b <= 0x7E && b != '='); }

int RefQuotedPrintableEncode(const std::string& src, std::vector<char>& dst) {
    std::fill(dst.begin(), dst.end(), '\0');
    const std::size_t size = dst.size();
    std::size_t pos = 0;
    int column = 1;
    const auto put = [&](const char* s, std::size_t len) {
        for (std::size_t k = 0; k < len; ++k) dst[pos++] = s[k];
    };
    for (const char c : src) {
        const auto b = static_cast<unsigned char>(c);
        const bool literal = RefIsLiteral(b);
        const std::size_t len = literal ? 1 : 3;
        const bool soft = column >= (literal ? 76 : 73);
        // Room rule: the characters of the write, a terminator and one more.
        if (pos + (soft ? 3 : 0) + len + 2 > size) return -1;
        if (soft) {
            put("=\r\n", 3);
            column = 1;
        }
        char piece[8];
        if (literal) {
            piece[0] = c;
        } else {
            std::snprintf(piece, sizeof piece, "=%02X", b);
        }
        put(piece, len);
        column += static_cast<int>(len);
    }
    return static_cast<int>(pos);
}

bool RefIsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }

int RefQuotedPrintableDecode(const std::string& text, std::vector<unsigned char>& dst) {
    std::fill(dst.begin(), dst.end(), 0);
    const std::size_t size = dst.size();
    const std::size_t n = text.size();
    std::size_t pos = 0;
    for (std::size_t i = 0; i < n;) {
        if (pos + 1 > size) return -1;
        const auto b = static_cast<unsigned char>(text[i]);
        if (RefIsLiteral(b)) {
            dst[pos++] = b;
            ++i;
            continue;
        }
        if (b != '=') return -1;
        // Soft break: "=", spaces and tabs, then LF or CR LF.
        const std::size_t end = text.find_first_not_of(" \t", i + 1);
        if (end != std::string::npos && text.compare(end, 1, "\n") == 0) {
            i = end + 1;
            continue;
        }
        if (end != std::string::npos && text.compare(end, 2, "\r\n") == 0) {
            i = end + 2;
            continue;
        }
        if (i + 2 < n && RefIsHexDigit(text[i + 1]) && RefIsHexDigit(text[i + 2])) {
            dst[pos++] = static_cast<unsigned char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 3;
            continue;
        }
        dst[pos++] = '=';  // any other "=" stands for itself
        ++i;
    }
    return static_cast<int>(pos);
}

// Exports on buffers of exactly dstSize (so the sanitizer build sees any
// write past them), pre-filled so that unwritten bytes would show.
int Base64Encode(const std::string& src, std::vector<char>& dst) {
    std::fill(dst.begin(), dst.end(), '\x7F');
    return ZR_Base64_Encode(reinterpret_cast<const unsigned char*>(src.data()), static_cast<int32_t>(src.size()),
                            dst.data(), static_cast<int32_t>(dst.size()));
}

int Base64Decode(const std::string& text, std::vector<unsigned char>& dst) {
    std::fill(dst.begin(), dst.end(), 0x7F);
    return ZR_Base64_Decode(text.c_str(), dst.data(), static_cast<int32_t>(dst.size()));
}

int QuotedPrintableEncode(const std::string& src, std::vector<char>& dst) {
    std::fill(dst.begin(), dst.end(), '\x7F');
    return ZR_QuotedPrintable_Encode(reinterpret_cast<const unsigned char*>(src.data()),
                                     static_cast<int32_t>(src.size()), dst.data(), static_cast<int32_t>(dst.size()));
}

int QuotedPrintableDecode(const std::string& text, std::vector<unsigned char>& dst) {
    std::fill(dst.begin(), dst.end(), 0x7F);
    return ZR_QuotedPrintable_Decode(text.c_str(), dst.data(), static_cast<int32_t>(dst.size()));
}

// Random text drawn mostly from `common`, now and then from `rare`, with
// runs of one kind so that long clean stretches and dense odd spots both
// occur.
std::string RandomText(std::mt19937& rng, std::size_t maxLength, const std::string& common, const std::string& rare) {
    std::string s(rng() % (maxLength + 1), '\0');
    const unsigned rarePerMille = rng() % 4 == 0 ? 300 : rng() % 30;
    for (auto& c : s) {
        c = rng() % 1000 < rarePerMille ? rare[rng() % rare.size()] : common[rng() % common.size()];
    }
    return s;
}

std::string RandomBytes(std::mt19937& rng, std::size_t maxLength) {
    std::string s(rng() % (maxLength + 1), '\0');
    const int mix = static_cast<int>(rng() % 3);
    for (auto& c : s) {
        // All bytes, mostly literals (long lines), or mostly escapes.
        const unsigned r = rng();
        if (mix == 0) c = static_cast<char>(r & 0xFF);
        else if (mix == 1) c = r % 16 == 0 ? static_cast<char>(r >> 8) : static_cast<char>('a' + (r >> 8) % 26);
        else c = r % 8 == 0 ? ' ' : static_cast<char>(0x80 | (r >> 8));
    }
    return s;
}

// The dstSizes worth trying around `boundary`, the least that holds the
// whole output: every size near it, a random one and a roomy one.
std::vector<int> SizesAround(int boundary, std::mt19937& rng) {
    std::vector<int> sizes;
    for (int d = -8; d <= 8; ++d) {
        if (boundary + d >= 1) sizes.push_back(boundary + d);
    }
    sizes.push_back(1 + static_cast<int>(rng() % static_cast<unsigned>(boundary + 20)));
    sizes.push_back(boundary + 100);
    return sizes;
}

template <class Out, class Ref, class Lib>
void ExpectSame(const std::string& input, int boundary, std::mt19937& rng, Ref ref, Lib lib, const char* what) {
    for (const int size : SizesAround(boundary, rng)) {
        std::vector<Out> want(static_cast<std::size_t>(size));
        std::vector<Out> got(static_cast<std::size_t>(size));
        const int wantResult = ref(input, want);
        ASSERT_EQ(lib(input, got), wantResult) << what << ", input length " << input.size() << ", dstSize " << size;
        ASSERT_TRUE(got == want) << what << ", input length " << input.size() << ", dstSize " << size;
    }
}

constexpr int kRounds = 600;

TEST(MimeEquivalence, Base64EncodeMatchesTheRules) {
    std::mt19937 rng(11);
    for (int round = 0; round < kRounds; ++round) {
        const std::string src = RandomBytes(rng, 200);
        const int boundary = static_cast<int>((src.size() + 2) / 3 * 4) + 1;
        ExpectSame<char>(src, boundary, rng, RefBase64Encode, Base64Encode, "Base64 encode");
    }
}

TEST(MimeEquivalence, Base64DecodeMatchesTheRules) {
    std::mt19937 rng(12);
    const std::string alphabet(kAlphabet);
    // "=" anywhere, line breaks, spaces, bytes far outside the alphabet.
    const std::string odd = "====\r\n \t-_.\x01\x7F\x80\xFF";
    for (int round = 0; round < kRounds; ++round) {
        const std::string text = RandomText(rng, 200, alphabet, odd);
        const int boundary = static_cast<int>((text.size() + 3) / 4 * 3);
        ExpectSame<unsigned char>(text, boundary, rng, RefBase64Decode, Base64Decode, "Base64 decode");
    }
}

TEST(MimeEquivalence, QuotedPrintableEncodeMatchesTheRules) {
    std::mt19937 rng(13);
    for (int round = 0; round < kRounds; ++round) {
        const std::string src = RandomBytes(rng, 400);
        std::vector<char> roomy(src.size() * 4 + 16);
        const int length = RefQuotedPrintableEncode(src, roomy);
        ASSERT_GE(length, 0);
        ExpectSame<char>(src, length + 2, rng, RefQuotedPrintableEncode, QuotedPrintableEncode,
                         "Quoted-Printable encode");
    }
}

// Quoted-Printable text as a run of pieces: escapes, soft breaks, literals,
// and now and then a soft break with LF or padding, an "=" that stands for
// itself, or a byte no step can start.
std::string RandomQuotedPrintable(std::mt19937& rng, std::size_t maxPieces) {
    static const char* const kCommon[] = {"=3D", "=E3", "=81", "=ff", "=4a", "=\r\n", "a", "Z", "0", " ", "\t", "\r\n"};
    static const char* const kRare[] = {"=",   "=\n", "=G4", "=4G", "= 7", "=-1", "=+F",   "=0x",   "=\r",
                                        "\xE9", "\x01", "\x7F", "= \n", "=\t\r\n", "=  \t\r\n", "= \r", "=  x"};
    const unsigned rarePerMille = rng() % 4 == 0 ? 200 : rng() % 20;
    std::string s;
    for (std::size_t k = rng() % (maxPieces + 1); k > 0; --k) {
        s += rng() % 1000 < rarePerMille ? kRare[rng() % std::size(kRare)] : kCommon[rng() % std::size(kCommon)];
    }
    return s;
}

TEST(MimeEquivalence, QuotedPrintableDecodeMatchesTheRules) {
    std::mt19937 rng(14);
    for (int round = 0; round < kRounds; ++round) {
        const std::string text = RandomQuotedPrintable(rng, 120);
        std::vector<unsigned char> roomy(text.size() + 1);
        const int length = RefQuotedPrintableDecode(text, roomy);
        ExpectSame<unsigned char>(text, length < 0 ? static_cast<int>(text.size()) : length, rng,
                                  RefQuotedPrintableDecode, QuotedPrintableDecode, "Quoted-Printable decode");
    }
}

struct LongCase {
    std::size_t length;
    const char* why;
};

// Lengths that put the end of the input on each phase of the blocks the
// coders work in, over inputs long enough for several blocks.
const LongCase kLongCases[] = {
    {3000, "whole groups"}, {3001, "one byte over"}, {3002, "two bytes over"},
    {3005, "group and a half"}, {3007, "odd length"}, {4096, "power of two"},
};

TEST(MimeEquivalence, LongInputsAtEveryBoundary) {
    std::mt19937 rng(15);
    for (const auto& c : kLongCases) {
        std::string bytes(c.length, '\0');
        for (auto& b : bytes) b = static_cast<char>(rng());
        std::vector<char> text(c.length * 4 + 16);
        const int b64 = RefBase64Encode(bytes, text);
        ASSERT_GT(b64, 0) << c.why;
        ExpectSame<char>(bytes, b64 + 1, rng, RefBase64Encode, Base64Encode, c.why);
        const std::string b64Text(text.data(), static_cast<std::size_t>(b64));
        ExpectSame<unsigned char>(b64Text, static_cast<int>(c.length), rng, RefBase64Decode, Base64Decode, c.why);
        // A stray line break late in the text shifts every later group.
        const std::string shifted = b64Text.substr(0, b64Text.size() - 40) + "\r\n" + b64Text.substr(b64Text.size() - 40);
        ExpectSame<unsigned char>(shifted, static_cast<int>(c.length) + 2, rng, RefBase64Decode, Base64Decode, c.why);
        const int qp = RefQuotedPrintableEncode(bytes, text);
        ASSERT_GT(qp, 0) << c.why;
        ExpectSame<char>(bytes, qp + 2, rng, RefQuotedPrintableEncode, QuotedPrintableEncode, c.why);
        const std::string qpText(text.data(), static_cast<std::size_t>(qp));
        ExpectSame<unsigned char>(qpText, static_cast<int>(c.length), rng, RefQuotedPrintableDecode,
                                  QuotedPrintableDecode, c.why);
    }
}

// The decoder works in blocks of 8 and (where the processor has the vector
// path) 32 characters, and picks its loop from the room left in dst: the
// sizes below run from where it must refuse to well past the last block
// that needs spare room for its store.
void ExpectSameDecode(const std::string& text, int lowest, int highest, const std::string& why) {
    for (int size = lowest < 1 ? 1 : lowest; size <= highest; ++size) {
        std::vector<unsigned char> want(static_cast<std::size_t>(size));
        std::vector<unsigned char> got(static_cast<std::size_t>(size));
        const int wantResult = RefBase64Decode(text, want);
        ASSERT_EQ(Base64Decode(text, got), wantResult) << why << ", text length " << text.size() << ", dstSize " << size;
        ASSERT_TRUE(got == want) << why << ", text length " << text.size() << ", dstSize " << size;
    }
}

int DecodeBoundary(const std::string& text) { return static_cast<int>((text.size() + 3) / 4 * 3); }

std::string RandomBase64(std::mt19937& rng, std::size_t length) {
    std::string s(length, 'A');
    for (auto& c : s) c = kAlphabet[rng() % 64];
    return s;
}

TEST(MimeEquivalence, Base64DecodeCleanTextOfEveryLength) {
    std::mt19937 rng(16);
    for (std::size_t length = 0; length <= 200; ++length) {
        const std::string text = RandomBase64(rng, length);
        const int boundary = DecodeBoundary(text);
        ExpectSameDecode(text, boundary - 8, boundary + 40, "clean text");
    }
    for (const std::size_t length : {1024u, 2047u, 4096u, 5000u, 8195u}) {
        const std::string text = RandomBase64(rng, length);
        const int boundary = DecodeBoundary(text);
        ExpectSameDecode(text, boundary - 8, boundary + 40, "long clean text");
    }
}

// Every character of the alphabet at every place of two 32-character blocks,
// so each one's value is checked in every lane.
TEST(MimeEquivalence, Base64DecodeEveryCharacterInEveryLane) {
    for (int shift = 0; shift < 64; ++shift) {
        std::string text(128, 'A');
        for (std::size_t k = 0; k < text.size(); ++k) text[k] = kAlphabet[(k * 7 + static_cast<std::size_t>(shift)) % 64];
        const int boundary = DecodeBoundary(text);
        ExpectSameDecode(text, boundary, boundary, "alphabet rotation");
        ExpectSameDecode(text, boundary + 40, boundary + 40, "alphabet rotation");
    }
}

// Every byte value at every place of two 24-byte blocks, so each of the 64
// values comes out of every lane of the encoder's blocks, and every length
// up to a few blocks, so the blocks hand over to the groups at each phase.
TEST(MimeEquivalence, Base64EncodeEveryByteInEveryLaneAndEveryLength) {
    std::mt19937 rng(21);
    for (int shift = 0; shift < 256; ++shift) {
        std::string bytes(60, '\0');
        for (std::size_t k = 0; k < bytes.size(); ++k) {
            bytes[k] = static_cast<char>((k * 37 + static_cast<std::size_t>(shift)) & 0xFF);
        }
        const int boundary = static_cast<int>((bytes.size() + 2) / 3 * 4) + 1;
        ExpectSame<char>(bytes, boundary, rng, RefBase64Encode, Base64Encode, "byte rotation");
    }
    for (std::size_t length = 0; length <= 100; ++length) {
        std::string bytes(length, '\0');
        for (auto& b : bytes) b = static_cast<char>(rng());
        const int boundary = static_cast<int>((length + 2) / 3 * 4) + 1;
        ExpectSame<char>(bytes, boundary, rng, RefBase64Encode, Base64Encode, "every length");
    }
}

// One byte from outside the alphabet ("=", line breaks, spaces, the bytes
// next to the alphabet's ranges, bytes from 0x80 up) at every place of the
// first two 32-character blocks: it must send exactly its block the careful
// way and leave the blocks around it as they were.
TEST(MimeEquivalence, Base64DecodeStrayByteAtEveryPlace) {
    std::mt19937 rng(17);
    const std::string clean = RandomBase64(rng, 100);
    const std::string alphabet(kAlphabet);
    const int boundary = DecodeBoundary(clean);
    for (int b = 1; b < 256; ++b) {
        if (alphabet.find(static_cast<char>(b)) != std::string::npos) continue;
        for (std::size_t place = 0; place < 64; ++place) {
            std::string text = clean;
            text[place] = static_cast<char>(b);
            const std::string why = "byte " + std::to_string(b) + " at " + std::to_string(place);
            ExpectSameDecode(text, boundary - 1, boundary + 1, why);
            ExpectSameDecode(text, boundary + 40, boundary + 40, why);
        }
    }
}

struct PaddedCase {
    std::string text;
    const char* why;
};

std::string Groups(int count) {
    std::string s;
    for (int k = 0; k < count; ++k) s += "QUJD";
    return s;
}

// Padding ends no text: the groups after it go on from where it left the
// output, one or two bytes short of the usual place.
const PaddedCase kPaddedCases[] = {
    {"QQ==" + Groups(20), "padded first group"},
    {Groups(7) + "QUI=" + Groups(12), "padded last group of a block"},
    {Groups(8) + "QQ==" + Groups(12), "padded first group of the second block"},
    {Groups(9) + "QQ==" + "QUI=" + Groups(11), "two padded groups in a row"},
    {Groups(3) + "====" + Groups(16), "a group of padding only"},
    {Groups(5) + "Q===" + Groups(16), "one character and three pads"},
    {Groups(15) + "QQ==" + Groups(1), "padding just before the tail"},
    {Groups(16) + "QUI=", "padding at the very end"},
    {Groups(16) + "QUI=\r\n" + Groups(16), "padding and a line break between blocks"},
};

TEST(MimeEquivalence, Base64DecodePaddingInTheMiddle) {
    for (const auto& c : kPaddedCases) {
        const int boundary = DecodeBoundary(c.text);
        ExpectSameDecode(c.text, boundary - 4, boundary + 40, c.why);
    }
}

TEST(MimeEquivalence, Base64DecodeLongTextsWithOddBytes) {
    std::mt19937 rng(18);
    const std::string alphabet(kAlphabet);
    const std::string odd = "====\r\n \t-_.\x01\x7F\x80\xFF";
    for (int round = 0; round < 40; ++round) {
        const std::string text = RandomText(rng, 3000, alphabet, odd);
        const int boundary = DecodeBoundary(text);
        ExpectSameDecode(text, boundary - 2, boundary + 34, "long text with odd bytes");
    }
}

// The Quoted-Printable decoder's block loops, each against the steps: every
// kind of block this build and processor have, not only the one the export
// picks, on texts built to put each kind of step at each place of a block.
using zr::mime::QuotedPrintableBlocks;

struct BlocksCase {
    QuotedPrintableBlocks blocks;
    const char* name;
};

const BlocksCase kAllBlocks[] = {
    {QuotedPrintableBlocks::None, "steps only"},
    {QuotedPrintableBlocks::Sse2, "SSE2 blocks"},
    {QuotedPrintableBlocks::Ssse3, "SSSE3 blocks"},
    {QuotedPrintableBlocks::Avx2, "AVX2 blocks"},
};

std::vector<BlocksCase> AvailableBlocks() {
    std::vector<BlocksCase> available;
    for (const auto& b : kAllBlocks) {
        if (zr::mime::QuotedPrintable_HasBlocks(b.blocks)) available.push_back(b);
    }
    return available;
}

int DecodeQuotedPrintableWith(QuotedPrintableBlocks blocks, const std::string& text, std::vector<unsigned char>& dst) {
    std::fill(dst.begin(), dst.end(), 0x7F);
    return zr::mime::QuotedPrintable_DecodeWith(blocks, text, dst);
}

// Every dstSize from well short of the exact fit to past the 32 bytes of
// room the widest block wants, so that the change from blocks to steps
// falls on each place near the end of the output.
void ExpectSameQuotedPrintable(const std::string& text, const std::string& why) {
    std::vector<unsigned char> roomy(text.size() + 1);
    const int fit = RefQuotedPrintableDecode(text, roomy);
    const int boundary = fit < 0 ? static_cast<int>(text.size()) : fit;
    std::vector<int> sizes = {1, boundary / 2 + 1};
    for (int size = boundary - 6; size <= boundary + 36; ++size) {
        if (size >= 1) sizes.push_back(size);
    }
    for (const auto& b : AvailableBlocks()) {
        for (const int size : sizes) {
            std::vector<unsigned char> want(static_cast<std::size_t>(size));
            std::vector<unsigned char> got(static_cast<std::size_t>(size));
            const int wantResult = RefQuotedPrintableDecode(text, want);
            ASSERT_EQ(DecodeQuotedPrintableWith(b.blocks, text, got), wantResult)
                << why << ", " << b.name << ", text length " << text.size() << ", dstSize " << size;
            ASSERT_TRUE(got == want) << why << ", " << b.name << ", text length " << text.size() << ", dstSize "
                                     << size;
        }
    }
}

// Text of about `length` characters from pieces: literals (printable, tab,
// CR LF), escapes with digits of either case, soft breaks, and with
// `oddPerMille` soft breaks with LF or padding, "=" that stands for itself,
// DEL, controls and bytes from 0x80 up.
std::string RandomQuotedPrintableText(std::mt19937& rng, std::size_t length, unsigned oddPerMille) {
    static const char kDigits[] = "0123456789ABCDEFabcdef";
    static const char* const kOdd[] = {"=G1",  "=4",   "==",   "=",    "=\n",   "=\r",   "= 7",    "=-1",
                                       "=+F",  "=0x",  "=\xE9", "\x7F", "\x01",   "\x1F",   "\x0B",   "\x80",
                                       "\xE9", "\xFF", "= \n", "=\t\n", "= \r\n", "=  \t\r\n", "= \r", "=\t\t"};
    std::string s;
    while (s.size() < length) {
        const unsigned r = rng() % 1000;
        if (r < oddPerMille) {
            s += kOdd[rng() % std::size(kOdd)];
        } else if (r < 400) {
            s += '=';
            s += kDigits[rng() % 22];
            s += kDigits[rng() % 22];
        } else if (r < 430) {
            s += "=\r\n";
        } else if (r < 450) {
            s += "\r\n";
        } else if (r < 460) {
            s += '\t';
        } else {
            char c = static_cast<char>(0x20 + rng() % 95);
            if (c == '=') c = 'Q';
            s += c;
        }
    }
    s.resize(length);  // may cut an escape short: the text then ends inside it
    return s;
}

TEST(MimeEquivalence, QuotedPrintableDecodeBlocksOnRandomText) {
#if defined(ZR_SIMD_SSE2)
    // Where the build has SSE2 the blocks must be there to be tested.
    ASSERT_TRUE(zr::mime::QuotedPrintable_HasBlocks(QuotedPrintableBlocks::Sse2));
#endif
#if defined(ZR_SIMD_RUNTIME)
    // The wider blocks are there exactly when the processor has them, so
    // none goes untested on a machine that could run it.
    EXPECT_EQ(zr::mime::QuotedPrintable_HasBlocks(QuotedPrintableBlocks::Ssse3), zr::cpu::HasSsse3());
    EXPECT_EQ(zr::mime::QuotedPrintable_HasBlocks(QuotedPrintableBlocks::Avx2),
              zr::cpu::HasAvx2() && zr::cpu::HasSsse3());
#endif
    std::mt19937 rng(20);
    for (std::size_t length = 0; length <= 200; ++length) {
        for (const unsigned odd : {0u, 5u, 60u}) {
            ExpectSameQuotedPrintable(RandomQuotedPrintableText(rng, length, odd),
                                      "random text, odd pieces per mille " + std::to_string(odd));
        }
    }
    for (const std::size_t length : {1024u, 2047u, 4096u, 5003u}) {
        for (const unsigned odd : {0u, 1u, 20u}) {
            ExpectSameQuotedPrintable(RandomQuotedPrintableText(rng, length, odd), "long random text");
        }
    }
}

struct PieceCase {
    const char* piece;
    const char* why;
};

// Each piece is put at every place of the first blocks of clean text, so
// that an escape starts at each of the last places of a block (its digits
// in the next), a step that no block takes sits at each place, and the
// text ends inside an escape.
const PieceCase kPieces[] = {
    {"=3D", "escape, capitals"},
    {"=e9", "escape, small letters"},
    {"=Af", "escape, mixed case"},
    {"=\r\n", "soft break"},
    {"=\r\n=\r\n", "two soft breaks"},
    {"=G1", "= as itself, no first digit"},
    {"=4x", "= as itself, one digit"},
    {"==41", "= as itself, then an escape"},
    {"=\n", "soft break = LF"},
    {"=\n=\n", "two soft breaks = LF"},
    {"= \t\r\n", "soft break with padding before CR LF"},
    {"=  \n", "soft break with padding before LF"},
    {"=                    \n", "padding longer than a block"},
    {"= \rZ", "padding, then CR without LF"},
    {"=\rZ", "= CR without LF"},
    {"\x7F", "DEL"},
    {"\x01", "control"},
    {"\xE9", "byte from 0x80 up"},
    {"\r\n", "hard line break"},
    {"\t", "tab"},
};

TEST(MimeEquivalence, QuotedPrintableDecodeEveryPieceAtEveryPlace) {
    std::mt19937 rng(21);
    // Literals only, escapes only, and a mix, so that blocks begin at
    // different distances from the piece.
    const std::string clean[] = {
        std::string(64, 'a'),
        RandomQuotedPrintableText(rng, 96, 0),
        "=41=42=43=44=45=46=47=48=49=4A=4B=4C=4D=4E=4F=50=51=52=53=54=55=56=57=58=59=5A",
    };
    for (const auto& base : clean) {
        for (const auto& c : kPieces) {
            for (std::size_t place = 0; place <= 70 && place <= base.size(); ++place) {
                const std::string why = std::string(c.why) + " at " + std::to_string(place);
                ExpectSameQuotedPrintable(base.substr(0, place) + c.piece + base.substr(place), why);
                ExpectSameQuotedPrintable(base.substr(0, place) + c.piece, why + ", ending the text");
            }
        }
    }
}

// Texts that end one, two or three characters into an escape, at every
// length around the reach of a block.
TEST(MimeEquivalence, QuotedPrintableDecodeTextEndingInsideAnEscape) {
    for (const char* tail : {"=", "=4", "=\r", "=\r\n", "=4F", "=A", "=\n", "= ", "= \r", "=\t\n"}) {
        for (std::size_t length = 0; length <= 40; ++length) {
            std::string text(length, 'x');
            for (std::size_t k = 0; k + 3 <= length; k += 5) text.replace(k, 3, "=5A");
            ExpectSameQuotedPrintable(text + tail, std::string("tail ") + tail);
        }
    }
}

// Known answers at the edges of a block, each where a block loop could go
// wrong in its own way.
struct BlockFaultCase {
    std::string text;
    std::string bytes;
    const char* why;
};

const BlockFaultCase kBlockFaults[] = {
    {std::string(14, 'a') + "=41" + std::string(20, 'b'), std::string(14, 'a') + "A" + std::string(20, 'b'),
     "escape at place 14: one character past the block"},
    {std::string(15, 'a') + "=41" + std::string(20, 'b'), std::string(15, 'a') + "A" + std::string(20, 'b'),
     "escape at place 15: two characters past the block"},
    {std::string(15, 'a') + "=4G" + std::string(20, 'b'), std::string(15, 'a') + "=4G" + std::string(20, 'b'),
     "= as itself at place 15: the non-digit is past the block"},
    {std::string(15, 'a') + "=\n" + std::string(20, 'b'), std::string(15, 'a') + std::string(20, 'b'),
     "soft break = LF at place 15: its LF is past the block"},
    {std::string(14, 'a') + "= \r\n" + std::string(20, 'b'), std::string(14, 'a') + std::string(20, 'b'),
     "padded soft break across the end of a block"},
    {std::string(30, 'a') + "=41" + std::string(40, 'b'), std::string(30, 'a') + "A" + std::string(40, 'b'),
     "escape at place 30: one character past a wide block"},
    {std::string(31, 'a') + "=41" + std::string(40, 'b'), std::string(31, 'a') + "A" + std::string(40, 'b'),
     "escape at place 31: two characters past a wide block"},
    {std::string(31, 'a') + "=4G" + std::string(40, 'b'), std::string(31, 'a') + "=4G" + std::string(40, 'b'),
     "= as itself at place 31: the non-digit is past a wide block"},
    {std::string(31, 'a') + "=\n" + std::string(40, 'b'), std::string(31, 'a') + std::string(40, 'b'),
     "soft break = LF at place 31: its LF is past a wide block"},
    {std::string(30, 'a') + "=\t\t\r\n" + std::string(40, 'b'), std::string(30, 'a') + std::string(40, 'b'),
     "padded soft break across the end of a wide block"},
    {std::string(10, 'a') + "=\r\n" + std::string(20, 'b'), std::string(10, 'a') + std::string(20, 'b'),
     "soft break writes nothing"},
    {std::string(10, 'a') + "=\r\r" + std::string(20, 'b'), std::string(10, 'a') + "=\r\r" + std::string(20, 'b'),
     "= CR CR: = stands for itself"},
    {"a\r\nb" + std::string(20, 'c'), "a\r\nb" + std::string(20, 'c'), "CR LF after a literal is no soft break"},
    {"=3d=7E=00=ff" + std::string(20, '~'), "=~\0\xFF"s + std::string(20, '~'), "digits of either case"},
};

TEST(MimeEquivalence, QuotedPrintableDecodeBlockEdges) {
    for (const auto& b : AvailableBlocks()) {
        for (const auto& c : kBlockFaults) {
            std::vector<unsigned char> dst(c.bytes.size() + 20);
            ASSERT_EQ(DecodeQuotedPrintableWith(b.blocks, c.text, dst), static_cast<int>(c.bytes.size()))
                << c.why << ", " << b.name;
            EXPECT_EQ(std::string(dst.begin(), dst.begin() + static_cast<std::ptrdiff_t>(c.bytes.size())), c.bytes)
                << c.why << ", " << b.name;
        }
    }
}

#if !defined(_WIN32)
// Two pages, the second inaccessible; Tail() places `count` bytes so that the
// last one ends where the guard page begins.
class GuardedPage {
public:
    explicit GuardedPage(std::size_t pages) {
        page_ = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
        length_ = (pages + 1) * page_;
        void* p = ::mmap(nullptr, length_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        base_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
        if (base_ && ::mprotect(base_ + length_ - page_, page_, PROT_NONE) != 0) {
            ::munmap(base_, length_);
            base_ = nullptr;
        }
    }
    ~GuardedPage() {
        if (base_) ::munmap(base_, length_);
    }
    GuardedPage(const GuardedPage&) = delete;
    GuardedPage& operator=(const GuardedPage&) = delete;

    explicit operator bool() const { return base_ != nullptr; }
    char* Tail(std::size_t count) const { return base_ + length_ - page_ - count; }

private:
    std::size_t page_ = 0;
    std::size_t length_ = 0;
    char* base_ = nullptr;
};

// The text's terminator and the last byte of dst sit right before an
// inaccessible page: a read past the terminator or a store past dstSize
// faults.
TEST(MimeEquivalence, Base64DecodeStaysInsideTextAndDst) {
    GuardedPage in(4);
    GuardedPage out(4);
    ASSERT_TRUE(in && out);
    std::mt19937 rng(19);
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 140; ++length) lengths.push_back(length);
    for (const std::size_t length : {1000u, 4093u, 8000u}) lengths.push_back(length);
    for (const std::size_t length : lengths) {
        std::string text = RandomBase64(rng, length);
        if (length > 40 && length % 3 == 0) text[length - 33] = '\n';  // one block the careful way
        char* src = in.Tail(length + 1);
        std::memcpy(src, text.c_str(), length + 1);
        const int boundary = DecodeBoundary(text);
        for (int size = boundary < 9 ? 1 : boundary - 8; size <= boundary + 40; ++size) {
            std::vector<unsigned char> want(static_cast<std::size_t>(size));
            const int wantResult = RefBase64Decode(text, want);
            auto* dst = reinterpret_cast<unsigned char*>(out.Tail(static_cast<std::size_t>(size)));
            std::memset(dst, 0x7F, static_cast<std::size_t>(size));
            ASSERT_EQ(ZR_Base64_Decode(src, dst, size), wantResult) << "text length " << length << ", dstSize " << size;
            ASSERT_EQ(std::memcmp(dst, want.data(), want.size()), 0) << "text length " << length << ", dstSize " << size;
        }
    }
}

// The same for Quoted-Printable text, with every kind of block. The
// internal decoder is given the text with its last character right before
// the inaccessible page, no terminator after it: nothing past the text may
// be read, not even a terminator that happens to be there.
TEST(MimeEquivalence, QuotedPrintableDecodeStaysInsideTextAndDst) {
    GuardedPage bareIn(4);
    GuardedPage terminatedIn(4);
    GuardedPage out(4);
    ASSERT_TRUE(bareIn && terminatedIn && out);
    std::mt19937 rng(22);
    std::vector<std::size_t> lengths;
    for (std::size_t length = 0; length <= 100; ++length) lengths.push_back(length);
    for (const std::size_t length : {1000u, 4093u, 8000u}) lengths.push_back(length);
    for (const std::size_t length : lengths) {
        const std::string text = RandomQuotedPrintableText(rng, length, length % 3 == 0 ? 10 : 0);
        char* bare = bareIn.Tail(length);
        std::memcpy(bare, text.data(), length);
        char* src = terminatedIn.Tail(length + 1);
        std::memcpy(src, text.c_str(), length + 1);
        std::vector<unsigned char> roomy(length + 1);
        const int fit = RefQuotedPrintableDecode(text, roomy);
        const int boundary = fit < 0 ? static_cast<int>(length) : fit;
        for (int size = boundary < 7 ? 1 : boundary - 6; size <= boundary + 36; ++size) {
            std::vector<unsigned char> want(static_cast<std::size_t>(size));
            const int wantResult = RefQuotedPrintableDecode(text, want);
            auto* dst = reinterpret_cast<unsigned char*>(out.Tail(static_cast<std::size_t>(size)));
            for (const auto& b : AvailableBlocks()) {
                std::memset(dst, 0x7F, static_cast<std::size_t>(size));
                ASSERT_EQ(zr::mime::QuotedPrintable_DecodeWith(b.blocks, std::string_view(bare, length),
                                                               {dst, static_cast<std::size_t>(size)}),
                          wantResult)
                    << b.name << ", text length " << length << ", dstSize " << size;
                ASSERT_EQ(std::memcmp(dst, want.data(), want.size()), 0)
                    << b.name << ", text length " << length << ", dstSize " << size;
            }
            std::memset(dst, 0x7F, static_cast<std::size_t>(size));
            ASSERT_EQ(ZR_QuotedPrintable_Decode(src, dst, size), wantResult)
                << "export, text length " << length << ", dstSize " << size;
            ASSERT_EQ(std::memcmp(dst, want.data(), want.size()), 0)
                << "export, text length " << length << ", dstSize " << size;
        }
    }
}
#endif

}  // namespace
