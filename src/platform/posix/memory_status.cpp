#include <sys/sysinfo.h>

#include "platform/platform.h"
#include "platform/storage_failures.h"

namespace qclr::platform {

uint64_t AvailableMemoryBytes() {
  if (StorageCallFails(StorageService::kMemoryStatus)) return 0;
  struct sysinfo info {};
  if (sysinfo(&info) != 0) return 0;
  // Free and buffer memory can be handed out at once; so can free swap.
  const uint64_t units = uint64_t{info.freeram} + info.bufferram + info.freeswap;
  return units * (info.mem_unit == 0 ? 1 : info.mem_unit);
}

}  // namespace qclr::platform
