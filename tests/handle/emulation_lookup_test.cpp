#include "handle/emulation_lookup.h"

#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::PaddedImage;
using V = std::vector<uint8_t>;

// Tables whose node bytes encode the node's own coordinates, so a result tells which
// nodes were read.

// CMYK: R = c << 4 | m, G = y << 4 | k, B = 0; nodes with a coordinate 16 (never to
// be read) hold B = 0xEE.
V CoordinateCmykTable() {
  V t(17 * 17 * 17 * 17 * 3);
  size_t i = 0;
  for (int c = 0; c < 17; ++c)
    for (int m = 0; m < 17; ++m)
      for (int y = 0; y < 17; ++y)
        for (int k = 0; k < 17; ++k, i += 3) {
          const bool edge = c == 16 || m == 16 || y == 16 || k == 16;
          t[i] = static_cast<uint8_t>(edge ? 0xEE : c << 4 | m);
          t[i + 1] = static_cast<uint8_t>(edge ? 0xEE : y << 4 | k);
          t[i + 2] = edge ? 0xEE : 0;
        }
  return t;
}

// 33-point tables: node (i, j, k) holds 4i, 4j + offset, 4k + offset, so the mean
// of nodes (lo, hi) on an axis is 2 (lo + hi) + offset.
V CoordinateLabTable(int abOffset) {
  V t(33 * 33 * 33 * 3);
  size_t n = 0;
  for (int i = 0; i < 33; ++i)
    for (int j = 0; j < 33; ++j)
      for (int k = 0; k < 33; ++k, n += 3) {
        t[n] = static_cast<uint8_t>(4 * i);
        t[n + 1] = static_cast<uint8_t>(4 * j + abOffset);
        t[n + 2] = static_cast<uint8_t>(4 * k + abOffset);
      }
  return t;
}

// A channel value and the two nodes that must be read for it.
struct NodePair {
  int value;
  int lo;
  int hi;
};
constexpr NodePair kNodePairs[] = {{0, 0, 0},   {4, 0, 1},     {7, 0, 1},     {8, 1, 1},
                                   {9, 1, 2},   {128, 16, 16}, {248, 31, 31}, {249, 31, 32},
                                   {255, 31, 32}};

TEST(EmulationLookup, RgbToLabReadsNodesBelowAndAbove) {
  const V table = CoordinateLabTable(-64);
  for (const NodePair& r : kNodePairs) {
    for (const NodePair& g : kNodePairs) {
      const NodePair& b = kNodePairs[(&g - kNodePairs + 3) % 9];
      for (int32_t order : {1, 0}) {
        const uint8_t red = static_cast<uint8_t>(r.value), blue = static_cast<uint8_t>(b.value);
        const V src = order ? V{red, uint8_t(g.value), blue} : V{blue, uint8_t(g.value), red};
        V lab(3);
        EmuRgbToLab(src.data(), table.data(), 1, 1, 0, 0, lab.data(), order);
        EXPECT_EQ(lab[0], 2 * (r.lo + r.hi)) << r.value;
        EXPECT_EQ(static_cast<int8_t>(lab[1]), 2 * (g.lo + g.hi) - 64) << g.value;
        EXPECT_EQ(static_cast<int8_t>(lab[2]), 2 * (b.lo + b.hi) - 64) << b.value;
      }
    }
  }
}

TEST(EmulationLookup, LabToRgbReadsNodesBelowAndAbove) {
  const V table = CoordinateLabTable(0);
  for (const NodePair& l : kNodePairs) {
    for (const NodePair& a : kNodePairs) {
      const NodePair& b = kNodePairs[(&a - kNodePairs + 5) % 9];
      for (int32_t order : {1, 0}) {
        // a and b are stored signed: the axis value minus 128.
        const V src{uint8_t(l.value), uint8_t(a.value - 128), uint8_t(b.value - 128)};
        V rgb(3);
        EmuLabToRgb(src.data(), table.data(), 1, 1, 0, 0, rgb.data(), order);
        const int red = rgb[order ? 0 : 2], blue = rgb[order ? 2 : 0];
        EXPECT_EQ(red, 2 * (l.lo + l.hi)) << l.value;
        EXPECT_EQ(rgb[1], 2 * (a.lo + a.hi)) << a.value;
        EXPECT_EQ(blue, 2 * (b.lo + b.hi)) << b.value;
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
      {{255, 127, 0x80}, {254, 127, 0x80}, {254, 127, 0x80}},  // 509 / 2; 127; -128
      {{1, 0xFD, 3}, {0, 0, 0}, {0, 0xFF, 1}},                 // -3 / 2 = -1, 3 / 2 = 1
      {{0, 0x81, 0xFF}, {1, 0x80, 0}, {0, 0x81, 0}},           // -255 / 2 = -127, -1 / 2 = 0
  };
  for (const Case& c : cases) {
    V table(33 * 33 * 33 * 3, 0x55);
    for (int i = 0; i < 3; ++i) {
      table[i] = c.lo[i];                                  // node (0, 0, 0)
      table[3 * ((1 * 33 + 1) * 33 + 1) + i] = c.hi[i];  // node (1, 1, 1)
    }
    const V src{4, 4, 4};
    V lab(3);
    EmuRgbToLab(src.data(), table.data(), 1, 1, 0, 0, lab.data(), 1);
    EXPECT_EQ(lab, V(c.expected, c.expected + 3));
  }
}

TEST(EmulationLookup, CmykTakesTheNodeAtOrBelow) {
  const V table = CoordinateCmykTable();
  struct Case {
    V cmyk;
    V rgb;
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
      const V expected = order ? c.rgb : V{c.rgb[2], c.rgb[1], c.rgb[0]};
      EXPECT_EQ(rgb, expected);
    }
  }
}

// Width 5 with both alignments 4: CMYK rows of 20 bytes need no padding, RGB and Lab
// rows of 15 bytes are followed by 1 byte that must stay untouched.
TEST(EmulationLookup, RowsAndPadding) {
  constexpr int32_t kWidth = 5, kHeight = 3;
  const V cmykTable = CoordinateCmykTable();
  const V labTable = CoordinateLabTable(0);
  const V pixels = test::RandomBytes(4 * kWidth * kHeight, 11);

  PaddedImage cmyk(4 * kWidth, kHeight, 4);
  ASSERT_EQ(cmyk.stride(), 20);
  cmyk.SetRows(pixels);
  PaddedImage rgb(3 * kWidth, kHeight, 4);
  ASSERT_EQ(rgb.stride(), 16);
  EmuCmykToRgb(cmyk.data(), cmykTable.data(), kWidth, kHeight, 4, 4, rgb.data(), 1);
  EXPECT_TRUE(rgb.PaddingIntact());
  const V out = rgb.Rows();
  for (int p = 0; p < kWidth * kHeight; ++p) {
    const uint8_t* c = &pixels[4 * p];
    EXPECT_EQ(out[3 * p], (c[0] >> 4) << 4 | c[1] >> 4) << p;
    EXPECT_EQ(out[3 * p + 1], (c[2] >> 4) << 4 | c[3] >> 4) << p;
  }

  // The 3-byte lookups skip the source padding too; each pixel must match the same
  // pixel converted alone.
  const V tight(pixels.begin(), pixels.begin() + 3 * kWidth * kHeight);
  PaddedImage src(3 * kWidth, kHeight, 4);
  src.SetRows(tight);
  for (auto lookup : {EmuRgbToLab, EmuLabToRgb}) {
    PaddedImage dst(3 * kWidth, kHeight, 4);
    lookup(src.data(), labTable.data(), kWidth, kHeight, 4, 4, dst.data(), 0);
    EXPECT_TRUE(dst.PaddingIntact());
    const V rows = dst.Rows();
    for (int p = 0; p < kWidth * kHeight; ++p) {
      V one(3);
      lookup(&tight[3 * p], labTable.data(), 1, 1, 0, 0, one.data(), 0);
      EXPECT_EQ(V(rows.begin() + 3 * p, rows.begin() + 3 * p + 3), one) << p;
    }
  }
}

}  // namespace
}  // namespace qclr
