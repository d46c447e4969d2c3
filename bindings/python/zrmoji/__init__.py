"""zrmoji - the ZR_Moji Japanese character-code library from Python (ctypes).

Standard library only. The shared libraries (libzr_moji, libzr_basis and
the text module's libzr_text) are found through the environment variable
ZRMOJI_LIBRARY (the path of libzr_moji), else beside this package, else in a
build directory of the source tree, else on the system's library path (see
zrmoji._loader). Importing the package registers the codecs zr-cp932,
zr-iso2022jp, zr-eucjp and zr-utf7 (zrmoji._codecs).

The package's parts: this module wraps the 94 exports (the signature table
_SIGNATURES below); _text the text module (Converter, guess, kana width,
variant pairs); _codecs the codecs over it. Mail (header words, messages)
is to come as the submodule zrmoji.mail.

    >>> import zrmoji
    >>> zrmoji.encode("日本", "sjis")
    b'\\x93\\xfa\\x96{'
    >>> zrmoji.decode(b"\\x1b$BF|K\\\\\\x1b(B", "jis")
    '日本'

Text is ``str``, encoded text ``bytes``. Every wrapper sizes the output
buffer, retries with a larger one when the library says it did not fit, and
raises ZRMojiError (carrying the export's name and result) when the library
refuses the input.
"""

import codecs
import ctypes
import os
import re
import sys
from typing import Optional, Tuple, Union

from . import _loader

Bytes = Union[bytes, bytearray, memoryview]

__all__ = [
    "ZRMojiError", "CodeTableError", "CodeTable", "ENCODINGS", "CHARSETS",
    "decode", "encode", "convert",
    "is_multibyte_char", "is_euc_jp_char", "is_utf8_char",
    "ascii_to_ebcdic", "ebcdic_to_ascii", "ascii_ebcdic_code", "ebcdic_ascii_code",
    "base64_encode", "base64_decode", "base64_encode_text", "base64_decode_text",
    "qp_encode", "qp_decode", "qp_encode_text", "qp_decode_text",
    "url_encode", "url_decode", "url_decode_detect", "url_encode_type", "url_is_protocol",
    "url_is_encoded_as", "missing_exports", "library_path", "text_library_path",
    "ConversionError", "Converter", "Guess", "convert_bytes", "encoding_names", "guess",
    "guess_preference", "kana_to_fullwidth", "kana_to_halfwidth", "to_cp932_variants",
    "to_jis_variants", "validate", "variant_pairs", "codec_names",
]

ENCODINGS = ("jis", "sjis", "euc", "utf8", "utf7", "utf16")
# The transfer encodings of the MIME and URL families, in the order of the
# library's encode types (0 JIS, 1 Shift_JIS, 2 EUC-JP, 3 UTF-8).
CHARSETS = ("jis", "sjis", "euc", "utf8")

EBCDIC_TABLE_400 = 0x400
EBCDIC_TABLE_KANA = 0x500
EBCDIC_TABLE_600 = 0x600


class ZRMojiError(Exception):
    """The library refused the input: `function` returned `result`."""

    def __init__(self, function, result, message=None):
        self.function = function
        self.result = result
        super().__init__(message or "%s refused the input (result %d): %s" % (
            function, result, "it did not fit" if result == 0 else
            "empty, too long, malformed, a character it cannot convert, or no memory"))


class CodeTableError(ZRMojiError):
    """A code table did not load: `code` is ZR_CodeTableError(), `line` the
    line of a bad line (code 6)."""

    MESSAGES = {
        1: "direction neither 0 nor 1",
        2: "the file cannot be opened",
        3: "no temporary file name (is TEMP a writable directory?)",
        4: "the file reported a read error",
        5: "writing the temporary file failed",
        6: "a line without exactly three fields",
        7: "the file yielded no record",
        8: "the temporary file cannot be mapped",
    }

    def __init__(self, path, code, line):
        self.path = path
        self.code = code
        self.line = line
        what = self.MESSAGES.get(code, "error %d" % code)
        where = " (line %d)" % line if code == 6 else ""
        super().__init__("ZR_CodeTableInitW", 0, "%s: %s%s" % (path, what, where))


def _read_version():
    """The release this module belongs to. A copy installed from a build
    has it beside itself in _zrmoji_version.py, which CMake writes from the
    project version; in the source tree it is read from that project line
    itself, the one place the version is kept."""
    here = os.path.dirname(os.path.abspath(__file__))
    for path, pattern in (
            (os.path.join(here, "_zrmoji_version.py"), r'^__version__ = "([^"]+)"'),
            (os.path.join(here, "..", "..", "..", "CMakeLists.txt"),
             r"^project\(\s*ZRMoji\s+VERSION\s+([0-9][0-9.]*)")):
        try:
            with open(path, encoding="utf-8") as f:
                m = re.search(pattern, f.read(), re.M)
        except OSError:
            continue
        if m:
            return m.group(1)
    return "0+unknown"


__version__ = _read_version()

# The library keeps loaded code tables in files under TEMP, the only
# variable it reads; most Linux sessions do not set it.
if not os.environ.get("TEMP"):
    os.environ["TEMP"] = os.environ.get("TMPDIR") or "/tmp"

# ---- loading ----------------------------------------------------------------

_libs = _loader.load()
_lib, library_path = _libs.moji, _libs.moji_path

# ---- the 94 exports: the ctypes signature table --------------------------------
#
# One entry per export of include/zr_moji.h, in its order: (name, result
# type, argument types). Every wrapper below calls through `exports`, built
# from this table alone.

_I32 = ctypes.c_int32
_U8 = ctypes.c_uint8
_S = ctypes.c_char_p                  # byte string (input) or byte buffer (output)
_W = ctypes.POINTER(ctypes.c_uint16)  # ZR_WCHAR: 16-bit units on every host
_T = ctypes.c_void_p                  # CodeTable*
_PI = ctypes.POINTER(ctypes.c_int32)

# Names in the order of exports/zr_moji.def and types as the header declares
# them; tests/header/check_exports.py holds both to those files.
_SIGNATURES = [
    # Shift_JIS and UTF-16
    ("ZR_SJisToUnicode", _I32, [_S, _W, _I32]),
    ("ZR_UnicodeToSJis", _I32, [_W, _S, _I32]),
    ("ZR_IsMultiByteChar", _I32, [_S]),
    # JIS and Shift_JIS
    ("ZR_JisToSJis", _I32, [_S, _S, _I32]),
    ("ZR_SJisToJis", _I32, [_S, _S, _I32]),
    # EUC-JP
    ("ZR_EucToJis", _I32, [_S, _S, _I32]),
    ("ZR_JisToEuc", _I32, [_S, _S, _I32]),
    ("ZR_EucToSJis", _I32, [_S, _S, _I32]),
    ("ZR_SJisToEuc", _I32, [_S, _S, _I32]),
    ("ZR_IsEucJpChar", _I32, [_S]),
    # UTF-16 with JIS and EUC-JP
    ("ZR_JisToUnicode", _I32, [_S, _W, _I32]),
    ("ZR_UnicodeToJis", _I32, [_W, _S, _I32]),
    ("ZR_EucToUnicode", _I32, [_S, _W, _I32]),
    ("ZR_UnicodeToEuc", _I32, [_W, _S, _I32]),
    # UTF-8 and UTF-7
    ("ZR_Utf8ToUnicode", _I32, [_S, _W, _I32]),
    ("ZR_UnicodeToUtf8", _I32, [_W, _S, _I32]),
    ("ZR_Utf8ToSJis", _I32, [_S, _S, _I32]),
    ("ZR_SJisToUtf8", _I32, [_S, _S, _I32]),
    ("ZR_Utf7ToUnicode", _I32, [_S, _W, _I32]),
    ("ZR_UnicodeToUtf7", _I32, [_W, _S, _I32]),
    ("ZR_Utf7ToSJis", _I32, [_S, _S, _I32]),
    ("ZR_SJisToUtf7", _I32, [_S, _S, _I32]),
    ("ZR_IsUtf8Char", _I32, [_S]),
    # EBCDIC
    ("ZR_AsciiToEbcdic", _I32, [_S, _S, _I32, _I32]),
    ("ZR_EbcdicToAscii", _I32, [_S, _S, _I32, _I32]),
    ("ZR_AsciiEbcdicCode", _U8, [_I32, _I32]),
    ("ZR_EbcdicAsciiCode", _U8, [_I32, _I32]),
    # Base64
    ("ZR_Base64_Encode", _I32, [_S, _I32, _S, _I32]),
    ("ZR_Base64_Decode", _I32, [_S, _S, _I32]),
]
for _cs in ("JIS", "SJIS", "EUC", "UTF8"):
    _SIGNATURES += [
        ("ZR_Base64_Encode%sW" % _cs, _I32, [_W, _S, _I32]),
        ("ZR_Base64_Encode%sA" % _cs, _I32, [_S, _S, _I32]),
    ]
for _cs in ("JIS", "SJIS", "EUC", "UTF8"):
    _SIGNATURES += [
        ("ZR_Base64_Decode%sW" % _cs, _I32, [_S, _W, _I32]),
        ("ZR_Base64_Decode%sA" % _cs, _I32, [_S, _S, _I32]),
    ]
_SIGNATURES += [
    ("ZR_QuotedPrintable_Encode", _I32, [_S, _I32, _S, _I32]),
    ("ZR_QuotedPrintable_Decode", _I32, [_S, _S, _I32]),
]
for _cs in ("JIS", "SJIS", "EUC", "UTF8"):
    _SIGNATURES += [
        ("ZR_QuotedPrintable_Encode%sW" % _cs, _I32, [_W, _S, _I32]),
        ("ZR_QuotedPrintable_Encode%sA" % _cs, _I32, [_S, _S, _I32]),
    ]
for _cs in ("JIS", "SJIS", "EUC", "UTF8"):
    _SIGNATURES += [
        ("ZR_QuotedPrintable_Decode%sW" % _cs, _I32, [_S, _W, _I32]),
        ("ZR_QuotedPrintable_Decode%sA" % _cs, _I32, [_S, _S, _I32]),
    ]
for _t in ("IsProtocol", "IsJisEncode", "IsSJisEncode", "IsEucEncode", "IsUtf8Encode", "EncodeType"):
    _SIGNATURES += [("ZR_URL_%sW" % _t, _I32, [_W]), ("ZR_URL_%sA" % _t, _I32, [_S])]
for _cs in ("Jis", "SJis", "Euc", "Utf8"):
    _SIGNATURES += [
        ("ZR_URL_Decode%sW" % _cs, _I32, [_W, _W, _I32]),
        ("ZR_URL_Decode%sA" % _cs, _I32, [_S, _S, _I32]),
    ]
_SIGNATURES += [
    ("ZR_URL_DecodeW", _I32, [_W, _W, _I32, _PI]),
    ("ZR_URL_DecodeA", _I32, [_S, _S, _I32, _PI]),
    ("ZR_URL_EncodeW", _I32, [_W, _W, _I32, _I32]),
    ("ZR_URL_EncodeA", _I32, [_S, _S, _I32, _I32]),
    # Code tables
    ("ZR_CodeTableInitW", _T, [_W, _I32, _I32, _I32]),
    ("ZR_CodeTableInitA", _T, [_S, _I32, _I32, _I32]),
    ("ZR_CodeTableError", _I32, []),
    ("ZR_CodeTableErrorLine", _I32, []),
    ("ZR_CodeTableCode", _I32, [_T, _I32]),
    ("ZR_CodeTableString", _I32, [_T, _W, _W, _I32]),
    ("ZR_CodeTableTerm", None, [_T]),
]
del _cs, _t

assert len(_SIGNATURES) == 94, len(_SIGNATURES)

# Raw exports by name; a library built without some of them still loads,
# and the names it lacks are listed here.
exports = {}
missing_exports = []
for _name, _res, _args in _SIGNATURES:
    try:
        _f = getattr(_lib, _name)
    except AttributeError:
        missing_exports.append(_name)
        continue
    _f.restype = _res
    _f.argtypes = _args
    exports[_name] = _f
del _name, _res, _args


def _fn(name):
    try:
        return exports[name]
    except KeyError:
        raise NotImplementedError("%s is not in %s" % (name, library_path)) from None


# ---- buffers ----------------------------------------------------------------

def _wide(text):
    """str -> zero-terminated ZR_WCHAR array, and its length in units."""
    if not isinstance(text, str):
        raise TypeError("expected str, got %s" % type(text).__name__)
    if "\0" in text:
        # The export would stop there and drop the rest without a word.
        raise ValueError("the library reads NUL-terminated strings; this one holds a NUL")
    data = text.encode("utf-16-le", "surrogatepass")
    n = len(data) // 2
    arr = (ctypes.c_uint16 * (n + 1)).from_buffer_copy(data + b"\0\0")
    return arr, n


def _bytes(data, what="bytes"):
    if isinstance(data, str):
        data = data.encode("ascii")
    if not isinstance(data, (bytes, bytearray)):
        raise TypeError("expected %s, got %s" % (what, type(data).__name__))
    data = bytes(data)
    if b"\0" in data:
        raise ValueError("the library reads NUL-terminated strings; this one holds a NUL byte")
    return data


def _units_to_str(arr, n):
    return bytes(memoryview(arr).cast("B")[: 2 * n]).decode("utf-16-le", "surrogatepass")


_LIMIT = 0x7FFFFFF0


def _grow(name, first, bound, call):
    """Calls call(capacity) from `first` doubling up to `bound` while it
    reports 0 (did not fit). Raises on -1."""
    cap = max(1, min(first, bound))
    while True:
        if cap > _LIMIT:
            raise ZRMojiError(name, 0, "%s: text too large for 32-bit sizes" % name)
        r = call(cap)
        if r < 0:
            raise ZRMojiError(name, r)
        if r != 0 or cap >= bound:
            return r, cap
        cap = min(cap * 2, bound)


def _to_bytes(name, src, mul, add):
    f = _fn(name)
    buf = [None]

    def call(cap):
        buf[0] = ctypes.create_string_buffer(cap)
        return f(src, buf[0], cap)

    r, cap = _grow(name, 2 * len(src) + 16, mul * len(src) + add, call)
    if r >= cap:
        raise ZRMojiError(name, r, "%s: result %d beyond the buffer" % (name, r))
    return buf[0].raw[:r]


def _wide_to_bytes(name, text, mul, add):
    f = _fn(name)
    arr, n = _wide(text)
    buf = [None]

    def call(cap):
        buf[0] = ctypes.create_string_buffer(cap)
        return f(arr, buf[0], cap)

    r, cap = _grow(name, 2 * n + 16, mul * n + add, call)
    if r >= cap:
        raise ZRMojiError(name, r, "%s: result %d beyond the buffer" % (name, r))
    return buf[0].raw[:r]


def _bytes_to_wide(name, src, mul, add):
    f = _fn(name)
    buf = [None]

    def call(cap):
        buf[0] = (ctypes.c_uint16 * cap)()
        return f(src, buf[0], cap)

    r, cap = _grow(name, 2 * len(src) + 16, mul * len(src) + add, call)
    if r > cap:
        raise ZRMojiError(name, r, "%s: result %d beyond the buffer" % (name, r))
    # The result counts the terminating zero unit.
    return _units_to_str(buf[0], max(r - 1, 0))


# ---- conversions -------------------------------------------------------------

# Worst-case growth of each export's output (units out per unit in, plus a
# constant): JIS needs 3 bytes per switch of mode, and the two-step exports
# give their intermediate text the same capacity as their output.
_TO_WIDE = {
    "sjis": ("ZR_SJisToUnicode", 1, 2), "jis": ("ZR_JisToUnicode", 1, 2),
    "euc": ("ZR_EucToUnicode", 4, 8), "utf8": ("ZR_Utf8ToUnicode", 1, 2),
    "utf7": ("ZR_Utf7ToUnicode", 1, 2),
}
_FROM_WIDE = {
    "sjis": ("ZR_UnicodeToSJis", 2, 2), "jis": ("ZR_UnicodeToJis", 8, 8),
    "euc": ("ZR_UnicodeToEuc", 8, 8), "utf8": ("ZR_UnicodeToUtf8", 3, 2),
    "utf7": ("ZR_UnicodeToUtf7", 8, 8),
}
_DIRECT = {
    ("sjis", "jis"): ("ZR_SJisToJis", 4, 8), ("jis", "sjis"): ("ZR_JisToSJis", 1, 2),
    ("euc", "jis"): ("ZR_EucToJis", 4, 8), ("jis", "euc"): ("ZR_JisToEuc", 1, 3),
    ("euc", "sjis"): ("ZR_EucToSJis", 4, 8), ("sjis", "euc"): ("ZR_SJisToEuc", 4, 8),
    ("utf8", "sjis"): ("ZR_Utf8ToSJis", 2, 2), ("sjis", "utf8"): ("ZR_SJisToUtf8", 3, 2),
    ("utf7", "sjis"): ("ZR_Utf7ToSJis", 2, 2), ("sjis", "utf7"): ("ZR_SJisToUtf7", 8, 8),
}


def _check_encoding(e, allowed=ENCODINGS):
    if e not in allowed:
        raise ValueError("unknown encoding %r (use %s)" % (e, ", ".join(allowed)))


def _has_user_defined_pair(sj):
    i = 0
    while i < len(sj):
        b = sj[i]
        lead = 0x81 <= b <= 0x9F or 0xE0 <= b <= 0xFC
        if lead and i + 1 < len(sj) and 0x40 <= sj[i + 1] <= 0xFC and sj[i + 1] != 0x7F:
            if b >= 0xF0:
                return True
            i += 2
        else:
            i += 1
    return False


def _user_defined(text):
    """First character of `text` in the code page 932 user-defined area
    (Shift_JIS lead byte 0xF0..0xFC), which has no JIS X 0208 code; -1 when
    there is none. One conversion of the whole text tells whether to look."""
    if not text or not _has_user_defined_pair(_wide_to_bytes("ZR_UnicodeToSJis", text, 2, 2)):
        return -1
    for i, ch in enumerate(text):
        sj = _wide_to_bytes("ZR_UnicodeToSJis", ch, 2, 2)
        if len(sj) == 2 and sj[0] >= 0xF0:
            return i
    return -1


def decode(data: Bytes, encoding: str) -> str:
    """Encoded bytes -> str. `encoding`: jis, sjis, euc, utf8, utf7 or utf16
    (little-endian bytes)."""
    _check_encoding(encoding)
    if encoding == "utf16":
        return bytes(data).decode("utf-16-le", "surrogatepass")
    data = _bytes(data)
    if not data:
        return ""
    name, mul, add = _TO_WIDE[encoding]
    return _bytes_to_wide(name, data, mul, add)


def encode(text: str, encoding: str, errors: str = "strict") -> bytes:
    """str -> encoded bytes, as the library's export writes them.

    For sjis, jis and euc, a character code page 932 lacks (or has only a
    best-fit substitute for) raises UnicodeEncodeError with errors='strict';
    errors='replace' lets the export write its '?' or substitute. The JIS
    forms of the variant pairs (U+301C, ...) are written with the codes of
    their code page 932 twins, as the codecs write them. A
    character of the user-defined area raises ZRMojiError for jis and euc
    (the library would stop there).

    >>> encode("a😀", "sjis")
    Traceback (most recent call last):
    ...
    UnicodeEncodeError: 'zr-cp932' codec can't encode character '\\U0001f600' in position 1: character maps to no Shift_JIS code
    >>> encode("a😀", "sjis", errors="replace")
    b'a??'
    """
    _check_encoding(encoding)
    if errors not in ("strict", "replace"):
        raise ValueError("errors must be 'strict' or 'replace', not %r" % (errors,))
    if encoding == "utf16":
        return text.encode("utf-16-le", "surrogatepass")
    if not text:
        return b""
    if encoding in ("sjis", "jis", "euc"):
        # The variant pairs' JIS forms are written with their twins' codes,
        # and what is lost is decided by the text module, as in the codecs.
        text = to_cp932_variants(text)
        if errors == "strict" and "\0" not in text:
            text.encode("zr-cp932")
    if encoding in ("jis", "euc"):
        at = _user_defined(text)
        if at >= 0:
            raise ZRMojiError("ZR_UnicodeTo%s" % ("Jis" if encoding == "jis" else "Euc"), -1,
                              "character %r at %d has no JIS X 0208 code" % (text[at], at))
    name, mul, add = _FROM_WIDE[encoding]
    return _wide_to_bytes(name, text, mul, add)


def convert(data: Bytes, from_encoding: str, to_encoding: str) -> bytes:
    """Encoded bytes -> encoded bytes, with the library's direct export when
    there is one, else through UTF-16."""
    _check_encoding(from_encoding)
    _check_encoding(to_encoding)
    if from_encoding == to_encoding:
        return bytes(data)
    if (from_encoding, to_encoding) in _DIRECT:
        data = _bytes(data)
        if not data:
            return b""
        name, mul, add = _DIRECT[(from_encoding, to_encoding)]
        return _to_bytes(name, data, mul, add)
    return encode(decode(data, from_encoding), to_encoding)


def _one(name, data):
    data = bytes(data)
    return _fn(name)(data)


def is_multibyte_char(data: Bytes) -> bool:
    """ZR_IsMultiByteChar on the first two bytes: a Shift_JIS double-byte character?"""
    return bool(_one("ZR_IsMultiByteChar", _bytes(data)))


def is_euc_jp_char(data: Bytes) -> bool:
    """ZR_IsEucJpChar on the first byte (0xA1..0xDF)."""
    return bool(_one("ZR_IsEucJpChar", _bytes(data)))


def is_utf8_char(data: Bytes) -> int:
    """ZR_IsUtf8Char: the length (2..6) of the UTF-8 sequence at the start, or 0."""
    return _one("ZR_IsUtf8Char", _bytes(data))


# ---- EBCDIC ------------------------------------------------------------------

def ascii_to_ebcdic(data: Bytes, table: int = EBCDIC_TABLE_400) -> bytes:
    """ASCII-side bytes (Shift_JIS bytes pass in 0x28..0x29 brackets) -> EBCDIC."""
    data = _bytes(data)
    if not data:
        return b""
    buf = ctypes.create_string_buffer(3 * len(data) + 2)
    r = _fn("ZR_AsciiToEbcdic")(data, buf, len(buf), table)
    if r < 0:
        raise ZRMojiError("ZR_AsciiToEbcdic", r)
    return buf.raw[:r]


def ebcdic_to_ascii(data: Bytes, table: int = EBCDIC_TABLE_400) -> bytes:
    """EBCDIC bytes -> ASCII-side bytes."""
    data = _bytes(data)
    if not data:
        return b""
    buf = ctypes.create_string_buffer(len(data) + 2)
    r = _fn("ZR_EbcdicToAscii")(data, buf, len(buf), table)
    if r < 0:
        raise ZRMojiError("ZR_EbcdicToAscii", r)
    return buf.raw[:r]


def ascii_ebcdic_code(code: int, table: int = EBCDIC_TABLE_400) -> int:
    return _fn("ZR_AsciiEbcdicCode")(code, table)


def ebcdic_ascii_code(code: int, table: int = EBCDIC_TABLE_400) -> int:
    return _fn("ZR_EbcdicAsciiCode")(code, table)


# ---- MIME ---------------------------------------------------------------------

def _charset(cs):
    _check_encoding(cs, CHARSETS)
    return {"jis": "JIS", "sjis": "SJIS", "euc": "EUC", "utf8": "UTF8"}[cs]


def base64_encode(data: Bytes) -> str:
    """Bytes -> Base64 text on one line (str)."""
    data = bytes(data)
    if not data:
        return ""
    cap = (len(data) + 2) // 3 * 4 + 1
    buf = ctypes.create_string_buffer(cap)
    r = _fn("ZR_Base64_Encode")(data, len(data), buf, cap)
    if r < 0:
        raise ZRMojiError("ZR_Base64_Encode", r)
    return buf.raw[:r].decode("ascii")


def _b64_clean(text):
    if isinstance(text, (bytes, bytearray)):
        text = bytes(text).decode("ascii")
    # The library reads line breaks as characters; they are dropped here.
    text = "".join(text.split())
    if len(text) % 4 == 1:
        raise ValueError("Base64 text ending with a lone character")
    if len(text) % 4:
        text += "=" * (4 - len(text) % 4)
    return text.encode("ascii")


def base64_decode(text: Union[str, Bytes]) -> bytes:
    """Base64 text (str or bytes, white space ignored) -> bytes."""
    src = _b64_clean(text)
    if not src:
        return b""
    cap = len(src) // 4 * 3 + 1
    buf = ctypes.create_string_buffer(cap)
    r = _fn("ZR_Base64_Decode")(src, buf, cap)
    if r < 0:
        raise ZRMojiError("ZR_Base64_Decode", r)
    return buf.raw[:r]


def _encode_text(family, text, charset, mul, add):
    name = "ZR_%s_Encode%sW" % (family, _charset(charset))
    if not text:
        return ""
    if charset in ("jis", "euc") and _user_defined(text) >= 0:
        raise ZRMojiError(name, -1, "a character without a JIS X 0208 code")
    arr, n = _wide(text)
    cap = mul * n + add
    buf = ctypes.create_string_buffer(cap)
    r = _fn(name)(arr, buf, cap)
    if r < 0:
        raise ZRMojiError(name, r)
    return buf.raw[:r].decode("ascii")


def _decode_text(family, src, charset, raw):
    name = "ZR_%s_Decode%sW" % (family, _charset(charset))
    if not src:
        return ""
    if b"\0" in raw:
        raise ZRMojiError(name, -1, "the decoded text holds a NUL byte")
    if not raw:
        return ""
    cap = 4 * len(src) + 16
    buf = (ctypes.c_uint16 * cap)()
    r = _fn(name)(src, buf, cap)
    if r < 0:
        raise ZRMojiError(name, r)
    return _units_to_str(buf, max(r - 1, 0))


def base64_encode_text(text: str, charset: str = "jis") -> str:
    """str -> Base64 of its bytes in `charset` (jis, sjis, euc, utf8)."""
    return _encode_text("Base64", text, charset, 11, 16)


def base64_decode_text(text: Union[str, Bytes], charset: str = "jis") -> str:
    """Base64 of text in `charset` -> str."""
    src = _b64_clean(text)
    return _decode_text("Base64", src, charset, base64_decode(src) if src else b"")


def qp_encode(data: Bytes) -> str:
    """Bytes -> Quoted-Printable text (str), soft breaks '=\\r\\n'."""
    data = bytes(data)
    if not data:
        return ""
    cap = 4 * len(data) + 16
    buf = ctypes.create_string_buffer(cap)
    r = _fn("ZR_QuotedPrintable_Encode")(data, len(data), buf, cap)
    if r < 0:
        raise ZRMojiError("ZR_QuotedPrintable_Encode", r)
    return buf.raw[:r].decode("ascii")


def _qp_src(text):
    if isinstance(text, str):
        text = text.encode("ascii")
    return _bytes(text)


def qp_decode(text: Union[str, Bytes]) -> bytes:
    """Quoted-Printable text -> bytes."""
    src = _qp_src(text)
    if not src:
        return b""
    buf = ctypes.create_string_buffer(len(src) + 1)
    r = _fn("ZR_QuotedPrintable_Decode")(src, buf, len(src) + 1)
    if r < 0:
        raise ZRMojiError("ZR_QuotedPrintable_Decode", r)
    return buf.raw[:r]


def qp_encode_text(text: str, charset: str = "jis") -> str:
    return _encode_text("QuotedPrintable", text, charset, 27, 40)


def qp_decode_text(text: Union[str, Bytes], charset: str = "jis") -> str:
    src = _qp_src(text)
    return _decode_text("QuotedPrintable", src, charset, qp_decode(src) if src else b"")


# ---- URL ------------------------------------------------------------------------

_URL_CS = {"jis": "Jis", "sjis": "SJis", "euc": "Euc", "utf8": "Utf8"}


def _url_units(url):
    """A URL as the W exports read it: str as is, bytes one unit per byte."""
    if isinstance(url, (bytes, bytearray)):
        url = bytes(url).decode("latin-1")
    return _wide(url)


def url_encode(text: str, charset: str = "utf8") -> str:
    """Percent-encodes str in `charset`; returns the URL text (str)."""
    _check_encoding(charset, CHARSETS)
    t = CHARSETS.index(charset)
    if not text:
        return ""
    if charset in ("jis", "euc") and _user_defined(text) >= 0:
        raise ZRMojiError("ZR_URL_EncodeW", -1, "a character without a JIS X 0208 code")
    arr, n = _wide(text)
    cap = 24 * n + 32
    buf = (ctypes.c_uint16 * cap)()
    r = _fn("ZR_URL_EncodeW")(arr, buf, cap, t)
    if r < 0:
        raise ZRMojiError("ZR_URL_EncodeW", r)
    return _units_to_str(buf, r)


def _check_escapes(url):
    s = url if isinstance(url, str) else bytes(url).decode("latin-1")
    i = s.find("%")
    while i >= 0:
        h = s[i + 1:i + 3]
        if len(h) < 2 or any(c not in "0123456789abcdefABCDEF" for c in h) or h == "00":
            raise ZRMojiError("ZR_URL_DecodeW", -1, "invalid escape %r at %d" % (s[i:i + 3], i))
        i = s.find("%", i + 3)


def url_decode(url: Union[str, Bytes], charset: str) -> str:
    """Decodes a percent-encoded URL whose bytes are in `charset` -> str."""
    _check_encoding(charset, CHARSETS)
    name = "ZR_URL_Decode%sW" % _URL_CS[charset]
    if not url:
        return ""
    _check_escapes(url)
    arr, n = _url_units(url)
    cap = 4 * n + 16
    buf = (ctypes.c_uint16 * cap)()
    r = _fn(name)(arr, buf, cap)
    if r < 0:
        raise ZRMojiError(name, r)
    return _units_to_str(buf, max(r - 1, 0))


def url_decode_detect(url: Union[str, Bytes]) -> Tuple[str, Optional[str]]:
    """Decodes a URL in the encoding the library detects: (text, charset).
    Raises ZRMojiError when no encoding is recognised."""
    if not url:
        return "", None
    _check_escapes(url)
    arr, n = _url_units(url)
    cap = 4 * n + 16
    buf = (ctypes.c_uint16 * cap)()
    t = ctypes.c_int32(-2)
    r = _fn("ZR_URL_DecodeW")(arr, buf, cap, ctypes.byref(t))
    if r < 0:
        raise ZRMojiError("ZR_URL_DecodeW", r,
                          "no encoding recognised" if t.value == -1 else None)
    return _units_to_str(buf, max(r - 1, 0)), CHARSETS[t.value]


def url_encode_type(url: Union[str, Bytes]) -> Optional[str]:
    """The detected encoding of a URL: jis, sjis, euc, utf8 or None."""
    arr, _ = _url_units(url)
    t = _fn("ZR_URL_EncodeTypeW")(arr)
    return CHARSETS[t] if 0 <= t < 4 else None


def url_is_protocol(url: Union[str, Bytes]) -> bool:
    arr, _ = _url_units(url)
    return bool(_fn("ZR_URL_IsProtocolW")(arr))


def url_is_encoded_as(url: Union[str, Bytes], charset: str) -> bool:
    """One of the library's four encoding tests on a URL."""
    _check_encoding(charset, CHARSETS)
    name = "ZR_URL_Is%sEncodeW" % _URL_CS[charset]
    arr, _ = _url_units(url)
    return bool(_fn(name)(arr))


# ---- code tables ------------------------------------------------------------------

class CodeTable:
    """A loaded code table; use it in a with statement or call close().

    The file holds lines 'CODE,CODE,comment' in hexadecimal; the first code is
    the key unless reverse=True. Keys must be ascending unless sort=True."""

    def __init__(self, path: "Union[str, os.PathLike[str]]", reverse: bool = False, sort: bool = False,
                 open_option: int = 0):
        arr, _ = _wide(os.fspath(path))
        self._t = _fn("ZR_CodeTableInitW")(arr, 1 if reverse else 0, open_option, 1 if sort else 0)
        if not self._t:
            raise CodeTableError(os.fspath(path), _fn("ZR_CodeTableError")(),
                                 _fn("ZR_CodeTableErrorLine")())

    def _handle(self):
        if not self._t:
            raise ValueError("the code table is closed")
        return self._t

    def code(self, code: int) -> Optional[int]:
        """The value for `code`, or None when there is none (a value of -1
        reads as None too: the library cannot tell them apart)."""
        v = _fn("ZR_CodeTableCode")(self._handle(), code)
        return None if v == -1 else v

    def map(self, text: str) -> str:
        """Maps str unit by unit; units without a counterpart are left out."""
        arr, n = _wide(text)
        if n == 0:
            return ""
        buf = (ctypes.c_uint16 * (n + 1))()
        r = _fn("ZR_CodeTableString")(self._handle(), arr, buf, n)
        if r < 0:
            raise ZRMojiError("ZR_CodeTableString", r)
        return _units_to_str(buf, r)

    def close(self) -> None:
        if self._t:
            _fn("ZR_CodeTableTerm")(self._t)
            self._t = None

    def __enter__(self) -> "CodeTable":
        return self

    def __exit__(self, *exc: object) -> None:
        self.close()

    def __del__(self):
        try:
            self.close()
        except Exception:
            pass


# ---- the text module: validated conversion, codecs, guessing, kana width ---------
#
# Mail (MIME header words, whole messages) is to come as the submodule
# zrmoji.mail over the text module's mail functions, beside these.

from . import _codecs, _text  # noqa: E402

_text.bind(_libs)
text_library_path = _libs.text_path
from ._text import (  # noqa: E402
    ConversionError, Converter, Guess, convert_bytes, encoding_names, guess, guess_preference,
    kana_to_fullwidth, kana_to_halfwidth, to_cp932_variants, to_jis_variants, validate, variant_pairs)
from ._codecs import codec_names  # noqa: E402

for _c in (ConversionError, Converter, Guess):
    _c.__module__ = __name__  # shown as zrmoji.X in tracebacks and help()
del _c

codecs.register(_codecs.search)

# Mail headers and messages, as `zrmoji mail` reads and writes them.
from . import mail  # noqa: E402  (needs the libraries loaded above)
