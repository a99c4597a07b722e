// CIE XYZ as three little-endian doubles a pixel, without linearisation. The
// encoder's weights carry a scale of about 100, the decoder's expect 0..1.
//
// An XYZ row is 24 x width bytes, but its padding is computed from 3 x width bytes
// (PaddingBaseBytes), so an XYZ buffer has the same padding as an RGB buffer of the
// same width and alignment. Doubles are read and written byte by byte: XYZ pixels
// sit at any byte offset.
#include <bit>
#include <cmath>

#include "base/pixel_loop.h"
#include "direct/cie_kernels.h"
#include "direct/color_space.h"
#include "direct/xyz_rows.h"
#include "numeric/truncate.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

void StoreDouble(double v, uint8_t* p) {
  const uint64_t bits = std::bit_cast<uint64_t>(v);
  for (int k = 0; k < 8; ++k) p[k] = static_cast<uint8_t>(bits >> (8 * k));
}

double LoadDouble(const uint8_t* p) {
  uint64_t bits = 0;
  for (int k = 0; k < 8; ++k) bits |= uint64_t{p[k]} << (8 * k);
  return std::bit_cast<double>(bits);
}

// floor, then 0..255. Values beyond the integer range saturate instead of going
// through the processor's out-of-range result (which would turn a huge positive
// value into 0); NaN gives 0.
uint8_t FloorToByte(double v) {
  v = std::floor(v);
  if (v >= 255) return 255;
  const int32_t i = TruncToInt32(v);
  return i <= 0 ? 0 : static_cast<uint8_t>(i);
}

void RgbToXyzPixel(double r, double g, double b, uint8_t* xyz) {
  r /= 255, g /= 255, b /= 255;
  StoreDouble(25.9232 * r + 36.136 * g + 22.9809 * b, xyz);
  StoreDouble(14.6733 * r + 69.9554 * g + 11.458 * b, xyz + 8);
  StoreDouble(1.3834 * r + 12.3235 * g + 119.3425 * b, xyz + 16);
}

void XyzToRgbPixel(const uint8_t* xyz, uint8_t* out, RgbPositions pos) {
  const double x = LoadDouble(xyz), y = LoadDouble(xyz + 8), z = LoadDouble(xyz + 16);
  out[pos.r] = FloorToByte(255 * (2.998 * x - 1.458 * y - 0.541 * z));
  out[1] = FloorToByte(255 * (-0.952 * x + 1.893 * y + 0.059 * z));
  out[pos.b] = FloorToByte(255 * (0.099 * x - 0.198 * y + 1.099 * z));
}

}  // namespace

namespace xyz {

void RgbToXyzRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 3, d += 24) RgbToXyzPixel(s[pos.r], s[1], s[pos.b], d);
}

void XyzToRgbRowPortable(const uint8_t* s, uint8_t* d, int32_t width, RgbPositions pos) {
  for (int32_t x = 0; x < width; ++x, s += 24, d += 3) XyzToRgbPixel(s, d, pos);
}

}  // namespace xyz

int32_t RgbToXyz(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const xyz::XyzRow row = SelectRow(xyz::kRgbToXyzRows);
  const ptrdiff_t srcStride = PaddedStride(3 * ptrdiff_t{width}, inAlign);
  const ptrdiff_t dstStride =
      RowBytes(CSP_XYZ, width) + RowPadding(PaddingBaseBytes(CSP_XYZ, width), outAlign);
  ForEachRow(src, srcStride, dst, dstStride, height, [&](const uint8_t* s, uint8_t* d) { row(s, d, width, pos); });
  return CLR_OK;
}

int32_t XyzToRgb(const uint8_t* src, uint8_t* dst, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions pos = RgbPositionsFor(rgbOrder);
  const xyz::XyzRow row = SelectRow(xyz::kXyzToRgbRows);
  const ptrdiff_t srcStride =
      RowBytes(CSP_XYZ, width) + RowPadding(PaddingBaseBytes(CSP_XYZ, width), inAlign);
  const ptrdiff_t dstStride = PaddedStride(3 * ptrdiff_t{width}, outAlign);
  ForEachRow(src, srcStride, dst, dstStride, height, [&](const uint8_t* s, uint8_t* d) { row(s, d, width, pos); });
  return CLR_OK;
}

}  // namespace qclr
