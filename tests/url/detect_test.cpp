// detect_test.cpp - scheme test, JIS marker, unescaping, byte tests and the
// order of detection.
#include <gtest/gtest.h>

#include <string>

#include "url/url.hpp"
#include "url_test_util.hpp"
#include "zr_moji.h"

using zr_url_test::Show;
using zr_url_test::W;
using zr_url_test::Widen;

namespace {

struct SchemeCase {
    const char* url;
    int want;
    const char* why;
};

constexpr SchemeCase kSchemes[] = {
    {"http://example.jp/", 1, "first slot"},
    {"https:x", 1, "https is not taken for http plus junk"},
    {"ftp:", 1, "scheme alone"},
    {"telnet:host", 1, "telnet"},
    {"mailto:a@b", 1, "mailto"},
    {"gopher:", 1, "gopher"},
    {"file:///c/", 1, "file"},
    {"news:x", 1, "last slot"},
    {"HTTP:x", 0, "case-sensitive"},
    {"Https:x", 0, "case-sensitive on the first letter only"},
    {"mailto", 0, "no colon"},
    {"http", 0, "URL ends inside the scheme"},
    {" http:", 0, "leading space"},
    {"xhttp:", 0, "only the start counts"},
    {"httpx:", 0, "colon must follow the scheme"},
    {"", 0, "empty"},
};

TEST(UrlIsProtocol, MatchesTheListAtTheStartOnly) {
    for (const auto& c : kSchemes) {
        EXPECT_EQ(ZR_URL_IsProtocolA(c.url), c.want) << c.why;
        EXPECT_EQ(ZR_URL_IsProtocolW(W(Widen(c.url))), c.want) << c.why;
    }
}

TEST(UrlIsProtocol, WideFormComparesWholeUnits) {
    // U+0168 has the low byte of 'h'; only the unit 'h' itself matches.
    EXPECT_EQ(ZR_URL_IsProtocolW(W(u"\u0168ttp:x")), 0);
    EXPECT_EQ(ZR_URL_IsProtocolW(W(u"http\uFF1Ax")), 0) << "full-width colon";
}

struct MarkerCase {
    const char* url;
    int want;
    const char* why;
};

constexpr MarkerCase kMarkers[] = {
    {"%1B%24B0%21%1B%28B", 1, "at the start"},
    {"a%1B%24Bb", 1, "after other text"},
    {"abc%1B%24B", 1, "at the very end"},
    {"%1b%24b", 0, "lower-case digits do not count"},
    {"%1B%24b", 0, "lower-case final letter"},
    {"%1B%24", 0, "cut short by the end"},
    {"%1B%28B", 0, "kanji-out alone"},
    {"%1B$B", 0, "not escaped"},
    {"", 0, "empty"},
};

TEST(UrlIsJisEncode, FindsTheUpperCaseMarkerAnywhere) {
    for (const auto& c : kMarkers) {
        EXPECT_EQ(ZR_URL_IsJisEncodeA(c.url), c.want) << c.why;
        EXPECT_EQ(ZR_URL_IsJisEncodeW(W(Widen(c.url))), c.want) << c.why;
    }
    // U+0125 has the low byte of '%' but is not '%'.
    EXPECT_EQ(ZR_URL_IsJisEncodeW(W(u"\u01251B%24B")), 0);
}

// ---- unescaping ---------------------------------------------------------------

struct UnescapeCase {
    const char* src;
    long limit;    // -1: the length of src
    long outSize;  // -1: length + 1
    std::string want;
    std::size_t result;
    const char* why;
};

const UnescapeCase kUnescapes[] = {
    {"a+b%20c", -1, -1, "a b c", 5, "'+' and %20 both give a space"},
    {"%e3%81%82", -1, -1, "\xE3\x81\x82", 3, "lower-case digits"},
    {"%aB%Cd", -1, -1, "\xAB\xCD", 2, "mixed-case digits"},
    {"%2B%25", -1, -1, "+%", 2, "escaped '+' and '%' are plain bytes"},
    {"ab%00cd", -1, -1, std::string("ab\0cd", 5), 2, "%00 ends the result, the walk goes on"},
    {"%00abc", -1, -1, std::string("\0abc", 4), 0, "%00 first: empty result"},
    {"%G1xyz", -1, -1, "", 0, "invalid first digit stops at once"},
    {"ab%4Gcd", -1, -1, "ab", 2, "invalid second digit"},
    {"ab%", -1, -1, "ab", 2, "'%' at the end"},
    {"ab%4", -1, -1, "ab", 2, "one digit at the end"},
    {"%%41", -1, -1, "", 0, "'%' is not a digit"},
    {"%41%42%43", 4, -1, "AB", 2, "the limit counts URL characters"},
    {"abc", 3, 3, "ab", 2, "the output keeps room for the terminator"},
    {"abc", -1, 1, "", 0, "one byte holds only the terminator"},
};

TEST(UrlUnescape, DecodesUntilTheFirstInvalidEscape) {
    for (const auto& c : kUnescapes) {
        const std::string src = c.src;
        const std::size_t limit = c.limit < 0 ? src.size() : static_cast<std::size_t>(c.limit);
        const std::size_t size = c.outSize < 0 ? src.size() + 1 : static_cast<std::size_t>(c.outSize);
        // One guard byte past the span: it must stay untouched.
        std::vector<std::uint8_t> out(size + 1, 0xEE);
        const auto r = zr::url::URL_UnescapeA(src.c_str(), std::span(out.data(), size), limit);
        EXPECT_EQ(r, c.result) << c.why;
        EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(c.want.size())), c.want) << c.why;
        EXPECT_EQ(out[c.want.size()], 0) << c.why << ": terminated after the last byte";
        EXPECT_EQ(out[size], 0xEE) << c.why;

        const std::u16string wide = Widen(src);
        std::vector<std::uint8_t> outW(size + 1, 0xEE);
        EXPECT_EQ(zr::url::URL_UnescapeW(wide.c_str(), std::span(outW.data(), size), limit), c.result) << c.why;
        EXPECT_EQ(outW, out) << c.why << ": W and A forms agree";
    }
}

TEST(UrlUnescape, WideFormKeepsTheLowEightBits) {
    struct Case {
        std::u16string src;
        std::string want;
        const char* why;
    };
    const Case cases[] = {
        {u"\u012B", "\x2B", "U+012B is the byte 0x2B, not a space"},
        {u"\uFF82\uFFA0", "\x82\xA0", "units widened with their sign"},
        {u"\u0082\u00A0", "\x82\xA0", "units widened without sign"},
        {u"%4\u0131", "", "U+0131 is not the digit 1"},
        {u"a\u0100b", "a", "U+0100 stands for the byte 0"},
    };
    for (const auto& c : cases) {
        std::vector<std::uint8_t> out(c.src.size() + 1, 0xEE);
        const auto r = zr::url::URL_UnescapeW(c.src.c_str(), out, c.src.size());
        EXPECT_EQ(std::string(out.begin(), out.begin() + static_cast<long>(r)), c.want) << c.why;
    }
}

TEST(UrlUnescape, EmptyOutputWritesNothing) {
    std::uint8_t guard = 0xEE;
    EXPECT_EQ(zr::url::URL_UnescapeA("abc", std::span(&guard, 0), 3), 0u);
    EXPECT_EQ(guard, 0xEE);
}

// ---- byte tests and detection -------------------------------------------------

struct DetectCase {
    const char* url;
    int sjis, euc, utf8, type;
    const char* why;
};

const DetectCase kDetects[] = {
    {"abc%20def", 0, 0, 0, -1, "printable ASCII is neutral in every test"},
    {"a+b", 0, 0, 0, -1, "'+' is a space"},
    {"", 0, 0, 0, -1, "empty"},
    {"%E3%81%82", 1, 0, 1, 3, "UTF-8 also passes Shift_JIS; UTF-8 wins"},
    {"%e3%81%82", 1, 0, 1, 3, "lower case unescapes alike"},
    {"%A4%A2", 0, 1, 0, 2, "EUC-JP only: 0xA2 after 0xA4 faults Shift_JIS"},
    {"%82%A0", 1, 0, 0, 1, "Shift_JIS only"},
    {"%C4%A1", 0, 1, 1, 3, "UTF-8 and EUC-JP; UTF-8 is tried first"},
    {"%B1", 1, 1, 0, 2, "lone katakana byte: EUC-JP before Shift_JIS"},
    {"%E0", 1, 0, 0, 1, "the terminator stands in for the trail byte"},
    {"%FF", 1, 0, 0, 1, "upper byte before the end"},
    {"%80%40", 1, 0, 0, 1, "0x80 with a low byte after it"},
    {"%82%A0%E0%E0", 0, 0, 0, -1, "0xE0 before a high byte faults"},
    {"%A0%A1", 0, 0, 0, -1, "0xA0 is no EUC-JP byte"},
    {"%A1%DF", 0, 1, 0, 2, "EUC-JP range ends"},
    {"%E3%81", 1, 0, 0, 1, "UTF-8 cut short by the end"},
    {"%E3%81%41", 1, 0, 0, 1, "UTF-8 cut short by an ASCII byte"},
    {"%C0%80", 1, 1, 1, 3, "over-long form passes UTF-8 (and EUC-JP)"},
    {"%F0%9F%98%80", 1, 0, 1, 3, "four-byte form"},
    {"%F8%88%80%80%80", 1, 0, 1, 3, "five-byte form"},
    {"%FC%84%80%80%80%80", 1, 0, 1, 3, "six-byte form"},
    {"%FE", 1, 0, 0, 1, "0xFE starts no UTF-8 sequence"},
    {"%82%A0%0A", 0, 0, 0, -1, "line feed faults every test"},
    {"%82%A0\tx", 0, 0, 0, -1, "literal tab faults every test"},
    {"%82%A0%ZZ%FF", 1, 0, 0, 1, "tested as far as the invalid escape"},
    {"%82%A0%", 1, 0, 0, 1, "trailing '%'"},
    {"%82%A0%00%0A", 1, 0, 0, 1, "%00 ends what is tested"},
    {"\x82\xA0", 1, 0, 0, 1, "raw bytes count as they stand"},
    {"a%1B%24Bb", 0, 0, 0, 0, "marker wins; ESC faults every byte test"},
    {"%1B%24B0%21%1B%28B", 0, 0, 0, 0, "JIS URL"},
    {"%1b%24b0%21%1b%28b", 0, 0, 0, -1, "lower-case JIS has no encode type"},
    {"%1B%24B%E3%81%82", 0, 0, 0, 0, "marker before UTF-8"},
};

TEST(UrlByteTests, HitsAndFaults) {
    for (const auto& c : kDetects) {
        const std::u16string w = Widen(c.url);
        EXPECT_EQ(ZR_URL_IsSJisEncodeA(c.url), c.sjis) << c.why << " " << Show(c.url);
        EXPECT_EQ(ZR_URL_IsEucEncodeA(c.url), c.euc) << c.why << " " << Show(c.url);
        EXPECT_EQ(ZR_URL_IsUtf8EncodeA(c.url), c.utf8) << c.why << " " << Show(c.url);
        EXPECT_EQ(ZR_URL_IsSJisEncodeW(W(w)), c.sjis) << c.why << " " << Show(c.url);
        EXPECT_EQ(ZR_URL_IsEucEncodeW(W(w)), c.euc) << c.why << " " << Show(c.url);
        EXPECT_EQ(ZR_URL_IsUtf8EncodeW(W(w)), c.utf8) << c.why << " " << Show(c.url);
    }
}

TEST(UrlEncodeType, FixedOrderDecidesOverlaps) {
    for (const auto& c : kDetects) {
        EXPECT_EQ(ZR_URL_EncodeTypeA(c.url), c.type) << c.why << " " << Show(c.url);
        EXPECT_EQ(ZR_URL_EncodeTypeW(W(Widen(c.url))), c.type) << c.why << " " << Show(c.url);
    }
}

// A URL longer than the detectors' own buffer (they unescape into scratch
// then) is judged as the same URL after a short ASCII path.
TEST(UrlEncodeType, LongUrlsAreJudgedAsShortOnes) {
    for (const auto& c : kDetects) {
        for (const std::string& path : {std::string("x/"), std::string(3000, 'x') + "/"}) {
            const std::string url = path + c.url;
            const std::u16string w = Widen(url);
            EXPECT_EQ(ZR_URL_IsSJisEncodeA(url.c_str()), ZR_URL_IsSJisEncodeA(("x/" + std::string(c.url)).c_str()))
                << c.why;
            EXPECT_EQ(ZR_URL_EncodeTypeA(url.c_str()), ZR_URL_EncodeTypeA(("x/" + std::string(c.url)).c_str())) << c.why;
            EXPECT_EQ(ZR_URL_EncodeTypeW(W(w)), ZR_URL_EncodeTypeA(("x/" + std::string(c.url)).c_str())) << c.why;
            EXPECT_EQ(ZR_URL_IsUtf8EncodeW(W(w)), ZR_URL_IsUtf8EncodeA(("x/" + std::string(c.url)).c_str())) << c.why;
        }
    }
    const std::string utf8 = std::string(2000, 'x') + "%E3%81%82";
    EXPECT_EQ(ZR_URL_EncodeTypeA(utf8.c_str()), ZR_ENCODE_UTF8);
}

TEST(UrlEncodeType, WideUnitsAboveLatin1StandForTheirLowByte) {
    EXPECT_EQ(ZR_URL_EncodeTypeW(W(u"\uFF82\uFFA0")), ZR_ENCODE_SJIS);
    EXPECT_EQ(ZR_URL_EncodeTypeW(W(u"%82%A0\u010A")), ZR_ENCODE_NONE) << "low byte 0x0A faults";
}

TEST(UrlTests, NullUrlIsRefused) {
    EXPECT_EQ(ZR_URL_IsProtocolA(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsProtocolW(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsJisEncodeA(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsJisEncodeW(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsSJisEncodeA(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsSJisEncodeW(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsEucEncodeA(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsEucEncodeW(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsUtf8EncodeA(nullptr), 0);
    EXPECT_EQ(ZR_URL_IsUtf8EncodeW(nullptr), 0);
    EXPECT_EQ(ZR_URL_EncodeTypeA(nullptr), ZR_ENCODE_NONE);
    EXPECT_EQ(ZR_URL_EncodeTypeW(nullptr), ZR_ENCODE_NONE);
}

}  // namespace
