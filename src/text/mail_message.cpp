// mail_message.cpp - whole messages and mboxes: header sections, MIME
// parameters (RFC 2045, RFC 2231), transfer encodings, multipart bodies,
// text parts converted to UTF-8, handed to the caller part by part.
#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "text/guess.hpp"
#include "text/mail.hpp"
#include "zr_text.h"

namespace zr::text {

namespace {

char Lower(char c) noexcept { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCopy(std::string_view s) {
    std::string r(s);
    for (auto& c : r) c = Lower(c);
    return r;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

struct Field {
    std::string_view name;
    std::string_view value;  // raw: folds and encoded words as written
};

// One line at `pos`: its text without the line break, and where the next starts.
std::string_view LineAt(std::string_view s, std::size_t pos, std::size_t& next) {
    const std::size_t eol = s.find('\n', pos);
    const std::size_t end = eol == std::string_view::npos ? s.size() : eol;
    next = eol == std::string_view::npos ? s.size() : eol + 1;
    std::string_view line = s.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// The header section of an entity and where its body starts. A line that
// is neither a field nor a continuation ends the section (the body starts
// there), as a blank line does.
std::vector<Field> ReadHeaderSection(std::string_view e, std::size_t& bodyAt) {
    std::vector<Field> fields;
    std::size_t pos = 0;
    std::size_t fieldStart = 0;
    bool open = false;
    auto close = [&](std::size_t end) {
        if (!open) return;
        const std::string_view all = e.substr(fieldStart, end - fieldStart);
        const std::size_t colon = all.find(':');
        std::string_view value = all.substr(colon + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        while (!value.empty() && (value.back() == '\n' || value.back() == '\r')) value.remove_suffix(1);
        fields.push_back({Trim(all.substr(0, colon)), value});
        open = false;
    };
    while (pos < e.size()) {
        std::size_t next;
        const std::string_view line = LineAt(e, pos, next);
        if (line.empty()) {
            close(pos);
            bodyAt = next;
            return fields;
        }
        if ((line[0] == ' ' || line[0] == '\t') && open) {
            pos = next;
            continue;
        }
        const std::size_t colon = line.find(':');
        const bool isField = colon != std::string_view::npos && colon > 0 &&
                             std::none_of(line.begin(), line.begin() + static_cast<long>(colon), [](char c) {
                                 return static_cast<unsigned char>(c) <= 0x20 || c == 0x7F;
                             });
        if (!isField) {
            close(pos);
            bodyAt = pos;
            return fields;
        }
        close(pos);
        fieldStart = pos;
        open = true;
        pos = next;
    }
    close(e.size());
    bodyAt = e.size();
    return fields;
}

int HexValue(char c) noexcept {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// A structured value "type/subtype; name=value; ..." (Content-Type,
// Content-Disposition): the lower-case first token and the parameters,
// RFC 2231 continuations and charsets resolved to UTF-8.
struct Structured {
    std::string token;
    std::map<std::string, std::string> params;
};

Structured ParseStructured(std::string_view v) {
    Structured s;
    struct Piece {
        int index;
        bool encoded;
        std::string value;
    };
    std::map<std::string, std::vector<Piece>> extended;
    std::size_t i = 0;
    auto readItem = [&](std::string& out) {
        // Up to the next ';' outside quotes; quoted text unquoted.
        bool quoted = false;
        for (; i < v.size(); ++i) {
            const char c = v[i];
            if (quoted) {
                if (c == '\\' && i + 1 < v.size()) {
                    out.push_back(v[++i]);
                } else if (c == '"') {
                    quoted = false;
                } else if (c != '\r' && c != '\n') {
                    out.push_back(c);
                }
            } else if (c == '"') {
                quoted = true;
            } else if (c == ';') {
                ++i;
                return;
            } else if (c != '\r' && c != '\n') {
                out.push_back(c);
            }
        }
    };
    std::string first;
    readItem(first);
    s.token = LowerCopy(Trim(first));
    while (i < v.size()) {
        std::string item;
        readItem(item);
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) continue;
        std::string name = LowerCopy(Trim(std::string_view(item).substr(0, eq)));
        const std::string value(Trim(std::string_view(item).substr(eq + 1)));
        const std::size_t star = name.find('*');
        if (star == std::string::npos) {
            s.params[name] = value;
            continue;
        }
        // name*=..., name*0=..., name*1*=...
        Piece p{0, name.back() == '*', value};
        const std::string rest = name.substr(star + 1);
        if (!rest.empty() && rest != "*") {
            p.index = 0;
            for (char c : rest) {
                if (c >= '0' && c <= '9') p.index = p.index * 10 + (c - '0');
                if (p.index > 10000) break;
            }
        }
        extended[name.substr(0, star)].push_back(std::move(p));
    }
    for (auto& [name, pieces] : extended) {
        std::sort(pieces.begin(), pieces.end(), [](const Piece& a, const Piece& b) { return a.index < b.index; });
        std::string charset, bytes;
        for (std::size_t k = 0; k < pieces.size(); ++k) {
            std::string_view val = pieces[k].value;
            if (!pieces[k].encoded) {
                bytes += val;
                continue;
            }
            if (k == 0) {
                // charset'language'text
                const std::size_t q1 = val.find('\'');
                const std::size_t q2 = q1 == std::string_view::npos ? q1 : val.find('\'', q1 + 1);
                if (q2 != std::string_view::npos) {
                    charset = std::string(val.substr(0, q1));
                    val = val.substr(q2 + 1);
                }
            }
            for (std::size_t j = 0; j < val.size(); ++j) {
                if (val[j] == '%' && j + 2 < val.size() + 0 && HexValue(val[j + 1]) >= 0 && HexValue(val[j + 2]) >= 0) {
                    bytes.push_back(static_cast<char>(HexValue(val[j + 1]) * 16 + HexValue(val[j + 2])));
                    j += 2;
                } else {
                    bytes.push_back(val[j]);
                }
            }
        }
        std::string text;
        const MailCharset cs = CharsetFromLabel(charset.empty() ? std::string_view("utf-8") : charset);
        if (!CharsetToUtf8(cs, bytes, text)) {
            text.clear();
            Options o;
            o.errors = ZRT_ERRORS_REPLACE;
            ConvertAll(Enc::kUtf8, Enc::kUtf8, bytes, text, o);
        }
        s.params[name] = text;
    }
    return s;
}

bool AllAscii(std::string_view s) noexcept {
    return std::none_of(s.begin(), s.end(), [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return b >= 0x80 || b == 0x1B;
    });
}

class MailReader {
public:
    MailReader(const std::uint8_t* base, std::size_t len, const ZRT_MailHandler& h) : base_(base), len_(len), h_(h) {}

    std::int64_t Problems() const noexcept { return problems_; }

    void Input(std::string_view all) {
        if (all.substr(0, 5) != "From ") {
            Message(all, 0, {});
            return;
        }
        std::vector<std::size_t> starts{0};
        for (std::size_t at = all.find("\nFrom "); at != std::string_view::npos; at = all.find("\nFrom ", at + 1))
            starts.push_back(at + 1);
        starts.push_back(all.size());
        for (std::size_t k = 0; k + 1 < starts.size(); ++k) {
            std::string_view m = all.substr(starts[k], starts[k + 1] - starts[k]);
            // The blank line that ends an mbox entry separates; it is not the message's.
            if (m.size() >= 2 && m.substr(m.size() - 2) == "\n\n") {
                m.remove_suffix(1);
            } else if (m.size() >= 4 && m.substr(m.size() - 4) == "\r\n\r\n") {
                m.remove_suffix(2);
            }
            std::size_t next;
            const std::string_view from = LineAt(m, 0, next);
            Message(m.substr(next), k, from);
        }
    }

private:
    // Text decoded from a message/rfc822 part lives outside the input: its
    // problems are placed at the part that held it.
    std::uint64_t Offset(std::string_view s) noexcept {
        const auto p = reinterpret_cast<std::uintptr_t>(s.data());
        const auto b = reinterpret_cast<std::uintptr_t>(base_);
        if (base_ && p >= b && p <= b + len_) lastOffset_ = p - b;
        return lastOffset_;
    }

    void Issue(std::int32_t kind, std::string_view where, const std::string& detail) {
        if (kind != ZRT_MAIL_GUESSED) ++problems_;
        if (h_.issue) h_.issue(h_.user, kind, Offset(where), detail.c_str());
    }

    void Message(std::string_view m, std::uint64_t index, std::string_view from) {
        if (const auto at = Offset(m); h_.message) h_.message(h_.user, index, at, from.empty() ? nullptr : from.data(), from.size());
        Entity(m, 0, false, "text/plain");
    }

    std::string DecodedValue(const Field& f) {
        std::vector<HeaderIssue> issues;
        std::string v = DecodeHeader(f.value, &issues);
        for (const auto& i : issues) {
            if (i.kind == ZRT_HDR_UNKNOWN_CHARSET || i.kind == ZRT_HDR_MALFORMED_WORD)
                Issue(ZRT_MAIL_HEADER_WORD, f.value.substr(i.offset),
                      std::string(f.name) + ": encoded word kept as written: " +
                          std::string(f.value.substr(i.offset, std::min<std::size_t>(i.length, 60))));
        }
        return v;
    }

    void Entity(std::string_view e, int depth, bool isPart, const char* defaultType) {
        if (depth > 64) {
            Issue(ZRT_MAIL_NO_END, e, "parts nested too deep: kept as they are");
            Leaf(e, e, depth, Structured{"application/octet-stream", {}}, "7bit", false);
            return;
        }
        std::size_t bodyAt = 0;
        const std::vector<Field> fields = ReadHeaderSection(e, bodyAt);
        Structured type;
        type.token = defaultType;
        std::string cte = "7bit";
        bool attachment = false;
        std::string dispositionName;
        for (const auto& f : fields) {
            const std::string name = LowerCopy(f.name);
            const std::string value = DecodedValue(f);
            if (h_.header) h_.header(h_.user, depth, isPart, f.name.data(), f.name.size(), value.data(), value.size());
            if (name == "content-type") {
                Structured t = ParseStructured(f.value);
                if (t.token.find('/') != std::string::npos) type = std::move(t);
            } else if (name == "content-transfer-encoding") {
                cte = LowerCopy(Trim(f.value));
            } else if (name == "content-disposition") {
                Structured d = ParseStructured(f.value);
                attachment = d.token == "attachment";
                auto it = d.params.find("filename");
                if (it != d.params.end()) dispositionName = it->second;
            }
        }
        if (!dispositionName.empty()) type.params["filename"] = dispositionName;
        const std::string_view body = e.substr(std::min(bodyAt, e.size()));
        if (type.token.compare(0, 10, "multipart/") == 0) {
            const auto b = type.params.find("boundary");
            if (b != type.params.end() && !b->second.empty()) {
                Multipart(body, depth, b->second, type.token == "multipart/digest" ? "message/rfc822" : "text/plain");
                return;
            }
            Issue(ZRT_MAIL_NO_END, body, "a multipart body without a boundary: read as text");
            type.token = "text/plain";
        }
        Leaf(body, body, depth, type, cte, attachment);
    }

    void Multipart(std::string_view body, int depth, const std::string& boundary, const char* defaultType) {
        const std::string delim = "--" + boundary;
        std::size_t pos = 0, partStart = std::string_view::npos;
        bool closed = false;
        std::vector<std::string_view> parts;
        while (pos < body.size()) {
            std::size_t next;
            const std::string_view line = LineAt(body, pos, next);
            if (line.substr(0, delim.size()) == delim) {
                std::string_view rest = line.substr(delim.size());
                const bool close = rest.substr(0, 2) == "--";
                if (close) rest.remove_prefix(2);
                if (Trim(rest).empty()) {
                    if (partStart != std::string_view::npos) {
                        std::size_t end = pos;
                        // The line break before a delimiter belongs to it.
                        if (end > partStart && body[end - 1] == '\n') --end;
                        if (end > partStart && body[end - 1] == '\r') --end;
                        parts.push_back(body.substr(partStart, end - partStart));
                    }
                    partStart = next;
                    if (close) {
                        closed = true;
                        break;
                    }
                }
            }
            pos = next;
        }
        if (!closed) {
            if (partStart != std::string_view::npos) parts.push_back(body.substr(std::min(partStart, body.size())));
            Issue(ZRT_MAIL_NO_END, body,
                  partStart == std::string_view::npos ? "no part boundary found: the body read as text"
                                                      : "the closing boundary is missing");
            if (partStart == std::string_view::npos) {
                Leaf(body, body, depth, Structured{"text/plain", {}}, "7bit", false);
                return;
            }
        }
        for (const auto& p : parts) Entity(p, depth + 1, true, defaultType);
    }

    void Leaf(std::string_view body, std::string_view raw, int depth, const Structured& type, const std::string& cte,
              bool attachment) {
        std::string bytes;
        std::int32_t problem = 0;
        if (cte == "base64") {
            if (!DecodeBase64(body, true, bytes)) problem = ZRT_MAIL_BAD_TRANSFER;
        } else if (cte == "quoted-printable") {
            if (!DecodeQuotedPrintable(body, bytes)) problem = ZRT_MAIL_BAD_TRANSFER;
        } else if (cte == "7bit" || cte == "8bit" || cte == "binary" || cte.empty()) {
            bytes.assign(body);
        } else {
            problem = ZRT_MAIL_BAD_TRANSFER;
        }
        if (problem) Issue(problem, raw, "Content-Transfer-Encoding " + cte + " does not decode this body: kept as it is");
        if (!problem && !attachment && type.token == "message/rfc822") {
            Entity(bytes, depth + 1, false, "text/plain");
            return;
        }
        ZRT_MailPart p{};
        const auto charsetIt = type.params.find("charset");
        const std::string charset = charsetIt == type.params.end() ? std::string() : charsetIt->second;
        auto nameIt = type.params.find("filename");
        if (nameIt == type.params.end()) nameIt = type.params.find("name");
        const std::string filename = nameIt == type.params.end() ? std::string() : DecodeHeader(nameIt->second, nullptr);
        p.kind = !attachment && type.token.compare(0, 5, "text/") == 0 ? ZRT_PART_TEXT : ZRT_PART_ATTACHMENT;
        p.depth = depth;
        p.contentType = type.token.c_str();
        p.charset = charset.c_str();
        p.transferEncoding = cte.c_str();
        p.filename = filename.c_str();
        p.raw = reinterpret_cast<const std::uint8_t*>(raw.data());
        p.rawLength = raw.size();
        std::string text;
        if (!problem && p.kind == ZRT_PART_TEXT) {
            const MailCharset cs = CharsetFromLabel(charset);
            if (charset.empty() && AllAscii(bytes)) {
                text = bytes;
                p.encoding = ZRT_ENC_ASCII;
            } else if (cs.known && CharsetToUtf8(cs, bytes, text)) {
                p.encoding = cs.latin1 ? ZRT_ENC_NONE : static_cast<std::int32_t>(cs.enc);
            } else {
                text.clear();
                const ZRT_Guess g =
                    GuessEncoding(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), true);
                if (g.encoding != ZRT_ENC_NONE &&
                    ConvertAll(static_cast<Enc>(g.encoding), Enc::kUtf8, bytes, text, Options{})) {
                    p.encoding = g.encoding;
                    p.guessed = 1;
                    Issue(ZRT_MAIL_GUESSED, raw,
                          std::string(charset.empty() ? "no charset" : "charset " + charset + " does not fit") +
                              ": read as " + EncodingNameOf(g.encoding));
                } else {
                    problem = ZRT_MAIL_UNREADABLE_TEXT;
                    Issue(problem, raw, "a " + type.token + " part no encoding reads: kept as it is");
                }
            }
        }
        p.problem = problem;
        if (problem) {
            p.data = p.raw;
            p.length = p.rawLength;
        } else if (p.kind == ZRT_PART_TEXT) {
            p.data = reinterpret_cast<const std::uint8_t*>(text.data());
            p.length = text.size();
        } else {
            p.data = reinterpret_cast<const std::uint8_t*>(bytes.data());
            p.length = bytes.size();
        }
        if (h_.part) h_.part(h_.user, &p);
    }

    static std::string EncodingNameOf(std::int32_t e) {
        const char* n = ZRT_EncodingName(e);
        return n ? n : "?";
    }

    const std::uint8_t* base_;
    std::size_t len_;
    std::uint64_t lastOffset_ = 0;
    const ZRT_MailHandler& h_;
    std::int64_t problems_ = 0;
};

}  // namespace

}  // namespace zr::text

extern "C" ZRT_API int64_t ZRT_CALL ZRT_ReadMail(const uint8_t* data, size_t len, const ZRT_MailHandler* handler) {
    if ((!data && len) || (handler && handler->size < sizeof(ZRT_MailHandler))) return ZRT_BAD_ARGUMENT;
    ZRT_MailHandler h{};
    if (handler) h = *handler;
    try {
        zr::text::MailReader r(data, len, h);
        r.Input(std::string_view(reinterpret_cast<const char*>(data ? data : reinterpret_cast<const uint8_t*>("")), len));
        return r.Problems();
    } catch (const std::bad_alloc&) {
        return ZRT_NO_MEMORY;
    }
}
