#include "handle/emulation_lookup.h"

#include <algorithm>
#include <cstdint>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::PaddedImage;
using V = std::vector<uint8_t>;

// Tables whose node bytes encode the node's own coordinates, so a result tells which
// nodes were read.

// CMYK: node (c, m, y, k) holds c << 4 | m, y << 4 | k, 0; nodes with a
// coordinate 16 (never to be read) hold 0xEE in B.
V CoordinateCmykTable() {
  V t(17 * 17 * 17 * 17 * 3);
  for (size_t n = 0; n < t.size() / 3; ++n) {
    const size_t c = n / 4913, m = n / 289 % 17, y = n / 17 % 17, k = n % 17;
    t[3 * n] = static_cast<uint8_t>(c << 4 | m);
    t[3 * n + 1] = static_cast<uint8_t>(y << 4 | k);
    t[3 * n + 2] = c == 16 || m == 16 || y == 16 || k == 16 ? 0xEE : 0;
  }
  return t;
}

// 33-point tables: node (i, j, k) holds 4i, 4j + offset, 4k + offset, so the mean
// of nodes (lo, hi) on an axis is 2 (lo + hi) + offset.
V CoordinateLabTable(int abOffset) {
  V t(33 * 33 * 33 * 3);
  for (size_t n = 0; n < t.size() / 3; ++n) {
    t[3 * n] = static_cast<uint8_t>(4 * (n / 1089));
    t[3 * n + 1] = static_cast<uint8_t>(4 * (n / 33 % 33) + abOffset);
    t[3 * n + 2] = static_cast<uint8_t>(4 * (n % 33) + abOffset);
  }
  return t;
}

// A channel value and the two nodes that must be read for it.
struct NodePair {
  int value, lo, hi;
};
constexpr NodePair kNodePairs[] = {{0, 0, 0},     {4, 0, 1},     {7, 0, 1},      {8, 1, 1},     {9, 1, 2},
                                   {128, 16, 16}, {248, 31, 31}, {249, 31, 32}, {255, 31, 32}};

// RGB to Lab reads R, G, B by rgbOrder and writes signed a and b; Lab to RGB reads
// signed a and b (the axis value minus 128) and writes by rgbOrder.
TEST(EmulationLookup, ThirtyThreePointLookupsReadNodesBelowAndAbove) {
  const V rgbToLab = CoordinateLabTable(-64), labToRgb = CoordinateLabTable(0);
  for (const NodePair& x : kNodePairs) {
    for (const NodePair& y : kNodePairs) {
      const NodePair& z = kNodePairs[(&y - kNodePairs + 3) % 9];
      SCOPED_TRACE(testing::Message() << x.value << ", " << y.value << ", " << z.value);
      const int mean[3] = {2 * (x.lo + x.hi), 2 * (y.lo + y.hi), 2 * (z.lo + z.hi)};
      for (int32_t order : {1, 0}) {
        const int r = order ? 0 : 2;
        V rgb(3), lab(3);
        rgb[r] = static_cast<uint8_t>(x.value), rgb[1] = static_cast<uint8_t>(y.value);
        rgb[2 - r] = static_cast<uint8_t>(z.value);
        EmuRgbToLab(rgb.data(), rgbToLab.data(), 1, 1, 0, 0, lab.data(), order);
        EXPECT_EQ(lab, (V{uint8_t(mean[0]), uint8_t(mean[1] - 64), uint8_t(mean[2] - 64)}));
        const V signedLab{uint8_t(x.value), uint8_t(y.value - 128), uint8_t(z.value - 128)};
        EmuLabToRgb(signedLab.data(), labToRgb.data(), 1, 1, 0, 0, rgb.data(), order);
        EXPECT_EQ(rgb[r], mean[0]);
        EXPECT_EQ(rgb[1], mean[1]);
        EXPECT_EQ(rgb[2 - r], mean[2]);
      }
    }
  }
}

// Means of extreme node values: unsigned L never wraps, signed a and b are halved
// toward zero.
TEST(EmulationLookup, NodeMeansTruncateTowardZero) {
  struct Case {
    uint8_t lo[3], hi[3], expected[3];
  };
  const Case cases[] = {
      {{255, 0xFD, 3}, {254, 0, 0}, {254, 0xFF, 1}},    // 509 / 2; -3 / 2 = -1, 3 / 2 = 1
      {{0, 0x81, 0xFF}, {1, 0x80, 0}, {0, 0x81, 0}},  // -255 / 2 = -127, -1 / 2 = 0
  };
  for (const Case& c : cases) {
    V table(33 * 33 * 33 * 3, 0x55);
    std::copy(c.lo, c.lo + 3, table.begin());                           // node (0, 0, 0)
    std::copy(c.hi, c.hi + 3, table.begin() + 3 * ((33 + 1) * 33 + 1));  // node (1, 1, 1)
    const V src{4, 4, 4};
    V lab(3);
    EmuRgbToLab(src.data(), table.data(), 1, 1, 0, 0, lab.data(), 1);
    EXPECT_EQ(lab, V(c.expected, c.expected + 3));
  }
}

TEST(EmulationLookup, CmykTakesTheNodeAtOrBelow) {
  const V table = CoordinateCmykTable();
  struct Case {
    V cmyk, rgb;
  };
  const Case cases[] = {
      {{255, 255, 255, 255}, {0xFF, 0xFF, 0}},  // node (15, 15, 15, 15), not 16
      {{0, 0, 0, 15}, {0, 0, 0}},               // node (0, 0, 0, 0)
      {{16, 0, 0, 0}, {0x10, 0, 0}},            // node (1, 0, 0, 0)
      {{31, 32, 47, 240}, {0x12, 0x2F, 0}},     // nodes 1, 2, 2, 15
  };
  for (const Case& c : cases) {
    for (int32_t order : {1, 0}) {
      V rgb(3);
      EmuCmykToRgb(c.cmyk.data(), table.data(), 1, 1, 0, 0, rgb.data(), order);
      EXPECT_EQ(rgb, (order ? c.rgb : V{c.rgb[2], c.rgb[1], c.rgb[0]}));
    }
  }
}

// Width 5, alignments 4: RGB and Lab rows of 15 bytes are followed by 1 byte that
// must stay untouched; each pixel comes out as it does converted alone.
TEST(EmulationLookup, RowsAndPadding) {
  const V cmykTable = CoordinateCmykTable(), labTable = CoordinateLabTable(0);
  const V pixels = test::RandomBytes(4 * 5 * 3, 11);
  for (const auto& [lookup, table, srcPixel] : {std::tuple{&EmuCmykToRgb, &cmykTable, 4}, {&EmuRgbToLab, &labTable, 3},
                                                {&EmuLabToRgb, &labTable, 3}}) {
    PaddedImage src(srcPixel * 5, 3, 4), dst(3 * 5, 3, 4);
    src.SetRows(V(pixels.begin(), pixels.begin() + srcPixel * 15));
    lookup(src.data(), table->data(), 5, 3, 4, 4, dst.data(), 0);
    EXPECT_TRUE(dst.PaddingIntact());
    V alone(3 * 15);
    for (int p = 0; p < 15; ++p) lookup(&pixels[size_t(srcPixel * p)], table->data(), 1, 1, 0, 0, &alone[3 * p], 0);
    EXPECT_EQ(dst.Rows(), alone);
  }
}

}  // namespace
}  // namespace qclr
