#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "direct/color_space.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::PaddedImage;
using test::RandomBytes;

TEST(SameSpaceCopy, SkipsSourcePaddingAndLeavesDestinationPadding) {
  // RGB, width 5, inAlign 4 -> outAlign 1: 15 bytes a row, one source padding byte.
  PaddedImage src(15, 3, 4), dst(15, 3, 1);
  const auto pixels = RandomBytes(45, 1);
  src.SetRows(pixels);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_RGB, src.data(), dst.data(), 5, 3, 4, 1), 1);
  EXPECT_EQ(dst.size(), 45u);
  EXPECT_EQ(dst.Rows(), pixels);

  PaddedImage padded(15, 3, 8);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_RGB, CSP_RGB, dst.data(), padded.data(), 5, 3, 1, 8), 1);
  EXPECT_EQ(padded.Rows(), pixels);
  EXPECT_TRUE(padded.PaddingIntact());
}

// Every packed space copies its own row length, padded by its own rule.
TEST(SameSpaceCopy, EverySpaceCopiesItsRows) {
  const int32_t spaces[] = {CSP_RGB,  CSP_YUV,  CSP_CMYK, CSP_HSV, CSP_HLS,  CSP_YIQ,
                            CSP_CMY,  CSP_LAB,  CSP_XYZ,  CSP_YUY2, CSP_YCCK, CSP_BGR,
                            CSP_Y41P, CSP_UYVY, CSP_YCC,  CSP_HSI};
  const int32_t width = 8, height = 3;
  for (int32_t space : spaces) {
    const ptrdiff_t row = RowBytes(space, width), base = PaddingBaseBytes(space, width);
    PaddedImage src(row, height, 5, base), dst(row, height, 7, base);
    const auto pixels = RandomBytes(static_cast<size_t>(row) * height, static_cast<uint32_t>(space));
    src.SetRows(pixels);
    ASSERT_EQ(Q_ClrConvertDirect(space, space, src.data(), dst.data(), width, height, 5, 7), 1);
    EXPECT_EQ(dst.Rows(), pixels) << space;
    EXPECT_TRUE(dst.PaddingIntact()) << space;
  }
}

TEST(SameSpaceCopy, XyzRowsKeepAll24BytesAPixel) {
  // Width 2: rows of 48 bytes; padding from a 6-byte row for alignment 4 is 2 bytes.
  PaddedImage src(48, 2, 4, 6), dst(48, 2, 0);
  EXPECT_EQ(src.stride(), 50);
  const auto pixels = RandomBytes(96, 5);
  src.SetRows(pixels);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_XYZ, CSP_XYZ, src.data(), dst.data(), 2, 2, 4, 0), 1);
  EXPECT_EQ(dst.Rows(), pixels);
}

TEST(SameSpaceCopy, Yvu9CopiesThePlanesWhole) {
  // 8 x 4: 32 luminance bytes and two 2 x 1 chroma planes; alignments do not apply.
  const auto planes = RandomBytes(36, 9);
  std::vector<uint8_t> dst(37, test::kSentinel);
  ASSERT_EQ(Q_ClrConvertDirect(CSP_YVU9, CSP_YVU9, planes.data(), dst.data(), 8, 4, 4, 16), 1);
  EXPECT_EQ(std::vector<uint8_t>(dst.begin(), dst.begin() + 36), planes);
  EXPECT_EQ(dst[36], test::kSentinel);
}

// The same buffer re-laid between two alignments, rows growing and shrinking.
TEST(SameSpaceCopy, RelaysRowsInPlace) {
  const int32_t width = 5, height = 40;
  const auto pixels = RandomBytes(15 * height, 21);
  struct Case {
    int32_t from, to;
  };
  for (const Case& c : {Case{1, 8}, Case{8, 1}, Case{4, 16}, Case{16, 3}, Case{0, 1}}) {
    PaddedImage from(15, height, c.from), to(15, height, c.to);
    std::vector<uint8_t> buffer(std::max(from.size(), to.size()), test::kSentinel);
    from.SetRows(pixels);
    std::memcpy(buffer.data(), from.data(), from.size());
    ASSERT_EQ(Q_ClrConvertDirect(CSP_CMY, CSP_CMY, buffer.data(), buffer.data(), width, height,
                                 c.from, c.to), 1);
    std::memcpy(to.data(), buffer.data(), to.size());
    EXPECT_EQ(to.Rows(), pixels) << c.from << " -> " << c.to;
  }
}

}  // namespace
}  // namespace qclr
