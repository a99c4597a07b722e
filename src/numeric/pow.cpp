// The power function, correctly rounded: x^y = exp(y log x) in double-double
// (relative error below 2^-76 (1 + |y log x|)), then multiple precision for the
// rare results too close to a rounding boundary and for subnormal results.
#include <bit>
#include <cstdint>
#include <limits>

#include "numeric/deterministic_math.h"
#include "numeric/elementary_paths.h"
#include "numeric/math_tables.h"
#include "numeric/multi_precision_functions.h"
#include "numeric/rounding_test.h"

namespace qclr {
namespace {

using dd::DD;

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr double kShifter = 0x1.8p52;  // (v + kShifter) - kShifter rounds v to an integer

// log x for finite x > 0, relative error below 2^-78.
//
// x = 2^e m, m in [1, 2); with the table's c (8 bits), r = m c - 1 is exact and
// |r| < 2^-7, and log x = e log 2 - log c + log1p(r). Near x = 1 only log1p(r)
// remains (c = 1 or 1/2), so the relative accuracy holds there too. log1p(r) is
// its series to r^11 (truncation below 2^-80 relative), with r^2/2 and the r^3
// term in double-double.
DD Log(const tables::PowTables& t, double x) {
  int e = 0;
  if (x < 0x1p-1022) {  // subnormal: scale into the normal range
    x *= 0x1p54;
    e = -54;
  }
  const uint64_t bits = std::bit_cast<uint64_t>(x);
  e += static_cast<int>(bits >> 52) - 1023;
  const uint64_t fraction = bits & ((uint64_t{1} << 52) - 1);
  const int i = static_cast<int>(fraction >> 45);
  if (i >= tables::PowTables::kUpperHalf) ++e;
  const tables::LogEntry& entry = t.log[i];
  const double m = std::bit_cast<double>((uint64_t{1023} << 52) | fraction);
  // m c with m cut into its top 45 bits and the rest: both products are exact.
  const double mHi = std::bit_cast<double>(std::bit_cast<uint64_t>(m) & ~uint64_t{0xFF});
  const double mLo = m - mHi;
  const double r = (mHi * entry.c - 1.0) + mLo * entry.c;

  const DD r2 = dd::TwoProd(r, r);
  // u = 1/3 - r/4 + r^2 (1/5 - r/6 + ... + r^6/11), so that log1p r = r - r^2/2 + r^3 u.
  const double tail =
      0.2 + r * (-1.0 / 6 + r * (1.0 / 7 + r * (-0.125 + r * (1.0 / 9 + r * (-0.1 + r / 11)))));
  constexpr double kThirdHi = 0x1.5555555555555p-2;
  constexpr double kThirdLo = 0x1.5555555555555p-56;
  DD u = dd::TwoSum(kThirdHi, -0.25 * r);
  u = dd::FastTwoSum(u.hi, u.lo + (kThirdLo + r2.hi * tail));
  const DD cubic = dd::Mul(dd::Mul(r2, r), u);
  // |r| > r^2/2 > |r^3 u|: the sums of the leading parts are ordered.
  const DD quadratic = dd::FastTwoSum(r, -0.5 * r2.hi);
  DD log1p = dd::FastTwoSum(quadratic.hi, cubic.hi);
  log1p.lo += quadratic.lo + (cubic.lo - 0.5 * r2.lo);

  const double ed = e;
  DD head = dd::TwoSum(ed * t.ln2Hi, entry.minusLogC.hi);  // e * ln2Hi is exact
  head.lo += entry.minusLogC.lo + ed * t.ln2Lo;
  // The two may partly cancel (by 2^7 at most: |log x| >= 2^-8 when head != 0).
  const DD sum = dd::TwoSum(head.hi, log1p.hi);
  return dd::FastTwoSum(sum.hi, sum.lo + (head.lo + log1p.lo));
}

// exp t = 2^scale (result.hi + result.lo) for -746 < t.hi < 710, relative error below
// 2^-78.5 plus the absolute error of t.
//
// t = k ln2/4096 + r with |r| <= 2^-13.5; 2^(k/4096) comes from two 64-entry tables
// and exp r from its series to r^5 (truncation below 2^-90).
DD Exp(const tables::PowTables& tab, DD t, int& scale) {
  constexpr double kStepsPerUnit = 0x1.71547652b82fep12;  // 4096 / ln 2
  const double kd = (t.hi * kStepsPerUnit + kShifter) - kShifter;
  const int32_t k = static_cast<int32_t>(kd);
  // k step1 and k step2 are exact products; t.hi - k step1 is exact as well, since
  // both are multiples of ulp(t.hi) or 2^-42 and their difference is below 2^-13.
  const double a = t.hi - kd * tab.step1;
  DD r = dd::TwoSum(a, -kd * tab.step2);
  r = dd::FastTwoSum(r.hi, r.lo + (t.lo - kd * tab.step3));
  const double rh = r.hi;
  const double series =
      rh * rh * (0.5 + rh * (1.0 / 6 + rh * (1.0 / 24 + rh * (1.0 / 120)))) + rh * r.lo;
  DD e = dd::FastTwoSum(1.0, rh);
  e = dd::FastTwoSum(e.hi, e.lo + (r.lo + series));
  scale = k >> 12;
  return dd::Mul(dd::Mul(tab.exp2Coarse[(k >> 6) & 63], tab.exp2Fine[k & 63]), e);
}

// 0 for a non-integer, 1 for an odd integer, 2 for an even integer (finite y != 0).
int IntegerKind(double y) {
  const uint64_t bits = std::bit_cast<uint64_t>(y) & ~(uint64_t{1} << 63);
  const int biased = static_cast<int>(bits >> 52);
  if (biased >= 1076) return 2;  // |y| >= 2^53
  if (biased < 1023) return 0;   // |y| < 1
  const int fractionBits = 1075 - biased;
  const uint64_t mantissa = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  if ((mantissa & ((uint64_t{1} << fractionBits) - 1)) != 0) return 0;
  return ((mantissa >> fractionBits) & 1) != 0 ? 1 : 2;
}

// x^y ~ 2^scale (value.hi + value.lo) within relative error `error`, for finite
// x > 0, x != 1 and 2^-70 <= |y| <= 2^64. False, with t = y log x, when the result
// is subnormal, overflows or vanishes.
bool Approximate(double x, double y, DD& t, DD& value, int& scale, double& error) {
  const tables::PowTables& tab = tables::Pow();
  t = dd::Mul(Log(tab, x), y);
  // Results below 2^-1021.4 may be subnormal: they go to the slow path, which
  // rounds them at their own precision.
  if (!(t.hi >= -708.0 && t.hi <= 709.79)) return false;
  value = Exp(tab, t, scale);
  const double at = t.hi < 0 ? -t.hi : t.hi;
  error = 0x1p-76 * (1.0 + at);
  return true;
}

// x^y for finite x > 0, x != 1 and 2^-70 <= |y| <= 2^64.
double PowOrdinary(double x, double y) {
  DD t, v;
  int scale;
  double error;
  if (Approximate(x, y, t, v, scale, error)) {
    double rounded;
    if (dd::RoundsToSameDouble(v, error, rounded)) {
      // Exact scaling; beyond the largest double it gives the correctly rounded infinity.
      if (scale > 1023) return rounded * dd::PowerOfTwo(scale - 1) * 2.0;
      return rounded * dd::PowerOfTwo(scale);
    }
  } else {
    if (t.hi > 709.79) return kInfinity;  // above log(2^1024 (1 - 2^-54)) = 709.7827...
    if (t.hi < -745.2) return 0.0;        // below log(2^-1075) = -745.1332...
  }
  return detail::PowAccurate(x, y);
}

// x^y for finite x > 0, x != 1, finite y != 0.
double PowPositive(double x, double y) {
  const double ay = y < 0 ? -y : y;
  // |y log x| < 2^-60: the result rounds to 1.
  if (ay < 0x1p-70) return 1.0;
  // |log x| >= 2^-53 for x != 1, so |y log x| > 2^11: overflow or nothing.
  if (ay > 0x1p64) return (x > 1) == (y > 0) ? kInfinity : 0.0;
  return PowOrdinary(x, y);
}

}  // namespace

namespace detail {

bool PowApproximation(double x, double y, DD& value, int& scale, double& error) {
  const double ay = y < 0 ? -y : y;
  if (ay < 0x1p-70 || ay > 0x1p64 || x == 1.0) return false;
  DD t;
  return Approximate(x, y, t, value, scale, error);
}

double PowAccurate(double x, double y) {
  return mp::RoundCorrectly([&](int limbs) { return mp::Pow(x, y, limbs); },
                            [&](double low, double high, double& result) {
                              return PowHitsMidpoint(x, y, low, high, result);
                            },
                            mp::kDouble);
}

}  // namespace detail

double Pow(double x, double y) {
  // The common case in one test: x positive and normal, 2^-70 <= |y| <= 2^64.
  const uint64_t xBits = std::bit_cast<uint64_t>(x);
  const uint64_t ayBits = std::bit_cast<uint64_t>(y) & ~(uint64_t{1} << 63);
  constexpr uint64_t kMinNormal = uint64_t{1} << 52;
  constexpr uint64_t kInfinityBits = uint64_t{0x7FF} << 52;
  constexpr uint64_t kSmallY = uint64_t{1023 - 70} << 52;
  constexpr uint64_t kLargeY = uint64_t{1023 + 64} << 52;
  if (xBits - kMinNormal < kInfinityBits - kMinNormal && ayBits - kSmallY <= kLargeY - kSmallY &&
      x != 1.0) {
    return PowOrdinary(x, y);
  }
  if (y == 0 || x == 1.0) return 1.0;
  if (x != x || y != y) return x + y;  // NaN
  const bool xNegative = std::bit_cast<uint64_t>(x) >> 63 != 0;
  const double ax = xNegative ? -x : x;
  const double ay = y < 0 ? -y : y;
  if (ay == kInfinity) {
    if (ax == 1.0) return 1.0;  // x = -1
    return (ax > 1.0) == (y > 0) ? kInfinity : 0.0;
  }
  const int kind = IntegerKind(y);
  const bool negate = xNegative && kind == 1;
  if (ax == 0 || ax == kInfinity) {
    const bool large = (ax == 0) == (y < 0);
    const double magnitude = large ? kInfinity : 0.0;
    return negate ? -magnitude : magnitude;
  }
  if (xNegative && kind == 0) return std::numeric_limits<double>::quiet_NaN();
  const double result = ax == 1.0 ? 1.0 : PowPositive(ax, y);  // x = -1 with integer y
  return negate ? -result : result;
}

}  // namespace qclr
