// The platform layer: everything the operating system or the processor provides.
// The core of the library reaches the system only through this interface; posix/
// and win32/ implement it.
#pragma once

#include <cstdint>

namespace qclr::platform {

// CPUID function 1: stores the EDX feature bits and returns true; false on a
// processor without CPUID (every non-x86 processor).
bool ReadCpuFeatureBits(uint32_t* edx);

// Windows MulDiv: the 64-bit product a * b divided by c, rounded to the nearest
// integer with halves away from zero; -1 when c is 0 or the result overflows.
int32_t MulDiv(int32_t a, int32_t b, int32_t c);

}  // namespace qclr::platform
