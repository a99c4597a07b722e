#include "handle/bitmap_storage.h"

#include <algorithm>
#include <cstring>

#include "base/memory.h"
#include "base/owned.h"
#include "platform/platform.h"

namespace qclr {
namespace {

static_assert(sizeof(BitmapTileTable) % alignof(BitmapTile) == 0,
              "tile entries must follow the header without a gap");

constexpr uint32_t kKindBits = QCLR_BITMAP_IN_MEMORY | QCLR_BITMAP_ON_DISK | QCLR_BITMAP_TILED;

void ReleaseTiles(BitmapTileTable* table, uint32_t count) {
  BitmapTile* tiles = TileEntries(table);
  for (uint32_t i = 0; i < count; ++i) {
    platform::ReleaseSharedMemory(tiles[i].mappingHandle, tiles[i].view);
  }
}

// One plan: tiles of whole rows, as many rows as fit into `tileBytes` (at least
// one). Every tile is mapped, or none stays mapped.
int32_t TryTilePlan(BitmapRecord* bitmap, uint32_t tileBytes) {
  const uint64_t lineBytes = static_cast<uint32_t>(bitmap->bytesPerLine);
  const uint64_t height = static_cast<uint32_t>(bitmap->height);
  const uint64_t rowsPerTile = std::max<uint64_t>(tileBytes, lineBytes) / lineBytes;
  const uint64_t count = (height + rowsPerTile - 1) / rowsPerTile;
  if (count < 1) return CLR_ERR_BITMAP_TILES;
  const uint64_t tableBytes = sizeof(BitmapTileTable) + count * sizeof(BitmapTile);
  if (tableBytes > SIZE_MAX) return CLR_ERR_BITMAP_STORAGE;
  MemPtr<BitmapTileTable> table = AllocOwned<BitmapTileTable>(static_cast<size_t>(tableBytes));
  if (table == nullptr) return CLR_ERR_BITMAP_STORAGE;
  table->tileCount = static_cast<uint32_t>(count);
  table->rowsPerTile = static_cast<uint32_t>(rowsPerTile);
  BitmapTile* tiles = TileEntries(table.get());
  for (uint64_t i = 0; i < count; ++i) {
    // The last tile holds only the rows left.
    const uint64_t rows = std::min(rowsPerTile, height - i * rowsPerTile);
    platform::SharedMemory mapping{};
    if (!platform::CreateSharedMemory(static_cast<size_t>(rows * lineBytes), &mapping)) {
      ReleaseTiles(table.get(), static_cast<uint32_t>(i));
      return CLR_ERR_BITMAP_TILES;
    }
    tiles[i] = BitmapTile{mapping.handle, mapping.view};
  }
  bitmap->storageHandle = 0;
  bitmap->data = table.release();
  bitmap->storageFlags = QCLR_BITMAP_TILED | QCLR_BITMAP_IN_MEMORY | QCLR_BITMAP_ALLOCATED;
  return CLR_OK;
}

}  // namespace

BitmapTile* TileEntries(BitmapTileTable* table) { return reinterpret_cast<BitmapTile*>(table + 1); }

int32_t AllocateMemoryStorage(BitmapRecord* bitmap) {
  // 31 bytes more than needed, so that the rows can start at a multiple of 32.
  platform::SharedMemory mapping{};
  if (!platform::CreateSharedMemory(size_t{bitmap->dataSize} + 31, &mapping)) {
    return CLR_ERR_BITMAP_STORAGE;
  }
  const auto address = reinterpret_cast<uintptr_t>(mapping.view);
  const uint32_t skip = static_cast<uint32_t>(((address + 31) & ~uintptr_t{31}) - address);
  bitmap->storageHandle = mapping.handle;
  bitmap->data = mapping.view + skip;
  bitmap->viewOffset = skip;
  bitmap->storageFlags = QCLR_BITMAP_IN_MEMORY | QCLR_BITMAP_ALLOCATED;
  return CLR_OK;
}

int32_t AllocateTiledStorage(BitmapRecord* bitmap, uint32_t firstTileBytes) {
  uint32_t tileBytes = firstTileBytes;
  int32_t status = TryTilePlan(bitmap, tileBytes);
  if (status == CLR_OK) return CLR_OK;
  // Smaller tiles fit into a fragmented address space more easily, but only help
  // when the memory to fill them is there at all.
  if (platform::AvailableMemoryBytes() < bitmap->dataSize) return status;
  const uint64_t smallest = uint64_t{8} * static_cast<uint32_t>(bitmap->bytesPerLine);
  while (tileBytes > smallest) {
    tileBytes /= 2;
    status = TryTilePlan(bitmap, tileBytes);
    if (status == CLR_OK) return CLR_OK;
  }
  return status;
}

int32_t AllocateDiskStorage(BitmapRecord* bitmap) {
  char name[platform::kTempNameCapacity];
  uint32_t file = 0;
  if (!platform::CreateTemporaryFile(kTempFilePrefix, &file, name, sizeof name)) {
    return CLR_ERR_BITMAP_STORAGE;
  }
  const size_t length = std::strlen(name);
  MemPtr<char> ownName = AllocOwned<char>(length + 1);
  if (ownName == nullptr) {
    platform::ReleaseTemporaryFile(file, name);
    return CLR_ERR_BITMAP_STORAGE;
  }
  std::memcpy(ownName.get(), name, length + 1);
  // One byte written at offset dataSize makes the file cover every row.
  const int64_t end = bitmap->dataSize;
  const uint8_t zero = 0;
  int32_t status = CLR_OK;
  if (platform::SeekTemporaryFile(file, end) != end) {
    status = CLR_ERR_BITMAP_SEEK;
  } else if (!platform::WriteTemporaryFile(file, &zero, 1)) {
    status = CLR_ERR_BITMAP_WRITE;
  } else if (platform::SeekTemporaryFile(file, 0) != 0) {
    status = CLR_ERR_BITMAP_SEEK;
  }
  if (status != CLR_OK) {
    platform::ReleaseTemporaryFile(file, ownName.get());
    return status;
  }
  bitmap->storageHandle = file;
  bitmap->data = ownName.release();
  bitmap->storageFlags = QCLR_BITMAP_ON_DISK | QCLR_BITMAP_ALLOCATED;
  return CLR_OK;
}

int32_t AllocateBitmapStorage(BitmapRecord* bitmap) {
  if (bitmap->dataSize == 0) return CLR_ERR_BITMAP_EMPTY;
  MemPtr<uint8_t> identity = AllocOwned(256);
  if (identity == nullptr) return CLR_ERR_BITMAP_STORAGE;
  for (int i = 0; i < 256; ++i) identity.get()[i] = static_cast<uint8_t>(i);
  int32_t status = AllocateMemoryStorage(bitmap);
  if (status != CLR_OK) status = AllocateTiledStorage(bitmap, kFirstTileBytes);
  if (status != CLR_OK) status = AllocateDiskStorage(bitmap);
  if (status != CLR_OK) return status;
  bitmap->identityTable = identity.release();
  return CLR_OK;
}

void ReleaseBitmapStorage(BitmapRecord* bitmap) {
  const uint32_t flags = bitmap->storageFlags;
  if ((flags & QCLR_BITMAP_ALLOCATED) != 0) {
    if ((flags & QCLR_BITMAP_TILED) != 0) {
      auto* table = static_cast<BitmapTileTable*>(bitmap->data);
      ReleaseTiles(table, table->tileCount);
      MemFree(table);
    } else if ((flags & QCLR_BITMAP_IN_MEMORY) != 0) {
      platform::ReleaseSharedMemory(bitmap->storageHandle,
                                    static_cast<uint8_t*>(bitmap->data) - bitmap->viewOffset);
    } else if ((flags & QCLR_BITMAP_ON_DISK) != 0) {
      platform::ReleaseTemporaryFile(bitmap->storageHandle, static_cast<char*>(bitmap->data));
      MemFree(bitmap->data);
    }
  }
  MemFree(bitmap->identityTable);
  bitmap->identityTable = nullptr;
  bitmap->storageHandle = 0;
  bitmap->data = nullptr;
  bitmap->viewOffset = 0;
  bitmap->storageFlags &= ~(kKindBits | QCLR_BITMAP_ALLOCATED);
}

}  // namespace qclr
