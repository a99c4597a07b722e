#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "numeric/deterministic_math.h"
#include "numeric/elementary_paths.h"
#include "numeric/multi_precision_functions.h"
#include "numeric/reference.h"

namespace qclr {
namespace {

using test::Bits;
using test::Same;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kMax = std::numeric_limits<double>::max();

TEST(Pow, SpecialValuesFollowTheStandard) {
  const double cases[][3] = {
      {kNaN, 0.0, 1.0}, {kNaN, -0.0, 1.0}, {1.0, kNaN, 1.0}, {1.0, kInf, 1.0}, {kNaN, 2.0, kNaN},
      {2.0, kNaN, kNaN}, {-1.0, kInf, 1.0}, {-1.0, -kInf, 1.0}, {0.0, -3.0, kInf},
      {-0.0, -3.0, -kInf}, {-0.0, -2.0, kInf}, {-0.0, -0.5, kInf}, {-0.0, -kInf, kInf},
      {0.0, 3.0, 0.0}, {-0.0, 3.0, -0.0}, {-0.0, 2.0, 0.0}, {-0.0, 0.5, 0.0}, {-0.0, kInf, 0.0},
      {0.5, -kInf, kInf}, {-0.5, -kInf, kInf}, {2.0, -kInf, 0.0}, {0.5, kInf, 0.0},
      {-2.0, kInf, kInf}, {-0.5, kInf, 0.0}, {-kInf, -3.0, -0.0}, {-kInf, -2.0, 0.0},
      {-kInf, -0.5, 0.0}, {-kInf, 3.0, -kInf}, {-kInf, 2.0, kInf}, {-kInf, 0.5, kInf},
      {kInf, -1.0, 0.0}, {kInf, 0.5, kInf}, {-2.0, 0.5, kNaN}, {-2.0, 3.0, -8.0},
      {-2.0, -3.0, -0.125}, {-1.0, 0x1p60, 1.0}, {-1.0, 3.0, -1.0}, {-0.5, 0x1p60, 0.0},
      {-2.0, 1e300, kInf}, {-2.0, 0x1p53 - 1, -kInf}, {2.0, 1024.0, kInf},
      {2.0, -1074.0, 0x1p-1074}, {2.0, -1075.0, 0.0}, {2.0, -1075.5, 0.0},
      {0.5, -1023.0, 0x1p1023}, {kMax, 1.0, kMax}, {0x1p-1074, 1.0, 0x1p-1074},
      {0x1p-1074, 0.5, 0x1p-537}, {1e-300, 1e-300, 1.0}, {1.0 + 0x1p-52, -0x1p65, 0.0},
      {1.0 - 0x1p-53, 0x1p65, 0.0}, {1.0 + 0x1p-52, 0x1p65, kInf}, {4.0, 0.5, 2.0},
      {0x1p-1022, -1.0, 0x1p1022},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(Same(Pow(c[0], c[1]), c[2])) << "pow(" << c[0] << ", " << c[1] << ")";
  }
}

// The exact value x^n rounded to double, from exact multiple-precision products.
double RoundedExactPower(double x, int n) {
  mp::Real p = mp::FromInt(1, 40);  // 35 factors of 53 bits fit
  for (int i = 0; i < n; ++i) p = mp::Mul(p, mp::FromDouble(x, 40));
  return mp::RoundToDouble(p);
}

// x^y exactly halfway between two doubles: no precision decides these, so they
// must be recognised.
TEST(Pow, ResultsOnARoundingTieRoundToEven) {
  const double s = 262143.0;  // 2^18 - 1: s^3 has exactly 54 bits
  const double cases[][3] = {
      {1.0 + 0x1p-27, 2.0, RoundedExactPower(1.0 + 0x1p-27, 2)},
      {1.0 + 0x3p-27, 2.0, RoundedExactPower(1.0 + 0x3p-27, 2)},
      {1.0 - 0x1p-27, 2.0, RoundedExactPower(1.0 - 0x1p-27, 2)},
      {3.0, 34.0, RoundedExactPower(3.0, 34)},
      {0x3p-215, 5.0, RoundedExactPower(0x3p-215, 5)},  // subnormal tie 243 * 2^-1075
      {s * s, 1.5, RoundedExactPower(s, 3)},
      {s * s * 0x1p-600, 1.5, RoundedExactPower(s * 0x1p-300, 3)},
      {0x1p-43, 25.0, 0.0},  // 2^-1075, the tie between 0 and 2^-1074
      {0x1p43, -25.0, 0.0},
      {0x1p-86, 12.5, 0.0},
      {81.0, 6.75, 7625597484987.0},  // 3^27, exact
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Bits(Pow(c[0], c[1])), Bits(c[2])) << "pow(" << c[0] << ", " << c[1] << ")";
    EXPECT_EQ(Bits(detail::PowAccurate(c[0], c[1])), Bits(c[2])) << "slow path " << c[0];
  }
  // Results beside a tie are not mistaken for it, and a power of two to a 53-bit odd
  // fraction against the tie 2^-1075 must not overflow the exponent checks.
  double r;
  EXPECT_FALSE(detail::PowHitsMidpoint(3.0, 34.0, 16677181699666568.0, 16677181699666572.0, r));
  EXPECT_FALSE(detail::PowHitsMidpoint(1.0 + 0x1p-26, 2.0, 1.0 + 0x1p-25, 1.0 + 0x1p-25 + 0x1p-52, r));
  EXPECT_FALSE(detail::PowHitsMidpoint(0x1p-1074, 0x1.fffffffffffffp0, 0.0, 0x1p-1074, r));
  EXPECT_FALSE(detail::PowHitsMidpoint(0x1p-1074, -0x1.fffffffffffffp-1, 0.0, 0x1p-1074, r));
}

// The rounding test trusts the bound: measure the real error against 192-bit values
// where the logarithm (x near 1, huge y) and the exponential are stressed.
TEST(Pow, FastPathStaysWithinItsErrorBound) {
  test::Random random(17);
  int fast = 0;
  double worst = 0;
  for (int i = 0; i < 6000; ++i) {
    double x = random.Between(0.0, 2.0), y = random.Between(-8.0, 8.0);
    if (i % 3 == 1) x = std::ldexp(random.Between(1.0, 2.0), random.Int(-1074, 1023)), y /= 8;
    if (i % 3 == 2) {
      x = 1.0 + std::ldexp(random.Between(-1.0, 1.0), -random.Int(1, 52));
      y = std::ldexp(random.Between(-1.0, 1.0), random.Int(0, 60));
    }
    dd::DD v;
    int scale;
    double bound;
    if (!detail::PowApproximation(x, y, v, scale, bound)) continue;
    ++fast;
    worst = std::max(worst, test::BoundRatio(v.hi, v.lo, scale, mp::Pow(x, y, 6), bound));
  }
  EXPECT_GT(fast, 4000);
  EXPECT_LT(worst, 0.5) << "the bound has less than one bit of margin";
}

#if QCLR_HAVE_QUADMATH

TEST(Pow, MatchesQuadPrecision) {
  test::Random random(1);
  auto expectAsQuad = [](double x, double y) {
    ASSERT_TRUE(Same(Pow(x, y), test::QuadPow(x, y))) << "pow(" << x << ", " << y << ")";
  };
  for (int i = 0; i < 10000; ++i) {
    // Transfer-curve and Lab exponents, and u8Fixed8 gamma curves at table positions.
    const double curves[] = {2.2222222222222223, 0.45, 1.0 / 3, 3.0, 4.0, 5.0, 2.4, 1.0 / 2.4};
    expectAsQuad(random.Between(0.0, 2.0), curves[i % 8]);
    const int n = random.Int(2, 65530);
    expectAsQuad(random.Int(0, n - 1) / static_cast<double>(n - 1), random.Int(1, 65535) / 256.0);
  }
  for (int i = 0; i < 6000; ++i) {
    // Results across the whole range, including overflow, subnormals and underflow.
    const double x = std::ldexp(random.Between(1.0, 2.0), random.Int(-1074, 1023));
    if (x != 1.0) expectAsQuad(x, random.Between(-760.0, 720.0) / std::log(x));
  }
  for (int i = 0; i < 3000; ++i) {
    // x near 1 with large exponents; negative bases with integer exponents.
    const double x = 1.0 + std::ldexp(random.Between(-1.0, 1.0), -random.Int(1, 53));
    expectAsQuad(x, std::ldexp(random.Between(-1.0, 1.0), random.Int(0, 62)));
    expectAsQuad(-random.Between(0.0, 4.0), random.Int(-40, 40));
  }
  for (int i = 0; i < 4000; ++i) {
    // Arbitrary bit patterns reach every special case; half the exponents are integers.
    const double x = std::bit_cast<double>(random.Next());
    const double y = std::bit_cast<double>(random.Next());
    expectAsQuad(x, i % 2 == 0 ? std::nearbyint(std::ldexp(y, -1000)) : y);
  }
  for (int i = 0; i < 200; ++i) {  // the slow path alone
    const double x = std::ldexp(random.Between(1.0, 2.0), random.Int(-1074, 1023));
    const double y = random.Between(-745.0, 709.0) / std::log(x);
    ASSERT_EQ(Bits(detail::PowAccurate(x, y)), Bits(test::QuadPow(x, y))) << x << " " << y;
  }
}

#endif

}  // namespace
}  // namespace qclr
