#include "numeric/math_tables.h"

#include "numeric/multi_precision_functions.h"

namespace qclr::tables {
namespace {

// Six words (192 bits) leave every entry accurate far beyond a double-double.
constexpr int kLimbs = 6;

dd::DD ToDD(const mp::Real& v) {
  const double hi = mp::RoundToDouble(v);
  return {hi, mp::RoundToDouble(mp::Sub(v, mp::FromDouble(hi, kLimbs)))};
}

// Rounds to `bits` significant bits and leaves the remainder in `v`.
double TakeLeadingBits(mp::Real& v, int bits) {
  const double part = mp::RoundToFormat(v, bits, -1022, 1024);
  v = mp::Sub(v, mp::FromDouble(part, kLimbs));
  return part;
}

PowTables BuildPow() {
  PowTables t;
  for (int i = 0; i < 128; ++i) {
    // c ~ 1/m at the middle of [1 + i/128, 1 + (i+1)/128), a multiple of 2^-8. The
    // first and last entries take c = 1 and c = 1/2 exactly, so that log x near 1
    // is the polynomial alone, with no cancellation against a table value.
    double c;
    if (i == 0) {
      c = 1.0;
    } else if (i == 127) {
      c = 0.5;
    } else {
      const double middle = 1.0 + (i + 0.5) / 128.0;
      c = static_cast<double>(static_cast<int>(256.0 / middle + 0.5)) / 256.0;
    }
    const double logged = i >= PowTables::kUpperHalf ? 2.0 * c : c;
    t.log[i] = {c, ToDD(mp::Neg(mp::Log(logged, kLimbs)))};
  }
  mp::Real ln2 = mp::WithLimbs(mp::Ln2(), kLimbs);
  t.ln2Hi = TakeLeadingBits(ln2, 42);
  t.ln2Lo = mp::RoundToDouble(ln2);
  for (int j = 0; j < 64; ++j) {
    const mp::Real ln2Limbs = mp::WithLimbs(mp::Ln2(), kLimbs);
    t.exp2Coarse[j] = ToDD(mp::Exp(mp::Ldexp(mp::MulSmall(ln2Limbs, j), -6), kLimbs));
    t.exp2Fine[j] = ToDD(mp::Exp(mp::Ldexp(mp::MulSmall(ln2Limbs, j), -12), kLimbs));
  }
  mp::Real step = mp::Ldexp(mp::WithLimbs(mp::Ln2(), kLimbs), -12);
  t.step1 = TakeLeadingBits(step, 30);
  t.step2 = TakeLeadingBits(step, 30);
  t.step3 = mp::RoundToDouble(step);
  return t;
}

CosTables BuildCos() {
  CosTables t;
  mp::Real halfPi = mp::Ldexp(mp::WithLimbs(mp::Pi(), kLimbs), -1);
  for (int i = 0; i < 3; ++i) t.halfPi[i] = TakeLeadingBits(halfPi, 33);
  t.halfPi[3] = mp::RoundToDouble(halfPi);
  for (int j = 0; j < 102; ++j) {
    const mp::Real a = mp::FromDouble(j / 128.0, kLimbs);
    t.sinA[j] = ToDD(mp::SinOfReduced(a, kLimbs));
    t.cosA[j] = ToDD(mp::CosOfReduced(a, kLimbs));
  }
  return t;
}

AcosTables BuildAcos() {
  AcosTables t;
  const mp::Real pi = mp::WithLimbs(mp::Pi(), kLimbs);
  t.pi = ToDD(pi);
  t.halfPi = ToDD(mp::Ldexp(pi, -1));
  const mp::Real one = mp::FromInt(1, kLimbs);
  for (int j = 0; j <= 128; ++j) {
    // Taylor coefficients of g = asin' = (1 - x^2)^(-1/2) at a follow from
    // (1 - x^2) g' = x g:  (1 - a^2)(k + 1) g_(k+1) = (2k + 1) a g_k + k g_(k-1);
    // those of asin are f_(k+1) = g_k / (k + 1).
    const double aDouble = j / 256.0;
    const mp::Real a = mp::FromDouble(aDouble, kLimbs);
    const mp::Real g0 = mp::InverseSqrt(mp::Sub(one, mp::Mul(a, a)));
    const mp::Real inverseOneMinusA2 = mp::Mul(g0, g0);
    AsinEntry& e = t.asin[j];
    e.f0 = ToDD(mp::Asin(aDouble, kLimbs));
    e.f1 = ToDD(g0);
    mp::Real previous = mp::Zero(kLimbs);
    mp::Real current = g0;
    for (uint32_t k = 0; k < 8; ++k) {
      const mp::Real next = mp::DivSmall(
          mp::Mul(mp::Add(mp::MulSmall(mp::Mul(a, current), 2 * k + 1), mp::MulSmall(previous, k)),
                  inverseOneMinusA2),
          k + 1);
      previous = current;
      current = next;  // g_(k+1)
      e.f[k] = mp::RoundToDouble(mp::DivSmall(current, k + 2));
    }
  }
  return t;
}

}  // namespace

const PowTables& Pow() {
  static const PowTables tables = BuildPow();
  return tables;
}

const CosTables& Cos() {
  static const CosTables tables = BuildCos();
  return tables;
}

const AcosTables& Acos() {
  static const AcosTables tables = BuildAcos();
  return tables;
}

}  // namespace qclr::tables
