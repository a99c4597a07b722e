// CSP_YVU9: a Y plane of width x height bytes, then a V plane and a U plane of
// (width/4) x (height/4) bytes, one chroma sample for each 4 x 4 block. The planes
// have no row padding; only the RGB side is padded.
#include <cstddef>

#include "base/row_layout.h"
#include "direct/store_policy.h"
#include "direct/video_kernels.h"
#include "direct/video_pixel.h"
#include "direct/video_rows.h"
#include "qclr/qclr.h"

namespace qclr {

// Encodes one band of 4 RGB rows into 4 luminance rows and one row of chroma
// samples, block by block, each block's rows top to bottom. A block row's chroma is
// the sum of its 4 stored bytes. The first row gives the mean; every later row is
// folded in with the running sample counting as a fifth pixel, so the bottom rows
// weigh most.
void RgbToYvu9BandPortable(const uint8_t* src, ptrdiff_t srcStride, uint8_t* luma,
                           ptrdiff_t lumaStride, uint8_t* vRow, uint8_t* uRow, int32_t blocks,
                           RgbPositions rgb) {
  for (int32_t c = 0; c < blocks; ++c) {
    int32_t u = 0, v = 0;
    for (int k = 0; k < 4; ++k) {
      const uint8_t* s = src + k * srcStride + 12 * ptrdiff_t{c};
      uint8_t* y = luma + k * lumaStride + 4 * ptrdiff_t{c};
      int32_t sumU = 0, sumV = 0;
      for (int i = 0; i < 4; ++i, s += 3) {
        const VideoSample p = EncodeVideoRangePixel(s, rgb);
        y[i] = p.y;
        sumU += p.u;
        sumV += p.v;
      }
      u = k == 0 ? sumU / 4 : (u + sumU) / 5;
      v = k == 0 ? sumV / 4 : (v + sumV) / 5;
    }
    vRow[c] = static_cast<uint8_t>(v);
    uRow[c] = static_cast<uint8_t>(u);
  }
}

// One RGB row from its luminance row and the chroma rows of its band.
void Yvu9ToRgbRowPortable(const uint8_t* luma, const uint8_t* vRow, const uint8_t* uRow, uint8_t* d,
                          int32_t width, RgbPositions rgb) {
  for (int32_t x = 0; x < width; ++x, d += 3) {
    DecodeVideoRangePixel(luma[x], uRow[x / 4], vRow[x / 4], d, rgb);
  }
}

namespace {

int32_t Yvu9EncoderStatus(int32_t width, int32_t height) {
  const bool widthOk = width % 4 == 0, heightOk = height % 4 == 0;
  if (widthOk) return heightOk ? CLR_OK : kStatusHeightRuleBroken;
  return heightOk ? kStatusWidthRuleBroken : kStatusBothRulesBroken;
}

}  // namespace

// A size that is not a multiple of 4 converts the whole blocks only: the columns
// and rows beyond them keep their luminance bytes, and the chroma planes hold
// exactly (width/4) x (height/4) samples each.
int32_t RgbToYvu9(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                  int32_t /*outAlign*/, int32_t rgbOrder) {
  const int32_t status = Yvu9EncoderStatus(width, height);
  if (!HasPixels(width, height)) return status;
  const RgbPositions rgb = RgbPositionsFor(rgbOrder);
  const ptrdiff_t srcStride = PaddedStride(3 * ptrdiff_t{width}, inAlign);
  const ptrdiff_t lumaStride = width;
  const int32_t blocks = width / 4, bands = height / 4;
  uint8_t* vPlane = dst + lumaStride * height;
  uint8_t* uPlane = vPlane + ptrdiff_t{blocks} * bands;
  const Yvu9EncodeBand encodeBand = SelectRow(kRgbToYvu9Bands);
  for (int32_t band = 0; band < bands; ++band) {
    const ptrdiff_t firstRow = 4 * ptrdiff_t{band};
    const ptrdiff_t chroma = ptrdiff_t{band} * blocks;
    encodeBand(src + firstRow * srcStride, srcStride, dst + firstRow * lumaStride, lumaStride,
               vPlane + chroma, uPlane + chroma, blocks, rgb);
  }
  return status;
}

int32_t Yvu9ToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t outAlign,
                  int32_t rgbOrder) {
  if (width % 4 != 0 || height % 4 != 0) return kStatusNotConverted;
  if (!HasPixels(width, height)) return CLR_OK;
  const RgbPositions rgb = RgbPositionsFor(rgbOrder);
  const ptrdiff_t lumaStride = width;
  const ptrdiff_t dstStride = PaddedStride(3 * ptrdiff_t{width}, outAlign);
  const int32_t blocks = width / 4;
  const uint8_t* vPlane = src + lumaStride * height;
  const uint8_t* uPlane = vPlane + ptrdiff_t{blocks} * (height / 4);
  const Yvu9DecodeRow row = SelectRow(kYvu9ToRgbRows);
  const StreamingStoresScope streaming(static_cast<size_t>(dstStride * height));
  for (int32_t y = 0; y < height; ++y) {
    const ptrdiff_t chroma = ptrdiff_t{y / 4} * blocks;
    row(src + y * lumaStride, vPlane + chroma, uPlane + chroma, dst + y * dstStride, width, rgb);
  }
  return CLR_OK;
}

}  // namespace qclr
