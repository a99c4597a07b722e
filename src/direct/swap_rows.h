// Rows of CSP_RGB <-> CSP_BGR: bytes 0 and 2 of every 3-byte pixel exchanged.
//
// Every implementation reads a block of pixels whole before it writes that block,
// and writes nothing outside the row's 3 x width bytes, so the destination may be
// the source itself or lie before it (rows that shrink in place).
#pragma once

#include <cstdint>

#include "base/row_variants.h"

namespace qclr {

using SwapRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width);

void SwapRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width);
#if QCLR_X86_SIMD
void SwapRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width);
#endif

inline constexpr RowVariants<SwapRow> kSwapRgbRows = {
    .portable = SwapRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = SwapRgbRowAvx2,
#endif
};

}  // namespace qclr
