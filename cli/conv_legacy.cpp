// cli/conv_legacy.cpp - conversion through the library's exports alone, line
// by line: what "zrmoji conv" falls back on while the text module's
// converter is not available in this build.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "common.hpp"
#include "conv_legacy.hpp"

namespace zrcli {
namespace {

using ByteToByte = std::int32_t(ZR_CALL*)(const char*, char*, std::int32_t);
using ByteToWide = std::int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, std::int32_t);
using WideToByte = std::int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, std::int32_t);

// One export in a conversion chain. The capacity given to it grows from a
// modest first guess to `mul * n + add` output units for n input units, a
// size at which its output is sure to fit: JIS needs 3 bytes per switch of
// mode, and the two-step exports give their intermediate text the same
// capacity as their output.
struct Step {
    enum Kind { kBytes, kToWide, kFromWide } kind;
    ByteToByte bb = nullptr;
    ByteToWide bw = nullptr;
    WideToByte wb = nullptr;
    std::size_t mul = 1, add = 2;
    bool jisOut = false;  // output is JIS: check that it ends in single-byte mode
    // Output in code page 932 (or JIS) from Unicode text: characters without
    // a form there become '?', counted by comparing the '?' in and out.
    bool countsLoss = false;
    bool warnsKana = false;  // Shift_JIS into EUC-JP: half-width katakana stay single bytes
};

Step BB(ByteToByte f, std::size_t mul, std::size_t add) {
    Step s{Step::kBytes};
    s.bb = f;
    s.mul = mul;
    s.add = add;
    return s;
}
Step BW(ByteToWide f, std::size_t mul, std::size_t add) {
    Step s{Step::kToWide};
    s.bw = f;
    s.mul = mul;
    s.add = add;
    return s;
}
Step WB(WideToByte f, std::size_t mul, std::size_t add, bool jisOut = false,
        bool countsLoss = false) {
    Step s{Step::kFromWide};
    s.wb = f;
    s.mul = mul;
    s.add = add;
    s.jisOut = jisOut;
    s.countsLoss = countsLoss;
    return s;
}

bool Direct(Enc from, Enc to, Step* out) {
    struct Row {
        Enc from, to;
        ByteToByte f;
        std::size_t mul, add;
    };
    static const Row kRows[] = {
        {Enc::SJis, Enc::Jis, ZR_SJisToJis, 4, 8},  {Enc::Jis, Enc::SJis, ZR_JisToSJis, 1, 2},
        {Enc::Euc, Enc::Jis, ZR_EucToJis, 4, 8},    {Enc::Jis, Enc::Euc, ZR_JisToEuc, 1, 3},
        {Enc::Euc, Enc::SJis, ZR_EucToSJis, 4, 8},  {Enc::SJis, Enc::Euc, ZR_SJisToEuc, 4, 8},
        {Enc::Utf8, Enc::SJis, ZR_Utf8ToSJis, 2, 2}, {Enc::SJis, Enc::Utf8, ZR_SJisToUtf8, 3, 2},
        {Enc::Utf7, Enc::SJis, ZR_Utf7ToSJis, 2, 2}, {Enc::SJis, Enc::Utf7, ZR_SJisToUtf7, 8, 8},
    };
    for (const auto& r : kRows)
        if (r.from == from && r.to == to) {
            *out = BB(r.f, r.mul, r.add);
            out->countsLoss = from == Enc::Utf8 && to == Enc::SJis;
            out->warnsKana = from == Enc::SJis && to == Enc::Euc;
            return true;
        }
    return false;
}

Step ToWide(Enc from) {
    switch (from) {
        case Enc::SJis: return BW(ZR_SJisToUnicode, 1, 2);
        case Enc::Jis: return BW(ZR_JisToUnicode, 1, 2);
        // Its Shift_JIS stage runs through JIS, which is longer than the input.
        case Enc::Euc: return BW(ZR_EucToUnicode, 4, 8);
        case Enc::Utf8: return BW(ZR_Utf8ToUnicode, 1, 2);
        default: return BW(ZR_Utf7ToUnicode, 1, 2);
    }
}

Step FromWide(Enc to) {
    switch (to) {
        case Enc::SJis: return WB(ZR_UnicodeToSJis, 2, 2, false, true);
        case Enc::Jis: return WB(ZR_UnicodeToJis, 8, 8, true, true);
        case Enc::Utf8: return WB(ZR_UnicodeToUtf8, 3, 2);
        default: return WB(ZR_UnicodeToUtf7, 8, 8);
    }
}

// The chain from one encoding to another. Conversions into EUC-JP from
// UTF-16 go through Shift_JIS rather than ZR_UnicodeToEuc: that export
// delivers the text before a character without a JIS form as if it were
// all, while ZR_SJisToEuc refuses the line and so lets us say where.
std::vector<Step> Plan(Enc from, Enc to) {
    std::vector<Step> steps;
    Step direct{};
    if (from == to) return steps;
    if (Direct(from, to, &direct)) {
        steps.push_back(direct);
    } else if (to == Enc::Utf16) {
        steps.push_back(ToWide(from));
    } else if (from == Enc::Utf16) {
        if (to == Enc::Euc) {
            steps.push_back(FromWide(Enc::SJis));
            Direct(Enc::SJis, Enc::Euc, &direct);
            steps.push_back(direct);
        } else {
            steps.push_back(FromWide(to));
        }
    } else if ((to == Enc::Jis || to == Enc::Euc) && (from == Enc::Utf8 || from == Enc::Utf7)) {
        Direct(from, Enc::SJis, &direct);
        steps.push_back(direct);
        Direct(Enc::SJis, to, &direct);
        steps.push_back(direct);
    } else {
        steps.push_back(ToWide(from));
        steps.push_back(FromWide(to));
    }
    return steps;
}

// Mode at the end of JIS text, read the way the library's JIS decoders read
// it: at most one escape per step, then one pair or one byte.
bool JisKanjiIn(std::string_view s, std::size_t i, std::size_t* len) {
    auto at = [&](std::size_t k) { return k < s.size() ? s[k] : '\0'; };
    if (at(i) != 0x1B) return false;
    if (at(i + 1) == '$' && (at(i + 2) == '@' || at(i + 2) == 'B')) {
        *len = 3;
        return true;
    }
    if (at(i + 1) == '&' && at(i + 2) == '@' && at(i + 3) == 0x1B && at(i + 4) == '$' &&
        at(i + 5) == 'B') {
        *len = 6;
        return true;
    }
    if (at(i + 1) == '$' && at(i + 2) == '(' && at(i + 3) == 'D') {
        *len = 4;
        return true;
    }
    return false;
}

bool JisKanjiOut(std::string_view s, std::size_t i) {
    return i + 2 < s.size() && s[i] == 0x1B && s[i + 1] == '(' &&
           (s[i + 2] == 'B' || s[i + 2] == 'J' || s[i + 2] == 'I');
}

// Walks JIS text as the decoders do; returns the mode at the end and counts
// the '?' read in single-byte mode (in double-byte mode 0x3F is half a pair).
bool ScanJis(std::string_view s, std::size_t* questionMarks) {
    bool kanji = false;
    std::size_t i = 0, len = 0;
    while (i < s.size()) {
        if (JisKanjiIn(s, i, &len)) {
            kanji = true;
            i += len;
        } else if (JisKanjiOut(s, i)) {
            kanji = false;
            i += 3;
        }
        if (i >= s.size()) break;
        if (!kanji && s[i] == '?' && questionMarks) ++*questionMarks;
        i += kanji ? 2 : 1;
    }
    return kanji;
}

bool EndsInKanjiMode(std::string_view s) { return ScanJis(s, nullptr); }

// '?' in Shift_JIS text: 0x3F is never the second byte of a pair.
std::size_t CountQuestionMarks(std::string_view s) {
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), '?'));
}

std::size_t CountQuestionMarks(std::u16string_view s) {
    return static_cast<std::size_t>(std::count(s.begin(), s.end(), u'?'));
}

// Single-byte katakana of code page 932 (0xA1..0xDF standing alone).
bool HasHalfWidthKana(const std::string& sjis) {
    for (std::size_t i = 0; i < sjis.size();) {
        if (i + 1 < sjis.size() && ZR_IsMultiByteChar(sjis.c_str() + i)) {
            i += 2;
            continue;
        }
        const auto b = static_cast<unsigned char>(sjis[i]);
        if (b >= 0xA1 && b <= 0xDF) return true;
        ++i;
    }
    return false;
}

constexpr char kKanjiIn[] = "\x1B$B";
constexpr std::size_t kSoftLimit = std::size_t{4} << 20;

struct Converter {
    Enc from, to;
    std::vector<Step> steps;
    bool dropBom;
    bool strict;
    Sink& out;
    bool warnedKana = false;

    // Runs the chain over one segment; returns false when the library
    // refused it (stepFailed tells which step).
    bool Run(const std::string& segBytes, const U16& segWide, std::string* outBytes, U16* outWide,
             std::size_t* stepFailed, std::size_t* lost) {
        std::string bytes = segBytes;
        U16 wide = segWide;
        bool isWide = from == Enc::Utf16;
        for (std::size_t k = 0; k < steps.size(); ++k) {
            const Step& st = steps[k];
            const std::size_t n = isWide ? wide.size() : bytes.size();
            if (n == 0) break;  // nothing left to convert: every export refuses ""
            const std::size_t bound = st.mul * n + st.add;
            const std::size_t first = std::min(bound, 2 * n + 16);
            std::int32_t cap = 0, r = 0;
            switch (st.kind) {
                case Step::kBytes: {
                    if (st.warnsKana && !warnedKana && HasHalfWidthKana(bytes)) {
                        warnedKana = true;
                        std::fprintf(stderr,
                                     "zrmoji: warning: half-width katakana go into the EUC-JP "
                                     "output as single bytes, without 0x8E before them; EUC-JP "
                                     "readers (zrmoji too) will not read them back\n");
                    }
                    std::string o;
                    r = CallGrowing(first, bound, [&](std::int32_t c) {
                        o.assign(static_cast<std::size_t>(c), '\0');
                        return st.bb(bytes.c_str(), o.data(), c);
                    }, &cap);
                    if (r < 0 || r >= cap) {
                        *stepFailed = k;
                        return false;
                    }
                    o.resize(static_cast<std::size_t>(r));
                    if (st.countsLoss) {
                        const std::size_t in = CountQuestionMarks(bytes), out = CountQuestionMarks(o);
                        if (out > in) *lost += out - in;
                    }
                    bytes.swap(o);
                    break;
                }
                case Step::kToWide: {
                    std::vector<ZR_WCHAR> o;
                    r = CallGrowing(first, bound, [&](std::int32_t c) {
                        o.assign(static_cast<std::size_t>(c), 0);
                        return st.bw(bytes.c_str(), o.data(), c);
                    }, &cap);
                    if (r < 0 || r > cap) {
                        *stepFailed = k;
                        return false;
                    }
                    // 0 at the full bound: the text produced nothing (JIS
                    // made only of escapes).
                    wide = FromW(o.data(), r > 0 ? static_cast<std::size_t>(r - 1) : 0);
                    isWide = true;
                    break;
                }
                case Step::kFromWide: {
                    std::string o;
                    const WStr w = ToW(wide);
                    r = CallGrowing(first, bound, [&](std::int32_t c) {
                        o.assign(static_cast<std::size_t>(c), '\0');
                        return st.wb(w.c_str(), o.data(), c);
                    }, &cap);
                    if (r < 0 || r >= cap) {
                        *stepFailed = k;
                        return false;
                    }
                    o.resize(static_cast<std::size_t>(r));
                    // A JIS text that stops in double-byte mode is one that
                    // stopped at a character without a JIS form (unless the
                    // text itself held an escape sequence).
                    if (st.jisOut && EndsInKanjiMode(o) && FindNonJisCharU16(wide, nullptr) >= 0) {
                        *stepFailed = k;
                        return false;
                    }
                    if (st.countsLoss) {
                        std::size_t out = 0;
                        if (st.jisOut)
                            ScanJis(o, &out);
                        else
                            out = CountQuestionMarks(o);
                        const std::size_t in = CountQuestionMarks(wide);
                        if (out > in) *lost += out - in;
                    }
                    bytes.swap(o);
                    isWide = false;
                    break;
                }
            }
        }
        if (isWide)
            outWide->swap(wide);
        else
            outBytes->swap(bytes);
        return true;
    }

    void WriteNul() {
        if (to == Enc::Utf16)
            out.Write("\0\0", 2);
        else
            out.Write("\0", 1);
    }

    [[noreturn]] void Refused(const Input& in, unsigned long long line, unsigned long long offset,
                              std::string_view seg) {
        std::string what;
        const long long at = FindNonJisChar(seg, from, &what);
        if (at >= 0)
            Fail(kExitRefused,
                 Where(in.Name(), line, offset + static_cast<unsigned long long>(at)) + ": " + what +
                     " has no JIS X 0208 code (Shift_JIS lead byte F0 to FC); cannot convert "
                     "it to " + EncName(to));
        Fail(kExitRefused, Where(in.Name(), line, offset) + Format(": the library refused to "
                                                                   "convert this line from %s "
                                                                   "to %s",
                                                                   EncName(from), EncName(to)));
    }

    void Copy(Input& in, Progress& progress, unsigned long long before) {
        std::string block;
        while (in.NextBlock(block, 1 << 16)) {
            out.Write(block);
            progress.Update(before + in.Consumed());
        }
    }

    void File(Input& in, Progress& progress, unsigned long long before) {
        if (steps.empty()) return Copy(in, progress, before);
        unsigned long long line = 1, offset = 0, lostLine = 0;
        std::size_t lostTotal = 0;
        bool first = true;
        bool kanji = false;  // JIS input: the previous segment left double-byte mode on
        std::string seg, outBytes;
        U16 segWide, outWide;
        U16Reader wideIn(in);
        for (;;) {
            bool nul = false;
            bool more;
            unsigned long long consumed;
            if (from == Enc::Utf16) {
                more = wideIn.NextSegment(segWide, &nul, kSoftLimit / 2);
                consumed = wideIn.ConsumedBytes();
                if (first && !segWide.empty() && segWide[0] == 0xFFFE)
                    Fail(kExitRefused, in.Name() + ": big-endian UTF-16 (byte order mark FE FF); "
                                                   "zrmoji reads little-endian UTF-16 only");
                if (first && dropBom && !segWide.empty() && segWide[0] == 0xFEFF)
                    segWide.erase(0, 1);
            } else {
                more = in.NextSegment(seg, '\n', true, &nul, kSoftLimit);
                consumed = in.Consumed();
                if (first && dropBom && from == Enc::Utf8 && seg.compare(0, 3, "\xEF\xBB\xBF") == 0)
                    seg.erase(0, 3);
            }
            if (!more) break;
            first = false;
            std::string input = seg;
            if (from == Enc::Jis) {
                if (kanji) input.insert(0, kKanjiIn);
                kanji = EndsInKanjiMode(input);
            }
            std::size_t failed = 0, lost = 0;
            outBytes.clear();
            outWide.clear();
            if (!Run(input, segWide, &outBytes, &outWide, &failed, &lost))
                Refused(in, line, offset, from == Enc::Utf16 ? U16ToLeBytes(segWide) : seg);
            if (lost != 0) {
                if (strict) {
                    std::string what = "a character";
                    const long long at = FindNonCp932Char(
                        from == Enc::Utf16 ? U16ToLeBytes(segWide) : seg, from, &what);
                    Fail(kExitRefused,
                         Where(in.Name(), line, offset + static_cast<unsigned long long>(at < 0 ? 0 : at)) +
                             ": " + what + " has no code page 932 form (without --strict it "
                                           "becomes '?')");
                }
                if (lostTotal == 0) lostLine = line;
                lostTotal += lost;
            }
            if (to == Enc::Utf16)
                out.Write(U16ToLeBytes(outWide));
            else
                out.Write(outBytes);
            if (nul) WriteNul();
            const bool endedLine =
                from == Enc::Utf16 ? (!segWide.empty() && segWide.back() == u'\n')
                                   : (!seg.empty() && seg.back() == '\n');
            if (endedLine) ++line;
            offset = consumed;
            progress.Update(before + consumed);
        }
        if (lostTotal != 0) {
            std::fprintf(stderr,
                         "zrmoji: warning: %s: characters without a code page 932 form "
                         "became '?' (%zu written, the first on line %llu; --strict refuses "
                         "them)\n",
                         in.Name().c_str(), lostTotal, lostLine);
        }
    }
};

}  // namespace

void LegacyConvert(Enc from, Enc to, bool strict, Input& in, Sink& out, Progress& progress,
                   unsigned long long before) {
    // A byte order mark means nothing in JIS, Shift_JIS or EUC-JP text,
    // where it would only turn into a stray character.
    const bool dropBom = to == Enc::Jis || to == Enc::SJis || to == Enc::Euc;
    Converter conv{from, to, Plan(from, to), dropBom, strict, out};
    conv.File(in, progress, before);
}

}  // namespace zrcli
