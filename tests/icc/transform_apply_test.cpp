#include <algorithm>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

#include "icc/color_transform.h"
#include "support/test_buffers.h"
#include "transform_test_support.h"

namespace qclr {
namespace {

using test::Bytes;
using test::TransformPtr;

// RGB to BGR through the built-in display profile joins each input curve with
// the same curve reversed into one lookup, which gives every level back exactly.
// The product of the matrices is the identity, so the channels are independent
// and the 256 levels of each cover all 2^24 colours; a random sample checks that.
TEST(JoinedTransform, SameProfileGivesTheInputBytesBack) {
  const TransformPtr toBgr = test::BuildBuiltin(kFormatRgb8, kFormatBgr8);
  const TransformPtr toRgb = test::BuildBuiltin(kFormatRgb8, kFormatRgb8);
  const TransformPtr bgrToRgb = test::BuildBuiltin(kFormatBgr8, kFormatRgb8);
  ASSERT_NE(toBgr, nullptr);
  ASSERT_NE(toBgr->joinedShaper, nullptr);
  EXPECT_EQ(toBgr->joinedShaper->flags & MATSHAPER_MATRIX, 0u);

  std::vector<uint8_t> rgb = test::RandomBytes(3 * 65536, 11);
  for (int v = 0; v < 256; ++v) {
    const uint8_t levels[3][3] = {{uint8_t(v), 0, 255}, {255, uint8_t(v), 0}, {0, 255, uint8_t(v)}};
    for (const auto& px : levels) rgb.insert(rgb.end(), px, px + 3);
  }
  std::vector<uint8_t> bgr(rgb.size());
  for (size_t i = 0; i < rgb.size(); i += 3) {
    bgr[i] = rgb[i + 2];
    bgr[i + 1] = rgb[i + 1];
    bgr[i + 2] = rgb[i];
  }
  EXPECT_EQ(test::CountDifferences(test::Convert(*toBgr, rgb), bgr), 0u);
  EXPECT_EQ(test::CountDifferences(test::Convert(*toRgb, rgb), rgb), 0u);
  EXPECT_EQ(test::CountDifferences(test::Convert(*bgrToRgb, bgr), rgb), 0u);
}

// Between two profiles of the same gamma-2.2 curve and different primaries (the
// same white) greys stay greys: the matrix product maps them onto themselves and
// the reversed output curves bring every level back to within one. (Reversed
// curves of 256 entries lose up to 6 levels near black, where the inverse of a
// power curve is steep.)
TEST(JoinedTransform, DifferentPrimariesKeepGreysWithinALevel) {
  const int32_t srgb[3][3] = {{28574, 14581, 912}, {25239, 46983, 6362}, {9377, 3972, 46787}};
  const int32_t wide[3][3] = {{39960, 20389, 1276}, {13453, 41004, 3989}, {9777, 4143, 48796}};
  const Bytes gamma = test::GammaTag(0x0233);
  const Bytes a = test::MatrixCurveProfile(srgb, gamma), b = test::MatrixCurveProfile(wide, gamma);
  for (const auto& [from, to] : {std::pair{a, b}, std::pair{b, a}}) {
    int32_t status = 0;
    const TransformPtr t = test::BuildFromBytes(from, kFormatRgb8, to, kFormatBgr8, &status);
    ASSERT_NE(t, nullptr);
    ASSERT_NE(t->joinedShaper, nullptr);
    EXPECT_NE(t->joinedShaper->flags & MATSHAPER_MATRIX, 0u);
    std::vector<uint8_t> greys;
    for (int v = 0; v < 256; ++v) greys.insert(greys.end(), {uint8_t(v), uint8_t(v), uint8_t(v)});
    const std::vector<uint8_t> out = test::Convert(*t, greys);
    int worst = 0;
    for (size_t i = 0; i < greys.size(); ++i) worst = std::max(worst, std::abs(out[i] - greys[i]));
    EXPECT_LE(worst, 1);
  }
}

// A sampled transform holds the general pipeline evaluated at the node inputs
// floor(i x 65535 / (n - 1)), the first input varying slowest. The Lab tables
// below pass values through nearly unchanged, so the pipeline tells neighbouring
// inputs apart and a node sampled at 2048 instead of 2047 would show.
TEST(DeviceLink, NodesHoldThePipelineAtTheNodeInputs) {
  const auto identity = [](uint32_t n, uint32_t k) -> uint16_t { return (n >> (2 - k)) & 1 ? 65535 : 0; };
  const Bytes lab = test::TableProfile(kIccSpaceLab, kIccSpaceLab, test::TwoPointLutTag(3, 3, identity),
                                       test::TwoPointLutTag(3, 3, identity));
  int32_t status = 0;
  const TransformPtr passThrough = test::BuildFromBytes(lab, kFormatLab8, lab, kFormatLab8, &status);
  ASSERT_NE(passThrough, nullptr);
  const LutTable& grid = *passThrough->deviceLink;
  ASSERT_EQ(grid.gridPoints, 33);
  const int32_t rising = 3 * 33 * 33;  // stride of the first input
  const std::pair<int32_t, int32_t> spots[] = {{1, 2047}, {2, 4095}, {16, 32767}, {31, 63487}, {32, 65535}};
  for (const auto& [node, input] : spots) {
    uint16_t in[3] = {uint16_t(input), 0, 0}, out[4], below[4];
    RunGeneralPipeline(*passThrough, in, out);
    in[0] = uint16_t(input - 1);
    RunGeneralPipeline(*passThrough, in, below);
    EXPECT_NE(out[0], below[0]) << node;
    EXPECT_EQ(grid.grid[node * rising], out[0]) << node;
    EXPECT_EQ(grid.grid[node * 3 + 2], out[0]) << node;  // the last input at the same node
  }

  struct Case {
    const ColorTransform* t;
    const char* what;
  };
  const TransformPtr rgbToCmyk = test::BuildBuiltin(kFormatRgb8, kFormatCmyk8);
  const TransformPtr cmykToRgb = test::BuildBuiltin(kFormatCmyk8, kFormatRgb8);
  for (const Case& c : {Case{passThrough.get(), "Lab to Lab"}, Case{rgbToCmyk.get(), "RGB to CMYK"},
                        Case{cmykToRgb.get(), "CMYK to RGB"}}) {
    ASSERT_NE(c.t, nullptr);
    const LutTable& link = *c.t->deviceLink;
    const int32_t n = link.gridPoints, inputs = link.inputChannels, outputs = link.outputChannels;
    int32_t nodes = 1;
    for (int32_t k = 0; k < inputs; ++k) nodes *= n;
    int32_t mismatches = 0;
    for (int32_t node = 0; node < nodes; ++node) {
      uint16_t in[4] = {}, out[kMaxLutChannels];
      for (int32_t k = inputs - 1, rest = node; k >= 0; --k, rest /= n) in[k] = uint16_t(rest % n * 65535 / (n - 1));
      RunGeneralPipeline(*c.t, in, out);
      mismatches += !std::equal(out, out + outputs, link.grid + int64_t{node} * outputs);
    }
    EXPECT_EQ(mismatches, 0) << c.what;
  }
}

TEST(Transform, RunOfZeroPixelsTouchesNothing) {
  const TransformPtr joined = test::BuildBuiltin(kFormatRgb8, kFormatBgr8);
  const TransformPtr sampled3 = test::BuildBuiltin(kFormatLab8, kFormatCmyk8);
  const TransformPtr sampled4 = test::BuildBuiltin(kFormatCmyk8, kFormatRgb8);
  for (const ColorTransform* t : {joined.get(), sampled3.get(), sampled4.get()}) {
    ASSERT_NE(t, nullptr);
    const std::vector<uint8_t> in(8, test::kSentinel);
    std::vector<uint8_t> out(8, test::kSentinel);
    EXPECT_EQ(IccApplyTransform(t, in.data(), out.data(), 0), CLR_OK);
    EXPECT_EQ(out, in);
    EXPECT_EQ(IccApplyTransform(t, nullptr, nullptr, 0), CLR_OK);
  }
}

// A four-channel 8-bit format ignores the swap bit, a three-channel one reverses
// the channels on both sides.
TEST(Transform, SwapBitOfTheFormats) {
  const Bytes cmyk = test::BuiltinProfileBytes(kFormatCmyk8), rgb = test::BuiltinProfileBytes(kFormatRgb8);
  int32_t status = 0;
  const TransformPtr plain = test::BuildFromBytes(cmyk, kFormatCmyk8, rgb, kFormatRgb8, &status);
  const TransformPtr swapped = test::BuildFromBytes(cmyk, kFormatCmyk8 | 0x400, rgb, kFormatBgr8, &status);
  ASSERT_NE(plain, nullptr);
  ASSERT_NE(swapped, nullptr);
  const std::vector<uint8_t> in = test::RandomBytes(4 * 500, 5);
  const std::vector<uint8_t> a = test::Convert(*plain, in), b = test::Convert(*swapped, in);
  for (size_t i = 0; i < a.size(); i += 3) {
    ASSERT_EQ(a[i], b[i + 2]) << i;
    ASSERT_EQ(a[i + 1], b[i + 1]) << i;
    ASSERT_EQ(a[i + 2], b[i]) << i;
  }
}

// When the stage saturates (all three results 65535) the pixel is the white of
// the output colour space, whatever the output table holds. The input table gives
// XYZ 2.0 for every colour and its profile's illuminant is a quarter of the
// output's, so the XYZ scaling overflows; with the output's own illuminant on
// both sides (the last case) it does not, and the output table's value shows.
TEST(Transform, SaturatedStagePacksTheWhiteOfTheOutputSpace) {
  const auto constant = [](uint16_t v) { return [v](uint32_t, uint32_t) { return v; }; };
  const int32_t quarter[3] = {0x4000, 0x4000, 0x4000};
  const Bytes bright = test::TableProfile(kIccSpaceRgb, kIccSpaceXyz, test::TwoPointLutTag(3, 3, constant(65535)),
                                          {}, quarter);
  const Bytes plain = test::TableProfile(kIccSpaceRgb, kIccSpaceXyz, test::TwoPointLutTag(3, 3, constant(0x4000)),
                                         {});
  const Bytes to3 = test::TwoPointLutTag(3, 3, constant(0x1234));
  const Bytes to4 = test::TwoPointLutTag(3, 4, constant(0x1234));
  struct Case {
    const char* what;
    const Bytes& in;
    uint32_t space;
    const Bytes& table;
    uint32_t format;
    std::vector<uint8_t> pixel;
  };
  const Case cases[] = {
      {"RGB", bright, kIccSpaceRgb, to3, kFormatRgb8, {255, 255, 255}},
      {"BGR", bright, kIccSpaceRgb, to3, kFormatBgr8, {255, 255, 255}},
      {"Lab", bright, kIccSpaceLab, to3, kFormatLab8, {255, 128, 128}},
      {"CMYK", bright, kIccSpaceCmyk, to4, kFormatCmyk8, {0, 0, 0, 0}},
      {"CMY", bright, kIccSpaceCmy, to3, kFormatCmy8, {0, 0, 0}},
      {"other space", bright, kIccSpaceXyz, to3, kFormat3x16, {0, 0, 0, 0, 0, 0}},
      {"no saturation", plain, kIccSpaceCmyk, to4, kFormatCmyk8, {0x12, 0x12, 0x12, 0x12}},
  };
  for (const Case& c : cases) {
    int32_t status = 0;
    const TransformPtr t =
        test::BuildFromBytes(c.in, kFormatRgb8, test::TableProfile(c.space, kIccSpaceXyz, {}, c.table), c.format,
                             &status);
    ASSERT_NE(t, nullptr) << c.what;
    EXPECT_EQ(t->stage, StageKind::kXyzScale) << c.what;
    const std::vector<uint8_t> out = test::Convert(*t, test::RandomBytes(3 * 4, 9));
    for (size_t i = 0; i < out.size(); i += c.pixel.size()) {
      EXPECT_TRUE(std::equal(c.pixel.begin(), c.pixel.end(), out.begin() + i)) << c.what << " pixel " << i;
    }
  }
}

}  // namespace
}  // namespace qclr
