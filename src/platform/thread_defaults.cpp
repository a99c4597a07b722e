#include "platform/platform.h"
#include "platform/storage_failures.h"

namespace qclr::platform {

ThreadDefaults* CurrentThreadDefaults() {
  // One record per thread, made on first use and gone with the thread.
  thread_local ThreadDefaults defaults{7, 150, 150};
  if (StorageCallFails(StorageService::kThreadDefaults)) return nullptr;
  return &defaults;
}

}  // namespace qclr::platform
