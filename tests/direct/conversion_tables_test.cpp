#include <gtest/gtest.h>

#include "direct/conversion_tables.h"

namespace qclr {
namespace {

TEST(ConversionTables, SquareTableValues) {
  const uint16_t* s = SquareTable();
  EXPECT_EQ(s[0], 0);
  EXPECT_EQ(s[128], 64);   // 256 x 0.25196 = 64.50, truncated
  EXPECT_EQ(s[254], 253);  // 256 x 0.99217 = 253.99
  EXPECT_EQ(s[255], 256);
  for (int i = 1; i < 256; ++i) EXPECT_LE(s[i - 1], s[i]);
}

// The vector rows compute the tables' entries instead of looking them up
// (ink_rows_*.cpp, ycck_rows_*.cpp): every entry against those formulas.
TEST(ConversionTables, EntriesEqualTheFormulasTheVectorRowsUse) {
  const uint16_t* square = SquareTable();
  const YccTables& t = LibraryYccTables();
  YccTables own{};
  BuildYccDecodeTables(&own);
  for (int32_t i = 0; i < 256; ++i) {
    const int32_t i2 = i * i, x = i - 128;
    ASSERT_EQ(square[i], ((i2 << 8) + (i2 << 1) + 782) >> 16) << i;
    ASSERT_EQ(t.ry[i], 19595 * i);
    ASSERT_EQ(t.gy[i], 2 * 19235 * i);
    ASSERT_EQ(t.by[i], 7471 * i + 32768);
    ASSERT_EQ(t.rcb[i], -11059 * i);
    ASSERT_EQ(t.gcb[i], -21709 * i);
    ASSERT_EQ(t.bcb[i], (i << 15) + 8421375);
    ASSERT_EQ(t.gcr[i], -27439 * i);
    ASSERT_EQ(t.bcr[i], -5329 * i);
    for (const YccTables* tables : {&t, static_cast<const YccTables*>(&own)}) {
      ASSERT_EQ(tables->crR[i], x + ((26345 * 256 * x + (1 << 23)) >> 24)) << i;
      ASSERT_EQ(tables->cbB[i], 2 * x + ((-14942 * 256 * x + (1 << 23)) >> 24)) << i;
      for (int32_t j = 0; j < 256; ++j) {  // (cbG[cb] + crG[cr]) >> 16 over every pair
        ASSERT_EQ((tables->cbG[i] + tables->crG[j]) >> 16,
                  (256 * (-11277 * x - 23401 * (j - 128)) + (1 << 22)) >> 23)
            << i << " " << j;
      }
    }
  }
}

TEST(ConversionTables, RangeLimitBytes) {
  const uint8_t* limit = LibraryYccTables().limit;
  const int cases[][2] = {{-256, 0}, {-1, 0},    {0, 0},    {200, 200}, {255, 255},
                          {256, 255}, {639, 255}, {640, 0},  {1024, 0},  {1030, 6}, {1151, 127}};
  for (const auto& c : cases) EXPECT_EQ(limit[c[0]], c[1]) << c[0];
}

TEST(ConversionTables, HandleCopyOwnsItsRangeLimit) {
  YccTables own{};
  BuildYccDecodeTables(&own);
  EXPECT_EQ(own.limit[300], 255);
  EXPECT_EQ(own.crR[0], LibraryYccTables().crR[0]);
}

}  // namespace
}  // namespace qclr
