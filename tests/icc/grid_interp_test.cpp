#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "icc/grid_interp.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::LutPtr;
using test::MakeGridLut;
using test::NoisyGrid;
using test::RandomWords;

uint16_t Node(const LutTable& t, const std::vector<int32_t>& idx, int32_t k) {
  int32_t offset = k;
  const size_t inputs = idx.size();
  for (size_t i = 0; i < inputs; ++i) offset += idx[i] * t.gridParams.stride[inputs - 1 - i];
  return t.grid[offset];
}

// Multilinear interpolation in doubles, from the real position x / 65535 x (n - 1).
double Reference(const LutTable& t, const uint16_t* in, int32_t k) {
  const int32_t inputs = t.inputChannels, d = t.gridPoints - 1;
  double sum = 0;
  for (int32_t corner = 0; corner < (1 << inputs); ++corner) {
    double weight = 1;
    std::vector<int32_t> idx(inputs);
    for (int32_t i = 0; i < inputs; ++i) {
      const double pos = in[i] / 65535.0 * d;
      const int32_t base = std::min(int32_t(pos), d - 1);
      const bool upper = corner >> i & 1;
      idx[i] = base + upper;
      weight *= upper ? pos - base : 1 - (pos - base);
    }
    sum += weight * Node(t, idx, k);
  }
  return sum;
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
  for (const Case& c : {Case{3, 3, 2}, Case{3, 1, 33}, Case{4, 3, 2}, Case{4, 4, 9}}) {
    const LutPtr t = NoisyGrid(c.inputs, c.outputs, c.points, 7 + c.points, 0, 0xFFFF);
    for (int32_t corner = 0; corner < (1 << c.inputs); ++corner) {
      uint16_t in[4], out[4];
      std::vector<int32_t> idx(c.inputs);
      for (int32_t i = 0; i < c.inputs; ++i) {
        in[i] = corner >> i & 1 ? 65535 : 0;
        idx[i] = corner >> i & 1 ? c.points - 1 : 0;
      }
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
  const uint16_t inputs[] = {2047, 2048, 2049, 4095, 4096};
  const uint16_t expected[] = {0, 1, 33, 65504, 65535};
  for (int axis = 0; axis < 3; ++axis) {
    const LutPtr t = MakeGridLut(3, 1, 33, [&](const std::vector<int32_t>& idx, int32_t) {
      return uint16_t(idx[axis] >= 2 ? 65535 : 0);
    });
    for (int i = 0; i < 5; ++i) {
      uint16_t in[3] = {0, 0, 0}, out;
      in[axis] = inputs[i];
      IccEvalGrid3(in, &out, t->grid, t->gridParams);
      EXPECT_EQ(out, expected[i]) << "axis " << axis << " x " << inputs[i];
    }
  }
}

// On smooth random grids (neighbouring nodes a few thousand apart, so truncating
// positions to 1/65536 of a cell costs little) the 3-D result is within one unit of
// exact interpolation; the 4-D one rounds both slices and truncates the blend.
TEST(GridInterp, MatchesDoubleReference) {
  struct Case {
    int32_t inputs, outputs, points;
    double tolerance;
  };
  for (const Case& c : {Case{3, 1, 5, 1}, Case{3, 3, 17, 1}, Case{3, 4, 33, 1},
                        Case{4, 3, 9, 2}, Case{4, 3, 16, 2}}) {
    const LutPtr t = NoisyGrid(c.inputs, c.outputs, c.points, 50 + c.points, 60000, 1023);
    const std::vector<uint16_t> inputs = RandomWords(4 * 2000, 5);
    for (size_t p = 0; p < inputs.size(); p += 4) {
      uint16_t out[4];
      Eval(*t, &inputs[p], out);
      for (int32_t k = 0; k < c.outputs; ++k) {
        ASSERT_NEAR(out[k], Reference(*t, &inputs[p], k), c.tolerance) << c.points << " at " << p;
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
  const LutPtr t = NoisyGrid(4, 3, points, 31, 0, 0xFFFF);
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
      ASSERT_TRUE(std::equal(out3, out3 + 3, out4)) << slice << " at " << p;
    }
  }
}

}  // namespace
}  // namespace qclr
