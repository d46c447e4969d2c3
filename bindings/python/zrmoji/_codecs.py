"""Python codecs over the text module's converter.

``import zrmoji`` registers zr-cp932 (Windows-exact Shift_JIS), zr-iso2022jp,
zr-eucjp and zr-utf7 (Windows' UTF-7), each also under the names the text
module accepts with a ``zr-`` in front (zr-sjis, zr-ms932, zr-windows-31j,
zr-euc-jp, zr-jis, zr-iso-2022-jp, zr-utf-7, ...).

Text goes to and from the converter as UTF-8, except that zr-cp932 hands
it UTF-16 both ways, which Python reads and writes in one copy.
errors='strict', 'replace' and 'ignore' are the converter's own policies;
any other registered handler ('backslashreplace', 'xmlcharrefreplace',
'surrogateescape', ...) is applied here at each error the strict converter
reports, on whole strings and in the stateless encoders (and, for decoding,
on zr-cp932, zr-eucjp and zr-iso2022jp; zr-utf7's incremental decoder and
every incremental decoder take the three native policies only).
"""

import codecs
import re
import threading
from typing import Dict, Optional, Tuple

from . import _text
from ._text import ConversionError, Converter

_CANONICAL = {_text.ENC_SJIS: "zr-cp932", _text.ENC_JIS: "zr-iso2022jp",
              _text.ENC_EUCJP: "zr-eucjp", _text.ENC_UTF7: "zr-utf7"}
# Spellings of the codec names themselves that the text module does not list.
_OWN_NAMES = {"cp932": _text.ENC_SJIS, "iso2022jp": _text.ENC_JIS, "iso2022_jp": _text.ENC_JIS,
              "eucjp": _text.ENC_EUCJP, "euc_jp": _text.ENC_EUCJP, "utf7": _text.ENC_UTF7}
_NATIVE = ("strict", "replace", "ignore")
_WHAT = {_text.ENC_SJIS: "Shift_JIS", _text.ENC_JIS: "ISO-2022-JP", _text.ENC_EUCJP: "EUC-JP",
         _text.ENC_UTF7: "UTF-7"}

_local = threading.local()

# The converter takes a byte-order mark at the start of UTF-8 or UTF-7
# input as a mark, not a character. A text that starts with U+FEFF means
# the character, so a mark of our own goes first for the converter to take;
# offsets in its errors are then that much further on.
_BOM8 = b"\xef\xbb\xbf"
_BOM7 = b"+/v8-"
_BOM16 = b"\xff\xfe"
_DIRECT_MIN = 512  # shorter texts go as fast as UTF-8
_SURROGATES = re.compile("[\ud800-\udfff]")


def _converter(source: int, target: int, policy: str) -> Converter:
    """A converter from a per-thread cache, reset for a new text: opening
    one costs more than converting a short string."""
    cache = getattr(_local, "cache", None)
    if cache is None:
        cache = _local.cache = {}
    c = cache.get((source, target, policy))
    if c is None:
        c = cache[(source, target, policy)] = Converter(source, target, policy)
    else:
        c.reset()
    return c


# ---- zr-cp932 through UTF-16 --------------------------------------------------------
#
# Python writes and reads UTF-16 in a single copy, several times faster than
# it does UTF-8, so zr-cp932 hands the converter UTF-16 both ways. Decoding
# reads the converter's buffer piece by piece, so no copy of the whole
# output is made on the way.

def _cp932_decode_direct(data: bytes, errors: str = "strict") -> Optional[str]:
    """data through the converter to UTF-16. None where strict conversion
    stops."""
    conv = _converter(_text.ENC_SJIS, _text.ENC_UTF16LE, errors)
    try:
        # Shift_JIS reads as BMP characters only: every piece is whole units.
        return "".join([codecs.utf_16_le_decode(v, "strict", True)[0] for v in conv.chunks(data, True)])
    except ConversionError:
        return None


_SLICE = 1 << 18  # characters per piece of a long text to encode


def _cp932_encode_direct(text: str, errors: str) -> Optional[bytes]:
    """text to UTF-16 and through the converter, a slice at a time: the
    pieces come from memory the allocator hands back again, where a copy of
    the whole text in UTF-16 would first be faulted in page by page. None
    for text holding lone surrogates, which the UTF-8 way counts as Python
    does."""
    conv = _converter(_text.ENC_UTF16LE, _text.ENC_SJIS, errors)
    parts = []
    pos, n, done = 0, len(text), 0  # done: converter input bytes before this piece
    lead = _BOM16
    while True:
        try:
            piece = lead + text[pos:pos + _SLICE].encode("utf-16-le")
        except UnicodeEncodeError:
            return None
        last = pos + _SLICE >= n
        try:
            for v in conv.chunks(piece, last):
                parts.append(bytes(v))
        except ConversionError as e:
            skip = len(lead)
            start = pos + len(piece[skip:e.offset - done].decode("utf-16-le", "surrogatepass"))
            raise _encode_error(_text.ENC_SJIS, text, start, e) from None
        if last:
            return b"".join(parts)
        done += len(piece)
        pos += _SLICE
        lead = b""


_leads = bytearray()


def _ends_in_a_lead_byte(data: bytes) -> bool:
    """Whether valid Shift_JIS would end in the first byte of a character.
    A byte that cannot start a double-byte character ends one, so the bytes
    after the last such byte pair up as characters; an odd count leaves the
    last one open."""
    if not _leads:
        validate = _text._t.ZRT_Validate
        _leads.extend(b for b in range(256) if validate(_text.ENC_SJIS, bytes([b]), 1, 1, None) != 1
                      and validate(_text.ENC_SJIS, bytes([b]), 1, 0, None) == 1)
    n = len(data)
    k = n
    tail = data[max(0, n - 64):]
    for b in reversed(tail):
        if b not in _leads:
            break
        k -= 1
    else:
        if n > 64:
            return False  # a long run of leads is no valid text: the checks below decide
    return (n - k) % 2 == 1


def _char_index(u8: bytes, offset: int) -> int:
    return len(u8[:offset].decode("utf-8", "surrogatepass"))


# ---- encoding -----------------------------------------------------------------

def _encode_error(enc: int, text: str, start: int, e: ConversionError) -> UnicodeEncodeError:
    if e.kind == "malformed":
        reason = "surrogates not allowed"
    else:
        reason = "character maps to no %s code" % _WHAT[enc]
    return UnicodeEncodeError(_CANONICAL[enc], text, start, min(start + 1, len(text)), reason)


def _encode_native(enc: int, text: str, errors: str) -> bytes:
    if enc == _text.ENC_SJIS and len(text) >= _DIRECT_MIN:
        direct = _cp932_encode_direct(text, errors)
        if direct is not None:
            return direct
    try:
        u8 = text.encode("utf-8")
    except UnicodeEncodeError as ue:
        # Lone surrogates: one character each, as Python's codecs count them
        # (the converter would see three malformed bytes).
        if errors == "strict":
            raise UnicodeEncodeError(_CANONICAL[enc], text, ue.start, ue.start + 1,
                                     "surrogates not allowed") from None
        repl = "" if errors == "ignore" else ("\ufffd" if enc == _text.ENC_UTF7 else "?")
        text = _SURROGATES.sub(repl, text)
        u8 = text.encode("utf-8")
    try:
        return _converter(_text.ENC_UTF8, enc, errors).convert(_BOM8 + u8, final=True)
    except ConversionError as e:
        raise _encode_error(enc, text, _char_index(u8, e.offset - len(_BOM8)), e) from None


def encode(enc: int, text: str, errors: Optional[str] = "strict") -> Tuple[bytes, int]:
    errors = errors or "strict"
    if errors in _NATIVE:
        return _encode_native(enc, text, errors), len(text)
    handler = codecs.lookup_error(errors)
    out, pos = [], 0
    while True:
        u8 = text[pos:].encode("utf-8", "surrogatepass")
        try:
            out.append(_converter(_text.ENC_UTF8, enc, "strict").convert(_BOM8 + u8, final=True))
            return b"".join(out), len(text)
        except ConversionError as e:
            start = pos + _char_index(u8, e.offset - len(_BOM8))
            exc = _encode_error(enc, text, start, e)
        # What comes before the error, converted and closed on its own, so a
        # stateful target (ISO-2022-JP) is back in ASCII when the
        # replacement follows.
        out.append(_encode_native(enc, text[pos:start], "strict"))
        repl, resume = handler(exc)
        out.append(repl if isinstance(repl, bytes) else _encode_native(enc, repl, "strict"))
        pos = resume if resume >= 0 else len(text) + resume


# ---- decoding -----------------------------------------------------------------

def _decode_error(enc: int, data: bytes, start: int, e: ConversionError, final: bool) -> UnicodeDecodeError:
    end = min(len(data), start + max(1, len(e.data)))
    # Cut short: what is left from the error on would be fine if more came.
    if final and end == len(data) and _text.validate(data[start:], enc, complete=False) is None:
        reason = "truncated data"
    else:
        reason = "malformed %s sequence" % _WHAT[enc]
    return UnicodeDecodeError(_CANONICAL[enc], data, start, end, reason)


def _decode_native(enc: int, data: bytes, errors: str) -> str:
    if enc == _text.ENC_SJIS and len(data) >= _DIRECT_MIN:
        # Under 'replace' and 'ignore' nothing stops the converter.
        direct = _cp932_decode_direct(data, errors)
        if direct is not None:
            return direct
    lead = _BOM7 if enc == _text.ENC_UTF7 else b""
    try:
        out = _converter(enc, _text.ENC_UTF8, errors).convert(lead + data, final=True)
    except ConversionError as e:
        raise _decode_error(enc, data, max(0, e.offset - len(lead)), e, True) from None
    return out.decode("utf-8")


def _designation(data: bytes, end: int) -> bytes:
    """The last ISO-2022-JP escape sequence before `end`, which a restart
    after an error must repeat to read on in the same set."""
    k = data.rfind(b"\x1b", 0, end)
    if k < 0:
        return b""
    n = 4 if data[k + 1:k + 3] == b"$(" else 3
    return data[k:k + n] if k + n <= end else b""


def decode(enc: int, data: bytes, errors: Optional[str] = "strict") -> Tuple[str, int]:
    errors = errors or "strict"
    data = bytes(data)
    if errors in _NATIVE:
        return _decode_native(enc, data, errors), len(data)
    if enc == _text.ENC_UTF7:
        raise ValueError("%s decodes with errors='strict', 'replace' or 'ignore' only, not %r"
                         % (_CANONICAL[enc], errors))
    handler = codecs.lookup_error(errors)
    out, pos, lead = [], 0, b""
    while True:
        try:
            out.append(_converter(enc, _text.ENC_UTF8, "strict").convert(lead + data[pos:], final=True)
                       .decode("utf-8"))
            return "".join(out), len(data)
        except ConversionError as e:
            start = pos + max(0, e.offset - len(lead))
            exc = _decode_error(enc, data, start, e, True)
        out.append(_decode_native(enc, lead + data[pos:start], "strict"))
        repl, resume = handler(exc)
        out.append(repl)
        pos = resume if resume >= 0 else len(data) + resume
        lead = _designation(data, pos) if enc == _text.ENC_JIS else b""


class _IncrementalDecoder(codecs.IncrementalDecoder):
    encoding_id = _text.ENC_NONE

    def __init__(self, errors: str = "strict"):
        super().__init__(errors)
        if errors not in _NATIVE:
            raise ValueError("incremental %s decoding takes errors='strict', 'replace' or 'ignore' only, "
                             "not %r" % (_CANONICAL[self.encoding_id], errors))
        self._conv = Converter(self.encoding_id, _text.ENC_UTF8, errors)
        self._taken = 0  # bytes of the stream (with a mark of our own) before this call's input
        self._fresh = True
        self._held = b""  # the direct path's cut character
        self._direct = self.encoding_id == _text.ENC_SJIS

    def decode(self, input: bytes, final: bool = False) -> str:
        data = bytes(input)
        if self._direct:
            text = self._decode_direct(data, final)
            if text is not None:
                return text
            data, self._held = self._held + data, b""
        lead = b""
        if self._fresh and self.encoding_id == _text.ENC_UTF7:
            lead = _BOM7
        try:
            out = self._conv.convert(lead + data, final)
        except ConversionError as e:
            start = max(0, e.offset - self._taken - len(lead))
            self.reset()
            raise _decode_error(self.encoding_id, data, start, e, final) from None
        self._fresh = False
        self._taken += len(lead) + len(data)
        if final:
            self.reset()
        # Each call's output holds whole characters.
        return out.decode("utf-8")

    def _decode_direct(self, data: bytes, final: bool) -> Optional[str]:
        """zr-cp932 on the exports while every chunk is valid. A Shift_JIS
        character is at most two bytes, so a chunk cut inside one leaves
        a single byte for the next. The first chunk that is not valid, and
        the rest of the stream, go to the converter (fed what was held)."""
        whole = self._held + data
        if not whole:
            return ""
        if not final and _ends_in_a_lead_byte(whole):
            # A chunk cut inside a character: read up to the cut at once
            # rather than fail on the whole and validate it again.
            text = _cp932_decode_direct(whole[:-1])
            if text is not None:
                self._held = whole[-1:]
                self._taken += len(whole) - 1
                return text
        text = _cp932_decode_direct(whole)
        if text is not None:
            self._held = b""
            self._taken += len(whole)
            return text
        if not final and _text._t.ZRT_Validate(_text.ENC_SJIS, whole, len(whole), 0, None) == 1:
            text = _cp932_decode_direct(whole[:-1]) if len(whole) > 1 else ""
            if text is not None:
                self._held = whole[-1:]
                self._taken += len(whole) - 1
                return text
        # The converter's offsets count from what it is fed first.
        self._direct, self._taken = False, 0
        return None

    def reset(self) -> None:
        self._conv.reset()
        self._taken = 0
        self._fresh = True
        self._held = b""
        self._direct = self.encoding_id == _text.ENC_SJIS

    # io.TextIOWrapper's tell() and seek() rest on these. The direct path
    # knows what it holds; bytes held inside the converter (and the shift
    # state of ISO-2022-JP and UTF-7) are not visible from here, so tell()
    # is exact only while zr-cp932 reads valid text.
    def getstate(self) -> Tuple[bytes, int]:
        return (self._held, 0) if self._direct else (b"", 0)

    def setstate(self, state: Tuple[bytes, int]) -> None:
        self.reset()
        if state[0]:
            self.decode(state[0])


class _IncrementalEncoder(codecs.IncrementalEncoder):
    # Python hands over whole characters, so every call converts on its own
    # and a stateful target (ISO-2022-JP, UTF-7) is closed at the end of
    # each: a stream written in any pieces reads back as one text, and
    # nothing waits for a final call that io.TextIOWrapper never makes.
    encoding_id = _text.ENC_NONE

    def encode(self, input: str, final: bool = False) -> bytes:
        return encode(self.encoding_id, input, self.errors)[0]


def _codec_info(enc: int) -> codecs.CodecInfo:
    name = _CANONICAL[enc]
    attrs = {"encoding_id": enc}
    dec = type("IncrementalDecoder", (_IncrementalDecoder,), attrs)
    inc = type("IncrementalEncoder", (_IncrementalEncoder,), attrs)

    class StreamWriter(codecs.StreamWriter):
        def encode(self, input, errors="strict"):
            return encode(enc, input, errors)

    class StreamReader(codecs.StreamReader):
        def __init__(self, stream, errors="strict"):
            super().__init__(stream, errors)
            self._dec = dec(errors)

        def decode(self, input, errors="strict"):
            return self._dec.decode(input), len(input)

        def reset(self):
            super().reset()
            self._dec.reset()

    return codecs.CodecInfo(
        name=name,
        encode=lambda text, errors="strict": encode(enc, text, errors),
        decode=lambda data, errors="strict": decode(enc, data, errors),
        incrementalencoder=inc, incrementaldecoder=dec,
        streamreader=StreamReader, streamwriter=StreamWriter)


_infos: Dict[int, codecs.CodecInfo] = {}


def search(name: str) -> Optional[codecs.CodecInfo]:
    """The codec search function: zr- followed by any name the text module
    gives one of the four encodings."""
    n = name.lower().replace(" ", "_")
    if not (n.startswith("zr_") or n.startswith("zr-")):
        return None
    rest = n[3:]
    enc = _OWN_NAMES.get(rest) or _OWN_NAMES.get(rest.replace("-", "_"))
    if enc is None:
        for candidate in (rest, rest.replace("_", "-")):
            enc = _text._t.ZRT_EncodingFromName(candidate.encode("ascii", "replace"))
            if enc:
                break
    if enc not in _CANONICAL:
        return None
    if enc not in _infos:
        _infos[enc] = _codec_info(enc)
    return _infos[enc]


def codec_names() -> Dict[str, str]:
    """Every name the codecs answer to, with the codec it gives."""
    out = {c: c for c in _CANONICAL.values()}
    for own, enc in _OWN_NAMES.items():
        out["zr-" + own.replace("_", "-")] = _CANONICAL[enc]
    for n, canonical in _text.encoding_names().items():
        enc = _text._t.ZRT_EncodingFromName(n.encode("ascii"))
        if enc in _CANONICAL:
            out["zr-" + n] = _CANONICAL[enc]
    return out
