// The Windows entry point: stores the module handle (the resource lookups of the
// platform layer read it), builds the tables at process attach and releases the
// live handles at process detach. Always reports success to the loader.
//
// At process termination (`reserved` not null) the other threads are gone, other
// DLLs may already be detached and the loader lock is held: releasing handles then
// could touch their memory or wait for a lock forever, and the system reclaims
// everything anyway, so only an unload by FreeLibrary cleans up.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/module_handle.h"

namespace qclr::platform {
extern const char kLibraryEntry = 0;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  qclr::platform::SetModuleHandle(instance);
  if (reason == DLL_PROCESS_ATTACH) qclr::OnProcessAttach();
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr) qclr::OnProcessDetach();
  return TRUE;
}
