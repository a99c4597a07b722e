"""Conversions through the module: layouts, shapes and the two routes."""
import numpy as np
import pytest

import qclr

RED, WHITE, BLACK = (255, 0, 0), (255, 255, 255), (0, 0, 0)


def pixels(*values):
    return np.array([[values]], np.uint8)


# (source space, source pixels, destination space, expected pixels): documented
# values that pin each layout's byte order and range through the binding.
KNOWN = [
    ("RGB", [RED], "BGR", [(0, 0, 255)]),
    ("RGB", [RED, WHITE], "HSV", [(0, 255, 255), (0, 0, 255)]),
    ("RGB", [(100, 100, 100)], "HLS", [(0, 100, 0)]),
    ("RGB", [WHITE, BLACK], "YIQ", [(254, 127, 127), (0, 127, 127)]),
    ("RGB", [BLACK], "CMYK", [(255, 255, 255, 44)]),
    ("RGB", [RED], "LAB", [(135, 80, 67)]),             # L 53, a +80, b +67 (signed bytes)
    ("RGB", [RED], "YUV", [(76, 0, 157)]),              # U -37 clamped to 0: no chroma offset
    ("RGB", [(0, 0, 255)], "YCC", [(29, 127, 236)]),    # Cr -20.7 as a signed byte
    ("YUV", [(16, 128, 128), (235, 128, 128)], "RGB", [BLACK, WHITE]),
    ("YCCK", [(255, 128, 128, 0), (255, 128, 128, 255)], "RGB", [WHITE, BLACK]),
    ("HSI", [(100, 0, 0)], "RGB", [(100, 100, 100)]),
]


@pytest.mark.parametrize("src, values, dst, expected", KNOWN)
def test_documented_values(src, values, dst, expected):
    out = qclr.convert(np.array([values], np.uint8), src, dst)
    assert out.tolist() == [[list(e) for e in expected]]


def test_xyz_holds_doubles():
    xyz = qclr.convert(pixels(*WHITE), "RGB", "XYZ")
    assert xyz.dtype == np.float64 and xyz.shape == (1, 1, 3)
    np.testing.assert_allclose(xyz[0, 0], [85.0401, 96.0867, 133.0494], rtol=1e-6)
    rgb = qclr.convert(np.array([[[0.0, 0.0, 0.0], [1.0, 1.0, 1.0]]]), "XYZ", "RGB")
    assert rgb.tolist() == [[[0, 0, 0], [254, 255, 255]]]


@pytest.mark.parametrize("space, width, height, shape", [
    ("YUY2", 4, 2, (2, 8)), ("UYVY", 6, 1, (1, 12)), ("Y41P", 16, 3, (3, 24)),
    ("YVU9", 8, 4, (36,)), ("CMYK", 3, 2, (2, 3, 4)), ("XYZ", 2, 2, (2, 2, 3)),
])
def test_shapes_of_every_layout(space, width, height, shape):
    rgb = np.random.default_rng(7).integers(0, 256, (height, width, 3), dtype=np.uint8)
    out = qclr.convert(rgb, "RGB", space)
    assert out.shape == shape
    size = (width, height) if space == "YVU9" else None
    back = qclr.convert(out, space, "RGB", size=size)
    assert back.shape == (height, width, 3)
    # Raw bytes with an explicit size give the same result as the shaped array.
    np.testing.assert_array_equal(qclr.convert(out.ravel(), space, "RGB", size=(width, height)), back)


def test_handle_builtin_matches_direct_route():
    rng = np.random.default_rng(3)
    for src, dst in [("RGB", "HSV"), ("LAB", "BGR"), ("RGB", "YUY2"), ("HSV", "CMYK")]:
        shape = qclr.space(src).shape(8, 3)
        array = rng.integers(0, 256, shape, dtype=np.uint8)
        np.testing.assert_array_equal(qclr.convert(array, src, dst, "builtin"),
                                      qclr.convert(array, src, dst))


def test_non_contiguous_and_other_inputs():
    rgb = np.random.default_rng(5).integers(0, 256, (6, 8, 3), dtype=np.uint8)
    expected = qclr.convert(rgb[::2, ::2].copy(), "RGB", "CMY")
    np.testing.assert_array_equal(qclr.convert(rgb[::2, ::2], "RGB", "CMY"), expected)
    np.testing.assert_array_equal(qclr.convert(rgb[..., ::-1], "BGR", "RGB"), rgb)
    assert qclr.convert(rgb, qclr.CSP_RGB, "cmy").shape == (6, 8, 3)


@pytest.mark.parametrize("call, error", [
    (lambda: qclr.convert(np.zeros((2, 2, 3), np.uint16), "RGB", "CMY"), TypeError),
    (lambda: qclr.convert(np.zeros((2, 2, 4), np.uint8), "RGB", "CMY"), ValueError),
    (lambda: qclr.convert(np.zeros((2, 6), np.uint8), "YUY2", "RGB"), ValueError),
    (lambda: qclr.convert(np.zeros(36, np.uint8), "YVU9", "RGB"), ValueError),
    (lambda: qclr.convert(np.zeros(35, np.uint8), "YVU9", "RGB", size=(8, 4)), ValueError),
    (lambda: qclr.convert(np.zeros((1, 1, 3), np.uint8), "RGB", "RGBA"), ValueError),
    (lambda: qclr.convert(np.zeros((1, 1, 3), np.uint8), "RGB", "CMYK", white="D65"), ValueError),
    (lambda: qclr.convert(np.zeros((1, 1, 3), np.uint8), "RGB", "CMYK", "fast"), ValueError),
])
def test_arguments_refused_before_the_library(call, error):
    with pytest.raises(error):
        call()
