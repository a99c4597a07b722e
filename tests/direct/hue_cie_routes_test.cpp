// The hue-based, YIQ and CIE spaces on the direct route: every kernel with both RGB
// orders and padded rows on both sides, and two-step conversions between them.
#include <bit>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "direct/cie_kernels.h"
#include "direct/hue_kernels.h"
#include "direct/yiq_kernels.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Kernel = int32_t (*)(const uint8_t*, uint8_t*, int32_t, int32_t, int32_t, int32_t, int32_t);
using test::PaddedImage;
using test::RandomBytes;

struct Space {
  const char* name;
  int32_t code;
  Kernel encoder, decoder;
  int32_t pixelBytes;
};

const Space kHsv{"HSV", CSP_HSV, RgbToHsv, HsvToRgb, 3};
const Space kHls{"HLS", CSP_HLS, RgbToHls, HlsToRgb, 3};
const Space kHsi{"HSI", CSP_HSI, RgbToHsi, HsiToRgb, 3};
const Space kYiq{"YIQ", CSP_YIQ, RgbToYiq, YiqToRgb, 3};
const Space kLab{"LAB", CSP_LAB, RgbToLab, LabToRgb, 3};
const Space kXyz{"XYZ", CSP_XYZ, RgbToXyz, XyzToRgb, 24};

// Pixels of `space` from random bytes; XYZ as doubles 0..1, the decoder's range.
std::vector<uint8_t> Sample(const Space& space, int32_t pixels, uint32_t seed) {
  auto bytes = RandomBytes(3 * static_cast<size_t>(pixels), seed);
  if (space.code != CSP_XYZ) return bytes;
  std::vector<uint8_t> xyz(24 * static_cast<size_t>(pixels));
  for (size_t k = 0; k < bytes.size(); ++k) {
    const auto bits = std::bit_cast<uint64_t>(bytes[k] / 255.0);
    for (int b = 0; b < 8; ++b) xyz[8 * k + b] = static_cast<uint8_t>(bits >> (8 * b));
  }
  return xyz;
}

// An image of `space` padded for `align`; XYZ rows take the padding of 3 x width.
PaddedImage Image(const Space& space, int32_t width, int32_t height, int32_t align) {
  return PaddedImage(space.pixelBytes * width, height, align, 3 * width);
}

std::vector<uint8_t> SwapRedBlue(std::vector<uint8_t> rgb) {
  for (size_t k = 0; k < rgb.size(); k += 3) std::swap(rgb[k], rgb[k + 2]);
  return rgb;
}

// Q_ClrConvertDirect reaches each kernel with the source's or destination's RGB
// order; padded rows give the bytes of packed rows, and padding stays untouched.
TEST(HueCieRoutes, OneStepWithBothOrdersAndPadding) {
  const test::CpuLevelScope pinned(2);  // YIQ decodes its first 8 pixels packed
  const int32_t width = 9, height = 3;
  const Space rgbSide{"RGB", CSP_RGB, nullptr, nullptr, 3};
  for (const Space& s : {kHsv, kHls, kHsi, kYiq, kLab, kXyz}) {
    for (int32_t inAlign : {0, 4, 7}) {
      const int32_t outAlign = inAlign == 4 ? 8 : inAlign + 2;
      const auto rgb = RandomBytes(3 * width * height, 12);
      std::vector<uint8_t> encoded(static_cast<size_t>(s.pixelBytes) * width * height);
      s.encoder(rgb.data(), encoded.data(), width, height, 0, 0, 1);
      for (int32_t order : {1, 0}) {
        PaddedImage src = Image(rgbSide, width, height, inAlign);
        PaddedImage dst = Image(s, width, height, outAlign);
        src.SetRows(order ? rgb : SwapRedBlue(rgb));
        ASSERT_EQ(Q_ClrConvertDirect(order ? CSP_RGB : CSP_BGR, s.code, src.data(), dst.data(),
                                     width, height, inAlign, outAlign), 1);
        EXPECT_TRUE(dst.PaddingIntact()) << s.name;
        EXPECT_EQ(dst.Rows(), encoded) << s.name << " order " << order << " align " << inAlign;
      }

      const auto source = Sample(s, width * height, 13);
      std::vector<uint8_t> decoded(rgb.size());
      s.decoder(source.data(), decoded.data(), width, height, 0, 0, 1);
      for (int32_t order : {1, 0}) {
        PaddedImage src = Image(s, width, height, inAlign);
        PaddedImage dst = Image(rgbSide, width, height, outAlign);
        src.SetRows(source);
        ASSERT_EQ(Q_ClrConvertDirect(s.code, order ? CSP_RGB : CSP_BGR, src.data(), dst.data(),
                                     width, height, inAlign, outAlign), 1);
        EXPECT_TRUE(dst.PaddingIntact()) << s.name;
        EXPECT_EQ(dst.Rows(), order ? decoded : SwapRedBlue(decoded))
            << s.name << " order " << order << " align " << inAlign;
      }
    }
  }
}

// Between two of these spaces: the source read with its alignment, a packed RGB
// temporary, the destination written with its alignment and its padding untouched.
TEST(HueCieRoutes, TwoStepsBetweenSpaces) {
  struct Pair {
    const Space& from;
    const Space& to;
  };
  for (const Pair& p : {Pair{kHsv, kLab}, Pair{kXyz, kHsi}, Pair{kLab, kXyz}, Pair{kYiq, kHls},
                        Pair{kHsi, kYiq}}) {
    for (int32_t width : {1, 5, 9}) {
      const int32_t height = 3, inAlign = 4, outAlign = 8;
      PaddedImage src = Image(p.from, width, height, inAlign);
      PaddedImage dst = Image(p.to, width, height, outAlign);
      const auto pixels = Sample(p.from, width * height, static_cast<uint32_t>(width));
      src.SetRows(pixels);
      ASSERT_EQ(Q_ClrConvertDirect(p.from.code, p.to.code, src.data(), dst.data(), width, height,
                                   inAlign, outAlign), 1);
      EXPECT_TRUE(dst.PaddingIntact()) << p.from.name << " -> " << p.to.name;

      std::vector<uint8_t> rgb(3 * static_cast<size_t>(width) * height),
          expected(static_cast<size_t>(p.to.pixelBytes) * width * height);
      p.from.decoder(pixels.data(), rgb.data(), width, height, 0, 0, 1);
      p.to.encoder(rgb.data(), expected.data(), width, height, 0, 0, 1);
      EXPECT_EQ(dst.Rows(), expected) << p.from.name << " -> " << p.to.name << " width " << width;
    }
  }
}

}  // namespace
}  // namespace qclr
