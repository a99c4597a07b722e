#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include <gtest/gtest.h>

#include "api/lab_records.h"
#include "support/lab_test_records.h"

namespace qclr {
namespace {

using test::BuildLabRecords;
using test::kDefaultLabEncoding;
using test::LabEncoding;

constexpr double kOne16 = 65536;
constexpr double kOne28 = 268435456;

double Nearest(double x) { return std::trunc(x >= 0 ? x + 0.5 : x - 0.5); }

std::array<int32_t, 4> Limits(const LabEncodeTable& t) { return {t.aMin, t.aMax, t.bMin, t.bMax}; }

TEST(LabRecords, DefaultEncodingScalesAndLimits) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  // sL = 29580 / 100 in single precision is 295.79998779..., one unit below the
  // double-precision product 19385548.8.
  EXPECT_EQ(r.encode->lScaleFixed, 19385548);
  EXPECT_EQ(r.encode->aScaleFixed, 750 * 65536);
  EXPECT_EQ(r.encode->bScaleFixed, 255 * 65536);
  EXPECT_EQ(r.encode->lOffsetFixed, -2673869);  // -40.8 x 65536
  EXPECT_EQ(r.decode->lOffsetFixed, -2673869.0f);
  EXPECT_EQ(r.decode->lScale, 907490.0);  // 907489.709...
  EXPECT_EQ(r.decode->aScale, 357914.0);  // 357913.941...
  EXPECT_EQ(r.decode->bScale, 1052688.0);
  // -128 / 750, 127 / 750, -96 / 255 and 159 / 255 in 16.16.
  EXPECT_EQ(Limits(*r.encode), (std::array{-11185, 11097, -24672, 40864}));
  EXPECT_EQ(r.encode->channelTables[4][128], 10132);  // Y from G: (128 / 255) ^ (1 / 0.45) x 0.71516
}

// An encoding whose limits do not straddle zero still gets every table.
TEST(LabRecords, EncodeTablesAreBuiltWhateverTheLimits) {
  const auto reference = BuildLabRecords(kDefaultLabEncoding);
  const auto r = BuildLabRecords(LabEncoding(0, 100, 0, 170, 96, 200));
  const LabEncodeTable &t = *r.encode, &ref = *reference.encode;
  ASSERT_EQ(t.aMin, 0);
  EXPECT_EQ(std::memcmp(t.channelTables, ref.channelTables, sizeof ref.channelTables), 0);
  EXPECT_EQ(std::memcmp(t.cubeRoot, ref.cubeRoot, sizeof ref.cubeRoot), 0);
  EXPECT_EQ(t.lScaleFixed, ref.lScaleFixed);
}

// The thresholds against the C library's pow: within one unit, and ascending.
// (How the cube-root table and the matrices convert is checked with the
// fixed-point Lab converters.)
TEST(LabRecords, ThresholdsAndCubeRootEnds) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  const int32_t* t = r.decode->thresholds;
  static_assert(std::extent_v<decltype(LabDecodeTable::thresholds)> == 255);
  EXPECT_EQ(t[0], Nearest(std::pow(0.5 / 255, 1 / 0.45) * kOne28));
  EXPECT_LT(t[254], 1 << 28);
  for (int i = 0; i < 255; ++i) {
    ASSERT_NEAR(t[i], std::pow((i + 0.5) / 255, 1 / 0.45) * kOne28, 1) << i;
    ASSERT_TRUE(i == 0 || t[i] > t[i - 1]) << i;
  }
  EXPECT_EQ(r.encode->cubeRoot[0], Nearest(0.13793103 * kOne16));
  EXPECT_EQ(r.encode->cubeRoot[4095], Nearest(std::cbrt(65520.0 / 65536) * kOne16));  // below 65536
}

TEST(LabRecords, ParameterSetsHoldSinglePrecisionValues) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  EXPECT_EQ(r.decode->whiteX, static_cast<double>(95.0166f));
  EXPECT_EQ(r.encode->whiteZ, static_cast<double>(108.765f));
  EXPECT_EQ(r.decode->matrix[0], static_cast<double>(3.240479f));
  EXPECT_EQ(r.encode->matrix[8], static_cast<double>(0.950227f));

  // The second set: its own white and matrix, with the default encoding.
  LabDecodeTable d{};
  SetDefaultLabDecodeParameters(d);
  BuildLabDecode(d, 45);
  EXPECT_EQ(d.whiteX, 96.421);
  EXPECT_EQ(d.matrix[2], static_cast<double>(-0.56046003f));
  EXPECT_EQ(d.fixedMatrix[0], 178890);  // 2.8308806 x 96.421 / 99.997 x 65536
  EXPECT_EQ((std::array{d.lScale, d.aScale, d.bScale, double{d.lOffsetFixed}}),
            (std::array{r.decode->lScale, r.decode->aScale, r.decode->bScale, double{r.decode->lOffsetFixed}}));
}

// Values beyond the int32 range saturate instead of wrapping.
TEST(LabRecords, ExtremeEncodingsSaturate) {
  // 127500 / 1 x 65536 and 51000 / 1 x 65536 do not fit 32 bits.
  const auto narrow = BuildLabRecords(LabEncoding(0, 100, 128, 1, 96, 1));
  EXPECT_EQ(narrow.encode->aScaleFixed, INT32_MAX);
  EXPECT_EQ(narrow.encode->bScaleFixed, INT32_MAX);
  const auto far = BuildLabRecords(LabEncoding(INT32_MAX, 100, INT32_MIN, 170, INT32_MAX, 200));
  EXPECT_EQ(Limits(*far.encode), (std::array{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}));
  EXPECT_EQ(far.encode->lOffsetFixed, INT32_MAX);
}

}  // namespace
}  // namespace qclr
