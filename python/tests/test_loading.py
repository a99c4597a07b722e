"""How the module finds its library: explicit path, its environment variable,
the loader. Each case runs in a fresh interpreter."""
import os
import pathlib
import shutil
import subprocess
import sys

import pytest

import qclr
from qclr._library import library

LIBRARY = pathlib.Path(library().qclr_path)
PACKAGE = pathlib.Path(qclr.__file__).parent


def run(code, tmp_path, **environment):
    """Runs code with a copy of the package that knows no installed library."""
    copy = tmp_path / "qclr"
    shutil.copytree(PACKAGE, copy, ignore=shutil.ignore_patterns("_installed.py", "__pycache__"),
                    dirs_exist_ok=True)
    env = {k: v for k, v in os.environ.items() if k not in ("QCLR_LIBRARY", "LD_LIBRARY_PATH")}
    env.update(PYTHONPATH=str(tmp_path), PYTHONDONTWRITEBYTECODE="1", **environment)
    return subprocess.run([sys.executable, "-c", "import qclr\n" + code], env=env, cwd=tmp_path,
                          capture_output=True, text=True)


@pytest.fixture(scope="module")
def real_library():
    if not LIBRARY.is_file():
        pytest.skip("the library in use was found by the loader, not by a path")
    return LIBRARY.resolve()


def test_explicit_path(real_library, tmp_path):
    done = run("print(qclr.load_library(%r).qclr_path)" % str(real_library), tmp_path)
    assert done.stdout.strip() == str(real_library), done.stderr


def test_environment_variable(real_library, tmp_path):
    done = run("print(qclr.library_version())", tmp_path, QCLR_LIBRARY=str(real_library))
    assert done.stdout.strip() == str(qclr.library_version()), done.stderr
    missing = run("qclr.library_version()", tmp_path, QCLR_LIBRARY=str(tmp_path / "libnone.so"))
    assert missing.returncode != 0 and "libnone.so" in missing.stderr


@pytest.mark.skipif(not sys.platform.startswith("linux"), reason="LD_LIBRARY_PATH")
def test_platform_loader(real_library, tmp_path):
    soname = "libqclr.so.%d" % qclr.library_version()[0]
    folder = tmp_path / "lib"
    folder.mkdir()
    (folder / soname).symlink_to(real_library)
    done = run("print(qclr._library.library().qclr_path)", tmp_path, LD_LIBRARY_PATH=str(folder))
    assert done.stdout.strip() == soname, done.stderr


def test_other_library_refused(tmp_path):
    done = run("qclr.load_library('libm.so.6')", tmp_path)
    assert done.returncode != 0 and "not a qclr library" in done.stderr
