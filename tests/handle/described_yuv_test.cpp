#include "handle/described_yuv.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::kSentinel;
using V = std::vector<uint8_t>;

YuvLayout Packed(int32_t n, int32_t uStepX, int32_t vStepX, std::vector<int32_t>& offsets) {
  return {QCLR_YUV_LAYOUT_SIZE, 0, uStepX, 1, vStepX, 1, offsets.data(), n, 0, 0};
}

YuvLayout Planar(int32_t stepX, int32_t stepY, std::vector<int32_t>& code) {
  return {QCLR_YUV_LAYOUT_SIZE, 0, stepX, stepY, stepX, stepY, code.data(), 0, 0, 1};
}

// The decoder's pixel from stored samples, for telling which samples were read.
V Pixel(int y, int u, int v) {
  y -= 16, u -= 128, v -= 128;
  auto limit = [](int x) { return static_cast<uint8_t>(std::clamp(x, 0, 255)); };
  return {limit((1192 * y + 1634 * v) >> 10), limit((1192 * y - 400 * u - 833 * v) >> 10),
          limit((1192 * y + 2066 * u) >> 10)};
}

// Decodes into rows padded for outAlign 8, starting as sentinels so that unwritten
// pixels show, and checks the padding stayed untouched; returns the pixels.
V Decode(const YuvLayout& layout, const V& src, int32_t width, int32_t height, int32_t inAlign = 0,
         int32_t rgbOrder = 1) {
  test::PaddedImage dst(3 * width, height, 8);
  std::fill(dst.data(), dst.data() + dst.size(), kSentinel);
  EXPECT_EQ(DescribedYuvToRgb(layout, src.data(), dst.data(), width, height, inAlign, 8, rgbOrder), CLR_OK);
  EXPECT_TRUE(dst.PaddingIntact());
  return dst.Rows();
}

V At(const V& rgb, int p) { return V(rgb.begin() + 3 * p, rgb.begin() + 3 * p + 3); }

TEST(DescribedYuv, PixelFormulaLimitsEachChannel) {
  std::vector<int32_t> offsets{0, 1, 2};  // 4:4:4, one pixel a group
  YuvLayout layout = Packed(1, 1, 1, offsets);
  EXPECT_EQ(Decode(layout, {16, 128, 128}, 1, 1), (V{0, 0, 0}));
  EXPECT_EQ(Decode(layout, {235, 128, 128}, 1, 1), (V{254, 254, 254}));  // 1192 x 219 >> 10
  EXPECT_EQ(Decode(layout, {100, 90, 240}, 1, 1, 0, 0), (V{21, 21, 255}));  // red on BGR
  layout.noOffsets = 1;
  EXPECT_EQ(Decode(layout, {0, 0, 0}, 1, 1), (V{0, 0, 0}));
  EXPECT_EQ(Decode(layout, {255, 0, 0}, 1, 1), (V{255, 255, 255}));
}

// Pixel p uses the entries of place p mod n in group p / n, at byte (p / n) x groupBytes plus the
// padding of every row end (of 3 x width bytes) before p, even in the middle of a group.
TEST(DescribedYuv, PackedGroups) {
  struct Case {
    const char* what;
    int32_t n, uStepX, vStepX;
    std::vector<int32_t> offsets;
    int32_t groupBytes, width, height, inAlign, rowPadding;
  };
  std::vector<Case> cases = {
      {"YUY2: Y0 U Y1 V", 2, 2, 2, {0, 2, 1, 3}, 4, 4, 1, 0, 0},
      {"4:1:1: U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7", 8, 4, 4, {1, 3, 5, 7, 8, 9, 10, 11, 0, 4, 2, 6}, 12, 16, 1, 0, 0},
      // The floating-point quotient (1/3 + 1/3 + 1) x 3 truncates to 4; the groups
      // must not overlap.
      {"steps of 3", 3, 3, 3, {0, 1, 2, 3, 4}, 5, 6, 1, 0, 0},
      {"YUY2 across padded row ends", 2, 2, 2, {0, 2, 1, 3}, 4, 3, 2, 4, 3},
  };
  for (Case& c : cases) {
    const YuvLayout layout = Packed(c.n, c.uStepX, c.vStepX, c.offsets);
    ASSERT_EQ(PackedGroupBytes(layout), c.groupBytes) << c.what;
    const V src = test::RandomBytes(64, 5);
    const V rgb = Decode(layout, src, c.width, c.height, c.inAlign);
    const int uAt = c.n, vAt = c.n + c.n / c.uStepX;
    for (int p = 0; p < c.width * c.height; ++p) {
      const int base = p / c.n * c.groupBytes + p / c.width * c.rowPadding, j = p % c.n;
      EXPECT_EQ(At(rgb, p), Pixel(src[base + c.offsets[j]], src[base + c.offsets[uAt + j / c.uStepX]],
                                  src[base + c.offsets[vAt + j / c.vStepX]]))
          << c.what << ", pixel " << p;
    }
  }
}

// Steps of 2 on a 4 x 2 image: a Y plane of 8 bytes and U and V planes of 2 bytes,
// in the order of the code; both rows use the same chroma samples.
TEST(DescribedYuv, PlanarPlaneOrdersAndSubsampling) {
  const int width = 4, height = 2;
  const V src = test::RandomBytes(20, 3);
  const int planeBytes[3] = {8, 2, 2};
  const int orders[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2}, {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  for (int32_t c = 0; c < 6; ++c) {
    int start[3], at = 0;
    for (int plane : orders[c]) start[plane] = at, at += planeBytes[plane];
    std::vector<int32_t> code{c};
    const V rgb = Decode(Planar(2, 2, code), src, width, height, 1, 0);
    for (int p = 0; p < width * height; ++p) {
      const int chroma = (p % width) / 2;
      const V expected = Pixel(src[start[0] + p], src[start[1] + chroma], src[start[2] + chroma]);
      EXPECT_EQ(At(rgb, p), (V{expected[2], expected[1], expected[0]})) << "code " << c << " pixel " << p;
    }
  }
  // Width 5, one row per chroma row, a U plane of 10 / 2 = 5 bytes: the chroma
  // pointer moves after every second pixel of the image, so row 2 reads 2, 3, 3, 4, 4.
  std::vector<int32_t> code{0};
  const V odd = Decode(Planar(2, 1, code), src, 5, 2);
  const int chroma[] = {0, 0, 1, 1, 2, 2, 3, 3, 4, 4};
  for (int p = 0; p < 10; ++p) EXPECT_EQ(At(odd, p), Pixel(src[p], src[10 + chroma[p]], src[15 + chroma[p]])) << p;
}

// Every refusal writes nothing. (Layouts that Q_ClrInit refuses too are tested
// with it.)
TEST(DescribedYuv, RefusedLayoutsWriteNothing) {
  std::vector<int32_t> yuy2{0, 2, 1, 3}, negative{0, -1, 1, 3}, code{0};
  std::vector<int32_t> sixPixels{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  std::vector<int32_t> eight444(24);  // 4:4:4 in groups of 8, the first Y at the group's end
  for (int32_t i = 0; i < 24; ++i) eight444[size_t(i)] = 23 - i;
  struct Case {
    const char* what;
    YuvLayout layout;
    int32_t width, height, inAlign;
  };
  auto with = [](YuvLayout l, auto change) { change(l); return l; };
  const YuvLayout packed = Packed(2, 2, 2, yuy2), planar = Planar(2, 2, code);
  const Case cases[] = {
      {"packed uStepY 2", with(packed, [](YuvLayout& l) { l.uStepY = 2; }), 4, 2, 0},
      {"vertical steps 2 and 3", with(planar, [](YuvLayout& l) { l.vStepY = 3; }), 6, 6, 0},
      {"horizontal steps 2 and 3", Packed(6, 2, 3, sixPixels), 6, 2, 0},
      {"planar inAlign 4", planar, 4, 2, 4},
      {"group not a multiple of its steps", with(packed, [](YuvLayout& l) { l.groupPixels = 3; }), 4, 2, 0},
      {"negative offset", Packed(2, 2, 2, negative), 4, 2, 0},
      {"odd width walks past the U plane", planar, 5, 2, 0},
      {"odd height walks past the chroma planes", planar, 4, 3, 0},
      // A partial group at the end would read the rest of its group past the image.
      {"1 x 1 in groups of 2", packed, 1, 1, 0},
      {"3 x 3 in groups of 2", packed, 3, 3, 4},
      {"1 x 1 in a group of 8", Packed(8, 1, 1, eight444), 1, 1, 0},
      {"12 x 1 in groups of 8", Packed(8, 1, 1, eight444), 12, 1, 0},
  };
  const V src(64, 128);
  for (const Case& c : cases) {
    V dst(128, kSentinel);
    EXPECT_EQ(DescribedYuvToRgb(c.layout, src.data(), dst.data(), c.width, c.height, c.inAlign, 0, 1), CLR_ERR_PARAM)
        << c.what;
    EXPECT_EQ(dst, V(128, kSentinel)) << c.what;
  }
}

// Through a handle: the refusal is the conversion's status, and a source as long as
// the pixels it describes (3 bytes for a 1 x 1 image) is not read past.
TEST(DescribedYuv, HandleRefusesAPartialGroup) {
  int32_t offsets[] = {0, 2, 1, 3};
  YuvLayout layout{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, offsets, 2, 0, 0};
  ConversionParams p{};
  p.structSize = QCLR_CONVERSION_PARAMS_SIZE;
  p.method = p.flags = METHOD_BUILTIN;
  p.yuvLayout = &layout;
  ClrHandle* h = nullptr;
  ASSERT_EQ(Q_ClrInit(&h, CSP_YUV, CSP_RGB, &p), CLR_OK);
  const V src = {100, 110, 120};
  V dst(3, kSentinel);
  EXPECT_EQ(Q_ClrConvert(h, src.data(), dst.data(), 1, 1, 0, 0), CLR_ERR_PARAM);
  EXPECT_EQ(dst, V(3, kSentinel));
  const V pair = {100, 110, 120, 130};
  V two(6, kSentinel);
  EXPECT_EQ(Q_ClrConvert(h, pair.data(), two.data(), 2, 1, 0, 0), CLR_OK);
  EXPECT_EQ(two, Decode(layout, pair, 2, 1));
  EXPECT_EQ(Q_ClrFree(h), CLR_OK);
}

}  // namespace
}  // namespace qclr
