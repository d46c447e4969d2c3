// mail.hpp - mail headers (unfolding, encoded words) and whole messages:
// the byte-level pieces shared by the header coder and the message reader.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "text/converter.hpp"
#include "text/text.hpp"
#include "zr_text.h"

namespace zr::text {

// A charset label as mail writes it: one of the module's encodings, or
// ISO-8859-1, which mail meets often enough to be read here directly.
struct MailCharset {
    bool known = false;
    bool latin1 = false;
    Enc enc = Enc::kNone;
};
// Case-insensitive; an RFC 2231 language suffix ("utf-8*ja") is dropped.
MailCharset CharsetFromLabel(std::string_view label) noexcept;

// All of `in` converted at once; false (out holds what came before, *error
// the stop) when a strict conversion stopped. May throw std::bad_alloc.
bool ConvertAll(Enc from, Enc to, std::string_view in, std::string& out, const Options& options,
                ZRT_Error* error = nullptr);
// Bytes in a mail charset to UTF-8, strictly; false when they do not read.
bool CharsetToUtf8(const MailCharset& cs, std::string_view in, std::string& out);

// Base64 bytes through the library's decoder. Padding may be missing;
// false for a character outside the alphabet (white space is skipped when
// `spaces`) or a lone last character.
bool DecodeBase64(std::string_view text, bool spaces, std::string& out);
// Quoted-Printable bytes through the library's decoder ('=' not starting
// an escape is literal); false when the library refuses the text.
bool DecodeQuotedPrintable(std::string_view text, std::string& out);

struct HeaderIssue {
    std::int32_t kind;  // ZRT_HDR_*
    std::size_t offset;
    std::size_t length;
};

// A header (a field "Name: value", or only the value), folded or not, to
// UTF-8: folds removed, encoded words decoded. Problems go to `issues`.
std::string DecodeHeader(std::string_view src, std::vector<HeaderIssue>* issues);

struct HeaderEncodeOptions {
    Enc charset = Enc::kJis;
    bool q = false;
    bool crlf = true;
    bool field = true;
};

// UTF-8 text to a header with encoded words, folded. ZRT_OK, or
// ZRT_STOPPED with *error set (text not UTF-8, a character the charset lacks).
std::int32_t EncodeHeader(std::string_view text, const HeaderEncodeOptions& o, std::string& out, ZRT_Error* error);

// A UTF-8 message to one ready to send (see ZRT_EncodeMail).
std::int32_t EncodeMail(std::string_view text, Enc charset, std::int32_t body, bool crlf, std::string& out,
                        ZRT_Error* error);

}  // namespace zr::text
