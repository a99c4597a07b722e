"""Conversion parameters: method names, white points and the option records,
gathered into one ConversionParams record that keeps its sub-records alive."""
import ctypes
import os

from . import _constants as c
from . import _records as r

METHODS = {"builtin": c.METHOD_BUILTIN, "icc": c.METHOD_ICC, "custom-icc": c.METHOD_CUSTOM_ICC,
           "tables": c.METHOD_BUILTIN_TABLES, "custom-tables": c.METHOD_CUSTOM_TABLES,
           "auto": c.METHOD_AUTO}
WHITES = {"D50": 50, "D55": 55, "D65": 65, "D75": 75, "D93": 93}

# Parameter groups of Q_ClrSetConversionParams (its flags).
GROUP_METHOD, GROUP_PROFILES, GROUP_WHITE, GROUP_TABLE = 1, 2, 4, 8
GROUP_CMYK, GROUP_LAB = 16, 64
LAB_FIELDS = ("lOffset", "lRange", "aOffset", "aRange", "bOffset", "bRange")


def method_value(method):
    if isinstance(method, str):
        if method.lower() not in METHODS:
            raise ValueError("unknown method %r; known: %s" % (method, ", ".join(METHODS)))
        return METHODS[method.lower()]
    return int(method)


def white_point(white):
    """A WhitePoint from "D65" (or 50, 55, 65, 75, 93) or a chromaticity (x, y)."""
    if isinstance(white, str):
        if white.upper() not in WHITES:
            raise ValueError("unknown white point %r; known: %s, or (x, y)"
                             % (white, ", ".join(WHITES)))
        return r.WhitePoint(kind=WHITES[white.upper()])
    if isinstance(white, (tuple, list)):
        x, y = white
        return r.WhitePoint(kind=0, x=float(x), y=float(y))
    return r.WhitePoint(kind=int(white))


def _file_name(path):
    name = os.fsencode(path)
    if not name or len(name) >= c.QCLR_FILE_NAME_SIZE:
        raise ValueError("file names must be 1 to %d bytes: %r" % (c.QCLR_FILE_NAME_SIZE - 1, path))
    return name


class Params:
    """A ConversionParams record with its white point and option records.

    Only what is given is filled in: the groups given are recorded in `groups`
    (the flags Q_ClrSetConversionParams reads).
    """

    def __init__(self, method=None, white=None, profiles=None, table=None, black=None, lab=None):
        self.record = r.ConversionParams(structSize=r.struct_size(r.ConversionParams), tableBits=8)
        self.groups = 0
        self._keep = []
        if method is not None:
            self.record.method = method_value(method)
            self.groups |= GROUP_METHOD
        if white is not None:
            self._point("whitePoint", white_point(white))
            self.groups |= GROUP_WHITE
        if profiles is not None:
            src, dst = profiles
            self.record.srcProfileName = _file_name(src)
            self.record.dstProfileName = _file_name(dst)
            self.groups |= GROUP_PROFILES
        if table is not None:
            self.record.tableFileName = _file_name(table)
            self.groups |= GROUP_TABLE
        if black is not None:
            self._point("cmykOptions", r.CmykOptions(r.struct_size(r.CmykOptions), int(black), 1))
            self.groups |= GROUP_CMYK
        if lab is not None:
            values = [lab[k] for k in LAB_FIELDS] if isinstance(lab, dict) else list(lab)
            if len(values) != 6:
                raise ValueError("lab takes six values: %s" % ", ".join(LAB_FIELDS))
            self._point("labOptions", r.LabOptions(r.struct_size(r.LabOptions), 63,
                                                   *(int(v) for v in values)))
            self.groups |= GROUP_LAB

    def _point(self, field, value):
        self._keep.append(value)
        setattr(self.record, field, ctypes.pointer(value))
