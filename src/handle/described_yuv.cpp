#include "handle/described_yuv.h"

#include <cstddef>
#include <cstdint>

#include "base/rgb_positions.h"
#include "base/row_layout.h"
#include "handle/described_yuv_rows.h"

namespace qclr {
namespace {

YuvBias BiasOf(const YuvLayout& layout) {
  return layout.noOffsets != 0 ? YuvBias{0, 0} : YuvBias{16, 128};
}

bool OneDividesTheOther(int32_t a, int32_t b) { return a % b == 0 || b % a == 0; }

void DecodePacked(const YuvLayout& layout, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t inAlign, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const PackedGroupShape shape{layout.groupPixels, layout.uStepX, layout.vStepX, PackedGroupBytes(layout),
                               layout.sampleOffsets, BiasOf(layout)};
  const RowVariants<PackedGroupsRow>* rows = PackedRowsFor(shape);
  const PackedGroupsRow groupsRow = rows != nullptr ? SelectRow(*rows) : PackedGroupsRowPortable;
  const int32_t n = shape.pixels;
  const int32_t* yOffsets = shape.offsets;
  const int32_t* uOffsets = yOffsets + n;
  const int32_t* vOffsets = uOffsets + n / shape.uStep;
  // The source padding is that of a 3-byte-a-pixel row, whatever the group size.
  const ptrdiff_t srcPadding = RowPadding(3 * ptrdiff_t{width}, inAlign);
  const ptrdiff_t dstPadding = RowPadding(3 * ptrdiff_t{width}, outAlign);

  ptrdiff_t base = 0;  // the current group's first byte
  int32_t j = 0;       // the pixel's place in its group; carried across row ends
  const auto onePixel = [&] {
    const uint8_t* group = src + base;
    WriteYuvPixel(group[yOffsets[j]] - shape.bias.luma, group[uOffsets[j / shape.uStep]] - shape.bias.chroma,
                  group[vOffsets[j / shape.vStep]] - shape.bias.chroma, dst, at);
    dst += 3;
    if (++j == n) {
      j = 0;
      base += shape.bytes;
    }
  };
  for (int32_t row = 0; row < height; ++row) {
    int32_t x = 0;
    // A group that began on the row above ends here; then whole groups, then the
    // start of a group that ends on the row below.
    for (; x < width && j != 0; ++x) onePixel();
    const int32_t groups = (width - x) / n;
    groupsRow(src + base, dst, groups, shape, rgbOrder);
    base += ptrdiff_t{groups} * shape.bytes;
    dst += 3 * ptrdiff_t{groups} * n;
    for (x += groups * n; x < width; ++x) onePixel();
    dst += dstPadding;
    base += srcPadding;
  }
}

struct ChromaPlane {
  int32_t stepX;
  int32_t stepY;
  int64_t bytes;
};

ChromaPlane UPlane(const YuvLayout& layout, int64_t pixels) {
  return {layout.uStepX, layout.uStepY, pixels / (int64_t{layout.uStepX} * layout.uStepY)};
}
ChromaPlane VPlane(const YuvLayout& layout, int64_t pixels) {
  return {layout.vStepX, layout.vStepY, pixels / (int64_t{layout.vStepX} * layout.vStepY)};
}

// The planar walk moves a chroma pointer on after every stepX-th pixel of the whole
// image (not of the row) and sends it back to its row start at each row end, so when
// the width or height is not a multiple of the steps the last samples read can lie
// beyond the plane. True when every sample read stays inside it.
bool ChromaWalkStaysInPlane(const ChromaPlane& plane, int32_t width, int32_t height) {
  const int64_t rowSamples = width / plane.stepX;
  for (int64_t y = 0; y < height; ++y) {
    const int64_t first = y * width;  // pixels before this row
    const int64_t rowStart = y / plane.stepY * rowSamples;
    const int64_t last = rowStart + (first + width - 1) / plane.stepX - first / plane.stepX;
    if (last >= plane.bytes) return false;
  }
  return true;
}

// Where each plane starts, from the plane-order code: planes indexed Y 0, U 1, V 2.
void PlaneStarts(int32_t code, int64_t yBytes, int64_t uBytes, int64_t vBytes, int64_t start[3]) {
  static constexpr int kOrder[6][3] = {{0, 1, 2}, {0, 2, 1}, {1, 0, 2},
                                       {1, 2, 0}, {2, 0, 1}, {2, 1, 0}};
  const int64_t bytes[3] = {yBytes, uBytes, vBytes};
  int64_t at = 0;
  for (int plane : kOrder[code]) {
    start[plane] = at;
    at += bytes[plane];
  }
}

void DecodePlanar(const YuvLayout& layout, const uint8_t* src, uint8_t* dst, int32_t width,
                  int32_t height, int32_t outAlign, int32_t rgbOrder) {
  const RgbPositions at = RgbPositionsFor(rgbOrder);
  const YuvBias bias = BiasOf(layout);
  const int64_t pixels = int64_t{width} * height;
  int64_t start[3];
  PlaneStarts(layout.sampleOffsets[0], pixels, UPlane(layout, pixels).bytes,
              VPlane(layout, pixels).bytes, start);
  const uint8_t* yPos = src + start[0];
  const uint8_t* uRow = src + start[1];
  const uint8_t* vRow = src + start[2];
  const ptrdiff_t dstPadding = RowPadding(3 * ptrdiff_t{width}, outAlign);

  const PlanarRow planarRow = SelectRow(kPlanarRows);
  // The U and V pointers advance after every stepX-th pixel counted through the
  // whole image, so the phases carry over from one row to the next.
  int32_t uPhase = 0, vPhase = 0;
  for (int32_t row = 0; row < height; ++row) {
    if (uPhase == 0 && vPhase == 0) {
      // The row starts a sample of both chroma planes: pixel x reads sample x / step.
      planarRow(yPos, uRow, vRow, dst, width, layout.uStepX, layout.vStepX, bias, rgbOrder);
      yPos += width;
      dst += 3 * ptrdiff_t{width};
      uPhase = width % layout.uStepX;
      vPhase = width % layout.vStepX;
    } else {
      const uint8_t* uPos = uRow;
      const uint8_t* vPos = vRow;
      for (int32_t x = 0; x < width; ++x, dst += 3, ++yPos) {
        WriteYuvPixel(*yPos - bias.luma, *uPos - bias.chroma, *vPos - bias.chroma, dst, at);
        if (++uPhase == layout.uStepX) {
          uPhase = 0;
          ++uPos;
        }
        if (++vPhase == layout.vStepX) {
          vPhase = 0;
          ++vPos;
        }
      }
    }
    // A chroma row serves stepY image rows.
    if ((row + 1) % layout.uStepY == 0) uRow += width / layout.uStepX;
    if ((row + 1) % layout.vStepY == 0) vRow += width / layout.vStepX;
    dst += dstPadding;
  }
}

}  // namespace

bool YuvLayoutIsMeaningful(const YuvLayout& layout) {
  if (layout.uStepX < 1 || layout.uStepY < 1 || layout.vStepX < 1 || layout.vStepY < 1) {
    return false;
  }
  if (layout.sampleOffsets == nullptr) return false;
  if (layout.planar != 0) return layout.sampleOffsets[0] >= 0 && layout.sampleOffsets[0] <= 5;

  const int32_t n = layout.groupPixels;
  if (n < 1 || n % layout.uStepX != 0 || n % layout.vStepX != 0) return false;
  // A group holds one byte per sample, and the offsets array one entry per sample.
  const int64_t samples = int64_t{n} + n / layout.uStepX + n / layout.vStepX;
  if (samples > INT32_MAX) return false;
  for (int64_t i = 0; i < samples; ++i) {
    const int32_t offset = layout.sampleOffsets[i];
    if (offset < 0 || offset >= samples) return false;
  }
  return true;
}

int64_t YuvLayoutOffsetEntries(const YuvLayout& layout) {
  if (layout.planar != 0) return 1;
  const int32_t n = layout.groupPixels;
  if (n < 1 || layout.uStepX < 1 || layout.vStepX < 1) return 0;
  return int64_t{n} + n / layout.uStepX + n / layout.vStepX;
}

int32_t PackedGroupBytes(const YuvLayout& layout) {
  const int32_t n = layout.groupPixels;
  return n + n / layout.uStepX + n / layout.vStepX;
}

uint64_t DescribedYuvSourceBytes(const YuvLayout& layout, int32_t width, int32_t height,
                                 int32_t inAlign) {
  const uint64_t pixels = uint64_t(width) * uint64_t(height);
  if (layout.planar != 0) {
    return pixels + pixels / (uint64_t(layout.uStepX) * uint64_t(layout.uStepY)) +
           pixels / (uint64_t(layout.vStepX) * uint64_t(layout.vStepY));
  }
  const uint64_t n = uint64_t(layout.groupPixels);
  const uint64_t groups = (pixels + n - 1) / n;
  const uint64_t padding = uint64_t(RowPadding(3 * ptrdiff_t{width}, inAlign));
  return groups * uint64_t(PackedGroupBytes(layout)) + (uint64_t(height) - 1) * padding;
}

int32_t DescribedYuvToRgb(const YuvLayout& layout, const uint8_t* src, uint8_t* dst,
                          int32_t width, int32_t height, int32_t inAlign, int32_t outAlign,
                          int32_t rgbOrder) {
  if (!YuvLayoutIsMeaningful(layout)) return CLR_ERR_PARAM;
  const bool planar = layout.planar != 0;
  if (width < 1 || height < 1) return CLR_ERR_PARAM;
  if (!planar && (layout.uStepY != 1 || layout.vStepY != 1)) return CLR_ERR_PARAM;
  if (!OneDividesTheOther(layout.uStepY, layout.vStepY)) return CLR_ERR_PARAM;
  if (!OneDividesTheOther(layout.uStepX, layout.vStepX)) return CLR_ERR_PARAM;
  if (planar && inAlign > 1) return CLR_ERR_PARAM;

  const int64_t pixels = int64_t{width} * height;
  if (!planar) {
    // A partial group at the end would read its missing pixels' samples past the
    // image: only whole groups are converted.
    if (pixels % layout.groupPixels != 0) return CLR_ERR_PARAM;
    DecodePacked(layout, src, dst, width, height, inAlign, outAlign, rgbOrder);
    return CLR_OK;
  }
  if (!ChromaWalkStaysInPlane(UPlane(layout, pixels), width, height) ||
      !ChromaWalkStaysInPlane(VPlane(layout, pixels), width, height)) {
    return CLR_ERR_PARAM;
  }
  DecodePlanar(layout, src, dst, width, height, outAlign, rgbOrder);
  return CLR_OK;
}

}  // namespace qclr
