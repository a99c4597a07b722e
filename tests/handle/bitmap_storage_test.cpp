#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "handle/bitmap_from_dib.h"
#include "handle/bitmap_readback.h"
#include "handle/bitmap_storage.h"
#include "platform/platform.h"
#include "qclr/qclr.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using platform::ForceStorageFailure;
using platform::StorageService;
using test::FailureHookScope;
using test::ReadBitmapBytes;

constexpr uint32_t kInMemory = QCLR_BITMAP_ALLOCATED | QCLR_BITMAP_IN_MEMORY;
constexpr uint32_t kTiled = kInMemory | QCLR_BITMAP_TILED;
constexpr uint32_t kOnDisk = QCLR_BITMAP_ALLOCATED | QCLR_BITMAP_ON_DISK;

// A record with the geometry of a 24-bit bitmap and no storage yet.
BitmapRecord Geometry(int32_t width, int32_t height) {
  BitmapRecord record{};
  record.width = width;
  record.height = height;
  record.bitsPerPixel = 24;
  EXPECT_TRUE(BitmapGeometry(width, height, 24, &record.bytesPerLine, &record.dataSize));
  return record;
}

DibHeader Dib24(int32_t width, int32_t height) {
  return TopDownDib24(width, height, (3 * width + 3) / 4 * 4 - 3 * width);
}

TEST(BitmapStorage, EachKindHoldsTheRowsAndIsReleased) {
  struct Case {
    const char* what;
    int32_t mappingFailures;  // forced failures of the memory mappings, -1: all
    uint32_t flags;
  };
  const Case cases[] = {
      {"memory", 0, kInMemory},
      {"tiles", 1, kTiled},
      {"disk", -1, kOnDisk},
  };
  const int32_t width = 13, height = 6;
  const BitmapRecord shape = Geometry(width, height);
  const std::vector<uint8_t> bits = test::RandomBytes(shape.dataSize, 23);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FailureHookScope hooks;
    const size_t descriptors = test::OpenDescriptorCount();
    ForceStorageFailure(StorageService::kSharedMemory, 0, c.mappingFailures);
    BitmapRecord bitmap{};
    ASSERT_EQ(CreateBitmapFromDib(&bitmap, Dib24(width, height), bits.data()), CLR_OK);
    EXPECT_EQ(bitmap.storageFlags, c.flags);
    EXPECT_EQ(ReadBitmapBytes(bitmap), bits);
    std::string fileName;
    if (c.flags == kInMemory) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.data) % 32, 0u);
      EXPECT_LT(bitmap.viewOffset, 32u);
    } else if (c.flags == kTiled) {
      EXPECT_EQ(bitmap.storageHandle, 0u);
      const auto* table = static_cast<const BitmapTileTable*>(bitmap.data);
      EXPECT_EQ(table->tileCount, 1u);
      EXPECT_EQ(table->rowsPerTile, kFirstTileBytes / static_cast<uint32_t>(bitmap.bytesPerLine));
    } else {
      fileName = static_cast<const char*>(bitmap.data);
      EXPECT_EQ(fileName.rfind(std::string(P_tmpdir) + "/QC", 0), 0u) << fileName;
      // Rows plus the one byte written at dataSize to extend the file.
      EXPECT_EQ(std::filesystem::file_size(fileName), bitmap.dataSize + 1u);
    }
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
    const BitmapRecord zero{};
    EXPECT_EQ(std::memcmp(&bitmap, &zero, sizeof zero), 0);
    EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
    if (!fileName.empty()) {
      EXPECT_FALSE(std::filesystem::exists(fileName));
    }
  }
}

TEST(BitmapStorage, TilePlansHalveOnlyWhileMemoryAllows) {
  // 5 pixels a row: 16 bytes a line, 20 rows. Halving stops at 8 lines (128 bytes).
  struct Case {
    const char* what;
    uint32_t firstTileBytes;
    int32_t skip, failures;  // forced mapping failures
    bool memoryKnown;
    int32_t status;
    uint32_t rowsPerTile, tileCount;
  };
  const Case cases[] = {
      {"first plan fits", 256, 0, 0, true, CLR_OK, 16, 2},
      {"second plan after a failed first tile", 256, 0, 1, true, CLR_OK, 8, 3},
      {"second plan after a failed second tile", 256, 1, 1, true, CLR_OK, 8, 3},
      {"no plan below eight lines", 256, 0, 2, true, CLR_ERR_BITMAP_TILES, 0, 0},
      {"no halving without the memory", 256, 0, 1, false, CLR_ERR_BITMAP_TILES, 0, 0},
      {"two halvings", 1024, 0, 2, true, CLR_OK, 16, 2},
      {"tile smaller than a line", 8, 0, 0, true, CLR_OK, 1, 20},
      {"one tile for all", kFirstTileBytes, 0, 0, true, CLR_OK, kFirstTileBytes / 16, 1},
  };
  const std::vector<uint8_t> bits = test::RandomBytes(320, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FailureHookScope hooks;
    const size_t descriptors = test::OpenDescriptorCount();
    ForceStorageFailure(StorageService::kSharedMemory, c.skip, c.failures);
    if (!c.memoryKnown) ForceStorageFailure(StorageService::kMemoryStatus, 0, -1);
    BitmapRecord bitmap = Geometry(5, 20);
    ASSERT_EQ(AllocateTiledStorage(&bitmap, c.firstTileBytes), c.status);
    if (c.status != CLR_OK) {
      EXPECT_EQ(bitmap.data, nullptr);
      EXPECT_EQ(bitmap.storageFlags, 0u);
      EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
      continue;
    }
    EXPECT_EQ(bitmap.storageFlags, kTiled);
    const auto* table = static_cast<const BitmapTileTable*>(bitmap.data);
    EXPECT_EQ(table->rowsPerTile, c.rowsPerTile);
    EXPECT_EQ(table->tileCount, c.tileCount);
    for (int32_t row = 0; row < 20; ++row) {
      ASSERT_EQ(WriteBitmapRow(&bitmap, bits.data() + row * 16, row, 16), CLR_OK);
    }
    EXPECT_EQ(ReadBitmapBytes(bitmap), bits);
    ReleaseBitmapStorage(&bitmap);
    EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
  }
}

TEST(BitmapStorage, TiledWritesRunOnIntoTheNextTile) {
  // 8 rows a tile: rows 0-7, 8-15, 16-19.
  BitmapRecord bitmap = Geometry(5, 20);
  ASSERT_EQ(AllocateTiledStorage(&bitmap, 128), CLR_OK);
  std::vector<uint8_t> expected(320, 0);
  struct Write {
    int32_t row, count, status;
  };
  const Write writes[] = {
      {7, 48, CLR_OK},          // row 7 in the first tile, rows 8 and 9 in the second
      {6, 16 * 12, CLR_OK},     // across two tile ends into the last tile
      {15, 20, CLR_OK},         // a few bytes past one row into the next tile
      {19, 16, CLR_OK},         // the last row
      {19, 17, CLR_ERR_PARAM},  // past the end of the storage
      {20, 1, CLR_ERR_PARAM},
      {-1, 1, CLR_ERR_PARAM},
  };
  int seed = 1;
  for (const Write& w : writes) {
    SCOPED_TRACE(testing::Message() << "row " << w.row << " count " << w.count);
    const std::vector<uint8_t> bytes = test::RandomBytes(static_cast<size_t>(w.count), seed++);
    ASSERT_EQ(WriteBitmapRow(&bitmap, bytes.data(), w.row, w.count), w.status);
    if (w.status == CLR_OK) std::copy(bytes.begin(), bytes.end(), expected.begin() + w.row * 16);
    EXPECT_EQ(ReadBitmapBytes(bitmap), expected);
  }
  ReleaseBitmapStorage(&bitmap);
}

TEST(BitmapStorage, RowCacheFollowsNeighboursAndJumps) {
  for (bool onDisk : {false, true}) {
    SCOPED_TRACE(onDisk ? "disk" : "memory");
    BitmapRecord bitmap = Geometry(5, 10);
    ASSERT_EQ(onDisk ? AllocateDiskStorage(&bitmap) : AllocateMemoryStorage(&bitmap), CLR_OK);
    std::vector<uint8_t> expected(bitmap.dataSize, 0);
    int seed = 40;
    // Forward and back by one row, jumps, the same row twice.
    for (int32_t row : {0, 1, 2, 3, 2, 1, 7, 8, 6, 6, 9, 0, 5}) {
      SCOPED_TRACE(testing::Message() << "row " << row);
      const std::vector<uint8_t> bytes = test::RandomBytes(16, seed++);
      ASSERT_EQ(WriteBitmapRow(&bitmap, bytes.data(), row, 16), CLR_OK);
      EXPECT_EQ(bitmap.cachedRow, row);
      EXPECT_EQ(bitmap.cachedRowOffset, row * 16);
      std::copy(bytes.begin(), bytes.end(), expected.begin() + row * 16);
      EXPECT_EQ(ReadBitmapBytes(bitmap), expected);
    }
    // A neighbour of the cached row is found from the cached offset alone.
    bitmap.cachedRow = 4;
    bitmap.cachedRowOffset = 4 * 16 + 2;
    const std::vector<uint8_t> bytes(16, 0xEE);
    ASSERT_EQ(WriteBitmapRow(&bitmap, bytes.data(), 5, 16), CLR_OK);
    EXPECT_EQ(bitmap.cachedRowOffset, 5 * 16 + 2);
    std::copy(bytes.begin(), bytes.end(), expected.begin() + 5 * 16 + 2);
    EXPECT_EQ(ReadBitmapBytes(bitmap), expected);
    // A cached offset that would write past the storage is refused.
    bitmap.cachedRow = 8;
    bitmap.cachedRowOffset = 8 * 16 + 2;
    EXPECT_EQ(WriteBitmapRow(&bitmap, bytes.data(), 9, 16), CLR_ERR_PARAM);
    ReleaseBitmapStorage(&bitmap);
  }
  BitmapRecord none = Geometry(5, 10);
  const uint8_t row[16] = {};
  EXPECT_EQ(WriteBitmapRow(&none, row, 0, 16), CLR_ERR_BITMAP_STORAGE);
}

TEST(BitmapStorage, FailuresReleaseEverythingAndLeaveTheRecord) {
  struct Case {
    const char* what;
    StorageService service;
    int32_t skip;
    long failAllocation;  // countdown, -1: none
    int32_t status;
  };
  // Every memory mapping fails in each case, so the storage ends on disk. File
  // calls in order: seek to dataSize, write one byte, seek to 0, then per row a
  // seek and a write.
  const Case cases[] = {
      {"no temporary file", StorageService::kTempFile, 0, -1, CLR_ERR_BITMAP_STORAGE},
      {"extending seek", StorageService::kFileSeek, 0, -1, CLR_ERR_BITMAP_SEEK},
      {"extending write", StorageService::kFileWrite, 0, -1, CLR_ERR_BITMAP_WRITE},
      {"rewind", StorageService::kFileSeek, 1, -1, CLR_ERR_BITMAP_SEEK},
      {"seek of the third row", StorageService::kFileSeek, 4, -1, CLR_ERR_BITMAP_SEEK},
      {"write of the second row", StorageService::kFileWrite, 2, -1, CLR_ERR_BITMAP_WRITE},
      {"no identity table", StorageService::kTempFile, 1, 0, CLR_ERR_BITMAP_STORAGE},
  };
  const std::vector<uint8_t> bits = test::RandomBytes(64, 9);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FailureHookScope hooks;
    const size_t descriptors = test::OpenDescriptorCount();
    ForceStorageFailure(StorageService::kSharedMemory, 0, -1);
    ForceStorageFailure(c.service, c.skip, 1);
    SetAllocationFailure(c.failAllocation);
    BitmapRecord bitmap;
    std::memset(&bitmap, 0x77, sizeof bitmap);
    const BitmapRecord before = bitmap;
    EXPECT_EQ(CreateBitmapFromDib(&bitmap, Dib24(5, 4), bits.data()), c.status);
    EXPECT_EQ(std::memcmp(&bitmap, &before, sizeof bitmap), 0);
    EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
  }
}

TEST(BitmapStorage, FreeingAcceptsEmptyRecordsAndRefusesNull) {
  EXPECT_EQ(Q_ClrFreeBitmap(nullptr), CLR_ERR_PARAM);
  BitmapRecord empty{};
  EXPECT_EQ(Q_ClrFreeBitmap(&empty), CLR_OK);
  EXPECT_EQ(Q_ClrFreeBitmap(&empty), CLR_OK);
}

}  // namespace
}  // namespace qclr
