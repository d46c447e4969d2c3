"""pytest: the package in this directory is the one under test (prepended to
sys.path by pytest as this file's directory)."""
