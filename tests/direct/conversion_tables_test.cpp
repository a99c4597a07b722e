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

TEST(ConversionTables, RangeLimitBytes) {
  const uint8_t* limit = LibraryYccTables().limit;
  const int cases[][2] = {{-256, 0}, {-1, 0},    {0, 0},    {200, 200}, {255, 255},
                          {256, 255}, {639, 255}, {640, 0},  {1024, 0},  {1030, 6}, {1151, 127}};
  for (const auto& c : cases) EXPECT_EQ(limit[c[0]], c[1]) << c[0];
}

}  // namespace
}  // namespace qclr
