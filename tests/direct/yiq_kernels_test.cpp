#include <array>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "direct/yiq_kernels.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Pixel = std::array<uint8_t, 3>;
using test::AwkwardWidths;
using test::RandomBytes;

// At a nonzero processor level whole groups of 8 take the lane arithmetic (G 128 for
// zero bytes) and the rest the floating-point formula (-228.1, 127.6, -59.0 before the
// absolute value).
TEST(YiqKernels, KernelPacksWholeGroupsOnly) {
  const test::CpuLevelScope pinned(2);
  const std::vector<uint8_t> yiq(3 * 9);
  std::vector<uint8_t> rgb(yiq.size());
  ASSERT_EQ(YiqToRgb(yiq.data(), rgb.data(), 9, 1, 0, 0, 1), 1);
  EXPECT_EQ(Pixel({rgb[0], rgb[1], rgb[2]}), (Pixel{228, 128, 59}));
  EXPECT_EQ(Pixel({rgb[24], rgb[25], rgb[26]}), (Pixel{228, 127, 59}));
}

TEST(YiqKernels, PackedPixelArithmetic) {
  const std::pair<Pixel, Pixel> cases[] = {
      // R: 37230 >> 7 = 290 -> 62; G: 10710 >> 7 = 83 -> 45; B: 169 x 255 = 43095
      // wraps to -22441, >> 7 = -176 -> 0 + 176 - 59 = 117.
      {{0, 255, 0}, {62, 45, 117}},
      // R: 21165 >> 7 = 165 -> |-63|; G: 22185 >> 7 = 173 -> |-45|; B: -228 x 255 =
      // -58140 wraps to 7396, >> 7 = 57 -> |0 - 57 - 59| = 116.
      {{0, 0, 255}, {63, 45, 116}},
      // R: 58395 >> 7 = 456 as an unsigned sum -> 255 + 456 - 228 saturates.
      {{255, 255, 255}, {255, 127, 255}},
      // G: 128 - (32895 >> 7 = 256) = -128 -> 128; B: -15045 >> 7 = -118 -> 59.
      {{0, 255, 255}, {228, 128, 59}},
  };
  for (const auto& [yiq, rgb] : cases) {
    Pixel out{};
    YiqToRgbPixelPacked(yiq.data(), out.data(), 1);
    EXPECT_EQ(out, rgb) << int{yiq[0]} << " " << int{yiq[1]} << " " << int{yiq[2]};
  }
}

// The vector row against the lane reference for whole groups, floating point for the rest.
TEST(YiqKernels, PackedRowMatchesItsDefinition) {
  std::vector<int32_t> widths = AwkwardWidths();
  widths.push_back(2053);  // enough random lanes to reach the wrapping and saturating ones
  for (int32_t width : widths) {
    for (int32_t order : {0, 1}) {
      const auto yiq = RandomBytes(3 * static_cast<size_t>(width), 40u + static_cast<uint32_t>(width));
      std::vector<uint8_t> packed(yiq.size()), expected(yiq.size());
      YiqToRgbRowPacked(yiq.data(), packed.data(), width, order);
      const int32_t grouped = width / 8 * 8;
      for (int32_t x = 0; x < grouped; ++x) YiqToRgbPixelPacked(&yiq[3 * x], &expected[3 * x], order);
      YiqToRgbRow(&yiq[3 * grouped], &expected[3 * grouped], width - grouped, order);
      ASSERT_EQ(packed, expected) << "width " << width << " order " << order;
    }
  }
}

}  // namespace
}  // namespace qclr
