"""Finding and loading the qclr shared library.

The library is looked for, in this order: a path given to load_library(); the
path in the environment variable QCLR_LIBRARY; the library installed together
with this module; the platform's loader (its search path, e.g. LD_LIBRARY_PATH
and the system's library folders).
"""
import ctypes
import ctypes.util
import os
import sys

from . import _records as r

ENVIRONMENT_VARIABLE = "QCLR_LIBRARY"
MAJOR_VERSION = 0  # the library's major version this module is written for

_loaded = None

_i32 = ctypes.c_int32
_p = ctypes.c_void_p
_PROTOTYPES = {
    "Q_ClrInit": [ctypes.POINTER(_p), _i32, _i32, ctypes.POINTER(r.ConversionParams)],
    "Q_ClrSetConversionParams": [_p, ctypes.POINTER(r.ConversionParams)],
    "Q_ClrIsValid": [_p],
    "Q_ClrFree": [_p],
    "Q_ClrConvertDirect": [_i32, _i32, _p, _p, _i32, _i32, _i32, _i32],
    "Q_ClrConvert": [_p, _p, _p, _i32, _i32, _i32, _i32],
    "Q_ClrConvertToBitmap": [_p, _p, ctypes.POINTER(r.BitmapRecord), _i32, _i32, _i32, _i32],
    "Q_ClrConvertDirectToBitmap": [_i32, _i32, _p, ctypes.POINTER(r.BitmapRecord),
                                   _i32, _i32, _i32, _i32],
    "Q_ClrFreeBitmap": [ctypes.POINTER(r.BitmapRecord)],
    "Q_ClrGetVersion": [ctypes.POINTER(_i32)] * 3,
    "Q_ClrStatusText": [_i32, ctypes.c_char_p, _i32, ctypes.c_char_p, _i32],
    "Q_ClrCheckProfile": [ctypes.c_char_p, _i32, _i32, ctypes.c_char_p, _i32],
}
# Exports that older libraries lack; the module works without them.
_OPTIONAL = {"Q_ClrStatusText", "Q_ClrCheckProfile"}


def _loader_names():
    if sys.platform == "win32":
        return ["qclr.dll"]
    if sys.platform == "darwin":
        return ["libqclr.%d.dylib" % MAJOR_VERSION, "libqclr.dylib"]
    return ["libqclr.so.%d" % MAJOR_VERSION, "libqclr.so"]


def _installed_path():
    try:
        from . import _installed
    except ImportError:  # running from the source tree
        return None
    return os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                         _installed.LIBRARY))


def _open(path):
    lib = ctypes.CDLL(path) if sys.platform != "win32" or ctypes.sizeof(_p) == 8 \
        else ctypes.WinDLL(path)  # 32-bit Windows: __stdcall
    for name, argtypes in _PROTOTYPES.items():
        function = getattr(lib, name, None)
        if function is None:
            if name in _OPTIONAL:
                continue
            raise OSError("%s is not a qclr library (no %s)" % (path, name))
        function.argtypes = argtypes
        function.restype = _i32
    version = [_i32(), _i32(), _i32()]
    lib.Q_ClrGetVersion(*[ctypes.byref(v) for v in version])
    if version[0].value != MAJOR_VERSION:
        raise OSError("%s is qclr %d.%d.%d; this module needs qclr %d.x"
                      % (path, version[0].value, version[1].value, version[2].value,
                         MAJOR_VERSION))
    lib.qclr_path = path
    lib.qclr_version = tuple(v.value for v in version)
    return lib


def load_library(path=None):
    """Loads the library and makes it the one this module uses from now on.

    Without a path, the environment variable, the installed library and the
    platform's loader are tried in turn. Returns the ctypes library object; raises
    OSError when no library can be loaded.
    """
    global _loaded
    if path is not None:
        _loaded = _open(os.fspath(path))
        return _loaded
    if os.environ.get(ENVIRONMENT_VARIABLE):
        _loaded = _open(os.environ[ENVIRONMENT_VARIABLE])
        return _loaded
    tried = []
    installed = _installed_path()
    candidates = ([installed] if installed and os.path.exists(installed) else []) + _loader_names()
    found = ctypes.util.find_library("qclr")
    if found:
        candidates.append(found)
    for candidate in candidates:
        try:
            _loaded = _open(candidate)
            return _loaded
        except OSError as error:
            tried.append(str(error))
    raise OSError("cannot load the qclr library; give its path to qclr.load_library() "
                  "or in %s (tried: %s)" % (ENVIRONMENT_VARIABLE, "; ".join(tried)))


def library():
    """The library in use, loaded by the default rules on first use."""
    return _loaded if _loaded is not None else load_library()
