// The rows of the described-YUV decoder: every implementation against the portable
// row, for every byte order of the packed shapes the fast rows take, the planar
// chroma steps, and whole images whose groups and chroma samples straddle rows.
#include "handle/described_yuv_rows.h"

#include <algorithm>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "handle/described_yuv.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;

std::vector<int32_t> Counts() {
  std::vector<int32_t> counts = test::AwkwardWidths();
  counts.insert(counts.end(), {0, 47, 48, 49, 95, 96, 97, 130});
  return counts;
}

// Runs `row` into a destination of `bytes` bytes and 8 sentinels; returns the
// bytes, and checks the sentinels.
template <typename Row>
Bytes RunInto(const Row& row, size_t bytes) {
  Bytes out(bytes + 8, test::kSentinel);
  row(out.data());
  EXPECT_TRUE(std::all_of(out.end() - 8, out.end(), [](uint8_t b) { return b == test::kSentinel; }));
  out.resize(bytes);
  return out;
}

const YuvBias kBiases[] = {{16, 128}, {0, 0}};

TEST(DescribedYuvRows, PackedGroupsInEveryByteOrder) {
  struct Shape {
    int32_t pixels, step;
  };
  for (const Shape s : {Shape{2, 2}, Shape{1, 1}}) {
    const int32_t bytes = s.pixels + 2 * (s.pixels / s.step);
    std::vector<std::vector<int32_t>> orders;
    std::vector<int32_t> offsets(static_cast<size_t>(bytes));
    for (int32_t i = 0; i < bytes; ++i) offsets[i] = i;
    do {
      orders.push_back(offsets);
    } while (std::next_permutation(offsets.begin(), offsets.end()));
    orders.push_back(std::vector<int32_t>(static_cast<size_t>(bytes), 1));  // every sample from one byte
    for (const std::vector<int32_t>& order : orders) {
      for (const YuvBias bias : kBiases) {
        const PackedGroupShape shape{s.pixels, s.step, s.step, bytes, order.data(), bias};
        const RowVariants<PackedGroupsRow>* rows = PackedRowsFor(shape);
        ASSERT_NE(rows, nullptr);
        for (int32_t groups : Counts()) {
          const Bytes src = test::RandomBytes(static_cast<size_t>(groups * bytes) + 1, static_cast<uint32_t>(groups));
          const size_t outBytes = 3 * static_cast<size_t>(groups * s.pixels);
          for (int32_t rgbOrder : {0, 1}) {
            const Bytes expected = RunInto(
                [&](uint8_t* d) { PackedGroupsRowPortable(src.data() + 1, d, groups, shape, rgbOrder); }, outBytes);
            test::ForEachInstructionSet([&](InstructionSet isa) {
              SCOPED_TRACE(testing::Message() << InstructionSetName(isa) << ", " << s.pixels << " pixels a group, "
                                              << groups << " groups, offsets " << order[0] << order[1]
                                              << order[2] << ", bias " << bias.luma << ", order " << rgbOrder);
              EXPECT_EQ(RunInto([&](uint8_t* d) { SelectRow(*rows)(src.data() + 1, d, groups, shape, rgbOrder); },
                                outBytes),
                        expected);
            });
          }
        }
      }
    }
  }
}

TEST(DescribedYuvRows, PlanarRowsAtEveryChromaStep) {
  const std::pair<int32_t, int32_t> steps[] = {{1, 1}, {2, 2}, {4, 4}, {1, 2}, {2, 4}, {4, 1}, {3, 3}, {2, 3}};
  for (const auto& step : steps) {
    const int32_t uStep = step.first, vStep = step.second;
    for (int32_t width : Counts()) {
      const Bytes y = test::RandomBytes(static_cast<size_t>(width) + 1, 1);
      const Bytes u = test::RandomBytes(static_cast<size_t>(width / uStep) + 2, 2);
      const Bytes v = test::RandomBytes(static_cast<size_t>(width / vStep) + 2, 3);
      for (const YuvBias bias : kBiases) {
        for (int32_t rgbOrder : {0, 1}) {
          const auto row = [&](PlanarRow r) {
            return [&, r](uint8_t* d) { r(y.data() + 1, u.data() + 1, v.data() + 1, d, width, uStep, vStep, bias, rgbOrder); };
          };
          const size_t outBytes = 3 * static_cast<size_t>(width);
          const Bytes expected = RunInto(row(PlanarRowPortable), outBytes);
          test::ForEachInstructionSet([&](InstructionSet isa) {
            SCOPED_TRACE(testing::Message() << InstructionSetName(isa) << ", steps " << uStep << "/" << vStep
                                            << ", width " << width << ", bias " << bias.luma << ", order " << rgbOrder);
            EXPECT_EQ(RunInto(row(SelectRow(kPlanarRows)), outBytes), expected);
          });
        }
      }
    }
  }
}

// Whole images: packed groups that straddle row ends (odd widths) and padded
// source rows, planar rows that begin inside a chroma sample; the fast rows take
// what they can and the image equals the portable one.
TEST(DescribedYuvRows, WholeImagesEqualThePortableDecoding) {
  std::vector<int32_t> yuy2{0, 2, 1, 3}, uyvy{1, 3, 0, 2}, singles{2, 0, 1}, planar{4};
  struct Case {
    YuvLayout layout;
    int32_t width, height, inAlign;
  };
  const Case cases[] = {
      {{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, yuy2.data(), 2, 0, 0}, 70, 6, 0},
      {{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, yuy2.data(), 2, 0, 0}, 69, 6, 4},
      {{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, uyvy.data(), 2, 1, 0}, 33, 4, 8},
      {{QCLR_YUV_LAYOUT_SIZE, 0, 1, 1, 1, 1, singles.data(), 1, 0, 0}, 37, 5, 5},
      {{QCLR_YUV_LAYOUT_SIZE, 0, 2, 2, 2, 2, planar.data(), 1, 0, 1}, 66, 6, 0},
      {{QCLR_YUV_LAYOUT_SIZE, 0, 4, 1, 2, 2, planar.data(), 1, 1, 1}, 68, 8, 1},
      {{QCLR_YUV_LAYOUT_SIZE, 0, 2, 1, 2, 1, planar.data(), 1, 0, 1}, 35, 4, 0},  // phases carry over
  };
  for (const Case& c : cases) {
    const Bytes src = test::RandomBytes(DescribedYuvSourceBytes(c.layout, c.width, c.height, c.inAlign), 9);
    Bytes expected;
    test::ForEachInstructionSet([&](InstructionSet isa) {
      test::PaddedImage dst(3 * c.width, c.height, 4);
      std::fill(dst.data(), dst.data() + dst.size(), test::kSentinel);
      ASSERT_EQ(DescribedYuvToRgb(c.layout, src.data(), dst.data(), c.width, c.height, c.inAlign, 4, 1), CLR_OK);
      EXPECT_TRUE(dst.PaddingIntact());
      if (isa == InstructionSet::kPortable) expected = dst.Rows();
      EXPECT_EQ(dst.Rows(), expected) << InstructionSetName(isa) << ", width " << c.width;
    });
  }
}

}  // namespace
}  // namespace qclr
