// Single pixels through the kernels: values worked out by hand from the formulas
// (rounding, clamping, wrapping and signed bytes).
#include <array>
#include <bit>
#include <limits>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "direct/cie_kernels.h"
#include "direct/hue_kernels.h"
#include "direct/kernel_table.h"
#include "direct/video_kernels.h"
#include "direct/yiq_kernels.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Pixel = std::array<uint8_t, 3>;

Pixel ConvertOne(Kernel kernel, const uint8_t* in) {
  Pixel out{};
  EXPECT_EQ(kernel(in, out.data(), 1, 1, 0, 0, 1), 1);
  return out;
}
Pixel ConvertOne(Kernel kernel, Pixel in) { return ConvertOne(kernel, in.data()); }

TEST(PixelKernels, DocumentedValues) {
  struct Case {
    const char* what;
    Kernel kernel;
    Pixel in, out;
  } const cases[] = {
      {"HSV green: h 120", RgbToHsv, {0, 255, 0}, {85, 255, 255}},
      {"HSV blue: h 240", RgbToHsv, {0, 0, 255}, {170, 255, 255}},
      {"HSV h = MulDiv(-128, 60, 255) + 360 = 330", RgbToHsv, {255, 0, 128}, {233, 255, 255}},
      {"HSV black", RgbToHsv, {0, 0, 0}, {0, 0, 0}},
      // MulDiv rounds halves away from zero: 60 / 24 -> 3, -60 / 120 -> -1 -> 359, 255 / 2 -> 128.
      {"HSV hue half up", RgbToHsv, {24, 1, 0}, {2, 255, 24}},
      {"HSV hue half down", RgbToHsv, {120, 0, 1}, {254, 255, 120}},
      {"HSV saturation half", RgbToHsv, {2, 1, 1}, {0, 128, 2}},
      {"HSV to RGB without saturation", HsvToRgb, {77, 0, 99}, {99, 99, 99}},
      {"HSV to RGB H 255 is 360 degrees, red", HsvToRgb, {255, 255, 255}, {255, 0, 0}},
      // h = 180 and 240 with f = 0: sectors 3 (p, q, V) and 4 (t, p, V).
      {"HSV to RGB cyan", HsvToRgb, {128, 255, 200}, {0, 200, 200}},
      {"HSV to RGB blue", HsvToRgb, {170, 255, 255}, {0, 0, 255}},
      {"HLS grey", RgbToHls, {100, 100, 100}, {0, 100, 0}},
      {"HLS red", RgbToHls, {255, 0, 0}, {0, 127, 255}},
      // mx + mn = 300 >= 256: S = 100 x 255 / (510 - 300) = 121.
      {"HLS light blue", RgbToHls, {100, 100, 200}, {170, 150, 121}},
      // The HSI hue: no square root under the quotient, scale 127.5, low byte of up to 400.
      {"HSI grey: 0 / 0 hue, mirrored", RgbToHsi, {100, 100, 100}, {100, 255, 0}},
      // n / m = 1.5: no arc cosine; I = trunc(1 / 3) = 0, so S is 0 / 0.
      {"HSI quotient outside -1..1", RgbToHsi, {1, 0, 0}, {0, 255, 0}},
      // acos(-2/3) x 127.5 = 293.3: low byte 37, not mirrored (B < G).
      {"HSI hue above 255 keeps its low byte", RgbToHsi, {0, 2, 1}, {1, 37, 255}},
      // acos(-1) x 127.5 = 400.5: low byte 144, mirrored to 111.
      {"HSI hue 400", RgbToHsi, {0, 0, 1}, {0, 111, 0}},
      // n / m = 382.5 / 65025: acos x 127.5 = 199.5 -> 199, mirrored to 56.
      {"HSI red", RgbToHsi, {255, 0, 0}, {85, 56, 255}},
      {"HSI to RGB without saturation", HsiToRgb, {100, 0, 0}, {100, 100, 100}},
      // R = 255 x (1 + 1 / cos(pi / 3)) saturates; the stored pi / 3 is a little small: G 765 - 764.
      {"HSI to RGB saturates", HsiToRgb, {255, 0, 255}, {255, 1, 0}},
      // y = 1, L = 100; x slightly above the white point gives a = trunc(0.05) = 0.
      {"Lab white", RgbToLab, {255, 255, 255}, {255, 0, 0}},
      {"Lab red: L 53", RgbToLab, {255, 0, 0}, {135, 80, 67}},
      // Negative a and b are stored as two's complement bytes: -86 and 83, 79 and -107.
      {"Lab green", RgbToLab, {0, 255, 0}, {221, 170, 83}},
      {"Lab blue", RgbToLab, {0, 0, 255}, {81, 79, 149}},
      {"Lab to RGB black: fy = 16/116 is below the knee", LabToRgb, {0, 0, 0}, {0, 0, 0}},
      {"Lab to RGB L 100: linear G above 1 clamped", LabToRgb, {255, 0, 0}, {255, 255, 255}},
      // White: Y = trunc(254.99999999999997). Unclamped I and Q reach both ends at corners:
      // I 0 at cyan (a hair below 0), 255 at red; Q 0 at green, 255 at magenta.
      {"YIQ white", RgbToYiq, {255, 255, 255}, {254, 127, 127}},
      {"YIQ red", RgbToYiq, {255, 0, 0}, {76, 255, 179}},
      {"YIQ cyan", RgbToYiq, {0, 255, 255}, {178, 0, 75}},
      {"YIQ green", RgbToYiq, {0, 255, 0}, {149, 68, 0}},
      {"YIQ magenta", RgbToYiq, {255, 0, 255}, {105, 186, 255}},
      {"YUV to RGB white: 261560 / 1024 truncates", YuvToRgb, {235, 128, 128}, {255, 255, 255}},
      {"YUV to RGB clamps R and B from 481 and 534", YuvToRgb, {255, 255, 255}, {255, 125, 255}},
      {"YUV to RGB: U weighs into B, V into R", YuvToRgb, {100, 50, 200}, {213, 70, 0}},
      {"YUV red: U = -37.23 clamped, no offset", RgbToYuv, {255, 0, 0}, {76, 0, 157}},
      {"YUV blue", RgbToYuv, {0, 0, 255}, {29, 110, 0}},
      {"YCC blue: Cb 127.5 clamped, Cr -20", RgbToYcc, {0, 0, 255}, {29, 127, 236}},
      {"YCC yellow: Cb -127.5 truncates", RgbToYcc, {255, 255, 0}, {225, 0x81, 20}},
      {"YCC to RGB: Cb 0x80 is -128", YccToRgb, {128, 0x80, 0}, {128, 172, 0}},
      {"YCC to RGB: Cr 0x80 is -128", YccToRgb, {128, 127, 0x80}, {0, 175, 255}},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertOne(c.kernel, c.in), c.out) << c.what;
  // Lab a and b are signed bytes: 0x80 is -128 (no red, or full blue), 0x7F is 127.
  EXPECT_EQ(ConvertOne(LabToRgb, {128, 0x80, 0})[0], 0);
  EXPECT_EQ(ConvertOne(LabToRgb, {128, 0x7F, 0})[0], 255);
  EXPECT_EQ(ConvertOne(LabToRgb, {128, 0, 0x80})[2], 255);
}

// The HSI decoder's hue ranges (h = byte x pi / 255: 40 below pi / 3, 100 below 2 pi / 3,
// 200 above) put I x (1 - s) into B, R and G, and give the last channel what remains of 3 I.
TEST(PixelKernels, HsiDecoderHueRanges) {
  for (const auto& [hue, lowest] : {std::pair<uint8_t, int>{40, 2}, {100, 0}, {200, 1}}) {
    const Pixel rgb = ConvertOne(HsiToRgb, {120, hue, 128});
    EXPECT_EQ(rgb[lowest], 59) << int{hue};  // trunc(120 x (1 - 128 / 255))
    EXPECT_EQ(rgb[0] + rgb[1] + rgb[2], 360) << int{hue};
  }
}

// Each HLS pixel, grey or coloured, lands at its own position, in rows with padding.
// L 127, S 255 gives m2 254, m1 0; H 170 + 85 = 255 does not wrap, so blue is (0, 0, 254).
TEST(PixelKernels, HlsToRgbWritesEachPixelInPlace) {
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

// XYZ pixels are three little-endian doubles.
double GetDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int k = 0; k < 8; ++k) bits |= uint64_t{p[k]} << (8 * k);
  return std::bit_cast<double>(bits);
}

TEST(PixelKernels, XyzValues) {
  const Pixel white = {255, 255, 255};
  std::array<uint8_t, 24> xyz{};
  ASSERT_EQ(RgbToXyz(white.data(), xyz.data(), 1, 1, 0, 0, 1), 1);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[0]), 85.0401);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[8]), 96.0867);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[16]), 133.0494);
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    double xyz[3];
    Pixel rgb;
  } const cases[] = {
      {"(1, 1, 1): R = floor(254.745)", {1, 1, 1}, {254, 255, 255}},
      {"the encoder's white saturates", {85.0401, 96.0867, 133.0494}, {255, 255, 255}},
      {"negative values clamp to 0", {-1, -1, -1}, {0, 0, 0}},
      {"NaN gives 0", {nan, nan, nan}, {0, 0, 0}},
      // Beyond the integer range the channels saturate instead of turning into 0.
      {"huge X", {1e300, 0, 0}, {255, 0, 255}},
      {"infinite Y", {0, inf, 0}, {0, 255, 0}},
  };
  for (const Case& c : cases) {
    for (int k = 0; k < 24; ++k) {
      xyz[k] = static_cast<uint8_t>(std::bit_cast<uint64_t>(c.xyz[k / 8]) >> (8 * (k % 8)));
    }
    EXPECT_EQ(ConvertOne(XyzToRgb, xyz.data()), c.rgb) << c.what;
  }
}

}  // namespace
}  // namespace qclr
