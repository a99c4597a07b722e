// Storing rows into a bitmap's storage. Rows normally arrive in order, so memory
// and disk storage keep the offset of the row last addressed: the next row (or
// the previous one) costs one addition instead of a multiplication.
#include <algorithm>
#include <cstring>

#include "handle/bitmap_storage.h"
#include "platform/platform.h"

namespace qclr {
namespace {

int32_t WriteTiled(const BitmapRecord& bitmap, const uint8_t* bytes, int32_t row, uint32_t count) {
  auto* table = static_cast<BitmapTileTable*>(bitmap.data);
  const BitmapTile* tiles = TileEntries(table);
  const uint64_t lineBytes = static_cast<uint32_t>(bitmap.bytesPerLine);
  const uint64_t tileBytes = uint64_t{table->rowsPerTile} * lineBytes;
  uint32_t tile = static_cast<uint32_t>(row) / table->rowsPerTile;
  uint64_t within = (static_cast<uint32_t>(row) % table->rowsPerTile) * lineBytes;
  // Bytes that run past a tile's end continue at the start of the next tile.
  while (count > 0) {
    if (tile >= table->tileCount) return CLR_ERR_PARAM;
    const uint32_t part = static_cast<uint32_t>(std::min<uint64_t>(count, tileBytes - within));
    std::memcpy(tiles[tile].view + within, bytes, part);
    bytes += part;
    count -= part;
    within = 0;
    ++tile;
  }
  return CLR_OK;
}

// The byte offset of `row`, from the row last addressed when it is a neighbour.
int64_t RowOffset(BitmapRecord* bitmap, int32_t row) {
  const int64_t lineBytes = bitmap->bytesPerLine;
  const int64_t cachedRow = bitmap->cachedRow;
  const int64_t cachedOffset = bitmap->cachedRowOffset;
  if (row == cachedRow + 1) return cachedOffset + lineBytes;
  if (row == cachedRow - 1) return cachedOffset - lineBytes;
  return lineBytes * row;
}

}  // namespace

int32_t WriteBitmapRow(BitmapRecord* bitmap, const uint8_t* rowBytes, int32_t row,
                       int32_t byteCount) {
  if (row < 0 || row >= bitmap->height || byteCount < 0) return CLR_ERR_PARAM;
  const uint32_t count = static_cast<uint32_t>(byteCount);
  const uint32_t flags = bitmap->storageFlags;
  if ((flags & QCLR_BITMAP_TILED) != 0) {
    const uint64_t start = uint64_t{static_cast<uint32_t>(row)} * static_cast<uint32_t>(bitmap->bytesPerLine);
    if (start + count > bitmap->dataSize) return CLR_ERR_PARAM;
    return WriteTiled(*bitmap, rowBytes, row, count);
  }
  if ((flags & (QCLR_BITMAP_IN_MEMORY | QCLR_BITMAP_ON_DISK)) == 0) return CLR_ERR_BITMAP_STORAGE;
  const int64_t offset = RowOffset(bitmap, row);
  if (offset < 0 || offset + count > int64_t{bitmap->dataSize}) return CLR_ERR_PARAM;
  bitmap->cachedRow = row;
  bitmap->cachedRowOffset = static_cast<int32_t>(offset);
  if ((flags & QCLR_BITMAP_IN_MEMORY) != 0) {
    std::memcpy(static_cast<uint8_t*>(bitmap->data) + offset, rowBytes, count);
    return CLR_OK;
  }
  if (platform::SeekTemporaryFile(bitmap->storageHandle, offset) != offset) {
    return CLR_ERR_BITMAP_SEEK;
  }
  if (!platform::WriteTemporaryFile(bitmap->storageHandle, rowBytes, count)) {
    return CLR_ERR_BITMAP_WRITE;
  }
  return CLR_OK;
}

}  // namespace qclr
