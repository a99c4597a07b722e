#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/lab_records.h"
#include "handle/fixed_point_lab.h"
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

Bytes ToLab(const Bytes& rgb, const LabEncodeTable& t, int32_t order = 1) {
  Bytes lab(rgb.size());
  EXPECT_EQ(RgbToLabFixed(rgb.data(), lab.data(), static_cast<int32_t>(rgb.size() / 3), 1, 0, 0, t,
                          order),
            CLR_OK);
  return lab;
}

Bytes FromLab(const Bytes& lab, const LabDecodeTable& t, int32_t order = 1) {
  Bytes rgb(lab.size());
  EXPECT_EQ(LabToRgbFixed(lab.data(), rgb.data(), static_cast<int32_t>(lab.size() / 3), 1, 0, 0, t,
                          order),
            CLR_OK);
  return rgb;
}

TEST(FixedPointLab, EncoderWhiteBlackAndGreys) {
  const Records r = Build(kDefaultLabEncoding);
  EXPECT_EQ(ToLab({255, 255, 255}, *r.encode), (Bytes{255, 128, 96}));
  EXPECT_EQ(ToLab({0, 0, 0}, *r.encode), (Bytes{0, 128, 96}));

  // White takes the v >= 1.0 branch under any encoding: L from the scale and
  // offset alone, a and b at their offsets.
  const Records other = Build(LabEncoding(10, 120, 100, 200, 140, 180));
  const LabEncodeTable& t = *other.encode;
  const int32_t whiteL = std::min((t.lScaleFixed + t.lOffsetFixed + 32768) >> 16, 255);
  EXPECT_EQ(ToLab({255, 255, 255}, t), (Bytes{static_cast<uint8_t>(whiteL), 100, 140}));

  int previousL = -1;
  for (int v = 0; v < 256; ++v) {
    const uint8_t g = static_cast<uint8_t>(v);
    const Bytes lab = ToLab({g, g, g}, *r.encode);
    ASSERT_GE(lab[0], previousL) << v;
    ASSERT_LE(std::abs(lab[1] - 128), 1) << v;
    ASSERT_LE(std::abs(lab[2] - 96), 1) << v;
    previousL = lab[0];
  }
}

// The interpolated cube root against the true companding function, over the whole
// 16.16 input range, including the last segment that ends at 1.0 itself.
TEST(FixedPointLab, CompandingFollowsTheCubeRoot) {
  const Records r = Build(kDefaultLabEncoding);
  const uint16_t* table = r.encode->cubeRoot;
  int32_t previous = 0;
  for (int32_t v = 0; v <= 65536; ++v) {
    const double t = v / 65536.0;
    const double f = t > 0.008856 ? std::cbrt(t) : 7.7867 * t + 0.13793103;
    const int32_t got = CompandFixed(v, table);
    ASSERT_NEAR(got, f * 65536, 1.5) << v;
    ASSERT_GE(got, previous) << v;
    previous = got;
  }
  EXPECT_EQ(CompandFixed(65520, table), table[4095]);
  EXPECT_GT(CompandFixed(65534, table), table[4095]);
  EXPECT_LE(CompandFixed(65535, table), 65536);
  EXPECT_EQ(CompandFixed(int64_t{1} << 40, table), 65536);
  EXPECT_EQ(CompandFixed(-5, table), table[0]);
  EXPECT_EQ(CompandFixed(INT64_MIN, table), table[0]);
}

TEST(FixedPointLab, ChromaLimiting) {
  struct Case {
    int32_t aMin, aMax, bMin, bMax;
    int32_t d1, d2;      // before
    int32_t out1, out2;  // after
  };
  const Case cases[] = {
      {-1000, 1000, -1000, 1000, 500, -500, 500, -500},  // inside: unchanged
      // a twice its limit: a halves, b shrinks half as much (by a quarter).
      {-1000, 1000, -1000, 1000, 2000, 400, 1000, 300},
      // b twice its limit: b halves, a shrinks twice as much (to nothing).
      {-1000, 1000, -1000, 1000, 400, 2000, 0, 1000},
      {-1000, 1000, -1000, 1000, -3000, 0, -1000, 0},
      // b four times its limit: a would change sign by the joint factor; it stops
      // at zero.
      {-1000, 1000, -1000, 1000, 400, 4000, 0, 1000},
      // |d| < 4, so d >> 2 is 0: the ratio is taken with d itself.
      {-10, 1, -1000, 1000, 3, 300, 1, 200},
      // Just outside tiny limits the quartered ratio exceeds 1.0; nothing grows.
      {-6, 6, -6, 6, 7, 7, 7, 7},
      // Limits that exclude zero cannot be reached by shrinking: nothing shrinks
      // on their account (the byte clamp limits such a difference).
      {-100, -5, -1000, 1000, 2, 300, 2, 300},
      {5, 100, -1000, 1000, 0, 300, 0, 300},
      {5, 100, -1000, 1000, -50, 300, -50, 300},
      {-1000, 1000, 5, 100, 300, 0, 300, 0},
  };
  for (const Case& c : cases) {
    LabEncodeTable t{};
    t.aMin = c.aMin;
    t.aMax = c.aMax;
    t.bMin = c.bMin;
    t.bMax = c.bMax;
    int32_t d1 = c.d1, d2 = c.d2;
    LimitChroma(t, d1, d2);
    EXPECT_EQ(d1, c.out1) << c.d1 << ", " << c.d2;
    EXPECT_EQ(d2, c.out2) << c.d1 << ", " << c.d2;
  }
  for (int32_t d = -3; d <= 3; ++d) {
    EXPECT_EQ(ChromaLimitFactor(d, -3, 3), 65536) << d;
  }
  EXPECT_EQ(ChromaLimitFactor(3, -10, 1), 65536 / 3);
  EXPECT_EQ(ChromaLimitFactor(-3, -1, 10), 16384);  // -3 >> 2 is -1
  EXPECT_EQ(ChromaLimitFactor(2, -10, 0), 0);
  EXPECT_EQ(ChromaLimitFactor(-2000, -1000, 1000), 32768);
}

// An encoding whose a range cannot hold a* = 0 (offset below 0): for greys and
// greens no shrinking reaches the a limits, so b is not shrunk on their account;
// a lands at byte 0 and L and b come out as under the default encoding.
TEST(FixedPointLab, EncoderWithLimitsAwayFromZero) {
  const Records r = Build(LabEncoding(0, 100, -10, 170, 96, 200));
  ASSERT_GT(r.encode->aMin, 0);
  const Records reference = Build(kDefaultLabEncoding);
  const Bytes colours = {0,   0,   0,   30,  30,  30,  128, 128, 128, 255, 255, 255,
                         100, 160, 100, 40,  200, 90,  90,  140, 200, 0,   255, 0};
  const Bytes lab = ToLab(colours, *r.encode);
  const Bytes expected = ToLab(colours, *reference.encode);
  for (size_t i = 0; i < lab.size(); i += 3) {
    EXPECT_EQ(lab[i], expected[i]) << i / 3;
    EXPECT_EQ(lab[i + 1], 0) << i / 3;
    EXPECT_EQ(lab[i + 2], expected[i + 2]) << i / 3;
  }
}

TEST(FixedPointLab, DecoderDocumentedValues) {
  const Records r = Build(kDefaultLabEncoding);
  EXPECT_EQ(FromLab({255, 128, 96}, *r.decode), (Bytes{255, 255, 255}));
  EXPECT_EQ(FromLab({0, 128, 96}, *r.decode), (Bytes{0, 0, 0}));
  // Neutral Lab decodes to greys that brighten with L.
  int previous = -1;
  for (int v = 0; v < 256; ++v) {
    const Bytes rgb = FromLab({static_cast<uint8_t>(v), 128, 96}, *r.decode);
    ASSERT_GE(rgb[1], previous) << v;
    ASSERT_LE(std::abs(rgb[0] - rgb[1]), 1) << v;
    ASSERT_LE(std::abs(rgb[2] - rgb[1]), 1) << v;
    previous = rgb[1];
  }
  // BGR order swaps the outer bytes, in both directions.
  const Bytes lab = {140, 190, 40};
  const Bytes rgb = FromLab(lab, *r.decode, 1), bgr = FromLab(lab, *r.decode, 0);
  EXPECT_NE(rgb[0], rgb[2]);
  EXPECT_EQ(bgr, (Bytes{rgb[2], rgb[1], rgb[0]}));
  EXPECT_EQ(ToLab(bgr, *r.encode, 0), ToLab(rgb, *r.encode, 1));
}

// With L ranging to 200, f(X/Xn) of a bright red passes 2.0, where the cube of
// a 4.28 value no longer fits 32 bits: it must still count as beyond white.
TEST(FixedPointLab, DecoderBeyondTwiceWhite) {
  const Records r = Build(LabEncoding(0, 200, 128, 170, 96, 200));
  EXPECT_EQ(FromLab({255, 255, 96}, *r.decode), (Bytes{255, 255, 255}));
  EXPECT_EQ(FromLab({255, 128, 96}, *r.decode), (Bytes{255, 255, 255}));
}

// RGB -> Lab -> RGB through the two records comes back within a few levels for
// colours whose chroma fits the default encoding (channels near 0 are left out:
// there the transfer curve magnifies one Lab step into many RGB levels).
TEST(FixedPointLab, RoundTrip) {
  const Records r = Build(kDefaultLabEncoding);
  int compared = 0;
  for (int red = 64; red < 256; red += 16) {
    for (int green = 64; green < 256; green += 16) {
      for (int blue = 64; blue < 256; blue += 16) {
        const Bytes rgb = {static_cast<uint8_t>(red), static_cast<uint8_t>(green),
                           static_cast<uint8_t>(blue)};
        const Bytes lab = ToLab(rgb, *r.encode);
        if (lab[1] <= 1 || lab[1] >= 254 || lab[2] <= 1 || lab[2] >= 254) continue;
        const Bytes back = FromLab(lab, *r.decode);
        for (int i = 0; i < 3; ++i)
          ASSERT_LE(std::abs(back[i] - rgb[i]), 4) << red << "," << green << "," << blue;
        ++compared;
      }
    }
  }
  EXPECT_GT(compared, 1600);
}

// Kernels skip source padding, never write destination padding, and give what the
// row function gives on each row.
TEST(FixedPointLab, KernelsFollowTheRowGeometry) {
  const Records r = Build(kDefaultLabEncoding);
  const int32_t height = 3;
  for (int32_t width : {1, 2, 3, 5, 7, 17, 33}) {
    const ptrdiff_t rowBytes = 3 * ptrdiff_t{width};
    const Bytes packed = test::RandomBytes(static_cast<size_t>(rowBytes * height), width);
    for (auto [inAlign, outAlign] : {std::pair{4, 0}, {0, 1}, {3, 2}, {8, 4}, {1, 8}, {5, 3}}) {
      test::PaddedImage src(rowBytes, height, inAlign);
      src.SetRows(packed);
      for (int32_t order : {0, 1}) {
        test::PaddedImage toRgb(rowBytes, height, outAlign), toLab(rowBytes, height, outAlign);
        EXPECT_EQ(LabToRgbFixed(src.data(), toRgb.data(), width, height, inAlign, outAlign,
                                *r.decode, order),
                  CLR_OK);
        EXPECT_EQ(RgbToLabFixed(src.data(), toLab.data(), width, height, inAlign, outAlign,
                                *r.encode, order),
                  CLR_OK);
        Bytes rgb(packed.size()), lab(packed.size());
        for (ptrdiff_t y = 0; y < height; ++y) {
          LabToRgbFixedRow(&packed[y * rowBytes], &rgb[y * rowBytes], width, *r.decode, order);
          RgbToLabFixedRow(&packed[y * rowBytes], &lab[y * rowBytes], width, *r.encode, order);
        }
        ASSERT_EQ(toRgb.Rows(), rgb) << width << " " << outAlign;
        ASSERT_EQ(toLab.Rows(), lab) << width << " " << outAlign;
        ASSERT_TRUE(toRgb.PaddingIntact() && toLab.PaddingIntact()) << width << " " << outAlign;
      }
    }
  }
}

// Extreme encodings saturate instead of wrapping: offsets far beyond the byte range
// all give the same bytes, at the end of the range they point to.
TEST(FixedPointLab, ExtremeEncodingsSaturate) {
  const Bytes rgb = test::RandomBytes(3 * 200, 17);
  const Records base = Build(kDefaultLabEncoding);
  const Bytes baseLab = ToLab(rgb, *base.encode);
  struct Case {
    int32_t aOffset, bOffset;
    uint8_t a, b;
  };
  for (const Case& c : {Case{INT32_MAX, INT32_MIN, 255, 0}, Case{INT32_MIN, INT32_MAX, 0, 255},
                        Case{40000, -40000, 255, 0}}) {
    const Records r = Build(LabEncoding(0, 100, c.aOffset, 170, c.bOffset, 200));
    const Bytes lab = ToLab(rgb, *r.encode);
    for (size_t i = 0; i < lab.size(); i += 3) {
      ASSERT_EQ(lab[i], baseLab[i]) << i;
      ASSERT_EQ(lab[i + 1], c.a) << i;
      ASSERT_EQ(lab[i + 2], c.b) << i;
    }
  }

  // A huge negative a offset saturates X/Xn at 1.0; so does a merely large one.
  const Bytes lab = test::RandomBytes(3 * 200, 23);
  const Records far = Build(LabEncoding(0, 100, INT32_MIN, 170, INT32_MAX, 200));
  const Records near = Build(LabEncoding(0, 100, -100000, 170, 100000, 200));
  EXPECT_EQ(FromLab(lab, *far.decode), FromLab(lab, *near.decode));
  const Records bright = Build(LabEncoding(INT32_MIN, 100, 128, 170, 96, 200));
  EXPECT_EQ(FromLab({0, 128, 96}, *bright.decode), (Bytes{255, 255, 255}));
}

// Records of arbitrary contents (as a damaged handle might hold) convert without
// touching anything outside the images.
TEST(FixedPointLab, ArbitraryRecordsStayInBounds) {
  const Bytes pixels = test::RandomBytes(3 * 64, 99);
  for (uint32_t seed = 1; seed <= 8; ++seed) {
    Records r;
    const Bytes d = test::RandomBytes(sizeof(LabDecodeTable), seed);
    const Bytes e = test::RandomBytes(sizeof(LabEncodeTable), seed + 100);
    std::memcpy(r.decode.get(), d.data(), d.size());
    std::memcpy(r.encode.get(), e.data(), e.size());
    for (int32_t order : {0, 1}) {
      test::PaddedImage out(3 * 16, 4, 5);
      EXPECT_EQ(LabToRgbFixed(pixels.data(), out.data(), 16, 4, 0, 5, *r.decode, order), CLR_OK);
      EXPECT_TRUE(out.PaddingIntact());
      EXPECT_EQ(RgbToLabFixed(pixels.data(), out.data(), 16, 4, 0, 5, *r.encode, order), CLR_OK);
      EXPECT_TRUE(out.PaddingIntact());
    }
  }
}

}  // namespace
}  // namespace qclr
