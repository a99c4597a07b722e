// RgbToYcck and YcckToRgb: each runs its RGB/CMYK step into a packed CMYK
// intermediate and the table step between CMYK and YCCK.
#include "direct/ycck_kernels.h"

#include <cstddef>
#include <cstring>

#include "base/cpu_level.h"
#include "base/memory.h"
#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "icc/color_transform.h"
#include "icc/pixel_format.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

using CmykToRgbRowFn = void (*)(const uint8_t*, uint8_t*, int32_t, int32_t);
constexpr CmykToRgbRowFn kCmykToRgbRows[] = {CmykToRgbMulDivRow, CmykToRgbMulDivRowPacked,
                                             CmykToRgbMulDivRowPacked};

uint8_t* AllocPixels(int32_t width, int32_t height, int32_t bytesPerPixel) {
  const size_t bytes =
      static_cast<size_t>(width) * static_cast<size_t>(height) * static_cast<size_t>(bytesPerPixel);
  return static_cast<uint8_t*>(MemAlloc(bytes));
}

// Built-in RGB to CMYK into the packed intermediate.
void RgbToPackedCmyk(const uint8_t* src, uint8_t* cmyk, int32_t width, int32_t height,
                     int32_t inAlign, int32_t rgbOrder) {
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), cmyk, 4 * ptrdiff_t{width},
             height,
             [&](const uint8_t* s, uint8_t* d) { RgbToCmykFullRemovalRow(s, d, width, rgbOrder); });
}

// Built-in CMYK to RGB from the packed intermediate.
void PackedCmykToRgb(const uint8_t* cmyk, uint8_t* dst, int32_t width, int32_t height,
                     int32_t outAlign, int32_t rgbOrder) {
  const CmykToRgbRowFn rowFn = kCmykToRgbRows[ActiveCpuLevel()];
  ForEachRow(cmyk, 4 * ptrdiff_t{width}, dst, PaddedStride(3 * ptrdiff_t{width}, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, rgbOrder); });
}

// The transform of an ICC method: the built-in profiles' or the caller's files'.
const ColorTransform* TransformOf(const ClrHandle& h) {
  return h.method == METHOD_CUSTOM_ICC ? h.customIccTransform : h.iccTransform;
}

bool UsesTransform(const ClrHandle* h) {
  return h != nullptr && (h->method == METHOD_ICC || h->method == METHOD_CUSTOM_ICC);
}

// The intermediates are sized for 3-byte RGB and 4-byte CMYK pixels; a transform
// between other formats (CMYK to CMYK for a YCCK to YCCK handle) would write past
// them. CLR_OK when the transform fits, CLR_ERR_METHOD when there is none.
int32_t CheckTransform(const ColorTransform* t, uint32_t inBytes, uint32_t outBytes) {
  if (t == nullptr) return CLR_ERR_METHOD;
  const auto pixelBytes = [](uint32_t f) { return FormatChannels(f) * FormatBytes(f); };
  if (pixelBytes(t->inputFormat) != inBytes || pixelBytes(t->outputFormat) != outBytes) {
    return CLR_ERR_COLORSPACE;
  }
  return CLR_OK;
}

// RGB through the handle's transform into CMYK, then to YCCK.
int32_t RgbToYcckByTransform(const ClrHandle& h, const uint8_t* src, uint8_t* dst, int32_t width,
                             int32_t height, int32_t inAlign, int32_t outAlign) {
  const ColorTransform* t = TransformOf(h);
  if (int32_t s = CheckTransform(t, 3, 4); s != CLR_OK) return s;
  uint8_t* rgb = AllocPixels(width, height, 3);
  if (rgb == nullptr) return CLR_ERR_NOMEM;
  uint8_t* cmyk = AllocPixels(width, height, 4);
  if (cmyk == nullptr) {
    MemFree(rgb);
    return CLR_ERR_NOMEM;
  }
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  ForEachRow(src, PaddedStride(row, inAlign), rgb, row, height,
             [row](const uint8_t* s, uint8_t* d) { std::memcpy(d, s, static_cast<size_t>(row)); });
  const int32_t status = IccApplyTransform(t, rgb, cmyk, width * height);
  CmykToYcck(LibraryYccTables(), cmyk, dst, width, height, 0, outAlign);
  MemFree(cmyk);
  MemFree(rgb);
  return status;
}

}  // namespace

int32_t RgbToYcck(const ClrHandle* handle, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  if (UsesTransform(handle)) {
    return RgbToYcckByTransform(*handle, src, dst, width, height, inAlign, outAlign);
  }
  if (handle != nullptr && handle->method != METHOD_BUILTIN) return CLR_ERR_METHOD;
  uint8_t* cmyk = AllocPixels(width, height, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  RgbToPackedCmyk(src, cmyk, width, height, inAlign, rgbOrder);
  // Only the library-wide tables hold the RGB to YCbCr part.
  CmykToYcck(LibraryYccTables(), cmyk, dst, width, height, 0, outAlign);
  MemFree(cmyk);
  return CLR_OK;
}

int32_t YcckToRgb(const ClrHandle* handle, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  if (UsesTransform(handle)) {
    if (int32_t s = CheckTransform(TransformOf(*handle), 4, 3); s != CLR_OK) return s;
  }
  uint8_t* cmyk = AllocPixels(width, height, 4);
  if (cmyk == nullptr) return CLR_ERR_NOMEM;
  const YccTables& tables =
      handle != nullptr && handle->yccTables != nullptr ? *handle->yccTables : LibraryYccTables();
  YcckToCmyk(tables, src, cmyk, width, height, inAlign, 0);
  int32_t status = CLR_OK;
  if (UsesTransform(handle)) {
    // The transform writes packed pixels, which are then spread to the rows of
    // the destination; its formats carry the destination's byte order.
    uint8_t* rgb = AllocPixels(width, height, 3);
    if (rgb == nullptr) {
      status = CLR_ERR_NOMEM;
    } else {
      status = IccApplyTransform(TransformOf(*handle), cmyk, rgb, width * height);
      PackRowsTo(rgb, dst, height, width, 3, outAlign);
      MemFree(rgb);
    }
  } else if (handle == nullptr || handle->method == METHOD_BUILTIN) {
    PackedCmykToRgb(cmyk, dst, width, height, outAlign, rgbOrder);
  } else {
    status = CLR_ERR_METHOD;
  }
  MemFree(cmyk);
  return status;
}

}  // namespace qclr
