#include <array>
#include <cstdint>

#include <gtest/gtest.h>

#include "numeric/mul_div.h"

namespace qclr {
namespace {

TEST(MulDiv, RoundsHalvesAwayFromZeroAndReportsFailures) {
  const std::array<int32_t, 4> cases[] = {
      {-128, 60, 255, -30}, {5, 1, 3, 2}, {4, 1, 3, 1},  // -30.12, 1.67, 1.33
      {1, 1, 2, 1},         {-1, 1, 2, -1}, {-7, -1, -2, -4},  // 0.5, -0.5, 7 / -2 = -3.5
      {10, 20, 0, -1},      {INT32_MAX, 2, 1, -1}, {INT32_MIN, -1, 1, -1},  // zero divisor, overflows
      {INT32_MIN, 1, 1, INT32_MIN}, {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},  // 64-bit product
  };
  for (const auto& [a, b, c, expected] : cases) EXPECT_EQ(MulDiv(a, b, c), expected) << a << " * " << b << " / " << c;
}

}  // namespace
}  // namespace qclr
