"""Finding and loading the shared libraries the package drives.

Three libraries work together: libzr_moji (the 94 exports), libzr_basis
(which libzr_moji links) and libzr_text (the text module: validation,
streaming conversion, guessing; it links libzr_moji). They are looked for,
in this order:

1. ``ZRMOJI_LIBRARY``: the path of libzr_moji; the others beside it (or, in
   a CMake build tree, where that tree puts them). ``ZRMOJI_TEXT_LIBRARY``
   may name libzr_text on its own. Nothing else is tried when it is set, so
   that a wrong path is reported rather than silently replaced.
2. Beside this package (a wheel built from the CMake build bundles all three,
   and ``cmake --install`` with ZR_INSTALL_PYTHON records the prefix's
   library directory in ``_libdir.py``).
3. The build trees of the source tree the package sits in (``build``,
   then ``build*``), for working in a checkout.
4. The system's library path (``dlopen`` by soname).

Each library is loaded by its full path once its dependencies are loaded,
so the dynamic linker finds them by soname without LD_LIBRARY_PATH.
"""

import ctypes
import glob
import os
import sys
from typing import Iterator, List, Optional, Tuple

_WINDOWS = sys.platform == "win32"

if _WINDOWS:
    NAMES = {"basis": ["ZR_Basis.dll"], "moji": ["ZR_Moji.dll"], "text": ["ZR_Text.dll"]}
else:
    NAMES = {
        "basis": ["libzr_basis.so.1", "libzr_basis.so"],
        "moji": ["libzr_moji.so.1", "libzr_moji.so", "libzr_moji.dylib"],
        "text": ["libzr_text.so.1", "libzr_text.so", "libzr_text.dylib"],
    }
# Where a CMake build tree puts each library, relative to its top.
_BUILD_SUBDIRS = {"basis": ["basis"], "moji": [], "text": [os.path.join("src", "text")]}

HERE = os.path.dirname(os.path.abspath(__file__))


def _open(path: str, stdcall: bool = False) -> ctypes.CDLL:
    # The 94 exports are __stdcall on 32-bit Windows; the text module's are cdecl.
    return ctypes.WinDLL(path) if stdcall and _WINDOWS else ctypes.CDLL(path)


def _find_in(top: str, which: str) -> Optional[str]:
    for sub in [""] + _BUILD_SUBDIRS[which]:
        for n in NAMES[which]:
            p = os.path.join(top, sub, n)
            if os.path.exists(p):
                return p
    return None


def _directories() -> Iterator[Tuple[str, str]]:
    """(why, directory) pairs to look in, after ZRMOJI_LIBRARY."""
    yield "beside the package", HERE
    try:
        from . import _libdir  # written by cmake --install
        yield "the install prefix", os.path.normpath(os.path.join(HERE, _libdir.RELATIVE))
    except ImportError:
        pass
    root = os.path.dirname(os.path.dirname(os.path.dirname(HERE)))
    if os.path.exists(os.path.join(root, "include", "zr_moji.h")):
        trees = [os.path.join(root, "build")]
        trees += sorted(d for d in glob.glob(os.path.join(root, "build?*")) if d not in trees)
        for d in trees:
            yield "the source tree's build", d


class Libraries:
    """The loaded libraries and the paths they came from."""

    def __init__(self, moji: ctypes.CDLL, moji_path: str, text: ctypes.CDLL, text_path: str):
        self.moji, self.moji_path, self.text, self.text_path = moji, moji_path, text, text_path


def _load_set(moji_path: str, text_path: Optional[str], tried: List[str]) -> Optional[Libraries]:
    top = os.path.dirname(moji_path) or "."
    # libzr_moji's own directory, or the top of a build tree holding it.
    basis = _find_in(top, "basis")
    try:
        if basis:
            _open(basis)
        moji = _open(moji_path, stdcall=True)
    except OSError as e:
        tried.append("%s (%s)" % (moji_path, e))
        return None
    text_path = text_path or _find_in(top, "text")
    if not text_path:
        tried.append("%s loaded, but no %s beside it" % (moji_path, " or ".join(NAMES["text"])))
        return None
    try:
        return Libraries(moji, moji_path, _open(text_path), text_path)
    except OSError as e:
        tried.append("%s (%s)" % (text_path, e))
        return None


def load() -> Libraries:
    """Loads the libraries or raises ImportError naming every place tried."""
    tried: List[str] = []
    env = os.environ.get("ZRMOJI_LIBRARY")
    text_env = os.environ.get("ZRMOJI_TEXT_LIBRARY")
    if env:
        libs = _load_set(env, text_env, tried)
        if libs:
            return libs
        raise ImportError("zrmoji: cannot load the library named by ZRMOJI_LIBRARY: " + "; ".join(tried))
    for why, d in _directories():
        p = _find_in(d, "moji")
        if p:
            libs = _load_set(p, text_env, tried)
            if libs:
                return libs
        else:
            tried.append("%s: no %s in %s" % (why, "/".join(NAMES["moji"]), d))
    # The system's library path: dlopen by soname.
    for n in NAMES["moji"][:1]:
        try:
            moji = _open(n, stdcall=True)
            text = _open(text_env or NAMES["text"][0])
            return Libraries(moji, n, text, text_env or NAMES["text"][0])
        except OSError as e:
            tried.append("the system library path: %s" % e)
    raise ImportError("zrmoji: cannot find the ZR_Moji libraries (%s and %s); set ZRMOJI_LIBRARY to "
                      "the path of %s. Looked in: %s"
                      % (NAMES["moji"][0], NAMES["text"][0], NAMES["moji"][0], "; ".join(tried)))
