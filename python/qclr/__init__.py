"""qclr: colour-space conversion of pixel buffers, on numpy arrays.

    import numpy as np
    import qclr

    rgb = np.zeros((480, 640, 3), np.uint8)
    cmyk = qclr.convert(rgb, "RGB", "CMYK")                  # built-in formulas
    cmyk = qclr.convert(rgb, "RGB", "CMYK", method="icc")    # built-in ICC profiles
    with qclr.Handle("CMYK", "RGB", method="icc", white="D65") as h:
        back = h.convert(cmyk)

Colour spaces are named as in qclr.h without the CSP_ prefix: RGB, BGR, YUV, CMYK,
HSV, HLS, YIQ, CMY, LAB, XYZ, YUY2, YVU9, YCCK, Y41P, UYVY, YCC, HSI. A status
other than CLR_OK is raised as QclrError, with the status's name and meaning.
check_profile("photo.icc", "RGB", "source") tells whether the ICC engine can use
a profile file for a side of a "custom-icc" conversion, and why not.
The library is found as load_library() describes.
"""
from ._constants import *  # noqa: F401,F403 (the header's codes)
from ._convert import Handle, convert, convert_to_bitmap, library_version
from ._bitmap import Bitmap
from ._errors import QclrError
from ._library import ENVIRONMENT_VARIABLE, load_library
from ._profiles import ProfileCheck, check_profile
from ._spaces import SPACES, Space, space

__version__ = "0.1.0"

__all__ = ["Bitmap", "Handle", "ProfileCheck", "QclrError", "SPACES", "Space", "check_profile", "convert",
           "convert_to_bitmap", "library_version", "load_library", "space", "ENVIRONMENT_VARIABLE"]
