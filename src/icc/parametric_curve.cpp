#include "icc/parametric_curve.h"

#include "numeric/deterministic_math.h"
#include "numeric/truncate.h"

namespace qclr {

int32_t IccParametricParamCount(uint32_t function) {
  constexpr int32_t kCounts[] = {1, 3, 4, 5, 7};
  return function < 5 ? kCounts[function] : 0;
}

double IccParametricValue(uint32_t function, const double p[kMaxParametricParams], double x) {
  const double g = p[0], a = p[1], b = p[2], c = p[3], d = p[4], e = p[5], f = p[6];
  switch (function) {
    case 0: return Pow(x, g);
    case 1: return a * x + b >= 0 ? Pow(a * x + b, g) : 0.0;
    case 2: return a * x + b >= 0 ? Pow(a * x + b, g) + c : c;
    case 3: return x >= d ? Pow(a * x + b, g) : c * x;
    case 4: return x >= d ? Pow(a * x + b, g) + e : c * x + f;
    default: return 0.0;
  }
}

GammaCurve* IccSampleParametricCurve(uint32_t function, const double params[kMaxParametricParams],
                                     int32_t count) {
  if (IccParametricParamCount(function) == 0 || count < 2) return nullptr;
  GammaCurve* curve = AllocGammaCurve(count);
  if (curve == nullptr) return nullptr;
  for (int32_t i = 0; i < count; ++i) {
    double y = IccParametricValue(function, params, static_cast<double>(i) / (count - 1));
    if (!(y > 0.0)) y = 0.0;  // NaN too (a negative base under a fractional power)
    if (y > 1.0) y = 1.0;
    curve->entries[i] = static_cast<uint16_t>(TruncToInt32(y * 65535.0 + 0.5));
  }
  return curve;
}

}  // namespace qclr
