#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "base/memory.h"
#include "base/row_layout.h"
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

constexpr int32_t kAllSpaces[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 128};

// The pixel bytes of a buffer of `space`, row after row, without the padding.
std::vector<uint8_t> PixelRows(int32_t space, const uint8_t* buffer, int32_t width, int32_t height,
                               int32_t align) {
  if (space == CSP_YVU9) return {buffer, buffer + Yvu9Bytes(width, height)};
  const ptrdiff_t row = RowBytes(space, width);
  const ptrdiff_t stride = row + RowPadding(PaddingBaseBytes(space, width), align);
  std::vector<uint8_t> rows;
  for (int32_t y = 0; y < height; ++y) rows.insert(rows.end(), buffer + y * stride, buffer + y * stride + row);
  return rows;
}

size_t BufferSize(int32_t space, int32_t width, int32_t height, int32_t align) {
  size_t bytes = 0;
  EXPECT_TRUE(BufferBytes(space, width, height, align, &bytes));
  return bytes;
}

// A buffer converted in place (or a destination that overlaps the source)
// receives the bytes an out-of-place conversion gives, also within one space
// between alignments, rows growing (copied from the last row up, or later rows
// would be overwritten before they are read) and shrinking.
TEST(ConvertDirect, InPlaceGivesTheOutOfPlaceBytes) {
  const int32_t width = 16, height = 8;
  const int32_t layouts[][3] = {{0, 0, 0}, {4, 8, 0}, {8, 1, 0}, {0, 0, 5}, {1, 4, 24}};  // inAlign, outAlign, shift
  for (int32_t src : kAllSpaces) {
    for (int32_t dst : kAllSpaces) {
      for (const auto& [inAlign, outAlign, shift] : layouts) {
        if (src == dst && inAlign == outAlign && shift == 0) continue;  // refused as the same buffer
        SCOPED_TRACE(testing::Message() << src << " -> " << dst << ", align " << inAlign << "/" << outAlign
                                        << ", destination at +" << shift);
        const size_t srcBytes = BufferSize(src, width, height, inAlign);
        const size_t dstBytes = BufferSize(dst, width, height, outAlign);
        std::vector<uint8_t> source = RandomBytes(srcBytes, uint32_t(17 * src + dst));
        if (src == CSP_XYZ) {  // doubles in 0..1
          for (size_t i = 0; i + 8 <= srcBytes; i += 8) {
            const double v = source[i] / 255.0;
            std::memcpy(&source[i], &v, 8);
          }
        }
        std::vector<uint8_t> apart(dstBytes, test::kSentinel);
        const int32_t status = Q_ClrConvertDirect(src, dst, source.data(), apart.data(), width, height, inAlign,
                                                  outAlign);
        std::vector<uint8_t> shared(std::max(srcBytes, dstBytes + size_t(shift)), test::kSentinel);
        std::copy(source.begin(), source.end(), shared.begin());
        ASSERT_EQ(Q_ClrConvertDirect(src, dst, shared.data(), shared.data() + shift, width, height, inAlign,
                                     outAlign),
                  status);
        EXPECT_EQ(PixelRows(dst, shared.data() + shift, width, height, outAlign),
                  PixelRows(dst, apart.data(), width, height, outAlign));
      }
    }
  }
}

// A conversion that cannot run in place and finds no memory for its temporary
// buffer writes nothing.
TEST(ConvertDirect, InPlaceWithoutMemoryWritesNothing) {
  const std::vector<uint8_t> pixels = RandomBytes(64 * 4 * 4, 8);
  std::vector<uint8_t> buffer = pixels;
  SetAllocationFailure(0);
  EXPECT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_CMYK, buffer.data(), buffer.data(), 64, 4, 0, 0), CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
  EXPECT_EQ(buffer, pixels);
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
