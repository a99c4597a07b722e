#include "handle/fixed_point_lab.h"

#include <algorithm>

#include "base/owned.h"
#include "base/rgb_positions.h"
#include "base/row_layout.h"
#include "handle/fixed_lab_fast.h"
#include "handle/lab_fixed_math.h"
#include "numeric/saturate.h"
#include "qclr/qclr.h"

// Products and sums are formed in 64 bits and clamped where a 32-bit value is
// needed: the results are those of 32-bit fixed-point arithmetic whenever it does
// not overflow, and encodings with extreme offsets or ranges still give sound bytes
// (saturated rather than wrapped).

namespace qclr {
namespace {

constexpr int32_t kOne16 = 65536;

uint8_t ClampByte(int64_t v) { return static_cast<uint8_t>(std::clamp<int64_t>(v, 0, 255)); }

int32_t LinearRow(const int32_t* m, int32_t x, int32_t y, int32_t z) {
  return SaturateToInt32(FixMulWide(m[0], x) + FixMulWide(m[1], y) + FixMulWide(m[2], z));
}

// Below this many pixels the fast rows' tables cost more than they save.
constexpr int64_t kFastRowsFromPixels = 4096;

}  // namespace

LabDecodeScales DecodeScalesOf(const LabDecodeTable& t) {
  return {TruncSaturated(t.lScale), TruncSaturated(t.aScale), TruncSaturated(t.bScale), t.lOffsetFixed};
}

int32_t CompandFixed(int64_t v, const uint16_t* cubeRoot) {
  if (v >= kOne16) return kOne16;
  const int32_t w = v < 0 ? 0 : static_cast<int32_t>(v);
  const int32_t j = w >> 4;
  const int32_t lo = cubeRoot[j], hi = j < 4095 ? cubeRoot[j + 1] : kOne16;
  return lo + (((hi - lo) * (w & 15) + 8) >> 4);
}

int64_t ChromaLimitFactor(int32_t d, int32_t lower, int32_t upper) {
  if (d >= lower && d <= upper) return kOne16;
  const int64_t limit = d < lower ? lower : upper;
  const bool reachable = d > 0 ? limit >= 0 && limit < d : limit <= 0 && limit > d;
  if (!reachable) return kOne16;
  const int32_t quarter = d >> 2;
  const int64_t k = quarter != 0 ? limit * 16384 / quarter : limit * kOne16 / d;
  return std::min<int64_t>(k, kOne16);
}

void LimitChroma(const LabEncodeTable& t, int32_t& d1, int32_t& d2) {
  const int64_t k1 = ChromaLimitFactor(d1, t.aMin, t.aMax);
  const int64_t k2 = ChromaLimitFactor(d2, t.bMin, t.bMax);
  if (k1 == kOne16 && k2 == kOne16) return;
  // k1, k2 lie in 0..65536, so both factors do too and the products fit.
  const int64_t sA = std::max<int64_t>(0, std::min(k1, 2 * k2 - kOne16));
  const int64_t sB = std::min(k2, (k1 + kOne16) >> 1);
  d1 = FixMul(d1, static_cast<int32_t>(sA));
  d2 = FixMul(d2, static_cast<int32_t>(sB));
}

void LabToRgbFixedRow(const uint8_t* s, uint8_t* d, int32_t width, const LabDecodeTable& t,
                      int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const LabDecodeScales scales = DecodeScalesOf(t);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const int32_t fy = DecodeLightness(s[0], scales);
    const int32_t fx = SaturateToInt32(fy + ChromaTerm(s[1], t.aOffset, scales.a));
    const int32_t fz = SaturateToInt32(fy - ChromaTerm(s[2], t.bOffset, scales.b));
    const int32_t X = LabFInverse(fx), Y = LabFInverse(fy), Z = LabFInverse(fz);
    const int32_t* m = t.fixedMatrix;
    d[at.r] = static_cast<uint8_t>(EncodeByThresholds(LinearRow(m, X, Y, Z), t.thresholds));
    d[1] = static_cast<uint8_t>(EncodeByThresholds(LinearRow(m + 3, X, Y, Z), t.thresholds));
    d[at.b] = static_cast<uint8_t>(EncodeByThresholds(LinearRow(m + 6, X, Y, Z), t.thresholds));
  }
}

void RgbToLabFixedRow(const uint8_t* s, uint8_t* d, int32_t width, const LabEncodeTable& t,
                      int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const auto& c = t.channelTables;
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const uint8_t red = s[at.r], green = s[1], blue = s[at.b];
    const int32_t fx = CompandFixed(int64_t{c[0][red]} + c[1][green] + c[2][blue], t.cubeRoot);
    const int32_t fy = CompandFixed(int64_t{c[3][red]} + c[4][green] + c[5][blue], t.cubeRoot);
    const int32_t fz = CompandFixed(int64_t{c[6][red]} + c[7][green] + c[8][blue], t.cubeRoot);
    int32_t d1 = fx - fy, d2 = fy - fz;
    LimitChroma(t, d1, d2);
    // fy, d1 and d2 lie within +-65536, so these products fit 32 bits.
    d[0] = ClampByte((int64_t{FixMul(fy, t.lScaleFixed)} + t.lOffsetFixed + 32768) >> 16);
    d[1] = ClampByte(((int64_t{FixMul(d1, t.aScaleFixed)} + 32768) >> 16) + t.aOffset);
    d[2] = ClampByte(((int64_t{FixMul(d2, t.bScaleFixed)} + 32768) >> 16) + t.bOffset);
  }
}

int32_t LabToRgbFixed(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                      int32_t inAlign, int32_t outAlign, const LabDecodeTable& table,
                      int32_t rgbOrder) {
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  if (int64_t{width} * height >= kFastRowsFromPixels) {
    const MemPtr<LabDecodeFast> fast = CallocOwned<LabDecodeFast>();
    if (fast != nullptr && PrepareLabDecodeFast(table, fast.get())) {
      const LabDecodeRow convert = SelectRow(kLabDecodeRows);
      ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
                 [&](const uint8_t* s, uint8_t* d) { convert(s, d, width, *fast, rgbOrder); });
      return CLR_OK;
    }
  }
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { LabToRgbFixedRow(s, d, width, table, rgbOrder); });
  return CLR_OK;
}

int32_t RgbToLabFixed(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                      int32_t inAlign, int32_t outAlign, const LabEncodeTable& table,
                      int32_t rgbOrder) {
  const ptrdiff_t row = 3 * ptrdiff_t{width};
  if (int64_t{width} * height >= kFastRowsFromPixels) {
    const MemPtr<LabEncodeFast> fast = CallocOwned<LabEncodeFast>();
    if (fast != nullptr && PrepareLabEncodeFast(table, fast.get())) {
      const LabEncodeRow convert = SelectRow(kLabEncodeRows);
      ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
                 [&](const uint8_t* s, uint8_t* d) { convert(s, d, width, *fast, rgbOrder); });
      return CLR_OK;
    }
  }
  ForEachRow(src, PaddedStride(row, inAlign), dst, PaddedStride(row, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { RgbToLabFixedRow(s, d, width, table, rgbOrder); });
  return CLR_OK;
}

}  // namespace qclr
