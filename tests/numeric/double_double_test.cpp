#include "numeric/double_double.h"

#include <gtest/gtest.h>

#include "numeric/reference.h"
#include "numeric/rounding_test.h"

namespace qclr::dd {
namespace {

using test::Bits;

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
