"""Whether the library's ICC engine can use a profile file (Q_ClrCheckProfile)."""
import ctypes

from . import _constants as c
from ._errors import describe
from ._library import library
from ._options import _file_name
from ._spaces import space

SIDES = {"source": 0, "destination": 1}


class ProfileCheck:
    """The library's verdict on a profile for one side of a "custom-icc" conversion.

    usable: whether a handle would accept it there (the object is true then);
    status: CLR_OK, or the status Q_ClrInit would return for it
    (CLR_ERR_PROFILE_OPEN, CLR_ERR_PROFILE_MISMATCH, ...); name: the status's
    name; reason: one line naming the profile's version, class and spaces, and how
    it serves or what is missing or unsupported.
    """

    def __init__(self, status, name, reason):
        self.status = status
        self.name = name
        self.reason = reason

    @property
    def usable(self):
        return self.status == c.CLR_OK

    def __bool__(self):
        return self.usable

    def __repr__(self):
        return "ProfileCheck(%s: %s)" % (self.name, self.reason)


def _side(side):
    if isinstance(side, str) and side.lower() in SIDES:
        return SIDES[side.lower()]
    if side in (0, 1) and not isinstance(side, bool):
        return side
    raise ValueError("side is 'source' (0) or 'destination' (1), not %r" % (side,))


def check_profile(path, colour_space, side="source"):
    """Tells whether the ICC profile file at path can serve colour_space ("RGB",
    "BGR", "CMY", "CMYK", "YCCK" or "LAB") as the source or the destination of a
    "custom-icc" conversion, and why not. Returns a ProfileCheck; raises ValueError
    for an unknown space or side, or a name the library cannot take.
    """
    lib = library()
    function = getattr(lib, "Q_ClrCheckProfile", None)
    if function is None:
        raise NotImplementedError("%s has no Q_ClrCheckProfile" % lib.qclr_path)
    reason = ctypes.create_string_buffer(512)
    status = function(_file_name(path), space(colour_space).code, _side(side), reason, len(reason))
    return ProfileCheck(status, describe(lib, status)[0], reason.value.decode("utf-8", "replace"))


def refusal_detail(profiles, src, dst):
    """Why a custom-icc handle between these profile files was refused: the
    reason for the first side the library refuses, or None."""
    for path, colour_space, side in ((profiles[0], src, "source"), (profiles[1], dst, "destination")):
        try:
            check = check_profile(path, colour_space, side)
        except (ValueError, NotImplementedError):
            return None
        if not check:
            return "%s profile %r: %s" % (side, str(path), check.reason)
    return None
