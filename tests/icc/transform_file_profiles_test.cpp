#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "icc/icc_tag_readers.h"
#include "icc/matrix3.h"
#include "icc_test_tables.h"
#include "transform_test_support.h"

namespace qclr {
namespace {

using test::TransformPtr;

// Version 2 profiles of a free profile collection, where the system has them: a
// display matrix/curve profile of the common video primaries, a matrix/curve
// profile of wider primaries (gamma 2.2) and a Lab colour-space profile with
// 16-bit tables in the ITU fax encoding.
const std::string kDir = "/usr/share/color/icc/";
const std::string kDisplay = kDir + "sRGB.icc";
const std::string kWide = kDir + "compatibleWithAdobeRGB1998.icc";
const std::string kItuLab = kDir + "ITULab.icc";

bool Present(const std::string& path) { return std::ifstream(path, std::ios::binary).good(); }

#define REQUIRE_PROFILE(path) \
  if (!Present(path)) GTEST_SKIP() << (path) << " is not installed"

TransformPtr BuildFromFiles(uint32_t in, uint32_t out, const std::string& inPath, const std::string& outPath) {
  int32_t status = 0;
  TransformPtr t(IccCreateTransformByTemperature(in, out, 50, 1, inPath.c_str(), outPath.c_str(), &status));
  EXPECT_EQ(status, CLR_OK) << inPath << " -> " << outPath;
  return t;
}

// The file profile describes the display the built-in RGB profile models, so
// separations through either agree.
TEST(FileProfiles, DisplayProfileToTheBuiltInPress) {
  REQUIRE_PROFILE(kDisplay);
  const std::string press = test::BuiltinProfileFile(kFormatCmyk8, "file_press.icc");
  const TransformPtr file = BuildFromFiles(kFormatRgb8, kFormatCmyk8, kDisplay, press);
  const TransformPtr builtin = test::BuildBuiltin(kFormatRgb8, kFormatCmyk8);
  ASSERT_NE(file, nullptr);
  ASSERT_NE(builtin, nullptr);
  std::vector<uint8_t> rgb;
  for (int r = 0; r < 256; r += 15) {
    for (int g = 0; g < 256; g += 15) {
      for (int b = 0; b < 256; b += 15) rgb.insert(rgb.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    }
  }
  const std::vector<uint8_t> a = test::Convert(*file, rgb), b = test::Convert(*builtin, rgb);
  int worst = 0;
  for (size_t i = 0; i < a.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  EXPECT_LE(worst, 3);
  EXPECT_EQ(std::vector<uint8_t>(a.end() - 4, a.end()), std::vector<uint8_t>(4, 0));  // white: no ink
}

// Curve value (0..1) at x (0..1), linearly interpolated.
double CurveAt(const GammaCurve& c, double x) {
  const double pos = x * (c.count - 1);
  const int32_t i = std::min(static_cast<int32_t>(pos), c.count - 2);
  return (c.entries[i] + (c.entries[i + 1] - c.entries[i]) * (pos - i)) / 65535.0;
}

double InverseCurveAt(const GammaCurve& c, double y) {
  double lo = 0, hi = 1;
  for (int k = 0; k < 50; ++k) {
    const double mid = (lo + hi) / 2;
    (CurveAt(c, mid) < y ? lo : hi) = mid;
  }
  return lo;
}

// Two matrix/curve profiles of different primaries: the joined stage, checked
// against the two profiles' own curves and colorants in doubles. Pure red of the
// narrower display is about 219 on the wider one.
TEST(FileProfiles, DisplayToWiderPrimaries) {
  REQUIRE_PROFILE(kDisplay);
  REQUIRE_PROFILE(kWide);
  const TransformPtr t = BuildFromFiles(kFormatRgb8, kFormatRgb8, kDisplay, kWide);
  ASSERT_NE(t, nullptr);
  ASSERT_NE(t->joinedShaper, nullptr);
  const std::vector<uint8_t> red = test::Convert(*t, {255, 0, 0});
  EXPECT_NEAR(red[0], 219, 1);
  EXPECT_LE(red[1], 1);
  EXPECT_LE(red[2], 1);

  IccProfile* from = t->inputProfile;
  IccProfile* to = t->outputProfile;
  Matrix3 m1{}, m2{}, inverse{};
  ASSERT_EQ(IccReadColorants(from, m1.m), 1);
  ASSERT_EQ(IccReadColorants(to, m2.m), 1);
  ASSERT_TRUE(InvertMatrix3(m2, &inverse));
  const Matrix3 product = MultiplyMatrix3(inverse, m1);
  const test::CurvePtr c1(IccReadCurve(from, kIccTagRedCurve)), c2(IccReadCurve(to, kIccTagRedCurve));
  ASSERT_NE(c1, nullptr);
  ASSERT_NE(c2, nullptr);
  std::vector<uint8_t> rgb;
  for (int r = 0; r < 256; r += 9) {
    for (int g = 0; g < 256; g += 9) {
      for (int b = 0; b < 256; b += 9) rgb.insert(rgb.end(), {uint8_t(r), uint8_t(g), uint8_t(b)});
    }
  }
  const std::vector<uint8_t> out = test::Convert(*t, rgb);
  double worst = 0;
  for (size_t i = 0; i < rgb.size(); i += 3) {
    const double linear[3] = {CurveAt(*c1, rgb[i] / 255.0), CurveAt(*c1, rgb[i + 1] / 255.0),
                              CurveAt(*c1, rgb[i + 2] / 255.0)};
    for (int c = 0; c < 3; ++c) {
      const double v = product.m[c][0] * linear[0] + product.m[c][1] * linear[1] + product.m[c][2] * linear[2];
      const double expected = InverseCurveAt(*c2, std::clamp(v, 0.0, 1.0)) * 255.0;
      worst = std::max(worst, std::fabs(out[i + c] - expected));
    }
  }
  EXPECT_LT(worst, 2.0);
}

// The ITU encoding: L = byte / 2.55, a = byte * 170 / 255 - 85, b = byte * 200 /
// 255 - 75. Through the connection space into the built-in Lab encoding (L * 2.55,
// a + 128, b + 128), and to the display.
TEST(FileProfiles, ItuLabThroughTheLabFormat) {
  REQUIRE_PROFILE(kItuLab);
  const std::string lab = test::BuiltinProfileFile(kFormatLab8, "file_lab.icc");
  const TransformPtr toLab = BuildFromFiles(kFormatLab8, kFormatLab8, kItuLab, lab);
  ASSERT_NE(toLab, nullptr);
  std::vector<uint8_t> itu;
  for (int l = 0; l < 256; l += 15) {
    for (int a = 0; a < 256; a += 15) {
      for (int b = 0; b < 256; b += 15) itu.insert(itu.end(), {uint8_t(l), uint8_t(a), uint8_t(b)});
    }
  }
  const std::vector<uint8_t> out = test::Convert(*toLab, itu);
  double worst = 0;
  for (size_t i = 0; i < itu.size(); i += 3) {
    const double expected[3] = {double(itu[i]), itu[i + 1] * 170.0 / 255.0 - 85 + 128,
                                itu[i + 2] * 200.0 / 255.0 - 75 + 128};
    for (int c = 0; c < 3; ++c) worst = std::max(worst, std::fabs(out[i + c] - expected[c]));
  }
  EXPECT_LE(worst, 1.5);

  if (!Present(kDisplay)) return;
  const TransformPtr toDisplay = BuildFromFiles(kFormatLab8, kFormatBgr8, kItuLab, kDisplay);
  ASSERT_NE(toDisplay, nullptr);
  // ITU white and black (neutral a = 127.5, b = 95.6 in bytes) are the display's.
  const std::vector<uint8_t> bgr = test::Convert(*toDisplay, {255, 128, 96, 0, 128, 96});
  for (int c = 0; c < 3; ++c) {
    EXPECT_GE(bgr[c], 253) << c;
    EXPECT_LE(bgr[3 + c], 1) << c;
  }
}

}  // namespace
}  // namespace qclr
