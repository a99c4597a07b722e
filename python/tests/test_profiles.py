"""check_profile: the library's verdict on a profile for one side, and the reason
a refused profile gives to the exception of a handle. (Debian's version 4
profiles are checked by the library's own suite, through the same call.)"""
import numpy as np
import pytest

import qclr


@pytest.mark.parametrize("profile, space, side, status, reason", [
    ("profile_display_rgb.icc", "RGB", "source", qclr.CLR_OK,
     "version 2.1 display profile (RGB, PCS XYZ): usable as a source, through its colorants and tone curves"),
    ("profile_display_rgb.icc", "bgr", 1, qclr.CLR_OK, "usable as a destination"),
    ("profile_cmyk_press.icc", "YCCK", "source", qclr.CLR_OK, "through its A2B0 table ('mft2')"),
    ("profile_cmyk_press.icc", "RGB", "destination", qclr.CLR_ERR_PROFILE_MISMATCH,
     "output profile (CMYK, PCS Lab): its data colour space is CMYK, the pixels are RGB"),
    ("profile_cmyk_press.icc", "HSV", "source", qclr.CLR_ERR_COLORSPACE, "does not convert through ICC"),
    ("missing.icc", "RGB", "source", qclr.CLR_ERR_PROFILE_OPEN, "the file cannot be read (system error 2)"),
])
def test_verdicts(profile_folder, profile, space, side, status, reason):
    check = qclr.check_profile(profile_folder / profile, space, side)
    assert (check.status, check.usable, bool(check)) == (status, status == qclr.CLR_OK, status == qclr.CLR_OK)
    assert reason in check.reason
    assert check.name == ("CLR_OK" if status == qclr.CLR_OK else qclr.status_names()[status])


@pytest.mark.parametrize("args", [("a.icc", "RGB", "middle"), ("a.icc", "RGB", 2), ("a.icc", "RGB", True),
                                  ("a.icc", "RGB", None), ("a" * qclr.QCLR_FILE_NAME_SIZE, "RGB"), ("a.icc", "PURPLE")])
def test_sides_and_names_the_library_cannot_take(args):
    with pytest.raises(ValueError):
        qclr.check_profile(*args)


def test_a_refused_profile_says_why_in_the_exception(profile_folder):
    rgb = np.zeros((2, 4, 3), np.uint8)
    press, display = profile_folder / "profile_cmyk_press.icc", profile_folder / "profile_display_rgb.icc"
    with pytest.raises(qclr.QclrError) as caught:
        qclr.convert(rgb, "RGB", "CMYK", "custom-icc", profiles=(press, press))
    error = caught.value
    assert (error.status, error.name) == (qclr.CLR_ERR_PROFILE_MISMATCH, "CLR_ERR_PROFILE_MISMATCH")
    assert error.detail.startswith("source profile %r: version 2.1 output profile" % str(press))
    assert error.text and error.text in str(error) and error.detail in str(error)
    with qclr.Handle("RGB", "CMYK", "custom-icc", profiles=(display, press)) as handle:
        with pytest.raises(qclr.QclrError) as caught:
            handle.set(profiles=(display, display))
    assert "destination profile" in caught.value.detail and "the pixels are CMYK" in caught.value.detail
    # Statuses of other kinds carry no detail.
    with pytest.raises(qclr.QclrError) as caught:
        qclr.Handle("RGB", "BGR", "icc")
    assert caught.value.detail is None
