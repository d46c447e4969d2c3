/* zr_moji.h - public C interface of ZR_Moji, Japanese character-code conversions.
 *
 * Every export is a plain C function. Results are 32-bit ints: a length, 0 when
 * the output did not fit (or the host converter refused), -1 for refused input.
 * Byte strings are NUL-terminated 8-bit text; UTF-16 strings are ZR_WCHAR units
 * in host order ending with a zero unit. See README.md for the conventions. */
#ifndef ZR_MOJI_H
#define ZR_MOJI_H

#include <stdint.h>

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

/* Encode types of the URL family. */
#define ZR_ENCODE_NONE (-1)
#define ZR_ENCODE_JIS 0
#define ZR_ENCODE_SJIS 1
#define ZR_ENCODE_EUC 2
#define ZR_ENCODE_UTF8 3

/* EBCDIC table selectors. */
#define ZR_EBCDIC_TABLE_400 0x400
#define ZR_EBCDIC_TABLE_KANA 0x500
#define ZR_EBCDIC_TABLE_600 0x600

/* Code-table load errors, read with ZR_CodeTableError(). */
#define ZR_CODETABLE_OK 0             /* no error */
#define ZR_CODETABLE_BAD_DIRECTION 1  /* direction neither 0 nor 1 */
#define ZR_CODETABLE_OPEN_FAILED 2    /* the text file cannot be opened */
#define ZR_CODETABLE_NO_TEMP_NAME 3   /* no temporary file name */
#define ZR_CODETABLE_READ_FAILED 4    /* the text file reported a read error */
#define ZR_CODETABLE_WRITE_FAILED 5   /* write or seek on the temporary file failed */
#define ZR_CODETABLE_BAD_LINE 6       /* a line without exactly three fields */
#define ZR_CODETABLE_EMPTY 7          /* the file yielded no record */
#define ZR_CODETABLE_MAP_FAILED 8     /* the temporary file cannot be reopened or mapped */

/* Opaque handle of a loaded code table. */
typedef struct CodeTable CodeTable;

/* Shift_JIS (code page 932) and UTF-16 */
ZR_API int32_t ZR_CALL ZR_SJisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_UnicodeToSJis(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_IsMultiByteChar(const char* p);

/* JIS (ISO-2022-JP) and Shift_JIS */
ZR_API int32_t ZR_CALL ZR_JisToSJis(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_SJisToJis(const char* src, char* dst, int32_t dstSize);

/* EUC-JP */
ZR_API int32_t ZR_CALL ZR_EucToJis(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_JisToEuc(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_EucToSJis(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_SJisToEuc(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_IsEucJpChar(const char* p);

/* UTF-16 with JIS and EUC-JP */
ZR_API int32_t ZR_CALL ZR_JisToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_UnicodeToJis(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_EucToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_UnicodeToEuc(const ZR_WCHAR* src, char* dst, int32_t dstSize);

/* UTF-8 and UTF-7 */
ZR_API int32_t ZR_CALL ZR_Utf8ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_UnicodeToUtf8(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Utf8ToSJis(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_SJisToUtf8(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Utf7ToUnicode(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_UnicodeToUtf7(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Utf7ToSJis(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_SJisToUtf7(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_IsUtf8Char(const char* p);

/* EBCDIC */
ZR_API int32_t ZR_CALL ZR_AsciiToEbcdic(const char* src, char* dst, int32_t dstSize, int32_t selector);
ZR_API int32_t ZR_CALL ZR_EbcdicToAscii(const char* src, char* dst, int32_t dstSize, int32_t selector);
ZR_API uint8_t ZR_CALL ZR_AsciiEbcdicCode(int32_t code, int32_t selector);
ZR_API uint8_t ZR_CALL ZR_EbcdicAsciiCode(int32_t code, int32_t selector);

/* Base64 */
ZR_API int32_t ZR_CALL ZR_Base64_Encode(const unsigned char* src, int32_t srcLen, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_Decode(const char* src, unsigned char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeSJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeSJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeEUCW(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeEUCA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeUTF8W(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_EncodeUTF8A(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeSJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeSJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeEUCW(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeEUCA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeUTF8W(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_Base64_DecodeUTF8A(const char* src, char* dst, int32_t dstSize);

/* Quoted-Printable */
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_Encode(const unsigned char* src, int32_t srcLen, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_Decode(const char* src, unsigned char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeSJISW(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeSJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeEUCW(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeEUCA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeUTF8W(const ZR_WCHAR* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_EncodeUTF8A(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeSJISW(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeSJISA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeEUCW(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeEUCA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeUTF8W(const char* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_QuotedPrintable_DecodeUTF8A(const char* src, char* dst, int32_t dstSize);

/* URL tests and encoding detection */
ZR_API int32_t ZR_CALL ZR_URL_IsProtocolW(const ZR_WCHAR* url);
ZR_API int32_t ZR_CALL ZR_URL_IsProtocolA(const char* url);
ZR_API int32_t ZR_CALL ZR_URL_IsJisEncodeW(const ZR_WCHAR* url);
ZR_API int32_t ZR_CALL ZR_URL_IsJisEncodeA(const char* url);
ZR_API int32_t ZR_CALL ZR_URL_IsSJisEncodeW(const ZR_WCHAR* url);
ZR_API int32_t ZR_CALL ZR_URL_IsSJisEncodeA(const char* url);
ZR_API int32_t ZR_CALL ZR_URL_IsEucEncodeW(const ZR_WCHAR* url);
ZR_API int32_t ZR_CALL ZR_URL_IsEucEncodeA(const char* url);
ZR_API int32_t ZR_CALL ZR_URL_IsUtf8EncodeW(const ZR_WCHAR* url);
ZR_API int32_t ZR_CALL ZR_URL_IsUtf8EncodeA(const char* url);
ZR_API int32_t ZR_CALL ZR_URL_EncodeTypeW(const ZR_WCHAR* url);
ZR_API int32_t ZR_CALL ZR_URL_EncodeTypeA(const char* url);

/* URL decoding */
ZR_API int32_t ZR_CALL ZR_URL_DecodeJisW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeJisA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeSJisW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeSJisA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeEucW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeEucA(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeUtf8W(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeUtf8A(const char* src, char* dst, int32_t dstSize);
ZR_API int32_t ZR_CALL ZR_URL_DecodeW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize, int32_t* type);
ZR_API int32_t ZR_CALL ZR_URL_DecodeA(const char* src, char* dst, int32_t dstSize, int32_t* type);

/* URL encoding */
ZR_API int32_t ZR_CALL ZR_URL_EncodeW(const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize, int32_t type);
ZR_API int32_t ZR_CALL ZR_URL_EncodeA(const char* src, char* dst, int32_t dstSize, int32_t type);

/* Code tables */
ZR_API CodeTable* ZR_CALL ZR_CodeTableInitW(const ZR_WCHAR* path, int32_t direction, int32_t openOption, int32_t sortOnLoad);
ZR_API CodeTable* ZR_CALL ZR_CodeTableInitA(const char* path, int32_t direction, int32_t openOption, int32_t sortOnLoad);
ZR_API int32_t ZR_CALL ZR_CodeTableError(void);
ZR_API int32_t ZR_CALL ZR_CodeTableErrorLine(void);
ZR_API int32_t ZR_CALL ZR_CodeTableCode(const CodeTable* table, int32_t code);
ZR_API int32_t ZR_CALL ZR_CodeTableString(const CodeTable* table, const ZR_WCHAR* src, ZR_WCHAR* dst, int32_t dstSize);
ZR_API void ZR_CALL ZR_CodeTableTerm(CodeTable* table);

#ifdef __cplusplus
}
#endif

#endif /* ZR_MOJI_H */
