#include "handle/described_yuv.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::kSentinel;
using test::PaddedImage;
using V = std::vector<uint8_t>;

YuvLayout Packed(int32_t n, int32_t uStepX, int32_t vStepX, std::vector<int32_t>& offsets) {
  return {QCLR_YUV_LAYOUT_SIZE, 0, uStepX, 1, vStepX, 1, offsets.data(), n, 0, 0};
}

YuvLayout Planar(int32_t step, std::vector<int32_t>& code) {
  return {QCLR_YUV_LAYOUT_SIZE, 0, step, step, step, step, code.data(), 0, 0, 1};
}

// The decoder's pixel from stored samples, for checking which samples were read.
V Pixel(int y, int u, int v, bool noOffsets = false) {
  if (!noOffsets) y -= 16, u -= 128, v -= 128;
  auto limit = [](int x) { return static_cast<uint8_t>(std::clamp(x, 0, 255)); };
  return {limit((1192 * y + 1634 * v) >> 10), limit((1192 * y - 400 * u - 833 * v) >> 10),
          limit((1192 * y + 2066 * u) >> 10)};
}

V Decode(const YuvLayout& layout, const V& src, int32_t width, int32_t height,
         int32_t inAlign = 0, int32_t rgbOrder = 1) {
  V out(3 * static_cast<size_t>(width) * static_cast<size_t>(height));
  EXPECT_EQ(DescribedYuvToRgb(layout, src.data(), out.data(), width, height, inAlign, 0, rgbOrder),
            CLR_OK);
  return out;
}

V At(const V& rgb, int p) { return V(rgb.begin() + 3 * p, rgb.begin() + 3 * p + 3); }

TEST(DescribedYuv, PixelFormulaLimitsEachChannel) {
  std::vector<int32_t> offsets{0, 1, 2};  // 4:4:4, one pixel a group
  YuvLayout layout = Packed(1, 1, 1, offsets);
  EXPECT_EQ(Decode(layout, {16, 128, 128}, 1, 1), (V{0, 0, 0}));
  EXPECT_EQ(Decode(layout, {235, 128, 128}, 1, 1), (V{254, 254, 254}));  // 1192 x 219 >> 10
  EXPECT_EQ(Decode(layout, {235, 128, 128}, 1, 1, 0, 0), (V{254, 254, 254}));
  EXPECT_EQ(Decode(layout, {100, 90, 240}, 1, 1, 0, 0), (V{21, 21, 255}));  // red on BGR
  layout.noOffsets = 1;
  EXPECT_EQ(Decode(layout, {0, 0, 0}, 1, 1), (V{0, 0, 0}));
  EXPECT_EQ(Decode(layout, {255, 0, 0}, 1, 1), (V{255, 255, 255}));
}

TEST(DescribedYuv, Yuy2GroupsShareChroma) {
  std::vector<int32_t> offsets{0, 2, 1, 3};  // Y0 U Y1 V
  const YuvLayout layout = Packed(2, 2, 2, offsets);
  ASSERT_EQ(PackedGroupBytes(layout), 4);
  const V src{50, 100, 60, 150, 70, 110, 80, 160};
  const V rgb = Decode(layout, src, 4, 1);
  EXPECT_EQ(At(rgb, 0), Pixel(50, 100, 150));
  EXPECT_EQ(At(rgb, 1), Pixel(60, 100, 150));
  EXPECT_EQ(At(rgb, 2), Pixel(70, 110, 160));
  EXPECT_EQ(At(rgb, 3), Pixel(80, 110, 160));
}

TEST(DescribedYuv, FourOneOneGroupsOfTwelveBytes) {
  // U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7
  std::vector<int32_t> offsets{1, 3, 5, 7, 8, 9, 10, 11, 0, 4, 2, 6};
  const YuvLayout layout = Packed(8, 4, 4, offsets);
  ASSERT_TRUE(YuvLayoutIsMeaningful(layout));
  ASSERT_EQ(PackedGroupBytes(layout), 12);
  const V src = test::RandomBytes(24, 5);
  const V rgb = Decode(layout, src, 16, 1);
  for (int p = 0; p < 16; ++p) {
    const int g = 12 * (p / 8), j = p % 8;
    EXPECT_EQ(At(rgb, p), Pixel(src[g + offsets[j]], src[g + offsets[8 + j / 4]],
                                src[g + offsets[10 + j / 4]]))
        << p;
  }
}

// Steps of 3 give groups whose byte count the floating-point quotient would put one
// too low; consecutive groups must not overlap.
TEST(DescribedYuv, GroupSizeIsTheSampleCount) {
  std::vector<int32_t> offsets{0, 1, 2, 3, 4};
  const YuvLayout layout = Packed(3, 3, 3, offsets);
  ASSERT_EQ(PackedGroupBytes(layout), 5);
  const V src{20, 30, 40, 90, 200, 50, 60, 70, 100, 210};
  const V rgb = Decode(layout, src, 6, 1);
  EXPECT_EQ(At(rgb, 2), Pixel(40, 90, 200));
  EXPECT_EQ(At(rgb, 3), Pixel(50, 100, 210));
}

// The group walk runs on through row ends; at each row end the source skips the
// padding of a row of 3 x width bytes, even in the middle of a group.
TEST(DescribedYuv, PackedGroupsContinueAcrossRowEnds) {
  std::vector<int32_t> offsets{0, 2, 1, 3};
  const YuvLayout layout = Packed(2, 2, 2, offsets);
  // Width 3, inAlign 4: 9-byte rows get 3 bytes of padding. Pixels 0, 1 use group
  // base 0, pixel 2 base 4; then the base moves by 3 to 7 for pixel 3 (still in
  // group 1), and by 4 to 11 for pixels 4 and 5.
  const V src = test::RandomBytes(15, 9);
  PaddedImage dst(9, 2, 4);
  ASSERT_EQ(DescribedYuvToRgb(layout, src.data(), dst.data(), 3, 2, 4, 4, 1), CLR_OK);
  EXPECT_TRUE(dst.PaddingIntact());
  const V rgb = dst.Rows();
  const int bases[] = {0, 0, 4, 7, 11, 11};
  for (int p = 0; p < 6; ++p) {
    const int base = bases[p], j = p % 2;
    EXPECT_EQ(At(rgb, p), Pixel(src[base + offsets[j]], src[base + 1], src[base + 3])) << p;
  }
}

// Code 1 with steps of 2 on a 4 x 2 image: Y plane of 8 bytes, then V (2 bytes),
// then U (2 bytes); both rows use the same chroma row.
TEST(DescribedYuv, PlanarPlaneOrderAndSubsampling) {
  std::vector<int32_t> code{1};
  const YuvLayout layout = Planar(2, code);
  const V src{30, 40, 50, 60, 70, 80, 90, 100, /*V*/ 140, 150, /*U*/ 110, 120};
  const V rgb = Decode(layout, src, 4, 2);
  for (int p = 0; p < 8; ++p) {
    const int chroma = (p % 4) / 2;
    EXPECT_EQ(At(rgb, p), Pixel(src[p], src[10 + chroma], src[8 + chroma])) << p;
  }
}

TEST(DescribedYuv, EveryPlaneOrderAndEveryPixel) {
  // 6 x 4 image, 4:2:0: Y 24 bytes, U and V 6 bytes each.
  const int width = 6, height = 4;
  const V src = test::RandomBytes(36, 3);
  const int planeBytes[3] = {24, 6, 6};
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int32_t c = 0; c < 6; ++c) {
    int start[3], at = 0;
    for (int plane : orders[c]) start[plane] = at, at += planeBytes[plane];
    std::vector<int32_t> code{c};
    const YuvLayout layout = Planar(2, code);
    PaddedImage dst(3 * width, height, 8);
    std::fill(dst.data(), dst.data() + dst.size(), kSentinel);
    ASSERT_EQ(DescribedYuvToRgb(layout, src.data(), dst.data(), width, height, 1, 8, 0), CLR_OK);
    EXPECT_TRUE(dst.PaddingIntact());
    const V rgb = dst.Rows();
    for (int p = 0; p < width * height; ++p) {
      const int x = p % width, y = p / width, chroma = y / 2 * 3 + x / 2;
      V expected = Pixel(src[start[0] + p], src[start[1] + chroma], src[start[2] + chroma]);
      std::swap(expected[0], expected[2]);
      EXPECT_EQ(At(rgb, p), expected) << "code " << c << " pixel " << p;
    }
  }
}

// Every refusal writes nothing.
TEST(DescribedYuv, RefusedLayoutsWriteNothing) {
  std::vector<int32_t> yuy2{0, 2, 1, 3}, outside{0, 2, 1, 4}, negative{0, -1, 1, 3};
  std::vector<int32_t> sixPixels{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  std::vector<int32_t> code{0}, badCode{6};
  struct Case {
    const char* what;
    YuvLayout layout;
    int32_t width, height, inAlign;
  };
  auto with = [](YuvLayout l, auto change) { change(l); return l; };
  const YuvLayout packed = Packed(2, 2, 2, yuy2), planar = Planar(2, code);
  const Case cases[] = {
      {"width 0", packed, 0, 2, 0},
      {"height 0", planar, 4, 0, 0},
      {"packed uStepY 2", with(packed, [](YuvLayout& l) { l.uStepY = 2; }), 4, 2, 0},
      {"vertical steps 2 and 3", with(planar, [](YuvLayout& l) { l.vStepY = 3; }), 6, 6, 0},
      {"horizontal steps 2 and 3", Packed(6, 2, 3, sixPixels), 6, 2, 0},
      {"planar inAlign 4", planar, 4, 2, 4},
      {"step 0", with(packed, [](YuvLayout& l) { l.vStepX = 0; }), 4, 2, 0},
      {"no offsets array", with(packed, [](YuvLayout& l) { l.sampleOffsets = nullptr; }), 4, 2, 0},
      {"plane code 6", Planar(2, badCode), 4, 2, 0},
      {"group of 0 pixels", with(packed, [](YuvLayout& l) { l.groupPixels = 0; }), 4, 2, 0},
      {"group not a multiple of its steps", with(packed, [](YuvLayout& l) { l.groupPixels = 3; }),
       4, 2, 0},
      {"offset beyond the group", Packed(2, 2, 2, outside), 4, 2, 0},
      {"negative offset", Packed(2, 2, 2, negative), 4, 2, 0},
      {"odd width walks past the U plane", planar, 5, 2, 0},
      {"odd height walks past the chroma planes", planar, 4, 3, 0},
  };
  const V src(64, 128);
  for (const Case& c : cases) {
    V dst(128, kSentinel);
    EXPECT_EQ(DescribedYuvToRgb(c.layout, src.data(), dst.data(), c.width, c.height, c.inAlign, 0,
                                1),
              CLR_ERR_PARAM)
        << c.what;
    EXPECT_TRUE(std::all_of(dst.begin(), dst.end(), [](uint8_t b) { return b == kSentinel; }))
        << c.what;
  }
}

TEST(DescribedYuv, MeaningfulLayouts) {
  std::vector<int32_t> yuy2{0, 2, 1, 3}, code{5};
  EXPECT_TRUE(YuvLayoutIsMeaningful(Packed(2, 2, 2, yuy2)));
  std::vector<int32_t> five{4, 3, 2, 1, 0};
  EXPECT_TRUE(YuvLayoutIsMeaningful(Packed(2, 1, 2, five)));  // 2 Y, 2 U, 1 V: 5 bytes
  // Meaningful, though the decoder refuses them (steps 2 and 3; a packed vertical step).
  std::vector<int32_t> sixPixels{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_TRUE(YuvLayoutIsMeaningful(Packed(6, 2, 3, sixPixels)));
  YuvLayout tall = Packed(2, 2, 2, yuy2);
  tall.uStepY = 2;
  EXPECT_TRUE(YuvLayoutIsMeaningful(tall));
  YuvLayout planar = Planar(4, code);
  EXPECT_TRUE(YuvLayoutIsMeaningful(planar));  // groupPixels is not used by planes
  planar.uStepY = 0;
  EXPECT_FALSE(YuvLayoutIsMeaningful(planar));
}

// A planar image whose width is not a multiple of the step is converted as long as
// the chroma walk stays inside its plane: width 5, one row per chroma row, U plane
// of 10 / 2 = 5 bytes. The pointer moves after every second pixel of the image, so
// the second row (starting at 5 / 2 = 2) reads 2, 3, 3, 4, 4.
TEST(DescribedYuv, PlanarOddWidthInsideThePlane) {
  std::vector<int32_t> code{0};
  YuvLayout layout = Planar(2, code);
  layout.uStepY = layout.vStepY = 1;
  const V src = test::RandomBytes(20, 8);
  const V rgb = Decode(layout, src, 5, 2);
  const int chroma[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
  for (int p = 0; p < 10; ++p) {
    EXPECT_EQ(At(rgb, p), Pixel(src[p], src[10 + chroma[p]], src[15 + chroma[p]])) << p;
  }
}

}  // namespace
}  // namespace qclr
