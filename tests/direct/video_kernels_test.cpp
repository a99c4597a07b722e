#include <cstddef>
#include <initializer_list>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "direct/kernel_table.h"
#include "direct/video_kernels.h"
#include "direct/video_pixel.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;
using test::kSentinel;
using test::RandomBytes;

// One row of `width` pixels through a kernel, tight rows, destination of `dstBytes`.
Bytes ConvertRow(Kernel kernel, const Bytes& src, int32_t width, size_t dstBytes,
                 int32_t order = 1) {
  Bytes dst(dstBytes, kSentinel);
  EXPECT_EQ(kernel(src.data(), dst.data(), width, 1, 0, 0, order), CLR_OK);
  return dst;
}

// Swaps bytes 0 and 2 of every 3-byte pixel (RGB <-> BGR).
Bytes Swapped(Bytes pixels) {
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
  return pixels;
}

int32_t Yvu9ToRgbKernel(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t oa,
                        int32_t order) {
  return Yvu9ToRgb(s, d, w, h, oa, order);
}

const Bytes kRed = {255, 0, 0}, kGreen = {0, 255, 0}, kBlue = {0, 0, 255};
const Bytes kBlack = {0, 0, 0}, kWhite = {255, 255, 255};

Bytes Join(std::initializer_list<Bytes> pixels) {
  Bytes out;
  for (const Bytes& p : pixels) out.insert(out.end(), p.begin(), p.end());
  return out;
}

TEST(VideoKernels, DecoderDocumentedValues) {
  struct Case {
    Bytes yuv, rgb;
  };
  const Case cases[] = {
      {{16, 128, 128}, {0, 0, 0}},
      {{235, 128, 128}, {255, 255, 255}},  // 261560 / 1024 truncates to 255
      {{255, 255, 255}, {255, 125, 255}},  // R and B clamped from 481 and 534
      {{100, 50, 200}, {213, 70, 0}},      // U weighs into B, V into R
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertRow(YuvToRgb, c.yuv, 1, 3), c.rgb);
    EXPECT_EQ(ConvertRow(YuvToRgb, c.yuv, 1, 3, 0), Swapped(c.rgb));
  }
}

// Two equal pixels through UYVY give the single-pixel Y, U and V.
TEST(VideoKernels, SubsampledEncoderDocumentedValues) {
  struct Case {
    const Bytes& rgb;
    uint8_t y, u, v;
  };
  const Case cases[] = {
      {kBlack, 15, 128, 128},  // sY = -439.5 -> -439 >> 10 = -1
      {kWhite, 234, 128, 128},
      {kRed, 81, 90, 240},  // sU = -38760: the shift rounds down (a division would give 91)
      {kBlue, 40, 240, 109},
      {kGreen, 144, 53, 34},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertRow(RgbToUyvy, Join({c.rgb, c.rgb}), 2, 4), (Bytes{c.u, c.y, c.v, c.y}));
  }
}

TEST(VideoKernels, EveryGreyHasNeutralChroma) {
  uint8_t lastY = 0;
  for (int g = 0; g < 256; ++g) {
    const uint8_t grey[3] = {static_cast<uint8_t>(g), static_cast<uint8_t>(g),
                             static_cast<uint8_t>(g)};
    const VideoSample s = EncodeVideoRangePixel(grey, PlacesFor(1));
    ASSERT_EQ(s.u, 128) << g;
    ASSERT_EQ(s.v, 128) << g;
    ASSERT_GE(s.y, lastY) << g;
    lastY = s.y;
  }
  EXPECT_EQ(lastY, 234);
}

TEST(VideoKernels, FullRangeDocumentedValues) {
  struct Case {
    Kernel kernel;
    Bytes in, out;
  };
  const Case cases[] = {
      {RgbToYuv, kRed, {76, 0, 157}},  // U = -37.23 clamped, no offset added
      {RgbToYuv, kBlue, {29, 110, 0}},
      {RgbToYcc, kBlue, {29, 127, 236}},           // Cb = 127.5 clamped to 127, Cr = -20
      {RgbToYcc, {255, 255, 0}, {225, 0x81, 20}},  // Cb = -127.5 truncates to -127
      {RgbToYcc, kRed, {76, 0xD5, 127}},
      {YccToRgb, {128, 0x80, 0}, {128, 172, 0}},  // Cb 0x80 is -128
      {YccToRgb, {128, 127, 0x80}, {0, 175, 255}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ConvertRow(c.kernel, c.in, 1, 3), c.out);
  }
  // The RGB side in BGR order.
  EXPECT_EQ(ConvertRow(RgbToYcc, Swapped(kRed), 1, 3, 0), (Bytes{76, 0xD5, 127}));
  EXPECT_EQ(ConvertRow(YccToRgb, {128, 0x80, 0}, 1, 3, 0), (Bytes{0, 172, 128}));
}

TEST(VideoKernels, PackedEncodersAverageTheStoredChroma) {
  struct Case {
    const char* name;
    Kernel kernel;
    Bytes rgb;
    Bytes encoded;
  };
  const Case cases[] = {
      // red (81, 90, 240) and blue (40, 240, 109): U 330 / 2, V 349 / 2 truncated
      {"YUY2 red blue", RgbToYuy2, Join({kRed, kBlue}), {81, 165, 40, 174}},
      {"UYVY red blue", RgbToUyvy, Join({kRed, kBlue}), {165, 81, 174, 40}},
      {"YUY2 red black", RgbToYuy2, Join({kRed, kBlack}), {81, 109, 15, 184}},
      // U0/V0 from red, red, blue, green; U4/V4 from black, blue, blue, white.
      {"Y41P",
       RgbToY41p,
       Join({kRed, kRed, kBlue, kGreen, kBlack, kBlue, kBlue, kWhite}),
       {118, 81, 155, 81, 184, 40, 118, 144, 15, 40, 40, 234}},
  };
  for (const Case& c : cases) {
    // The group twice in one row: the second lands right after the first.
    const Bytes rgb = Join({c.rgb, c.rgb});
    const Bytes encoded = Join({c.encoded, c.encoded});
    const int32_t width = static_cast<int32_t>(rgb.size() / 3);
    EXPECT_EQ(ConvertRow(c.kernel, rgb, width, encoded.size()), encoded) << c.name;
    EXPECT_EQ(ConvertRow(c.kernel, Swapped(rgb), width, encoded.size(), 0), encoded) << c.name;
  }
}

// A 4 x 4 block whose rows differ: each row's chroma sum is folded into the running
// sample, which counts as a fifth pixel, so the row order matters.
TEST(VideoKernels, Yvu9FoldsBlockRowsTopToBottom) {
  const Bytes redBlue = Join({kRed, kRed, kBlue, kBlue});
  const Bytes black = Join({kBlack, kBlack, kBlack, kBlack});
  const Bytes blue = Join({kBlue, kBlue, kBlue, kBlue});
  const Bytes white = Join({kWhite, kWhite, kWhite, kWhite});
  struct Case {
    Bytes rgb;
    Bytes luma;
    uint8_t v, u;
  };
  const Case cases[] = {
      // U: 660/4 = 165, (165+512)/5 = 135, (135+960)/5 = 219, (219+512)/5 = 146
      // V: 698/4 = 174, (174+512)/5 = 137, (137+436)/5 = 114, (114+512)/5 = 125
      {Join({redBlue, black, blue, white}),
       {81, 81, 40, 40, 15, 15, 15, 15, 40, 40, 40, 40, 234, 234, 234, 234},
       125,
       146},
      // The same rows bottom up: U 128, 217, 145, 161; V 128, 112, 124, 164.
      {Join({white, blue, black, redBlue}),
       {234, 234, 234, 234, 40, 40, 40, 40, 15, 15, 15, 15, 81, 81, 40, 40},
       164,
       161},
  };
  for (const Case& c : cases) {
    Bytes expected = c.luma;
    expected.push_back(c.v);  // the V plane comes first
    expected.push_back(c.u);
    Bytes yvu9(18, kSentinel);
    ASSERT_EQ(RgbToYvu9(c.rgb.data(), yvu9.data(), 4, 4, 0, 0, 1), CLR_OK);
    EXPECT_EQ(yvu9, expected);
  }
}

// An 8 x 8 image of four uniform blocks: each chroma sample keeps its block's
// single-pixel value and sits at the block's place in its plane.
TEST(VideoKernels, Yvu9UniformBlocksKeepTheirChroma) {
  const Bytes* blocks[2][2] = {{&kRed, &kBlue}, {&kBlack, &kGreen}};
  Bytes rgb;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) rgb = Join({rgb, *blocks[y / 4][x / 4]});
  }
  Bytes yvu9(64 + 8, kSentinel);
  ASSERT_EQ(RgbToYvu9(rgb.data(), yvu9.data(), 8, 8, 0, 0, 1), CLR_OK);
  EXPECT_EQ(Bytes(yvu9.begin() + 64, yvu9.end()), (Bytes{240, 109, 128, 34, 90, 240, 128, 53}));
  EXPECT_EQ(yvu9[0], 81);
  EXPECT_EQ(yvu9[4], 40);
  EXPECT_EQ(yvu9[8 * 7 + 3], 15);
  EXPECT_EQ(yvu9[8 * 7 + 7], 144);
}

// Encoders given a width their layout cannot hold convert the whole groups of each
// row, report the width, and write nothing else.
TEST(VideoKernels, PackedEncodersKeepToWholeGroups) {
  struct Case {
    const char* name;
    Kernel kernel;
    int32_t width, whole;
    ptrdiff_t rowBytes, wholeBytes;
  };
  const Case cases[] = {
      {"YUY2 width 5", RgbToYuy2, 5, 4, 10, 8}, {"UYVY width 7", RgbToUyvy, 7, 6, 14, 12},
      {"UYVY width 1", RgbToUyvy, 1, 0, 2, 0},  {"Y41P width 12", RgbToY41p, 12, 8, 18, 12},
      {"Y41P width 7", RgbToY41p, 7, 0, 10, 0},
  };
  const int32_t height = 3;
  for (const Case& c : cases) {
    const Bytes rgb = RandomBytes(3 * static_cast<size_t>(c.width) * height, 5);
    Bytes dst(static_cast<size_t>(c.rowBytes) * height, kSentinel);
    EXPECT_EQ(c.kernel(rgb.data(), dst.data(), c.width, height, 0, 0, 1), kStatusWidthRuleBroken)
        << c.name;
    for (int32_t y = 0; y < height; ++y) {
      const auto row = dst.begin() + y * c.rowBytes;
      if (c.whole > 0) {
        const Bytes first(rgb.begin() + 3 * c.width * y,
                          rgb.begin() + 3 * c.width * y + 3 * c.whole);
        EXPECT_EQ(Bytes(row, row + c.wholeBytes),
                  ConvertRow(c.kernel, first, c.whole, c.wholeBytes))
            << c.name << " row " << y;
      }
      EXPECT_EQ(Bytes(row + c.wholeBytes, row + c.rowBytes),
                Bytes(c.rowBytes - c.wholeBytes, kSentinel))
          << c.name << " row " << y;
    }
  }
}

// Planes of exactly width x height and (width/4) x (height/4) bytes: only the whole
// blocks are written, with the values they have in the cropped image.
TEST(VideoKernels, Yvu9EncoderKeepsToWholeBlocks) {
  struct Case {
    int32_t width, height, status;
  };
  const Case cases[] = {{6, 4, kStatusWidthRuleBroken},
                        {4, 6, kStatusHeightRuleBroken},
                        {6, 6, kStatusBothRulesBroken},
                        {9, 11, kStatusBothRulesBroken},
                        {3, 3, kStatusBothRulesBroken},
                        {2, 8, kStatusWidthRuleBroken},
                        {8, 8, CLR_OK}};
  for (const Case& c : cases) {
    const Bytes rgb = RandomBytes(3 * static_cast<size_t>(c.width) * c.height, 9);
    const int32_t bw = c.width / 4, bh = c.height / 4;
    const size_t lumaBytes = static_cast<size_t>(c.width) * c.height;
    Bytes dst(lumaBytes + 2 * static_cast<size_t>(bw) * bh, kSentinel);
    EXPECT_EQ(RgbToYvu9(rgb.data(), dst.data(), c.width, c.height, 0, 0, 1), c.status);

    // The whole blocks as their own image.
    const int32_t cw = 4 * bw, ch = 4 * bh;
    Bytes cropped;
    for (int32_t y = 0; y < ch; ++y) {
      const auto row = rgb.begin() + 3 * c.width * y;
      cropped.insert(cropped.end(), row, row + 3 * cw);
    }
    Bytes whole(static_cast<size_t>(cw) * ch + 2 * static_cast<size_t>(bw) * bh);
    if (cw > 0 && ch > 0) {
      ASSERT_EQ(RgbToYvu9(cropped.data(), whole.data(), cw, ch, 0, 0, 1), CLR_OK);
    }

    for (int32_t y = 0; y < c.height; ++y) {
      for (int32_t x = 0; x < c.width; ++x) {
        const uint8_t expected = x < cw && y < ch ? whole[y * cw + x] : kSentinel;
        ASSERT_EQ(dst[y * c.width + x], expected)
            << c.width << "x" << c.height << " at " << x << "," << y;
      }
    }
    EXPECT_EQ(Bytes(dst.begin() + lumaBytes, dst.end()),
              Bytes(whole.begin() + cw * ch, whole.end()))
        << c.width << "x" << c.height;
  }
}

TEST(VideoKernels, DecodersRefuseBrokenSizes) {
  struct Case {
    const char* name;
    Kernel kernel;
    int32_t width, height;
    size_t srcBytes;
  };
  const Case cases[] = {
      {"YUY2 width 5", Yuy2ToRgb, 5, 2, 20},     {"UYVY width 3", UyvyToRgb, 3, 2, 12},
      {"Y41P width 12", Y41pToRgb, 12, 2, 36},   {"YVU9 6 x 4", Yvu9ToRgbKernel, 6, 4, 26},
      {"YVU9 4 x 6", Yvu9ToRgbKernel, 4, 6, 26}, {"YVU9 8 x 2", Yvu9ToRgbKernel, 8, 2, 16},
  };
  for (const Case& c : cases) {
    const Bytes src = RandomBytes(c.srcBytes, 3);
    Bytes dst(3 * static_cast<size_t>(c.width) * c.height, kSentinel);
    EXPECT_EQ(c.kernel(src.data(), dst.data(), c.width, c.height, 0, 0, 1), kStatusNotConverted)
        << c.name;
    EXPECT_EQ(dst, Bytes(dst.size(), kSentinel)) << c.name;
  }
}

// Callers other than the direct route do not check sizes below 1.
TEST(VideoKernels, SizesBelowOneTouchNothing) {
  const Kernel kernels[] = {RgbToYuv,  YuvToRgb,  RgbToYuy2, Yuy2ToRgb,       RgbToUyvy, UyvyToRgb,
                            RgbToY41p, Y41pToRgb, RgbToYvu9, Yvu9ToRgbKernel, RgbToYcc,  YccToRgb};
  const int32_t sizes[][2] = {{0, 4}, {8, 0}, {-8, 4}, {8, -4}, {-4, -4}, {-3, 1}};
  for (const Kernel kernel : kernels) {
    for (const auto& size : sizes) {
      uint8_t src = 1, dst = kSentinel;
      kernel(&src, &dst, size[0], size[1], 4, 4, 1);
      EXPECT_EQ(dst, kSentinel) << size[0] << " x " << size[1];
    }
  }
}

}  // namespace
}  // namespace qclr
