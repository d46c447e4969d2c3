// bad_input_test.cpp - any bytes, any dstSize, null pointers: every MIME export
// stays inside its buffers and answers with a count it could have written.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace {

using NarrowOut = int32_t(ZR_CALL*)(const char*, char*, int32_t);
using WideIn = int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, int32_t);
using WideOut = int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, int32_t);

const NarrowOut kNarrowOut[] = {
    ZR_Base64_EncodeJISA, ZR_Base64_EncodeSJISA, ZR_Base64_EncodeEUCA, ZR_Base64_EncodeUTF8A,
    ZR_Base64_DecodeJISA, ZR_Base64_DecodeSJISA, ZR_Base64_DecodeEUCA, ZR_Base64_DecodeUTF8A,
    ZR_QuotedPrintable_EncodeJISA, ZR_QuotedPrintable_EncodeSJISA, ZR_QuotedPrintable_EncodeEUCA,
    ZR_QuotedPrintable_EncodeUTF8A, ZR_QuotedPrintable_DecodeJISA, ZR_QuotedPrintable_DecodeSJISA,
    ZR_QuotedPrintable_DecodeEUCA, ZR_QuotedPrintable_DecodeUTF8A,
};
const WideIn kWideIn[] = {
    ZR_Base64_EncodeJISW, ZR_Base64_EncodeSJISW, ZR_Base64_EncodeEUCW, ZR_Base64_EncodeUTF8W,
    ZR_QuotedPrintable_EncodeJISW, ZR_QuotedPrintable_EncodeSJISW, ZR_QuotedPrintable_EncodeEUCW,
    ZR_QuotedPrintable_EncodeUTF8W,
};
const WideOut kWideOut[] = {
    ZR_Base64_DecodeJISW, ZR_Base64_DecodeSJISW, ZR_Base64_DecodeEUCW, ZR_Base64_DecodeUTF8W,
    ZR_QuotedPrintable_DecodeJISW, ZR_QuotedPrintable_DecodeSJISW, ZR_QuotedPrintable_DecodeEUCW,
    ZR_QuotedPrintable_DecodeUTF8W,
};

// Inputs live in heap blocks of exactly their length, terminator included,
// and outputs in blocks of exactly dstSize, so any access past either is
// caught by the sanitizer build.
std::string RandomBytes(std::mt19937& rng, bool transferAlphabet) {
    static const char kBiased[] = "ABCabc+/=019\r\n \tQUJD=E3=1B$B";
    std::string s(rng() % 24, '\0');
    for (auto& c : s) {
        c = transferAlphabet && rng() % 2 ? kBiased[rng() % (sizeof kBiased - 1)]
                                          : static_cast<char>(1 + rng() % 255);
    }
    return s;
}

TEST(MimeBadInput, AnyBytesAnyDstSizeStayInside) {
    std::mt19937 rng(7);
    for (int round = 0; round < 400; ++round) {
        const std::string bytes = RandomBytes(rng, round % 2 == 0);
        const int dstSize = static_cast<int>(rng() % 40) - 2;
        const std::size_t cells = dstSize > 0 ? static_cast<std::size_t>(dstSize) : 1;
        std::vector<char> src(bytes.begin(), bytes.end());
        src.push_back('\0');
        std::vector<ZR_WCHAR> wsrc;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            auto u = static_cast<ZR_WCHAR>(static_cast<unsigned char>(bytes[i]) << 8 |
                                           static_cast<unsigned char>(bytes[i + 1]));
            wsrc.push_back(u ? u : u'x');
        }
        wsrc.push_back(0);
        const auto check = [&](int r, const char* kind, std::size_t k) {
            if (dstSize <= 0) {
                EXPECT_EQ(r, -1) << kind << k << " dstSize " << dstSize;
            } else {
                EXPECT_GE(r, -1) << kind << k;
                EXPECT_LE(r, dstSize) << kind << k;
            }
        };
        for (std::size_t k = 0; k < std::size(kNarrowOut); ++k) {
            std::vector<char> dst(cells, '\x7F');
            check(kNarrowOut[k](src.data(), dst.data(), dstSize), "narrow ", k);
            if (dstSize <= 0) {
                EXPECT_EQ(dst[0], '\x7F');
            }
        }
        for (std::size_t k = 0; k < std::size(kWideIn); ++k) {
            std::vector<char> dst(cells, '\x7F');
            check(kWideIn[k](wsrc.data(), dst.data(), dstSize), "wide in ", k);
        }
        for (std::size_t k = 0; k < std::size(kWideOut); ++k) {
            std::vector<ZR_WCHAR> dst(cells, u'?');
            check(kWideOut[k](src.data(), dst.data(), dstSize), "wide out ", k);
        }
        std::vector<char> text(cells);
        std::vector<unsigned char> raw(cells);
        const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
        const auto n = static_cast<int32_t>(bytes.size());
        check(ZR_Base64_Encode(b, n, text.data(), dstSize), "b64 enc ", 0);
        check(ZR_QuotedPrintable_Encode(b, n, text.data(), dstSize), "qp enc ", 0);
        check(ZR_Base64_Decode(src.data(), raw.data(), dstSize), "b64 dec ", 0);
        check(ZR_QuotedPrintable_Decode(src.data(), raw.data(), dstSize), "qp dec ", 0);
    }
}

TEST(MimeBadInput, NullPointersGiveMinusOne) {
    char dst[4];
    ZR_WCHAR wdst[4];
    for (auto f : kNarrowOut) {
        EXPECT_EQ(f(nullptr, dst, 4), -1);
        EXPECT_EQ(f("QUJD", nullptr, 4), -1);
    }
    for (auto f : kWideIn) {
        EXPECT_EQ(f(nullptr, dst, 4), -1);
        EXPECT_EQ(f(u"A", nullptr, 4), -1);
    }
    for (auto f : kWideOut) {
        EXPECT_EQ(f(nullptr, wdst, 4), -1);
        EXPECT_EQ(f("QUJD", nullptr, 4), -1);
    }
}

// No room at all, or a negative size: -1 before any scratch buffer is
// sized from dstSize (a decoder tells its transfer step dstSize bytes, and
// marks the end of a scratch buffer sized from it), and dst as it was.
TEST(MimeBadInput, NoRoomGivesMinusOneAndLeavesDstAlone) {
    for (const int32_t dstSize : {0, -1, -2, -100}) {
        char dst[4] = {'x', 'x', 'x', 'x'};
        ZR_WCHAR wdst[4] = {'x', 'x', 'x', 'x'};
        for (auto f : kNarrowOut) {
            EXPECT_EQ(f("QUJD", dst, dstSize), -1) << dstSize;
            EXPECT_EQ(std::string(dst, 4), "xxxx") << dstSize;
        }
        for (auto f : kWideIn) {
            EXPECT_EQ(f(u"A", dst, dstSize), -1) << dstSize;
            EXPECT_EQ(std::string(dst, 4), "xxxx") << dstSize;
        }
        for (auto f : kWideOut) {
            EXPECT_EQ(f("QUJD", wdst, dstSize), -1) << dstSize;
            for (const ZR_WCHAR u : wdst) EXPECT_EQ(u, 'x') << dstSize;
        }
    }
}

}  // namespace
