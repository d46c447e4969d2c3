// cli/main.cpp - zrmoji: Japanese character-code conversions from the command line.
#include <cstdio>
#include <cstring>
#include <string>

#include "commands.hpp"
#include "common.hpp"

#ifndef ZRMOJI_VERSION
#define ZRMOJI_VERSION "0"
#endif

namespace zrcli {

namespace {

constexpr char kOverview[] =
    "usage: zrmoji COMMAND [OPTIONS] [FILE...]\n"
    "\n"
    "Japanese character-code conversions with the ZR_Moji library.\n"
    "\n"
    "commands:\n"
    "  conv    convert text between jis, sjis, euc, utf8, utf7 and utf16\n"
    "  b64     Base64 encode or decode, plain or with a Japanese charset\n"
    "  qp      Quoted-Printable encode or decode, plain or with a charset\n"
    "  mime    decode or encode MIME header words (=?ISO-2022-JP?B?...?=)\n"
    "  mail    decode whole messages and mailboxes, encode messages and headers\n"
    "  url     percent-encode or decode URLs, detect their encoding\n"
    "  ebcdic  convert to or from EBCDIC\n"
    "  table   look codes up in a code-table file, or map text through it\n"
    "\n"
    "'zrmoji COMMAND --help' tells more. Every command reads the FILEs, or\n"
    "standard input when there are none (or for '-'), and writes standard\n"
    "output, or FILE with -o FILE (written only when the command succeeds).\n"
    "\n"
    "options of every command:\n"
    "  -o, --output FILE  write FILE instead of standard output\n"
    "  -q, --quiet        no progress line\n"
    "      --progress     a progress line even when stderr is not a terminal\n"
    "  -v, --verbose      say more on stderr\n"
    "  -h, --help         this help\n"
    "      --version      the version\n"
    "\n"
    "exit status: 0 success; 1 the input could not be converted (the library\n"
    "refused it, it is malformed or cannot be read; stderr says what and where);\n"
    "2 a usage error.\n"
    "\n"
    "environment: the library keeps loaded code tables in files under $TEMP;\n"
    "when TEMP is not set, zrmoji sets it to $TMPDIR or /tmp for itself.\n";

constexpr char kConv[] =
    "usage: zrmoji conv -f FROM -t TO [--strict] [-o FILE] [FILE...]\n"
    "\n"
    "Converts text line by line. FROM and TO are jis (ISO-2022-JP), sjis\n"
    "(Shift_JIS, code page 932), euc (EUC-JP), utf8, utf7 and utf16\n"
    "(little-endian, no byte order mark written).\n"
    "\n"
    "Characters that code page 932 lacks become '?' on the way to sjis, jis or\n"
    "euc, with a warning; --strict refuses them instead, naming line and byte.\n"
    "Characters whose Shift_JIS lead byte is F0 to FC (the user-defined area,\n"
    "IBM extensions such as U+2170) have no JIS code: converting them to jis or\n"
    "euc fails with the line and byte where they stand. A byte order mark\n"
    "is dropped when converting to jis, sjis or euc. NUL bytes are carried\n"
    "through.\n"
    "\n"
    "Half-width katakana have no place in the library's EUC-JP: they are\n"
    "written as single bytes (no 0x8E before them; zrmoji warns) and 0x8E\n"
    "pairs are not read as katakana.\n"
    "\n"
    "examples:\n"
    "  zrmoji conv -f sjis -t utf8 old.txt > new.txt\n"
    "  zrmoji conv -f utf8 -t jis -o mail.txt draft.txt\n"
    "  cat data.euc | zrmoji conv -f euc -t sjis\n";

constexpr char kB64[] =
    "usage: zrmoji b64 encode|decode [--charset CS [--text T]] [-w COLS] [FILE...]\n"
    "\n"
    "Without --charset: the bytes of the input are encoded (lines of 76\n"
    "characters; -w COLS to choose, -w 0 for one line) or decoded (white\n"
    "space is skipped; any other character outside Base64 is an error).\n"
    "\n"
    "With --charset jis|sjis|euc|utf8: each input line is text, encoded in\n"
    "that charset and then in Base64, one output line per input line; decode\n"
    "does the reverse. The text is UTF-8 unless --text sjis or --text utf16\n"
    "(little-endian) says otherwise.\n"
    "\n"
    "examples:\n"
    "  zrmoji b64 encode photo.jpg > photo.b64\n"
    "  echo 'こんにちは' | zrmoji b64 encode --charset jis\n"
    "  echo 'GyRCJDMkcyRLJEEkTxsoQg==' | zrmoji b64 decode --charset jis\n";

constexpr char kQp[] =
    "usage: zrmoji qp encode|decode [--charset CS [--text T]] [FILE...]\n"
    "\n"
    "Quoted-Printable. Without --charset the bytes of the input are encoded\n"
    "or decoded; soft line breaks are '=' CR LF, and '=' LF is read as one too.\n"
    "With --charset jis|sjis|euc|utf8 each line of text is encoded in that\n"
    "charset first (decode: decoded, then converted back to the text side,\n"
    "UTF-8 unless --text sjis|utf16).\n"
    "\n"
    "examples:\n"
    "  zrmoji qp decode body.txt > body.bin\n"
    "  echo 'テスト' | zrmoji qp encode --charset utf8\n";

constexpr char kMime[] =
    "usage: zrmoji mime decode [--text T] [FILE...]\n"
    "       zrmoji mime encode [--charset CS] [--q] [--eol crlf|lf] [--text T] [FILE...]\n"
    "\n"
    "decode: each header field (a line, with the lines starting with white\n"
    "space that continue it) is unfolded and its encoded words are decoded\n"
    "(B and Q; ISO-2022-JP, Shift_JIS, cp932, EUC-JP, UTF-8, UTF-7, US-ASCII,\n"
    "ISO-8859-1; a language suffix as in =?UTF-8*ja?...?= is accepted). White\n"
    "space between two words is dropped, elsewhere kept. A word in an unknown\n"
    "charset or a malformed one stays as written, with a warning naming the\n"
    "line; everything is written and the exit status is 1. Unencoded 8-bit\n"
    "text is read in a guessed encoding (-v says so). Output is UTF-8 unless\n"
    "--text sjis|utf16.\n"
    "encode: each line of text (\"Subject: ...\" keeps its field name) becomes\n"
    "a header: the words that are not ASCII become encoded words in --charset\n"
    "(jis, the default, sjis, euc or utf8), Base64 unless --q, each word at\n"
    "most 75 characters and whole in itself, lines at most 76 characters,\n"
    "folded with CR LF (--eol lf: LF) and a space. Half-width katakana become\n"
    "full-width in ISO-2022-JP.\n"
    "\n"
    "examples:\n"
    "  echo 'Subject: =?ISO-2022-JP?B?GyRCJDMkcyRLJEEkTxsoQg==?=' | zrmoji mime decode\n"
    "  echo 'Subject: 会議のお知らせ' | zrmoji mime encode --eol lf\n"
    "  echo 'Subject: 会議' | zrmoji mime encode --charset utf8 --q\n";

constexpr char kMail[] =
    "usage: zrmoji mail decode [--attachments list|keep|save] [--dir DIR] [FILE...]\n"
    "       zrmoji mail encode [--charset jis|utf8] [--body 7bit|base64|qp] [--eol crlf|lf] [FILE...]\n"
    "       zrmoji mail decode-header [--text T] [FILE...]\n"
    "       zrmoji mail encode-header [--charset CS] [--q] [--eol crlf|lf] [FILE...]\n"
    "\n"
    "decode: each FILE is a message (RFC 5322) or an mbox (starting with a\n"
    "'From ' line; each message is read, its 'From ' line kept). Written as\n"
    "UTF-8: the headers decoded (see 'zrmoji mime --help'), then the bodies,\n"
    "decoded by Content-Transfer-Encoding (7bit, 8bit, binary, base64,\n"
    "quoted-printable) and converted from their charset (ISO-2022-JP,\n"
    "Shift_JIS, EUC-JP, UTF-8, ...; guessed when missing or wrong, -v says\n"
    "so). Multipart bodies are walked to any depth, attached messages read as\n"
    "messages; each part gets a '[part N: type]' line. Other parts are\n"
    "listed ('--attachments list', the default), written as they stand in\n"
    "the message ('keep'), or saved in DIR ('save --dir DIR': the file name\n"
    "from the message without directories, '-1', '-2' added rather than\n"
    "overwriting). A piece that does not decode is written as it was, with a\n"
    "warning naming the line; the exit status is then 1.\n"
    "\n"
    "encode: a UTF-8 message (header fields, a blank line, the body) becomes\n"
    "one ready to send: fields encoded as 'mime encode' does, MIME-Version,\n"
    "Content-Type (the text subtype kept, the charset set) and\n"
    "Content-Transfer-Encoding written, the body in ISO-2022-JP as 7bit (the\n"
    "default; --body base64|qp on request) or in UTF-8 (--charset utf8) as\n"
    "base64 (the default) or qp. Lines end in CR LF (--eol lf: LF); base64\n"
    "and qp lines stay within 76 characters, 7bit lines are kept as written.\n"
    "\n"
    "decode-header and encode-header are 'mime decode' and 'mime encode'.\n"
    "\n"
    "examples:\n"
    "  zrmoji mail decode old-mailbox.mbox > readable.txt\n"
    "  zrmoji mail decode --attachments save --dir parts message.eml\n"
    "  zrmoji mail encode draft.txt > ready.eml\n"
    "  zrmoji mail encode --charset utf8 --body qp --eol lf draft.txt\n"
    "  echo 'Subject: 会議のお知らせ' | zrmoji mail encode-header --eol lf\n";

constexpr char kUrl[] =
    "usage: zrmoji url encode|decode|detect|scheme [--charset CS] [--text T] [FILE...]\n"
    "\n"
    "One URL (or text) per line.\n"
    "  encode   percent-encode the text in --charset (utf8 when not given)\n"
    "  decode   decode; without --charset the encoding is detected (-v says\n"
    "           which on stderr) and a URL whose encoding cannot be told fails\n"
    "  detect   print jis, sjis, euc, utf8 or none for each URL\n"
    "  scheme   print yes when the URL starts with a known scheme, else no\n"
    "Text is UTF-8 unless --text sjis|utf16. An invalid escape or '%00' is an\n"
    "error (it would end the decoded text there).\n"
    "\n"
    "examples:\n"
    "  echo 'https://example.jp/search?q=%E6%97%A5%E6%9C%AC' | zrmoji url decode -v\n"
    "  echo '日本語' | zrmoji url encode --charset sjis\n";

constexpr char kEbcdic[] =
    "usage: zrmoji ebcdic to|from [--table 0x400|0x500|0x600] [FILE...]\n"
    "\n"
    "to: ASCII (with Shift_JIS bytes) to EBCDIC; from: EBCDIC back. Table\n"
    "0x400 (the default) and 0x600 are the plain table, 0x500 the katakana\n"
    "table (no lowercase letters). Bytes 0x80 and above travel unchanged\n"
    "between the bytes 0x28 and 0x29. Bytes without a code become 0xFF.\n"
    "\n"
    "examples:\n"
    "  zrmoji ebcdic to --table 0x500 record.txt > record.ebc\n"
    "  zrmoji ebcdic from record.ebc\n";

constexpr char kTable[] =
    "usage: zrmoji table TABLEFILE [--reverse] [--sort] lookup CODE...\n"
    "       zrmoji table TABLEFILE [--reverse] [--sort] map [--text T] [FILE...]\n"
    "\n"
    "TABLEFILE holds lines 'CODE,CODE,comment' in hexadecimal ('/' starts a\n"
    "comment line). The first code is the key, or the second with --reverse.\n"
    "Keys must be in ascending order unless --sort is given.\n"
    "  lookup  prints each CODE and its value in hexadecimal, or 'none'\n"
    "  map     maps each line of text (UTF-8 unless --text) character by\n"
    "          character; characters without an entry are left out\n"
    "The library builds the table in a file under $TEMP (set to $TMPDIR or\n"
    "/tmp when missing) and removes it afterwards.\n"
    "\n"
    "examples:\n"
    "  zrmoji table jis0208.txt lookup 3021 4E9C\n"
    "  zrmoji table kana.txt --sort map input.txt\n";

}  // namespace

void PrintHelp(const char* command) {
    const std::string c = command;
    const char* text = c == "conv"     ? kConv
                       : c == "b64"    ? kB64
                       : c == "qp"     ? kQp
                       : c == "mime"   ? kMime
                       : c == "mail"   ? kMail
                       : c == "url"    ? kUrl
                       : c == "ebcdic" ? kEbcdic
                       : c == "table"  ? kTable
                                       : kOverview;
    std::fputs(text, stdout);
}

}  // namespace zrcli

int main(int argc, char** argv) {
    using namespace zrcli;
    SetBinaryStdio();
    EnsureTempDir();
    if (argc < 2) {
        std::fputs("zrmoji: no command given\nusage: zrmoji COMMAND [OPTIONS] [FILE...]  "
                   "(zrmoji --help for more)\n", stderr);
        return kExitUsage;
    }
    const std::string cmd = argv[1];
    if (cmd == "--help" || cmd == "-h" || cmd == "help") {
        PrintHelp(argc > 2 && cmd == "help" ? argv[2] : "");
        return kExitOk;
    }
    if (cmd == "--version") {
        std::printf("zrmoji %s\n", ZRMOJI_VERSION);
        return kExitOk;
    }
    int (*run)(int, char**, int) = nullptr;
    if (cmd == "conv") run = RunConv;
    else if (cmd == "b64" || cmd == "base64") run = RunBase64;
    else if (cmd == "qp") run = RunQuotedPrintable;
    else if (cmd == "mime") run = RunMime;
    else if (cmd == "mail") run = RunMail;
    else if (cmd == "url") run = RunUrl;
    else if (cmd == "ebcdic") run = RunEbcdic;
    else if (cmd == "table") run = RunTable;
    if (!run) {
        std::fprintf(stderr, "zrmoji: unknown command '%s' (try 'zrmoji --help')\n", cmd.c_str());
        return kExitUsage;
    }
    try {
        return run(argc, argv, 2);
    } catch (const Failure& f) {
        std::fprintf(stderr, "zrmoji: %s\n", f.message.c_str());
        PrintLateNotes();
        return f.status;
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "zrmoji: out of memory\n");
        return kExitRefused;
    }
}
