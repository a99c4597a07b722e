#include "icc/curve_inversion.h"

#include "icc/curve_eval.h"

namespace qclr {
namespace {

// Binary search over the inputs 0..65535 of a curve that is assumed to be
// monotonic. The bounds are kept one above the probed input (1..65536) and the
// last midpoint is the answer, which stays below 65536.
uint16_t SearchCurveInput(const GammaCurve& curve, int32_t target) {
  int32_t l = 1, r = 65536, m = 1;
  while (r > l) {
    m = (l + r) / 2;
    const int32_t y = IccCurveEval(curve.entries, curve.count, m - 1);
    if (y == target) break;
    if (y > target) {
      r = m - 1;
    } else {
      l = m + 1;
    }
  }
  return static_cast<uint16_t>(m);
}

}  // namespace

GammaCurve* IccReverseCurve(int32_t n, const GammaCurve* curve) {
  if (n < 2 || curve == nullptr) return nullptr;
  GammaCurve* reversed = AllocGammaCurve(n);
  if (reversed == nullptr) return nullptr;
  for (int32_t i = 0; i < n; ++i) {
    const auto target = static_cast<int32_t>(i * int64_t{65535} / (n - 1));
    reversed->entries[i] = SearchCurveInput(*curve, target);
  }
  return reversed;
}

GammaCurve* IccJoinCurves(const GammaCurve* inCurve, const GammaCurve* outCurve) {
  if (inCurve == nullptr || outCurve == nullptr) return nullptr;
  GammaCurve* joined = AllocGammaCurve(256);
  if (joined == nullptr) return nullptr;
  for (int32_t i = 0; i < 256; ++i) {
    const int32_t target = IccCurveEval(inCurve->entries, inCurve->count, i * 257);
    joined->entries[i] = SearchCurveInput(*outCurve, target);
  }
  return joined;
}

}  // namespace qclr
