// cli/mail.cpp - "zrmoji mail" and the header side of "zrmoji mime": mail
// headers and whole messages through the text module (zr_text.h).
#include <cstdio>
#include <string>
#include <vector>

#include "commands.hpp"
#include "common.hpp"
#include "zr_text.h"

namespace zrcli {
namespace {

const char* IssueText(std::int32_t kind) {
    switch (kind) {
        case ZRT_HDR_UNKNOWN_CHARSET: return "an encoded word in an unknown charset, kept as written";
        case ZRT_HDR_MALFORMED_WORD: return "a malformed encoded word, kept as written";
        case ZRT_HDR_RAW_GUESSED: return "unencoded 8-bit text, read in a guessed encoding";
        default: return "unencoded text no encoding reads; U+FFFD written for it";
    }
}

// Where the problems of one header go: to stderr, naming the line.
struct HeaderReport {
    const std::string* name;
    const std::string* field;
    unsigned long long firstLine;
    bool verbose;
    int failures = 0;
};

void ReportIssue(void* user, std::int32_t kind, size_t offset, size_t length) {
    auto* r = static_cast<HeaderReport*>(user);
    // Guessed raw text is read all the same: worth a word only with -v.
    const bool serious = kind != ZRT_HDR_RAW_GUESSED;
    if (serious) ++r->failures;
    if (!serious && !r->verbose) return;
    unsigned long long line = r->firstLine;
    for (size_t i = 0; i < offset && i < r->field->size(); ++i) line += (*r->field)[i] == '\n';
    std::string piece = r->field->substr(offset, length < 60 ? length : 60);
    std::fprintf(stderr, "zrmoji: %s: line %llu: warning: %s: %s\n", r->name->c_str(), line, IssueText(kind),
                 piece.c_str());
}

}  // namespace

std::string DecodeHeaderText(const std::string& field, const std::string& name, unsigned long long firstLine,
                             bool verbose, int* failures) {
    HeaderReport report{&name, &field, firstLine, verbose};
    const size_t n = ZRT_DecodeHeader(field.data(), field.size(), nullptr, 0, nullptr, nullptr);
    std::string out(n + 1, '\0');
    ZRT_DecodeHeader(field.data(), field.size(), out.data(), out.size(), ReportIssue, &report);
    out.resize(n);
    if (failures) *failures += report.failures;
    return out;
}

std::string EncodeHeaderText(const std::string& utf8, const ZRT_HeaderOptions& o, const std::string& where,
                             const char* charsetName) {
    ZRT_Error e{};
    const std::int64_t n = ZRT_EncodeHeader(utf8.data(), utf8.size(), &o, nullptr, 0, &e);
    if (n < 0) {
        if (e.kind == ZRT_ERR_UNMAPPABLE)
            Fail(kExitRefused, where + Format(": U+%04X cannot be written in %s (--charset utf8 can)",
                                              static_cast<unsigned>(e.codePoint), charsetName));
        Fail(kExitRefused, where + ": the text is not UTF-8");
    }
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    ZRT_EncodeHeader(utf8.data(), utf8.size(), &o, out.data(), out.size(), nullptr);
    out.resize(static_cast<std::size_t>(n));
    return out;
}

namespace {

// Header lines: a line starting with white space continues the field
// before it; each field is decoded whole and written on one line.
int DecodeHeaderLines(InputSet& inputs, Output& out, TextSide side, bool verbose) {
    int failures = 0;
    std::string line;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, TextSide::Utf8);
        std::string field;
        unsigned long long fieldLine = 0;
        bool have = false;
        auto flush = [&] {
            if (!have) return;
            out.Write(U16ToText(Utf8ToU16(DecodeHeaderText(field, in.Name(), fieldLine, verbose, &failures)), side));
            out.Write(LineBreak(side));
            have = false;
        };
        bool brk = false;
        while (lines.Next(line, &brk)) {
            if (have && !line.empty() && (line[0] == ' ' || line[0] == '\t')) {
                field += "\n" + line;
                continue;
            }
            flush();
            field = line;
            fieldLine = lines.LineNo();
            have = true;
        }
        flush();
    }
    return failures;
}

int EncodeHeaderLines(InputSet& inputs, Output& out, TextSide side, const ZRT_HeaderOptions& o,
                      const char* charsetName) {
    std::string line;
    const std::string eol = o.eol == ZRT_EOL_LF ? "\n" : "\r\n";
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        LineReader lines(in, side);
        bool brk = false;
        while (lines.Next(line, &brk)) {
            const std::string utf8 = side == TextSide::Utf8 ? line : U16ToText(TextToU16(line, side), TextSide::Utf8);
            out.Write(EncodeHeaderText(utf8, o, Where(in.Name(), lines.LineNo(), lines.LineStart()), charsetName));
            out.Write(eol);
        }
    }
    return 0;
}

struct HeaderCharset {
    std::int32_t id;
    const char* name;
};

HeaderCharset HeaderCharsetFrom(const Options& o, const char* command) {
    if (!o.Has("charset")) return {ZRT_ENC_JIS, "ISO-2022-JP"};
    const std::string name = o.Get("charset");
    const std::int32_t id = ZRT_EncodingFromName(name.c_str());
    switch (id) {
        case ZRT_ENC_JIS: return {id, "ISO-2022-JP"};
        case ZRT_ENC_SJIS: return {id, "Shift_JIS"};
        case ZRT_ENC_EUCJP: return {id, "EUC-JP"};
        case ZRT_ENC_UTF8: return {id, "UTF-8"};
        default: break;
    }
    UsageFail(Format("%s: unknown --charset '%s' (use jis, sjis, euc or utf8)", command, name.c_str()));
}

std::int32_t EolFrom(const Options& o, const char* command) {
    const std::string eol = o.Get("eol", "crlf");
    if (eol == "crlf") return ZRT_EOL_CRLF;
    if (eol == "lf") return ZRT_EOL_LF;
    UsageFail(Format("%s: --eol takes crlf or lf", command));
}

}  // namespace

// "mime decode|encode" and "mail decode-header|encode-header".
int RunHeaders(const Options& o, const std::string& action, std::size_t firstFile, const char* command) {
    const Common c = CommonFrom(o);
    const bool decode = action == "decode" || action == "decode-header";
    if (decode && (o.Has("charset") || o.Has("q") || o.Has("eol")))
        UsageFail(Format("%s %s: the words name their charset; --charset, --q and --eol are for encoding",
                         command, action.c_str()));
    const TextSide side = TextSideFrom(o);
    InputSet inputs(std::vector<std::string>(o.operands.begin() + static_cast<long>(firstFile), o.operands.end()));
    Output out(c.outputPath);
    if (decode) {
        const int failures = DecodeHeaderLines(inputs, out, side, c.verbose);
        out.Commit();
        if (failures) {
            std::fprintf(stderr, "zrmoji: %d encoded word%s kept as written\n", failures, failures == 1 ? "" : "s");
            return kExitRefused;
        }
        return kExitOk;
    }
    ZRT_HeaderOptions ho;
    ZRT_DefaultHeaderOptions(&ho);
    const HeaderCharset cs = HeaderCharsetFrom(o, command);
    ho.charset = cs.id;
    ho.q = o.Has("q");
    ho.eol = EolFrom(o, command);
    EncodeHeaderLines(inputs, out, side, ho, cs.name);
    out.Commit();
    return kExitOk;
}

int RunMime(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {{"charset", 'c', true}, {"text", 0, true}, {"q", 0, false},
                                        {"eol", 0, true}};
    const Options o = ParseOptions(argc, argv, first, kOpts, "mime");
    if (o.Has("help")) {
        PrintHelp("mime");
        return kExitOk;
    }
    if (o.operands.empty()) UsageFail("mime: say decode or encode");
    const std::string action = o.operands[0];
    if (action != "encode" && action != "decode")
        UsageFail(Format("mime: unknown action '%s' (use decode or encode)", action.c_str()));
    return RunHeaders(o, action, 1, "mime");
}

int RunMail(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {{"charset", 'c', true}, {"text", 0, true}, {"q", 0, false},
                                        {"eol", 0, true}};
    const Options o = ParseOptions(argc, argv, first, kOpts, "mail");
    if (o.Has("help")) {
        PrintHelp("mail");
        return kExitOk;
    }
    if (o.operands.empty()) UsageFail("mail: say decode, encode, decode-header or encode-header");
    const std::string action = o.operands[0];
    if (action == "decode-header" || action == "encode-header") return RunHeaders(o, action, 1, "mail");
    UsageFail(Format("mail: unknown action '%s' (use decode, encode, decode-header or encode-header)",
                     action.c_str()));
}

}  // namespace zrcli
