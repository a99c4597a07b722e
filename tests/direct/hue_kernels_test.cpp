#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "direct/hue_kernels.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Kernel = int32_t (*)(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t, int32_t);
using Pixel = std::array<uint8_t, 3>;

Pixel ConvertOne(Kernel kernel, Pixel in, int32_t rgbOrder = 1) {
  Pixel out{};
  EXPECT_EQ(kernel(in.data(), out.data(), 1, 1, 0, 0, rgbOrder), 1);
  return out;
}

struct Case {
  const char* what;
  Kernel kernel;
  Pixel in, out;
};

TEST(HueKernels, DocumentedValues) {
  const Case cases[] = {
      {"HSV red", RgbToHsv, {255, 0, 0}, {0, 255, 255}},
      {"HSV green: h 120", RgbToHsv, {0, 255, 0}, {85, 255, 255}},
      {"HSV blue: h 240", RgbToHsv, {0, 0, 255}, {170, 255, 255}},
      {"HSV h = MulDiv(-128, 60, 255) + 360 = 330", RgbToHsv, {255, 0, 128}, {233, 255, 255}},
      {"HSV black", RgbToHsv, {0, 0, 0}, {0, 0, 0}},
      // MulDiv rounds halves away from zero: 60 / 24 = 2.5 -> 3 (H 2, truncation gives 1),
      // -60 / 120 = -0.5 -> -1 -> 359 (H 254, truncation gives 0), 255 / 2 = 127.5 -> 128.
      {"HSV hue half up", RgbToHsv, {24, 1, 0}, {2, 255, 24}},
      {"HSV hue half down", RgbToHsv, {120, 0, 1}, {254, 255, 120}},
      {"HSV saturation half", RgbToHsv, {2, 1, 1}, {0, 128, 2}},
      {"HSV to RGB without saturation", HsvToRgb, {77, 0, 99}, {99, 99, 99}},
      {"HSV to RGB red", HsvToRgb, {0, 255, 255}, {255, 0, 0}},
      {"HSV to RGB H 255 is 360 degrees, red", HsvToRgb, {255, 255, 255}, {255, 0, 0}},
      // h = 180: sector 3 (p, q, V) with f = 0: q = V.
      {"HSV to RGB cyan", HsvToRgb, {128, 255, 200}, {0, 200, 200}},
      {"HLS grey", RgbToHls, {100, 100, 100}, {0, 100, 0}},
      {"HLS red", RgbToHls, {255, 0, 0}, {0, 127, 255}},
      // mx + mn = 300 >= 256: S = 100 x 255 / (510 - 300) = 121.
      {"HLS light blue", RgbToHls, {100, 100, 200}, {170, 150, 121}},
      {"HLS to RGB m2 254, m1 0", HlsToRgb, {0, 127, 255}, {254, 0, 0}},
      {"HLS to RGB grey", HlsToRgb, {33, 77, 0}, {77, 77, 77}},
      // H 170 + 85 = 255 does not exceed 255: R = v(255) = m1; B = v(85) = m2.
      {"HLS to RGB blue", HlsToRgb, {170, 127, 255}, {0, 0, 254}},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertOne(c.kernel, c.in), c.out) << c.what;
}

// The encoder's hue leaves the textbook formula: no square root under the
// quotient, a scale of 127.5 and the low 8 bits of values up to 400.
TEST(HsiKernels, DocumentedValues) {
  const Case cases[] = {
      {"grey: 0 / 0 hue, mirrored", RgbToHsi, {100, 100, 100}, {100, 255, 0}},
      {"black: S is 0 / 0 too", RgbToHsi, {0, 0, 0}, {0, 255, 0}},
      // n / m = 1.5: no arc cosine; I = trunc(1 / 3) = 0, so S is 0 / 0.
      {"quotient outside -1..1", RgbToHsi, {1, 0, 0}, {0, 255, 0}},
      // acos(-2/3) x 127.5 = 293.3: low byte 37, not mirrored (B < G).
      {"hue above 255 keeps its low byte", RgbToHsi, {0, 2, 1}, {1, 37, 255}},
      // acos(-1) x 127.5 = 400.5: low byte 144, mirrored to 111.
      {"hue 400", RgbToHsi, {0, 0, 1}, {0, 111, 0}},
      // n / m = 382.5 / 65025: acos x 127.5 = 199.5 -> 199, mirrored to 56.
      {"red", RgbToHsi, {255, 0, 0}, {85, 56, 255}},
      {"decoder without saturation", HsiToRgb, {100, 0, 0}, {100, 100, 100}},
      // R = 255 x (1 + 1 / cos(pi / 3)) saturates. The stored pi / 3 is a little
      // small, so R truncates to 764 and G = 765 - 764 = 1.
      {"decoder saturates", HsiToRgb, {255, 0, 255}, {255, 1, 0}},
      {"decoder black", HsiToRgb, {0, 200, 255}, {0, 0, 0}},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertOne(c.kernel, c.in), c.out) << c.what;
}

// The HSI decoder's three hue ranges: each puts I x (1 - s) into a different
// channel and gives the last channel what remains of 3 I.
TEST(HsiKernels, DecoderHueRanges) {
  struct Range {
    uint8_t hue;  // h = byte x pi / 255
    int lowest;
  };
  // 40 lies below pi / 3 (B lowest), 100 below 2 pi / 3 (R), 200 above (G).
  for (const Range& r : {Range{40, 2}, Range{100, 0}, Range{200, 1}}) {
    const Pixel rgb = ConvertOne(HsiToRgb, {120, r.hue, 128});
    EXPECT_EQ(rgb[r.lowest], 59) << int{r.hue};  // trunc(120 x (1 - 128 / 255))
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 360) << int{r.hue};
  }
}

// Each HLS pixel, grey or coloured, lands at its own position, in rows with padding.
TEST(HueKernels, HlsToRgbWritesEachPixelInPlace) {
  const int32_t width = 5, height = 2;
  const std::vector<uint8_t> hls = {0, 127, 255, 9, 60, 0, 170, 127, 255, 44, 200, 0, 85, 127, 255,
                                    9, 61, 0, 0, 127, 255, 1, 2, 0, 3, 4, 0, 170, 127, 255};
  test::PaddedImage src(3 * width, height, 4), dst(3 * width, height, 8);
  src.SetRows(hls);
  ASSERT_EQ(HlsToRgb(src.data(), dst.data(), width, height, 4, 8, 1), 1);
  EXPECT_TRUE(dst.PaddingIntact());
  const std::vector<uint8_t> expected = {254, 0, 0, 60, 60, 60, 0, 0, 254, 200, 200, 200, 0, 254, 0,
                                         61, 61, 61, 254, 0, 0, 2, 2, 2, 4, 4, 4, 0, 0, 254};
  EXPECT_EQ(dst.Rows(), expected);
}

// Primaries and greys survive RGB -> HSV -> RGB, and greys RGB -> HLS -> RGB.
TEST(HueKernels, PrimariesAndGreysRoundTrip) {
  const Pixel greys[] = {{255, 255, 255}, {0, 0, 0}, {77, 77, 77}};
  for (const Pixel& c : {Pixel{255, 0, 0}, Pixel{0, 255, 0}, Pixel{0, 0, 255}, greys[0], greys[1],
                         greys[2]}) {
    EXPECT_EQ(ConvertOne(HsvToRgb, ConvertOne(RgbToHsv, c)), c);
  }
  for (const Pixel& c : greys) EXPECT_EQ(ConvertOne(HlsToRgb, ConvertOne(RgbToHls, c)), c);
}

}  // namespace
}  // namespace qclr
