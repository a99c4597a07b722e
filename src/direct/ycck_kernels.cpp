// RgbToYcck and YcckToRgb by the built-in formulas: each runs its RGB/CMYK step
// and the table step between CMYK and YCCK row by row, through a packed CMYK
// intermediate of one row.
#include "direct/ycck_kernels.h"

#include <cstddef>

#include "base/cpu_level.h"
#include "base/owned.h"
#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "direct/store_policy.h"
#include "qclr/qclr.h"

namespace qclr {

int32_t RgbToYcck(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const MemPtr<uint8_t> cmyk = AllocPackedImage(width, 1, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  const InkRow removal = SelectRow(kRgbToCmykFullRemovalRows);
  const YccTableRow encode = SelectRow(kCmykToYcckRows);
  const YccTables& tables = LibraryYccTables();
  const ptrdiff_t dstStride = PaddedStride(4 * ptrdiff_t{width}, outAlign);
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), dst, dstStride, height,
             [&](const uint8_t* s, uint8_t* d) {
               {
                 const StreamingStoresScope cached(0);  // the intermediate is read back at once
                 removal(s, cmyk.get(), width, rgbOrder);
               }
               const StreamingStoresScope streaming(static_cast<size_t>(dstStride * height));
               encode(tables, cmyk.get(), d, width);
             });
  return CLR_OK;
}

int32_t YcckToRgb(const YccTables& tables, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const MemPtr<uint8_t> cmyk = AllocPackedImage(width, 1, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  const YccTableRow decode = SelectRow(kYcckToCmykRows);
  const InkRow inks =
      SelectRow(ActiveCpuLevel() == 0 ? kCmykToRgbMulDivRows : kCmykToRgbMulDivPackedRows);
  const ptrdiff_t dstStride = PaddedStride(3 * ptrdiff_t{width}, outAlign);
  ForEachRow(src, PaddedStride(4 * ptrdiff_t{width}, inAlign), dst, dstStride, height,
             [&](const uint8_t* s, uint8_t* d) {
               {
                 const StreamingStoresScope cached(0);  // the intermediate is read back at once
                 decode(tables, s, cmyk.get(), width);
               }
               const StreamingStoresScope streaming(static_cast<size_t>(dstStride * height));
               inks(cmyk.get(), d, width, rgbOrder);
             });
  return CLR_OK;
}

}  // namespace qclr
