// The arc cosine, correctly rounded in double and in single precision.
//
// acos x = pi/2 - asin x for |x| <= 1/2, and 2 asin(sqrt((1 - |x|)/2)) (or pi minus
// it for negative x) above, so asin is only needed on [0, 1/2]. There it is the
// Taylor polynomial of degree 9 around the nearest a = j/256 (|d| <= 2^-9, the
// singularity at 1 is at least 1/2 away, so the truncation is below 2^-80). The
// relative error stays below 2^-67; results too close to a rounding boundary take
// the multiple-precision path.
#include <cmath>
#include <limits>

#include "numeric/deterministic_math.h"
#include "numeric/elementary_paths.h"
#include "numeric/math_tables.h"
#include "numeric/multi_precision_functions.h"
#include "numeric/rounding_test.h"

namespace qclr {
namespace {

using dd::DD;

constexpr double kAcosError = 0x1p-67;

// asin z for z = z.hi + z.lo in [0, 1/2].
DD AsinNearTable(DD z) {
  const tables::AcosTables& t = tables::Acos();
  const int j = static_cast<int>(z.hi * 256.0 + 0.5);
  const DD d = dd::FastTwoSum(z.hi - j * (1.0 / 256), z.lo);  // the difference is exact
  const tables::AsinEntry& e = t.asin[j];
  double h = e.f[7];
  for (int k = 6; k >= 0; --k) h = e.f[k] + d.hi * h;
  const DD linear = dd::Add(e.f0, dd::Mul(e.f1, d));
  return dd::Add(linear, d.hi * d.hi * h);
}

}  // namespace

namespace detail {

void AcosApproximation(double x, DD& value, double& error) {
  const tables::AcosTables& t = tables::Acos();
  const double ax = x < 0 ? -x : x;
  error = kAcosError;
  if (ax <= 0.5) {
    const DD a = AsinNearTable({ax, 0.0});
    value = dd::Add(t.halfPi, x < 0 ? a : dd::Neg(a));
    return;
  }
  // z = sqrt(u), u = (1 - |x|)/2 exact, in double-double: s + (u - s^2) / (2s).
  const double u = (1.0 - ax) * 0.5;
  DD z{0.0, 0.0};
  if (u > 0) {
    const double s = std::sqrt(u);
    const DD square = dd::TwoProd(s, s);
    z = dd::FastTwoSum(s, ((u - square.hi) - square.lo) / (2.0 * s));
  }
  const DD twice = dd::Scale(AsinNearTable(z), 2.0);
  value = x > 0 ? twice : dd::Add(t.pi, dd::Neg(twice));
}

double AcosAccurate(double x) {
  return mp::RoundCorrectly([&](int limbs) { return mp::Acos(x, limbs); }, mp::kDouble);
}

float AcosfAccurate(float x) {
  const double xd = x;
  return static_cast<float>(
      mp::RoundCorrectly([&](int limbs) { return mp::Acos(xd, limbs); }, mp::kFloat));
}

}  // namespace detail

double Acos(double x) {
  if (x != x) return x + x;
  if (!(x >= -1.0 && x <= 1.0)) return std::numeric_limits<double>::quiet_NaN();
  DD v;
  double error;
  detail::AcosApproximation(x, v, error);
  double rounded;
  if (dd::RoundsToSameDouble(v, error, rounded)) return rounded;
  return detail::AcosAccurate(x);
}

// The double-double result is rounded to float directly: going through a rounded
// double first could round twice.
float Acosf(float x) {
  if (x != x) return x + x;
  if (!(x >= -1.0f && x <= 1.0f)) return std::numeric_limits<float>::quiet_NaN();
  DD v;
  double error;
  detail::AcosApproximation(x, v, error);
  float rounded;
  if (dd::RoundsToSameFloat(v, error, rounded)) return rounded;
  return detail::AcosfAccurate(x);
}

}  // namespace qclr
