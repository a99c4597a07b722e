#include <array>
#include <cstdint>
#include <random>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

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

#ifdef _WIN32
// The library's own MulDiv, which gives the same bytes on every platform, rounds as
// the system's does, over operands of every magnitude. (Results of exactly
// INT32_MIN are left out: Wine's MulDiv reports them as overflows.)
TEST(MulDiv, AgreesWithTheSystems) {
  std::mt19937 random(15);
  const auto operand = [&] { return static_cast<int32_t>(random()) >> (random() % 32); };
  for (int i = 0; i < 200000; ++i) {
    const int32_t a = operand(), b = operand(), c = operand();
    const int32_t mine = MulDiv(a, b, c);
    if (mine != INT32_MIN) {
      ASSERT_EQ(mine, ::MulDiv(a, b, c)) << a << " * " << b << " / " << c;
    }
  }
}
#endif

}  // namespace
}  // namespace qclr
