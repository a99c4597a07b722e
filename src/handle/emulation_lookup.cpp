#include "handle/emulation_lookup.h"

#include <cstddef>

#include "base/rgb_positions.h"
#include "base/row_layout.h"
#include "handle/emulation_lookup_rows.h"

namespace qclr {
namespace {

constexpr int32_t kCmykAxis = 17;
constexpr int32_t kLabAxis = 33;

// Byte offset of the 33-point node (i1, i2, i3).
inline ptrdiff_t LabNodeOffset(int32_t i1, int32_t i2, int32_t i3) {
  return 3 * ((ptrdiff_t{i1} * kLabAxis + i2) * kLabAxis + i3);
}

// Nodes below and above a channel value 0..255 on a 33-point axis: v / 8 and v / 8
// rounded up, so 249..255 pair node 31 with node 32.
inline int32_t LowerNode(int32_t v) { return v >> 3; }
inline int32_t UpperNode(int32_t v) { return (v + 7) >> 3; }

}  // namespace

void EmuCmykToRgbRowPortable(const uint8_t* s, const uint8_t* table, uint8_t* d, int32_t width,
                             int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 4, d += 3) {
    const ptrdiff_t index =
        ((ptrdiff_t{s[0] >> 4} * kCmykAxis + (s[1] >> 4)) * kCmykAxis + (s[2] >> 4)) * kCmykAxis +
        (s[3] >> 4);
    const uint8_t* node = table + 3 * index;
    d[at.r] = node[0];
    d[1] = node[1];
    d[at.b] = node[2];
  }
}

void EmuRgbToLabRowPortable(const uint8_t* s, const uint8_t* table, uint8_t* d, int32_t width,
                            int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    const int32_t red = s[at.r], green = s[1], blue = s[at.b];
    const uint8_t* lo = table + LabNodeOffset(LowerNode(red), LowerNode(green), LowerNode(blue));
    const uint8_t* hi = table + LabNodeOffset(UpperNode(red), UpperNode(green), UpperNode(blue));
    // Integer division truncates toward zero; the mean of two signed bytes always
    // lies in -128..127, so no further limit is needed.
    d[0] = static_cast<uint8_t>((lo[0] + hi[0]) / 2);
    d[1] = static_cast<uint8_t>((static_cast<int8_t>(lo[1]) + static_cast<int8_t>(hi[1])) / 2);
    d[2] = static_cast<uint8_t>((static_cast<int8_t>(lo[2]) + static_cast<int8_t>(hi[2])) / 2);
  }
}

void EmuLabToRgbRowPortable(const uint8_t* s, const uint8_t* table, uint8_t* d, int32_t width,
                            int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  for (int32_t x = 0; x < width; ++x, s += 3, d += 3) {
    // The signed a and b bytes, shifted by 128 onto the axis 0..255.
    const int32_t l = s[0], a = static_cast<int8_t>(s[1]) + 128, bb = static_cast<int8_t>(s[2]) + 128;
    const uint8_t* lo = table + LabNodeOffset(LowerNode(l), LowerNode(a), LowerNode(bb));
    const uint8_t* hi = table + LabNodeOffset(UpperNode(l), UpperNode(a), UpperNode(bb));
    d[at.r] = static_cast<uint8_t>((lo[0] + hi[0]) / 2);
    d[1] = static_cast<uint8_t>((lo[1] + hi[1]) / 2);
    d[at.b] = static_cast<uint8_t>((lo[2] + hi[2]) / 2);
  }
}

namespace {

void Lookup(const RowVariants<LookupRow>& rows, int32_t srcPixelBytes, const uint8_t* src, const uint8_t* table,
            int32_t width, int32_t height, int32_t inAlign, int32_t outAlign, uint8_t* dst,
            int32_t rgbOrder) {
  ForEachRow(src, PaddedStride(srcPixelBytes * ptrdiff_t{width}, inAlign), dst,
             PaddedStride(3 * ptrdiff_t{width}, outAlign), height,
             [&, rowFn = SelectRow(rows)](const uint8_t* s, uint8_t* d) { rowFn(s, table, d, width, rgbOrder); });
}

}  // namespace

void EmuCmykToRgb(const uint8_t* src, const uint8_t* table, int32_t width, int32_t height,
                  int32_t inAlign, int32_t outAlign, uint8_t* dst, int32_t rgbOrder) {
  Lookup(kEmuCmykToRgbRows, 4, src, table, width, height, inAlign, outAlign, dst, rgbOrder);
}

void EmuRgbToLab(const uint8_t* src, const uint8_t* table, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, uint8_t* dst, int32_t rgbOrder) {
  Lookup(kEmuRgbToLabRows, 3, src, table, width, height, inAlign, outAlign, dst, rgbOrder);
}

void EmuLabToRgb(const uint8_t* src, const uint8_t* table, int32_t width, int32_t height,
                 int32_t inAlign, int32_t outAlign, uint8_t* dst, int32_t rgbOrder) {
  Lookup(kEmuLabToRgbRows, 3, src, table, width, height, inAlign, outAlign, dst, rgbOrder);
}

}  // namespace qclr
