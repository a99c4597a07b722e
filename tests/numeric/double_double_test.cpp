#include "numeric/double_double.h"

#include <gtest/gtest.h>

#include "numeric/multi_precision.h"
#include "numeric/reference.h"
#include "numeric/rounding_test.h"

namespace qclr::dd {
namespace {

using test::Bits;

TEST(DoubleDouble, TransformationsAreErrorFree) {
  // 40 words hold any sum or product of two doubles exactly.
  constexpr int kLimbs = 40;
  auto exact = [](DD v) { return mp::Add(mp::FromDouble(v.hi, kLimbs), mp::FromDouble(v.lo, kLimbs)); };
  test::Random random(3);
  for (int i = 0; i < 20000; ++i) {
    const double a = std::ldexp(random.Between(-1.0, 1.0), random.Int(-400, 400));
    const double b = std::ldexp(random.Between(-1.0, 1.0), random.Int(-400, 400) / (1 + i % 4));
    const mp::Real ma = mp::FromDouble(a, kLimbs);
    const mp::Real mb = mp::FromDouble(b, kLimbs);
    ASSERT_EQ(mp::CompareMagnitude(exact(TwoSum(a, b)), mp::Add(ma, mb)), 0) << a << " + " << b;
    ASSERT_EQ(mp::CompareMagnitude(exact(TwoProd(a, b)), mp::Mul(ma, mb)), 0) << a << " * " << b;
    const double smaller = std::ldexp(a * random.Between(-1.0, 1.0), -random.Int(0, 60));
    ASSERT_EQ(mp::CompareMagnitude(exact(FastTwoSum(a, smaller)),
                                   mp::Add(ma, mp::FromDouble(smaller, kLimbs))),
              0)
        << a << " + " << smaller;
  }
}

TEST(DoubleDouble, RoundingTestDecidesOnlyClearCases) {
  struct Case {
    DD value;
    double error;
    bool decided;
    double result;
  } const cases[] = {
      {{1.0, 0x1p-60}, 0x1p-70, true, 1.0},
      {{1.0, 0x1p-53}, 0x1p-90, false, 0},             // exactly on the tie
      {{1.0, 0x1p-53 + 0x1p-80}, 0x1p-90, true, 1.0 + 0x1p-52},
      {{1.0, 0x1p-53 + 0x1p-80}, 0x1p-75, false, 0},   // the bound reaches the tie
      {{-3.0, -0x1p-54}, 0x1p-70, true, -3.0},
      {{-3.0, -0x1p-52}, 0x1p-90, false, 0},           // the tie below -3
      {{1.5, -0x1p-53 + 0x1p-75}, 0x1p-74, false, 0},  // tie below 1.5 within the bound
  };
  for (const Case& c : cases) {
    double result = 0;
    EXPECT_EQ(RoundsToSameDouble(c.value, c.error, result), c.decided)
        << c.value.hi << " + " << c.value.lo << " within " << c.error;
    if (c.decided) { EXPECT_EQ(Bits(result), Bits(c.result)); }
  }
  // 1 + 2^-24 is a float tie: values around it stay undecided (also when only the
  // double rounding of an end lands on it), values clear of it round to their side.
  float f = 0;
  EXPECT_FALSE(RoundsToSameFloat({1.0 + 0x1p-24, 0x1p-60}, 0x1p-80, f));
  EXPECT_FALSE(RoundsToSameFloat({1.0 + 0x1p-24, 0x1p-80}, 0x1p-70, f));
  EXPECT_TRUE(RoundsToSameFloat({1.0 + 0x1p-24 + 0x1p-45, 0}, 0x1p-70, f));
  EXPECT_EQ(f, 1.0f + 0x1p-23f);
  EXPECT_TRUE(RoundsToSameFloat({1.0 + 0x1p-24 - 0x1p-45, 0}, 0x1p-70, f));
  EXPECT_EQ(f, 1.0f);
}

}  // namespace
}  // namespace qclr::dd
