// Rows of CSP_RGB <-> CSP_BGR: bytes 0 and 2 of every 3-byte pixel exchanged; and
// the same with every byte inverted (255 - x), which the CMY rows use when the RGB
// side is CSP_BGR.
//
// No 512-bit row: the shuffles this needs run no faster than the 256-bit row's on
// processors that split 512-bit shuffles in two, and the 256-bit row keeps pace
// with memory once it streams.
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
void SwapInvertRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width);
#if QCLR_X86_SIMD
void SwapRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width);
void SwapInvertRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width);
#endif

inline constexpr RowVariants<SwapRow> kSwapRgbRows = {
    .portable = SwapRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = SwapRgbRowAvx2,
#endif
};

inline constexpr RowVariants<SwapRow> kSwapInvertRgbRows = {
    .portable = SwapInvertRgbRowPortable,
#if QCLR_X86_SIMD
    .avx2 = SwapInvertRgbRowAvx2,
#endif
};

}  // namespace qclr
