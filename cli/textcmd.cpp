// cli/textcmd.cpp - "zrmoji guess" and "zrmoji list", and the guessing that
// "zrmoji conv" does without -f.
#include "textcmd.hpp"

#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "commands.hpp"

namespace zrcli {

namespace {

// A first look; a text that is still ASCII (or ambiguous) after it is read
// further, doubling, while it stays so.
constexpr std::size_t kFirstLook = std::size_t{1} << 20;
constexpr std::size_t kMostHeld = std::size_t{64} << 20;

std::string Utf8Of(std::uint32_t cp) {
    std::string s;
    if (cp < 0x80) {
        s.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        s.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        s.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        s.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        s.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        s.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        s.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
    return s;
}

std::string EncList(std::uint32_t bits, std::int32_t except) {
    std::string s;
    for (const std::int32_t* p = ZRT_GuessPreference(); *p != ZRT_ENC_NONE; ++p) {
        if (*p == except || !(bits & (1u << *p))) continue;
        s += (s.empty() ? "" : ", ") + std::string(ZRT_EncodingName(*p));
    }
    return s;
}

const char* EolName(std::int32_t eol) {
    switch (eol) {
        case ZRT_EOLS_LF: return "LF";
        case ZRT_EOLS_CRLF: return "CRLF";
        case ZRT_EOLS_CR: return "CR";
        case ZRT_EOLS_MIXED: return "mixed";
        default: return "no line break";
    }
}

}  // namespace

std::string GuessResult::Explain() const {
    if (guess.encoding == ZRT_ENC_NONE)
        return Format("no encoding fits the %s%zu bytes", complete ? "" : "first ", bytes);
    std::string s = Format("%s, guessed from %s%zu bytes", ZRT_EncodingName(guess.encoding),
                           complete ? "all " : "the first ", bytes);
    if (guess.bom) s += " (byte order mark)";
    if (guess.ambiguous) {
        const std::string others = EncList(guess.ties, guess.encoding);
        std::string order;
        for (const std::int32_t* p = ZRT_GuessPreference(); *p != ZRT_ENC_NONE; ++p)
            order += (order.empty() ? "" : ", ") + std::string(ZRT_EncodingName(*p));
        s += Format("; %s fit%s as well, and zrmoji prefers them in the order %s",
                    others.c_str(), others.find(',') == std::string::npos ? "s" : "", order.c_str());
    } else {
        // Valid in others too, but the text reads far more likely as this.
        const std::string others = EncList(guess.fits, guess.encoding);
        if (!others.empty())
            s += Format("; the bytes are valid %s too, but read less likely so", others.c_str());
    }
    return s;
}

GuessResult GuessInput(Input& in, std::string* prefix) {
    GuessResult r;
    std::string block;
    std::size_t want = kFirstLook;
    for (;;) {
        bool ended = false;
        while (prefix->size() < want) {
            if (!in.NextBlock(block, want - prefix->size())) {
                ended = true;
                break;
            }
            *prefix += block;
        }
        r.bytes = prefix->size();
        r.complete = ended;
        ZRT_GuessEncoding(reinterpret_cast<const std::uint8_t*>(prefix->data()), prefix->size(),
                          ended ? 1 : 0, &r.guess);
        const bool unsure = r.guess.ambiguous || r.guess.encoding == ZRT_ENC_ASCII;
        if (ended || !unsure || want >= kMostHeld) return r;
        want *= 2;
    }
}

U16 FullwidthKana(std::u16string_view s) {
    bool any = false;
    for (char16_t u : s) any = any || (u >= 0xFF61 && u <= 0xFF9F);
    if (!any) return U16(s);
    std::vector<std::uint32_t> cps;
    cps.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t u = s[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cps.push_back(0x10000 + ((u - 0xD800u) << 10) + (s[i + 1] - 0xDC00u));
            ++i;
        } else {
            cps.push_back(u);
        }
    }
    std::vector<std::uint32_t> full(cps.size());
    full.resize(ZRT_KanaToFullwidth(cps.data(), cps.size(), full.data(), full.size()));
    U16 out;
    out.reserve(full.size());
    for (std::uint32_t c : full) {
        if (c >= 0x10000) {
            out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string CharName(std::uint32_t cp) {
    std::string s = Format("U+%04X", cp);
    // Controls, surrogates, private use and invisible format characters
    // would show nothing (or do harm) between the quotes.
    const bool printable = cp >= 0x20 && cp != 0x7F && !(cp >= 0x80 && cp < 0xA0) &&
                           !(cp >= 0xD800 && cp < 0xF900) && cp < 0xF0000 && cp != 0xFEFF &&
                           !(cp >= 0x200B && cp <= 0x200F) && !(cp >= 0x2028 && cp <= 0x202E) &&
                           !(cp >= 0x2060 && cp <= 0x206F);
    if (printable) s += " '" + Utf8Of(cp) + "'";
    return s;
}

std::uint32_t ParseCharOption(const std::string& t, const char* what) {
    if (t.size() > 2 && (t[0] == 'U' || t[0] == 'u') && t[1] == '+') {
        char* end = nullptr;
        const unsigned long v = std::strtoul(t.c_str() + 2, &end, 16);
        if (*end == '\0' && v <= 0x10FFFF && !(v >= 0xD800 && v < 0xE000))
            return static_cast<std::uint32_t>(v);
    } else if (!t.empty()) {
        const auto* p = reinterpret_cast<const unsigned char*>(t.data());
        const std::size_t n = p[0] < 0x80 ? 1 : p[0] >= 0xF0 ? 4 : p[0] >= 0xE0 ? 3 : p[0] >= 0xC2 ? 2 : 0;
        if (n == t.size()) {
            std::uint32_t cp = n == 1 ? p[0] : p[0] & (0x7F >> n);
            bool ok = true;
            for (std::size_t i = 1; i < n; ++i) {
                ok = ok && (p[i] & 0xC0) == 0x80;
                cp = (cp << 6) | (p[i] & 0x3F);
            }
            // The shortest form only, and no surrogates.
            if (ok && Utf8Of(cp) == t && !(cp >= 0xD800 && cp < 0xE000) && cp <= 0x10FFFF) return cp;
        }
    }
    UsageFail(Format("%s: '%s' is not one character (give it as itself in UTF-8, or as U+XXXX)",
                     what, t.c_str()));
}

int RunGuess(int argc, char** argv, int first) {
    const Options o = ParseOptions(argc, argv, first, {}, "guess");
    if (o.Has("help")) {
        PrintHelp("guess");
        return kExitOk;
    }
    const Common c = CommonFrom(o);
    InputSet inputs(o.operands);
    Output out(c.outputPath);
    bool unknown = false;
    for (std::size_t i = 0; i < inputs.Count(); ++i) {
        Input in = inputs.Open(i);
        std::string held;
        const GuessResult g = GuessInput(in, &held);
        // One line a file, named when there are several: encoding, line
        // endings, byte order mark.
        std::string line = inputs.Count() > 1 ? in.Name() + ": " : std::string();
        if (g.guess.encoding == ZRT_ENC_NONE) {
            line += "unknown (no encoding fits; binary?)";
            unknown = true;
        } else {
            line += Format("%s (%s%s)", ZRT_EncodingName(g.guess.encoding), EolName(g.guess.eol),
                           g.guess.bom ? ", BOM" : "");
        }
        out.Write(line + "\n");
        if (c.verbose || g.guess.encoding == ZRT_ENC_NONE)
            std::fprintf(stderr, "zrmoji: %s: %s\n", in.Name().c_str(), g.Explain().c_str());
    }
    out.Commit();
    return unknown ? kExitRefused : kExitOk;
}

int RunList(int argc, char** argv, int first) {
    const Options o = ParseOptions(argc, argv, first, {}, "list");
    if (o.Has("help")) {
        PrintHelp("list");
        return kExitOk;
    }
    if (!o.operands.empty()) UsageFail("list: takes no operands");
    const Common c = CommonFrom(o);
    Output out(c.outputPath);
    // The canonical name, then the other names of the same encoding, in
    // the module's order.
    std::vector<std::string> canon;
    std::map<std::string, std::vector<std::string>> aliases;
    for (std::int32_t i = 0; i < ZRT_NameCount(); ++i) {
        const char* name = nullptr;
        const char* cn = nullptr;
        if (ZRT_NameAt(i, &name, &cn) == ZRT_ENC_NONE || !cn) continue;
        if (!aliases.count(cn)) canon.push_back(cn);
        if (std::string(name) != cn) aliases[cn].push_back(name);
        else aliases[cn];
    }
    for (const auto& cn : canon) {
        std::string line = cn;
        line.resize(std::max<std::size_t>(line.size() + 1, 13), ' ');
        for (const auto& a : aliases[cn]) line += " " + a;
        if (cn == "utf-16")
            line += "   (input: the byte order mark decides; output: little-endian)";
        out.Write(line + "\n");
    }
    out.Write("auto          (conv -f: guess the input's encoding)\n");
    out.Commit();
    return kExitOk;
}

}  // namespace zrcli
