// Checks shared by the tests of the rows of pixel kernels with several
// implementations: every implementation the machine runs against the portable row.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "base/rgb_positions.h"
#include "base/row_variants.h"
#include "support/test_buffers.h"

namespace qclr::test {

using PixelRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);

struct RowShape {
  int srcPixelBytes = 3;
  int dstPixelBytes = 3;
  bool inPlace = true;  // the destination may be the source itself
};

// Random rows of awkward widths (and around blocks of 8 and 16 pixels), both byte
// orders, at even and odd source offsets, beginning with the `special` source
// pixels; the byte after the row must keep its sentinel.
inline void ExpectEveryRowMatchesPortable(const RowVariants<PixelRow>& rows, RowShape shape,
                                          const std::vector<uint8_t>& special = {}) {
  std::vector<int32_t> widths = AwkwardWidths();
  for (int32_t w : {47, 48, 49, 127, 128, 129, 1000}) widths.push_back(w);
  for (int32_t width : widths) {
    const size_t srcBytes = static_cast<size_t>(width) * shape.srcPixelBytes;
    const size_t dstBytes = static_cast<size_t>(width) * shape.dstPixelBytes;
    for (const RgbPositions pos : {RgbPositionsFor(1), RgbPositionsFor(0)}) {
      for (size_t offset : {0, 1}) {
        std::vector<uint8_t> src = RandomBytes(offset + srcBytes, static_cast<uint32_t>(width * 2 + offset));
        std::memcpy(src.data() + offset, special.data(), std::min(special.size(), srcBytes));
        std::vector<uint8_t> expected(dstBytes + 1, kSentinel);
        rows.portable(src.data() + offset, expected.data(), width, pos);
        ForEachInstructionSet([&](InstructionSet isa) {
          std::vector<uint8_t> out(dstBytes + 1, kSentinel);
          SelectRow(rows)(src.data() + offset, out.data(), width, pos);
          EXPECT_EQ(out, expected) << InstructionSetName(isa) << ", width " << width << ", offset " << offset;
          if (shape.inPlace) {
            std::vector<uint8_t> buffer = src;
            SelectRow(rows)(buffer.data() + offset, buffer.data() + offset, width, pos);
            EXPECT_TRUE(std::equal(expected.begin(), expected.end() - 1, buffer.begin() + offset))
                << InstructionSetName(isa) << " in place, width " << width << ", offset " << offset;
          }
        });
      }
    }
  }
}

}  // namespace qclr::test
