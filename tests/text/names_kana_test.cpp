// names_kana_test.cpp - encoding names, katakana width and the variant pairs.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "zr_text.h"

namespace {

struct NameCase {
    const char* name;
    int32_t want;
    const char* why;
};

constexpr NameCase kNameCases[] = {
    {"cp932", ZRT_ENC_SJIS, "code page number"},
    {"MS932", ZRT_ENC_SJIS, "case-insensitive"},
    {"Windows-31J", ZRT_ENC_SJIS, "IANA name of code page 932"},
    {"Shift_JIS", ZRT_ENC_SJIS, "canonical"},
    {"sjis", ZRT_ENC_SJIS, "short form"},
    {"euc-jp", ZRT_ENC_EUCJP, "canonical"},
    {"eucJP", ZRT_ENC_EUCJP, "mixed case without dash"},
    {"ujis", ZRT_ENC_EUCJP, "Unix name"},
    {"ISO-2022-JP", ZRT_ENC_JIS, "canonical"},
    {"jis", ZRT_ENC_JIS, "short form"},
    {"UTF-8", ZRT_ENC_UTF8, "canonical"},
    {"utf8", ZRT_ENC_UTF8, "without dash"},
    {"utf-16", ZRT_ENC_UTF16, "order from the BOM"},
    {"UTF-16LE", ZRT_ENC_UTF16LE, "little-endian"},
    {"utf-16be", ZRT_ENC_UTF16BE, "big-endian"},
    {"utf-7", ZRT_ENC_UTF7, "canonical"},
    {"ascii", ZRT_ENC_ASCII, "plain"},
    {"", ZRT_ENC_NONE, "empty"},
    {"utf-8x", ZRT_ENC_NONE, "a known name with more after it"},
    {"utf-", ZRT_ENC_NONE, "a prefix of a known name"},
    {"latin1", ZRT_ENC_NONE, "not a Japanese encoding"},
};

TEST(EncodingNames, UserSpellings) {
    for (const auto& c : kNameCases) {
        EXPECT_EQ(ZRT_EncodingFromName(c.name), c.want) << c.name << ": " << c.why;
    }
    EXPECT_EQ(ZRT_EncodingFromName(nullptr), ZRT_ENC_NONE);
}

TEST(EncodingNames, ListingCoversEveryEncodingAndReadsBack) {
    std::vector<bool> seen(ZRT_ENC_COUNT);
    for (int32_t i = 0; i < ZRT_NameCount(); ++i) {
        const char* name = nullptr;
        const char* canonical = nullptr;
        const int32_t id = ZRT_NameAt(i, &name, &canonical);
        ASSERT_NE(id, ZRT_ENC_NONE) << i;
        EXPECT_EQ(ZRT_EncodingFromName(name), id) << name;
        EXPECT_STREQ(ZRT_EncodingName(id), canonical) << name;
        seen[id] = true;
    }
    for (int32_t id = 1; id < ZRT_ENC_COUNT; ++id) EXPECT_TRUE(seen[id]) << id;
    EXPECT_EQ(ZRT_NameAt(-1, nullptr, nullptr), ZRT_ENC_NONE);
    EXPECT_EQ(ZRT_NameAt(ZRT_NameCount(), nullptr, nullptr), ZRT_ENC_NONE);
}

using U32 = std::u32string;

U32 Full(const U32& s) {
    std::vector<uint32_t> in(s.begin(), s.end());
    const size_t n = ZRT_KanaToFullwidth(in.data(), in.size(), nullptr, 0);
    std::vector<uint32_t> out(n);
    EXPECT_EQ(ZRT_KanaToFullwidth(in.data(), in.size(), out.data(), out.size()), n);
    return U32(out.begin(), out.end());
}

U32 Half(const U32& s) {
    std::vector<uint32_t> in(s.begin(), s.end());
    const size_t n = ZRT_KanaToHalfwidth(in.data(), in.size(), nullptr, 0);
    std::vector<uint32_t> out(n);
    EXPECT_EQ(ZRT_KanaToHalfwidth(in.data(), in.size(), out.data(), out.size()), n);
    return U32(out.begin(), out.end());
}

struct WidthCase {
    U32 half;
    U32 full;
    bool backToHalf;  // full -> half gives `half` again
    const char* why;
};

const WidthCase kWidthCases[] = {
    {U"ｶﾀｶﾅ", U"カタカナ", true, "plain kana"},
    {U"ｶﾞ", U"ガ", true, "voiced mark combined"},
    {U"ﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟ", U"パピプペポ", true, "semi-voiced row"},
    {U"ﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞ", U"バビブベボ", true, "voiced H row"},
    {U"ﾂﾞﾃﾞﾄﾞ", U"ヅデド", true, "TSU has a voiced form"},
    {U"ｳﾞ", U"ヴ", true, "VU from U"},
    {U"ｯﾞ", U"ッ゛", true, "small TSU has no voiced form: the mark stays a mark"},
    {U"ﾜﾞ", U"ワ゛", true, "VA is not in JIS X 0208: not combined"},
    {U"ｱﾟ", U"ア゜", true, "no semi-voiced A"},
    {U"ﾞｶ", U"゛カ", true, "a mark first stands alone"},
    {U"ｰ･", U"ー・", true, "prolonged sound mark and middle dot"},
    {U"｡｢｣､", U"。「」、", false, "punctuation widens but is not narrowed back"},
    {U"aｶ漢", U"aカ漢", true, "others copied"},
    {U"ｧｨｩｪｫｬｭｮｯ", U"ァィゥェォャュョッ", true, "small kana"},
    {U"ｦﾝ", U"ヲン", true, "WO and N"},
};

TEST(KanaWidth, BothWays) {
    for (const auto& c : kWidthCases) {
        EXPECT_EQ(Full(c.half), c.full) << c.why;
        if (c.backToHalf) {
            EXPECT_EQ(Half(c.full), c.half) << c.why;
        }
    }
}

TEST(KanaWidth, EveryHalfwidthKanaWidensAndNarrowsBack) {
    for (uint32_t h = 0xFF65; h <= 0xFF9F; ++h) {
        const U32 one(1, static_cast<char32_t>(h));
        const U32 full = Full(one);
        ASSERT_EQ(full.size(), 1u) << std::hex << h;
        EXPECT_TRUE(full[0] >= 0x3000 && full[0] < 0x3100) << std::hex << h;
        EXPECT_EQ(Half(full), one) << std::hex << h;
    }
}

TEST(KanaWidth, ShortDestinationReportsTheWholeLength) {
    const uint32_t in[] = {0x30AC, 0x30AC};  // ガガ -> four half-width
    uint32_t out[3] = {0, 0, 0};
    EXPECT_EQ(ZRT_KanaToHalfwidth(in, 2, out, 3), 4u);
    EXPECT_EQ(out[2], 0xFF76u);
}

TEST(VariantPairs, ListAndMappingAgree) {
    ASSERT_EQ(ZRT_VariantPairCount(), 7);
    for (int32_t i = 0; i < ZRT_VariantPairCount(); ++i) {
        uint32_t jis = 0, cp = 0;
        ASSERT_EQ(ZRT_VariantPairAt(i, &jis, &cp), 1);
        EXPECT_EQ(ZRT_VariantToCp932(jis), cp);
        EXPECT_EQ(ZRT_VariantToJis(cp), jis);
        EXPECT_EQ(ZRT_VariantToCp932(cp), cp);
    }
    EXPECT_EQ(ZRT_VariantPairAt(7, nullptr, nullptr), 0);
    EXPECT_EQ(ZRT_VariantToCp932(0x3042), 0x3042u);
}

}  // namespace
