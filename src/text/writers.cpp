// writers.cpp - one writer per output encoding.
#include "text/writers.hpp"

#include <bit>
#include <cstring>

#include "text/cp932_map.hpp"
#include "text/kana.hpp"
#include "zr_moji.h"

namespace zr::text {

std::size_t Writer::PutRun(const char32_t* cs, std::size_t n, bool cp932Variants, std::vector<std::uint8_t>& out) {
    for (std::size_t i = 0; i < n; ++i) {
        if (!Put(cp932Variants ? VariantToCp932(cs[i]) : cs[i], out)) return i;
    }
    return n;
}

namespace {

// Room for `most` bytes at the end of out, written through a plain pointer
// and cut back to what was written: a run's bytes without a push each.
class Tail {
public:
    Tail(std::vector<std::uint8_t>& out, std::size_t most) : out_(out), base_(out.size()) {
        out_.resize(base_ + most);
        p_ = out_.data() + base_;
    }
    ~Tail() { out_.resize(static_cast<std::size_t>(p_ - out_.data())); }
    Tail(const Tail&) = delete;
    Tail& operator=(const Tail&) = delete;
    std::uint8_t*& p() noexcept { return p_; }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t base_;
    std::uint8_t* p_;
};

// Code points no variant pair starts from (the JIS forms lie in
// U+00A2..U+00AC, U+2014..U+2212 and at U+301C) pass with a few comparisons;
// the CJK punctuation just below U+301C is common.
constexpr char32_t Cp932Form(char32_t c) noexcept {
    return c - 0xA2u <= 0xACu - 0xA2u || c - 0x2014u <= 0x2212u - 0x2014u || c == 0x301C ? VariantToCp932(c) : c;
}

std::uint8_t* Utf8Bytes(char32_t c, std::uint8_t* q) noexcept {
    if (c >= 0x800 && c < 0x10000) {  // kana and kanji: the common case first
        q[0] = static_cast<std::uint8_t>(0xE0 | c >> 12);
        q[1] = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
        q[2] = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        return q + 3;
    }
    if (c < 0x80) {
        *q++ = static_cast<std::uint8_t>(c);
    } else if (c < 0x800) {
        *q++ = static_cast<std::uint8_t>(0xC0 | c >> 6);
        *q++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        *q++ = static_cast<std::uint8_t>(0xE0 | c >> 12);
        *q++ = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
        *q++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    } else {
        *q++ = static_cast<std::uint8_t>(0xF0 | c >> 18);
        *q++ = static_cast<std::uint8_t>(0x80 | (c >> 12 & 0x3F));
        *q++ = static_cast<std::uint8_t>(0x80 | (c >> 6 & 0x3F));
        *q++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
    }
    return q;
}

// For the encodings in which ASCII stands for itself.
bool AppendAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) {
    out.insert(out.end(), p, p + n);
    return true;
}

void PutUtf8(char32_t c, std::vector<std::uint8_t>& out) {
    std::uint8_t b[4];
    out.insert(out.end(), b, Utf8Bytes(c, b));
}

// Readers hand over Unicode scalar values only, so every code point below
// U+110000 outside the surrogates has a form in the Unicode encodings.
constexpr bool IsScalar(char32_t c) noexcept { return c < 0x110000 && (c < 0xD800 || c > 0xDFFF); }

class AsciiWriter final : public Writer {
    bool PutAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) override {
        return AppendAscii(p, n, out);
    }
    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        if (c >= 0x80) return false;
        out.push_back(static_cast<std::uint8_t>(c));
        return true;
    }
};

class Utf8Writer final : public Writer {
    bool PutAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) override {
        return AppendAscii(p, n, out);
    }
    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        if (!IsScalar(c)) return false;
        PutUtf8(c, out);
        return true;
    }
    void Bom(std::vector<std::uint8_t>& out) override { PutUtf8(kBom, out); }
    std::size_t PutRun(const char32_t* cs, std::size_t n, bool cp932Variants,
                       std::vector<std::uint8_t>& out) override {
        if (cp932Variants) return Writer::PutRun(cs, n, cp932Variants, out);
        Tail t(out, n * 4);
        for (std::size_t i = 0; i < n; ++i) {
            if (!IsScalar(cs[i])) return i;
            t.p() = Utf8Bytes(cs[i], t.p());
        }
        return n;
    }
};

class Utf16Writer final : public Writer {
public:
    explicit Utf16Writer(bool big) : big_(big) {}

private:
    bool big_;
    void Unit(char16_t u, std::vector<std::uint8_t>& out) {
        const auto hi = static_cast<std::uint8_t>(u >> 8);
        const auto lo = static_cast<std::uint8_t>(u & 0xFF);
        out.push_back(big_ ? hi : lo);
        out.push_back(big_ ? lo : hi);
    }
    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        if (!IsScalar(c)) return false;
        if (c < 0x10000) {
            Unit(static_cast<char16_t>(c), out);
        } else {
            Unit(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), out);
            Unit(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), out);
        }
        return true;
    }
    void Bom(std::vector<std::uint8_t>& out) override { Unit(static_cast<char16_t>(kBom), out); }
    std::size_t PutRun(const char32_t* cs, std::size_t n, bool cp932Variants,
                       std::vector<std::uint8_t>& out) override {
        if (cp932Variants) return Writer::PutRun(cs, n, cp932Variants, out);
        Tail t(out, n * 4);
        std::uint8_t*& q = t.p();
        // A unit is stored whole, in the host's order turned when the
        // target's differs.
        const bool turn = big_ != (std::endian::native == std::endian::big);
        auto unit = [&](char32_t c) {
            auto u = static_cast<std::uint16_t>(c);
            if (turn) u = static_cast<std::uint16_t>(u << 8 | u >> 8);
            std::memcpy(q, &u, 2);
            q += 2;
        };
        for (std::size_t i = 0; i < n; ++i) {
            const char32_t c = cs[i];
            if (c < 0xD800 || c - 0xE000u < 0x2000u) {
                unit(c);
            } else if (IsScalar(c)) {
                unit(0xD800 + ((c - 0x10000) >> 10));
                unit(0xDC00 + ((c - 0x10000) & 0x3FF));
            } else {
                return i;
            }
        }
        return n;
    }
};

class SJisWriter final : public Writer {
    bool PutAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) override {
        return AppendAscii(p, n, out);
    }
    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        if (c == 0) {
            out.push_back(0);
            return true;
        }
        const SJisCode s = UnicodeToSJis(c);
        if (!s) return false;
        if (s >= 0x100) out.push_back(static_cast<std::uint8_t>(s >> 8));
        out.push_back(static_cast<std::uint8_t>(s & 0xFF));
        return true;
    }
    std::size_t PutRun(const char32_t* cs, std::size_t n, bool cp932Variants,
                       std::vector<std::uint8_t>& out) override {
        const SJisCode* codes = cp932Variants ? Cp932EncodeTableWithVariants() : Cp932EncodeTable();
        if (!codes) return Writer::PutRun(cs, n, cp932Variants, out);
        Tail t(out, n * 2);
        std::uint8_t*& q = t.p();
        for (std::size_t i = 0; i < n; ++i) {
            const char32_t c = cs[i];
            const SJisCode s = c < 0x10000 ? codes[c] : 0;
            if (!s && c) return i;  // U+0000 is the one character coded 0
            // Both bytes are stored whatever the width (Tail leaves room),
            // so the width costs no branch.
            const bool two = s > 0xFF;
            q[0] = static_cast<std::uint8_t>(two ? s >> 8 : s);
            q[1] = static_cast<std::uint8_t>(s & 0xFF);
            q += 1 + two;
        }
        return n;
    }
};

class EucJpWriter final : public Writer {
    bool PutAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) override {
        return AppendAscii(p, n, out);
    }
    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        if (c < 0x80) {
            out.push_back(static_cast<std::uint8_t>(c));
            return true;
        }
        const SJisCode s = UnicodeToSJis(c);
        if (s >= 0xA1 && s <= 0xDF) {
            out.push_back(0x8E);
            out.push_back(static_cast<std::uint8_t>(s));
            return true;
        }
        if (const std::uint16_t j = SJisToJis(s)) {
            out.push_back(static_cast<std::uint8_t>(j >> 8 | 0x80));
            out.push_back(static_cast<std::uint8_t>((j & 0xFF) | 0x80));
            return true;
        }
        if (const std::uint16_t x = UnicodeToJisX0212(c)) {
            out.push_back(0x8F);
            out.push_back(static_cast<std::uint8_t>(x >> 8));
            out.push_back(static_cast<std::uint8_t>(x & 0xFF));
            return true;
        }
        return false;
    }
    std::size_t PutRun(const char32_t* cs, std::size_t n, bool cp932Variants,
                       std::vector<std::uint8_t>& out) override {
        const SJisCode* codes = Cp932EncodeTable();
        const std::uint16_t* jis = Jis0208EncodeTable();
        if (!codes || !jis) return Writer::PutRun(cs, n, cp932Variants, out);
        Tail t(out, n * 3);
        std::uint8_t*& q = t.p();
        for (std::size_t i = 0; i < n; ++i) {
            const char32_t c = cp932Variants ? Cp932Form(cs[i]) : cs[i];
            if (c < 0x80) {
                *q++ = static_cast<std::uint8_t>(c);
                continue;
            }
            // A code with a JIS row is never a one-byte kana, so the order
            // of these two does not matter; the common one goes first.
            if (const std::uint16_t j = c < 0x10000 ? jis[c] : 0) {
                *q++ = static_cast<std::uint8_t>(j >> 8 | 0x80);
                *q++ = static_cast<std::uint8_t>((j & 0xFF) | 0x80);
                continue;
            }
            const SJisCode s = c < 0x10000 ? codes[c] : 0;
            if (s >= 0xA1 && s <= 0xDF) {
                *q++ = 0x8E;
                *q++ = static_cast<std::uint8_t>(s);
            } else if (const std::uint16_t x = UnicodeToJisX0212(c)) {
                *q++ = 0x8F;
                *q++ = static_cast<std::uint8_t>(x >> 8);
                *q++ = static_cast<std::uint8_t>(x & 0xFF);
            } else {
                return i;
            }
        }
        return n;
    }
};

// ISO-2022-JP as mail wants it: ESC $ B for kanji (the code page 932 code
// the host writes, when it has a JIS row, as the library's own conversion
// does; the IBM extensions at 0xFA..0xFC have none), ESC ( B back to ASCII
// before any ASCII byte (so before every line break) and at the end;
// half-width katakana only in ESC ( I runs, when asked for.
class JisWriter final : public Writer {
public:
    explicit JisWriter(bool kanaRuns) : kanaRuns_(kanaRuns) {}

private:
    enum class Mode { kAscii, kKanji, kKana };
    bool kanaRuns_;
    Mode mode_ = Mode::kAscii;

    void Switch(Mode m, std::vector<std::uint8_t>& out) {
        if (m == mode_) return;
        static constexpr std::uint8_t kAsciiEsc[] = {0x1B, '(', 'B'};
        static constexpr std::uint8_t kKanjiEsc[] = {0x1B, '$', 'B'};
        static constexpr std::uint8_t kKanaEsc[] = {0x1B, '(', 'I'};
        const std::uint8_t* e = m == Mode::kAscii ? kAsciiEsc : m == Mode::kKanji ? kKanjiEsc : kKanaEsc;
        out.insert(out.end(), e, e + 3);
        mode_ = m;
    }

    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        // SO, SI and ESC would change the reader's mode: never written as text.
        if (c < 0x80 && c != 0x0E && c != 0x0F && c != 0x1B) {
            Switch(Mode::kAscii, out);
            out.push_back(static_cast<std::uint8_t>(c));
            return true;
        }
        if (c >= 0xFF61 && c <= 0xFF9F) {
            if (!kanaRuns_) return false;
            Switch(Mode::kKana, out);
            out.push_back(static_cast<std::uint8_t>(c - 0xFF61 + 0x21));
            return true;
        }
        const std::uint16_t j = SJisToJis(UnicodeToSJis(c));
        if (!j) return false;
        Switch(Mode::kKanji, out);
        out.push_back(static_cast<std::uint8_t>(j >> 8));
        out.push_back(static_cast<std::uint8_t>(j & 0xFF));
        return true;
    }

    bool PutAscii(const std::uint8_t* p, std::size_t n, std::vector<std::uint8_t>& out) override {
        for (std::size_t i = 0; i < n; ++i) {
            if (p[i] == 0x0E || p[i] == 0x0F || p[i] == 0x1B) return false;
        }
        Switch(Mode::kAscii, out);
        return AppendAscii(p, n, out);
    }

    void Finish(std::vector<std::uint8_t>& out) override { Switch(Mode::kAscii, out); }
    void Reset() override { mode_ = Mode::kAscii; }
};

// UTF-7 through the library's encoder, so that the choice of direct
// characters and the run ends are the host's. The encoder takes whole
// NUL-terminated texts: units are gathered up to a line break (a direct
// character, so no run spans two pieces) or a bounded length and encoded a
// piece at a time. U+0000 cannot pass through it and is written as its
// Base64 run.
class Utf7Writer final : public Writer {
    std::vector<ZR_WCHAR> units_;
    std::vector<char> scratch_;
    static constexpr std::size_t kPiece = 4096;

    void Flush(std::vector<std::uint8_t>& out) {
        if (units_.empty()) return;
        units_.push_back(0);
        // Eight bytes per unit covers the longest form (a lone unit in its
        // own run: '+', three characters, '-').
        scratch_.resize(units_.size() * 8 + 8);
        const int n = ZR_UnicodeToUtf7(units_.data(), scratch_.data(), static_cast<std::int32_t>(scratch_.size()));
        if (n > 0) out.insert(out.end(), scratch_.begin(), scratch_.begin() + n);
        units_.clear();
    }

    bool Put(char32_t c, std::vector<std::uint8_t>& out) override {
        if (!IsScalar(c)) return false;
        if (c == 0) {
            Flush(out);
            static constexpr std::uint8_t kNul[] = {'+', 'A', 'A', 'A', '-'};
            out.insert(out.end(), kNul, kNul + 5);
            return true;
        }
        if (c < 0x10000) {
            units_.push_back(static_cast<ZR_WCHAR>(c));
        } else {
            units_.push_back(static_cast<ZR_WCHAR>(0xD800 + ((c - 0x10000) >> 10)));
            units_.push_back(static_cast<ZR_WCHAR>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        }
        if (c == '\n' || units_.size() >= kPiece) Flush(out);
        return true;
    }

    void Finish(std::vector<std::uint8_t>& out) override { Flush(out); }
    void Reset() override { units_.clear(); }
};

}  // namespace

std::unique_ptr<Writer> MakeWriter(Enc enc, const WriterOptions& options) {
    switch (enc) {
    case Enc::kAscii: return std::make_unique<AsciiWriter>();
    case Enc::kUtf8: return std::make_unique<Utf8Writer>();
    case Enc::kUtf16Le:
    case Enc::kUtf16: return std::make_unique<Utf16Writer>(false);
    case Enc::kUtf16Be: return std::make_unique<Utf16Writer>(true);
    case Enc::kJis: return std::make_unique<JisWriter>(options.kanaRuns);
    case Enc::kEucJp: return std::make_unique<EucJpWriter>();
    case Enc::kSJis: return std::make_unique<SJisWriter>();
    case Enc::kUtf7: return std::make_unique<Utf7Writer>();
    case Enc::kNone: break;
    }
    return nullptr;
}

}  // namespace zr::text
