"""Statuses other than CLR_OK, raised as exceptions."""
import ctypes

from ._constants import CLR_OK, status_names


class QclrError(Exception):
    """A qclr call returned a status other than CLR_OK.

    status: the number the library returned; name: its name ("CLR_ERR_PARAM", or
    "SYSTEM_ERROR" for a system error code); text: its one-line meaning
    (Q_ClrStatusText); call: the library function that returned it; detail: what
    else is known, e.g. why a profile was refused (Q_ClrCheckProfile), or None.
    """

    def __init__(self, status, name, text, call=None, detail=None):
        self.status = status
        self.name = name
        self.text = text
        self.call = call
        self.detail = detail
        where = "%s: " % call if call else ""
        more = "; %s" % detail if detail else ""
        super().__init__("%s%s (%d): %s%s" % (where, name, status, text, more))


def describe(lib, status):
    """(name, text) of a status, from the library's own table when it has one."""
    function = getattr(lib, "Q_ClrStatusText", None)
    if function is not None:
        name = ctypes.create_string_buffer(64)
        text = ctypes.create_string_buffer(512)
        if function(status, name, len(name), text, len(text)) == CLR_OK:
            return name.value.decode("utf-8", "replace"), text.value.decode("utf-8", "replace")
    # A library without the status table: the header's names, no meanings.
    if status > 1:
        return "system error %d" % status, "a file or resource could not be used"
    return status_names().get(status, "status %d" % status), "(no description in this library)"


def check(lib, status, call, detail=None):
    """Raises QclrError unless status is CLR_OK; detail(status) may say more."""
    if status != CLR_OK:
        name, text = describe(lib, status)
        raise QclrError(status, name, text, call, detail(status) if detail else None)
