// cli/mime.cpp - "zrmoji b64" and "zrmoji qp": the MIME transfer encodings.
#include <cctype>
#include <cstring>
#include <string>
#include <vector>

#include "commands.hpp"
#include "common.hpp"
#include "textcmd.hpp"

namespace zrcli {
namespace {

using EncodeW = std::int32_t(ZR_CALL*)(const ZR_WCHAR*, char*, std::int32_t);
using EncodeA = std::int32_t(ZR_CALL*)(const char*, char*, std::int32_t);
using DecodeW = std::int32_t(ZR_CALL*)(const char*, ZR_WCHAR*, std::int32_t);
using DecodeA = std::int32_t(ZR_CALL*)(const char*, char*, std::int32_t);

// The sixteen charset members of one family, by transfer encoding.
struct Members {
    EncodeW encW[4];
    EncodeA encA[4];
    DecodeW decW[4];
    DecodeA decA[4];
};

// Index: 0 JIS, 1 Shift_JIS, 2 EUC-JP, 3 UTF-8 (the URL encode types too).
const Members kBase64 = {
    {ZR_Base64_EncodeJISW, ZR_Base64_EncodeSJISW, ZR_Base64_EncodeEUCW, ZR_Base64_EncodeUTF8W},
    {ZR_Base64_EncodeJISA, ZR_Base64_EncodeSJISA, ZR_Base64_EncodeEUCA, ZR_Base64_EncodeUTF8A},
    {ZR_Base64_DecodeJISW, ZR_Base64_DecodeSJISW, ZR_Base64_DecodeEUCW, ZR_Base64_DecodeUTF8W},
    {ZR_Base64_DecodeJISA, ZR_Base64_DecodeSJISA, ZR_Base64_DecodeEUCA, ZR_Base64_DecodeUTF8A},
};

const Members kQuotedPrintable = {
    {ZR_QuotedPrintable_EncodeJISW, ZR_QuotedPrintable_EncodeSJISW, ZR_QuotedPrintable_EncodeEUCW,
     ZR_QuotedPrintable_EncodeUTF8W},
    {ZR_QuotedPrintable_EncodeJISA, ZR_QuotedPrintable_EncodeSJISA, ZR_QuotedPrintable_EncodeEUCA,
     ZR_QuotedPrintable_EncodeUTF8A},
    {ZR_QuotedPrintable_DecodeJISW, ZR_QuotedPrintable_DecodeSJISW, ZR_QuotedPrintable_DecodeEUCW,
     ZR_QuotedPrintable_DecodeUTF8W},
    {ZR_QuotedPrintable_DecodeJISA, ZR_QuotedPrintable_DecodeSJISA, ZR_QuotedPrintable_DecodeEUCA,
     ZR_QuotedPrintable_DecodeUTF8A},
};

}  // namespace

// Shared with url.cpp: --charset as an index 0..3, or -1 when absent.
int CharsetIndex(const Options& o, const char* command) {
    if (!o.Has("charset")) return -1;
    Enc e;
    const std::string name = o.Get("charset");
    if (ParseEnc(name, &e)) {
        switch (e) {
            case Enc::Jis: return 0;
            case Enc::SJis: return 1;
            case Enc::Euc: return 2;
            case Enc::Utf8: return 3;
            default: break;
        }
    }
    UsageFail(Format("%s: unknown --charset '%s' (use jis, sjis, euc or utf8)", command,
                     name.c_str()));
}

const char* CharsetName(int index) {
    static const char* const kNames[] = {"jis", "sjis", "euc", "utf8"};
    return index >= 0 && index < 4 ? kNames[index] : "none";
}

// A line the JIS or EUC-JP charset members would cut short (their UTF-16
// conversion delivers the text before such a character as if it were all).
void CheckJisForm(const std::string& line, TextSide side, int charset, const Input& in,
                  unsigned long long lineNo, unsigned long long lineStart) {
    if (charset != 0 && charset != 2) return;
    std::string what;
    const Enc enc = side == TextSide::Utf8 ? Enc::Utf8 : side == TextSide::SJis ? Enc::SJis
                                                                               : Enc::Utf16;
    const long long at = FindNonJisChar(line, enc, &what);
    if (at >= 0)
        Fail(kExitRefused, Where(in.Name(), lineNo, lineStart + static_cast<unsigned long long>(at)) +
                               ": " + what + " has no JIS X 0208 code (Shift_JIS lead byte F0 to "
                               "FC); cannot encode it as " + CharsetName(charset));
}

namespace {

// ---- Base64 --------------------------------------------------------------

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

bool IsBase64Char(char c) { return c != '\0' && std::strchr(kAlphabet, c) != nullptr; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The library decodes any text without complaint, reading line breaks and
// stray characters as bits, so the text is checked here: white space is
// dropped, anything else outside the alphabet is an error, "=" may only pad
// the third and fourth place of a group, and an unpadded end is padded.
// With --errors=replace or skip, a character that does not belong is left
// out and counted instead (a byte stream has no substitute to write).
class Base64Checker {
public:
    explicit Base64Checker(const std::string& name, unsigned long long line = 1,
                           unsigned long long byte = 0, ErrorPolicy policy = ErrorPolicy::Strict,
                           unsigned long long* dropped = nullptr)
        : name_(name), line_(line), byte_(byte), policy_(policy), dropped_(dropped) {}
    // Appends the Base64 characters of `text` to `clean`.
    void Add(std::string_view text, std::string& clean) {
        for (char c : text) {
            ++byte_;
            if (c == '\n') ++line_;
            if (IsSpace(c)) continue;
            std::size_t place = count_ % 4;
            if (place == 3 && padded_ && c != '=' && IsBase64Char(c) &&
                policy_ != ErrorPolicy::Strict) {
                // "QQ=B": the group ended at its padding; the missing "="
                // is the malformed piece, and B starts the next group.
                clean.push_back('=');
                ++count_;
                if (dropped_) ++*dropped_;
                place = 0;
            }
            if (place == 0) padded_ = false;
            if (c == '=') {
                if (place < 2) {
                    Bad(c);
                    continue;
                }
                if (place == 2) padded_ = true;
            } else if (!IsBase64Char(c) || (place == 3 && padded_)) {
                // "QQ=B" would decode to a byte the writer never meant.
                Bad(c);
                continue;
            }
            clean.push_back(c);
            ++count_;
        }
    }
    // Completes the last group; fails on a lone character.
    void Finish(std::string& clean) {
        std::size_t rest = count_ % 4;
        if (rest == 1) {
            if (policy_ == ErrorPolicy::Strict)
                Fail(kExitRefused, name_ + ": the Base64 text ends with a lone character (a group "
                                           "needs at least two)");
            clean.pop_back();
            if (dropped_) ++*dropped_;
            rest = 0;
        }
        if (rest != 0) clean.append(4 - rest, '=');
        count_ = 0;
    }

private:
    void Bad(char c) {
        if (policy_ != ErrorPolicy::Strict) {
            if (dropped_) ++*dropped_;
            return;
        }
        const auto b = static_cast<unsigned char>(c);
        Fail(kExitRefused, Where(name_, line_, byte_ - 1) +
                               (c == '=' || padded_ ? std::string(": misplaced padding '='")
                                         : b >= 0x20 && b < 0x7F
                                               ? Format(": '%c' is not a Base64 character", c)
                                               : Format(": byte 0x%02X is not a Base64 character", b)));
    }
    std::string name_;
    unsigned long long line_, byte_;
    ErrorPolicy policy_;
    unsigned long long* dropped_;
    std::size_t count_ = 0;
    bool padded_ = false;
};

std::string Base64DecodePlain(const std::string& clean) {
    if (clean.empty()) return {};
    const std::size_t groups = clean.size() / 4;
    std::string out(groups * 3 + 1, '\0');
    const std::int32_t r = ZR_Base64_Decode(clean.c_str(), reinterpret_cast<unsigned char*>(out.data()),
                                            CheckedSize(out.size()));
    if (r < 0 || static_cast<std::size_t>(r) > groups * 3)
        Fail(kExitRefused, "the library refused the Base64 text");
    out.resize(static_cast<std::size_t>(r));
    return out;
}

void WrapWrite(Output& out, std::string_view text, std::size_t wrap, std::size_t* column) {
    if (wrap == 0) {
        out.Write(text);
        *column += text.size();
        return;
    }
    while (!text.empty()) {
        const std::size_t take = std::min(text.size(), wrap - *column);
        out.Write(text.substr(0, take));
        text.remove_prefix(take);
        *column += take;
        if (*column == wrap) {
            out.Write("\n");
            *column = 0;
        }
    }
}

void Base64EncodePlain(InputSet& inputs, Output& out, Progress& progress, std::size_t wrap) {
    // 57 bytes make one 76-character line; whole groups of three keep the
    // pieces joinable.
    constexpr std::size_t kPiece = 57 * 1024;
    std::string pending, block;
    std::size_t column = 0;
    unsigned long long before = 0;
    auto encode = [&](std::size_t len) {
        if (len == 0) return;
        std::string dst((len + 2) / 3 * 4 + 1, '\0');
        const std::int32_t r =
            ZR_Base64_Encode(reinterpret_cast<const unsigned char*>(pending.data()),
                             CheckedSize(len), dst.data(), CheckedSize(dst.size()));
        if (r != static_cast<std::int32_t>(dst.size() - 1))
            Fail(kExitRefused, "the library refused to Base64-encode the input");
        WrapWrite(out, std::string_view(dst.data(), static_cast<std::size_t>(r)), wrap, &column);
        pending.erase(0, len);
    };
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        while (in.NextBlock(block, kPiece)) {
            pending += block;
            encode(pending.size() / 3 * 3);
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
    encode(pending.size());
    if (column != 0) out.Write("\n");
}

void Base64DecodeAll(InputSet& inputs, Output& out, Progress& progress, ErrorPolicy policy,
                     unsigned long long* dropped) {
    std::string block, clean;
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        Base64Checker check(in.Name(), 1, 0, policy, dropped);
        while (in.NextBlock(block, 1 << 16)) {
            check.Add(block, clean);
            const std::size_t whole = clean.size() / 4 * 4;
            out.Write(Base64DecodePlain(clean.substr(0, whole)));
            clean.erase(0, whole);
            progress.Update(before + in.Consumed());
        }
        check.Finish(clean);
        out.Write(Base64DecodePlain(clean));
        clean.clear();
        before += in.Consumed();
    }
}

// ---- Quoted-Printable ----------------------------------------------------

bool IsQpLiteral(unsigned char b) {
    return b == 0x09 || b == 0x0A || b == 0x0D || (b >= 0x20 && b <= 0x7E && b != 0x3D);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// Quoted-Printable text as the library should see it: each "=" is an escape
// (two hexadecimal digits) or a soft line break ("=", spaces or tabs a
// writer may have left, then the line break or the end of the text); the
// library would read any other "=" as some byte nobody wrote, and refuses
// bytes outside the literal set. Those are errors naming their place, or
// with --errors=replace kept as they stand (RFC 2045's advice to decoders),
// with --errors=skip left out; *kept counts them. `raw` starts at line
// `line`, byte offset `start`; it may span lines (joined soft breaks).
// `atEnd`: `raw` ends the input, where a last "=" is a soft break with
// nothing after it and is dropped, as mail readers drop it (the library
// keeps it, since it cannot tell the end of a file from the end of a call).
std::string QpClean(std::string_view raw, ErrorPolicy policy, const std::string& name,
                    unsigned long long line, unsigned long long start, unsigned long long* kept,
                    bool atEnd) {
    std::string out;
    out.reserve(raw.size());
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        const auto b = static_cast<unsigned char>(c);
        std::size_t bad = 0;  // length of a malformed piece at i
        if (c == '=') {
            if (i + 2 < raw.size() && IsHexDigit(raw[i + 1]) && IsHexDigit(raw[i + 2])) {
                out.append(raw.substr(i, 3));
                i += 2;
                continue;
            }
            std::size_t k = i + 1;
            while (k < raw.size() && (raw[k] == ' ' || raw[k] == '\t')) ++k;
            if (k == raw.size() || raw[k] == '\n' || (raw[k] == '\r' && k + 1 < raw.size() &&
                                                      raw[k + 1] == '\n')) {
                if (k < raw.size() || !atEnd) out.push_back('=');  // the soft break, without the padding
                i = k - 1;
                continue;
            }
            bad = 1;
            while (bad < 3 && i + bad < raw.size() && raw[i + bad] != '\r' && raw[i + bad] != '\n')
                ++bad;
        } else if (!IsQpLiteral(b)) {
            bad = 1;
        } else {
            out.push_back(c);
            continue;
        }
        if (policy == ErrorPolicy::Strict) {
            unsigned long long l = line;
            for (std::size_t k = 0; k < i; ++k)
                if (raw[k] == '\n') ++l;
            std::string bytes;
            for (std::size_t k = 0; k < bad; ++k)
                bytes += Format(k ? " %02X" : "%02X", static_cast<unsigned char>(raw[i + k]));
            Fail(kExitRefused,
                 Where(name, l, start + i) +
                     (c == '=' ? Format(": malformed Quoted-Printable escape (bytes %s): '=' must be "
                                        "followed by two hexadecimal digits or a line break",
                                        bytes.c_str())
                               : Format(": byte 0x%02X cannot appear in Quoted-Printable text", b)));
        }
        ++*kept;
        if (policy == ErrorPolicy::Replace) out += Format("=%02X", b);
    }
    return out;
}

// The bytes of a Quoted-Printable piece: -1 from the library means a byte
// that has no place in such text (the capacity always suffices here). The
// culprit is looked for in `raw`, the text as the input had it (before lines
// were joined), which starts at line `line`, byte offset `start`.
std::string QpDecodePlain(const std::string& text, const std::string& name, unsigned long long line,
                          unsigned long long start, std::string_view raw) {
    if (text.empty()) return {};
    std::string out(text.size() + 1, '\0');
    const std::int32_t r = ZR_QuotedPrintable_Decode(
        text.c_str(), reinterpret_cast<unsigned char*>(out.data()), CheckedSize(out.size()));
    if (r < 0) {
        unsigned long long l = line, b = start;
        for (char c : raw) {
            const auto u = static_cast<unsigned char>(c);
            if (!IsQpLiteral(u) && c != '=')
                Fail(kExitRefused, Where(name, l, b) +
                                       Format(": byte 0x%02X cannot appear in Quoted-Printable "
                                              "text", u));
            if (c == '\n') ++l;
            ++b;
        }
        Fail(kExitRefused, Where(name, line, start) + ": the library refused the Quoted-Printable text");
    }
    out.resize(static_cast<std::size_t>(r));
    return out;
}

// Whether the library drops a line break after `line`, as it drops a soft
// break: the tool asks rather than knowing the rule itself.
bool QpEndsInSoftBreak(const std::string& line) {
    std::vector<unsigned char> out(line.size() + 2);
    const std::int32_t size = CheckedSize(out.size());
    const std::int32_t alone = ZR_QuotedPrintable_Decode(line.c_str(), out.data(), size);
    const std::int32_t withBreak = ZR_QuotedPrintable_Decode((line + "\n").c_str(), out.data(), size);
    return alone >= 0 && withBreak >= 0 && withBreak != alone + 1;
}

void QpEncodePlain(InputSet& inputs, Output& out, Progress& progress) {
    std::string seg;
    unsigned long long before = 0;
    bool midLine = false;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        bool nul = false;
        // Each call starts its line count afresh, so pieces end at line
        // breaks; a piece cut inside a long line gets a soft break.
        while (in.NextSegment(seg, '\n', false, &nul, 1 << 16)) {
            if (midLine) out.Write("=\r\n");
            std::string dst(4 * seg.size() + 16, '\0');
            const std::int32_t r = ZR_QuotedPrintable_Encode(
                reinterpret_cast<const unsigned char*>(seg.data()), CheckedSize(seg.size()),
                dst.data(), CheckedSize(dst.size()));
            if (r < 0) Fail(kExitRefused, "the library refused to encode the input");
            out.Write(dst.data(), static_cast<std::size_t>(r));
            midLine = seg.back() != '\n';
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
}

void QpDecodeAll(InputSet& inputs, Output& out, Progress& progress, ErrorPolicy policy,
                 unsigned long long* kept) {
    std::string seg;
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        bool nul = false;
        unsigned long long line = 1, start = 0;
        while (in.NextSegment(seg, '\n', true, &nul, SIZE_MAX)) {
            if (nul)
                Fail(kExitRefused, Where(in.Name(), line, in.Consumed() - 1) +
                                       ": a NUL byte cannot appear in Quoted-Printable text");
            const std::string clean = QpClean(seg, policy, in.Name(), line, start, kept, seg.back() != '\n');
            out.Write(QpDecodePlain(clean, in.Name(), line, start, seg));
            ++line;
            start = in.Consumed();
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
}

// ---- charset members, line by line ----------------------------------------

struct Family {
    const char* command;
    const Members* members;
    bool base64;
};

void EncodeLines(const Family& f, int charset, TextSide side, InputSet& inputs, Output& out,
                 Progress& progress) {
    std::string line;
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, side);
        bool brk = false;
        while (lines.Next(line, &brk)) {
            if (!line.empty()) {
                CheckJisForm(line, side, charset, in, lines.LineNo(), lines.LineStart());
                // Base64 of JIS text: 8 bytes a character at worst (a mode
                // switch each), 4 characters for 3 of them; Quoted-Printable
                // 3 characters a byte and soft breaks.
                std::size_t n = side == TextSide::Utf16 ? line.size() / 2 : line.size();
                const std::size_t cap = f.base64 ? 11 * n + 16 : 27 * n + 40;
                std::string dst(cap, '\0');
                std::int32_t r;
                if (side == TextSide::SJis && charset != 0) {
                    r = f.members->encA[charset](line.c_str(), dst.data(), CheckedSize(cap));
                } else {
                    // ISO-2022-JP gets no raw 8-bit half-width katakana.
                    U16 u = TextToU16(line, side);
                    if (charset == 0) u = FullwidthKana(u);
                    r = f.members->encW[charset](ToW(u).c_str(), dst.data(), CheckedSize(cap));
                }
                if (r < 0 || static_cast<std::size_t>(r) >= cap)
                    Fail(kExitRefused, Where(in.Name(), lines.LineNo(), lines.LineStart()) +
                                           Format(": the library refused to encode this line as %s",
                                                  CharsetName(charset)));
                out.Write(dst.data(), static_cast<std::size_t>(r));
            }
            out.Write("\n");
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
}

void DecodeLines(const Family& f, int charset, TextSide side, InputSet& inputs, Output& out,
                 Progress& progress, ErrorPolicy policy, unsigned long long* kept) {
    std::string line;
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, TextSide::Utf8);  // the encoded side is ASCII
        bool brk = false;
        while (lines.Next(line, &brk)) {
            const unsigned long long lineNo = lines.LineNo(), start = lines.LineStart();
            std::string text;
            if (f.base64) {
                Base64Checker check(in.Name(), lineNo, start, policy, kept);
                check.Add(line, text);
                check.Finish(text);
            } else {
                // A line whose break is a soft break goes on in the next; the
                // break stays in the text, where the library drops it.
                text = QpClean(line, policy, in.Name(), lineNo, start, kept, !brk);
                while (brk && QpEndsInSoftBreak(line)) {
                    text += '\n';
                    if (!lines.Next(line, &brk)) break;
                    text += QpClean(line, policy, in.Name(), lines.LineNo(), lines.LineStart(), kept, !brk);
                }
            }
            if (!text.empty()) {
                // The charset members convert the decoded bytes up to the
                // first NUL; one inside would silently cut the line short.
                const std::string raw = f.base64 ? Base64DecodePlain(text)
                                                 : QpDecodePlain(text, in.Name(), lineNo, start, text);
                const auto nulAt = raw.find('\0');
                if (nulAt != std::string::npos)
                    Fail(kExitRefused,
                         Where(in.Name(), lineNo, start) +
                             Format(": the decoded text holds a NUL byte (decoded byte %zu); "
                                    "decode it without --charset",
                                    nulAt));
                if (!raw.empty()) {
                    const std::size_t cap = 4 * text.size() + 16;
                    if (side == TextSide::SJis) {
                        std::string dst(cap, '\0');
                        const std::int32_t r =
                            f.members->decA[charset](text.c_str(), dst.data(), CheckedSize(cap));
                        if (r < 0 || static_cast<std::size_t>(r) >= cap)
                            Fail(kExitRefused, Where(in.Name(), lineNo, start) +
                                                   ": the library refused the decoded text");
                        out.Write(dst.data(), static_cast<std::size_t>(r));
                    } else {
                        std::vector<ZR_WCHAR> dst(cap, 0);
                        const std::int32_t r =
                            f.members->decW[charset](text.c_str(), dst.data(), CheckedSize(cap));
                        if (r < 0 || static_cast<std::size_t>(r) > cap)
                            Fail(kExitRefused, Where(in.Name(), lineNo, start) +
                                                   ": the library refused the decoded text");
                        out.Write(U16ToText(FromW(dst.data(), r > 0 ? static_cast<std::size_t>(r - 1) : 0),
                                            side));
                    }
                }
            }
            out.Write(LineBreak(side));
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
}

int RunFamily(const Family& f, int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {
        {"charset", 'c', true}, {"text", 0, true}, {"wrap", 'w', true},
        {"errors", 0, true},    {"strict", 0, false}};
    const Options o = ParseOptions(argc, argv, first, kOpts, f.command);
    if (o.Has("help")) {
        PrintHelp(f.command);
        return kExitOk;
    }
    const Common c = CommonFrom(o);
    if (o.operands.empty()) UsageFail(Format("%s: say encode or decode", f.command));
    const std::string action = o.operands[0];
    if (action != "encode" && action != "decode")
        UsageFail(Format("%s: unknown action '%s' (use encode or decode)", f.command, action.c_str()));
    const int charset = CharsetIndex(o, f.command);
    const TextSide side = TextSideFrom(o);
    if (o.Has("text") && charset < 0)
        UsageFail(Format("%s: --text goes with --charset (the plain coder works on bytes)",
                         f.command));
    std::size_t wrap = 76;
    if (o.Has("wrap")) {
        if (!f.base64 || action != "encode" || charset >= 0)
            UsageFail(Format("%s: --wrap applies to plain b64 encode only", f.command));
        const std::string text = o.Get("wrap");
        char* end = nullptr;
        const long w = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || w < 0) UsageFail("b64: --wrap needs a column count (0: one line)");
        wrap = static_cast<std::size_t>(w);
    }
    const ErrorPolicy policy = ErrorPolicyFrom(o, f.command);
    if ((o.Has("errors") || o.Has("strict")) && action != "decode")
        UsageFail(Format("%s: --errors applies to decode", f.command));
    InputSet inputs(std::vector<std::string>(o.operands.begin() + 1, o.operands.end()));
    Output out(c.outputPath);
    Progress progress(c, inputs.TotalSize());
    unsigned long long malformed = 0;
    if (charset >= 0) {
        if (action == "encode")
            EncodeLines(f, charset, side, inputs, out, progress);
        else
            DecodeLines(f, charset, side, inputs, out, progress, policy, &malformed);
    } else if (f.base64) {
        if (action == "encode")
            Base64EncodePlain(inputs, out, progress, wrap);
        else
            Base64DecodeAll(inputs, out, progress, policy, &malformed);
    } else {
        if (action == "encode")
            QpEncodePlain(inputs, out, progress);
        else
            QpDecodeAll(inputs, out, progress, policy, &malformed);
    }
    progress.Finish();
    if (c.verbose && action == "decode")
        std::fprintf(stderr, "zrmoji: %s decode: %llu malformed piece%s %s\n", f.command, malformed,
                     malformed == 1 ? "" : "s",
                     policy == ErrorPolicy::Skip ? "left out"
                     : f.base64                  ? "left out (Base64 has no substitute)"
                                                 : "kept as they stood");
    out.Commit();
    return kExitOk;
}

}  // namespace

int RunBase64(int argc, char** argv, int first) {
    return RunFamily(Family{"b64", &kBase64, true}, argc, argv, first);
}

int RunQuotedPrintable(int argc, char** argv, int first) {
    return RunFamily(Family{"qp", &kQuotedPrintable, false}, argc, argv, first);
}

}  // namespace zrcli
