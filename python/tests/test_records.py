"""The ctypes records, constants and version agree with the C header."""
import ctypes
import re
import shutil
import subprocess

import pytest

import qclr
from qclr import _records as r

RECORDS = [r.WhitePoint, r.CmykOptions, r.YuvLayout, r.LabOptions, r.ConversionParams,
           r.BitmapRecord, r.BitmapTileTable, r.BitmapTile]


def test_constants_match_the_header(header_text):
    declared = dict((name, int(value)) for name, value in
                    re.findall(r"^\s+((?:CLR|CSP|METHOD)_[A-Z0-9_]+) = (-?\d+)", header_text, re.M))
    declared.update((name, int(value, 16)) for name, value in
                    re.findall(r"^#define (QCLR_BITMAP_[A-Z_]+) (0x[0-9A-Fa-f]+)u", header_text, re.M))
    assert len(declared) > 40
    assert {name: getattr(qclr, name, None) for name in declared} == declared


def test_versions_agree(header_text):
    parts = [int(re.search(r"#define QCLR_VERSION_%s (\d+)" % p, header_text).group(1))
             for p in ("MAJOR", "MINOR", "PATCH")]
    assert qclr.library_version() == tuple(parts)
    assert qclr.__version__ == "%d.%d.%d" % tuple(parts)


@pytest.mark.skipif(ctypes.sizeof(ctypes.c_void_p) != 4, reason="32-bit sizes")
def test_documented_32bit_sizes():
    assert {t: ctypes.sizeof(t) for t in r.DOCUMENTED_32BIT_SIZES} == r.DOCUMENTED_32BIT_SIZES


def c_layout(header_dir, tmp_path):
    """Size and every field offset of each record, as the C compiler lays them out."""
    lines = []
    for record in RECORDS:
        name = record.__name__
        lines.append('printf("%s size %%zu\\n", sizeof(%s));' % (name, name))
        for field, _ in record._fields_:
            lines.append('printf("%s %s %%zu\\n", offsetof(%s, %s));' % (name, field, name, field))
    source = tmp_path / "layout.c"
    source.write_text("#include <stddef.h>\n#include <stdio.h>\n#include <qclr/qclr.h>\n"
                      "int main(void) {\n%s\nreturn 0;\n}\n" % "\n".join(lines))
    program = tmp_path / "layout"
    subprocess.run([shutil.which("cc"), "-I", str(header_dir), str(source), "-o", str(program)],
                   check=True)
    return subprocess.run([str(program)], check=True, capture_output=True, text=True).stdout.split("\n")


@pytest.mark.skipif(shutil.which("cc") is None, reason="no C compiler")
def test_layouts_match_the_c_compiler(header_text, tmp_path):
    include = tmp_path / "include/qclr"
    include.mkdir(parents=True)
    (include / "qclr.h").write_text(header_text)
    expected = c_layout(tmp_path / "include", tmp_path)
    ours = []
    for record in RECORDS:
        ours.append("%s size %d" % (record.__name__, ctypes.sizeof(record)))
        ours += ["%s %s %d" % (record.__name__, f, getattr(record, f).offset) for f, _ in record._fields_]
    assert ours == expected[:len(ours)]


def test_library_accepts_the_record_sizes():
    # Q_ClrInit compares every structSize with the record's size in the library.
    with qclr.Handle("LAB", "RGB", "builtin", lab=(0, 100, 128, 170, 96, 200), white="D65"):
        pass
    with qclr.Handle("CMYK", "RGB", "builtin", black=500):
        pass
