/* zr_text.h - public C interface of ZR_Text: validated, streaming conversion
 * between the Japanese encodings, encoding guessing, kana width and the
 * JIS / code page 932 variant pairs.
 *
 * A library of its own beside ZR_Moji (libzr_text / ZR_Text.dll), built on
 * ZR_Moji's exports for the Windows mapping. Code points are uint32_t
 * (UTF-32); byte buffers carry a length and may hold NUL bytes. Every
 * function is safe to call from several threads on different converters. */
#ifndef ZR_TEXT_H
#define ZR_TEXT_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#  define ZRT_CALL __cdecl
#  if defined(ZR_TEXT_BUILD)
#    define ZRT_API __declspec(dllexport)
#  elif defined(ZR_TEXT_STATIC)
#    define ZRT_API
#  else
#    define ZRT_API __declspec(dllimport)
#  endif
#else
#  define ZRT_CALL
#  if defined(ZR_TEXT_BUILD)
#    define ZRT_API __attribute__((visibility("default")))
#  else
#    define ZRT_API
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Encodings ------------------------------------------------------- */

#define ZRT_ENC_NONE 0     /* unknown name; nothing fits (guess) */
#define ZRT_ENC_ASCII 1
#define ZRT_ENC_UTF8 2
#define ZRT_ENC_UTF16LE 3
#define ZRT_ENC_UTF16BE 4
#define ZRT_ENC_UTF16 5    /* input: the BOM decides, little-endian without one;
                              output: little-endian, always with a BOM */
#define ZRT_ENC_JIS 6      /* ISO-2022-JP */
#define ZRT_ENC_EUCJP 7
#define ZRT_ENC_SJIS 8     /* Shift_JIS as code page 932 */
#define ZRT_ENC_UTF7 9
#define ZRT_ENC_COUNT 10   /* one past the last id */

/* The encoding a user-typed name stands for, case-insensitive ("cp932",
 * "EUC-JP", "utf8", ...); ZRT_ENC_NONE when the name is unknown or NULL. */
ZRT_API int32_t ZRT_CALL ZRT_EncodingFromName(const char* name);
/* The canonical name of an encoding ("shift_jis", "euc-jp", ...), or NULL. */
ZRT_API const char* ZRT_CALL ZRT_EncodingName(int32_t encoding);
/* Every accepted name, for listing: index 0 .. ZRT_NameCount()-1. Returns
 * the encoding id and sets *name and *canonical (either may be NULL);
 * ZRT_ENC_NONE when index is out of range. The strings are static. */
ZRT_API int32_t ZRT_CALL ZRT_NameCount(void);
ZRT_API int32_t ZRT_CALL ZRT_NameAt(int32_t index, const char** name, const char** canonical);

/* ---- Conversion options ---------------------------------------------- */

#define ZRT_ERRORS_STRICT 0   /* stop at the first malformed or unmappable character */
#define ZRT_ERRORS_REPLACE 1  /* write a replacement and go on */
#define ZRT_ERRORS_SKIP 2     /* drop it and go on */

#define ZRT_EOL_KEEP 0
#define ZRT_EOL_LF 1
#define ZRT_EOL_CRLF 2
#define ZRT_EOL_CR 3

#define ZRT_HALFWIDTH_FULLWIDTH 0  /* ISO-2022-JP output: half-width katakana become full-width */
#define ZRT_HALFWIDTH_JISX0201 1   /* ISO-2022-JP output: half-width katakana in ESC ( I runs */

typedef struct ZRT_Options {
    uint32_t size;         /* sizeof(ZRT_Options): set by ZRT_DefaultOptions */
    int32_t errors;        /* ZRT_ERRORS_* (default strict) */
    uint32_t replacement;  /* replace: the character written instead of a lost one;
                              0 = U+FFFD for Unicode targets, '?' for the others.
                              One the target lacks falls back to that default. */
    int32_t eol;           /* ZRT_EOL_* (default keep) */
    int32_t bom;           /* nonzero: write a BOM ahead of UTF-8 / UTF-16LE / UTF-16BE output */
    int32_t halfwidth;     /* ZRT_HALFWIDTH_* (default full-width) */
    int32_t exact;         /* nonzero: no variant-pair mapping towards Shift_JIS, EUC-JP
                              and ISO-2022-JP; U+301C etc. then are unmappable */
} ZRT_Options;

/* Fills *options with the defaults (and its size). */
ZRT_API void ZRT_CALL ZRT_DefaultOptions(ZRT_Options* options);

/* ---- Streaming converter --------------------------------------------- */

typedef struct ZRT_Converter ZRT_Converter;

#define ZRT_OK 0           /* the input was taken and all output delivered */
#define ZRT_MORE_OUTPUT 1  /* dst is full: call again (srcLen 0 is fine) for the rest */
#define ZRT_STOPPED (-1)   /* strict policy: stopped at an error, see ZRT_GetError */
#define ZRT_BAD_ARGUMENT (-2)
#define ZRT_NO_MEMORY (-3)     /* the output buffer could not grow; the converter is spent */

#define ZRT_ERR_NONE 0
#define ZRT_ERR_MALFORMED 1   /* bytes no form of the input encoding allows, or cut short */
#define ZRT_ERR_UNMAPPABLE 2  /* a valid character the target encoding lacks */

typedef struct ZRT_Error {
    int32_t kind;        /* ZRT_ERR_* */
    uint32_t codePoint;  /* unmappable: the character; malformed: 0 */
    uint64_t offset;     /* byte offset of the first offending byte in the input stream */
    uint64_t line;       /* 1-based input line holding it */
    int32_t byteCount;   /* bytes stored in `bytes` (at most 16) */
    uint8_t bytes[16];   /* the offending input bytes */
} ZRT_Error;

/* A converter from `from` to `to` (ZRT_ENC_*, not NONE); options may be
 * NULL for the defaults. NULL when an argument is invalid or out of memory. */
ZRT_API ZRT_Converter* ZRT_CALL ZRT_Open(int32_t from, int32_t to, const ZRT_Options* options);
ZRT_API void ZRT_CALL ZRT_Close(ZRT_Converter* converter);
/* Back to the state after ZRT_Open (counts and error cleared). */
ZRT_API void ZRT_CALL ZRT_Reset(ZRT_Converter* converter);

/* Feeds srcLen bytes (any split: a chunk may end inside a character or an
 * escape sequence) and writes up to dstSize bytes of output to dst.
 * *srcUsed gets the bytes taken (all of them unless stopped), *dstUsed the
 * bytes written. `last` nonzero ends the stream: a sequence still open is
 * cut short, ISO-2022-JP output returns to ASCII. Returns ZRT_OK,
 * ZRT_MORE_OUTPUT (output is waiting: call again with the bytes not taken,
 * src + *srcUsed, and the same `last`, until ZRT_OK; input is not taken
 * while output waits), ZRT_STOPPED (strict policy, an error met: returned
 * once all the output from before the error, closed as at the end of a text
 * (ISO-2022-JP back in ASCII), has been delivered, ZRT_MORE_OUTPUT until
 * then; *srcUsed of the call that met it counts the bytes before the error;
 * further calls keep returning ZRT_STOPPED until ZRT_Reset),
 * ZRT_BAD_ARGUMENT or ZRT_NO_MEMORY.
 * Output is buffered inside for at most what one call's input yields. */
ZRT_API int32_t ZRT_CALL ZRT_Convert(ZRT_Converter* converter,
                                     const uint8_t* src, size_t srcLen, size_t* srcUsed,
                                     uint8_t* dst, size_t dstSize, size_t* dstUsed,
                                     int32_t last);

/* The first error met (the one that stopped a strict converter); 1 when
 * there is one, 0 otherwise (*error then has kind ZRT_ERR_NONE). */
ZRT_API int32_t ZRT_CALL ZRT_GetError(const ZRT_Converter* converter, ZRT_Error* error);
/* How many malformed sequences and unmappable characters were met so far
 * (replaced, skipped or stopped at). Either pointer may be NULL. */
ZRT_API void ZRT_CALL ZRT_GetCounts(const ZRT_Converter* converter, uint64_t* malformed, uint64_t* unmappable);

/* Checks that buf is well formed in `encoding`. `complete` zero means buf
 * is only a prefix: a sequence cut short at its end is not an error.
 * Returns 1 when valid, 0 when not (first error in *error, which may be
 * NULL), -1 for a bad argument. */
ZRT_API int32_t ZRT_CALL ZRT_Validate(int32_t encoding, const uint8_t* buf, size_t len, int32_t complete,
                                      ZRT_Error* error);

/* ---- Guessing --------------------------------------------------------- */

#define ZRT_EOLS_NONE 0
#define ZRT_EOLS_LF 1
#define ZRT_EOLS_CRLF 2
#define ZRT_EOLS_CR 3
#define ZRT_EOLS_MIXED 4

typedef struct ZRT_Guess {
    int32_t encoding;   /* the choice; ZRT_ENC_NONE when no encoding fits, or when
                           no valid reading looks like text (binary data) */
    int32_t ambiguous;  /* nonzero when others fitted as well (see `ties`) and the
                           preference order decided */
    uint32_t fits;      /* bit (1u << id) per encoding under which the bytes are valid */
    uint32_t ties;      /* bit per encoding as plausible as the choice (the choice included) */
    int32_t bom;        /* nonzero when the input starts with a BOM (UTF-8, UTF-16) */
    int32_t eol;        /* ZRT_EOLS_*: the line endings seen */
} ZRT_Guess;

/* Guesses the encoding of buf. `complete` zero means buf is a prefix of a
 * longer input (a character cut at its end is not held against an
 * encoding). Returns the chosen id (also in out->encoding); out may be NULL.
 * ZRT_ENC_UTF16 is never chosen: UTF-16 comes out as LE or BE. */
ZRT_API int32_t ZRT_CALL ZRT_GuessEncoding(const uint8_t* buf, size_t len, int32_t complete, ZRT_Guess* out);
/* The preference among equally plausible encodings, best first, as ids
 * in a static array terminated by ZRT_ENC_NONE. */
ZRT_API const int32_t* ZRT_CALL ZRT_GuessPreference(void);

/* ---- Kana width and variant pairs -------------------------------------- */

/* Half-width katakana (U+FF61..U+FF9F) to their full-width forms, a voiced
 * or semi-voiced mark combined with the kana before it where such a
 * character exists (U+FF76 U+FF9E -> U+30AC). Other code points are copied.
 * Writes at most dstSize code points; returns the length of the whole
 * result (call with dst NULL, dstSize 0 to measure). */
ZRT_API size_t ZRT_CALL ZRT_KanaToFullwidth(const uint32_t* src, size_t srcLen, uint32_t* dst, size_t dstSize);
/* The reverse: full-width katakana that have a half-width form to it, a
 * voiced one as two (U+30AC -> U+FF76 U+FF9E). Same size rules. */
ZRT_API size_t ZRT_CALL ZRT_KanaToHalfwidth(const uint32_t* src, size_t srcLen, uint32_t* dst, size_t dstSize);

/* The JIS / code page 932 variant pairs: index 0 .. ZRT_VariantPairCount()-1
 * gives the character JIS-based tools use (U+301C WAVE DASH, ...) and the
 * code page 932 one with the same code (U+FF5E). Returns 1, 0 out of range. */
ZRT_API int32_t ZRT_CALL ZRT_VariantPairCount(void);
ZRT_API int32_t ZRT_CALL ZRT_VariantPairAt(int32_t index, uint32_t* jisForm, uint32_t* cp932Form);
/* The code page 932 form of a JIS-form character, anything else unchanged
 * (the mapping applied towards Shift_JIS, EUC-JP and ISO-2022-JP). */
ZRT_API uint32_t ZRT_CALL ZRT_VariantToCp932(uint32_t codePoint);
/* The JIS form of a code page 932-form character, anything else unchanged. */
ZRT_API uint32_t ZRT_CALL ZRT_VariantToJis(uint32_t codePoint);


/* ---- Mail headers ------------------------------------------------------ */

/* What ZRT_DecodeHeader tells about a piece of the header it could not
 * decode as such; the piece is kept as written (or read as said). */
#define ZRT_HDR_UNKNOWN_CHARSET 1  /* an encoded word in a charset not known here: kept as written */
#define ZRT_HDR_MALFORMED_WORD 2   /* an encoded word that does not decode: kept as written */
#define ZRT_HDR_RAW_GUESSED 3      /* unencoded 8-bit or escape-coded text, read in a guessed encoding */
#define ZRT_HDR_RAW_UNREADABLE 4   /* unencoded text no encoding reads: U+FFFD for what does not */

/* Called once per problem; offset and length are in bytes of src. */
typedef void (ZRT_CALL* ZRT_HeaderIssueFn)(void* user, int32_t kind, size_t offset, size_t length);

/* Decodes a header field ("Subject: ...") or its value, folded or not
 * (RFC 5322), to UTF-8: a line break followed by white space is removed,
 * encoded words (RFC 2047, B and Q, RFC 2231 language suffixes) are
 * decoded, white space between two adjacent encoded words is dropped and
 * kept elsewhere. Charsets: ISO-2022-JP, Shift_JIS / cp932 / Windows-31J,
 * EUC-JP, UTF-8, UTF-7, US-ASCII, ISO-8859-1 (names case-insensitive).
 * Writes at most dstSize bytes (NUL-terminated when there is room) and
 * returns the length of the whole result (dst NULL, dstSize 0 to measure).
 * fn (may be NULL) hears of every piece kept as written. */
ZRT_API size_t ZRT_CALL ZRT_DecodeHeader(const char* src, size_t srcLen, char* dst, size_t dstSize,
                                         ZRT_HeaderIssueFn fn, void* user);

typedef struct ZRT_HeaderOptions {
    uint32_t size;    /* sizeof(ZRT_HeaderOptions): set by ZRT_DefaultHeaderOptions */
    int32_t charset;  /* ZRT_ENC_JIS (default), ZRT_ENC_UTF8, ZRT_ENC_SJIS or ZRT_ENC_EUCJP */
    int32_t q;        /* nonzero: Q encoding; default B */
    int32_t eol;      /* folds: ZRT_EOL_CRLF (default) or ZRT_EOL_LF */
    int32_t field;    /* nonzero (default): text that starts "Name:" keeps the name as written */
} ZRT_HeaderOptions;

ZRT_API void ZRT_CALL ZRT_DefaultHeaderOptions(ZRT_HeaderOptions* options);

/* UTF-8 text (a field "Subject: ..." or a value) to a header: the words
 * that need it become encoded words of at most 75 characters, each whole
 * in itself (an ISO-2022-JP word ends in ASCII, no character is split),
 * on lines of at most 76 characters where the text allows, folded with the
 * chosen line break and one space. ASCII stays as it is; half-width
 * katakana become full-width in ISO-2022-JP. No line break is written
 * after the last line. Writes at most dstSize bytes (NUL-terminated when
 * there is room) and returns the length of the whole result; -1 when the
 * text is not UTF-8 or holds a character the charset lacks (*error, which
 * may be NULL, says which: codePoint, offset in characters), -2 for a bad
 * argument. */
ZRT_API int64_t ZRT_CALL ZRT_EncodeHeader(const char* text, size_t len, const ZRT_HeaderOptions* options,
                                          char* dst, size_t dstSize, ZRT_Error* error);

/* ---- Mail messages ------------------------------------------------------ */

#define ZRT_PART_TEXT 1        /* a text part: its body converted to UTF-8 */
#define ZRT_PART_ATTACHMENT 2  /* any other leaf part: its body decoded to bytes */

/* Problems the message reader reports (the piece concerned is kept as it
 * was in the message, never dropped). */
#define ZRT_MAIL_HEADER_WORD 1     /* a header's encoded word kept as written */
#define ZRT_MAIL_BAD_TRANSFER 2    /* a body that its Content-Transfer-Encoding does not decode */
#define ZRT_MAIL_UNREADABLE_TEXT 3 /* a text body no encoding reads */
#define ZRT_MAIL_NO_END 4          /* a multipart body whose boundary never closes it */
#define ZRT_MAIL_GUESSED 5         /* notice only: a text part's charset was missing or wrong, guessed */

typedef struct ZRT_MailPart {
    int32_t kind;                  /* ZRT_PART_* */
    int32_t depth;                 /* 0: the message's own body; 1: a part of it, ... */
    const char* contentType;       /* lower case, "text/plain" when the part names none */
    const char* charset;           /* the charset parameter as written, "" when none */
    const char* transferEncoding;  /* lower case, "7bit" when none */
    const char* filename;          /* UTF-8, from RFC 2231 or RFC 2047 parameters; "" when none */
    int32_t encoding;              /* text: the ZRT_ENC_* it was read in (ISO-8859-1 reads as
                                      ZRT_ENC_NONE); NONE when kept as it was */
    int32_t guessed;               /* text: nonzero when the encoding was guessed */
    int32_t problem;               /* 0, or the ZRT_MAIL_* that kept the body as it was */
    const uint8_t* data;           /* text: UTF-8; attachment: decoded bytes; problem: as in the message */
    size_t length;
    const uint8_t* raw;            /* the body as it stands in the message (still transfer-encoded) */
    size_t rawLength;
} ZRT_MailPart;

typedef struct ZRT_MailHandler {
    uint32_t size;  /* sizeof(ZRT_MailHandler) */
    void* user;
    /* A message starts: its index in the input, its byte offset, and the
     * mbox "From " line (without its line break; NULL, 0 when none). */
    void (ZRT_CALL* message)(void* user, uint64_t index, uint64_t offset, const char* fromLine, size_t fromLen);
    /* A header field, its value decoded to UTF-8; `part` is nonzero for the
     * headers of a MIME part, zero for those of a message (or of a message
     * inside one, at depth > 0). */
    void (ZRT_CALL* header)(void* user, int32_t depth, int32_t part, const char* name, size_t nameLen,
                            const char* value, size_t valueLen);
    void (ZRT_CALL* part)(void* user, const ZRT_MailPart* part);
    /* A problem (ZRT_MAIL_*) at a byte offset of the input, with a short
     * UTF-8 description. */
    void (ZRT_CALL* issue)(void* user, int32_t kind, uint64_t offset, const char* detail);
} ZRT_MailHandler;

/* Reads one RFC 5322 message, or an mbox (input starting with "From "), in
 * full: headers decoded as ZRT_DecodeHeader does, bodies decoded by their
 * Content-Transfer-Encoding (7bit, 8bit, binary, base64, quoted-printable),
 * text parts converted from their charset (guessed when it is missing or
 * does not fit), multipart walked to any depth, message/rfc822 parts read
 * as messages. Every callback may be NULL. Returns the number of problems
 * met (0: everything decoded; ZRT_MAIL_GUESSED does not count), -2 for a
 * bad argument, -3 when out of memory. */
ZRT_API int64_t ZRT_CALL ZRT_ReadMail(const uint8_t* data, size_t len, const ZRT_MailHandler* handler);

#define ZRT_BODY_7BIT 0    /* ISO-2022-JP only: the body as it is (7-bit) */
#define ZRT_BODY_BASE64 1
#define ZRT_BODY_QP 2      /* quoted-printable */

typedef struct ZRT_MailEncodeOptions {
    uint32_t size;         /* sizeof(ZRT_MailEncodeOptions): set by ZRT_DefaultMailEncodeOptions */
    int32_t charset;       /* ZRT_ENC_JIS (default) or ZRT_ENC_UTF8 */
    int32_t body;          /* ZRT_BODY_* (default 7bit); UTF-8 needs base64 or quoted-printable */
    int32_t eol;           /* ZRT_EOL_CRLF (default) or ZRT_EOL_LF */
} ZRT_MailEncodeOptions;

ZRT_API void ZRT_CALL ZRT_DefaultMailEncodeOptions(ZRT_MailEncodeOptions* options);

/* A UTF-8 message (header fields, a blank line, a text body; a text with
 * no header section is all body) to one ready to send: fields encoded as
 * ZRT_EncodeHeader does (MIME-Version, Content-Type and
 * Content-Transfer-Encoding written anew), the body converted to the
 * charset and transfer-encoded, lines ending in the chosen line break.
 * Returns the length of the whole result, written as far as dstSize allows
 * (NUL-terminated when there is room); -1 when the text is not UTF-8 or
 * holds a character the charset lacks (*error says which; offset counts
 * bytes of the body, or characters of a field), -2 for a bad argument. */
ZRT_API int64_t ZRT_CALL ZRT_EncodeMail(const char* text, size_t len, const ZRT_MailEncodeOptions* options,
                                        char* dst, size_t dstSize, ZRT_Error* error);

#ifdef __cplusplus
}
#endif

#endif /* ZR_TEXT_H */
