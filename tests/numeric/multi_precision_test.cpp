#include "numeric/multi_precision.h"

#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "numeric/multi_precision_functions.h"
#include "numeric/reference.h"

namespace qclr::mp {
namespace {

using test::Bits;

// |a - b| <= |b| 2^-bits
bool CloseTo(const Real& a, const Real& b, int bits) {
  const Real diff = Sub(a, b);
  return IsZero(diff) || diff.exponent <= b.exponent - bits;
}

TEST(MultiPrecision, ArithmeticRoundsLikeTheHardware) {
  // With four words sums and products of doubles are exact, and quotients by odd
  // integers, reciprocals and square roots are never near a rounding tie, so the
  // rounded results must equal the correctly rounded hardware operations.
  test::Random random(11);
  for (int i = 0; i < 20000; ++i) {
    const double a = std::ldexp(random.Between(-1.0, 1.0), random.Int(-600, 600));
    const double b = std::ldexp(random.Between(-1.0, 1.0), random.Int(-600, 600) / (1 + i % 8));
    const uint32_t k = static_cast<uint32_t>(2 * random.Int(1, 1 << 20) + 1);
    const Real ra = FromDouble(a, 4);
    const Real rb = FromDouble(b, 4);
    ASSERT_EQ(Bits(RoundToDouble(Add(ra, rb))), Bits(a + b)) << a << " + " << b;
    ASSERT_EQ(Bits(RoundToDouble(Sub(ra, rb))), Bits(a - b)) << a << " - " << b;
    ASSERT_EQ(Bits(RoundToDouble(Mul(ra, rb))), Bits(a * b)) << a << " * " << b;
    ASSERT_EQ(Bits(RoundToDouble(DivSmall(ra, k))), Bits(a / k)) << a << " / " << k;
    ASSERT_EQ(Bits(RoundToDouble(MulSmall(ra, k))), Bits(a * k)) << a << " * " << k;
    ASSERT_EQ(Bits(RoundToDouble(Reciprocal(ra))), Bits(1.0 / a)) << "1 / " << a;
    const double positive = std::fabs(a);
    ASSERT_EQ(Bits(RoundToDouble(Sqrt(FromDouble(positive, 4)))), Bits(std::sqrt(positive)))
        << "sqrt " << positive;
  }
}

TEST(MultiPrecision, RoundsTiesToEvenWithSubnormalsAndOverflow) {
  const double kMax = 0x1.fffffffffffffp1023;
  const double cases[][4] = {  // {hi, lo, scale, expected}: the exact value (hi + lo) * 2^scale
      // Ties to even at 1 (up and down), just above a tie, ties below 1 (spacing 2^-53).
      {1.0, 0x1p-53, 0, 1.0}, {1.0 + 0x1p-52, 0x1p-53, 0, 1.0 + 0x1p-51},
      {1.0, 0x1p-53 + 0x1p-100, 0, 1.0 + 0x1p-52}, {1.0, -0x1p-54, 0, 1.0},
      {1.0, -0x1p-54 - 0x1p-100, 0, 1.0 - 0x1p-53},
      // 2^-1075 ties to 0, just above it, 1.5 quanta tie to 2, the subnormal boundary.
      {1.0, -0.5, -1074, 0.0}, {1.0, -0.5 + 0x1p-30, -1074, 0x1p-1074},
      {1.0, 0.5, -1074, 0x1p-1073}, {1.0, -0x1p-53, -1022, 0x1p-1022},
      // Below the overflow tie, the tie itself, above it.
      {1.0, -0x1p-54 - 0x1p-100, 1024, kMax}, {1.0, -0x1p-54, 1024, HUGE_VAL},
      {-1.0, 0x1p-55, 1024, -HUGE_VAL},
  };
  for (const auto& c : cases) {
    const Real v = Ldexp(Add(FromDouble(c[0], 6), FromDouble(c[1], 6)), static_cast<int>(c[2]));
    EXPECT_EQ(Bits(RoundToDouble(v)), Bits(c[3])) << c[0] << " + " << c[1] << " at " << c[2];
  }
  // Single precision: 1 + 2^-24 ties to 1, 2^-150 ties to 0, 3 * 2^-150 to 2^-148.
  EXPECT_EQ(RoundToFloat(Add(FromDouble(1.0, 4), FromDouble(0x1p-24, 4))), 1.0f);
  EXPECT_EQ(RoundToFloat(FromDouble(0x1p-150, 4)), 0.0f);
  EXPECT_EQ(RoundToFloat(FromDouble(0x3p-150, 4)), 0x1p-148f);
  EXPECT_EQ(RoundToFloat(FromDouble(0x1.ffffffp127, 4)), HUGE_VALF);
}

// 20 words (640 bits): far beyond any double reference, so identities check them.
TEST(MultiPrecision, FunctionsHoldTheirIdentitiesAtHighPrecision) {
  constexpr int kLimbs = 20;
  constexpr int kBits = 32 * kLimbs - kLostBits - 8;
  test::Random random(5);
  const Real one = FromInt(1, kLimbs);
  EXPECT_TRUE(CloseTo(Pow(2.0, 0.5, kLimbs), Sqrt(FromInt(2, kLimbs)), kBits));
  for (int i = 0; i < 12; ++i) {
    const double x = std::ldexp(random.Between(0.5, 1.0), random.Int(-1074, 1000));
    EXPECT_TRUE(CloseTo(Exp(Log(x, kLimbs), kLimbs), FromDouble(x, kLimbs), kBits)) << x;
    const Real r = FromDouble(random.Between(-1.0, 1.0), kLimbs);
    const Real s = SinOfReduced(r, kLimbs), c = CosOfReduced(r, kLimbs);
    EXPECT_TRUE(CloseTo(Add(Mul(s, s), Mul(c, c)), one, kBits));
    const double a = random.Between(-0.5, 0.5);
    EXPECT_TRUE(CloseTo(SinOfReduced(Asin(a, kLimbs), kLimbs), FromDouble(a, kLimbs), kBits)) << a;
    const double b = random.Between(0.6, 1.0);  // the square-root branch of Acos
    EXPECT_TRUE(CloseTo(CosOfReduced(Acos(b, kLimbs), kLimbs), FromDouble(b, kLimbs), kBits)) << b;
  }
}

// The rounding test of the slow paths trusts 2^(kLostBits - 32 limbs): compare
// four-word results with twelve-word ones and require 8 bits of margin.
TEST(MultiPrecision, FunctionsStayWithinTheirErrorBound) {
  auto lostBits = [](const Real& low, const Real& high) {
    const Real diff = Sub(WithLimbs(high, 12), WithLimbs(low, 12));
    return IsZero(diff) ? -99 : diff.exponent - high.exponent + 32 * 4;
  };
  test::Random random(13);
  for (int i = 0; i < 60; ++i) {
    const double x = std::ldexp(random.Between(0.5, 1.0), random.Int(-1074, 1023));
    const double y = random.Between(-740.0, 700.0) / std::log(x);
    EXPECT_LT(lostBits(Pow(x, y, 4), Pow(x, y, 12)), kLostBits - 8) << x << " " << y;
    const double c = i % 3 == 0 ? std::ldexp(random.Unit(), random.Int(0, 1023)) : random.Between(-10.0, 10.0);
    EXPECT_LT(lostBits(Cos(c, 4), Cos(c, 12)), kLostBits - 8) << c;
    const double a = i % 2 == 0 ? random.Between(-1.0, 1.0) : 1.0 - std::ldexp(random.Unit(), -random.Int(1, 53));
    EXPECT_LT(lostBits(Acos(a, 4), Acos(a, 12)), kLostBits - 8) << a;
  }
}

}  // namespace
}  // namespace qclr::mp
