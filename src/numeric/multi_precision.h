// Arbitrary-precision binary floating point, built on 32-bit integer words only, for
// the slow paths of the elementary functions and for building their tables. Integer
// arithmetic is exact everywhere, so every result here is the same on every platform.
//
// Every operation truncates its exact result toward zero to the precision of its
// first operand: the error is below one unit in the last place, 2^(1 - 32 * limbs)
// relative. Simple bounds of this kind are all the slow paths need; they work with
// generous guard bits.
#pragma once

#include <cstdint>

namespace qclr::mp {

inline constexpr int kMaxLimbs = 72;  // 2304 bits

// value = (-1)^negative * 0.m[0] m[1] ... m[limbs - 1] (base 2^32) * 2^exponent,
// normalised so that the top bit of m[0] is set; zero has m[0] == 0. Words beyond
// `limbs` are not part of the value.
struct Real {
  int limbs = 0;
  bool negative = false;
  int32_t exponent = 0;
  uint32_t m[kMaxLimbs] = {};
};

Real Zero(int limbs);
Real FromDouble(double v, int limbs);  // exact for limbs >= 2
Real FromInt(int64_t v, int limbs);    // exact for limbs >= 2
inline bool IsZero(const Real& a) { return a.m[0] == 0; }
inline Real Neg(Real a) {
  a.negative = !a.negative;
  return a;
}
inline Real Abs(Real a) {
  a.negative = false;
  return a;
}
// Multiplies by 2^e (exact).
inline Real Ldexp(Real a, int32_t e) {
  if (!IsZero(a)) a.exponent += e;
  return a;
}
// The same value with another precision (truncated or extended with zeros).
Real WithLimbs(const Real& a, int limbs);

// Compares |a| with |b|: negative, zero or positive.
int CompareMagnitude(const Real& a, const Real& b);

Real Add(const Real& a, const Real& b);
Real Sub(const Real& a, const Real& b);
Real Mul(const Real& a, const Real& b);
Real MulSmall(const Real& a, uint32_t k);
Real DivSmall(const Real& a, uint32_t k);  // k >= 1
Real Reciprocal(const Real& a);            // a != 0; a few units in the last place
Real InverseSqrt(const Real& a);           // a > 0; a few units in the last place
Real Sqrt(const Real& a);                  // a >= 0

// The nearest double of a truncated 53-bit prefix: for estimates only.
double ToDoubleApprox(const Real& a);

// Rounds to nearest, ties to even, into a binary format with `bits` significant bits,
// normal numbers from 2^minExponent up to below 2^maxExponent, subnormals below, and
// infinity from the overflow threshold up. The result is exact in a double.
double RoundToFormat(const Real& a, int bits, int minExponent, int maxExponent);
inline double RoundToDouble(const Real& a) { return RoundToFormat(a, 53, -1022, 1024); }
inline float RoundToFloat(const Real& a) {
  return static_cast<float>(RoundToFormat(a, 24, -126, 128));
}

// For a >= 0: the integer k nearest to a and f = a - k (|f| <= 1/2). Returns k mod 4.
int SplitNearestInteger(const Real& a, Real& fraction);

}  // namespace qclr::mp
