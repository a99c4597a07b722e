// Shared helpers of the numeric tests: reproducible random inputs and, where the compiler
// has it, quad-precision references, which round to the correctly rounded double or float.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>

#include "numeric/multi_precision_functions.h"

#if QCLR_HAVE_QUADMATH
#include <quadmath.h>
#endif

namespace qclr::test {

// SplitMix64: the same sequence on every platform.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15u);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1) with 53 random bits.
  double Unit() { return static_cast<double>(static_cast<int64_t>(Next() >> 11)) * 0x1p-53; }
  double Between(double low, double high) { return low + (high - low) * Unit(); }
  int Int(int low, int high) {  // inclusive
    return low + static_cast<int>(Next() % static_cast<uint64_t>(high - low + 1));
  }

 private:
  uint64_t state_;
};

inline uint64_t Bits(double v) { return std::bit_cast<uint64_t>(v); }

// The same bits, or both NaN.
inline bool Same(double a, double b) { return Bits(a) == Bits(b) || (std::isnan(a) && std::isnan(b)); }

// |(hi + lo) 2^scale - exact| / |exact| / bound: below 1 when a fast path keeps its bound.
inline double BoundRatio(double hi, double lo, int scale, const mp::Real& exact, double bound) {
  constexpr int kLimbs = 6;
  const mp::Real approx =
      mp::Ldexp(mp::Add(mp::FromDouble(hi, kLimbs), mp::FromDouble(lo, kLimbs)), scale);
  const double diff = mp::ToDoubleApprox(mp::Sub(mp::WithLimbs(exact, kLimbs), approx));
  return std::fabs(diff / mp::ToDoubleApprox(exact)) / bound;
}

#if QCLR_HAVE_QUADMATH
inline double QuadPow(double x, double y) { return static_cast<double>(powq(x, y)); }
inline double QuadCos(double x) { return static_cast<double>(cosq(x)); }
inline double QuadAcos(double x) { return static_cast<double>(acosq(x)); }
inline float QuadAcosf(float x) { return static_cast<float>(acosq(x)); }
#endif

}  // namespace qclr::test
