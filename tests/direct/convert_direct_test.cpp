#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "api/memory.h"
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
    int32_t width, height, status;
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
    EXPECT_EQ(Q_ClrConvertDirect(c.srcSpace, c.dstSpace, c.src, c.dst, c.width, c.height, 0, 0), c.status)
        << c.what;
  }
}

TEST(ConvertDirect, RefusesSizesBeyondTheAddressSpace) {
  uint8_t byte = 0;
  EXPECT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_CMY, &byte, &byte + 1, INT32_MAX, INT32_MAX, 0, 0), CLR_ERR_PARAM);
  EXPECT_EQ(Q_ClrConvertDirect(CSP_XYZ, CSP_XYZ, &byte, &byte + 1, INT32_MAX, INT32_MAX, 0, 0), CLR_ERR_PARAM);
}

// In place: RGB swapped to BGR, and CMY re-laid between two alignments, rows growing
// (copied from the last row up, or later rows would be overwritten before they are
// read) and shrinking.
TEST(ConvertDirect, ConvertsInPlace) {
  const int32_t width = 5, height = 40;
  const auto pixels = RandomBytes(15 * height, 21);
  auto swapped = pixels;
  for (size_t i = 0; i < swapped.size(); i += 3) std::swap(swapped[i], swapped[i + 2]);
  const int32_t cases[][3] = {{CSP_BGR, 4, 4}, {CSP_CMY, 1, 8}, {CSP_CMY, 8, 1},
                              {CSP_CMY, 4, 16}, {CSP_CMY, 16, 3}, {CSP_CMY, 0, 1}};
  for (const auto& [space, inAlign, outAlign] : cases) {
    PaddedImage from(15, height, inAlign), to(15, height, outAlign);
    std::vector<uint8_t> buffer(std::max(from.size(), to.size()), test::kSentinel);
    from.SetRows(pixels);
    std::memcpy(buffer.data(), from.data(), from.size());
    ASSERT_EQ(Q_ClrConvertDirect(space == CSP_BGR ? CSP_RGB : space, space, buffer.data(), buffer.data(),
                                 width, height, inAlign, outAlign), 1);
    std::memcpy(to.data(), buffer.data(), to.size());
    EXPECT_EQ(to.Rows(), space == CSP_BGR ? swapped : pixels) << inAlign << " -> " << outAlign;
    if (inAlign == outAlign) { EXPECT_TRUE(to.PaddingIntact()); }
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
