// The 4:4:4 members of the video family: CSP_YUV (Y, U, V bytes) and CSP_YCC
// (full-range Y with Cb and Cr as signed bytes), three bytes a pixel on both sides.
#include <cstddef>

#include "base/row_layout.h"
#include "direct/store_policy.h"
#include "direct/video_kernels.h"
#include "direct/video_pixel.h"
#include "direct/video_rows.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Limits v to lo..hi, then truncates toward zero.
int32_t ClampTrunc(double v, double lo, double hi) {
  return TruncToInt32(v < lo ? lo : (v > hi ? hi : v));
}

}  // namespace

// No offset centres the chroma: negative U and V are stored as 0.
void RgbToYuvRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const double r = s[at.r], g = s[1], b = s[at.b];
    d[0] = static_cast<uint8_t>(ClampTrunc(0.299 * r + 0.587 * g + 0.114 * b, 0, 255));
    d[1] = static_cast<uint8_t>(ClampTrunc(0.434 * b - 0.146 * r - 0.288 * g, 0, 255));
    d[2] = static_cast<uint8_t>(ClampTrunc(0.617 * r - 0.517 * g - 0.100 * b, 0, 255));
  }
}

void YuvToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    DecodeVideoRangePixel(s[0], s[1], s[2], d, at);
  }
}

// Cb and Cr are stored in two's complement.
void RgbToYccRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const double r = s[at.r], g = s[1], b = s[at.b];
    d[0] = static_cast<uint8_t>(ClampTrunc(0.299 * r + 0.587 * g + 0.114 * b, 0, 255));
    d[1] = static_cast<uint8_t>(ClampTrunc(-0.16874 * r - 0.33126 * g + 0.5 * b, -128, 127));
    d[2] = static_cast<uint8_t>(ClampTrunc(0.5 * r - 0.41869 * g - 0.08131 * b, -128, 127));
  }
}

void YccToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions at) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const double y = s[0];
    const double cb = static_cast<int8_t>(s[1]), cr = static_cast<int8_t>(s[2]);
    d[at.r] = static_cast<uint8_t>(ClampTrunc(y + 1.402 * cr, 0, 255));
    d[1] = static_cast<uint8_t>(ClampTrunc(y - 0.3441363 * cb - 0.71413636 * cr, 0, 255));
    d[at.b] = static_cast<uint8_t>(ClampTrunc(y + 1.772 * cb, 0, 255));
  }
}

namespace {

// Rows of 3 x width bytes on both sides, through the fastest row of `rows`.
int32_t ConvertRows(const RowVariants<VideoRow>& rows, const uint8_t* src, uint8_t* dst,
                    int32_t width, int32_t height, int32_t inAlign, int32_t outAlign,
                    int32_t rgbOrder) {
  if (!HasPixels(width, height)) return CLR_OK;
  const ptrdiff_t bytes = 3 * ptrdiff_t{width};
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const VideoRow row = SelectRow(rows);
  const StreamingStoresScope streaming(static_cast<size_t>(PaddedStride(bytes, outAlign) * height));
  ForEachRow(src, PaddedStride(bytes, inAlign), dst, PaddedStride(bytes, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, width, at); });
  return CLR_OK;
}

}  // namespace

int32_t RgbToYuv(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(kRgbToYuvRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t YuvToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(kYuvToRgbRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t RgbToYcc(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(kRgbToYccRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t YccToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(kYccToRgbRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

}  // namespace qclr
