#include <algorithm>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include "transform_test_support.h"

namespace qclr {
namespace {

using test::TransformPtr;

std::vector<uint8_t> RgbGrid(int lo, int hi, int step) {
  std::vector<uint8_t> rgb;
  for (int r = lo; r <= hi; r += step) {
    for (int g = lo; g <= hi; g += step) {
      for (int b = lo; b <= hi; b += step) rgb.insert(rgb.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    }
  }
  return rgb;
}

// Per pixel, the largest difference of a channel in levels, sorted.
std::vector<int> SortedErrors(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<int> errors;
  for (size_t i = 0; i + 2 < a.size(); i += 3) {
    errors.push_back(std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])}));
  }
  std::sort(errors.begin(), errors.end());
  return errors;
}

int Percentile(const std::vector<int>& sorted, double q) {
  return sorted[static_cast<size_t>(q * static_cast<double>(sorted.size() - 1))];
}

// RGB through a built-in profile and back, for colours inside that profile's
// gamut. Measured with these profiles (median / 99th percentile / largest, in
// levels of the worst channel):
//   CMY, the whole cube                          1 / 8 / 13
//   Lab, channels 32..223                        1 / 9 / 18   (whole cube 2 / 18 / 35)
//   CMYK, colours printed by the press           1 / 7 / 14
// The CMY profile is the display inverted; its 16-point tables and the 33-point
// sampling cost a level or two, more where a channel is near 0, because the
// display curve's inverse is steep near black (a small error in light is several
// levels there). Through Lab the colour is held in 8 bits, L in steps of 0.39 and
// a and b in whole units, and the 33-point Lab grid spans 8 units of a and b per
// cell; saturated colours near the surface of the cube suffer most. The press
// gamut is smaller than the display's, so its colours are made by the press:
// CMYK with at most 240 of each ink and 275 % in total, shown on the display
// without clipping (channels 16..239).
TEST(TransformRoundTrip, BuiltInProfilesWithinTheirGamut) {
  std::vector<uint8_t> printable;
  {
    const TransformPtr press = test::BuildBuiltin(kFormatCmyk8, kFormatRgb8);
    ASSERT_NE(press, nullptr);
    std::vector<uint8_t> cmyk;
    for (int c = 0; c <= 240; c += 16) {
      for (int m = 0; m <= 240; m += 16) {
        for (int y = 0; y <= 240; y += 16) {
          for (int k = 0; k <= 240; k += 48) {
            if (c + m + y + k <= 700) cmyk.insert(cmyk.end(), {uint8_t(c), uint8_t(m), uint8_t(y), uint8_t(k)});
          }
        }
      }
    }
    const std::vector<uint8_t> shown = test::Convert(*press, cmyk);
    for (size_t i = 0; i < shown.size(); i += 3) {
      if (std::all_of(&shown[i], &shown[i] + 3, [](uint8_t v) { return v >= 16 && v <= 239; })) {
        printable.insert(printable.end(), &shown[i], &shown[i] + 3);
      }
    }
  }
  ASSERT_GT(printable.size(), 3u * 5000);

  struct Case {
    const char* what;
    uint32_t format;
    std::vector<uint8_t> rgb;
    int median, p99, largest;
  };
  const Case cases[] = {
      {"CMY", kFormatCmy8, RgbGrid(0, 255, 7), 1, 10, 16},
      {"Lab", kFormatLab8, RgbGrid(32, 223, 6), 2, 12, 24},
      {"CMYK", kFormatCmyk8, printable, 1, 10, 18},
  };
  for (const Case& c : cases) {
    const TransformPtr there = test::BuildBuiltin(kFormatRgb8, c.format);
    const TransformPtr back = test::BuildBuiltin(c.format, kFormatRgb8);
    ASSERT_NE(there, nullptr);
    ASSERT_NE(back, nullptr);
    const std::vector<int> errors = SortedErrors(c.rgb, test::Convert(*back, test::Convert(*there, c.rgb)));
    EXPECT_LE(Percentile(errors, 0.5), c.median) << c.what;
    EXPECT_LE(Percentile(errors, 0.99), c.p99) << c.what;
    EXPECT_LE(errors.back(), c.largest) << c.what;
  }
}

// Lab of the display's primaries (the common video primaries, white D65, adapted
// to D50) and of its greys, in the 8-bit Lab encoding: red is L 54.3, a 80.8,
// b 69.9; green L 87.8, a -79.3, b 81.0; blue L 29.6, a 68.3, b -112.0.
TEST(TransformRoundTrip, DisplayColoursInLab) {
  const TransformPtr toLab = test::BuildBuiltin(kFormatRgb8, kFormatLab8);
  const TransformPtr toRgb = test::BuildBuiltin(kFormatLab8, kFormatRgb8);
  ASSERT_NE(toLab, nullptr);
  ASSERT_NE(toRgb, nullptr);
  struct Case {
    uint8_t rgb[3];
    double lab[3];
  };
  const Case cases[] = {
      {{255, 0, 0}, {54.29, 80.80, 69.89}},  {{0, 255, 0}, {87.82, -79.29, 80.99}},
      {{0, 0, 255}, {29.57, 68.30, -112.03}}, {{255, 255, 255}, {100, 0, 0}},
      {{0, 0, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> lab = test::Convert(*toLab, {c.rgb, c.rgb + 3});
    EXPECT_NEAR(lab[0], c.lab[0] * 2.55, 1.0) << int(c.rgb[0]) << " " << int(c.rgb[1]) << " " << int(c.rgb[2]);
    EXPECT_NEAR(lab[1], c.lab[1] + 128, 1.0) << int(c.rgb[0]) << " " << int(c.rgb[1]) << " " << int(c.rgb[2]);
    EXPECT_NEAR(lab[2], c.lab[2] + 128, 1.0) << int(c.rgb[0]) << " " << int(c.rgb[1]) << " " << int(c.rgb[2]);
  }
  // Greys stay on the neutral axis both ways.
  std::vector<uint8_t> greys;
  for (int v = 0; v < 256; v += 5) greys.insert(greys.end(), {uint8_t(v), uint8_t(v), uint8_t(v)});
  const std::vector<uint8_t> lab = test::Convert(*toLab, greys);
  for (size_t i = 0; i < lab.size(); i += 3) {
    EXPECT_NEAR(lab[i + 1], 128, 1) << "grey " << int(greys[i]);
    EXPECT_NEAR(lab[i + 2], 128, 1) << "grey " << int(greys[i]);
    if (i > 0) {
      EXPECT_GT(lab[i], lab[i - 3]) << "grey " << int(greys[i]);
    }
  }
  std::vector<uint8_t> neutrals;
  for (int l = 0; l < 256; l += 5) neutrals.insert(neutrals.end(), {uint8_t(l), 128, 128});
  const std::vector<uint8_t> rgb = test::Convert(*toRgb, neutrals);
  for (size_t i = 0; i < rgb.size(); i += 3) {
    const auto [lo, hi] = std::minmax({rgb[i], rgb[i + 1], rgb[i + 2]});
    EXPECT_LE(hi - lo, 2) << "L " << int(neutrals[i]);
  }
  EXPECT_GE(rgb[rgb.size() - 3], 253);  // L = 100 is the display's white
}

}  // namespace
}  // namespace qclr
