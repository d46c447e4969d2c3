// decode_test.cpp - the per-encoding and the detecting URL decoders.
#include <gtest/gtest.h>

#include <string>

#include "url_test_util.hpp"
#include "zr_moji.h"

using zr_url_test::Buffer;
using zr_url_test::Show;
using zr_url_test::W;
using zr_url_test::Widen;

namespace {

using DecodeWFn = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t);
using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);

struct Decoder {
    const char* name;
    DecodeWFn w;
    DecodeAFn a;
};

const Decoder kDecoders[] = {
    {"Jis", ZR_URL_DecodeJisW, ZR_URL_DecodeJisA},
    {"SJis", ZR_URL_DecodeSJisW, ZR_URL_DecodeSJisA},
    {"Euc", ZR_URL_DecodeEucW, ZR_URL_DecodeEucA},
    {"Utf8", ZR_URL_DecodeUtf8W, ZR_URL_DecodeUtf8A},
};

// U+4E9C U+3042 'A' in each encoding, escaped as an encoder of this library
// would write it, and as a mixed-case hand-written URL would.
struct OwnCase {
    int decoder;  // index into kDecoders
    const char* url;
    const char* why;
};

const OwnCase kOwn[] = {
    {0, "%1B%24B0%21%24%22%1B%28BA", "JIS as encoded"},
    {0, "%1b%24B0%21%24%22%1b%28BA", "JIS, lower-case digits in the designations"},
    {1, "%88%9F%82%A0A", "Shift_JIS"},
    {1, "%88%9f%82%a0A", "Shift_JIS, lower case"},
    {2, "%B0%A1%A4%A2A", "EUC-JP"},
    {3, "%E4%BA%9C%E3%81%82A", "UTF-8"},
    {3, "%e4%ba%9C%E3%81%82A", "UTF-8, mixed case"},
};

TEST(UrlDecode, EachDecoderReadsItsOwnEncoding) {
    for (const auto& c : kOwn) {
        const Decoder& d = kDecoders[c.decoder];
        Buffer<char16_t> w(16);
        EXPECT_EQ(d.w(W(Widen(c.url)), w.w(), 16), 4) << d.name << ": " << c.why;
        EXPECT_EQ(w.Text(), u"\u4E9C\u3042A") << d.name << ": " << c.why;
        Buffer<char> a(16);
        EXPECT_EQ(d.a(c.url, a.get(), 16), 5) << d.name << ": " << c.why;
        EXPECT_EQ(a.Text(), "\x88\x9F\x82\xA0" "A") << d.name << ": " << c.why;
    }
}

TEST(UrlDecode, AsciiPassesEveryDecoder) {
    for (const auto& d : kDecoders) {
        Buffer<char16_t> w(16);
        EXPECT_EQ(d.w(W(u"a+b%20c%2Fd"), w.w(), 16), 8) << d.name;
        EXPECT_EQ(w.Text(), u"a b c/d") << d.name;
        Buffer<char> a(16);
        EXPECT_EQ(d.a("a+b%20c%2Fd", a.get(), 16), 7) << d.name;
        EXPECT_EQ(a.Text(), "a b c/d") << d.name;
    }
}

TEST(UrlDecode, NothingBeforeTheFirstInvalidEscapeIsRefused) {
    const char* urls[] = {"", "%G1", "%00abc", "%", "%4"};
    for (const auto& d : kDecoders) {
        for (const char* url : urls) {
            Buffer<char16_t> w(8);
            EXPECT_EQ(d.w(W(Widen(url)), w.w(), 8), -1) << d.name << " " << Show(url);
            EXPECT_TRUE(w.Untouched()) << d.name << " " << Show(url);
            if (d.a == ZR_URL_DecodeSJisA) continue;  // answers 0, below
            Buffer<char> a(8);
            EXPECT_EQ(d.a(url, a.get(), 8), -1) << d.name << " " << Show(url);
            EXPECT_TRUE(a.Untouched()) << d.name << " " << Show(url);
        }
    }
}

TEST(UrlDecode, TextBeforeAnInvalidEscapeIsDecoded) {
    Buffer<char16_t> w(8);
    EXPECT_EQ(ZR_URL_DecodeSJisW(W(u"%82%A0%G1xyz"), w.w(), 8), 2);
    EXPECT_EQ(w.Text(), u"\u3042");
    EXPECT_EQ(ZR_URL_DecodeUtf8W(W(u"ab%E3%81%82%"), w.w(), 8), 4);
    EXPECT_EQ(w.Text(), u"ab\u3042");
}

TEST(UrlDecode, WideUnitsOutsideEscapesGiveTheirLowByte) {
    // Both ways of widening a byte 0x80..0xFF read back as that byte.
    const std::u16string urls[] = {u"\u0082\u00A0", u"\uFF82\uFFA0", u"\u0182\u01A0"};
    for (const auto& url : urls) {
        Buffer<char16_t> w(8);
        EXPECT_EQ(ZR_URL_DecodeSJisW(W(url), w.w(), 8), 2) << Show(url);
        EXPECT_EQ(w.Text(), u"\u3042") << Show(url);
    }
}

struct SJisACase {
    const char* url;
    int32_t dstSize;
    std::string want;
    int32_t result;
    const char* why;
};

const SJisACase kSJisA[] = {
    {"%82%A0", 10, "\x82\xA0", 2, "escapes are the output"},
    {"", 10, "", 0, "empty URL gives 0, not -1"},
    {"%G1", 10, "", 0, "invalid escape first"},
    {"abc", 3, "ab", 2, "the terminator keeps its byte"},
    {"abc", 4, "abc", 3, "exactly fits"},
    {"%41%42%43", 4, "AB", 2, "the limit counts URL characters"},
    {"%41%42%43", 7, "ABC", 3, "limit reached inside the last escape"},
    {"abc", 1, "", 0, "room for the terminator only"},
};

TEST(UrlDecodeSJisA, UnescapesStraightIntoDst) {
    for (const auto& c : kSJisA) {
        Buffer<char> a(c.dstSize);
        EXPECT_EQ(ZR_URL_DecodeSJisA(c.url, a.get(), c.dstSize), c.result) << c.why;
        EXPECT_EQ(a.Text(), c.want) << c.why;
        // Bytes after the terminator are not cleared.
        for (std::size_t i = c.want.size() + 1; i < a.data.size(); ++i) EXPECT_EQ(a.data[i], 'Z') << c.why;
    }
    char guard = 'Z';
    EXPECT_EQ(ZR_URL_DecodeSJisA("abc", &guard, 0), 0) << "dstSize 0 writes nothing";
    EXPECT_EQ(guard, 'Z');
}

struct DetectDecodeCase {
    const char* url;
    int32_t type;
    std::u16string wantW;
    std::string wantA;
    const char* why;
};

const DetectDecodeCase kDetecting[] = {
    {"%1B%24B0%21%1B%28B", ZR_ENCODE_JIS, u"\u4E9C", "\x88\x9F", "JIS marker"},
    {"%E3%81%82", ZR_ENCODE_UTF8, u"\u3042", "\x82\xA0", "UTF-8"},
    {"%A4%A2", ZR_ENCODE_EUC, u"\u3042", "\x82\xA0", "EUC-JP"},
    {"%82%A0", ZR_ENCODE_SJIS, u"\u3042", "\x82\xA0", "Shift_JIS"},
    {"x%82%A0+y", ZR_ENCODE_SJIS, u"x\u3042 y", "x\x82\xA0 y", "with ASCII around"},
};

TEST(UrlDecodeDetecting, ReportsTheTypeAndDecodesWithIt) {
    for (const auto& c : kDetecting) {
        int32_t type = 99;
        Buffer<char16_t> w(16);
        EXPECT_EQ(ZR_URL_DecodeW(W(Widen(c.url)), w.w(), 16, &type), static_cast<int32_t>(c.wantW.size() + 1))
            << c.why;
        EXPECT_EQ(type, c.type) << c.why;
        EXPECT_EQ(w.Text(), c.wantW) << c.why;

        type = 99;
        Buffer<char> a(16);
        EXPECT_EQ(ZR_URL_DecodeA(c.url, a.get(), 16, &type), static_cast<int32_t>(c.wantA.size())) << c.why;
        EXPECT_EQ(type, c.type) << c.why;
        EXPECT_EQ(a.Text(), c.wantA) << c.why;
    }
}

TEST(UrlDecodeDetecting, UnknownEncodingSetsTypeAndLeavesDst) {
    const char* urls[] = {"abc%20def", "", "%82%A0%0A"};
    for (const char* url : urls) {
        int32_t type = 99;
        Buffer<char16_t> w(16);
        EXPECT_EQ(ZR_URL_DecodeW(W(Widen(url)), w.w(), 16, &type), -1) << Show(url);
        EXPECT_EQ(type, ZR_ENCODE_NONE) << Show(url);
        EXPECT_TRUE(w.Untouched()) << Show(url);
        type = 99;
        Buffer<char> a(16);
        EXPECT_EQ(ZR_URL_DecodeA(url, a.get(), 16, &type), -1) << Show(url);
        EXPECT_EQ(type, ZR_ENCODE_NONE) << Show(url);
        EXPECT_TRUE(a.Untouched()) << Show(url);
    }
}

TEST(UrlDecode, BadArgumentsAreRefusedUntouched) {
    int32_t type = 99;
    Buffer<char16_t> w(8);
    Buffer<char> a(8);
    for (const auto& d : kDecoders) {
        EXPECT_EQ(d.w(nullptr, w.w(), 8), -1) << d.name;
        EXPECT_EQ(d.w(W(u"%82%A0"), nullptr, 8), -1) << d.name;
        EXPECT_EQ(d.w(W(u"%82%A0"), w.w(), -1), -1) << d.name;
        EXPECT_EQ(d.a(nullptr, a.get(), 8), -1) << d.name;
        EXPECT_EQ(d.a("%82%A0", nullptr, 8), -1) << d.name;
        EXPECT_EQ(d.a("%82%A0", a.get(), -1), -1) << d.name;
    }
    EXPECT_EQ(ZR_URL_DecodeW(W(u"%82%A0"), w.w(), 8, nullptr), -1);
    EXPECT_EQ(ZR_URL_DecodeA("%82%A0", a.get(), 8, nullptr), -1);
    EXPECT_EQ(ZR_URL_DecodeW(nullptr, w.w(), 8, &type), -1);
    EXPECT_EQ(ZR_URL_DecodeA("%82%A0", a.get(), -5, &type), -1);
    EXPECT_EQ(type, 99) << "refused before detection";
    EXPECT_TRUE(w.Untouched());
    EXPECT_TRUE(a.Untouched());
}

TEST(UrlDecode, TooSmallDstIsTheConversionsAnswer) {
    // The decoders pass dstSize through; the conversion reports "did not
    // fit" as its own Part says, and nothing is written past dstSize.
    for (const auto& d : kDecoders) {
        if (d.a == ZR_URL_DecodeSJisA) continue;
        Buffer<char16_t> w(1);
        EXPECT_LE(d.w(W(u"%41%42"), w.w(), 1), 0) << d.name;
    }
}

}  // namespace
