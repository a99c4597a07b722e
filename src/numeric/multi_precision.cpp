#include "numeric/multi_precision.h"

#include <bit>
#include <cmath>

namespace qclr::mp {
namespace {

// Working buffers hold a result with two guard words beyond the largest precision,
// and a product of two full mantissas.
constexpr int kWorkLimbs = kMaxLimbs + 3;

uint32_t LimbAt(const Real& a, int i) { return i >= 0 && i < a.limbs ? a.m[i] : 0; }

// Shifts buf[0..len) left until the top bit of buf[0] is set, lowering `exponent`
// accordingly. Returns false when the buffer is zero.
bool Normalize(uint32_t* buf, int len, int32_t& exponent) {
  int first = 0;
  while (first < len && buf[first] == 0) ++first;
  if (first == len) return false;
  if (first > 0) {
    for (int i = 0; i < len; ++i) buf[i] = i + first < len ? buf[i + first] : 0;
    exponent -= 32 * first;
  }
  const int shift = std::countl_zero(buf[0]);
  if (shift > 0) {
    for (int i = 0; i < len; ++i) {
      const uint32_t next = i + 1 < len ? buf[i + 1] : 0;
      buf[i] = (buf[i] << shift) | (next >> (32 - shift));
    }
    exponent -= shift;
  }
  return true;
}

// Packs a normalised buffer (or zero) into a Real of `limbs` words.
Real Pack(const uint32_t* buf, int len, int32_t exponent, bool negative, int limbs) {
  Real r;
  r.limbs = limbs;
  for (int i = 0; i < limbs; ++i) r.m[i] = i < len ? buf[i] : 0;
  if (r.m[0] == 0) return Zero(limbs);
  r.exponent = exponent;
  r.negative = negative;
  return r;
}

// |a| + |b| or |a| - |b| for |a| >= |b|, with the sign `negative`. The smaller
// operand is aligned into limbs + 2 words; what falls beyond them is dropped.
Real AddMagnitudes(const Real& a, const Real& b, bool subtract, bool negative) {
  const int n = a.limbs;
  const int width = n + 2;
  uint32_t buf[kWorkLimbs + 1] = {};  // buf[0] takes the carry
  for (int i = 0; i < width; ++i) buf[i + 1] = LimbAt(a, i);
  const int64_t shift = static_cast<int64_t>(a.exponent) - b.exponent;
  if (!IsZero(b) && shift < 32 * static_cast<int64_t>(width)) {
    const int limbShift = static_cast<int>(shift / 32);
    const int bitShift = static_cast<int>(shift % 32);
    uint64_t carry = 0;  // or borrow
    for (int i = width - 1; i >= 0; --i) {
      const int j = i - limbShift;
      uint32_t word = LimbAt(b, j) >> bitShift;
      if (bitShift != 0) word |= LimbAt(b, j - 1) << (32 - bitShift);
      if (subtract) {
        const uint64_t diff = static_cast<uint64_t>(buf[i + 1]) - word - carry;
        buf[i + 1] = static_cast<uint32_t>(diff);
        carry = (diff >> 32) & 1;
      } else {
        const uint64_t sum = static_cast<uint64_t>(buf[i + 1]) + word + carry;
        buf[i + 1] = static_cast<uint32_t>(sum);
        carry = sum >> 32;
      }
    }
    if (!subtract) buf[0] = static_cast<uint32_t>(carry);
  }
  int32_t exponent = a.exponent + 32;
  if (!Normalize(buf, width + 1, exponent)) return Zero(n);
  return Pack(buf, width + 1, exponent, negative, n);
}

Real Combine(const Real& a, const Real& b, bool subtractB) {
  if (IsZero(b)) return WithLimbs(a, a.limbs);
  const bool bNegative = b.negative != subtractB;
  if (IsZero(a)) {
    Real r = WithLimbs(b, a.limbs);
    r.negative = bNegative;
    return r;
  }
  const bool subtract = a.negative != bNegative;
  if (CompareMagnitude(a, b) >= 0) return AddMagnitudes(a, b, subtract, a.negative);
  // |b| > |a|: swap, keeping the precision of a.
  Real bWide = WithLimbs(b, a.limbs);
  return AddMagnitudes(bWide, a, subtract, bNegative);
}

// 2^e for a double result that is exactly representable.
double ScaleExact(double v, int e) {
  while (e > 1000) {
    v *= 0x1p1000;
    e -= 1000;
  }
  while (e < -1000) {
    v *= 0x1p-1000;
    e += 1000;
  }
  return v * std::bit_cast<double>(static_cast<uint64_t>(e + 1023) << 52);
}

}  // namespace

Real Zero(int limbs) {
  Real r;
  r.limbs = limbs;
  for (int i = 0; i < limbs; ++i) r.m[i] = 0;
  return r;
}

Real WithLimbs(const Real& a, int limbs) {
  Real r = a;
  r.limbs = limbs;
  for (int i = a.limbs; i < limbs; ++i) r.m[i] = 0;
  return r;
}

Real FromDouble(double v, int limbs) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  const bool negative = (bits >> 63) != 0;
  const int biased = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  int exponent;  // v = mantissa * 2^exponent
  if (biased == 0) {
    exponent = -1074;
  } else {
    mantissa |= uint64_t{1} << 52;
    exponent = biased - 1075;
  }
  if (mantissa == 0) return Zero(limbs);
  const int lead = std::countl_zero(mantissa);
  mantissa <<= lead;
  uint32_t buf[2] = {static_cast<uint32_t>(mantissa >> 32), static_cast<uint32_t>(mantissa)};
  return Pack(buf, 2, exponent - lead + 64, negative, limbs);
}

Real FromInt(int64_t v, int limbs) {
  if (v == 0) return Zero(limbs);
  const bool negative = v < 0;
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
  const int lead = std::countl_zero(magnitude);
  magnitude <<= lead;
  uint32_t buf[2] = {static_cast<uint32_t>(magnitude >> 32), static_cast<uint32_t>(magnitude)};
  return Pack(buf, 2, 64 - lead, negative, limbs);
}

int CompareMagnitude(const Real& a, const Real& b) {
  if (IsZero(a) || IsZero(b)) return IsZero(a) ? (IsZero(b) ? 0 : -1) : 1;
  if (a.exponent != b.exponent) return a.exponent < b.exponent ? -1 : 1;
  const int n = a.limbs > b.limbs ? a.limbs : b.limbs;
  for (int i = 0; i < n; ++i) {
    const uint32_t x = LimbAt(a, i);
    const uint32_t y = LimbAt(b, i);
    if (x != y) return x < y ? -1 : 1;
  }
  return 0;
}

Real Add(const Real& a, const Real& b) { return Combine(a, b, false); }
Real Sub(const Real& a, const Real& b) { return Combine(a, b, true); }

Real Mul(const Real& a, const Real& b) {
  const int n = a.limbs;
  if (IsZero(a) || IsZero(b)) return Zero(n);
  const int na = a.limbs;
  const int nb = b.limbs;
  uint32_t prod[2 * kMaxLimbs] = {};
  for (int i = na - 1; i >= 0; --i) {
    uint64_t carry = 0;
    const uint64_t ai = a.m[i];
    for (int j = nb - 1; j >= 0; --j) {
      const uint64_t t = ai * b.m[j] + prod[i + j + 1] + carry;
      prod[i + j + 1] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    prod[i] = static_cast<uint32_t>(carry);
  }
  int32_t exponent = a.exponent + b.exponent;
  Normalize(prod, na + nb, exponent);
  return Pack(prod, na + nb, exponent, a.negative != b.negative, n);
}

Real MulSmall(const Real& a, uint32_t k) {
  const int n = a.limbs;
  if (IsZero(a) || k == 0) return Zero(n);
  uint32_t buf[kWorkLimbs] = {};
  uint64_t carry = 0;
  for (int i = n - 1; i >= 0; --i) {
    const uint64_t t = static_cast<uint64_t>(a.m[i]) * k + carry;
    buf[i + 1] = static_cast<uint32_t>(t);
    carry = t >> 32;
  }
  buf[0] = static_cast<uint32_t>(carry);
  int32_t exponent = a.exponent + 32;
  Normalize(buf, n + 1, exponent);
  return Pack(buf, n + 1, exponent, a.negative, n);
}

Real DivSmall(const Real& a, uint32_t k) {
  const int n = a.limbs;
  if (IsZero(a)) return Zero(n);
  // Leading zeros of the quotient take at most two words.
  uint32_t buf[kWorkLimbs] = {};
  uint64_t rem = 0;
  for (int i = 0; i < n + 2; ++i) {
    const uint64_t cur = (rem << 32) | LimbAt(a, i);
    buf[i] = static_cast<uint32_t>(cur / k);
    rem = cur % k;
  }
  int32_t exponent = a.exponent;
  Normalize(buf, n + 2, exponent);
  return Pack(buf, n + 2, exponent, a.negative, n);
}

double ToDoubleApprox(const Real& a) {
  if (IsZero(a)) return a.negative ? -0.0 : 0.0;
  const uint64_t top = (static_cast<uint64_t>(a.m[0]) << 32 | LimbAt(a, 1)) >> 11;
  double v = static_cast<double>(static_cast<int64_t>(top));  // exact: below 2^53
  int e = a.exponent - 53;
  if (e > 1100) e = 1100;
  if (e < -1200) e = -1200;
  // Scale in steps that keep intermediate values normal where the result is.
  while (e > 0) {
    const int step = e > 1000 ? 1000 : e;
    v *= std::bit_cast<double>(static_cast<uint64_t>(step + 1023) << 52);
    e -= step;
  }
  while (e < 0) {
    const int step = e < -1000 ? -1000 : e;
    v *= std::bit_cast<double>(static_cast<uint64_t>(step + 1023) << 52);
    e -= step;
  }
  return a.negative ? -v : v;
}

Real Reciprocal(const Real& a) {
  const int n = a.limbs;
  Real unit = a;  // the mantissa in [1/2, 1)
  unit.exponent = 0;
  unit.negative = false;
  Real r = FromDouble(1.0 / ToDoubleApprox(unit), n);
  const Real one = FromInt(1, n);
  // Newton's iteration r += r (1 - unit r) doubles the correct bits from ~52; the
  // last pass settles the rounding errors.
  for (int bits = 48; bits < 32 * n + 64; bits *= 2) {
    const Real e = Sub(one, Mul(unit, r));
    r = Add(r, Mul(r, e));
  }
  r.exponent -= a.exponent;
  r.negative = a.negative;
  return r;
}

Real InverseSqrt(const Real& a) {
  const int n = a.limbs;
  Real unit = a;  // a = unit * 2^(2h), unit in [1/2, 2)
  unit.negative = false;
  unit.exponent = a.exponent & 1;
  const int32_t half = (a.exponent - unit.exponent) / 2;
  Real r = FromDouble(1.0 / std::sqrt(ToDoubleApprox(unit)), n);
  const Real one = FromInt(1, n);
  // r += r (1 - unit r^2) / 2
  for (int bits = 48; bits < 32 * n + 64; bits *= 2) {
    const Real e = Sub(one, Mul(unit, Mul(r, r)));
    r = Add(r, Ldexp(Mul(r, e), -1));
  }
  r.exponent -= half;
  return r;
}

Real Sqrt(const Real& a) {
  if (IsZero(a)) return Zero(a.limbs);
  return Mul(a, InverseSqrt(a));
}

double RoundToFormat(const Real& a, int bits, int minExponent, int maxExponent) {
  const double sign = a.negative ? -1.0 : 1.0;
  if (IsZero(a)) return sign * 0.0;
  const int lead = a.exponent - 1;  // |a| in [2^lead, 2^(lead+1))
  if (lead >= maxExponent) return sign * HUGE_VAL;
  const int keep = lead >= minExponent ? bits : bits - (minExponent - lead);
  if (keep < 0) return sign * 0.0;
  auto bitAt = [&](int i) {  // bit i of the mantissa, from the top
    return i < 32 * a.limbs ? (a.m[i / 32] >> (31 - i % 32)) & 1u : 0u;
  };
  uint64_t q = 0;
  for (int i = 0; i < keep; ++i) q = (q << 1) | bitAt(i);
  const bool roundBit = bitAt(keep) != 0;
  bool sticky = false;
  for (int i = keep + 1; i < 32 * a.limbs && !sticky; ++i) sticky = bitAt(i) != 0;
  if (roundBit && (sticky || (q & 1) != 0)) ++q;
  const int scale = lead - keep + 1;  // |result| = q * 2^scale
  if (q >> keep != 0 && lead + 1 >= maxExponent) return sign * HUGE_VAL;
  return sign * ScaleExact(static_cast<double>(static_cast<int64_t>(q)), scale);
}

int SplitNearestInteger(const Real& a, Real& fraction) {
  const int n = a.limbs;
  const int32_t e = a.exponent;  // a in [2^(e-1), 2^e)
  const Real one = FromInt(1, n);
  if (IsZero(a) || e < 0) {
    fraction = a;
    return 0;
  }
  if (e == 0) {  // a in [1/2, 1)
    fraction = Sub(a, one);
    return 1;
  }
  auto bitAt = [&](int64_t i) -> uint32_t {
    return i < 32 * static_cast<int64_t>(n) ? (a.m[i / 32] >> (31 - i % 32)) & 1u : 0u;
  };
  int k = static_cast<int>(bitAt(e - 1));
  if (e >= 2) k |= static_cast<int>(bitAt(e - 2)) << 1;
  const bool roundUp = bitAt(e) != 0;
  // The fractional bits: the mantissa with its top e bits cleared.
  uint32_t buf[kWorkLimbs] = {};
  for (int i = 0; i < n; ++i) buf[i] = a.m[i];
  for (int64_t i = 0; i < e && i < 32 * static_cast<int64_t>(n); ++i) {
    buf[i / 32] &= ~(1u << (31 - i % 32));
  }
  int32_t exponent = e;
  Real frac = Normalize(buf, n, exponent) ? Pack(buf, n, exponent, false, n) : Zero(n);
  if (roundUp) {
    frac = Sub(frac, one);
    k = (k + 1) & 3;
  }
  fraction = frac;
  return k;
}

}  // namespace qclr::mp
