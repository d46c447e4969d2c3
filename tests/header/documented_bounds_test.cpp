// documented_bounds_test.cpp - the worst-case dstSize that zr_moji.h gives
// for each export is reached: an input that needs the whole bound converts
// with exactly that dstSize and fails (or, for the one decoder that cuts
// short, comes back short) with one unit less. The bounds are computed here
// from the header's formulas, not written in as numbers.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "zr_moji.h"

namespace {

using Wide = std::u16string;

// Output buffers of exactly dstSize units on the heap, so that a write past
// the documented capacity is caught by the sanitizer builds.
template <class Unit>
struct Exact {
    explicit Exact(std::int32_t n) : units(n > 0 ? static_cast<std::size_t>(n) : 1, Unit(0x55)) {}
    Unit* get() { return units.data(); }
    std::vector<Unit> units;
};

const ZR_WCHAR* W(const Wide& s) { return reinterpret_cast<const ZR_WCHAR*>(s.c_str()); }

using Call = std::function<std::int32_t(std::int32_t dstSize)>;

Call B2B(std::int32_t(ZR_CALL* f)(const char*, char*, std::int32_t), std::string in) {
    return [f, in](std::int32_t size) {
        Exact<char> dst(size);
        return f(in.c_str(), dst.get(), size);
    };
}

Call B2U(std::int32_t(ZR_CALL* f)(const char*, ZR_WCHAR*, std::int32_t), std::string in) {
    return [f, in](std::int32_t size) {
        Exact<ZR_WCHAR> dst(size);
        return f(in.c_str(), dst.get(), size);
    };
}

Call U2B(std::int32_t(ZR_CALL* f)(const ZR_WCHAR*, char*, std::int32_t), Wide in) {
    return [f, in](std::int32_t size) {
        Exact<char> dst(size);
        return f(W(in), dst.get(), size);
    };
}

Call Ebcdic(std::int32_t(ZR_CALL* f)(const char*, char*, std::int32_t, std::int32_t), std::string in) {
    return [f, in](std::int32_t size) {
        Exact<char> dst(size);
        return f(in.c_str(), dst.get(), size, ZR_EBCDIC_TABLE_400);
    };
}

Call BytesToText(std::int32_t(ZR_CALL* f)(const unsigned char*, std::int32_t, char*, std::int32_t),
                 std::string in) {
    return [f, in](std::int32_t size) {
        Exact<char> dst(size);
        return f(reinterpret_cast<const unsigned char*>(in.data()), static_cast<std::int32_t>(in.size()),
                 dst.get(), size);
    };
}

Call TextToBytes(std::int32_t(ZR_CALL* f)(const char*, unsigned char*, std::int32_t), std::string in) {
    return [f, in](std::int32_t size) {
        Exact<unsigned char> dst(size);
        return f(in.c_str(), dst.get(), size);
    };
}

Call UrlW(std::int32_t type, Wide in) {
    return [type, in](std::int32_t size) {
        Exact<ZR_WCHAR> dst(size);
        return ZR_URL_EncodeW(W(in), dst.get(), size, type);
    };
}

Call UrlA(std::int32_t type, std::string in) {
    return [type, in](std::int32_t size) {
        Exact<char> dst(size);
        return ZR_URL_EncodeA(in.c_str(), dst.get(), size, type);
    };
}

int Ceil(int a, int b) { return (a + b - 1) / b; }

// The formulas of the header, by the name it gives them.
int JisOfUnits(int n) { return 8 * Ceil(n, 2) + n / 2; }          // longest JIS form of n UTF-16 units
int QpRoom(int m) { return 3 * m + 3 * ((m - 1) / 24) + 2; }        // Q(m)

struct BoundCase {
    const char* name;
    Call call;
    int bound;          // the documented worst-case dstSize for this input
    int result;         // what the export returns with exactly that dstSize
    int resultOneLess;  // and with one unit less
    const char* why;
};

const std::string kKanji = "\x82\xa0";                       // U+3042 in Shift_JIS
const std::string kKanjiA = "\x82\xa0" "A" "\x82\xa0";       // n = 3k + 2, one switch per byte
const std::string kEucWorst = "\xb0\xa1" "A" "\xb0";         // n = 3k + 1, ends in a lone high byte
const Wide kHiraganaA = u"\u3042";
const Wide kKanjiAKanji = u"\u3042A\u3042";

std::vector<BoundCase> Cases() {
    return {
        {"ZR_SJisToUnicode", B2U(ZR_SJisToUnicode, "abc"), 3 + 1, 4, 0, "n + 1 units, one per byte"},
        {"ZR_UnicodeToSJis", U2B(ZR_UnicodeToSJis, u"\u3042\u3042"), 2 * 2 + 1, 4, 0, "2n + 1, two bytes a unit"},
        {"ZR_JisToSJis", B2B(ZR_JisToSJis, "abc"), 3 + 1, 3, 0, "n + 1: never longer than the input"},
        {"ZR_SJisToJis", B2B(ZR_SJisToJis, kKanjiA), 3 * 5 + 3, 17, 0, "3n + 3 at n = 3k + 2"},
        {"ZR_EucToJis", B2B(ZR_EucToJis, kEucWorst), 3 * 4 + 3, 14, 0, "3n + 3, lone high byte last"},
        {"ZR_EucToJis", B2B(ZR_EucToJis, "\xb0"), 3 * 1 + 3, 5, 0, "3n + 3 for one lone high byte"},
        {"ZR_JisToEuc", B2B(ZR_JisToEuc, "abc"), 3 + 1, 3, 0, "n + 1"},
        {"ZR_EucToSJis", B2B(ZR_EucToSJis, kEucWorst), 3 * 4 + 3, 5, 0, "3n + 3 for the JIS text on the way"},
        {"ZR_SJisToEuc", B2B(ZR_SJisToEuc, kKanjiA), 3 * 5 + 3, 5, 0, "3n + 3 for the JIS text on the way"},
        {"ZR_JisToUnicode", B2U(ZR_JisToUnicode, "abc"), 3 + 1, 4, 0, "n + 1 units"},
        {"ZR_UnicodeToJis", U2B(ZR_UnicodeToJis, kHiraganaA), JisOfUnits(1) + 1, 8, 0, "one kanji: 8 bytes"},
        {"ZR_UnicodeToJis", U2B(ZR_UnicodeToJis, kKanjiAKanji), JisOfUnits(3) + 1, 17, 0,
         "kanji alternating with ASCII"},
        {"ZR_EucToUnicode", B2U(ZR_EucToUnicode, kEucWorst), 3 * 4 + 3, 5, 0, "3n + 3 for the JIS text"},
        {"ZR_UnicodeToEuc", U2B(ZR_UnicodeToEuc, kHiraganaA), JisOfUnits(1) + 1, 2, 0, "the JIS text decides"},
        {"ZR_Utf8ToUnicode", B2U(ZR_Utf8ToUnicode, "abc"), 3 + 1, 4, 0, "n + 1 units"},
        {"ZR_UnicodeToUtf8", U2B(ZR_UnicodeToUtf8, kHiraganaA), 3 * 1 + 1, 3, 0, "3n + 1"},
        {"ZR_Utf8ToSJis", B2B(ZR_Utf8ToSJis, "abc"), 3 + 1, 3, 0, "n + 1"},
        {"ZR_SJisToUtf8", B2B(ZR_SJisToUtf8, "\xb1"), 3 * 1 + 1, 3, 0, "3n + 1: katakana byte to 3 bytes"},
        {"ZR_Utf7ToUnicode", B2U(ZR_Utf7ToUnicode, "abc"), 3 + 1, 4, 0, "n + 1 units"},
        {"ZR_UnicodeToUtf7", U2B(ZR_UnicodeToUtf7, kHiraganaA), 5 * 1 + 1, 5, 0, "5n + 1: +MEI-"},
        {"ZR_Utf7ToSJis", B2B(ZR_Utf7ToSJis, "abc"), 3 + 1, 3, 0, "n + 1"},
        {"ZR_SJisToUtf7", B2B(ZR_SJisToUtf7, "\xb1"), 5 * 1 + 1, 5, 0, "5n + 1: +/3E-"},
        {"ZR_AsciiToEbcdic", Ebcdic(ZR_AsciiToEbcdic, "\x82"), 2 * 1 + 1, 2, -1, "2n + 1: bracket and byte"},
        {"ZR_EbcdicToAscii", Ebcdic(ZR_EbcdicToAscii, "\xc1\xc2"), 2 + 1, 2, -1, "n + 1"},
        {"ZR_Base64_Encode", BytesToText(ZR_Base64_Encode, "ABCD"), 4 * Ceil(4, 3) + 1, 8, -1, "4 ceil(n/3) + 1"},
        {"ZR_Base64_Decode", TextToBytes(ZR_Base64_Decode, "QUJDQQ=="), 3 * Ceil(8, 4), 4, -1,
         "3 ceil(L/4): three bytes of room for every group"},
        {"ZR_Base64_EncodeJISW", U2B(ZR_Base64_EncodeJISW, kHiraganaA), 4 * Ceil(JisOfUnits(1), 3) + 1, 12, -1,
         "Base64 of the 8 JIS bytes"},
        {"ZR_Base64_EncodeJISA", B2B(ZR_Base64_EncodeJISA, kKanji), 4 * 2 + 5, 12, -1, "4n + 5"},
        {"ZR_Base64_EncodeSJISW", U2B(ZR_Base64_EncodeSJISW, kHiraganaA), 4 * Ceil(2, 3) + 1, 4, -1,
         "4 ceil(2n/3) + 1"},
        {"ZR_Base64_EncodeEUCW", U2B(ZR_Base64_EncodeEUCW, kHiraganaA), JisOfUnits(1) + 1, 4, 0,
         "the JIS text on the way decides; it not fitting gives 0"},
        {"ZR_Base64_EncodeUTF8W", U2B(ZR_Base64_EncodeUTF8W, u"\u3044"), 4 * 1 + 1, 4, -1, "4n + 1"},
        {"ZR_Base64_EncodeUTF8A", B2B(ZR_Base64_EncodeUTF8A, "\xb1"), 4 * 1 + 1, 4, -1, "4n + 1"},
        {"ZR_QuotedPrintable_Encode", BytesToText(ZR_QuotedPrintable_Encode, std::string(25, '\xff')),
         QpRoom(25), 78, -1, "every byte escaped, a soft break after 24"},
        {"ZR_QuotedPrintable_Encode", BytesToText(ZR_QuotedPrintable_Encode, "\xff"), QpRoom(1), 3, -1,
         "one escape and the room rule's two bytes"},
        {"ZR_QuotedPrintable_EncodeSJISW", U2B(ZR_QuotedPrintable_EncodeSJISW, kHiraganaA), QpRoom(2), 6, -1,
         "Q(2n)"},
        {"ZR_QuotedPrintable_EncodeUTF8W", U2B(ZR_QuotedPrintable_EncodeUTF8W, u"\u3044"), QpRoom(3), 9, -1,
         "Q(3n)"},
        {"ZR_QuotedPrintable_Decode", TextToBytes(ZR_QuotedPrintable_Decode, "abc"), 3, 3, -1,
         "L without a soft line break at the end"},
        {"ZR_URL_EncodeW", UrlW(ZR_ENCODE_JIS, u"\u3000"), 20 * 1 + 1, 20, -1, "%1B%24B%21%21%1B%28B"},
        {"ZR_URL_EncodeW", UrlW(ZR_ENCODE_SJIS, kHiraganaA), 6 * 1 + 1, 6, -1, "%82%A0"},
        {"ZR_URL_EncodeW", UrlW(ZR_ENCODE_EUC, kHiraganaA), 6 * 1 + 1, 6, -1, "%A4%A2"},
        {"ZR_URL_EncodeW", UrlW(ZR_ENCODE_UTF8, kHiraganaA), 9 * 1 + 1, 9, -1, "%E3%81%82"},
        {"ZR_URL_EncodeA", UrlA(ZR_ENCODE_JIS, "\x81\x40"), 10 * 2 + 1, 20, -1, "10n + 1"},
        {"ZR_URL_EncodeA", UrlA(ZR_ENCODE_SJIS, kKanji), 3 * 2 + 1, 6, -1, "3n + 1"},
        {"ZR_URL_EncodeA", UrlA(ZR_ENCODE_EUC, kKanji), 3 * 2 + 1, 6, -1, "3n + 1"},
        {"ZR_URL_EncodeA", UrlA(ZR_ENCODE_UTF8, "\xb1"), 9 * 1 + 1, 9, -1, "9n + 1: %EF%BD%B1"},
        {"ZR_URL_DecodeSJisA", B2B(ZR_URL_DecodeSJisA, "abc"), 3 + 1, 3, 2,
         "L + 1; with one less the text comes back cut short, not refused"},
    };
}

TEST(DocumentedBounds, ReachedWithExactlyThatSizeAndMissedWithOneLess) {
    for (const BoundCase& c : Cases()) {
        SCOPED_TRACE(std::string(c.name) + ": " + c.why);
        EXPECT_EQ(c.call(c.bound), c.result) << "with dstSize " << c.bound;
        EXPECT_EQ(c.call(c.bound - 1), c.resultOneLess) << "with dstSize " << c.bound - 1;
    }
}

}  // namespace
