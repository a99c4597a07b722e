#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <tuple>
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

// The planar decoder has no inAlign.
int32_t Yvu9ToRgbKernel(const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t oa,
                        int32_t order) { return Yvu9ToRgb(s, d, w, h, oa, order); }

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

TEST(VideoKernels, PackedEncodersAverageTheStoredChroma) {
  struct Case {
    const char* name;
    Kernel kernel;
    Bytes rgb, encoded;
  };
  std::vector<Case> cases = {
      // red (81, 90, 240) and blue (40, 240, 109): U 330 / 2, V 349 / 2 truncated
      {"YUY2 red blue", RgbToYuy2, Join({kRed.rgb, kBlue.rgb}), {81, 165, 40, 174}},
      {"UYVY red blue", RgbToUyvy, Join({kRed.rgb, kBlue.rgb}), {165, 81, 174, 40}},
      // U0/V0 from red, red, blue, green; U4/V4 from black, blue, blue, white.
      {"Y41P", RgbToY41p,
       Join({kRed.rgb, kRed.rgb, kBlue.rgb, kGreen.rgb, kBlack.rgb, kBlue.rgb, kBlue.rgb, kWhite.rgb}),
       {118, 81, 155, 81, 184, 40, 118, 144, 15, 40, 40, 234}},
  };
  // Two equal pixels give the single-pixel Y, U and V.
  for (const Colour& c : {kBlack, kWhite, kRed, kBlue, kGreen}) {
    cases.push_back({"UYVY pair", RgbToUyvy, Join({c.rgb, c.rgb}), {c.u, c.y, c.v, c.y}});
  }
  for (const Case& c : cases) {
    // The group twice in one row: the second lands right after the first.
    const Bytes rgb = Join({c.rgb, c.rgb}), encoded = Join({c.encoded, c.encoded});
    Bytes dst(encoded.size(), kSentinel);
    ASSERT_EQ(c.kernel(rgb.data(), dst.data(), static_cast<int32_t>(rgb.size() / 3), 1, 0, 0, 1), CLR_OK);
    EXPECT_EQ(dst, encoded) << c.name << " " << &c - cases.data();
  }
}

// An 8 x 8 image: the top-left block's rows differ, and each row's chroma sum is
// folded into the running sample, which counts as a fifth pixel, so the row order
// matters; the other blocks are uniform and keep their single-pixel chroma. Every Y
// goes to its pixel's place, the V plane follows the Y plane, the U plane the V plane.
TEST(VideoKernels, Yvu9EncoderBlocksAndPlanes) {
  auto colourAt = [](int x, int y) -> const Colour& {
    if (x >= 4 || y >= 4) return y < 4 ? kBlue : (x < 4 ? kBlack : kGreen);
    return y == 0 ? (x < 2 ? kRed : kBlue) : y == 1 ? kBlack : y == 2 ? kBlue : kWhite;
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
  expected.insert(expected.end(), {125, kBlue.v, kBlack.v, kGreen.v, 146, kBlue.u, kBlack.u, kGreen.u});
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
  } const cases[] = {
      {RgbToYuy2, 5, 3, kStatusWidthRuleBroken, 4, 3, 10, 8, 0},
      {RgbToUyvy, 7, 3, kStatusWidthRuleBroken, 6, 3, 14, 12, 0},
      {RgbToY41p, 12, 3, kStatusWidthRuleBroken, 8, 3, 18, 12, 0},
      {RgbToYvu9, 6, 4, kStatusWidthRuleBroken, 4, 4, 6, 4, 2},
      {RgbToYvu9, 4, 6, kStatusHeightRuleBroken, 4, 4, 4, 4, 2},
      {RgbToYvu9, 9, 11, kStatusBothRulesBroken, 8, 8, 9, 8, 8},
      {RgbToYvu9, 3, 3, kStatusBothRulesBroken, 0, 0, 3, 0, 0},
      {Yuy2ToRgb, 5, 2, kStatusNotConverted, 0, 0, 15, 0, 0},
      {UyvyToRgb, 3, 2, kStatusNotConverted, 0, 0, 9, 0, 0},
      {Y41pToRgb, 12, 2, kStatusNotConverted, 0, 0, 36, 0, 0},
      {Yvu9ToRgbKernel, 6, 4, kStatusNotConverted, 0, 0, 18, 0, 0},
      {Yvu9ToRgbKernel, 4, 6, kStatusNotConverted, 0, 0, 12, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << &c - cases);
    // Three bytes a pixel are enough for the source of any of these kernels.
    const Bytes src = RandomBytes(3 * static_cast<size_t>(c.width) * c.height, 5);
    Bytes dst(static_cast<size_t>(c.rowBytes * c.height + c.chromaBytes), kSentinel);
    EXPECT_EQ(c.kernel(src.data(), dst.data(), c.width, c.height, 0, 0, 1), c.status);
    // The cropped image through the kernel, its rows put where the full rows start.
    Bytes cropped, whole(static_cast<size_t>(c.cropRowBytes * c.cropHeight + c.chromaBytes));
    for (int32_t y = 0; y < c.cropHeight; ++y) {
      cropped.insert(cropped.end(), src.begin() + 3 * c.width * y,
                     src.begin() + 3 * (c.width * y + c.cropWidth));
    }
    if (c.cropWidth > 0 && c.cropHeight > 0) {
      ASSERT_EQ(c.kernel(cropped.data(), whole.data(), c.cropWidth, c.cropHeight, 0, 0, 1), CLR_OK);
    }
    Bytes expected(dst.size(), kSentinel);
    for (int32_t y = 0; y < c.cropHeight; ++y) {
      std::copy_n(whole.begin() + y * c.cropRowBytes, c.cropRowBytes, expected.begin() + y * c.rowBytes);
    }
    std::copy_n(whole.end() - c.chromaBytes, c.chromaBytes, expected.end() - c.chromaBytes);
    EXPECT_EQ(dst, expected);
  }
}

// The offsets of the Y, U and V bytes that serve pixel (x, y) of a tight 16 x 8 image.
std::array<int, 3> SampleOf(int32_t space, int x, int y) {
  const int pair = 32 * y + 4 * (x / 2), group = 24 * y + 12 * (x / 8), half = 4 * (x % 8 / 4);
  const int luma41[8] = {1, 3, 5, 7, 8, 9, 10, 11};
  switch (space) {
    case CSP_YUY2: return {pair + 2 * (x % 2), pair + 1, pair + 3};
    case CSP_UYVY: return {pair + 1 + 2 * (x % 2), pair, pair + 2};
    case CSP_Y41P: return {group + luma41[x % 8], group + half, group + half + 2};
    default: return {16 * y + x, 136 + 4 * (y / 4) + x / 4, 128 + 4 * (y / 4) + x / 4};  // Y, V, U planes
  }
}

// Every pixel of a subsampled decoder decodes like a CSP_YUV pixel made of the
// samples that serve it.
TEST(VideoKernels, DecodersUseThePixelsOwnSamples) {
  const int32_t width = 16, height = 8;
  const std::tuple<int32_t, Kernel, size_t> cases[] = {{CSP_YUY2, Yuy2ToRgb, 256},
                                                       {CSP_UYVY, UyvyToRgb, 256},
                                                       {CSP_Y41P, Y41pToRgb, 192},
                                                       {CSP_YVU9, Yvu9ToRgbKernel, 144}};
  for (const auto& [space, decoder, bytes] : cases) {
    const Bytes src = RandomBytes(bytes, static_cast<uint32_t>(space));
    Bytes rgb(3 * width * height), yuv(rgb.size()), expected(rgb.size());
    ASSERT_EQ(decoder(src.data(), rgb.data(), width, height, 0, 0, 1), CLR_OK);
    for (int p = 0; p < width * height; ++p) {
      const auto sample = SampleOf(space, p % width, p / width);
      for (int k = 0; k < 3; ++k) yuv[3 * p + k] = src[sample[k]];
    }
    ASSERT_EQ(YuvToRgb(yuv.data(), expected.data(), width, height, 0, 0, 1), CLR_OK);
    EXPECT_EQ(rgb, expected) << "space " << space;
  }
}

}  // namespace
}  // namespace qclr
