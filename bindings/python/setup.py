"""Only here to tag a wheel that bundles the shared libraries as specific
to this platform; everything else is in pyproject.toml."""
import glob
import os

from setuptools import setup
from setuptools.dist import Distribution

_HERE = os.path.dirname(os.path.abspath(__file__))


class _Dist(Distribution):
    def has_ext_modules(self):
        return bool(glob.glob(os.path.join(_HERE, "zrmoji", "*.so.1"))
                    or glob.glob(os.path.join(_HERE, "zrmoji", "*.dll")))


setup(distclass=_Dist)
