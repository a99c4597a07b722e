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

TEST(Acos, SpecialValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  EXPECT_TRUE(std::isnan(Acos(1.0 + 0x1p-52)) && std::isnan(Acos(-1.0 - 0x1p-52)));
  for (double x : {std::numeric_limits<double>::quiet_NaN(), 1.0 + 0x1p-23, -1.0 - 0x1p-23, kInf, -kInf}) {
    EXPECT_TRUE(std::isnan(Acos(x))) << x;
    EXPECT_TRUE(std::isnan(Acosf(static_cast<float>(x)))) << x;
  }
  const double pi = 0x1.921fb54442d18p1;  // rounded to double
  const double cases[][2] = {{1.0, 0.0},       {-1.0, pi},           {0.0, pi / 2},
                             {-0.0, pi / 2},   {0x1p-1074, pi / 2},  {0.5, 0x1.0c152382d7366p0}};
  for (const auto& c : cases) EXPECT_EQ(Bits(Acos(c[0])), Bits(c[1])) << c[0];
  EXPECT_EQ(Acosf(1.0f), 0.0f);
  EXPECT_EQ(Acosf(-1.0f), 0x1.921fb6p1f);
  EXPECT_EQ(Acosf(0.0f), 0x1.921fb6p0f);
}

TEST(Acos, FastPathStaysWithinItsErrorBound) {
  test::Random random(23);
  double worst = 0;
  for (int i = 0; i < 3000; ++i) {
    double x = random.Between(-1.0, 1.0);
    if (i % 3 == 0) x = (i % 2 == 0 ? 1.0 : -1.0) * (1.0 - std::ldexp(random.Unit(), -random.Int(1, 53)));
    dd::DD v;
    double bound;
    detail::AcosApproximation(x, v, bound);
    worst = std::max(worst, test::BoundRatio(v.hi, v.lo, 0, mp::Acos(x, 6), bound));
  }
  EXPECT_LT(worst, 0.5) << "the bound has less than one bit of margin";
}

#if QCLR_HAVE_QUADMATH

// The fast path is covered by its bound and the rounding test; the slow path alone
// against quad precision.
TEST(Acos, SlowPathMatchesQuadPrecision) {
  test::Random random(9);
  for (int i = 0; i < 400; ++i) {
    const double x = random.Between(-1.0, 1.0);
    ASSERT_EQ(Bits(detail::AcosAccurate(x)), Bits(test::QuadAcos(x))) << x;
  }
}

// Every 32749th float in [-1, 1], and every float within 2^11 of 0, +-1/2 and +-1;
// the slow path on every 16th of them.
TEST(Acos, SinglePrecisionMatchesQuadPrecision) {
  int count = 0;
  auto expectAsQuad = [&count](uint32_t bits) {
    const float x = std::bit_cast<float>(bits);
    ASSERT_EQ(Acosf(x), test::QuadAcosf(x)) << "acosf(" << x << ")";
    if (++count % 16 == 0) { ASSERT_EQ(detail::AcosfAccurate(x), test::QuadAcosf(x)) << x; }
  };
  for (uint32_t sign : {0u, 0x80000000u}) {
    for (uint32_t b = 0; b <= 0x3F800000u; b += 32749) expectAsQuad(sign | b);
    for (uint32_t d = 0; d < (1u << 11); ++d) {
      for (uint32_t b : {d, 0x3F000000u - d, 0x3F000000u + d, 0x3F800000u - d}) expectAsQuad(sign | b);
    }
  }
}

#endif

}  // namespace
}  // namespace qclr
