"""Handles: life as context managers, methods, white points and options."""
import numpy as np
import pytest

import qclr

RNG = np.random.default_rng(11)
RGB = RNG.integers(0, 256, (4, 8, 3), dtype=np.uint8)
CMYK = RNG.integers(0, 256, (4, 8, 4), dtype=np.uint8)


def test_context_manager_releases_the_handle():
    with qclr.Handle("RGB", "CMYK", "icc") as handle:
        handle.convert(RGB)
    assert handle.closed
    with pytest.raises(qclr.QclrError) as caught:
        handle.convert(RGB)
    assert caught.value.status == qclr.CLR_ERR_HANDLE
    handle.close()  # a second close does nothing


def test_switching_between_prepared_methods():
    with qclr.Handle("CMYK", "RGB", "icc", prepare=["builtin", "tables"]) as handle:
        for method in ["builtin", "tables", "icc"]:
            handle.set(method=method)
            np.testing.assert_array_equal(handle.convert(CMYK), qclr.convert(CMYK, "CMYK", "RGB", method))
        with pytest.raises(qclr.QclrError) as caught:
            handle.set(method="custom-icc")
        assert caught.value.status == qclr.CLR_ERR_METHOD


def test_white_point_of_icc_transforms():
    d50 = qclr.convert(RGB, "RGB", "LAB", "icc")
    d65 = qclr.convert(RGB, "RGB", "LAB", "icc", white="D65")
    assert not np.array_equal(d50, d65)
    np.testing.assert_array_equal(qclr.convert(RGB, "RGB", "LAB", "icc", white=50), d50)
    with qclr.Handle("RGB", "LAB", "icc") as handle:
        handle.set(white="D65")
        np.testing.assert_array_equal(handle.convert(RGB), d65)
    chromaticity = qclr.convert(RGB, "RGB", "LAB", "icc", white=(0.3127, 0.3290))
    assert np.abs(chromaticity.astype(int) - d65).max() <= 1


def test_black_generation():
    black = np.zeros((1, 1, 3), np.uint8)
    assert qclr.convert(black, "RGB", "CMYK", "builtin", black=175).tolist() == [[[255, 255, 255, 44]]]
    full = qclr.convert(black, "RGB", "CMYK", "builtin", black=1000)
    assert full[0, 0, 3] == 255 and full[0, 0, 0] < 255  # undercolour removed
    with qclr.Handle("RGB", "CMYK", "builtin") as handle:
        handle.set(black=1000)
        np.testing.assert_array_equal(handle.convert(black), full)


def test_lab_encoding_of_the_builtin_method():
    # T.42 ranges: L 0..100, a offset 128 range 170, b offset 96 range 200.
    white = np.full((1, 1, 3), 255, np.uint8)
    t42 = (0, 100, 128, 170, 96, 200)
    assert qclr.convert(white, "RGB", "LAB", "builtin", lab=t42).tolist() == [[[255, 128, 96]]]
    named = dict(zip(("lOffset", "lRange", "aOffset", "aRange", "bOffset", "bRange"), t42))
    lab = qclr.convert(RGB, "RGB", "LAB", "builtin", lab=named)
    np.testing.assert_array_equal(lab, qclr.convert(RGB, "RGB", "LAB", "builtin", lab=t42))
    assert not np.array_equal(lab, qclr.convert(RGB, "RGB", "LAB"))  # not the signed bytes


@pytest.mark.parametrize("src, dst, chosen", [("CMYK", "RGB", "icc"), ("LAB", "BGR", "builtin"),
                                              ("HSV", "CMYK", "builtin")])
def test_automatic_choice(src, dst, chosen):
    array = RNG.integers(0, 256, qclr.space(src).shape(8, 2), dtype=np.uint8)
    np.testing.assert_array_equal(qclr.convert(array, src, dst, "auto"),
                                  qclr.convert(array, src, dst, chosen))


def test_custom_profiles_equal_the_builtin_ones(profile_folder):
    profiles = (profile_folder / "profile_display_rgb.icc", profile_folder / "profile_cmyk_press.icc")
    np.testing.assert_array_equal(qclr.convert(RGB, "RGB", "CMYK", "custom-icc", profiles=profiles),
                                  qclr.convert(RGB, "RGB", "CMYK", "icc"))
