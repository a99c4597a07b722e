#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "icc/matrix3.h"
#include "icc/pixel_format.h"
#include "icc/stage_plan.h"
#include "icc/target_white.h"

namespace qclr {
namespace {

TEST(PixelFormat, WidensAndNarrowsEightBitChannels) {
  uint16_t c[4] = {};
  const uint8_t rgb[3] = {0xFF, 0x80, 0x00};
  EXPECT_EQ(SelectUnpacker(kFormatRgb8)(rgb, c), rgb + 3);
  EXPECT_EQ(c[0], 0xFFFF);
  EXPECT_EQ(c[1], 0x8080);
  EXPECT_EQ(c[2], 0);
  SelectUnpacker(kFormatBgr8)(rgb, c);  // byte 0 goes to channel 2
  EXPECT_EQ(c[2], 0xFFFF);
  EXPECT_EQ(c[0], 0);

  const uint16_t wide[4] = {0xFF80, 0x80FF, 0x00FF, 0x1234};
  uint8_t out[4] = {};
  EXPECT_EQ(SelectPacker(kFormatRgb8)(wide, out), out + 3);
  EXPECT_EQ(out[0], 0xFF);
  EXPECT_EQ(out[1], 0x80);
  EXPECT_EQ(out[2], 0x00);
  SelectPacker(kFormatBgr8)(wide, out);  // channel 2 written first
  EXPECT_EQ(out[0], 0x00);
  EXPECT_EQ(out[2], 0xFF);
  EXPECT_EQ(SelectPacker(kFormatCmyk8)(wide, out), out + 4);
  EXPECT_EQ(out[3], 0x12);
}

TEST(PixelFormat, SixteenBitFormatsCopyWordsAndOthersHaveNone) {
  const uint16_t in[4] = {1, 2, 65535, 4};
  uint16_t c[4] = {};
  uint8_t bytes[8];
  EXPECT_EQ(SelectPacker(kFormat4x16)(in, bytes), bytes + 8);
  EXPECT_EQ(SelectUnpacker(kFormat4x16)(bytes, c), bytes + 8);
  EXPECT_EQ(c[2], 65535);
  EXPECT_EQ(SelectUnpacker(kFormat3x16 | 0x400)(bytes, c), bytes + 6);  // swap ignored
  EXPECT_EQ(SelectUnpacker(0x40011), nullptr);  // two channels
  EXPECT_EQ(SelectPacker(0x4001B), nullptr);    // three bytes a channel
  EXPECT_EQ(RequiredProfileSpace(kFormatBgr8), RequiredProfileSpace(kFormatRgb8));
  EXPECT_EQ(RequiredProfileSpace(kFormat3x16), 0u);
}

TEST(TargetWhite, PresetsAndChromaticity) {
  EXPECT_EQ(IccSetWhiteByTemperature(65).z, 1.08765);
  EXPECT_EQ(IccSetWhiteByTemperature(93).x, 0.952988);
  for (unsigned other : {0u, 50u, 60u, 100u}) EXPECT_EQ(IccSetWhiteByTemperature(other).z, 0.825104);
  const XyzTriple w = IccSetWhiteByChromaticity(0.3127, 0.3290);
  EXPECT_NEAR(w.x, 0.95046, 1e-5);
  EXPECT_EQ(w.y, 1.0);
  EXPECT_NEAR(w.z, 1.08906, 1e-5);
}

// A display profile (illuminant of the built-in RGB profile) to a profile with a
// Lab connection space, and back.
TEST(StagePlan, WorkedScalesForTheBuiltInRgbProfile) {
  const XyzTriple illuminant = {0.964202880859375, 1.0, 0.8249053955078125};
  const XyzTriple black = {0, 0, 0}, white = {0.9642, 1.0, 0.8249};
  struct Case {
    unsigned temperature;
    int32_t x, y, z;
  };
  const Case cases[] = {{50, 65542, 65536, 65552}, {55, 65015, 65536, 73112}, {65, 64582, 65536, 86410},
                        {75, 64531, 65536, 97317}, {93, 64774, 65536, 112238}};
  for (const Case& c : cases) {
    const StagePoints points = {black, white, illuminant, black, white, kD50White,
                                IccSetWhiteByTemperature(c.temperature)};
    const StagePlan forward = PlanStage(kPhaseXyzRelative, kPhaseLabRelative, points);
    EXPECT_EQ(forward.kind, StageKind::kXyzToLab);
    EXPECT_EQ(forward.scale[0], c.x) << c.temperature;
    EXPECT_EQ(forward.scale[1], c.y) << c.temperature;
    EXPECT_EQ(forward.scale[2], c.z) << c.temperature;
    EXPECT_EQ(forward.offset[0], 0);
    // Lab table profile to the display: whatever the target white.
    const StagePoints back = {black, white, kD50White, black, white, illuminant,
                              IccSetWhiteByTemperature(c.temperature)};
    const StagePlan reverse = PlanStage(kPhaseLabRelative, kPhaseXyzRelative, back);
    EXPECT_EQ(reverse.kind, StageKind::kLabToXyz);
    EXPECT_EQ(reverse.scale[0], 65530);
    EXPECT_EQ(reverse.scale[1], 65536);
    EXPECT_EQ(reverse.scale[2], 65520);
  }
  const StagePoints same = {black, white, kD50White, black, white, kD50White, kD50White};
  EXPECT_EQ(PlanStage(kPhaseLabRelative, kPhaseLabRelative, same).kind, StageKind::kNone);
  EXPECT_EQ(PlanStage(kPhaseXyzAbsolute, kPhaseXyzAbsolute, same).kind, StageKind::kNone);
}

TEST(StagePlan, AbsolutePhasesUseBlackAndWhitePoints) {
  const XyzTriple black = {0.01, 0.02, 0.03}, white = {0.9, 1.0, 0.8}, d50 = kD50White;
  const StagePoints p = {black, white, d50, black, white, d50, d50};
  // Absolute XYZ to relative XYZ maps the output profile's black..white onto 0..I.
  const StagePlan plan = PlanStage(kPhaseXyzAbsolute, kPhaseXyzRelative, p);
  const double scale = d50.x / (white.x - black.x);
  EXPECT_EQ(plan.scale[0], static_cast<int32_t>(scale * 65536 + 0.5));
  EXPECT_EQ(plan.offset[0], static_cast<int32_t>(-scale * black.x * 65536 + 0.5));
  EXPECT_LT(plan.offset[0], 0);
  EXPECT_EQ(ToS15Fixed16(-0.25), -16383);  // truncation toward zero after + 0.5
}

TEST(Matrix3, InvertsAndRefusesSingularMatrices) {
  const Matrix3 a = {{{0.4361, 0.3851, 0.1431}, {0.2225, 0.7169, 0.0606}, {0.0139, 0.0971, 0.7141}}};
  Matrix3 inv{};
  ASSERT_TRUE(InvertMatrix3(a, &inv));
  const Matrix3 id = MultiplyMatrix3(inv, a);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(id.m[r][c], r == c ? 1.0 : 0.0, 1e-12);
  }
  // Needs a row exchange: the first pivot is 0.
  const Matrix3 swapped = {{{0, 1, 0}, {1, 0, 0}, {0, 0, 2}}};
  ASSERT_TRUE(InvertMatrix3(swapped, &inv));
  EXPECT_EQ(inv.m[0][1], 1.0);
  EXPECT_EQ(inv.m[2][2], 0.5);
  const Matrix3 singular = {{{1, 2, 3}, {2, 4, 6}, {0, 1, 1}}};
  EXPECT_FALSE(InvertMatrix3(singular, &inv));
}

}  // namespace
}  // namespace qclr
