#include <array>
#include <cmath>
#include <cstdint>
#include <tuple>
#include <type_traits>

#include <gtest/gtest.h>

#include "handle/lab_records.h"
#include "support/lab_test_records.h"

namespace qclr {
namespace {

using test::BuildLabRecords;
using test::LabEncoding;

double Nearest(double x) { return std::trunc(x >= 0 ? x + 0.5 : x - 0.5); }

std::array<int32_t, 4> Limits(const LabEncodeTable& t) { return {t.aMin, t.aMax, t.bMin, t.bMax}; }

TEST(LabRecords, DefaultEncodingBothParameterSetsAndThresholds) {
  const auto r = BuildLabRecords(test::kDefaultLabEncoding);
  // sL = 29580 / 100 in single precision: one unit below the double product 19385548.8.
  EXPECT_EQ((std::array{r.encode->lScaleFixed, r.encode->aScaleFixed, r.encode->bScaleFixed, r.encode->lOffsetFixed}),
            (std::array{19385548, 750 * 65536, 255 * 65536, -2673869}));  // -40.8 x 65536
  // 907489.709..., 357913.941...; limits -128 / 750, 127 / 750, -96 / 255, 159 / 255.
  const LabDecodeTable& d = *r.decode;
  EXPECT_EQ((std::array{d.lScale, d.aScale, d.bScale, double{d.lOffsetFixed}}),
            (std::array{907490.0, 357914.0, 1052688.0, -2673869.0}));
  EXPECT_EQ(Limits(*r.encode), (std::array{-11185, 11097, -24672, 40864}));
  EXPECT_EQ(r.encode->channelTables[4][128], 10132);  // Y from G: (128 / 255) ^ (1 / 0.45) x 0.71516
  EXPECT_EQ((std::array{d.whiteX, r.encode->whiteZ, d.matrix[0], r.encode->matrix[8]}),
            (std::array<double, 4>{95.0166f, 108.765f, 3.240479f, 0.950227f}));

  // The second set: its own white and matrix, with the default encoding.
  LabDecodeTable second{};
  SetDefaultLabDecodeParameters(second);
  BuildLabDecode(second, 45);
  // fixedMatrix[0]: 2.8308806 x 96.421 / 99.997 x 65536.
  EXPECT_EQ(std::tuple(second.whiteX, second.matrix[2], second.fixedMatrix[0]),
            std::tuple(96.421, double{-0.56046003f}, 178890));
  EXPECT_EQ((std::array{second.lScale, second.aScale, second.bScale, double{second.lOffsetFixed}}),
            (std::array{d.lScale, d.aScale, d.bScale, double{d.lOffsetFixed}}));

  // The thresholds against the C library's pow: within one unit, and ascending.
  const int32_t* t = d.thresholds;
  static_assert(std::extent_v<decltype(LabDecodeTable::thresholds)> == 255);
  EXPECT_EQ(t[0], Nearest(std::pow(0.5 / 255, 1 / 0.45) * 268435456));
  EXPECT_LT(t[254], 1 << 28);
  for (int i = 0; i < 255; ++i) {
    ASSERT_NEAR(t[i], std::pow((i + 0.5) / 255, 1 / 0.45) * 268435456, 1) << i;
    ASSERT_TRUE(i == 0 || t[i] > t[i - 1]) << i;
  }
}

// Values beyond the int32 range (127500 / 1 x 65536) saturate instead of wrapping.
TEST(LabRecords, ExtremeEncodingsSaturate) {
  const auto narrow = BuildLabRecords(LabEncoding(0, 100, 128, 1, 96, 1));
  EXPECT_EQ(std::pair(narrow.encode->aScaleFixed, narrow.encode->bScaleFixed), std::pair(INT32_MAX, INT32_MAX));
  const auto far = BuildLabRecords(LabEncoding(INT32_MAX, 100, INT32_MIN, 170, INT32_MAX, 200));
  EXPECT_EQ(Limits(*far.encode), (std::array{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}));
  EXPECT_EQ(far.encode->lOffsetFixed, INT32_MAX);
}

}  // namespace
}  // namespace qclr
