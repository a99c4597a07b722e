#include <tuple>

#include <gtest/gtest.h>

#include "base/cpu_level.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

TEST(CpuLevel, FromFeatureBitsAndRefresh) {
  constexpr uint32_t kMmx = 1u << 23, kSse = 1u << 25;
  const std::tuple<bool, uint32_t, int> cases[] = {{false, 0xFFFFFFFFu, 0},  // no CPUID: plain code
      {true, 0, 0}, {true, kMmx, 1}, {true, kSse, 2}, {true, kMmx | kSse, 2}, {true, ~(kMmx | kSse), 0}};
  for (const auto& [hasCpuid, edx, level] : cases) EXPECT_EQ(CpuLevelFromFeatures(hasCpuid, edx), level) << edx;

#if defined(__i386__) || defined(__x86_64__)
  EXPECT_EQ(DetectCpuLevel(), 2);  // every SSE2 target reports SSE
#endif
  {
    test::CpuLevelScope pinned(1);
    RefreshCpuLevel();  // copies the pinned level, not a new detection
    EXPECT_EQ(ActiveCpuLevel(), 1);
  }
  RefreshCpuLevel();
  EXPECT_EQ(ActiveCpuLevel(), DetectCpuLevel());
}

}  // namespace
}  // namespace qclr
