"""The caller records of qclr.h as ctypes structures.

The fields follow the header in order with the platform's natural alignment, as
the C compiler lays them out: on 32-bit targets the records have their documented
sizes (checked below), on 64-bit targets the pointers widen and the sizes follow.
"""
import ctypes

from ._constants import QCLR_FILE_NAME_SIZE

c_int32 = ctypes.c_int32
c_uint32 = ctypes.c_uint32


class WhitePoint(ctypes.Structure):
    _fields_ = [("kind", c_uint32), ("reserved", c_uint32),
                ("x", ctypes.c_double), ("y", ctypes.c_double)]


class CmykOptions(ctypes.Structure):
    _fields_ = [("structSize", c_uint32), ("value", c_int32), ("mask", c_uint32)]


class YuvLayout(ctypes.Structure):
    _fields_ = [("structSize", c_uint32), ("mask", c_uint32),
                ("uStepX", c_int32), ("uStepY", c_int32),
                ("vStepX", c_int32), ("vStepY", c_int32),
                ("sampleOffsets", ctypes.POINTER(c_int32)),
                ("groupPixels", c_int32), ("noOffsets", c_int32), ("planar", c_int32)]


class LabOptions(ctypes.Structure):
    _fields_ = [("structSize", c_uint32), ("mask", c_uint32),
                ("lOffset", c_int32), ("lRange", c_int32),
                ("aOffset", c_int32), ("aRange", c_int32),
                ("bOffset", c_int32), ("bRange", c_int32)]


class ConversionParams(ctypes.Structure):
    _fields_ = [("structSize", c_uint32), ("method", c_int32),
                ("whitePoint", ctypes.POINTER(WhitePoint)),
                ("srcProfileName", ctypes.c_char * QCLR_FILE_NAME_SIZE),
                ("dstProfileName", ctypes.c_char * QCLR_FILE_NAME_SIZE),
                ("tableFileName", ctypes.c_char * QCLR_FILE_NAME_SIZE),
                ("cmykOptions", ctypes.POINTER(CmykOptions)),
                ("yuvLayout", ctypes.POINTER(YuvLayout)),
                ("labOptions", ctypes.POINTER(LabOptions)),
                ("flags", c_uint32), ("tableBits", c_uint32)]


class BitmapRecord(ctypes.Structure):
    _fields_ = [("storageHandle", c_uint32), ("data", ctypes.c_void_p),
                ("width", c_int32), ("height", c_int32),
                ("bitsPerPixel", c_int32), ("bytesPerLine", c_int32),
                ("cachedRowOffset", c_int32), ("cachedRow", c_int32),
                ("storageFlags", c_uint32), ("paletteColors", c_int32),
                ("reserved40", c_uint32), ("orientation", c_int32),
                ("channelOrder", c_int32), ("dataSize", c_uint32),
                ("reserved56", c_uint32), ("defaultFlags", c_uint32),
                ("reserved64", c_uint32), ("xResolution", c_int32),
                ("yResolution", c_int32), ("reserved76", c_uint32 * 6),
                ("bitRange1", c_int32 * 2), ("reserved108", c_uint32 * 2),
                ("viewOffset", c_uint32), ("reserved120", c_uint32 * 2),
                ("bitRange2", c_int32 * 2), ("percent", c_int32),
                ("reserved140", c_uint32 * 2),
                ("identityTable", ctypes.POINTER(ctypes.c_uint8)),
                ("reserved152", c_uint32)]


class BitmapTileTable(ctypes.Structure):
    _fields_ = [("tileCount", c_uint32), ("rowsPerTile", c_uint32)]


class BitmapTile(ctypes.Structure):
    _fields_ = [("mappingHandle", c_uint32), ("view", ctypes.c_void_p)]


# The sizes the header documents for 32-bit targets.
DOCUMENTED_32BIT_SIZES = {ConversionParams: 812, CmykOptions: 12, YuvLayout: 40,
                          LabOptions: 32, BitmapRecord: 156}

if ctypes.sizeof(ctypes.c_void_p) == 4:
    for _record, _size in DOCUMENTED_32BIT_SIZES.items():
        if ctypes.sizeof(_record) != _size:
            raise ImportError("qclr: %s is %d bytes, not %d"
                              % (_record.__name__, ctypes.sizeof(_record), _size))


def struct_size(record_type):
    """The structSize value of a record type on this platform."""
    return ctypes.sizeof(record_type)
