#include "handle/repad_rows.h"

#include <cstddef>
#include <cstring>

#include "direct/row_layout.h"

namespace qclr {

void RepadRows(uint8_t* buffer, int32_t height, int32_t width, int32_t bytesPerPixel,
               int32_t outAlign) {
  const ptrdiff_t row = ptrdiff_t{width} * bytesPerPixel;
  const ptrdiff_t stride = PaddedStride(row, outAlign);
  if (height <= 1 || stride == row) return;
  // Row i moves from i x row to i x stride, never below where it is; the rows
  // before it are still below its new place.
  for (int32_t y = height - 1; y >= 1; --y) {
    std::memmove(buffer + y * stride, buffer + y * row, static_cast<size_t>(row));
  }
}

}  // namespace qclr
