/** @file zr_text.h
 * @brief Public C interface of ZR_Text: validated, streaming conversion
 * between the Japanese encodings, encoding guessing, kana width, the JIS /
 * code page 932 variant pairs and mail headers and messages.
 *
 * A library of its own beside ZR_Moji (`libzr_text` / `ZR_Text.dll`), built
 * on ZR_Moji's exports for the Windows mapping; a program links both.
 *
 * @par Texts and lengths
 * Code points are `uint32_t` (UTF-32). Byte buffers carry a length and may
 * hold NUL bytes; nothing is read past the length given. A NULL buffer is
 * accepted wherever its length is 0.
 *
 * @par Output
 * Nothing is ever written past the `dstSize` given, and nothing at all when
 * it is 0. The functions whose result is a length (the kana width ones,
 * ZRT_DecodeHeader(), ZRT_EncodeHeader() and ZRT_EncodeMail()) return the
 * length of the *whole* result even when only part of it fitted, so that a
 * call with `dst` NULL and `dstSize` 0 measures it.
 *
 * @par Threads
 * Every function may run on several threads at once, each on its own
 * converter and its own output buffers. A converter keeps state between
 * calls and must not be used by two threads at the same time.
 *
 * @par Example
 * @code{.c}
 * // "あい ABC" in Shift_JIS to UTF-8 in one call.
 * const uint8_t sjis[] = "\x82\xa0\x82\xa2 ABC";
 * ZRT_Converter* c = ZRT_Open(ZRT_ENC_SJIS, ZRT_ENC_UTF8, NULL);
 * assert(c != NULL);
 * uint8_t utf8[64];
 * size_t used = 0, written = 0;
 * int32_t r = ZRT_Convert(c, sjis, sizeof sjis - 1, &used, utf8, sizeof utf8, &written, 1);
 * assert(r == ZRT_OK && used == 8 && written == 10);
 * assert(memcmp(utf8, "\xe3\x81\x82\xe3\x81\x84 ABC", 10) == 0);
 * ZRT_Close(c);
 * @endcode
 */
#ifndef ZR_TEXT_H
#define ZR_TEXT_H

#include <stddef.h>
#include <stdint.h>

/** @def ZRT_CALL
 * Calling convention of the text functions: `__cdecl` on Windows, none
 * elsewhere.
 */
/** @def ZRT_API
 * Marks the text functions. On Windows they are imported from
 * `ZR_Text.dll` unless `ZR_TEXT_STATIC` is defined for the static library.
 */
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

/** @defgroup zr_text_names Encodings and their names
 * @brief The encoding ids (`ZRT_ENC_*`) and the names users type for them.
 *
 * Names are matched without regard to ASCII case. Each encoding has one
 * canonical name ("ascii", "utf-8", "utf-16le", "utf-16be", "utf-16",
 * "iso-2022-jp", "euc-jp", "shift_jis", "utf-7") and may have others
 * ("cp932", "ms932", "windows-31j", "sjis", "jis", "ujis", "utf8", ...).
 *
 * @code{.c}
 * assert(ZRT_EncodingFromName("Windows-31J") == ZRT_ENC_SJIS);
 * assert(strcmp(ZRT_EncodingName(ZRT_ENC_SJIS), "shift_jis") == 0);
 * assert(ZRT_EncodingFromName("latin-1") == ZRT_ENC_NONE);
 * for (int32_t i = 0; i < ZRT_NameCount(); ++i) {
 *     const char* name;
 *     const char* canonical;
 *     assert(ZRT_NameAt(i, &name, &canonical) == ZRT_EncodingFromName(name));
 * }
 * assert(ZRT_NameAt(ZRT_NameCount(), NULL, NULL) == ZRT_ENC_NONE);
 * @endcode
 * @{
 */

#define ZRT_ENC_NONE 0     /**< Unknown name; from a guess: nothing fits. */
#define ZRT_ENC_ASCII 1    /**< US-ASCII (7 bits). */
#define ZRT_ENC_UTF8 2     /**< UTF-8. */
#define ZRT_ENC_UTF16LE 3  /**< UTF-16, little-endian. */
#define ZRT_ENC_UTF16BE 4  /**< UTF-16, big-endian. */
#define ZRT_ENC_UTF16 5    /**< UTF-16 with a BOM. Input: the BOM decides, little-endian without one;
                              output: little-endian, always with a BOM. */
#define ZRT_ENC_JIS 6      /**< ISO-2022-JP. */
#define ZRT_ENC_EUCJP 7    /**< EUC-JP. */
#define ZRT_ENC_SJIS 8     /**< Shift_JIS as code page 932. */
#define ZRT_ENC_UTF7 9     /**< UTF-7. */
#define ZRT_ENC_COUNT 10   /**< One past the last id. */

/** The encoding a user-typed name stands for.
 * @param name a NUL-terminated name ("cp932", "EUC-JP", "utf8", ...),
 *        matched without regard to ASCII case; may be NULL.
 * @return the `ZRT_ENC_*` id, or ::ZRT_ENC_NONE when the name is unknown
 *         or NULL.
 */
ZRT_API int32_t ZRT_CALL ZRT_EncodingFromName(const char* name);
/** The canonical name of an encoding.
 * @param encoding a `ZRT_ENC_*` id.
 * @return a static lower-case string ("shift_jis", "euc-jp", ...), or NULL
 *         for ::ZRT_ENC_NONE and ids out of range.
 */
ZRT_API const char* ZRT_CALL ZRT_EncodingName(int32_t encoding);
/** How many names ZRT_NameAt() lists.
 * @return the number of accepted names, canonical ones included.
 */
ZRT_API int32_t ZRT_CALL ZRT_NameCount(void);
/** One of the accepted names, for listing them; the canonical name of each
 * encoding comes before its other names.
 * @param index 0 .. ZRT_NameCount()-1.
 * @param name gets the name (a static string); may be NULL.
 * @param canonical gets the canonical name of its encoding (static); may be
 *        NULL.
 * @return the encoding id the name stands for; ::ZRT_ENC_NONE when index is
 *         out of range.
 */
ZRT_API int32_t ZRT_CALL ZRT_NameAt(int32_t index, const char** name, const char** canonical);

/** @} */

/** @defgroup zr_text_convert Streaming conversion and validation
 * @brief A converter between any two `ZRT_ENC_*` encodings, fed in chunks
 * of any size, with a policy for malformed input and unmappable characters.
 *
 * A converter is opened for a pair of encodings and options
 * (ZRT_Open()), fed with ZRT_Convert() until a call with `last` nonzero
 * returns ::ZRT_OK, and closed with ZRT_Close(). Under
 * ::ZRT_ERRORS_STRICT it stops at the first error, which ZRT_GetError()
 * then describes; under the other policies errors are only counted
 * (ZRT_GetCounts()) and the first one kept. ZRT_Validate() checks a whole
 * buffer without converting it.
 *
 * @code{.c}
 * // The same text through a 4-byte output buffer: call again while
 * // ZRT_MORE_OUTPUT says output is waiting, with the input not yet taken.
 * const uint8_t sjis[] = "\x82\xa0\x82\xa2 ABC";
 * ZRT_Converter* c = ZRT_Open(ZRT_ENC_SJIS, ZRT_ENC_UTF8, NULL);
 * uint8_t small[4], all[64];
 * size_t total = 0, left = sizeof sjis - 1, used, written;
 * const uint8_t* p = sjis;
 * int32_t r;
 * do {
 *     r = ZRT_Convert(c, p, left, &used, small, sizeof small, &written, 1);
 *     memcpy(all + total, small, written);
 *     total += written;
 *     p += used;
 *     left -= used;
 * } while (r == ZRT_MORE_OUTPUT);
 * assert(r == ZRT_OK && left == 0 && total == 10);
 * assert(memcmp(all, "\xe3\x81\x82\xe3\x81\x84 ABC", 10) == 0);
 *
 * // Strict policy: 0x85 0x40 is no character of code page 932.
 * ZRT_Reset(c);
 * r = ZRT_Convert(c, (const uint8_t*)"A\x85\x40", 3, &used, all, sizeof all, &written, 1);
 * ZRT_Error e;
 * assert(r == ZRT_STOPPED && written == 1 && ZRT_GetError(c, &e) == 1);
 * assert(e.kind == ZRT_ERR_MALFORMED && e.offset == 1 && e.line == 1);
 * ZRT_Close(c);
 *
 * // A prefix that ends inside a character is valid; a whole text is not.
 * assert(ZRT_Validate(ZRT_ENC_UTF8, (const uint8_t*)"\xe3\x81", 2, 0, NULL) == 1);
 * assert(ZRT_Validate(ZRT_ENC_UTF8, (const uint8_t*)"\xe3\x81", 2, 1, &e) == 0);
 * assert(e.kind == ZRT_ERR_MALFORMED && e.offset == 0);
 * @endcode
 * @{
 */

#define ZRT_ERRORS_STRICT 0   /**< Stop at the first malformed or unmappable character. */
#define ZRT_ERRORS_REPLACE 1  /**< Write a replacement and go on. */
#define ZRT_ERRORS_SKIP 2     /**< Drop it and go on. */

#define ZRT_EOL_KEEP 0  /**< Line endings as they are. */
#define ZRT_EOL_LF 1    /**< Every line ending (CR LF, CR, LF) becomes LF. */
#define ZRT_EOL_CRLF 2  /**< Every line ending becomes CR LF. */
#define ZRT_EOL_CR 3    /**< Every line ending becomes CR. */

#define ZRT_HALFWIDTH_FULLWIDTH 0  /**< ISO-2022-JP output: half-width katakana become full-width. */
#define ZRT_HALFWIDTH_JISX0201 1   /**< ISO-2022-JP output: half-width katakana in ESC ( I runs. */

/** Options of a converter; fill with ZRT_DefaultOptions() and change what
 * differs. */
typedef struct ZRT_Options {
    uint32_t size;         /**< sizeof(ZRT_Options): set by ZRT_DefaultOptions(). */
    int32_t errors;        /**< `ZRT_ERRORS_*` (default strict). */
    uint32_t replacement;  /**< Replace policy: the character written instead of a lost one;
                              0 = U+FFFD for Unicode targets, '?' for the others.
                              One the target lacks falls back to that default. */
    int32_t eol;           /**< `ZRT_EOL_*` (default keep). */
    int32_t bom;           /**< Nonzero: write a BOM ahead of UTF-8 / UTF-16LE / UTF-16BE output. */
    int32_t halfwidth;     /**< `ZRT_HALFWIDTH_*` (default full-width). */
    int32_t exact;         /**< Nonzero: no variant-pair mapping towards Shift_JIS, EUC-JP
                              and ISO-2022-JP; U+301C etc. then are unmappable. */
} ZRT_Options;

/** Fills *options with the defaults: strict, no replacement given, line
 * endings kept, no BOM, half-width katakana made full-width, variant pairs
 * mapped; and sets its size.
 * @param options the options to fill; NULL is ignored.
 */
ZRT_API void ZRT_CALL ZRT_DefaultOptions(ZRT_Options* options);

/** An open converter; its layout is private. */
typedef struct ZRT_Converter ZRT_Converter;

#define ZRT_OK 0               /**< The input was taken and all output delivered. */
#define ZRT_MORE_OUTPUT 1      /**< dst is full: call again (srcLen 0 is fine) for the rest. */
#define ZRT_STOPPED (-1)       /**< Strict policy: stopped at an error, see ZRT_GetError(). */
#define ZRT_BAD_ARGUMENT (-2)  /**< A NULL pointer with a nonzero length, or no converter. */
#define ZRT_NO_MEMORY (-3)     /**< The output buffer could not grow; the converter is spent. */

#define ZRT_ERR_NONE 0        /**< No error. */
#define ZRT_ERR_MALFORMED 1   /**< Bytes no form of the input encoding allows, or cut short. */
#define ZRT_ERR_UNMAPPABLE 2  /**< A valid character the target encoding lacks. */

/** Where and what an error is. */
typedef struct ZRT_Error {
    int32_t kind;        /**< `ZRT_ERR_*`. */
    uint32_t codePoint;  /**< Unmappable: the character; malformed: 0. */
    uint64_t offset;     /**< Byte offset of the first offending byte in the input stream. */
    uint64_t line;       /**< 1-based input line holding it. */
    int32_t byteCount;   /**< Bytes stored in `bytes` (at most 16). */
    uint8_t bytes[16];   /**< The offending input bytes. */
} ZRT_Error;

/** Opens a converter.
 * @param from the input encoding, a `ZRT_ENC_*` other than ::ZRT_ENC_NONE.
 * @param to the output encoding, likewise.
 * @param options NULL for the defaults, or options whose `size` covers at
 *        least `errors` (fields past `size` take their defaults).
 * @return the converter, to be closed with ZRT_Close(); NULL when an
 *         encoding or an option is invalid, or memory is short.
 */
ZRT_API ZRT_Converter* ZRT_CALL ZRT_Open(int32_t from, int32_t to, const ZRT_Options* options);
/** Closes a converter and frees it.
 * @param converter from ZRT_Open(); NULL is ignored.
 */
ZRT_API void ZRT_CALL ZRT_Close(ZRT_Converter* converter);
/** Puts a converter back in the state after ZRT_Open(): shift state,
 * waiting output, counts and error cleared; a stopped converter converts
 * again.
 * @param converter from ZRT_Open(); NULL is ignored.
 */
ZRT_API void ZRT_CALL ZRT_Reset(ZRT_Converter* converter);

/** Feeds a chunk of input and takes output.
 *
 * The input may be split anywhere: a chunk may end inside a character or an
 * escape sequence, which the next chunk completes. Output is buffered inside
 * the converter for at most what one call's input yields, and handed out as
 * far as `dstSize` allows; input is not taken while output waits.
 *
 * @param converter from ZRT_Open().
 * @param src the next input bytes; may be NULL when srcLen is 0.
 * @param srcLen bytes at src.
 * @param srcUsed gets the bytes taken: all of them unless output was
 *        waiting or the converter stopped; for the call that met a strict
 *        error, the bytes before it. May be NULL.
 * @param dst receives output; may be NULL when dstSize is 0.
 * @param dstSize capacity of dst in bytes.
 * @param dstUsed gets the bytes written to dst. May be NULL.
 * @param last nonzero ends the stream: a sequence still open is cut short
 *        (an error), ISO-2022-JP output returns to ASCII. Pass the same
 *        value again while ::ZRT_MORE_OUTPUT comes back.
 * @return
 * - ::ZRT_OK: the input was taken and all output delivered;
 * - ::ZRT_MORE_OUTPUT: output is waiting; call again with the bytes not
 *   taken (src + *srcUsed) and the same `last`, until ::ZRT_OK;
 * - ::ZRT_STOPPED: strict policy, an error met. Returned once all output
 *   from before the error, closed as at the end of a text (ISO-2022-JP back
 *   in ASCII), has been delivered (::ZRT_MORE_OUTPUT until then). Further
 *   calls keep returning it until ZRT_Reset();
 * - ::ZRT_BAD_ARGUMENT: converter NULL, or src or dst NULL with a nonzero
 *   length; nothing is taken or written;
 * - ::ZRT_NO_MEMORY: the internal buffer could not grow; the converter is
 *   spent.
 *
 * *srcUsed and *dstUsed are set in every case (0 for a bad argument).
 *
 * @par Worst-case dstSize
 * None: waiting output stays in the converter, so any dstSize works, 0
 * included (that call only returns ::ZRT_MORE_OUTPUT while output waits).
 * A larger dst only saves calls.
 */
ZRT_API int32_t ZRT_CALL ZRT_Convert(ZRT_Converter* converter,
                                     const uint8_t* src, size_t srcLen, size_t* srcUsed,
                                     uint8_t* dst, size_t dstSize, size_t* dstUsed,
                                     int32_t last);

/** The first error a converter met: the one that stopped it under the
 * strict policy, or the first one replaced or skipped.
 * @param converter from ZRT_Open(); NULL reads as a converter with no error.
 * @param error gets the error; kind ::ZRT_ERR_NONE when there is none. May
 *        be NULL.
 * @return 1 when there is an error, 0 otherwise.
 */
ZRT_API int32_t ZRT_CALL ZRT_GetError(const ZRT_Converter* converter, ZRT_Error* error);
/** How many malformed sequences and unmappable characters a converter met
 * since it was opened or reset (replaced, skipped or stopped at).
 * @param converter from ZRT_Open(); NULL gives 0 for both.
 * @param malformed gets the malformed count; may be NULL.
 * @param unmappable gets the unmappable count; may be NULL.
 */
ZRT_API void ZRT_CALL ZRT_GetCounts(const ZRT_Converter* converter, uint64_t* malformed, uint64_t* unmappable);

/** Checks that a buffer is well formed in an encoding.
 * @param encoding a `ZRT_ENC_*` other than ::ZRT_ENC_NONE.
 * @param buf the bytes; may be NULL when len is 0.
 * @param len bytes at buf.
 * @param complete nonzero when buf is the whole text; zero when it is only
 *        a prefix, so that a sequence cut short at its end is not an error.
 * @param error gets the first malformed sequence (kind
 *        ::ZRT_ERR_MALFORMED, its offset, line and bytes), kind
 *        ::ZRT_ERR_NONE when valid; cleared for a bad argument. May be NULL.
 * @return 1 when valid, 0 when not, -1 for an invalid encoding or buf NULL
 *         with a nonzero len.
 */
ZRT_API int32_t ZRT_CALL ZRT_Validate(int32_t encoding, const uint8_t* buf, size_t len, int32_t complete,
                                      ZRT_Error* error);

/** @} */

/** @defgroup zr_text_guess Guessing the encoding
 * @brief Which encoding a buffer of bytes is most likely in.
 *
 * Every encoding under which the bytes are valid is a candidate; the one
 * whose reading looks most like Japanese text wins, and among equally
 * plausible ones the order of ZRT_GuessPreference() decides.
 *
 * @code{.c}
 * // "日本語のテキスト" in EUC-JP.
 * const uint8_t euc[] = "\xc6\xfc\xcb\xdc\xb8\xec\xa4\xce\xa5\xc6\xa5\xad\xa5\xb9\xa5\xc8";
 * ZRT_Guess g;
 * int32_t id = ZRT_GuessEncoding(euc, sizeof euc - 1, 1, &g);
 * assert(id == ZRT_ENC_EUCJP && g.encoding == id);
 * assert((g.fits & (1u << ZRT_ENC_EUCJP)) != 0 && g.eol == ZRT_EOLS_NONE);
 * // Plain ASCII fits several encodings; the preference picks ASCII.
 * assert(ZRT_GuessEncoding((const uint8_t*)"hello\r\n", 7, 1, &g) == ZRT_ENC_ASCII);
 * assert(g.ambiguous && g.eol == ZRT_EOLS_CRLF);
 * assert(ZRT_GuessPreference()[0] == ZRT_ENC_ASCII);
 * @endcode
 * @{
 */

#define ZRT_EOLS_NONE 0   /**< No line ending. */
#define ZRT_EOLS_LF 1     /**< LF only. */
#define ZRT_EOLS_CRLF 2   /**< CR LF only. */
#define ZRT_EOLS_CR 3     /**< CR only. */
#define ZRT_EOLS_MIXED 4  /**< More than one kind. */

/** What ZRT_GuessEncoding() found. */
typedef struct ZRT_Guess {
    int32_t encoding;   /**< The choice; ::ZRT_ENC_NONE when no encoding fits, or when
                           no valid reading looks like text (binary data). */
    int32_t ambiguous;  /**< Nonzero when others fitted as well (see `ties`) and the
                           preference order decided. */
    uint32_t fits;      /**< Bit (1u << id) per encoding under which the bytes are valid. */
    uint32_t ties;      /**< Bit per encoding as plausible as the choice (the choice included). */
    int32_t bom;        /**< Nonzero when the input starts with a BOM (UTF-8, UTF-16). */
    int32_t eol;        /**< `ZRT_EOLS_*`: the line endings seen. */
} ZRT_Guess;

/** Guesses the encoding of a buffer. ::ZRT_ENC_UTF16 is never chosen:
 * UTF-16 comes out as ::ZRT_ENC_UTF16LE or ::ZRT_ENC_UTF16BE.
 * @param buf the bytes; may be NULL when len is 0.
 * @param len bytes at buf.
 * @param complete nonzero when buf is the whole input; zero when it is a
 *        prefix of a longer one, so that a character cut at its end is not
 *        held against an encoding.
 * @param out gets the whole finding; may be NULL. buf NULL with a nonzero
 *        len gives an all-zero finding.
 * @return the chosen id (also in out->encoding); ::ZRT_ENC_NONE when
 *         nothing fits or the data look binary.
 */
ZRT_API int32_t ZRT_CALL ZRT_GuessEncoding(const uint8_t* buf, size_t len, int32_t complete, ZRT_Guess* out);
/** The preference among equally plausible encodings.
 * @return a static array of ids, best first (ASCII, UTF-8, Shift_JIS,
 *         EUC-JP, ISO-2022-JP, UTF-16LE, UTF-16BE, UTF-7), terminated by
 *         ::ZRT_ENC_NONE.
 */
ZRT_API const int32_t* ZRT_CALL ZRT_GuessPreference(void);

/** @} */

/** @defgroup zr_text_kana Kana width and variant pairs
 * @brief Half-width and full-width katakana, and the characters that JIS
 * and code page 932 map the same code to.
 *
 * @code{.c}
 * const uint32_t half[] = {0xFF76, 0xFF9E, 0x41};  // ｶﾞA
 * uint32_t full[3];
 * size_t n = ZRT_KanaToFullwidth(half, 3, full, 3);
 * assert(n == 2 && full[0] == 0x30AC && full[1] == 0x41);  // ガA
 * assert(ZRT_KanaToHalfwidth(full, 2, NULL, 0) == 3);
 * assert(ZRT_VariantToCp932(0x301C) == 0xFF5E && ZRT_VariantToJis(0xFF5E) == 0x301C);
 * @endcode
 * @{
 */

/** Half-width katakana (U+FF61..U+FF9F) to their full-width forms, a
 * voiced or semi-voiced mark combined with the kana before it where such a
 * character exists (U+FF76 U+FF9E -> U+30AC). Other code points are copied.
 * @param src the code points; NULL gives 0.
 * @param srcLen code points at src.
 * @param dst receives at most dstSize code points; may be NULL to measure.
 * @param dstSize capacity of dst in code points (taken as 0 when dst is
 *        NULL).
 * @return the length of the whole result in code points, even when only
 *         its first dstSize were written.
 * @par Worst-case dstSize
 * srcLen: the result is never longer than the input.
 */
ZRT_API size_t ZRT_CALL ZRT_KanaToFullwidth(const uint32_t* src, size_t srcLen, uint32_t* dst, size_t dstSize);
/** Full-width katakana that have a half-width form to it, a voiced or
 * semi-voiced one as two code points (U+30AC -> U+FF76 U+FF9E). Other code
 * points are copied.
 * @param src the code points; NULL gives 0.
 * @param srcLen code points at src.
 * @param dst receives at most dstSize code points; may be NULL to measure.
 * @param dstSize capacity of dst in code points (taken as 0 when dst is
 *        NULL).
 * @return the length of the whole result in code points, even when only
 *         its first dstSize were written.
 * @par Worst-case dstSize
 * 2 * srcLen.
 */
ZRT_API size_t ZRT_CALL ZRT_KanaToHalfwidth(const uint32_t* src, size_t srcLen, uint32_t* dst, size_t dstSize);

/** How many variant pairs ZRT_VariantPairAt() lists.
 * @return the number of pairs.
 */
ZRT_API int32_t ZRT_CALL ZRT_VariantPairCount(void);
/** One JIS / code page 932 variant pair: the character JIS-based tools use
 * (U+301C WAVE DASH, ...) and the code page 932 one with the same code
 * (U+FF5E).
 * @param index 0 .. ZRT_VariantPairCount()-1.
 * @param jisForm gets the JIS form; may be NULL.
 * @param cp932Form gets the code page 932 form; may be NULL.
 * @return 1, or 0 when index is out of range (nothing is written then).
 */
ZRT_API int32_t ZRT_CALL ZRT_VariantPairAt(int32_t index, uint32_t* jisForm, uint32_t* cp932Form);
/** The code page 932 form of a JIS-form character: the mapping converters
 * apply towards Shift_JIS, EUC-JP and ISO-2022-JP unless
 * ZRT_Options::exact is set.
 * @param codePoint any code point.
 * @return its code page 932 form; any other code point unchanged.
 */
ZRT_API uint32_t ZRT_CALL ZRT_VariantToCp932(uint32_t codePoint);
/** The JIS form of a code page 932-form character.
 * @param codePoint any code point.
 * @return its JIS form; any other code point unchanged.
 */
ZRT_API uint32_t ZRT_CALL ZRT_VariantToJis(uint32_t codePoint);

/** @} */

/** @defgroup zr_text_header Mail headers
 * @brief Header fields to UTF-8 and back (RFC 5322 folding, RFC 2047
 * encoded words).
 *
 * Both directions return the length of the whole result and write as much
 * of it as `dstSize` allows, with a NUL after it when there is room: a
 * result of dstSize or more did not fit.
 *
 * @code{.c}
 * const char* field = "Subject: =?ISO-2022-JP?B?GyRCJCIbKEI=?=";
 * char text[64];
 * size_t n = ZRT_DecodeHeader(field, strlen(field), text, sizeof text, NULL, NULL);
 * assert(n == 12 && strcmp(text, "Subject: \xe3\x81\x82") == 0);  // "Subject: あ"
 * char header[128];
 * int64_t m = ZRT_EncodeHeader(text, n, NULL, header, sizeof header, NULL);
 * assert(m == (int64_t)strlen(field) && strcmp(header, field) == 0);
 * @endcode
 * @{
 */

#define ZRT_HDR_UNKNOWN_CHARSET 1  /**< An encoded word in a charset not known here: kept as written. */
#define ZRT_HDR_MALFORMED_WORD 2   /**< An encoded word that does not decode: kept as written. */
#define ZRT_HDR_RAW_GUESSED 3      /**< Unencoded 8-bit or escape-coded text, read in a guessed encoding. */
#define ZRT_HDR_RAW_UNREADABLE 4   /**< Unencoded text no encoding reads: U+FFFD for what does not. */

/** Told by ZRT_DecodeHeader() of a piece it could not decode as such; the
 * piece is kept as written (or read as said). Called once per problem;
 * `kind` is a `ZRT_HDR_*`, offset and length are in bytes of src. */
typedef void (ZRT_CALL* ZRT_HeaderIssueFn)(void* user, int32_t kind, size_t offset, size_t length);

/** Decodes a header field ("Subject: ...") or its value, folded or not, to
 * UTF-8: a line break followed by white space is removed, encoded words
 * (B and Q, RFC 2231 language suffixes) are decoded, white space between
 * two adjacent encoded words is dropped and kept elsewhere. Charsets:
 * ISO-2022-JP, Shift_JIS / cp932 / Windows-31J, EUC-JP, UTF-8, UTF-7,
 * US-ASCII, ISO-8859-1 (names without regard to case).
 * @param src the header text; may be NULL when srcLen is 0.
 * @param srcLen bytes at src.
 * @param dst receives the UTF-8 result, NUL-terminated when there is room;
 *        may be NULL when dstSize is 0.
 * @param dstSize capacity of dst in bytes.
 * @param fn hears of every piece kept as written or guessed; may be NULL.
 * @param user passed to fn.
 * @return the length of the whole result in bytes, without the NUL; 0 for
 *         src or dst NULL with a nonzero length, or when memory is short.
 * @par Worst-case dstSize
 * The result of a call with dst NULL and dstSize 0, plus 1 for the NUL.
 */
ZRT_API size_t ZRT_CALL ZRT_DecodeHeader(const char* src, size_t srcLen, char* dst, size_t dstSize,
                                         ZRT_HeaderIssueFn fn, void* user);

/** Options of ZRT_EncodeHeader(); fill with ZRT_DefaultHeaderOptions(). */
typedef struct ZRT_HeaderOptions {
    uint32_t size;    /**< sizeof(ZRT_HeaderOptions): set by ZRT_DefaultHeaderOptions(). */
    int32_t charset;  /**< ::ZRT_ENC_JIS (default), ::ZRT_ENC_UTF8, ::ZRT_ENC_SJIS or ::ZRT_ENC_EUCJP. */
    int32_t q;        /**< Nonzero: Q encoding; default B. */
    int32_t eol;      /**< Folds: ::ZRT_EOL_CRLF (default) or ::ZRT_EOL_LF. */
    int32_t field;    /**< Nonzero (default): text that starts "Name:" keeps the name as written. */
} ZRT_HeaderOptions;

/** Fills *options with the defaults (ISO-2022-JP, B encoding, CR LF folds,
 * field names kept) and sets its size.
 * @param options the options to fill; NULL is ignored.
 */
ZRT_API void ZRT_CALL ZRT_DefaultHeaderOptions(ZRT_HeaderOptions* options);

/** UTF-8 text (a field "Subject: ..." or a value) to a header: the words
 * that need it become encoded words of at most 75 characters, each whole in
 * itself (an ISO-2022-JP word ends in ASCII, no character is split), on
 * lines of at most 76 characters where the text allows, folded with the
 * chosen line break and one space. ASCII stays as it is; half-width
 * katakana become full-width in ISO-2022-JP. No line break is written after
 * the last line.
 * @param text the UTF-8 text; may be NULL when len is 0.
 * @param len bytes at text.
 * @param options NULL for the defaults, or options of their full size.
 * @param dst receives the header, NUL-terminated when there is room; may be
 *        NULL when dstSize is 0.
 * @param dstSize capacity of dst in bytes.
 * @param error on -1, says which character (codePoint, offset in
 *        characters); may be NULL.
 * @return the length of the whole result in bytes, without the NUL; -1
 *         (::ZRT_STOPPED) when the text is not UTF-8 or holds a character
 *         the charset lacks, nothing written then; -2 (::ZRT_BAD_ARGUMENT)
 *         for a NULL pointer with a nonzero length or an invalid option; -3
 *         (::ZRT_NO_MEMORY) when memory is short.
 * @par Worst-case dstSize
 * The result of a call with dst NULL and dstSize 0, plus 1 for the NUL.
 */
ZRT_API int64_t ZRT_CALL ZRT_EncodeHeader(const char* text, size_t len, const ZRT_HeaderOptions* options,
                                          char* dst, size_t dstSize, ZRT_Error* error);

/** @} */

/** @defgroup zr_text_mail Mail messages
 * @brief Whole messages and mbox files read to UTF-8, and UTF-8 messages
 * encoded for sending.
 *
 * @code{.c}
 * const char* text = "Subject: \xe3\x81\x82\n\n\xe3\x81\x82\n";  // "Subject: あ", body "あ"
 * ZRT_MailEncodeOptions o;
 * ZRT_DefaultMailEncodeOptions(&o);
 * o.eol = ZRT_EOL_LF;
 * int64_t n = ZRT_EncodeMail(text, strlen(text), &o, NULL, 0, NULL);
 * assert(n > 0);
 * char* mail = malloc((size_t)n + 1);
 * assert(ZRT_EncodeMail(text, strlen(text), &o, mail, (size_t)n + 1, NULL) == n);
 * assert(strstr(mail, "Subject: =?ISO-2022-JP?B?GyRCJCIbKEI=?=\n") != NULL);
 * assert(strstr(mail, "\n\n\x1b$B$\"\x1b(B\n") != NULL);  // the body, 7-bit ISO-2022-JP
 * // Read back: no problem met.
 * assert(ZRT_ReadMail((const uint8_t*)mail, (size_t)n, NULL) == 0);
 * free(mail);
 * @endcode
 * @{
 */

#define ZRT_PART_TEXT 1        /**< A text part: its body converted to UTF-8. */
#define ZRT_PART_ATTACHMENT 2  /**< Any other leaf part: its body decoded to bytes. */

/* Problems the message reader reports (the piece concerned is kept as it
 * was in the message, never dropped). */
#define ZRT_MAIL_HEADER_WORD 1     /**< A header's encoded word kept as written. */
#define ZRT_MAIL_BAD_TRANSFER 2    /**< A body that its Content-Transfer-Encoding does not decode. */
#define ZRT_MAIL_UNREADABLE_TEXT 3 /**< A text body no encoding reads. */
#define ZRT_MAIL_NO_END 4          /**< A multipart body whose boundary never closes it. */
#define ZRT_MAIL_GUESSED 5         /**< Notice only: a text part's charset was missing or wrong, guessed. */

/** A leaf part of a message, as ZRT_MailHandler::part hears of it. The
 * pointers are valid during the callback only. */
typedef struct ZRT_MailPart {
    int32_t kind;                  /**< `ZRT_PART_*`. */
    int32_t depth;                 /**< 0: the message's own body; 1: a part of it, ... */
    const char* contentType;       /**< Lower case, "text/plain" when the part names none. */
    const char* charset;           /**< The charset parameter as written, "" when none. */
    const char* transferEncoding;  /**< Lower case, "7bit" when none. */
    const char* filename;          /**< UTF-8, from RFC 2231 or RFC 2047 parameters; "" when none. */
    int32_t encoding;              /**< Text: the `ZRT_ENC_*` it was read in (ISO-8859-1 reads as
                                      ::ZRT_ENC_NONE); NONE when kept as it was. */
    int32_t guessed;               /**< Text: nonzero when the encoding was guessed. */
    int32_t problem;               /**< 0, or the `ZRT_MAIL_*` that kept the body as it was. */
    const uint8_t* data;           /**< Text: UTF-8; attachment: decoded bytes; problem: as in the message. */
    size_t length;                 /**< Bytes at data. */
    const uint8_t* raw;            /**< The body as it stands in the message (still transfer-encoded). */
    size_t rawLength;              /**< Bytes at raw. */
} ZRT_MailPart;

/** The callbacks of ZRT_ReadMail(); each may be NULL. */
typedef struct ZRT_MailHandler {
    uint32_t size;  /**< sizeof(ZRT_MailHandler). */
    void* user;     /**< Passed to every callback. */
    /** A message starts: its index in the input, its byte offset, and the
     * mbox "From " line (without its line break; NULL, 0 when none). */
    void (ZRT_CALL* message)(void* user, uint64_t index, uint64_t offset, const char* fromLine, size_t fromLen);
    /** A header field, its value decoded to UTF-8; `part` is nonzero for the
     * headers of a MIME part, zero for those of a message (or of a message
     * inside one, at depth > 0). */
    void (ZRT_CALL* header)(void* user, int32_t depth, int32_t part, const char* name, size_t nameLen,
                            const char* value, size_t valueLen);
    /** A leaf part, decoded. */
    void (ZRT_CALL* part)(void* user, const ZRT_MailPart* part);
    /** A problem (`ZRT_MAIL_*`) at a byte offset of the input, with a short
     * UTF-8 description. */
    void (ZRT_CALL* issue)(void* user, int32_t kind, uint64_t offset, const char* detail);
} ZRT_MailHandler;

/** Reads one RFC 5322 message, or an mbox (input starting with "From "), in
 * full: headers decoded as ZRT_DecodeHeader() does, bodies decoded by their
 * Content-Transfer-Encoding (7bit, 8bit, binary, base64, quoted-printable),
 * text parts converted from their charset (guessed when it is missing or
 * does not fit), multipart walked to any depth, message/rfc822 parts read
 * as messages.
 * @param data the message or mbox; may be NULL when len is 0.
 * @param len bytes at data.
 * @param handler the callbacks, with `size` set; NULL to only count
 *        problems.
 * @return the number of problems met (0: everything decoded;
 *         ::ZRT_MAIL_GUESSED does not count); -2 (::ZRT_BAD_ARGUMENT) for
 *         data NULL with a nonzero len or a handler whose size is too
 *         small; -3 (::ZRT_NO_MEMORY) when memory is short.
 */
ZRT_API int64_t ZRT_CALL ZRT_ReadMail(const uint8_t* data, size_t len, const ZRT_MailHandler* handler);

#define ZRT_BODY_7BIT 0    /**< ISO-2022-JP only: the body as it is (7-bit). */
#define ZRT_BODY_BASE64 1  /**< Base64. */
#define ZRT_BODY_QP 2      /**< Quoted-printable. */

/** Options of ZRT_EncodeMail(); fill with ZRT_DefaultMailEncodeOptions(). */
typedef struct ZRT_MailEncodeOptions {
    uint32_t size;         /**< sizeof(ZRT_MailEncodeOptions): set by ZRT_DefaultMailEncodeOptions(). */
    int32_t charset;       /**< ::ZRT_ENC_JIS (default) or ::ZRT_ENC_UTF8. */
    int32_t body;          /**< `ZRT_BODY_*` (default 7bit); UTF-8 needs base64 or quoted-printable. */
    int32_t eol;           /**< ::ZRT_EOL_CRLF (default) or ::ZRT_EOL_LF. */
} ZRT_MailEncodeOptions;

/** Fills *options with the defaults (ISO-2022-JP, 7bit body, CR LF) and
 * sets its size.
 * @param options the options to fill; NULL is ignored.
 */
ZRT_API void ZRT_CALL ZRT_DefaultMailEncodeOptions(ZRT_MailEncodeOptions* options);

/** A UTF-8 message (header fields, a blank line, a text body; a text with
 * no header section is all body) to one ready to send: fields encoded as
 * ZRT_EncodeHeader() does (MIME-Version, Content-Type and
 * Content-Transfer-Encoding written anew), the body converted to the
 * charset and transfer-encoded, lines ending in the chosen line break.
 * @param text the UTF-8 message; may be NULL when len is 0.
 * @param len bytes at text.
 * @param options NULL for the defaults, or options of their full size.
 * @param dst receives the message, NUL-terminated when there is room; may
 *        be NULL when dstSize is 0.
 * @param dstSize capacity of dst in bytes.
 * @param error on -1, says which character (codePoint; offset counts bytes
 *        of the body, or characters of a field); may be NULL.
 * @return the length of the whole result in bytes, without the NUL; -1
 *         (::ZRT_STOPPED) when the text is not UTF-8 or holds a character
 *         the charset lacks, nothing written then; -2 (::ZRT_BAD_ARGUMENT)
 *         for a NULL pointer with a nonzero length or an invalid option
 *         (UTF-8 with a 7bit body among them); -3 (::ZRT_NO_MEMORY) when
 *         memory is short.
 * @par Worst-case dstSize
 * The result of a call with dst NULL and dstSize 0, plus 1 for the NUL.
 */
ZRT_API int64_t ZRT_CALL ZRT_EncodeMail(const char* text, size_t len, const ZRT_MailEncodeOptions* options,
                                        char* dst, size_t dstSize, ZRT_Error* error);

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* ZR_TEXT_H */
