#include "platform/storage_failures.h"

#include <array>
#include <mutex>

namespace qclr::platform {
namespace {

// Per service: calls still to succeed before failures start, and failures left
// (negative: unlimited). count 0 means nothing is forced.
struct Forced {
  int32_t skip = 0;
  int32_t count = 0;
};

constexpr size_t kServiceCount = static_cast<size_t>(StorageService::kThreadDefaults) + 1;

std::mutex gMutex;
std::array<Forced, kServiceCount> gForced{};

}  // namespace

bool StorageCallFails(StorageService service) {
  std::lock_guard<std::mutex> lock(gMutex);
  Forced& forced = gForced[static_cast<size_t>(service)];
  if (forced.count == 0) return false;
  if (forced.skip > 0) {
    --forced.skip;
    return false;
  }
  if (forced.count > 0) --forced.count;
  return true;
}

void ForceStorageFailure(StorageService service, int32_t skip, int32_t count) {
  std::lock_guard<std::mutex> lock(gMutex);
  gForced[static_cast<size_t>(service)] = Forced{skip < 0 ? 0 : skip, count};
}

void ClearStorageFailures() {
  std::lock_guard<std::mutex> lock(gMutex);
  gForced.fill(Forced{});
}

}  // namespace qclr::platform
