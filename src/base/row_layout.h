// Row geometry shared by every kernel: the padding rule and the row loop.
//
// A row of N bytes with alignment A is followed by A - (N mod A) padding bytes when
// A >= 1 and A does not divide N; otherwise rows follow one another. Kernels
// compute each side's stride once and hand rows to a row function, which never
// sees alignment.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr {

inline ptrdiff_t RowPadding(ptrdiff_t rowBytes, int32_t align) {
  if (align < 1) return 0;
  const ptrdiff_t rest = rowBytes % align;
  return rest == 0 ? 0 : align - rest;
}

inline ptrdiff_t PaddedStride(ptrdiff_t rowBytes, int32_t align) {
  return rowBytes + RowPadding(rowBytes, align);
}

// Calls row(srcRow, dstRow) for each of `height` rows, top to bottom.
template <typename Src, typename Dst, typename RowFn>
inline void ForEachRow(Src* src, ptrdiff_t srcStride, Dst* dst, ptrdiff_t dstStride,
                       int32_t height, RowFn&& row) {
  for (int32_t y = 0; y < height; ++y) {
    row(src, dst);
    src += srcStride;
    dst += dstStride;
  }
}

}  // namespace qclr
