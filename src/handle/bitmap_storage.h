// The pixel storage of a bitmap record: allocated as one memory mapping, else in
// tiles of memory mappings, else in a temporary file, and written one row at a time.
#pragma once

#include <cstdint>

#include "qclr/qclr.h"

namespace qclr {

// Size of the first tile plan; later plans halve it.
inline constexpr uint32_t kFirstTileBytes = 67108864;  // 64 MB

// Name prefix of the temporary files that hold bitmaps on disk.
inline constexpr char kTempFilePrefix[] = "QC";

// Allocates the identity table and storage for the record's dataSize bytes,
// trying a memory mapping, then tiles, then a temporary file; sets storageHandle,
// data, viewOffset and storageFlags. CLR_ERR_BITMAP_EMPTY for a dataSize of 0; on
// failure nothing stays allocated and the status of the last kind tried is returned.
int32_t AllocateBitmapStorage(BitmapRecord* bitmap);

// The three kinds on their own (AllocateBitmapStorage tries them in this order).
int32_t AllocateMemoryStorage(BitmapRecord* bitmap);
int32_t AllocateTiledStorage(BitmapRecord* bitmap, uint32_t firstTileBytes);
int32_t AllocateDiskStorage(BitmapRecord* bitmap);

// Releases the storage of whatever kind and the identity table, and clears the
// storage fields. A record without storage is left as it is.
void ReleaseBitmapStorage(BitmapRecord* bitmap);

// The tile entries that follow a tile table's header.
BitmapTile* TileEntries(BitmapTileTable* table);

// Stores `byteCount` bytes from `rowBytes` at the start of row `row`; a count
// longer than a row runs on into the following rows. Memory and disk storage find
// the row's offset through the record's row cache. CLR_ERR_PARAM when the bytes
// would fall outside the storage, CLR_ERR_BITMAP_STORAGE when the record holds no
// storage, CLR_ERR_BITMAP_SEEK / CLR_ERR_BITMAP_WRITE when the file refuses.
int32_t WriteBitmapRow(BitmapRecord* bitmap, const uint8_t* rowBytes, int32_t row,
                       int32_t byteCount);

}  // namespace qclr
