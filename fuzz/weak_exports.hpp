// weak_exports.hpp - the public header with every export declared weak.
//
// The fuzz targets and the hardening tests link the subsystems that exist;
// an export that is not linked in reads as a null address and is skipped
// instead of failing the link. The names follow exports/zr_moji.def, which
// tests/header/check_exports.py holds this list to.
#pragma once

#include "zr_moji.h"

#pragma weak ZR_SJisToUnicode
#pragma weak ZR_UnicodeToSJis
#pragma weak ZR_IsMultiByteChar
#pragma weak ZR_JisToSJis
#pragma weak ZR_SJisToJis
#pragma weak ZR_EucToJis
#pragma weak ZR_JisToEuc
#pragma weak ZR_EucToSJis
#pragma weak ZR_SJisToEuc
#pragma weak ZR_IsEucJpChar
#pragma weak ZR_JisToUnicode
#pragma weak ZR_UnicodeToJis
#pragma weak ZR_EucToUnicode
#pragma weak ZR_UnicodeToEuc
#pragma weak ZR_Utf8ToUnicode
#pragma weak ZR_UnicodeToUtf8
#pragma weak ZR_Utf8ToSJis
#pragma weak ZR_SJisToUtf8
#pragma weak ZR_Utf7ToUnicode
#pragma weak ZR_UnicodeToUtf7
#pragma weak ZR_Utf7ToSJis
#pragma weak ZR_SJisToUtf7
#pragma weak ZR_IsUtf8Char
#pragma weak ZR_AsciiToEbcdic
#pragma weak ZR_EbcdicToAscii
#pragma weak ZR_AsciiEbcdicCode
#pragma weak ZR_EbcdicAsciiCode
#pragma weak ZR_Base64_Encode
#pragma weak ZR_Base64_Decode
#pragma weak ZR_Base64_EncodeJISW
#pragma weak ZR_Base64_EncodeJISA
#pragma weak ZR_Base64_EncodeSJISW
#pragma weak ZR_Base64_EncodeSJISA
#pragma weak ZR_Base64_EncodeEUCW
#pragma weak ZR_Base64_EncodeEUCA
#pragma weak ZR_Base64_EncodeUTF8W
#pragma weak ZR_Base64_EncodeUTF8A
#pragma weak ZR_Base64_DecodeJISW
#pragma weak ZR_Base64_DecodeJISA
#pragma weak ZR_Base64_DecodeSJISW
#pragma weak ZR_Base64_DecodeSJISA
#pragma weak ZR_Base64_DecodeEUCW
#pragma weak ZR_Base64_DecodeEUCA
#pragma weak ZR_Base64_DecodeUTF8W
#pragma weak ZR_Base64_DecodeUTF8A
#pragma weak ZR_QuotedPrintable_Encode
#pragma weak ZR_QuotedPrintable_Decode
#pragma weak ZR_QuotedPrintable_EncodeJISW
#pragma weak ZR_QuotedPrintable_EncodeJISA
#pragma weak ZR_QuotedPrintable_EncodeSJISW
#pragma weak ZR_QuotedPrintable_EncodeSJISA
#pragma weak ZR_QuotedPrintable_EncodeEUCW
#pragma weak ZR_QuotedPrintable_EncodeEUCA
#pragma weak ZR_QuotedPrintable_EncodeUTF8W
#pragma weak ZR_QuotedPrintable_EncodeUTF8A
#pragma weak ZR_QuotedPrintable_DecodeJISW
#pragma weak ZR_QuotedPrintable_DecodeJISA
#pragma weak ZR_QuotedPrintable_DecodeSJISW
#pragma weak ZR_QuotedPrintable_DecodeSJISA
#pragma weak ZR_QuotedPrintable_DecodeEUCW
#pragma weak ZR_QuotedPrintable_DecodeEUCA
#pragma weak ZR_QuotedPrintable_DecodeUTF8W
#pragma weak ZR_QuotedPrintable_DecodeUTF8A
#pragma weak ZR_URL_IsProtocolW
#pragma weak ZR_URL_IsProtocolA
#pragma weak ZR_URL_IsJisEncodeW
#pragma weak ZR_URL_IsJisEncodeA
#pragma weak ZR_URL_IsSJisEncodeW
#pragma weak ZR_URL_IsSJisEncodeA
#pragma weak ZR_URL_IsEucEncodeW
#pragma weak ZR_URL_IsEucEncodeA
#pragma weak ZR_URL_IsUtf8EncodeW
#pragma weak ZR_URL_IsUtf8EncodeA
#pragma weak ZR_URL_EncodeTypeW
#pragma weak ZR_URL_EncodeTypeA
#pragma weak ZR_URL_DecodeJisW
#pragma weak ZR_URL_DecodeJisA
#pragma weak ZR_URL_DecodeSJisW
#pragma weak ZR_URL_DecodeSJisA
#pragma weak ZR_URL_DecodeEucW
#pragma weak ZR_URL_DecodeEucA
#pragma weak ZR_URL_DecodeUtf8W
#pragma weak ZR_URL_DecodeUtf8A
#pragma weak ZR_URL_DecodeW
#pragma weak ZR_URL_DecodeA
#pragma weak ZR_URL_EncodeW
#pragma weak ZR_URL_EncodeA
#pragma weak ZR_CodeTableInitW
#pragma weak ZR_CodeTableInitA
#pragma weak ZR_CodeTableError
#pragma weak ZR_CodeTableErrorLine
#pragma weak ZR_CodeTableCode
#pragma weak ZR_CodeTableString
#pragma weak ZR_CodeTableTerm
