#include <algorithm>
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
using test::Same;

TEST(Cos, SpecialValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double cases[][2] = {
      {std::numeric_limits<double>::quiet_NaN(), NAN}, {kInf, NAN}, {-kInf, NAN},
      {0.0, 1.0}, {-0.0, 1.0}, {0x1p-1074, 1.0},
      {0x1.fffffffffffffp-28, 1.0},            // 1 - x^2/2 above the tie 1 - 2^-54
      {0x1.6a09e667f3bcdp-27, 1.0 - 0x1p-53},  // x^2/2 just above 2^-54
  };
  for (const auto& c : cases) EXPECT_TRUE(Same(Cos(c[0]), c[1])) << c[0];
}

TEST(Cos, FastPathStaysWithinItsErrorBound) {
  test::Random random(21);
  double worst = 0;
  for (int i = 0; i < 6000; ++i) {
    double x = i % 2 == 0 ? random.Between(-10.0, 10.0) : random.Between(-1.6e6, 1.6e6);
    if (i % 3 == 0) x = std::nearbyint(random.Between(0.0, 1e6)) * 1.5707963267948966;
    dd::DD v;
    double bound;
    if (!detail::CosApproximation(x, v, bound)) continue;
    worst = std::max(worst, test::BoundRatio(v.hi, v.lo, 0, mp::Cos(x, 6), bound));
  }
  EXPECT_LT(worst, 0.5) << "the bound has less than one bit of margin";
}

#if QCLR_HAVE_QUADMATH

TEST(Cos, MatchesQuadPrecision) {
  test::Random random(6);
  auto expectAsQuad = [](double x) { ASSERT_TRUE(Same(Cos(x), test::QuadCos(x))) << "cos(" << x << ")"; };
  for (int i = 0; i < 10000; ++i) expectAsQuad(random.Between(-10.0, 10.0));
  for (int i = 0; i < 4000; ++i) expectAsQuad(random.Between(-1.7e6, 1.7e6));
  for (int i = 0; i < 2000; ++i) expectAsQuad(std::ldexp(random.Between(-1.0, 1.0), -random.Int(0, 60)));
  // Doubles nearest to multiples of pi/2 and their neighbours: the tiny results take
  // all their bits from the reduction.
  for (int k = 1; k < 3000; ++k) {
    const double x = k * 1.5707963267948966;
    for (double v : {x, std::nextafter(x, 0.0), std::nextafter(x, 1e7)}) expectAsQuad(v);
  }
  // Arbitrary bit patterns: mostly huge arguments with a long reduction in the slow
  // path, and some infinities and NaNs.
  for (int i = 0; i < 1000; ++i) expectAsQuad(std::bit_cast<double>(random.Next()));
  expectAsQuad(std::numeric_limits<double>::max());
  for (int i = 0; i < 300; ++i) {  // the slow path alone
    const double x = i % 2 == 0 ? random.Between(-10.0, 10.0) : random.Between(-1e6, 1e6);
    ASSERT_EQ(Bits(detail::CosAccurate(x)), Bits(test::QuadCos(x))) << x;
  }
}

#endif

}  // namespace
}  // namespace qclr
