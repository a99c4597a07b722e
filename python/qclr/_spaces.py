"""Colour spaces and the numpy shapes of their buffers.

Pixel spaces are (height, width, channels) arrays: uint8, except CSP_XYZ, whose
pixels are three float64 values. The subsampled packed layouts are (height,
row bytes) uint8 arrays: 2 x width bytes a row for YUY2 and UYVY, 12 x width / 8
for Y41P. The planar YVU9 is a flat uint8 array (Y plane, then V, then U) that
needs its size given. Any layout may also be given as raw bytes with size=(width,
height).
"""
import numpy as np

from . import _constants as c


class Space:
    def __init__(self, name, code, channels=0, group_width=1, group_bytes=0, dtype=np.uint8):
        self.name = name
        self.code = code
        self.channels = channels        # pixel spaces: values a pixel
        self.group_width = group_width  # packed layouts: pixels per group of bytes
        self.group_bytes = group_bytes
        self.dtype = np.dtype(dtype)

    def __repr__(self):
        return "Space(%s)" % self.name

    @property
    def planar(self):
        return self.code == c.CSP_YVU9

    def count(self, width, height):
        """Elements (bytes, or doubles for XYZ) of a tightly packed buffer."""
        if self.planar:
            return width * height + 2 * (width // 4) * (height // 4)
        if self.channels:
            return width * height * self.channels
        return (width // self.group_width) * self.group_bytes * height

    def shape(self, width, height):
        if self.planar:
            return (self.count(width, height),)
        if self.channels:
            return (height, width, self.channels)
        return (height, (width // self.group_width) * self.group_bytes)

    def size_of(self, array):
        """(width, height) of an array of this space, from its shape."""
        if self.planar:
            raise ValueError("a YVU9 buffer is planar: give its size=(width, height)")
        if self.channels:
            if array.ndim != 3 or array.shape[2] != self.channels:
                raise ValueError("%s pixels need an array of shape (height, width, %d), not %s"
                                 % (self.name, self.channels, array.shape))
            return array.shape[1], array.shape[0]
        if array.ndim != 2 or array.shape[1] % self.group_bytes:
            raise ValueError("%s rows need an array of shape (height, row bytes) with row bytes "
                             "a multiple of %d, not %s" % (self.name, self.group_bytes, array.shape))
        return array.shape[1] // self.group_bytes * self.group_width, array.shape[0]


SPACES = [
    Space("RGB", c.CSP_RGB, 3), Space("BGR", c.CSP_BGR, 3),
    Space("YUV", c.CSP_YUV, 3), Space("CMYK", c.CSP_CMYK, 4),
    Space("HSV", c.CSP_HSV, 3), Space("HLS", c.CSP_HLS, 3),
    Space("YIQ", c.CSP_YIQ, 3), Space("CMY", c.CSP_CMY, 3),
    Space("LAB", c.CSP_LAB, 3), Space("XYZ", c.CSP_XYZ, 3, dtype="<f8"),
    Space("YUY2", c.CSP_YUY2, group_width=2, group_bytes=4),
    Space("UYVY", c.CSP_UYVY, group_width=2, group_bytes=4),
    Space("Y41P", c.CSP_Y41P, group_width=8, group_bytes=12),
    Space("YVU9", c.CSP_YVU9), Space("YCCK", c.CSP_YCCK, 4),
    Space("YCC", c.CSP_YCC, 3), Space("HSI", c.CSP_HSI, 3),
]
_BY_NAME = {s.name: s for s in SPACES}
_BY_CODE = {s.code: s for s in SPACES}


def space(value):
    """The Space named by a name ("RGB", any case), a CSP_ code or a Space."""
    if isinstance(value, Space):
        return value
    if isinstance(value, str):
        found = _BY_NAME.get(value.upper())
    else:
        found = _BY_CODE.get(int(value))
    if found is None:
        raise ValueError("unknown colour space %r; known: %s"
                         % (value, ", ".join(s.name for s in SPACES)))
    return found


def source_buffer(array, src, size):
    """(contiguous array, width, height) of the source of a conversion."""
    array = np.asarray(array)
    if array.dtype != src.dtype:
        if src.dtype.kind == "f" and array.dtype.kind in "fiu":
            array = array.astype(src.dtype)
        else:
            raise TypeError("%s buffers hold %s values, not %s" % (src.name, src.dtype, array.dtype))
    array = np.ascontiguousarray(array)
    if size is None:
        width, height = src.size_of(array)
    else:
        width, height = (int(v) for v in size)
        if width < 1 or height < 1:
            raise ValueError("size must be positive, not %r" % (size,))
        if array.size != src.count(width, height):
            raise ValueError("a %d x %d %s buffer holds %d values, not %d"
                             % (width, height, src.name, src.count(width, height), array.size))
    return array, width, height
