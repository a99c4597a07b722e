#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "icc/curve_inversion.h"
#include "icc/mat_shaper.h"
#include "icc_test_tables.h"

namespace qclr {
namespace {

using test::CurvePtr;
using test::GammaEntries;
using test::MakeCurve;
using test::RandomWords;

struct ShaperDeleter {
  void operator()(MatShaper* s) const { IccFreeMatShaper(s); }
};
using ShaperPtr = std::unique_ptr<MatShaper, ShaperDeleter>;

using Matrix = double[3][3];

// Display RGB to XYZ (D50), columns red, green, blue.
constexpr Matrix kRgbToXyz = {{0.4360747, 0.3850649, 0.1430804},
                              {0.2225045, 0.7168786, 0.0606169},
                              {0.0139322, 0.0971045, 0.7141733}};
constexpr Matrix kIdentity = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

void Invert(const Matrix& m, Matrix& inv) {
  const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
                     m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                     m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      // Cofactor of (c, r), by cyclic indices.
      const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
      inv[r][c] = (m[r1][c1] * m[r2][c2] - m[r1][c2] * m[r2][c1]) / det;
    }
  }
}

void Multiply(const Matrix& a, const Matrix& b, Matrix& product) {
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      product[r][c] = a[r][0] * b[0][c] + a[r][1] * b[1][c] + a[r][2] * b[2][c];
    }
  }
}

struct CurveTriple {
  CurvePtr owned[3];
  const GammaCurve* view[3];
};

CurveTriple Curves(const std::vector<uint16_t>& r, const std::vector<uint16_t>& g,
                   const std::vector<uint16_t>& b) {
  CurveTriple t{{MakeCurve(r), MakeCurve(g), MakeCurve(b)}, {}};
  for (int c = 0; c < 3; ++c) t.view[c] = t.owned[c].get();
  return t;
}

CurveTriple SameCurves(const std::vector<uint16_t>& e) { return Curves(e, e, e); }

CurveTriple Reversed(const CurveTriple& curves, int32_t n) {
  CurveTriple t{};
  for (int c = 0; c < 3; ++c) {
    t.owned[c].reset(IccReverseCurve(n, curves.view[c]));
    t.view[c] = t.owned[c].get();
  }
  return t;
}

std::vector<uint16_t> Eval(const MatShaper& s, std::vector<uint16_t> in) {
  std::vector<uint16_t> out(3);
  IccEvalMatShaper(s, in.data(), out.data());
  return out;
}

TEST(MatShaper, Flags) {
  const std::vector<uint16_t> ramp = {0, 65535};
  struct Case {
    double diagonal, offDiagonal;
    double gamma;
    uint32_t kind, flags;
  };
  const Case cases[] = {
      {1.0, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT},
      {1.0, 0.0, 1.0, MATSHAPER_OUTPUT, MATSHAPER_OUTPUT},
      // 1.000005 rounds to the raw identity; 1.00002 is one raw step (1.5e-5) away.
      {1.000005, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT},
      {1.00002, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT | MATSHAPER_MATRIX},
      {1.0, 0.00002, 1.0, MATSHAPER_OUTPUT, MATSHAPER_OUTPUT | MATSHAPER_MATRIX},
      {1.0, 0.0, 2.2, MATSHAPER_INPUT, MATSHAPER_INPUT | MATSHAPER_CURVES},
  };
  for (const Case& c : cases) {
    Matrix m;
    for (int r = 0; r < 3; ++r) {
      for (int k = 0; k < 3; ++k) m[r][k] = r == k ? c.diagonal : c.offDiagonal;
    }
    const CurveTriple curves = SameCurves(GammaEntries(256, c.gamma));
    const ShaperPtr s(IccBuildMatShaper(m, curves.view, c.kind));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->flags, c.flags) << c.diagonal << " " << c.offDiagonal << " " << c.gamma;
  }
}

TEST(MatShaper, InputAndOutputValues) {
  const CurveTriple linear = SameCurves({0, 65535});
  const ShaperPtr in(IccBuildMatShaper(kIdentity, linear.view, MATSHAPER_INPUT));
  const ShaperPtr out(IccBuildMatShaper(kIdentity, linear.view, MATSHAPER_OUTPUT));
  const ShaperPtr rgb(IccBuildMatShaper(kRgbToXyz, linear.view, MATSHAPER_INPUT));
  using V = std::vector<uint16_t>;
  // Channels widen to 65536 = 1.0 and leave as u1Fixed15 (0x8000 = 1.0).
  EXPECT_EQ(Eval(*in, {65535, 32768, 0}), (V{32768, 16384, 0}));
  // u1Fixed15 doubles to 65536 = 1.0 and narrows to channels; 2.0 clamps.
  EXPECT_EQ(Eval(*out, {32768, 16384, 65535}), (V{65535, 32768, 65535}));
  // White gives the matrix's row sums: X 0.96422, Y 1.0, Z 0.82521.
  EXPECT_EQ(Eval(*rgb, {65535, 65535, 65535}), (V{31596, 32768, 27040}));
  EXPECT_EQ(Eval(*rgb, {65535, 0, 0}), (V{14289, 7291, 456}));
}

// 8-bit view of a 16-bit channel, as the transform's packer takes it.
int High(uint16_t v) { return v >> 8; }

// RGB to XYZ through an input stage and back through an output stage made from the
// inverse matrix and reversed curves; then RGB to RGB through one joined stage made
// from the same profile twice. Both give the input back to one 8-bit step; through
// XYZ the darkest steps may miss by two, where u1Fixed15 holds a few units only and
// the flat start of a gamma curve leaves its inverse at black ambiguous.
TEST(MatShaper, RoundTripsThroughOneProfile) {
  Matrix inverse, product;
  Invert(kRgbToXyz, inverse);
  Multiply(inverse, kRgbToXyz, product);
  struct Case {
    double gamma;
    int32_t reversedEntries;
  };
  for (const Case& c : {Case{1.0, 256}, Case{1.8, 1024}, Case{2.2, 4096}}) {
    const CurveTriple curves = SameCurves(GammaEntries(1024, c.gamma));
    const CurveTriple reversed = Reversed(curves, c.reversedEntries);
    const ShaperPtr in(IccBuildMatShaper(kRgbToXyz, curves.view, MATSHAPER_INPUT));
    const ShaperPtr out(IccBuildMatShaper(inverse, reversed.view, MATSHAPER_OUTPUT));
    const ShaperPtr joined(IccBuildJoinedMatShaper(product, curves.view, reversed.view));
    ASSERT_TRUE(in && out && joined);
    EXPECT_EQ(joined->flags & MATSHAPER_KIND_MASK, MATSHAPER_JOINED);

    std::vector<uint16_t> pixels;
    for (int b = 0; b < 256; ++b) pixels.insert(pixels.end(), 3, uint16_t(b * 257));
    for (uint16_t w : RandomWords(3 * 1000, 40)) pixels.push_back(uint16_t((w >> 8) * 257));
    for (size_t p = 0; p < pixels.size(); p += 3) {
      uint16_t xyz[3], back[3], direct[3];
      IccEvalMatShaper(*in, &pixels[p], xyz);
      IccEvalMatShaper(*out, xyz, back);
      IccEvalMatShaper(*joined, &pixels[p], direct);
      for (int k = 0; k < 3; ++k) {
        const int darkSlack = High(pixels[p + k]) < 8 ? 1 : 0;
        ASSERT_NEAR(High(back[k]), High(pixels[p + k]), 1 + darkSlack) << c.gamma << " at " << p;
        ASSERT_NEAR(High(direct[k]), High(pixels[p + k]), 1) << c.gamma << " at " << p;
      }
    }
  }
}

// The joined stage applies the input curves before the matrix and the reversed
// output curves after it. Red at one half goes through red's input curve (square:
// 0.25), the swap makes it green, and green's output curve (reversed square root:
// a square) gives 0.0625. Either set of curves on the wrong side of the matrix
// gives 0.25 instead. Blue at full stays (nearly) full: the curve lookup ends at
// 65535, which the matrix step takes as 65535 / 65536.
TEST(MatShaper, JoinedStageOrder) {
  const Matrix swap = {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
  const std::vector<uint16_t> linear = GammaEntries(1024, 1.0);
  const CurveTriple input = Curves(GammaEntries(1024, 2.0), linear, linear);
  const CurveTriple output = Curves(linear, GammaEntries(1024, 0.5), linear);
  const CurveTriple reversed = Reversed(output, 256);
  const ShaperPtr s(IccBuildJoinedMatShaper(swap, input.view, reversed.view));
  ASSERT_NE(s, nullptr);
  const std::vector<uint16_t> out = Eval(*s, {32768, 0, 65535});
  EXPECT_NEAR(out[0], 0, 4);
  EXPECT_NEAR(out[1], 4096, 64);
  EXPECT_NEAR(out[2], 65535, 1);
}

// Curves of different entry counts are resampled to the largest.
TEST(MatShaper, UnequalCurveCountsAreResampled) {
  const CurveTriple mixed =
      Curves(GammaEntries(256, 2.2), GammaEntries(1024, 2.2), GammaEntries(4096, 2.2));
  const CurveTriple fine = SameCurves(GammaEntries(4096, 2.2));
  const ShaperPtr s(IccBuildMatShaper(kIdentity, mixed.view, MATSHAPER_INPUT));
  const ShaperPtr reference(IccBuildMatShaper(kIdentity, fine.view, MATSHAPER_INPUT));
  ASSERT_TRUE(s && reference);
  EXPECT_EQ(s->curves.params.samples, 4096);
  for (int32_t x = 0; x <= 65535; x += 61) {
    const uint16_t v = uint16_t(x);
    const std::vector<uint16_t> got = Eval(*s, {v, v, v});
    const std::vector<uint16_t> want = Eval(*reference, {v, v, v});
    // The coarse curves' chords stay within about one unit of the fine curve.
    for (int k = 0; k < 3; ++k) ASSERT_NEAR(got[k], want[k], 1) << x << " channel " << k;
  }

}

TEST(MatShaper, BuildFailures) {
  const CurveTriple curves = SameCurves(GammaEntries(256, 2.2));
  const GammaCurve* missing[3] = {curves.view[0], nullptr, curves.view[2]};
  EXPECT_EQ(IccBuildMatShaper(kIdentity, missing, MATSHAPER_INPUT), nullptr);
  EXPECT_EQ(IccBuildMatShaper(kIdentity, curves.view, MATSHAPER_JOINED), nullptr);
  EXPECT_EQ(IccBuildJoinedMatShaper(kIdentity, curves.view, missing), nullptr);
  // Every allocation of a build may fail (record, then one per curve); nothing leaks.
  for (long failAt = 0; failAt < 7; ++failAt) {
    SetAllocationFailure(failAt);
    MatShaper* s = IccBuildJoinedMatShaper(kIdentity, curves.view, curves.view);
    SetAllocationFailure(-1);
    EXPECT_EQ(s, nullptr) << failAt;
    IccFreeMatShaper(s);
  }
  SetAllocationFailure(7);
  const ShaperPtr s(IccBuildJoinedMatShaper(kIdentity, curves.view, curves.view));
  SetAllocationFailure(-1);
  EXPECT_NE(s, nullptr);
}

}  // namespace
}  // namespace qclr
