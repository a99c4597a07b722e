// Matrix/curve stages: flags, input and output values, joined stages, failures.
#include <vector>

#include <gtest/gtest.h>

#include "icc/curve_inversion.h"
#include "icc/matrix3.h"
#include "icc_test_support.h"

namespace qclr {
namespace {

using test::CurvePtr;
using test::GammaEntries;
using test::MakeCurve;
using test::ShaperPtr;
using V = std::vector<uint16_t>;

// Display RGB to XYZ (D50), columns red, green, blue.
constexpr Matrix3 kRgbToXyz = {
    {{0.4360747, 0.3850649, 0.1430804}, {0.2225045, 0.7168786, 0.0606169}, {0.0139322, 0.0971045, 0.7141733}}};
constexpr Matrix3 kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

struct Curves {
  CurvePtr owned[3];
  const GammaCurve* view[3] = {};
  Curves(const V& r, const V& g, const V& b) : owned{MakeCurve(r), MakeCurve(g), MakeCurve(b)} { Fill(); }
  explicit Curves(const V& e) : Curves(e, e, e) {}
  Curves(const Curves& from, int32_t reversedEntries) {  // the curves of `from`, reversed
    for (int c = 0; c < 3; ++c) owned[c].reset(IccReverseCurve(reversedEntries, from.view[c]));
    Fill();
  }
  void Fill() {
    for (int c = 0; c < 3; ++c) view[c] = owned[c].get();
  }
};

V Eval(const MatShaper& s, V in) {
  V out(3);
  IccEvalMatShaper(s, in.data(), out.data());
  return out;
}

TEST(MatShaper, Flags) {
  struct Case {
    double diagonal, offDiagonal, gamma;
    uint32_t kind, flags;
  };
  const Case cases[] = {
      {1.0, 0.0, 1.0, MATSHAPER_OUTPUT, MATSHAPER_OUTPUT},
      // 1.000005 rounds to the raw identity; 1.00002 is one raw step (1.5e-5) away.
      {1.000005, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT},
      {1.00002, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT | MATSHAPER_MATRIX},
      {1.0, 0.00002, 1.0, MATSHAPER_OUTPUT, MATSHAPER_OUTPUT | MATSHAPER_MATRIX},
      {1.0, 0.0, 2.2, MATSHAPER_INPUT, MATSHAPER_INPUT | MATSHAPER_CURVES},
  };
  for (const Case& c : cases) {
    double m[3][3];
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) m[r][k] = r == k ? c.diagonal : c.offDiagonal;
    const Curves curves(GammaEntries(256, c.gamma));
    const ShaperPtr s(IccBuildMatShaper(m, curves.view, c.kind));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->flags, c.flags) << c.diagonal << " " << c.offDiagonal << " " << c.gamma;
  }
}

TEST(MatShaper, InputAndOutputValues) {
  const Curves linear(V{0, 65535});
  const ShaperPtr in(IccBuildMatShaper(kIdentity.m, linear.view, MATSHAPER_INPUT));
  const ShaperPtr out(IccBuildMatShaper(kIdentity.m, linear.view, MATSHAPER_OUTPUT));
  const ShaperPtr rgb(IccBuildMatShaper(kRgbToXyz.m, linear.view, MATSHAPER_INPUT));
  // Channels widen to 65536 = 1.0 and leave as u1Fixed15 (0x8000 = 1.0).
  EXPECT_EQ(Eval(*in, {65535, 32768, 0}), (V{32768, 16384, 0}));
  // u1Fixed15 doubles to 65536 = 1.0 and narrows to channels; 2.0 clamps.
  EXPECT_EQ(Eval(*out, {32768, 16384, 65535}), (V{65535, 32768, 65535}));
  // White gives the matrix's row sums: X 0.96422, Y 1.0, Z 0.82521.
  EXPECT_EQ(Eval(*rgb, {65535, 65535, 65535}), (V{31596, 32768, 27040}));
  EXPECT_EQ(Eval(*rgb, {65535, 0, 0}), (V{14289, 7291, 456}));
}

// RGB to XYZ through an input stage and back through an output stage made from the
// inverse matrix and reversed curves; then RGB to RGB through one joined stage made
// from the same profile twice. Both give the input back to one 8-bit step; through
// XYZ the darkest steps may miss by two, where u1Fixed15 holds a few units only and
// the flat start of a gamma curve leaves its inverse at black ambiguous.
TEST(MatShaper, RoundTripsThroughOneProfile) {
  Matrix3 inverse{};
  ASSERT_TRUE(InvertMatrix3(kRgbToXyz, &inverse));
  const Matrix3 product = MultiplyMatrix3(inverse, kRgbToXyz);
  for (const auto& [gamma, reversedEntries] : {std::pair{1.0, 256}, {1.8, 1024}, {2.2, 4096}}) {
    const Curves curves(GammaEntries(1024, gamma));
    const Curves reversed(curves, reversedEntries);
    const ShaperPtr in(IccBuildMatShaper(kRgbToXyz.m, curves.view, MATSHAPER_INPUT));
    const ShaperPtr out(IccBuildMatShaper(inverse.m, reversed.view, MATSHAPER_OUTPUT));
    const ShaperPtr joined(IccBuildJoinedMatShaper(product.m, curves.view, reversed.view));
    ASSERT_TRUE(in && out && joined);
    EXPECT_EQ(joined->flags & MATSHAPER_KIND_MASK, MATSHAPER_JOINED);
    V pixels;
    for (int b = 0; b < 256; ++b) pixels.insert(pixels.end(), 3, uint16_t(b * 257));
    for (uint16_t w : test::RandomWords(3 * 1000, 40)) pixels.push_back(uint16_t((w >> 8) * 257));
    for (size_t p = 0; p < pixels.size(); p += 3) {
      uint16_t xyz[3], back[3], direct[3];
      IccEvalMatShaper(*in, &pixels[p], xyz);
      IccEvalMatShaper(*out, xyz, back);
      IccEvalMatShaper(*joined, &pixels[p], direct);
      for (int k = 0; k < 3; ++k) {
        const int level = pixels[p + k] >> 8;
        ASSERT_NEAR(back[k] >> 8, level, level < 8 ? 2 : 1) << gamma << " at " << p;
        ASSERT_NEAR(direct[k] >> 8, level, 1) << gamma << " at " << p;
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
  const double swap[3][3] = {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
  const V linear = GammaEntries(1024, 1.0);
  const Curves input(GammaEntries(1024, 2.0), linear, linear);
  const Curves reversed(Curves(linear, GammaEntries(1024, 0.5), linear), 256);
  const ShaperPtr s(IccBuildJoinedMatShaper(swap, input.view, reversed.view));
  ASSERT_NE(s, nullptr);
  const V out = Eval(*s, {32768, 0, 65535});
  EXPECT_NEAR(out[0], 0, 4);
  EXPECT_NEAR(out[1], 4096, 64);
  EXPECT_NEAR(out[2], 65535, 1);
}

// Curves of different entry counts are resampled to the largest; the coarse
// curves' chords stay within about one unit of the fine curve.
TEST(MatShaper, UnequalCurveCountsAreResampled) {
  const Curves mixed(GammaEntries(256, 2.2), GammaEntries(1024, 2.2), GammaEntries(4096, 2.2));
  const Curves fine(GammaEntries(4096, 2.2));
  const ShaperPtr s(IccBuildMatShaper(kIdentity.m, mixed.view, MATSHAPER_INPUT));
  const ShaperPtr reference(IccBuildMatShaper(kIdentity.m, fine.view, MATSHAPER_INPUT));
  ASSERT_TRUE(s && reference);
  EXPECT_EQ(s->curves.params.samples, 4096);
  for (int32_t x = 0; x <= 65535; x += 61) {
    const V got = Eval(*s, V(3, uint16_t(x))), want = Eval(*reference, V(3, uint16_t(x)));
    for (int k = 0; k < 3; ++k) ASSERT_NEAR(got[k], want[k], 1) << x << " channel " << k;
  }
}

TEST(MatShaper, BuildFailures) {
  const Curves curves(GammaEntries(256, 2.2));
  const GammaCurve* missing[3] = {curves.view[0], nullptr, curves.view[2]};
  EXPECT_EQ(IccBuildMatShaper(kIdentity.m, missing, MATSHAPER_INPUT), nullptr);
  EXPECT_EQ(IccBuildMatShaper(kIdentity.m, curves.view, MATSHAPER_JOINED), nullptr);
  EXPECT_EQ(IccBuildJoinedMatShaper(kIdentity.m, curves.view, missing), nullptr);
  // Every allocation of a build may fail (record, then one per curve); nothing leaks.
  for (long failAt = 0; failAt <= 7; ++failAt) {
    SetAllocationFailure(failAt);
    const ShaperPtr s(IccBuildJoinedMatShaper(kIdentity.m, curves.view, curves.view));
    SetAllocationFailure(-1);
    EXPECT_EQ(s != nullptr, failAt == 7) << failAt;
  }
}

}  // namespace
}  // namespace qclr
