"""The text module (libzr_text) from Python: names, the streaming converter,
guessing, kana width and the variant pairs.

Every rule (what is malformed, what a target lacks, how a character is
replaced) lives in the C library; this module only moves bytes and turns
the converter's error record into Python exceptions.
"""

import ctypes
from typing import Dict, List, NamedTuple, Optional, Tuple, Union

from ._loader import Libraries

ENC_NONE, ENC_ASCII, ENC_UTF8, ENC_UTF16LE, ENC_UTF16BE, ENC_UTF16 = 0, 1, 2, 3, 4, 5
ENC_JIS, ENC_EUCJP, ENC_SJIS, ENC_UTF7, ENC_COUNT = 6, 7, 8, 9, 10

_OK, _MORE_OUTPUT, _STOPPED, _BAD_ARGUMENT, _NO_MEMORY = 0, 1, -1, -2, -3
_ERR_MALFORMED, _ERR_UNMAPPABLE = 1, 2
_POLICIES = {"strict": 0, "replace": 1, "ignore": 2}
_EOLS = ("none", "lf", "crlf", "cr", "mixed")


class _Options(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("errors", ctypes.c_int32), ("replacement", ctypes.c_uint32),
                ("eol", ctypes.c_int32), ("bom", ctypes.c_int32), ("halfwidth", ctypes.c_int32),
                ("exact", ctypes.c_int32)]


class _Error(ctypes.Structure):
    _fields_ = [("kind", ctypes.c_int32), ("codePoint", ctypes.c_uint32), ("offset", ctypes.c_uint64),
                ("line", ctypes.c_uint64), ("byteCount", ctypes.c_int32), ("bytes", ctypes.c_uint8 * 16)]


class _Guess(ctypes.Structure):
    _fields_ = [("encoding", ctypes.c_int32), ("ambiguous", ctypes.c_int32), ("fits", ctypes.c_uint32),
                ("ties", ctypes.c_uint32), ("bom", ctypes.c_int32), ("eol", ctypes.c_int32)]


_I32, _U32, _SZ = ctypes.c_int32, ctypes.c_uint32, ctypes.c_size_t
_P, _CP = ctypes.c_void_p, ctypes.c_char_p
_PSZ = ctypes.POINTER(ctypes.c_size_t)
_PU32 = ctypes.POINTER(ctypes.c_uint32)
_PU64 = ctypes.POINTER(ctypes.c_uint64)

# The text module's C API (zr_text.h), one line per function.
TEXT_SIGNATURES = [
    ("ZRT_EncodingFromName", _I32, [_CP]),
    ("ZRT_EncodingName", _CP, [_I32]),
    ("ZRT_NameCount", _I32, []),
    ("ZRT_NameAt", _I32, [_I32, ctypes.POINTER(_CP), ctypes.POINTER(_CP)]),
    ("ZRT_DefaultOptions", None, [ctypes.POINTER(_Options)]),
    ("ZRT_Open", _P, [_I32, _I32, ctypes.POINTER(_Options)]),
    ("ZRT_Close", None, [_P]),
    ("ZRT_Reset", None, [_P]),
    ("ZRT_Convert", _I32, [_P, _P, _SZ, _PSZ, _P, _SZ, _PSZ, _I32]),
    ("ZRT_GetError", _I32, [_P, ctypes.POINTER(_Error)]),
    ("ZRT_GetCounts", None, [_P, _PU64, _PU64]),
    ("ZRT_Validate", _I32, [_I32, _P, _SZ, _I32, ctypes.POINTER(_Error)]),
    ("ZRT_GuessEncoding", _I32, [_P, _SZ, _I32, ctypes.POINTER(_Guess)]),
    ("ZRT_GuessPreference", ctypes.POINTER(_I32), []),
    ("ZRT_KanaToFullwidth", _SZ, [_PU32, _SZ, _PU32, _SZ]),
    ("ZRT_KanaToHalfwidth", _SZ, [_PU32, _SZ, _PU32, _SZ]),
    ("ZRT_VariantPairCount", _I32, []),
    ("ZRT_VariantPairAt", _I32, [_I32, _PU32, _PU32]),
    ("ZRT_VariantToCp932", _U32, [_U32]),
    ("ZRT_VariantToJis", _U32, [_U32]),
]


class _Api:
    pass


_t = _Api()


def bind(libs: Libraries) -> None:
    for name, res, args in TEXT_SIGNATURES:
        f = getattr(libs.text, name)
        f.restype, f.argtypes = res, args
        setattr(_t, name, f)


# ---- names ---------------------------------------------------------------------

def encoding_id(name: str) -> int:
    """The text module's id for a user-typed encoding name; ValueError when unknown."""
    e = _t.ZRT_EncodingFromName(name.encode("ascii", "replace"))
    if e == ENC_NONE:
        raise ValueError("unknown encoding %r (known: %s)" % (name, ", ".join(sorted(encoding_names()))))
    return e


def encoding_name(encoding: int) -> str:
    """The canonical name of a text-module encoding id."""
    n = _t.ZRT_EncodingName(encoding)
    if not n:
        raise ValueError("no encoding with id %d" % encoding)
    return n.decode("ascii")


def encoding_names() -> Dict[str, str]:
    """Every name the text module accepts, with its canonical name.

    >>> encoding_names()["windows-31j"]
    'shift_jis'
    """
    out = {}
    name, canonical = _CP(), _CP()
    for i in range(_t.ZRT_NameCount()):
        _t.ZRT_NameAt(i, ctypes.byref(name), ctypes.byref(canonical))
        out[name.value.decode("ascii")] = canonical.value.decode("ascii")
    return out


# ---- the streaming converter ------------------------------------------------------

class ConversionError(ValueError):
    """A strict conversion stopped. `kind` is 'malformed' or 'unmappable',
    `offset` the byte offset of the first offending input byte in the whole
    stream, `line` its 1-based line, `data` the offending bytes and
    `code_point` the character the target lacks (unmappable only).
    `output` holds what was converted before the error."""

    def __init__(self, kind: str, offset: int, line: int, data: bytes, code_point: Optional[int],
                 output: bytes, source: int, target: int):
        self.kind, self.offset, self.line, self.data = kind, offset, line, data
        self.code_point, self.output = code_point, output
        if kind == "unmappable":
            what = "U+%04X has no code in %s" % (code_point or 0, encoding_name(target))
        else:
            what = "malformed %s bytes %s" % (encoding_name(source), data.hex(" ") or "(none)")
        super().__init__("%s at byte %d (line %d)" % (what, offset, line))


_CHUNK = 1 << 20  # input per call: the converter buffers at most one call's output


class Converter:
    """A streaming conversion between two encodings of the text module.

    `errors` is 'strict' (raise ConversionError at the first malformed or
    unmappable character), 'replace' (U+FFFD in Unicode targets, `?` or
    `replacement` elsewhere) or 'ignore'. Feed chunks of any split with
    convert(); pass final=True with the last one (or call finish()).

    >>> c = Converter("sjis", "utf-8")
    >>> c.convert(b"\\x82") + c.convert(b"\\xa0", final=True)
    b'\\xe3\\x81\\x82'
    >>> Converter("utf-8", "jis").convert("ｶﾞ".encode(), final=True)
    b'\\x1b$B%,\\x1b(B'
    """

    __slots__ = ("_h", "source", "target", "errors", "_buf", "_cap", "_used", "_wrote")

    def __init__(self, source: Union[str, int], target: Union[str, int], errors: str = "strict", *,
                 replacement: Optional[str] = None, exact: bool = False, jisx0201_kana: bool = False,
                 eol: str = "keep", bom: bool = False):
        self._h = None
        self.source = source if isinstance(source, int) else encoding_id(source)
        self.target = target if isinstance(target, int) else encoding_id(target)
        if errors not in _POLICIES:
            raise ValueError("errors must be 'strict', 'replace' or 'ignore', not %r" % (errors,))
        eols = ("keep", "lf", "crlf", "cr")
        if eol not in eols:
            raise ValueError("eol must be one of %s, not %r" % (", ".join(eols), eol))
        o = _Options()
        _t.ZRT_DefaultOptions(ctypes.byref(o))
        o.errors = _POLICIES[errors]
        o.replacement = ord(replacement) if replacement else 0
        o.eol = eols.index(eol)
        o.bom = int(bom)
        o.halfwidth = int(jisx0201_kana)
        o.exact = int(exact)
        self.errors = errors
        self._h = _t.ZRT_Open(self.source, self.target, ctypes.byref(o))
        if not self._h:
            raise ValueError("cannot convert from %s to %s" % (encoding_name(self.source), encoding_name(self.target)))
        self._buf, self._cap = None, 0
        self._used, self._wrote = ctypes.c_size_t(), ctypes.c_size_t()

    def _buffer(self, need: int):
        if need > self._cap:
            self._cap = max(need, 4096)
            self._buf = ctypes.create_string_buffer(self._cap)
        return self._buf

    def chunks(self, data: bytes, final: bool = False):
        """Converts `data`, yielding the output as memoryviews of one buffer
        (each is valid until the next is asked for). Raises ConversionError
        under the strict policy."""
        if self._h is None:
            raise ValueError("the converter is closed")
        if not isinstance(data, bytes):
            data = bytes(data)
        n = len(data)
        keep = ctypes.c_char_p(data)  # keeps the address valid for the calls below
        base = ctypes.cast(keep, ctypes.c_void_p).value or 0
        pos = 0
        buf = self._buffer(3 * min(n, _CHUNK) + 64)
        view = memoryview(buf).cast("B")
        used, wrote = self._used, self._wrote
        convert, h, cap = _t.ZRT_Convert, self._h, self._cap
        while True:
            step = min(n - pos, _CHUNK)
            last = 1 if final and pos + step == n else 0
            r = convert(h, base + pos, step, ctypes.byref(used), buf, cap, ctypes.byref(wrote), last)
            pos += used.value
            if wrote.value:
                yield view[:wrote.value]
            if r == _OK:
                if pos >= n and (last or not final):
                    return
            elif r == _STOPPED:
                raise self._stopped()
            elif r != _MORE_OUTPUT:
                raise MemoryError("the converter ran out of memory") if r == _NO_MEMORY else \
                    ValueError("ZRT_Convert refused its arguments (%d)" % r)

    def convert(self, data: bytes, final: bool = False) -> bytes:
        """Converts a chunk; returns the output it completes."""
        if self._h is None:
            raise ValueError("the converter is closed")
        if not isinstance(data, bytes):
            data = bytes(data)
        n = len(data)
        if n <= 4096:
            # One call does for a short text: no generator, no views.
            buf = self._buffer(3 * n + 64)
            used, wrote = self._used, self._wrote
            r = _t.ZRT_Convert(self._h, data, n, ctypes.byref(used), buf, self._cap, ctypes.byref(wrote),
                               1 if final else 0)
            if r == _OK and used.value == n:
                return ctypes.string_at(buf, wrote.value)
            if r == _STOPPED:
                e = self._stopped()
                e.output = ctypes.string_at(buf, wrote.value)
                raise e
            head, data = ctypes.string_at(buf, wrote.value), data[used.value:]
        else:
            head = b""
        parts: List[bytes] = [head]
        try:
            for v in self.chunks(data, final):
                parts.append(bytes(v))
        except ConversionError as e:
            e.output = b"".join(parts)
            raise
        return b"".join(parts)

    def finish(self) -> bytes:
        """Ends the stream: what a cut-short sequence or an open escape leaves."""
        return self.convert(b"", final=True)

    def _stopped(self) -> ConversionError:
        e = _Error()
        _t.ZRT_GetError(self._h, ctypes.byref(e))
        kind = "unmappable" if e.kind == _ERR_UNMAPPABLE else "malformed"
        return ConversionError(kind, e.offset, e.line, bytes(e.bytes[:e.byteCount]),
                               e.codePoint if e.kind == _ERR_UNMAPPABLE else None, b"",
                               self.source, self.target)

    def counts(self) -> Tuple[int, int]:
        """(malformed, unmappable): how many were met so far."""
        m, u = ctypes.c_uint64(), ctypes.c_uint64()
        _t.ZRT_GetCounts(self._h, ctypes.byref(m), ctypes.byref(u))
        return m.value, u.value

    def reset(self) -> None:
        """Back to the state after opening (counts and error cleared)."""
        if self._h:
            _t.ZRT_Reset(self._h)

    def close(self) -> None:
        if self._h:
            _t.ZRT_Close(self._h)
            self._h = None

    def __enter__(self) -> "Converter":
        return self

    def __exit__(self, *exc) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:
            pass


def convert_bytes(data: bytes, source: str, target: str, errors: str = "strict", **options) -> bytes:
    """Converts a whole byte string between any two encodings of the text
    module, validating the input.

    >>> convert_bytes("日本".encode(), "utf-8", "euc-jp")
    b'\\xc6\\xfc\\xcb\\xdc'
    >>> convert_bytes(b"\\x82", "sjis", "utf-8", errors="replace")
    b'\\xef\\xbf\\xbd'
    >>> convert_bytes(b"a\\x82", "sjis", "utf-8")
    Traceback (most recent call last):
    ...
    zrmoji.ConversionError: malformed shift_jis bytes 82 at byte 1 (line 1)
    """
    with Converter(source, target, errors, **options) as c:
        return c.convert(data, final=True)


def validate(data: bytes, encoding: Union[str, int], complete: bool = True) -> Optional[ConversionError]:
    """None when `data` is well formed in `encoding`, else the first error
    (not raised). With complete=False a sequence cut at the end is allowed.

    >>> validate(b"\\x82\\xa0", "sjis") is None
    True
    >>> str(validate(b"\\xa4", "euc-jp"))
    'malformed euc-jp bytes a4 at byte 0 (line 1)'
    """
    e = _Error()
    data = bytes(data)
    enc = encoding if isinstance(encoding, int) else encoding_id(encoding)
    r = _t.ZRT_Validate(enc, data, len(data), int(complete), ctypes.byref(e))
    if r == 1:
        return None
    if r < 0:
        raise ValueError("ZRT_Validate refused its arguments")
    return ConversionError("malformed", e.offset, e.line, bytes(e.bytes[:e.byteCount]), None, b"", enc, enc)


# ---- guessing -----------------------------------------------------------------------

class Guess(NamedTuple):
    """What guess() found. `encoding` is a canonical name or None (no
    encoding fits, or the bytes look like binary data); `fits` the encodings
    under which the bytes are valid; `ties` those as plausible as the choice
    (`ambiguous` when more than one); `bom`; `eol` one of none, lf, crlf, cr,
    mixed."""
    encoding: Optional[str]
    ambiguous: bool
    fits: Tuple[str, ...]
    ties: Tuple[str, ...]
    bom: bool
    eol: str


def _names_of(bits: int) -> Tuple[str, ...]:
    return tuple(encoding_name(i) for i in range(1, ENC_COUNT) if bits & (1 << i))


def guess(data: bytes, complete: bool = True) -> Guess:
    """Guesses the encoding of `data`. With complete=False the bytes are a
    prefix, and a character cut at their end counts against no encoding.

    >>> guess("会議のお知らせ".encode("cp932")).encoding
    'shift_jis'
    >>> g = guess(b"plain")
    >>> g.encoding, g.ambiguous
    ('ascii', True)
    """
    data = bytes(data)
    g = _Guess()
    _t.ZRT_GuessEncoding(data, len(data), int(complete), ctypes.byref(g))
    return Guess(encoding_name(g.encoding) if g.encoding else None, bool(g.ambiguous),
                 _names_of(g.fits), _names_of(g.ties), bool(g.bom), _EOLS[g.eol] if 0 <= g.eol < 5 else "none")


def guess_preference() -> Tuple[str, ...]:
    """The order that settles equally plausible readings, best first."""
    p = _t.ZRT_GuessPreference()
    out = []
    i = 0
    while p[i] != ENC_NONE:
        out.append(encoding_name(p[i]))
        i += 1
    return tuple(out)


# ---- kana width and variant pairs ------------------------------------------------------

def _kana(fn, text: str) -> str:
    if not text:
        return ""
    raw = text.encode("utf-32-le", "surrogatepass")
    n = len(raw) // 4
    src = (ctypes.c_uint32 * n).from_buffer_copy(raw)
    cap = 2 * n
    dst = (ctypes.c_uint32 * cap)()
    m = fn(src, n, dst, cap)
    if m > cap:
        dst = (ctypes.c_uint32 * m)()
        m = fn(src, n, dst, m)
    return bytes(memoryview(dst).cast("B")[:4 * m]).decode("utf-32-le", "surrogatepass")


def kana_to_fullwidth(text: str) -> str:
    """Half-width katakana to full-width, voiced marks joined.

    >>> kana_to_fullwidth("ｶﾞｷﾞ ABC")
    'ガギ ABC'
    """
    return _kana(_t.ZRT_KanaToFullwidth, text)


def kana_to_halfwidth(text: str) -> str:
    """Full-width katakana that have a half-width form to it.

    >>> kana_to_halfwidth("ガイド")
    'ｶﾞｲﾄﾞ'
    """
    return _kana(_t.ZRT_KanaToHalfwidth, text)


_pairs_cache: List[Tuple[str, str]] = []
_to_cp932: Dict[int, str] = {}
_to_jis: Dict[int, str] = {}


def variant_pairs() -> List[Tuple[str, str]]:
    """The JIS / code page 932 variant pairs: (JIS form, code page 932 form),
    two characters that share one code.

    >>> variant_pairs()[0]
    ('〜', '～')
    """
    if not _pairs_cache:
        a, b = ctypes.c_uint32(), ctypes.c_uint32()
        for i in range(_t.ZRT_VariantPairCount()):
            _t.ZRT_VariantPairAt(i, ctypes.byref(a), ctypes.byref(b))
            _pairs_cache.append((chr(a.value), chr(b.value)))
    return list(_pairs_cache)


def to_cp932_variants(text: str) -> str:
    """Each JIS-form character of a variant pair replaced by its code page
    932 twin (what writing Shift_JIS, EUC-JP or ISO-2022-JP does).

    >>> to_cp932_variants("10〜20") == "10\\uff5e20"
    True
    """
    if not _to_cp932:
        _to_cp932.update({ord(j): c for j, c in variant_pairs()})
    return text.translate(_to_cp932)


def to_jis_variants(text: str) -> str:
    """The reverse: code page 932 forms to the JIS forms.

    >>> to_jis_variants("\\uff5e") == "\\u301c"
    True
    """
    if not _to_jis:
        _to_jis.update({ord(c): j for j, c in variant_pairs()})
    return text.translate(_to_jis)

