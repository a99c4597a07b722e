"""The codes of qclr.h: statuses, colour spaces and conversion methods."""

# Statuses. Every call returns CLR_OK on success; a status above 1 is a system
# error code (Windows numbering on every platform).
CLR_OK = 1
CLR_CANCELLED = 0
CLR_ERR_NOMEM = -3
CLR_ERR_FILE_NAME = -8
CLR_ERR_PARAM = -13
CLR_ERR_HANDLE = -261
CLR_ERR_SAME_BUFFER = -351
CLR_ERR_COLORSPACE = -785
CLR_ERR_METHOD = -786
CLR_ERR_PROFILE_OPEN = -787
CLR_ERR_PROFILE_MISMATCH = -788
CLR_ERR_STRUCT_SIZE = -789
CLR_ERR_TABLE_FORMAT = -790
CLR_ERR_BITMAP_STORAGE = -1
CLR_ERR_BITMAP_TILES = -2
CLR_ERR_BITMAP_SEEK = -4
CLR_ERR_BITMAP_WRITE = -5
CLR_ERR_BITMAP_EMPTY = -11
CLR_ERR_BITMAP_BITS = -27

# Colour spaces.
CSP_RGB = 0
CSP_YUV = 1
CSP_CMYK = 2
CSP_HSV = 3
CSP_HLS = 4
CSP_YIQ = 5
CSP_CMY = 6
CSP_LAB = 7
CSP_XYZ = 8
CSP_YUY2 = 9
CSP_YVU9 = 10
CSP_YCCK = 11
CSP_BGR = 12
CSP_Y41P = 13
CSP_UYVY = 14
CSP_YCC = 15
CSP_HSI = 128

# Conversion methods (values and mask bits).
METHOD_BUILTIN = 1
METHOD_ICC = 2
METHOD_CUSTOM_ICC = 4
METHOD_BUILTIN_TABLES = 8
METHOD_CUSTOM_TABLES = 16
METHOD_AUTO = 32

# storageFlags bits of a bitmap record.
QCLR_BITMAP_ALLOCATED = 0x0001
QCLR_BITMAP_IN_MEMORY = 0x0002
QCLR_BITMAP_ON_DISK = 0x0004
QCLR_BITMAP_TILED = 0x4000

QCLR_FILE_NAME_SIZE = 260


def status_names():
    """Maps every status value of the header to its name."""
    return {value: name for name, value in globals().items()
            if name.startswith("CLR_") and isinstance(value, int)}
