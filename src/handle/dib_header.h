// The header of a device-independent bitmap as the bitmap exports describe their
// converted rows: the 40-byte BITMAPINFOHEADER layout, little-endian.
#pragma once

#include <cstdint>

namespace qclr {

struct DibHeader {
  uint32_t headerSize;
  int32_t width;
  int32_t height;  // negative: the top row comes first
  uint16_t planes;
  uint16_t bitCount;
  uint32_t compression;  // 0: uncompressed
  uint32_t imageSize;
  int32_t xPixelsPerMetre;  // 0: not given
  int32_t yPixelsPerMetre;
  uint32_t colorsUsed;
  uint32_t colorsImportant;
};
static_assert(sizeof(DibHeader) == 40);

// The header of `height` top-down rows of `width` 24-bit pixels, each row followed
// by `rowPadding` bytes. The size field holds 44 and the image size counts the
// padding as pixels, (rowPadding + width) x 3 x height; this library reads neither.
inline DibHeader TopDownDib24(int32_t width, int32_t height, int32_t rowPadding) {
  DibHeader header{};
  header.headerSize = 44;
  header.width = width;
  header.height = -height;
  header.planes = 1;
  header.bitCount = 24;
  header.imageSize = (static_cast<uint32_t>(rowPadding) + static_cast<uint32_t>(width)) * 3u *
                     static_cast<uint32_t>(height);
  return header;
}

}  // namespace qclr
