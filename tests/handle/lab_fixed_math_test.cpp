#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include <gtest/gtest.h>

#include "api/lab_records.h"
#include "handle/lab_fixed_math.h"

namespace qclr {
namespace {

constexpr int32_t kOne28 = 1 << 28;

TEST(LabFixedMath, FixMulDocumentedValues) {
  struct Case {
    int32_t a, b, product;
  };
  const Case cases[] = {
      {32768, 3, 2},  // 1.5 rounds half up
      {32768, 1, 1},
      {-32768, 1, 0},  // -0.5 rounds up to 0
      {-65536, 65536, -65536},
      {-1, -1, 0},
      {65536 * 3, -65536 * 5, -65536 * 15},
      {INT32_MIN, 65536, INT32_MIN},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FixMul(c.a, c.b), c.product) << c.a << " x " << c.b;
    EXPECT_EQ(FixMul(c.b, c.a), c.product) << c.b << " x " << c.a;
  }
  std::mt19937 random(11);
  for (int i = 0; i < 20000; ++i) {
    const int32_t x = static_cast<int32_t>(random());
    ASSERT_EQ(FixMul(65536, x), x);
    ASSERT_EQ(FixMul(x, 65536), x);
  }
  for (int32_t x : {INT32_MIN, INT32_MAX, -1, 0, 1}) EXPECT_EQ(FixMul(65536, x), x);
}

// Against floor((a x b + 32768) / 65536) in 64 bits: equal when it fits, its low
// 32 bits otherwise; FixMulWide gives it whole.
TEST(LabFixedMath, FixMulIsTheRoundedProduct) {
  std::mt19937 random(5);
  int fitting = 0;
  for (int i = 0; i < 200000; ++i) {
    // Operands of every magnitude, so that both fitting and wrapping products occur.
    const int32_t a = static_cast<int32_t>(random()) >> (random() % 32);
    const int32_t b = static_cast<int32_t>(random()) >> (random() % 32);
    const int64_t exact = (int64_t{a} * b + 32768) >> 16;
    ASSERT_EQ(FixMulWide(a, b), exact) << a << " x " << b;
    ASSERT_EQ(FixMul(a, b), static_cast<int32_t>(static_cast<uint32_t>(exact))) << a << " x " << b;
    fitting += exact >= INT32_MIN && exact <= INT32_MAX;
  }
  EXPECT_GT(fitting, 100000);
  EXPECT_LT(fitting, 200000);
}

double InverseCompanding(double f) { return f > 6.0 / 29 ? f * f * f : (f - 16.0 / 116) / 7.787; }

TEST(LabFixedMath, LabFInverse) {
  struct Case {
    int32_t t, r;
  };
  const Case cases[] = {
      {kOne28, kOne28},     {37025548, 0},        {0, 0}, {-1, 0}, {INT32_MIN, 0}, {-kOne28, 0},
      {INT32_MAX, kOne28},  {2 * kOne28, kOne28},  // the plain cube would overflow here
      {kOne28 + 1, kOne28},
  };
  for (const Case& c : cases) EXPECT_EQ(LabFInverse(c.t), c.r) << c.t;

  int32_t previous = 0;
  for (int64_t t = -kOne28; t <= INT32_MAX; t += 9973) {
    const int32_t r = LabFInverse(static_cast<int32_t>(t));
    ASSERT_GE(r, previous) << t;  // monotone, and never wraps round
    ASSERT_LE(r, kOne28) << t;
    previous = r;
    if (t >= 37025548 && t <= kOne28) {
      ASSERT_NEAR(r, InverseCompanding(static_cast<double>(t) / kOne28) * kOne28, 1e-4 * kOne28)
          << t;
    }
  }
}

TEST(LabFixedMath, EncodeByThresholdsOnTheRealTable) {
  LabDecodeTable record{};
  SetDefaultLabDecodeParameters(record);
  BuildLabDecode(record, 45);
  const int32_t* t = record.thresholds;
  for (int32_t i = 0; i < 255; ++i) {
    ASSERT_EQ(EncodeByThresholds(t[i] - 1, t), i) << i;
    ASSERT_EQ(EncodeByThresholds(t[i], t), i + 1) << i;
    ASSERT_EQ(EncodeByThresholds(t[i] + 1, t), i + 1) << i;
  }
  EXPECT_EQ(EncodeByThresholds(INT32_MIN, t), 0);
  EXPECT_EQ(EncodeByThresholds(0, t), 0);
  EXPECT_EQ(EncodeByThresholds(kOne28, t), 255);
  EXPECT_EQ(EncodeByThresholds(INT32_MAX, t), 255);
}

// Whatever the table holds, the search stays inside it and answers 0..255.
TEST(LabFixedMath, EncodeByThresholdsOnOtherTables) {
  const std::vector<int32_t> flat(255, 1000);
  EXPECT_EQ(EncodeByThresholds(999, flat.data()), 0);
  EXPECT_EQ(EncodeByThresholds(1000, flat.data()), 255);

  std::mt19937 random(3);
  std::vector<int32_t> scrambled(255);
  for (int32_t& v : scrambled) v = static_cast<int32_t>(random());
  for (int i = 0; i < 1000; ++i) {
    const int32_t code = EncodeByThresholds(static_cast<int32_t>(random()), scrambled.data());
    ASSERT_GE(code, 0);
    ASSERT_LE(code, 255);
  }
}

}  // namespace
}  // namespace qclr
