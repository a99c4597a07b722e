#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "cmyk_to_rgb_table.h"
#include "lab_tables.h"
#include "table_layout.h"

namespace qclr::tables {
namespace {

using V = std::vector<uint8_t>;
enum Which { kCmykToRgb, kLabToRgb, kRgbToLab };

const V& Table(Which which) {
  static const V tables[] = {MakeCmykToRgbTable(), MakeLabToRgbTable(), MakeRgbToLabTable()};
  return tables[which];
}

// Byte `offset` of a table; a* and b* of the RGB to Lab table are signed.
int At(Which which, size_t offset) {
  const uint8_t b = Table(which)[offset];
  return which == kRgbToLab && offset % 3 != 0 ? static_cast<int8_t>(b) : b;
}

using N = std::array<int, 3>;
N Node(Which which, size_t offset) { return {At(which, offset), At(which, offset + 1), At(which, offset + 2)}; }

// Generating again gives the same bytes (CI compares the platforms' builds).
TEST(EmulationTables, SizesZeroTailAndDeterminism) {
  EXPECT_EQ(Table(kCmykToRgb).size(), 250563u);
  for (const V& lab : {Table(kLabToRgb), Table(kRgbToLab)}) {
    ASSERT_EQ(lab.size(), 108300u);
    EXPECT_TRUE(std::all_of(lab.begin() + 107811, lab.end(), [](uint8_t b) { return b == 0; }));
  }
  EXPECT_EQ(MakeCmykToRgbTable(), Table(kCmykToRgb));
  EXPECT_EQ(MakeLabToRgbTable(), Table(kLabToRgb));
  EXPECT_EQ(MakeRgbToLabTable(), Table(kRgbToLab));
}

TEST(EmulationTables, ReferenceNodes) {
  EXPECT_EQ(Node(kCmykToRgb, CmykNodeOffset(15, 0, 0, 0)), (N{0, 179, 235}));
  EXPECT_EQ(Node(kCmykToRgb, CmykNodeOffset(0, 15, 0, 0)), (N{228, 13, 129}));
  EXPECT_EQ(Node(kCmykToRgb, CmykNodeOffset(0, 0, 15, 0)), (N{250, 245, 0}));
  EXPECT_EQ(Node(kLabToRgb, LabNodeOffset(0, 16, 16)), (N{0, 0, 0}));
  EXPECT_EQ(Node(kLabToRgb, LabNodeOffset(16, 16, 16)), (N{119, 119, 119}));
  EXPECT_EQ(Node(kLabToRgb, LabNodeOffset(32, 16, 16)), (N{255, 255, 255}));
  EXPECT_EQ(Node(kLabToRgb, LabNodeOffset(0, 0, 0)), (N{0, 108, 195}));
  EXPECT_EQ(Node(kRgbToLab, LabNodeOffset(0, 0, 0)), (N{0, 0, 0}));
  EXPECT_EQ(Node(kRgbToLab, LabNodeOffset(16, 16, 16)), (N{137, 0, 0}));
  EXPECT_EQ(Node(kRgbToLab, LabNodeOffset(32, 32, 32)), (N{255, 0, 0}));
  EXPECT_EQ(Node(kRgbToLab, LabNodeOffset(32, 0, 0)), (N{138, 81, 70}));
  EXPECT_EQ(Node(kRgbToLab, LabNodeOffset(0, 32, 0)), (N{224, -79, 81}));
  EXPECT_EQ(Node(kRgbToLab, LabNodeOffset(0, 0, 32)), (N{75, 68, -112}));
  // The grey of black ink alone.
  const int grey[17] = {255, 243, 230, 217, 204, 191, 177, 163, 149, 133, 117, 101, 84, 65, 44, 22, 0};
  for (int k = 0; k < 17; ++k) {
    EXPECT_EQ(Node(kCmykToRgb, CmykNodeOffset(0, 0, 0, k)), (N{grey[k], grey[k], grey[k]})) << k;
  }
}

// The largest change of a channel, in table units or in linear light, between nodes
// one step apart on any axis of a grid of `dims` axes of `axis` nodes.
double LargestStep(Which which, size_t axis, int dims, bool linearLight = false) {
  auto value = [&](size_t offset) {
    const double v = At(which, offset), x = v / 255;
    if (!linearLight) return v;
    return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
  };
  const size_t nodes = axis * axis * axis * (dims == 4 ? axis : 1);
  double largest = 0;
  for (size_t n = 0; n < nodes; ++n) {
    for (size_t stride = 1; stride < nodes; stride *= axis) {
      if ((n / stride) % axis + 1 == axis) continue;
      for (size_t ch = 0; ch < 3; ++ch) {
        largest = std::max(largest, std::fabs(value(3 * n + ch) - value(3 * (n + stride) + ch)));
      }
    }
  }
  return largest;
}

TEST(EmulationTables, NeighbouringNodesStayClose) {
  // One node of ink moves a channel by at most 255 x 1.18 / 15 = 20 levels; the
  // black ramp's largest step is 22. Eight levels of R, G or B move L*, a* or b* by
  // about 10 at most.
  EXPECT_LE(LargestStep(kCmykToRgb, 17, 4), 24);
  EXPECT_LE(LargestStep(kRgbToLab, 33, 3), 12);
  // Lab to RGB jumps near black, where the transfer curve is steep; in linear light a
  // step stays within a quarter of the range, also around the pinned dark corner.
  EXPECT_LE(LargestStep(kLabToRgb, 33, 3, true), 0.25);
  // The dark corner keeps far more green than the model: its correction is blended
  // into the nodes around it rather than standing out alone.
  for (size_t stride : {LabNodeOffset(1, 0, 0), LabNodeOffset(0, 1, 0), LabNodeOffset(0, 0, 1)}) {
    for (size_t n = 0; n < 12; ++n) {
      EXPECT_LE(std::abs(At(kLabToRgb, n * stride + 1) - At(kLabToRgb, (n + 1) * stride + 1)), 10)
          << "stride " << stride << " step " << n;
    }
  }
}

// Greys stay neutral and grow lighter along both Lab tables' grey axes.
TEST(EmulationTables, GreyAxesAreNeutralAndMonotonic) {
  for (int i = 1; i < 33; ++i) {
    const N rgb = Node(kLabToRgb, LabNodeOffset(i, 16, 16)), lab = Node(kRgbToLab, LabNodeOffset(i, i, i));
    EXPECT_EQ(rgb, (N{rgb[0], rgb[0], rgb[0]})) << "L node " << i;
    EXPECT_GT(rgb[0], At(kLabToRgb, LabNodeOffset(i - 1, 16, 16))) << "L node " << i;
    EXPECT_EQ(lab, (N{lab[0], 0, 0})) << "grey node " << i;
    EXPECT_GT(lab[0], At(kRgbToLab, LabNodeOffset(i - 1, i - 1, i - 1))) << "grey node " << i;
  }
}

}  // namespace
}  // namespace qclr::tables
