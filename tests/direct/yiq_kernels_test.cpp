#include <array>
#include <vector>

#include <gtest/gtest.h>

#include "direct/yiq_kernels.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Pixel = std::array<uint8_t, 3>;
using test::AwkwardWidths;
using test::RandomBytes;

std::vector<uint8_t> Decode(const std::vector<uint8_t>& yiq, int level, int32_t order = 1) {
  test::CpuLevelScope pinned(level);
  std::vector<uint8_t> out(yiq.size());
  const auto width = static_cast<int32_t>(yiq.size() / 3);
  EXPECT_EQ(YiqToRgb(yiq.data(), out.data(), width, 1, 0, 0, order), 1);
  return out;
}

TEST(YiqKernels, EncoderDocumentedValues) {
  struct Case {
    Pixel rgb, yiq;
  };
  // White: 0.299 + 0.587 + 0.114 is just below 1, so Y = trunc(254.99999999999997).
  for (const Case& c : {Case{{255, 255, 255}, {254, 127, 127}}, Case{{0, 0, 0}, {0, 127, 127}},
                        Case{{255, 0, 0}, {76, 255, 179}}}) {
    Pixel out{};
    ASSERT_EQ(RgbToYiq(c.rgb.data(), out.data(), 1, 1, 0, 0, 1), 1);
    EXPECT_EQ(out, c.yiq);
  }
}

// Every RGB triple encodes to I and Q inside 0..255 without clamping: the extremes
// sit at the corners of the RGB cube.
TEST(YiqKernels, EncoderReachesBothEndsOfIAndQ) {
  const std::vector<uint8_t> corners = {0, 0, 0,   255, 0,   0,   0,   255, 0,   0,   0,   255,
                                        255, 255, 0, 255, 0, 255, 0,   255, 255, 255, 255, 255};
  std::vector<uint8_t> yiq(corners.size());
  RgbToYiq(corners.data(), yiq.data(), 8, 1, 0, 0, 1);
  uint8_t iMin = 255, iMax = 0, qMin = 255, qMax = 0;
  for (size_t k = 0; k < yiq.size(); k += 3) {
    iMin = std::min(iMin, yiq[k + 1]), iMax = std::max(iMax, yiq[k + 1]);
    qMin = std::min(qMin, yiq[k + 2]), qMax = std::max(qMax, yiq[k + 2]);
  }
  EXPECT_EQ(iMin, 0);  // cyan: a result a hair below 0 truncates to 0
  EXPECT_EQ(iMax, 255);
  EXPECT_EQ(qMin, 0);
  EXPECT_EQ(qMax, 255);
}

TEST(YiqKernels, DecoderOfZeroBytes) {
  // Floating point: -228.1, 127.6 and -59.0 before the absolute value.
  EXPECT_EQ(Decode({0, 0, 0}, 0), (std::vector<uint8_t>{228, 127, 59}));
  // Packed: only whole groups of 8 take the lane arithmetic.
  const std::vector<uint8_t> packed = Decode(std::vector<uint8_t>(3 * 9), 2);
  EXPECT_EQ(Pixel({packed[0], packed[1], packed[2]}), (Pixel{228, 128, 59}));
  EXPECT_EQ(Pixel({packed[24], packed[25], packed[26]}), (Pixel{228, 127, 59}));
}

TEST(YiqKernels, PackedPixelArithmetic) {
  struct Case {
    const char* what;
    Pixel yiq, rgb;
  };
  const Case cases[] = {
      {"offsets alone", {0, 0, 0}, {228, 128, 59}},
      // R: 37230 >> 7 = 290 -> 62; G: 10710 >> 7 = 83 -> 45; B: 169 x 255 = 43095
      // wraps to -22441, >> 7 = -176 -> 0 + 176 - 59 = 117.
      {"blue difference wraps", {0, 255, 0}, {62, 45, 117}},
      // R: 21165 >> 7 = 165 -> |-63|; G: 22185 >> 7 = 173 -> |-45|; B: -228 x 255 =
      // -58140 wraps to 7396, >> 7 = 57 -> |0 - 57 - 59| = 116.
      {"blue difference wraps down", {0, 0, 255}, {63, 45, 116}},
      // R: 58395 >> 7 = 456 as an unsigned sum -> 255 + 456 - 228 saturates.
      {"unsigned sums saturate", {255, 255, 255}, {255, 127, 255}},
      // G: 128 - (32895 >> 7 = 256) = -128 -> 128; B: -15045 >> 7 = -118 -> 59.
      {"negative lane folded", {0, 255, 255}, {228, 128, 59}},
  };
  for (const Case& c : cases) {
    Pixel out{};
    YiqToRgbPixelPacked(c.yiq.data(), out.data(), 1);
    EXPECT_EQ(out, c.rgb) << c.what;
  }
}

// The vector row against the lane reference for whole groups and the
// floating-point row for the rest.
TEST(YiqKernels, PackedRowMatchesItsDefinition) {
  std::vector<int32_t> widths = AwkwardWidths();
  widths.push_back(2053);  // enough random lanes to reach the wrapping and saturating ones
  for (int32_t width : widths) {
    for (int32_t order : {0, 1}) {
      const auto seed = 40u + static_cast<uint32_t>(width);
      const auto yiq = RandomBytes(3 * static_cast<size_t>(width), seed);
      std::vector<uint8_t> packed(yiq.size()), expected(yiq.size());
      YiqToRgbRowPacked(yiq.data(), packed.data(), width, order);
      const int32_t grouped = width / 8 * 8;
      for (int32_t x = 0; x < grouped; ++x) {
        YiqToRgbPixelPacked(&yiq[3 * x], &expected[3 * x], order);
      }
      YiqToRgbRow(&yiq[3 * grouped], &expected[3 * grouped], width - grouped, order);
      ASSERT_EQ(packed, expected) << "width " << width << " order " << order;
    }
  }
}

// Outside the wrapping blue difference the packed bytes stay within 2 of the
// floating-point bytes on everything the encoder produces.
TEST(YiqKernels, PackedPathIsCloseToFloatingPoint) {
  const auto rgb = RandomBytes(3 * 4096, 77);
  std::vector<uint8_t> yiq(rgb.size());
  RgbToYiq(rgb.data(), yiq.data(), 4096, 1, 0, 0, 1);
  for (size_t k = 0; k < yiq.size(); k += 3) {
    const int diff = 169 * yiq[k + 1] - 228 * yiq[k + 2];
    if (diff < -32768 || diff > 32767) continue;
    Pixel exact{}, lanes{};
    YiqToRgbRow(&yiq[k], exact.data(), 1, 1);
    YiqToRgbPixelPacked(&yiq[k], lanes.data(), 1);
    for (int c = 0; c < 3; ++c) ASSERT_LE(std::abs(exact[c] - lanes[c]), 2) << k / 3;
  }
}

}  // namespace
}  // namespace qclr
