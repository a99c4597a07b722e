// Translation of POSIX errno values into the Windows error numbers the library
// reports on every platform.
#pragma once

#include <cstdint>

namespace qclr::platform {

// The Windows number for `err` (an errno value) after an operation on `path`.
// A missing file is kErrorFileNotFound when its folder exists and
// kErrorPathNotFound when a folder of the path is missing, as Windows tells them
// apart; `path` may be null when no path was involved.
int32_t WindowsErrorFromErrno(int err, const char* path);

}  // namespace qclr::platform
