// readers.cpp - one validating reader per input encoding.
//
// A reader decides on whole units only: a unit is a character, an escape
// sequence, or the shortest run of bytes that no form of the encoding
// allows, reported as malformed with its offset so that the caller can name
// the bytes. What the mapping lacks is malformed too (a pair code page 932
// leaves empty is not text in any form of the encoding).
#include "text/readers.hpp"

#include <bit>
#include <cstring>
#include <new>

#include "text/cp932_map.hpp"

namespace zr::text {

void Reader::Feed(const std::uint8_t* p, std::size_t n, ReadSink& sink) noexcept {
    std::size_t i = 0;
    // First finish the unit the last chunk cut, a byte at a time, so that
    // no unit is ever taken from two places at once past this point.
    while (pendLen_ > 0 && !sink.Stopped()) {
        const std::size_t r = Step(pend_, pendLen_, false, pos_, sink);
        if (r == 0) {
            if (i >= n) return;
            if (pendLen_ == kMaxPend) {
                // No reader needs this many bytes to decide; treat as taken.
                sink.Malformed(pos_, pend_, pendLen_);
                pos_ += pendLen_;
                pendLen_ = 0;
                break;
            }
            pend_[pendLen_++] = p[i++];
            continue;
        }
        pos_ += r;
        std::memmove(pend_, pend_ + r, pendLen_ - r);
        pendLen_ -= r;
    }
    while (i < n && !sink.Stopped()) {
        const std::size_t r = Step(p + i, n - i, false, pos_, sink);
        if (r == 0) {
            // Only ever a few bytes: the longest unit is an escape sequence.
            const std::size_t rest = n - i < kMaxPend ? n - i : kMaxPend;
            std::memcpy(pend_, p + i, rest);
            pendLen_ = rest;
            i += rest;
            if (i < n) continue;  // cannot happen for the readers here
            return;
        }
        pos_ += r;
        i += r;
    }
}

void Reader::Finish(ReadSink& sink) noexcept {
    while (pendLen_ > 0 && !sink.Stopped()) {
        std::size_t r = Step(pend_, pendLen_, true, pos_, sink);
        if (r == 0) r = pendLen_;  // a reader must decide at the end; be safe
        pos_ += r;
        std::memmove(pend_, pend_ + r, pendLen_ - r);
        pendLen_ -= r;
    }
    if (!sink.Stopped()) AtEnd(sink);
}

namespace {

// The ASCII bytes from p on, handed over as one run: most text is long runs
// of them, and a run costs one call instead of one per byte.
std::size_t AsciiRun(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink) noexcept {
    std::size_t k = 1;
    while (k < avail && p[k] < 0x80) ++k;
    sink.Ascii(p, k, at);
    return k;
}

// Runs of well-formed characters are decoded in one loop and handed over
// together; a run stops before anything that needs a decision of its own
// (a malformed or incomplete unit, an escape, a long ASCII stretch that
// AsciiRun takes faster), which the reader's unit code then reads as ever.
constexpr std::size_t kRunMax = 256;

struct Run {
    char32_t cs[kRunMax];
    std::uint32_t offs[kRunMax];
    std::uint8_t lens[kRunMax];
    std::size_t n = 0;
    std::size_t used = 0;  // bytes

    bool Full() const noexcept { return n == kRunMax; }
    void Add(char32_t c, std::size_t len) noexcept {
        cs[n] = c;
        offs[n] = static_cast<std::uint32_t>(used);
        lens[n++] = static_cast<std::uint8_t>(len);
        used += len;
    }
    // Four two-byte characters, the units of w from its low end on.
    void AddUnits4(std::uint64_t w) noexcept {
        const auto at = static_cast<std::uint32_t>(used);
        for (int k = 0; k < 4; ++k) {
            cs[n + k] = static_cast<char32_t>(w >> 16 * k & 0xFFFF);
            offs[n + k] = at + 2 * k;
            lens[n + k] = 2;
        }
        n += 4;
        used += 8;
    }
    // Bytes taken that are no character (a mode change).
    void Skip(std::size_t len) noexcept { used += len; }
    std::size_t Deliver(const std::uint8_t* p, std::uint64_t at, ReadSink& sink) noexcept {
        if (n) sink.Chars(cs, offs, lens, n, p, at);
        return used;
    }
};

// True when the eight bytes from p on are all ASCII: a stretch worth
// ending a run for.
bool AsciiStretch(const std::uint8_t* p, std::size_t avail) noexcept {
    if (avail < 8) return false;
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    return (w & 0x8080808080808080u) == 0;
}

// The loop of a run: ASCII bytes one character each (up to a stretch that
// AsciiRun takes faster), any other byte to `other`, which reads the
// character there into its `c` and returns its bytes, or 0 to end the run.
template <class Other>
std::size_t RunOf(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink, Other other) noexcept {
    Run run;
    std::size_t i = 0;
    while (i < avail && !run.Full()) {
        if (p[i] < 0x80) {
            if (AsciiStretch(p + i, avail - i)) break;
            run.Add(p[i], 1);
            ++i;
            continue;
        }
        char32_t c;
        const std::size_t k = other(p + i, avail - i, c);
        if (!k) break;
        run.Add(c, k);
        i += k;
    }
    return run.Deliver(p, at, sink);
}

class AsciiReader final : public Reader {
    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        if (p[0] < 0x80) return AsciiRun(p, avail, at, sink);
        sink.Malformed(at, p, 1);
        return 1;
    }
};

class Utf8Reader final : public Reader {
    // The same checks as Step, on whole characters only.
    static std::size_t FastRun(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink) noexcept {
        return RunOf(p, avail, at, sink, [](const std::uint8_t* q, std::size_t left, char32_t& c) -> std::size_t {
            const std::uint8_t b = q[0];
            if (b >= 0xE0 && b <= 0xEF) {
                // Step's narrower second-byte ranges after E0 and ED are
                // the overlong forms and the surrogates, checked on the
                // value here.
                if (left < 3 || ((q[1] & 0xC0) | (q[2] & 0xC0) << 8) != 0x8080) return 0;
                c = static_cast<char32_t>((b & 0x0F) << 12 | (q[1] & 0x3F) << 6 | (q[2] & 0x3F));
                return c < 0x800 || (c >= 0xD800 && c <= 0xDFFF) ? 0 : 3;
            }
            if (b >= 0xC2 && b <= 0xDF) {
                if (left < 2 || (q[1] & 0xC0) != 0x80) return 0;
                c = static_cast<char32_t>((b & 0x1F) << 6 | (q[1] & 0x3F));
                return 2;
            }
            if (b >= 0xF0 && b <= 0xF4) {
                if (left < 4) return 0;
                const std::uint8_t t1 = q[1], t2 = q[2], t3 = q[3];
                const std::uint8_t lo = b == 0xF0 ? 0x90 : 0x80, hi = b == 0xF4 ? 0x8F : 0xBF;
                if (t1 < lo || t1 > hi || (t2 & 0xC0) != 0x80 || (t3 & 0xC0) != 0x80) return 0;
                c = static_cast<char32_t>((b & 0x07) << 18 | (t1 & 0x3F) << 12 | (t2 & 0x3F) << 6 | (t3 & 0x3F));
                return 4;
            }
            return 0;
        });
    }

    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        const std::uint8_t b = p[0];
        if (b < 0x80) return AsciiRun(p, avail, at, sink);
        if (const std::size_t r = FastRun(p, avail, at, sink)) return r;
        std::size_t len;
        char32_t c;
        // The second byte's range excludes overlong forms, surrogates and
        // code points past U+10FFFF, so the checks after it are uniform.
        std::uint8_t lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            len = 2;
            c = b & 0x1F;
        } else if (b >= 0xE0 && b <= 0xEF) {
            len = 3;
            c = b & 0x0F;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            len = 4;
            c = b & 0x07;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            sink.Malformed(at, p, 1);
            return 1;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if (k >= avail) {
                if (!last) return 0;
                sink.Malformed(at, p, k);  // cut short by the end
                return k;
            }
            const std::uint8_t t = p[k];
            if (t < (k == 1 ? lo : 0x80) || t > (k == 1 ? hi : 0xBF)) {
                sink.Malformed(at, p, k);  // the longest prefix of a valid form
                return k;
            }
            c = c << 6 | (t & 0x3F);
        }
        sink.Char(c, at, p, len);
        return len;
    }
};

class Utf16Reader final : public Reader {
public:
    // `fixed`: the order is given; otherwise a BOM decides, little-endian
    // without one.
    Utf16Reader(bool bigEndian, bool fixed) noexcept : initialBig_(bigEndian), fixed_(fixed) { ResetState(); }

private:
    bool initialBig_;
    bool fixed_;
    bool big_ = false;
    bool started_ = false;

    void ResetState() noexcept override {
        big_ = initialBig_;
        started_ = false;
    }

    char16_t Unit(const std::uint8_t* p) const noexcept {
        return static_cast<char16_t>(big_ ? (p[0] << 8 | p[1]) : (p[1] << 8 | p[0]));
    }

    // Whole characters, surrogate pairs included; a lone surrogate or a
    // unit cut by the chunk's end is left to Step.
    std::size_t FastRun(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink) const noexcept {
        Run run;
        std::size_t i = 0;
        // Four units at a time while none is a surrogate: the common case
        // costs no test per unit.
        while (run.n + 4 <= kRunMax && avail - i >= 8) {
            std::uint64_t w;
            std::memcpy(&w, p + i, 8);
            if (big_ != (std::endian::native == std::endian::big)) {
                w = (w & 0x00FF00FF00FF00FFu) << 8 | (w >> 8 & 0x00FF00FF00FF00FFu);
            }
            if constexpr (std::endian::native == std::endian::big) {
                w = w >> 48 | (w >> 16 & 0xFFFF0000u) | (w << 16 & 0xFFFF00000000u) | w << 48;
            }
            // A lane of x is zero where a unit lies in D800..DFFF.
            const std::uint64_t x = (w & 0xF800F800F800F800u) ^ 0xD800D800D800D800u;
            if ((x - 0x0001000100010001u) & ~x & 0x8000800080008000u) break;
            run.AddUnits4(w);
            i += 8;
        }
        while (!run.Full() && avail - i >= 2) {
            const char32_t u = Unit(p + i);
            if (u - 0xD800u < 0x800u) {
                if (u > 0xDBFF || avail - i < 4) break;
                const char32_t low = Unit(p + i + 2);
                if (low - 0xDC00u >= 0x400u) break;
                run.Add(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), 4);
                i += 4;
                continue;
            }
            run.Add(u, 2);
            i += 2;
        }
        return run.Deliver(p, at, sink);
    }

    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        if (avail < 2) {
            if (!last) return 0;
            sink.Malformed(at, p, 1);  // an odd byte at the end
            return 1;
        }
        if (!started_) {
            started_ = true;
            if (!fixed_ && ((p[0] == 0xFE && p[1] == 0xFF) || (p[0] == 0xFF && p[1] == 0xFE))) {
                big_ = p[0] == 0xFE;
            }
        }
        if (const std::size_t r = FastRun(p, avail, at, sink)) return r;
        const char16_t u = Unit(p);
        if (u >= 0xDC00 && u <= 0xDFFF) {
            sink.Malformed(at, p, 2);  // a low surrogate alone
            return 2;
        }
        if (u < 0xD800 || u > 0xDBFF) {
            sink.Char(u, at, p, 2);
            return 2;
        }
        if (avail < 4) {
            if (!last) return 0;
            sink.Malformed(at, p, avail);
            return avail;
        }
        const char16_t low = Unit(p + 2);
        if (low < 0xDC00 || low > 0xDFFF) {
            sink.Malformed(at, p, 2);  // a high surrogate alone
            return 2;
        }
        sink.Char(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00), at, p, 4);
        return 4;
    }
};

// What a byte starts in Shift_JIS: the character it is alone (0 = none: a
// lead, NUL or no character), and for a lead its pair-table row + 1. The
// two lead ranges, the kana and ASCII would otherwise be several tests
// each.
struct SJisStarts {
    char16_t single[256] = {};
    std::uint8_t leadRow[256] = {};
    constexpr SJisStarts() {
        for (int b = 1; b < 0x80; ++b) single[b] = static_cast<char16_t>(b);
        for (int b = 0xA1; b <= 0xDF; ++b) single[b] = static_cast<char16_t>(0xFF61 + (b - 0xA1));
        for (int b = 0x80; b <= 0xFF; ++b) {
            const auto u = static_cast<std::uint8_t>(b);
            if (IsSJisLead(u)) leadRow[b] = static_cast<std::uint8_t>(Cp932LeadIndex(u) + 1);
        }
    }
};
constexpr SJisStarts kSJisStarts;

class SJisReader final : public Reader {
    const char16_t* pairs_ = Cp932PairTable();

    // A byte that is no trail has an empty cell in the pair table, so the
    // table alone decides (Step tells the two apart); the last byte of the
    // chunk is Step's. (Picking between a pair and a single byte without a
    // branch was slower: the next character's place then waits on the
    // table load.)
    std::size_t FastRun(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink) const noexcept {
        Run run;
        std::size_t i = 0;
        const char16_t* const pairs = pairs_;
        while (i + 1 < avail && !run.Full()) {
            const std::uint8_t b = p[i];
            if (b < 0x80 && AsciiStretch(p + i, avail - i)) break;
            const unsigned row = kSJisStarts.leadRow[b];
            const char32_t c = row ? pairs[(row - 1) * 256 + p[i + 1]] : kSJisStarts.single[b];
            if (!c) break;
            const std::size_t len = row ? 2 : 1;
            run.Add(c, len);
            i += len;
        }
        return run.Deliver(p, at, sink);
    }

    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        const std::uint8_t b = p[0];
        if (b < 0x80) return AsciiRun(p, avail, at, sink);
        if (pairs_) {
            if (const std::size_t r = FastRun(p, avail, at, sink)) return r;
        }
        if (b >= 0xA1 && b <= 0xDF) {
            sink.Char(0xFF61 + (b - 0xA1), at, p, 1);
            return 1;
        }
        if (!IsSJisLead(b)) {
            sink.Malformed(at, p, 1);  // 0x80, 0xA0, 0xFD..0xFF
            return 1;
        }
        if (avail < 2) {
            if (!last) return 0;
            sink.Malformed(at, p, 1);
            return 1;
        }
        if (!IsSJisTrail(p[1])) {
            sink.Malformed(at, p, 1);  // the next byte starts afresh
            return 1;
        }
        const char32_t c = SJisPairToUnicode(b, p[1]);
        if (c == 0) {
            sink.Malformed(at, p, 2);
        } else {
            sink.Char(c, at, p, 2);
        }
        return 2;
    }
};

constexpr bool IsEucByte(std::uint8_t b) noexcept { return b >= 0xA1 && b <= 0xFE; }

// A JIS X 0208 unit (the two bytes with their high bits clear) through code
// page 932, as the library's EUC-JP and JIS conversions read it.
char32_t Jis0208ToUnicode(std::uint8_t j1, std::uint8_t j2) noexcept {
    const SJisCode s = JisToSJis(j1, j2);
    return SJisPairToUnicode(static_cast<std::uint8_t>(s >> 8), static_cast<std::uint8_t>(s & 0xFF));
}

// Jis0208ToUnicode through the row/cell table.
char32_t Jis0208FromTable(const char16_t* jis, std::uint8_t j1, std::uint8_t j2) noexcept {
    return jis[(j1 - 0x21) * 94 + (j2 - 0x21)];
}

class EucJpReader final : public Reader {
    const char16_t* jis_ = Jis0208DecodeTable();

    // Two-byte characters only: JIS X 0212's three go the unit way.
    std::size_t FastRun(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink) const noexcept {
        return RunOf(p, avail, at, sink, [this](const std::uint8_t* q, std::size_t left, char32_t& c) -> std::size_t {
            if (left < 2) return 0;
            const std::uint8_t b = q[0], t = q[1];
            if (IsEucByte(b) && IsEucByte(t)) {
                c = Jis0208FromTable(jis_, b & 0x7F, t & 0x7F);
                return c ? 2 : 0;
            }
            if (b == 0x8E && t >= 0xA1 && t <= 0xDF) {
                c = 0xFF61 + (t - 0xA1);
                return 2;
            }
            return 0;
        });
    }

    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        const std::uint8_t b = p[0];
        if (b < 0x80) return AsciiRun(p, avail, at, sink);
        if (jis_) {
            if (const std::size_t r = FastRun(p, avail, at, sink)) return r;
        }
        std::size_t len = b == 0x8F ? 3 : 2;
        if (b != 0x8E && b != 0x8F && !IsEucByte(b)) {
            sink.Malformed(at, p, 1);
            return 1;
        }
        for (std::size_t k = 1; k < len; ++k) {
            if (k >= avail) {
                if (!last) return 0;
                sink.Malformed(at, p, k);
                return k;
            }
            const bool ok = b == 0x8E ? (p[k] >= 0xA1 && p[k] <= 0xDF) : IsEucByte(p[k]);
            if (!ok) {
                sink.Malformed(at, p, k);
                return k;
            }
        }
        char32_t c;
        if (b == 0x8E) {
            c = 0xFF61 + (p[1] - 0xA1);
        } else if (b == 0x8F) {
            c = JisX0212ToUnicode(static_cast<std::uint16_t>(p[1] << 8 | p[2]));
        } else {
            c = Jis0208ToUnicode(b & 0x7F, p[1] & 0x7F);
        }
        if (c == 0) {
            sink.Malformed(at, p, len);  // a code the character set leaves empty
        } else {
            sink.Char(c, at, p, len);
        }
        return len;
    }
};

class JisReader final : public Reader {
    enum class Mode { kAscii, kKanji, kKana, kX0212 };
    Mode g0_ = Mode::kAscii;
    bool shifted_ = false;  // SO: half-width katakana until SI
    const char16_t* jis_ = Jis0208DecodeTable();

    // Text in ASCII and kanji mode, across the escapes between them (the
    // usual shape: every kanji stretch opened and closed by one); anything
    // else (another escape or mode, a shift, 8-bit bytes, a long ASCII
    // stretch) ends the run for Step. The mode changes as the run goes.
    std::size_t FastRun(const std::uint8_t* p, std::size_t avail, std::uint64_t at, ReadSink& sink) noexcept {
        Run run;
        std::size_t i = 0;
        std::size_t escapes = 0;  // bounds a run of nothing but escapes
        while (i < avail && !run.Full()) {
            const std::uint8_t b = p[i];
            if (b == 0x1B) {
                if (avail - i < 3 || p[i + 2] != 'B' || (p[i + 1] != '$' && p[i + 1] != '(') || ++escapes > kRunMax) {
                    break;
                }
                g0_ = p[i + 1] == '$' ? Mode::kKanji : Mode::kAscii;
                run.Skip(3);
                i += 3;
            } else if (b >= 0x80 || b == 0x0E || b == 0x0F) {
                break;
            } else if (g0_ == Mode::kAscii) {
                if (AsciiStretch(p + i, avail - i)) break;
                run.Add(b, 1);
                ++i;
            } else if (g0_ != Mode::kKanji) {
                break;
            } else if (b >= 0x21 && b <= 0x7E) {
                if (avail - i < 2 || p[i + 1] < 0x21 || p[i + 1] > 0x7E) break;
                const char32_t c = Jis0208FromTable(jis_, b, p[i + 1]);
                if (!c) break;
                run.Add(c, 2);
                i += 2;
            } else {
                run.Add(b, 1);  // controls and space pass in kanji mode
                ++i;
            }
        }
        return run.Deliver(p, at, sink);
    }

    void ResetState() noexcept override {
        g0_ = Mode::kAscii;
        shifted_ = false;
    }

    // An escape sequence has the shape ESC, intermediate bytes 0x20..0x2F,
    // a final byte 0x30..0x7E; it is taken whole, read or not. Those read:
    // ESC ( B / J / I, ESC $ @ / B, ESC $ ( B / D, and ESC & @ (the
    // announcement of a revision, followed by ESC $ B).
    std::size_t Escape(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                       ReadSink& sink) noexcept {
        // The two that open and close every kanji stretch, decided at once
        // (each is whole: one intermediate, then its final byte).
        if (avail >= 3 && p[2] == 'B' && (p[1] == '$' || p[1] == '(')) {
            g0_ = p[1] == '$' ? Mode::kKanji : Mode::kAscii;
            shifted_ = false;
            return 3;
        }
        static constexpr std::size_t kLongest = 8;
        std::size_t len = 1;
        while (len < avail && len < kLongest && p[len] >= 0x20 && p[len] <= 0x2F) ++len;
        // The byte after the intermediates decides; until it is here, wait
        // (a chunked input must end up where the whole one does).
        if (len == avail && !last) return 0;
        const bool complete = len < avail && p[len] >= 0x30 && p[len] <= 0x7E;
        if (complete) ++len;
        static constexpr struct {
            const char* seq;
            int mode;  // Mode, or -1 for no change
        } kEscapes[] = {
            {"\x1b(B", static_cast<int>(Mode::kAscii)},  {"\x1b(J", static_cast<int>(Mode::kAscii)},
            {"\x1b(I", static_cast<int>(Mode::kKana)},   {"\x1b$@", static_cast<int>(Mode::kKanji)},
            {"\x1b$B", static_cast<int>(Mode::kKanji)},  {"\x1b$(B", static_cast<int>(Mode::kKanji)},
            {"\x1b$(D", static_cast<int>(Mode::kX0212)}, {"\x1b&@", -1},
        };
        if (complete) {
            for (const auto& e : kEscapes) {
                if (std::strlen(e.seq) == len && std::memcmp(p, e.seq, len) == 0) {
                    if (e.mode >= 0) g0_ = static_cast<Mode>(e.mode);
                    shifted_ = false;
                    return len;
                }
            }
        }
        sink.Malformed(at, p, len);  // an escape not read here, or one cut short
        return len;
    }

    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        const std::uint8_t b = p[0];
        if (!shifted_ && jis_ && (b == 0x1B || g0_ == Mode::kKanji)) {
            if (const std::size_t r = FastRun(p, avail, at, sink)) return r;
        }
        if (b == 0x1B) return Escape(p, avail, last, at, sink);
        if (b >= 0x80) {
            sink.Malformed(at, p, 1);  // 8-bit bytes have no place in 7-bit text
            return 1;
        }
        if (b == 0x0E || b == 0x0F) {
            shifted_ = b == 0x0E;
            return 1;
        }
        // In ASCII mode everything up to the next escape, shift or 8-bit
        // byte is ASCII text.
        if (!shifted_ && g0_ == Mode::kAscii) {
            std::size_t k = 1;
            while (k < avail && p[k] < 0x80 && p[k] != 0x1B && p[k] != 0x0E && p[k] != 0x0F) ++k;
            sink.Ascii(p, k, at);
            return k;
        }
        // Controls and space pass in every mode: a line break inside a
        // kanji run is common and unambiguous.
        if (b <= 0x20 || b == 0x7F) {
            sink.Char(b, at, p, 1);
            return 1;
        }
        const Mode mode = shifted_ ? Mode::kKana : g0_;
        switch (mode) {
        case Mode::kAscii:
            sink.Char(b, at, p, 1);
            return 1;
        case Mode::kKana:
            if (b <= 0x5F) {
                sink.Char(0xFF61 + (b - 0x21), at, p, 1);
            } else {
                sink.Malformed(at, p, 1);
            }
            return 1;
        case Mode::kKanji:
        case Mode::kX0212:
            break;
        }
        if (avail < 2) {
            if (!last) return 0;
            sink.Malformed(at, p, 1);
            return 1;
        }
        if (p[1] < 0x21 || p[1] > 0x7E) {
            sink.Malformed(at, p, 1);
            return 1;
        }
        const char32_t c = mode == Mode::kKanji ? Jis0208ToUnicode(b, p[1])
                                                : JisX0212ToUnicode(static_cast<std::uint16_t>((b | 0x80) << 8 | (p[1] | 0x80)));
        if (c == 0) {
            sink.Malformed(at, p, 2);
        } else {
            sink.Char(c, at, p, 2);
        }
        return 2;
    }
};

constexpr int Base64Value(std::uint8_t b) noexcept {
    if (b >= 'A' && b <= 'Z') return b - 'A';
    if (b >= 'a' && b <= 'z') return b - 'a' + 26;
    if (b >= '0' && b <= '9') return b - '0' + 52;
    if (b == '+') return 62;
    if (b == '/') return 63;
    return -1;
}

// UTF-7 as its standard defines it: direct characters, and '+' runs of
// modified Base64 holding UTF-16 units, ended by '-' (taken) or any other
// non-Base64 character. A run's leftover bits must be fewer than six and
// zero, surrogates must pair, and 8-bit bytes never appear.
class Utf7Reader final : public Reader {
    bool inBase64_ = false;
    std::uint32_t bits_ = 0;
    int nbits_ = 0;
    char16_t high_ = 0;            // a high surrogate waiting for its low half
    std::uint64_t highStart_ = 0;
    std::uint64_t runStart_ = 0;   // offset of the '+' (or of the unit's first character)
    std::uint64_t unitStart_ = 0;  // offset of the Base64 character where the current unit began
    std::size_t runChars_ = 0;     // Base64 characters in this run
    std::uint8_t unitBytes_[8] = {};  // the Base64 characters of the unit being gathered
    std::size_t unitLen_ = 0;

    void ResetState() noexcept override {
        inBase64_ = false;
        bits_ = 0;
        nbits_ = 0;
        high_ = 0;
        runChars_ = 0;
        unitLen_ = 0;
    }

    void Unit(char16_t u, std::uint64_t at, ReadSink& sink) noexcept {
        if (high_) {
            if (u >= 0xDC00 && u <= 0xDFFF) {
                sink.Char(0x10000 + ((high_ - 0xD800) << 10) + (u - 0xDC00), highStart_, unitBytes_, unitLen_);
                high_ = 0;
                return;
            }
            sink.Malformed(highStart_, unitBytes_, unitLen_);  // a high surrogate alone
            high_ = 0;
        }
        if (u >= 0xD800 && u <= 0xDBFF) {
            high_ = u;
            highStart_ = at;
            return;
        }
        if (u >= 0xDC00 && u <= 0xDFFF) {
            sink.Malformed(at, unitBytes_, unitLen_);
            return;
        }
        sink.Char(u, at, unitBytes_, unitLen_);
    }

    // The run ends: the bits left over must be padding.
    // A '+' must be followed by at least one Base64 character or by '-'.
    bool BadEnd() const noexcept {
        return nbits_ >= 6 || (bits_ & ((1u << nbits_) - 1)) != 0 || high_ || runChars_ == 0;
    }

    void EndRun(const std::uint8_t* p, std::uint64_t at, ReadSink& sink) noexcept {
        if (BadEnd()) sink.Malformed(at, p, 1);
        inBase64_ = false;
        bits_ = 0;
        nbits_ = 0;
        high_ = 0;
    }

    std::size_t Step(const std::uint8_t* p, std::size_t avail, bool last, std::uint64_t at,
                     ReadSink& sink) noexcept override {
        const std::uint8_t b = p[0];
        if (inBase64_) {
            const int v = Base64Value(b);
            if (v >= 0) {
                if (nbits_ == 0) {
                    unitStart_ = at;
                    unitLen_ = 0;
                }
                if (unitLen_ < sizeof unitBytes_) unitBytes_[unitLen_++] = b;
                bits_ = (bits_ << 6 | static_cast<std::uint32_t>(v)) & 0xFFFFFF;
                nbits_ += 6;
                ++runChars_;
                if (nbits_ >= 16) {
                    nbits_ -= 16;
                    const auto u = static_cast<char16_t>(bits_ >> nbits_);
                    Unit(u, unitStart_, sink);
                    bits_ &= (1u << nbits_) - 1;
                    // The character that straddles two units begins the next.
                    unitStart_ = at;
                    unitLen_ = 0;
                    if (nbits_ > 0) unitBytes_[unitLen_++] = b;
                }
                return 1;
            }
            EndRun(p, at, sink);
            if (b == '-') return 1;
            // Any other character ends the run and is read as itself.
        }
        // Direct characters: printable ASCII, space, tab and line breaks.
        if (b >= 0x7F || (b < 0x20 && b != '\t' && b != '\r' && b != '\n')) {
            sink.Malformed(at, p, 1);
            return 1;
        }
        if (b == '+') {
            if (avail < 2) {
                if (!last) return 0;
                sink.Malformed(at, p, 1);  // '+' at the very end
                return 1;
            }
            if (p[1] == '-') {
                sink.Char('+', at, p, 2);
                return 2;
            }
            inBase64_ = true;
            runStart_ = at;
            runChars_ = 0;
            return 1;
        }
        sink.Char(b, at, p, 1);
        return 1;
    }

    // At the end of the input an open run must end cleanly too.
    void AtEnd(ReadSink& sink) noexcept override {
        if (inBase64_ && BadEnd()) {
            const std::uint8_t plus = '+';
            sink.Malformed(runStart_, &plus, 1);
        }
        inBase64_ = false;
    }
};

}  // namespace

std::unique_ptr<Reader> MakeReader(Enc enc) noexcept {
    switch (enc) {
    case Enc::kAscii: return std::unique_ptr<Reader>(new (std::nothrow) AsciiReader);
    case Enc::kUtf8: return std::unique_ptr<Reader>(new (std::nothrow) Utf8Reader);
    case Enc::kUtf16Le: return std::unique_ptr<Reader>(new (std::nothrow) Utf16Reader(false, true));
    case Enc::kUtf16Be: return std::unique_ptr<Reader>(new (std::nothrow) Utf16Reader(true, true));
    case Enc::kUtf16: return std::unique_ptr<Reader>(new (std::nothrow) Utf16Reader(false, false));
    case Enc::kJis: return std::unique_ptr<Reader>(new (std::nothrow) JisReader);
    case Enc::kEucJp: return std::unique_ptr<Reader>(new (std::nothrow) EucJpReader);
    case Enc::kSJis: return std::unique_ptr<Reader>(new (std::nothrow) SJisReader);
    case Enc::kUtf7: return std::unique_ptr<Reader>(new (std::nothrow) Utf7Reader);
    case Enc::kNone: break;
    }
    return nullptr;
}

}  // namespace zr::text
