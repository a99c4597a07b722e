// Q_ClrConvert: converts one buffer through a conversion handle by the handle's
// active method. The handle is only read, so conversions by the built-in formulas
// and by emulation tables may run on several threads through one handle.
#include <cstddef>
#include <cstdint>

#include "base/row_layout.h"
#include "direct/color_space.h"
#include "direct/conversion_tables.h"
#include "direct/ink_kernels.h"
#include "direct/kernel_table.h"
#include "direct/same_space_copy.h"
#include "direct/ycck_kernels.h"
#include "handle/clr_handle.h"
#include "handle/described_yuv.h"
#include "handle/emulation_lookup.h"
#include "handle/fixed_point_lab.h"
#include "handle/handle_registry.h"
#include "handle/ycck_conversion.h"
#include "icc/icc_engine.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// A YCCK source decodes through the handle's own tables when it has them.
const YccTables& HandleYccTables(const ClrHandle& h) {
  return h.yccTables != nullptr ? *h.yccTables : LibraryYccTables();
}

int32_t BlackParam(const ClrHandle& h) {
  return h.cmykOptions != nullptr ? h.cmykOptions->value : kDirectBlackParam;
}

// The built-in formulas: the direct route's kernels, with the handle's own
// parameters where it has them.
int32_t ConvertBuiltin(const ClrHandle& h, const uint8_t* src, uint8_t* dst, int32_t width,
                       int32_t height, int32_t inAlign, int32_t outAlign) {
  if (IsRgbSide(h.srcSpace) && IsRgbSide(h.dstSpace)) {
    return SwapRgbBgr(src, dst, width, height, inAlign, outAlign);
  }
  if (IsRgbSide(h.srcSpace)) {
    const int32_t order = h.srcSpace == CSP_RGB ? 1 : 0;
    switch (h.dstSpace) {
      case CSP_CMYK:
        return RgbToCmyk(src, dst, width, height, inAlign, outAlign, BlackParam(h), order);
      case CSP_LAB:
        if (h.labEncode == nullptr) break;
        return RgbToLabFixed(src, dst, width, height, inAlign, outAlign, *h.labEncode, order);
      default: break;
    }
    const SpaceKernels* kernels = DirectKernels(h.dstSpace);
    return kernels->encoder(src, dst, width, height, inAlign, outAlign, order);
  }
  const int32_t order = h.dstSpace == CSP_RGB ? 1 : 0;
  switch (h.srcSpace) {
    case CSP_CMYK:
      return CmykToRgb(src, dst, width, height, inAlign, outAlign, BlackParam(h), order);
    case CSP_YCCK:
      return YcckToRgb(HandleYccTables(h), src, dst, width, height, inAlign, outAlign, order);
    case CSP_LAB:
      if (h.labDecode == nullptr) break;
      return LabToRgbFixed(src, dst, width, height, inAlign, outAlign, *h.labDecode, order);
    case CSP_YUV:
      if (h.yuvLayout == nullptr) break;
      return DescribedYuvToRgb(*h.yuvLayout, src, dst, width, height, inAlign, outAlign, order);
    default: break;
  }
  const SpaceKernels* kernels = DirectKernels(h.srcSpace);
  return kernels->decoder(src, dst, width, height, inAlign, outAlign, order);
}

// An ICC transform converts runs of packed pixels, so each row is one run, read
// from its place in the source and written to its place in the destination: no
// temporary buffer, and the padding between rows is never touched.
int32_t ConvertByTransform(const ClrHandle& h, const ColorTransform* t, const uint8_t* src,
                           uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                           int32_t outAlign) {
  if (h.srcSpace == CSP_YCCK) {
    return YcckToRgbByTransform(t, HandleYccTables(h), src, dst, width, height, inAlign, outAlign);
  }
  if (h.dstSpace == CSP_YCCK) {
    return RgbToYcckByTransform(t, src, dst, width, height, inAlign, outAlign);
  }
  if (t == nullptr) return CLR_ERR_METHOD;
  const ptrdiff_t inRow = RowBytes(h.srcSpace, width), outRow = RowBytes(h.dstSpace, width);
  int32_t status = CLR_OK;
  ForEachRow(src, PaddedStride(inRow, inAlign), dst, PaddedStride(outRow, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) {
               const int32_t rowStatus = IccApplyTransform(t, s, d, width);
               if (rowStatus != CLR_OK) status = rowStatus;
             });
  return status;
}

// An emulation table: CMYK to RGB, RGB to Lab or Lab to RGB. Pairs without a
// lookup, or a handle without its table, cannot use this method.
int32_t ConvertByTable(const ClrHandle& h, const uint8_t* table, const uint8_t* src, uint8_t* dst,
                       int32_t width, int32_t height, int32_t inAlign, int32_t outAlign) {
  if (table == nullptr) return CLR_ERR_METHOD;
  if (h.srcSpace == CSP_CMYK && IsRgbSide(h.dstSpace)) {
    EmuCmykToRgb(src, table, width, height, inAlign, outAlign, dst, h.dstSpace == CSP_RGB ? 1 : 0);
  } else if (IsRgbSide(h.srcSpace) && h.dstSpace == CSP_LAB) {
    EmuRgbToLab(src, table, width, height, inAlign, outAlign, dst, h.srcSpace == CSP_RGB ? 1 : 0);
  } else if (h.srcSpace == CSP_LAB && IsRgbSide(h.dstSpace)) {
    EmuLabToRgb(src, table, width, height, inAlign, outAlign, dst, h.dstSpace == CSP_RGB ? 1 : 0);
  } else {
    return CLR_ERR_METHOD;
  }
  return CLR_OK;
}

// The source bytes a conversion through the handle may read: those of the source
// space, or of the handle's described YUV layout when the built-in method decodes
// through it.
size_t SourceBytes(const ClrHandle& h, size_t spaceBytes, int32_t width, int32_t height,
                   int32_t inAlign) {
  if (h.srcSpace != CSP_YUV || h.yuvLayout == nullptr || h.method != METHOD_BUILTIN ||
      !IsRgbSide(h.dstSpace)) {
    return spaceBytes;
  }
  const uint64_t bytes = DescribedYuvSourceBytes(*h.yuvLayout, width, height, inAlign);
  return bytes > SIZE_MAX ? SIZE_MAX : static_cast<size_t>(bytes);
}

}  // namespace
}  // namespace qclr

extern "C" QCLR_API int32_t QCLR_CALL Q_ClrConvert(ClrHandle* handle, const uint8_t* srcBuffer,
                                                   uint8_t* dstBuffer, int32_t width,
                                                   int32_t height, int32_t inAlign,
                                                   int32_t outAlign) {
  using namespace qclr;
  if (!IsLiveHandle(handle)) return CLR_ERR_HANDLE;
  if (srcBuffer == nullptr || dstBuffer == nullptr) return CLR_ERR_PARAM;
  const ClrHandle& h = *handle;
  if (srcBuffer == dstBuffer && h.srcSpace == h.dstSpace && inAlign != outAlign) {
    return CLR_ERR_SAME_BUFFER;
  }
  // A bare handle keeps whatever equal codes it was made with; only the known
  // spaces have a layout to convert.
  if (!IsValidColorSpace(h.srcSpace) || !IsValidColorSpace(h.dstSpace)) return CLR_ERR_COLORSPACE;
  size_t srcBytes = 0, dstBytes = 0;
  if (width < 1 || height < 1 || !SizeAcceptable(h.srcSpace, width, height, inAlign, &srcBytes) ||
      !SizeAcceptable(h.dstSpace, width, height, outAlign, &dstBytes)) {
    return CLR_ERR_PARAM;
  }
  if (h.srcSpace == h.dstSpace && h.method != METHOD_CUSTOM_ICC) {
    SameSpaceCopy(h.srcSpace, srcBuffer, dstBuffer, width, height, inAlign, outAlign);
    return CLR_OK;
  }
  if (h.pathKind == 2) {
    return Q_ClrConvertDirect(h.srcSpace, h.dstSpace, srcBuffer, dstBuffer, width, height, inAlign,
                              outAlign);
  }
  if (!IsMethodValue(h.method)) return CLR_ERR_METHOD;
  const auto convert = [&](uint8_t* into, int32_t intoAlign) {
    switch (h.method) {
      case METHOD_ICC:
        return ConvertByTransform(h, h.iccTransform, srcBuffer, into, width, height, inAlign, intoAlign);
      case METHOD_CUSTOM_ICC:
        return ConvertByTransform(h, h.customIccTransform, srcBuffer, into, width, height, inAlign,
                                  intoAlign);
      case METHOD_BUILTIN_TABLES:
        return ConvertByTable(h, h.builtinTable, srcBuffer, into, width, height, inAlign, intoAlign);
      case METHOD_CUSTOM_TABLES:
        return ConvertByTable(h, h.customTable, srcBuffer, into, width, height, inAlign, intoAlign);
      default:
        return ConvertBuiltin(h, srcBuffer, into, width, height, inAlign, intoAlign);
    }
  };
  // The converters read the source while they write: a destination that overlaps
  // it receives the result through a temporary buffer.
  if (!BuffersOverlap(srcBuffer, SourceBytes(h, srcBytes, width, height, inAlign), dstBuffer, dstBytes)) {
    return convert(dstBuffer, outAlign);
  }
  return ConvertThroughTemporary(h.dstSpace, dstBuffer, width, height, outAlign,
                                 [&](uint8_t* temporary) { return convert(temporary, 0); });
}
