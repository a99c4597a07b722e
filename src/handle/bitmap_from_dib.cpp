#include "handle/bitmap_from_dib.h"

#include <cstdlib>

#include "handle/bitmap_storage.h"
#include "platform/platform.h"

namespace qclr {
namespace {

constexpr uint32_t kDefaultFlags = 7;
constexpr int32_t kDefaultResolution = 150;  // dots per inch

// Pixels per metre to dots per inch, rounded to the nearest.
int32_t DotsPerInch(int32_t pixelsPerMetre) {
  return static_cast<int32_t>((int64_t{pixelsPerMetre} * 254 + 5000) / 10000);
}

int32_t ChannelOrder(uint32_t bitCount) {
  if (bitCount == 12) return 2;
  return bitCount > 8 ? 1 : 0;
}

// The record before its storage: geometry, the thread's defaults, the constants.
BitmapRecord InitialRecord(int32_t width, int32_t height, uint32_t bitCount,
                           int32_t bytesPerLine, uint32_t dataSize) {
  BitmapRecord record{};
  record.width = width;
  record.height = height;
  record.bitsPerPixel = static_cast<int32_t>(bitCount);
  record.bytesPerLine = bytesPerLine;
  record.dataSize = dataSize;
  const platform::ThreadDefaults* defaults = platform::CurrentThreadDefaults();
  record.defaultFlags = defaults != nullptr ? defaults->flags : kDefaultFlags;
  record.xResolution = defaults != nullptr && defaults->xResolution > 0 ? defaults->xResolution
                                                                        : kDefaultResolution;
  record.yResolution = defaults != nullptr && defaults->yResolution > 0 ? defaults->yResolution
                                                                        : kDefaultResolution;
  record.orientation = 2;
  record.channelOrder = ChannelOrder(bitCount);
  record.paletteColors = bitCount <= 8 ? 1 << bitCount : 0;
  record.bitRange1[1] = static_cast<int32_t>(bitCount) - 1;
  record.bitRange2[1] = static_cast<int32_t>(bitCount) - 1;
  record.percent = 100;
  return record;
}

}  // namespace

bool BitCountSupported(uint32_t bitCount) {
  switch (bitCount) {
    case 1: case 2: case 3: case 4: case 5: case 6: case 7: case 8:
    case 12: case 16: case 24: case 32: case 48: case 64:
      return true;
    default:
      return false;
  }
}

bool BitmapGeometry(int32_t width, int32_t height, uint32_t bitCount, int32_t* bytesPerLine,
                    uint32_t* dataSize) {
  if (width < 0 || height < 0) return false;
  const uint64_t line = (uint64_t{bitCount} * static_cast<uint32_t>(width) + 31) / 32 * 4;
  const uint64_t total = line * static_cast<uint32_t>(height);
  // Row offsets live in the record's signed 32-bit row cache.
  if (line > INT32_MAX || total > INT32_MAX) return false;
  *bytesPerLine = static_cast<int32_t>(line);
  *dataSize = static_cast<uint32_t>(total);
  return true;
}

int32_t CreateBitmapFromDib(BitmapRecord* bitmap, const DibHeader& header, const uint8_t* bits) {
  if (bitmap == nullptr || bits == nullptr) return CLR_ERR_PARAM;
  if (!BitCountSupported(header.bitCount)) return CLR_ERR_BITMAP_BITS;
  if (header.height == INT32_MIN) return CLR_ERR_PARAM;
  const int32_t height = std::abs(header.height);
  int32_t bytesPerLine = 0;
  uint32_t dataSize = 0;
  if (!BitmapGeometry(header.width, height, header.bitCount, &bytesPerLine, &dataSize)) {
    return CLR_ERR_PARAM;
  }
  BitmapRecord record = InitialRecord(header.width, height, header.bitCount, bytesPerLine, dataSize);
  const int32_t status = AllocateBitmapStorage(&record);
  if (status != CLR_OK) return status;
  for (int32_t row = 0; row < height; ++row) {
    const int32_t written =
        WriteBitmapRow(&record, bits + static_cast<size_t>(row) * static_cast<size_t>(bytesPerLine),
                       row, bytesPerLine);
    if (written != CLR_OK) {
      ReleaseBitmapStorage(&record);
      return written;
    }
  }
  // Without pixels per metre the thread's default resolution stands.
  if (header.xPixelsPerMetre != 0) record.xResolution = DotsPerInch(header.xPixelsPerMetre);
  if (header.yPixelsPerMetre != 0) record.yResolution = DotsPerInch(header.yPixelsPerMetre);
  record.orientation = header.height < 0 ? 0 : 2;
  *bitmap = record;
  return CLR_OK;
}

}  // namespace qclr
