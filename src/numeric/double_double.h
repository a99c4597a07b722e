// Double-double arithmetic: a value is the unevaluated sum hi + lo of two doubles
// with |lo| <= ulp(hi) / 2, about 106 significant bits.
//
// Everything is built from IEEE-754 additions and multiplications only (no fused
// multiply-add, whose software emulations are not guaranteed to be exact), so the
// results are the same on every platform that rounds doubles to nearest. The
// build forbids contraction of a * b + c into a fused operation, which would
// break the error-free transformations below.
#pragma once

#include <bit>
#include <cstdint>

namespace qclr::dd {

struct DD {
  double hi;
  double lo;
};

// s + e == a + b exactly (Knuth), for any finite a and b.
inline DD TwoSum(double a, double b) {
  const double s = a + b;
  const double bb = s - a;
  const double e = (a - (s - bb)) + (b - bb);
  return {s, e};
}

// s + e == a + b exactly, provided a == 0 or |a| >= |b| (Dekker).
inline DD FastTwoSum(double a, double b) {
  const double s = a + b;
  const double e = b - (s - a);
  return {s, e};
}

// Veltkamp's splitting: a == hi + lo with hi and lo of at most 26 significant
// bits each, so that products of halves are exact. Valid for |a| < 2^995.
inline void Split(double a, double& hi, double& lo) {
  const double c = 134217729.0 * a;  // 2^27 + 1
  hi = c - (c - a);
  lo = a - hi;
}

// p + e == a * b exactly (Dekker), when no operand or partial product leaves the
// normal range (|a|, |b| < 2^995 and |a * b| above 2^-969).
inline DD TwoProd(double a, double b) {
  double ah, al, bh, bl;
  Split(a, ah, al);
  Split(b, bh, bl);
  const double p = a * b;
  const double e = ((ah * bh - p) + ah * bl + al * bh) + al * bl;
  return {p, e};
}

// Double-double times double; relative error below 2^-104.
inline DD Mul(DD a, double b) {
  const DD p = TwoProd(a.hi, b);
  return FastTwoSum(p.hi, p.lo + a.lo * b);
}

// Double-double times double-double; relative error below 2^-103.
inline DD Mul(DD a, DD b) {
  const DD p = TwoProd(a.hi, b.hi);
  return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

// Double-double plus double-double, accurate even when the operands cancel:
// the error is below 2^-104 * (|a| + |b|).
inline DD Add(DD a, DD b) {
  const DD s = TwoSum(a.hi, b.hi);
  const DD t = TwoSum(a.lo, b.lo);
  const DD u = FastTwoSum(s.hi, s.lo + t.hi);
  return FastTwoSum(u.hi, u.lo + t.lo);
}

inline DD Add(DD a, double b) {
  const DD s = TwoSum(a.hi, b);
  return FastTwoSum(s.hi, s.lo + a.lo);
}

inline DD Neg(DD a) { return {-a.hi, -a.lo}; }

// Scales by a power of two; exact while the result stays normal.
inline DD Scale(DD a, double powerOfTwo) { return {a.hi * powerOfTwo, a.lo * powerOfTwo}; }

// 2^e as a double, for -1022 <= e <= 1023.
inline double PowerOfTwo(int e) {
  return std::bit_cast<double>(static_cast<uint64_t>(e + 1023) << 52);
}

}  // namespace qclr::dd
