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

// The limits are the chroma differences at bytes 0 and 255:
// d = (byte - offset) x range / (500 or 200 x 255), in 16.16.
TEST(LabRecords, ChromaLimitsMarkTheByteRange) {
  for (const LabOptions& o : {kDefaultLabEncoding, LabEncoding(0, 100, 0, 170, 96, 200),
                              LabEncoding(0, 100, 255, 170, 300, 200),
                              LabEncoding(10, 50, -20, 400, 128, 255)}) {
    const auto r = BuildLabRecords(o);
    const LabEncodeTable& t = *r.encode;
    EXPECT_NEAR(t.aMin, -o.aOffset * o.aRange / 127500.0 * kOne16, 1) << o.aOffset;
    EXPECT_NEAR(t.aMax, (255 - o.aOffset) * o.aRange / 127500.0 * kOne16, 1) << o.aOffset;
    EXPECT_NEAR(t.bMin, -o.bOffset * o.bRange / 51000.0 * kOne16, 1) << o.bOffset;
    EXPECT_NEAR(t.bMax, (255 - o.bOffset) * o.bRange / 51000.0 * kOne16, 1) << o.bOffset;
  }
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  const LabEncodeTable& t = *r.encode;
  EXPECT_TRUE(t.aMin < 0 && 0 < t.aMax && t.bMin < 0 && 0 < t.bMax);
}

// An encoding whose limits do not straddle zero still gets every table.
TEST(LabRecords, EncodeTablesAreBuiltWhateverTheLimits) {
  const auto reference = BuildLabRecords(kDefaultLabEncoding);
  const auto r = BuildLabRecords(LabEncoding(0, 100, 0, 170, 96, 200));
  const LabEncodeTable &t = *r.encode, &ref = *reference.encode;
  ASSERT_EQ(t.aMin, 0);
  EXPECT_EQ(std::memcmp(t.channelTables, ref.channelTables, sizeof ref.channelTables), 0);
  EXPECT_EQ(std::memcmp(t.cubeRoot, ref.cubeRoot, sizeof ref.cubeRoot), 0);
  EXPECT_EQ((std::array{t.lScaleFixed, t.aScaleFixed, t.bScaleFixed, t.lOffsetFixed}),
            (std::array{ref.lScaleFixed, ref.aScaleFixed, ref.bScaleFixed, ref.lOffsetFixed}));
  EXPECT_GT(ref.channelTables[4][255], 40000);
}

TEST(LabRecords, DefaultEncodingScales) {
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
}

TEST(LabRecords, Thresholds) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  const int32_t* t = r.decode->thresholds;
  static_assert(std::extent_v<decltype(LabDecodeTable::thresholds)> == 255);
  EXPECT_EQ(t[0], Nearest(std::pow(0.5 / 255, 1 / 0.45) * kOne28));
  EXPECT_LT(t[254], 1 << 28);
  EXPECT_GT(t[254], 0.99 * kOne28);
  for (int i = 0; i < 255; ++i) {
    ASSERT_NEAR(t[i], std::pow((i + 0.5) / 255, 1 / 0.45) * kOne28, 1) << i;
    ASSERT_TRUE(i == 0 || t[i] > t[i - 1]) << i;
  }
}

TEST(LabRecords, CubeRoot) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  const uint16_t* f = r.encode->cubeRoot;
  EXPECT_EQ(f[0], Nearest(0.13793103 * kOne16));
  EXPECT_EQ(f[4095], Nearest(std::cbrt(65520.0 / 65536) * kOne16));
  EXPECT_LT(f[4095], 65536);
  for (int j = 0; j < 4096; ++j) {
    const double t = j / 4096.0;
    const double expected = t > 0.008856 ? std::cbrt(t) : 7.7867 * t + 0.13793103;
    ASSERT_NEAR(f[j], expected * kOne16, 1) << j;
    ASSERT_TRUE(j == 0 || f[j] >= f[j - 1]) << j;
  }
}

// Each row of three channel tables sums to X/Xn, Y/Yn, Z/Zn of white at 255, and
// the decode matrix undoes the encode tables: together they give the identity.
TEST(LabRecords, DecodeMatrixInvertsEncodeTables) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  const auto& c = r.encode->channelTables;
  for (int row = 0; row < 3; ++row) {
    const int32_t white = c[3 * row][255] + c[3 * row + 1][255] + c[3 * row + 2][255];
    EXPECT_NEAR(white, 65536, 0.002 * kOne16) << row;
    for (int col = 0; col < 3; ++col) EXPECT_EQ(c[3 * row + col][0], 0);
  }
  for (int col = 0; col < 3; ++col) {
    for (int row = 0; row < 3; ++row) {
      int64_t sum = 0;
      for (int k = 0; k < 3; ++k) {
        sum += int64_t{r.decode->fixedMatrix[3 * row + k]} * c[3 * k + col][255];
      }
      EXPECT_NEAR(static_cast<double>(sum) / kOne16, row == col ? kOne16 : 0, 8)
          << row << "," << col;
    }
  }
}

TEST(LabRecords, ParameterSetsHoldSinglePrecisionValues) {
  const auto r = BuildLabRecords(kDefaultLabEncoding);
  EXPECT_EQ(r.decode->whiteX, static_cast<double>(95.0166f));
  EXPECT_NE(r.decode->whiteX, 95.0166);
  EXPECT_EQ(r.encode->whiteZ, static_cast<double>(108.765f));
  EXPECT_EQ(r.decode->matrix[0], static_cast<double>(3.240479f));
  EXPECT_EQ(r.encode->matrix[8], static_cast<double>(0.950227f));

  // The second set: its own white and matrix, with the default encoding.
  LabDecodeTable d{};
  SetDefaultLabDecodeParameters(d);
  BuildLabDecode(d, 45);
  EXPECT_EQ(d.matrix[2], static_cast<double>(-0.56046003f));
  EXPECT_EQ(d.fixedMatrix[0], Nearest(d.matrix[0] * (96.421 / 99.997) * kOne16));
  EXPECT_EQ(d.fixedMatrix[8], Nearest(d.matrix[8] * (82.524 / 99.997) * kOne16));
  EXPECT_EQ((std::array{d.lScale, d.aScale, d.bScale, double{d.lOffsetFixed}}),
            (std::array{r.decode->lScale, r.decode->aScale, r.decode->bScale,
                        double{r.decode->lOffsetFixed}}));
}

// Zero ranges are refused before the builders run; handed one anyway, they give a
// zero scale, the widest limits and the offset alone. Values beyond int32 saturate.
TEST(LabRecords, DegenerateEncodingsStayDefined) {
  const auto zero = BuildLabRecords(LabEncoding(7, 0, 128, 0, 96, 0));
  const LabEncodeTable& t = *zero.encode;
  EXPECT_EQ((std::array{t.lScaleFixed, t.aScaleFixed, t.bScaleFixed, t.lOffsetFixed}),
            (std::array{0, 0, 0, 7 * 65536}));
  EXPECT_EQ(Limits(t), (std::array{INT32_MIN, INT32_MAX, INT32_MIN, INT32_MAX}));
  EXPECT_EQ(zero.decode->lScale, 0.0);
  EXPECT_EQ(zero.decode->lOffsetFixed, 7.0f * 65536);

  // 127500 / 1 x 65536 and 51000 / 1 x 65536 do not fit 32 bits.
  const auto narrow = BuildLabRecords(LabEncoding(0, 100, 128, 1, 96, 1));
  EXPECT_EQ(narrow.encode->aScaleFixed, INT32_MAX);
  EXPECT_EQ(narrow.encode->bScaleFixed, INT32_MAX);

  // Huge offsets push the limits and the L offset past the int32 range.
  const auto far = BuildLabRecords(LabEncoding(INT32_MAX, 100, INT32_MIN, 170, INT32_MAX, 200));
  EXPECT_EQ(Limits(*far.encode), (std::array{INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}));
  EXPECT_EQ(far.encode->lOffsetFixed, INT32_MAX);
}

}  // namespace
}  // namespace qclr
