"""Bitmap records filled by the library: 24-bit top-down rows in one of three
kinds of storage, read out into numpy arrays and released with Q_ClrFreeBitmap."""
import ctypes

import numpy as np

from . import _constants as c
from . import _records as r
from ._errors import check


class Bitmap:
    """A bitmap the library made; a context manager that releases its storage.

    width, height, bytes_per_line and storage ("memory", "tiled" or "disk")
    describe it; to_array() copies its pixels out as a (height, width, 3) array in
    the order of the destination space (RGB or BGR).
    """

    def __init__(self, lib, record):
        self._lib = lib
        self.record = record

    @property
    def width(self):
        return self.record.width

    @property
    def height(self):
        return self.record.height

    @property
    def bytes_per_line(self):
        return self.record.bytesPerLine

    @property
    def storage(self):
        flags = self.record.storageFlags
        if flags & c.QCLR_BITMAP_TILED:
            return "tiled"
        if flags & c.QCLR_BITMAP_ON_DISK:
            return "disk"
        return "memory"

    @property
    def closed(self):
        return self.record is None

    def _rows(self):
        """The raw rows, bytes_per_line apart, as one bytes object."""
        rec = self.record
        line = rec.bytesPerLine
        if self.storage == "memory":
            return ctypes.string_at(rec.data, line * rec.height)
        if self.storage == "disk":
            with open(ctypes.string_at(rec.data), "rb") as f:
                return f.read(line * rec.height)
        table = r.BitmapTileTable.from_address(rec.data)
        tiles = (r.BitmapTile * table.tileCount).from_address(
            rec.data + ctypes.sizeof(r.BitmapTileTable))
        chunks, left = [], rec.height
        for tile in tiles:
            rows = min(table.rowsPerTile, left)
            chunks.append(ctypes.string_at(tile.view, rows * line))
            left -= rows
        return b"".join(chunks)

    def to_array(self):
        if self.closed:
            raise ValueError("the bitmap has been released")
        rows = np.frombuffer(self._rows(), np.uint8).reshape(self.height, self.bytes_per_line)
        return rows[:, :3 * self.width].reshape(self.height, self.width, 3).copy()

    def close(self):
        """Releases the storage (idempotent)."""
        if self.record is not None:
            record, self.record = self.record, None
            check(self._lib, self._lib.Q_ClrFreeBitmap(ctypes.byref(record)), "Q_ClrFreeBitmap")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "record", None) is not None:
            try:
                self.close()
            except Exception:
                pass
