#include "direct/ycck_kernels.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "base/memory.h"
#include "direct/conversion_tables.h"
#include "numeric/mul_div.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using test::RandomBytes;
using V = std::vector<uint8_t>;

V ToYcck(V rgb, int32_t order = 1) {
  V out(rgb.size() / 3 * 4);
  EXPECT_EQ(RgbToYcck(rgb.data(), out.data(), static_cast<int32_t>(rgb.size() / 3), 1, 0, 0, order),
            CLR_OK);
  return out;
}

V FromYcck(V ycck, int level) {
  test::CpuLevelScope pinned(level);
  V out(ycck.size() / 4 * 3);
  EXPECT_EQ(YcckToRgb(LibraryYccTables(), ycck.data(), out.data(), static_cast<int32_t>(ycck.size() / 4), 1, 0, 0, 1),
            CLR_OK);
  return out;
}

TEST(Ycck, DocumentedValues) {
  EXPECT_EQ(ToYcck({255, 255, 255}), (V{255, 128, 128, 0}));  // no ink at all
  EXPECT_EQ(ToYcck({0, 0, 0}), (V{255, 128, 128, 255}));      // all black, no colour ink
  EXPECT_EQ(ToYcck({0, 0, 255}, 0), ToYcck({255, 0, 0}, 1));  // BGR reads R from byte 2
  for (int level : {0, 2}) {
    EXPECT_EQ(FromYcck({255, 128, 128, 0}, level), (V{255, 255, 255}));
    EXPECT_EQ(FromYcck({255, 128, 128, 255}, level), (V{0, 0, 0}));
  }
}

TEST(Ycck, TableStepsRoundTripCmykWithinRounding) {
  const V cmyk = RandomBytes(4 * 64, 3);
  V ycck(cmyk.size()), back(cmyk.size());
  ASSERT_EQ(CmykToYcck(LibraryYccTables(), cmyk.data(), ycck.data(), 64, 1, 0, 0), CLR_OK);
  ASSERT_EQ(YcckToCmyk(LibraryYccTables(), ycck.data(), back.data(), 64, 1, 0, 0), CLR_OK);
  for (size_t i = 0; i < cmyk.size(); ++i) {
    // K passes through.
    EXPECT_LE(std::abs(back[i] - cmyk[i]), i % 4 == 3 ? 0 : 2) << i;
  }
}

// The 8-pixel lanes against their own definition, and within 2 levels of MulDiv.
TEST(Ycck, PackedRowMatchesItsDefinitionAndTheMulDivFormula) {
  for (int32_t width : test::AwkwardWidths()) {
    for (int32_t order : {0, 1}) {
      const V cmyk = RandomBytes(4 * static_cast<size_t>(width), static_cast<uint32_t>(width));
      V packed(3 * static_cast<size_t>(width)), exact(packed.size()), expected(packed.size());
      CmykToRgbMulDivRowPacked(cmyk.data(), packed.data(), width, order);
      CmykToRgbMulDivRow(cmyk.data(), exact.data(), width, order);
      const int32_t grouped = width / 8 * 8;
      for (int32_t x = 0; x < grouped; ++x) CmykToRgbShiftPixel(&cmyk[4 * x], &expected[3 * x], order);
      CmykToRgbMulDivRow(&cmyk[4 * grouped], &expected[3 * grouped], width - grouped, order);
      ASSERT_EQ(packed, expected) << width;
      for (size_t i = 0; i < packed.size(); ++i) ASSERT_LE(std::abs(packed[i] - exact[i]), 2);
    }
  }
  // Width 9: eight pixels by the lanes, the ninth by MulDiv. For C = 10, K = 250
  // the lanes give 255 - (10 - 9 + 250) = 4, MulDiv(10, 250, 255) = 10 gives 5.
  V nine(36, 0);
  for (int p = 0; p < 9; ++p) nine[4 * p] = 10, nine[4 * p + 3] = 250;
  V out(27);
  CmykToRgbMulDivRowPacked(nine.data(), out.data(), 9, 1);
  EXPECT_EQ(out[0], 4);
  EXPECT_EQ(out[21], 4);
  EXPECT_EQ(out[24], 5);
}

// The vector rows divide by 255 as (m + 1 + (m >> 8)) >> 8 in 16-bit lanes: equal
// to MulDiv(x, K, 255) for every pair.
TEST(Ycck, MulDivByShiftsForEveryPair) {
  for (int32_t x = 0; x < 256; ++x) {
    for (int32_t k = 0; k < 256; ++k) {
      const int32_t m = x * k + 127;
      ASSERT_EQ((m + 1 + (m >> 8)) >> 8, MulDiv(x, k, 255)) << x << " " << k;
    }
  }
}

TEST(Ycck, FailedIntermediateWritesNothing) {
  V rgb = RandomBytes(30, 1), out(40, test::kSentinel);
  SetAllocationFailure(0);
  EXPECT_EQ(RgbToYcck(rgb.data(), out.data(), 10, 1, 0, 0, 1), CLR_ERR_NOMEM);
  SetAllocationFailure(0);
  EXPECT_EQ(YcckToRgb(LibraryYccTables(), out.data(), rgb.data(), 10, 1, 0, 0, 1), CLR_ERR_NOMEM);
  SetAllocationFailure(-1);
  EXPECT_EQ(out, V(40, test::kSentinel));
}

}  // namespace
}  // namespace qclr
