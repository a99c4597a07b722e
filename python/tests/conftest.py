"""Shared fixtures: the header the module must agree with, and the generated
built-in profiles when a build folder is at hand.

The module under test is whichever `import qclr` finds (PYTHONPATH), and its
library is found as the module finds it (QCLR_LIBRARY, the installed library, the
loader). QCLR_TEST_HEADER and QCLR_TEST_RESOURCES override the header and the
folder of generated profiles (the build's resources/ folder).
"""
import os
import pathlib

import pytest

SOURCE_ROOT = pathlib.Path(__file__).resolve().parents[2]


@pytest.fixture(scope="session")
def header_text():
    path = pathlib.Path(os.environ.get("QCLR_TEST_HEADER", SOURCE_ROOT / "include/qclr/qclr.h"))
    return path.read_text()


@pytest.fixture(scope="session")
def profile_folder():
    folder = os.environ.get("QCLR_TEST_RESOURCES")
    if not folder or not pathlib.Path(folder, "profile_display_rgb.icc").exists():
        pytest.skip("no folder of generated profiles (QCLR_TEST_RESOURCES)")
    return pathlib.Path(folder)
