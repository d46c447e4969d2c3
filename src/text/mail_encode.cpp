// mail_encode.cpp - a UTF-8 message made ready to send: header fields as
// encoded words, the body in the charset and its transfer encoding.
#include <cstdint>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "text/mail.hpp"
#include "zr_moji.h"
#include "zr_text.h"

namespace zr::text {

namespace {

constexpr std::size_t kLibraryMax = 0x3FFFFFF0;

bool IsFieldLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || colon == 0) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        const auto b = static_cast<unsigned char>(line[i]);
        if (b <= 0x20 || b >= 0x7F) return false;
    }
    return true;
}

bool SameName(std::string_view field, const char* name) {
    const std::size_t n = std::strlen(name);
    if (field.size() <= n || field[n] != ':') return false;
    for (std::size_t i = 0; i < n; ++i) {
        char c = field[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != name[i]) return false;
    }
    return true;
}

std::string Base64Lines(const std::string& bytes, const std::string& eol) {
    std::string out;
    // 57 bytes make one line of 76 characters.
    for (std::size_t at = 0; at < bytes.size(); at += 57) {
        const std::size_t n = std::min<std::size_t>(57, bytes.size() - at);
        char buf[80];
        const std::int32_t r = ZR_Base64_Encode(reinterpret_cast<const unsigned char*>(bytes.data() + at),
                                                static_cast<std::int32_t>(n), buf, sizeof buf);
        if (r < 0) throw std::bad_alloc();
        out.append(buf, static_cast<std::size_t>(r));
        out += eol;
    }
    return out;
}

// Line by line through the library's encoder, which breaks long lines with
// soft breaks; white space at a line's end is escaped, as transport may
// strip it.
std::string QuotedPrintableLines(const std::string& bytes, const std::string& eol) {
    std::string out;
    std::size_t at = 0;
    while (at < bytes.size()) {
        std::size_t end = bytes.find('\n', at);
        const bool hasBreak = end != std::string::npos;
        if (!hasBreak) end = bytes.size();
        std::string line = bytes.substr(at, end - at);
        at = hasBreak ? end + 1 : end;
        std::string tail;
        if (!line.empty() && (line.back() == ' ' || line.back() == '\t')) {
            tail = line.back() == ' ' ? "=20" : "=09";
            line.pop_back();
        }
        if (line.size() > kLibraryMax / 4) throw std::bad_alloc();
        std::string enc(line.size() * 3 + line.size() / 20 * 3 + 16, '\0');
        const std::int32_t r = line.empty() ? 0
                                            : ZR_QuotedPrintable_Encode(reinterpret_cast<const unsigned char*>(line.data()),
                                                                        static_cast<std::int32_t>(line.size()),
                                                                        enc.data(), static_cast<std::int32_t>(enc.size()));
        if (r < 0) throw std::bad_alloc();
        enc.resize(static_cast<std::size_t>(r));
        for (std::size_t i = 0; i < enc.size(); ++i) {
            if (enc[i] == '\r' && i + 1 < enc.size() && enc[i + 1] == '\n') {
                out += eol;
                ++i;
            } else {
                out.push_back(enc[i]);
            }
        }
        // The escaped white space must not push the line past 76
        // characters; the encoder's last piece holds at most 75, so a soft
        // break always fits before it.
        if (!tail.empty()) {
            const std::size_t lineStart = out.rfind('\n');
            const std::size_t length = out.size() - (lineStart == std::string::npos ? 0 : lineStart + 1);
            if (length + tail.size() > 76) out += "=" + eol;
        }
        out += tail;
        if (hasBreak) out += eol;
    }
    return out;
}

}  // namespace

std::int32_t EncodeMail(std::string_view text, Enc charset, std::int32_t body, bool crlf, std::string& out,
                        ZRT_Error* error) {
    const std::string eol = crlf ? "\r\n" : "\n";
    // Header fields, each unfolded, up to the first blank line.
    std::vector<std::string> fields;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        const std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) {
            pos = next;
            break;
        }
        if ((line[0] == ' ' || line[0] == '\t') && !fields.empty()) {
            fields.back() += line;
        } else if (IsFieldLine(line)) {
            fields.emplace_back(line);
        } else {
            break;  // not a header: the body starts here
        }
        pos = next;
    }
    // A text subtype the message names (text/html) is kept.
    std::string type = "text/plain";
    for (const auto& f : fields) {
        if (!SameName(f, "content-type")) continue;
        std::string t;
        for (std::size_t i = f.find(':') + 1; i < f.size() && f[i] != ';'; ++i) {
            const char ch = f[i];
            if (ch == ' ' || ch == '\t') continue;
            t.push_back(ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch - 'A' + 'a') : ch);
        }
        if (t.compare(0, 5, "text/") == 0 && t.size() > 5) type = t;
    }
    HeaderEncodeOptions ho;
    ho.charset = charset;
    ho.crlf = crlf;
    for (const auto& f : fields) {
        if (SameName(f, "mime-version") || SameName(f, "content-type") || SameName(f, "content-transfer-encoding"))
            continue;
        std::string enc;
        if (EncodeHeader(f, ho, enc, error) != ZRT_OK) return ZRT_STOPPED;
        out += enc;
        out += eol;
    }
    // The body: lines end in LF while converted; the transfer encoding
    // writes the chosen line break.
    std::string utf8;
    utf8.reserve(text.size() - pos);
    for (std::size_t i = pos; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        utf8.push_back(text[i]);
    }
    std::string bytes;
    if (!ConvertAll(Enc::kUtf8, charset, utf8, bytes, Options{}, error)) return ZRT_STOPPED;
    const char* csName = charset == Enc::kJis ? "ISO-2022-JP" : "UTF-8";
    const char* cteName = body == ZRT_BODY_BASE64 ? "base64" : body == ZRT_BODY_QP ? "quoted-printable" : "7bit";
    out += "MIME-Version: 1.0" + eol;
    out += "Content-Type: " + type + "; charset=" + csName + eol;
    out += std::string("Content-Transfer-Encoding: ") + cteName + eol;
    out += eol;
    if (body == ZRT_BODY_BASE64) {
        std::string canonical;  // the text's line breaks are CR LF inside Base64
        for (char ch : bytes) {
            if (ch == '\n') canonical += "\r\n";
            else canonical.push_back(ch);
        }
        out += Base64Lines(canonical, eol);
    } else if (body == ZRT_BODY_QP) {
        out += QuotedPrintableLines(bytes, eol);
    } else {
        for (char ch : bytes) {
            if (ch == '\n') out += eol;
            else out.push_back(ch);
        }
    }
    return ZRT_OK;
}

}  // namespace zr::text
