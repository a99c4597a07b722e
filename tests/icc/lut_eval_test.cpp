// Grid interpolation (3-D and 4-D) and the evaluation of whole lookup tables.

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;

std::vector<uint16_t> RandomWords(size_t count, uint32_t seed) {
  const std::vector<uint8_t> bytes = test::RandomBytes(count * 2, seed);
  std::vector<uint16_t> words(count);
  for (size_t i = 0; i < count; ++i) words[i] = uint16_t(bytes[2 * i] << 8 | bytes[2 * i + 1]);
  return words;
}

// A table holding only a grid (in the library's heap, sized exactly) whose node
// (i0, ..., i_last), the first input varying slowest, holds node(indices, k).
using NodeFunction = std::function<uint16_t(const std::vector<int32_t>& indices, int32_t k)>;

LutPtr MakeGridLut(int32_t inputs, int32_t outputs, int32_t points, const NodeFunction& node) {
  LutPtr t(static_cast<LutTable*>(MemCalloc(1, sizeof(LutTable))));
  t->flags = LUT_GRID;
  t->matrix[0] = t->matrix[4] = t->matrix[8] = 65536;
  t->inputChannels = inputs, t->outputChannels = outputs, t->gridPoints = points;
  InterpParams& g = t->gridParams;
  g = {points, inputs, outputs, uint16_t(points - 1), {}};
  for (int32_t k = 0, step = outputs; k < 4; ++k, step *= points) g.stride[k] = step;
  const int32_t values = g.stride[inputs - 1] * points;
  t->grid = static_cast<uint16_t*>(MemAlloc(size_t(values) * sizeof(uint16_t)));
  std::vector<int32_t> idx(inputs);
  for (int32_t n = 0; n < values / outputs; ++n) {
    for (int32_t i = inputs - 1, rest = n; i >= 0; --i, rest /= points) idx[i] = rest % points;
    for (int32_t k = 0; k < outputs; ++k) t->grid[n * outputs + k] = node(idx, k);
  }
  return t;
}

// Nodes rising to about 60000 along the sum of the indices, plus noise below 1024.
LutPtr NoisyGrid(int32_t inputs, int32_t outputs, int32_t points, uint32_t seed) {
  const std::vector<uint16_t> noise = RandomWords(size_t(std::pow(points, inputs)) * outputs, seed);
  size_t next = 0;
  return MakeGridLut(inputs, outputs, points, [&](const std::vector<int32_t>& idx, int32_t) {
    int32_t sum = 0;
    for (int32_t v : idx) sum += v;
    return uint16_t(60000.0 * sum / (inputs * (points - 1)) + (noise[next++] & 1023));
  });
}

// Multilinear interpolation in doubles, from the real position x / 65535 x (n - 1).
double Reference(const LutTable& t, const uint16_t* in, int32_t k) {
  const int32_t inputs = t.inputChannels, d = t.gridPoints - 1;
  double sum = 0;
  for (int32_t corner = 0; corner < (1 << inputs); ++corner) {
    double weight = 1;
    int32_t offset = k;  // of the corner's node
    for (int32_t i = 0; i < inputs; ++i) {
      const double pos = in[i] / 65535.0 * d;
      const int32_t base = std::min(int32_t(pos), d - 1);
      const bool upper = corner >> i & 1;
      offset += (base + upper) * t.gridParams.stride[inputs - 1 - i];
      weight *= upper ? pos - base : 1 - (pos - base);
    }
    sum += weight * t.grid[offset];
  }
  return sum;
}

void EvalGrid(const LutTable& t, const uint16_t* in, uint16_t* out) {
  t.inputChannels == 4 ? IccEvalGrid4(t, in, out) : IccEvalGrid3(in, out, t.grid, t.gridParams);
}

// With 33 points, 2048 lies just past node 1 (index 1, fraction 1/65536) and 2047
// below it. Nodes 0 and 1 hold 0 and node 2 holds 65535, so the fraction shows.
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
  // 4-D: the first input's position is rounded (f = 32769 for 32768 on two
  // points), the blend of the slices truncated (65535 x 32769 / 65536 = 32768.49).
  const LutPtr t4 = MakeGridLut(4, 1, 2, [](const std::vector<int32_t>& i, int32_t) { return uint16_t(i[0] * 65535); });
  const uint16_t in4[4] = {32768, 0, 0, 0};
  uint16_t out4 = 0;
  IccEvalGrid4(*t4, in4, &out4);
  EXPECT_EQ(out4, 32768);
}

// On smooth random grids (neighbouring nodes a few thousand apart, so truncating
// positions to 1/65536 of a cell costs little) the 3-D result is within one unit of
// exact interpolation, the 4-D one within two. The corners of the input cube give
// their nodes exactly; the grids are sized exactly, so a read past the last node
// trips the sanitizer.
TEST(GridInterp, MatchesDoubleReference) {
  for (const auto& [inputs, outputs, points, tolerance] :
       {std::tuple{3, 1, 5, 1.0}, {3, 3, 17, 1.0}, {3, 4, 33, 1.0}, {4, 4, 9, 2.0}, {4, 3, 16, 2.0}}) {
    const LutPtr t = NoisyGrid(inputs, outputs, points, 50 + points);
    std::vector<uint16_t> in;
    for (int corner = 0; corner < 16; ++corner)
      for (int i = 0; i < 4; ++i) in.push_back(corner >> i & 1 ? 65535 : 0);
    const std::vector<uint16_t> random = RandomWords(4 * 2000, 5);
    in.insert(in.end(), random.begin(), random.end());
    for (size_t p = 0; p < in.size(); p += 4) {
      uint16_t out[4];
      EvalGrid(*t, &in[p], out);
      for (int32_t k = 0; k < outputs; ++k)
        ASSERT_NEAR(out[k], Reference(*t, &in[p], k), p < 64 ? 0.0 : tolerance) << points << " at " << p;
    }
  }
}

TEST(LutEval, MatrixStep) {
  const std::tuple<std::vector<int32_t>, std::vector<uint16_t>, std::vector<uint16_t>> cases[] = {  // s15.16, in, out
      // A permutation: 32768 widens to 32769 (32768.5 rounded) and narrows back.
      {{0, 65536, 0, 0, 0, 65536, 65536, 0, 0}, {65535, 32768, 0}, {32768, 0, 65535}},
      // Halving: 65536 / 2 = 32768 narrows to 32767.5 + 0.5 = 32768.
      {{32768, 0, 0, 0, 32768, 0, 0, 0, 32768}, {65535, 1000, 1}, {32768, 500, 1}},
      // Doubling overflows to 65535, a negative row clamps to 0, a mix of thirds.
      {{131072, 0, 0, -65536, 0, 0, 16384, 16384, 32768}, {40000, 20000, 10000}, {65535, 0, 20000}},
      // RGB to XYZ of a white: the row sums, widened and narrowed (0.9642, 1.0, 0.8252).
      {{28579, 25236, 9377, 14582, 46981, 3973, 913, 6364, 46804}, {65535, 65535, 65535}, {63191, 65535, 54080}},
  };
  for (const auto& [matrix, in, expected] : cases) {
    LutTable t{};
    t.flags = LUT_MATRIX;
    t.inputChannels = t.outputChannels = 3;
    std::copy(matrix.begin(), matrix.end(), t.matrix);
    std::vector<uint16_t> out(3);
    IccEvalLut(t, in.data(), out.data());
    EXPECT_EQ(out, expected) << matrix[0];
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
    const LutPtr t = NoisyGrid(3, 4, 17, 3);
    EXPECT_TRUE(IccLutIsEvaluable(*t));
    spoil(t.get());
    EXPECT_FALSE(IccLutIsEvaluable(*t)) << what;
    const uint16_t in[4] = {65535, 65535, 65535, 65535};
    std::vector<uint16_t> out(16, 0x5A5A);
    IccEvalLut(*t, in, out.data());
    EXPECT_TRUE(std::all_of(out.begin(), out.begin() + std::min(t->outputChannels, 16), [](int v) { return !v; })) << what;
  }
}

}  // namespace
}  // namespace qclr
