#include "platform/win32/module_handle.h"

#include <atomic>

namespace qclr::platform {
namespace {
std::atomic<HINSTANCE> gModule{nullptr};
}

void SetModuleHandle(HINSTANCE instance) { gModule.store(instance); }
HINSTANCE LibraryModule() { return gModule.load(); }

}  // namespace qclr::platform
