// The one place where a kernel chooses among its row implementations.
//
// A kernel lists its row functions, one per instruction set it has code for, in a
// RowVariants table and calls SelectRow once per image (not per row: the choice
// is the same for the whole call). The portable row is the reference; every other
// entry must give exactly its bytes, which the tests and bench/exhaustive_check
// prove for every entry the processor can run.
//
// Files named *_sse41.cpp, *_avx2.cpp and *_avx512.cpp are compiled with that
// instruction set enabled (src/CMakeLists.txt) on x86, where QCLR_X86_SIMD is 1
// (base/instruction_set.h); tables refer to their functions under
// `#if QCLR_X86_SIMD`, and the files hold nothing elsewhere.
// SSE2 needs no flag: every x86 build targets it.
#pragma once

#include "base/instruction_set.h"

namespace qclr {

template <typename Row>
struct RowVariants {
  Row portable;
  Row sse2 = nullptr;
  Row avx2 = nullptr;
  Row avx512 = nullptr;
};

// The fastest row that the active instruction set allows.
template <typename Row>
Row SelectRow(const RowVariants<Row>& rows) {
  switch (ActiveInstructionSet()) {
    case InstructionSet::kAvx512:
      if (rows.avx512) return rows.avx512;
      [[fallthrough]];
    case InstructionSet::kAvx2:
      if (rows.avx2) return rows.avx2;
      [[fallthrough]];
    case InstructionSet::kSse2:
      if (rows.sse2) return rows.sse2;
      [[fallthrough]];
    case InstructionSet::kPortable:
      break;
  }
  return rows.portable;
}

}  // namespace qclr
