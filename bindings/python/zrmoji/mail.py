"""Mail headers and messages through ZR_Text (ctypes): the same decoding and
encoding as `zrmoji mail`.

The text module is the one the package loaded (ZRMOJI_LIBRARY and the
places the package searches).

    decode_header(b"Subject: =?ISO-2022-JP?B?...?=")  -> (text, [(kind, bytes)...])
    encode_header("Subject: 会議", charset="jis", q=False, eol="\\r\\n") -> str
    read_mail(data) -> list of Message (headers, parts, problems)
    encode_mail("Subject: ...\\n\\nbody", charset="jis", body="7bit") -> bytes
"""

import ctypes

from . import _libs

ENCODINGS = {"jis": 6, "utf8": 2, "sjis": 8, "euc": 7}
BODIES = {"7bit": 0, "base64": 1, "qp": 2}


# The text module the package has loaded (see _loader): one lookup for all.
_lib = _libs.text
_sz, _u8p, _vp = ctypes.c_size_t, ctypes.POINTER(ctypes.c_uint8), ctypes.c_void_p


class _Error(ctypes.Structure):
    _fields_ = [("kind", ctypes.c_int32), ("codePoint", ctypes.c_uint32), ("offset", ctypes.c_uint64),
                ("line", ctypes.c_uint64), ("byteCount", ctypes.c_int32), ("bytes", ctypes.c_uint8 * 16)]


class _HeaderOptions(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("charset", ctypes.c_int32), ("q", ctypes.c_int32),
                ("eol", ctypes.c_int32), ("field", ctypes.c_int32)]


class _MailEncodeOptions(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("charset", ctypes.c_int32), ("body", ctypes.c_int32),
                ("eol", ctypes.c_int32)]


class _Part(ctypes.Structure):
    _fields_ = [("kind", ctypes.c_int32), ("depth", ctypes.c_int32), ("contentType", ctypes.c_char_p),
                ("charset", ctypes.c_char_p), ("transferEncoding", ctypes.c_char_p),
                ("filename", ctypes.c_char_p), ("encoding", ctypes.c_int32), ("guessed", ctypes.c_int32),
                ("problem", ctypes.c_int32), ("data", _u8p), ("length", _sz), ("raw", _u8p),
                ("rawLength", _sz)]


_IssueFn = ctypes.CFUNCTYPE(None, _vp, ctypes.c_int32, _sz, _sz)
_MessageFn = ctypes.CFUNCTYPE(None, _vp, ctypes.c_uint64, ctypes.c_uint64, ctypes.c_void_p, _sz)
_HeaderFn = ctypes.CFUNCTYPE(None, _vp, ctypes.c_int32, ctypes.c_int32, ctypes.c_void_p, _sz, ctypes.c_void_p, _sz)
_PartFn = ctypes.CFUNCTYPE(None, _vp, ctypes.POINTER(_Part))
_MailIssueFn = ctypes.CFUNCTYPE(None, _vp, ctypes.c_int32, ctypes.c_uint64, ctypes.c_char_p)


class _Handler(ctypes.Structure):
    _fields_ = [("size", ctypes.c_uint32), ("user", _vp), ("message", _MessageFn), ("header", _HeaderFn),
                ("part", _PartFn), ("issue", _MailIssueFn)]


_lib.ZRT_DecodeHeader.argtypes = [ctypes.c_char_p, _sz, ctypes.c_char_p, _sz, _IssueFn, _vp]
_lib.ZRT_DecodeHeader.restype = _sz
_lib.ZRT_DefaultHeaderOptions.argtypes = [ctypes.POINTER(_HeaderOptions)]
_lib.ZRT_EncodeHeader.argtypes = [ctypes.c_char_p, _sz, ctypes.POINTER(_HeaderOptions), ctypes.c_char_p, _sz,
                                  ctypes.POINTER(_Error)]
_lib.ZRT_EncodeHeader.restype = ctypes.c_int64
_lib.ZRT_ReadMail.argtypes = [ctypes.c_char_p, _sz, ctypes.POINTER(_Handler)]
_lib.ZRT_ReadMail.restype = ctypes.c_int64
_lib.ZRT_DefaultMailEncodeOptions.argtypes = [ctypes.POINTER(_MailEncodeOptions)]
_lib.ZRT_EncodeMail.argtypes = [ctypes.c_char_p, _sz, ctypes.POINTER(_MailEncodeOptions), ctypes.c_char_p, _sz,
                                ctypes.POINTER(_Error)]
_lib.ZRT_EncodeMail.restype = ctypes.c_int64


class MailError(ValueError):
    pass


def _as_bytes(data):
    return data.encode("utf-8") if isinstance(data, str) else bytes(data)


def decode_header(data):
    """The header decoded to text, and the pieces kept as written: (kind, bytes)."""
    src = _as_bytes(data)
    issues = []
    cb = _IssueFn(lambda u, kind, off, n: issues.append((kind, src[off:off + n])))
    n = _lib.ZRT_DecodeHeader(src, len(src), None, 0, _IssueFn(), None)
    buf = ctypes.create_string_buffer(n + 1)
    _lib.ZRT_DecodeHeader(src, len(src), buf, n + 1, cb, None)
    return buf.raw[:n].decode("utf-8"), issues


def _eol(eol):
    if eol not in ("\r\n", "\n"):
        raise ValueError("eol is '\\r\\n' or '\\n'")
    return 2 if eol == "\r\n" else 1


def _run(fn, src, opts):
    err = _Error()
    n = fn(src, len(src), ctypes.byref(opts), None, 0, ctypes.byref(err))
    if n == -1:
        if err.kind == 2:
            raise MailError("U+%04X cannot be written in the charset" % err.codePoint)
        raise MailError("the text is not UTF-8")
    if n < 0:
        raise ValueError("bad argument")
    buf = ctypes.create_string_buffer(n + 1)
    fn(src, len(src), ctypes.byref(opts), buf, n + 1, None)
    return buf.raw[:n]


def encode_header(text, charset="jis", q=False, eol="\r\n", field=True):
    opts = _HeaderOptions()
    _lib.ZRT_DefaultHeaderOptions(ctypes.byref(opts))
    opts.charset, opts.q, opts.eol, opts.field = ENCODINGS[charset], int(q), _eol(eol), int(field)
    return _run(_lib.ZRT_EncodeHeader, _as_bytes(text), opts).decode("ascii")


def encode_mail(text, charset="jis", body=None, eol="\r\n"):
    opts = _MailEncodeOptions()
    _lib.ZRT_DefaultMailEncodeOptions(ctypes.byref(opts))
    opts.charset = ENCODINGS[charset]
    opts.body = BODIES[body or ("7bit" if charset == "jis" else "base64")]
    opts.eol = _eol(eol)
    return _run(_lib.ZRT_EncodeMail, _as_bytes(text), opts)


class Part:
    def __init__(self, p):
        self.text = p.kind == 1 and not p.problem
        self.depth = p.depth
        self.content_type = p.contentType.decode()
        self.charset = p.charset.decode()
        self.transfer_encoding = p.transferEncoding.decode()
        self.filename = p.filename.decode("utf-8")
        self.guessed = bool(p.guessed)
        self.problem = p.problem
        data = ctypes.string_at(p.data, p.length) if p.length else b""
        self.content = data.decode("utf-8") if self.text else data


class Message:
    def __init__(self, from_line):
        self.from_line = from_line
        self.headers = []  # (depth, is_part_header, name, value)
        self.parts = []
        self.problems = []  # (kind, offset, detail)


def read_mail(data):
    """Every message of a message or mbox, decoded."""
    src = bytes(data)
    messages = []

    def on_message(u, index, offset, from_line, n):
        messages.append(Message(ctypes.string_at(from_line, n).decode("utf-8", "replace") if from_line else None))

    def on_header(u, depth, part, name, nl, value, vl):
        messages[-1].headers.append((depth, bool(part), ctypes.string_at(name, nl).decode("ascii", "replace"),
                                     ctypes.string_at(value, vl).decode("utf-8")))

    def on_part(u, p):
        messages[-1].parts.append(Part(p.contents))

    def on_issue(u, kind, offset, detail):
        messages[-1].problems.append((kind, offset, detail.decode("utf-8", "replace")))

    h = _Handler(ctypes.sizeof(_Handler), None, _MessageFn(on_message), _HeaderFn(on_header), _PartFn(on_part),
                 _MailIssueFn(on_issue))
    if _lib.ZRT_ReadMail(src, len(src), ctypes.byref(h)) < 0:
        raise MemoryError("zrmoji.mail: out of memory")
    return messages
