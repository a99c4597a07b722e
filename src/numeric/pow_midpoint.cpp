// Exact midpoint results of the power function. x^y can equal the midpoint of two
// adjacent doubles exactly (e.g. (1 + 2^-27)^2 = 1 + 2^-26 + 2^-54); no precision
// decides its rounding then, so such results are recognised in integer arithmetic.
//
// Write x = a 2^b and the midpoint M = m 2^q with a and m odd, and y = n / 2^K
// with n odd (K <= 0 for integers). For positive reals x^y = M holds exactly when
// x^n = M^(2^K), that is a^n = m^(2^K) and b n = q 2^K. As m < 2^54, this forces
// a = m = 1, or n > 0 with a = u^(2^K) and m = u^n for an odd u >= 3, so n <= 34
// and K <= 5.
#include <bit>
#include <cmath>
#include <cstdint>

#include "numeric/elementary_paths.h"

namespace qclr::detail {
namespace {

// An odd integer times a power of two.
struct Dyadic {
  int64_t odd;
  int64_t exponent;
};

// A finite nonzero double as odd * 2^exponent (sign kept in `odd`).
Dyadic Decompose(double v) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  int64_t mantissa = static_cast<int64_t>(bits & ((uint64_t{1} << 52) - 1));
  int64_t exponent = -1074;
  if (biased != 0) {
    mantissa |= int64_t{1} << 52;
    exponent = biased - 1075;
  }
  const int zeros = std::countr_zero(static_cast<uint64_t>(mantissa));
  const int64_t odd = mantissa >> zeros;
  return {(bits >> 63) != 0 ? -odd : odd, exponent + zeros};
}

// base^n for base >= 3, or 0 when it exceeds 2^54.
uint64_t SmallPower(uint64_t base, int64_t n) {
  uint64_t p = 1;
  for (int64_t i = 0; i < n; ++i) {
    if (p > (uint64_t{1} << 54) / base) return 0;
    p *= base;
  }
  return p;
}

// v = n * 2^-k exactly for 0 <= k < 62, with the quotient in `quotient`.
bool DividesByPowerOfTwo(int64_t v, int64_t k, int64_t& quotient) {
  if (k >= 62) return v == 0 && (quotient = 0, true);
  if (v % (int64_t{1} << k) != 0) return false;
  quotient = v / (int64_t{1} << k);
  return true;
}

}  // namespace

bool PowHitsMidpoint(double x, double y, double low, double high, double& result) {
  if (!(low >= 0) || std::bit_cast<uint64_t>(high) != std::bit_cast<uint64_t>(low) + 1) {
    return false;
  }
  // The midpoint of low = L 2^E (L its integer significand) and the next double is
  // (2L + 1) 2^(E - 1).
  const uint64_t lowBits = std::bit_cast<uint64_t>(low);
  const int lowBiased = static_cast<int>(lowBits >> 52);
  uint64_t lowSignificand = lowBits & ((uint64_t{1} << 52) - 1);
  int64_t lowExponent = -1074;
  if (lowBiased != 0) {
    lowSignificand |= uint64_t{1} << 52;
    lowExponent = lowBiased - 1075;
  }
  const uint64_t m = 2 * lowSignificand + 1;
  const int64_t q = lowExponent - 1;

  const Dyadic xs = Decompose(x);  // a = xs.odd, b = xs.exponent
  const Dyadic ys = Decompose(y);  // n = ys.odd, 2^-K = 2^ys.exponent
  const uint64_t a = static_cast<uint64_t>(xs.odd);
  bool exact;
  if (ys.exponent >= 0) {
    // Integer exponent N = n 2^k; |N| above 2^40 would put x^N far out of range.
    if (ys.exponent > 40 || (ys.odd < 0 ? -ys.odd : ys.odd) > (int64_t{1} << (40 - ys.exponent))) {
      return false;
    }
    const int64_t n = ys.odd * (int64_t{1} << ys.exponent);
    if (a == 1 || n < 0) {
      exact = a == 1 && m == 1 && xs.exponent * n == q;
    } else {
      exact = n <= 34 && SmallPower(a, n) == m && xs.exponent * n == q;
    }
  } else {
    const int64_t k = -ys.exponent;
    const int64_t n = ys.odd;
    // An exact power needs 2^k to divide b n, so |b| >= 2^k and |n| <= 1100 2^k / |b|.
    if ((n < 0 ? -n : n) > (int64_t{1} << 40)) return false;
    int64_t quotient;
    if (a == 1 || n < 0) {
      exact = a == 1 && m == 1 && DividesByPowerOfTwo(xs.exponent * n, k, quotient) &&
              quotient == q;
    } else {
      // a must be a (2^k)-th power: take k exact square roots (at most 5 succeed).
      uint64_t u = a;
      exact = true;
      for (int64_t i = 0; i < k && exact; ++i) {
        const uint64_t s = static_cast<uint64_t>(std::sqrt(static_cast<double>(u)));
        exact = s * s == u;
        u = s;
      }
      exact = exact && n <= 34 && SmallPower(u, n) == m &&
              DividesByPowerOfTwo(xs.exponent, k, quotient) && quotient * n == q;
    }
  }
  if (!exact) return false;
  result = (lowSignificand & 1) == 0 ? low : high;
  return true;
}

}  // namespace qclr::detail
