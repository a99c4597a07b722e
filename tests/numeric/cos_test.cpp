#include <bit>
#include <cmath>
#include <limits>

#include <gtest/gtest.h>

#include "numeric/deterministic_math.h"
#include "numeric/elementary_paths.h"
#include "numeric/multi_precision_functions.h"
#include "numeric/reference.h"

namespace qclr {
namespace {

using test::Bits;

TEST(Cos, SpecialValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(Cos(std::numeric_limits<double>::quiet_NaN())));
  EXPECT_TRUE(std::isnan(Cos(kInf)));
  EXPECT_TRUE(std::isnan(Cos(-kInf)));
  struct Case {
    double x, expected;
  };
  const Case cases[] = {
      {0.0, 1.0},
      {-0.0, 1.0},
      {0x1p-1074, 1.0},
      {0x1.fffffffffffffp-28, 1.0},        // 1 - x^2/2 above the tie 1 - 2^-54
      {0x1.6a09e667f3bcdp-27, 1.0 - 0x1p-53},  // x^2/2 just above 2^-54
  };
  for (const Case& c : cases) EXPECT_EQ(Bits(Cos(c.x)), Bits(c.expected)) << c.x;
}

TEST(Cos, FastPathStaysWithinItsErrorBound) {
  test::Random random(21);
  double worst = 0;
  for (int i = 0; i < 6000; ++i) {
    double x = i % 2 == 0 ? random.Between(-10.0, 10.0) : random.Between(-1.6e6, 1.6e6);
    if (i % 3 == 0) x = std::nearbyint(random.Between(0.0, 1e6)) * 1.5707963267948966;
    dd::DD v;
    double error;
    if (!detail::CosApproximation(x, v, error)) continue;
    const double ratio = test::RelativeError(v.hi, v.lo, 0, mp::Cos(x, 6)) / error;
    worst = ratio > worst ? ratio : worst;
  }
  EXPECT_LT(worst, 0.5) << "the bound has less than one bit of margin";
}

#if QCLR_HAVE_QUADMATH

void ExpectAsQuad(double x) {
  const double expected = test::QuadCos(x);
  if (std::isnan(expected)) {
    ASSERT_TRUE(std::isnan(Cos(x))) << x;
  } else {
    ASSERT_EQ(Bits(Cos(x)), Bits(expected)) << "cos(" << x << ")";
  }
}

TEST(Cos, MatchesQuadPrecision) {
  test::Random random(6);
  for (int i = 0; i < 10000; ++i) ExpectAsQuad(random.Between(-10.0, 10.0));
  for (int i = 0; i < 4000; ++i) ExpectAsQuad(random.Between(-1.7e6, 1.7e6));
  for (int i = 0; i < 2000; ++i) ExpectAsQuad(test::Scaled(random.Between(-1.0, 1.0), -random.Int(0, 60)));
  // Doubles nearest to multiples of pi/2, and their neighbours: the results are tiny
  // and all their bits come from the reduction.
  for (int k = 1; k < 3000; ++k) {
    const double x = k * 1.5707963267948966;
    ExpectAsQuad(x);
    ExpectAsQuad(std::nextafter(x, 0.0));
    ExpectAsQuad(std::nextafter(x, 1e7));
  }
  // Arbitrary bit patterns: mostly huge arguments, which take the slow path with a
  // long reduction, and some infinities and NaNs.
  for (int i = 0; i < 1000; ++i) ExpectAsQuad(std::bit_cast<double>(random.Next()));
  ExpectAsQuad(std::numeric_limits<double>::max());
  // The slow path alone, where the fast one would otherwise decide.
  for (int i = 0; i < 300; ++i) {
    const double x = i % 2 == 0 ? random.Between(-10.0, 10.0) : random.Between(-1e6, 1e6);
    ASSERT_EQ(Bits(detail::CosAccurate(x)), Bits(test::QuadCos(x))) << x;
  }
}

#endif

}  // namespace
}  // namespace qclr
