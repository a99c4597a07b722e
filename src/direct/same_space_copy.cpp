#include "direct/same_space_copy.h"

#include <cstring>

#include "base/row_layout.h"
#include "direct/color_space.h"
#include "direct/store_policy.h"
#include "direct/swap_rows.h"
#include "qclr/qclr.h"

namespace qclr {

void SameSpaceCopy(int32_t space, const uint8_t* src, uint8_t* dst, int32_t width,
                   int32_t height, int32_t inAlign, int32_t outAlign) {
  if (space == CSP_YVU9) {
    std::memmove(dst, src, static_cast<size_t>(Yvu9Bytes(width, height)));
    return;
  }
  const ptrdiff_t row = RowBytes(space, width);
  const ptrdiff_t base = PaddingBaseBytes(space, width);
  const ptrdiff_t srcStride = row + RowPadding(base, inAlign);
  const ptrdiff_t dstStride = row + RowPadding(base, outAlign);
  if (srcStride == row && dstStride == row) {
    std::memmove(dst, src, static_cast<size_t>(row * height));
    return;
  }
  if (src == dst && dstStride > srcStride) {
    // In place with growing rows: from the last row up, so every source row is
    // read before a longer destination row can reach it.
    for (int32_t y = height - 1; y >= 0; --y) {
      std::memmove(dst + y * dstStride, src + y * srcStride, static_cast<size_t>(row));
    }
    return;
  }
  ForEachRow(src, srcStride, dst, dstStride, height, [row](const uint8_t* s, uint8_t* d) {
    std::memmove(d, s, static_cast<size_t>(row));
  });
}

int32_t SwapRgbBgr(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                   int32_t inAlign, int32_t outAlign) {
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  const SwapRow swap = SelectRow(kSwapRgbRows);
  const StreamingStoresScope streaming(static_cast<size_t>(PaddedStride(row, outAlign) * height));
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [width, swap](const uint8_t* s, uint8_t* d) { swap(s, d, width); });
  return CLR_OK;
}

}  // namespace qclr
