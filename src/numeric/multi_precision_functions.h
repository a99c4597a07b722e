// Elementary functions in arbitrary precision (see multi_precision.h), by plain
// series with generous guard bits. They are slow (microseconds) and serve the rare
// inputs whose fast double-double result is too close to a rounding boundary, and
// the building of the fast paths' tables.
#pragma once

#include <cstdint>

#include "numeric/multi_precision.h"

namespace qclr::mp {

// The functions below work with at most kMaxWorkLimbs words, and their relative
// error stays below 2^(kLostBits - 32 * limbs). (The error analysis gives about
// 2^28 units in the last place for the worst, the power function.)
inline constexpr int kMaxWorkLimbs = kMaxLimbs - 2;
inline constexpr int kLostBits = 40;

// Constants with kMaxLimbs words, error below 2^12 units in the last place.
const Real& Pi();
const Real& Ln2();
const Real& TwoOverPi();

Real Log(double x, int limbs);                     // x > 0, finite
Real Exp(const Real& t, int limbs);                // |t| < 2^20
Real SinOfReduced(const Real& r, int limbs);       // |r| <= 1
Real CosOfReduced(const Real& r, int limbs);       // |r| <= 1
Real Cos(double x, int limbs);                     // x finite
Real Asin(double a, int limbs);                    // |a| <= 1/2
Real Acos(double x, int limbs);                    // |x| <= 1
Real Pow(double x, double y, int limbs);           // x > 0, |y log x| < 2^20

// A binary format to round into.
struct Format {
  int bits;
  int minExponent;
  int maxExponent;
};
inline constexpr Format kDouble{53, -1022, 1024};
inline constexpr Format kFloat{24, -126, 128};

// Rounds v(1 - 2^-b) and v(1 + 2^-b) into the format, where 2^-b bounds the relative
// error of a function value computed with `limbs` words. The rounding of the exact
// value is decided when the two agree.
void RoundingInterval(const Real& v, int limbs, Format format, double& low, double& high);

// Correct rounding of compute(limbs) (a function value with the error bound above)
// by Ziv's strategy: more precision until the rounding is decided. `exactCase(low,
// high, result)` is asked once when the first attempt is undecided; it settles
// results that lie exactly on a rounding boundary, which no precision decides.
template <typename Compute, typename ExactCase>
double RoundCorrectly(Compute compute, ExactCase exactCase, Format format) {
  bool askedExact = false;
  for (int limbs = 4;; limbs *= 2) {
    if (limbs > kMaxWorkLimbs) limbs = kMaxWorkLimbs;
    const Real v = compute(limbs);
    double low, high;
    RoundingInterval(v, limbs, format, low, high);
    if (low == high) return low;
    if (!askedExact) {
      askedExact = true;
      double result;
      if (exactCase(low, high, result)) return result;
    }
    // Unreachable in practice: the exact value would have to lie within 2^-2200
    // of a rounding boundary without being on it.
    if (limbs == kMaxWorkLimbs) return RoundToFormat(v, format.bits, format.minExponent,
                                                     format.maxExponent);
  }
}

template <typename Compute>
double RoundCorrectly(Compute compute, Format format) {
  return RoundCorrectly(compute, [](double, double, double&) { return false; }, format);
}

}  // namespace qclr::mp
