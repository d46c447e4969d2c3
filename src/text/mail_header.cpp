// mail_header.cpp - header fields: unfolding and encoded words (=?cs?B?...?=)
// both ways, and the byte decoders the message reader shares.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "text/guess.hpp"
#include "text/kana.hpp"
#include "text/mail.hpp"
#include "text/names.hpp"
#include "zr_moji.h"

namespace zr::text {

namespace {

char LowerAscii(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool IsWsp(char c) noexcept { return c == ' ' || c == '\t'; }
bool IsFoldSpace(char c) noexcept { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The library's decoders take NUL-terminated text and an int32 capacity.
constexpr std::size_t kLibraryMax = 0x3FFFFFF0;

}  // namespace

MailCharset CharsetFromLabel(std::string_view label) noexcept {
    MailCharset cs;
    std::string name;
    for (char c : label) {
        if (c == '*') break;  // RFC 2231: charset*language
        name.push_back(LowerAscii(c));
    }
    if (name.size() >= 2 && name.front() == '"' && name.back() == '"') name = name.substr(1, name.size() - 2);
    static constexpr const char* kLatin1[] = {"iso-8859-1", "iso8859-1", "iso_8859-1", "latin1", "latin-1", "l1"};
    for (const char* n : kLatin1) {
        if (name == n) {
            cs.known = cs.latin1 = true;
            return cs;
        }
    }
    // Older mailers' spellings of the Japanese charsets.
    static constexpr struct {
        const char* name;
        Enc enc;
    } kMailNames[] = {
        {"x-sjis", Enc::kSJis},       {"ms_kanji", Enc::kSJis},      {"csshiftjis", Enc::kSJis},
        {"x-euc-jp", Enc::kEucJp},    {"cseucpkdfmtjapanese", Enc::kEucJp},
        {"csiso2022jp", Enc::kJis},   {"x-unknown", Enc::kNone},
    };
    for (const auto& m : kMailNames) {
        if (name == m.name) {
            cs.enc = m.enc;
            cs.known = m.enc != Enc::kNone;
            return cs;
        }
    }
    cs.enc = EncodingFromName(name.c_str());
    cs.known = cs.enc != Enc::kNone;
    return cs;
}

bool ConvertAll(Enc from, Enc to, std::string_view in, std::string& out, const Options& options, ZRT_Error* error) {
    Converter c;
    if (!c.Open(from, to, options)) throw std::bad_alloc();
    std::uint8_t buf[4096];
    const auto* p = reinterpret_cast<const std::uint8_t*>(in.data());
    std::size_t at = 0;
    for (;;) {
        std::size_t used = 0, wrote = 0;
        const std::int32_t r = c.Convert(p + at, in.size() - at, used, buf, sizeof buf, wrote, true);
        out.append(reinterpret_cast<const char*>(buf), wrote);
        at += used;
        if (r == ZRT_MORE_OUTPUT) continue;
        if (r == ZRT_NO_MEMORY) throw std::bad_alloc();
        if (r != ZRT_OK && error) *error = c.FirstError();
        return r == ZRT_OK;
    }
}

bool CharsetToUtf8(const MailCharset& cs, std::string_view in, std::string& out) {
    if (!cs.known) return false;
    if (cs.latin1) {
        for (char ch : in) {
            const auto b = static_cast<unsigned char>(ch);
            if (b < 0x80) {
                out.push_back(ch);
            } else {
                out.push_back(static_cast<char>(0xC0 | (b >> 6)));
                out.push_back(static_cast<char>(0x80 | (b & 0x3F)));
            }
        }
        return true;
    }
    // UTF-8 and ASCII are copied once valid: the converter would drop a
    // U+FEFF that starts the text, which in a header is a character.
    if (cs.enc == Enc::kUtf8 || cs.enc == Enc::kAscii) {
        if (!Validate(cs.enc, reinterpret_cast<const std::uint8_t*>(in.data()), in.size(), true, nullptr)) return false;
        out.append(in);
        return true;
    }
    Options o;
    std::string converted;
    if (!ConvertAll(cs.enc, Enc::kUtf8, in, converted, o)) return false;
    out += converted;
    return true;
}

bool DecodeBase64(std::string_view text, bool spaces, std::string& out) {
    std::string clean;
    clean.reserve(text.size() + 4);
    bool padding = false;
    for (char c : text) {
        const bool alpha = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
                           c == '/';
        if (alpha && !padding) {
            clean.push_back(c);
        } else if (c == '=') {
            padding = true;
        } else if (!(spaces && IsFoldSpace(c))) {
            return false;
        }
    }
    if (clean.size() % 4 == 1) return false;
    while (clean.size() % 4) clean.push_back('=');
    if (clean.empty()) return true;
    if (clean.size() > kLibraryMax) return false;
    std::string bytes(clean.size() / 4 * 3 + 1, '\0');
    const std::int32_t r = ZR_Base64_Decode(clean.c_str(), reinterpret_cast<unsigned char*>(bytes.data()),
                                            static_cast<std::int32_t>(bytes.size()));
    if (r < 0 || static_cast<std::size_t>(r) >= bytes.size()) return false;
    out.append(bytes.data(), static_cast<std::size_t>(r));
    return true;
}

bool DecodeQuotedPrintable(std::string_view text, std::string& out) {
    if (text.empty()) return true;
    if (text.size() > kLibraryMax || std::memchr(text.data(), 0, text.size())) return false;
    const std::string src(text);
    std::string bytes(src.size() + 1, '\0');
    const std::int32_t r = ZR_QuotedPrintable_Decode(src.c_str(), reinterpret_cast<unsigned char*>(bytes.data()),
                                                     static_cast<std::int32_t>(bytes.size()));
    if (r < 0 || static_cast<std::size_t>(r) >= bytes.size()) return false;
    out.append(bytes.data(), static_cast<std::size_t>(r));
    return true;
}

// ---- decoding ---------------------------------------------------------------

namespace {

struct Word {
    std::size_t begin, end;  // the whole "=?...?=" in the source
    std::string_view charset;
    char kind;  // 'b' or 'q'
    std::string_view text;
};

bool IsTokenChar(char c) noexcept {
    const auto b = static_cast<unsigned char>(c);
    return b > 0x20 && b < 0x7F && c != '?';
}

// Parses an encoded word starting at `at` ("=?"). Returns false when there
// is none; *broken tells whether it looked like one (charset and kind read)
// but had no proper end.
bool ParseWord(std::string_view s, std::size_t at, Word& w, bool* broken) {
    *broken = false;
    std::size_t i = at + 2;
    while (i < s.size() && IsTokenChar(s[i])) ++i;
    if (i == at + 2 || i + 2 >= s.size() || s[i] != '?') return false;
    const char kind = LowerAscii(s[i + 1]);
    if ((kind != 'b' && kind != 'q') || s[i + 2] != '?') return false;
    w.charset = s.substr(at + 2, i - at - 2);
    w.kind = kind;
    const std::size_t textBegin = i + 3;
    std::size_t j = textBegin;
    for (; j < s.size(); ++j) {
        const auto b = static_cast<unsigned char>(s[j]);
        if (s[j] == '?' && j + 1 < s.size() && s[j + 1] == '=') break;
        if (b <= 0x20 || b >= 0x7F) {
            *broken = true;
            return false;
        }
    }
    if (j >= s.size()) {
        *broken = true;
        return false;
    }
    w.text = s.substr(textBegin, j - textBegin);
    w.begin = at;
    w.end = j + 2;
    return true;
}

bool WordBytes(const Word& w, std::string& bytes) {
    if (w.kind == 'b') return DecodeBase64(w.text, false, bytes);
    std::string qp;
    qp.reserve(w.text.size() + 8);
    for (char c : w.text) {
        if (c == '_')
            qp += "=20";
        else
            qp.push_back(c);
    }
    return DecodeQuotedPrintable(qp, bytes);
}

class HeaderDecoder {
public:
    HeaderDecoder(std::string_view s, std::vector<HeaderIssue>* issues) : s_(s), issues_(issues) {}

    std::string Run() {
        std::size_t pos = 0, plainFrom = 0;
        while (pos < s_.size()) {
            const std::size_t open = s_.find("=?", pos);
            if (open == std::string_view::npos) break;
            Word w{};
            bool broken = false;
            if (!ParseWord(s_, open, w, &broken)) {
                if (broken) Issue(ZRT_HDR_MALFORMED_WORD, open, WordLikeEnd(open) - open);
                pos = open + 2;
                continue;
            }
            const MailCharset cs = CharsetFromLabel(w.charset);
            std::string bytes;
            if (!cs.known) {
                Issue(ZRT_HDR_UNKNOWN_CHARSET, w.begin, w.end - w.begin);
                pos = w.end;
                continue;
            }
            if (!WordBytes(w, bytes)) {
                Issue(ZRT_HDR_MALFORMED_WORD, w.begin, w.end - w.begin);
                pos = w.end;
                continue;
            }
            const std::string_view gap = s_.substr(plainFrom, open - plainFrom);
            const bool onlySpace =
                std::all_of(gap.begin(), gap.end(), [](char c) { return IsFoldSpace(c); });
            if (!(run_.size() && onlySpace)) {
                Flush();
                Plain(plainFrom, open);
            }
            // Adjacent words of one charset are read together: some writers
            // split a character, or an ISO-2022-JP escape state, between two.
            if (!run_.empty() && !SameCharset(cs)) Flush();
            runCharset_ = cs;
            run_.push_back({w.begin, w.end, std::move(bytes)});
            pos = plainFrom = w.end;
        }
        Flush();
        Plain(plainFrom, s_.size());
        return std::move(out_);
    }

private:
    struct Piece {
        std::size_t begin, end;
        std::string bytes;
    };

    bool SameCharset(const MailCharset& cs) const noexcept {
        return cs.latin1 == runCharset_.latin1 && cs.enc == runCharset_.enc;
    }

    std::size_t WordLikeEnd(std::size_t open) const noexcept {
        std::size_t e = open + 2;
        while (e < s_.size() && !IsFoldSpace(s_[e])) ++e;
        return e;
    }

    void Issue(std::int32_t kind, std::size_t at, std::size_t len) {
        if (issues_) issues_->push_back({kind, at, len});
    }

    void Flush() {
        if (run_.empty()) return;
        std::string all;
        for (const auto& p : run_) all += p.bytes;
        std::string text;
        if (CharsetToUtf8(runCharset_, all, text)) {
            out_ += text;
        } else {
            // Word by word then, so that only the words that do not read
            // stay as they were written.
            for (std::size_t i = 0; i < run_.size(); ++i) {
                text.clear();
                if (CharsetToUtf8(runCharset_, run_[i].bytes, text)) {
                    out_ += text;
                } else {
                    Issue(ZRT_HDR_MALFORMED_WORD, run_[i].begin, run_[i].end - run_[i].begin);
                    out_.append(s_.substr(run_[i].begin, run_[i].end - run_[i].begin));
                }
            }
        }
        run_.clear();
    }

    // Text outside encoded words: folds removed; 8-bit or escape-coded
    // text (raw Japanese in old mail) read with a guessed encoding.
    void Plain(std::size_t from, std::size_t to) {
        if (from >= to) return;
        std::string t;
        t.reserve(to - from);
        for (std::size_t i = from; i < to; ++i) {
            const char c = s_[i];
            if (c == '\r' && i + 2 < s_.size() && s_[i + 1] == '\n' && IsWsp(s_[i + 2])) {
                ++i;
                continue;
            }
            if ((c == '\n' || c == '\r') && i + 1 < s_.size() && IsWsp(s_[i + 1])) continue;
            t.push_back(c);
        }
        const bool plainAscii = std::none_of(t.begin(), t.end(), [](char c) {
            const auto b = static_cast<unsigned char>(c);
            return b >= 0x80 || b == 0x1B;
        });
        const auto* p = reinterpret_cast<const std::uint8_t*>(t.data());
        if (plainAscii || (t.find('\x1b') == std::string::npos && Validate(Enc::kUtf8, p, t.size(), true, nullptr))) {
            out_ += t;
            return;
        }
        const ZRT_Guess g = GuessEncoding(p, t.size(), true);
        Options o;
        o.errors = ZRT_ERRORS_REPLACE;
        if (g.encoding != ZRT_ENC_NONE) {
            Issue(ZRT_HDR_RAW_GUESSED, from, to - from);
            ConvertAll(static_cast<Enc>(g.encoding), Enc::kUtf8, t, out_, o);
        } else {
            Issue(ZRT_HDR_RAW_UNREADABLE, from, to - from);
            ConvertAll(Enc::kUtf8, Enc::kUtf8, t, out_, o);
        }
    }

    std::string_view s_;
    std::vector<HeaderIssue>* issues_;
    std::string out_;
    std::vector<Piece> run_;
    MailCharset runCharset_;
};

}  // namespace

std::string DecodeHeader(std::string_view src, std::vector<HeaderIssue>* issues) {
    return HeaderDecoder(src, issues).Run();
}

// ---- encoding ---------------------------------------------------------------

namespace {

constexpr std::size_t kMaxWord = 75;
constexpr std::size_t kMaxLine = 76;

bool DecodeUtf8(std::string_view s, std::vector<char32_t>& cps, ZRT_Error* error) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(s.data());
    if (!Validate(Enc::kUtf8, p, s.size(), true, error)) return false;
    for (std::size_t i = 0; i < s.size();) {
        const std::uint8_t b = p[i];
        char32_t c;
        std::size_t n;
        if (b < 0x80) {
            c = b;
            n = 1;
        } else if (b < 0xE0) {
            c = b & 0x1F;
            n = 2;
        } else if (b < 0xF0) {
            c = b & 0x0F;
            n = 3;
        } else {
            c = b & 0x07;
            n = 4;
        }
        for (std::size_t k = 1; k < n; ++k) c = (c << 6) | (p[i + k] & 0x3F);
        cps.push_back(c);
        i += n;
    }
    return true;
}

void PutUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

const char* WordCharsetName(Enc e) noexcept {
    switch (e) {
        case Enc::kJis: return "ISO-2022-JP";
        case Enc::kSJis: return "Shift_JIS";
        case Enc::kEucJp: return "EUC-JP";
        default: return "UTF-8";
    }
}

bool QLiteral(unsigned char b) noexcept {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '!' || b == '*' ||
           b == '+' || b == '-' || b == '/';
}

class HeaderEncoder {
public:
    HeaderEncoder(const HeaderEncodeOptions& o, ZRT_Error* error) : o_(o), error_(error) {
        prefix_ = std::string("=?") + WordCharsetName(o.charset) + (o.q ? "?Q?" : "?B?");
    }

    // The encoded word for cps[from, to), or false when a character cannot
    // be written in the charset (error set).
    bool Word(const std::vector<char32_t>& cps, std::size_t from, std::size_t to, std::string& word) {
        std::string utf8;
        for (std::size_t i = from; i < to; ++i) PutUtf8(cps[i], utf8);
        std::string bytes;
        if (o_.charset == Enc::kUtf8) {
            bytes = utf8;
        } else if (std::find(cps.begin() + static_cast<long>(from), cps.begin() + static_cast<long>(to), kBom) !=
                       cps.begin() + static_cast<long>(to) ||
                   !ConvertAll(Enc::kUtf8, o_.charset, utf8, bytes, Options{})) {
            // U+FEFF has no form in the Japanese charsets (the converter
            // would drop one that starts a word without a word).
            Unmappable(cps, from, to);
            return false;
        }
        word = prefix_;
        if (o_.q) {
            static const char* kHex = "0123456789ABCDEF";
            for (char ch : bytes) {
                const auto b = static_cast<unsigned char>(ch);
                if (b == ' ') {
                    word.push_back('_');
                } else if (QLiteral(b)) {
                    word.push_back(ch);
                } else {
                    word.push_back('=');
                    word.push_back(kHex[b >> 4]);
                    word.push_back(kHex[b & 15]);
                }
            }
        } else {
            std::string b64((bytes.size() + 2) / 3 * 4 + 1, '\0');
            const std::int32_t r =
                ZR_Base64_Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                                 static_cast<std::int32_t>(bytes.size()), b64.data(), static_cast<std::int32_t>(b64.size()));
            if (r < 0) throw std::bad_alloc();
            word.append(b64.data(), static_cast<std::size_t>(r));
        }
        word += "?=";
        return true;
    }

    const std::string& Prefix() const noexcept { return prefix_; }

private:
    void Unmappable(const std::vector<char32_t>& cps, std::size_t from, std::size_t to) {
        if (!error_) return;
        *error_ = ZRT_Error{};
        error_->kind = ZRT_ERR_UNMAPPABLE;
        for (std::size_t i = from; i < to; ++i) {
            std::string one, bytes;
            PutUtf8(cps[i], one);
            if (cps[i] == kBom || !ConvertAll(Enc::kUtf8, o_.charset, one, bytes, Options{})) {
                error_->codePoint = static_cast<std::uint32_t>(cps[i]);
                error_->offset = i;  // in characters of the text
                error_->line = 1;
                return;
            }
        }
    }

    HeaderEncodeOptions o_;
    ZRT_Error* error_;
    std::string prefix_;
};

bool NeedsEncoding(const std::vector<char32_t>& cps, std::size_t from, std::size_t to) {
    for (std::size_t i = from; i < to; ++i) {
        if (cps[i] >= 0x80 || cps[i] < 0x20 || cps[i] == 0x7F) return true;
        // Text that a reader would take for an encoded word must be one.
        if (cps[i] == '=' && i + 1 < to && cps[i + 1] == '?') return true;
    }
    return false;
}

}  // namespace

std::int32_t EncodeHeader(std::string_view text, const HeaderEncodeOptions& o, std::string& out, ZRT_Error* error) {
    if (error) *error = ZRT_Error{};
    std::vector<char32_t> cps;
    if (!DecodeUtf8(text, cps, error)) return ZRT_STOPPED;
    // Line breaks in the text are folds already, or the end of the line.
    for (auto& c : cps) {
        if (c == '\r' || c == '\n') c = ' ';
    }
    if (o.charset == Enc::kJis) {
        // ISO-2022-JP words carry no half-width katakana; combining them
        // first keeps a kana and its voiced mark in one word.
        std::vector<std::uint32_t> src(cps.begin(), cps.end()), dst(cps.size());
        dst.resize(KanaToFullwidth(src.data(), src.size(), dst.data(), dst.size()));
        cps.assign(dst.begin(), dst.end());
    }
    const std::string eol = o.crlf ? "\r\n" : "\n";
    std::size_t i = 0;
    std::size_t col = 0;
    // The field name stays as written: "Name:" and the white space after it.
    if (o.field) {
        std::size_t k = 0;
        while (k < cps.size() && cps[k] > 0x20 && cps[k] < 0x7F && cps[k] != ':') ++k;
        if (k > 0 && k < cps.size() && cps[k] == ':') {
            ++k;
            while (k < cps.size() && (cps[k] == ' ' || cps[k] == '\t')) ++k;
            for (; i < k; ++i) out.push_back(static_cast<char>(cps[i]));
            col = k;
        }
    }
    HeaderEncoder enc(o, error);
    // Tokens: white space, then a run of non-space characters.
    struct Token {
        std::size_t spaceFrom, from, to;
        bool encode;
    };
    std::vector<Token> tokens;
    while (i < cps.size()) {
        Token t{i, i, i, false};
        while (t.from < cps.size() && (cps[t.from] == ' ' || cps[t.from] == '\t')) ++t.from;
        t.to = t.from;
        while (t.to < cps.size() && cps[t.to] != ' ' && cps[t.to] != '\t') ++t.to;
        t.encode = NeedsEncoding(cps, t.from, t.to);
        tokens.push_back(t);
        i = t.to;
    }
    auto spaceOf = [&](const Token& t) {
        std::string s;
        for (std::size_t k = t.spaceFrom; k < t.from; ++k) s.push_back(static_cast<char>(cps[k]));
        return s;
    };
    for (std::size_t ti = 0; ti < tokens.size(); ++ti) {
        Token t = tokens[ti];
        if (!t.encode) {
            std::string space = spaceOf(t);
            const std::size_t len = t.to - t.from;
            if (col > 1 && !space.empty() && col + space.size() + len > kMaxLine) {
                out += eol;
                col = 0;
            }
            out += space;
            for (std::size_t k = t.from; k < t.to; ++k) out.push_back(static_cast<char>(cps[k]));
            col += space.size() + len;
            continue;
        }
        // Neighbouring tokens that need encoding become one run: the white
        // space between them travels inside the words, as a reader drops
        // white space between two words.
        std::size_t runTo = t.to;
        while (ti + 1 < tokens.size() && tokens[ti + 1].encode && tokens[ti + 1].from < tokens[ti + 1].to) {
            ++ti;
            runTo = tokens[ti].to;
        }
        const std::string space = spaceOf(t);
        std::size_t pos = t.from;
        bool first = true, folded = false;
        while (pos < runTo) {
            const std::string sep = folded ? std::string() : first ? space : std::string(" ");
            const std::size_t room =
                std::min(kMaxWord, col + sep.size() < kMaxLine ? kMaxLine - col - sep.size() : 0);
            std::string best, word;
            std::size_t end = pos;
            // Grow the word a character at a time while it fits (words are
            // short, so encoding each candidate whole stays cheap).
            while (end < runTo) {
                if (!enc.Word(cps, pos, end + 1, word)) return ZRT_STOPPED;
                if (word.size() > room) break;
                best = std::move(word);
                ++end;
            }
            if (end == pos) {
                if (!folded && (col > 1 || !first)) {
                    // Not even one character fits here: a new line.
                    const std::string fold = first && !space.empty() ? space : std::string(" ");
                    out += eol;
                    out += fold;
                    col = fold.size();
                    folded = true;
                    first = false;
                    continue;
                }
                // A line too narrow for one character: take it anyway.
                if (!enc.Word(cps, pos, pos + 1, best)) return ZRT_STOPPED;
                end = pos + 1;
            }
            out += sep;
            out += best;
            col += sep.size() + best.size();
            pos = end;
            first = folded = false;
        }
    }
    return ZRT_OK;
}

}  // namespace zr::text
