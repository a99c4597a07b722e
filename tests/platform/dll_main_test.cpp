// Windows: the DLL's entry point, called here as the loader calls it (the test
// programs link the library statically and start it through the same function).
#ifdef _WIN32
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "qclr/qclr.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

namespace qclr::platform {
namespace {

// An unload (FreeLibrary: no reserved pointer) releases the live handles; the end
// of the process (a reserved pointer) and the thread notices leave them alone. A
// new attach finds the resources again through the module it is given.
TEST(DllMain, ReleasesHandlesOnUnloadOnly) {
  HINSTANCE self = GetModuleHandleW(nullptr);
  ClrHandle* handle = nullptr;
  ASSERT_EQ(Q_ClrInit(&handle, CSP_RGB, CSP_CMYK, nullptr), CLR_OK);
  int processEnds = 0;
  for (const auto& [reason, reserved] : {std::pair<DWORD, void*>{DLL_PROCESS_DETACH, &processEnds},
                                         {DLL_THREAD_ATTACH, nullptr}, {DLL_THREAD_DETACH, nullptr}}) {
    EXPECT_TRUE(DllMain(self, reason, reserved)) << reason;
    EXPECT_EQ(Q_ClrIsValid(handle), CLR_OK) << reason;
  }
  EXPECT_TRUE(DllMain(self, DLL_PROCESS_DETACH, nullptr));
  EXPECT_EQ(Q_ClrIsValid(handle), CLR_ERR_HANDLE);
  EXPECT_TRUE(DllMain(self, DLL_PROCESS_ATTACH, nullptr));
  ResourceBytes profile{};
  EXPECT_EQ(FindLibraryResource("ICM", 105, &profile), kErrorSuccess);
}

}  // namespace
}  // namespace qclr::platform
#endif
