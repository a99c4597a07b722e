// Buffer layout of the video kernels: which bytes serve which pixel, row padding,
// the order of the RGB side, and the direct route between these spaces.
#include <cstddef>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "direct/color_space.h"
#include "direct/kernel_table.h"
#include "direct/video_kernels.h"
#include "direct/video_pixel.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;
using test::PaddedImage;
using test::RandomBytes;

int32_t Yvu9ToRgbKernel(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t oa,
                        int32_t order) {
  return Yvu9ToRgb(s, d, w, h, oa, order);
}

struct VideoKernel {
  const char* name;
  Kernel kernel;
  int32_t space;
  bool encoder;
  std::vector<int32_t> widths;  // widths the layout holds
};

const std::vector<VideoKernel>& AllKernels() {
  static const std::vector<VideoKernel> kernels = {
      {"RgbToYuv", RgbToYuv, CSP_YUV, true, {1, 5, 7}},
      {"YuvToRgb", YuvToRgb, CSP_YUV, false, {1, 5, 7}},
      {"RgbToYuy2", RgbToYuy2, CSP_YUY2, true, {2, 6}},
      {"Yuy2ToRgb", Yuy2ToRgb, CSP_YUY2, false, {2, 6}},
      {"RgbToUyvy", RgbToUyvy, CSP_UYVY, true, {2, 6}},
      {"UyvyToRgb", UyvyToRgb, CSP_UYVY, false, {2, 6}},
      {"RgbToY41p", RgbToY41p, CSP_Y41P, true, {8, 24}},
      {"Y41pToRgb", Y41pToRgb, CSP_Y41P, false, {8, 24}},
      {"RgbToYvu9", RgbToYvu9, CSP_YVU9, true, {4, 12}},
      {"Yvu9ToRgb", Yvu9ToRgbKernel, CSP_YVU9, false, {4, 12}},
      {"RgbToYcc", RgbToYcc, CSP_YCC, true, {1, 5, 7}},
      {"YccToRgb", YccToRgb, CSP_YCC, false, {1, 5, 7}},
  };
  return kernels;
}

// A buffer of `space`, padded for `align` unless the space is planar.
PaddedImage MakeImage(int32_t space, int32_t width, int32_t height, int32_t align) {
  if (space == CSP_YVU9) return PaddedImage(Yvu9Bytes(width, height), 1, 0);
  return PaddedImage(RowBytes(space, width), height, align);
}

Bytes SwapRedBlue(Bytes pixels) {
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
  return pixels;
}

// Padded rows give the bytes of tight rows, source padding is skipped, destination
// padding is never written; rgbOrder 0 reads and writes the RGB side as BGR.
TEST(VideoLayout, PaddingAndRgbOrder) {
  const int32_t aligns[][2] = {{0, 0}, {3, 4}, {8, 1}, {4, 3}, {2, 8}, {5, 7}};
  for (const VideoKernel& k : AllKernels()) {
    const int32_t from = k.encoder ? CSP_RGB : k.space, to = k.encoder ? k.space : CSP_RGB;
    for (int32_t width : k.widths) {
      for (int32_t height : {4, 8}) {
        PaddedImage tightSrc = MakeImage(from, width, height, 0);
        tightSrc.SetRows(RandomBytes(tightSrc.size(), static_cast<uint32_t>(width * height)));
        PaddedImage tightDst = MakeImage(to, width, height, 0);
        ASSERT_EQ(k.kernel(tightSrc.data(), tightDst.data(), width, height, 0, 0, 1), CLR_OK);
        const Bytes reference = tightDst.Rows();
        for (const auto& align : aligns) {
          for (int32_t order : {0, 1}) {
            Bytes pixels = tightSrc.Rows();
            if (order == 0 && k.encoder) pixels = SwapRedBlue(pixels);
            PaddedImage src = MakeImage(from, width, height, align[0]);
            src.SetRows(pixels);
            PaddedImage dst = MakeImage(to, width, height, align[1]);
            ASSERT_EQ(k.kernel(src.data(), dst.data(), width, height, align[0], align[1], order),
                      CLR_OK);
            const Bytes expected = order == 0 && !k.encoder ? SwapRedBlue(reference) : reference;
            ASSERT_EQ(dst.Rows(), expected)
                << k.name << " width " << width << " height " << height << " aligns " << align[0]
                << "/" << align[1] << " order " << order;
            ASSERT_TRUE(dst.PaddingIntact()) << k.name << " width " << width;
          }
        }
      }
    }
  }
}

// The Y, U and V bytes that serve pixel (x, y) in a tight buffer of the space.
struct Sample {
  ptrdiff_t y, u, v;  // byte positions
};
Sample SampleOf(int32_t space, int32_t width, int32_t height, int32_t x, int32_t y) {
  switch (space) {
    case CSP_YUY2: {
      const ptrdiff_t pair = 2 * ptrdiff_t{width} * y + 4 * (x / 2);
      return {pair + 2 * (x % 2), pair + 1, pair + 3};
    }
    case CSP_UYVY: {
      const ptrdiff_t pair = 2 * ptrdiff_t{width} * y + 4 * (x / 2);
      return {pair + 1 + 2 * (x % 2), pair, pair + 2};
    }
    case CSP_Y41P: {
      static const int luma[8] = {1, 3, 5, 7, 8, 9, 10, 11};
      const ptrdiff_t group = 12 * ptrdiff_t{width} / 8 * y + 12 * (x / 8);
      const int half = x % 8 / 4;
      return {group + luma[x % 8], group + 4 * half, group + 4 * half + 2};
    }
    case CSP_YVU9: {
      const ptrdiff_t planeBytes = ptrdiff_t{width / 4} * (height / 4);
      const ptrdiff_t chroma = ptrdiff_t{width} * height + (y / 4) * (width / 4) + x / 4;
      return {ptrdiff_t{width} * y + x, chroma + planeBytes, chroma};
    }
    default: return {-1, -1, -1};
  }
}

// Every pixel of a subsampled decoder decodes like a CSP_YUV pixel made of the
// samples that serve it.
TEST(VideoLayout, DecodersUseThePixelsOwnSamples) {
  const int32_t width = 16, height = 8;
  for (const int32_t space : {CSP_YUY2, CSP_UYVY, CSP_Y41P, CSP_YVU9}) {
    PaddedImage src = MakeImage(space, width, height, 0);
    src.SetRows(RandomBytes(src.size(), static_cast<uint32_t>(space)));
    Bytes rgb(3 * width * height), yuv(rgb.size()), expected(rgb.size());
    ASSERT_EQ(DirectKernels(space)->decoder(src.data(), rgb.data(), width, height, 0, 0, 1),
              CLR_OK);
    for (int32_t y = 0; y < height; ++y) {
      for (int32_t x = 0; x < width; ++x) {
        const Sample s = SampleOf(space, width, height, x, y);
        uint8_t* p = &yuv[3 * (y * width + x)];
        p[0] = src.data()[s.y];
        p[1] = src.data()[s.u];
        p[2] = src.data()[s.v];
      }
    }
    ASSERT_EQ(YuvToRgb(yuv.data(), expected.data(), width, height, 0, 0, 1), CLR_OK);
    EXPECT_EQ(rgb, expected) << "space " << space;
  }
}

// The direct route runs each space's own kernels with the caller's alignments and
// the RGB side's order.
TEST(VideoLayout, DirectRouteToAndFromRgb) {
  struct Case {
    int32_t space;
    Kernel encoder, decoder;
  };
  const Case cases[] = {{CSP_YUV, RgbToYuv, YuvToRgb},          {CSP_YUY2, RgbToYuy2, Yuy2ToRgb},
                        {CSP_UYVY, RgbToUyvy, UyvyToRgb},       {CSP_Y41P, RgbToY41p, Y41pToRgb},
                        {CSP_YVU9, RgbToYvu9, Yvu9ToRgbKernel}, {CSP_YCC, RgbToYcc, YccToRgb}};
  const int32_t width = 8, height = 4, inAlign = 3, outAlign = 5;
  for (const Case& c : cases) {
    for (const int32_t rgbSpace : {CSP_RGB, CSP_BGR}) {
      const int32_t order = rgbSpace == CSP_RGB ? 1 : 0;
      PaddedImage rgb = MakeImage(rgbSpace, width, height, inAlign);
      rgb.SetRows(RandomBytes(3 * width * height, static_cast<uint32_t>(c.space + rgbSpace)));
      PaddedImage encoded = MakeImage(c.space, width, height, outAlign);
      PaddedImage expected = MakeImage(c.space, width, height, outAlign);
      ASSERT_EQ(Q_ClrConvertDirect(rgbSpace, c.space, rgb.data(), encoded.data(), width, height,
                                   inAlign, outAlign),
                CLR_OK);
      c.encoder(rgb.data(), expected.data(), width, height, inAlign, outAlign, order);
      EXPECT_EQ(encoded.Rows(), expected.Rows()) << "space " << c.space << " from " << rgbSpace;

      PaddedImage decoded = MakeImage(rgbSpace, width, height, outAlign);
      ASSERT_EQ(Q_ClrConvertDirect(c.space, rgbSpace, encoded.data(), decoded.data(), width, height,
                                   outAlign, outAlign),
                CLR_OK);
      PaddedImage decodedExpected = MakeImage(rgbSpace, width, height, outAlign);
      c.decoder(encoded.data(), decodedExpected.data(), width, height, outAlign, outAlign, order);
      EXPECT_EQ(decoded.Rows(), decodedExpected.Rows())
          << "space " << c.space << " to " << rgbSpace;
    }
  }
}

// Each space once as the source and once as the destination of the two-step route.
TEST(VideoLayout, DirectRouteBetweenTwoVideoSpaces) {
  const int32_t width = 8, height = 8;
  const int32_t pairs[][4] = {
      {CSP_YUY2, CSP_YVU9, 3, 7}, {CSP_YVU9, CSP_Y41P, 4, 5}, {CSP_Y41P, CSP_YCC, 5, 2},
      {CSP_YCC, CSP_UYVY, 2, 6},  {CSP_UYVY, CSP_YUV, 7, 3},  {CSP_YUV, CSP_YUY2, 1, 8},
  };
  for (const auto& p : pairs) {
    const int32_t from = p[0], to = p[1], inAlign = p[2], outAlign = p[3];
    PaddedImage src = MakeImage(from, width, height, inAlign);
    src.SetRows(RandomBytes(src.size(), static_cast<uint32_t>(from * 16 + to)));
    PaddedImage dst = MakeImage(to, width, height, outAlign);
    ASSERT_EQ(
        Q_ClrConvertDirect(from, to, src.data(), dst.data(), width, height, inAlign, outAlign),
        CLR_OK)
        << from << " -> " << to;
    // The same through a tight RGB buffer by hand.
    Bytes rgb(3 * width * height);
    PaddedImage expected = MakeImage(to, width, height, outAlign);
    ASSERT_EQ(DirectKernels(from)->decoder(src.data(), rgb.data(), width, height, inAlign, 0, 1),
              CLR_OK);
    ASSERT_EQ(
        DirectKernels(to)->encoder(rgb.data(), expected.data(), width, height, 0, outAlign, 1),
        CLR_OK);
    EXPECT_EQ(dst.Rows(), expected.Rows()) << from << " -> " << to;
    EXPECT_TRUE(dst.PaddingIntact()) << from << " -> " << to;
  }
}

}  // namespace
}  // namespace qclr
