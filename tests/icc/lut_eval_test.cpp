// Grid interpolation (3-D and 4-D) and the evaluation of whole lookup tables.
#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

#include "icc/grid_interp.h"
#include "icc/lut_eval.h"
#include "icc_test_support.h"

namespace qclr {
namespace {

using test::LutPtr;
using test::MakeGridLut;
using test::NoisyGrid;
using test::RandomWords;

uint16_t Node(const LutTable& t, const std::vector<int32_t>& idx, int32_t k) {
  int32_t offset = k;
  for (size_t i = 0; i < idx.size(); ++i) offset += idx[i] * t.gridParams.stride[idx.size() - 1 - i];
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

void EvalGrid(const LutTable& t, const uint16_t* in, uint16_t* out) {
  if (t.inputChannels == 4) {
    IccEvalGrid4(t, in, out);
  } else {
    IccEvalGrid3(in, out, t.grid, t.gridParams);
  }
}

// Every corner of the input cube (each input 0 or 65535) gives its node exactly.
// The grids are sized exactly, so a read past the last node trips the sanitizer.
TEST(GridInterp, CornersAreExact) {
  for (const auto& [inputs, outputs, points] : {std::tuple{3, 3, 2}, {3, 1, 33}, {4, 3, 2}, {4, 4, 9}}) {
    const LutPtr t = NoisyGrid(inputs, outputs, points, 7 + points, 0, 0xFFFF);
    for (int32_t corner = 0; corner < (1 << inputs); ++corner) {
      uint16_t in[4], out[4];
      std::vector<int32_t> idx(inputs);
      for (int32_t i = 0; i < inputs; ++i) {
        in[i] = corner >> i & 1 ? 65535 : 0;
        idx[i] = corner >> i & 1 ? points - 1 : 0;
      }
      EvalGrid(*t, in, out);
      for (int32_t k = 0; k < outputs; ++k) EXPECT_EQ(out[k], Node(*t, idx, k)) << points << " " << corner;
    }
  }
}

// With 33 points, 2048 lies just past node 1: p = 2048 x 32 x 65536 / 65535 = 65537,
// index 1 and fraction 1. Nodes 0 and 1 hold 0 and node 2 holds 65535, so the
// fraction shows: 65535 x 1 / 65536 rounds to 1. 2047 still lies below node 1.
TEST(GridInterp, IndexAndFraction) {
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
  // 4-D: the first input's 16.16 position is rounded, the blend of the slices
  // truncated. On two points 32768 is f = 32769 (32768.5 + 0.5), and slices 0 and
  // 65535 blend to 65535 x 32769 / 65536 = 32768.49.
  const LutPtr t4 = MakeGridLut(4, 1, 2, [](const std::vector<int32_t>& i, int32_t) { return uint16_t(i[0] * 65535); });
  const uint16_t in4[4] = {32768, 0, 0, 0};
  uint16_t out4;
  IccEvalGrid4(*t4, in4, &out4);
  EXPECT_EQ(out4, 32768);
}

// On smooth random grids (neighbouring nodes a few thousand apart, so truncating
// positions to 1/65536 of a cell costs little) the 3-D result is within one unit of
// exact interpolation; the 4-D one rounds both slices and truncates the blend.
TEST(GridInterp, MatchesDoubleReference) {
  for (const auto& [inputs, outputs, points, tolerance] :
       {std::tuple{3, 1, 5, 1.0}, {3, 3, 17, 1.0}, {3, 4, 33, 1.0}, {4, 3, 9, 2.0}, {4, 3, 16, 2.0}}) {
    const LutPtr t = NoisyGrid(inputs, outputs, points, 50 + points, 60000, 1023);
    const std::vector<uint16_t> in = RandomWords(4 * 2000, 5);
    for (size_t p = 0; p < in.size(); p += 4) {
      uint16_t out[4];
      EvalGrid(*t, &in[p], out);
      for (int32_t k = 0; k < outputs; ++k) ASSERT_NEAR(out[k], Reference(*t, &in[p], k), tolerance) << p;
    }
  }
}

LutPtr MatrixOnlyLut(const std::vector<int32_t>& matrix) {
  LutPtr t(static_cast<LutTable*>(MemCalloc(1, sizeof(LutTable))));
  t->flags = LUT_MATRIX;
  t->inputChannels = t->outputChannels = 3;
  std::copy(matrix.begin(), matrix.end(), t->matrix);
  return t;
}

TEST(LutEval, MatrixStep) {
  struct Case {
    std::vector<int32_t> matrix;  // s15.16
    std::vector<uint16_t> in, out;
  };
  const Case cases[] = {
      // A permutation: 32768 widens to 32769 (32768.5 rounded) and narrows back.
      {{0, 65536, 0, 0, 0, 65536, 65536, 0, 0}, {65535, 32768, 0}, {32768, 0, 65535}},
      // Halving: 65536 / 2 = 32768 narrows to 32767.5 + 0.5 = 32768.
      {{32768, 0, 0, 0, 32768, 0, 0, 0, 32768}, {65535, 1000, 1}, {32768, 500, 1}},
      // Doubling overflows to 65535, a negative row clamps to 0, a mix of thirds.
      {{131072, 0, 0, -65536, 0, 0, 16384, 16384, 32768}, {40000, 20000, 10000}, {65535, 0, 20000}},
      // RGB to XYZ of a white: the row sums, widened and narrowed (0.9642, 1.0, 0.8252).
      {{28579, 25236, 9377, 14582, 46981, 3973, 913, 6364, 46804}, {65535, 65535, 65535}, {63191, 65535, 54080}},
  };
  for (const Case& c : cases) {
    std::vector<uint16_t> out(3);
    IccEvalLut(*MatrixOnlyLut(c.matrix), c.in.data(), out.data());
    EXPECT_EQ(out, c.out) << c.matrix[0];
  }
}

// 3 inputs, 4 outputs, 17 points: outputs 0..2 follow inputs 0..2 (node value
// 4095 x index, so 65520 / 65535 x input), output 3 falls with input 0.
LutPtr RgbToFourLut() {
  return MakeGridLut(3, 4, 17, [](const std::vector<int32_t>& i, int32_t k) {
    return uint16_t(k < 3 ? 4095 * i[k] : 4095 * (16 - i[0]));
  });
}

// Inverting input and output curves around a linear grid: out = 65535 - f(65535 - x).
// The 4-input table's output k follows inputs k and 3 (node value 2184 x (ik + i3)).
TEST(LutEval, CurvesAroundTheGrid) {
  const std::vector<uint16_t> invert = {65535, 0};
  for (const bool four : {false, true}) {
    const LutPtr t = four ? MakeGridLut(4, 3, 16, [](const std::vector<int32_t>& i,
                                                     int32_t k) { return uint16_t(2184 * (i[k] + i[3])); })
                          : RgbToFourLut();
    test::SetCurves(t.get(), true, invert);
    test::SetCurves(t.get(), false, invert);
    const std::vector<uint16_t> inputs = RandomWords(4 * 2000, 21);
    for (size_t p = 0; p < inputs.size(); p += 4) {
      uint16_t x[4], out[4];
      for (int i = 0; i < 4; ++i) x[i] = uint16_t(65535 - inputs[p + i]);  // after the curves
      IccEvalLut(*t, &inputs[p], out);
      for (int k = 0; k < t->outputChannels; ++k) {
        const double grid =
            four ? 2184.0 * 15 / 65535 * (x[k] + x[3]) : 65520.0 / 65535 * (k < 3 ? x[k] : 65535 - x[0]);
        ASSERT_NEAR(out[k], 65535 - grid, four ? 2.0 : 1.0) << four << " at " << p;
      }
    }
  }
}

// Tables the kernels cannot address give zeros instead of reading out of bounds.
TEST(LutEval, RefusesMalformedTables) {
  const std::pair<const char*, void (*)(LutTable*)> cases[] = {
      {"two inputs", [](LutTable* t) { t->inputChannels = 2; }},
      {"17 outputs", [](LutTable* t) { t->outputChannels = 17; }},
      {"one grid point", [](LutTable* t) { t->gridPoints = 1; }},
      {"stride past the grid", [](LutTable* t) { t->gridParams.stride[2] *= 2; }},
      {"outputs differ", [](LutTable* t) { t->gridParams.outputs = 5; }},
      {"missing curve", [](LutTable* t) { t->flags |= LUT_POST_CURVES; }},
  };
  for (const auto& [what, spoil] : cases) {
    const LutPtr t = RgbToFourLut();
    EXPECT_TRUE(IccLutIsEvaluable(*t));
    spoil(t.get());
    EXPECT_FALSE(IccLutIsEvaluable(*t)) << what;
    const uint16_t in[4] = {65535, 65535, 65535, 65535};
    uint16_t out[16];
    std::fill(out, out + 16, uint16_t{0x5A5A});
    IccEvalLut(*t, in, out);
    EXPECT_TRUE(std::all_of(out, out + std::min(t->outputChannels, 16), [](uint16_t v) { return v == 0; })) << what;
  }
}

}  // namespace
}  // namespace qclr
