// Curve lookups (double and fixed point), the linearity test, reversal and joining.

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

TEST(CurveEval, InterpolationAndRounding) {
  struct Case {
    std::vector<uint16_t> curve;
    uint16_t x;
    int32_t doubleResult, fixedResult;
  };
  // The curves are sized exactly: a read past the last entry trips the sanitizer.
  const Case cases[] = {
      {{7}, 0, 7, 7},                   {{7}, 65535, 7, 7},                       {{0, 65000}, 65535, 65000, 65000},
      {{65535, 1234, 4321}, 0, 65535, 65535}, {{65535, 1234, 4321}, 65535, 4321, 4321},
      {GammaEntries(4096, 0.45), 65535, 65535, 65535},
      // pos = 16384 / 65535 x 2 = 0.500008: 500.008 + 0.5, floored.
      {{0, 1000, 3000}, 16384, 500, 500},
      {{0, 1000, 3000}, 49151, 2000, 2000},  // second segment: pos = 1.500008
      // Falling segment: the double lookup floors 500.49; the fixed-point one
      // truncates -499.52 + 0.5 toward zero (f = 32769 / 65536).
      {{1000, 0}, 32768, 500, 501},
      {{0, 65535}, 12345, 12345, 12345},
  };
  for (const Case& c : cases) {
    const auto n = int32_t(c.curve.size());
    EXPECT_EQ(IccCurveEval(c.curve.data(), n, c.x), c.doubleResult) << c.x;
    EXPECT_EQ(IccCurveEvalFixed(c.curve.data(), n, c.x), c.fixedResult) << c.x;
  }
  // 40000 entries put the 16.16 position of the fixed-point lookup above 2^31.
  const std::vector<uint16_t> ramp = Ramp(40000);
  for (int32_t x = 0; x <= 65535; x += 997) {
    EXPECT_NEAR(IccCurveEvalFixed(ramp.data(), 40000, uint16_t(x)), x, 1) << x;
    EXPECT_NEAR(IccCurveEval(ramp.data(), 40000, x), x, 1) << x;
  }
}

TEST(CurveInversion, ReversedIdentity) {
  const CurvePtr identity = MakeCurve({0, 65535});
  const CurvePtr reversed(IccReverseCurve(256, identity.get()));
  ASSERT_NE(reversed, nullptr);
  ASSERT_EQ(reversed->count, 256);
  const uint16_t* e = reversed->entries;
  // An exact hit stores the probe plus one, an exhausted search the last midpoint.
  EXPECT_EQ(std::vector<uint16_t>(e, e + 5), (std::vector<uint16_t>{2, 258, 514, 772, 1030}));
  EXPECT_EQ(std::vector<uint16_t>(e + 253, e + 256), (std::vector<uint16_t>{65022, 65278, 65535}));
}

// Joining applies the first curve and undoes the second.
TEST(CurveInversion, JoinAppliesTheFirstAndUndoesTheSecond) {
  const CurvePtr linear = MakeCurve(GammaEntries(256, 1.0)), square = MakeCurve(GammaEntries(256, 2.0));
  const CurvePtr joined(IccJoinCurves(linear.get(), square.get()));
  ASSERT_NE(joined, nullptr);
  ASSERT_EQ(joined->count, 256);
  EXPECT_NEAR(joined->entries[64] >> 8, 127, 1);  // sqrt(64 / 255) = 0.501
  const CurvePtr back(IccJoinCurves(square.get(), linear.get()));
  EXPECT_NEAR(back->entries[128] >> 8, 64, 1);  // (128 / 255)^2 = 0.252
}

TEST(CurveInversion, RefusesBadArguments) {
  const CurvePtr curve = MakeCurve({0, 65535});
  EXPECT_EQ(IccReverseCurve(1, curve.get()), nullptr);
  EXPECT_EQ(IccReverseCurve(256, nullptr), nullptr);
  EXPECT_EQ(IccJoinCurves(nullptr, curve.get()), nullptr);
  SetAllocationFailure(0);
  EXPECT_EQ(IccReverseCurve(256, curve.get()), nullptr);
  SetAllocationFailure(0);
  EXPECT_EQ(IccJoinCurves(curve.get(), curve.get()), nullptr);
  SetAllocationFailure(-1);
}

}  // namespace
}  // namespace qclr
