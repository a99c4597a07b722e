#include <vector>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "icc/lut_eval.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::LutPtr;
using test::MakeGridLut;
using test::RandomWords;

const std::vector<uint16_t> kInvert = {65535, 0};

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
      {{28579, 25236, 9377, 14582, 46981, 3973, 913, 6364, 46804}, {65535, 65535, 65535},
       {63191, 65535, 54080}},
  };
  for (const Case& c : cases) {
    const LutPtr t = MatrixOnlyLut(c.matrix);
    std::vector<uint16_t> out(3);
    IccEvalLut(*t, c.in.data(), out.data());
    EXPECT_EQ(out, c.out) << c.matrix[0];
  }
}

// Widening to 65536 = 1.0 and narrowing back is lossless, so an identity matrix
// passes every value through.
TEST(LutEval, IdentityMatrixIsLossless) {
  const LutPtr t = MatrixOnlyLut({65536, 0, 0, 0, 65536, 0, 0, 0, 65536});
  for (int32_t x = 0; x <= 65535; ++x) {
    const uint16_t in[3] = {uint16_t(x), uint16_t(65535 - x), uint16_t(x / 2)};
    uint16_t out[3];
    IccEvalLut(*t, in, out);
    ASSERT_TRUE(std::equal(in, in + 3, out)) << x;
  }
}

// 3 inputs, 4 outputs, 17 points: outputs 0..2 follow inputs 0..2 (node value
// 4095 x index, so 65520 / 65535 x input), output 3 falls with input 0.
LutPtr RgbToFourLut() {
  return MakeGridLut(3, 4, 17, [](const std::vector<int32_t>& i, int32_t k) {
    return uint16_t(k < 3 ? 4095 * i[k] : 4095 * (16 - i[0]));
  });
}

// 4 inputs, 3 outputs, 16 points: output k follows inputs k and 3 (node value
// 2184 x (ik + i3), so 2184 x 15 / 65535 x (xk + x3)).
LutPtr FourToRgbLut() {
  return MakeGridLut(4, 3, 16, [](const std::vector<int32_t>& i, int32_t k) {
    return uint16_t(2184 * (i[k] + i[3]));
  });
}

// Inverting input and output curves around a linear grid: out = 65535 - f(65535 - x).
TEST(LutEval, CurvesAroundTheGrid) {
  for (const bool four : {false, true}) {
    const LutPtr t = four ? FourToRgbLut() : RgbToFourLut();
    test::SetInputCurves(t.get(), kInvert);
    test::SetOutputCurves(t.get(), kInvert);
    const std::vector<uint16_t> inputs = RandomWords(4 * 2000, 21);
    for (size_t p = 0; p < inputs.size(); p += 4) {
      uint16_t x[4], out[4];
      for (int i = 0; i < 4; ++i) x[i] = uint16_t(65535 - inputs[p + i]);  // after the curves
      IccEvalLut(*t, &inputs[p], out);
      for (int k = 0; k < t->outputChannels; ++k) {
        const double grid = four ? 2184.0 * 15 / 65535 * (x[k] + x[3])
                                 : 65520.0 / 65535 * (k < 3 ? x[k] : 65535 - x[0]);
        ASSERT_NEAR(out[k], 65535 - grid, four ? 2.0 : 1.0) << four << " at " << p;
      }
    }
  }
}

// Curves whose flag is clear (the reader found them linear) are not applied.
TEST(LutEval, CurvesFollowTheirFlags) {
  const LutPtr plain = RgbToFourLut();
  const LutPtr curved = RgbToFourLut();
  test::SetInputCurves(curved.get(), kInvert);
  test::SetOutputCurves(curved.get(), kInvert);
  curved->flags &= ~(LUT_PRE_CURVES | LUT_POST_CURVES);
  const uint16_t in[3] = {1000, 30000, 60000};
  uint16_t a[4], b[4];
  IccEvalLut(*plain, in, a);
  IccEvalLut(*curved, in, b);
  EXPECT_TRUE(std::equal(a, a + 4, b));
  EXPECT_NEAR(a[0], 1000, 1);
}

// Tables the kernels cannot address give zeros instead of reading out of bounds.
TEST(LutEval, RefusesMalformedTables) {
  struct Case {
    const char* what;
    void (*spoil)(LutTable*);
  };
  const Case cases[] = {
      {"two inputs", [](LutTable* t) { t->inputChannels = 2; }},
      {"17 outputs", [](LutTable* t) { t->outputChannels = 17; }},
      {"one grid point", [](LutTable* t) { t->gridPoints = 1; }},
      {"stride past the grid", [](LutTable* t) { t->gridParams.stride[2] *= 2; }},
      {"outputs differ", [](LutTable* t) { t->gridParams.outputs = 5; }},
      {"missing curve", [](LutTable* t) { t->flags |= LUT_POST_CURVES; }},
  };
  for (const Case& c : cases) {
    const LutPtr t = RgbToFourLut();
    EXPECT_TRUE(IccLutIsEvaluable(*t));
    c.spoil(t.get());
    EXPECT_FALSE(IccLutIsEvaluable(*t)) << c.what;
    const uint16_t in[4] = {65535, 65535, 65535, 65535};
    uint16_t out[16];
    std::fill(out, out + 16, uint16_t{0x5A5A});
    IccEvalLut(*t, in, out);
    const int32_t written = std::min(t->outputChannels, 16);
    EXPECT_TRUE(std::all_of(out, out + written, [](uint16_t v) { return v == 0; })) << c.what;
  }
}

}  // namespace
}  // namespace qclr
