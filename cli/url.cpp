// cli/url.cpp - "zrmoji url": percent-encoding of Japanese text, line by line.
#include <string>
#include <vector>

#include "commands.hpp"
#include "common.hpp"

namespace zrcli {

int CharsetIndex(const Options& o, const char* command);
const char* CharsetName(int index);
void CheckJisForm(const std::string& line, TextSide side, int charset, const Input& in,
                  unsigned long long lineNo, unsigned long long lineStart);

namespace {

using DecodeW = std::int32_t(ZR_CALL*)(const ZR_WCHAR*, ZR_WCHAR*, std::int32_t);
using DecodeA = std::int32_t(ZR_CALL*)(const char*, char*, std::int32_t);

constexpr DecodeW kDecodeW[] = {ZR_URL_DecodeJisW, ZR_URL_DecodeSJisW, ZR_URL_DecodeEucW,
                                ZR_URL_DecodeUtf8W};
constexpr DecodeA kDecodeA[] = {ZR_URL_DecodeJisA, ZR_URL_DecodeSJisA, ZR_URL_DecodeEucA,
                                ZR_URL_DecodeUtf8A};

bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

// The decoders stop at an escape that is not one, and a decoded NUL ends
// the text: either way the rest of the URL would be dropped without a word.
void CheckEscapes(const std::string& url, const Input& in, unsigned long long lineNo,
                  unsigned long long start) {
    for (std::size_t i = 0; i < url.size(); ++i) {
        if (url[i] != '%') continue;
        const bool ok = i + 2 < url.size() && IsHex(url[i + 1]) && IsHex(url[i + 2]);
        if (!ok)
            Fail(kExitRefused, Where(in.Name(), lineNo, start + i) +
                                   Format(": '%s' is not a percent escape (two hexadecimal "
                                          "digits must follow '%%')",
                                          url.substr(i, 3).c_str()));
        if (url[i + 1] == '0' && url[i + 2] == '0')
            Fail(kExitRefused, Where(in.Name(), lineNo, start + i) +
                                   ": '%00' would end the decoded text there");
        i += 2;
    }
}

// The encoders write 7-bit text in both forms (every byte from 0x80 up is
// escaped), so each unit of the W form is one ASCII byte of the URL.
std::string NarrowUrl(const std::u16string& units) {
    return std::string(units.begin(), units.end());
}

void Encode(int charset, TextSide side, InputSet& inputs, Output& out, Progress& progress) {
    std::string line;
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, side);
        bool brk = false;
        while (lines.Next(line, &brk)) {
            if (!line.empty()) {
                CheckJisForm(line, side, charset, in, lines.LineNo(), lines.LineStart());
                // Up to 8 JIS bytes a character, 3 characters a byte.
                const std::size_t n = side == TextSide::Utf16 ? line.size() / 2 : line.size();
                const std::size_t cap = 24 * n + 32;
                std::int32_t r;
                std::string url;
                if (side == TextSide::SJis) {
                    std::string dst(cap, '\0');
                    r = ZR_URL_EncodeA(line.c_str(), dst.data(), CheckedSize(cap), charset);
                    if (r >= 0 && static_cast<std::size_t>(r) < cap)
                        url.assign(dst.data(), static_cast<std::size_t>(r));
                } else {
                    const U16 u = TextToU16(line, side);
                    std::vector<ZR_WCHAR> dst(cap, 0);
                    r = ZR_URL_EncodeW(ToW(u).c_str(), dst.data(), CheckedSize(cap), charset);
                    if (r >= 0 && static_cast<std::size_t>(r) < cap)
                        url = NarrowUrl(FromW(dst.data(), static_cast<std::size_t>(r)));
                }
                if (r < 0 || static_cast<std::size_t>(r) >= cap)
                    Fail(kExitRefused, Where(in.Name(), lines.LineNo(), lines.LineStart()) +
                                           Format(": the library refused to encode this line as %s",
                                                  CharsetName(charset)));
                out.Write(url);
            }
            out.Write("\n");
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
}

// True when the URL's bytes, once unescaped, are all ASCII: every decoder
// then gives the same text, and there is no encoding to tell.
bool DecodesToAscii(const std::string& url) {
    for (std::size_t i = 0; i < url.size(); ++i) {
        const auto b = static_cast<unsigned char>(url[i]);
        if (b >= 0x80) return false;
        if (b == '%' && i + 2 < url.size() && IsHex(url[i + 1]) && url[i + 1] >= '8') return false;
    }
    return true;
}

// Returns the number of lines whose encoding could not be told; those are
// reported and written as they stand, and the other lines still decoded.
unsigned long long Decode(int charset, TextSide side, bool verbose, InputSet& inputs, Output& out,
                          Progress& progress) {
    std::string line;
    unsigned long long before = 0, unknown = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, TextSide::Utf8);  // a URL is bytes
        bool brk = false;
        while (lines.Next(line, &brk)) {
            const auto lineNo = lines.LineNo();
            const auto start = lines.LineStart();
            if (!line.empty()) {
                CheckEscapes(line, in, lineNo, start);
                const std::size_t cap = 4 * line.size() + 16;
                // Detection needs bytes above 0x7F; a URL without any is
                // decoded as UTF-8, which reads ASCII as every decoder does.
                // (ISO-2022-JP is ASCII too, but its escape says what it is.)
                const bool ascii =
                    charset < 0 && DecodesToAscii(line) && ZR_URL_EncodeTypeA(line.c_str()) < 0;
                const int use = ascii ? 3 : charset;
                std::int32_t type = use;
                std::int32_t r;
                std::string text;
                if (side == TextSide::SJis && use >= 0) {
                    std::string dst(cap, '\0');
                    r = kDecodeA[use](line.c_str(), dst.data(), CheckedSize(cap));
                    if (r >= 0 && static_cast<std::size_t>(r) < cap)
                        text.assign(dst.data(), static_cast<std::size_t>(r));
                } else if (side == TextSide::SJis) {
                    std::string dst(cap, '\0');
                    r = ZR_URL_DecodeA(line.c_str(), dst.data(), CheckedSize(cap), &type);
                    if (r >= 0 && static_cast<std::size_t>(r) < cap)
                        text.assign(dst.data(), static_cast<std::size_t>(r));
                } else {
                    // Each byte of the URL becomes one unit, so that raw
                    // bytes outside the escapes reach the decoder unchanged.
                    const WStr w = ToW(WidenBytes(line));
                    std::vector<ZR_WCHAR> dst(cap, 0);
                    r = use >= 0 ? kDecodeW[use](w.c_str(), dst.data(), CheckedSize(cap))
                                     : ZR_URL_DecodeW(w.c_str(), dst.data(), CheckedSize(cap), &type);
                    if (r > 0 && static_cast<std::size_t>(r) <= cap)
                        text = U16ToText(FromW(dst.data(), static_cast<std::size_t>(r - 1)), side);
                }
                if (use < 0 && type < 0) {
                    std::fprintf(stderr, "zrmoji: %s: cannot tell the encoding of this URL "
                                 "(name it with --charset); left undecoded\n",
                                 Where(in.Name(), lineNo, start).c_str());
                    ++unknown;
                    out.Write(side == TextSide::Utf16 ? U16ToLeBytes(WidenBytes(line)) : line);
                    out.Write(LineBreak(side));
                    progress.Update(before + in.Consumed());
                    continue;
                }
                if (verbose && charset < 0)
                    std::fprintf(stderr, "zrmoji: %s: line %llu: %s\n", in.Name().c_str(), lineNo,
                                 ascii ? "ascii" : CharsetName(type));
                if (r < 0 || static_cast<std::size_t>(r) >= cap)
                    Fail(kExitRefused, Where(in.Name(), lineNo, start) +
                                           Format(": the library refused to decode this URL as %s",
                                                  CharsetName(type)));
                out.Write(text);
            }
            out.Write(LineBreak(side));
            progress.Update(before + in.Consumed());
        }
        before += in.Consumed();
    }
    return unknown;
}

void Inspect(bool scheme, InputSet& inputs, Output& out) {
    std::string line;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, TextSide::Utf8);
        bool brk = false;
        while (lines.Next(line, &brk)) {
            if (scheme)
                out.Write(ZR_URL_IsProtocolA(line.c_str()) ? "yes\n" : "no\n");
            else
                out.Write(std::string(CharsetName(ZR_URL_EncodeTypeA(line.c_str()))) + "\n");
        }
    }
}

}  // namespace

int RunUrl(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {{"charset", 'c', true}, {"text", 0, true}};
    const Options o = ParseOptions(argc, argv, first, kOpts, "url");
    if (o.Has("help")) {
        PrintHelp("url");
        return kExitOk;
    }
    const Common c = CommonFrom(o);
    if (o.operands.empty()) UsageFail("url: say encode, decode, detect or scheme");
    const std::string action = o.operands[0];
    int charset = CharsetIndex(o, "url");
    const TextSide side = TextSideFrom(o);
    if (action == "detect" || action == "scheme") {
        if (o.Has("charset") || o.Has("text"))
            UsageFail(Format("url %s: takes neither --charset nor --text", action.c_str()));
    } else if (action != "encode" && action != "decode") {
        UsageFail(Format("url: unknown action '%s' (use encode, decode, detect or scheme)",
                         action.c_str()));
    }
    InputSet inputs(std::vector<std::string>(o.operands.begin() + 1, o.operands.end()));
    Output out(c.outputPath);
    Progress progress(c, inputs.TotalSize());
    if (action == "encode") {
        if (charset < 0) charset = 3;  // UTF-8: what browsers send today
        Encode(charset, side, inputs, out, progress);
    } else if (action == "decode") {
        const unsigned long long unknown = Decode(charset, side, c.verbose, inputs, out, progress);
        if (unknown != 0) {
            progress.Finish();
            // Standard output holds every line, the undecoded ones as they
            // were; a file named by -o is still written only on success.
            if (c.outputPath.empty()) out.Commit();
            Fail(kExitRefused, Format("url decode: %llu line%s whose encoding could not be told "
                                      "(see above)", unknown, unknown == 1 ? "" : "s"));
        }
    } else {
        Inspect(action == "scheme", inputs, out);
    }
    progress.Finish();
    out.Commit();
    return kExitOk;
}

}  // namespace zrcli
