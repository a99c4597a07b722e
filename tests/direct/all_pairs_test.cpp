// Every ordered pair of colour spaces through Q_ClrConvertDirect, at several row
// alignments on both sides: status CLR_OK, destination padding untouched, and
// exact-size buffers so that the sanitizer build catches any overrun.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "direct/color_space.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

constexpr int32_t kAllSpaces[] = {CSP_RGB,  CSP_YUV,  CSP_CMYK, CSP_HSV,  CSP_HLS,  CSP_YIQ,
                                  CSP_CMY,  CSP_LAB,  CSP_XYZ,  CSP_YUY2, CSP_YVU9, CSP_YCCK,
                                  CSP_BGR,  CSP_Y41P, CSP_UYVY, CSP_YCC,  CSP_HSI};

// An image of `space` whose padding holds the sentinel; YVU9 is planar and
// unpadded, a single block of bytes.
test::PaddedImage MakeImage(int32_t space, int32_t width, int32_t height, int32_t align) {
  if (space == CSP_YVU9) return test::PaddedImage(Yvu9Bytes(width, height), 1, 0);
  return test::PaddedImage(RowBytes(space, width), height, align, PaddingBaseBytes(space, width));
}

TEST(AllPairs, EveryOrderedPairAtEveryAlignment) {
  const int32_t width = 16, height = 4;  // fits every pixel group
  const int32_t alignments[] = {0, 1, 3, 4, 8};
  for (int32_t from : kAllSpaces) {
    for (int32_t to : kAllSpaces) {
      for (int32_t inAlign : alignments) {
        for (int32_t outAlign : alignments) {
          test::PaddedImage src = MakeImage(from, width, height, inAlign);
          test::PaddedImage dst = MakeImage(to, width, height, outAlign);
          std::vector<uint8_t> pixels = test::RandomBytes(src.size(), static_cast<uint32_t>(from * 131 + to));
          if (from == CSP_XYZ) {
            // Doubles from random bytes may be NaN or huge; use values in 0..1.
            for (size_t i = 0; i + 8 <= pixels.size(); i += 8) {
              const double v = pixels[i] / 255.0;
              std::memcpy(&pixels[i], &v, 8);
            }
          }
          std::memcpy(src.data(), pixels.data(), src.size());
          ASSERT_EQ(Q_ClrConvertDirect(from, to, src.data(), dst.data(), width, height, inAlign, outAlign),
                    CLR_OK)
              << from << " -> " << to << " aligned " << inAlign << "/" << outAlign;
          EXPECT_TRUE(dst.PaddingIntact()) << from << " -> " << to << " aligned " << inAlign << "/" << outAlign;
        }
      }
    }
  }
}

}  // namespace
}  // namespace qclr
