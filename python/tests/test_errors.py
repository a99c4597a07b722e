"""Statuses other than CLR_OK arrive as QclrError with their name and meaning."""
import numpy as np
import pytest

import qclr
from qclr import _constants
from qclr._library import library

RGB = np.zeros((2, 4, 3), np.uint8)


@pytest.mark.parametrize("call, status, function", [
    (lambda: qclr.Handle("RGB", "BGR", "icc"), qclr.CLR_ERR_COLORSPACE, "Q_ClrInit"),
    (lambda: qclr.convert(RGB, "RGB", "CMYK", "tables"), qclr.CLR_ERR_METHOD, "Q_ClrConvert"),
    (lambda: qclr.convert(np.zeros((2, 3, 3), np.uint8), "RGB", "YUY2"), qclr.CLR_ERR_PARAM,
     "Q_ClrConvertDirect"),
    (lambda: qclr.convert(RGB, "RGB", "CMYK", "custom-icc", profiles=("/nonexistent/a.icc",) * 2),
     qclr.CLR_ERR_PROFILE_OPEN, "Q_ClrInit"),
    (lambda: qclr.convert(RGB, "RGB", "LAB", "custom-tables", table="/nonexistent/table.tif"),
     3, "Q_ClrInit"),  # a system error code: path not found
    (lambda: qclr.convert_to_bitmap(RGB, "RGB", "HSV"), qclr.CLR_ERR_PARAM, "Q_ClrConvertDirectToBitmap"),
])
def test_status_raised(call, status, function):
    with pytest.raises(qclr.QclrError) as caught:
        call()
    error = caught.value
    assert (error.status, error.call) == (status, function)
    assert error.name and str(status) in str(error) and error.name in str(error)
    assert error.text and error.text in str(error)


def test_names_of_the_library_statuses():
    if getattr(library(), "Q_ClrStatusText", None) is None:
        pytest.skip("this library has no Q_ClrStatusText")
    from qclr._errors import describe
    for status, name in _constants.status_names().items():
        if status == qclr.CLR_OK:
            continue
        assert describe(library(), status)[0] == name
        assert describe(library(), status)[1]

