// utf8_lanes_test.cpp - the UTF-8 block kernels on their own. A kernel that
// declines a block it should take, or takes fewer characters than are
// there, still gives the right text through the character loop after it,
// so the conversions' results cannot tell; here each kernel must take
// every block of its kind, whole, with the bytes the encoding's rules give.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "codepage/coders.hpp"
#include "codepage/utf8_lanes.hpp"

namespace {

using zr::codepage::AsciiRuns;
using zr::codepage::DecodeThree8;
using zr::codepage::EncodeAsciiOrThree8;

// A piece of UTF-8 and whether it is one well-formed three-byte character.
struct Piece {
    std::string bytes;
    bool three;
};

std::string Three(char16_t u) {
    return {static_cast<char>(0xE0 | u >> 12), static_cast<char>(0x80 | (u >> 6 & 0x3F)),
            static_cast<char>(0x80 | (u & 0x3F))};
}

// The kinds that end a run, each next to the forms it could be mistaken for.
const Piece kEnders[] = {
    {"a", false},          {"\xC3\xA9", false},         {"\xE0\x9F\xBF", false},  // overlong
    {"\xED\xA0\x80", false},  // a surrogate
    {"\xE3\x81" "a", false},  // cut short
    {"\xE3\xC1\x82", false},  {"\xE3\x81\xC2", false},  {"\xF0\x9F\x98\x80", false},
    {"\x81\x82\x83", false},  {"\xFF\xFF\xFF", false},
};
const char16_t kThrees[] = {0x0800, 0x0FFF, 0x3042, 0x65E5, 0xD7FF, 0xE000, 0xFF5E, 0xFFFF, 0x1000, 0xEFFF};

TEST(Utf8Lanes, DecodeTakesEveryThreeByteCharacterBeforeTheFirstOther) {
    for (unsigned run = 0; run <= 8; ++run) {
        for (const Piece& ender : kEnders) {
            std::string s;
            std::vector<char16_t> want;
            for (unsigned k = 0; k < run; ++k) {
                const char16_t u = kThrees[(k + run) % std::size(kThrees)];
                s += Three(u);
                want.push_back(u);
            }
            s += ender.bytes;
            s.resize(32, 'z');  // the kernel reads 25 bytes
            char16_t d[8] = {};
            const unsigned got = DecodeThree8(reinterpret_cast<const std::uint8_t*>(s.data()), d);
            const unsigned expect = run < 8 ? run : 8;
            ASSERT_EQ(got, expect) << run << " characters before " << ::testing::PrintToString(ender.bytes);
            for (unsigned k = 0; k < expect; ++k) EXPECT_EQ(d[k], want[k]) << "character " << k;
        }
    }
}

TEST(Utf8Lanes, DecodeAgreesWithTheRulesOnRandomMixes) {
    std::mt19937 rng(3042);
    for (int round = 0; round < 20000; ++round) {
        std::string s;
        std::vector<char16_t> want;
        bool open = true;
        while (s.size() < 25) {
            if (rng() % 4) {
                const char16_t u = static_cast<char16_t>(0x800 + rng() % (0x10000 - 0x800));
                const bool scalar = u < 0xD800 || u >= 0xE000;
                s += Three(u);
                if (open && scalar && want.size() < 8) want.push_back(u);
                if (!scalar) open = false;
            } else {
                s += kEnders[rng() % std::size(kEnders)].bytes;
                open = false;
            }
        }
        s.resize(32, 'z');
        char16_t d[8] = {};
        const unsigned got = DecodeThree8(reinterpret_cast<const std::uint8_t*>(s.data()), d);
        ASSERT_EQ(got, want.size()) << ::testing::PrintToString(s);
        for (unsigned k = 0; k < got; ++k) EXPECT_EQ(d[k], want[k]);
    }
}

std::string Utf8Of(char16_t u) {
    if (u < 0x80) return std::string(1, static_cast<char>(u));
    return Three(u);
}

TEST(Utf8Lanes, EncodeTakesBlocksOfAsciiAndThreeByteUnitsOnly) {
    const char16_t fits[] = {0x00, 0x41, 0x7F, 0x0800, 0x3042, 0x65E5, 0xD7FF, 0xE000, 0xFFFF, 0x1234};
    const char16_t declines[] = {0x80, 0xFF, 0x07FF, 0xD800, 0xDBFF, 0xDC00, 0xDFFF};
    std::mt19937 rng(932);
    for (int round = 0; round < 4000; ++round) {
        char16_t units[8];
        std::string want;
        for (char16_t& u : units) {
            u = fits[rng() % std::size(fits)];
            want += Utf8Of(u);
        }
        // Every block once whole; then one unit of another kind at each place.
        const int bad = round < 1000 ? -1 : static_cast<int>(rng() % 8);
        if (bad >= 0) units[bad] = declines[rng() % std::size(declines)];
        char d[32];
        const unsigned got = EncodeAsciiOrThree8(units, d);
        if (bad >= 0) {
            EXPECT_EQ(got, 0u) << "unit " << bad << " is " << static_cast<unsigned>(units[bad]);
        } else {
            ASSERT_EQ(got, want.size());
            EXPECT_EQ(std::string(d, got), want);
        }
    }
}

// The ASCII run kernels: every whole block of 16 before the first element
// from 0x80 up is taken (a kernel that stops early still converts right,
// through the slower paths), and nothing is stored past the elements taken.
struct RunKernel {
    const char* name;
    std::size_t (*widen)(const std::uint8_t*, std::size_t, char16_t*);
    std::size_t (*narrow)(const char16_t*, std::size_t, char*);
    AsciiRuns needs;
};

const RunKernel kRunKernels[] = {
    {"baseline", [](const std::uint8_t* s, std::size_t n, char16_t* d) { return zr::codepage::WidenAsciiRun(s, n, d); },
     [](const char16_t* s, std::size_t n, char* d) { return zr::codepage::NarrowAsciiRun(s, n, d); },
     AsciiRuns::kBaseline},
#if defined(ZR_SIMD_RUNTIME)
    {"AVX2", [](const std::uint8_t* s, std::size_t n, char16_t* d) { return zr::codepage::WidenAsciiRunAvx2(s, n, d); },
     [](const char16_t* s, std::size_t n, char* d) { return zr::codepage::NarrowAsciiRunAvx2(s, n, d); },
     AsciiRuns::kAvx2},
#endif
};

TEST(Utf8Lanes, AsciiRunsTakeEveryWholeBlockBeforeTheFirstOther) {
    const std::uint8_t byteBreaks[] = {0x80, 0xC3, 0xFF};
    const char16_t unitBreaks[] = {0x80, 0x100, 0x7FFF, 0x8000, 0xFFFF};
    for (const RunKernel& k : kRunKernels) {
        if (!zr::codepage::HasAsciiRuns(k.needs)) {
            std::printf("SKIPPED: %s ASCII runs: not on this processor\n", k.name);
            continue;
        }
        for (std::size_t n = 0; n <= 160; ++n) {
            for (std::size_t at = 0; at <= n; ++at) {
                const std::size_t offset = (n + at) % 32;
                std::vector<std::uint8_t> bytes(offset + n + 16, 0xEE);
                std::vector<char16_t> units(offset + n + 16, 0xEEEE);
                for (std::size_t j = 0; j < n; ++j) {
                    bytes[offset + j] = static_cast<std::uint8_t>(j % 0x80);
                    units[offset + j] = static_cast<char16_t>((j * 5) % 0x80);
                }
                if (at < n) {
                    bytes[offset + at] = byteBreaks[(n + at) % std::size(byteBreaks)];
                    units[offset + at] = unitBreaks[(n + at) % std::size(unitBreaks)];
                }
                const std::size_t expect = at / 16 * 16;
                std::vector<char16_t> wide(offset + n + 8, 0x5A5A);
                std::vector<char> narrow(offset + n + 8, 'Z');
                ASSERT_EQ(k.widen(bytes.data() + offset, n, wide.data() + offset), expect)
                    << k.name << " widening " << n << " bytes, the first other at " << at;
                ASSERT_EQ(k.narrow(units.data() + offset, n, narrow.data() + offset), expect)
                    << k.name << " narrowing " << n << " units, the first other at " << at;
                for (std::size_t j = 0; j < wide.size(); ++j) {
                    const bool taken = j >= offset && j < offset + expect;
                    ASSERT_EQ(wide[j], taken ? char16_t{bytes[j]} : char16_t{0x5A5A}) << k.name << " unit " << j;
                    ASSERT_EQ(narrow[j], taken ? static_cast<char>(units[j]) : 'Z') << k.name << " byte " << j;
                }
            }
        }
    }
}

}  // namespace
