// cli/conv.cpp - "zrmoji conv": streams text from one Japanese encoding to
// another through the text module, one file or many in place.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "batch.hpp"
#include "commands.hpp"
#include "common.hpp"
#include "textcmd.hpp"
#include "zr_text.h"

namespace zrcli {
namespace {

struct ConvSettings {
    std::int32_t from = ZRT_ENC_NONE;  // NONE: guess
    std::int32_t to = ZRT_ENC_NONE;
    ZRT_Options options{};
    bool verbose = false;
};

// Totals over every file, for -v.
struct Losses {
    unsigned long long malformed = 0, unmappable = 0;
};

const char* PolicyVerb(std::int32_t errors) {
    return errors == ZRT_ERRORS_SKIP ? "left out" : errors == ZRT_ERRORS_REPLACE ? "replaced" : "met";
}

// "2 malformed sequences replaced", "1 character without a form in
// iso-2022-jp left out", or both (one of the counts is not 0).
std::string LossSummary(unsigned long long malformed, unsigned long long unmappable,
                        const ConvSettings& s) {
    std::string out;
    if (malformed)
        out = Format("%llu malformed sequence%s", malformed, malformed == 1 ? "" : "s");
    if (unmappable)
        out += Format("%s%llu character%s without a form in %s", out.empty() ? "" : " and ",
                      unmappable, unmappable == 1 ? "" : "s", ZRT_EncodingName(s.to));
    return out + " " + PolicyVerb(s.options.errors);
}

class ZrtConverter {
public:
    ZrtConverter(std::int32_t from, std::int32_t to, const ZRT_Options& o)
        : cv_(ZRT_Open(from, to, &o)) {
        if (!cv_) Fail(kExitRefused, "the text module refused to open the conversion");
    }
    ZrtConverter(const ZrtConverter&) = delete;
    ZrtConverter& operator=(const ZrtConverter&) = delete;
    ~ZrtConverter() { ZRT_Close(cv_); }
    ZRT_Converter* get() const { return cv_; }

private:
    ZRT_Converter* cv_;
};

std::string HexBytes(const std::uint8_t* p, std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i) s += Format(i ? " %02X" : "%02X", p[i]);
    return s;
}

// The one conversion of a stream: `in` from s.from (guessed when NONE) to
// s.to, into `out`. Throws Failure with file, line, byte offset and bytes
// when the policy is strict and something cannot be converted.
void ConvertStream(const ConvSettings& s, Input& in, Sink& out, Progress* progress,
                   unsigned long long before, Losses* losses) {
    std::string pending;  // the guessed-over prefix, converted first
    std::int32_t from = s.from;
    std::string guessNote;
    if (from == ZRT_ENC_NONE) {
        const GuessResult g = GuessInput(in, &pending);
        if (g.guess.encoding == ZRT_ENC_NONE)
            Fail(kExitRefused, in.Name() + ": cannot tell the encoding: the bytes are malformed in "
                                           "every encoding zrmoji knows; name it with -f");
        from = g.guess.encoding;
        guessNote = Format(" (%s was guessed from %s%zu bytes; name the encoding with -f if that "
                           "is wrong)", ZRT_EncodingName(from), g.complete ? "all " : "the first ",
                           g.bytes);
        if (s.verbose) std::fprintf(stderr, "zrmoji: %s: %s\n", in.Name().c_str(), g.Explain().c_str());
    }
    ZrtConverter cv(from, s.to, s.options);
    std::vector<std::uint8_t> obuf(1 << 16);
    auto feed = [&](const std::string& chunk, bool last) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(chunk.data());
        std::size_t off = 0;
        for (;;) {
            std::size_t used = 0, wrote = 0;
            const std::int32_t r = ZRT_Convert(cv.get(), p + off, chunk.size() - off, &used,
                                               obuf.data(), obuf.size(), &wrote, last ? 1 : 0);
            out.Write(obuf.data(), wrote);
            off += used;
            if (r == ZRT_OK && off >= chunk.size()) return;
            if (r == ZRT_STOPPED) break;
            if (r == ZRT_NO_MEMORY) throw std::bad_alloc();
            // Neither taking input nor giving output would never end.
            if ((r != ZRT_OK && r != ZRT_MORE_OUTPUT) || (used == 0 && wrote == 0 && r == ZRT_OK))
                Fail(kExitRefused, in.Name() + ": the text module refused the conversion");
        }
        ZRT_Error e{};
        ZRT_GetError(cv.get(), &e);
        const std::string where = Where(in.Name(), e.line, e.offset);
        const std::string bytes = HexBytes(e.bytes, static_cast<std::size_t>(e.byteCount));
        const char* fromName = ZRT_EncodingName(from);
        if (e.kind == ZRT_ERR_UNMAPPABLE)
            Fail(kExitRefused,
                 where + Format(": %s (bytes %s) has no form in %s; --errors=replace or "
                                "--errors=skip goes on",
                                CharName(e.codePoint).c_str(), bytes.c_str(), ZRT_EncodingName(s.to)));
        Fail(kExitRefused, where + Format(": malformed %s input (bytes %s)%s", fromName, bytes.c_str(),
                                          guessNote.c_str()));
    };
    if (!pending.empty()) feed(pending, false);
    pending.clear();
    std::string block;
    while (in.NextBlock(block, 1 << 16)) {
        feed(block, false);
        if (progress) progress->Update(before + in.Consumed());
    }
    feed(std::string(), true);
    std::uint64_t malformed = 0, unmappable = 0;
    ZRT_GetCounts(cv.get(), &malformed, &unmappable);
    losses->malformed += malformed;
    losses->unmappable += unmappable;
    if (s.verbose && (malformed || unmappable))
        std::fprintf(stderr, "zrmoji: %s: %s\n", in.Name().c_str(),
                     LossSummary(malformed, unmappable, s).c_str());
}

std::int32_t EncodingOption(const Options& o, const char* option, bool output) {
    const std::string name = o.Get(option);
    if (!output && (name.empty() || name == "auto")) return ZRT_ENC_NONE;
    std::int32_t id = ZRT_EncodingFromName(name.c_str());
    if (id == ZRT_ENC_NONE)
        UsageFail(Format("conv: unknown encoding '%s' ('zrmoji list' shows the names)", name.c_str()));
    // zrmoji has always written "utf16" as little-endian without a byte
    // order mark; --bom adds one.
    if (output && id == ZRT_ENC_UTF16) id = ZRT_ENC_UTF16LE;
    return id;
}

std::int32_t Choice(const Options& o, const char* option, std::initializer_list<const char*> names,
                    std::int32_t fallback) {
    if (!o.Has(option)) return fallback;
    const std::string v = o.Get(option);
    std::int32_t i = 0;
    std::string all;
    for (const char* n : names) {
        if (v == n) return i;
        all += (all.empty() ? "" : ", ") + std::string(n);
        ++i;
    }
    UsageFail(Format("conv: unknown --%s '%s' (use %s)", option, v.c_str(), all.c_str()));
}

unsigned JobsOption(const Options& o) {
    if (!o.Has("jobs")) return 0;
    const std::string v = o.Get("jobs");
    char* end = nullptr;
    const long n = std::strtol(v.c_str(), &end, 10);
    if (v.empty() || *end != '\0' || n < 1 || n > 64) UsageFail("conv: -j needs a number of jobs, 1 to 64");
    return static_cast<unsigned>(n);
}

}  // namespace

int RunConv(int argc, char** argv, int first) {
    static constexpr OptSpec kOpts[] = {
        {"from", 'f', true},      {"to", 't', true},        {"strict", 0, false},
        {"errors", 0, true},      {"replace-with", 0, true}, {"exact", 0, false},
        {"halfwidth", 0, true},   {"eol", 0, true},         {"bom", 0, false},
        {"in-place", 'i', false}, {"backup", 0, true},      {"recursive", 'r', false},
        {"jobs", 'j', true},
    };
    const Options o = ParseOptions(argc, argv, first, kOpts, "conv");
    if (o.Has("help")) {
        PrintHelp("conv");
        return kExitOk;
    }
    const Common c = CommonFrom(o);
    if (!o.Has("to")) UsageFail("conv: -t TO is needed (and -f FROM unless it is to be guessed)");
    ConvSettings s;
    s.from = EncodingOption(o, "from", false);
    s.to = EncodingOption(o, "to", true);
    s.verbose = c.verbose;
    ZRT_DefaultOptions(&s.options);
    const ErrorPolicy policy = ErrorPolicyFrom(o, "conv");
    s.options.errors = policy == ErrorPolicy::Strict    ? ZRT_ERRORS_STRICT
                       : policy == ErrorPolicy::Replace ? ZRT_ERRORS_REPLACE
                                                        : ZRT_ERRORS_SKIP;
    if (o.Has("replace-with")) {
        if (policy != ErrorPolicy::Replace) UsageFail("conv: --replace-with goes with --errors=replace");
        s.options.replacement = ParseCharOption(o.Get("replace-with"), "conv: --replace-with");
    }
    s.options.exact = o.Has("exact") ? 1 : 0;
    s.options.halfwidth = Choice(o, "halfwidth", {"fullwidth", "jisx0201"}, ZRT_HALFWIDTH_FULLWIDTH);
    if (o.Has("halfwidth") && s.to != ZRT_ENC_JIS)
        UsageFail("conv: --halfwidth applies to ISO-2022-JP output (-t jis)");
    s.options.eol = Choice(o, "eol", {"keep", "lf", "crlf", "cr"}, ZRT_EOL_KEEP);
    s.options.bom = o.Has("bom") ? 1 : 0;
    if (s.options.bom && s.to != ZRT_ENC_UTF8 && s.to != ZRT_ENC_UTF16LE && s.to != ZRT_ENC_UTF16BE)
        UsageFail("conv: --bom applies to UTF-8 and UTF-16 output");

    const bool inPlace = o.Has("in-place");
    if (!inPlace && (o.Has("backup") || o.Has("recursive") || o.Has("jobs")))
        UsageFail("conv: --backup, -r and -j go with -i (in place)");
    Losses losses;
    if (inPlace) {
        if (o.Has("output")) UsageFail("conv: -i rewrites the files themselves; -o does not go with it");
        if (o.operands.empty()) UsageFail("conv: -i needs the files to rewrite");
        for (const auto& f : o.operands)
            if (f == "-") UsageFail("conv: -i cannot rewrite standard input");
        BatchOptions b;
        b.backupSuffix = o.Get("backup");
        if (o.Has("backup") && b.backupSuffix.empty()) UsageFail("conv: --backup needs a suffix");
        b.recursive = o.Has("recursive");
        b.jobs = JobsOption(o);
        b.quiet = c.quiet;
        return ConvertInPlace(o.operands, b, [&](Input& in, Sink& out) {
            Losses mine;
            ConvertStream(s, in, out, nullptr, 0, &mine);
        });
    }
    InputSet inputs(o.operands);
    Output out(c.outputPath);
    Progress progress(c, inputs.TotalSize());
    unsigned long long before = 0;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        ConvertStream(s, in, out, &progress, before, &losses);
        before += in.Consumed();
    }
    progress.Finish();
    out.Commit();
    if (s.verbose && inputs.Count() > 1 && (losses.malformed || losses.unmappable))
        std::fprintf(stderr, "zrmoji: in all: %s\n",
                     LossSummary(losses.malformed, losses.unmappable, s).c_str());
    return kExitOk;
}

}  // namespace zrcli
