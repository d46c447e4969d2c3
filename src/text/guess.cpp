// guess.cpp - choosing the encoding of a buffer.
//
// Validity first: every candidate encoding reads the buffer with its
// validating reader, and only those under which no byte is malformed stay.
// Then plausibility: each remaining reading is scored character by
// character as Japanese text (kana and common kanji high; half-width
// katakana, rare kanji, private use and controls low), and the best reading
// wins. Readings that score the same (pure ASCII reads alike everywhere)
// are settled by a fixed preference and reported as ambiguous.
#include "text/guess.hpp"

#include <cstring>

#include "text/cp932_map.hpp"
#include "text/readers.hpp"
#include "text/text.hpp"

namespace zr::text {

namespace {

constexpr std::int32_t kPreference[] = {ZRT_ENC_ASCII,   ZRT_ENC_UTF8,    ZRT_ENC_SJIS, ZRT_ENC_EUCJP, ZRT_ENC_JIS,
                                        ZRT_ENC_UTF16LE, ZRT_ENC_UTF16BE, ZRT_ENC_UTF7, ZRT_ENC_NONE};

// The weight of one character in a reading, as a rough log-likelihood of
// meeting it in Japanese text, in tenths.
int Plausibility(char32_t c) noexcept {
    if (c < 0x80) {
        if (c == '\t' || c == '\n' || c == '\r' || c == '\f') return 0;
        if (c < 0x20 || c == 0x7F) return -50;  // NUL, ESC and other controls: not text
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ') return 5;
        return 2;
    }
    if (c >= 0x3041 && c <= 0x3093) return 60;  // hiragana
    if (c >= 0x30A1 && c <= 0x30F6) return 50;  // katakana
    if (c == 0x30FC || c == 0x30FB) return 40;  // prolonged sound mark, middle dot
    if (c >= 0x3001 && c <= 0x3015) return 45;  // 、。〃々「」『』【】 ...
    if (c >= 0xFF61 && c <= 0xFF9F) return -10;  // half-width katakana: rare in real text
    if (c >= 0xFF01 && c <= 0xFF5E) return 20;  // full-width ASCII
    if (c >= 0x4E00 && c <= 0x9FFF) {
        const SJisCode s = UnicodeToSJis(c);
        if (s >= 0x889F && s <= 0x9872) return 50;  // JIS level 1: the common kanji
        if (s >= 0x989F && s <= 0xEAA4) return 15;  // level 2
        if (s) return -10;                          // the IBM and NEC extensions
        return -30;                                 // no code in any Japanese encoding
    }
    if (c >= 0xE000 && c <= 0xF8FF) return -80;  // private use (user-defined area)
    if (c < 0xA0) return -80;                    // C1 controls
    if (c < 0x100) return 20;  // Latin-1 letters and signs
    if (c == kBom) return 0;
    if (c == 0xFFFD || (c >= 0xFFF0 && c <= 0xFFFF)) return -80;
    if (UnicodeToSJis(c)) return 10;  // symbols, Greek, Cyrillic, box drawing of JIS X 0208
    if (c >= 0xAC00 && c <= 0xD7A3) return -30;  // Hangul: another language's text
    if (c >= 0x10000) return -20;
    return -20;
}

struct Reading final : ReadSink {
    bool malformed = false;
    long score = 0;
    std::size_t chars = 0;
    std::size_t multi = 0;  // non-ASCII characters of more than one byte
    std::size_t triple = 0;  // characters of three bytes or more
    std::size_t kana = 0;    // kana and Japanese punctuation
    std::size_t lf = 0, crlf = 0, cr = 0;
    bool lastCr = false;
    bool lastHalfKana = false;

    void Char(char32_t c, std::uint64_t, const std::uint8_t*, std::size_t n) noexcept override {
        score += Plausibility(c);
        ++chars;
        if (n > 1 && c >= 0x80) ++multi;
        if (n > 2) ++triple;
        if (c >= 0x3001 && c <= 0x30FF) ++kana;
        // Half-width katakana come in words; one alone between other
        // characters is what a misread of EUC-JP or UTF-8 looks like.
        const bool half = c >= 0xFF61 && c <= 0xFF9F;
        if (half && !lastHalfKana) score -= 15;
        lastHalfKana = half;
        if (c == '\n') {
            if (lastCr) {
                --cr;
                ++crlf;
            } else {
                ++lf;
            }
        } else if (c == '\r') {
            ++cr;
        }
        lastCr = c == '\r';
    }
    void Malformed(std::uint64_t, const std::uint8_t*, std::size_t) noexcept override { malformed = true; }
    bool Stopped() const noexcept override { return malformed; }

    std::int32_t Eol() const noexcept {
        const int kinds = (lf > 0) + (crlf > 0) + (cr > 0);
        if (kinds == 0) return ZRT_EOLS_NONE;
        if (kinds > 1) return ZRT_EOLS_MIXED;
        return lf ? ZRT_EOLS_LF : crlf ? ZRT_EOLS_CRLF : ZRT_EOLS_CR;
    }
};

bool Read(Enc enc, const std::uint8_t* buf, std::size_t n, bool complete, Reading& r) noexcept {
    const std::unique_ptr<Reader> reader = MakeReader(enc);
    if (!reader) return false;
    if (n) reader->Feed(buf, n, r);
    if (complete) reader->Finish(r);
    return !r.malformed;
}

// UTF-16 without a BOM: how strongly the zero bytes say so. Text with
// ASCII in it has its zero bytes on one side of each unit.
struct ZeroPattern {
    std::size_t even = 0, odd = 0;
};

ZeroPattern Zeros(const std::uint8_t* buf, std::size_t n) noexcept {
    ZeroPattern z;
    for (std::size_t i = 0; i < n; ++i) {
        if (buf[i] == 0) ++(i & 1 ? z.odd : z.even);
    }
    return z;
}

}  // namespace

const std::int32_t* GuessPreference() noexcept { return kPreference; }

ZRT_Guess GuessEncoding(const std::uint8_t* buf, std::size_t n, bool complete) noexcept {
    ZRT_Guess g{};
    Reading readings[ZRT_ENC_COUNT];
    bool fits[ZRT_ENC_COUNT] = {};
    for (const std::int32_t* e = kPreference; *e != ZRT_ENC_NONE; ++e) {
        fits[*e] = Read(static_cast<Enc>(*e), buf, n, complete, readings[*e]);
        if (fits[*e]) g.fits |= 1u << *e;
    }

    // A byte-order mark decides when the text is valid behind it.
    auto starts = [&](const char* sig, std::size_t len) { return n >= len && std::memcmp(buf, sig, len) == 0; };
    std::int32_t byBom = ZRT_ENC_NONE;
    if (starts("\xEF\xBB\xBF", 3)) {
        byBom = ZRT_ENC_UTF8;
    } else if (starts("\xFF\xFE", 2)) {
        byBom = ZRT_ENC_UTF16LE;
    } else if (starts("\xFE\xFF", 2)) {
        byBom = ZRT_ENC_UTF16BE;
    }
    if (byBom != ZRT_ENC_NONE && fits[byBom]) {
        g.encoding = byBom;
        g.ties = 1u << byBom;
        g.bom = 1;
        g.eol = readings[byBom].Eol();
        return g;
    }

    // UTF-16 without a BOM stays a candidate only with zeros on one side
    // of the units, or with a reading a quarter kana: almost any
    // even-length input is valid UTF-16, and pairs of ASCII letters read as
    // kanji (U+4E00..U+7AFF) often enough to outscore the ASCII.
    const ZeroPattern z = Zeros(buf, n);
    const std::size_t units = n / 2;
    const bool leZeros = z.odd * 4 >= units && z.odd > 0 && z.even * 3 <= z.odd;
    const bool beZeros = z.even * 4 >= units && z.even > 0 && z.odd * 3 <= z.even;
    long bonus[ZRT_ENC_COUNT] = {};
    if (leZeros) bonus[ZRT_ENC_UTF16LE] = 20 * static_cast<long>(units);
    if (beZeros) bonus[ZRT_ENC_UTF16BE] = 20 * static_cast<long>(units);
    bool eligible[ZRT_ENC_COUNT] = {};
    for (const std::int32_t* e = kPreference; *e != ZRT_ENC_NONE; ++e) {
        eligible[*e] = fits[*e];
    }
    for (const std::int32_t e : {ZRT_ENC_UTF16LE, ZRT_ENC_UTF16BE}) {
        if (eligible[e] && bonus[e] == 0 && readings[e].kana * 4 < readings[e].chars) {
            eligible[e] = false;
        }
    }
    // Valid multi-byte UTF-8, and UTF-7 runs that end cleanly, are rare by
    // chance: each character read from one counts.
    bonus[ZRT_ENC_UTF8] = 30 * static_cast<long>(readings[ZRT_ENC_UTF8].multi);
    bonus[ZRT_ENC_UTF7] = 40 * static_cast<long>(readings[ZRT_ENC_UTF7].multi);
    // So are EUC-JP's three-byte JIS X 0212 sequences.
    bonus[ZRT_ENC_EUCJP] = 20 * static_cast<long>(readings[ZRT_ENC_EUCJP].triple);

    long best = 0;
    std::int32_t choice = ZRT_ENC_NONE;
    for (const std::int32_t* e = kPreference; *e != ZRT_ENC_NONE; ++e) {
        if (!eligible[*e]) continue;
        const long s = readings[*e].score + bonus[*e];
        if (choice == ZRT_ENC_NONE || s > best) {
            best = s;
            choice = *e;
        }
    }
    // Controls, private use and strays everywhere: binary, not text in any
    // of the encodings, even where the bytes are valid.
    if (choice == ZRT_ENC_NONE || best < 0) return g;
    // As plausible: within a tenth of a kana per character read.
    const long margin = 10 + static_cast<long>(readings[choice].chars);
    for (const std::int32_t* e = kPreference; *e != ZRT_ENC_NONE; ++e) {
        if (eligible[*e] && readings[*e].score + bonus[*e] + margin > best) g.ties |= 1u << *e;
    }
    g.encoding = choice;
    g.ambiguous = (g.ties & (g.ties - 1)) != 0;
    g.eol = readings[choice].Eol();
    return g;
}

}  // namespace zr::text
