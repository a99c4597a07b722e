#include <windows.h>

#include "platform/platform.h"
#include "platform/storage_failures.h"

namespace qclr::platform {

uint64_t AvailableMemoryBytes() {
  if (StorageCallFails(StorageService::kMemoryStatus)) return 0;
  MEMORYSTATUSEX status{};
  status.dwLength = sizeof status;
  if (!GlobalMemoryStatusEx(&status)) return 0;
  // Available physical memory plus what the page file can still take.
  return status.ullAvailPhys + status.ullAvailPageFile;
}

}  // namespace qclr::platform
