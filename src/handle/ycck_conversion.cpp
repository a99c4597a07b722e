// The YCCK converters of the ICC methods. Each row goes through the transform and
// the table step by way of one CMYK row, which stays in the cache; the transform
// converts one row per run, so a run never counts more pixels than a row has.
#include "handle/ycck_conversion.h"

#include <cstddef>

#include "base/owned.h"
#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "direct/ycck_kernels.h"
#include "icc/icc_engine.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// The intermediates are sized for 3-byte RGB and 4-byte CMYK pixels; a transform
// between other formats (CMYK to CMYK for a YCCK to YCCK handle) would write past
// them. CLR_OK when the transform fits, CLR_ERR_METHOD when there is none.
int32_t CheckTransform(const ColorTransform* t, uint32_t inBytes, uint32_t outBytes) {
  if (t == nullptr) return CLR_ERR_METHOD;
  const IccPixelBytes pixel = IccTransformPixelBytes(t);
  return pixel.input == inBytes && pixel.output == outBytes ? CLR_OK : CLR_ERR_COLORSPACE;
}

}  // namespace

int32_t RgbToYcckByTransform(const ColorTransform* t, const uint8_t* src, uint8_t* dst,
                             int32_t width, int32_t height, int32_t inAlign, int32_t outAlign) {
  if (int32_t s = CheckTransform(t, 3, 4); s != CLR_OK) return s;
  const MemPtr<uint8_t> cmyk = AllocPackedImage(width, 1, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  int32_t status = CLR_OK;
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), dst, PaddedStride(4 * ptrdiff_t{width}, outAlign),
             height, [&](const uint8_t* s, uint8_t* d) {
               const int32_t rowStatus = IccApplyTransform(t, s, cmyk.get(), width);
               if (rowStatus != CLR_OK) status = rowStatus;
               CmykToYcck(LibraryYccTables(), cmyk.get(), d, width, 1, 0, 0);
             });
  return status;
}

int32_t YcckToRgbByTransform(const ColorTransform* t, const YccTables& tables, const uint8_t* src,
                             uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                             int32_t outAlign) {
  if (int32_t s = CheckTransform(t, 4, 3); s != CLR_OK) return s;
  const MemPtr<uint8_t> cmyk = AllocPackedImage(width, 1, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  int32_t status = CLR_OK;
  ForEachRow(src, PaddedStride(4 * ptrdiff_t{width}, inAlign), dst, PaddedStride(3 * ptrdiff_t{width}, outAlign),
             height, [&](const uint8_t* s, uint8_t* d) {
               YcckToCmyk(tables, s, cmyk.get(), width, 1, 0, 0);
               const int32_t rowStatus = IccApplyTransform(t, cmyk.get(), d, width);
               if (rowStatus != CLR_OK) status = rowStatus;
             });
  return status;
}

}  // namespace qclr
