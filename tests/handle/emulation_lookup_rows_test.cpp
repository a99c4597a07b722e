// The emulation-table rows: every implementation against the portable row, with
// tables of exactly the bytes their kind uses (so that a read past the grid shows
// under the sanitizers) and pixels that reach the last nodes.
#include "handle/emulation_lookup_rows.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(EmulationLookupRows, EveryImplementationGivesThePortableBytes) {
  struct Kind {
    const char* name;
    const RowVariants<LookupRow>* rows;
    int32_t srcBytes;
    size_t tableBytes;
    Bytes corner;  // a pixel that reads the grid's last node, or its last node read
  };
  const Kind kinds[] = {
      {"CMYK to RGB", &kEmuCmykToRgbRows, 4, 250563, {255, 255, 255, 255}},
      {"RGB to Lab", &kEmuRgbToLabRows, 3, 107811, {255, 255, 255}},
      {"Lab to RGB", &kEmuLabToRgbRows, 3, 107811, {255, 127, 127}},
  };
  std::vector<int32_t> widths = test::AwkwardWidths();
  widths.insert(widths.end(), {100, 255});
  for (const Kind& k : kinds) {
    const Bytes table = test::RandomBytes(k.tableBytes, 7);
    for (int32_t width : widths) {
      Bytes src = test::RandomBytes(static_cast<size_t>(width * k.srcBytes), static_cast<uint32_t>(width));
      // The corner pixel at the start and at the end of the row.
      std::copy(k.corner.begin(), k.corner.end(), src.begin());
      std::copy(k.corner.begin(), k.corner.end(), src.end() - k.srcBytes);
      for (int32_t order : {0, 1}) {
        Bytes expected(3 * static_cast<size_t>(width) + 8, test::kSentinel);
        k.rows->portable(src.data(), table.data(), expected.data(), width, order);
        test::ForEachInstructionSet([&](InstructionSet isa) {
          Bytes out(expected.size(), test::kSentinel);
          SelectRow(*k.rows)(src.data(), table.data(), out.data(), width, order);
          EXPECT_EQ(out, expected) << k.name << ", " << InstructionSetName(isa) << ", width " << width << ", order "
                                   << order;
          if (k.srcBytes == 3) {
            Bytes inPlace = src;
            SelectRow(*k.rows)(inPlace.data(), table.data(), inPlace.data(), width, order);
            EXPECT_TRUE(std::equal(inPlace.begin(), inPlace.end(), expected.begin()))
                << k.name << " in place, " << InstructionSetName(isa) << ", width " << width;
          }
        });
      }
    }
  }
}

}  // namespace
}  // namespace qclr
