"""Conversions: the direct route (built-in formulas, no handle) and handles."""
import ctypes

import numpy as np

from . import _constants as c
from . import _records as r
from ._bitmap import Bitmap
from ._errors import check
from ._library import library
from ._options import Params, method_value
from ._profiles import refusal_detail
from ._spaces import source_buffer, space


def _pointer(array):
    return ctypes.c_void_p(array.ctypes.data)


def _output(dst, width, height):
    return np.empty(dst.shape(width, height), dst.dtype)


class Handle:
    """A conversion handle from one colour space to another (Q_ClrInit).

    method: the active method ("builtin", "icc", "custom-icc", "tables",
    "custom-tables", or "auto" to let the library choose); prepare: further
    methods to make ready for set(method=...) later. white: "D50" (the default),
    "D55", "D65", "D75", "D93" or a chromaticity (x, y); profiles: the (source,
    destination) ICC profile files of "custom-icc"; table: the TIFF file of
    "custom-tables"; black: black generation in thousandths (0..1000) for CMYK;
    lab: the Lab byte encoding (lOffset, lRange, aOffset, aRange, bOffset,
    bRange) of the built-in method.

    Use it as a context manager, or call close(); conversions through a closed
    handle raise QclrError with CLR_ERR_HANDLE.
    """

    def __init__(self, src, dst, method="builtin", *, prepare=(), white=None, profiles=None,
                 table=None, black=None, lab=None):
        self._lib = library()
        self.src, self.dst = space(src), space(dst)
        params = Params(method, white, profiles, table, black, lab)
        flags = params.record.method
        for m in prepare:
            flags |= method_value(m)
        params.record.flags = flags
        handle = ctypes.c_void_p()
        check(self._lib, self._lib.Q_ClrInit(ctypes.byref(handle), self.src.code, self.dst.code,
                                             ctypes.byref(params.record)), "Q_ClrInit",
              self._refused_profile(profiles))
        self._handle = handle

    def _refused_profile(self, profiles):
        """Says why the library refused these profile files, for the exception."""
        def detail(status):
            if profiles is None or status not in (c.CLR_ERR_PROFILE_OPEN, c.CLR_ERR_PROFILE_MISMATCH):
                return None
            return refusal_detail(profiles, self.src, self.dst)
        return detail

    @property
    def closed(self):
        return self._handle is None

    def _live(self):
        # A closed handle is passed on as null: the library reports CLR_ERR_HANDLE.
        return self._handle if self._handle is not None else ctypes.c_void_p()

    def convert(self, array, size=None):
        """Converts an array of the source space into a new array (Q_ClrConvert)."""
        src, width, height = source_buffer(array, self.src, size)
        out = _output(self.dst, width, height)
        check(self._lib, self._lib.Q_ClrConvert(self._live(), _pointer(src), _pointer(out),
                                                width, height, 0, 0), "Q_ClrConvert")
        return out

    def to_bitmap(self, array, size=None):
        """Converts into a Bitmap; the handle's destination must be RGB or BGR."""
        src, width, height = source_buffer(array, self.src, size)
        record = r.BitmapRecord()
        check(self._lib, self._lib.Q_ClrConvertToBitmap(self._live(), _pointer(src),
                                                        ctypes.byref(record), width, height, 0, 0),
              "Q_ClrConvertToBitmap")
        return Bitmap(self._lib, record)

    def set(self, *, method=None, white=None, profiles=None, table=None, black=None, lab=None):
        """Changes the given parameters of the live handle (Q_ClrSetConversionParams).

        The method must be one the handle was prepared for.
        """
        params = Params(method, white, profiles, table, black, lab)
        params.record.flags = params.groups
        check(self._lib, self._lib.Q_ClrSetConversionParams(self._live(), ctypes.byref(params.record)),
              "Q_ClrSetConversionParams", self._refused_profile(profiles))

    def close(self):
        """Releases the handle (idempotent)."""
        if self._handle is not None:
            handle, self._handle = self._handle, None
            check(self._lib, self._lib.Q_ClrFree(handle), "Q_ClrFree")

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    def __del__(self):
        if getattr(self, "_handle", None) is not None:
            try:
                self.close()
            except Exception:
                pass


def _wants_handle(method, options):
    if method is None and any(v is not None for v in options.values()):
        raise ValueError("%s need a method" % ", ".join(k for k, v in options.items() if v is not None))
    return method is not None


def convert(array, src, dst, method=None, *, white=None, profiles=None, table=None, black=None,
            lab=None, size=None):
    """Converts an array from colour space src into dst and returns a new array.

    Without a method the built-in formulas convert directly (Q_ClrConvertDirect);
    with one, a handle is made for the call (see Handle for the options). size
    gives (width, height) for planar YVU9 or raw byte buffers.
    """
    options = dict(white=white, profiles=profiles, table=table, black=black, lab=lab)
    if _wants_handle(method, options):
        with Handle(src, dst, method, **options) as handle:
            return handle.convert(array, size)
    lib = library()
    src, dst = space(src), space(dst)
    buffer, width, height = source_buffer(array, src, size)
    out = _output(dst, width, height)
    check(lib, lib.Q_ClrConvertDirect(src.code, dst.code, _pointer(buffer), _pointer(out),
                                      width, height, 0, 0), "Q_ClrConvertDirect")
    return out


def convert_to_bitmap(array, src, dst="RGB", method=None, *, white=None, profiles=None,
                      table=None, black=None, lab=None, size=None):
    """Like convert(), into a Bitmap of RGB or BGR rows."""
    options = dict(white=white, profiles=profiles, table=table, black=black, lab=lab)
    if _wants_handle(method, options):
        with Handle(src, dst, method, **options) as handle:
            return handle.to_bitmap(array, size)
    lib = library()
    src, dst = space(src), space(dst)
    buffer, width, height = source_buffer(array, src, size)
    record = r.BitmapRecord()
    check(lib, lib.Q_ClrConvertDirectToBitmap(src.code, dst.code, _pointer(buffer), ctypes.byref(record),
                                              width, height, 0, 0), "Q_ClrConvertDirectToBitmap")
    return Bitmap(lib, record)


def library_version():
    """(major, minor, patch) of the library in use (Q_ClrGetVersion)."""
    return library().qclr_version
