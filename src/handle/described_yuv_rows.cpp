#include "handle/described_yuv_rows.h"

namespace qclr {

void PackedGroupsRowPortable(const uint8_t* src, uint8_t* dst, int32_t groups, const PackedGroupShape& shape,
                             int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const int32_t n = shape.pixels;
  const int32_t* yOffsets = shape.offsets;
  const int32_t* uOffsets = yOffsets + n;
  const int32_t* vOffsets = uOffsets + n / shape.uStep;
  for (int32_t g = 0; g < groups; ++g, src += shape.bytes) {
    for (int32_t j = 0; j < n; ++j, dst += 3) {
      WriteYuvPixel(src[yOffsets[j]] - shape.bias.luma, src[uOffsets[j / shape.uStep]] - shape.bias.chroma,
                    src[vOffsets[j / shape.vStep]] - shape.bias.chroma, dst, at);
    }
  }
}

void PlanarRowPortable(const uint8_t* y, const uint8_t* u, const uint8_t* v, uint8_t* dst, int32_t width,
                       int32_t uStep, int32_t vStep, YuvBias bias, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, dst += 3) {
    WriteYuvPixel(y[x] - bias.luma, u[x / uStep] - bias.chroma, v[x / vStep] - bias.chroma, dst, at);
  }
}

const RowVariants<PackedGroupsRow>* PackedRowsFor(const PackedGroupShape& shape) {
  if (shape.pixels == 2 && shape.uStep == 2 && shape.vStep == 2) return &kPackedPairsRows;
  if (shape.pixels == 1 && shape.uStep == 1 && shape.vStep == 1) return &kPackedSinglesRows;
  return nullptr;
}

}  // namespace qclr
