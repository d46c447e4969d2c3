// equivalence_test.cpp - the converter's block paths against plain models
// of the host converter's rules, over random text built to start, stop and
// straddle those blocks, at every capacity from 0 to past the largest one
// that still takes the bounds-checked path.
//
// The models produce the output as its pieces (a character, a byte pair, a
// UTF-7 digit, ...); the capacity rules are applied to the pieces here, so
// every written element, every untouched one and every result is checked.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "codepage/coders.hpp"
#include "codepage/utf8_lanes.hpp"
#include "platform/codepage.hpp"
#include "tsv.hpp"

namespace tables {
#include "codepage/cp932_tables.inc"
}

namespace {

using zr::platform::CodePage;

template <class T>
using Pieces = std::vector<std::vector<T>>;

// ---- models -------------------------------------------------------------

bool IsCp932Lead(std::uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

Pieces<char16_t> Cp932DecodeModel(const std::string& in) {
    Pieces<char16_t> out;
    const auto* s = reinterpret_cast<const std::uint8_t*>(in.c_str());
    for (std::size_t i = 0; i < in.size();) {
        const std::uint8_t b = s[i];
        if (!IsCp932Lead(b)) {
            out.push_back({tables::kCp932ByteToUnit[b]});
            ++i;
            continue;
        }
        const std::uint8_t t = s[i + 1];  // the terminator at worst
        const std::uint16_t v = tables::kCp932PairToUnit[tables::kCp932LeadRow[b] - 1][t];
        out.push_back({static_cast<char16_t>(v != 0 ? v : 0x30FB)});
        i += t != 0 ? 2 : 1;
    }
    out.push_back({0});
    return out;
}

Pieces<char> Cp932EncodeModel(const std::u16string& in) {
    Pieces<char> out;
    for (const char16_t u : in) {
        std::uint16_t c = tables::kCp932UnitToCode[u];
        if (c == tables::kCp932NoCode) {
            c = 0x3F;
            for (const auto& bf : tables::kCp932BestFit) {
                if (bf.unit == u) c = bf.code;
            }
        }
        if (c >= 0x100) {
            out.push_back({static_cast<char>(c >> 8), static_cast<char>(c & 0xFF)});
        } else {
            out.push_back({static_cast<char>(c)});
        }
    }
    out.push_back({0});
    return out;
}

bool IsCont(std::uint8_t b) { return b >= 0x80 && b <= 0xBF; }

Pieces<char16_t> Utf8DecodeModel(const std::string& in) {
    Pieces<char16_t> out;
    const auto* s = reinterpret_cast<const std::uint8_t*>(in.c_str());
    const char16_t bad = 0xFFFD;
    std::size_t i = 0;
    while (i < in.size()) {
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            out.push_back({b});
            ++i;
        } else if (b < 0xC2 || b > 0xF4) {
            out.push_back({bad});
            ++i;
        } else if (b < 0xE0) {
            if (IsCont(s[i + 1])) {
                out.push_back({static_cast<char16_t>((b & 0x1F) << 6 | (s[i + 1] & 0x3F))});
                i += 2;
            } else {
                out.push_back({bad});
                ++i;
            }
        } else {
            const bool three = b < 0xF0;
            const std::uint8_t b1 = s[i + 1];
            if (!IsCont(b1)) {
                out.push_back({bad});
                ++i;
                continue;
            }
            const bool refused = three ? (b == 0xE0 && b1 < 0xA0) || (b == 0xED && b1 > 0x9F)
                                       : (b == 0xF0 && b1 < 0x90) || (b == 0xF4 && b1 > 0x8F);
            if (refused || !IsCont(s[i + 2])) {
                out.push_back({bad});
                i += 2;
            } else if (three) {
                out.push_back({static_cast<char16_t>((b & 0x0F) << 12 | (b1 & 0x3F) << 6 | (s[i + 2] & 0x3F))});
                i += 3;
            } else if (!IsCont(s[i + 3])) {
                out.push_back({bad});
                i += 3;
            } else {
                const std::uint32_t cp =
                    (b & 7u) << 18 | (b1 & 0x3Fu) << 12 | (s[i + 2] & 0x3Fu) << 6 | (s[i + 3] & 0x3Fu);
                out.push_back({static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10))});
                out.push_back({static_cast<char16_t>(0xDC00 + (cp & 0x3FF))});
                i += 4;
            }
        }
    }
    out.push_back({0});
    return out;
}

Pieces<char> Utf8EncodeModel(const std::u16string& in) {
    Pieces<char> out;
    auto c = [](unsigned v) { return static_cast<char>(v); };
    for (std::size_t i = 0; i < in.size(); ++i) {
        std::uint32_t u = in[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < in.size() && in[i + 1] >= 0xDC00 && in[i + 1] <= 0xDFFF) {
            u = 0x10000 + ((u - 0xD800) << 10) + (in[++i] - 0xDC00u);
        } else if (u >= 0xD800 && u <= 0xDFFF) {
            u = 0xFFFD;
        }
        if (u < 0x80) {
            out.push_back({c(u)});
        } else if (u < 0x800) {
            out.push_back({c(0xC0 | u >> 6), c(0x80 | (u & 0x3F))});
        } else if (u < 0x10000) {
            out.push_back({c(0xE0 | u >> 12), c(0x80 | (u >> 6 & 0x3F)), c(0x80 | (u & 0x3F))});
        } else {
            out.push_back({c(0xF0 | u >> 18), c(0x80 | (u >> 12 & 0x3F)), c(0x80 | (u >> 6 & 0x3F)),
                           c(0x80 | (u & 0x3F))});
        }
    }
    out.push_back({0});
    return out;
}

const std::string kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

Pieces<char16_t> Utf7DecodeModel(const std::string& in) {
    Pieces<char16_t> out;
    const auto* s = reinterpret_cast<const std::uint8_t*>(in.c_str());
    std::uint32_t bits = 0;
    int nbits = 0;
    std::size_t i = 0;
    while (i < in.size()) {
        if (s[i] != '+') {
            out.push_back({s[i++]});
            continue;
        }
        if (s[i + 1] == '-') {
            out.push_back({u'+'});
            i += 2;
            continue;
        }
        ++i;
        while (i < in.size() && kDigits.find(static_cast<char>(s[i])) != std::string::npos) {
            bits = bits << 6 | static_cast<std::uint32_t>(kDigits.find(static_cast<char>(s[i++])));
            nbits += 6;
            if (nbits >= 16) {
                nbits -= 16;
                out.push_back({static_cast<char16_t>(bits >> nbits)});
                bits &= (1u << nbits) - 1;
            }
        }
        if (i == in.size() || s[i] < 0x80) {
            bits = 0;
            nbits = 0;
        }
        if (i < in.size() && s[i] != '-') out.push_back({s[i]});
        if (i < in.size()) ++i;
    }
    out.push_back({0});
    return out;
}

bool IsUtf7Direct(char16_t u) {
    return u < 0x80 && (std::isalnum(u) || std::string("'(),-./:? \t\r\n").find(static_cast<char>(u)) != std::string::npos);
}

Pieces<char> Utf7EncodeModel(const std::u16string& in) {
    Pieces<char> out;
    std::size_t i = 0;
    while (i < in.size()) {
        if (IsUtf7Direct(in[i])) {
            out.push_back({static_cast<char>(in[i++])});
        } else if (in[i] == u'+') {
            out.push_back({'+'});
            out.push_back({'-'});
            ++i;
        } else {
            out.push_back({'+'});
            std::uint32_t bits = 0;
            int nbits = 0;
            while (i < in.size() && !IsUtf7Direct(in[i]) && in[i] != u'+') {
                bits = bits << 16 | in[i++];
                nbits += 16;
                while (nbits >= 6) {
                    nbits -= 6;
                    out.push_back({kDigits[bits >> nbits & 0x3F]});
                }
                bits &= (1u << nbits) - 1;
            }
            if (nbits > 0) {
                out.push_back({kDigits[(bits << (6 - nbits)) & 0x3F], '-'});
            } else {
                out.push_back({'-'});
            }
        }
    }
    out.push_back({0});
    return out;
}

// ---- the comparison -----------------------------------------------------

// What a call with `capacity` must return and leave in a buffer of
// `capacity + kGuard` elements pre-filled with `fill`.
constexpr std::size_t kGuard = 40;

template <class T>
int Expected(const Pieces<T>& pieces, int capacity, T fill, std::vector<T>& buffer) {
    std::size_t total = 0;
    for (const auto& p : pieces) total += p.size();
    buffer.assign(static_cast<std::size_t>(capacity) + kGuard, fill);
    if (capacity == 0) return static_cast<int>(total);
    std::size_t at = 0;
    for (const auto& p : pieces) {
        if (at + p.size() > static_cast<std::size_t>(capacity)) return 0;
        for (const T e : p) buffer[at++] = e;
    }
    return static_cast<int>(total);
}

template <class T, class Call>
void CompareAllCapacities(const Pieces<T>& pieces, std::size_t worst, Call call, const std::string& what) {
    std::size_t total = 0;
    for (const auto& p : pieces) total += p.size();
    const std::size_t last = std::max(total, worst) + 2;
    for (std::size_t c = 0; c <= last; ++c) {
        for (const T fill : {static_cast<T>(0x5A5A), static_cast<T>(0xA5A5)}) {
            std::vector<T> want;
            const int r = Expected(pieces, static_cast<int>(c), fill, want);
            std::vector<T> got(want.size(), fill);
            const int g = call(got.data(), static_cast<int>(c));
            ASSERT_EQ(g, r) << what << " capacity " << c;
            ASSERT_EQ(got, want) << what << " capacity " << c;
        }
    }
}

void CheckDecode(CodePage cp, const std::string& in, const Pieces<char16_t>& model) {
    CompareAllCapacities<char16_t>(
        model, in.size() + 1,
        [&](char16_t* d, int c) { return zr::platform::MultiByteToWide(cp, in.c_str(), d, c); },
        zr::test::HexBytes(in.data(), in.size()));
}

void CheckEncode(CodePage cp, const std::u16string& in, const Pieces<char>& model) {
    CompareAllCapacities<char>(
        model, 4 * in.size() + 2,
        [&](char* d, int c) { return zr::platform::WideToMultiByte(cp, in.c_str(), d, c); },
        zr::test::HexUnits(in.data(), in.size()));
}

// ---- random text --------------------------------------------------------

// Runs of one kind of content at a time, so that long runs reach the block
// paths and their ends fall on every offset within a block.
class TextMaker {
public:
    explicit TextMaker(unsigned seed) : rng_(seed) {}
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng_); }

    std::string Cp932(std::size_t n) {
        std::string s;
        while (s.size() < n) {
            const int len = Pick(0, 40);
            switch (Pick(0, 4)) {
                case 0: Repeat(len, [&] { s.push_back(static_cast<char>(Pick(1, 0x7F))); }); break;
                case 1:
                case 2:
                    Repeat(len / 2, [&] {
                        s.push_back(static_cast<char>(Pick(0, 1) ? Pick(0x81, 0x9F) : Pick(0xE0, 0xFC)));
                        s.push_back(static_cast<char>(Pick(0x40, 0xFC)));
                    });
                    break;
                case 3: Repeat(len / 8, [&] { s.push_back(static_cast<char>(Pick(0xA0, 0xDF))); }); break;
                default: Repeat(Pick(0, 3), [&] { s.push_back(static_cast<char>(Pick(1, 0xFF))); }); break;
            }
        }
        return s;
    }

    std::string Utf8(std::size_t n) {
        std::string s;
        while (s.size() < n) {
            const int len = Pick(0, 30);
            switch (Pick(0, 5)) {
                case 0: Repeat(len, [&] { s.push_back(static_cast<char>(Pick(1, 0x7F))); }); break;
                case 1:
                case 2:
                    // Mostly kana and kanji, now and then an overlong form or an
                    // encoded surrogate, which the fast path must hand back.
                    Repeat(len / 3, [&] {
                        const int u = Pick(0, 15) == 0 ? Pick(0, 0xFFFF) : Pick(0x3000, 0x9FFF);
                        s.push_back(static_cast<char>(0xE0 | u >> 12));
                        s.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
                        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                    });
                    break;
                case 3:
                    Repeat(len / 4, [&] {
                        const int u = Pick(0x80, 0x7FF);
                        s.push_back(static_cast<char>(0xC0 | u >> 6));
                        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                    });
                    break;
                case 4:
                    Repeat(len / 8, [&] {
                        const int u = Pick(0x10000, 0x10FFFF);
                        s.push_back(static_cast<char>(0xF0 | u >> 18));
                        s.push_back(static_cast<char>(0x80 | (u >> 12 & 0x3F)));
                        s.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
                        s.push_back(static_cast<char>(0x80 | (u & 0x3F)));
                    });
                    break;
                default: Repeat(Pick(0, 3), [&] { s.push_back(static_cast<char>(Pick(1, 0xFF))); }); break;
            }
        }
        return s;
    }

    std::string Utf7(std::size_t n) {
        std::string s;
        while (s.size() < n) {
            switch (Pick(0, 3)) {
                case 0: Repeat(Pick(0, 20), [&] { s.push_back(static_cast<char>(Pick(1, 0xFF))); }); break;
                default: {
                    s.push_back('+');
                    Repeat(Pick(0, 40), [&] { s.push_back(kDigits[static_cast<std::size_t>(Pick(0, 63))]); });
                    const char* enders = "-- !\x80\xC3+a";
                    if (Pick(0, 6) != 0) s.push_back(enders[Pick(0, 7)]);
                    break;
                }
            }
        }
        return s;
    }

    std::u16string Wide(std::size_t n) {
        std::u16string s;
        while (s.size() < n) {
            const int len = Pick(0, 30);
            switch (Pick(0, 6)) {
                case 0: Repeat(len, [&] { s.push_back(static_cast<char16_t>(Pick(1, 0x7F))); }); break;
                case 1: Repeat(len, [&] { s.push_back(static_cast<char16_t>(Pick(0x3000, 0x30FF))); }); break;
                case 2: Repeat(len, [&] { s.push_back(static_cast<char16_t>(Pick(0x4E00, 0x9FFF))); }); break;
                case 3: Repeat(len / 4, [&] { s.push_back(static_cast<char16_t>(Pick(0x80, 0x7FF))); }); break;
                case 4: Repeat(len / 4, [&] { s.push_back(static_cast<char16_t>(Pick(0xD800, 0xDFFF))); }); break;
                case 5: Repeat(len / 4, [&] { s.push_back(u"+!~ -A\\"[Pick(0, 6)]); }); break;
                default: Repeat(len / 4, [&] { s.push_back(static_cast<char16_t>(Pick(1, 0xFFFF))); }); break;
            }
        }
        return s;
    }

private:
    template <class F>
    void Repeat(int k, F f) {
        for (int j = 0; j < k; ++j) f();
    }
    std::mt19937 rng_;
};

constexpr int kTexts = 150;

std::size_t LengthFor(int k) { return static_cast<std::size_t>(k % 120); }

TEST(ConverterEquivalence, Cp932DecodeMatchesModel) {
    TextMaker make(11);
    for (int k = 0; k < kTexts; ++k) {
        std::string in = make.Cp932(LengthFor(k));
        if (k % 5 == 0) in.push_back('\x81');  // a lead byte before the terminator
        CheckDecode(CodePage::kCp932, in, Cp932DecodeModel(in));
        if (HasFatalFailure()) return;
    }
}

TEST(ConverterEquivalence, Cp932EncodeMatchesModel) {
    TextMaker make(12);
    for (int k = 0; k < kTexts; ++k) {
        const std::u16string in = make.Wide(LengthFor(k));
        CheckEncode(CodePage::kCp932, in, Cp932EncodeModel(in));
        if (HasFatalFailure()) return;
    }
}

TEST(ConverterEquivalence, Utf8DecodeMatchesModel) {
    TextMaker make(13);
    for (int k = 0; k < kTexts; ++k) {
        std::string in = make.Utf8(LengthFor(k));
        if (k % 5 == 0) in += "\xE3\x81";  // a sequence cut by the terminator
        CheckDecode(CodePage::kUtf8, in, Utf8DecodeModel(in));
        if (HasFatalFailure()) return;
    }
}

TEST(ConverterEquivalence, Utf8EncodeMatchesModel) {
    TextMaker make(14);
    for (int k = 0; k < kTexts; ++k) {
        const std::u16string in = make.Wide(LengthFor(k));
        CheckEncode(CodePage::kUtf8, in, Utf8EncodeModel(in));
        if (HasFatalFailure()) return;
    }
}

TEST(ConverterEquivalence, Utf7DecodeMatchesModel) {
    TextMaker make(15);
    for (int k = 0; k < kTexts; ++k) {
        const std::string in = make.Utf7(LengthFor(k));
        CheckDecode(CodePage::kUtf7, in, Utf7DecodeModel(in));
        if (HasFatalFailure()) return;
    }
}

TEST(ConverterEquivalence, Utf7EncodeMatchesModel) {
    TextMaker make(16);
    for (int k = 0; k < kTexts; ++k) {
        const std::u16string in = make.Wide(LengthFor(k));
        CheckEncode(CodePage::kUtf7, in, Utf7EncodeModel(in));
        if (HasFatalFailure()) return;
    }
}

// Texts placed where the blocks begin, end or store more than they count:
// a run that ends in the last block with little or no output after it,
// characters that straddle a block boundary, ASCII just past a block.
struct EdgeCase {
    CodePage cp;
    const char* text;
    const char* why;
};

const EdgeCase kEdgeCases[] = {
    {CodePage::kUtf7, "+AB-+AB-+AB-+AB-", "runs too short for a unit, nothing after them"},
    {CodePage::kUtf7, "+AAAAAAAAAA-", "a run ending in its second block of eight"},
    {CodePage::kUtf7, "+AAAAAAAAAAAAAAAAAAAAAAAAA-+AB-", "three units in the closing block"},
    {CodePage::kUtf7, "+AAAAAAAAAAA\x80+AAA-+AB-+AB-", "bits kept over a byte 0x80"},
    {CodePage::kUtf7, "+MEIwRDBGMEgwSjBLMEswTzBRMFMwVTBX", "a run ended by the terminator"},
    {CodePage::kCp932, "abcdefghijklmno\x82\xA0\x82\xA2", "a pair across the first block boundary"},
    {CodePage::kCp932, "\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82\xA0\x82", "a lead byte before the terminator after a block"},
    {CodePage::kCp932, "\x88\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9F\x9Fxyz", "second bytes that are lead values"},
    {CodePage::kUtf8, "\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81", "a cut sequence after a block"},
    {CodePage::kUtf8, "\xE3\x81\x82\xE0\x80\x80\xED\xA0\x80\xEF\xBF\xBF\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82\xE3\x81\x82" "abc", "overlong and surrogate forms inside a block"},
};

TEST(ConverterEquivalence, BlockEdgesMatchModel) {
    for (const auto& c : kEdgeCases) {
        const std::string in = c.text;
        const Pieces<char16_t> model = c.cp == CodePage::kCp932  ? Cp932DecodeModel(in)
                                       : c.cp == CodePage::kUtf8 ? Utf8DecodeModel(in)
                                                                 : Utf7DecodeModel(in);
        SCOPED_TRACE(c.why);
        CheckDecode(c.cp, in, model);
        // The same text after ASCII of every length, so that it meets the
        // blocks at every offset.
        for (std::size_t pad = 1; pad < 20; ++pad) {
            const std::string padded = std::string(pad, 'a') + in;
            CheckDecode(c.cp, padded,
                        c.cp == CodePage::kCp932  ? Cp932DecodeModel(padded)
                        : c.cp == CodePage::kUtf8 ? Utf8DecodeModel(padded)
                                                  : Utf7DecodeModel(padded));
        }
    }
}

// The block paths begin wherever the text lets them: the same text at every
// offset from the start of an aligned buffer, so that vector loads meet
// the text at every alignment.
TEST(ConverterEquivalence, EveryAlignmentGivesTheSameOutput) {
    TextMaker make(17);
    const std::string bytes = make.Cp932(100);
    const std::string utf8 = make.Utf8(100);
    const std::u16string wide = make.Wide(100);
    for (std::size_t off = 0; off < 16; ++off) {
        std::string b(off, 'x');
        b += bytes;
        std::string u(off, 'x');
        u += utf8;
        std::u16string w(off, u'x');
        w += wide;
        std::vector<char16_t> out(512);
        std::vector<char> outBytes(1024);
        const int r1 = zr::platform::MultiByteToWide(CodePage::kCp932, b.c_str() + off, out.data(), 512);
        EXPECT_EQ(std::vector<char16_t>(out.begin(), out.begin() + r1),
                  [&] {
                      std::vector<char16_t> v;
                      for (const auto& p : Cp932DecodeModel(bytes)) v.insert(v.end(), p.begin(), p.end());
                      return v;
                  }());
        const int r2 = zr::platform::MultiByteToWide(CodePage::kUtf8, u.c_str() + off, out.data(), 512);
        std::vector<char16_t> want2;
        for (const auto& p : Utf8DecodeModel(utf8)) want2.insert(want2.end(), p.begin(), p.end());
        EXPECT_EQ(std::vector<char16_t>(out.begin(), out.begin() + r2), want2);
        for (const CodePage cp : {CodePage::kCp932, CodePage::kUtf8, CodePage::kUtf7}) {
            const int r3 = zr::platform::WideToMultiByte(cp, w.c_str() + off, outBytes.data(), 1024);
            const Pieces<char> model = cp == CodePage::kCp932  ? Cp932EncodeModel(wide)
                                       : cp == CodePage::kUtf8 ? Utf8EncodeModel(wide)
                                                               : Utf7EncodeModel(wide);
            std::vector<char> want3;
            for (const auto& p : model) want3.insert(want3.end(), p.begin(), p.end());
            EXPECT_EQ(std::vector<char>(outBytes.begin(), outBytes.begin() + r3), want3) << "offset " << off;
        }
    }
}

// ---- the UTF-8 converter's ASCII runs, each kind by name ------------------

using zr::codepage::AsciiRuns;

struct RunsCase {
    AsciiRuns runs;
    const char* name;
};

const RunsCase kRunsCases[] = {
    {AsciiRuns::kNone, "no runs: blocks and characters only"},
    {AsciiRuns::kBaseline, "baseline runs"},
    {AsciiRuns::kAvx2, "AVX2 runs"},
};

void PrintTo(const RunsCase& c, std::ostream* os) { *os << c.name; }

class Utf8AsciiRuns : public ::testing::TestWithParam<RunsCase> {
protected:
    void SetUp() override {
        if (!zr::codepage::HasAsciiRuns(GetParam().runs)) {
            GTEST_SKIP() << GetParam().name << ": not on this processor or in this build";
        }
    }
};

// What ends or interrupts a run of ASCII, in each direction: every length
// of sequence, malformed ones, and units the narrowing must not take for
// ASCII (0x100 and 0x8000 pack to bytes below 0x80 once saturated or cut).
const char* const kByteBreaks[] = {"", "\xC3\xA9", "\xE3\x81\x82", "\x80", "\xF0\x9F\x98\x80", "\xE3\x81", "\xFF"};
const std::u16string kUnitBreaks[] = {u"", u"\u0080", u"\u0100", u"\u3042", u"\u8000", u"\U0001F600",
                                      u"\xD800", u"\u07FF", u"\uFFFF"};

// ASCII of `length` bytes with `piece` at `at` (the text is cut to
// `length` when the piece does not fit before its end).
template <class S>
S AsciiWith(std::size_t length, std::size_t at, const S& piece) {
    S s;
    for (std::size_t k = 0; k < length; ++k) s.push_back(static_cast<typename S::value_type>('!' + (k * 7) % 94));
    if (at > length) at = length;
    s.insert(at, piece);
    s.resize(length);
    return s;
}

// One call with src and dst each `offset` elements into their buffers, at a
// few capacities around the fit and the unchecked bound; the elements of dst
// before the capacity and after it must be as the model leaves them.
template <class In, class Out, class Call>
void CompareAligned(const std::basic_string<In>& text, const Pieces<Out>& pieces, std::size_t worst,
                    std::size_t offset, Call call, const std::string& what) {
    std::size_t total = 0;
    for (const auto& p : pieces) total += p.size();
    std::basic_string<In> placed(offset, static_cast<In>('x'));
    placed += text;
    for (const std::size_t c : {std::size_t{0}, std::size_t{1}, total - 1, total, total + 1, worst, worst + 9}) {
        const Out fill = static_cast<Out>(0x5A5A);
        std::vector<Out> want;
        const int r = Expected(pieces, static_cast<int>(c), fill, want);
        std::vector<Out> got(offset + want.size(), fill);
        const int g = call(placed.c_str() + offset, got.data() + offset, static_cast<int>(c));
        ASSERT_EQ(g, r) << what << ", offset " << offset << ", capacity " << c;
        ASSERT_EQ(std::vector<Out>(got.begin() + static_cast<std::ptrdiff_t>(offset), got.end()), want)
            << what << ", offset " << offset << ", capacity " << c;
    }
}

TEST_P(Utf8AsciiRuns, DecodeMatchesModelAtEveryLengthAndAlignment) {
    const AsciiRuns runs = GetParam().runs;
    auto call = [runs](const char* s, char16_t* d, int c) {
        return zr::codepage::Utf8ToWideWith(runs, reinterpret_cast<const std::uint8_t*>(s), std::strlen(s), d, c);
    };
    for (std::size_t length = 0; length <= 128; ++length) {
        for (std::size_t offset = 0; offset < 32; ++offset) {
            const std::string piece = kByteBreaks[(length + offset) % std::size(kByteBreaks)];
            const std::string text = AsciiWith(length, (offset * 37 + length * 5) % (length + 1), piece);
            CompareAligned(text, Utf8DecodeModel(text), text.size() + 1, offset, call,
                           GetParam().name + (": " + zr::test::HexBytes(text.data(), text.size())));
            if (HasFatalFailure()) return;
        }
        // Every capacity, with the break at each place of the last blocks.
        for (const char* piece : kByteBreaks) {
            const std::string text = AsciiWith(length, length > 40 ? length - 40 + length % 40 : length / 2,
                                               std::string(piece));
            CompareAllCapacities<char16_t>(Utf8DecodeModel(text), text.size() + 1,
                                           [&](char16_t* d, int c) { return call(text.c_str(), d, c); },
                                           GetParam().name + (": " + zr::test::HexBytes(text.data(), text.size())));
            if (HasFatalFailure()) return;
        }
    }
}

TEST_P(Utf8AsciiRuns, EncodeMatchesModelAtEveryLengthAndAlignment) {
    const AsciiRuns runs = GetParam().runs;
    auto call = [runs](const char16_t* s, char* d, int c) {
        return zr::codepage::WideToUtf8With(runs, s, std::char_traits<char16_t>::length(s), d, c);
    };
    for (std::size_t length = 0; length <= 128; ++length) {
        for (std::size_t offset = 0; offset < 32; ++offset) {
            const std::u16string& piece = kUnitBreaks[(length + offset) % std::size(kUnitBreaks)];
            const std::u16string text = AsciiWith(length, (offset * 37 + length * 5) % (length + 1), piece);
            CompareAligned(text, Utf8EncodeModel(text), 3 * text.size() + 1, offset, call,
                           GetParam().name + (": " + zr::test::HexUnits(text.data(), text.size())));
            if (HasFatalFailure()) return;
        }
        for (const std::u16string& piece : kUnitBreaks) {
            const std::u16string text = AsciiWith(length, length > 40 ? length - 40 + length % 40 : length / 2, piece);
            CompareAllCapacities<char>(Utf8EncodeModel(text), 3 * text.size() + 1,
                                       [&](char* d, int c) { return call(text.c_str(), d, c); },
                                       GetParam().name + (": " + zr::test::HexUnits(text.data(), text.size())));
            if (HasFatalFailure()) return;
        }
    }
}

// Kana and kanji with ASCII among them, the mix the encoder's blocks pack,
// now and then broken by a unit of another length or a surrogate.
TEST_P(Utf8AsciiRuns, EncodeOfJapaneseMixesMatchesModelAtEveryCapacity) {
    const AsciiRuns runs = GetParam().runs;
    std::mt19937 rng(3000);
    auto pick = [&rng](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (std::size_t length = 0; length <= 128; ++length) {
        std::u16string text;
        while (text.size() < length) {
            const int kind = pick(0, 39);
            if (kind == 0) {
                text.push_back(static_cast<char16_t>(pick(0x80, 0x7FF)));
            } else if (kind == 1) {
                text.push_back(static_cast<char16_t>(pick(0xD800, 0xDFFF)));
            } else if (kind < 14) {
                text.push_back(static_cast<char16_t>(pick(0x20, 0x7E)));
            } else {
                text.push_back(static_cast<char16_t>(pick(0, 3) == 0 ? pick(0xE000, 0xFFFF) : pick(0x3000, 0x9FFF)));
            }
        }
        CompareAllCapacities<char>(
            Utf8EncodeModel(text), 3 * text.size() + 1,
            [&](char* d, int c) { return zr::codepage::WideToUtf8With(runs, text.c_str(), text.size(), d, c); },
            GetParam().name + (": " + zr::test::HexUnits(text.data(), text.size())));
        if (HasFatalFailure()) return;
    }
}

// Code page 932 takes its ASCII runs with the same kernels, the fastest
// this processor has.
TEST(ConverterEquivalence, Cp932AsciiRunsMatchModelAtEveryLengthAndAlignment) {
    const char* const breaks[] = {"", "\x82\xA0", "\xB1", "\x80", "\x88\x9F\x82", "\x81"};
    auto call = [](const char* s, char16_t* d, int c) { return zr::platform::MultiByteToWide(CodePage::kCp932, s, d, c); };
    for (std::size_t length = 0; length <= 128; ++length) {
        for (std::size_t offset = 0; offset < 32; ++offset) {
            const std::string piece = breaks[(length + offset) % std::size(breaks)];
            const std::string text = AsciiWith(length, (offset * 37 + length * 5) % (length + 1), piece);
            CompareAligned(text, Cp932DecodeModel(text), text.size() + 1, offset, call,
                           zr::test::HexBytes(text.data(), text.size()));
            if (HasFatalFailure()) return;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, Utf8AsciiRuns, ::testing::ValuesIn(kRunsCases),
                         [](const ::testing::TestParamInfo<RunsCase>& info) {
                             return std::string(info.param.runs == AsciiRuns::kNone       ? "None"
                                                : info.param.runs == AsciiRuns::kBaseline ? "Baseline"
                                                                                          : "Avx2");
                         });

}  // namespace
