// Conversions between the XYZ and Lab connection spaces and the stages built on them.
#include "icc_test_support.h"

namespace qclr {
namespace {

using V = std::vector<uint16_t>;

V ToLab(V xyz) {
  V lab(3);
  XYZ16ToLab16(xyz.data(), lab.data());
  return lab;
}

V ToXyz(V lab) {
  V xyz(3);
  Lab16ToXYZ16(lab.data(), xyz.data());
  return xyz;
}

TEST(PcsConvert, XyzToLabAndBack) {
  const std::tuple<bool, V, V> cases[] = {  // to Lab (else to XYZ), in, out
      // XYZ 0 is neutral black (0, 0x8000, 0x8000), not the tinted (0, 0x7E00, 0x7E00).
      {true, {0, 0, 0}, {0, 0x8000, 0x8000}},
      {true, {31598, 32768, 27037}, {0xFF00, 0x8000, 0x8000}},  // D50 white
      {true, {100, 100, 100}, {1800, 32881, 32510}},            // below 0.008856: the linear segment
      {true, {14289, 7291, 456}, {35442, 53453, 50663}},      // display red
      {true, {0, 32768, 0}, {0xFF00, 0, 65535}},              // a and b clamp
      {true, {65535, 65535, 65535}, {0xFF00, 34734, 28499}},  // L stops at 100
      {false, {0xFF00, 0x8000, 0x8000}, {31598, 32768, 27037}},
      {false, {0x8000, 0x8000, 0x8000}, {5872, 6089, 5024}},
      {false, {0x8000, 0xFF00, 0}, {17720, 6089, 47975}},
      {false, {100, 0x8000, 0x8000}, {85, 88, 73}},  // plain cubes, no linear segment near black
      {false, {0, 0x8000, 0x8000}, {0, 0, 0}},       // L = 0 is black whatever a and b say
      {false, {0, 65535, 0}, {0, 0, 0}},
  };
  for (const auto& [toLab, in, out] : cases) EXPECT_EQ(toLab ? ToLab(in) : ToXyz(in), out) << in[0] << " " << in[1];
}

TEST(PcsConvert, XyzScale) {
  const std::tuple<uint16_t, int32_t, int32_t, uint16_t> cases[] = {  // in, scale, offset, out
      {30000, 32768, 0, 15000},      // x 0.5
      {12345, 65536, 1000, 12845},   // offset in 16.16 units, halved with the sum
      {40000, 131072, 0, 65535},     // x 2 overflows: clamped high
      {1000, 65536, -100000, 0},     // a negative sum clamps to 0
      {65535, -65536, 0, 0},         // a negative scale too
  };
  for (const auto& [x, scaleX, offsetX, expected] : cases) {
    const int32_t scale[3] = {scaleX, 65536, 65536}, offset[3] = {offsetX, 0, 0};
    V v = {x, 0, 1};
    StageXYZScale(v.data(), v.data(), scale, offset);  // in place, as the stages use it
    EXPECT_EQ(v, (V{expected, 0, 1})) << x << " " << scaleX << " " << offsetX;
  }
}

// The Lab to Lab stage works in place, a unit scale leaving the trip through XYZ
// alone and halving Y darkening the colour.
TEST(PcsConvert, LabToLabStageScalesBetweenTheConversions) {
  const int32_t unit[3] = {65536, 65536, 65536}, halfY[3] = {65536, 32768, 65536}, none[3] = {};
  const V lab = {40000, 30000, 36000};
  V v = lab, out(3);
  StageLabToLab(v.data(), v.data(), unit, none);
  EXPECT_EQ(v, ToLab(ToXyz(lab)));
  StageLabToLab(lab.data(), out.data(), halfY, none);
  EXPECT_LT(out[0], lab[0] - 5000);
}

}  // namespace
}  // namespace qclr
