// The instruction set the kernels may use: what the processor and the operating
// system report, and the cap with which tests run every implementation.
#include "base/instruction_set.h"

#include <gtest/gtest.h>

#include "support/test_buffers.h"

namespace qclr {
namespace {

constexpr uint32_t kOsxsave = 1u << 27, kAvx = 1u << 28;
constexpr uint32_t kAvx2 = 1u << 5, kF = 1u << 16, kDq = 1u << 17, kBw = 1u << 30, kVl = 1u << 31;

TEST(InstructionSet, FromProcessorAndSystemFeatures) {
  struct Case {
    const char* what;
    CpuidFeatures features;
    InstructionSet x86;
  };
  const uint32_t avxEcx = kOsxsave | kAvx, all512 = kAvx2 | kF | kDq | kBw | kVl;
  const Case cases[] = {
      {"no CPUID", {false, 0, 0, 0}, InstructionSet::kSse2},
      {"no AVX", {true, kOsxsave, all512, 0xE7}, InstructionSet::kSse2},
      {"AVX2, YMM saved", {true, avxEcx, kAvx2, 0x7}, InstructionSet::kAvx2},
      {"AVX2, YMM not saved by the system", {true, avxEcx, kAvx2, 0x3}, InstructionSet::kSse2},
      {"AVX2 without OSXSAVE", {true, kAvx, kAvx2, 0x7}, InstructionSet::kSse2},
      {"AVX-512, ZMM saved", {true, avxEcx, all512, 0xE7}, InstructionSet::kAvx512},
      {"AVX-512, ZMM not saved", {true, avxEcx, all512, 0x7}, InstructionSet::kAvx2},
      {"AVX-512 without BW", {true, avxEcx, all512 & ~kBw, 0xE7}, InstructionSet::kAvx2},
      {"AVX-512 without VL", {true, avxEcx, all512 & ~kVl, 0xE7}, InstructionSet::kAvx2},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstructionSetFromFeatures(c.features), QCLR_X86_SIMD ? c.x86 : InstructionSet::kPortable)
        << c.what;
  }
}

TEST(InstructionSet, CapLowersButNeverRaises) {
  const InstructionSet detected = DetectedInstructionSet();
  EXPECT_EQ(ActiveInstructionSet(), detected);
  for (int isa = 0; isa <= 3; ++isa) {
    test::InstructionSetScope cap(isa);
    EXPECT_EQ(static_cast<int>(ActiveInstructionSet()), std::min(isa, static_cast<int>(detected)));
  }
  EXPECT_EQ(ActiveInstructionSet(), detected);  // the guard removed its cap
}

TEST(InstructionSet, TestsVisitEverySetUpToTheDetectedOne) {
  std::vector<InstructionSet> visited;
  test::ForEachInstructionSet([&](InstructionSet isa) {
    EXPECT_EQ(ActiveInstructionSet(), isa);
    visited.push_back(isa);
  });
  ASSERT_EQ(visited.size(), static_cast<size_t>(DetectedInstructionSet()) + 1);
  for (size_t i = 0; i < visited.size(); ++i) EXPECT_EQ(static_cast<size_t>(visited[i]), i);
}

}  // namespace
}  // namespace qclr
