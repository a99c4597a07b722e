// The packed subsampled members of the video family: CSP_YUY2 and CSP_UYVY (one
// chroma pair for 2 pixels) and CSP_Y41P (one chroma pair for 4 pixels, in groups
// of 8). The encoders average the stored chroma bytes of the pixels that share a
// sample; the decoders give every pixel of the group the shared sample.
#include <cstddef>

#include "base/row_layout.h"
#include "direct/store_policy.h"
#include "direct/video_kernels.h"
#include "direct/video_pixel.h"
#include "direct/video_rows.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// Byte positions of the samples of one 4:2:2 pixel pair (4 bytes).
struct PairLayout {
  int y0;
  int u;
  int y1;
  int v;
};
constexpr PairLayout kYuy2Pair = {0, 1, 2, 3};
constexpr PairLayout kUyvyPair = {1, 0, 3, 2};

// A group of 8 pixels in 12 bytes: U0 Y0 V0 Y1 U4 Y2 V4 Y3 Y4 Y5 Y6 Y7. Pixels 0..3
// share U0/V0 (bytes 0 and 2), pixels 4..7 share U4/V4 (bytes 4 and 6).
constexpr int kY41pLuma[8] = {1, 3, 5, 7, 8, 9, 10, 11};
constexpr int kY41pChromaU[2] = {0, 4};
constexpr int kY41pChromaV[2] = {2, 6};

ptrdiff_t Y41pRowBytes(int32_t width) { return 12 * ptrdiff_t{width} / 8; }

void RgbToPairRow(const uint8_t* s, uint8_t* d, int32_t pairs, PairLayout at, RgbPositions rgb) {
  for (int32_t i = 0; i < pairs; ++i, s += 6, d += 4) {
    const VideoSample p0 = EncodeVideoRangePixel(s, rgb);
    const VideoSample p1 = EncodeVideoRangePixel(s + 3, rgb);
    d[at.y0] = p0.y;
    d[at.y1] = p1.y;
    d[at.u] = static_cast<uint8_t>((p0.u + p1.u) / 2);
    d[at.v] = static_cast<uint8_t>((p0.v + p1.v) / 2);
  }
}

void PairToRgbRow(const uint8_t* s, uint8_t* d, int32_t pairs, PairLayout at, RgbPositions rgb) {
  for (int32_t i = 0; i < pairs; ++i, s += 4, d += 6) {
    DecodeVideoRangePixel(s[at.y0], s[at.u], s[at.v], d, rgb);
    DecodeVideoRangePixel(s[at.y1], s[at.u], s[at.v], d + 3, rgb);
  }
}

}  // namespace

void Yuy2ToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions rgb) {
  PairToRgbRow(s, d, width / 2, kYuy2Pair, rgb);
}

void UyvyToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions rgb) {
  PairToRgbRow(s, d, width / 2, kUyvyPair, rgb);
}

void RgbToYuy2RowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions rgb) {
  RgbToPairRow(s, d, width / 2, kYuy2Pair, rgb);
}

void RgbToUyvyRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions rgb) {
  RgbToPairRow(s, d, width / 2, kUyvyPair, rgb);
}

void RgbToY41pRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions rgb) {
  for (int32_t i = 0; i < width / 8; ++i, d += 12) {
    for (int half = 0; half < 2; ++half) {
      int32_t sumU = 0, sumV = 0;
      for (int k = 4 * half; k < 4 * half + 4; ++k, s += 3) {
        const VideoSample p = EncodeVideoRangePixel(s, rgb);
        d[kY41pLuma[k]] = p.y;
        sumU += p.u;
        sumV += p.v;
      }
      d[kY41pChromaU[half]] = static_cast<uint8_t>(sumU >> 2);
      d[kY41pChromaV[half]] = static_cast<uint8_t>(sumV >> 2);
    }
  }
}

void Y41pToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions rgb) {
  for (int32_t i = 0; i < width / 8; ++i, s += 12) {
    for (int k = 0; k < 8; ++k, d += 3) {
      DecodeVideoRangePixel(s[kY41pLuma[k]], s[kY41pChromaU[k / 4]], s[kY41pChromaV[k / 4]], d,
                            rgb);
    }
  }
}

namespace {

// Encoders keep converting the whole pairs of an odd width and report it.
int32_t EncodePairs(const RowVariants<VideoRow>& rows, const uint8_t* src, uint8_t* dst,
                    int32_t width, int32_t height, int32_t inAlign, int32_t outAlign,
                    int32_t rgbOrder) {
  const int32_t status = width % 2 == 0 ? CLR_OK : kStatusWidthRuleBroken;
  if (!HasPixels(width, height)) return status;
  const RgbPositions rgb = RgbPositionsFor(rgbOrder);
  const VideoRow row = SelectRow(rows);
  const int32_t pixels = width / 2 * 2;
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), dst,
             PaddedStride(2 * ptrdiff_t{width}, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, pixels, rgb); });
  return status;
}

int32_t DecodePairs(const RowVariants<VideoRow>& rows, const uint8_t* src, uint8_t* dst,
                    int32_t width, int32_t height, int32_t inAlign, int32_t outAlign,
                    int32_t rgbOrder) {
  if (width % 2 != 0) return kStatusNotConverted;
  if (!HasPixels(width, height)) return CLR_OK;
  const RgbPositions rgb = RgbPositionsFor(rgbOrder);
  const VideoRow row = SelectRow(rows);
  const StreamingStoresScope streaming(
      static_cast<size_t>(PaddedStride(3 * ptrdiff_t{width}, outAlign) * height));
  ForEachRow(src, PaddedStride(2 * ptrdiff_t{width}, inAlign), dst,
             PaddedStride(3 * ptrdiff_t{width}, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, width, rgb); });
  return CLR_OK;
}

}  // namespace

int32_t RgbToYuy2(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder) {
  return EncodePairs(kRgbToYuy2Rows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t Yuy2ToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder) {
  return DecodePairs(kYuy2ToRgbRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t RgbToUyvy(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder) {
  return EncodePairs(kRgbToUyvyRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t UyvyToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder) {
  return DecodePairs(kUyvyToRgbRows, src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t RgbToY41p(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder) {
  const int32_t status = width % 8 == 0 ? CLR_OK : kStatusWidthRuleBroken;
  if (!HasPixels(width, height)) return status;
  const RgbPositions rgb = RgbPositionsFor(rgbOrder);
  const VideoRow row = SelectRow(kRgbToY41pRows);
  const int32_t pixels = width / 8 * 8;
  ForEachRow(src, PaddedStride(3 * ptrdiff_t{width}, inAlign), dst,
             PaddedStride(Y41pRowBytes(width), outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, pixels, rgb); });
  return status;
}

int32_t Y41pToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t outAlign, int32_t rgbOrder) {
  if (width % 8 != 0) return kStatusNotConverted;
  if (!HasPixels(width, height)) return CLR_OK;
  const RgbPositions rgb = RgbPositionsFor(rgbOrder);
  const VideoRow row = SelectRow(kY41pToRgbRows);
  const StreamingStoresScope streaming(
      static_cast<size_t>(PaddedStride(3 * ptrdiff_t{width}, outAlign) * height));
  ForEachRow(src, PaddedStride(Y41pRowBytes(width), inAlign), dst,
             PaddedStride(3 * ptrdiff_t{width}, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, width, rgb); });
  return CLR_OK;
}

}  // namespace qclr
