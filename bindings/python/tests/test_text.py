"""The text module's functions from Python, the doctests of the package and
its README, and how the package loads its libraries."""

import doctest
import os
import subprocess
import sys

import pytest

import zrmoji
from zrmoji import _codecs, _loader, _text

HERE = os.path.dirname(os.path.abspath(__file__))
PACKAGE_DIR = os.path.dirname(HERE)


@pytest.mark.parametrize("module", [zrmoji, _text, _codecs, _loader])
def test_doctests(module):
    result = doctest.testmod(module, optionflags=doctest.ELLIPSIS)
    assert result.failed == 0


def test_readme_examples():
    result = doctest.testfile(os.path.join(PACKAGE_DIR, "README.md"), module_relative=False,
                              optionflags=doctest.ELLIPSIS)
    assert result.attempted > 10 and result.failed == 0


GUESSES = [
    # (why, bytes, encoding)
    ("Shift_JIS kanji and kana", "会議のお知らせです。".encode("cp932"), "shift_jis"),
    ("EUC-JP", "会議のお知らせです。".encode("euc_jp"), "euc-jp"),
    ("ISO-2022-JP escapes", "会議のお知らせ".encode("iso2022_jp"), "iso-2022-jp"),
    ("UTF-8", "会議のお知らせです。".encode(), "utf-8"),
    ("binary data", bytes(range(256)) * 4, None),
]


@pytest.mark.parametrize("why,data,want", GUESSES)
def test_guess(why, data, want):
    assert zrmoji.guess(data).encoding == want


def test_guess_details():
    g = zrmoji.guess(b"\xef\xbb\xbfa\r\nb\r\n")
    assert (g.encoding, g.bom, g.eol) == ("utf-8", True, "crlf")
    assert "utf-8" in g.fits and "utf-8" in g.ties
    # A prefix may end inside a character.
    assert zrmoji.guess("会議".encode()[:-1], complete=False).encoding == "utf-8"
    assert zrmoji.guess_preference()[:3] == ("ascii", "utf-8", "shift_jis")


KANA = [
    # (why, half-width, full-width)
    ("voiced mark joined", "ｶﾞ", "ガ"),
    ("semi-voiced", "ﾊﾟ", "パ"),
    ("mark without a base stays a mark", "ﾞ", "゛"),
    ("others copied", "A1あ", "A1あ"),
    ("long text grows the buffer", "ｶﾞ" * 3000, "ガ" * 3000),
]


@pytest.mark.parametrize("why,half,full", KANA)
def test_kana_width(why, half, full):
    assert zrmoji.kana_to_fullwidth(half) == full
    if why != "mark without a base stays a mark":
        assert zrmoji.kana_to_halfwidth(full) == half


def test_variant_pairs_come_from_the_library():
    pairs = zrmoji.variant_pairs()
    assert ("\u301c", "\uff5e") in pairs and len(pairs) == 7
    for jis, cp932 in pairs:
        # The pair shares one code: the codec writes both the same way.
        assert jis.encode("zr-cp932") == cp932.encode("zr-cp932")
        assert zrmoji.to_cp932_variants(jis) == cp932 and zrmoji.to_jis_variants(cp932) == jis


def test_converter_streams_and_counts():
    with zrmoji.Converter("sjis", "utf-8", "replace") as c:
        out = c.convert(b"a\x82") + c.convert(b"\xa0\x80") + c.finish()
        assert out.decode() == "aあ\ufffd"
        assert c.counts() == (1, 0)
    with pytest.raises(ValueError):
        c.convert(b"a")  # closed
    with pytest.raises(zrmoji.ConversionError) as e:
        zrmoji.convert_bytes(b"line\n\x82\xa0\xff", "sjis", "utf-8")
    assert (e.value.kind, e.value.offset, e.value.line, e.value.data) == ("malformed", 7, 2, b"\xff")
    assert e.value.output == "line\nあ".encode()
    with pytest.raises(zrmoji.ConversionError) as e:
        zrmoji.convert_bytes("a😀".encode(), "utf-8", "euc-jp")
    assert (e.value.kind, e.value.code_point, e.value.offset) == ("unmappable", 0x1F600, 1)
    assert zrmoji.convert_bytes(b"a\r\nb", "ascii", "utf-8", eol="lf") == b"a\nb"
    assert zrmoji.convert_bytes("〜".encode(), "utf-8", "sjis", errors="replace", exact=True) == b"?"


LONG_CONVERSIONS = [
    # (why, source, target, one piece, its conversion alone); the piece
    # leaves no state behind, so n pieces convert to n conversions.
    ("output four and a half times the input, past the buffer a call sizes for it",
     "sjis", "jis", b"\xb1a", b'\x1b$B%"\x1b(Ba'),
    ("a text longer than the buffer a converter keeps", "sjis", "utf-8", b"\x88\x9f\xb1a\r\n",
     "亜ｱa\r\n".encode()),
]


@pytest.mark.parametrize("why,source,target,piece,alone", LONG_CONVERSIONS, ids=[c[0] for c in LONG_CONVERSIONS])
def test_long_texts_convert_in_one_call_as_in_pieces(why, source, target, piece, alone):
    n = (3 << 20) // len(piece) + 7
    with zrmoji.Converter(source, target) as c:
        assert c.convert(piece * n, final=True) == alone * n
        c.reset()
        with pytest.raises(zrmoji.ConversionError) as e:
            c.convert(piece * n + b"\xff", final=True)
        assert e.value.offset == len(piece) * n and e.value.output == alone * n


@pytest.mark.parametrize("call", [
    lambda: zrmoji.Converter("latin-9", "utf-8"),
    lambda: zrmoji.Converter("sjis", "utf-8", errors="surrogateescape"),
    lambda: zrmoji.Converter("sjis", "utf-8", eol="lf-cr"),
    lambda: zrmoji.validate(b"a", "ebcdic"),
])
def test_bad_arguments_raise_with_a_message(call):
    with pytest.raises(ValueError) as e:
        call()
    assert str(e.value)


def test_validate():
    assert zrmoji.validate(b"\x1b$B$\"\x1b(B", "jis") is None
    assert zrmoji.validate(b"\x82", "sjis", complete=False) is None
    err = zrmoji.validate(b"ok\n\x82", "sjis")
    assert (err.offset, err.line) == (3, 2)


def test_encoding_names_are_the_libraries():
    names = zrmoji.encoding_names()
    assert names["ujis"] == "euc-jp" and names["cp932"] == "shift_jis"


# ---- loading -------------------------------------------------------------------

def _import_with(env_changes):
    env = dict(os.environ, **env_changes)
    code = "import zrmoji; print(zrmoji.library_path); print(zrmoji.text_library_path)"
    return subprocess.run([sys.executable, "-c", code], env=env, cwd=PACKAGE_DIR,
                          capture_output=True, text=True)


def test_a_wrong_zrmoji_library_is_named_in_the_import_error():
    r = _import_with({"ZRMOJI_LIBRARY": "/nonexistent/libzr_moji.so.1"})
    assert r.returncode != 0
    assert "ImportError" in r.stderr and "/nonexistent/libzr_moji.so.1" in r.stderr


def test_the_text_library_is_found_beside_libzr_moji():
    env = {"ZRMOJI_LIBRARY": zrmoji.library_path}
    env.pop("ZRMOJI_TEXT_LIBRARY", None)
    r = _import_with(dict(env, ZRMOJI_TEXT_LIBRARY=""))
    assert r.returncode == 0, r.stderr
    assert os.path.basename(r.stdout.split()[1]).startswith("libzr_text.so")


# ---- installing -------------------------------------------------------------------

def _venv(tmp_path, name):
    # The system's pip, seen through the system site packages, installs
    # into the venv as its own copy would; making that copy takes most of
    # the time of these tests, so it is made only where there is no pip.
    venv = tmp_path / name
    python = str(venv / "bin" / "python")
    for options in (["--without-pip"], []):
        r = subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", *options, str(venv)],
                           capture_output=True, text=True)
        if r.returncode != 0:
            pytest.skip("python3 -m venv does not work here (Debian: python3-venv): " + r.stderr[-300:])
        if subprocess.run([python, "-m", "pip", "--version"], capture_output=True).returncode == 0:
            return python
    pytest.skip("no pip for a venv here (Debian: python3-pip)")


def _copy_package(tmp_path, with_libraries):
    import shutil
    src = tmp_path / ("pkg-libs" if with_libraries else "pkg")
    shutil.copytree(PACKAGE_DIR, src, ignore=shutil.ignore_patterns(
        "__pycache__", "tests", "build", "*.egg-info", "dist", "*.so*"))
    # Away from the source tree the version comes from the file a build
    # writes beside the package.
    (src / "zrmoji" / "_zrmoji_version.py").write_text('__version__ = "%s"\n' % zrmoji.__version__)
    if with_libraries:
        top = os.path.dirname(zrmoji.library_path)
        for path in (zrmoji.library_path, zrmoji.text_library_path, _loader._find_in(top, "basis")):
            real = os.path.realpath(path)
            soname = os.path.basename(path)
            if not soname.endswith(".1"):
                soname = os.path.basename(real).rsplit(".", 2)[0]
            shutil.copy(real, src / "zrmoji" / soname)
    return str(src)


def _pip_install(python, package):
    r = subprocess.run([python, "-m", "pip", "install", "-q", "--no-index", "--no-build-isolation",
                        "--disable-pip-version-check", package], capture_output=True, text=True)
    assert r.returncode == 0, r.stdout + r.stderr


def _run_in(python, tmp_path, env_changes, code):
    env = {k: v for k, v in os.environ.items() if not k.startswith("ZRMOJI_") and k != "PYTHONPATH"}
    env.update(env_changes)
    return subprocess.run([python, "-c", code], env=env, cwd=str(tmp_path), capture_output=True, text=True)


README_CHECK = ("import doctest, sys, zrmoji; r = doctest.testfile(%r, "
                "module_relative=False); print(zrmoji.library_path); sys.exit(1 if r.failed or not r.attempted else 0)")


def test_a_clean_venv_installs_the_package_offline_and_runs_the_readme(tmp_path):
    python = _venv(tmp_path, "venv")
    _pip_install(python, _copy_package(tmp_path, with_libraries=False))
    readme = os.path.join(PACKAGE_DIR, "README.md")
    r = _run_in(python, tmp_path, {"ZRMOJI_LIBRARY": zrmoji.library_path}, README_CHECK % readme)
    assert r.returncode == 0, r.stdout + r.stderr
    # The installed copy, not this checkout's.
    r = _run_in(python, tmp_path, {"ZRMOJI_LIBRARY": zrmoji.library_path},
                "import zrmoji, os; print(zrmoji.__file__); print(os.path.exists(os.path.join("
                "os.path.dirname(zrmoji.__file__), 'py.typed')))")
    assert "site-packages" in r.stdout and r.stdout.split()[1] == "True", r.stdout + r.stderr
    # Without ZRMOJI_LIBRARY and with no library on the system path, the
    # error names what was looked for.
    r = _run_in(python, tmp_path, {}, "import zrmoji")
    if r.returncode != 0:
        assert "ZRMOJI_LIBRARY" in r.stderr and "libzr_moji.so.1" in r.stderr


def test_a_package_bundling_the_libraries_needs_no_environment(tmp_path):
    python = _venv(tmp_path, "venv-libs")
    _pip_install(python, _copy_package(tmp_path, with_libraries=True))
    readme = os.path.join(PACKAGE_DIR, "README.md")
    r = _run_in(python, tmp_path, {}, README_CHECK % readme)
    assert r.returncode == 0, r.stdout + r.stderr
    assert "site-packages" in r.stdout and "zrmoji/libzr_moji.so.1" in r.stdout
