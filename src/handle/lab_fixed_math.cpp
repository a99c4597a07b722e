#include "handle/lab_fixed_math.h"

namespace qclr {

int32_t FixMul(int32_t a, int32_t b) {
  // Unsigned arithmetic wraps where the signed formula would overflow; the
  // conversion back to int32 is modular.
  const uint32_t ah = static_cast<uint32_t>(a >> 16), al = static_cast<uint32_t>(a) & 0xFFFFu;
  const uint32_t bh = static_cast<uint32_t>(b >> 16), bl = static_cast<uint32_t>(b) & 0xFFFFu;
  const uint32_t sum = ((al * bl + 32768u) >> 16) + al * bh + ah * bl + ((ah * bh) << 16);
  return static_cast<int32_t>(sum);
}

int32_t LabFInverse(int32_t t) {
  constexpr int32_t kKnee = 55536612;    // just below 6/29
  constexpr int64_t kOffset = 37025548;  // 16/116
  constexpr int32_t kSlope = 538650;     // 1/7.787 in 16.16, with the 6 bits shifted out
  int32_t r;
  if (t < kKnee) {
    r = FixMul(static_cast<int32_t>((t - kOffset) >> 6), kSlope);
  } else if (t >= kFixedOne28) {
    // The cube of 1.0 or more clamps to 1.0; cubing would overflow from 2.0 on.
    return kFixedOne28;
  } else {
    const int32_t u = (t + 128) >> 8;  // 4.20
    r = FixMul(FixMul(u, u), u);
  }
  if (r < 0) return 0;
  return r > kFixedOne28 ? kFixedOne28 : r;
}

int32_t EncodeByThresholds(int32_t v, const int32_t* thresholds) {
  int32_t e = 127;
  for (int32_t step = 64; step >= 1; step >>= 1) e += v < thresholds[e] ? -step : step;
  return v < thresholds[e] ? e : e + 1;
}

}  // namespace qclr
