// cli/mail.cpp - "zrmoji mail" and the header side of "zrmoji mime": mail
// headers and whole messages through the text module (zr_text.h).
#include <fcntl.h>
#ifdef _WIN32
#include <io.h>
#include <sys/stat.h>
#include <windows.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
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

// ---- mail decode ----------------------------------------------------------------

namespace {

enum class Attachments { List, Keep, Save };

// The readable form of a message, written as the reader hands its pieces over.
class MessageWriter {
public:
    MessageWriter(Output& out, const std::string& name, const std::string& data, Attachments mode,
                  const std::string& dir, bool verbose)
        : out_(out), name_(name), data_(data), mode_(mode), dir_(dir), verbose_(verbose) {
        for (std::size_t i = 0; i < data.size(); ++i) {
            if (data[i] == '\n') lineStarts_.push_back(i + 1);
        }
    }

    static void OnMessage(void* u, std::uint64_t index, std::uint64_t, const char* from, size_t fromLen) {
        auto* w = static_cast<MessageWriter*>(u);
        if (index > 0) w->out_.Write("\n");
        if (from) {
            w->out_.Write(std::string_view(from, fromLen));
            w->out_.Write("\n");
        }
        w->inHeaders_ = true;
        w->partNo_ = 0;
    }

    static void OnHeader(void* u, std::int32_t depth, std::int32_t part, const char* name, size_t nameLen,
                         const char* value, size_t valueLen) {
        auto* w = static_cast<MessageWriter*>(u);
        // MIME part headers are summed up in the part's own line.
        if (part) return;
        if (depth > 0 && !w->inHeaders_) {
            w->out_.Write("\n[message]\n");
            w->inHeaders_ = true;
        }
        w->out_.Write(std::string_view(name, nameLen));
        w->out_.Write(": ");
        w->out_.Write(std::string_view(value, valueLen));
        w->out_.Write("\n");
    }

    static void OnPart(void* u, const ZRT_MailPart* p) {
        auto* w = static_cast<MessageWriter*>(u);
        w->Part(*p);
    }

    static void OnIssue(void* u, std::int32_t kind, std::uint64_t offset, const char* detail) {
        auto* w = static_cast<MessageWriter*>(u);
        if (kind == ZRT_MAIL_GUESSED && !w->verbose_) return;
        const auto line = static_cast<unsigned long long>(
            std::upper_bound(w->lineStarts_.begin(), w->lineStarts_.end(), offset) - w->lineStarts_.begin() + 1);
        std::fprintf(stderr, "zrmoji: %s: line %llu: %s%s\n", w->name_.c_str(), line,
                     kind == ZRT_MAIL_GUESSED ? "" : "warning: ", detail);
    }

private:
    void Part(const ZRT_MailPart& p) {
        ++partNo_;
        const bool marker = p.depth > 0 || p.kind != ZRT_PART_TEXT || p.problem;
        if (inHeaders_) {
            out_.Write("\n");
            inHeaders_ = false;
        }
        std::string what = p.contentType;
        if (*p.charset) what += std::string(", charset ") + p.charset;
        if (*p.filename) what += std::string(", \"") + p.filename + "\"";
        if (p.kind == ZRT_PART_TEXT && !p.problem) {
            if (marker) out_.Write(Format("[part %d: %s]\n", partNo_, what.c_str()));
            Body(std::string_view(reinterpret_cast<const char*>(p.data), p.length));
            return;
        }
        if (p.problem || mode_ == Attachments::Keep) {
            out_.Write(Format("[part %d: %s, kept as in the message (%s)]\n", partNo_, what.c_str(),
                              p.transferEncoding));
            Body(std::string_view(reinterpret_cast<const char*>(p.raw), p.rawLength));
            return;
        }
        if (mode_ == Attachments::List) {
            out_.Write(Format("[attachment %d: %s, %zu bytes]\n", partNo_, what.c_str(), p.length));
            return;
        }
        const std::string path = Save(p);
        out_.Write(Format("[attachment %d: %s, %zu bytes, saved as %s]\n", partNo_, what.c_str(), p.length,
                          path.c_str()));
    }

    void Body(std::string_view text) {
        out_.Write(text);
        if (!text.empty() && text.back() != '\n') out_.Write("\n");
    }

    // A file name from the message, made safe: no directories, no control
    // characters, no leading dot; never over an existing file.
    std::string Save(const ZRT_MailPart& p) {
        std::string base = p.filename;
        const std::size_t slash = base.find_last_of("/\\");
        if (slash != std::string::npos) base = base.substr(slash + 1);
        for (auto& c : base) {
            const auto b = static_cast<unsigned char>(c);
            if (b < 0x20 || b == 0x7F || c == ':') c = '_';
        }
        while (!base.empty() && (base[0] == '.' || base[0] == ' ')) base.erase(0, 1);
        if (base.empty()) base = Format("part-%d.bin", partNo_);
        const std::size_t dot = base.rfind('.');
        const std::string stem = dot == std::string::npos || dot == 0 ? base : base.substr(0, dot);
        const std::string ext = dot == std::string::npos || dot == 0 ? "" : base.substr(dot);
        for (int n = 0; n < 10000; ++n) {
            const std::string path = dir_ + "/" + (n ? Format("%s-%d%s", stem.c_str(), n, ext.c_str()) : base);
            // O_EXCL: a file that exists (or appears meanwhile) is never replaced.
            const int fd = CreateNew(dir_, path.substr(dir_.size() + 1));
            if (fd < 0) {
                if (errno == EEXIST) continue;
                Fail(kExitRefused, path + ": " + std::strerror(errno));
            }
            std::FILE* f = fdopen(fd, "wb");
            if (!f) Fail(kExitRefused, path + ": " + std::strerror(errno));
            const bool ok = std::fwrite(p.data, 1, p.length, f) == p.length;
            if (std::fclose(f) != 0 || !ok) Fail(kExitRefused, path + ": could not be written");
            return path;
        }
        Fail(kExitRefused, dir_ + ": no free name for " + base);
    }

#ifdef _WIN32
    // The directory comes from the command line (the ANSI code page), the
    // name from the message (UTF-8): each widened from its own.
    static std::wstring Widen(const std::string& s, unsigned codePage) {
        const int n = MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
        std::wstring w(static_cast<std::size_t>(n), L'\0');
        MultiByteToWideChar(codePage, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
        return w;
    }
    static int CreateNew(const std::string& dir, const std::string& name) {
        const std::wstring path = Widen(dir, CP_ACP) + L"/" + Widen(name, CP_UTF8);
        return _wopen(path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
    }
#else
    static int CreateNew(const std::string& dir, const std::string& name) {
        return open((dir + "/" + name).c_str(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    }
#endif

    Output& out_;
    const std::string& name_;
    const std::string& data_;
    Attachments mode_;
    std::string dir_;
    bool verbose_;
    std::vector<std::size_t> lineStarts_;
    bool inHeaders_ = true;
    int partNo_ = 0;
};

int DecodeMessages(const Options& o) {
    const Common c = CommonFrom(o);
    const std::string mode = o.Get("attachments", "list");
    Attachments a;
    if (mode == "list") a = Attachments::List;
    else if (mode == "keep") a = Attachments::Keep;
    else if (mode == "save") a = Attachments::Save;
    else UsageFail("mail decode: --attachments takes list, keep or save");
    const std::string dir = o.Get("dir");
    if (a == Attachments::Save && dir.empty()) UsageFail("mail decode: --attachments save needs --dir DIR");
    if (a != Attachments::Save && !dir.empty()) UsageFail("mail decode: --dir goes with --attachments save");
    InputSet inputs(std::vector<std::string>(o.operands.begin() + 1, o.operands.end()));
    Output out(c.outputPath);
    std::int64_t problems = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        const std::string data = in.ReadAll();
        MessageWriter w(out, in.Name(), data, a, dir, c.verbose);
        ZRT_MailHandler h{};
        h.size = sizeof h;
        h.user = &w;
        h.message = MessageWriter::OnMessage;
        h.header = MessageWriter::OnHeader;
        h.part = MessageWriter::OnPart;
        h.issue = MessageWriter::OnIssue;
        const std::int64_t r = ZRT_ReadMail(reinterpret_cast<const std::uint8_t*>(data.data()), data.size(), &h);
        if (r < 0) Fail(kExitRefused, in.Name() + ": the message could not be read (out of memory)");
        problems += r;
    }
    out.Commit();
    if (problems) {
        std::fprintf(stderr, "zrmoji: %lld piece%s kept as in the message\n", static_cast<long long>(problems),
                     problems == 1 ? "" : "s");
        return kExitRefused;
    }
    return kExitOk;
}

int EncodeMessage(const Options& o) {
    const Common c = CommonFrom(o);
    ZRT_MailEncodeOptions mo;
    ZRT_DefaultMailEncodeOptions(&mo);
    const HeaderCharset cs = HeaderCharsetFrom(o, "mail encode");
    if (cs.id != ZRT_ENC_JIS && cs.id != ZRT_ENC_UTF8) UsageFail("mail encode: --charset takes jis or utf8");
    mo.charset = cs.id;
    const std::string body = o.Get("body", cs.id == ZRT_ENC_JIS ? "7bit" : "base64");
    if (body == "7bit") mo.body = ZRT_BODY_7BIT;
    else if (body == "base64") mo.body = ZRT_BODY_BASE64;
    else if (body == "qp" || body == "quoted-printable") mo.body = ZRT_BODY_QP;
    else UsageFail("mail encode: --body takes 7bit, base64 or qp");
    if (cs.id == ZRT_ENC_UTF8 && mo.body == ZRT_BODY_7BIT)
        UsageFail("mail encode: a UTF-8 body needs --body base64 or qp");
    mo.eol = EolFrom(o, "mail encode");
    InputSet inputs(std::vector<std::string>(o.operands.begin() + 1, o.operands.end()));
    Output out(c.outputPath);
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        const std::string text = in.ReadAll();
        ZRT_Error e{};
        const std::int64_t n = ZRT_EncodeMail(text.data(), text.size(), &mo, nullptr, 0, &e);
        if (n < 0) {
            if (e.kind == ZRT_ERR_UNMAPPABLE)
                Fail(kExitRefused, in.Name() + Format(": U+%04X cannot be written in %s (--charset utf8 can)",
                                                      static_cast<unsigned>(e.codePoint), cs.name));
            Fail(kExitRefused, in.Name() + ": the message is not UTF-8 text");
        }
        std::string msg(static_cast<std::size_t>(n) + 1, '\0');
        ZRT_EncodeMail(text.data(), text.size(), &mo, msg.data(), msg.size(), nullptr);
        msg.resize(static_cast<std::size_t>(n));
        out.Write(msg);
    }
    out.Commit();
    return kExitOk;
}

}  // namespace

int RunMail(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {{"charset", 'c', true}, {"text", 0, true}, {"q", 0, false},
                                        {"eol", 0, true},     {"attachments", 0, true}, {"dir", 0, true},
                                        {"body", 0, true}};
    const Options o = ParseOptions(argc, argv, first, kOpts, "mail");
    if (o.Has("help")) {
        PrintHelp("mail");
        return kExitOk;
    }
    if (o.operands.empty()) UsageFail("mail: say decode, encode, decode-header or encode-header");
    const std::string action = o.operands[0];
    if (action == "decode-header" || action == "encode-header") {
        if (o.Has("attachments") || o.Has("dir") || o.Has("body"))
            UsageFail("mail: --attachments, --dir and --body are for decode and encode");
        return RunHeaders(o, action, 1, "mail");
    }
    if (action == "decode") return DecodeMessages(o);
    if (action == "encode") return EncodeMessage(o);
    UsageFail(Format("mail: unknown action '%s' (use decode, encode, decode-header or encode-header)",
                     action.c_str()));
}

}  // namespace zrcli
