// The direct Lab kernels: each picks its row once per image (lab_rows.h).
#include "base/pixel_loop.h"
#include "direct/cie_kernels.h"
#include "direct/lab_definition.h"
#include "direct/lab_rows.h"
#include "qclr/qclr.h"

namespace qclr {

namespace lab {

void RgbToLabRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) RgbToLabPixel(s[pos.r], s[1], s[pos.b], d);
}

void LabToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) LabToRgbPixel(s, d, pos);
}

}  // namespace lab

namespace {

int32_t ConvertRows(lab::LabRow row, const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                    int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const ptrdiff_t rowBytes = 3 * ptrdiff_t{width};
  ForEachRow(src, PaddedStride(rowBytes, inAlign), dst, PaddedStride(rowBytes, outAlign), height,
             [&](const uint8_t* s, uint8_t* d) { row(s, d, width, pos); });
  return CLR_OK;
}

}  // namespace

int32_t RgbToLab(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(lab::kRgbToLabRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

int32_t LabToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height, int32_t inAlign,
                 int32_t outAlign, int32_t rgbOrder) {
  return ConvertRows(SelectRow(lab::kLabToRgbRows), src, dst, width, height, inAlign, outAlign, rgbOrder);
}

}  // namespace qclr
