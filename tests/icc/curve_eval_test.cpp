#include <vector>

#include <gtest/gtest.h>

#include "icc/curve_eval.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::GammaEntries;

std::vector<uint16_t> Ramp(int32_t count) {
  std::vector<uint16_t> e(count);
  for (int32_t i = 0; i < count; ++i) e[i] = uint16_t(double(i) / (count - 1) * 65535.0 + 0.5);
  return e;
}

TEST(CurveEval, LastEntryAt65535) {
  // The vectors are sized exactly: a read of the neighbour past the last entry
  // trips the sanitizer build.
  for (const std::vector<uint16_t>& c :
       {std::vector<uint16_t>{7}, std::vector<uint16_t>{0, 65000}, GammaEntries(256, 2.2),
        GammaEntries(4096, 0.45), std::vector<uint16_t>{65535, 1234, 4321}}) {
    const auto n = static_cast<int32_t>(c.size());
    EXPECT_EQ(IccCurveEval(c.data(), n, 65535), c.back()) << n;
    EXPECT_EQ(IccCurveEvalFixed(c.data(), n, 65535), c.back()) << n;
    EXPECT_EQ(IccCurveEval(c.data(), n, 0), c.front()) << n;
    EXPECT_EQ(IccCurveEvalFixed(c.data(), n, 0), c.front()) << n;
  }
}

TEST(CurveEval, InterpolationAndRounding) {
  struct Case {
    std::vector<uint16_t> curve;
    uint16_t x;
    int32_t doubleResult, fixedResult;
  };
  const Case cases[] = {
      // pos = 16384 / 65535 x 2 = 0.500008: 500.008 + 0.5, floored.
      {{0, 1000, 3000}, 16384, 500, 500},
      // Second segment: pos = 1.500008.
      {{0, 1000, 3000}, 49151, 2000, 2000},
      // Falling segment: the double lookup floors 500.49; the fixed-point one
      // truncates -499.52 + 0.5 toward zero (f = 32769 / 65536).
      {{1000, 0}, 32768, 500, 501},
      // An identity curve of two entries gives the input back.
      {{0, 65535}, 12345, 12345, 12345},
  };
  for (const Case& c : cases) {
    const auto n = static_cast<int32_t>(c.curve.size());
    EXPECT_EQ(IccCurveEval(c.curve.data(), n, c.x), c.doubleResult) << c.x;
    EXPECT_EQ(IccCurveEvalFixed(c.curve.data(), n, c.x), c.fixedResult) << c.x;
  }
}

TEST(CurveEval, LongCurvesKeepTheirPosition) {
  // 40000 entries put the 16.16 position of the fixed-point lookup above 2^31.
  const std::vector<uint16_t> ramp = Ramp(40000);
  for (int32_t x = 0; x <= 65535; x += 997) {
    EXPECT_NEAR(IccCurveEvalFixed(ramp.data(), 40000, uint16_t(x)), x, 1) << x;
    EXPECT_NEAR(IccCurveEval(ramp.data(), 40000, x), x, 1) << x;
  }
}

TEST(CurveEval, Linearity) {
  std::vector<uint16_t> bumped = Ramp(256);
  bumped[100] += 1;
  std::vector<uint16_t> widened(256);  // 8-bit values shifted, i x 256
  for (int i = 0; i < 256; ++i) widened[i] = uint16_t(i << 8);
  struct Case {
    std::vector<uint16_t> curve;
    bool linear;
  };
  const Case cases[] = {{Ramp(2), true},    {Ramp(256), true},      {Ramp(4096), true},
                        {{}, true},         {{0}, false},           {bumped, false},
                        {widened, false},   {GammaEntries(256, 1.8), false}};
  for (const Case& c : cases) {
    EXPECT_EQ(IccCurveIsLinear(c.curve.data(), int32_t(c.curve.size())), c.linear)
        << c.curve.size();
  }
}

TEST(CurveEval, Resample) {
  const std::vector<uint16_t> coarse = GammaEntries(256, 2.2);
  const std::vector<uint16_t> fine = GammaEntries(1024, 2.2);
  std::vector<uint16_t> resampled(1024);
  IccResampleCurve(coarse.data(), 256, resampled.data(), 1024);
  // Chords of the coarse curve stay within 0.33 of it; the sample inputs are
  // rounded to whole numbers, where the curve rises by up to 2.2 per step.
  for (int i = 0; i < 1024; ++i) EXPECT_NEAR(resampled[i], fine[i], 2) << i;

  std::vector<uint16_t> same(256);
  IccResampleCurve(coarse.data(), 256, same.data(), 256);
  EXPECT_EQ(same, coarse);

  // Up from a two-entry identity: a ramp.
  const std::vector<uint16_t> identity = {0, 65535};
  IccResampleCurve(identity.data(), 2, resampled.data(), 1024);
  EXPECT_TRUE(IccCurveIsLinear(resampled.data(), 1024));
}

}  // namespace
}  // namespace qclr
