// Resource lookup in the library's own module (resources compiled from the
// generated qclr.rc).
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/module_handle.h"

namespace qclr::platform {

int32_t FindLibraryResource(const char* type, int32_t id, ResourceBytes* resource) {
  if (type == nullptr || resource == nullptr) return kErrorInvalidParameter;
  const HMODULE module = LibraryModule();
  HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (found == nullptr) return static_cast<int32_t>(GetLastError());
  HGLOBAL loaded = LoadResource(module, found);
  if (loaded == nullptr) return static_cast<int32_t>(GetLastError());
  const void* bytes = LockResource(loaded);
  if (bytes == nullptr) return static_cast<int32_t>(GetLastError());
  resource->data = static_cast<const uint8_t*>(bytes);
  resource->size = SizeofResource(module, found);
  return kErrorSuccess;
}

}  // namespace qclr::platform
