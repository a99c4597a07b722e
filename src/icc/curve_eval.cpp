#include "icc/curve_eval.h"

#include <algorithm>

#include "numeric/truncate.h"

namespace qclr {

uint16_t IccCurveEval(const uint16_t* entries, int32_t count, int32_t x) {
  if (count <= 0) return static_cast<uint16_t>(std::clamp(x, 0, 65535));
  if (x >= 65535 || count == 1) return entries[count - 1];
  if (x <= 0) return entries[0];
  const int32_t domain = count - 1;
  // x < 65535 keeps pos below domain, so k + 1 is always an entry.
  const double pos = x * (1.0 / 65535.0) * domain;
  const int32_t k = static_cast<int32_t>(pos);
  const double lo = entries[k], hi = entries[k + 1];
  // The interpolated value lies between two entries, so it is non-negative and the
  // truncation is the floor.
  return static_cast<uint16_t>(TruncToInt32(lo + (hi - lo) * (pos - k) + 0.5));
}

int32_t IccCurveEvalFixed(const uint16_t* entries, int32_t count, uint16_t x) {
  const int32_t domain = count - 1;
  // The 16.16 position needs 64 bits once a curve has more than 32768 entries.
  const auto pos = static_cast<int64_t>(domain * static_cast<double>(x) * 65536.0 *
                                            (1.0 / 65535.0) +
                                        0.5);
  const auto k = static_cast<int32_t>(pos >> 16);
  const auto f = static_cast<int32_t>(pos & 0xFFFF);
  if (k >= domain) return entries[domain];
  const int32_t step = entries[k + 1] - entries[k];
  return entries[k] + TruncToInt32(step * (f / 65536.0) + 0.5);
}

bool IccCurveIsLinear(const uint16_t* entries, int32_t count) {
  if (count <= 0) return true;
  if (count == 1) return false;
  for (int32_t i = 0; i < count; ++i) {
    const double ideal = static_cast<double>(i) / (count - 1) * 65535.0 + 0.5;
    if (entries[i] != TruncToInt32(ideal)) return false;
  }
  return true;
}

void IccResampleCurve(const uint16_t* entries, int32_t count, uint16_t* dst, int32_t dstCount) {
  if (dstCount == count) {
    std::copy(entries, entries + count, dst);
    return;
  }
  if (dstCount == 1) {
    dst[0] = IccCurveEval(entries, count, 0);
    return;
  }
  const int64_t span = dstCount - 1;
  for (int32_t j = 0; j < dstCount; ++j) {
    const auto x = static_cast<int32_t>((j * int64_t{65535} + span / 2) / span);
    dst[j] = IccCurveEval(entries, count, x);
  }
}

}  // namespace qclr
