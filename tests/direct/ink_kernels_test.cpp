#include "direct/ink_kernels.h"

#include <gtest/gtest.h>

#include <vector>

#include "direct/store_policy.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using V = std::vector<uint8_t>;
using test::RandomBytes;

V ToCmyk(V rgb, int32_t blackParam) {
  V out(rgb.size() / 3 * 4);
  RgbToCmyk(rgb.data(), out.data(), static_cast<int32_t>(rgb.size() / 3), 1, 0, 0, blackParam, 1);
  return out;
}

V FromCmyk(V cmyk, int32_t blackParam, int level) {
  const test::CpuLevelScope pinned(level);
  V out(cmyk.size() / 4 * 3);
  CmykToRgb(cmyk.data(), out.data(), static_cast<int32_t>(cmyk.size() / 4), 1, 0, 0, blackParam, 1);
  return out;
}

TEST(InkKernels, DocumentedValues) {
  const V rgb = {255, 0, 100, 7, 8, 9};
  V cmy(6), back(6);
  RgbToCmy(rgb.data(), cmy.data(), 2, 1, 0, 0, 1);
  CmyToRgb(cmy.data(), back.data(), 2, 1, 0, 0, 1);
  EXPECT_EQ(cmy, (V{0, 255, 155, 248, 247, 246}));
  EXPECT_EQ(back, rgb);
  const int32_t blackFactors[][2] = {{0, 0}, {175, 0}, {249, 0}, {250, 1}, {500, 16}, {1000, 256}};
  for (const auto& c : blackFactors) EXPECT_EQ(CmykBlackFactor(c[0]), c[1]) << c[0];
  EXPECT_EQ(ToCmyk({0, 0, 0}, 175), (V{255, 255, 255, 44}));  // K = 17.5 % of 255
  EXPECT_EQ(ToCmyk({255, 255, 255}, 175), (V{0, 0, 0, 0}));
  EXPECT_EQ(ToCmyk({255, 0, 128}, 175), (V{0, 255, 127, 0}));
  EXPECT_EQ(ToCmyk({100, 100, 100}, 1000), (V{0, 0, 0, 155}));  // a grey wholly into K
  for (int level : {0, 2}) {
    EXPECT_EQ(FromCmyk({10, 20, 30, 200}, 175, level), (V{245, 235, 225}));  // K ignored
    EXPECT_EQ(FromCmyk({0, 0, 0, 255}, 1000, level), (V{0, 0, 0}));  // u = 65280, capped
  }
  // u = 41984 does not fit a signed 16-bit lane: the packed path leaves it uncapped
  // and saturates to black where the scalar path caps u at 255 - hi.
  EXPECT_EQ(FromCmyk({0, 0, 50, 255}, 1000, 0), (V{50, 50, 0}));
  V eight(32);
  for (int i = 0; i < 8; ++i) eight[4 * i + 2] = 50, eight[4 * i + 3] = 255;
  const V packed = FromCmyk(eight, 1000, 2);
  EXPECT_EQ(V(packed.begin(), packed.begin() + 3), (V{0, 0, 0}));
}

// The packed CMYK rows against their definitions on random rows of awkward widths:
// whole groups of 8 follow the lane arithmetic, the tail the scalar formula.
TEST(InkKernels, PackedRowsMatchTheirDefinition) {
  for (int32_t width : test::AwkwardWidths()) {
    const size_t w = static_cast<size_t>(width);
    const int32_t grouped = width / 8 * 8;
    for (int32_t order : {0, 1}) {
      const V cmyk = RandomBytes(4 * w, static_cast<uint32_t>(width + 99));
      for (int32_t param : {0, 175, 500, 800, 1000, 3400}) {
        const int16_t f = CmykBlackFactor(param);
        V plain(3 * w), lanes(3 * w), expected(3 * w);
        CmykToRgbRow(cmyk.data(), plain.data(), width, f, order);
        CmykToRgbRowPacked(cmyk.data(), lanes.data(), width, f, order);
        for (int32_t x = 0; x < grouped; ++x) CmykToRgbPixelPacked(&cmyk[4 * x], &expected[3 * x], f, order);
        CmykToRgbRow(&cmyk[4 * grouped], &expected[3 * grouped], width - grouped, f, order);
        ASSERT_EQ(lanes, expected) << "width " << width << " param " << param;
        if (param <= 800) { ASSERT_EQ(lanes, plain) << "width " << width << " param " << param; }
      }
    }
  }
}

// The CMY rows read a step's bytes before writing them: every implementation
// gives the same bytes in place as out of place, in both orders.
TEST(InkKernels, CmyRowsRunInPlace) {
  std::vector<int32_t> widths = test::AwkwardWidths();
  for (int32_t w : {100, 257}) widths.push_back(w);
  for (int32_t width : widths) {
    for (int32_t order : {0, 1}) {
      const V src =
          RandomBytes(3 * static_cast<size_t>(width), static_cast<uint32_t>(width + order));
      V expected(src.size());
      RgbToCmyRow(src.data(), expected.data(), width, order);
      for (int streaming : {0, 1}) {  // the rows' ordinary and streaming stores
        ForceStreamingStores(streaming);
        const StreamingStoresScope scope(0);
        test::ForEachInstructionSet([&](InstructionSet isa) {
          V inPlace = src;
          const CmyRow row = SelectRow(kRgbToCmyRows);
          row(inPlace.data(), inPlace.data(), width, order);
          EXPECT_EQ(inPlace, expected) << InstructionSetName(isa) << ", width " << width
                                       << ", order " << order << ", streaming " << streaming;
        });
      }
      ForceStreamingStores(-1);
    }
  }
}

}  // namespace
}  // namespace qclr
