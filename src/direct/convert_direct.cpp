// Q_ClrConvertDirect: one buffer from any colour space into any other with the
// built-in formulas, through RGB as the hub space.
#include <cstddef>

#include "base/cpu_level.h"
#include "base/owned.h"
#include "base/row_layout.h"
#include "direct/color_space.h"
#include "direct/kernel_table.h"
#include "direct/same_space_copy.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Decodes into a tightly packed CSP_RGB temporary, then encodes from it.
int32_t ConvertTwoSteps(const SpaceKernels& from, const SpaceKernels& to, const uint8_t* src,
                        uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                        int32_t outAlign) {
  const MemPtr<uint8_t> rgb = AllocPackedImage(width, height, 3);
  if (rgb == nullptr) return CLR_ERR_NOMEM;
  const int32_t status = from.decoder(src, rgb.get(), width, height, inAlign, 0, 1);
  if (status != CLR_OK) return status;
  return to.encoder(rgb.get(), dst, width, height, 0, outAlign, 1);
}

}  // namespace
}  // namespace qclr

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrConvertDirect(int32_t srcSpace, int32_t dstSpace,
                                                         const uint8_t* srcBuffer,
                                                         uint8_t* dstBuffer, int32_t width,
                                                         int32_t height, int32_t inAlign,
                                                         int32_t outAlign) {
  using namespace qclr;
  RefreshCpuLevel();
  if (!IsValidColorSpace(srcSpace)) return CLR_ERR_COLORSPACE;
  if (srcBuffer == nullptr) return CLR_ERR_PARAM;
  if (width < 1 || height < 1) return CLR_ERR_PARAM;
  size_t srcBytes = 0, dstBytes = 0;
  if (!SizeAcceptable(srcSpace, width, height, inAlign, &srcBytes)) return CLR_ERR_PARAM;
  if (!IsValidColorSpace(dstSpace)) return CLR_ERR_COLORSPACE;
  if (dstBuffer == nullptr) return CLR_ERR_PARAM;
  if (!SizeAcceptable(dstSpace, width, height, outAlign, &dstBytes)) return CLR_ERR_PARAM;
  if (srcSpace == dstSpace) {
    if (srcBuffer == dstBuffer && inAlign == outAlign) return CLR_ERR_SAME_BUFFER;
    SameSpaceCopy(srcSpace, srcBuffer, dstBuffer, width, height, inAlign, outAlign);
    return CLR_OK;
  }
  const SpaceKernels* from = DirectKernels(srcSpace);
  const SpaceKernels* to = DirectKernels(dstSpace);
  if (!IsRgbSide(srcSpace) && !IsRgbSide(dstSpace)) {
    // Reads the whole source into its temporary buffer before writing: may overlap.
    return ConvertTwoSteps(*from, *to, srcBuffer, dstBuffer, width, height, inAlign, outAlign);
  }
  const auto oneStep = [&](uint8_t* into, int32_t intoAlign) {
    if (IsRgbSide(srcSpace) && IsRgbSide(dstSpace)) {
      return SwapRgbBgr(srcBuffer, into, width, height, inAlign, intoAlign);
    }
    if (IsRgbSide(srcSpace)) {
      return to->encoder(srcBuffer, into, width, height, inAlign, intoAlign, srcSpace == CSP_RGB ? 1 : 0);
    }
    return from->decoder(srcBuffer, into, width, height, inAlign, intoAlign, dstSpace == CSP_RGB ? 1 : 0);
  };
  // A kernel writing over source bytes it has yet to read would corrupt them; the
  // swap reads each pixel before writing it, so one buffer whose rows do not grow
  // is safe.
  const bool swapInPlace = IsRgbSide(srcSpace) && IsRgbSide(dstSpace) && srcBuffer == dstBuffer &&
                           PaddedStride(3 * ptrdiff_t{width}, outAlign) <=
                               PaddedStride(3 * ptrdiff_t{width}, inAlign);
  if (swapInPlace || !BuffersOverlap(srcBuffer, srcBytes, dstBuffer, dstBytes)) {
    return oneStep(dstBuffer, outAlign);
  }
  return ConvertThroughTemporary(dstSpace, dstBuffer, width, height, outAlign,
                                 [&](uint8_t* temporary) { return oneStep(temporary, 0); });
}
