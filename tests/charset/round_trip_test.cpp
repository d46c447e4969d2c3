// round_trip_test.cpp - generated text: round trips through every pair of
// encodings, the byte loops against a plain model at random capacities, and
// malformed input at exact-size buffers.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "charset/byte_class.hpp"
#include "charset/euc_jp.hpp"
#include "charset/jis.hpp"
#include "charset_test_util.hpp"
#include "zr_moji.h"

using namespace zr_test;
namespace cs = zr::charset;

namespace {

constexpr int kRounds = 3000;

// Shift_JIS text of ASCII, line ends, JIS X 0208 pairs and, when asked,
// half-width katakana.
std::string RandomShiftJis(std::mt19937& rng, bool kana) {
    std::string s;
    const int chars = 1 + static_cast<int>(rng() % 30);
    for (int k = 0; k < chars; ++k) {
        switch (rng() % (kana ? 5 : 4)) {
            case 0:
                s.push_back(static_cast<char>(0x20 + rng() % 0x5F));
                break;
            case 1:
                s += "\r\n";
                break;
            case 4:
                s.push_back(static_cast<char>(0xA1 + rng() % 0x3F));
                break;
            default: {
                const std::uint8_t jis[2] = {std::uint8_t(0x21 + rng() % 94), std::uint8_t(0x21 + rng() % 94)};
                std::uint8_t sjis[2];
                cs::JisPairToSJis(jis, sjis);
                s.push_back(static_cast<char>(sjis[0]));
                s.push_back(static_cast<char>(sjis[1]));
            }
        }
    }
    return s;
}

TEST(RoundTrip, ShiftJisThroughJis) {
    std::mt19937 rng(1);
    for (int k = 0; k < kRounds; ++k) {
        const std::string text = RandomShiftJis(rng, true);
        const auto jis = Call(ZR_SJisToJis, text, static_cast<int32_t>(text.size() * 3 + 8));
        ASSERT_GT(jis.result, 0) << ToHex(text);
        const auto back = Call(ZR_JisToSJis, jis.text, jis.result + 1);
        ASSERT_EQ(back.result, static_cast<int32_t>(text.size())) << ToHex(text);
        ASSERT_EQ(back.text, text) << ToHex(text);
    }
}

// Katakana are left out: a single high byte reads as half of a unit in EUC-JP.
TEST(RoundTrip, ShiftJisThroughEuc) {
    std::mt19937 rng(2);
    for (int k = 0; k < kRounds; ++k) {
        const std::string text = RandomShiftJis(rng, false);
        const int32_t size = static_cast<int32_t>(text.size() * 3 + 8);
        const auto euc = Call(ZR_SJisToEuc, text, size);
        ASSERT_EQ(euc.result, static_cast<int32_t>(text.size())) << ToHex(text);
        const auto back = Call(ZR_EucToSJis, euc.text, size);
        ASSERT_EQ(back.text, text) << ToHex(text);
        ASSERT_EQ(back.result, static_cast<int32_t>(text.size()));
    }
}

std::u16string RandomUtf16(std::mt19937& rng) {
    std::u16string s;
    const int chars = 1 + static_cast<int>(rng() % 20);
    for (int k = 0; k < chars; ++k) {
        switch (rng() % 4) {
            case 0:
                s.push_back(static_cast<char16_t>(0x20 + rng() % 0x5F));
                break;
            case 1: {
                char16_t u;
                do {
                    u = static_cast<char16_t>(0x80 + rng() % 0xFF80);
                } while (u >= 0xD800 && u <= 0xDFFF);
                s.push_back(u);
                break;
            }
            case 2:
                s.push_back(static_cast<char16_t>(0x3041 + rng() % 0x50));
                break;
            default:
                s.push_back(static_cast<char16_t>(0xD800 + rng() % 0x400));
                s.push_back(static_cast<char16_t>(0xDC00 + rng() % 0x400));
        }
    }
    return s;
}

TEST(RoundTrip, Utf16ThroughUtf8AndUtf7) {
    std::mt19937 rng(3);
    for (int k = 0; k < kRounds; ++k) {
        const std::u16string text = RandomUtf16(rng);
        const int32_t size = static_cast<int32_t>(text.size() * 8 + 8);
        const auto u8 = Call(ZR_UnicodeToUtf8, text, size);
        ASSERT_GT(u8.result, 0);
        auto back = Call(ZR_Utf8ToUnicode, u8.text, size);
        ASSERT_EQ(back.result, static_cast<int32_t>(text.size() + 1));
        ASSERT_EQ(back.text, text) << ToHex(text);
        const auto u7 = Call(ZR_UnicodeToUtf7, text, size);
        ASSERT_GT(u7.result, 0);
        back = Call(ZR_Utf7ToUnicode, u7.text, size);
        ASSERT_EQ(back.text, text) << ToHex(text) << " via " << u7.text;
    }
}

// JIS X 0208 characters whose code page 932 form maps back to itself, so that
// UTF-16 -> JIS/EUC-JP -> UTF-16 must give the text back.
TEST(RoundTrip, Utf16ThroughJisAndEuc) {
    std::vector<char16_t> chars;
    for (int h = 0x21; h <= 0x74; ++h) {
        for (int l = 0x21; l <= 0x7E; ++l) {
            const std::uint8_t jis[2] = {std::uint8_t(h), std::uint8_t(l)};
            char sjis[3] = {};
            cs::JisPairToSJis(jis, reinterpret_cast<std::uint8_t*>(sjis));
            ZR_WCHAR u[2];
            if (ZR_SJisToUnicode(sjis, u, 2) != 2 || u[0] == 0x30FB) continue;
            char again[3];
            const ZR_WCHAR one[2] = {u[0], 0};
            if (ZR_UnicodeToSJis(one, again, 3) == 2 && std::string(again) == sjis) chars.push_back(u[0]);
        }
    }
    ASSERT_GT(chars.size(), 6000u);
    std::mt19937 rng(4);
    for (int k = 0; k < kRounds; ++k) {
        std::u16string text;
        const int n = 1 + static_cast<int>(rng() % 20);
        for (int c = 0; c < n; ++c) {
            text.push_back(rng() % 3 == 0 ? static_cast<char16_t>(0x20 + rng() % 0x5F) : chars[rng() % chars.size()]);
        }
        const int32_t size = static_cast<int32_t>(text.size() * 8 + 8);
        const auto jis = Call(ZR_UnicodeToJis, text, size);
        ASSERT_GT(jis.result, 0);
        auto back = Call(ZR_JisToUnicode, jis.text, size);
        ASSERT_EQ(back.text, text) << ToHex(text);
        const auto euc = Call(ZR_UnicodeToEuc, text, size);
        ASSERT_GT(euc.result, 0);
        back = Call(ZR_EucToUnicode, euc.text, size);
        ASSERT_EQ(back.text, text) << ToHex(text);
        ASSERT_EQ(back.result, static_cast<int32_t>(text.size() + 1));
    }
}

// ---- The byte loops against a plain model ----------------------------------
//
// The model follows the conversion step by step into an unbounded string;
// the text is what lies before the first NUL. An export must then answer
// -1 for an empty or too long src, 0 with an empty dst when the text and its
// NUL exceed dstSize, and otherwise the text and its length.

struct Model {
    std::string text;
    bool unconvertible = false;
    std::string beforeEscape;  // unconvertible: the text without an escape written just before
};

std::string UpToNul(const std::string& s) { return s.substr(0, s.find('\0')); }

template <class Pair>
Model ModelReadJis(const std::string& src, Pair pair) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(src.c_str());
    const size_t n = src.size();
    std::string out;
    bool kanji = false;
    size_t i = 0;
    while (i < n) {
        int len = 0;
        if (cs::IsJisKanjiInEscape(s + i, len)) {
            kanji = true;
            i += len;
        } else if (cs::IsJisKanjiOutEscape(s + i, len)) {
            kanji = false;
            i += len;
        }
        if (i >= n) break;
        if (kanji) {
            std::uint8_t o[2];
            pair(s + i, o);
            out.push_back(static_cast<char>(o[0]));
            out.push_back(static_cast<char>(o[1]));
            i += 2;
        } else {
            out.push_back(static_cast<char>(s[i++]));
        }
    }
    Model m;
    m.text = UpToNul(out);
    return m;
}

Model ModelJisToSJis(const std::string& src) {
    return ModelReadJis(src, [](const std::uint8_t* in, std::uint8_t* out) {
        if (!cs::JisPairToSJis(in, out)) {
            out[0] = in[0];
            out[1] = in[1];
        }
    });
}

Model ModelJisToEuc(const std::string& src) {
    return ModelReadJis(src, [](const std::uint8_t* in, std::uint8_t* out) { cs::JisPairToEuc(in, out); });
}

Model ModelSJisToJis(const std::string& src) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(src.c_str());
    Model m;
    bool kanji = false;
    for (size_t i = 0; i < src.size();) {
        if (cs::IsLeadByte(s[i]) && cs::IsTrailByte(s[i + 1])) {
            m.beforeEscape = m.text;
            if (!kanji) m.text += "\x1B$B";
            kanji = true;
            std::uint8_t o[2];
            if (!cs::SJisPairToJis(s + i, o)) {
                m.unconvertible = true;
                return m;
            }
            m.text.push_back(static_cast<char>(o[0]));
            m.text.push_back(static_cast<char>(o[1]));
            i += 2;
        } else {
            if (kanji) m.text += "\x1B(B";
            kanji = false;
            m.text.push_back(static_cast<char>(s[i++]));
        }
    }
    if (kanji) m.text += "\x1B(B";
    return m;
}

Model ModelEucToJis(const std::string& src) {
    const auto* s = reinterpret_cast<const std::uint8_t*>(src.c_str());
    std::string out;
    bool kanji = false;
    for (size_t i = 0; i < src.size();) {
        if (s[i] >= 0x80) {
            if (!kanji) out += "\x1B$@";
            kanji = true;
            out.push_back(static_cast<char>(s[i] - 0x80));
            out.push_back(static_cast<char>(s[i + 1] - 0x80));
            i += 2;
        } else {
            if (kanji) out += "\x1B(B";
            kanji = false;
            out.push_back(static_cast<char>(s[i++]));
        }
    }
    Model m;
    m.text = UpToNul(out);
    return m;
}

// Bytes that make the loops switch, pair, misread and stop.
std::string RandomBytes(std::mt19937& rng) {
    static const std::uint8_t kAlphabet[] = {0x1B, 0x1B, 0x1B, 0x24, 0x24, 0x28, 0x28, 0x26, 0x40, 0x42, 0x42,
                                             0x4A, 0x49, 0x44, 0x21, 0x30, 0x7E, 0x7F, 0x0D, 0x0A, 0x41, 0x20,
                                             0x80, 0x81, 0x88, 0x9F, 0xA0, 0xA1, 0xB1, 0xDF, 0xE0, 0xEF, 0xF0,
                                             0xFC, 0xFD, 0xFF, 0x8E, 0x8F};
    std::string s;
    const int n = 1 + static_cast<int>(rng() % 24);
    for (int k = 0; k < n; ++k) {
        s.push_back(rng() % 4 == 0 ? static_cast<char>(1 + rng() % 255)
                                   : static_cast<char>(kAlphabet[rng() % sizeof(kAlphabet)]));
    }
    return s;
}

struct LoopUnderTest {
    B2B fn;
    Model (*model)(const std::string&);
    const char* name;
};

TEST(ByteLoops, MatchThePlainModelAtEveryCapacity) {
    const LoopUnderTest loops[] = {
        {ZR_JisToSJis, ModelJisToSJis, "JisToSJis"},
        {ZR_JisToEuc, ModelJisToEuc, "JisToEuc"},
        {ZR_SJisToJis, ModelSJisToJis, "SJisToJis"},
        {ZR_EucToJis, ModelEucToJis, "EucToJis"},
    };
    std::mt19937 rng(5);
    for (int k = 0; k < kRounds * 2; ++k) {
        const std::string src = RandomBytes(rng);
        const int32_t n = static_cast<int32_t>(src.size());
        for (const auto& loop : loops) {
            const Model m = loop.model(src);
            const int32_t len = static_cast<int32_t>(m.text.size());
            const int32_t sizes[] = {n - 1, n, n + 1, len, len + 1, len + 2, n + static_cast<int32_t>(rng() % 40)};
            for (int32_t size : sizes) {
                if (size < 0) continue;
                const auto r = Call(loop.fn, src, size);
                std::string wantText;
                int32_t want;
                if (n > size) {
                    want = -1;
                } else if (m.unconvertible) {
                    // The text before the bad pair fits or the call has
                    // already stopped for room; its escape only when it fits.
                    const int32_t before = static_cast<int32_t>(m.beforeEscape.size());
                    if (before + 1 > size) {
                        want = 0;
                    } else {
                        want = -1;
                        wantText = len + 1 <= size ? m.text : m.beforeEscape;
                    }
                } else if (len + 1 > size) {
                    want = 0;
                } else {
                    want = len;
                    wantText = m.text;
                }
                ASSERT_EQ(r.result, want) << loop.name << " " << ToHex(src) << " size " << size;
                ASSERT_EQ(ToHex(r.text), ToHex(wantText)) << loop.name << " " << ToHex(src) << " size " << size;
            }
        }
    }
}

// ---- Malformed input --------------------------------------------------------

TEST(MalformedInput, NeverReadsOrWritesOutsideTheBuffers) {
    const B2B bytesToBytes[] = {ZR_JisToSJis, ZR_SJisToJis, ZR_EucToJis,   ZR_JisToEuc,   ZR_EucToSJis,
                                ZR_SJisToEuc, ZR_Utf8ToSJis, ZR_SJisToUtf8, ZR_Utf7ToSJis, ZR_SJisToUtf7};
    const B2U bytesToUnits[] = {ZR_SJisToUnicode, ZR_JisToUnicode, ZR_EucToUnicode, ZR_Utf8ToUnicode,
                                ZR_Utf7ToUnicode};
    const U2B unitsToBytes[] = {ZR_UnicodeToSJis, ZR_UnicodeToJis, ZR_UnicodeToEuc, ZR_UnicodeToUtf8,
                                ZR_UnicodeToUtf7};
    std::mt19937 rng(6);
    for (int k = 0; k < 600; ++k) {
        std::string src = RandomBytes(rng);
        if (k % 3 == 0) src += "+";  // open UTF-7 run, odd final byte
        const int32_t n = static_cast<int32_t>(src.size());
        // Exact-size copy of the input so that a read past its NUL is caught.
        std::unique_ptr<char[]> in(new char[src.size() + 1]);
        std::memcpy(in.get(), src.c_str(), src.size() + 1);
        for (int32_t size : {1, n / 2 + 1, n, n + 1, 3 * n + 8}) {
            for (B2B fn : bytesToBytes) {
                Bytes dst(size);
                const int32_t r = fn(in.get(), dst.data.get(), size);
                ASSERT_GE(r, -1);
                ASSERT_LT(r, size);
                if (r > 0) {
                    ASSERT_EQ(static_cast<int32_t>(dst.Text().size()), r) << ToHex(src);
                }
            }
            for (B2U fn : bytesToUnits) {
                Units dst(size);
                const int32_t r = fn(in.get(), dst.data.get(), size);
                ASSERT_GE(r, -1);
                ASSERT_LE(r, size);
            }
        }
        std::u16string units;
        for (char c : src) {
            const std::uint8_t b = static_cast<std::uint8_t>(c);
            // Lone and reversed surrogates, kana, ASCII.
            units.push_back(b < 0x40 ? static_cast<char16_t>(0xD800 + b * 37) : b < 0x80 ? char16_t(b) : char16_t(0x3000 + b));
        }
        std::unique_ptr<ZR_WCHAR[]> win(new ZR_WCHAR[units.size() + 1]);
        std::memcpy(win.get(), units.c_str(), (units.size() + 1) * sizeof(ZR_WCHAR));
        for (int32_t size : {1, n, n + 1, 4 * n + 8}) {
            for (U2B fn : unitsToBytes) {
                Bytes dst(size);
                const int32_t r = fn(win.get(), dst.data.get(), size);
                ASSERT_GE(r, -1);
                ASSERT_LT(r, size);
                if (r > 0) {
                    ASSERT_EQ(static_cast<int32_t>(dst.Text().size()), r);
                }
            }
        }
    }
}

}  // namespace
