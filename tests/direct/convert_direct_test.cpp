#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "direct/color_space.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::PaddedImage;
using test::RandomBytes;

// The validation steps in their order: the first failing test decides.
TEST(ConvertDirect, ValidatesInOrder) {
  uint8_t src[4096] = {}, dst[4096] = {};
  struct Case {
    const char* what;
    int32_t srcSpace, dstSpace;
    const uint8_t* src;
    uint8_t* dst;
    int32_t width, height;
    int32_t status;
  } const cases[] = {
      {"source code 16", 16, CSP_RGB, src, dst, 4, 4, CLR_ERR_COLORSPACE},
      {"source code -1", -1, CSP_RGB, src, dst, 4, 4, CLR_ERR_COLORSPACE},
      {"source code 129", 129, CSP_RGB, src, dst, 4, 4, CLR_ERR_COLORSPACE},
      {"bad source before null destination", 16, CSP_RGB, src, nullptr, 4, 4, CLR_ERR_COLORSPACE},
      {"null source before bad destination", CSP_RGB, 16, nullptr, dst, 4, 4, CLR_ERR_PARAM},
      {"width 0", CSP_RGB, CSP_CMY, src, dst, 0, 4, CLR_ERR_PARAM},
      {"height -1", CSP_RGB, CSP_CMY, src, dst, 4, -1, CLR_ERR_PARAM},
      {"Y41P width 12", CSP_Y41P, 16, src, dst, 12, 4, CLR_ERR_PARAM},
      {"YVU9 8 x 6", CSP_YVU9, CSP_RGB, src, dst, 8, 6, CLR_ERR_PARAM},
      {"odd YUY2 before bad destination", CSP_YUY2, 16, src, dst, 5, 2, CLR_ERR_PARAM},
      {"destination code 16", CSP_RGB, 16, src, dst, 4, 4, CLR_ERR_COLORSPACE},
      {"null destination", CSP_RGB, CSP_CMY, src, nullptr, 4, 4, CLR_ERR_PARAM},
      {"odd UYVY destination", CSP_RGB, CSP_UYVY, src, dst, 5, 2, CLR_ERR_PARAM},
      {"Y41P width 16 accepted", CSP_Y41P, CSP_Y41P, src, dst, 16, 4, CLR_OK},
      {"HSI code 128 accepted", CSP_HSI, CSP_HSI, src, dst, 4, 4, CLR_OK},
      {"same buffer, space and alignment", CSP_CMY, CSP_CMY, src, src, 4, 4, CLR_ERR_SAME_BUFFER},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Q_ClrConvertDirect(c.srcSpace, c.dstSpace, c.src, c.dst, c.width, c.height, 0, 0),
              c.status)
        << c.what;
  }
}

TEST(ConvertDirect, RefusesSizesBeyondTheAddressSpace) {
  uint8_t byte = 0;
  EXPECT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_CMY, &byte, &byte + 1, INT32_MAX, INT32_MAX, 0, 0),
            CLR_ERR_PARAM);
  EXPECT_EQ(Q_ClrConvertDirect(CSP_XYZ, CSP_XYZ, &byte, &byte + 1, INT32_MAX, INT32_MAX, 0, 0),
            CLR_ERR_PARAM);
  size_t bytes = 0;
  EXPECT_FALSE(BufferBytes(CSP_CMYK, INT32_MAX, INT32_MAX, 4, &bytes));
  EXPECT_TRUE(BufferBytes(CSP_CMYK, 5, 3, 8, &bytes));
  EXPECT_EQ(bytes, 24u * 2 + 20);
}

// RGB to BGR in place, with one layout on both sides.
TEST(ConvertDirect, SwapsRgbAndBgrInPlace) {
  const int32_t width = 7, height = 3;
  auto pixels = RandomBytes(3 * width * height, 11);
  PaddedImage image(3 * width, height, 4);
  image.SetRows(pixels);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_BGR, image.data(), image.data(), width, height, 4, 4), 1);
  for (size_t i = 0; i < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
  EXPECT_EQ(image.Rows(), pixels);
  EXPECT_TRUE(image.PaddingIntact());
}

// The same buffer re-laid between two alignments, rows growing (copied from the last
// row up, or later rows would be overwritten before they are read) and shrinking.
TEST(ConvertDirect, RelaysRowsInPlace) {
  const int32_t width = 5, height = 40;
  const auto pixels = RandomBytes(15 * height, 21);
  const int32_t cases[][2] = {{1, 8}, {8, 1}, {4, 16}, {16, 3}, {0, 1}};
  for (const auto& c : cases) {
    PaddedImage from(15, height, c[0]), to(15, height, c[1]);
    std::vector<uint8_t> buffer(std::max(from.size(), to.size()), test::kSentinel);
    from.SetRows(pixels);
    std::memcpy(buffer.data(), from.data(), from.size());
    ASSERT_EQ(Q_ClrConvertDirect(CSP_CMY, CSP_CMY, buffer.data(), buffer.data(), width, height,
                                 c[0], c[1]), 1);
    std::memcpy(to.data(), buffer.data(), to.size());
    EXPECT_EQ(to.Rows(), pixels) << c[0] << " -> " << c[1];
  }
}

TEST(ConvertDirect, TwoStepsWithoutMemoryWritesNothing) {
  const std::vector<uint8_t> src = RandomBytes(12, 3), untouched(16, test::kSentinel);
  std::vector<uint8_t> dst = untouched;
  SetAllocationFailure(0);
  EXPECT_EQ(Q_ClrConvertDirect(CSP_CMY, CSP_CMYK, src.data(), dst.data(), 4, 1, 0, 0), CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
  EXPECT_EQ(dst, untouched);
}

}  // namespace
}  // namespace qclr
