// kana.cpp - katakana width, both ways.
#include "text/kana.hpp"

namespace zr::text {

namespace {

constexpr char32_t kVoiced = 0xFF9E;
constexpr char32_t kSemiVoiced = 0xFF9F;
constexpr char32_t kMarks[] = {kVoiced, kSemiVoiced};

// U+FF61..U+FF9F in order.
constexpr char16_t kFull[] = {
    0x3002, 0x300C, 0x300D, 0x3001, 0x30FB, 0x30F2, 0x30A1, 0x30A3, 0x30A5, 0x30A7, 0x30A9, 0x30E3,
    0x30E5, 0x30E7, 0x30C3, 0x30FC, 0x30A2, 0x30A4, 0x30A6, 0x30A8, 0x30AA, 0x30AB, 0x30AD, 0x30AF,
    0x30B1, 0x30B3, 0x30B5, 0x30B7, 0x30B9, 0x30BB, 0x30BD, 0x30BF, 0x30C1, 0x30C4, 0x30C6, 0x30C8,
    0x30CA, 0x30CB, 0x30CC, 0x30CD, 0x30CE, 0x30CF, 0x30D2, 0x30D5, 0x30D8, 0x30DB, 0x30DE, 0x30DF,
    0x30E0, 0x30E1, 0x30E2, 0x30E4, 0x30E6, 0x30E8, 0x30E9, 0x30EA, 0x30EB, 0x30EC, 0x30ED, 0x30EF,
    0x30F3, 0x309B, 0x309C,
};
static_assert(sizeof kFull / sizeof kFull[0] == 0xFF9F - 0xFF61 + 1);

constexpr char32_t CombinedWithMarkImpl(char32_t half, char32_t mark) noexcept {
    if (!IsHalfwidthKana(half)) return 0;
    const char32_t full = kFull[half - 0xFF61];
    if (mark == kVoiced) {
        // KA..TO and HA..HO have their voiced form one code point on; small
        // TSU (U+30C3) sits inside the range but has none. U is the one other
        // kana with a JIS X 0208 voiced form: WA and WO have none there.
        if (full >= 0x30AB && full <= 0x30C8 && full != 0x30C3) return full + 1;
        if (full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0) return full + 1;
        if (full == 0x30A6) return 0x30F4;
        return 0;
    }
    if (mark == kSemiVoiced && full >= 0x30CF && full <= 0x30DB && (full - 0x30CF) % 3 == 0) return full + 2;
    return 0;
}

// Full-width to half-width, built once from kFull: U+30A0..U+30FF. The CJK
// punctuation of the half-width block (。「」、) is not katakana and lies
// outside that range, so this direction leaves it alone.
struct HalfTable {
    char16_t half[0x60] = {};
    char16_t mark[0x60] = {};  // the mark that follows, for voiced kana
};

constexpr HalfTable MakeHalfTable() {
    HalfTable t;
    for (int i = 0; i < 0xFF9F - 0xFF61 + 1; ++i) {
        const char32_t full = kFull[i];
        if (full >= 0x30A0 && full <= 0x30FF) t.half[full - 0x30A0] = static_cast<char16_t>(0xFF61 + i);
    }
    for (char32_t h = 0xFF61; h < kVoiced; ++h) {
        for (const char32_t mark : kMarks) {
            const char32_t both = CombinedWithMarkImpl(h, mark);
            if (both) {
                t.half[both - 0x30A0] = static_cast<char16_t>(h);
                t.mark[both - 0x30A0] = static_cast<char16_t>(mark);
            }
        }
    }
    return t;
}

}  // namespace

char32_t FullwidthOf(char32_t half) noexcept { return IsHalfwidthKana(half) ? kFull[half - 0xFF61] : half; }

char32_t CombinedWithMark(char32_t half, char32_t mark) noexcept { return CombinedWithMarkImpl(half, mark); }

std::size_t KanaToFullwidth(const std::uint32_t* src, std::size_t n, std::uint32_t* dst, std::size_t cap) noexcept {
    std::size_t j = 0;
    for (std::size_t i = 0; i < n; ++i) {
        char32_t c = src[i];
        if (IsHalfwidthKana(c)) {
            const char32_t both = i + 1 < n ? CombinedWithMark(c, src[i + 1]) : 0;
            if (both) {
                c = both;
                ++i;
            } else {
                c = kFull[c - 0xFF61];
            }
        }
        if (dst && j < cap) dst[j] = c;
        ++j;
    }
    return j;
}

std::size_t KanaToHalfwidth(const std::uint32_t* src, std::size_t n, std::uint32_t* dst, std::size_t cap) noexcept {
    static constexpr HalfTable kHalf = MakeHalfTable();
    std::size_t j = 0;
    auto put = [&](char32_t c) {
        if (dst && j < cap) dst[j] = c;
        ++j;
    };
    for (std::size_t i = 0; i < n; ++i) {
        const char32_t c = src[i];
        if (c >= 0x30A0 && c <= 0x30FF && kHalf.half[c - 0x30A0]) {
            put(kHalf.half[c - 0x30A0]);
            if (kHalf.mark[c - 0x30A0]) put(kHalf.mark[c - 0x30A0]);
        } else if (c == 0x309B || c == 0x309C) {
            put(c == 0x309B ? kVoiced : kSemiVoiced);
        } else if (c == 0x30FB || c == 0x30FC) {
            put(c == 0x30FB ? 0xFF65 : 0xFF70);
        } else {
            put(c);
        }
    }
    return j;
}

}  // namespace zr::text
