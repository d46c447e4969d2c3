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
    "  conv    convert text between the Japanese encodings (files in place too)\n"
    "  guess   tell the encoding, line endings and byte order mark of files\n"
    "  list    the encoding names zrmoji accepts\n"
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
    "when TEMP is not set, zrmoji sets it to $TMPDIR or /tmp for itself.\n"
    "\n"
    "examples:\n"
    "  zrmoji conv -f sjis -t utf8 -o new.txt old.txt\n"
    "  zrmoji conv -v -t utf8 unknown.txt          # says what it guessed\n"
    "  zrmoji conv --progress -f euc -t utf8 big.euc > big.txt 2> progress.log\n"
    "  zrmoji guess *.txt\n"
    "  zrmoji conv --help\n";

constexpr char kConv[] =
    "usage: zrmoji conv [-f FROM] -t TO [OPTIONS] [-o FILE] [FILE...]\n"
    "       zrmoji conv [-f FROM] -t TO [OPTIONS] -i [-r] [-j N] [--backup=SUFFIX] FILE...\n"
    "\n"
    "Converts text between the Japanese encodings, streaming: iso-2022-jp (jis),\n"
    "shift_jis (cp932, ms932, windows-31j, sjis), euc-jp (eucjp, ujis, euc),\n"
    "utf-8, utf-16 (input: the byte order mark decides; output: little-endian),\n"
    "utf-16le, utf-16be, utf-7 and ascii; names in any case ('zrmoji list').\n"
    "The input is checked: bytes its encoding does not allow, a sequence cut\n"
    "short, or a character TO lacks stop the command (exit 1) with the file,\n"
    "line, byte offset and the bytes themselves; -o FILE is then not written.\n"
    "\n"
    "  -f, --from FROM   the input's encoding; left out (or 'auto'): guessed\n"
    "                    from the input (-v says what and why)\n"
    "  -t, --to TO       the output's encoding\n"
    "  --errors=strict|replace|skip\n"
    "                    malformed input and characters TO lacks: stop (strict,\n"
    "                    the default), write a substitute (U+FFFD in Unicode,\n"
    "                    '?' in the others) or leave them out; -v counts them\n"
    "  --strict          the same as --errors=strict\n"
    "  --replace-with=C  the substitute for --errors=replace: one character, or\n"
    "                    U+XXXX (one TO lacks falls back to the default)\n"
    "  --exact           U+301C WAVE DASH, U+2016, U+2212, U+2014, U+00A2,\n"
    "                    U+00A3 and U+00AC, which code page 932 lacks, are by\n"
    "                    default written with the codes JIS-based tools use\n"
    "                    (U+301C as 81 60 in Shift_JIS, and so on); --exact\n"
    "                    keeps the host converter's mapping, so that they\n"
    "                    follow --errors\n"
    "  --halfwidth=fullwidth|jisx0201\n"
    "                    half-width katakana in ISO-2022-JP output: full-width,\n"
    "                    voiced marks combined (the default, as mail needs), or\n"
    "                    in ESC ( I runs\n"
    "  --eol=keep|lf|crlf|cr  line endings of the output (keep by default)\n"
    "  --bom             write a byte order mark (UTF-8 and UTF-16 output); an\n"
    "                    input's mark is never copied into other encodings\n"
    "  -i, --in-place    rewrite each FILE with its conversion: written to a\n"
    "                    temporary file beside it and renamed over it only when\n"
    "                    complete, keeping mode, owner (where permitted) and\n"
    "                    symbolic links (the target is rewritten); a file\n"
    "                    already in the target form is not touched. A failed\n"
    "                    file is left as it was and the others still done; a\n"
    "                    summary line follows (exit 1 if any failed)\n"
    "  --backup=SUFFIX   with -i: keep the old contents as FILE SUFFIX\n"
    "  -r, --recursive   with -i: the files under directories (not .git, .hg,\n"
    "                    .svn; links to directories are not followed)\n"
    "  -j, --jobs N      with -i: files converted at once (default: one per core)\n"
    "  -v, --verbose     what was guessed and why; counts of what was lost\n"
    "\n"
    "examples:\n"
    "  zrmoji conv -f sjis -t utf8 old.txt > new.txt\n"
    "  zrmoji conv -t utf8 -v unknown.txt            # guess the input\n"
    "  zrmoji conv -f utf8 -t jis -o mail.txt draft.txt\n"
    "  zrmoji conv -f utf8 -t jis --errors=replace --replace-with=〓 names.txt\n"
    "  zrmoji conv -f utf8 -t jis --halfwidth=jisx0201 kana.txt\n"
    "  zrmoji conv -f sjis -t utf8 --exact --errors=skip data.csv\n"
    "  zrmoji conv -f euc -t sjis --eol=crlf unix.txt > windows.txt\n"
    "  zrmoji conv -f sjis -t utf8 --bom -o excel.csv report.csv\n"
    "  zrmoji conv -f sjis -t utf8 -i -r -j 4 --backup=.orig src/\n"
    "  cat data.euc | zrmoji conv -f euc-jp -t utf-16be > data.u16\n";

constexpr char kGuess[] =
    "usage: zrmoji guess [-v] [FILE...]\n"
    "\n"
    "Prints, for each FILE (or standard input), the encoding it is guessed to\n"
    "be in, its line endings (LF, CRLF, CR, mixed or no line break) and\n"
    "whether it starts with a byte order mark, named by the file when there\n"
    "are several: 'shift_jis (CRLF)', 'utf-8 (LF, BOM)'. The candidates are\n"
    "ascii, utf-8, utf-16le/be, iso-2022-jp, euc-jp, shift_jis and utf-7; an\n"
    "encoding under which the bytes are malformed is never chosen, and when\n"
    "several fit equally a fixed order of preference decides (-v says which\n"
    "fitted and why). A file that fits none prints 'unknown' (exit 1).\n"
    "\n"
    "examples:\n"
    "  zrmoji guess *.txt\n"
    "  zrmoji guess -v < mail.eml\n";

constexpr char kList[] =
    "usage: zrmoji list\n"
    "\n"
    "Prints the encodings zrmoji knows, one a line: the name zrmoji uses, then\n"
    "the other names it accepts (case does not matter).\n"
    "\n"
    "example:\n"
    "  zrmoji list\n";

constexpr char kB64[] =
    "usage: zrmoji b64 encode|decode [--charset CS [--text T]] [-w COLS] [--errors=E] [FILE...]\n"
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
    "  --errors=strict|replace|skip  decode: a character outside Base64, a\n"
    "                 misplaced '=' or a lone last character stops the command\n"
    "                 with its line and byte offset (strict, the default;\n"
    "                 --strict too); replace and skip leave it out and go on\n"
    "                 (-v counts them)\n"
    "\n"
    "examples:\n"
    "  zrmoji b64 encode photo.jpg > photo.b64\n"
    "  echo 'こんにちは' | zrmoji b64 encode --charset jis\n"
    "  echo 'GyRCJDMkcyRLJEEkTxsoQg==' | zrmoji b64 decode --charset jis\n";

constexpr char kQp[] =
    "usage: zrmoji qp encode|decode [--charset CS [--text T]] [--errors=E] [FILE...]\n"
    "\n"
    "Quoted-Printable. Without --charset the bytes of the input are encoded\n"
    "or decoded; soft line breaks are '=' CR LF, and '=' LF is read as one too.\n"
    "With --charset jis|sjis|euc|utf8 each line of text is encoded in that\n"
    "charset first (decode: decoded, then converted back to the text side,\n"
    "UTF-8 unless --text sjis|utf16).\n"
    "\n"
    "  --errors=strict|replace|skip  decode: an '=' followed by neither two\n"
    "                 hexadecimal digits nor a line break, or a byte that has\n"
    "                 no place in Quoted-Printable text, stops the command with\n"
    "                 its line, byte offset and bytes (strict, the default;\n"
    "                 --strict too); replace keeps it as it stands, skip leaves\n"
    "                 it out (-v counts them)\n"
    "\n"
    "examples:\n"
    "  zrmoji qp decode body.txt > body.bin\n"
    "  zrmoji qp decode --errors=replace broken-mail.txt\n"
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
                       : c == "guess"  ? kGuess
                       : c == "list"   ? kList
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
    else if (cmd == "guess") run = RunGuess;
    else if (cmd == "list") run = RunList;
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
