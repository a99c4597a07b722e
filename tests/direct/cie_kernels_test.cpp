#include <array>
#include <bit>
#include <limits>

#include <gtest/gtest.h>

#include "direct/cie_kernels.h"
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

// Little-endian doubles at any byte offset.
void PutDouble(uint8_t* p, double v) {
  const auto bits = std::bit_cast<uint64_t>(v);
  for (int k = 0; k < 8; ++k) p[k] = static_cast<uint8_t>(bits >> (8 * k));
}
double GetDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int k = 0; k < 8; ++k) bits |= uint64_t{p[k]} << (8 * k);
  return std::bit_cast<double>(bits);
}

TEST(LabKernels, DocumentedValues) {
  struct Case {
    const char* what;
    Kernel kernel;
    Pixel in, out;
  };
  const Case cases[] = {
      // y = 1, L = 100; x slightly above the white point gives a = trunc(0.05) = 0.
      {"white", RgbToLab, {255, 255, 255}, {255, 0, 0}},
      {"black", RgbToLab, {0, 0, 0}, {0, 0, 0}},
      {"red: L 53", RgbToLab, {255, 0, 0}, {135, 80, 67}},
      // Negative a and b are stored as two's complement bytes: -86 and 83, 79 and -107.
      {"green", RgbToLab, {0, 255, 0}, {221, 170, 83}},
      {"blue", RgbToLab, {0, 0, 255}, {81, 79, 149}},
      {"to RGB black: fy = 16/116 is below the knee", LabToRgb, {0, 0, 0}, {0, 0, 0}},
      {"to RGB L 100: linear G above 1 clamped", LabToRgb, {255, 0, 0}, {255, 255, 255}},
  };
  for (const Case& c : cases) EXPECT_EQ(ConvertOne(c.kernel, c.in), c.out) << c.what;
}

// a and b are signed bytes: 0x80 is -128, the greenest a, and 0x7F the reddest.
TEST(LabKernels, DecoderReadsSignedAAndB) {
  EXPECT_EQ(ConvertOne(LabToRgb, {128, 0x80, 0})[0], 0);
  EXPECT_EQ(ConvertOne(LabToRgb, {128, 0x7F, 0})[0], 255);
  EXPECT_EQ(ConvertOne(LabToRgb, {128, 0, 0x80})[2], 255);  // b = -128: blue
  // Red never falls and green never rises as a grows through -128..127.
  int previousRed = -1, previousGreen = 256;
  for (int a = -128; a <= 127; ++a) {
    const Pixel rgb = ConvertOne(LabToRgb, {128, static_cast<uint8_t>(a), 0});
    EXPECT_GE(rgb[0], previousRed) << a;
    EXPECT_LE(rgb[1], previousGreen) << a;
    previousRed = rgb[0];
    previousGreen = rgb[1];
  }
}

TEST(XyzKernels, EncoderWritesThreeLittleEndianDoubles) {
  const Pixel white = {255, 255, 255};
  std::array<uint8_t, 24> xyz{};
  ASSERT_EQ(RgbToXyz(white.data(), xyz.data(), 1, 1, 0, 0, 1), 1);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[0]), 85.0401);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[8]), 96.0867);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[16]), 133.0494);
  const Pixel blueFirst = {255, 0, 0};  // BGR: pure blue
  ASSERT_EQ(RgbToXyz(blueFirst.data(), xyz.data(), 1, 1, 0, 0, 0), 1);
  EXPECT_DOUBLE_EQ(GetDouble(&xyz[16]), 119.3425);
}

TEST(XyzKernels, DecoderValues) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    const char* what;
    double x, y, z;
    Pixel rgb;
  };
  const Case cases[] = {
      {"black", 0, 0, 0, {0, 0, 0}},
      {"(1, 1, 1): R = floor(254.745)", 1, 1, 1, {254, 255, 255}},
      {"the encoder's white saturates", 85.0401, 96.0867, 133.0494, {255, 255, 255}},
      {"negative values clamp to 0", -1, -1, -1, {0, 0, 0}},
      {"NaN gives 0", nan, nan, nan, {0, 0, 0}},
      // Beyond the integer range the channels saturate instead of turning into 0.
      {"huge X", 1e300, 0, 0, {255, 0, 255}},
      {"infinite Y", 0, inf, 0, {0, 255, 0}},
  };
  for (const Case& c : cases) {
    std::array<uint8_t, 24> xyz{};
    PutDouble(&xyz[0], c.x);
    PutDouble(&xyz[8], c.y);
    PutDouble(&xyz[16], c.z);
    Pixel rgb{};
    ASSERT_EQ(XyzToRgb(xyz.data(), rgb.data(), 1, 1, 0, 0, 1), 1);
    EXPECT_EQ(rgb, c.rgb) << c.what;
  }
}

}  // namespace
}  // namespace qclr
