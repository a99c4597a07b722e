// RGB <-> BGR rows: every implementation against the portable row, out of place
// and in place, at widths around the 32-pixel steps.
#include "direct/swap_rows.h"

#include <gtest/gtest.h>

#include <vector>

#include "support/test_buffers.h"

namespace qclr {
namespace {

TEST(SwapRows, EveryImplementationGivesThePortableBytes) {
  std::vector<int32_t> widths = test::AwkwardWidths();
  for (int32_t w : {63, 64, 65, 95, 96, 97, 1000}) widths.push_back(w);
  for (int32_t width : widths) {
    const auto src = test::RandomBytes(3 * static_cast<size_t>(width) + 1, static_cast<uint32_t>(width));
    std::vector<uint8_t> expected(src.size(), 0xA5);
    SwapRgbRowPortable(src.data(), expected.data(), width);
    ASSERT_EQ(expected[0], src[2]);
    test::ForEachInstructionSet([&](InstructionSet isa) {
      std::vector<uint8_t> out(src.size(), 0xA5);  // the byte past the row stays
      SelectRow(kSwapRgbRows)(src.data(), out.data(), width);
      EXPECT_EQ(out, expected) << InstructionSetName(isa) << ", width " << width;
      std::vector<uint8_t> inPlace = src;
      inPlace.back() = 0xA5;
      SelectRow(kSwapRgbRows)(inPlace.data(), inPlace.data(), width);
      EXPECT_EQ(inPlace, expected) << InstructionSetName(isa) << " in place, width " << width;
    });
  }
}

}  // namespace
}  // namespace qclr
