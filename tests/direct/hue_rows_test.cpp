// The HSV, HLS and HSI rows: every implementation against the portable rows.
#include "direct/hue_rows.h"

#include <gtest/gtest.h>

#include <vector>

#include "direct/hsi_rows.h"
#include "row_check.h"

namespace qclr {
namespace {

// Greys, black, white, ties between the largest channels, each channel alone.
const std::vector<uint8_t> kRgbSpecials = {0,   0,   0,   255, 255, 255, 100, 100, 100, 255, 255, 0, 0,   255,
                                           255, 255, 0,   255, 255, 0,   0,   0,   255, 0,   0,   0, 255, 24,
                                           1,   0,   120, 0,   1,   2,   1,   1,   255, 0,   128, 1, 0,   0};

TEST(HueRows, EveryImplementationGivesThePortableBytes) {
  struct Case {
    const char* what;
    const RowVariants<test::PixelRow>& rows;
    std::vector<uint8_t> specials;
  } const cases[] = {
      {"RGB -> HSV", hue::kRgbToHsvRows, kRgbSpecials},
      // H 255 (360 degrees), S 0, each sector's start.
      {"HSV -> RGB", hue::kHsvToRgbRows, {255, 255, 255, 77, 0,   99,  0,   255,
                                          255, 43,  255, 1,  85,  7,   200, 128,
                                          255, 200, 170, 3,  255, 213, 255, 9}},
      {"RGB -> HLS", hue::kRgbToHlsRows, kRgbSpecials},
      // L on both sides of 128, the wheel's turning points 42, 127, 170.
      {"HLS -> RGB", hue::kHlsToRgbRows, {0,  127, 255, 42, 128, 255, 127, 255, 255, 170, 1, 1,
                                          85, 0,   9,   43, 200, 100, 128, 127, 3,   171, 0, 255}},
      {"RGB -> HSI", hsi::kRgbToHsiRows, kRgbSpecials},
      // Each of the three hue sectors and their borders (bytes 85 and 170), h = 0 and pi.
      {"HSI -> RGB", hsi::kHsiToRgbRows, {100, 0,   0,   255, 85,  255, 255, 86,
                                          255, 200, 170, 128, 200, 171, 128, 9,
                                          255, 255, 0,   128, 255, 255, 127, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::ExpectEveryRowMatchesPortable(c.rows, {}, c.specials);
  }
}

}  // namespace
}  // namespace qclr
