// differential_test.cpp - the exports against the step-by-step reference of
// reference_chain.hpp: the same result and the same bytes in every byte of
// dst (the caller's fill where nothing was written), at every capacity from
// 0 past the largest any step needs, on generated Japanese text long enough
// for the 16-byte paths and on malformed text that the one-pass loops hand
// back to the steps.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "charset/jis.hpp"
#include "charset_test_util.hpp"
#include "reference_chain.hpp"
#include "zr_moji.h"

using namespace zr_test;
namespace ref = zr_reference;
namespace cs = zr::charset;

namespace {

// ---- Generated text ------------------------------------------------------

// Pieces of text in runs long enough to cross several 16-byte blocks and end
// anywhere within one, with the odd malformed piece among them.
struct Gen {
    std::mt19937 rng;
    explicit Gen(unsigned seed) : rng(seed) {}
    unsigned Pick(unsigned n) { return static_cast<unsigned>(rng() % n); }
    bool OneIn(unsigned n) { return Pick(n) == 0; }
    std::uint8_t JisByte() { return static_cast<std::uint8_t>(0x21 + Pick(94)); }
    unsigned RunLength() { return OneIn(3) ? 1 + Pick(4) : 1 + Pick(40); }
    void Ascii(std::string& s) {
        for (unsigned k = RunLength(); k > 0; --k) s.push_back(static_cast<char>(0x20 + Pick(0x5F)));
    }
    void Junk(std::string& s, const std::vector<std::uint8_t>& bytes) {
        s.push_back(static_cast<char>(bytes[Pick(static_cast<unsigned>(bytes.size()))]));
    }
};

std::string SJisPair(std::uint8_t h, std::uint8_t l) {
    const std::uint8_t jis[2] = {h, l};
    std::uint8_t sjis[2];
    cs::JisPairToSJis(jis, sjis);
    return std::string(reinterpret_cast<const char*>(sjis), 2);
}

// JIS: kanji runs under each kanji-in escape, single-byte runs under each
// kanji-out escape, and now and then a unit or byte that is not JIS X 0208,
// a stray or cut-short ESC, or an odd last byte.
std::string RandomJis(Gen& g) {
    static const char* kIn[] = {"\x1B$B", "\x1B$@", "\x1B&@\x1B$B", "\x1B$(D"};
    static const char* kOut[] = {"\x1B(B", "\x1B(J", "\x1B(I"};
    static const std::vector<std::uint8_t> kJunk = {0x1B, 0x0D, 0x0A, 0x80, 0xA4, 0xFF, 0x7F, 0x20, 0x24, 0x28};
    std::string s;
    const unsigned pieces = 1 + g.Pick(8);
    for (unsigned p = 0; p < pieces; ++p) {
        s += kIn[g.OneIn(4) ? g.Pick(4) : 0];
        for (unsigned k = g.RunLength(); k > 0; --k) {
            s.push_back(static_cast<char>(g.JisByte()));
            s.push_back(static_cast<char>(g.JisByte()));
            if (g.OneIn(60)) g.Junk(s, kJunk);
        }
        if (g.OneIn(8)) break;  // the text ends inside a kanji run
        s += kOut[g.OneIn(4) ? g.Pick(3) : 0];
        g.Ascii(s);
        if (g.OneIn(10)) g.Junk(s, kJunk);
    }
    if (g.OneIn(10)) s.push_back(static_cast<char>(g.JisByte()));
    return s;
}

// Shift_JIS: kanji runs, single-byte runs, half-width katakana, and rarely a
// user-defined character, an ESC byte or a lead byte without its trail.
std::string RandomSJis(Gen& g) {
    static const std::vector<std::uint8_t> kJunk = {0x1B, 0x80, 0xA0, 0xFD, 0xFF, 0x81};
    std::string s;
    const unsigned pieces = 1 + g.Pick(8);
    for (unsigned p = 0; p < pieces; ++p) {
        for (unsigned k = g.RunLength(); k > 0; --k) {
            if (g.OneIn(80)) {
                s += "\xF0\x40";
            } else {
                s += SJisPair(g.JisByte(), g.JisByte());
            }
        }
        if (g.OneIn(4)) {
            for (unsigned k = 1 + g.Pick(20); k > 0; --k) s.push_back(static_cast<char>(0xA1 + g.Pick(0x3F)));
        } else {
            g.Ascii(s);
        }
        if (g.OneIn(12)) g.Junk(s, kJunk);
    }
    return s;
}

// EUC-JP: units of JIS X 0208, single-byte runs, and rarely 0x8E/0x8F units,
// a unit with a low second byte, 0x80, an ESC or an odd last byte.
std::string RandomEuc(Gen& g) {
    static const std::vector<std::uint8_t> kJunk = {0x1B, 0x80, 0x8E, 0x8F, 0xFF, 0xA0};
    std::string s;
    const unsigned pieces = 1 + g.Pick(8);
    for (unsigned p = 0; p < pieces; ++p) {
        for (unsigned k = g.RunLength(); k > 0; --k) {
            s.push_back(static_cast<char>(g.JisByte() | 0x80));
            s.push_back(static_cast<char>(g.OneIn(200) ? 0x41 : g.JisByte() | 0x80));
            if (g.OneIn(150)) g.Junk(s, kJunk);
        }
        if (g.OneIn(8)) break;
        g.Ascii(s);
        if (g.OneIn(12)) g.Junk(s, kJunk);
    }
    if (g.OneIn(10)) s.push_back(static_cast<char>(0xB0));
    return s;
}

// UTF-16: kanji and kana that code page 932 has, ASCII, and rarely a
// user-defined character, ESC, a character without a code page 932 form or
// a lone surrogate.
std::u16string RandomUtf16(Gen& g) {
    std::u16string s;
    const unsigned pieces = 1 + g.Pick(8);
    for (unsigned p = 0; p < pieces; ++p) {
        for (unsigned k = g.RunLength(); k > 0; --k) {
            const unsigned r = g.Pick(200);
            if (r == 0) s.push_back(0xE000 + static_cast<char16_t>(g.Pick(0x700)));
            else if (r == 1) s.push_back(0x1B);
            else if (r == 2) s.push_back(0x0100 + static_cast<char16_t>(g.Pick(0x100)));
            else if (r == 3) s.push_back(0xD800);
            else if (r < 100) s.push_back(static_cast<char16_t>(0x3041 + g.Pick(0x53)));
            else s.push_back(static_cast<char16_t>(0x4E00 + g.Pick(0x5000)));
        }
        for (unsigned k = g.RunLength(); k > 0; --k) {
            s.push_back(g.OneIn(5) ? static_cast<char16_t>(0xFF61 + g.Pick(0x3F)) : static_cast<char16_t>(0x20 + g.Pick(0x5F)));
        }
    }
    return s;
}

// ---- Comparison ------------------------------------------------------------

template <class T>
std::vector<T> Filled(std::size_t n) {
    std::vector<T> v(n);
    if (n != 0) std::memset(v.data(), kFill, n * sizeof(T));
    return v;
}

// Runs both at every capacity up to `maxSize` on exact-size heap copies.
template <class In, class Out, class Fn, class RefFn>
void CompareAtEveryCapacity(const char* name, const std::basic_string<In>& text, Fn fn, RefFn reference,
                            std::int32_t maxSize) {
    const std::vector<In> src(text.c_str(), text.c_str() + text.size() + 1);
    for (std::int32_t size = 0; size <= maxSize; ++size) {
        ExactBuffer<Out> got(size);
        auto want = Filled<Out>(static_cast<std::size_t>(size));
        Out guard = 0;
        Out* wantData = size > 0 ? want.data() : &guard;
        const std::int32_t r = fn(src.data(), got.data.get(), size);
        const std::int32_t w = reference(src.data(), wantData, size);
        ASSERT_EQ(r, w) << name << " size " << size << " on " << ToHex(text);
        if (size > 0) {
            ASSERT_EQ(std::memcmp(got.data.get(), want.data(), sizeof(Out) * static_cast<std::size_t>(size)), 0)
                << name << " dst differs at size " << size << " (result " << r << ") on " << ToHex(text);
        }
    }
}

using B2BFn = std::int32_t (*)(const char*, char*, std::int32_t);

struct ByteExport {
    B2BFn fn;
    B2BFn reference;
    const char* name;
};

constexpr ByteExport kFromJis[] = {
    {ZR_JisToSJis, ref::JisToSJis, "JisToSJis"},
    {ZR_JisToEuc, ref::JisToEuc, "JisToEuc"},
};
constexpr ByteExport kFromSJis[] = {
    {ZR_SJisToJis, ref::SJisToJis, "SJisToJis"},
    {ZR_SJisToEuc, ref::SJisToEuc, "SJisToEuc"},
};
constexpr ByteExport kFromEuc[] = {
    {ZR_EucToJis, ref::EucToJis, "EucToJis"},
    {ZR_EucToSJis, ref::EucToSJis, "EucToSJis"},
};

constexpr int kRounds = 250;

std::int32_t MaxSize(std::size_t n) { return static_cast<std::int32_t>(3 * n + 8); }

TEST(Differential, FromJisMatchesTheSteps) {
    Gen g(11);
    for (int k = 0; k < kRounds; ++k) {
        const std::string text = RandomJis(g);
        for (const auto& e : kFromJis) CompareAtEveryCapacity<char, char>(e.name, text, e.fn, e.reference, MaxSize(text.size()));
        CompareAtEveryCapacity<char, ZR_WCHAR>("JisToUnicode", text, ZR_JisToUnicode, ref::JisToUnicode,
                                               MaxSize(text.size()));
        if (HasFailure()) return;
    }
}

TEST(Differential, FromShiftJisMatchesTheSteps) {
    Gen g(12);
    for (int k = 0; k < kRounds; ++k) {
        const std::string text = RandomSJis(g);
        for (const auto& e : kFromSJis) CompareAtEveryCapacity<char, char>(e.name, text, e.fn, e.reference, MaxSize(text.size()));
        if (HasFailure()) return;
    }
}

TEST(Differential, FromEucMatchesTheSteps) {
    Gen g(13);
    for (int k = 0; k < kRounds; ++k) {
        const std::string text = RandomEuc(g);
        for (const auto& e : kFromEuc) CompareAtEveryCapacity<char, char>(e.name, text, e.fn, e.reference, MaxSize(text.size()));
        CompareAtEveryCapacity<char, ZR_WCHAR>("EucToUnicode", text, ZR_EucToUnicode, ref::EucToUnicode,
                                               MaxSize(text.size()));
        if (HasFailure()) return;
    }
}

TEST(Differential, FromUtf16MatchesTheSteps) {
    Gen g(14);
    for (int k = 0; k < kRounds; ++k) {
        const std::u16string text = RandomUtf16(g);
        // Two bytes per unit in Shift_JIS, then the escapes.
        const std::int32_t max = static_cast<std::int32_t>(6 * text.size() + 8);
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToSJis", text, ZR_UnicodeToSJis, ref::UnicodeToSJis, max);
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToJis", text, ZR_UnicodeToJis, ref::UnicodeToJis, max);
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToEuc", text, ZR_UnicodeToEuc, ref::UnicodeToEuc, max);
        if (HasFailure()) return;
    }
}

// The UTF-8 and UTF-7 chains end in the Shift_JIS step, which now clears
// only what its text does not cover.
TEST(Differential, Utf8AndUtf7ToShiftJisMatchTheSteps) {
    Gen g(15);
    for (int k = 0; k < kRounds / 5; ++k) {
        const std::u16string text = RandomUtf16(g);
        const std::int32_t cap = static_cast<std::int32_t>(8 * text.size() + 8);
        std::vector<char> utf8(static_cast<std::size_t>(cap));
        std::vector<char> utf7(static_cast<std::size_t>(cap));
        const auto* units = reinterpret_cast<const ZR_WCHAR*>(text.c_str());
        ASSERT_GT(ZR_UnicodeToUtf8(units, utf8.data(), cap), 0);
        ASSERT_GT(ZR_UnicodeToUtf7(units, utf7.data(), cap), 0);
        CompareAtEveryCapacity<char, char>("Utf8ToSJis", std::string(utf8.data()), ZR_Utf8ToSJis, ref::Utf8ToSJis,
                                           MaxSize(text.size()));
        CompareAtEveryCapacity<char, char>("Utf7ToSJis", std::string(utf7.data()), ZR_Utf7ToSJis, ref::Utf7ToSJis,
                                           MaxSize(text.size()));
        if (HasFailure()) return;
    }
}

// UTF-8 that is not what a converter writes: every malformed form the host
// converter replaces, four-byte characters, and characters without a code
// page 932 form, spliced into Japanese text at random, in texts below and
// above the length that the one-pass loop converts on the stack.
TEST(Differential, Utf8ToShiftJisOnMalformedText) {
    static const char* kOdd[] = {
        "\x80", "\xBF", "\xC0\xAF", "\xC1\xBF", "\xC3", "\xC3\x41", "\xE0\x80\x80", "\xE0\x9F\xBF",
        "\xED\xA0\x80", "\xED\x9F\xBF", "\xE3\x81", "\xE3\x41", "\xF0\x9F\x98\x80", "\xF0\x80\x80\x80",
        "\xF4\x90\x80\x80", "\xF5", "\xFF", "\xEF\xBB\xBF", "\xEF\xBF\xBF", "\xC2\xA0", "\xC2\xA7",
        "\xE2\x82\xAC", "\xEE\x80\x80", "\xEF\xBD\xA1", "\xE3\x81\x82\x80",
    };
    Gen g(17);
    for (int k = 0; k < kRounds / 5; ++k) {
        const std::u16string text = RandomUtf16(g);
        const std::int32_t cap = static_cast<std::int32_t>(8 * text.size() + 8);
        std::vector<char> utf8(static_cast<std::size_t>(cap));
        ASSERT_GT(ZR_UnicodeToUtf8(reinterpret_cast<const ZR_WCHAR*>(text.c_str()), utf8.data(), cap), 0);
        std::string s(utf8.data());
        // Cut only between characters, so that the inserted piece is what
        // makes the text odd.
        std::size_t at = g.Pick(static_cast<unsigned>(s.size()) + 1);
        while (at < s.size() && (static_cast<unsigned char>(s[at]) & 0xC0) == 0x80) ++at;
        s.insert(at, kOdd[g.Pick(sizeof kOdd / sizeof kOdd[0])]);
        CompareAtEveryCapacity<char, char>("Utf8ToSJis", s, ZR_Utf8ToSJis, ref::Utf8ToSJis,
                                           static_cast<std::int32_t>(s.size() + 4));
        if (HasFailure()) return;
    }
    for (const char* odd : kOdd) {
        // About 1.5 KiB: past the stack's length, converted in dst itself.
        std::string s;
        for (int r = 0; r < 150; ++r) s += "\xE6\xBC\xA2\xE5\xAD\x97 kana\xE3\x81\x8B";
        s.insert(s.size() / 2, odd);
        const std::vector<char> src(s.c_str(), s.c_str() + s.size() + 1);
        for (const std::int32_t size : {static_cast<std::int32_t>(s.size()), static_cast<std::int32_t>(s.size() + 1),
                                        static_cast<std::int32_t>(s.size() + 2), static_cast<std::int32_t>(2 * s.size())}) {
            ExactBuffer<char> got(size);
            auto want = Filled<char>(static_cast<std::size_t>(size));
            ASSERT_EQ(ZR_Utf8ToSJis(src.data(), got.data.get(), size), ref::Utf8ToSJis(src.data(), want.data(), size))
                << ToHex(odd) << " size " << size;
            ASSERT_EQ(std::memcmp(got.data.get(), want.data(), static_cast<std::size_t>(size)), 0)
                << ToHex(odd) << " size " << size;
        }
    }
}

// The same Japanese text in each encoding, as the steps produce it, so that
// each export reads what a caller's well-formed text looks like.
TEST(Differential, TheSameTextInEveryEncoding) {
    Gen g(16);
    for (int k = 0; k < kRounds; ++k) {
        std::string sjis;
        for (unsigned p = 1 + g.Pick(6); p > 0; --p) {
            for (unsigned c = g.RunLength(); c > 0; --c) sjis += SJisPair(g.JisByte(), g.JisByte());
            g.Ascii(sjis);
        }
        const std::int32_t cap = static_cast<std::int32_t>(3 * sjis.size() + 8);
        std::vector<char> jis(static_cast<std::size_t>(cap));
        std::vector<char> euc(static_cast<std::size_t>(cap));
        std::vector<ZR_WCHAR> wide(static_cast<std::size_t>(cap));
        ASSERT_GT(ref::SJisToJis(sjis.c_str(), jis.data(), cap), 0);
        ASSERT_GT(ref::SJisToEuc(sjis.c_str(), euc.data(), cap), 0);
        ASSERT_GT(ref::SJisToUnicode(sjis.c_str(), wide.data(), cap), 0);
        const std::string jisText(jis.data());
        const std::string eucText(euc.data());
        const std::u16string wideText(reinterpret_cast<const char16_t*>(wide.data()));
        for (const auto& e : kFromSJis) CompareAtEveryCapacity<char, char>(e.name, sjis, e.fn, e.reference, cap);
        for (const auto& e : kFromJis) CompareAtEveryCapacity<char, char>(e.name, jisText, e.fn, e.reference, MaxSize(jisText.size()));
        for (const auto& e : kFromEuc) CompareAtEveryCapacity<char, char>(e.name, eucText, e.fn, e.reference, MaxSize(eucText.size()));
        CompareAtEveryCapacity<char, ZR_WCHAR>("JisToUnicode", jisText, ZR_JisToUnicode, ref::JisToUnicode,
                                               static_cast<std::int32_t>(jisText.size() + 8));
        CompareAtEveryCapacity<char, ZR_WCHAR>("EucToUnicode", eucText, ZR_EucToUnicode, ref::EucToUnicode,
                                               MaxSize(eucText.size()));
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToJis", wideText, ZR_UnicodeToJis, ref::UnicodeToJis, cap);
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToEuc", wideText, ZR_UnicodeToEuc, ref::UnicodeToEuc, cap);
        if (HasFailure()) return;
    }
}

// Hand-picked texts at the edges of the one-pass loops: where each hands
// over to the steps, and where the intermediate text exactly fits.
struct EdgeCase {
    const char* hex;
    const char* why;
};

TEST(Differential, EdgesOfTheOnePassLoops) {
    const EdgeCase jis[] = {
        {"1B2442 3021 1B2842 41", "one kanji and a letter"},
        {"1B2442", "only an escape: the Shift_JIS text is empty"},
        {"1B2442 1B2842 41", "an escape read as a unit"},
        {"1B2442 3021 30", "odd last byte"},
        {"1B2442 30210D0A 3021", "CR LF inside a kanji run"},
        {"1B2442 3021 301B 2842 41", "ESC on an odd byte of a run"},
        {"1B 41 42", "a stray ESC among single bytes"},
        {"41 A4A2 42", "high bytes among single bytes"},
        {"1B2442 21212121212121212121212121212121 3021 1B2842", "a full block and one more unit"},
        {"41414141414141414141414141414141 41", "a full block of letters and one more"},
        {"1B2442 30", "a lone first byte is the whole run"},
        {"1B2442 21", "a lone '!', the lowest JIS byte"},
        {"1B2442 210A", "'!' then LF"},
        {"1B2442 0A21", "LF then '!'"},
        {"1B2442 2020 3021", "spaces, below the JIS bytes, in a run"},
        {"1B2442 1F21 7F21 217F", "control and DEL bytes paired with JIS bytes"},
        {"1B2442 8021 21A1 FFFF", "high bytes paired with JIS bytes"},
        {"1B2442 7E7E 7F", "the highest JIS pair, then DEL as an odd byte"},
        {"1B2442 3021 30 1B2842 41", "an odd byte before the escape out"},
        {"1B2442 3021 3021 21", "an odd byte right before the end"},
        {"1B2442 2121212121212121 30 0A 212121212121212121", "a stray pair mid-block"},
        {"1B2442 21212121212121212121212121212121 30", "a full block, then an odd byte"},
        {"1B2442 2121212121212121212121212121210A 2121", "LF in the last lane of a block"},
    };
    for (const auto& c : jis) {
        const std::string text = Hex(c.hex);
        for (const auto& e : kFromJis) CompareAtEveryCapacity<char, char>(c.why, text, e.fn, e.reference, MaxSize(text.size()));
        CompareAtEveryCapacity<char, ZR_WCHAR>(c.why, text, ZR_JisToUnicode, ref::JisToUnicode, MaxSize(text.size()));
    }
    const EdgeCase euc[] = {
        {"B0A1 41", "one kanji and a letter"},
        {"80 41", "0x80 first: the JIS text is only an escape"},
        {"B0A1 80", "0x80 in a unit ends the text"},
        {"1B B0A1", "an ESC byte"},
        {"1B2442 3021 1B2842", "escape sequences among the ASCII bytes, which the JIS step acts on"},
        {"41 1B2849 31 B0A1", "a half-width katakana escape among the ASCII bytes"},
        {"8EB1", "half-width katakana unit"},
        {"B0A1 B0", "odd last byte"},
        {"B0A1B0A1B0A1B0A1B0A1B0A1B0A1B0A1 41 B0A1", "a full block of units"},
        {"B0A1B0A1B0A1B041B0A1B0A1B0A1B0A1", "a unit with a low second byte inside a block"},
    };
    for (const auto& c : euc) {
        const std::string text = Hex(c.hex);
        for (const auto& e : kFromEuc) CompareAtEveryCapacity<char, char>(c.why, text, e.fn, e.reference, MaxSize(text.size()));
        CompareAtEveryCapacity<char, ZR_WCHAR>(c.why, text, ZR_EucToUnicode, ref::EucToUnicode, MaxSize(text.size()));
    }
    const EdgeCase sjis[] = {
        {"889F 41", "one kanji and a letter"},
        {"41 F040", "user-defined character after a letter"},
        {"889F F040", "user-defined character inside a run"},
        {"F040", "user-defined character first"},
        {"1B 889F", "an ESC byte"},
        {"889F889F889F889F889F889F889F889F F040", "user-defined character after a full block"},
        {"81", "lead byte at the end"},
    };
    for (const auto& c : sjis) {
        const std::string text = Hex(c.hex);
        for (const auto& e : kFromSJis) CompareAtEveryCapacity<char, char>(c.why, text, e.fn, e.reference, MaxSize(text.size()));
    }
    const std::u16string wide[] = {u"\u4E9C", u"A\uE000", u"\uE000", u"\x1B\u4E9C", u"\u4E9C\u4E9C\u4E9C\u4E9C\u4E9C\u4E9C\u4E9C\u4E9C\uE000"};
    for (const auto& text : wide) {
        const std::int32_t max = static_cast<std::int32_t>(6 * text.size() + 8);
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToJis", text, ZR_UnicodeToJis, ref::UnicodeToJis, max);
        CompareAtEveryCapacity<ZR_WCHAR, char>("UnicodeToEuc", text, ZR_UnicodeToEuc, ref::UnicodeToEuc, max);
    }
}

}  // namespace

#if defined(ZR_FAULT_INJECTION)
#include "platform/fault.hpp"

namespace {

using zr::platform::ArmFault;
using zr::platform::FaultCalls;
using zr::platform::FaultKind;

// Text the one-pass loops hand back to the steps: those must run on the
// scratch buffers already taken, so a chain allocates as often, and fails
// on the same allocation, whichever way it goes.
struct FaultCase {
    B2BFn fn;
    const char* hex;
    long allocations;
    const char* why;
};

TEST(Differential, StepsTakeNoFurtherScratch) {
    const FaultCase cases[] = {
        {ZR_EucToSJis, "1B B0A1", 1, "EucToSJis, ESC byte"},
        {ZR_SJisToEuc, "1B 889F", 1, "SJisToEuc, ESC byte"},
        {ZR_EucToSJis, "B0A1", 1, "EucToSJis"},
        {ZR_SJisToEuc, "889F", 1, "SJisToEuc"},
    };
    for (const auto& c : cases) {
        const std::string in = Hex(c.hex);
        for (long nth = 0; nth <= c.allocations; ++nth) {
            Bytes dst(32);
            ArmFault(FaultKind::kAlloc, nth);
            const std::int32_t r = c.fn(in.c_str(), dst.data.get(), 32);
            const long calls = FaultCalls(FaultKind::kAlloc);
            ArmFault(FaultKind::kAlloc, -1);
            EXPECT_EQ(calls, nth < c.allocations ? nth + 1 : c.allocations) << c.why;
            if (nth < c.allocations) EXPECT_EQ(r, -1) << c.why;
            else EXPECT_GT(r, 0) << c.why;
        }
    }
    struct UnitCase {
        zr_test::B2U fn;
        const char* hex;
        const char* why;
    };
    const UnitCase units[] = {
        {ZR_JisToUnicode, "1B2442 30210D0A", "JisToUnicode, CR LF in a run"},
        {ZR_EucToUnicode, "1B B0A1", "EucToUnicode, ESC byte"},
    };
    for (const auto& c : units) {
        const std::string in = Hex(c.hex);
        const long allocations = c.fn == ZR_JisToUnicode ? 1 : 2;
        for (long nth = 0; nth <= allocations; ++nth) {
            Units dst(32);
            ArmFault(FaultKind::kAlloc, nth);
            const std::int32_t r = c.fn(in.c_str(), dst.data.get(), 32);
            const long calls = FaultCalls(FaultKind::kAlloc);
            ArmFault(FaultKind::kAlloc, -1);
            EXPECT_EQ(calls, nth < allocations ? nth + 1 : allocations) << c.why;
            if (nth < allocations) EXPECT_EQ(r, -1) << c.why;
            else EXPECT_GT(r, 0) << c.why;
        }
    }
    // A long UTF-8 text goes to Shift_JIS in dst itself, so its scratch is
    // taken first: when that fails, dst is as the caller left it, whether or
    // not the one pass would have modelled the text.
    for (const char* odd : {"", "\xF0\x9F\x98\x80"}) {
        std::string utf8(2000, 'a');
        utf8 += odd;
        const std::int32_t size = static_cast<std::int32_t>(utf8.size() + 1);
        for (long nth = 0; nth <= 1; ++nth) {
            std::vector<char> dst(static_cast<std::size_t>(size), kFill);
            ArmFault(FaultKind::kAlloc, nth);
            const std::int32_t r = ZR_Utf8ToSJis(utf8.c_str(), dst.data(), size);
            const long calls = FaultCalls(FaultKind::kAlloc);
            ArmFault(FaultKind::kAlloc, -1);
            EXPECT_EQ(calls, 1) << "Utf8ToSJis, long text " << ToHex(odd);
            if (nth == 0) {
                EXPECT_EQ(r, -1);
                EXPECT_EQ(dst, std::vector<char>(static_cast<std::size_t>(size), kFill));
            } else {
                EXPECT_EQ(r, static_cast<std::int32_t>(2000 + (*odd != 0 ? 2 : 0)));
            }
        }
    }
    const std::u16string text = u"\x1B\u4E9C";
    for (long nth = 0; nth <= 2; ++nth) {
        Bytes dst(32);
        ArmFault(FaultKind::kAlloc, nth);
        const std::int32_t r = ZR_UnicodeToEuc(reinterpret_cast<const ZR_WCHAR*>(text.c_str()), dst.data.get(), 32);
        const long calls = FaultCalls(FaultKind::kAlloc);
        ArmFault(FaultKind::kAlloc, -1);
        EXPECT_EQ(calls, nth < 2 ? nth + 1 : 2) << "UnicodeToEuc, ESC";
        if (nth < 2) EXPECT_EQ(r, -1);
        else EXPECT_EQ(r, 3);
    }
}

}  // namespace
#endif
