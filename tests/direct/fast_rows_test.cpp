// Every implementation of the video, ink, YIQ and YCCK kernels against the
// portable one: whole images of awkward widths, each side padded for alignments
// 0, 1, 2, 3, 4 and 8 with sentinels in the padding, the source at an odd offset,
// both RGB orders, at both processor levels where the level chooses between
// definitions, and with the vector rows' ordinary and streaming stores.
#include <gtest/gtest.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "base/row_layout.h"
#include "direct/conversion_tables.h"
#include "direct/ink_kernels.h"
#include "direct/store_policy.h"
#include "direct/video_kernels.h"
#include "direct/ycck_kernels.h"
#include "direct/yiq_kernels.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using KernelFn =
    std::function<int32_t(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                          int32_t inAlign, int32_t outAlign, int32_t rgbOrder)>;

// Bytes of one row of a side for a width; 0 marks the planar YVU9 side, which has
// no rows of its own (width x height x 9/8 bytes, no padding).
using RowBytesFn = ptrdiff_t (*)(int32_t width);
ptrdiff_t Planar(int32_t) { return 0; }
ptrdiff_t Two(int32_t w) { return 2 * ptrdiff_t{w}; }
ptrdiff_t Three(int32_t w) { return 3 * ptrdiff_t{w}; }
ptrdiff_t Four(int32_t w) { return 4 * ptrdiff_t{w}; }
ptrdiff_t Y41p(int32_t w) { return 12 * ptrdiff_t{w} / 8; }

struct Case {
  std::string name;
  KernelFn kernel;
  RowBytesFn srcRow, dstRow;
  int32_t widthStep, heightStep;
  bool levels;  // the processor level chooses between definitions
};

std::vector<Case> Cases() {
  std::vector<Case> cases = {
      {"YUV decoder", YuvToRgb, Three, Three, 1, 1, false},
      {"YUV encoder", RgbToYuv, Three, Three, 1, 1, false},
      {"YCC decoder", YccToRgb, Three, Three, 1, 1, false},
      {"YCC encoder", RgbToYcc, Three, Three, 1, 1, false},
      {"YUY2 decoder", Yuy2ToRgb, Two, Three, 2, 1, false},
      {"YUY2 encoder", RgbToYuy2, Three, Two, 2, 1, false},
      {"UYVY decoder", UyvyToRgb, Two, Three, 2, 1, false},
      {"UYVY encoder", RgbToUyvy, Three, Two, 2, 1, false},
      {"Y41P decoder", Y41pToRgb, Y41p, Three, 8, 1, false},
      {"Y41P encoder", RgbToY41p, Three, Y41p, 8, 1, false},
      {"YVU9 decoder",
       [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t, int32_t oa, int32_t order) {
         return Yvu9ToRgb(s, d, w, h, oa, order);
       },
       Planar, Three, 4, 4, false},
      {"YVU9 encoder", RgbToYvu9, Three, Planar, 4, 4, false},
      {"CMY decoder", CmyToRgb, Three, Three, 1, 1, true},
      {"CMY encoder", RgbToCmy, Three, Three, 1, 1, false},
      {"YIQ decoder", YiqToRgb, Three, Three, 1, 1, true},
      {"YIQ encoder", RgbToYiq, Three, Three, 1, 1, false},
      {"YCCK encoder", RgbToYcck, Three, Four, 1, 1, false},
      {"YCCK decoder",
       [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t ia, int32_t oa,
          int32_t order) { return YcckToRgb(LibraryYccTables(), s, d, w, h, ia, oa, order); },
       Four, Three, 1, 1, true},
  };
  // Black generation 175 (the direct route's), 500 (black factor 16), 580 (K has
  // no integer line: the encoder's doubles), 900 (the packed lanes of the decoder
  // wrap) and 1000.
  for (int32_t param : {175, 500, 580, 900, 1000}) {
    cases.push_back(
        {"CMYK encoder " + std::to_string(param),
         [param](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t ia, int32_t oa,
                 int32_t order) { return RgbToCmyk(s, d, w, h, ia, oa, param, order); },
         Three, Four, 1, 1, false});
    cases.push_back(
        {"CMYK decoder " + std::to_string(param),
         [param](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, int32_t ia, int32_t oa,
                 int32_t order) { return CmykToRgb(s, d, w, h, ia, oa, param, order); },
         Four, Three, 1, 1, true});
  }
  return cases;
}

// Widths around the 8-, 16- and 32-pixel steps of the vector rows.
std::vector<int32_t> Widths() {
  std::vector<int32_t> widths = test::AwkwardWidths();
  for (int32_t w : {47, 48, 49, 95, 96, 97, 130, 200, 257}) widths.push_back(w);
  return widths;
}

// One side of an image: rows of `row` bytes padded for `align` (or a planar
// buffer), starting `offset` bytes into its storage, sentinels everywhere else.
struct Side {
  std::vector<uint8_t> bytes;
  size_t offset;
  uint8_t* data() { return bytes.data() + offset; }
};

Side MakeSide(ptrdiff_t row, int32_t width, int32_t height, int32_t align, size_t offset) {
  const size_t size = row == 0 ? static_cast<size_t>(width) * height * 9 / 8
                               : static_cast<size_t>(PaddedStride(row, align) * (height - 1) + row);
  return {std::vector<uint8_t>(offset + size + 1, test::kSentinel), offset};
}

TEST(FastRows, EveryImplementationGivesThePortableBytes) {
  const int32_t aligns[] = {0, 1, 2, 3, 4, 8};
  for (const Case& c : Cases()) {
    for (int level : c.levels ? std::vector<int>{0, 2} : std::vector<int>{2}) {
      const test::CpuLevelScope pinned(level);
      int run = 0;
      for (int32_t width : Widths()) {
        if (width % c.widthStep != 0) continue;
        const int32_t height = 2 * c.heightStep;
        const int32_t inAlign = aligns[run % 6], outAlign = aligns[(run / 6 + run) % 6];
        const int32_t order = run % 2;
        ++run;
        Side src = MakeSide(c.srcRow(width), width, height, inAlign, 1);  // an odd offset
        const std::vector<uint8_t> random =
            test::RandomBytes(src.bytes.size(), static_cast<uint32_t>(width));
        std::copy(random.begin() + 1, random.end() - 1, src.bytes.begin() + 1);
        std::vector<uint8_t> expected;
        for (int streaming : {0, 1}) {
          ForceStreamingStores(streaming);
          test::ForEachInstructionSet([&](InstructionSet isa) {
            Side dst = MakeSide(c.dstRow(width), width, height, outAlign, 0);
            ASSERT_EQ(c.kernel(src.data(), dst.data(), width, height, inAlign, outAlign, order),
                      CLR_OK);
            if (isa == InstructionSet::kPortable && streaming == 0) {
              expected = dst.bytes;
              if (c.dstRow(width) != 0) {
                const ptrdiff_t row = c.dstRow(width), stride = PaddedStride(row, outAlign);
                for (int32_t y = 0; y + 1 < height; ++y) {
                  for (ptrdiff_t i = row; i < stride; ++i) {
                    ASSERT_EQ(dst.bytes[static_cast<size_t>(y * stride + i)], test::kSentinel)
                        << c.name << ": padding written, width " << width;
                  }
                }
              }
              ASSERT_EQ(dst.bytes.back(), test::kSentinel) << c.name << ": written past the end";
            } else {
              EXPECT_EQ(dst.bytes, expected)
                  << c.name << " at level " << level << ", streaming " << streaming << ", "
                  << InstructionSetName(isa) << ", width " << width << ", alignments " << inAlign
                  << "/" << outAlign << ", order " << order;
            }
          });
        }
        ForceStreamingStores(-1);
      }
    }
  }
}

}  // namespace
}  // namespace qclr
