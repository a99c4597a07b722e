#include <algorithm>
#include <cstddef>
#include <initializer_list>
#include <vector>

#include <gtest/gtest.h>

#include "direct/kernel_table.h"
#include "direct/video_kernels.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;
using test::kSentinel;
using test::RandomBytes;

// One row of `width` pixels through a kernel, tight rows, destination of `dstBytes`.
Bytes ConvertRow(Kernel kernel, const Bytes& src, int32_t width, size_t dstBytes) {
  Bytes dst(dstBytes, kSentinel);
  EXPECT_EQ(kernel(src.data(), dst.data(), width, 1, 0, 0, 1), CLR_OK);
  return dst;
}

int32_t Yvu9ToRgbKernel(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t oa,
                        int32_t order) {
  return Yvu9ToRgb(s, d, w, h, oa, order);
}

// Colours with the Y, U and V that the subsampled encoders give a single pixel.
struct Colour {
  Bytes rgb;
  uint8_t y, u, v;
};
const Colour kBlack{{0, 0, 0}, 15, 128, 128};  // sY = -439.5 -> -439 >> 10 = -1
const Colour kWhite{{255, 255, 255}, 234, 128, 128};
// sU = -38760: the shift rounds down (a division would give 91).
const Colour kRed{{255, 0, 0}, 81, 90, 240};
const Colour kBlue{{0, 0, 255}, 40, 240, 109};
const Colour kGreen{{0, 255, 0}, 144, 53, 34};

Bytes Join(std::initializer_list<Bytes> pixels) {
  Bytes out;
  for (const Bytes& p : pixels) out.insert(out.end(), p.begin(), p.end());
  return out;
}

// Two equal pixels through UYVY give the single-pixel Y, U and V.
TEST(VideoKernels, SubsampledEncoderDocumentedValues) {
  for (const Colour& c : {kBlack, kWhite, kRed, kBlue, kGreen}) {
    EXPECT_EQ(ConvertRow(RgbToUyvy, Join({c.rgb, c.rgb}), 2, 4), (Bytes{c.u, c.y, c.v, c.y}));
  }
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
      {"YUY2 red blue", RgbToYuy2, Join({kRed.rgb, kBlue.rgb}), {81, 165, 40, 174}},
      {"UYVY red blue", RgbToUyvy, Join({kRed.rgb, kBlue.rgb}), {165, 81, 174, 40}},
      {"YUY2 red black", RgbToYuy2, Join({kRed.rgb, kBlack.rgb}), {81, 109, 15, 184}},
      // U0/V0 from red, red, blue, green; U4/V4 from black, blue, blue, white.
      {"Y41P",
       RgbToY41p,
       Join({kRed.rgb, kRed.rgb, kBlue.rgb, kGreen.rgb, kBlack.rgb, kBlue.rgb, kBlue.rgb,
             kWhite.rgb}),
       {118, 81, 155, 81, 184, 40, 118, 144, 15, 40, 40, 234}},
  };
  for (const Case& c : cases) {
    // The group twice in one row: the second lands right after the first.
    const Bytes rgb = Join({c.rgb, c.rgb});
    const Bytes encoded = Join({c.encoded, c.encoded});
    const int32_t width = static_cast<int32_t>(rgb.size() / 3);
    EXPECT_EQ(ConvertRow(c.kernel, rgb, width, encoded.size()), encoded) << c.name;
  }
}

// An 8 x 8 image: the top-left block's rows differ, and each row's chroma sum is
// folded into the running sample, which counts as a fifth pixel, so the row order
// matters; the other blocks are uniform and keep their single-pixel chroma. Every Y
// goes to its pixel's place, the V plane follows the Y plane, the U plane the V plane.
TEST(VideoKernels, Yvu9EncoderBlocksAndPlanes) {
  auto colourAt = [](int x, int y) -> const Colour& {
    if (x < 4 && y < 4) {
      const Colour* rows[4] = {x < 2 ? &kRed : &kBlue, &kBlack, &kBlue, &kWhite};
      return *rows[y];
    }
    return y < 4 ? kBlue : (x < 4 ? kBlack : kGreen);
  };
  Bytes rgb, expected;
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 8; ++x) {
      rgb = Join({rgb, colourAt(x, y).rgb});
      expected.push_back(colourAt(x, y).y);
    }
  }
  // Top-left U: 660/4 = 165, (165+512)/5 = 135, (135+960)/5 = 219, (219+512)/5 = 146;
  // V: 698/4 = 174, (174+512)/5 = 137, (137+436)/5 = 114, (114+512)/5 = 125 (bottom up
  // the rows would give U 161 and V 164).
  expected.insert(expected.end(),
                  {125, kBlue.v, kBlack.v, kGreen.v, 146, kBlue.u, kBlack.u, kGreen.u});
  Bytes yvu9(72, kSentinel);
  ASSERT_EQ(RgbToYvu9(rgb.data(), yvu9.data(), 8, 8, 0, 0, 1), CLR_OK);
  EXPECT_EQ(yvu9, expected);
}

// Given a size their layout cannot hold, encoders convert the whole pixel groups as
// the cropped image would give them, report the broken rule and write nothing else;
// decoders write nothing and return 0.
TEST(VideoKernels, SizesTheLayoutCannotHold) {
  struct Case {
    Kernel kernel;
    int32_t width, height, status, cropWidth, cropHeight;
    ptrdiff_t rowBytes, cropRowBytes, chromaBytes;  // chroma: the two YVU9 planes
  };
  const Case cases[] = {
      {RgbToYuy2, 5, 3, kStatusWidthRuleBroken, 4, 3, 10, 8, 0},
      {RgbToUyvy, 7, 3, kStatusWidthRuleBroken, 6, 3, 14, 12, 0},
      {RgbToY41p, 12, 3, kStatusWidthRuleBroken, 8, 3, 18, 12, 0},
      {RgbToY41p, 7, 3, kStatusWidthRuleBroken, 0, 3, 10, 0, 0},
      {RgbToYvu9, 6, 4, kStatusWidthRuleBroken, 4, 4, 6, 4, 2},
      {RgbToYvu9, 4, 6, kStatusHeightRuleBroken, 4, 4, 4, 4, 2},
      {RgbToYvu9, 9, 11, kStatusBothRulesBroken, 8, 8, 9, 8, 8},
      {RgbToYvu9, 3, 3, kStatusBothRulesBroken, 0, 0, 3, 0, 0},
      {Yuy2ToRgb, 5, 2, kStatusNotConverted, 0, 0, 15, 0, 0},
      {UyvyToRgb, 3, 2, kStatusNotConverted, 0, 0, 9, 0, 0},
      {Y41pToRgb, 12, 2, kStatusNotConverted, 0, 0, 36, 0, 0},
      {Yvu9ToRgbKernel, 6, 4, kStatusNotConverted, 0, 0, 18, 0, 0},
      {Yvu9ToRgbKernel, 4, 6, kStatusNotConverted, 0, 0, 12, 0, 0},
      {Yvu9ToRgbKernel, 8, 2, kStatusNotConverted, 0, 0, 24, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    // Three bytes a pixel are enough for the source of any of these kernels.
    const Bytes src = RandomBytes(3 * static_cast<size_t>(c.width) * c.height, 5);
    Bytes dst(static_cast<size_t>(c.rowBytes * c.height + c.chromaBytes), kSentinel);
    EXPECT_EQ(c.kernel(src.data(), dst.data(), c.width, c.height, 0, 0, 1), c.status);
    Bytes cropped, whole(static_cast<size_t>(c.cropRowBytes * c.cropHeight + c.chromaBytes));
    for (int32_t y = 0; y < c.cropHeight; ++y) {
      const auto row = src.begin() + 3 * c.width * y;
      cropped.insert(cropped.end(), row, row + 3 * c.cropWidth);
    }
    if (c.cropWidth > 0 && c.cropHeight > 0) {
      ASSERT_EQ(c.kernel(cropped.data(), whole.data(), c.cropWidth, c.cropHeight, 0, 0, 1), CLR_OK);
    }
    Bytes expected(dst.size(), kSentinel);
    for (int32_t y = 0; y < c.cropHeight; ++y) {
      std::copy_n(whole.begin() + y * c.cropRowBytes, c.cropRowBytes,
                  expected.begin() + y * c.rowBytes);
    }
    std::copy_n(whole.end() - c.chromaBytes, c.chromaBytes, expected.end() - c.chromaBytes);
    EXPECT_EQ(dst, expected);
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

// The Y, U and V bytes that serve pixel (x, y) in a tight buffer of the space.
struct Sample {
  ptrdiff_t y, u, v;
};
Sample SampleOf(int32_t space, int32_t width, int32_t height, int32_t x, int32_t y) {
  const ptrdiff_t pair = 2 * ptrdiff_t{width} * y + 4 * (x / 2);
  switch (space) {
    case CSP_YUY2: return {pair + 2 * (x % 2), pair + 1, pair + 3};
    case CSP_UYVY: return {pair + 1 + 2 * (x % 2), pair, pair + 2};
    case CSP_Y41P: {
      static const int luma[8] = {1, 3, 5, 7, 8, 9, 10, 11};
      const ptrdiff_t group = 12 * ptrdiff_t{width} / 8 * y + 12 * (x / 8);
      const int half = x % 8 / 4;
      return {group + luma[x % 8], group + 4 * half, group + 4 * half + 2};
    }
    default: {  // YVU9: the V plane after the Y plane, then the U plane
      const ptrdiff_t planeBytes = ptrdiff_t{width / 4} * (height / 4);
      const ptrdiff_t chroma = ptrdiff_t{width} * height + (y / 4) * (width / 4) + x / 4;
      return {ptrdiff_t{width} * y + x, chroma + planeBytes, chroma};
    }
  }
}

// Every pixel of a subsampled decoder decodes like a CSP_YUV pixel made of the
// samples that serve it.
TEST(VideoKernels, DecodersUseThePixelsOwnSamples) {
  const int32_t width = 16, height = 8;
  struct Case {
    int32_t space;
    Kernel decoder;
    size_t bytes;
  };
  const Case cases[] = {{CSP_YUY2, Yuy2ToRgb, 256},
                        {CSP_UYVY, UyvyToRgb, 256},
                        {CSP_Y41P, Y41pToRgb, 192},
                        {CSP_YVU9, Yvu9ToRgbKernel, 144}};
  for (const Case& c : cases) {
    const Bytes src = RandomBytes(c.bytes, static_cast<uint32_t>(c.space));
    Bytes rgb(3 * width * height), yuv(rgb.size()), expected(rgb.size());
    ASSERT_EQ(c.decoder(src.data(), rgb.data(), width, height, 0, 0, 1), CLR_OK);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const Sample s = SampleOf(c.space, width, height, x, y);
        uint8_t* p = &yuv[3 * (y * width + x)];
        p[0] = src[s.y];
        p[1] = src[s.u];
        p[2] = src[s.v];
      }
    }
    ASSERT_EQ(YuvToRgb(yuv.data(), expected.data(), width, height, 0, 0, 1), CLR_OK);
    EXPECT_EQ(rgb, expected) << "space " << c.space;
  }
}

}  // namespace
}  // namespace qclr
