#include <algorithm>
#include <cmath>
#include <vector>

#include <gtest/gtest.h>

#include "icc/grid_interp.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::LutPtr;
using test::MakeGridLut;
using test::RandomWords;

// A grid of pseudo-random node values.
LutPtr RandomGrid(int32_t inputs, int32_t outputs, int32_t points, uint32_t seed) {
  int32_t values = outputs;
  for (int32_t i = 0; i < inputs; ++i) values *= points;
  const std::vector<uint16_t> words = RandomWords(size_t(values), seed);
  return MakeGridLut(inputs, outputs, points, [&](const std::vector<int32_t>& idx, int32_t k) {
    int32_t node = 0;
    for (int32_t v : idx) node = node * points + v;
    return words[size_t(node) * outputs + k];
  });
}

// A smooth grid: a gentle ramp along every input plus noise of up to 1023.
LutPtr SmoothRandomGrid(int32_t inputs, int32_t outputs, int32_t points, uint32_t seed) {
  int32_t values = outputs;
  for (int32_t i = 0; i < inputs; ++i) values *= points;
  const std::vector<uint16_t> noise = RandomWords(size_t(values), seed);
  int32_t next = 0;
  return MakeGridLut(inputs, outputs, points, [&](const std::vector<int32_t>& idx, int32_t) {
    int32_t sum = 0;
    for (int32_t v : idx) sum += v;
    const double ramp = 60000.0 * sum / (inputs * (points - 1));
    return uint16_t(ramp + (noise[size_t(next++)] & 1023));
  });
}

uint16_t Node(const LutTable& t, const std::vector<int32_t>& idx, int32_t k) {
  int32_t offset = k;
  for (size_t i = 0; i < idx.size(); ++i) offset += idx[i] * t.gridParams.stride[idx.size() - 1 - i];
  return t.grid[offset];
}

// Multilinear interpolation in doubles, from the real position x / 65535 x (n - 1),
// and the value range of the cell's corners.
struct CellReference {
  double value;
  double range;
};

CellReference Reference(const LutTable& t, const uint16_t* in, int32_t k) {
  const int32_t inputs = t.inputChannels, d = t.gridPoints - 1;
  std::vector<int32_t> base(inputs);
  std::vector<double> frac(inputs);
  for (int32_t i = 0; i < inputs; ++i) {
    const double pos = in[i] / 65535.0 * d;
    base[i] = std::min(int32_t(pos), d - 1);
    frac[i] = pos - base[i];
  }
  double sum = 0, lo = 65535, hi = 0;
  for (int32_t corner = 0; corner < (1 << inputs); ++corner) {
    double weight = 1;
    std::vector<int32_t> idx(base);
    for (int32_t i = 0; i < inputs; ++i) {
      const bool upper = corner >> i & 1;
      idx[i] += upper;
      weight *= upper ? frac[i] : 1 - frac[i];
    }
    const double node = Node(t, idx, k);
    sum += weight * node;
    lo = std::min(lo, node);
    hi = std::max(hi, node);
  }
  return {sum, hi - lo};
}

void Eval(const LutTable& t, const uint16_t* in, uint16_t* out) {
  if (t.inputChannels == 4) {
    IccEvalGrid4(t, in, out);
  } else {
    IccEvalGrid3(in, out, t.grid, t.gridParams);
  }
}

// Every corner of the input cube (each input 0 or 65535) gives its node exactly.
// The grids are sized exactly, so a read past the last node trips the sanitizer.
TEST(GridInterp, CornersAreExact) {
  struct Case {
    int32_t inputs, outputs, points;
  };
  for (const Case& c : {Case{3, 3, 2}, Case{3, 4, 17}, Case{3, 1, 33}, Case{4, 3, 2},
                        Case{4, 3, 16}, Case{4, 4, 9}}) {
    const LutPtr t = RandomGrid(c.inputs, c.outputs, c.points, 7 + c.points);
    for (int32_t corner = 0; corner < (1 << c.inputs); ++corner) {
      uint16_t in[4];
      std::vector<int32_t> idx(c.inputs);
      for (int32_t i = 0; i < c.inputs; ++i) {
        const bool high = corner >> i & 1;
        in[i] = high ? 65535 : 0;
        idx[i] = high ? c.points - 1 : 0;
      }
      uint16_t out[4];
      Eval(*t, in, out);
      for (int32_t k = 0; k < c.outputs; ++k) {
        EXPECT_EQ(out[k], Node(*t, idx, k)) << c.inputs << "x" << c.points << " corner " << corner;
      }
    }
  }
}

// With 33 points, 2048 lies just past node 1: p = 2048 x 32 x 65536 / 65535 = 65537,
// index 1 and fraction 1. Nodes 0 and 1 hold 0 and node 2 holds 65535, so the
// fraction shows: 65535 x 1 / 65536 rounds to 1. 2047 still lies below node 1.
TEST(GridInterp, IndexAndFractionOf33Points) {
  struct Case {
    uint16_t x;
    uint16_t expected;
  };
  const Case cases[] = {{2047, 0}, {2048, 1}, {2049, 33}, {4095, 65504}, {4096, 65535}};
  for (int axis = 0; axis < 3; ++axis) {
    const LutPtr t = MakeGridLut(3, 1, 33, [&](const std::vector<int32_t>& idx, int32_t) {
      return uint16_t(idx[axis] >= 2 ? 65535 : 0);
    });
    for (const Case& c : cases) {
      uint16_t in[3] = {0, 0, 0}, out[1];
      in[axis] = c.x;
      IccEvalGrid3(in, out, t->grid, t->gridParams);
      EXPECT_EQ(out[0], c.expected) << "axis " << axis << " x " << c.x;
    }
  }
}

// Bound of the fixed-point error: the final rounding (half a unit) plus, for each
// input, the truncation of its position to 1/65536 of a cell, worth up to the
// cell's value range / 65536; the lerps' own truncations add less than 0.01.
double TrilinearTolerance(const CellReference& r) { return 0.51 + 3 * r.range / 65536; }

TEST(GridInterp, TrilinearMatchesDoubleReference) {
  struct Case {
    int32_t outputs, points;
    bool smooth;
  };
  for (const Case& c : {Case{1, 2, false}, Case{3, 9, false}, Case{4, 33, false},
                        Case{3, 17, true}, Case{3, 33, true}}) {
    const LutPtr t = c.smooth ? SmoothRandomGrid(3, c.outputs, c.points, 50 + c.points)
                              : RandomGrid(3, c.outputs, c.points, 100 + c.points);
    const std::vector<uint16_t> inputs = RandomWords(3 * 3000, 5);
    for (size_t p = 0; p < inputs.size(); p += 3) {
      uint16_t out[4];
      IccEvalGrid3(&inputs[p], out, t->grid, t->gridParams);
      for (int32_t k = 0; k < c.outputs; ++k) {
        const CellReference r = Reference(*t, &inputs[p], k);
        // Smooth grids (cells spanning at most a few thousand units) stay within one unit.
        const double tolerance = c.smooth ? 1.0 : TrilinearTolerance(r);
        ASSERT_NEAR(out[k], r.value, tolerance) << c.points << " at " << p;
      }
    }
  }
}

TEST(GridInterp, QuadrilinearMatchesDoubleReference) {
  for (const bool smooth : {false, true}) {
    const LutPtr t = smooth ? SmoothRandomGrid(4, 3, 16, 78) : RandomGrid(4, 3, 9, 77);
    const std::vector<uint16_t> inputs = RandomWords(4 * 3000, 6);
    for (size_t p = 0; p < inputs.size(); p += 4) {
      uint16_t out[3];
      IccEvalGrid4(*t, &inputs[p], out);
      for (int32_t k = 0; k < 3; ++k) {
        // The two slice results carry the trilinear error; the blend between them
        // truncates its position (range / 65536) and its result (under one unit).
        const CellReference r = Reference(*t, &inputs[p], k);
        ASSERT_NEAR(out[k], r.value, 1.01 + TrilinearTolerance(r) + r.range / 65536) << p;
      }
    }
  }
}

// A grid sampled from a linear function reproduces it between the nodes.
TEST(GridInterp, LinearFunctionReproduced) {
  // 17 points: node value 1365 x (i0 + i1 + i2) is exact, the function is
  // 1365 x 16 x (x0 + x1 + x2) / 65535.
  const LutPtr t3 = MakeGridLut(3, 1, 17, [](const std::vector<int32_t>& i, int32_t) {
    return uint16_t(1365 * (i[0] + i[1] + i[2]));
  });
  // 16 points: node value 1024 x (i0 + i1 + i2 + i3), 1024 x 15 x sum / 65535.
  const LutPtr t4 = MakeGridLut(4, 1, 16, [](const std::vector<int32_t>& i, int32_t) {
    return uint16_t(1024 * (i[0] + i[1] + i[2] + i[3]));
  });
  const std::vector<uint16_t> inputs = RandomWords(4 * 2000, 9);
  for (size_t p = 0; p < inputs.size(); p += 4) {
    const uint16_t* x = &inputs[p];
    uint16_t out;
    IccEvalGrid3(x, &out, t3->grid, t3->gridParams);
    ASSERT_NEAR(out, 1365.0 * 16 * (x[0] + x[1] + x[2]) / 65535, 1.0) << p;
    IccEvalGrid4(*t4, x, &out);
    ASSERT_NEAR(out, 1024.0 * 15 * (x[0] + x[1] + x[2] + x[3]) / 65535, 2.0) << p;
  }
}

// Input 0 at 65535 (or 0) interpolates only within the last (or first) 3-D slice:
// the result is that of a 3-D grid made of the slice alone.
TEST(GridInterp, Grid4EdgeSlices) {
  const int32_t points = 5;
  const LutPtr t = RandomGrid(4, 3, points, 31);
  for (const int32_t slice : {0, points - 1}) {
    const LutPtr alone = MakeGridLut(3, 3, points, [&](const std::vector<int32_t>& i, int32_t k) {
      return Node(*t, {slice, i[0], i[1], i[2]}, k);
    });
    const std::vector<uint16_t> inputs = RandomWords(3 * 500, 12 + slice);
    for (size_t p = 0; p < inputs.size(); p += 3) {
      const uint16_t in[4] = {uint16_t(slice == 0 ? 0 : 65535), inputs[p], inputs[p + 1],
                              inputs[p + 2]};
      uint16_t out4[3], out3[3];
      IccEvalGrid4(*t, in, out4);
      IccEvalGrid3(in + 1, out3, alone->grid, alone->gridParams);
      for (int k = 0; k < 3; ++k) ASSERT_EQ(out4[k], out3[k]) << slice << " at " << p;
    }
  }
}

TEST(GridInterp, LeavesTheTableUnchanged) {
  const LutPtr t = RandomGrid(4, 3, 4, 3);
  const InterpParams before = t->gridParams;
  const std::vector<uint16_t> grid(t->grid, t->grid + 4 * 4 * 4 * 4 * 3);
  const uint16_t in[4] = {30000, 20000, 10000, 5000};
  uint16_t out[3];
  IccEvalGrid4(*t, in, out);
  const InterpParams& after = t->gridParams;
  EXPECT_EQ(after.inputs, 4);
  EXPECT_EQ(after.samples, before.samples);
  EXPECT_EQ(after.outputs, before.outputs);
  EXPECT_EQ(after.domain, before.domain);
  EXPECT_TRUE(std::equal(before.stride, before.stride + 4, after.stride));
  EXPECT_TRUE(std::equal(grid.begin(), grid.end(), t->grid));
}

}  // namespace
}  // namespace qclr
