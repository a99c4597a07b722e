#include "direct/ink_kernels.h"

#include <algorithm>
#include <climits>

#include "base/cpu_level.h"
#include "base/rgb_positions.h"
#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "direct/store_policy.h"
#include "numeric/deterministic_math.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {

void RgbToCmyRow(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const uint8_t red = s[at.r], green = s[1], blue = s[at.b];
    d[0] = static_cast<uint8_t>(255 - red);
    d[1] = static_cast<uint8_t>(255 - green);
    d[2] = static_cast<uint8_t>(255 - blue);
  }
}

void RgbToCmykRow(const uint8_t* s, uint8_t* d, int32_t width, const RgbToCmykFactors& k,
                  int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 4) {
    const int32_t c = 255 - s[at.r], m = 255 - s[1], y = 255 - s[at.b];
    const int32_t lo = std::min({c, m, y}), hi = std::max({c, m, y});
    // Undercolour removal, largest for greys and falling with chroma. The square
    // is the correctly rounded one, as the power function with exponent 2 gives.
    const double grey = (255 - (hi - lo)) / 255.0;
    const int32_t u = TruncToInt32(grey * grey * (lo / 255.0) * k.q * 255);
    d[0] = static_cast<uint8_t>(c - u);
    d[1] = static_cast<uint8_t>(m - u);
    d[2] = static_cast<uint8_t>(y - u);
    d[3] = static_cast<uint8_t>(TruncToInt32(lo * k.p));
  }
}

RgbToCmykFactors MakeRgbToCmykFactors(int32_t blackParam) {
  const double p = blackParam * 0.001;
  RgbToCmykFactors factors{p, Pow(p, 5.0)};
  // K = trunc(lo x P) takes 256 values; a line (lo m + c) >> 16 through all of them
  // exists for the black generations users choose (a multiplier near 65536 P, the
  // offset from the bounds every lo sets). Products stay below 2^26.
  if (!(p >= 0 && p < 2)) return factors;
  int32_t exact[256];
  for (int32_t lo = 0; lo < 256; ++lo) exact[lo] = TruncToInt32(lo * p);
  const auto nearest = static_cast<int32_t>(p * 65536);
  for (int32_t m = nearest - 2; m <= nearest + 2; ++m) {
    if (m < 0) continue;
    int64_t lowest = INT64_MIN, highest = INT64_MAX;  // c in [lowest, highest)
    for (int32_t lo = 0; lo < 256; ++lo) {
      lowest = std::max<int64_t>(lowest, int64_t{exact[lo]} * 65536 - int64_t{lo} * m);
      highest = std::min<int64_t>(highest, int64_t{exact[lo] + 1} * 65536 - int64_t{lo} * m);
    }
    if (lowest < highest && lowest >= 0) {
      factors.blackLinear = true;
      factors.blackMultiplier = m;
      factors.blackOffset = static_cast<int32_t>(lowest);
      break;
    }
  }
  return factors;
}

int16_t CmykBlackFactor(int32_t blackParam) {
  const double p = blackParam * 0.001;
  return static_cast<int16_t>(TruncToInt32(256 * Pow(p, 4.0)));
}

void CmyToRgbRow(const uint8_t* s, uint8_t* d, int32_t width, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const uint8_t c = s[0], m = s[1], y = s[2];
    d[at.r] = static_cast<uint8_t>(255 - c);
    d[1] = static_cast<uint8_t>(255 - m);
    d[at.b] = static_cast<uint8_t>(255 - y);
  }
}

void CmykToRgbRow(const uint8_t* s, uint8_t* d, int32_t width, int16_t f, int32_t rgbOrder) {
  const uint16_t* square = SquareTable();
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 4, d += 3) {
    const int32_t c = s[0], m = s[1], y = s[2], k = s[3];
    const int32_t lo = std::min({c, m, y}), hi = std::max({c, m, y});
    int32_t u = ((square[255 - (hi - lo)] * k) >> 8) * f;
    if (static_cast<uint32_t>(u) > static_cast<uint32_t>(255 - hi)) u = 255 - hi;
    d[at.r] = static_cast<uint8_t>(255 - u - c);
    d[1] = static_cast<uint8_t>(255 - u - m);
    d[at.b] = static_cast<uint8_t>(255 - u - y);
  }
}

int32_t RgbToCmy(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const CmyRow rowFn = SelectRow(kRgbToCmyRows);
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  const StreamingStoresScope streaming(static_cast<size_t>(PaddedStride(row, outAlign) * height));
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, rgbOrder); });
  return CLR_OK;
}

int32_t CmyToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const CmyRow rowFn = SelectRow(ActiveCpuLevel() == 0 ? kCmyToRgbRows : kCmyToRgbPackedRows);
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  const StreamingStoresScope streaming(static_cast<size_t>(PaddedStride(row, outAlign) * height));
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, rgbOrder); });
  return CLR_OK;
}

int32_t RgbToCmyk(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t blackParam, int32_t rgbOrder) {
  const RgbToCmykFactors factors = MakeRgbToCmykFactors(blackParam);
  const RgbToCmykRowFn rowFn = SelectRow(kRgbToCmykRows);
  const StreamingStoresScope streaming(
      static_cast<size_t>(PaddedStride(4 * ptrdiff_t{width}, outAlign) * height));
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), dst,
             PaddedStride(4 * ptrdiff_t{width}, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, factors, rgbOrder); });
  return CLR_OK;
}

int32_t CmykToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, int32_t blackParam, int32_t rgbOrder) {
  const int16_t f = CmykBlackFactor(blackParam);
  const CmykToRgbRowFn rowFn =
      SelectRow(ActiveCpuLevel() == 0 ? kCmykToRgbRows : kCmykToRgbPackedRows);
  const StreamingStoresScope streaming(
      static_cast<size_t>(PaddedStride(3 * ptrdiff_t{width}, outAlign) * height));
  ForEachRow(src, PaddedStride(4 * ptrdiff_t{width}, inAlign), dst,
             PaddedStride(3 * ptrdiff_t{width}, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { rowFn(s, d, width, f, rgbOrder); });
  return CLR_OK;
}

}  // namespace qclr
