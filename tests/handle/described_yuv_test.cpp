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

// Pixel p lies in group p / n at byte (p / n) x groupBytes and uses the entries of
// its place j = p mod n.
TEST(DescribedYuv, PackedGroups) {
  struct Case {
    const char* what;
    int32_t n, uStepX, vStepX;
    std::vector<int32_t> offsets;
    int32_t groupBytes;
  };
  std::vector<Case> cases = {
      {"YUY2: Y0 U Y1 V", 2, 2, 2, {0, 2, 1, 3}, 4},
      {"4:1:1: U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7", 8, 4, 4,
       {1, 3, 5, 7, 8, 9, 10, 11, 0, 4, 2, 6}, 12},
      // The floating-point quotient (1/3 + 1/3 + 1) x 3 truncates to 4; the groups
      // must not overlap.
      {"steps of 3", 3, 3, 3, {0, 1, 2, 3, 4}, 5},
  };
  for (Case& c : cases) {
    const YuvLayout layout = Packed(c.n, c.uStepX, c.vStepX, c.offsets);
    ASSERT_TRUE(YuvLayoutIsMeaningful(layout)) << c.what;
    ASSERT_EQ(PackedGroupBytes(layout), c.groupBytes) << c.what;
    const int32_t width = 2 * c.n;
    const V src = test::RandomBytes(2 * static_cast<size_t>(c.groupBytes), 5);
    const V rgb = Decode(layout, src, width, 1);
    const int32_t uAt = c.n, vAt = c.n + c.n / c.uStepX;
    for (int p = 0; p < width; ++p) {
      const int base = p / c.n * c.groupBytes, j = p % c.n;
      EXPECT_EQ(At(rgb, p), Pixel(src[base + c.offsets[j]], src[base + c.offsets[uAt + j / c.uStepX]],
                                  src[base + c.offsets[vAt + j / c.vStepX]]))
          << c.what << ", pixel " << p;
    }
  }
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

// Steps of 2 on a 4 x 2 image: a Y plane of 8 bytes and U and V planes of 2 bytes,
// in the order of the code; both rows use the same chroma samples. The destination
// starts as sentinels, so the last pixel must be written too.
TEST(DescribedYuv, PlanarPlaneOrdersAndSubsampling) {
  const int width = 4, height = 2;
  const V src = test::RandomBytes(12, 3);
  const int planeBytes[3] = {8, 2, 2};
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int32_t c = 0; c < 6; ++c) {
    int start[3], at = 0;
    for (int plane : orders[c]) start[plane] = at, at += planeBytes[plane];
    std::vector<int32_t> code{c};
    PaddedImage dst(3 * width, height, 8);
    std::fill(dst.data(), dst.data() + dst.size(), kSentinel);
    ASSERT_EQ(DescribedYuvToRgb(Planar(2, code), src.data(), dst.data(), width, height, 1, 8, 0),
              CLR_OK);
    EXPECT_TRUE(dst.PaddingIntact());
    const V rgb = dst.Rows();
    for (int p = 0; p < width * height; ++p) {
      const int chroma = (p % width) / 2;
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
