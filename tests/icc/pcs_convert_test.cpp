#include <vector>

#include <gtest/gtest.h>

#include "icc/pcs_convert.h"

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

const int32_t kUnitScale[3] = {65536, 65536, 65536};
const int32_t kNoOffset[3] = {0, 0, 0};

TEST(PcsConvert, XyzToLabAndBack) {
  struct Case {
    bool toLab;
    V in, out;
  };
  const Case cases[] = {
      // XYZ 0 is neutral black (0, 0x8000, 0x8000), not the tinted (0, 0x7E00, 0x7E00).
      {true, {0, 0, 0}, {0, 0x8000, 0x8000}},
      {true, {31598, 32768, 27037}, {0xFF00, 0x8000, 0x8000}},  // D50 white
      {true, {100, 100, 100}, {1800, 32881, 32510}},            // below 0.008856: the linear segment
      {true, {1, 0, 0}, {0, 32800, 32768}},
      {true, {14289, 7291, 456}, {35442, 53453, 50663}},      // display red
      {true, {0, 32768, 0}, {0xFF00, 0, 65535}},              // a and b clamp
      {true, {65535, 65535, 65535}, {0xFF00, 34734, 28499}},  // L stops at 100
      {false, {0xFF00, 0x8000, 0x8000}, {31598, 32768, 27037}},
      {false, {0x8000, 0x8000, 0x8000}, {5872, 6089, 5024}},
      {false, {0x8000, 0xFF00, 0}, {17720, 6089, 47975}},
      {false, {100, 0x8000, 0x8000}, {85, 88, 73}},  // plain cubes, no linear segment near black
      {false, {0, 0x8000, 0x8000}, {0, 0, 0}},       // L = 0 is black whatever a and b say
      {false, {0, 0, 65535}, {0, 0, 0}},
      {false, {0, 65535, 0}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.toLab ? ToLab(c.in) : ToXyz(c.in), c.out) << c.toLab << " " << c.in[0] << " " << c.in[1];
  }
}

// Where X, Y and Z all stay above 0.008856 (below it only the way to Lab has a
// linear segment), Lab survives the trip through 15-bit XYZ to within a few units:
// one XYZ step moves f by up to 0.0001 in the darkest colours here, which a and b
// magnify by 500 x 256 and 200 x 256.
TEST(PcsConvert, LabRoundTrip) {
  for (int l = 0x4000; l <= 0xFF00; l += 0x0B00) {
    for (int a = 0x6800; a <= 0x9800; a += 0x0400) {
      for (int b = 0x6800; b <= 0x9800; b += 0x0400) {
        const V lab = {uint16_t(l), uint16_t(a), uint16_t(b)};
        const V back = ToLab(ToXyz(lab));
        ASSERT_NEAR(back[0], lab[0], 2) << l << " " << a << " " << b;
        ASSERT_NEAR(back[1], lab[1], 8) << l << " " << a << " " << b;
        ASSERT_NEAR(back[2], lab[2], 8) << l << " " << a << " " << b;
      }
    }
  }
}

TEST(PcsConvert, XyzScale) {
  struct Case {
    uint16_t in;
    int32_t scale, offset;
    uint16_t out;
  };
  const Case cases[] = {
      {30000, 32768, 0, 15000},      // x 0.5
      {12345, 65536, 1000, 12845},   // offset in 16.16 units, halved with the sum
      {40000, 131072, 0, 65535},     // x 2 overflows: clamped high
      {1000, 65536, -100000, 0},     // a negative sum clamps to 0
      {65535, -65536, 0, 0},         // a negative scale too
  };
  for (const Case& c : cases) {
    const uint16_t in[3] = {c.in, 0, 1};
    const int32_t scale[3] = {c.scale, 65536, 65536}, offset[3] = {c.offset, 0, 0};
    uint16_t out[3];
    StageXYZScale(in, out, scale, offset);
    EXPECT_EQ(V(out, out + 3), (V{c.out, 0, 1})) << c.in << " " << c.scale << " " << c.offset;
  }
}

// The composite stages chain the conversions; with a unit scale they reduce to
// the conversions alone, and every stage may work in place.
TEST(PcsConvert, StagesChainTheConversions) {
  const V xyz = {20000, 21000, 15000}, lab = {40000, 30000, 36000};
  struct Case {
    IccStageFunction stage;
    V in, expected;
  };
  const Case cases[] = {
      {StageXYZScale, xyz, xyz},
      {StageXYZToLab, xyz, ToLab(xyz)},
      {StageLabToXYZ, lab, ToXyz(lab)},
      {StageLabToLab, lab, ToLab(ToXyz(lab))},
  };
  for (const Case& c : cases) {
    V out(3);
    c.stage(c.in.data(), out.data(), kUnitScale, kNoOffset);
    EXPECT_EQ(out, c.expected);
    V inPlace = c.in;
    c.stage(inPlace.data(), inPlace.data(), kUnitScale, kNoOffset);
    EXPECT_EQ(inPlace, c.expected);
  }
  // The scaling sits between the two conversions: halving Y darkens the colour.
  const int32_t halfY[3] = {65536, 32768, 65536};
  V out(3);
  StageLabToLab(lab.data(), out.data(), halfY, kNoOffset);
  EXPECT_LT(out[0], lab[0] - 5000);
}

}  // namespace
}  // namespace qclr
