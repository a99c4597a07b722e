#include "base/memory.h"

#include <atomic>
#include <cstdlib>

namespace qclr {
namespace {

std::atomic<long> gFailCountdown{-1};
thread_local unsigned long tFailedAllocations = 0;

// True when the test hook says this allocation must fail.
bool ShouldFail() {
  long current = gFailCountdown.load(std::memory_order_relaxed);
  while (current >= 0) {
    if (gFailCountdown.compare_exchange_weak(current, current - 1, std::memory_order_relaxed)) {
      return current == 0;
    }
  }
  return false;
}

void* Counted(void* block) {
  if (block == nullptr) ++tFailedAllocations;
  return block;
}

}  // namespace

void* MemAlloc(size_t size) { return Counted(ShouldFail() ? nullptr : std::malloc(size == 0 ? 1 : size)); }

void MemFree(void* block) { std::free(block); }

void* MemRealloc(void* block, size_t size) {
  return Counted(ShouldFail() ? nullptr : std::realloc(block, size == 0 ? 1 : size));
}

void* MemCalloc(size_t count, size_t size) {
  return Counted(ShouldFail() ? nullptr : std::calloc(count == 0 ? 1 : count, size == 0 ? 1 : size));
}

unsigned long FailedAllocationsOnThisThread() { return tFailedAllocations; }

long SetAllocationFailure(long countdown) {
  return gFailCountdown.exchange(countdown < 0 ? -1 : countdown, std::memory_order_relaxed);
}

}  // namespace qclr
