// The built-in profiles: their structure, and their colours through the library's
// own table evaluation and transforms. Grids of 16 and 33 points cannot follow the
// colour models exactly (near the gamut boundary and the ends of the scales the
// interpolation errs by several levels), so the bounds hold most colours to a level
// or two and every colour to what a broken table would far exceed.
#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

#include <gtest/gtest.h>

#include "icc/curve_eval.h"
#include "icc/lut_eval.h"
#include "icc_test_support.h"

namespace qclr {
namespace {

using test::LutPtr;
using test::ProfilePtr;
using test::TransformPtr;

ProfilePtr OpenBuiltin(uint32_t format) {
  int32_t error = -1;
  ProfilePtr p(IccOpenBuiltinProfile(format, &error));
  EXPECT_EQ(error, 0) << std::hex << format;
  return p;
}

TEST(BuiltinProfiles, AreValidProfilesOfTheirKind) {
  struct Case {
    uint32_t format;
    int32_t id;
    uint32_t deviceClass, colorSpace, connectionSpace, tag;
  };
  const Case cases[] = {
      {kFormatRgb8, 105, kIccClassDisplay, kIccSpaceRgb, kIccSpaceXyz, kIccTagBlueCurve},
      {kFormatBgr8, 105, kIccClassDisplay, kIccSpaceRgb, kIccSpaceXyz, kIccTagRedColorant},
      {kFormatCmy8, 110, kIccClassColorSpace, kIccSpaceCmy, kIccSpaceLab, kIccTagAToB0},
      {kFormatCmyk8, 107, kIccClassOutput, kIccSpaceCmyk, kIccSpaceLab, kIccTagBToA0},
      {kFormatLab8, 106, kIccClassColorSpace, kIccSpaceLab, kIccSpaceLab, kIccTagAToB0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.id);
    EXPECT_EQ(IccBuiltinProfileId(c.format), c.id);
    const ProfilePtr p = OpenBuiltin(c.format);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint32_t>({IccGetDeviceClass(p.get()), IccGetColorSpace(p.get()),
                                     IccGetConnectionSpace(p.get()), IccGetRenderingIntent(p.get())}),
              std::vector<uint32_t>({c.deviceClass, c.colorSpace, c.connectionSpace, 0}));
    double illuminant[3];
    IccGetIlluminant(p.get(), illuminant);
    EXPECT_EQ(std::vector<double>(illuminant, illuminant + 3),
              (std::vector<double>{0.964202880859375, 1.0, 0.8249053955078125}));
    for (uint32_t tag : {c.tag, kIccTagDescription, kIccTagCopyright, kIccTagMediaWhite}) {
      EXPECT_TRUE(IccIsTag(p.get(), tag)) << std::hex << tag;
    }
    EXPECT_EQ(uint32_t(p->data[0] << 24 | p->data[1] << 16 | p->data[2] << 8 | p->data[3]), p->size);
  }
  int32_t error = -1;
  EXPECT_EQ(IccOpenBuiltinProfile(kFormat3x16, &error), nullptr);
  EXPECT_EQ(error, 0);

  struct Table {
    uint32_t format, tag;
    int32_t inputs, outputs, points, inputEntries, outputEntries;
    uint32_t flags;
  };
  constexpr uint32_t kAll = LUT_GRID | LUT_PRE_CURVES | LUT_POST_CURVES;
  const Table tables[] = {
      {kFormatCmy8, kIccTagAToB0, 3, 3, 16, 256, 4096, LUT_GRID},
      {kFormatCmy8, kIccTagBToA0, 3, 3, 16, 256, 4096, LUT_GRID | LUT_POST_CURVES},
      {kFormatCmyk8, kIccTagAToB0, 4, 3, 16, 256, 256, LUT_GRID | LUT_PRE_CURVES},
      {kFormatCmyk8, kIccTagBToA0, 3, 4, 33, 256, 256, kAll},
      {kFormatLab8, kIccTagAToB0, 3, 3, 32, 256, 256, kAll},
      {kFormatLab8, kIccTagBToA0, 3, 3, 32, 256, 256, kAll},
  };
  for (const Table& c : tables) {
    const LutPtr t(IccReadLut(OpenBuiltin(c.format).get(), c.tag));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::vector<int64_t>({t->inputChannels, t->outputChannels, t->gridPoints, t->inputEntries,
                                    t->outputEntries, t->flags}),
              std::vector<int64_t>({c.inputs, c.outputs, c.points, c.inputEntries, c.outputEntries, c.flags}))
        << std::hex << c.format << " " << c.tag;
  }
}

// The Lab profile through the library's own evaluation: the reader widens its
// 8-bit entries by 256, and the tables are made for that.
TEST(BuiltinProfiles, LabIsTheIdentityThroughTheReader) {
  const ProfilePtr lab = OpenBuiltin(kFormatLab8);
  const LutPtr toPcs(IccReadLut(lab.get(), kIccTagAToB0)), fromPcs(IccReadLut(lab.get(), kIccTagBToA0));
  ASSERT_TRUE(toPcs && fromPcs);
  // A2B0: byte b is the connection-space value 256 b, within half a step; and
  // B2A0 gives every byte back.
  for (int b = 0; b < 256; ++b) {
    const uint16_t in[3] = {uint16_t(b * 257), uint16_t((255 - b) * 257), 128 * 257};
    uint16_t pcs[3], back[3];
    IccEvalLut(*toPcs, in, pcs);
    IccEvalLut(*fromPcs, pcs, back);
    for (int k = 0; k < 3; ++k) {
      EXPECT_LE(std::abs(pcs[k] - (in[k] / 257) * 256), 128) << b << " " << k;
      EXPECT_EQ(back[k] >> 8, in[k] / 257) << b << " " << k;
    }
  }
}

// Lab of the display's primaries (the common video primaries, white D65, adapted
// to D50) in the 8-bit Lab encoding: red is L 54.3, a 80.8, b 69.9; green L 87.8,
// a -79.3, b 81.0; blue L 29.6, a 68.3, b -112.0. Greys are neutral exactly, from
// black at L 0 up to white at L 255.
TEST(BuiltinProfiles, DisplayColoursInLab) {
  const TransformPtr toLab = test::BuildBuiltin(kFormatRgb8, kFormatLab8);
  ASSERT_NE(toLab, nullptr);
  const std::vector<uint8_t> primaries = test::Convert(*toLab, {255, 0, 0, 0, 255, 0, 0, 0, 255});
  const double expected[9] = {54.29, 80.80, 69.89, 87.82, -79.29, 80.99, 29.57, 68.30, -112.03};
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(primaries[i], i % 3 == 0 ? expected[i] * 2.55 : expected[i] + 128, 1.0) << i;
  std::vector<uint8_t> greys;
  for (int v = 0; v < 256; ++v) greys.insert(greys.end(), 3, uint8_t(v));
  const std::vector<uint8_t> lab = test::Convert(*toLab, greys);
  for (size_t i = 0; i < lab.size(); i += 3) {
    EXPECT_EQ(lab[i + 1], 128) << "grey " << i / 3;
    EXPECT_EQ(lab[i + 2], 128) << "grey " << i / 3;
    if (i > 0) { EXPECT_GE(lab[i], lab[i - 3]) << "grey " << i / 3; }
  }
  EXPECT_EQ(lab.front(), 0);
  EXPECT_EQ(lab[lab.size() - 3], 255);
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

int Percentile(const std::vector<int>& sorted, double q) { return sorted[size_t(q * double(sorted.size() - 1))]; }

// RGB through a built-in profile and back, for colours inside that profile's
// gamut. Measured (median / 99th percentile / largest, levels of the worst channel):
// CMY, the whole cube 1 / 8 / 13; Lab, channels 32..223, 1 / 9 / 18 (the colour is
// held in 8 bits and the 33-point Lab grid spans 8 units of a and b per cell);
// CMYK, colours the press prints (at most 240 of each ink and 275 % in total, shown
// on the display without clipping) 1 / 7 / 14. The CMY profile is the display
// inverted: CMY bytes show as 255 minus each byte.
TEST(BuiltinProfiles, RoundTripsWithinTheGamut) {
  const TransformPtr press = test::BuildBuiltin(kFormatCmyk8, kFormatRgb8);
  ASSERT_NE(press, nullptr);
  std::vector<uint8_t> cmyk, printable;
  for (int c = 0; c <= 240; c += 16)
    for (int m = 0; m <= 240; m += 16)
      for (int y = 0; y <= 240; y += 16)
        for (int k = 0; k <= 240; k += 48) {
          if (c + m + y + k <= 700) cmyk.insert(cmyk.end(), {uint8_t(c), uint8_t(m), uint8_t(y), uint8_t(k)});
        }
  const std::vector<uint8_t> shown = test::Convert(*press, cmyk);
  for (size_t i = 0; i < shown.size(); i += 3) {
    if (std::all_of(&shown[i], &shown[i] + 3, [](uint8_t v) { return v >= 16 && v <= 239; })) {
      printable.insert(printable.end(), &shown[i], &shown[i] + 3);
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
      {"CMY", kFormatCmy8, test::RgbGrid(0, 255, 7), 1, 10, 16},
      {"Lab", kFormatLab8, test::RgbGrid(32, 223, 6), 2, 12, 24},
      {"CMYK", kFormatCmyk8, printable, 1, 10, 18},
  };
  for (const Case& c : cases) {
    const TransformPtr there = test::BuildBuiltin(kFormatRgb8, c.format);
    const TransformPtr back = test::BuildBuiltin(c.format, kFormatRgb8);
    ASSERT_TRUE(there && back);
    const std::vector<int> errors = SortedErrors(c.rgb, test::Convert(*back, test::Convert(*there, c.rgb)));
    EXPECT_LE(Percentile(errors, 0.5), c.median) << c.what;
    EXPECT_LE(Percentile(errors, 0.99), c.p99) << c.what;
    EXPECT_LE(errors.back(), c.largest) << c.what;
    if (c.format != kFormatCmy8) continue;
    std::vector<uint8_t> inverted = c.rgb;
    for (uint8_t& v : inverted) v = uint8_t(255 - v);
    const std::vector<int> asCmy = SortedErrors(test::Convert(*back, c.rgb), inverted);
    EXPECT_LE(Percentile(asCmy, 0.5), 1);
    EXPECT_LE(asCmy.back(), 8);
  }
}

// The press's separation of greys: no ink on the paper, black generation from the
// mid-tones down, a rich black filling the 300 % ink limit (which no node of the
// table exceeds) and printing darker than black ink alone (L* 17). Above it the
// print follows L* in order, neutral, up to A2B0's own interpolation of the model
// (0.7 in the dark greys); shadows keep their lightness.
TEST(BuiltinProfiles, PressSeparatesGreysWithinTheInkLimit) {
  const ProfilePtr press = OpenBuiltin(kFormatCmyk8);
  const LutPtr toInk(IccReadLut(press.get(), kIccTagBToA0)), toLab(IccReadLut(press.get(), kIccTagAToB0));
  ASSERT_TRUE(toInk && toLab);
  auto separate = [&](double l) {
    const uint16_t lab[3] = {uint16_t(l * 652.8 + 0.5), 0x8000, 0x8000};
    std::array<uint16_t, 4> ink;
    IccEvalLut(*toInk, lab, ink.data());
    return ink;
  };
  auto print = [&](const std::array<uint16_t, 4>& ink) {
    uint16_t lab[3];
    IccEvalLut(*toLab, ink.data(), lab);
    return std::array<double, 3>{lab[0] / 652.8, lab[1] / 256.0 - 128.0, lab[2] / 256.0 - 128.0};
  };
  for (uint16_t v : separate(100)) EXPECT_LE(v, 16);
  EXPECT_LT(separate(90)[3], 655);  // light greys from the chromatic inks
  EXPECT_GT(separate(50)[3], 0.3 * 65535);
  std::array<uint16_t, 4> previous = separate(0);
  EXPECT_EQ(previous[3], 65535);
  EXPECT_GT(previous[0] + previous[1] + previous[2] + previous[3], 2.9 * 65535);
  const double black = print(previous)[0];
  EXPECT_LT(black, 12.0);
  double lightness = black;
  for (double l = 0.25; l <= 100.0; l += 0.25) {
    const std::array<uint16_t, 4> ink = separate(l);
    const std::array<double, 3> printed = print(ink);
    if (l > black + 0.5) { EXPECT_NEAR(printed[0], l, 0.75) << l; }
    EXPECT_GE(printed[0], lightness) << l;
    EXPECT_LT(std::hypot(printed[1], printed[2]), 0.75) << l;
    EXPECT_LE(ink[3], previous[3]) << l;
    previous = ink;
    lightness = printed[0];
  }
  double worst = 0;
  for (int32_t n = 0; n < 33 * 33 * 33; ++n) {
    double sum = 0;
    for (int k = 0; k < 4; ++k) sum += IccCurveEval(toInk->outputCurves[k], 256, toInk->grid[4 * n + k]);
    worst = std::max(worst, sum / 65535.0);
  }
  EXPECT_LT(worst, 3.002);
}

// The display's primaries and secondaries lie outside the press's gamut. They keep
// their hue within a few degrees and reach the press's solids: the strongest ink
// of each runs near solid.
TEST(BuiltinProfiles, DisplayPrimariesOnThePressKeepTheirHue) {
  const TransformPtr toInk = test::BuildBuiltin(kFormatRgb8, kFormatCmyk8);
  const TransformPtr rgbToLab = test::BuildBuiltin(kFormatRgb8, kFormatLab8);
  const TransformPtr inkToLab = test::BuildBuiltin(kFormatCmyk8, kFormatLab8);
  ASSERT_TRUE(toInk && rgbToLab && inkToLab);
  const std::vector<uint8_t> primaries = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 255, 255, 255, 0, 255, 255, 255, 0};
  const std::vector<uint8_t> ink = test::Convert(*toInk, primaries);
  const std::vector<uint8_t> source = test::Convert(*rgbToLab, primaries), printed = test::Convert(*inkToLab, ink);
  for (size_t p = 0; p < 6; ++p) {
    const uint8_t *s = &source[3 * p], *q = &printed[3 * p];
    double difference = std::fabs(std::atan2(s[2] - 128.0, s[1] - 128.0) - std::atan2(q[2] - 128.0, q[1] - 128.0));
    difference = std::min(difference, 2 * std::numbers::pi - difference) * 180.0 / std::numbers::pi;
    EXPECT_LT(difference, 4.0) << p;
    EXPECT_GE(*std::max_element(&ink[4 * p], &ink[4 * p] + 3), 220) << p;
    EXPECT_GT(std::hypot(q[1] - 128.0, q[2] - 128.0), 45.0) << p;
  }
}

}  // namespace
}  // namespace qclr
