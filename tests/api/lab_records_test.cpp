#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include <gtest/gtest.h>

#include "api/lab_records.h"

namespace qclr {
namespace {

constexpr double kOne16 = 65536;
constexpr double kOne28 = 268435456;

LabOptions Encoding(int32_t lOffset, int32_t lRange, int32_t aOffset, int32_t aRange,
                    int32_t bOffset, int32_t bRange) {
  return {static_cast<uint32_t>(sizeof(LabOptions)), 0, lOffset, lRange, aOffset, aRange,
          bOffset, bRange};
}

const LabOptions kDefault = Encoding(0, 100, 128, 170, 96, 200);

struct Records {
  std::unique_ptr<LabDecodeTable> decode = std::make_unique<LabDecodeTable>();
  std::unique_ptr<LabEncodeTable> encode = std::make_unique<LabEncodeTable>();
};

Records Build(const LabOptions& options) {
  Records r;
  SetLabParametersFromOptions(*r.decode, *r.encode, options);
  BuildLabDecode(*r.decode, 45);
  BuildLabEncode(*r.encode, 45);
  return r;
}

double Nearest(double x) { return std::trunc(x >= 0 ? x + 0.5 : x - 0.5); }

// The limits are the chroma differences at bytes 0 and 255:
// d = (byte - offset) x range / (500 or 200 x 255), in 16.16.
TEST(LabRecords, ChromaLimitsMarkTheByteRange) {
  struct Case {
    LabOptions options;
    int aSign[2], bSign[2];  // expected signs of aMin, aMax and bMin, bMax
  };
  const Case cases[] = {
      {kDefault, {-1, 1}, {-1, 1}},
      {Encoding(0, 100, 0, 170, 96, 200), {0, 1}, {-1, 1}},
      {Encoding(0, 100, 255, 170, 300, 200), {-1, 0}, {-1, -1}},
      {Encoding(10, 50, -20, 400, 128, 255), {1, 1}, {-1, 1}},
  };
  auto sign = [](int32_t v) { return (v > 0) - (v < 0); };
  for (const Case& c : cases) {
    const Records r = Build(c.options);
    const LabOptions& o = c.options;
    const LabEncodeTable& t = *r.encode;
    EXPECT_NEAR(t.aMin, -o.aOffset * o.aRange / 127500.0 * kOne16, 1) << o.aOffset;
    EXPECT_NEAR(t.aMax, (255 - o.aOffset) * o.aRange / 127500.0 * kOne16, 1) << o.aOffset;
    EXPECT_NEAR(t.bMin, -o.bOffset * o.bRange / 51000.0 * kOne16, 1) << o.bOffset;
    EXPECT_NEAR(t.bMax, (255 - o.bOffset) * o.bRange / 51000.0 * kOne16, 1) << o.bOffset;
    EXPECT_EQ(sign(t.aMin), c.aSign[0]);
    EXPECT_EQ(sign(t.aMax), c.aSign[1]);
    EXPECT_EQ(sign(t.bMin), c.bSign[0]);
    EXPECT_EQ(sign(t.bMax), c.bSign[1]);
  }
}

// An encoding whose limits do not straddle zero still gets every table.
TEST(LabRecords, EncodeTablesAreBuiltWhateverTheLimits) {
  const Records reference = Build(kDefault);
  const Records r = Build(Encoding(0, 100, 0, 170, 96, 200));
  ASSERT_EQ(r.encode->aMin, 0);
  EXPECT_EQ(std::memcmp(r.encode->channelTables, reference.encode->channelTables,
                        sizeof reference.encode->channelTables),
            0);
  EXPECT_EQ(std::memcmp(r.encode->cubeRoot, reference.encode->cubeRoot,
                        sizeof reference.encode->cubeRoot),
            0);
  EXPECT_EQ(r.encode->lScaleFixed, reference.encode->lScaleFixed);
  EXPECT_EQ(r.encode->aScaleFixed, reference.encode->aScaleFixed);
  EXPECT_EQ(r.encode->bScaleFixed, reference.encode->bScaleFixed);
  EXPECT_EQ(r.encode->lOffsetFixed, reference.encode->lOffsetFixed);
  EXPECT_GT(reference.encode->channelTables[4][255], 40000);
}

TEST(LabRecords, DefaultEncodingScales) {
  const Records r = Build(kDefault);
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
  const Records r = Build(kDefault);
  const int32_t* t = r.decode->thresholds;
  static_assert(std::extent_v<decltype(LabDecodeTable::thresholds)> == 255);
  EXPECT_EQ(t[0], Nearest(std::pow(0.5 / 255, 1 / 0.45) * kOne28));
  EXPECT_LT(t[254], 1 << 28);
  EXPECT_GT(t[254], 0.99 * kOne28);
  for (int i = 0; i < 255; ++i) {
    EXPECT_NEAR(t[i], std::pow((i + 0.5) / 255, 1 / 0.45) * kOne28, 1) << i;
    if (i > 0) {
      EXPECT_GT(t[i], t[i - 1]) << i;
    }
  }
}

TEST(LabRecords, CubeRoot) {
  const Records r = Build(kDefault);
  const uint16_t* f = r.encode->cubeRoot;
  EXPECT_EQ(f[0], Nearest(0.13793103 * kOne16));
  EXPECT_EQ(f[4095], Nearest(std::cbrt(65520.0 / 65536) * kOne16));
  EXPECT_LT(f[4095], 65536);
  for (int j = 0; j < 4096; ++j) {
    const double t = j / 4096.0;
    const double expected = t > 0.008856 ? std::cbrt(t) : 7.7867 * t + 0.13793103;
    ASSERT_NEAR(f[j], expected * kOne16, 1) << j;
    if (j > 0) {
      ASSERT_GE(f[j], f[j - 1]) << j;
    }
  }
}

// Each row of three channel tables sums to X/Xn, Y/Yn, Z/Zn of white at 255, and
// the decode matrix undoes the encode tables: together they give the identity.
TEST(LabRecords, DecodeMatrixInvertsEncodeTables) {
  const Records r = Build(kDefault);
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
  Records r;
  SetLabParametersFromOptions(*r.decode, *r.encode, Encoding(1, 2, 3, 4, 5, 6));
  EXPECT_EQ(r.decode->whiteX, static_cast<double>(95.0166f));
  EXPECT_NE(r.decode->whiteX, 95.0166);
  EXPECT_EQ(r.encode->whiteZ, static_cast<double>(108.765f));
  EXPECT_EQ(r.encode->whiteY, 100.0);
  EXPECT_EQ(r.decode->matrix[0], static_cast<double>(3.240479f));
  EXPECT_EQ(r.encode->matrix[8], static_cast<double>(0.950227f));
  EXPECT_EQ(r.decode->lOffset, 1);
  EXPECT_EQ(r.encode->bRange, 6);

  LabDecodeTable d{};
  SetDefaultLabDecodeParameters(d);
  EXPECT_EQ(d.whiteX, 96.421);
  EXPECT_EQ(d.whiteZ, 82.524);
  EXPECT_EQ(d.matrix[2], static_cast<double>(-0.56046003f));
  const int32_t encoding[6] = {d.lOffset, d.lRange, d.aOffset, d.aRange, d.bOffset, d.bRange};
  const int32_t expected[6] = {0, 100, 128, 170, 96, 200};
  EXPECT_TRUE(std::equal(encoding, encoding + 6, expected));
  BuildLabDecode(d, 45);
  EXPECT_EQ(d.fixedMatrix[0], Nearest(d.matrix[0] * (96.421 / 99.997) * kOne16));
  EXPECT_EQ(d.fixedMatrix[4], Nearest(d.matrix[4] * kOne16));
  EXPECT_EQ(d.fixedMatrix[8], Nearest(d.matrix[8] * (82.524 / 99.997) * kOne16));
}

// Zero ranges are refused before the builders run; handed one anyway, they give a
// zero scale, the widest limits and the offset alone. Values beyond int32 saturate.
TEST(LabRecords, DegenerateEncodingsStayDefined) {
  const Records zero = Build(Encoding(7, 0, 128, 0, 96, 0));
  EXPECT_EQ(zero.encode->lScaleFixed, 0);
  EXPECT_EQ(zero.encode->aScaleFixed, 0);
  EXPECT_EQ(zero.encode->bScaleFixed, 0);
  EXPECT_EQ(zero.encode->lOffsetFixed, 7 * 65536);
  EXPECT_EQ(zero.encode->aMin, INT32_MIN);
  EXPECT_EQ(zero.encode->aMax, INT32_MAX);
  EXPECT_EQ(zero.encode->bMin, INT32_MIN);
  EXPECT_EQ(zero.encode->bMax, INT32_MAX);
  EXPECT_EQ(zero.decode->lScale, 0.0);
  EXPECT_EQ(zero.decode->aScale, 0.0);
  EXPECT_EQ(zero.decode->lOffsetFixed, 7.0f * 65536);

  // 127500 / 1 x 65536 and 51000 / 1 x 65536 do not fit 32 bits.
  const Records narrow = Build(Encoding(0, 100, 128, 1, 96, 1));
  EXPECT_EQ(narrow.encode->aScaleFixed, INT32_MAX);
  EXPECT_EQ(narrow.encode->bScaleFixed, INT32_MAX);

  // Huge offsets push the limits and the L offset past the int32 range.
  const Records far = Build(Encoding(INT32_MAX, 100, INT32_MIN, 170, INT32_MAX, 200));
  EXPECT_EQ(far.encode->aMin, INT32_MAX);
  EXPECT_EQ(far.encode->aMax, INT32_MAX);
  EXPECT_EQ(far.encode->bMin, INT32_MIN);
  EXPECT_EQ(far.encode->bMax, INT32_MIN);
  EXPECT_EQ(far.encode->lOffsetFixed, INT32_MAX);
}

}  // namespace
}  // namespace qclr
