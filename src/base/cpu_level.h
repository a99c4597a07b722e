// Processor level: 0 plain code, 1 MMX, 2 SSE. Detected once per process; every
// Q_ClrInit and Q_ClrConvertDirect call copies the detected level into the active
// level, which the kernels with packed paths read to choose their row function.
#pragma once

#include <cstdint>

namespace qclr {

int DetectCpuLevel();

// CPUID function 1: stores the EDX feature bits and returns true; false on a
// processor without CPUID (every non-x86 processor). A processor instruction, the
// same under every operating system, so it needs nothing of the platform layer.
bool ReadCpuFeatureBits(uint32_t* edx);

// The level for the result of CPUID function 1: SSE (EDX bit 25) gives 2, else
// MMX (bit 23) gives 1, else 0; a processor without CPUID gives 0.
int CpuLevelFromFeatures(bool hasCpuid, uint32_t edx);

// Detects on first use, then copies the detected level into the active level.
void RefreshCpuLevel();

// The level the kernels use during the current call.
int ActiveCpuLevel();

// Test hook: pins the detected level (and the active one) to `level`; a negative
// value returns to detection. Lets tests run every path on any machine.
void OverrideCpuLevel(int level);

}  // namespace qclr
