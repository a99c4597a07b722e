#!/usr/bin/env python3
"""The qclr module on numpy arrays: one-off conversions, a handle used as a
context manager, a bitmap, and a refused conversion as an exception.

    python3 convert_image.py
"""
import numpy as np

import qclr

# A 64 x 48 RGB gradient: rows are the first axis, pixels the second, R G B the last.
x = np.linspace(0, 255, 64).astype(np.uint8)
y = np.linspace(0, 255, 48).astype(np.uint8)
rgb = np.stack(np.broadcast_arrays(x[np.newaxis, :], y[:, np.newaxis], 255 - x[np.newaxis, :]), axis=-1)
print("library", "%d.%d.%d" % qclr.library_version(), "image", rgb.shape)

# Built-in formulas (no handle), and the built-in press profile (ICC method).
cmyk = qclr.convert(rgb, "RGB", "CMYK")
press = qclr.convert(rgb, "RGB", "CMYK", method="icc", white="D65")
print("CMYK of the first pixel: formulas", cmyk[0, 0], "press profile", press[0, 0])

# Subsampled video: YUY2 rows hold 2 bytes a pixel.
yuy2 = qclr.convert(rgb, "RGB", "YUY2")
print("YUY2 frame", yuy2.shape, "back to RGB", qclr.convert(yuy2, "YUY2", "RGB").shape)

# One handle for many buffers; the Lab of the ICC methods has a + 128 and b + 128.
with qclr.Handle("RGB", "LAB", method="icc") as to_lab:
    lab = to_lab.convert(rgb)
    L, a, b = lab[0, 0, 0] / 2.55, int(lab[0, 0, 1]) - 128, int(lab[0, 0, 2]) - 128
    print("ICC Lab of the first pixel: L* %.1f a* %+d b* %+d" % (L, a, b))

# A bitmap made by the library, read into an array and released.
with qclr.convert_to_bitmap(press, "CMYK", "RGB", method="icc") as bitmap:
    proof = bitmap.to_array()
    print("bitmap %d x %d in %s storage, %d bytes a row" % (bitmap.width, bitmap.height,
                                                        bitmap.storage, bitmap.bytes_per_line))
print("printing changes a channel by up to", int(np.abs(proof.astype(int) - rgb).max()), "levels")

# Statuses other than CLR_OK are raised with their name.
try:
    qclr.convert(rgb, "RGB", "BGR", method="icc")
except qclr.QclrError as error:
    print("refused:", error.name, error.status)
