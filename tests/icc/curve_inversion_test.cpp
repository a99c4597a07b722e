#include <vector>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "icc/curve_eval.h"
#include "icc/curve_inversion.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::CurvePtr;
using test::GammaEntries;
using test::MakeCurve;

TEST(CurveInversion, ReversedIdentity) {
  const CurvePtr identity = MakeCurve({0, 65535});
  const CurvePtr reversed(IccReverseCurve(256, identity.get()));
  ASSERT_NE(reversed, nullptr);
  ASSERT_EQ(reversed->count, 256);
  const uint16_t* e = reversed->entries;
  // An exact hit stores the probe plus one, an exhausted search the last midpoint.
  const std::vector<uint16_t> head(e, e + 5), tail(e + 253, e + 256);
  EXPECT_EQ(head, (std::vector<uint16_t>{2, 258, 514, 772, 1030}));
  EXPECT_EQ(tail, (std::vector<uint16_t>{65022, 65278, 65535}));
}

// Entry i of the reversed curve is an input near which the curve reaches i x 257:
// the search stores one above the probed input, and an exhausted search ends
// within a step of the crossing.
TEST(CurveInversion, ReverseFindsTheCurveInputs) {
  for (double gamma : {1.0, 1.8, 2.2, 0.45}) {
    const CurvePtr curve = MakeCurve(GammaEntries(1024, gamma));
    const CurvePtr reversed(IccReverseCurve(256, curve.get()));
    ASSERT_NE(reversed, nullptr);
    auto at = [&](int32_t x) { return int32_t{IccCurveEval(curve->entries, 1024, x)}; };
    for (int i = 0; i < 256; ++i) {
      const int32_t m = reversed->entries[i], target = i * 257;
      EXPECT_LE(at(m - 3), target) << gamma << " " << i;
      EXPECT_GE(at(m + 1), target) << gamma << " " << i;
      if (i > 0) {
        EXPECT_LE(reversed->entries[i - 1], m);
      }
    }
  }
}

TEST(CurveInversion, JoinOfACurveWithItselfIsARamp) {
  for (double gamma : {1.0, 2.2}) {
    const CurvePtr curve = MakeCurve(GammaEntries(1024, gamma));
    const CurvePtr joined(IccJoinCurves(curve.get(), curve.get()));
    ASSERT_NE(joined, nullptr);
    ASSERT_EQ(joined->count, 256);
    for (int i = 0; i < 256; ++i) EXPECT_NEAR(joined->entries[i] >> 8, i, 1) << i;
  }
  // Joining with a different curve applies the first and undoes the second.
  const CurvePtr gamma1 = MakeCurve(GammaEntries(256, 1.0));
  const CurvePtr gamma2 = MakeCurve(GammaEntries(256, 2.0));
  const CurvePtr joined(IccJoinCurves(gamma1.get(), gamma2.get()));
  EXPECT_NEAR(joined->entries[64] >> 8, 127, 1);  // sqrt(64 / 255) = 0.501
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
