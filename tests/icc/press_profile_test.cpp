// The built-in press profile through the library's own table evaluation and
// transforms: the neutral ramp, round trips of printable colours, display greys
// and colours on the press, and where the display's primaries land.
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "icc/color_transform.h"
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/lut_eval.h"
#include "icc/pixel_format.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

struct Closer {
  void operator()(IccProfile* p) const { IccCloseProfile(p); }
  void operator()(LutTable* t) const { FreeLutTable(t); }
  void operator()(ColorTransform* t) const { IccDeleteTransform(t); }
};
using ProfilePtr = std::unique_ptr<IccProfile, Closer>;
using TablePtr = std::unique_ptr<LutTable, Closer>;
using TransformPtr = std::unique_ptr<ColorTransform, Closer>;

using Ink = std::array<uint16_t, 4>;
using Lab = std::array<double, 3>;

class PressProfile : public testing::Test {
 protected:
  void SetUp() override {
    int32_t error = -1;
    profile_.reset(IccOpenBuiltinProfile(kFormatCmyk8, &error));
    ASSERT_NE(profile_, nullptr);
    toLab_.reset(IccReadLut(profile_.get(), kIccTagAToB0));
    toInk_.reset(IccReadLut(profile_.get(), kIccTagBToA0));
    ASSERT_NE(toLab_, nullptr);
    ASSERT_NE(toInk_, nullptr);
  }

  Ink Separate(const Lab& lab) const {
    const uint16_t in[3] = {Encode(lab[0] * 652.8), Encode((lab[1] + 128.0) * 256.0),
                            Encode((lab[2] + 128.0) * 256.0)};
    Ink ink;
    IccEvalLut(*toInk_, in, ink.data());
    return ink;
  }

  Lab Print(const Ink& ink) const {
    uint16_t out[3];
    IccEvalLut(*toLab_, ink.data(), out);
    return {out[0] / 652.8, out[1] / 256.0 - 128.0, out[2] / 256.0 - 128.0};
  }

  static uint16_t Encode(double v) { return static_cast<uint16_t>(std::clamp(std::floor(v + 0.5), 0.0, 65535.0)); }

 private:
  ProfilePtr profile_;
  TablePtr toLab_, toInk_;
};

double DeltaE(const Lab& a, const Lab& b) {
  return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
}

double Percentile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  return values[static_cast<size_t>(q * (values.size() - 1))];
}

TEST_F(PressProfile, NeutralRampIsMonotoneBalancedAndEndsInTheRichBlack) {
  const Ink richBlack = Separate({0.0, 0.0, 0.0});
  const Lab black = Print(richBlack);
  // The rich black: full black, the chromatic inks filling the ink limit in a
  // neutral balance, darker than black ink alone (L* 17).
  EXPECT_EQ(richBlack[3], 65535);
  double total = 0;
  for (uint16_t v : richBlack) total += v / 65535.0;
  EXPECT_GT(total, 2.9);
  EXPECT_LE(total, 3.002);
  EXPECT_LT(black[0], 12.0);
  EXPECT_LT(std::hypot(black[1], black[2]), 0.5);

  Ink previous = richBlack;
  double previousLightness = black[0];
  for (double l = 0.25; l <= 100.0; l += 0.25) {
    SCOPED_TRACE(l);
    const Ink ink = Separate({l, 0.0, 0.0});
    const Lab printed = Print(ink);
    // Below the rich black (and the grid cell that holds it) every grey takes
    // it; above, the print follows L* up to A2B0's own interpolation of the
    // model, which errs by up to 0.7 in the dark greys.
    if (l < black[0] - 2.0) {
      for (int k = 0; k < 4; ++k) EXPECT_NEAR(ink[k], richBlack[k], 16) << k;
    }
    if (l > black[0] + 0.5) {
      EXPECT_NEAR(printed[0], l, 0.75);
    }
    EXPECT_GE(printed[0], previousLightness);
    EXPECT_LT(std::hypot(printed[1], printed[2]), 0.75);
    EXPECT_LE(ink[3], previous[3]);
    // Neighbouring greys 0.25 L* apart differ by at most 4 % of any ink (the
    // steepest part is just above the rich black, where the model darkens
    // slowly as ink is added).
    for (int k = 0; k < 4; ++k) EXPECT_LE(std::abs(ink[k] - previous[k]), 0.04 * 65535) << k;
    previous = ink;
    previousLightness = printed[0];
  }
  for (uint16_t v : Separate({100.0, 0.0, 0.0})) EXPECT_LE(v, 16);  // the paper: no ink
}

// Random printable inks (a total below 280 %) through A2B0, B2A0 and A2B0 again.
// Measured: median 0.16, 95 % below 0.86, 99 % below 1.4, worst 3.0 (a dark
// colour next to the rich black, where a grid cell spans colours that need very
// different inks). Half of that is A2B0's own interpolation of the model.
TEST_F(PressProfile, PrintableColoursRoundTrip) {
  const std::vector<uint8_t> random = test::RandomBytes(4 * 24000, 11);
  std::vector<double> trip;
  for (size_t i = 0; i < random.size(); i += 4) {
    if (random[i] + random[i + 1] + random[i + 2] + random[i + 3] > 2.8 * 255) continue;
    const Ink ink = {static_cast<uint16_t>(random[i] * 257), static_cast<uint16_t>(random[i + 1] * 257),
                     static_cast<uint16_t>(random[i + 2] * 257), static_cast<uint16_t>(random[i + 3] * 257)};
    const Lab lab = Print(ink);
    trip.push_back(DeltaE(lab, Print(Separate(lab))));
  }
  ASSERT_GT(trip.size(), 20000u);
  EXPECT_LT(Percentile(trip, 0.5), 0.25);
  EXPECT_LT(Percentile(trip, 0.95), 1.0);
  EXPECT_LT(Percentile(trip, 0.99), 1.6);
  EXPECT_LT(Percentile(trip, 1.0), 3.5);
}

class DisplayOnPress : public testing::Test {
 protected:
  static TransformPtr Make(uint32_t from, uint32_t to) {
    int32_t status = 0;
    TransformPtr t(IccCreateTransformByTemperature(from, to, 50, 0, nullptr, nullptr, &status));
    EXPECT_EQ(status, 1);
    return t;
  }
  void SetUp() override {
    toInk_ = Make(kFormatRgb8, kFormatCmyk8);
    toRgb_ = Make(kFormatCmyk8, kFormatRgb8);
    ASSERT_NE(toInk_, nullptr);
    ASSERT_NE(toRgb_, nullptr);
  }
  std::array<uint8_t, 4> Ink(const std::array<uint8_t, 3>& rgb) const {
    std::array<uint8_t, 4> ink;
    IccApplyTransform(toInk_.get(), rgb.data(), ink.data(), 1);
    return ink;
  }
  std::array<uint8_t, 3> Back(const std::array<uint8_t, 4>& ink) const {
    std::array<uint8_t, 3> rgb;
    IccApplyTransform(toRgb_.get(), ink.data(), rgb.data(), 1);
    return rgb;
  }

 private:
  TransformPtr toInk_, toRgb_;
};

// Display greys darker than the press's black all print as the rich black and
// come back as its grey (27); from there up they come back within 2 levels, as
// greys (the light ones within 2 levels of balance, where one level of ink is
// several of RGB) and in order.
TEST_F(DisplayOnPress, GreysRoundTrip) {
  const std::array<uint8_t, 4> richBlack = Ink({0, 0, 0});
  EXPECT_EQ(richBlack[3], 255);
  const uint8_t pressBlack = Back(richBlack)[1];
  EXPECT_LT(pressBlack, 32);
  int previous = 0;
  for (int g = 0; g < 256; ++g) {
    SCOPED_TRACE(g);
    const auto v = static_cast<uint8_t>(g);
    const std::array<uint8_t, 3> back = Back(Ink({v, v, v}));
    EXPECT_LE(std::max({back[0], back[1], back[2]}) - std::min({back[0], back[1], back[2]}), 2);
    EXPECT_GE(back[1], previous - 1);
    // The transform's grid cell around the black point blends the two.
    if (g + 3 < pressBlack) {
      EXPECT_EQ(back[1], pressBlack);
    } else {
      EXPECT_LE(std::abs(back[1] - std::max<int>(g, pressBlack)), 2);
    }
    previous = back[1];
  }
  EXPECT_EQ(Ink({255, 255, 255}), (std::array<uint8_t, 4>{0, 0, 0, 0}));
}

// Display colours the press can print: the colours of a grid of printable inks
// (within the ink limit) that the display shows unclipped. Measured: median 1
// level, 95 % within 3, 99 % within 5, the worst 17 (the red channel of dark
// cyans and greens, near the bottom of its range, where 0.6 of a colour
// difference - A2B0's and the sampled transforms' interpolation - is 10 levels).
TEST_F(DisplayOnPress, PrintableColoursRoundTrip) {
  std::vector<double> errors;
  for (int c = 0; c < 256; c += 17)
    for (int m = 0; m < 256; m += 17)
      for (int y = 0; y < 256; y += 17)
        for (int k = 0; k < 256; k += 17) {
          if (c + m + y + k > 2.8 * 255) continue;
          const std::array<uint8_t, 3> rgb = Back({static_cast<uint8_t>(c), static_cast<uint8_t>(m),
                                                   static_cast<uint8_t>(y), static_cast<uint8_t>(k)});
          if (*std::min_element(rgb.begin(), rgb.end()) < 5 || *std::max_element(rgb.begin(), rgb.end()) > 250) {
            continue;
          }
          const std::array<uint8_t, 3> back = Back(Ink(rgb));
          int error = 0;
          for (int i = 0; i < 3; ++i) error = std::max(error, std::abs(back[i] - rgb[i]));
          errors.push_back(error);
        }
  ASSERT_GT(errors.size(), 40000u);
  EXPECT_LE(Percentile(errors, 0.5), 1.0);
  EXPECT_LE(Percentile(errors, 0.95), 3.0);
  EXPECT_LE(Percentile(errors, 0.99), 6.0);
  EXPECT_LE(Percentile(errors, 1.0), 20.0);
}

// The display's primaries and secondaries lie outside the press's gamut. They
// keep their hue within a few degrees and reach the press's saturated colours:
// the strongest ink of each runs near solid.
TEST_F(DisplayOnPress, PrimariesKeepTheirHueAndReachTheSolids) {
  const TransformPtr rgbToLab = Make(kFormatRgb8, kFormatLab8);
  const TransformPtr inkToLab = Make(kFormatCmyk8, kFormatLab8);
  const std::array<uint8_t, 3> primaries[] = {{255, 0, 0},   {0, 255, 0},   {0, 0, 255},
                                              {0, 255, 255}, {255, 0, 255}, {255, 255, 0}};
  for (const auto& rgb : primaries) {
    SCOPED_TRACE(testing::Message() << int{rgb[0]} << " " << int{rgb[1]} << " " << int{rgb[2]});
    const std::array<uint8_t, 4> ink = Ink(rgb);
    uint8_t source[3], printed[3];
    IccApplyTransform(rgbToLab.get(), rgb.data(), source, 1);
    IccApplyTransform(inkToLab.get(), ink.data(), printed, 1);
    const double hueSource = std::atan2(source[2] - 128.0, source[1] - 128.0);
    const double huePrinted = std::atan2(printed[2] - 128.0, printed[1] - 128.0);
    double difference = std::fabs(hueSource - huePrinted) * 180.0 / 3.141592653589793;
    if (difference > 180.0) difference = 360.0 - difference;
    EXPECT_LT(difference, 4.0);
    EXPECT_GE(*std::max_element(ink.begin(), ink.begin() + 3), 220);
    EXPECT_GT(std::hypot(printed[1] - 128.0, printed[2] - 128.0), 45.0);
  }
}

}  // namespace
}  // namespace qclr
