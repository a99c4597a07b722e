#include "base/instruction_set.h"

#include <atomic>

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace qclr {
namespace {

constexpr uint32_t kOsxsaveBit = 1u << 27, kAvxBit = 1u << 28;
constexpr uint32_t kAvx2Bit = 1u << 5;
constexpr uint32_t kAvx512Bits = (1u << 16) | (1u << 17) | (1u << 30) | (1u << 31);  // F DQ BW VL
constexpr uint64_t kYmmState = 0x6;   // XMM and YMM registers
constexpr uint64_t kZmmState = 0xE6;  // and the opmask and both halves of ZMM

CpuidFeatures ReadCpuidFeatures() {
  CpuidFeatures f;
#if defined(__i386__) || defined(__x86_64__)
  unsigned int a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) return f;
  f.hasCpuid = true;
  f.leaf1Ecx = c;
  if (__get_cpuid_count(7, 0, &a, &b, &c, &d) != 0) f.leaf7Ebx = b;
  if (f.leaf1Ecx & kOsxsaveBit) {
    uint32_t lo = 0, hi = 0;
    __asm__ volatile("xgetbv" : "=a"(lo), "=d"(hi) : "c"(0));
    f.xcr0 = (uint64_t{hi} << 32) | lo;
  }
#endif
  return f;
}

// Detected lazily (the first kernel call), then read by every call; -1 = no cap.
std::atomic<int> gDetected{-1};
std::atomic<int> gCap{-1};

}  // namespace

InstructionSet InstructionSetFromFeatures(const CpuidFeatures& f) {
#if QCLR_X86_SIMD
  const bool avx = f.hasCpuid && (f.leaf1Ecx & (kOsxsaveBit | kAvxBit)) == (kOsxsaveBit | kAvxBit) &&
                   (f.xcr0 & kYmmState) == kYmmState;
  if (avx && (f.leaf7Ebx & kAvx2Bit) && (f.leaf7Ebx & kAvx512Bits) == kAvx512Bits &&
      (f.xcr0 & kZmmState) == kZmmState) {
    return InstructionSet::kAvx512;
  }
  if (avx && (f.leaf7Ebx & kAvx2Bit)) return InstructionSet::kAvx2;
  return InstructionSet::kSse2;
#else
  (void)f;
  return InstructionSet::kPortable;
#endif
}

InstructionSet DetectedInstructionSet() {
  int detected = gDetected.load(std::memory_order_relaxed);
  if (detected < 0) {
    detected = static_cast<int>(InstructionSetFromFeatures(ReadCpuidFeatures()));
    gDetected.store(detected, std::memory_order_relaxed);  // every thread stores the same
  }
  return static_cast<InstructionSet>(detected);
}

InstructionSet ActiveInstructionSet() {
  const int detected = static_cast<int>(DetectedInstructionSet());
  const int cap = gCap.load(std::memory_order_relaxed);
  return static_cast<InstructionSet>(cap >= 0 && cap < detected ? cap : detected);
}

void CapInstructionSet(int isa) { gCap.store(isa < 0 ? -1 : isa, std::memory_order_relaxed); }

const char* InstructionSetName(InstructionSet isa) {
  switch (isa) {
    case InstructionSet::kPortable: return "portable";
    case InstructionSet::kSse2: return "sse2";
    case InstructionSet::kAvx2: return "avx2";
    case InstructionSet::kAvx512: return "avx512";
  }
  return "?";
}

}  // namespace qclr
