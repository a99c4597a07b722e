// Q_ClrConvertDirect between every ordered pair of colour spaces, at both processor
// levels and with padded rows on both sides, against the spaces' own kernels on tight
// rows (decoder into RGB, encoder from it; BGR as RGB with R and B exchanged). The
// buffers are exactly as long as the library may touch, so the sanitizer sees overruns.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "direct/cie_kernels.h"
#include "direct/color_space.h"
#include "direct/conversion_tables.h"
#include "direct/hue_kernels.h"
#include "direct/ink_kernels.h"
#include "direct/kernel_table.h"
#include "direct/video_kernels.h"
#include "direct/ycck_kernels.h"
#include "direct/yiq_kernels.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using Bytes = std::vector<uint8_t>;
using test::PaddedImage;

struct Space {
  int32_t code;
  Kernel encoder, decoder;  // null for the two RGB sides
};

// Adapts a kernel with other arguments to the common signature.
#define ADAPTED(call)                                                                      \
  [](const uint8_t* s, uint8_t* d, int32_t w, int32_t h, [[maybe_unused]] int32_t i, int32_t o, \
     int32_t r) { return call; }

// The kernel table of the direct route, written out from the kernels' names.
const Space kSpaces[] = {
    {CSP_RGB, nullptr, nullptr},       {CSP_BGR, nullptr, nullptr},
    {CSP_YUV, RgbToYuv, YuvToRgb},     {CSP_HSV, RgbToHsv, HsvToRgb},
    {CSP_HLS, RgbToHls, HlsToRgb},     {CSP_YIQ, RgbToYiq, YiqToRgb},
    {CSP_CMY, RgbToCmy, CmyToRgb},     {CSP_LAB, RgbToLab, LabToRgb},
    {CSP_XYZ, RgbToXyz, XyzToRgb},     {CSP_YUY2, RgbToYuy2, Yuy2ToRgb},
    {CSP_Y41P, RgbToY41p, Y41pToRgb},  {CSP_UYVY, RgbToUyvy, UyvyToRgb},
    {CSP_YCC, RgbToYcc, YccToRgb},     {CSP_HSI, RgbToHsi, HsiToRgb},
    {CSP_CMYK, ADAPTED(RgbToCmyk(s, d, w, h, i, o, 175, r)),
     ADAPTED(CmykToRgb(s, d, w, h, i, o, 175, r))},
    {CSP_YVU9, RgbToYvu9, ADAPTED(Yvu9ToRgb(s, d, w, h, o, r))},  // planar: no inAlign
    {CSP_YCCK, RgbToYcck, ADAPTED(YcckToRgb(LibraryYccTables(), s, d, w, h, i, o, r))},
};

// An image of `space` whose padding holds the sentinel. XYZ rows of 24 x width
// bytes are padded as if they held 3 x width; YVU9 is planar and unpadded.
PaddedImage MakeImage(int32_t space, int32_t width, int32_t height, int32_t align) {
  if (space == CSP_YVU9) return PaddedImage(Yvu9Bytes(width, height), 1, 0);
  return PaddedImage(RowBytes(space, width), height, align,
                     space == CSP_XYZ ? 3 * width : RowBytes(space, width));
}

Bytes Swapped(Bytes rgb) {
  for (size_t i = 0; i + 2 < rgb.size(); i += 3) std::swap(rgb[i], rgb[i + 2]);
  return rgb;
}

// Tight rows of `from` converted into tight rows of `to` by the kernels themselves.
Bytes Expected(const Space& from, const Space& to, const Bytes& in, int32_t w, int32_t h) {
  if (from.code == to.code) return in;
  Bytes rgb = from.code == CSP_BGR ? Swapped(in) : in;
  if (from.decoder != nullptr) {
    rgb.assign(3 * static_cast<size_t>(w) * h, 0);
    EXPECT_EQ(from.decoder(in.data(), rgb.data(), w, h, 0, 0, 1), CLR_OK);
  }
  if (to.encoder == nullptr) return to.code == CSP_BGR ? Swapped(rgb) : rgb;
  Bytes out(MakeImage(to.code, w, h, 0).size());
  EXPECT_EQ(to.encoder(rgb.data(), out.data(), w, h, 0, 0, 1), CLR_OK);
  return out;
}

TEST(AllPairs, EveryPairMatchesItsKernelsOnTightRows) {
  const int32_t alignments[] = {0, 5, 7};  // 5 and 7 pad every row length used here
  const std::pair<int32_t, int32_t> sizes[] = {{16, 8}, {13, 3}};
  for (int level : {0, 2}) {
    const test::CpuLevelScope pinned(level);
    for (const auto& [width, height] : sizes) {
      for (const Space& from : kSpaces) {
        for (const Space& to : kSpaces) {
          if (!SizeRuleHolds(from.code, width, height) || !SizeRuleHolds(to.code, width, height)) continue;
          SCOPED_TRACE(testing::Message() << from.code << " -> " << to.code << ", " << width << " x "
                                          << height << ", level " << level);
          Bytes in = test::RandomBytes(MakeImage(from.code, width, height, 0).size(),
                                       static_cast<uint32_t>(from.code * 131 + to.code));
          if (from.code == CSP_XYZ) {  // random doubles may be NaN or huge: use 0..1
            for (size_t i = 0; i < in.size(); i += 8) {
              const double v = in[i] / 255.0;
              std::memcpy(&in[i], &v, 8);
            }
          }
          const Bytes expected = Expected(from, to, in, width, height);
          for (int a = 0; a < 9; ++a) {
            const int32_t inAlign = alignments[a / 3], outAlign = alignments[a % 3];
            PaddedImage src = MakeImage(from.code, width, height, inAlign);
            PaddedImage dst = MakeImage(to.code, width, height, outAlign);
            std::fill(src.data(), src.data() + src.size(), uint8_t{0x5A});  // unlike the sentinel
            src.SetRows(in);
            SCOPED_TRACE(testing::Message() << "aligned " << inAlign << "/" << outAlign);
            ASSERT_EQ(Q_ClrConvertDirect(from.code, to.code, src.data(), dst.data(), width, height,
                                         inAlign, outAlign), CLR_OK);
            EXPECT_EQ(dst.Rows(), expected);
            EXPECT_TRUE(dst.PaddingIntact());
          }
        }
      }
    }
  }
}

}  // namespace
}  // namespace qclr
