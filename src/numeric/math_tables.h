// Tables and split constants of the fast elementary-function paths. They are
// computed once, on first use, in multiple precision (so no hand-copied digits can
// be wrong), and rounded to double-doubles: every entry is accurate to about 2^-106.
#pragma once

#include "numeric/double_double.h"

namespace qclr::tables {

// log x = e log 2 + log(1/c) + log1p(m c - 1) for the mantissa m of x in [1, 2).
// c has 8 significant bits, so m c - 1 is exact and below 2^-7 in magnitude.
struct LogEntry {
  double c;
  dd::DD minusLogC;  // -log c, or -log(2c) for the upper half, which counts one
                     // more power of two (see PowTables::kUpperHalf)
};

struct PowTables {
  static constexpr int kUpperHalf = 53;  // entries i >= 53 (m >= 1.414) use 2c
  LogEntry log[128];                     // by the top 7 fraction bits of m
  double ln2Hi, ln2Lo;                   // ln2Hi has 42 bits: e * ln2Hi is exact
  // 2^(k/4096) = 2^(k >> 12) * coarse[(k >> 6) & 63] * fine[k & 63]
  dd::DD exp2Coarse[64];  // 2^(j/64)
  dd::DD exp2Fine[64];    // 2^(j/4096)
  // ln 2 / 4096 = step1 + step2 + step3 to 2^-125; step1 and step2 have 30 bits, so
  // k * step1 and k * step2 are exact for |k| < 2^23.
  double step1, step2, step3;
};

struct CosTables {
  // pi/2 = halfPi[0] + ... + halfPi[3]; the first three have 33 bits, so k * part
  // is exact for k < 2^20.
  double halfPi[4];
  dd::DD sinA[102];  // sin(j/128)
  dd::DD cosA[102];  // cos(j/128)
};

// asin(a + d) = f0 + f1 d + f[0] d^2 + ... + f[7] d^9 around a = j/256.
struct AsinEntry {
  dd::DD f0, f1;
  double f[8];
};

struct AcosTables {
  AsinEntry asin[129];  // a = 0, 1/256, ..., 1/2
  dd::DD pi, halfPi;
};

const PowTables& Pow();
const CosTables& Cos();
const AcosTables& Acos();

}  // namespace qclr::tables
