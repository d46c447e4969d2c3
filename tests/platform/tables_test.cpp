// tables_test.cpp - the committed code page 932 tables and their two encode
// tables kept apart (the generator's --check keeps them current).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/codepage.hpp"

namespace tables {
#include "codepage/cp932_tables.inc"
}

namespace {

using zr::platform::CodePage;

// Decodes a code of the encode tables (lead byte high) through the converter.
char16_t DecodeCode(std::uint16_t code) {
    char in[3] = {};
    if (code < 0x100) {
        in[0] = static_cast<char>(code);
    } else {
        in[0] = static_cast<char>(code >> 8);
        in[1] = static_cast<char>(code & 0xFF);
    }
    char16_t out[4] = {};
    const int r = zr::platform::MultiByteToWide(CodePage::kCp932, in, out, 4);
    return r == 2 ? out[0] : char16_t(0xFFFF);
}

TEST(Cp932Tables, RoundTripEntriesDecodeBack) {
    int entries = 0;
    int bad = 0;
    for (unsigned u = 1; u < 0x10000; ++u) {
        const std::uint16_t code = tables::kCp932UnitToCode[u];
        if (code == tables::kCp932NoCode) continue;
        ++entries;
        if (DecodeCode(code) != u) ++bad;
    }
    EXPECT_EQ(entries + 1, 9402) << "U+0000 is the one entry not looked at";
    EXPECT_EQ(bad, 0);
}

TEST(Cp932Tables, BestFitEntriesAreOneWay) {
    EXPECT_EQ(std::size(tables::kCp932BestFit), 84u);
    for (const auto& bf : tables::kCp932BestFit) {
        EXPECT_EQ(tables::kCp932UnitToCode[bf.unit], tables::kCp932NoCode) << std::hex << bf.unit;
        EXPECT_NE(DecodeCode(bf.code), bf.unit) << std::hex << bf.unit;
        // The converter still writes the best-fit code.
        const char16_t in[2] = {bf.unit, 0};
        char out[4] = {};
        const int r = zr::platform::WideToMultiByte(CodePage::kCp932, in, out, 4);
        const std::uint16_t got = r == 2 ? static_cast<std::uint8_t>(out[0])
                                         : static_cast<std::uint16_t>((static_cast<std::uint8_t>(out[0]) << 8) |
                                                                      static_cast<std::uint8_t>(out[1]));
        EXPECT_EQ(got, bf.code) << std::hex << bf.unit;
    }
}

}  // namespace
