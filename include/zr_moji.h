/** @file zr_moji.h
 * @brief Public C interface of ZR_Moji, Japanese character-code conversions.
 *
 * Every export is a plain C function with an undecorated name (`__stdcall`
 * on 32-bit Windows). The rules below hold for every export unless its own
 * documentation says otherwise.
 *
 * @par Texts
 * Byte strings (Shift_JIS, ISO-2022-JP called JIS here, EUC-JP, UTF-8,
 * UTF-7, EBCDIC, Base64, Quoted-Printable, URLs) are NUL-terminated 8-bit
 * text. UTF-16 strings are ::ZR_WCHAR units in host order ending with a zero
 * unit; export names say `Unicode` for them, and a `W` suffix marks an
 * export whose caller-side text is UTF-16, an `A` suffix one whose
 * caller-side text is Shift_JIS (Windows code page 932). Shift_JIS means
 * code page 932 everywhere, with its NEC and IBM extensions. Its characters
 * with a lead byte 0xF0..0xFC (the user-defined area 0xF0..0xF9 and the IBM
 * extensions 0xFA..0xFC) have no ISO-2022-JP form; they are called
 * user-defined characters below.
 *
 * @par Lengths and sizes
 * In the sizing formulas, n is the length of `src` without its terminator:
 * bytes for a byte string, 16-bit units for a UTF-16 string. `dstSize` is
 * the capacity of `dst` in its own units: bytes when `dst` is a byte string,
 * 16-bit units when it is UTF-16. ceil(x) and floor(x) round up and down.
 *
 * @par Results
 * Results are 32-bit signed integers:
 * - a positive value is the output length: for byte-string output the bytes
 *   before the NUL; for UTF-16 output from a conversion, the units written
 *   *including* the terminating zero unit;
 * - 0 means "did not fit": the output with its terminator does not fit in
 *   `dstSize`; some exports also give 0 when the text converts to nothing;
 * - -1 means the input was refused: empty, longer than `dstSize` where the
 *   export checks it, a character the export cannot convert where it says
 *   so, a buffer that is too small for the MIME and URL coders, or scratch
 *   memory that could not be had.
 *
 * @par Caller errors
 * A null pointer or a negative `dstSize` gives -1 (0 from the character and
 * URL tests, ::ZR_ENCODE_NONE from the encode-type detection) and touches
 * nothing. Nothing is ever written outside the first `dstSize` units of
 * `dst` (nothing at all when `dstSize` is 0), and nothing is read past a
 * terminator. `dst` must not overlap `src`.
 *
 * @par Zero-filling
 * "Zero-filled" below means that the first `dstSize` **bytes** of `dst` end
 * up zero wherever the output does not cover them. The count is in bytes
 * even where `dst` is UTF-16, so for UTF-16 output only the first half of
 * the units is cleared. Exports that clear only the first unit, or nothing,
 * say so.
 *
 * @par Scratch memory
 * Conversions in two steps take a scratch buffer per call and release it
 * before they return. When it cannot be had the result is -1, and `dst` is
 * as described for that export's refusals.
 *
 * @par Threads
 * The library starts no threads and keeps no state between calls. Every
 * export may run on any number of threads at once, each call on its own
 * `dst`, except where noted: the code-table loaders report their outcome
 * through one process-wide error code and line (see ZR_CodeTableInitW()).
 *
 * @par Example
 * @code{.c}
 * ZR_WCHAR wide[64];
 * int32_t n = ZR_SJisToUnicode("\x82\xa0", wide, 64);
 * assert(n == 2 && wide[0] == 0x3042 && wide[1] == 0);  // U+3042 and the zero unit
 * char jis[64];
 * int32_t m = ZR_SJisToJis("\x88\x9f" "A", jis, sizeof jis);
 * assert(m == 9 && strcmp(jis, "\x1b$B0!\x1b(BA") == 0);
 * @endcode
 */
#ifndef ZR_MOJI_H
#define ZR_MOJI_H

#include <stdint.h>

/** @def ZR_CALL
 * Calling convention of the exports: `__stdcall` on Windows, none elsewhere.
 */
/** @def ZR_API
 * Marks the exports. On Windows they are imported from `ZR_Moji.dll` unless
 * `ZR_MOJI_STATIC` is defined for the static library.
 */
/** @typedef ZR_WCHAR
 * One UTF-16 code unit: `wchar_t` on Windows, `char16_t` in C++ and
 * `uint16_t` in C elsewhere, all 16 bits wide.
 */
#if defined(_WIN32)
#  include <wchar.h>
#  define ZR_CALL __stdcall
#  if defined(ZR_MOJI_BUILD)
#    define ZR_API __declspec(dllexport)
#  elif defined(ZR_MOJI_STATIC)
#    define ZR_API
#  else
#    define ZR_API __declspec(dllimport)
#  endif
typedef wchar_t ZR_WCHAR;
#else
#  define ZR_CALL
#  if defined(ZR_MOJI_BUILD)
#    define ZR_API __attribute__((visibility("default")))
#  else
#    define ZR_API
#  endif
#  if defined(__cplusplus)
typedef char16_t ZR_WCHAR;
#  else
typedef uint16_t ZR_WCHAR;
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** @defgroup zr_constants Constants
 * @brief Encode types, EBCDIC table selectors and code-table load errors.
 * @{
 */

/* Encode types of the URL family. */
#define ZR_ENCODE_NONE (-1) /**< No encoding recognised (URL detection). */
#define ZR_ENCODE_JIS 0     /**< ISO-2022-JP. */
#define ZR_ENCODE_SJIS 1    /**< Shift_JIS (code page 932). */
#define ZR_ENCODE_EUC 2     /**< EUC-JP. */
#define ZR_ENCODE_UTF8 3    /**< UTF-8. */

/* EBCDIC table selectors. */
#define ZR_EBCDIC_TABLE_400 0x400  /**< EBCDIC with lowercase letters (code page 500 in the ASCII range). */
#define ZR_EBCDIC_TABLE_KANA 0x500 /**< EBCDIC with half-width katakana and no lowercase letters. */
#define ZR_EBCDIC_TABLE_600 0x600  /**< The same cells as ::ZR_EBCDIC_TABLE_400. */

/* Code-table load errors, read with ZR_CodeTableError(). */
#define ZR_CODETABLE_OK 0             /**< no error */
#define ZR_CODETABLE_BAD_DIRECTION 1  /**< direction neither 0 nor 1 */
#define ZR_CODETABLE_OPEN_FAILED 2    /**< the text file cannot be opened */
#define ZR_CODETABLE_NO_TEMP_NAME 3   /**< no temporary file name */
#define ZR_CODETABLE_READ_FAILED 4    /**< the text file reported a read error */
#define ZR_CODETABLE_WRITE_FAILED 5   /**< write or seek on the temporary file failed */
#define ZR_CODETABLE_BAD_LINE 6       /**< a line without exactly three fields */
#define ZR_CODETABLE_EMPTY 7          /**< the file yielded no record */
#define ZR_CODETABLE_MAP_FAILED 8     /**< the temporary file cannot be reopened or mapped */

/** Opaque handle of a loaded code table (see ZR_CodeTableInitW()). */
typedef struct CodeTable CodeTable;

/** @} */

/** @defgroup zr_sjis Shift_JIS and UTF-16
 * @brief Code page 932 to UTF-16 and back, and the Shift_JIS double-byte test.
 *
 * The mapping is that of code page 932 as published, best-fit entries
 * included. Malformed Shift_JIS never fails: a lead byte with a byte that
 * does not complete a character becomes one U+30FB, and that byte goes with
 * it even when it is ASCII (0x82 0x30 gives U+30FB alone); a lead byte right
 * before the terminator gives U+30FB. A UTF-16 character without a code page
 * 932 form becomes `?` and does not fail either.
 *
 * @code{.c}
 * ZR_WCHAR wide[8];
 * int32_t n = ZR_SJisToUnicode("\x82\xa0" "A", wide, 8);
 * assert(n == 3 && wide[0] == 0x3042 && wide[1] == 'A' && wide[2] == 0);
 * char sjis[8];
 * n = ZR_UnicodeToSJis(wide, sjis, sizeof sjis);
 * assert(n == 3 && strcmp(sjis, "\x82\xa0" "A") == 0);
 * n = ZR_UnicodeToSJis(wide, sjis, 3);  // 3 bytes and the NUL do not fit in 3
 * assert(n == 0);
 * assert(ZR_IsMultiByteChar("\x82\xa0") == 1 && ZR_IsMultiByteChar("\xb1" "A") == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Converts Shift_JIS (code page 932) to UTF-16.
 *
 * Writes the UTF-16 form of all of `src` and its terminating zero unit.
 * Only the first unit of `dst` is cleared beforehand; the rest of `dst` is
 * not zero-filled. The length of `src` is not compared with `dstSize`.
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     UTF-16 output.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return the units written, terminating zero unit included (`"A"` gives 2).
 * @retval 0  the text with its zero unit does not fit in `dstSize` units
 *            (always when `dstSize` is 0); `dst` may then hold part of the
 *            text without a terminator.
 * @retval -1 `src` is empty; `dst[0]` is 0.
 * @par Worst-case dstSize
 * n + 1 units: no byte gives more than one unit. Tight for ASCII.
 */
ZR_API int32_t ZR_CALL ZR_SJisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Converts UTF-16 to Shift_JIS (code page 932).
 *
 * A character without a code page 932 form becomes `?` (0x3F), a surrogate
 * pair `??`. On success the text is followed by zeros up to `dstSize` bytes.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Shift_JIS output.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the Shift_JIS text in bytes, NUL excluded.
 * @retval 0  the text with its NUL does not fit in `dstSize` bytes (always
 *            when `dstSize` is 0); `dst` then holds as much of the text as
 *            fitted, possibly without a NUL: do not use it.
 * @retval -1 `src` is empty; `dst` is zero-filled.
 * @par Worst-case dstSize
 * 2n + 1 bytes: no unit gives more than two bytes. Tight for kanji and kana.
 */
ZR_API int32_t ZR_CALL ZR_UnicodeToSJis(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Tells whether two bytes form a Shift_JIS double-byte character.
 *
 * A lead byte is 0x81..0x9F or 0xE0..0xFC, a trail byte 0x40..0x7E or
 * 0x80..0xFC. The test knows no context: a caller scanning a text starts at
 * its first byte and steps two bytes past every accepted pair and one byte
 * otherwise. The second byte is read only when the first is a lead byte.
 *
 * @param p pointer to the first byte of the candidate pair.
 * @return 1 when `p[0]` is a lead byte and `p[1]` a trail byte, else 0
 *         (also for a lead byte followed by NUL, for a half-width katakana
 *         0xA1..0xDF, and for a null `p`).
 */
ZR_API int32_t ZR_CALL ZR_IsMultiByteChar(const char* p);

/** @} */

/** @defgroup zr_jis JIS (ISO-2022-JP) and Shift_JIS
 * @brief ISO-2022-JP to Shift_JIS and back.
 *
 * Read as switching into double-byte mode: ESC $ @, ESC $ B, ESC & @ ESC $ B
 * and ESC $ ( D. Read as switching back: ESC ( B, ESC ( J and ESC ( I (after
 * which bytes are copied unchanged, not turned into half-width katakana).
 * Only one escape is taken at a position: an escape right after another is
 * data of the new mode. Written: ESC $ B and ESC ( B. Shift-in and shift-out
 * (0x0F, 0x0E) are ordinary bytes.
 *
 * Both exports zero-fill `dst` and refuse an empty `src` or one longer than
 * `dstSize` bytes with -1 (`dst` zero-filled).
 *
 * @code{.c}
 * char jis[16];
 * int32_t n = ZR_SJisToJis("\x88\x9f" "A", jis, sizeof jis);
 * assert(n == 9 && strcmp(jis, "\x1b$B0!\x1b(BA") == 0);  // ESC $ B 0 ! ESC ( B A
 * char sjis[16];
 * n = ZR_JisToSJis(jis, sjis, sizeof sjis);
 * assert(n == 3 && strcmp(sjis, "\x88\x9f" "A") == 0);
 * n = ZR_SJisToJis("A\xf0\x40", jis, sizeof jis);  // lead byte 0xF0: no JIS form
 * assert(n == -1 && strcmp(jis, "A\x1b$B") == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Converts JIS (ISO-2022-JP) to Shift_JIS.
 *
 * In double-byte mode each pair of 0x21..0x7E becomes its Shift_JIS form;
 * any other pair (CR LF inside a kanji run, an odd last byte with the NUL)
 * is copied unchanged. An escape as the last bytes of the text ends it. A
 * pair that yields a zero byte ends the text there.
 *
 * @param src     NUL-terminated JIS text.
 * @param dst     Shift_JIS output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the Shift_JIS text in bytes, NUL excluded.
 * @retval 0  the text with its NUL does not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize` bytes; `dst` is
 *            zero-filled.
 * @par Worst-case dstSize
 * n + 1 bytes: the output is never longer than the input. Tight for ASCII
 * (n = `dstSize` gives 0).
 */
ZR_API int32_t ZR_CALL ZR_JisToSJis(const char* src, char* dst, int32_t dstSize);

/** Converts Shift_JIS to JIS (ISO-2022-JP).
 *
 * Each run of double-byte characters is put between ESC $ B and ESC ( B, and
 * a run at the end of the text is closed. Bytes that start no valid pair
 * (half-width katakana 0xA1..0xDF, 0x80, 0xA0, 0xFD..0xFF, a lead byte
 * without a trail byte) are copied unchanged, so the output is then not
 * 7-bit. A user-defined character (lead byte 0xF0..0xFC) has no
 * JIS form: the conversion stops there.
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     JIS output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the JIS text in bytes, NUL excluded.
 * @retval 0  the text with its NUL does not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize` bytes (`dst`
 *            zero-filled), or it holds a user-defined character reached
 *            within the room: `dst` then holds the JIS text before that
 *            character, NUL-terminated, with the ESC $ B that would open its
 *            run when that fits, and no closing escape.
 * @par Worst-case dstSize
 * 3n + 3 bytes: every switch of mode adds three bytes. Reached by texts of
 * n = 3k + 2 bytes alternating one double-byte character and one single
 * byte (`"\x82\xa0"` needs 9).
 */
ZR_API int32_t ZR_CALL ZR_SJisToJis(const char* src, char* dst, int32_t dstSize);

/** @} */

/** @defgroup zr_euc EUC-JP
 * @brief EUC-JP to and from JIS and Shift_JIS, and the EUC-JP byte test.
 *
 * EUC-JP as read here: a byte below 0x80 is one character; a byte of 0x80
 * or more starts a two-byte unit with whatever byte follows (an odd last
 * byte takes the terminator as its partner). The single shifts 0x8E and 0x8F
 * get no treatment of their own. EUC-JP and JIS pairs differ by 0x80 in
 * each byte. Half-width katakana of Shift_JIS become single bytes 0xA1..0xDF
 * in EUC-JP, without 0x8E.
 *
 * @code{.c}
 * char euc[16], jis[16], sjis[16];
 * int32_t n = ZR_SJisToEuc("\x88\x9f" "A", euc, sizeof euc);
 * assert(n == 3 && strcmp(euc, "\xb0\xa1" "A") == 0);
 * n = ZR_EucToJis(euc, jis, sizeof jis);
 * assert(n == 9 && strcmp(jis, "\x1b$@0!\x1b(BA") == 0);  // ESC $ @ 0 ! ESC ( B A
 * n = ZR_EucToSJis(euc, sjis, sizeof sjis);
 * assert(n == 3 && strcmp(sjis, "\x88\x9f" "A") == 0);
 * assert(ZR_IsEucJpChar("\xb1") == 1);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Converts EUC-JP to JIS (ISO-2022-JP).
 *
 * Each run of two-byte units is opened with ESC $ @ (not ESC $ B) and, when
 * a single byte follows, closed with ESC ( B; a run at the end of the text is
 * not closed. A unit whose JIS form holds a zero byte (0x80 0x80) ends the
 * text there. Needs no scratch memory.
 *
 * @param src     NUL-terminated EUC-JP text.
 * @param dst     JIS output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the JIS text in bytes, NUL excluded (0x80 0x80
 *         gives ESC $ @ alone, 3).
 * @retval 0  the text with its NUL does not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize` bytes; `dst` is
 *            zero-filled.
 * @par Worst-case dstSize
 * 3n + 3 bytes. Reached by a lone high byte (`"\xb0"` gives ESC $ @ 0x30
 * 0x80 and needs 6) and by texts of n = 3k + 1 bytes of alternating units
 * and single bytes ending in a lone high byte.
 */
ZR_API int32_t ZR_CALL ZR_EucToJis(const char* src, char* dst, int32_t dstSize);

/** Converts JIS (ISO-2022-JP) to EUC-JP.
 *
 * Every escape listed for ZR_JisToSJis() is read. In double-byte mode each
 * pair is raised by 0x80 in both bytes, whatever its value (no 0x8F is
 * added after ESC $ ( D); after ESC ( I bytes are copied unchanged (no 0x8E
 * is added). An odd last byte X in double-byte mode gives X + 0x80 and 0x80.
 * An escape as the last bytes of the text ends it.
 *
 * @param src     NUL-terminated JIS text.
 * @param dst     EUC-JP output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the EUC-JP text in bytes, NUL excluded.
 * @retval 0  the text with its NUL does not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize` bytes; `dst` is
 *            zero-filled.
 * @par Worst-case dstSize
 * n + 1 bytes: the output is never longer than the input. Tight for ASCII.
 */
ZR_API int32_t ZR_CALL ZR_JisToEuc(const char* src, char* dst, int32_t dstSize);

/** Converts EUC-JP to Shift_JIS, by way of the JIS text of ZR_EucToJis().
 *
 * @param src     NUL-terminated EUC-JP text.
 * @param dst     Shift_JIS output; zero-filled.
 * @param dstSize capacity of `dst` in bytes; it bounds the intermediate JIS
 *                text too.
 * @return the length of the Shift_JIS text in bytes, NUL excluded (0 when
 *         the text converts to nothing).
 * @retval 0  the JIS text (escapes included) with its NUL does not fit in
 *            `dstSize` bytes; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize` bytes, or no scratch
 *            memory; `dst` is zero-filled.
 * @par Worst-case dstSize
 * 3n + 3 bytes, for the JIS text, although the Shift_JIS text is never longer
 * than n bytes. Reached as for ZR_EucToJis().
 */
ZR_API int32_t ZR_CALL ZR_EucToSJis(const char* src, char* dst, int32_t dstSize);

/** Converts Shift_JIS to EUC-JP, by way of the JIS text of ZR_SJisToJis().
 *
 * `dst` is not touched unless the conversion succeeds; on success the text
 * is followed by zeros up to `dstSize` bytes.
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     EUC-JP output.
 * @param dstSize capacity of `dst` in bytes; it bounds the intermediate JIS
 *                text too.
 * @return the length of the EUC-JP text in bytes, NUL excluded.
 * @retval 0  the JIS text (escapes included) with its NUL does not fit;
 *            `dst` is untouched.
 * @retval -1 `src` is empty or longer than `dstSize` bytes, it holds a
 *            user-defined character (lead byte 0xF0..0xFC), or
 *            no scratch memory; `dst` is untouched.
 * @par Worst-case dstSize
 * 3n + 3 bytes, for the JIS text, although the EUC-JP text is never longer
 * than n bytes. Reached as for ZR_SJisToJis().
 */
ZR_API int32_t ZR_CALL ZR_SJisToEuc(const char* src, char* dst, int32_t dstSize);

/** Tests one byte for the range 0xA1..0xDF.
 *
 * This is the range that the URL encoder escapes in EUC-JP text; it is not
 * a test for every EUC-JP lead byte (0xE0..0xFE give 0). Only the byte at
 * `p` is read.
 *
 * @param p pointer to the byte.
 * @return 1 when `*p` lies in 0xA1..0xDF, else 0 (also for a null `p`).
 */
ZR_API int32_t ZR_CALL ZR_IsEucJpChar(const char* p);

/** @} */

/** @defgroup zr_unicode_jis UTF-16 with JIS and EUC-JP
 * @brief UTF-16 to and from ISO-2022-JP and EUC-JP, by way of Shift_JIS.
 *
 * Each export chains the conversions above through scratch buffers of
 * `dstSize` bytes: UTF-16 to Shift_JIS to JIS (to EUC-JP), or EUC-JP to JIS
 * to Shift_JIS to UTF-16. The same `dstSize` bounds every intermediate
 * text, in bytes, so the longest intermediate text decides the size needed.
 * UTF-16 characters without a code page 932 form become `?` on the way.
 *
 * @code{.c}
 * ZR_WCHAR text[] = {0x4E9C, 'A', 0};
 * char jis[32];
 * int32_t n = ZR_UnicodeToJis(text, jis, sizeof jis);
 * assert(n == 9 && strcmp(jis, "\x1b$B0!\x1b(BA") == 0);
 * ZR_WCHAR back[16];
 * n = ZR_JisToUnicode(jis, back, 8);  // the JIS text has 9 bytes: too long for 8
 * assert(n == -1);
 * n = ZR_JisToUnicode(jis, back, 16);
 * assert(n == 3 && back[0] == 0x4E9C && back[1] == 'A' && back[2] == 0);
 * char euc[16];
 * n = ZR_UnicodeToEuc(text, euc, 8);  // the JIS text on the way needs 10 bytes
 * assert(n == 0);
 * n = ZR_UnicodeToEuc(text, euc, sizeof euc);
 * assert(n == 3 && strcmp(euc, "\xb0\xa1" "A") == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Converts JIS (ISO-2022-JP) to UTF-16, by way of Shift_JIS.
 *
 * @param src     NUL-terminated JIS text.
 * @param dst     UTF-16 output. Its first `dstSize` bytes (the first half of
 *                its units) are zero-filled.
 * @param dstSize capacity of `dst` in 16-bit units; also the byte capacity
 *                of the Shift_JIS scratch text.
 * @return the units written, terminating zero unit included.
 * @retval 0  the output does not fit, or the text holds only escapes; the
 *            first `dstSize` bytes of `dst` are zero.
 * @retval -1 `src` is empty or longer than `dstSize` bytes, or no scratch
 *            memory; the first `dstSize` bytes of `dst` are zero.
 * @par Worst-case dstSize
 * n + 1 units. Tight for ASCII.
 */
ZR_API int32_t ZR_CALL ZR_JisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Converts UTF-16 to JIS (ISO-2022-JP), by way of Shift_JIS.
 *
 * A character whose Shift_JIS form is a user-defined character (lead byte
 * 0xF0..0xFC, for instance U+E000) has no JIS form: the text stops before
 * it, and the result is the length of what was written, **not** -1: the
 * text U+0041 U+E000 gives A ESC $ B and 4.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     JIS output; zero-filled.
 * @param dstSize capacity of `dst` in bytes; also the capacity of the
 *                Shift_JIS scratch text. `src` may have at most `dstSize`
 *                units.
 * @return the length of the JIS text in bytes, NUL excluded.
 * @retval 0  the Shift_JIS or the JIS text with its NUL does not fit;
 *            `dst` is zero-filled.
 * @retval -1 `src` is empty or has more than `dstSize` units, or no scratch
 *            memory; `dst` is zero-filled.
 * @par Worst-case dstSize
 * 8 ceil(n/2) + floor(n/2) + 1 bytes: a kanji alone costs 8 bytes with its
 * escapes. Reached by one kanji (9) and by kanji alternating with ASCII.
 */
ZR_API int32_t ZR_CALL ZR_UnicodeToJis(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Converts EUC-JP to UTF-16, by way of JIS and Shift_JIS.
 *
 * Only the terminating zero unit is written after the text; the rest of
 * `dst` is not cleared.
 *
 * @param src     NUL-terminated EUC-JP text.
 * @param dst     UTF-16 output.
 * @param dstSize capacity of `dst` in 16-bit units; also the byte capacity
 *                of the JIS and Shift_JIS scratch texts.
 * @return the units written, terminating zero unit included.
 * @retval 0  an intermediate text or the output does not fit; `dst` is
 *            untouched unless the last step had started.
 * @retval -1 `src` is empty or longer than `dstSize` bytes, or no scratch
 *            memory; `dst` is untouched.
 * @par Worst-case dstSize
 * 3n + 3, for the JIS text (see ZR_EucToJis()).
 */
ZR_API int32_t ZR_CALL ZR_EucToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Converts UTF-16 to EUC-JP, by way of Shift_JIS and JIS.
 *
 * A user-defined character ends the text as in
 * ZR_UnicodeToJis(): the EUC-JP form of the text before it is the result
 * (0 when there is none). On success the text is followed by zeros up to
 * `dstSize` bytes.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     EUC-JP output.
 * @param dstSize capacity of `dst` in bytes; also the capacity of the
 *                Shift_JIS and JIS scratch texts.
 * @return the length of the EUC-JP text in bytes, NUL excluded.
 * @retval 0  an intermediate text does not fit, or nothing came before a
 *            user-defined character; `dst` is untouched.
 * @retval -1 `src` is empty or has more than `dstSize` units, or no scratch
 *            memory; `dst` is untouched.
 * @par Worst-case dstSize
 * 8 ceil(n/2) + floor(n/2) + 1 bytes, for the JIS text, although the EUC-JP
 * text is never longer than 2n bytes. Reached as for ZR_UnicodeToJis().
 */
ZR_API int32_t ZR_CALL ZR_UnicodeToEuc(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** @} */

/** @defgroup zr_utf UTF-8 and UTF-7
 * @brief UTF-8 and UTF-7 to and from UTF-16 and Shift_JIS, and the UTF-8
 * sequence test.
 *
 * Malformed input never fails: a bad UTF-8 sequence becomes U+FFFD (a lead
 * byte cut short by the end of the text gives U+FFFD and then the
 * terminator), bad UTF-7 is decoded as far as it goes. Characters without a
 * code page 932 form become `?` towards Shift_JIS. The conversions to or
 * from Shift_JIS go through a UTF-16 scratch buffer of `dstSize` units and
 * leave `dst` untouched when their first step fails.
 *
 * @code{.c}
 * ZR_WCHAR wide[8];
 * int32_t n = ZR_Utf8ToUnicode("\xe3\x81\x82", wide, 8);
 * assert(n == 2 && wide[0] == 0x3042);
 * char utf7[16];
 * n = ZR_UnicodeToUtf7(wide, utf7, sizeof utf7);
 * assert(n == 5 && strcmp(utf7, "+MEI-") == 0);
 * char sjis[8];
 * n = ZR_Utf8ToSJis("\xe3\x81\x82", sjis, sizeof sjis);
 * assert(n == 2 && strcmp(sjis, "\x82\xa0") == 0);
 * char utf8[8];
 * n = ZR_SJisToUtf8("\xb1", utf8, sizeof utf8);  // half-width katakana: 1 byte becomes 3
 * assert(n == 3 && strcmp(utf8, "\xef\xbd\xb1") == 0);
 * assert(ZR_IsUtf8Char("\xe3\x81\x82") == 3 && ZR_IsUtf8Char("A") == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Converts UTF-8 to UTF-16.
 *
 * Only the first unit of `dst` is cleared beforehand.
 *
 * @param src     NUL-terminated UTF-8 text.
 * @param dst     UTF-16 output.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return the units written, terminating zero unit included.
 * @retval 0  the text with its zero unit does not fit (always when
 *            `dstSize` is 0); `dst` may hold part of it, unterminated.
 * @retval -1 `src` is empty; `dst[0]` is 0.
 * @par Worst-case dstSize
 * n + 1 units. Tight for ASCII.
 */
ZR_API int32_t ZR_CALL ZR_Utf8ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Converts UTF-16 to UTF-8.
 *
 * Only the first byte of `dst` is cleared beforehand. A lone surrogate
 * becomes U+FFFD.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     UTF-8 output.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the UTF-8 text in bytes, NUL excluded.
 * @retval 0  the text with its NUL does not fit (always when `dstSize` is
 *            0); `dst` may hold part of it, unterminated.
 * @retval -1 `src` is empty; `dst[0]` is 0.
 * @par Worst-case dstSize
 * 3n + 1 bytes. Tight for kana and kanji (U+3042 needs 4).
 */
ZR_API int32_t ZR_CALL ZR_UnicodeToUtf8(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Converts UTF-8 to Shift_JIS, by way of UTF-16.
 *
 * On success all of `dst` past the text is zero.
 *
 * @param src     NUL-terminated UTF-8 text.
 * @param dst     Shift_JIS output.
 * @param dstSize capacity of `dst` in bytes; also the capacity of the
 *                UTF-16 scratch text in units.
 * @return the length of the Shift_JIS text in bytes, NUL excluded.
 * @retval 0  a step's output does not fit; `dst` is untouched when the
 *            UTF-16 step failed, else as ZR_UnicodeToSJis() leaves it.
 * @retval -1 `src` is empty, or no scratch memory; `dst` is untouched.
 * @par Worst-case dstSize
 * n + 1 bytes: no character is longer in Shift_JIS than in UTF-8. Tight for
 * ASCII.
 */
ZR_API int32_t ZR_CALL ZR_Utf8ToSJis(const char* src, char* dst, int32_t dstSize);

/** Converts Shift_JIS to UTF-8, by way of UTF-16.
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     UTF-8 output; only its first byte is cleared by the last
 *                step.
 * @param dstSize capacity of `dst` in bytes; also the capacity of the
 *                UTF-16 scratch text in units.
 * @return the length of the UTF-8 text in bytes, NUL excluded.
 * @retval 0  a step's output does not fit; `dst` is untouched when the
 *            UTF-16 step failed.
 * @retval -1 `src` is empty, or no scratch memory; `dst` is untouched.
 * @par Worst-case dstSize
 * 3n + 1 bytes: a half-width katakana byte becomes three UTF-8 bytes
 * (`"\xb1"` needs 4).
 */
ZR_API int32_t ZR_CALL ZR_SJisToUtf8(const char* src, char* dst, int32_t dstSize);

/** Converts UTF-7 to UTF-16.
 *
 * Only the first unit of `dst` is cleared beforehand.
 *
 * @param src     NUL-terminated UTF-7 text.
 * @param dst     UTF-16 output.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return the units written, terminating zero unit included.
 * @retval 0  the text with its zero unit does not fit (always when
 *            `dstSize` is 0); `dst` may hold part of it, unterminated.
 * @retval -1 `src` is empty; `dst[0]` is 0.
 * @par Worst-case dstSize
 * n + 1 units. Tight for ASCII letters.
 */
ZR_API int32_t ZR_CALL ZR_Utf7ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Converts UTF-16 to UTF-7.
 *
 * Letters, digits and the directly encoded signs stand for themselves; `+`
 * becomes `+-`; other units go in `+`...`-` runs of modified Base64.
 * Only the first byte of `dst` is cleared beforehand.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     UTF-7 output.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the UTF-7 text in bytes, NUL excluded.
 * @retval 0  the text with its NUL does not fit (always when `dstSize` is
 *            0); `dst` may hold part of it, unterminated.
 * @retval -1 `src` is empty; `dst[0]` is 0.
 * @par Worst-case dstSize
 * 5n + 1 bytes: a unit alone in its run costs five bytes (U+3042 is
 * `+MEI-` and needs 6).
 */
ZR_API int32_t ZR_CALL ZR_UnicodeToUtf7(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Converts UTF-7 to Shift_JIS, by way of UTF-16.
 *
 * @param src     NUL-terminated UTF-7 text.
 * @param dst     Shift_JIS output; zero-filled by the last step.
 * @param dstSize capacity of `dst` in bytes; also the capacity of the
 *                UTF-16 scratch text in units.
 * @return the length of the Shift_JIS text in bytes, NUL excluded.
 * @retval 0  a step's output does not fit; `dst` is untouched when the
 *            UTF-16 step failed.
 * @retval -1 `src` is empty, or no scratch memory; `dst` is untouched.
 * @par Worst-case dstSize
 * n + 1 bytes. Tight for ASCII letters.
 */
ZR_API int32_t ZR_CALL ZR_Utf7ToSJis(const char* src, char* dst, int32_t dstSize);

/** Converts Shift_JIS to UTF-7, by way of UTF-16.
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     UTF-7 output; only its first byte is cleared by the last
 *                step.
 * @param dstSize capacity of `dst` in bytes; also the capacity of the
 *                UTF-16 scratch text in units.
 * @return the length of the UTF-7 text in bytes, NUL excluded.
 * @retval 0  a step's output does not fit; `dst` is untouched when the
 *            UTF-16 step failed.
 * @retval -1 `src` is empty, or no scratch memory; `dst` is untouched.
 * @par Worst-case dstSize
 * 5n + 1 bytes: a half-width katakana byte alone costs five (`"\xb1"` is
 * `+/3E-` and needs 6).
 */
ZR_API int32_t ZR_CALL ZR_SJisToUtf7(const char* src, char* dst, int32_t dstSize);

/** Gives the length of the UTF-8 multi-byte sequence at `p`.
 *
 * Only bit patterns count: over-long forms, surrogates and values above
 * U+10FFFF are accepted, and five- and six-byte forms too. Bytes are read
 * one at a time and a NUL ends the test, so nothing past a terminator is
 * read.
 *
 * @param p pointer to the first byte of the candidate sequence.
 * @return 2 to 6 when a lead byte (0xC0..0xFD) is followed by that many
 *         continuation bytes (0x80..0xBF) in all; 0 for a single byte
 *         (0x00..0x7F), a continuation byte, 0xFE, 0xFF, a sequence cut
 *         short, and a null `p`.
 */
ZR_API int32_t ZR_CALL ZR_IsUtf8Char(const char* p);

/** @} */

/** @defgroup zr_ebcdic EBCDIC
 * @brief ASCII-side text (ASCII with Shift_JIS bytes carried through) to
 * EBCDIC and back, under one of three fixed tables.
 *
 * The selector names the table: ::ZR_EBCDIC_TABLE_400 (code page 500 in the
 * ASCII range, but LF is 0x15 and `|` is 0x6A), ::ZR_EBCDIC_TABLE_KANA (the
 * same with `$` 0xE0, the yen sign 0x5C as 0x5B, no lowercase letters and
 * the half-width katakana 0xA1..0xDF), ::ZR_EBCDIC_TABLE_600 (the cells of
 * 0x400). A byte without a code, and every byte under any other selector,
 * becomes 0xFF; neither is an error. EBCDIC to ASCII searches the same table
 * and takes the lowest ASCII-side byte that gives the EBCDIC byte.
 *
 * In EBCDIC text a run of bytes 0x80..0xFF is carried unchanged between the
 * raw bytes 0x28 and 0x29, which no table cell yields. The test is on bit 7
 * of each byte alone: a Shift_JIS trail byte below 0x80 closes the bracket
 * and is converted like ASCII.
 *
 * @code{.c}
 * char ebcdic[16], ascii[16];
 * int32_t n = ZR_AsciiToEbcdic("A\x82\xa0" "B", ebcdic, sizeof ebcdic, ZR_EBCDIC_TABLE_400);
 * assert(n == 6 && memcmp(ebcdic, "\xc1(\x82\xa0)\xc2", 7) == 0);
 * n = ZR_EbcdicToAscii(ebcdic, ascii, sizeof ascii, ZR_EBCDIC_TABLE_400);
 * assert(n == 4 && strcmp(ascii, "A\x82\xa0" "B") == 0);
 * assert(ZR_AsciiEbcdicCode('\n', ZR_EBCDIC_TABLE_400) == 0x15);
 * assert(ZR_EbcdicAsciiCode(0x40, ZR_EBCDIC_TABLE_400) == ' ');
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Converts ASCII-side text to EBCDIC.
 *
 * A bracket still open at the end of the text is not closed.
 *
 * @param src      NUL-terminated ASCII-side text (ASCII, Shift_JIS bytes).
 * @param dst      EBCDIC output. Only its first byte is cleared beforehand.
 * @param dstSize  capacity of `dst` in bytes, NUL included.
 * @param selector ::ZR_EBCDIC_TABLE_400, ::ZR_EBCDIC_TABLE_KANA or
 *                 ::ZR_EBCDIC_TABLE_600.
 * @return the bytes written before the NUL, brackets counted.
 * @retval -1 `src` is empty, or not shorter than `dstSize`, or the output
 *            with its brackets and NUL does not fit; `dst` is an empty
 *            string (`dstSize` > 0).
 * @par Worst-case dstSize
 * 2n + 1 bytes: a high byte between single bytes costs two brackets. Tight
 * for one high byte (`"\x82"` needs 3).
 */
ZR_API int32_t ZR_CALL ZR_AsciiToEbcdic(const char* src, char* dst, int32_t dstSize, int32_t selector);

/** Converts EBCDIC to ASCII-side text.
 *
 * Every 0x28 opens and every 0x29 closes a bracket and is dropped, also
 * when repeated or unmatched; bytes inside brackets are copied unchanged.
 *
 * @param src      NUL-terminated EBCDIC text.
 * @param dst      ASCII-side output. Only its first byte is cleared
 *                 beforehand.
 * @param dstSize  capacity of `dst` in bytes, NUL included.
 * @param selector ::ZR_EBCDIC_TABLE_400, ::ZR_EBCDIC_TABLE_KANA or
 *                 ::ZR_EBCDIC_TABLE_600.
 * @return the bytes written before the NUL.
 * @retval -1 `src` is empty or not shorter than `dstSize`; `dst` is an
 *            empty string (`dstSize` > 0).
 * @par Worst-case dstSize
 * n + 1 bytes: the output is never longer than the input. Tight.
 */
ZR_API int32_t ZR_CALL ZR_EbcdicToAscii(const char* src, char* dst, int32_t dstSize, int32_t selector);

/** Converts one ASCII-side byte to EBCDIC.
 *
 * @param code     the byte; only the low eight bits are used.
 * @param selector ::ZR_EBCDIC_TABLE_400, ::ZR_EBCDIC_TABLE_KANA or
 *                 ::ZR_EBCDIC_TABLE_600.
 * @return the EBCDIC byte; 0xFF when the byte has no code or the selector
 *         names no table.
 */
ZR_API uint8_t ZR_CALL ZR_AsciiEbcdicCode(int32_t code, int32_t selector);

/** Converts one EBCDIC byte to the ASCII side.
 *
 * Where several ASCII-side bytes give the same EBCDIC byte the lowest wins:
 * EBCDIC 0x40 gives the space 0x20, never 0xA0.
 *
 * @param code     the EBCDIC byte; only the low eight bits are used.
 * @param selector ::ZR_EBCDIC_TABLE_400, ::ZR_EBCDIC_TABLE_KANA or
 *                 ::ZR_EBCDIC_TABLE_600.
 * @return the ASCII-side byte; 0xFF when no cell holds the code or the
 *         selector names no table. EBCDIC 0xFF gives 0x80 under 0x400 and
 *         0x600 and 0x61 under 0x500, the first cells that hold 0xFF.
 */
ZR_API uint8_t ZR_CALL ZR_EbcdicAsciiCode(int32_t code, int32_t selector);

/** @} */

/** @defgroup zr_base64 Base64
 * @brief Base64 (the standard alphabet, `=` padding, one unbroken line),
 * plain or with a charset conversion on the way.
 *
 * The encoder writes 4 characters for every started group of three bytes
 * and never a line break. The decoder rejects and skips nothing: it reads
 * the text in groups of four counted from its start, a character outside the
 * alphabet (CR, LF, space, `=` in the first two places) counts as the value
 * 64, `=` is padding only in the third and fourth places, and padding does
 * not end the text. A text of length 4k + 1 or 4k + 2 decodes as if the
 * places past its end held characters of value 64.
 *
 * The charset members convert the caller's text (W: UTF-16, A: Shift_JIS)
 * to the transfer encoding named (JIS = ISO-2022-JP, SJIS, EUC = EUC-JP,
 * UTF8) before encoding, or convert the decoded bytes from it after
 * decoding. They use a scratch buffer of 2 x `dstSize` bytes. An encoder
 * tells its conversion `dstSize` (the SJISW member 2 x `dstSize`); a decoder
 * tells the Base64 decoder 2 x `dstSize` and hands the decoded bytes, up to
 * the first zero byte, to its conversion with `dstSize`. A conversion that
 * refuses, or a decoding that fails, gives -1 with `dst` untouched.
 *
 * @code{.c}
 * char b64[16];
 * int32_t n = ZR_Base64_Encode((const unsigned char*)"ABC", 3, b64, sizeof b64);
 * assert(n == 4 && strcmp(b64, "QUJD") == 0);
 * unsigned char bytes[8];
 * n = ZR_Base64_Decode("QUJD", bytes, sizeof bytes);
 * assert(n == 3 && memcmp(bytes, "ABC", 3) == 0);
 * char mime[32];
 * n = ZR_Base64_EncodeJISA("\x82\xa2", mime, sizeof mime);  // ESC $ B $ $ ESC ( B
 * assert(n == 12 && strcmp(mime, "GyRCJCQbKEI=") == 0);
 * ZR_WCHAR text[8];
 * n = ZR_Base64_DecodeJISW("GyRCJCQbKEI=", text, 8);
 * assert(n == 2 && text[0] == 0x3044 && text[1] == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Encodes bytes as Base64.
 *
 * @param src     the bytes to encode; zero bytes included.
 * @param srcLen  number of bytes in `src`; 0 or less encodes nothing.
 * @param dst     Base64 output; zero-filled.
 * @param dstSize capacity of `dst` in bytes, at least 1.
 * @return the length of the Base64 text, 4 ceil(srcLen/3) (0 for no bytes).
 * @retval -1 `dstSize` is 0 or less (nothing written), or the text with its
 *            NUL does not fit: `dst` holds the groups that fitted, then
 *            zeros.
 * @par Worst-case dstSize
 * 4 ceil(n/3) + 1 bytes for n = `srcLen`. Tight.
 */
ZR_API int32_t ZR_CALL ZR_Base64_Encode(const unsigned char* src, int32_t srcLen, char* dst, int32_t dstSize);

/** Decodes Base64 text into bytes.
 *
 * Each group of four characters needs three bytes of room, also a padded
 * group that yields one or two. The bytes are followed by a zero only when
 * fewer than `dstSize` were written.
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     byte output; zero-filled.
 * @param dstSize capacity of `dst` in bytes, at least 1.
 * @return the number of bytes written, zero bytes included (0 for an empty
 *         text).
 * @retval -1 `dstSize` is 0 or less (nothing written), or a group found
 *            less than three bytes of room: `dst` holds the bytes of the
 *            groups before it, then zeros.
 * @par Worst-case dstSize
 * 3 ceil(L/4) bytes for a text of L characters. Tight (`"QUJD"` and `"QQ=="`
 * need 3).
 */
ZR_API int32_t ZR_CALL ZR_Base64_Decode(const char* src, unsigned char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Base64 of its ISO-2022-JP form (ZR_UnicodeToJis()).
 *
 * A user-defined character (lead byte 0xF0..0xFC) ends the text there, as
 * ZR_UnicodeToJis() does, without failing.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Base64 text.
 * @retval 0  the JIS text did not fit in `dstSize` bytes; nothing is
 *            encoded and `dst` is zero-filled.
 * @retval -1 `src` is empty or has more than `dstSize` units, or no scratch
 *            memory (`dst` untouched), or the Base64 text does not fit.
 * @par Worst-case dstSize
 * 4 ceil(J/3) + 1 with J = 8 ceil(n/2) + floor(n/2), the longest JIS form
 * of n units. Tight for one kanji (needs 13).
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Base64 of its ISO-2022-JP form (ZR_SJisToJis()).
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Base64 text.
 * @retval 0  the JIS text did not fit in `dstSize` bytes; `dst` is
 *            zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize`, it holds a
 *            user-defined character, or no scratch memory (`dst`
 *            untouched); or the Base64 text does not fit.
 * @par Worst-case dstSize
 * 4 ceil((3n + 2)/3) + 1 = 4n + 5 bytes. Tight for one double-byte character
 * (needs 13).
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeJISA(const char* src, char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Base64 of its Shift_JIS form (ZR_UnicodeToSJis()).
 *
 * The only encoder that tells its conversion the whole scratch, 2 x
 * `dstSize` bytes.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the Base64 text.
 * @retval 0  the Shift_JIS text did not fit in 2 x `dstSize` bytes; `dst`
 *            is zero-filled.
 * @retval -1 `src` is empty or no scratch memory (`dst` untouched), or the
 *            Base64 text does not fit.
 * @par Worst-case dstSize
 * 4 ceil(2n/3) + 1 bytes. Tight for one kanji (needs 5).
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeSJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Base64 as it stands (no conversion, no
 * scratch): ZR_Base64_Encode() of its bytes.
 *
 * @param src     NUL-terminated Shift_JIS text (any bytes).
 * @param dst     Base64 output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the Base64 text; 0 for an empty `src`, with `dst`
 *         zero-filled.
 * @retval -1 the Base64 text does not fit, or `dstSize` is 0 or less.
 * @par Worst-case dstSize
 * 4 ceil(n/3) + 1 bytes. Tight.
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeSJISA(const char* src, char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Base64 of its EUC-JP form (ZR_UnicodeToEuc()).
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Base64 text.
 * @retval 0  an intermediate text did not fit in `dstSize` bytes, or
 *            nothing came before a user-defined character; `dst` is
 *            zero-filled.
 * @retval -1 `src` is empty or has more than `dstSize` units, or no scratch
 *            memory (`dst` untouched); or the Base64 text does not fit.
 * @par Worst-case dstSize
 * the larger of 4 ceil(2n/3) + 1 and 8 ceil(n/2) + floor(n/2) + 1 (room for
 * the JIS text on the way). One kanji needs 9.
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeEUCW(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Base64 of its EUC-JP form (ZR_SJisToEuc()).
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Base64 text.
 * @retval 0  the JIS text on the way did not fit in `dstSize` bytes; `dst`
 *            is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize`, it holds a
 *            user-defined character, or no scratch memory (`dst`
 *            untouched); or the Base64 text does not fit.
 * @par Worst-case dstSize
 * the larger of 4 ceil(n/3) + 1 and 3n + 3 (room for the JIS text on the
 * way). One double-byte character needs 9.
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeEUCA(const char* src, char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Base64 of its UTF-8 form (ZR_UnicodeToUtf8()).
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Base64 text.
 * @retval 0  the UTF-8 text did not fit in `dstSize` bytes; `dst` is
 *            zero-filled.
 * @retval -1 `src` is empty or no scratch memory (`dst` untouched), or the
 *            Base64 text does not fit.
 * @par Worst-case dstSize
 * 4n + 1 bytes (three UTF-8 bytes a unit). Tight for kana (U+3044 is `44GE`
 * and needs 5).
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeUTF8W(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Base64 of its UTF-8 form (ZR_SJisToUtf8()).
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     Base64 output; zero-filled unless the conversion refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Base64 text.
 * @retval 0  a step of the conversion did not fit in `dstSize`; `dst` is
 *            zero-filled.
 * @retval -1 `src` is empty or no scratch memory (`dst` untouched), or the
 *            Base64 text does not fit.
 * @par Worst-case dstSize
 * 4n + 1 bytes (a half-width katakana byte gives three UTF-8 bytes). Tight
 * for `"\xb1"` (needs 5).
 */
ZR_API int32_t ZR_CALL ZR_Base64_EncodeUTF8A(const char* src, char* dst, int32_t dstSize);

/** Decodes Base64 of ISO-2022-JP text into UTF-16 (ZR_JisToUnicode()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     UTF-16 output, as ZR_JisToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_JisToUnicode() returns for the decoded bytes: the units
 *         written with the terminating zero unit, 0 (did not fit), or -1
 *         (nothing decoded, or longer than `dstSize`).
 * @retval -1 also when the decoded bytes need more than 2 x `dstSize` bytes
 *            of room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * D + 1 units with D = 3 ceil(L/4), the most bytes L characters decode to.
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Base64 of ISO-2022-JP text into Shift_JIS (ZR_JisToSJis()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     Shift_JIS output, as ZR_JisToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes.
 * @return what ZR_JisToSJis() returns for the decoded bytes.
 * @retval -1 also when decoding needs more than 2 x `dstSize` bytes of
 *            room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * D + 1 bytes with D = 3 ceil(L/4).
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeJISA(const char* src, char* dst, int32_t dstSize);

/** Decodes Base64 of Shift_JIS text into UTF-16 (ZR_SJisToUnicode()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     UTF-16 output, as ZR_SJisToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_SJisToUnicode() returns for the decoded bytes.
 * @retval -1 also when decoding needs more than 2 x `dstSize` bytes of
 *            room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * D + 1 units with D = 3 ceil(L/4).
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeSJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Base64 into bytes as they are (no conversion, no scratch):
 * ZR_Base64_Decode().
 *
 * The bytes are not checked for being Shift_JIS and may hold zero bytes; no
 * NUL follows them when they fill `dst`.
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     byte output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the number of decoded bytes (0 for an empty text).
 * @retval -1 a group found less than three bytes of room, or `dstSize` is 0
 *            or less.
 * @par Worst-case dstSize
 * 3 ceil(L/4) bytes, or one more for a terminating NUL. Tight.
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeSJISA(const char* src, char* dst, int32_t dstSize);

/** Decodes Base64 of EUC-JP text into UTF-16 (ZR_EucToUnicode()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     UTF-16 output, as ZR_EucToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_EucToUnicode() returns for the decoded bytes.
 * @retval -1 also when decoding needs more than 2 x `dstSize` bytes of
 *            room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * 3D + 3 with D = 3 ceil(L/4), room for the JIS text on the way.
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeEUCW(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Base64 of EUC-JP text into Shift_JIS (ZR_EucToSJis()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     Shift_JIS output, as ZR_EucToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes.
 * @return what ZR_EucToSJis() returns for the decoded bytes.
 * @retval -1 also when decoding needs more than 2 x `dstSize` bytes of
 *            room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * 3D + 3 with D = 3 ceil(L/4), room for the JIS text on the way.
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeEUCA(const char* src, char* dst, int32_t dstSize);

/** Decodes Base64 of UTF-8 text into UTF-16 (ZR_Utf8ToUnicode()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     UTF-16 output, as ZR_Utf8ToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_Utf8ToUnicode() returns for the decoded bytes.
 * @retval -1 also when decoding needs more than 2 x `dstSize` bytes of
 *            room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * D + 1 units with D = 3 ceil(L/4).
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeUTF8W(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Base64 of UTF-8 text into Shift_JIS (ZR_Utf8ToSJis()).
 *
 * @param src     NUL-terminated Base64 text.
 * @param dst     Shift_JIS output, as ZR_Utf8ToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes.
 * @return what ZR_Utf8ToSJis() returns for the decoded bytes.
 * @retval -1 also when decoding needs more than 2 x `dstSize` bytes of
 *            room, or no scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * D + 1 bytes with D = 3 ceil(L/4).
 */
ZR_API int32_t ZR_CALL ZR_Base64_DecodeUTF8A(const char* src, char* dst, int32_t dstSize);

/** @} */

/** @defgroup zr_qp Quoted-Printable
 * @brief Quoted-Printable, plain or with a charset conversion on the way.
 *
 * Literal bytes: tab, LF, CR, 0x20..0x3C and 0x3E..0x7E. The encoder writes
 * every other byte as `=` and two upper-case hexadecimal digits, keeps each
 * line within 76 characters with soft line breaks (`=` CR LF) - at most 75
 * characters before the `=`, an escape only while at most 71 are on the line
 * and never split - and counts CR and LF of the text like any character.
 * Spaces and tabs are written as themselves, also at the end of a line. A
 * write of k characters needs k + 2 bytes of room from the current position.
 *
 * The decoder copies literal bytes, turns `=` and two hexadecimal digits
 * (either case) into a byte, drops a soft line break (`=` followed by CR LF
 * or by a bare LF, with or without spaces and tabs between), and copies any
 * other `=` as it stands. A byte that is neither literal nor `=` (0x01..0x08,
 * 0x0B, 0x0C, 0x0E..0x1F, 0x7F..0xFF) fails the decoding.
 *
 * The charset members convert as the Base64 ones do, with a scratch of
 * `dstSize` bytes: an encoder converts into it with `dstSize` and encodes the
 * NUL-terminated text left there (nothing when the conversion gave 0); a
 * decoder decodes into it with `dstSize` and converts the bytes up to the
 * first zero byte. A refusal gives -1 with `dst` untouched.
 *
 * @code{.c}
 * char qp[32];
 * int32_t n = ZR_QuotedPrintable_Encode((const unsigned char*)"a=b", 3, qp, sizeof qp);
 * assert(n == 5 && strcmp(qp, "a=3Db") == 0);
 * ZR_WCHAR hiragana[] = {0x3044, 0};
 * n = ZR_QuotedPrintable_EncodeUTF8W(hiragana, qp, sizeof qp);
 * assert(n == 9 && strcmp(qp, "=E3=81=84") == 0);
 * ZR_WCHAR text[4];
 * n = ZR_QuotedPrintable_DecodeUTF8W("=E3=81=84", text, 4);
 * assert(n == 2 && text[0] == 0x3044 && text[1] == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Encodes bytes as Quoted-Printable.
 *
 * @param src     the bytes to encode; zero bytes included.
 * @param srcLen  number of bytes in `src`; 0 or less encodes nothing.
 * @param dst     Quoted-Printable output; zero-filled. The text never holds
 *                a zero byte and is always NUL-terminated.
 * @param dstSize capacity of `dst` in bytes, at least 1.
 * @return the length of the text (0 for no bytes).
 * @retval -1 `dstSize` is 0 or less (nothing written), or a byte did not
 *            fit by the room rule: `dst` holds the text before it, then
 *            zeros.
 * @par Worst-case dstSize
 * 3n + 3 floor((n - 1)/24) + 2 bytes for n = `srcLen` >= 1: every byte an
 * escape, 24 escapes to a line. Tight (one byte 0xFF needs 5, 25 need 80).
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_Encode(const unsigned char* src, int32_t srcLen, char* dst, int32_t dstSize);

/** Decodes Quoted-Printable text into bytes.
 *
 * Room for one byte is needed before every step, also before a soft line
 * break. The bytes are followed by a zero only when fewer than `dstSize`
 * were written.
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     byte output; zero-filled.
 * @param dstSize capacity of `dst` in bytes, at least 1.
 * @return the number of bytes written (0 for an empty text).
 * @retval -1 `dstSize` is 0 or less (nothing written), `dst` is full before
 *            a step, or the text holds a byte that is neither literal nor
 *            `=`: `dst` keeps the bytes decoded before.
 * @par Worst-case dstSize
 * L + 1 bytes for a text of L characters; L is enough for a text that does
 * not end in a soft line break. Tight for literal text.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_Decode(const char* src, unsigned char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Quoted-Printable of its ISO-2022-JP form
 * (ZR_UnicodeToJis()).
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text.
 * @retval 0  the JIS text did not fit in `dstSize` bytes; nothing is
 *            encoded and `dst` is zero-filled.
 * @retval -1 `src` is empty or has more than `dstSize` units, or no scratch
 *            memory (`dst` untouched); or the text does not fit.
 * @par Worst-case dstSize
 * Q(J) with J = 8 ceil(n/2) + floor(n/2), where Q(m) = 3m + 3 floor((m -
 * 1)/24) + 2 is the plain encoder's bound for m bytes.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Quoted-Printable of its ISO-2022-JP form
 * (ZR_SJisToJis()).
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text (`"\x82\xa2"` gives
 *         `=1B$B$$=1B(B`, 12).
 * @retval 0  the JIS text did not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize`, it holds a
 *            user-defined character, or no scratch memory (`dst`
 *            untouched); or the text does not fit.
 * @par Worst-case dstSize
 * Q(3n + 2), with Q as for ZR_QuotedPrintable_EncodeJISW().
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeJISA(const char* src, char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Quoted-Printable of its Shift_JIS form
 * (ZR_UnicodeToSJis()).
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text.
 * @retval 0  the Shift_JIS text did not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or no scratch memory (`dst` untouched), or the
 *            text does not fit.
 * @par Worst-case dstSize
 * Q(2n), with Q as for ZR_QuotedPrintable_EncodeJISW(). One kanji needs 8.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeSJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Quoted-Printable as it stands (no conversion,
 * no scratch): ZR_QuotedPrintable_Encode() of its bytes.
 *
 * @param src     NUL-terminated Shift_JIS text (any bytes).
 * @param dst     Quoted-Printable output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the length of the text; 0 for an empty `src`, with `dst`
 *         zero-filled.
 * @retval -1 the text does not fit, or `dstSize` is 0 or less.
 * @par Worst-case dstSize
 * Q(n), with Q as for ZR_QuotedPrintable_EncodeJISW().
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeSJISA(const char* src, char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Quoted-Printable of its EUC-JP form
 * (ZR_UnicodeToEuc()).
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text.
 * @retval 0  an intermediate text did not fit, or nothing came before a
 *            user-defined character; `dst` is zero-filled.
 * @retval -1 `src` is empty or has more than `dstSize` units, or no scratch
 *            memory (`dst` untouched); or the text does not fit.
 * @par Worst-case dstSize
 * the larger of Q(2n) and 8 ceil(n/2) + floor(n/2) + 1 (room for the JIS
 * text on the way), with Q as for ZR_QuotedPrintable_EncodeJISW().
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeEUCW(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Quoted-Printable of its EUC-JP form
 * (ZR_SJisToEuc()).
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text.
 * @retval 0  the JIS text on the way did not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or longer than `dstSize`, it holds a
 *            user-defined character, or no scratch memory (`dst`
 *            untouched); or the text does not fit.
 * @par Worst-case dstSize
 * the larger of Q(n) and 3n + 3, with Q as for
 * ZR_QuotedPrintable_EncodeJISW().
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeEUCA(const char* src, char* dst, int32_t dstSize);

/** Encodes UTF-16 text as Quoted-Printable of its UTF-8 form
 * (ZR_UnicodeToUtf8()).
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text (U+3044 gives
 *         `=E3=81=84`, 9).
 * @retval 0  the UTF-8 text did not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or no scratch memory (`dst` untouched), or the
 *            text does not fit.
 * @par Worst-case dstSize
 * Q(3n), with Q as for ZR_QuotedPrintable_EncodeJISW(). One kana needs 11.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeUTF8W(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/** Encodes Shift_JIS text as Quoted-Printable of its UTF-8 form
 * (ZR_SJisToUtf8()).
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     Quoted-Printable output; zero-filled unless the conversion
 *                refused.
 * @param dstSize capacity of `dst` in bytes; the conversion gets the same.
 * @return the length of the Quoted-Printable text.
 * @retval 0  a step of the conversion did not fit; `dst` is zero-filled.
 * @retval -1 `src` is empty or no scratch memory (`dst` untouched), or the
 *            text does not fit.
 * @par Worst-case dstSize
 * Q(3n), with Q as for ZR_QuotedPrintable_EncodeJISW().
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeUTF8A(const char* src, char* dst, int32_t dstSize);

/** Decodes Quoted-Printable of ISO-2022-JP text into UTF-16
 * (ZR_JisToUnicode()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     UTF-16 output, as ZR_JisToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units; also the byte capacity
 *                of the decoded scratch text.
 * @return what ZR_JisToUnicode() returns for the decoded bytes: the units
 *         written with the terminating zero unit, 0 (did not fit), or -1
 *         (nothing decoded, or longer than `dstSize`).
 * @retval -1 also when decoding fails (a byte neither literal nor `=`, or
 *            more than `dstSize` bytes), or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * L + 1 units for a text of L characters.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Quoted-Printable of ISO-2022-JP text into Shift_JIS
 * (ZR_JisToSJis()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     Shift_JIS output, as ZR_JisToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes; also that of the scratch.
 * @return what ZR_JisToSJis() returns for the decoded bytes.
 * @retval -1 also when decoding fails, or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * L + 1 bytes.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeJISA(const char* src, char* dst, int32_t dstSize);

/** Decodes Quoted-Printable of Shift_JIS text into UTF-16
 * (ZR_SJisToUnicode()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     UTF-16 output, as ZR_SJisToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units; also the byte capacity
 *                of the scratch.
 * @return what ZR_SJisToUnicode() returns for the decoded bytes.
 * @retval -1 also when decoding fails, or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * L + 1 units.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeSJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Quoted-Printable into bytes as they are (no conversion, no
 * scratch): ZR_QuotedPrintable_Decode().
 *
 * The bytes are not checked for being Shift_JIS and may hold zero bytes; no
 * NUL follows them when they fill `dst`.
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     byte output; zero-filled.
 * @param dstSize capacity of `dst` in bytes.
 * @return the number of decoded bytes (0 for an empty text).
 * @retval -1 decoding failed, or `dstSize` is 0 or less.
 * @par Worst-case dstSize
 * L + 1 bytes.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeSJISA(const char* src, char* dst, int32_t dstSize);

/** Decodes Quoted-Printable of EUC-JP text into UTF-16 (ZR_EucToUnicode()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     UTF-16 output, as ZR_EucToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units; also the byte capacity
 *                of the scratch.
 * @return what ZR_EucToUnicode() returns for the decoded bytes.
 * @retval -1 also when decoding fails, or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * 3L + 3, room for the JIS text on the way.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeEUCW(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Quoted-Printable of EUC-JP text into Shift_JIS (ZR_EucToSJis()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     Shift_JIS output, as ZR_EucToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes; also that of the scratch.
 * @return what ZR_EucToSJis() returns for the decoded bytes.
 * @retval -1 also when decoding fails, or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * 3L + 3, room for the JIS text on the way.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeEUCA(const char* src, char* dst, int32_t dstSize);

/** Decodes Quoted-Printable of UTF-8 text into UTF-16 (ZR_Utf8ToUnicode()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     UTF-16 output, as ZR_Utf8ToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units; also the byte capacity
 *                of the scratch.
 * @return what ZR_Utf8ToUnicode() returns for the decoded bytes.
 * @retval -1 also when decoding fails, or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * L + 1 units.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeUTF8W(const char* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes Quoted-Printable of UTF-8 text into Shift_JIS (ZR_Utf8ToSJis()).
 *
 * @param src     NUL-terminated Quoted-Printable text.
 * @param dst     Shift_JIS output, as ZR_Utf8ToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes; also that of the scratch.
 * @return what ZR_Utf8ToSJis() returns for the decoded bytes.
 * @retval -1 also when decoding fails, or no scratch memory; `dst` is then
 *            untouched.
 * @par Worst-case dstSize
 * L + 1 bytes.
 */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeUTF8A(const char* src, char* dst, int32_t dstSize);

/** @} */

/** @defgroup zr_url_test URL tests and encoding detection
 * @brief Scheme test, and which Japanese encoding a percent-encoded URL uses.
 *
 * These functions only read the URL. The byte tests first unescape it: `+`
 * is a space, `%` and two hexadecimal digits (either case) a byte, any other
 * character one byte (the low eight bits of a UTF-16 unit); unescaping stops
 * at an escape without two digits and at a byte 0 (`%00`), and the bytes
 * before it are tested as if the URL ended there. In every byte test the
 * bytes 0x20..0x7F are neutral and every byte below 0x20 (tab, CR, LF) is a
 * fault; a test passes when it finds at least one character of its encoding
 * and no fault. A URL of printable ASCII passes none.
 *
 * @code{.c}
 * int32_t scheme = ZR_URL_IsProtocolA("https://example.jp/");
 * assert(scheme == 1);
 * int32_t type = ZR_URL_EncodeTypeA("%E3%81%82");
 * assert(type == ZR_ENCODE_UTF8);
 * type = ZR_URL_EncodeTypeA("%82%A0");
 * assert(type == ZR_ENCODE_SJIS);
 * type = ZR_URL_EncodeTypeA("abc%20def");
 * assert(type == ZR_ENCODE_NONE);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Tells whether a UTF-16 URL begins with a known scheme.
 *
 * The schemes are `http:`, `https:`, `ftp:`, `telnet:`, `mailto:`,
 * `gopher:`, `file:` and `news:`, compared exactly and case-sensitively with
 * the start of the URL.
 *
 * @param url NUL-terminated UTF-16 URL.
 * @return 1 when it begins with one of the schemes, else 0 (also for a null
 *         `url`).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsProtocolW(const ZR_WCHAR* url);

/** Tells whether an 8-bit URL begins with a known scheme; see
 * ZR_URL_IsProtocolW().
 *
 * @param url NUL-terminated 8-bit URL.
 * @return 1 when it begins with one of the schemes, else 0 (also for a null
 *         `url`).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsProtocolA(const char* url);

/** Tells whether a UTF-16 URL holds the ISO-2022-JP marker `%1B%24B`.
 *
 * The raw text is searched, exactly and case-sensitively, anywhere in the
 * URL: `%1b%24b` does not count.
 *
 * @param url NUL-terminated UTF-16 URL.
 * @return 1 when the marker occurs, else 0 (also for a null `url`).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsJisEncodeW(const ZR_WCHAR* url);

/** Tells whether an 8-bit URL holds the ISO-2022-JP marker `%1B%24B`; see
 * ZR_URL_IsJisEncodeW().
 *
 * @param url NUL-terminated 8-bit URL.
 * @return 1 when the marker occurs, else 0 (also for a null `url`).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsJisEncodeA(const char* url);

/** Tests the unescaped bytes of a UTF-16 URL for Shift_JIS.
 *
 * A byte 0x81..0x9F is a character with whatever byte follows; a byte 0x80
 * or 0xA0..0xFF is one when the next byte is 0xA0 or below (the terminator
 * counts), else a fault.
 *
 * @param url NUL-terminated UTF-16 URL.
 * @return 1 when the test passes, else 0 (also for a null `url`, or when no
 *         scratch memory could be had).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsSJisEncodeW(const ZR_WCHAR* url);

/** Tests the unescaped bytes of an 8-bit URL for Shift_JIS; see
 * ZR_URL_IsSJisEncodeW(). Raw bytes 0x80..0xFF of the URL count as they
 * stand.
 *
 * @param url NUL-terminated 8-bit URL.
 * @return 1 when the test passes, else 0.
 */
ZR_API int32_t ZR_CALL ZR_URL_IsSJisEncodeA(const char* url);

/** Tests the unescaped bytes of a UTF-16 URL for EUC-JP.
 *
 * A byte 0xA1..0xDF is a character with whatever byte follows; any other
 * byte of 0x80 or more is a fault.
 *
 * @param url NUL-terminated UTF-16 URL.
 * @return 1 when the test passes, else 0 (also for a null `url`, or when no
 *         scratch memory could be had).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsEucEncodeW(const ZR_WCHAR* url);

/** Tests the unescaped bytes of an 8-bit URL for EUC-JP; see
 * ZR_URL_IsEucEncodeW().
 *
 * @param url NUL-terminated 8-bit URL.
 * @return 1 when the test passes, else 0.
 */
ZR_API int32_t ZR_CALL ZR_URL_IsEucEncodeA(const char* url);

/** Tests the unescaped bytes of a UTF-16 URL for UTF-8.
 *
 * A character is a sequence that ZR_IsUtf8Char() accepts (2 to 6 bytes, bit
 * patterns only); any other byte of 0x80 or more is a fault.
 *
 * @param url NUL-terminated UTF-16 URL.
 * @return 1 when the test passes, else 0 (also for a null `url`, or when no
 *         scratch memory could be had).
 */
ZR_API int32_t ZR_CALL ZR_URL_IsUtf8EncodeW(const ZR_WCHAR* url);

/** Tests the unescaped bytes of an 8-bit URL for UTF-8; see
 * ZR_URL_IsUtf8EncodeW().
 *
 * @param url NUL-terminated 8-bit URL.
 * @return 1 when the test passes, else 0.
 */
ZR_API int32_t ZR_CALL ZR_URL_IsUtf8EncodeA(const char* url);

/** Detects the encoding of a UTF-16 URL.
 *
 * The tests run in a fixed order and the first that passes decides, since
 * they overlap: the ISO-2022-JP marker, then UTF-8, EUC-JP, Shift_JIS. So
 * `%C4%A1` (UTF-8 and EUC-JP) is UTF-8 and `%B1` alone is EUC-JP.
 *
 * @param url NUL-terminated UTF-16 URL.
 * @return ::ZR_ENCODE_JIS, ::ZR_ENCODE_UTF8, ::ZR_ENCODE_EUC or
 *         ::ZR_ENCODE_SJIS; ::ZR_ENCODE_NONE when no test passes (a URL of
 *         printable ASCII, one with a control byte, a null `url`).
 */
ZR_API int32_t ZR_CALL ZR_URL_EncodeTypeW(const ZR_WCHAR* url);

/** Detects the encoding of an 8-bit URL; see ZR_URL_EncodeTypeW().
 *
 * @param url NUL-terminated 8-bit URL.
 * @return ::ZR_ENCODE_JIS, ::ZR_ENCODE_UTF8, ::ZR_ENCODE_EUC,
 *         ::ZR_ENCODE_SJIS or ::ZR_ENCODE_NONE.
 */
ZR_API int32_t ZR_CALL ZR_URL_EncodeTypeA(const char* url);

/** @} */

/** @defgroup zr_url_decode URL decoding
 * @brief Percent-encoded URL to UTF-16 (W) or Shift_JIS (A).
 *
 * Each decoder unescapes the URL as the URL tests do (`+` a space, `%XX` a
 * byte, stopping silently at an escape without two digits or at `%00`) into
 * a scratch of L + 1 bytes for a URL of L characters, then hands the bytes
 * to the conversion named, which writes `dst` and gives the result. Nothing
 * before the first bad escape, or an empty URL, gives -1 with `dst`
 * untouched. The sizes needed are those of the conversion for at most L
 * bytes.
 *
 * @code{.c}
 * char sjis[16];
 * int32_t type = 0;
 * int32_t n = ZR_URL_DecodeA("%E6%97%A5%E6%9C%AC", sjis, sizeof sjis, &type);
 * assert(type == ZR_ENCODE_UTF8 && n == 4 && strcmp(sjis, "\x93\xfa\x96\x7b") == 0);
 * n = ZR_URL_DecodeSJisA("a+b%20c", sjis, sizeof sjis);
 * assert(n == 5 && strcmp(sjis, "a b c") == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Decodes a UTF-16 URL of ISO-2022-JP bytes into UTF-16 (ZR_JisToUnicode()).
 *
 * @param src     NUL-terminated UTF-16 URL.
 * @param dst     UTF-16 output, as ZR_JisToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_JisToUnicode() returns: units written with the zero unit,
 *         0 (did not fit) or -1.
 * @retval -1 also for an empty URL, nothing before a bad escape, or no
 *            scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * L + 1 units for a URL of L characters.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeJisW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes an 8-bit URL of ISO-2022-JP bytes into Shift_JIS (ZR_JisToSJis()).
 *
 * @param src     NUL-terminated 8-bit URL.
 * @param dst     Shift_JIS output, as ZR_JisToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes.
 * @return what ZR_JisToSJis() returns: the length in bytes, 0 or -1.
 * @retval -1 also for an empty URL, nothing before a bad escape, or no
 *            scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * L + 1 bytes.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeJisA(const char* src, char* dst, int32_t dstSize);

/** Decodes a UTF-16 URL of Shift_JIS bytes into UTF-16 (ZR_SJisToUnicode()).
 *
 * @param src     NUL-terminated UTF-16 URL.
 * @param dst     UTF-16 output, as ZR_SJisToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_SJisToUnicode() returns: units written with the zero unit,
 *         or 0 (did not fit).
 * @retval -1 an empty URL, nothing before a bad escape, or no scratch
 *            memory; `dst` is untouched.
 * @par Worst-case dstSize
 * L + 1 units.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeSJisW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes an 8-bit URL of Shift_JIS bytes straight into `dst`.
 *
 * No conversion and no scratch: the unescaped bytes are the output. Unlike
 * every other decoder this one cuts the text short without failing: it
 * stops after `dstSize` characters of the URL and after `dstSize` - 1
 * bytes of output, so `"%41%42%43"` with `dstSize` 4 gives `"AB"` and `"abc"`
 * with `dstSize` 3 gives `"ab"`. `dst` is not zero-filled past the NUL.
 *
 * @param src     NUL-terminated 8-bit URL.
 * @param dst     Shift_JIS output, always NUL-terminated when `dstSize` > 0.
 * @param dstSize capacity of `dst` in bytes.
 * @return the bytes before the NUL; 0 for an empty URL, for nothing before
 *         a bad escape and for a `dstSize` of 0 (nothing written).
 * @retval -1 a null pointer or a negative `dstSize`.
 * @par Worst-case dstSize
 * L + 1 bytes for the whole URL. Tight (`"abc"` needs 4).
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeSJisA(const char* src, char* dst, int32_t dstSize);

/** Decodes a UTF-16 URL of EUC-JP bytes into UTF-16 (ZR_EucToUnicode()).
 *
 * @param src     NUL-terminated UTF-16 URL.
 * @param dst     UTF-16 output, as ZR_EucToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_EucToUnicode() returns.
 * @retval -1 also for an empty URL, nothing before a bad escape, or no
 *            scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * 3L + 3, room for the JIS text inside ZR_EucToUnicode().
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeEucW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes an 8-bit URL of EUC-JP bytes into Shift_JIS (ZR_EucToSJis()).
 *
 * @param src     NUL-terminated 8-bit URL.
 * @param dst     Shift_JIS output, as ZR_EucToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes.
 * @return what ZR_EucToSJis() returns.
 * @retval -1 also for an empty URL, nothing before a bad escape, or no
 *            scratch memory; `dst` is then untouched.
 * @par Worst-case dstSize
 * 3L + 3, room for the JIS text inside ZR_EucToSJis().
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeEucA(const char* src, char* dst, int32_t dstSize);

/** Decodes a UTF-16 URL of UTF-8 bytes into UTF-16 (ZR_Utf8ToUnicode()).
 *
 * @param src     NUL-terminated UTF-16 URL.
 * @param dst     UTF-16 output, as ZR_Utf8ToUnicode() leaves it.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return what ZR_Utf8ToUnicode() returns: units written with the zero
 *         unit, or 0 (did not fit).
 * @retval -1 an empty URL, nothing before a bad escape, or no scratch
 *            memory; `dst` is untouched.
 * @par Worst-case dstSize
 * L + 1 units.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeUtf8W(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);

/** Decodes an 8-bit URL of UTF-8 bytes into Shift_JIS (ZR_Utf8ToSJis()).
 *
 * @param src     NUL-terminated 8-bit URL.
 * @param dst     Shift_JIS output, as ZR_Utf8ToSJis() leaves it.
 * @param dstSize capacity of `dst` in bytes.
 * @return what ZR_Utf8ToSJis() returns: the length in bytes, or 0.
 * @retval -1 an empty URL, nothing before a bad escape, or no scratch
 *            memory; `dst` is untouched.
 * @par Worst-case dstSize
 * L + 1 bytes.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeUtf8A(const char* src, char* dst, int32_t dstSize);

/** Detects the encoding of a UTF-16 URL and decodes it into UTF-16.
 *
 * The encode type (ZR_URL_EncodeTypeW()) is stored through `type` first, on
 * every call; then the decoder of that encoding runs:
 * ZR_URL_DecodeJisW(), ZR_URL_DecodeSJisW(), ZR_URL_DecodeEucW() or
 * ZR_URL_DecodeUtf8W(). A URL of plain ASCII has no encode type: decode it
 * with one of those directly.
 *
 * @param src     NUL-terminated UTF-16 URL.
 * @param dst     UTF-16 output.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @param type    receives the encode type, ::ZR_ENCODE_NONE included.
 * @return the result of the decoder that ran.
 * @retval -1 no encoding recognised (`*type` is ::ZR_ENCODE_NONE, `dst`
 *            untouched), a null `type`, or the decoder's -1.
 * @par Worst-case dstSize
 * that of the decoder chosen: 3L + 3 covers them all.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize, int32_t* type);

/** Detects the encoding of an 8-bit URL and decodes it into Shift_JIS; see
 * ZR_URL_DecodeW(). The decoders are ZR_URL_DecodeJisA(),
 * ZR_URL_DecodeSJisA() (which cuts short rather than fails),
 * ZR_URL_DecodeEucA() and ZR_URL_DecodeUtf8A().
 *
 * @param src     NUL-terminated 8-bit URL.
 * @param dst     Shift_JIS output.
 * @param dstSize capacity of `dst` in bytes.
 * @param type    receives the encode type, ::ZR_ENCODE_NONE included.
 * @return the result of the decoder that ran.
 * @retval -1 no encoding recognised (`*type` is ::ZR_ENCODE_NONE, `dst`
 *            untouched), a null `type`, or the decoder's -1.
 * @par Worst-case dstSize
 * that of the decoder chosen: 3L + 3 covers them all.
 */
ZR_API int32_t ZR_CALL ZR_URL_DecodeA(const char* src, char* dst, int32_t dstSize, int32_t* type);

/** @} */

/** @defgroup zr_url_encode URL encoding
 * @brief Japanese text to a percent-encoded URL in a chosen encoding.
 *
 * The text is converted to the bytes of the encoding named by `type`, and
 * the bytes are written as URL text. The bytes of each multi-byte character
 * follow the byte-escape rule: `A`-`Z`, `a`-`z`, `0`-`9`, `*`, `-`, `.`,
 * `@` and `_` stand for themselves, every other byte is `%` and two
 * upper-case hexadecimal digits (so `%83A` for Shift_JIS 0x83 0x41). Every
 * other byte follows the plain rule: space becomes `+`, a byte 0x80..0xFF is
 * escaped, anything else stands as it is (`/`, `?`, `&`, `=`, `%`, `+`,
 * control characters): the output is 7-bit. In ISO-2022-JP, ESC $ B is
 * written `%1B%24B` and ESC ( B `%1B%28B`, and a text that ends in
 * double-byte mode is closed with `%1B%28B`. Multi-byte characters are
 * found with ZR_IsMultiByteChar() (Shift_JIS), ZR_IsEucJpChar() byte by
 * byte (EUC-JP: only 0xA1..0xDF) and ZR_IsUtf8Char() (UTF-8).
 *
 * When the next piece (a character, an escape or a designation) would leave
 * no room for the terminator, the encoder fails with -1 and `dst` is an
 * empty string, so no URL is ever cut inside an escape. Past the terminator
 * `dst` is not zero-filled.
 *
 * @code{.c}
 * char url[64];
 * int32_t n = ZR_URL_EncodeA("\x93\xfa\x96\x7b", url, sizeof url, ZR_ENCODE_UTF8);
 * assert(n == 18 && strcmp(url, "%E6%97%A5%E6%9C%AC") == 0);
 * n = ZR_URL_EncodeA("a b/\x82\xa0", url, sizeof url, ZR_ENCODE_SJIS);
 * assert(n == 10 && strcmp(url, "a+b/%82%A0") == 0);
 * ZR_WCHAR text[] = {0x4E9C, 0};
 * ZR_WCHAR wide[32];
 * n = ZR_URL_EncodeW(text, wide, 32, ZR_ENCODE_JIS);  // %1B%24B0%21%1B%28B
 * assert(n == 18 && wide[7] == '0' && wide[8] == '%' && wide[18] == 0);
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Percent-encodes UTF-16 text; the URL is written as UTF-16 units.
 *
 * The text is converted with ZR_UnicodeToJis(), ZR_UnicodeToSJis(),
 * ZR_UnicodeToEuc() or ZR_UnicodeToUtf8() into a scratch of 8n + 1 bytes. A
 * character whose Shift_JIS form is a user-defined character ends the
 * ISO-2022-JP text there, without failing, and the URL is closed with
 * `%1B%28B`.
 *
 * @param src     NUL-terminated UTF-16 text.
 * @param dst     UTF-16 output: the URL and a zero unit.
 * @param dstSize capacity of `dst` in 16-bit units, terminator included.
 * @param type    ::ZR_ENCODE_JIS, ::ZR_ENCODE_SJIS, ::ZR_ENCODE_EUC or
 *                ::ZR_ENCODE_UTF8.
 * @return the units written before the zero unit.
 * @retval 0  the conversion produced nothing; `dst` is untouched.
 * @retval -1 `type` is none of the four, `src` is empty, or no scratch
 *            memory (`dst` untouched); or the URL does not fit (`dst` is an
 *            empty string).
 * @par Worst-case dstSize
 * ISO-2022-JP: 20 ceil(n/2) + 3 floor(n/2) + 1 (a kanji alone is two escapes
 * and two designations: U+3000 is `%1B%24B%21%21%1B%28B` and needs 21).
 * Shift_JIS and EUC-JP: 6n + 1. UTF-8: 9n + 1.
 */
ZR_API int32_t ZR_CALL ZR_URL_EncodeW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize, int32_t type);

/** Percent-encodes Shift_JIS text; the URL is written as 8-bit text.
 *
 * The text is converted with ZR_SJisToJis(), ZR_SJisToEuc() or
 * ZR_SJisToUtf8(); with ::ZR_ENCODE_SJIS it is escaped as it stands,
 * without scratch.
 *
 * @param src     NUL-terminated Shift_JIS text.
 * @param dst     8-bit output: the URL and a NUL.
 * @param dstSize capacity of `dst` in bytes, NUL included.
 * @param type    ::ZR_ENCODE_JIS, ::ZR_ENCODE_SJIS, ::ZR_ENCODE_EUC or
 *                ::ZR_ENCODE_UTF8.
 * @return the bytes written before the NUL; 0 for an empty `src` with
 *         ::ZR_ENCODE_SJIS (`dst` is then an empty string).
 * @retval 0  the conversion produced nothing; `dst` is untouched.
 * @retval -1 `type` is none of the four, the conversion refused the text
 *            (empty, or a user-defined character towards ISO-2022-JP or
 *            EUC-JP), or no scratch memory (`dst` untouched); or the URL
 *            does not fit (`dst` is an empty string).
 * @par Worst-case dstSize
 * ISO-2022-JP: 10n + 1 (reached by one double-byte character). Shift_JIS and
 * EUC-JP: 3n + 1. UTF-8: 9n + 1.
 */
ZR_API int32_t ZR_CALL ZR_URL_EncodeA(const char* src, char* dst, int32_t dstSize, int32_t type);

/** @} */

/** @defgroup zr_codetable Code tables
 * @brief Tables of code pairs loaded from text files, and lookups through
 * them.
 *
 * A table file has one record a line, `CODE,CODE,comment` with both codes in
 * hexadecimal (leading white space, a sign and a `0x` prefix accepted; the
 * digits up to the first other character count; no digit reads as 0). The
 * third field must be present but is never read. A line starting with `/`
 * is a comment; any other line without exactly three fields, a blank line
 * included, fails the load. A line where either code is 0xFFFF maps nothing.
 * The last line needs no line break.
 *
 * A loaded table lives in a temporary file `ZR_XXXXXXXX.tmp`, created
 * exclusively with mode 0600 in the directory named by the environment
 * variable `TEMP` (and only there: with `TEMP` unset the load fails with
 * ::ZR_CODETABLE_NO_TEMP_NAME), and mapped into memory until
 * ZR_CodeTableTerm(). Tables that are never released leave their files
 * behind.
 *
 * @par Threads
 * Lookups only read a table: any number of threads may use one table at
 * once. ZR_CodeTableTerm() must not overlap another call on the same table.
 * The loaders are the exception to the library's rule: they set one
 * process-wide error code and line (kept in atomics, so never torn), and
 * ZR_CodeTableError() and ZR_CodeTableErrorLine() tell the outcome of
 * whichever load in the process set them last. A program that loads tables
 * on more than one thread must serialise the loads, each together with the
 * reading of its error.
 *
 * @code{.c}
 * FILE* f = fopen("kana-table.txt", "w");
 * assert(f != NULL);
 * fputs("/ hiragana to katakana\n3042,30A2,a\n3044,30A4,i\n", f);
 * fclose(f);
 * // TEMP must name a writable directory.
 * CodeTable* table = ZR_CodeTableInitA("kana-table.txt", 0, 2, 1);
 * assert(table != NULL && ZR_CodeTableError() == ZR_CODETABLE_OK);
 * int32_t code = ZR_CodeTableCode(table, 0x3042);
 * assert(code == 0x30A2);
 * ZR_WCHAR in[] = {0x3042, 'x', 0x3044, 0};
 * ZR_WCHAR out[8];
 * int32_t n = ZR_CodeTableString(table, in, out, 8);  // 'x' has no record
 * assert(n == 2 && out[0] == 0x30A2 && out[1] == 0x30A4);
 * ZR_CodeTableTerm(table);
 * remove("kana-table.txt");
 * @endcode
 * @see zr_moji.h for the conventions every export follows.
 * @{
 */

/** Loads a code table from a text file named by a UTF-16 path.
 *
 * Sets the process-wide error code (::ZR_CODETABLE_OK first, on every call)
 * and, for ::ZR_CODETABLE_BAD_LINE, the error line; see the group's note on
 * threads. On failure nothing is left behind.
 *
 * @param path       NUL-terminated UTF-16 path of the text file.
 * @param direction  0: the first code is the key and the second the value;
 *                   1: the reverse. Any other value fails with
 *                   ::ZR_CODETABLE_BAD_DIRECTION.
 * @param openOption the file's encoding: 0 detects a byte-order mark (UTF-8
 *                   or UTF-16LE) and otherwise reads Shift_JIS; 1 Shift_JIS;
 *                   2 UTF-8; 3 UTF-16LE; any other value fails with
 *                   ::ZR_CODETABLE_OPEN_FAILED.
 * @param sortOnLoad nonzero sorts the records by key (equal keys in no set
 *                   order); 0 keeps the file's order, in which case the file
 *                   must list its keys in ascending signed order for the
 *                   lookups to find them.
 * @return the table's handle, to be released with ZR_CodeTableTerm(); NULL
 *         on failure, with ZR_CodeTableError() telling why: ::ZR_CODETABLE_OPEN_FAILED
 *         (also for a null `path`), ::ZR_CODETABLE_NO_TEMP_NAME,
 *         ::ZR_CODETABLE_READ_FAILED, ::ZR_CODETABLE_WRITE_FAILED,
 *         ::ZR_CODETABLE_BAD_LINE, ::ZR_CODETABLE_EMPTY (no record) or
 *         ::ZR_CODETABLE_MAP_FAILED (also when no memory for the table).
 */
ZR_API CodeTable* ZR_CALL ZR_CodeTableInitW(const ZR_WCHAR* path, int32_t direction, int32_t openOption, int32_t sortOnLoad);

/** Loads a code table from a text file named by a Shift_JIS path; see
 * ZR_CodeTableInitW().
 *
 * The path is converted with ZR_SJisToUnicode() into 260 units; a path that
 * does not fit fails the load with ::ZR_CODETABLE_OPEN_FAILED.
 *
 * @param path       NUL-terminated Shift_JIS path of the text file.
 * @param direction  0: first code is the key; 1: second code is the key.
 * @param openOption the file's encoding, as for ZR_CodeTableInitW().
 * @param sortOnLoad nonzero sorts the records by key.
 * @return the table's handle, or NULL with ZR_CodeTableError() telling why.
 */
ZR_API CodeTable* ZR_CALL ZR_CodeTableInitA(const char* path, int32_t direction, int32_t openOption, int32_t sortOnLoad);

/** Gives the error code of the most recent code-table load in the process.
 *
 * @return ::ZR_CODETABLE_OK (also before any load) or one of the
 *         `ZR_CODETABLE_` error codes.
 */
ZR_API int32_t ZR_CALL ZR_CodeTableError(void);

/** Gives the line number of the most recent ::ZR_CODETABLE_BAD_LINE error.
 *
 * Lines count from 1, comment lines included. The value is set only by a
 * load that fails with ::ZR_CODETABLE_BAD_LINE and stays until the next
 * such load, whatever loads come between.
 *
 * @return the line number, or 0 when no load has failed so.
 */
ZR_API int32_t ZR_CALL ZR_CodeTableErrorLine(void);

/** Maps one code through a table.
 *
 * A binary search over the keys: with keys out of order (a file loaded
 * without sorting that is not sorted) present keys may not be found. Where
 * several records share a key, any of their values may come back.
 *
 * @param table a handle from ZR_CodeTableInitW() or ZR_CodeTableInitA().
 * @param code  the key to look up.
 * @return the value of a record with that key, whole (all 32 bits); -1 when
 *         there is none or `table` is null. A record's value may itself be
 *         -1: the two cannot be told apart.
 */
ZR_API int32_t ZR_CALL ZR_CodeTableCode(const CodeTable* table, int32_t code);

/** Maps a UTF-16 string through a table, unit by unit.
 *
 * Each unit (0..65535) is looked up as ZR_CodeTableCode() does; the low 16
 * bits of its value are stored, and a unit without a record, or whose value
 * has 0xFFFF in its low 16 bits, stores nothing. No terminator is written:
 * the first `dstSize` bytes (half the units) are zero-filled first, so
 * `dst[result]` is 0 only while result < dstSize / 2. Use the result as the
 * length.
 *
 * @param table   a handle from ZR_CodeTableInitW() or ZR_CodeTableInitA().
 * @param src     NUL-terminated UTF-16 string.
 * @param dst     16-bit output units.
 * @param dstSize capacity of `dst` in 16-bit units.
 * @return the number of units stored (0 for an empty `src`).
 * @retval -1 `dst` is full while a unit of `src` remains, even one that
 *            would store nothing (`dst` keeps the units stored so far); a
 *            null pointer or negative `dstSize` (nothing touched).
 * @par Worst-case dstSize
 * n units. Tight when every unit has a record.
 */
ZR_API int32_t ZR_CALL ZR_CodeTableString(const CodeTable* table, const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);

/** Releases a table and deletes its temporary file.
 *
 * The handle is invalid afterwards. Must not overlap another call on the
 * same table.
 *
 * @param table a handle from ZR_CodeTableInitW() or ZR_CodeTableInitA(), or
 *              NULL (nothing is done).
 */
ZR_API void ZR_CALL ZR_CodeTableTerm(CodeTable* table);

/** @} */

#ifdef __cplusplus
}
#endif

#endif /* ZR_MOJI_H */
