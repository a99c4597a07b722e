// The library's own module handle, stored by DllMain on every call and used to find
// the library's resources.
#pragma once

#include <windows.h>

namespace qclr::platform {

void SetModuleHandle(HINSTANCE instance);
HINSTANCE LibraryModule();

}  // namespace qclr::platform
