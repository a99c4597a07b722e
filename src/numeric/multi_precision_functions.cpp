#include "numeric/multi_precision_functions.h"

#include <bit>

namespace qclr::mp {
namespace {

// True when `term` no longer changes a sum of magnitude |sum| at `limbs` words.
bool Negligible(const Real& term, const Real& sum, int limbs) {
  return IsZero(term) || (!IsZero(sum) && term.exponent < sum.exponent - 32 * limbs - 2);
}

// atan(1/m) = sum (-1)^j / ((2j + 1) m^(2j+1)), or atanh(1/m) without the signs.
Real ArcTangentOfInverse(uint32_t m, bool hyperbolic, int limbs) {
  Real power = DivSmall(FromInt(1, limbs), m);
  Real sum = power;
  for (uint32_t j = 1;; ++j) {
    power = DivSmall(power, m * m);
    const Real term = DivSmall(power, 2 * j + 1);
    if (Negligible(term, sum, limbs)) break;
    sum = (hyperbolic || j % 2 == 0) ? Add(sum, term) : Sub(sum, term);
  }
  return sum;
}

struct Constants {
  Real pi;
  Real ln2;
  Real twoOverPi;
};

Constants ComputeConstants() {
  Constants c;
  // Machin: pi = 16 atan(1/5) - 4 atan(1/239).
  c.pi = Sub(MulSmall(ArcTangentOfInverse(5, false, kMaxLimbs), 16),
             MulSmall(ArcTangentOfInverse(239, false, kMaxLimbs), 4));
  // ln 2 = 2 atanh(1/3).
  c.ln2 = Ldexp(ArcTangentOfInverse(3, true, kMaxLimbs), 1);
  c.twoOverPi = Ldexp(Reciprocal(c.pi), 1);
  return c;
}

const Constants& GetConstants() {
  static const Constants constants = ComputeConstants();
  return constants;
}

// Sum of the series of asin(s) = s * sum_j c_j u^j with u = s^2, |u| <= 1/4;
// c_(j+1) / c_j = (2j + 1)^2 / ((2j + 2)(2j + 3)).
Real AsinSeries(const Real& s, const Real& u, int limbs) {
  Real term = s;
  Real sum = s;
  for (uint32_t j = 0;; ++j) {
    term = DivSmall(MulSmall(Mul(term, u), (2 * j + 1) * (2 * j + 1)), (2 * j + 2) * (2 * j + 3));
    if (Negligible(term, sum, limbs)) break;
    sum = Add(sum, term);
  }
  return sum;
}

// Binary exponent E of a finite nonzero double: |x| in [2^(E-1), 2^E).
int BinaryExponent(double x) {
  const uint64_t bits = std::bit_cast<uint64_t>(x) & ~(uint64_t{1} << 63);
  const int biased = static_cast<int>(bits >> 52);
  if (biased != 0) return biased - 1022;
  return -1074 + 64 - std::countl_zero(bits);
}

}  // namespace

const Real& Pi() { return GetConstants().pi; }
const Real& Ln2() { return GetConstants().ln2; }
const Real& TwoOverPi() { return GetConstants().twoOverPi; }

Real Log(double x, int limbs) {
  // x = m * 2^e with m in [sqrt(1/2), sqrt(2)); log x = e log 2 + 2 atanh(z),
  // z = (m - 1) / (m + 1), |z| <= 0.172.
  int e = BinaryExponent(x);
  double m = x;
  // Scale by 2^-e exactly (in two steps for subnormal or huge x).
  for (int rest = -e; rest != 0;) {
    const int step = rest > 1000 ? 1000 : (rest < -1000 ? -1000 : rest);
    m *= std::bit_cast<double>(static_cast<uint64_t>(step + 1023) << 52);
    rest -= step;
  }
  m *= 2.0;  // now in [1, 2)
  e -= 1;
  if (m > 1.4142135623730951) {
    m *= 0.5;
    e += 1;
  }
  const Real one = FromInt(1, limbs);
  const Real mReal = FromDouble(m, limbs);
  const Real z = Mul(Sub(mReal, one), Reciprocal(Add(mReal, one)));
  const Real z2 = Mul(z, z);
  Real power = z;
  Real sum = z;
  for (uint32_t j = 1;; ++j) {
    power = Mul(power, z2);
    const Real term = DivSmall(power, 2 * j + 1);
    if (Negligible(term, sum, limbs)) break;
    sum = Add(sum, term);
  }
  Real result = Ldexp(sum, 1);
  if (e != 0) {
    Real scaled = MulSmall(WithLimbs(Ln2(), limbs), static_cast<uint32_t>(e < 0 ? -e : e));
    if (e < 0) scaled = Neg(scaled);
    result = Add(scaled, result);
  }
  return result;
}

Real Exp(const Real& t, int limbs) {
  // exp(t) = 2^k exp(r)^(2^12), r = (t - k log 2) / 2^12.
  const Real one = FromInt(1, limbs);
  if (IsZero(t)) return one;
  const double estimate = ToDoubleApprox(t) * 1.4426950408889634;
  const double shifter = 0x1.8p52;
  const int32_t k = static_cast<int32_t>((estimate + shifter) - shifter);
  Real reduced = MulSmall(WithLimbs(Ln2(), limbs), static_cast<uint32_t>(k < 0 ? -k : k));
  if (k < 0) reduced = Neg(reduced);
  constexpr int kSquarings = 12;
  const Real r = Ldexp(Sub(WithLimbs(t, limbs), reduced), -kSquarings);
  Real term = r;
  Real sum = Add(one, r);
  for (uint32_t j = 2;; ++j) {
    term = DivSmall(Mul(term, r), j);
    if (Negligible(term, sum, limbs)) break;
    sum = Add(sum, term);
  }
  for (int i = 0; i < kSquarings; ++i) sum = Mul(sum, sum);
  return Ldexp(sum, k);
}

Real SinOfReduced(const Real& r, int limbs) {
  const Real r2 = Mul(WithLimbs(r, limbs), r);
  Real term = WithLimbs(r, limbs);
  Real sum = term;
  for (uint32_t j = 1;; ++j) {
    term = Neg(DivSmall(Mul(term, r2), (2 * j) * (2 * j + 1)));
    if (Negligible(term, sum, limbs)) break;
    sum = Add(sum, term);
  }
  return sum;
}

Real CosOfReduced(const Real& r, int limbs) {
  const Real r2 = Mul(WithLimbs(r, limbs), r);
  Real term = FromInt(1, limbs);
  Real sum = term;
  for (uint32_t j = 1;; ++j) {
    term = Neg(DivSmall(Mul(term, r2), (2 * j - 1) * (2 * j)));
    if (Negligible(term, sum, limbs)) break;
    sum = Add(sum, term);
  }
  return sum;
}

Real Cos(double x, int limbs) {
  const double ax = x < 0 ? -x : x;
  if (ax == 0) return FromInt(1, limbs);
  // x (2/pi) = k + f with |f| <= 1/2, computed with enough words that f keeps
  // `limbs` words of accuracy after the integer part cancels: the product's absolute
  // error is below 2^(exponent + 12 - 32 reductionLimbs).
  const int e = BinaryExponent(ax);
  int reductionLimbs = limbs + 2 + (e > 0 ? (e + 31) / 32 : 0);
  int quadrant;
  Real f;
  for (;;) {
    if (reductionLimbs > kMaxWorkLimbs) reductionLimbs = kMaxWorkLimbs;
    const Real a = Mul(FromDouble(ax, reductionLimbs), WithLimbs(TwoOverPi(), reductionLimbs));
    quadrant = SplitNearestInteger(a, f);
    const int32_t lostBits = IsZero(f) ? 32 * reductionLimbs : a.exponent + 12 - (f.exponent - 1);
    const int32_t missing = lostBits - (32 * reductionLimbs - 32 * limbs - 8);
    if (missing <= 0 || reductionLimbs == kMaxWorkLimbs) break;
    reductionLimbs += (missing + 31) / 32;
  }
  const Real r = Mul(WithLimbs(f, limbs), Ldexp(WithLimbs(Pi(), limbs), -1));
  switch (quadrant) {
    case 0: return CosOfReduced(r, limbs);
    case 1: return Neg(SinOfReduced(r, limbs));
    case 2: return Neg(CosOfReduced(r, limbs));
    default: return SinOfReduced(r, limbs);
  }
}

Real Asin(double a, int limbs) {
  const Real s = FromDouble(a, limbs);
  return AsinSeries(s, Mul(s, s), limbs);
}

Real Acos(double x, int limbs) {
  const double ax = x < 0 ? -x : x;
  const Real pi = WithLimbs(Pi(), limbs);
  if (ax <= 0.5) return Sub(Ldexp(pi, -1), Asin(x, limbs));
  // acos |x| = 2 asin(sqrt(u)) with u = (1 - |x|) / 2, exact in a double.
  const Real u = FromDouble((1.0 - ax) * 0.5, limbs);
  const Real twice = Ldexp(AsinSeries(Sqrt(u), u, limbs), 1);
  return x > 0 ? twice : Sub(pi, twice);
}

Real Pow(double x, double y, int limbs) {
  return Exp(Mul(Log(x, limbs), FromDouble(y, limbs)), limbs);
}

void RoundingInterval(const Real& v, int limbs, Format format, double& low, double& high) {
  // Widened by two bits for the truncations of the two additions.
  const Real delta = Ldexp(Abs(v), kLostBits + 2 - 32 * limbs);
  const Real wide = WithLimbs(v, limbs + 1);
  const Real a = Sub(wide, delta);
  const Real b = Add(wide, delta);
  low = RoundToFormat(a, format.bits, format.minExponent, format.maxExponent);
  high = RoundToFormat(b, format.bits, format.minExponent, format.maxExponent);
}

}  // namespace qclr::mp
