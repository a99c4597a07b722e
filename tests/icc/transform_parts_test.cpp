// The parts of a transform build: pixel formats, stage plans, white points, matrices.
#include "icc_test_support.h"

namespace qclr {
namespace {

// 8-bit channels widen by 257 and narrow to the high byte; the swap bit reverses
// three channels on both sides and is ignored by four; 16-bit formats copy words.
TEST(PixelFormat, UnpackersAndPackers) {
  using W = std::vector<uint16_t>;
  using B = std::vector<uint8_t>;
  auto unpack = [](uint32_t format, const B& bytes) {
    W c(4, 0x5A5A);
    EXPECT_EQ(SelectUnpacker(format)(bytes.data(), c.data()), bytes.data() + bytes.size()) << std::hex << format;
    return c;
  };
  auto pack = [](uint32_t format, const W& c, size_t size) {
    B out(8, 0x5A);
    EXPECT_EQ(SelectPacker(format)(c.data(), out.data()), out.data() + size) << std::hex << format;
    return out;
  };
  EXPECT_EQ(unpack(kFormatRgb8, {0xFF, 0x80, 0x00}), (W{0xFFFF, 0x8080, 0, 0x5A5A}));
  EXPECT_EQ(unpack(kFormatBgr8, {0xFF, 0x80, 0x00}), (W{0, 0x8080, 0xFFFF, 0x5A5A}));
  EXPECT_EQ(unpack(kFormatCmyk8 | 0x400, {1, 2, 3, 4}), (W{0x0101, 0x0202, 0x0303, 0x0404}));
  const W wide = {0xFF80, 0x80FF, 0x00FF, 0x1234};
  EXPECT_EQ(pack(kFormatRgb8, wide, 3), (B{0xFF, 0x80, 0x00, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A}));
  EXPECT_EQ(pack(kFormatBgr8, wide, 3), (B{0x00, 0x80, 0xFF, 0x5A, 0x5A, 0x5A, 0x5A, 0x5A}));
  EXPECT_EQ(pack(kFormatCmyk8 | 0x400, wide, 4), (B{0xFF, 0x80, 0x00, 0x12, 0x5A, 0x5A, 0x5A, 0x5A}));
  const B words = pack(kFormat4x16, {1, 2, 65535, 4}, 8);
  EXPECT_EQ(unpack(kFormat4x16, words), (W{1, 2, 65535, 4}));
  EXPECT_EQ(unpack(kFormat3x16 | 0x400, B(words.begin(), words.begin() + 6)), (W{1, 2, 65535, 0x5A5A}));
  EXPECT_EQ(SelectUnpacker(0x40011), nullptr);  // two channels
  EXPECT_EQ(SelectPacker(0x4001B), nullptr);    // three bytes a channel
  EXPECT_EQ(RequiredProfileSpace(kFormatBgr8), RequiredProfileSpace(kFormatRgb8));
  EXPECT_EQ(RequiredProfileSpace(kFormat3x16), 0u);
}

// Scales and offsets (X) of the phases that use the media points: black (0.01,
// 0.02, 0.03), white (0.9, 1.0, 0.8), D50 illuminants and a D65 target. The
// temperature presets reach the scales through the transform builds.
TEST(StagePlan, PhasesChooseTheStageAndItsScale) {
  const XyzTriple black = {0.01, 0.02, 0.03}, white = {0.9, 1.0, 0.8};
  const StagePoints p = {black, white, kD50White, black, white, kD50White, IccSetWhiteByTemperature(65)};
  const std::tuple<int32_t, int32_t, StageKind, int32_t, int32_t> cases[] = {  // phases, stage, X scale and offset
      {kPhaseXyzAbsolute, kPhaseXyzRelative, StageKind::kXyzScale, 71007, -709},  // I / (W - B), -scale B
      {kPhaseXyzRelative, kPhaseXyzAbsolute, StageKind::kXyzScale, 60487, -654},  // (W - B) / I, -B
      {kPhaseLabAbsolute, kPhaseXyzRelative, StageKind::kLabToXyz, 65536, -709},  // D50 / I, -(I / (W - B)) B
      {kPhaseLabRelative, kPhaseLabAbsolute, StageKind::kLabToLab, 61386, -654},  // (W - B) / T, -B
      {kPhaseLabRelative, kPhaseLabRelative, StageKind::kNone, 0, 0},
      {kPhaseXyzAbsolute, kPhaseXyzAbsolute, StageKind::kNone, 0, 0},
  };
  for (const auto& [in, out, kind, scale, offset] : cases) {
    const StagePlan plan = PlanStage(in, out, p);
    EXPECT_EQ(plan.kind, kind) << in << " -> " << out;
    if (kind == StageKind::kNone) continue;
    EXPECT_EQ(std::pair(plan.scale[0], plan.offset[0]), std::pair(scale, offset)) << in << " -> " << out;
  }
  EXPECT_EQ(ToS15Fixed16(-0.25), -16383);  // truncation toward zero after + 0.5
  const XyzTriple w = IccSetWhiteByChromaticity(0.3127, 0.3290);
  EXPECT_TRUE(std::abs(w.x - 0.95046) < 1e-5 && w.y == 1.0 && std::abs(w.z - 1.08906) < 1e-5);
}

TEST(Matrix3, InvertsAndRefusesSingularMatrices) {
  const Matrix3 a = {{{0.4361, 0.3851, 0.1431}, {0.2225, 0.7169, 0.0606}, {0.0139, 0.0971, 0.7141}}};
  Matrix3 inv{};
  ASSERT_TRUE(InvertMatrix3(a, &inv));
  const Matrix3 id = MultiplyMatrix3(inv, a);
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) EXPECT_NEAR(id.m[r][c], r == c ? 1.0 : 0.0, 1e-12);
  ASSERT_TRUE(InvertMatrix3({{{0, 1, 0}, {1, 0, 0}, {0, 0, 2}}}, &inv));  // the first pivot is 0
  EXPECT_EQ(inv.m[0][1] + inv.m[2][2], 1.5);
  EXPECT_FALSE(InvertMatrix3({{{1, 2, 3}, {2, 4, 6}, {0, 1, 1}}}, &inv));
}

}  // namespace
}  // namespace qclr
