// Memory mappings for bitmap storage: committed, uncached sections backed by the
// page file, mapped for writing.
#include <windows.h>

#include "platform/platform.h"
#include "platform/storage_failures.h"
#include "platform/win32/handle_values.h"

namespace qclr::platform {

bool CreateSharedMemory(size_t bytes, SharedMemory* mapping) {
  if (StorageCallFails(StorageService::kSharedMemory)) return false;
  if (bytes == 0) return false;
  const uint64_t size = bytes;
  HANDLE section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE | SEC_COMMIT | SEC_NOCACHE,
                                      static_cast<DWORD>(size >> 32), static_cast<DWORD>(size), nullptr);
  if (section == nullptr) return false;
  void* view = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, bytes);
  if (view == nullptr) {
    CloseHandle(section);
    return false;
  }
  mapping->handle = HandleValue(section);
  mapping->view = static_cast<uint8_t*>(view);
  return true;
}

void ReleaseSharedMemory(uint32_t handle, void* view) {
  if (view != nullptr) UnmapViewOfFile(view);
  CloseHandle(HandleFromValue(handle));
}

}  // namespace qclr::platform
