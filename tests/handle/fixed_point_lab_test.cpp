// The integer Lab conversion: its fixed-point operations and the two converters.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "handle/fixed_point_lab.h"
#include "handle/lab_fixed_math.h"
#include "handle/lab_records.h"
#include "qclr/qclr.h"
#include "support/lab_test_records.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;
using test::kDefaultLabEncoding;
using test::LabEncoding;
using Records = test::LabRecords;
constexpr auto& Build = test::BuildLabRecords;
constexpr int32_t kOne28 = 1 << 28;

Bytes ToLab(const Bytes& rgb, const LabEncodeTable& t, int32_t order = 1) {
  Bytes lab(rgb.size());
  RgbToLabFixed(rgb.data(), lab.data(), static_cast<int32_t>(rgb.size() / 3), 1, 0, 0, t, order);
  return lab;
}

Bytes FromLab(const Bytes& lab, const LabDecodeTable& t, int32_t order = 1) {
  Bytes rgb(lab.size());
  LabToRgbFixed(lab.data(), rgb.data(), static_cast<int32_t>(lab.size() / 3), 1, 0, 0, t, order);
  return rgb;
}

TEST(LabFixedMath, FixMulIsTheRoundedProduct) {
  struct Case {
    int32_t a, b, product;
  };
  // floor((a x b + 32768) / 65536) in 64 bits: 1.5 rounds half up, -0.5 up to 0, -3.77 down
  // to -4; a product that does not fit keeps its low 32 bits.
  const Case cases[] = {{32768, 3, 2},          {-32768, 1, 0},          {-65536, 65536, -65536},
                        {-1, -1, 0},            {-7, 40000, -4},         {196613, 100000, 300008},
                        {INT32_MIN, 65536, INT32_MIN}, {INT32_MAX, INT32_MAX, -65536}, {INT32_MIN, INT32_MIN, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(FixMul(c.a, c.b), c.product) << c.a << " x " << c.b;
    EXPECT_EQ(FixMul(c.b, c.a), c.product) << c.b << " x " << c.a;
  }
}

TEST(LabFixedMath, LabFInverse) {
  const std::pair<int32_t, int32_t> cases[] = {
      {kOne28, kOne28}, {37025548, 0}, {-1, 0}, {INT32_MIN, 0},
      {2 * kOne28, kOne28}, {INT32_MAX, kOne28}};  // the plain cube would overflow
  for (const auto& [t, r] : cases) EXPECT_EQ(LabFInverse(t), r) << t;
  int32_t previous = 0;
  for (int64_t t = -kOne28; t <= INT32_MAX; t += 9973) {
    const int32_t r = LabFInverse(static_cast<int32_t>(t));
    ASSERT_GE(r, previous) << t;  // monotone, and never wraps round
    ASSERT_LE(r, kOne28) << t;
    previous = r;
    const double f = static_cast<double>(t) / kOne28;
    const double inverse = f > 6.0 / 29 ? f * f * f : (f - 16.0 / 116) / 7.787;
    if (t >= 37025548 && t <= kOne28) {
      ASSERT_NEAR(r, inverse * kOne28, 1e-4 * kOne28) << t;
    }
  }
}

TEST(LabFixedMath, EncodeByThresholds) {
  const Records r = Build(kDefaultLabEncoding);
  const int32_t* t = r.decode->thresholds;
  for (int32_t i = 0; i < 255; ++i) {
    ASSERT_EQ(EncodeByThresholds(t[i] - 1, t), i) << i;
    ASSERT_EQ(EncodeByThresholds(t[i], t), i + 1) << i;
  }
  EXPECT_EQ(EncodeByThresholds(INT32_MIN, t), 0);
  EXPECT_EQ(EncodeByThresholds(INT32_MAX, t), 255);
}

// The interpolated cube root against the true companding function over the whole
// 16.16 input range, including the last segment that ends at 1.0 itself.
TEST(FixedPointLab, CompandingFollowsTheCubeRoot) {
  const Records r = Build(kDefaultLabEncoding);
  const uint16_t* table = r.encode->cubeRoot;
  int32_t previous = 0;
  for (int32_t v = 0; v <= 65536; ++v) {
    const double t = v / 65536.0;
    const int32_t got = CompandFixed(v, table);
    ASSERT_NEAR(got, (t > 0.008856 ? std::cbrt(t) : 7.7867 * t + 0.13793103) * 65536, 1.5) << v;
    ASSERT_GE(got, previous) << v;
    previous = got;
  }
  EXPECT_EQ(CompandFixed(int64_t{1} << 40, table), 65536);
  EXPECT_EQ(CompandFixed(INT64_MIN, table), table[0]);
}

// Default encoding: white and black both ways, neutral monotonic greys, BGR order.
TEST(FixedPointLab, WhiteBlackGreysAndOrder) {
  const Records r = Build(kDefaultLabEncoding);
  EXPECT_EQ(ToLab({255, 255, 255}, *r.encode), (Bytes{255, 128, 96}));
  EXPECT_EQ(ToLab({0, 0, 0}, *r.encode), (Bytes{0, 128, 96}));
  EXPECT_EQ(FromLab({255, 128, 96}, *r.decode), (Bytes{255, 255, 255}));
  EXPECT_EQ(FromLab({0, 128, 96}, *r.decode), (Bytes{0, 0, 0}));
  Bytes previousLab(3, 0), previousRgb(3, 0);
  for (int v = 0; v < 256; ++v) {
    const uint8_t g = static_cast<uint8_t>(v);
    const Bytes lab = ToLab({g, g, g}, *r.encode), rgb = FromLab({g, 128, 96}, *r.decode);
    ASSERT_GE(lab[0], previousLab[0]) << v;
    ASSERT_TRUE(std::abs(lab[1] - 128) <= 1 && std::abs(lab[2] - 96) <= 1) << v;
    ASSERT_GE(rgb[1], previousRgb[1]) << v;
    ASSERT_TRUE(std::abs(rgb[0] - rgb[1]) <= 1 && std::abs(rgb[2] - rgb[1]) <= 1) << v;
    previousLab = lab, previousRgb = rgb;
  }
  const Bytes lab = {140, 190, 40};
  const Bytes rgb = FromLab(lab, *r.decode, 1), bgr = FromLab(lab, *r.decode, 0);
  EXPECT_NE(rgb[0], rgb[2]);
  EXPECT_EQ(bgr, (Bytes{rgb[2], rgb[1], rgb[0]}));
  EXPECT_EQ(ToLab(bgr, *r.encode, 0), ToLab(rgb, *r.encode, 1));
}

// RGB -> Lab -> RGB comes back within a few levels where the chroma fits the
// default encoding (channels near 0 left out: the transfer curve magnifies there).
TEST(FixedPointLab, RoundTrip) {
  const Records r = Build(kDefaultLabEncoding);
  int compared = 0;
  for (int n = 0; n < 12 * 12 * 12; ++n) {
    const Bytes rgb = {uint8_t(64 + 16 * (n / 144)), uint8_t(64 + 16 * (n / 12 % 12)), uint8_t(64 + 16 * (n % 12))};
    const Bytes lab = ToLab(rgb, *r.encode);
    if (lab[1] <= 1 || lab[1] >= 254 || lab[2] <= 1 || lab[2] >= 254) continue;
    const Bytes back = FromLab(lab, *r.decode);
    for (int i = 0; i < 3; ++i) ASSERT_LE(std::abs(back[i] - rgb[i]), 4) << n;
    ++compared;
  }
  EXPECT_GT(compared, 1600);
}

// A difference beyond its limit shrinks both in proportion; arithmetic shifts, no
// growth, no change of sign, and limits that exclude zero shrink nothing.
TEST(FixedPointLab, ChromaLimiting) {
  struct Case {
    int32_t aMin, aMax, bMin, bMax, d1, d2, out1, out2;
  };
  const Case cases[] = {
      {-1000, 1000, -1000, 1000, 500, -500, 500, -500},  {-1000, 1000, -1000, 1000, 2000, 400, 1000, 300},
      {-1000, 1000, -1000, 1000, 400, 2000, 0, 1000},    {-1000, 1000, -1000, 1000, 400, 4000, 0, 1000},
      {-1000, 1000, -1000, 1000, -3000, 0, -1000, 0},    {-1, 1000, -1000, 1000, -3, 1000, -1, 625},
      {-10, 1, -1000, 1000, 3, 300, 1, 200},             {-6, 6, -6, 6, 7, 7, 7, 7},
      {-100, -5, -1000, 1000, 2, 300, 2, 300},           {-1000, 1000, 5, 100, 300, 0, 300, 0},
  };
  for (const Case& c : cases) {
    LabEncodeTable t{};
    t.aMin = c.aMin, t.aMax = c.aMax, t.bMin = c.bMin, t.bMax = c.bMax;
    int32_t d1 = c.d1, d2 = c.d2;
    LimitChroma(t, d1, d2);
    EXPECT_EQ(std::pair(d1, d2), std::pair(c.out1, c.out2)) << c.d1 << ", " << c.d2;
  }
}

// An a range that cannot hold a* = 0: greys and greens are not shrunk on its
// account; a lands at byte 0, L and b as under the default encoding.
TEST(FixedPointLab, EncoderWithLimitsAwayFromZero) {
  const Records r = Build(LabEncoding(0, 100, -10, 170, 96, 200));
  ASSERT_GT(r.encode->aMin, 0);
  const Bytes colours = {0, 0, 0, 30, 30, 30, 128, 128, 128, 255, 255, 255, 100, 160, 100, 0, 255, 0};
  Bytes expected = ToLab(colours, *Build(kDefaultLabEncoding).encode);
  for (size_t i = 1; i < expected.size(); i += 3) expected[i] = 0;
  EXPECT_EQ(ToLab(colours, *r.encode), expected);
}

// Extreme encodings saturate instead of wrapping: with L ranging to 200, f(X/Xn) of
// a bright red passes 2.0, where the cube of a 4.28 value no longer fits 32 bits;
// offsets far beyond the byte range give the end of the range they point to.
TEST(FixedPointLab, ExtremeEncodingsSaturate) {
  const Records wide = Build(LabEncoding(0, 200, 128, 170, 96, 200));
  EXPECT_EQ(FromLab({255, 255, 96}, *wide.decode), (Bytes{255, 255, 255}));
  EXPECT_EQ(FromLab({0, 128, 96}, *Build(LabEncoding(INT32_MIN, 100, 128, 170, 96, 200)).decode),
            (Bytes{255, 255, 255}));
  const Bytes rgb = test::RandomBytes(3 * 200, 17);
  Bytes expected = ToLab(rgb, *Build(kDefaultLabEncoding).encode);
  for (size_t i = 0; i < expected.size(); i += 3) expected[i + 1] = 255, expected[i + 2] = 0;
  EXPECT_EQ(ToLab(rgb, *Build(LabEncoding(0, 100, INT32_MAX, 170, INT32_MIN, 200)).encode), expected);
  const Bytes lab = test::RandomBytes(3 * 200, 23);
  EXPECT_EQ(FromLab(lab, *Build(LabEncoding(0, 100, INT32_MIN, 170, INT32_MAX, 200)).decode),
            FromLab(lab, *Build(LabEncoding(0, 100, -100000, 170, 100000, 200)).decode));
}

// The kernels skip source padding, never write destination padding, and give what
// the row function gives on each row, also for a record of arbitrary contents.
TEST(FixedPointLab, KernelsFollowTheRowGeometry) {
  std::vector<Records> records(2);
  records[0] = Build(kDefaultLabEncoding);
  std::memcpy(records[1].decode.get(), test::RandomBytes(sizeof(LabDecodeTable), 1).data(), sizeof(LabDecodeTable));
  std::memcpy(records[1].encode.get(), test::RandomBytes(sizeof(LabEncodeTable), 1).data(), sizeof(LabEncodeTable));
  const int32_t width = 5, height = 3;
  const ptrdiff_t rowBytes = 3 * ptrdiff_t{width};
  const Bytes packed = test::RandomBytes(static_cast<size_t>(rowBytes * height), width);
  for (const Records& r : records) {
    for (auto [inAlign, outAlign] : {std::pair{4, 0}, {3, 2}, {1, 8}}) {
      test::PaddedImage src(rowBytes, height, inAlign);
      test::PaddedImage toRgb(rowBytes, height, outAlign), toLab(rowBytes, height, outAlign);
      src.SetRows(packed);
      LabToRgbFixed(src.data(), toRgb.data(), width, height, inAlign, outAlign, *r.decode, 0);
      RgbToLabFixed(src.data(), toLab.data(), width, height, inAlign, outAlign, *r.encode, 0);
      Bytes rgb(packed.size()), lab(packed.size());
      for (ptrdiff_t y = 0; y < height; ++y) {
        LabToRgbFixedRow(&packed[y * rowBytes], &rgb[y * rowBytes], width, *r.decode, 0);
        RgbToLabFixedRow(&packed[y * rowBytes], &lab[y * rowBytes], width, *r.encode, 0);
      }
      EXPECT_EQ(toRgb.Rows(), rgb) << outAlign;
      EXPECT_EQ(toLab.Rows(), lab) << outAlign;
      EXPECT_TRUE(toRgb.PaddingIntact() && toLab.PaddingIntact()) << outAlign;
    }
  }
}

}  // namespace
}  // namespace qclr
