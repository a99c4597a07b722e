// The cosine, correctly rounded for every finite argument. Below 2^20 pi/2 (about
// 1.6e6) the argument is reduced in double-double by a four-part pi/2 and evaluated
// around table points (relative error below 2^-67 plus the reduction's share);
// larger arguments, and results too close to a rounding boundary, take the
// multiple-precision path, which reduces with as many bits of 2/pi as it needs.
#include <bit>
#include <cstdint>

#include "numeric/deterministic_math.h"
#include "numeric/elementary_paths.h"
#include "numeric/math_tables.h"
#include "numeric/multi_precision_functions.h"
#include "numeric/rounding_test.h"

namespace qclr {

namespace detail {

bool CosApproximation(double x, dd::DD& value, double& error) {
  using dd::DD;
  const tables::CosTables& t = tables::Cos();
  const double ax = std::bit_cast<double>(std::bit_cast<uint64_t>(x) & ~(uint64_t{1} << 63));
  // x = k pi/2 + r, |r| <= pi/4 (a hair more where the rounded product picks k).
  constexpr double kTwoOverPi = 0x1.45f306dc9c883p-1;
  constexpr double kShifter = 0x1.8p52;
  if (!(ax < 0x1.8p20)) return false;  // also NaN and infinity
  const double kd = (ax * kTwoOverPi + kShifter) - kShifter;
  if (kd >= 0x1p20) return false;
  // ax - k halfPi[0] is exact (Sterbenz), k halfPi[1..2] are exact products.
  DD r = dd::TwoSum(ax - kd * t.halfPi[0], -kd * t.halfPi[1]);
  r = dd::Add(r, -kd * t.halfPi[2]);
  r = dd::FastTwoSum(r.hi, r.lo - kd * t.halfPi[3]);
  // The reduced argument's absolute error: the four parts miss pi/2 by 2^-153 and
  // k halfPi[3] rounds by 2^-133 at most, so below k 2^-132 + 2^-104 |r|.
  const int quadrant = static_cast<int>(kd) & 3;
  const bool rNegative = r.hi < 0;
  if (rNegative) r = dd::Neg(r);
  if (r.hi == 0) {  // only for x = 0
    value = {1.0, 0.0};
    error = 0;
    return true;
  }

  // r = a + d with a = j/128, |d| <= 2^-8. With cos d = 1 + cmHi + cmLo and
  // sin d = dh + sdl, the sine and cosine of a + d are both of the form
  //   P + Q dh + P cmHi + (P cmLo + Q sdl),
  // P = sin a, Q = cos a for the sine, and P = cos a, Q = -sin a for the cosine.
  const int j = static_cast<int>(r.hi * 128.0 + 0.5);
  const DD d = dd::FastTwoSum(r.hi - j * (1.0 / 128), r.lo);  // the difference is exact
  const double dh = d.hi;
  const double dl = d.lo;
  const DD z = dd::TwoProd(dh, dh);
  const double zh = z.hi;
  const double cmHi = -0.5 * zh;
  const double cmLo =
      -0.5 * z.lo + zh * zh * (1.0 / 24 + zh * (-1.0 / 720 + zh * (1.0 / 40320))) - dh * dl;
  const double sdl = dl + dh * zh * (-1.0 / 6 + zh * (1.0 / 120 + zh * (-1.0 / 5040))) -
                     0.5 * dl * zh;
  const bool wantSine = (quadrant & 1) != 0;
  const DD p = wantSine ? t.sinA[j] : t.cosA[j];
  const DD q = wantSine ? t.cosA[j] : dd::Neg(t.sinA[j]);
  DD sum = dd::Add(dd::Add(p, dd::Mul(q, dh)), dd::Mul(p, cmHi));
  sum = dd::FastTwoSum(sum.hi, sum.lo + (p.hi * cmLo + q.hi * sdl));
  // cos x = cos r, -sin r, -cos r, sin r by quadrant.
  const bool negate = wantSine ? ((quadrant == 1) != rNegative) : quadrant == 2;
  value = negate ? dd::Neg(sum) : sum;
  error = 0x1p-67 + 0x1p-102 + kd * 0x1p-130 / r.hi;
  return true;
}

double CosAccurate(double x) {
  return mp::RoundCorrectly([&](int limbs) { return mp::Cos(x, limbs); }, mp::kDouble);
}

}  // namespace detail

double Cos(double x) {
  const double ax = x < 0 ? -x : x;
  if (!(ax <= 0x1.fffffffffffffp1023)) return x - x;  // NaN for NaN and infinities
  // Below 2^-27, 1 - x^2/2 lies within 2^-55 of 1 and rounds to 1.
  if (ax < 0x1p-27) return 1.0;
  dd::DD v;
  double error;
  double rounded;
  if (detail::CosApproximation(x, v, error) && dd::RoundsToSameDouble(v, error, rounded)) {
    return rounded;
  }
  return detail::CosAccurate(x);
}

}  // namespace qclr
