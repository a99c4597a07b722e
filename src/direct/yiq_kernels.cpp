// YIQ in double precision: the encoder truncates, the decoder folds negative
// results to their absolute value and caps at 255.
#include "direct/yiq_kernels.h"

#include <cmath>

#include "base/cpu_level.h"
#include "base/rgb_positions.h"
#include "base/row_layout.h"
#include "direct/store_policy.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// I and Q are offset by their largest magnitude and scaled by its reciprocal
// (1 / 1.192 and 1 / 1.046), so for every RGB triple the results lie in 0..255
// up to rounding in the last bit, which truncation absorbs; no clamping.
void RgbToYiqPixel(double r, double g, double b, uint8_t* yiq) {
  r /= 255, g /= 255, b /= 255;
  const double y = (0.299 * r + 0.587 * g + 0.114 * b) * 255;
  const double i = (0.596 * r - 0.275 * g - 0.321 * b + 0.596) * 0.8389261744966443 * 255;
  const double q = (0.212 * r - 0.523 * g + 0.311 * b + 0.523) * 0.9560229445506692 * 255;
  yiq[0] = static_cast<uint8_t>(TruncToInt32(y));
  yiq[1] = static_cast<uint8_t>(TruncToInt32(i));
  yiq[2] = static_cast<uint8_t>(TruncToInt32(q));
}

uint8_t FoldToByte(double v) {
  v = std::fabs(v);
  return v > 255 ? 255 : static_cast<uint8_t>(TruncToInt32(v));
}

}  // namespace

void YiqToRgbRow(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const double y = s[0] / 255.0;
    const double i = s[1] / 255.0 * 1.192 - 0.596;
    const double q = s[2] / 255.0 * 1.046 - 0.523;
    d[pos.r] = FoldToByte((y + 0.956 * i + 0.621 * q) * 255);
    d[1] = FoldToByte((y - 0.272 * i - 0.647 * q) * 255);
    d[pos.b] = FoldToByte((y - 1.106 * i + 1.703 * q) * 255);
  }
}

void RgbToYiqRow(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) RgbToYiqPixel(s[pos.r], s[1], s[pos.b], d);
}

namespace {

// Rows of 3 x width bytes on both sides.
int32_t ConvertRows(YiqRow rowFn, const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                    int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  const StreamingStoresScope streaming(static_cast<size_t>(PaddedStride(row, outAlign) * height));
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, rgbOrder); });
  return CLR_OK;
}

}  // namespace

int32_t RgbToYiq(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(kRgbToYiqRows), src, dst, width, height, inAlign, outAlign,
                     rgbOrder);
}

int32_t YiqToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  const YiqRow rowFn = SelectRow(ActiveCpuLevel() == 0 ? kYiqToRgbRows : kYiqToRgbPackedRows);
  return ConvertRows(rowFn, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

}  // namespace qclr
