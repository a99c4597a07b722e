// Q_ClrConvertToBitmap and Q_ClrConvertDirectToBitmap: a conversion into RGB or
// BGR delivered as a 24-bit top-down bitmap record with storage of its own.
//
// The conversion writes into a temporary buffer laid out exactly as the bitmap's
// rows (3 x width bytes rounded up to a multiple of 4), whatever alignment the
// caller asked for, so that the rows are read back at the stride they were written
// at and the last row lies wholly inside the buffer.
#include <cstddef>

#include "base/owned.h"
#include "handle/bitmap_from_dib.h"
#include "handle/clr_handle.h"
#include "handle/dib_header.h"
#include "handle/handle_registry.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

constexpr int32_t kBitmapRowAlign = 4;

bool IsBitmapSpace(int32_t space) { return space == CSP_RGB || space == CSP_BGR; }

// Converts with `convert(buffer)` into a temporary buffer of the bitmap's layout,
// then fills *bitmap from it. The record is written only when everything succeeds.
template <typename Convert>
int32_t ConvertIntoBitmap(BitmapRecord* bitmap, int32_t width, int32_t height, Convert&& convert) {
  if (bitmap == nullptr) return CLR_ERR_PARAM;
  int32_t bytesPerLine = 0;
  uint32_t dataSize = 0;
  if (!BitmapGeometry(width, height, 24, &bytesPerLine, &dataSize)) return CLR_ERR_PARAM;
  // Zeroed, so that the padding the conversion leaves alone is zero in the bitmap.
  const MemPtr<uint8_t> buffer = CallocOwned<uint8_t>(dataSize);
  if (buffer == nullptr) return CLR_ERR_NOMEM;
  const int32_t status = convert(buffer.get());
  if (status != CLR_OK) return status;
  const int32_t rowPadding = bytesPerLine - 3 * width;
  return CreateBitmapFromDib(bitmap, TopDownDib24(width, height, rowPadding), buffer.get());
}

}  // namespace
}  // namespace qclr

extern "C" {

QCLR_API int32_t QCLR_CALL Q_ClrConvertToBitmap(ClrHandle* handle, const uint8_t* srcBuffer,
                                                BitmapRecord* bitmap, int32_t width,
                                                int32_t height, int32_t inAlign,
                                                int32_t /*outAlign*/) {
  using namespace qclr;
  if (!IsLiveHandle(handle)) return CLR_ERR_HANDLE;
  if (!IsBitmapSpace(handle->dstSpace)) return CLR_ERR_PARAM;
  return ConvertIntoBitmap(bitmap, width, height, [&](uint8_t* buffer) {
    return Q_ClrConvert(handle, srcBuffer, buffer, width, height, inAlign, kBitmapRowAlign);
  });
}

QCLR_API int32_t QCLR_CALL Q_ClrConvertDirectToBitmap(int32_t srcSpace, int32_t dstSpace,
                                                      const uint8_t* srcBuffer,
                                                      BitmapRecord* bitmap, int32_t width,
                                                      int32_t height, int32_t inAlign,
                                                      int32_t /*outAlign*/) {
  using namespace qclr;
  if (!IsBitmapSpace(dstSpace)) return CLR_ERR_PARAM;
  return ConvertIntoBitmap(bitmap, width, height, [&](uint8_t* buffer) {
    return Q_ClrConvertDirect(srcSpace, dstSpace, srcBuffer, buffer, width, height, inAlign,
                              kBitmapRowAlign);
  });
}

}  // extern "C"
