// Matrix/curve stages: flags, input and output values, joined stages, failures.

#include "icc_test_support.h"

namespace qclr {
namespace {

using namespace test;
using V = std::vector<uint16_t>;

// Display RGB to XYZ (D50), columns red, green, blue.
constexpr Matrix3 kRgbToXyz = {
    {{0.4360747, 0.3850649, 0.1430804}, {0.2225045, 0.7168786, 0.0606169}, {0.0139322, 0.0971045, 0.7141733}}};
constexpr Matrix3 kIdentity = {{{1, 0, 0}, {0, 1, 0}, {0, 0, 1}}};

struct Curves {
  CurvePtr owned[3];
  const GammaCurve* view[3] = {owned[0].get(), owned[1].get(), owned[2].get()};
  Curves(const V& r, const V& g, const V& b) : owned{MakeCurve(r), MakeCurve(g), MakeCurve(b)} {}
  explicit Curves(const V& e) : Curves(e, e, e) {}
};

V Eval(const MatShaper& s, V in) {
  V out(3);
  IccEvalMatShaper(s, in.data(), out.data());
  return out;
}

TEST(MatShaper, Flags) {
  const std::tuple<double, double, double, uint32_t, uint32_t> cases[] = {  // diagonal, off it, gamma, kind, flags
      {1.0, 0.0, 1.0, MATSHAPER_OUTPUT, MATSHAPER_OUTPUT},
      // 1.000005 rounds to the raw identity; 1.00002 is one raw step (1.5e-5) away.
      {1.000005, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT},
      {1.00002, 0.0, 1.0, MATSHAPER_INPUT, MATSHAPER_INPUT | MATSHAPER_MATRIX},
      {1.0, 0.00002, 1.0, MATSHAPER_OUTPUT, MATSHAPER_OUTPUT | MATSHAPER_MATRIX},
      {1.0, 0.0, 2.2, MATSHAPER_INPUT, MATSHAPER_INPUT | MATSHAPER_CURVES},
  };
  for (const auto& [diagonal, offDiagonal, gamma, kind, flags] : cases) {
    double m[3][3];
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) m[r][k] = r == k ? diagonal : offDiagonal;
    const ShaperPtr s(IccBuildMatShaper(m, Curves(GammaEntries(256, gamma)).view, kind));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->flags, flags) << diagonal << " " << offDiagonal << " " << gamma;
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

// The joined stage applies the input curves before the matrix and the output
// curves after it. Red at one half goes through red's input curve (square: 0.25),
// the swap makes it green, and green's output curve (a square) gives 0.0625;
// either set of curves on the wrong side of the matrix gives 0.25 instead.
TEST(MatShaper, JoinedStageOrder) {
  const double swap[3][3] = {{0, 1, 0}, {1, 0, 0}, {0, 0, 1}};
  const V linear = GammaEntries(1024, 1.0);
  const Curves input(GammaEntries(1024, 2.0), linear, linear), output(linear, GammaEntries(1024, 2.0), linear);
  const ShaperPtr s(IccBuildJoinedMatShaper(swap, input.view, output.view));
  ASSERT_NE(s, nullptr);
  const V out = Eval(*s, {32768, 0, 65535});
  EXPECT_NEAR(out[0], 0, 4);
  EXPECT_NEAR(out[1], 4096, 64);
  EXPECT_NEAR(out[2], 65535, 1);
}

TEST(MatShaper, BuildFailures) {
  const Curves curves(GammaEntries(256, 2.2));
  const GammaCurve* missing[3] = {curves.view[0], nullptr, curves.view[2]};
  EXPECT_EQ(IccBuildMatShaper(kIdentity.m, missing, MATSHAPER_INPUT), nullptr);
  EXPECT_EQ(IccBuildMatShaper(kIdentity.m, curves.view, MATSHAPER_JOINED), nullptr);
  EXPECT_EQ(IccBuildJoinedMatShaper(kIdentity.m, curves.view, missing), nullptr);
  // Every allocation of a build may fail (record, then one per curve); nothing leaks.
  EXPECT_EQ(FailuresUntilSuccess([&] { return ShaperPtr(IccBuildJoinedMatShaper(kIdentity.m, curves.view, curves.view)) != nullptr; }), 7);
}


// Real profiles carry curves of different lengths in one stage: all three are
// resampled to the longest before the stage is built.
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

}  // namespace
}  // namespace qclr
