"""Bitmap output: records filled by the library, read out and released."""
import ctypes

import numpy as np
import pytest

import qclr
from qclr import _records as r

HSV = np.random.default_rng(2).integers(0, 256, (3, 5, 3), dtype=np.uint8)


@pytest.mark.parametrize("dst", ["RGB", "BGR"])
def test_direct_bitmap_holds_the_converted_rows(dst):
    with qclr.convert_to_bitmap(HSV, "HSV", dst) as bitmap:
        assert (bitmap.width, bitmap.height, bitmap.storage) == (5, 3, "memory")
        assert bitmap.bytes_per_line == 16  # 15 bytes rounded up to a multiple of 4
        np.testing.assert_array_equal(bitmap.to_array(), qclr.convert(HSV, "HSV", dst))
    assert bitmap.closed
    bitmap.close()
    with pytest.raises(ValueError):
        bitmap.to_array()


def test_handle_bitmap():
    cmyk = np.random.default_rng(4).integers(0, 256, (2, 7, 4), dtype=np.uint8)
    with qclr.Handle("CMYK", "RGB", "icc") as handle, handle.to_bitmap(cmyk) as bitmap:
        np.testing.assert_array_equal(bitmap.to_array(), handle.convert(cmyk))


def detached(record, keep):
    """A Bitmap over a record made here, which the library must not release."""
    bitmap = qclr.Bitmap(None, record)
    bitmap.keep = keep
    return bitmap


def rows_of(width, height, line):
    return np.arange(height * line, dtype=np.uint8).reshape(height, line)


def test_tiled_storage_is_read_tile_by_tile():
    # Three rows in tiles of two: the header's table, then its entries.
    width, height, line = 2, 3, 8
    rows = rows_of(width, height, line)
    views = [ctypes.create_string_buffer(rows[0:2].tobytes()), ctypes.create_string_buffer(rows[2:].tobytes())]

    class Table(ctypes.Structure):
        _fields_ = [("head", r.BitmapTileTable), ("tiles", r.BitmapTile * 2)]

    table = Table(r.BitmapTileTable(2, 2), (r.BitmapTile * 2)(*[r.BitmapTile(0, ctypes.addressof(v)) for v in views]))
    record = r.BitmapRecord(data=ctypes.addressof(table), width=width, height=height, bytesPerLine=line,
                            storageFlags=qclr.QCLR_BITMAP_TILED | qclr.QCLR_BITMAP_IN_MEMORY)
    bitmap = detached(record, (table, views))
    assert bitmap.storage == "tiled"
    np.testing.assert_array_equal(bitmap.to_array(), rows[:, :6].reshape(height, width, 3))
    bitmap.record = None


def test_disk_storage_is_read_from_the_named_file(tmp_path):
    width, height, line = 3, 2, 12
    rows = rows_of(width, height, line)
    path = tmp_path / "bitmap"
    path.write_bytes(rows.tobytes() + b"\0")
    name = ctypes.create_string_buffer(bytes(path))
    record = r.BitmapRecord(data=ctypes.addressof(name), width=width, height=height, bytesPerLine=line,
                            storageFlags=qclr.QCLR_BITMAP_ON_DISK)
    bitmap = detached(record, name)
    assert bitmap.storage == "disk"
    np.testing.assert_array_equal(bitmap.to_array(), rows[:, :9].reshape(height, width, 3))
    bitmap.record = None
