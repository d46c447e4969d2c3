/* zr_basis.h - ZR_Basis: text files read line by line as UTF-16, and CSV lines
 * split into fields.
 *
 * Text files:
 *   ZR_TEXTFILE f = ZR_TextFileOpenW(path, u"r", ZR_BASIS_ENC_AUTO);
 *   while (ZR_TextFileGetsW(f, line, 1024)) { ... }
 *   if (ZR_TextFileError(f)) { ... }
 *   ZR_TextFileClose(f);
 * A line arrives NUL-terminated with its line break as one "\n" (CR LF and LF
 * both end a line; a lone CR is text). A line that does not fit the buffer
 * arrives in pieces of size - 1 units, only the last of them ending in "\n".
 * ZR_TextFileEof() turns nonzero once a read has run into the end of the file:
 * a read that delivers a whole line with its line break never sets it, so
 * after a file that ends in a line break it is the next read, delivering
 * nothing, that reports the end; a last line without a line break is
 * delivered by the read that also reports the end.
 *
 * Encodings (the openOption of ZR_TextFileOpenW):
 *   ZR_BASIS_ENC_AUTO    0  UTF-8 after an EF BB BF mark, UTF-16LE after FF FE,
 *                           otherwise Shift_JIS (code page 932)
 *   ZR_BASIS_ENC_SJIS    1  Shift_JIS (code page 932)
 *   ZR_BASIS_ENC_UTF8    2  UTF-8 (a leading EF BB BF mark is skipped)
 *   ZR_BASIS_ENC_UTF16LE 3  UTF-16 little-endian (a leading FF FE mark is skipped)
 * Any other value makes the open fail. Malformed UTF-8 becomes U+FFFD, a
 * Shift_JIS pair without a character U+30FB, a lone trailing UTF-16 byte
 * U+FFFD; none of them is a read error.
 *
 * CSV: ZR_StringCSVW splits a line at commas into a StrList. With option
 * ZR_CSV_UNQUOTE (1), a field that begins with a double quote runs to the
 * matching quote, may hold commas, and has its quotes removed
 * and doubled quotes ("") made single; with option 0 fields are taken as they
 * stand. A line break at the end of the line is not part of the last field.
 * An empty line is one empty field. */
#ifndef ZR_BASIS_H
#define ZR_BASIS_H

#include <stdint.h>

#if defined(_WIN32)
#  include <wchar.h>
#  define BASIS_CALL __stdcall
#  if defined(ZR_BASIS_BUILD)
#    define BASIS_API __declspec(dllexport)
#  else
#    define BASIS_API __declspec(dllimport)
#  endif
typedef wchar_t BASIS_WCHAR;
#else
#  define BASIS_CALL
#  if defined(ZR_BASIS_BUILD)
#    define BASIS_API __attribute__((visibility("default")))
#  else
#    define BASIS_API
#  endif
#  if defined(__cplusplus)
typedef char16_t BASIS_WCHAR;
#  else
typedef uint16_t BASIS_WCHAR;
#  endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define ZR_BASIS_ENC_AUTO 0
#define ZR_BASIS_ENC_SJIS 1
#define ZR_BASIS_ENC_UTF8 2
#define ZR_BASIS_ENC_UTF16LE 3

#define ZR_CSV_UNQUOTE 1

/* An open text file; 0 means none. */
typedef intptr_t ZR_TEXTFILE;

/* The fields of one CSV line: `count` NUL-terminated strings. */
typedef struct StrList {
    int32_t count;
    BASIS_WCHAR** strings;
} StrList;

/* Opens `path` for reading. `mode` must start with "r" and ask for nothing
 * but reading ("r", "rt", "rb"). Returns 0 when the file cannot be opened,
 * is a directory, or `mode` or `openOption` is not one of the above. */
BASIS_API ZR_TEXTFILE BASIS_CALL ZR_TextFileOpenW(const BASIS_WCHAR* path, const BASIS_WCHAR* mode, int32_t openOption);

/* Nonzero once a read has run into the end of the file (and for handle 0). */
BASIS_API int32_t BASIS_CALL ZR_TextFileEof(ZR_TEXTFILE file);

/* Reads the next line, or its next size - 1 units, into `buf` (`size` units,
 * at least 2) and terminates it. Returns `buf`, or null when nothing was
 * read: at the end of the file, after a read error, or for bad arguments;
 * `buf` is then an empty string when size is at least 1. */
BASIS_API BASIS_WCHAR* BASIS_CALL ZR_TextFileGetsW(ZR_TEXTFILE file, BASIS_WCHAR* buf, int32_t size);

/* Nonzero once reading has failed (and for handle 0). */
BASIS_API int32_t BASIS_CALL ZR_TextFileError(ZR_TEXTFILE file);

/* Splits `line` into `list`, which need not be initialised. Returns the field
 * count (at least 1), or -1 with an empty list when `line` or `list` is null
 * or memory runs out. Release the list with ZR_DeleteStrListW. */
BASIS_API int32_t BASIS_CALL ZR_StringCSVW(const BASIS_WCHAR* line, StrList* list, int32_t option);

/* Releases what ZR_StringCSVW put into `list` and empties it. */
BASIS_API void BASIS_CALL ZR_DeleteStrListW(StrList* list);

/* Closes the file and frees the handle. Returns 0, or -1 when closing failed
 * or the handle is 0. */
BASIS_API int32_t BASIS_CALL ZR_TextFileClose(ZR_TEXTFILE file);

#ifdef __cplusplus
}
#endif

#endif /* ZR_BASIS_H */
