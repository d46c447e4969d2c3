// encode_test.cpp - URL encoding in the four encodings, its capacity rule,
// and round trips through the decoders.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "url/url.hpp"
#include "url_test_util.hpp"
#include "zr_moji.h"

using zr_url_test::Buffer;
using zr_url_test::Show;
using zr_url_test::W;
using zr_url_test::Widen;

namespace {

struct EncodeWCase {
    std::u16string text;
    int32_t type;
    std::u16string want;
    const char* why;
};

const EncodeWCase kEncodeW[] = {
    {u"\u3042", ZR_ENCODE_UTF8, u"%E3%81%82", "hiragana in UTF-8"},
    {u"\u3042", ZR_ENCODE_EUC, u"%A4%A2", "hiragana in EUC-JP"},
    {u"\u3042", ZR_ENCODE_SJIS, u"%82%A0", "hiragana in Shift_JIS"},
    {u"\u3042", ZR_ENCODE_JIS, u"%1B%24B%24%22%1B%28B", "JIS bytes '$' and '\"' are escaped"},
    {u"\u4E9C", ZR_ENCODE_JIS, u"%1B%24B0%21%1B%28B", "JIS byte '0' is safe, written as itself"},
    {u"a\u4E9Cb", ZR_ENCODE_JIS, u"a%1B%24B0%21%1B%28Bb", "designations around the kanji run"},
    {u"\u4E9C\u3042", ZR_ENCODE_JIS, u"%1B%24B0%21%24%22%1B%28B", "one run, one pair of designations"},
    {u"\u30A2", ZR_ENCODE_SJIS, u"%83A", "safe trail byte as itself"},
    {u"\u30BD", ZR_ENCODE_SJIS, u"%83%5C", "backslash trail byte escaped"},
    {u"\u30A2", ZR_ENCODE_EUC, u"%A5%A2", "katakana in EUC-JP"},
    {u"\u30A2", ZR_ENCODE_UTF8, u"%E3%82%A2", "katakana in UTF-8"},
    {u"\u65E5", ZR_ENCODE_EUC, u"%C6%FC", "EUC-JP byte 0xFC takes the plain rule, which escapes it"},
    {u"\u3084", ZR_ENCODE_EUC, u"%A4%E4", "EUC-JP byte 0xE4 escaped"},
    {u"\u65E5\u672C", ZR_ENCODE_EUC, u"%C6%FC%CB%DC", "no raw byte inside a kanji run"},
    {u"\uFF71", ZR_ENCODE_SJIS, u"%B1", "half-width katakana escaped on the plain path"},
    {u"\uFF71", ZR_ENCODE_JIS, u"%B1", "half-width katakana in JIS single-byte mode escaped"},
    {u"\uFF71", ZR_ENCODE_EUC, u"%B1", "0xB1 is an EUC-JP byte"},
    {u"\uFF71", ZR_ENCODE_UTF8, u"%EF%BD%B1", "UTF-8 of U+FF71"},
    {u"\u6771\u4EAC abc", ZR_ENCODE_UTF8, u"%E6%9D%B1%E4%BA%AC+abc", "space as '+'"},
    {u"\uE000", ZR_ENCODE_JIS, u"%1B%24B%1B%28B", "user-defined char: closing designation added"},
    {u"\u4E9C\uE000", ZR_ENCODE_JIS, u"%1B%24B0%21%1B%28B", "conversion stops in double-byte mode"},
    {u"\x1B$B\x01", ZR_ENCODE_JIS, u"%1B%24B%01%1B%28B", "a control byte keeps two hex digits"},
};

struct EncodeACase {
    std::string text;
    int32_t type;
    std::string want;
    const char* why;
};

const EncodeACase kEncodeA[] = {
    {"a b", ZR_ENCODE_SJIS, "a+b", "space as '+'"},
    {"\x82\xA0", ZR_ENCODE_SJIS, "%82%A0", "hiragana"},
    {"\x83\x41", ZR_ENCODE_SJIS, "%83A", "safe trail byte"},
    {"\x83\x5C", ZR_ENCODE_SJIS, "%83%5C", "backslash trail byte"},
    {"\xB1", ZR_ENCODE_SJIS, "%B1", "half-width katakana escaped on the plain path"},
    {"a\x82", ZR_ENCODE_SJIS, "a%82", "lead byte before the terminator escaped on the plain path"},
    {"\x80\xA0\xFD\xFF", ZR_ENCODE_SJIS, "%80%A0%FD%FF", "bytes that start no pair"},
    {"\x88\x9F", ZR_ENCODE_JIS, "%1B%24B0%21%1B%28B", "kanji in JIS"},
    {"\xB1", ZR_ENCODE_JIS, "%B1", "half-width katakana in JIS"},
    {"a\xB1\x88\x9F", ZR_ENCODE_JIS, "a%B1%1B%24B0%21%1B%28B", "half-width katakana before a kanji run"},
    {"\x82\xA0", ZR_ENCODE_EUC, "%A4%A2", "hiragana in EUC-JP"},
    {"\x93\xFA", ZR_ENCODE_EUC, "%C6%FC", "EUC-JP byte 0xFC escaped on the plain path"},
    {"\x82\xE2", ZR_ENCODE_EUC, "%A4%E4", "EUC-JP byte 0xE4 escaped on the plain path"},
    {"\x82\xA0", ZR_ENCODE_UTF8, "%E3%81%82", "hiragana in UTF-8"},
    {"\xB1", ZR_ENCODE_UTF8, "%EF%BD%B1", "half-width katakana in UTF-8"},
    {"\x1B$B\x01", ZR_ENCODE_JIS, "%1B%24B%01%1B%28B", "a control byte keeps two hex digits"},
    {"\x1B$@!!\x1B(J", ZR_ENCODE_JIS, "%1B%24B%21%21%1B%28B", "ESC $ @ and ESC ( J in the one form each"},
    {"\x1B$(D!!", ZR_ENCODE_JIS, "%1B%24B%21%21%1B%28B", "four-byte kanji-in skipped whole"},
    {"\x1B&@\x1B$B!!", ZR_ENCODE_JIS, "%1B%24B%21%21%1B%28B", "six-byte kanji-in written once"},
};

// ASCII that the plain rule leaves alone, in every encoding.
const char* const kPlainAscii[] = {"a/b?c=d&e", "1+1", "100%", "a~b", "tab\there", "line\nfeed", "@*-._"};

TEST(UrlEscapeByte, SafeBytesAsThemselvesOthersAsTwoUpperCaseDigits) {
    const std::string safe = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789*-.@_";
    for (int b = 1; b < 256; ++b) {
        const auto byte = static_cast<std::uint8_t>(b);
        char a[4] = {};
        char16_t w[4] = {};
        const int na = zr::url::URL_EscapeByteA(byte, a);
        EXPECT_EQ(zr::url::URL_EscapeByteW(byte, w), na) << b;
        if (safe.find(static_cast<char>(b)) != std::string::npos) {
            EXPECT_EQ(na, 1) << b;
            EXPECT_EQ(static_cast<unsigned char>(a[0]), b);
        } else {
            char want[4];
            std::snprintf(want, sizeof want, "%%%02X", b);
            EXPECT_EQ(std::string(a, 3), want) << b;
        }
        for (int k = 0; k < na; ++k) EXPECT_EQ(w[k], static_cast<char16_t>(static_cast<unsigned char>(a[k]))) << b;
    }
}

TEST(UrlEncodeW, EscapesEachEncoding) {
    for (const auto& c : kEncodeW) {
        Buffer<char16_t> out(64);
        EXPECT_EQ(ZR_URL_EncodeW(W(c.text), out.w(), 64, c.type), static_cast<int32_t>(c.want.size())) << c.why;
        EXPECT_EQ(out.Text(), c.want) << c.why << ": " << Show(out.Text());
        // Nothing is cleared after the terminator.
        EXPECT_EQ(out.data[c.want.size() + 1], u'Z') << c.why;
    }
}

TEST(UrlEncodeA, EscapesEachEncoding) {
    for (const auto& c : kEncodeA) {
        Buffer<char> out(64);
        EXPECT_EQ(ZR_URL_EncodeA(c.text.c_str(), out.get(), 64, c.type), static_cast<int32_t>(c.want.size()))
            << c.why;
        EXPECT_EQ(out.Text(), c.want) << c.why << ": " << Show(out.Text());
    }
}

TEST(UrlEncode, PlainAsciiPassesUnescaped) {
    for (const char* text : kPlainAscii) {
        for (int32_t type = 0; type <= 3; ++type) {
            Buffer<char16_t> w(64);
            EXPECT_EQ(ZR_URL_EncodeW(W(Widen(text)), w.w(), 64, type), static_cast<int32_t>(std::strlen(text)))
                << Show(text) << " type " << type;
            EXPECT_EQ(w.Text(), Widen(text)) << Show(text) << " type " << type;
            Buffer<char> a(64);
            EXPECT_EQ(ZR_URL_EncodeA(text, a.get(), 64, type), static_cast<int32_t>(std::strlen(text)))
                << Show(text) << " type " << type;
            EXPECT_EQ(a.Text(), text) << Show(text) << " type " << type;
        }
    }
}

TEST(UrlEncode, EmptyTextAndUnknownTypes) {
    for (int32_t type = 0; type <= 3; ++type) {
        Buffer<char16_t> w(8);
        EXPECT_EQ(ZR_URL_EncodeW(W(u""), w.w(), 8, type), -1) << "type " << type;
        EXPECT_TRUE(w.Untouched()) << "type " << type;
        Buffer<char> a(8);
        if (type == ZR_ENCODE_SJIS) {
            // No conversion to refuse it: the empty URL.
            EXPECT_EQ(ZR_URL_EncodeA("", a.get(), 8, type), 0);
            EXPECT_EQ(a.data[0], '\0');
            EXPECT_EQ(a.data[1], 'Z');
        } else {
            EXPECT_EQ(ZR_URL_EncodeA("", a.get(), 8, type), -1) << "type " << type;
            EXPECT_TRUE(a.Untouched()) << "type " << type;
        }
    }
    for (int32_t type : {-1, 4, 100}) {
        Buffer<char16_t> w(8);
        EXPECT_EQ(ZR_URL_EncodeW(W(u"\u3042"), w.w(), 8, type), -1) << "type " << type;
        EXPECT_TRUE(w.Untouched());
        Buffer<char> a(8);
        EXPECT_EQ(ZR_URL_EncodeA("\x82\xA0", a.get(), 8, type), -1) << "type " << type;
        EXPECT_TRUE(a.Untouched());
    }
}

TEST(UrlEncode, NothingConvertedIsPassedOnUntouched) {
    // The user-defined character stops the JIS step right after ESC $ B, and
    // the EUC-JP step makes nothing of that: the conversion's 0 comes back.
    Buffer<char16_t> w(16);
    EXPECT_EQ(ZR_URL_EncodeW(W(u"\uE000"), w.w(), 16, ZR_ENCODE_EUC), 0);
    EXPECT_TRUE(w.Untouched());
}

TEST(UrlEncode, BadArgumentsAreRefusedUntouched) {
    Buffer<char16_t> w(8);
    Buffer<char> a(8);
    EXPECT_EQ(ZR_URL_EncodeW(nullptr, w.w(), 8, 1), -1);
    EXPECT_EQ(ZR_URL_EncodeW(W(u"a"), nullptr, 8, 1), -1);
    EXPECT_EQ(ZR_URL_EncodeW(W(u"a"), w.w(), -1, 1), -1);
    EXPECT_EQ(ZR_URL_EncodeA(nullptr, a.get(), 8, 1), -1);
    EXPECT_EQ(ZR_URL_EncodeA("a", nullptr, 8, 1), -1);
    EXPECT_EQ(ZR_URL_EncodeA("a", a.get(), -1, 1), -1);
    EXPECT_TRUE(w.Untouched());
    EXPECT_TRUE(a.Untouched());
}

// Every size below the one that fits fails whole: -1, an empty string, and
// nothing written at or past dstSize (the buffers are exactly dstSize long).
TEST(UrlEncode, CapacityExactlyFitsOrFailsWhole) {
    for (const auto& c : kEncodeW) {
        const auto len = static_cast<int32_t>(c.want.size());
        for (int32_t size = 0; size <= len + 1; ++size) {
            Buffer<char16_t> out(size);
            const int32_t r = ZR_URL_EncodeW(W(c.text), out.w(), size, c.type);
            if (size == len + 1) {
                EXPECT_EQ(r, len) << c.why;
                EXPECT_EQ(out.Text(), c.want) << c.why;
            } else if (size == 0) {
                EXPECT_EQ(r, -1) << c.why;
                EXPECT_TRUE(out.Untouched()) << c.why << ": dstSize 0 writes nothing";
            } else {
                EXPECT_EQ(r, -1) << c.why << " dstSize " << size;
                EXPECT_EQ(out.data[0], u'\0') << c.why << " dstSize " << size;
            }
        }
    }
    for (const auto& c : kEncodeA) {
        const auto len = static_cast<int32_t>(c.want.size());
        for (int32_t size = 0; size <= len + 1; ++size) {
            Buffer<char> out(size);
            const int32_t r = ZR_URL_EncodeA(c.text.c_str(), out.get(), size, c.type);
            if (size == len + 1) {
                EXPECT_EQ(r, len) << c.why;
                EXPECT_EQ(out.Text(), c.want) << c.why;
            } else if (size == 0) {
                EXPECT_EQ(r, -1) << c.why;
                EXPECT_TRUE(out.Untouched()) << c.why;
            } else {
                EXPECT_EQ(r, -1) << c.why << " dstSize " << size;
                EXPECT_EQ(out.data[0], '\0') << c.why << " dstSize " << size;
            }
        }
    }
}

// ---- round trips ----------------------------------------------------------------

using DecodeWFn = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t);
using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);
const DecodeWFn kDecodeW[] = {ZR_URL_DecodeJisW, ZR_URL_DecodeSJisW, ZR_URL_DecodeEucW, ZR_URL_DecodeUtf8W};
const DecodeAFn kDecodeA[] = {ZR_URL_DecodeJisA, ZR_URL_DecodeSJisA, ZR_URL_DecodeEucA, ZR_URL_DecodeUtf8A};

// Japanese text without '%', '+' or half-width katakana, which the plain
// rule would leave for the decoders to misread.
const std::u16string kRoundTrips[] = {
    u"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8",  // 日本語のテキスト
    u"\u6771\u4EAC\u90FD \u6E2F\u533A 1-2-3",              // 東京都 港区 1-2-3
    u"abc\u4E9Cdef",
    u"\u691C\u7D22?q=\u65E5\u672C&x=1/y",                  // 検索?q=日本&x=1/y
    u"\u30FC\u30FB\u300C\u300D\u3001\u3002",              // ー・「」、。
    u"\u6F22\u5B57\u304B\u306A\u30AB\u30CA_x.y@z*",       // 漢字かなカナ_x.y@z*
    u"\u30BD\u30FC\u30B9\u8868\u793A",                    // ソース表示 (0x5C trail bytes)
};

TEST(UrlRoundTrip, WideTextComesBack) {
    for (const auto& text : kRoundTrips) {
        for (int32_t type = 0; type <= 3; ++type) {
            Buffer<char16_t> url(256);
            ASSERT_GT(ZR_URL_EncodeW(W(text), url.w(), 256, type), 0) << Show(text) << " type " << type;
            Buffer<char16_t> back(64);
            EXPECT_EQ(kDecodeW[type](url.w(), back.w(), 64), static_cast<int32_t>(text.size() + 1))
                << Show(url.Text());
            EXPECT_EQ(back.Text(), text) << Show(url.Text()) << " type " << type;

            int32_t detected = 99;
            Buffer<char16_t> back2(64);
            EXPECT_EQ(ZR_URL_DecodeW(url.w(), back2.w(), 64, &detected), static_cast<int32_t>(text.size() + 1))
                << Show(url.Text());
            EXPECT_EQ(detected, type) << Show(url.Text());
            EXPECT_EQ(back2.Text(), text) << Show(url.Text()) << " type " << type;
        }
    }
}

TEST(UrlRoundTrip, ShiftJisTextComesBack) {
    for (const auto& text : kRoundTrips) {
        char sjis[64] = {};
        ASSERT_GT(ZR_UnicodeToSJis(W(text), sjis, sizeof sjis), 0) << Show(text);
        const std::string want = sjis;
        for (int32_t type = 0; type <= 3; ++type) {
            Buffer<char> url(256);
            ASSERT_GT(ZR_URL_EncodeA(sjis, url.get(), 256, type), 0) << Show(want) << " type " << type;
            Buffer<char> back(64);
            EXPECT_EQ(kDecodeA[type](url.get(), back.get(), 64), static_cast<int32_t>(want.size()))
                << Show(url.Text());
            EXPECT_EQ(back.Text(), want) << Show(url.Text()) << " type " << type;

            int32_t detected = 99;
            Buffer<char> back2(64);
            EXPECT_EQ(ZR_URL_DecodeA(url.get(), back2.get(), 64, &detected), static_cast<int32_t>(want.size()))
                << Show(url.Text());
            EXPECT_EQ(detected, type) << Show(url.Text());
            EXPECT_EQ(back2.Text(), want) << Show(url.Text()) << " type " << type;
        }
    }
}

TEST(UrlRoundTrip, HalfWidthKatakanaComesBackThroughItsDecoder) {
    // Half-width katakana take the plain path in JIS and Shift_JIS, which
    // escapes them like any byte from 0x80 up.
    Buffer<char16_t> url(32);
    ASSERT_EQ(ZR_URL_EncodeW(W(u"\uFF71\u3042"), url.w(), 32, ZR_ENCODE_SJIS), 9);
    EXPECT_EQ(url.Text(), u"%B1%82%A0");
    Buffer<char16_t> back(16);
    EXPECT_EQ(ZR_URL_DecodeSJisW(url.w(), back.w(), 16), 3);
    EXPECT_EQ(back.Text(), u"\uFF71\u3042");
    ASSERT_EQ(ZR_URL_EncodeW(W(u"\uFF71\u3042"), url.w(), 32, ZR_ENCODE_JIS), 23);
    EXPECT_EQ(url.Text(), u"%B1%1B%24B%24%22%1B%28B");
    EXPECT_EQ(ZR_URL_DecodeJisW(url.w(), back.w(), 16), 3);
    EXPECT_EQ(back.Text(), u"\uFF71\u3042");
}

// ---- 7-bit output ---------------------------------------------------------------

// Random text from the pieces Japanese URLs are made of, and bytes or units
// no conversion expects, long enough now and then for the walks that check
// capacity piece by piece.
std::u16string RandomWideText(std::mt19937& rng) {
    static const std::u16string kKanji = u"日本語東京検索表示予定漢字変換愛亜";
    std::u16string s;
    const std::size_t length = 1 + rng() % (rng() % 4 == 0 ? 400 : 40);
    while (s.size() < length) {
        switch (rng() % 8) {
            case 0: s += static_cast<char16_t>(0x3041 + rng() % 83); break;   // hiragana
            case 1: s += static_cast<char16_t>(0x30A1 + rng() % 86); break;   // katakana
            case 2: s += kKanji[rng() % kKanji.size()]; break;
            case 3: s += static_cast<char16_t>(0xFF61 + rng() % 63); break;   // half-width katakana
            case 4: s += static_cast<char16_t>(0x80 + rng() % 0x80); break;   // Latin-1
            case 5: s += static_cast<char16_t>(1 + rng() % 0x1F); break;      // controls
            default: s += static_cast<char16_t>(0x20 + rng() % 0x5F); break;  // ASCII
        }
    }
    return s;
}

std::string RandomNarrowText(std::mt19937& rng) {
    std::string s;
    const std::size_t length = 1 + rng() % (rng() % 4 == 0 ? 400 : 40);
    while (s.size() < length) {
        switch (rng() % 4) {
            case 0:  // a Shift_JIS pair
                s += static_cast<char>(0x81 + rng() % 0x1F);
                s += static_cast<char>(0x40 + rng() % 0xBD);
                break;
            case 1: s += static_cast<char>(0x80 + rng() % 0x80); break;  // any byte from 0x80 up
            default: s += static_cast<char>(1 + rng() % 0x7F); break;
        }
    }
    return s;
}

TEST(UrlEncode, EveryEncodeTypeWritesSevenBitText) {
    std::mt19937 rng(20261208);
    int written = 0;
    for (int round = 0; round < 400; ++round) {
        const std::u16string wide = RandomWideText(rng);
        const std::string narrow = RandomNarrowText(rng);
        for (int32_t type = 0; type <= 3; ++type) {
            std::vector<ZR_WCHAR> w(4096);
            const int32_t rw = ZR_URL_EncodeW(W(wide), w.data(), 4096, type);
            for (int32_t k = 0; k < rw; ++k) {
                ASSERT_LT(static_cast<unsigned>(w[static_cast<std::size_t>(k)]), 0x80u)
                    << "type " << type << " W, unit " << k << " of " << Show(wide);
            }
            std::vector<char> a(4096);
            const int32_t ra = ZR_URL_EncodeA(narrow.c_str(), a.data(), 4096, type);
            for (int32_t k = 0; k < ra; ++k) {
                ASSERT_LT(static_cast<unsigned char>(a[static_cast<std::size_t>(k)]), 0x80u)
                    << "type " << type << " A, byte " << k << " of " << Show(narrow);
            }
            written += (rw > 0) + (ra > 0);
        }
    }
    // Most texts convert in every encoding; the test must not pass by
    // having nothing to look at.
    EXPECT_GT(written, 2000);
}

// Every single byte from 0x80 up, alone and between ASCII, in each encoding
// that takes it.
TEST(UrlEncode, EveryHighByteIsEscapedOnThePlainPath) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string alone(1, static_cast<char>(b));
        for (const std::string& text : {alone, "a" + alone + " z"}) {
            for (int32_t type = 0; type <= 3; ++type) {
                Buffer<char> a(64);
                const int32_t r = ZR_URL_EncodeA(text.c_str(), a.get(), 64, type);
                for (char c : a.Text()) {
                    EXPECT_LT(static_cast<unsigned char>(c), 0x80u) << "byte " << b << " type " << type;
                }
                if (type == ZR_ENCODE_SJIS) {
                    // No conversion: the byte reaches the escaping routine as it is.
                    char want[8];
                    std::snprintf(want, sizeof want, "%%%02X", b);
                    EXPECT_NE(a.Text().find(want), std::string::npos) << "byte " << b << ": " << Show(a.Text());
                    EXPECT_GT(r, 0);
                }
            }
        }
    }
}

// Words through the encoder of each type and back through the detecting
// decoder. `detected` marks the types whose URL the detection tells apart:
// a URL of half-width katakana and ASCII alone carries no JIS marker, and
// one byte from 0xA1..0xDF passes the EUC-JP test, which comes before the
// Shift_JIS one; two such bytes in a row fail the Shift_JIS test; and the
// library's EUC-JP writes half-width katakana as single bytes, which no
// decoder reads back as katakana.
struct DetectCase {
    std::u16string text;
    unsigned detected;  // bit 1 << type
    const char* why;
};

constexpr unsigned kAllTypes = 0xF;
constexpr unsigned kJisAndUtf8 = 1u << ZR_ENCODE_JIS | 1u << ZR_ENCODE_UTF8;

const DetectCase kDetectCases[] = {
    {u"日本", kAllTypes, "kanji; EUC-JP bytes 0xC6 0xFC"},
    {u"や", kAllTypes, "hiragana; EUC-JP bytes 0xA4 0xE4"},
    {u"ひらがな カタカナ", kAllTypes, "kana and a space"},
    {u"漢字かな交じり文", kAllTypes, "kanji and kana"},
    {u"東京 tower 2026", kAllTypes, "ASCII words between"},
    {u"検索?q=日本&x=1/y", kAllTypes, "the structure characters of a URL"},
    {u"ソース表示", kAllTypes, "Shift_JIS trail bytes 0x5C"},
    {u"予定表", kAllTypes, "Shift_JIS trail bytes 0x5C and 0x7E"},
    {u"ｱあ", kAllTypes & ~(1u << ZR_ENCODE_EUC), "half-width katakana before hiragana"},
    {u"やｱ", kAllTypes & ~(1u << ZR_ENCODE_EUC), "half-width katakana last"},
    {u"ﾃﾞｰﾀ ベース", kJisAndUtf8, "a run of half-width katakana"},
    {u"東京ｽｶｲﾂﾘｰ", kJisAndUtf8, "kanji, then half-width katakana"},
    {u"ｶﾅ 1", 1u << ZR_ENCODE_UTF8, "half-width katakana and ASCII alone"},
};

TEST(UrlRoundTrip, DetectingDecoderGivesTheWordsBack) {
    for (const auto& c : kDetectCases) {
        char sjis[64] = {};
        ASSERT_GT(ZR_UnicodeToSJis(W(c.text), sjis, sizeof sjis), 0) << c.why;
        for (int32_t type = 0; type <= 3; ++type) {
            if ((c.detected >> type & 1) == 0) continue;
            Buffer<char16_t> url(256);
            ASSERT_GT(ZR_URL_EncodeW(W(c.text), url.w(), 256, type), 0) << c.why << " type " << type;
            int32_t detected = 99;
            Buffer<char16_t> back(64);
            EXPECT_EQ(ZR_URL_DecodeW(url.w(), back.w(), 64, &detected), static_cast<int32_t>(c.text.size() + 1))
                << c.why << " type " << type << ": " << Show(url.Text());
            EXPECT_EQ(back.Text(), c.text) << c.why << " type " << type << ": " << Show(url.Text());

            Buffer<char> urlA(256);
            ASSERT_GT(ZR_URL_EncodeA(sjis, urlA.get(), 256, type), 0) << c.why << " type " << type;
            Buffer<char> backA(64);
            EXPECT_EQ(ZR_URL_DecodeA(urlA.get(), backA.get(), 64, &detected), static_cast<int32_t>(std::strlen(sjis)))
                << c.why << " type " << type << ": " << Show(urlA.Text());
            EXPECT_EQ(backA.Text(), sjis) << c.why << " type " << type << ": " << Show(urlA.Text());
        }
    }
}

}  // namespace
