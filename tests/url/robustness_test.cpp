// robustness_test.cpp - any string, any type, any dstSize: no crash, nothing
// read or written out of bounds (the inputs and buffers are exactly sized, so
// the sanitizer build sees every stray access), results within their range.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/fault.hpp"
#include "url_test_util.hpp"
#include "zr_moji.h"

using zr_url_test::Buffer;

namespace {

// Small deterministic generator: the same cases on every run and host.
class Lcg {
public:
    explicit Lcg(std::uint32_t seed) : s_(seed) {}
    std::uint32_t Next() {
        s_ = s_ * 1664525u + 1013904223u;
        return s_ >> 8;
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint32_t s_;
};

// Weighted towards what the parsers branch on: escapes, digits, designations,
// lead and trail bytes, controls.
constexpr char kAlphabet[] = "%%%%%++0123456789ABCDEFabcdefGZ$$(()BBJ@ \t\x1B\x1B\x01\x7F";

std::string RandomBytes(Lcg& rng) {
    const std::uint32_t len = rng.Below(24);
    std::string s;
    for (std::uint32_t i = 0; i < len; ++i) {
        if (rng.Below(3) == 0) {
            s.push_back(static_cast<char>(0x80 + rng.Below(0x80)));
        } else {
            s.push_back(kAlphabet[rng.Below(sizeof kAlphabet - 1)]);
        }
    }
    return s;
}

std::u16string RandomUnits(Lcg& rng) {
    const std::string bytes = RandomBytes(rng);
    std::u16string s;
    for (unsigned char b : bytes) {
        switch (rng.Below(6)) {
            case 0: s.push_back(static_cast<char16_t>(0x3000 + rng.Below(0x7000))); break;  // kana, kanji
            case 1: s.push_back(static_cast<char16_t>(0xE000 + rng.Below(0x2000))); break;  // private use
            case 2: s.push_back(static_cast<char16_t>(0xFF61 + rng.Below(0x3F))); break;    // half-width
            default: s.push_back(static_cast<char16_t>(b)); break;
        }
    }
    return s;
}

// The text as a heap block of exactly its length plus terminator.
template <class Ch>
std::vector<Ch> Exact(const std::basic_string<Ch>& s) {
    return std::vector<Ch>(s.c_str(), s.c_str() + s.size() + 1);
}

template <class Ch>
std::size_t Len(const Ch* p, std::size_t max) {
    std::size_t n = 0;
    while (n < max && p[n] != 0) ++n;
    return n;
}

using DecodeWFn = int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, int32_t);
using DecodeAFn = int32_t(ZR_CALL*)(const char*, char*, int32_t);
const DecodeWFn kDecodeW[] = {ZR_URL_DecodeJisW, ZR_URL_DecodeSJisW, ZR_URL_DecodeEucW, ZR_URL_DecodeUtf8W};
const DecodeAFn kDecodeA[] = {ZR_URL_DecodeJisA, ZR_URL_DecodeSJisA, ZR_URL_DecodeEucA, ZR_URL_DecodeUtf8A};

TEST(UrlRobustness, AnyByteStringAnySize) {
    Lcg rng(12345);
    for (int iter = 0; iter < 3000; ++iter) {
        const std::string text = RandomBytes(rng);
        const auto src = Exact(text);
        const char* p = src.data();

        const int type = ZR_URL_EncodeTypeA(p);
        ASSERT_GE(type, -1);
        ASSERT_LE(type, 3);
        EXPECT_LE(ZR_URL_IsProtocolA(p) + ZR_URL_IsJisEncodeA(p) + ZR_URL_IsSJisEncodeA(p) +
                      ZR_URL_IsEucEncodeA(p) + ZR_URL_IsUtf8EncodeA(p),
                  5);

        const auto decSize = static_cast<int32_t>(rng.Below(static_cast<std::uint32_t>(text.size()) * 2 + 3));
        for (auto decode : kDecodeA) {
            Buffer<char> dst(decSize);
            const int32_t r = decode(p, dst.get(), decSize);
            EXPECT_LT(r, decSize > 0 ? decSize : 1) << zr_url_test::Show(text);
            if (r > 0) {
                EXPECT_EQ(Len(dst.get(), dst.data.size()), static_cast<std::size_t>(r));
            }
        }
        int32_t detected = 99;
        Buffer<char> ddst(decSize);
        ZR_URL_DecodeA(p, ddst.get(), decSize, &detected);
        EXPECT_EQ(detected, type);

        const auto encType = static_cast<int32_t>(rng.Below(6)) - 1;
        const auto encSize = static_cast<int32_t>(rng.Below(static_cast<std::uint32_t>(text.size()) * 9 + 3));
        Buffer<char> enc(encSize);
        const int32_t r = ZR_URL_EncodeA(p, enc.get(), encSize, encType);
        if (r == 0 && enc.Untouched()) {
            // The conversion produced nothing (a text that stops at once on a
            // character it cannot convert): its 0 is passed on, dst untouched.
        } else if (r >= 0) {
            ASSERT_LT(r, encSize) << zr_url_test::Show(text);
            EXPECT_EQ(Len(enc.get(), enc.data.size()), static_cast<std::size_t>(r));
            // Whatever the encoder wrote, its decoder must read safely.
            const auto url = Exact(std::string(enc.get()));
            Buffer<char> back(64);
            kDecodeA[encType](url.data(), back.get(), 64);
        } else if (encSize > 0 && encType >= 0 && encType <= 3 && !text.empty()) {
            EXPECT_TRUE(enc.data[0] == '\0' || enc.Untouched()) << zr_url_test::Show(text);
        }
    }
}

TEST(UrlRobustness, AnyUnitStringAnySize) {
    Lcg rng(777);
    for (int iter = 0; iter < 3000; ++iter) {
        const std::u16string text = RandomUnits(rng);
        const auto src = Exact(text);
        const ZR_WCHAR* p = reinterpret_cast<const ZR_WCHAR*>(src.data());

        const int type = ZR_URL_EncodeTypeW(p);
        ASSERT_GE(type, -1);
        ASSERT_LE(type, 3);
        ZR_URL_IsProtocolW(p);
        ZR_URL_IsJisEncodeW(p);

        const auto decSize = static_cast<int32_t>(rng.Below(static_cast<std::uint32_t>(text.size()) * 2 + 3));
        for (auto decode : kDecodeW) {
            Buffer<char16_t> dst(decSize);
            const int32_t r = decode(p, dst.w(), decSize);
            EXPECT_LE(r, decSize);
        }
        int32_t detected = 99;
        Buffer<char16_t> ddst(decSize);
        ZR_URL_DecodeW(p, ddst.w(), decSize, &detected);
        EXPECT_EQ(detected, type);

        const auto encType = static_cast<int32_t>(rng.Below(6)) - 1;
        const auto encSize = static_cast<int32_t>(rng.Below(static_cast<std::uint32_t>(text.size()) * 27 + 3));
        Buffer<char16_t> enc(encSize);
        const int32_t r = ZR_URL_EncodeW(p, enc.w(), encSize, encType);
        if (r == 0 && enc.Untouched()) {
            // As above: nothing converted.
        } else if (r >= 0) {
            ASSERT_LT(r, encSize);
            EXPECT_EQ(Len(enc.get(), enc.data.size()), static_cast<std::size_t>(r))
                << zr_url_test::Show(text) << " type " << encType;
            const auto url = Exact(std::u16string(enc.get()));
            Buffer<char16_t> back(64);
            kDecodeW[encType](reinterpret_cast<const ZR_WCHAR*>(url.data()), back.w(), 64);
        }
    }
}

#if defined(ZR_FAULT_INJECTION)
// Every scratch allocation on the way may fail; the call then answers -1 (or
// 0 from a test), never a half-written success, and leaks nothing.
TEST(UrlRobustness, ScratchFailureAtEveryStep) {
    using zr::platform::ArmFault;
    using zr::platform::FaultKind;
    for (long nth = 0; nth < 6; ++nth) {
        ArmFault(FaultKind::kAlloc, nth);
        Buffer<char16_t> w(64);
        const int32_t rw = ZR_URL_EncodeW(zr_url_test::W(u"\u3042a"), w.w(), 64, ZR_ENCODE_JIS);
        EXPECT_TRUE(rw == -1 || rw == 0 || w.Text() == u"%1B%24B%24%22%1B%28Ba") << nth;
        ArmFault(FaultKind::kAlloc, nth);
        Buffer<char> a(64);
        const int32_t ra = ZR_URL_EncodeA("\x82\xA0", a.get(), 64, ZR_ENCODE_EUC);
        EXPECT_TRUE(ra <= 0 || a.Text() == "%A4%A2") << nth;
        ArmFault(FaultKind::kAlloc, nth);
        Buffer<char16_t> d(64);
        const int32_t rd = ZR_URL_DecodeEucW(zr_url_test::W(u"%A4%A2"), d.w(), 64);
        EXPECT_TRUE(rd <= 0 || d.Text() == u"\u3042") << nth;
    }
    ArmFault(FaultKind::kAlloc, 0);
    EXPECT_EQ(ZR_URL_IsSJisEncodeA("%82%A0"), 0);
    // A URL longer than dst (so not decoded in one pass) whose text the
    // conversion hands to its steps (a character cut short): their scratch
    // fails, and dst is as the caller left it.
    ArmFault(FaultKind::kAlloc, 0);
    Buffer<char> a(8);
    EXPECT_EQ(ZR_URL_DecodeUtf8A("%41%41%41%C3", a.get(), 8), -1);
    EXPECT_TRUE(a.Untouched());
    ArmFault(FaultKind::kAlloc, -1);
}
#endif

bool UnderValgrind() {
    const char* p = std::getenv("LD_PRELOAD");
    return p && std::string(p).find("vgpreload") != std::string::npos;
}

// The longest text the encoders take is the one whose scratch, eight bytes a
// character and a terminator, still fits the conversions' int: it encodes
// whole, and one character more is refused. Needs about 1.3 GB.
TEST(UrlRobustness, TheLongestTextStillEncodes) {
    if (sizeof(void*) < 8) GTEST_SKIP() << "the scratch needs a 64-bit address space";
    if (UnderValgrind()) GTEST_SKIP() << "too long to run under valgrind";
#if defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "too long and too large under ThreadSanitizer";
#endif
    constexpr std::size_t kLongest = (static_cast<std::size_t>(INT32_MAX) - 1) / 8;
    std::string src(kLongest, 'a');
    std::string dst(kLongest + 1, '#');
    const auto dstSize = static_cast<int32_t>(dst.size());
    EXPECT_EQ(ZR_URL_EncodeA(src.c_str(), dst.data(), dstSize, ZR_ENCODE_UTF8), static_cast<int32_t>(kLongest));
    EXPECT_EQ(dst.find_first_not_of('a'), kLongest);
    src.push_back('a');
    EXPECT_EQ(ZR_URL_EncodeA(src.c_str(), dst.data(), dstSize, ZR_ENCODE_UTF8), -1);
}

}  // namespace
