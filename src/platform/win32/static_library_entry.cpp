// Linked into programs that use the static library instead of qclr.dll: the loader
// calls no DllMain for them, so this object calls it as the loader would, with the
// program's module (which carries the library's resources) at start-up and an
// unload at the end.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace {

struct StaticLibraryEntry {
  StaticLibraryEntry() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_ATTACH, nullptr); }
  ~StaticLibraryEntry() { DllMain(GetModuleHandleW(nullptr), DLL_PROCESS_DETACH, nullptr); }
};

const StaticLibraryEntry gEntry;

}  // namespace
