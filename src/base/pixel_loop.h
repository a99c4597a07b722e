// The whole-image loop of kernels whose pixels are 3 bytes on both sides.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/rgb_positions.h"
#include "base/row_layout.h"

namespace qclr {

// Calls pixel(srcPixel, dstPixel) for every pixel, rows top to bottom, each side's
// rows of 3 x width bytes padded for its own alignment.
template <typename PixelFn>
inline void ForEachPixel3(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                          int32_t inAlign, int32_t outAlign, PixelFn&& pixel) {
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) {
               for (int32_t x = 0; x < width; ++x, s += 3, d += 3) pixel(s, d);
             });
}

}  // namespace qclr
