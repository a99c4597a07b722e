#include "base/cpu_level.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#elif defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
#include <intrin.h>
#endif

namespace qclr {

bool ReadCpuFeatureBits(uint32_t* edx) {
#if defined(__i386__) || defined(__x86_64__)
  unsigned int a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid(1, &a, &b, &c, &d) == 0) return false;  // CPUID absent
  *edx = d;
  return true;
#elif defined(_MSC_VER) && (defined(_M_IX86) || defined(_M_X64))
  int regs[4] = {0, 0, 0, 0};
  __cpuid(regs, 1);
  *edx = static_cast<uint32_t>(regs[3]);
  return true;
#else
  (void)edx;
  return false;
#endif
}

}  // namespace qclr
