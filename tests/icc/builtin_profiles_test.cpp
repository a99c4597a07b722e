// The built-in profiles: their structure, and their colours through the library's
// own evaluation. The grids cannot follow the colour models exactly, so the bounds
// hold most colours to a level or two and all to what a broken table far exceeds.

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

ProfilePtr OpenBuiltin(uint32_t format) {
  int32_t error = -1;
  ProfilePtr p(IccOpenBuiltinProfile(format, &error));
  EXPECT_EQ(error, 0) << std::hex << format;
  return p;
}

TEST(BuiltinProfiles, AreValidProfilesOfTheirKind) {
  // format, resource id, class, data and connection spaces, a tag it has
  const std::tuple<uint32_t, int32_t, std::vector<uint32_t>, uint32_t> cases[] = {
      {kFormatRgb8, 105, {kIccClassDisplay, kIccSpaceRgb, kIccSpaceXyz, 0}, kIccTagBlueCurve},
      {kFormatBgr8, 105, {kIccClassDisplay, kIccSpaceRgb, kIccSpaceXyz, 0}, kIccTagRedColorant},
      {kFormatCmy8, 110, {kIccClassColorSpace, kIccSpaceCmy, kIccSpaceLab, 0}, kIccTagAToB0},
      {kFormatCmyk8, 107, {kIccClassOutput, kIccSpaceCmyk, kIccSpaceLab, 0}, kIccTagBToA0},
      {kFormatLab8, 106, {kIccClassColorSpace, kIccSpaceLab, kIccSpaceLab, 0}, kIccTagAToB0},
  };
  for (const auto& [format, id, header, tagItHas] : cases) {
    EXPECT_EQ(IccBuiltinProfileId(format), id);
    const ProfilePtr p = OpenBuiltin(format);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(std::vector<uint32_t>({IccGetDeviceClass(p.get()), IccGetColorSpace(p.get()),
                                     IccGetConnectionSpace(p.get()), IccGetRenderingIntent(p.get())}),
              header);
    for (uint32_t tag : {tagItHas, kIccTagDescription, kIccTagCopyright, kIccTagMediaWhite})
      EXPECT_TRUE(IccIsTag(p.get(), tag)) << std::hex << tag;
  }
  int32_t error = -1;
  EXPECT_EQ(IccOpenBuiltinProfile(kFormat3x16, &error), nullptr);
  EXPECT_EQ(error, 0);

  // format, tag: inputs, outputs, points, input and output entries, flags
  constexpr int64_t kAll = LUT_GRID | LUT_PRE_CURVES | LUT_POST_CURVES;
  const std::pair<std::pair<uint32_t, uint32_t>, std::vector<int64_t>> tables[] = {
      {{kFormatCmy8, kIccTagAToB0}, {3, 3, 16, 256, 4096, LUT_GRID}},
      {{kFormatCmy8, kIccTagBToA0}, {3, 3, 16, 256, 4096, LUT_GRID | LUT_POST_CURVES}},
      {{kFormatCmyk8, kIccTagAToB0}, {4, 3, 16, 256, 256, LUT_GRID | LUT_PRE_CURVES}},
      {{kFormatCmyk8, kIccTagBToA0}, {3, 4, 33, 256, 256, kAll}},
      {{kFormatLab8, kIccTagAToB0}, {3, 3, 32, 256, 256, kAll}},
      {{kFormatLab8, kIccTagBToA0}, {3, 3, 32, 256, 256, kAll}},
  };
  for (const auto& [where, shape] : tables) {
    const LutPtr t(IccReadLut(OpenBuiltin(where.first).get(), where.second));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(std::vector<int64_t>({t->inputChannels, t->outputChannels, t->gridPoints, t->inputEntries,
                                    t->outputEntries, t->flags}),
              shape)
        << std::hex << where.first << " " << where.second;
  }
}

// The Lab profile through the library's own evaluation: the reader widens its
// 8-bit entries by 256, and the tables are made for that.
TEST(BuiltinProfiles, LabIsTheIdentityThroughTheReader) {
  const ProfilePtr lab = OpenBuiltin(kFormatLab8);
  const LutPtr toPcs(IccReadLut(lab.get(), kIccTagAToB0)), fromPcs(IccReadLut(lab.get(), kIccTagBToA0));
  ASSERT_TRUE(toPcs && fromPcs);
  // A2B0: byte b is 256 b within half a step; B2A0 gives every byte back.
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

// Lab of the display's primaries (the common video primaries adapted to D50) in
// the 8-bit Lab encoding. Greys are neutral exactly, from L 0 up to L 255.
TEST(BuiltinProfiles, DisplayColoursInLab) {
  const TransformPtr toLab = test::BuildBuiltin(kFormatRgb8, kFormatLab8);
  ASSERT_NE(toLab, nullptr);
  const std::vector<uint8_t> primaries = test::Convert(*toLab, {255, 0, 0, 0, 255, 0, 0, 0, 255});
  const double expected[9] = {54.29, 80.80, 69.89, 87.82, -79.29, 80.99, 29.57, 68.30, -112.03};  // L*, a*, b*
  for (int i = 0; i < 9; ++i) EXPECT_NEAR(primaries[i], i % 3 == 0 ? expected[i] * 2.55 : expected[i] + 128, 1.0) << i;
  std::vector<uint8_t> greys;
  for (int v = 0; v < 256; ++v) greys.insert(greys.end(), 3, uint8_t(v));
  const std::vector<uint8_t> lab = test::Convert(*toLab, greys);
  for (size_t i = 0; i < lab.size(); i += 3) {
    EXPECT_TRUE(lab[i + 1] == 128 && lab[i + 2] == 128 && (i == 0 || lab[i] >= lab[i - 3])) << "grey " << i / 3;
  }
  EXPECT_EQ(lab.front() + lab[lab.size() - 3], 255);
}

// Per pixel, the largest difference of a channel in levels, sorted.
std::vector<int> SortedErrors(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
  std::vector<int> errors;
  for (size_t i = 0; i + 2 < a.size(); i += 3)
    errors.push_back(std::max({std::abs(a[i] - b[i]), std::abs(a[i + 1] - b[i + 1]), std::abs(a[i + 2] - b[i + 2])}));
  std::sort(errors.begin(), errors.end());
  return errors;
}

int Percentile(const std::vector<int>& sorted, double q) { return sorted[size_t(q * double(sorted.size() - 1))]; }
// RGB through a built-in profile and back, for colours inside its gamut. Measured
// (median / 99th percentile / largest): CMY 1 / 8 / 13; Lab 1 / 9 / 18; CMYK, colours
// the press prints (at most 240 of each ink, 275 % in total, shown unclipped)
// 1 / 7 / 14. The CMY profile is the display inverted.
TEST(BuiltinProfiles, RoundTripsWithinTheGamut) {
  std::vector<uint8_t> cmyk, printable;
  for (int c = 0; c <= 240; c += 16)
    for (int m = 0; m <= 240; m += 16)
      for (int y = 0; y <= 240; y += 16)
        for (int k = 0; k <= 240; k += 48) {
          if (c + m + y + k <= 700) cmyk.insert(cmyk.end(), {uint8_t(c), uint8_t(m), uint8_t(y), uint8_t(k)});
        }
  const std::vector<uint8_t> shown = test::Convert(*test::BuildBuiltin(kFormatCmyk8, kFormatRgb8), cmyk);
  for (size_t i = 0; i < shown.size(); i += 3)
    if (std::all_of(&shown[i], &shown[i] + 3, [](uint8_t v) { return v >= 16 && v <= 239; }))
      printable.insert(printable.end(), &shown[i], &shown[i] + 3);
  ASSERT_GT(printable.size(), 3u * 5000);
  const std::tuple<uint32_t, std::vector<uint8_t>, std::vector<int>> cases[] = {  // bounds: median, p99, largest
      {kFormatCmy8, test::RgbGrid(0, 255, 7), {1, 10, 16}},
      {kFormatLab8, test::RgbGrid(32, 223, 6), {2, 12, 24}},
      {kFormatCmyk8, printable, {1, 10, 18}},
  };
  for (const auto& [format, rgb, bounds] : cases) {
    const TransformPtr there = test::BuildBuiltin(kFormatRgb8, format), back = test::BuildBuiltin(format, kFormatRgb8);
    ASSERT_TRUE(there && back);
    const std::vector<int> errors = SortedErrors(rgb, test::Convert(*back, test::Convert(*there, rgb)));
    const int measured[3] = {Percentile(errors, 0.5), Percentile(errors, 0.99), errors.back()};
    for (int q = 0; q < 3; ++q) EXPECT_LE(measured[q], bounds[q]) << std::hex << format << " " << q;
    if (format != kFormatCmy8) continue;
    std::vector<uint8_t> inverted = rgb;
    for (uint8_t& v : inverted) v = uint8_t(255 - v);
    const std::vector<int> asCmy = SortedErrors(test::Convert(*back, rgb), inverted);
    EXPECT_LE(Percentile(asCmy, 0.5), 1);
    EXPECT_LE(asCmy.back(), 8);
  }
}

// The press's separation of greys: no ink on the paper, black generation from the
// mid-tones down, a rich black filling the 300 % ink limit (which no node of the
// table exceeds); above it the print follows L* in order and neutral.
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
  EXPECT_LT(black, 12.0);  // darker than black ink alone (L* 17)
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

}  // namespace
}  // namespace qclr
