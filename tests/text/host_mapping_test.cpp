// host_mapping_test.cpp - the text module's code page 932 mapping is the
// library's own: every pair and every BMP character checked against the
// exports it was gathered from, and the losses it reports.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support.hpp"
#include "zr_moji.h"
#include "zr_text.h"

namespace {

using zrt_test::Convert;
using zrt_test::Hex;
using zrt_test::Options;

bool IsLead(unsigned b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

TEST(HostMapping, EveryPairReadsAsTheExportReadsIt) {
    for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
        if (!IsLead(lead)) continue;
        for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
            if (trail == 0x7F) continue;
            const char pair[3] = {static_cast<char>(lead), static_cast<char>(trail), 0};
            ZR_WCHAR host[4] = {};
            ASSERT_EQ(ZR_SJisToUnicode(pair, host, 4), 2) << std::hex << lead << ' ' << trail;
            const auto r = Convert(ZRT_ENC_SJIS, ZRT_ENC_UTF16LE, std::string(pair, 2));
            if (r.status == ZRT_OK) {
                ASSERT_EQ(r.out.size(), 2u);
                EXPECT_EQ(static_cast<unsigned>(static_cast<uint8_t>(r.out[0]) | static_cast<uint8_t>(r.out[1]) << 8),
                          static_cast<unsigned>(host[0]))
                    << std::hex << lead << ' ' << trail;
            } else {
                // Refused: the host had only its default character for it.
                EXPECT_EQ(host[0], 0x30FB) << std::hex << lead << ' ' << trail;
                EXPECT_EQ(r.error.kind, ZRT_ERR_MALFORMED);
            }
        }
    }
}

TEST(HostMapping, EveryCharacterWritesAsTheExportWritesIt) {
    auto exact = Options();
    exact.exact = 1;
    int mapped = 0;
    for (unsigned c = 1; c < 0x10000; ++c) {
        // Surrogates are no characters; U+FEFF first in a text is its BOM.
        if ((c >= 0xD800 && c <= 0xDFFF) || c == 0xFEFF) continue;
        const std::string in{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        const auto r = Convert(ZRT_ENC_UTF16LE, ZRT_ENC_SJIS, in, &exact);
        const ZR_WCHAR wide[2] = {static_cast<ZR_WCHAR>(c), 0};
        char host[8] = {};
        const int n = ZR_UnicodeToSJis(wide, host, 8);
        if (r.status == ZRT_OK) {
            ++mapped;
            EXPECT_EQ(Hex(r.out), Hex(std::string(host, n > 0 ? n : 0))) << std::hex << c;
        } else {
            // A loss: the host writes '?' or a best-fit character that
            // reads back as something else.
            ASSERT_EQ(r.error.kind, ZRT_ERR_UNMAPPABLE) << std::hex << c;
            // The host also pairs U+0080 and U+F8F0..U+F8F3 with the bytes
            // 0x80, 0xA0 and 0xFD..0xFF, which no Shift_JIS form has: read
            // as malformed here, so never written either.
            const bool strayByte = c == 0x80 || (c >= 0xF8F0 && c <= 0xF8F3);
            if (n > 0 && !strayByte) {
                ZR_WCHAR back[4] = {};
                ZR_SJisToUnicode(host, back, 4);
                EXPECT_NE(back[0], static_cast<ZR_WCHAR>(c)) << std::hex << c;
            }
        }
    }
    EXPECT_GT(mapped, 7000);
}

struct LossCase {
    int32_t to;
    std::string utf8;
    uint32_t codePoint;
    const char* why;
};

const LossCase kLosses[] = {
    {ZRT_ENC_JIS, "丂", 0x4E02, "JIS X 0212 only: not in ISO-2022-JP"},
    {ZRT_ENC_JIS, "\x1b", 0x1B, "ESC would change the reader's mode"},
    {ZRT_ENC_JIS, "ｶ", 0, "(full-width by default: no loss)"},
    {ZRT_ENC_SJIS, "😀", 0x1F600, "outside the BMP"},
    {ZRT_ENC_SJIS, "é", 0xE9, "a best-fit substitute is a loss"},
    {ZRT_ENC_SJIS, "丂", 0x4E02, "JIS X 0212 only: not in code page 932"},
    {ZRT_ENC_EUCJP, "髙", 0x9AD9, "an IBM extension has no EUC-JP code"},
    {ZRT_ENC_ASCII, "ｶ", 0xFF76, "nothing above U+007F in ASCII"},
};

TEST(HostMapping, LossesAreNamed) {
    for (const auto& c : kLosses) {
        const auto r = Convert(ZRT_ENC_UTF8, c.to, c.utf8);
        if (c.codePoint == 0) {
            EXPECT_EQ(r.status, ZRT_OK) << c.why;
            continue;
        }
        EXPECT_EQ(r.status, ZRT_STOPPED) << c.why;
        EXPECT_EQ(r.error.kind, ZRT_ERR_UNMAPPABLE) << c.why;
        EXPECT_EQ(r.error.codePoint, c.codePoint) << c.why;
        EXPECT_EQ(r.error.byteCount, static_cast<int32_t>(c.utf8.size())) << c.why;
    }
}

}  // namespace
