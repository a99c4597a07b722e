// RgbToYcck and YcckToRgb by the built-in formulas: each runs its RGB/CMYK step
// into a packed CMYK intermediate and the table step between CMYK and YCCK.
#include "direct/ycck_kernels.h"

#include <cstddef>

#include "base/cpu_level.h"
#include "base/owned.h"
#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

using CmykToRgbRowFn = void (*)(const uint8_t*, uint8_t*, int32_t, int32_t);
constexpr CmykToRgbRowFn kCmykToRgbRows[] = {CmykToRgbMulDivRow, CmykToRgbMulDivRowPacked,
                                             CmykToRgbMulDivRowPacked};

}  // namespace

int32_t RgbToYcck(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const MemPtr<uint8_t> cmyk = AllocPackedImage(width, height, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), cmyk.get(), 4 * ptrdiff_t{width},
             height,
             [&](const uint8_t* s, uint8_t* d) { RgbToCmykFullRemovalRow(s, d, width, rgbOrder); });
  return CmykToYcck(LibraryYccTables(), cmyk.get(), dst, width, height, 0, outAlign);
}

int32_t YcckToRgb(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const MemPtr<uint8_t> cmyk = AllocPackedImage(width, height, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  YcckToCmyk(tables, src, cmyk.get(), width, height, inAlign, 0);
  const CmykToRgbRowFn rowFn = kCmykToRgbRows[ActiveCpuLevel()];
  ForEachRow(cmyk.get(), 4 * ptrdiff_t{width}, dst, PaddedStride(3 * ptrdiff_t{width}, outAlign),
             height, [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, rgbOrder); });
  return CLR_OK;
}

}  // namespace qclr
