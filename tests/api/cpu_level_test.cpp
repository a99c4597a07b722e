#include <gtest/gtest.h>

#include "api/cpu_level.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

TEST(CpuLevel, FromFeatureBits) {
  struct Case {
    bool hasCpuid;
    uint32_t edx;
    int level;
  };
  const Case cases[] = {
      {false, 0xFFFFFFFFu, 0},                 // no CPUID: plain code
      {true, 0, 0},                            // neither MMX nor SSE
      {true, 1u << 23, 1},                     // MMX without SSE
      {true, 1u << 25, 2},                     // SSE without MMX
      {true, (1u << 23) | (1u << 25), 2},      // both: SSE wins
      {true, ~((1u << 23) | (1u << 25)), 0},   // every other bit set
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CpuLevelFromFeatures(c.hasCpuid, c.edx), c.level) << c.edx;
  }
}

TEST(CpuLevel, RefreshCopiesTheDetectedLevel) {
#if defined(__i386__) || defined(__x86_64__)
  EXPECT_EQ(DetectCpuLevel(), 2);  // every SSE2 target reports SSE
#endif
  {
    test::CpuLevelScope pinned(1);
    RefreshCpuLevel();
    EXPECT_EQ(ActiveCpuLevel(), 1);
  }
  RefreshCpuLevel();
  EXPECT_EQ(ActiveCpuLevel(), DetectCpuLevel());
}

}  // namespace
}  // namespace qclr
