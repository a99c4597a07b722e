// RGB <-> BGR rows, plain and inverted: every implementation against the portable
// row, out of place and in place, at widths around the 32- and 64-pixel steps and
// destinations at several places against cache lines.
#include "direct/swap_rows.h"

#include <gtest/gtest.h>

#include <vector>

#include "direct/store_policy.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

TEST(SwapRows, EveryImplementationGivesThePortableBytes) {
  std::vector<int32_t> widths = test::AwkwardWidths();
  for (int32_t w : {47, 48, 49, 63, 64, 65, 95, 96, 97, 127, 128, 129, 1000}) widths.push_back(w);
  for (const RowVariants<SwapRow>* rows : {&kSwapRgbRows, &kSwapInvertRgbRows}) {
    const bool invert = rows == &kSwapInvertRgbRows;
    for (int32_t width : widths) {
      const auto src =
          test::RandomBytes(3 * static_cast<size_t>(width) + 1, static_cast<uint32_t>(width));
      std::vector<uint8_t> expected(src.size(), 0xA5);
      rows->portable(src.data(), expected.data(), width);
      ASSERT_EQ(expected[0], invert ? 255 - src[2] : src[2]);
      for (int streaming : {0, 1}) {  // the rows' ordinary and streaming stores
        ForceStreamingStores(streaming);
        const StreamingStoresScope scope(0);
        test::ForEachInstructionSet([&](InstructionSet isa) {
          const SwapRow row = SelectRow(*rows);
          for (size_t offset : {0, 7, 32}) {  // where the destination lies against cache lines
            // Bytes before and the byte past the row stay.
            std::vector<uint8_t> out(offset + src.size(), 0xA5), want(offset, 0xA5);
            want.insert(want.end(), expected.begin(), expected.end());
            row(src.data(), out.data() + offset, width);
            EXPECT_EQ(out, want) << InstructionSetName(isa) << ", width " << width << ", invert " << invert
                                 << ", streaming " << streaming << ", offset " << offset;
            std::vector<uint8_t> inPlace(offset, 0xA5);
            inPlace.insert(inPlace.end(), src.begin(), src.end());
            inPlace.back() = 0xA5;
            row(inPlace.data() + offset, inPlace.data() + offset, width);
            EXPECT_EQ(inPlace, want) << InstructionSetName(isa) << " in place, width " << width << ", invert "
                                     << invert << ", streaming " << streaming << ", offset " << offset;
          }
        });
      }
      ForceStreamingStores(-1);
    }
  }
}

}  // namespace
}  // namespace qclr
