#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

#include "cmyk_to_rgb_table.h"
#include "lab_tables.h"
#include "table_layout.h"

namespace qclr::tables {
namespace {

using V = std::vector<uint8_t>;

const V& CmykTable() {
  static const V table = MakeCmykToRgbTable();
  return table;
}
const V& LabToRgbTable() {
  static const V table = MakeLabToRgbTable();
  return table;
}
const V& RgbToLabTable() {
  static const V table = MakeRgbToLabTable();
  return table;
}

struct Node3 {
  int r, g, b;
  bool operator==(const Node3&) const = default;
};

// A node's three bytes; the second and third are signed in the RGB to Lab table.
Node3 At(const V& table, size_t offset, bool signedAb = false) {
  if (signedAb) {
    return {table[offset], static_cast<int8_t>(table[offset + 1]),
            static_cast<int8_t>(table[offset + 2])};
  }
  return {table[offset], table[offset + 1], table[offset + 2]};
}

void PrintTo(const Node3& n, std::ostream* os) { *os << n.r << ", " << n.g << ", " << n.b; }

TEST(EmulationTables, SizesAndZeroTail) {
  EXPECT_EQ(CmykTable().size(), 250563u);
  for (const V* table : {&LabToRgbTable(), &RgbToLabTable()}) {
    ASSERT_EQ(table->size(), 108300u);
    EXPECT_TRUE(std::all_of(table->begin() + 107811, table->end(), [](uint8_t b) { return b == 0; }));
  }
}

TEST(EmulationTables, CmykReferenceNodes) {
  const int grey[17] = {255, 243, 230, 217, 204, 191, 177, 163, 149, 133, 117, 101, 84, 65, 44, 22, 0};
  for (int k = 0; k < 17; ++k) {
    EXPECT_EQ(At(CmykTable(), CmykNodeOffset(0, 0, 0, k)), (Node3{grey[k], grey[k], grey[k]})) << k;
  }
  EXPECT_EQ(At(CmykTable(), CmykNodeOffset(15, 0, 0, 0)), (Node3{0, 179, 235}));
  EXPECT_EQ(At(CmykTable(), CmykNodeOffset(0, 15, 0, 0)), (Node3{228, 13, 129}));
  EXPECT_EQ(At(CmykTable(), CmykNodeOffset(0, 0, 15, 0)), (Node3{250, 245, 0}));
}

TEST(EmulationTables, LabReferenceNodes) {
  struct Case {
    const V& table;
    int i1, i2, i3;
    Node3 value;
    bool signedAb;
  };
  const Case cases[] = {
      {LabToRgbTable(), 0, 16, 16, {0, 0, 0}, false},
      {LabToRgbTable(), 16, 16, 16, {119, 119, 119}, false},
      {LabToRgbTable(), 32, 16, 16, {255, 255, 255}, false},
      {LabToRgbTable(), 0, 0, 0, {0, 108, 195}, false},
      {RgbToLabTable(), 0, 0, 0, {0, 0, 0}, true},
      {RgbToLabTable(), 16, 16, 16, {137, 0, 0}, true},
      {RgbToLabTable(), 32, 32, 32, {255, 0, 0}, true},
      {RgbToLabTable(), 32, 0, 0, {138, 81, 70}, true},
      {RgbToLabTable(), 0, 32, 0, {224, -79, 81}, true},
      {RgbToLabTable(), 0, 0, 32, {75, 68, -112}, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(At(c.table, LabNodeOffset(c.i1, c.i2, c.i3), c.signedAb), c.value)
        << c.i1 << ", " << c.i2 << ", " << c.i3;
  }
}

// Calls visit(offset, neighbourOffset) for every pair of nodes one step apart on an
// axis of a grid with `dims` axes of `axis` nodes.
void ForEachNeighbourPair(int axis, int dims, const std::function<void(size_t, size_t)>& visit) {
  size_t nodes = 1;
  for (int d = 0; d < dims; ++d) nodes *= static_cast<size_t>(axis);
  for (size_t n = 0; n < nodes; ++n) {
    size_t stride = 1;
    for (int d = 0; d < dims; ++d, stride *= static_cast<size_t>(axis)) {
      if ((n / stride) % static_cast<size_t>(axis) + 1 < static_cast<size_t>(axis)) {
        visit(3 * n, 3 * (n + stride));
      }
    }
  }
}

int LargestStep(const V& table, int axis, int dims, bool signedAb) {
  int largest = 0;
  ForEachNeighbourPair(axis, dims, [&](size_t a, size_t b) {
    const Node3 p = At(table, a, signedAb), q = At(table, b, signedAb);
    largest = std::max({largest, std::abs(p.r - q.r), std::abs(p.g - q.g), std::abs(p.b - q.b)});
  });
  return largest;
}

double DisplayToLinear(int v) {
  const double x = v / 255.0;
  return x <= 0.04045 ? x / 12.92 : std::pow((x + 0.055) / 1.055, 2.4);
}

TEST(EmulationTables, NeighbouringNodesStayClose) {
  // One node of ink moves a channel by at most 255 x 1.18 / 15 = 20 levels; the
  // black ramp's largest step is 22.
  EXPECT_LE(LargestStep(CmykTable(), 17, 4, false), 24);
  // Eight levels of R, G or B never move L*, a* or b* by more than about 10.
  EXPECT_LE(LargestStep(RgbToLabTable(), 33, 3, true), 12);
  // The display levels of Lab to RGB jump near black, where the transfer curve is
  // steep; in linear light a step of 3 L* or 8 a*, b* stays within a quarter of the
  // range, also around the pinned dark corner.
  double largest = 0;
  const V& t = LabToRgbTable();
  ForEachNeighbourPair(33, 3, [&](size_t a, size_t b) {
    for (int ch = 0; ch < 3; ++ch) {
      largest = std::max(largest, std::fabs(DisplayToLinear(t[a + ch]) - DisplayToLinear(t[b + ch])));
    }
  });
  EXPECT_LE(largest, 0.25);
}

// A reference node that the model misses is blended into its surroundings rather
// than standing out alone.
TEST(EmulationTables, PinnedCornerBlendsIntoItsNeighbours) {
  const V& t = LabToRgbTable();
  for (int step = 0; step < 12; ++step) {
    for (int axis = 0; axis < 3; ++axis) {
      int at[3] = {0, 0, 0}, next[3] = {0, 0, 0};
      at[axis] = step;
      next[axis] = step + 1;
      const int g = t[LabNodeOffset(at[0], at[1], at[2]) + 1];
      const int gNext = t[LabNodeOffset(next[0], next[1], next[2]) + 1];
      EXPECT_LE(std::abs(g - gNext), 10) << "axis " << axis << " step " << step;
    }
  }
}

TEST(EmulationTables, GreyRampsAreMonotonicAndNeutral) {
  for (int k = 1; k < 17; ++k) {
    const Node3 prev = At(CmykTable(), CmykNodeOffset(k - 1, k - 1, k - 1, 0));
    const Node3 cur = At(CmykTable(), CmykNodeOffset(k, k, k, 0));
    EXPECT_TRUE(cur.r <= prev.r && cur.g <= prev.g && cur.b <= prev.b) << "CMY node " << k;
  }
  for (int i = 1; i < 33; ++i) {
    const Node3 rgb = At(LabToRgbTable(), LabNodeOffset(i, 16, 16));
    EXPECT_TRUE(rgb.r == rgb.g && rgb.g == rgb.b) << "L node " << i;
    EXPECT_GT(rgb.r, At(LabToRgbTable(), LabNodeOffset(i - 1, 16, 16)).r) << "L node " << i;
    const Node3 lab = At(RgbToLabTable(), LabNodeOffset(i, i, i), true);
    EXPECT_EQ(lab.g, 0) << "grey node " << i;
    EXPECT_EQ(lab.b, 0) << "grey node " << i;
    EXPECT_GT(lab.r, At(RgbToLabTable(), LabNodeOffset(i - 1, i - 1, i - 1), true).r) << i;
  }
}

// Generating twice gives the same bytes; the builds of other platforms are compared
// with this one by CI, byte for byte.
TEST(EmulationTables, DeterministicBytes) {
  EXPECT_EQ(MakeCmykToRgbTable(), CmykTable());
  EXPECT_EQ(MakeLabToRgbTable(), LabToRgbTable());
  EXPECT_EQ(MakeRgbToLabTable(), RgbToLabTable());
}

}  // namespace
}  // namespace qclr::tables
