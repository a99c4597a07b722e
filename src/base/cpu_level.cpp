#include "base/cpu_level.h"

#include <atomic>
#include <cstdint>

namespace qclr {
namespace {

// Every writer stores the same value, so relaxed atomics suffice; they only keep
// concurrent conversions free of data races.
std::atomic<int> gDetected{0};  // 0 until the first detection
std::atomic<int> gDetectedLevel{0};
std::atomic<int> gActiveLevel{0};

constexpr uint32_t kSseBit = 1u << 25;
constexpr uint32_t kMmxBit = 1u << 23;

}  // namespace

int CpuLevelFromFeatures(bool hasCpuid, uint32_t edx) {
  if (!hasCpuid) return 0;
  if (edx & kSseBit) return 2;  // SSE first: a processor with both reports 2
  if (edx & kMmxBit) return 1;
  return 0;
}

int DetectCpuLevel() {
  uint32_t edx = 0;
  const bool hasCpuid = ReadCpuFeatureBits(&edx);
  return CpuLevelFromFeatures(hasCpuid, edx);
}

void RefreshCpuLevel() {
  if (gDetected.load(std::memory_order_relaxed) == 0) {
    gDetectedLevel.store(DetectCpuLevel(), std::memory_order_relaxed);
    gDetected.store(1, std::memory_order_relaxed);
  }
  gActiveLevel.store(gDetectedLevel.load(std::memory_order_relaxed), std::memory_order_relaxed);
}

int ActiveCpuLevel() { return gActiveLevel.load(std::memory_order_relaxed); }

void OverrideCpuLevel(int level) {
  if (level < 0) {
    gDetected.store(0, std::memory_order_relaxed);
    return;
  }
  level = level > 2 ? 2 : level;
  gDetectedLevel.store(level, std::memory_order_relaxed);
  gDetected.store(1, std::memory_order_relaxed);
  gActiveLevel.store(level, std::memory_order_relaxed);
}

}  // namespace qclr
