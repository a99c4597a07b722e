// Which instruction sets the fast row functions may use.
//
// This is not the processor level (CpuLevel): the level chooses between
// definitions that give different bytes (the plain and the packed decoders), while
// an instruction set only chooses between implementations of one definition, all
// of which give the same bytes. Every kernel picks its row function for the active
// set through SelectRow (base/row_variants.h).
#pragma once

#include <cstdint>

// 1 where the x86 row files (*_sse41.cpp, *_avx2.cpp, *_avx512.cpp) are compiled
// with their instruction sets (src/CMakeLists.txt tests the same processors).
#if defined(__x86_64__) || defined(__i386__) || defined(_M_X64) || defined(_M_IX86)
#define QCLR_X86_SIMD 1
#else
#define QCLR_X86_SIMD 0
#endif

namespace qclr {

enum class InstructionSet : int {
  kPortable = 0,  // plain C++, every processor
  kSse2 = 1,      // x86: the baseline of x86-64 and of the 32-bit build
  kAvx2 = 2,      // x86: AVX2 (256-bit integer and double lanes)
  kAvx512 = 3,    // x86: AVX-512 F, BW, DQ and VL
};

// What CPUID and XGETBV report, as far as the choice needs it.
struct CpuidFeatures {
  bool hasCpuid = false;
  uint32_t leaf1Ecx = 0;  // function 1: OSXSAVE (bit 27), AVX (bit 28)
  uint32_t leaf7Ebx = 0;  // function 7, subleaf 0: AVX2 (5), AVX-512 F (16), DQ (17), BW (30), VL (31)
  uint64_t xcr0 = 0;      // register state the operating system saves: XMM, YMM, opmask, ZMM
};

// The best set that these features allow in this build. SSE2 is a property of the
// build (x86-64, or 32-bit x86 compiled for it); AVX2 and AVX-512 also need the
// operating system to save their registers.
InstructionSet InstructionSetFromFeatures(const CpuidFeatures& features);

// The best set of this processor and build, detected once.
InstructionSet DetectedInstructionSet();

// The set the kernels use: the detected one, unless a test has capped it.
InstructionSet ActiveInstructionSet();

// Test hook: caps the active set at `isa` (it never exceeds the detected set), so
// that tests and the exhaustive check can run every implementation the processor
// has; a negative value removes the cap.
void CapInstructionSet(int isa);

// "portable", "sse2", "avx2", "avx512".
const char* InstructionSetName(InstructionSet isa);

}  // namespace qclr
