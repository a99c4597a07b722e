#include "handle/fixed_lab_fast.h"

#include <algorithm>
#include <cstring>

#include "handle/fixed_point_lab.h"
#include "handle/lab_fixed_math.h"

namespace qclr {
namespace {

// The single-precision bits of v >> 8 shifted down by 16 are 0x3F80 for 1.
constexpr int32_t kFirstKey = 0x3F80;

// The smallest value of bucket k >= 1: the first integer u whose single-precision
// bits reach the bucket's, times 256 (at most 2^31).
int64_t BucketStart(int32_t k) {
  const uint32_t bits = static_cast<uint32_t>(k + kFirstKey - 1) << 16;
  float lowest;
  std::memcpy(&lowest, &bits, sizeof lowest);
  const auto u = static_cast<int64_t>(lowest);  // exact: below 2^24
  return (u < lowest ? u + 1 : u) * 256;
}

bool FitsInt32(int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; }

struct Range {
  int64_t low = INT64_MAX;
  int64_t high = INT64_MIN;
  void Add(int64_t v) { low = std::min(low, v), high = std::max(high, v); }
};

// The direct threshold index; false when the thresholds do not ascend or a bucket
// would hold two.
bool FillBuckets(const int32_t* thresholds, LabDecodeFast* f) {
  for (int32_t i = 0; i + 1 < 255; ++i) {
    if (thresholds[i] >= thresholds[i + 1]) return false;
  }
  int32_t below = 0;  // thresholds below the current bucket's start
  for (int32_t k = 0; k < kLabCodeBuckets; ++k) {
    const int64_t start = k == 0 ? INT64_MIN : BucketStart(k);
    while (below < 255 && thresholds[below] < start) ++below;
    const int64_t next = k + 1 < kLabCodeBuckets ? BucketStart(k + 1) : INT64_MAX;
    int32_t inside = 0;
    while (below + inside < 255 && thresholds[below + inside] < next) ++inside;
    if (inside > 1) return false;
    const int32_t split = inside != 0 ? thresholds[below] : INT32_MAX;
    f->bucket[k] = static_cast<int64_t>(static_cast<uint64_t>(below) << 32 | static_cast<uint32_t>(split));
  }
  return true;
}

}  // namespace

int32_t LabCodeBucket(int32_t v) {
  if (v < 256) return 0;
  const float u = static_cast<float>(v >> 8);
  uint32_t bits;
  std::memcpy(&bits, &u, sizeof bits);
  return static_cast<int32_t>(bits >> 16) - kFirstKey + 1;
}

int32_t EncodeByBuckets(int32_t v, const LabDecodeFast& t) {
  const int64_t entry = t.bucket[LabCodeBucket(v)];
  const auto split = static_cast<int32_t>(static_cast<uint32_t>(entry));
  return static_cast<int32_t>(entry >> 32) + (v >= split ? 1 : 0);
}

bool PrepareLabDecodeFast(const LabDecodeTable& t, LabDecodeFast* f) {
  f->record = &t;
  const LabDecodeScales scales = DecodeScalesOf(t);
  const int32_t* m = t.fixedMatrix;
  Range fy, rows[3];
  for (int32_t l = 0; l < 256; ++l) {
    LabDecodeFast::Lightness& e = f->byL[l];
    e.fy = DecodeLightness(l, scales);
    fy.Add(e.fy);
    const int32_t y = LabFInverse(e.fy);
    for (int32_t r = 0; r < 3; ++r) {
      const int64_t part = FixMulWide(m[3 * r + 1], y);
      if (!FitsInt32(part)) return false;
      e.row[r] = static_cast<int32_t>(part);
      rows[r].Add(part);
    }
  }
  // fx and fz never saturate, so fy + term in 32 bits is the definition's value.
  Range a, b;
  for (int32_t v = 0; v < 256; ++v) {
    a.Add(ChromaTerm(v, t.aOffset, scales.a));
    b.Add(ChromaTerm(v, t.bOffset, scales.b));
  }
  if (!FitsInt32(a.low) || !FitsInt32(a.high) || !FitsInt32(b.low) || !FitsInt32(b.high) ||
      !FitsInt32(fy.low + a.low) || !FitsInt32(fy.high + a.high) || !FitsInt32(fy.low - b.high) ||
      !FitsInt32(fy.high - b.low)) {
    return false;
  }
  f->aOffset = t.aOffset, f->aScale = scales.a, f->bOffset = t.bOffset, f->bScale = scales.b;
  // X and Z lie in 0..2^28 and each product is monotone in them, so its extremes
  // are at the ends; then FixMul (32 bits) is FixMulWide, and the row's sum never
  // saturates, nor reaches INT32_MAX.
  for (int32_t r = 0; r < 3; ++r) {
    f->columnX[r] = m[3 * r];
    f->columnZ[r] = m[3 * r + 2];
    const int64_t x1 = FixMulWide(m[3 * r], kFixedOne28), z1 = FixMulWide(m[3 * r + 2], kFixedOne28);
    if (!FitsInt32(x1) || !FitsInt32(z1)) return false;
    if (!FitsInt32(std::min<int64_t>(x1, 0) + rows[r].low + std::min<int64_t>(z1, 0)) ||
        !FitsInt32(std::max<int64_t>(x1, 0) + rows[r].high + std::max<int64_t>(z1, 0) + 1)) {
      return false;
    }
  }
  return FillBuckets(t.thresholds, f);
}

bool PrepareLabEncodeFast(const LabEncodeTable& t, LabEncodeFast* f) {
  f->record = &t;
  const auto& c = t.channelTables;
  for (int32_t component = 0; component < 3; ++component) {
    int64_t low = 0, high = 0;
    for (int32_t channel = 0; channel < 3; ++channel) {
      const int32_t* table = c[3 * component + channel];
      const auto [lo, hi] = std::minmax_element(table, table + 256);
      low += *lo, high += *hi;
    }
    if (!FitsInt32(low) || !FitsInt32(high)) return false;
    for (int32_t v = 0; v < 256; ++v) {
      f->byRed[v][component] = c[3 * component][v];
      f->byGreen[v][component] = c[3 * component + 1][v];
      f->byBlue[v][component] = c[3 * component + 2][v];
    }
  }
  for (int32_t v = 0; v < 256; ++v) f->byRed[v][3] = f->byGreen[v][3] = f->byBlue[v][3] = 0;
  for (int32_t j = 0; j < 4096; ++j) {
    const int32_t lo = t.cubeRoot[j], hi = j < 4095 ? t.cubeRoot[j + 1] : 65536;
    if (hi < lo || hi - lo > 0x7FFF) return false;  // the step is a signed 16-bit factor
    f->compand[j] = static_cast<uint32_t>(lo) | static_cast<uint32_t>(hi - lo) << 16;
  }
  // fy lies in 0..65536 and d1, d2 in -65536..65536, so each product is at most
  // its scale plus one; the sums of the three bytes then stay in 32 bits.
  const auto magnitude = [](int32_t v) { return v < 0 ? -int64_t{v} : int64_t{v}; };
  return FitsInt32(magnitude(t.lScaleFixed) + 1 + magnitude(t.lOffsetFixed) + 32768) &&
         FitsInt32(magnitude(t.aScaleFixed) + 1 + 32768) && FitsInt32(magnitude(t.bScaleFixed) + 1 + 32768) &&
         FitsInt32(32768 + magnitude(t.aOffset)) && FitsInt32(32768 + magnitude(t.bOffset));
}

void LabToRgbFastRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, const LabDecodeFast& t,
                             int32_t rgbOrder) {
  LabToRgbFixedRow(src, dst, width, *t.record, rgbOrder);
}

void RgbToLabFastRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, const LabEncodeFast& t,
                             int32_t rgbOrder) {
  RgbToLabFixedRow(src, dst, width, *t.record, rgbOrder);
}

}  // namespace qclr
