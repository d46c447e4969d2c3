"""Tags a wheel that bundles the shared libraries as specific to this
platform, and gives the package the CMake project's version (the one place
it is kept); everything else is in pyproject.toml."""
import glob
import os
import re

from setuptools import setup
from setuptools.dist import Distribution

_HERE = os.path.dirname(os.path.abspath(__file__))


class _Dist(Distribution):
    def has_ext_modules(self):
        return bool(glob.glob(os.path.join(_HERE, "zrmoji", "*.so.1"))
                    or glob.glob(os.path.join(_HERE, "zrmoji", "*.dll")))


def _version():
    # A staged copy carries the version file CMake wrote; the source tree
    # has the project line itself two levels up.
    for path, pattern in (
            (os.path.join(_HERE, "zrmoji", "_zrmoji_version.py"), r'^__version__ = "([^"]+)"'),
            (os.path.join(_HERE, "..", "..", "CMakeLists.txt"),
             r"^project\(\s*ZRMoji\s+VERSION\s+([0-9][0-9.]*)")):
        try:
            with open(path, encoding="utf-8") as f:
                m = re.search(pattern, f.read(), re.M)
        except OSError:
            continue
        if m:
            return m.group(1)
    raise RuntimeError("zrmoji: no _zrmoji_version.py and no CMakeLists.txt to take the version from")


setup(distclass=_Dist, version=_version())
