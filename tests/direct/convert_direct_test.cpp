#include <climits>
#include <vector>

#include <gtest/gtest.h>

#include "api/memory.h"
#include "direct/color_space.h"
#include "direct/ink_kernels.h"
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
  };
  const Case cases[] = {
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

TEST(ConvertDirect, RgbBgrSwapRoundTrips) {
  const int32_t width = 7, height = 3;
  const auto pixels = RandomBytes(3 * width * height, 11);
  PaddedImage rgb(3 * width, height, 4), bgr(3 * width, height, 8), back(3 * width, height, 2);
  rgb.SetRows(pixels);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_BGR, rgb.data(), bgr.data(), width, height, 4, 8), 1);
  EXPECT_EQ(bgr.row(1)[0], rgb.row(1)[2]);
  EXPECT_TRUE(bgr.PaddingIntact());
  ASSERT_EQ(Q_ClrConvertDirect(CSP_BGR, CSP_RGB, bgr.data(), back.data(), width, height, 8, 2), 1);
  EXPECT_EQ(back.Rows(), pixels);
  EXPECT_TRUE(back.PaddingIntact());
  // In place, with one layout on both sides.
  ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_BGR, rgb.data(), rgb.data(), width, height, 4, 4), 1);
  EXPECT_EQ(rgb.Rows(), bgr.Rows());
}

TEST(ConvertDirect, EncodersAndDecodersFollowTheRgbOrder) {
  const uint8_t red[3] = {255, 0, 0}, blueFirst[3] = {0, 0, 255};
  uint8_t a[3] = {}, b[3] = {};
  ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_CMY, red, a, 1, 1, 0, 0), 1);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_BGR, CSP_CMY, blueFirst, b, 1, 1, 0, 0), 1);
  EXPECT_EQ(a[0], 0);
  EXPECT_EQ(b[0], 0);
  EXPECT_EQ(b[2], 255);
  uint8_t back[3] = {};
  ASSERT_EQ(Q_ClrConvertDirect(CSP_CMY, CSP_BGR, a, back, 1, 1, 0, 0), 1);
  EXPECT_EQ(back[2], 255);
  EXPECT_EQ(back[0], 0);
}

// Two steps through a tightly packed temporary: odd widths and mixed alignments,
// exact-size buffers (sanitizers catch any overrun), padding untouched.
TEST(ConvertDirect, TwoStepsThroughPackedRgb) {
  for (int32_t width : {1, 3, 5, 9, 17}) {
    for (int32_t inAlign : {0, 1, 4}) {
      for (int32_t outAlign : {0, 3, 8}) {
        const int32_t height = 3;
        PaddedImage cmy(3 * width, height, inAlign), cmyk(4 * width, height, outAlign);
        const auto pixels = RandomBytes(3 * static_cast<size_t>(width) * height, static_cast<uint32_t>(width));
        cmy.SetRows(pixels);
        ASSERT_EQ(Q_ClrConvertDirect(CSP_CMY, CSP_CMYK, cmy.data(), cmyk.data(), width, height,
                                     inAlign, outAlign), 1);
        EXPECT_TRUE(cmyk.PaddingIntact());
        // Expected: decode then encode, each on packed rows.
        std::vector<uint8_t> rgb(pixels.size()), expected(4 * static_cast<size_t>(width) * height);
        CmyToRgb(pixels.data(), rgb.data(), width, height, 0, 0, 1);
        RgbToCmyk(rgb.data(), expected.data(), width, height, 0, 0, 175, 1);
        EXPECT_EQ(cmyk.Rows(), expected) << width << " " << inAlign << " " << outAlign;
      }
    }
  }
}

TEST(ConvertDirect, TwoStepsWithoutMemoryWritesNothing) {
  uint8_t src[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}, dst[16];
  std::fill(std::begin(dst), std::end(dst), test::kSentinel);
  SetAllocationFailure(0);
  EXPECT_EQ(Q_ClrConvertDirect(CSP_CMY, CSP_CMYK, src, dst, 4, 1, 0, 0), CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
  for (uint8_t b : dst) EXPECT_EQ(b, test::kSentinel);
}

}  // namespace
}  // namespace qclr
