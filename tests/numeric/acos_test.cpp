#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "numeric/deterministic_math.h"
#include "numeric/elementary_paths.h"
#include "numeric/multi_precision_functions.h"
#include "numeric/reference.h"

namespace qclr {
namespace {

using test::Bits;

constexpr double kPi = 0x1.921fb54442d18p1;        // pi rounded to double
constexpr double kHalfPi = 0x1.921fb54442d18p0;

TEST(Acos, SpecialValues) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  const double invalid[] = {std::numeric_limits<double>::quiet_NaN(), 1.0 + 0x1p-52,
                            -1.0 - 0x1p-52, kInf, -kInf, 2.0};
  for (double x : invalid) EXPECT_TRUE(std::isnan(Acos(x))) << x;
  const float invalidFloats[] = {std::numeric_limits<float>::quiet_NaN(), 0x1.000002p0f,
                                 -0x1.000002p0f, HUGE_VALF, -HUGE_VALF};
  for (float x : invalidFloats) EXPECT_TRUE(std::isnan(Acosf(x))) << x;
  struct Case {
    double x, expected;
  };
  const Case cases[] = {{1.0, 0.0}, {-1.0, kPi}, {0.0, kHalfPi}, {-0.0, kHalfPi},
                        {0x1p-1074, kHalfPi}, {0.5, 0x1.0c152382d7366p0}};  // pi/3
  for (const Case& c : cases) EXPECT_EQ(Bits(Acos(c.x)), Bits(c.expected)) << c.x;
  EXPECT_EQ(Acosf(1.0f), 0.0f);
  EXPECT_EQ(Acosf(-1.0f), 0x1.921fb6p1f);
  EXPECT_EQ(Acosf(0.0f), 0x1.921fb6p0f);
}

TEST(Acos, FastPathStaysWithinItsErrorBound) {
  test::Random random(23);
  double worst = 0;
  for (int i = 0; i < 3000; ++i) {
    double x = random.Between(-1.0, 1.0);
    if (i % 3 == 0) x = (i % 2 == 0 ? 1.0 : -1.0) * (1.0 - test::Scaled(random.Unit(), -random.Int(1, 53)));
    dd::DD v;
    double error;
    detail::AcosApproximation(x, v, error);
    const double ratio = test::RelativeError(v.hi, v.lo, 0, mp::Acos(x, 6)) / error;
    worst = ratio > worst ? ratio : worst;
  }
  EXPECT_LT(worst, 0.5) << "the bound has less than one bit of margin";
}

TEST(Acos, SinglePrecisionAgreesWithItsSlowPath) {
  test::Random random(29);
  for (int i = 0; i < 3000; ++i) {
    const float x = static_cast<float>(random.Between(-1.0, 1.0));
    ASSERT_EQ(Acosf(x), detail::AcosfAccurate(x)) << x;
  }
}

#if QCLR_HAVE_QUADMATH

TEST(Acos, MatchesQuadPrecision) {
  test::Random random(9);
  auto expectAsQuad = [](double x) {
    ASSERT_EQ(Bits(Acos(x)), Bits(test::QuadAcos(x))) << "acos(" << x << ")";
  };
  for (int i = 0; i < 10000; ++i) expectAsQuad(random.Between(-1.0, 1.0));
  for (int i = 0; i < 3000; ++i) {
    // Near +-1, +-1/2 (where the method changes) and 0.
    const double sign = i % 2 == 0 ? 1.0 : -1.0;
    const double offset = test::Scaled(random.Unit(), -random.Int(1, 53));
    expectAsQuad(sign * (1.0 - offset));
    expectAsQuad(sign * (0.5 + (i % 4 < 2 ? offset : -offset) * 0.25));
    expectAsQuad(sign * offset);
  }
  for (int i = 0; i < 300; ++i) {
    const double x = random.Between(-1.0, 1.0);
    ASSERT_EQ(Bits(detail::AcosAccurate(x)), Bits(test::QuadAcos(x))) << "slow path " << x;
  }
}

TEST(Acos, SinglePrecisionMatchesQuadPrecision) {
  // Every float in [-1, 1] would take minutes; take every 32749th one, and every
  // float within 2^11 of +-1, +-1/2 and 0.
  auto expectAsQuad = [](uint32_t bits) {
    float x;
    std::memcpy(&x, &bits, sizeof x);
    ASSERT_EQ(Acosf(x), test::QuadAcosf(x)) << "acosf(" << x << ")";
  };
  for (uint32_t sign : {0u, 0x80000000u}) {
    for (uint32_t b = 0; b <= 0x3F800000u; b += 32749) expectAsQuad(sign | b);
    for (uint32_t center : {0x3F800000u, 0x3F000000u}) {
      for (uint32_t b = center - (1u << 11); b <= center; ++b) expectAsQuad(sign | b);
      if (center == 0x3F000000u) {
        for (uint32_t b = center; b < center + (1u << 11); ++b) expectAsQuad(sign | b);
      }
    }
    for (uint32_t b = 0; b < (1u << 11); ++b) expectAsQuad(sign | b);
  }
}

#endif

}  // namespace
}  // namespace qclr
