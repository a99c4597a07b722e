// Bitmap output: records filled from a DIB, their storage in memory, in tiles or on
// disk, and the two bitmap exports.
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include "base/memory.h"
#include "handle/bitmap_from_dib.h"
#include "handle/bitmap_storage.h"
#include "handle/clr_handle.h"
#include "platform/platform.h"
#include "qclr/qclr.h"
#include "support/allocation_walk.h"
#include "support/handle_fixtures.h"
#include "support/test_buffers.h"

namespace qclr {
namespace {

using platform::ForceStorageFailure;
using platform::StorageService;
using V = std::vector<uint8_t>;

constexpr uint32_t kInMemory = QCLR_BITMAP_ALLOCATED | QCLR_BITMAP_IN_MEMORY;
constexpr uint32_t kTiled = kInMemory | QCLR_BITMAP_TILED;
constexpr uint32_t kOnDisk = QCLR_BITMAP_ALLOCATED | QCLR_BITMAP_ON_DISK;

// All dataSize bytes of the record's storage, row after row, through whichever
// storage it holds; empty without storage.
V ReadBitmapBytes(const BitmapRecord& bitmap) {
  V bytes(bitmap.dataSize);
  const size_t line = static_cast<size_t>(bitmap.bytesPerLine);
  if ((bitmap.storageFlags & QCLR_BITMAP_TILED) != 0) {
    const auto* table = static_cast<const BitmapTileTable*>(bitmap.data);
    const auto* tiles = reinterpret_cast<const BitmapTile*>(table + 1);
    for (size_t i = 0, row = 0; i < table->tileCount; ++i, row += table->rowsPerTile) {
      const size_t rows = std::min<size_t>(table->rowsPerTile, static_cast<size_t>(bitmap.height) - row);
      std::copy(tiles[i].view, tiles[i].view + rows * line, bytes.begin() + static_cast<ptrdiff_t>(row * line));
    }
  } else if ((bitmap.storageFlags & QCLR_BITMAP_IN_MEMORY) != 0) {
    std::copy_n(static_cast<const uint8_t*>(bitmap.data), bitmap.dataSize, bytes.begin());
  } else if ((bitmap.storageFlags & QCLR_BITMAP_ON_DISK) != 0) {
#ifdef _WIN32
    // The library's handle deletes the file when it closes, so another open of it
    // must share deletion.
    HANDLE file = CreateFileA(static_cast<const char*>(bitmap.data), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
    DWORD got = 0;
    if (file == INVALID_HANDLE_VALUE || !ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
        got != bytes.size()) {
      bytes.clear();
    }
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
#else
    // Through the file's descriptor: the name is gone as soon as the file is open.
    const auto got = pread(static_cast<int>(bitmap.storageHandle), bytes.data(), bytes.size(), 0);
    if (got != static_cast<ssize_t>(bytes.size())) bytes.clear();
#endif
  } else {
    bytes.clear();
  }
  return bytes;
}

// Open file descriptors (Windows: handles) of this process: a leaked mapping or
// file shows up here.
size_t OpenDescriptors() {
#ifdef _WIN32
  // The system hands out the lowest free handle values first; a probe of the low
  // ones sees every handle a test opens.
  size_t open = 0;
  DWORD flags = 0;
  for (uintptr_t value = 4; value < 4096; value += 4) {
    open += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) ? 1 : 0;
  }
  return open;
#else
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<size_t>(std::distance(begin(fds), end(fds)));
#endif
}

// Where the on-disk storage's files are made, with their name prefix.
std::string TemporaryFilePrefix() {
#ifdef _WIN32
  char folder[MAX_PATH + 1] = {};
  GetTempPathA(sizeof folder, folder);
  return std::string(folder) + "QC";
#else
  return std::string(P_tmpdir) + "/QC";
#endif
}

// Ends every forced failure (storage services and allocations) when it goes.
struct FailureHookScope {
  ~FailureHookScope() {
    platform::ClearStorageFailures();
    SetAllocationFailure(-1);
  }
};

DibHeader Dib(int32_t width, int32_t height, uint16_t bits = 24, int32_t xPerMetre = 0, int32_t yPerMetre = 0) {
  return DibHeader{40, width, height, 1, bits, 0, 0, xPerMetre, yPerMetre, 0, 0};
}

// A 24-bit record with its geometry and no storage yet.
BitmapRecord Geometry(int32_t width, int32_t height) {
  BitmapRecord record{};
  record.width = width;
  record.height = height;
  record.bitsPerPixel = 24;
  EXPECT_TRUE(BitmapGeometry(width, height, 24, &record.bytesPerLine, &record.dataSize));
  return record;
}

// A record filled with a pattern, to see whether a call wrote to it.
BitmapRecord PatternRecord(int pattern) {
  BitmapRecord record;
  std::memset(&record, pattern, sizeof record);
  return record;
}

bool SameBytes(const BitmapRecord& a, const BitmapRecord& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(BitmapFromDib, AcceptsTheBitCountsARecordDescribes) {
  const int32_t width = 33, height = 3;  // 1 bit: 33 bits round up to 8 bytes
  for (uint16_t bits = 0; bits <= 65; ++bits) {
    SCOPED_TRACE(testing::Message() << bits << " bits");
    const bool supported = (bits >= 1 && bits <= 8) || bits == 12 || bits == 16 || bits == 24 ||
                           bits == 32 || bits == 48 || bits == 64;
    const int32_t line = (bits * width + 31) / 32 * 4;
    const V rows = test::RandomBytes(static_cast<size_t>(line * height) + 1, bits);
    BitmapRecord bitmap{};
    const int32_t status = CreateBitmapFromDib(&bitmap, Dib(width, -height, bits), rows.data());
    if (!supported) {
      EXPECT_EQ(status, CLR_ERR_BITMAP_BITS);
      EXPECT_EQ(bitmap.data, nullptr);
      continue;
    }
    ASSERT_EQ(status, CLR_OK);
    EXPECT_EQ(std::tuple(bitmap.bytesPerLine, bitmap.dataSize, bitmap.paletteColors, bitmap.channelOrder),
              std::tuple(line, uint32_t(line * height), bits <= 8 ? 1 << bits : 0, bits == 12 ? 2 : bits > 8 ? 1 : 0));
    EXPECT_EQ(std::tuple(bitmap.bitRange1[1], bitmap.bitRange2[1], bitmap.percent),
              std::tuple(bits - 1, bits - 1, 100));
    EXPECT_EQ(ReadBitmapBytes(bitmap), V(rows.begin(), rows.end() - 1));
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
  }
}

// Pixels per metre become dots per inch, (ppm x 254 + 5000) / 10000 truncated
// toward zero; where the DIB gives none, the calling thread's defaults stand (150
// unless the thread changed them; each thread has its own).
TEST(BitmapFromDib, ResolutionFromTheDibOrTheThreadsDefaults) {
  const V rows(32, 0);
  const auto expectRecord = [&](const DibHeader& header, uint32_t flags, int32_t x, int32_t y) {
    BitmapRecord bitmap{};
    ASSERT_EQ(CreateBitmapFromDib(&bitmap, header, rows.data()), CLR_OK);
    EXPECT_EQ(bitmap.defaultFlags, flags);
    EXPECT_EQ(std::pair(bitmap.xResolution, bitmap.yResolution), std::pair(x, y));
    EXPECT_EQ(bitmap.orientation, header.height < 0 ? 0 : 2);
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
  };
  expectRecord(Dib(5, 2, 24, 3780, 2835), 7, 96, 72);
  expectRecord(Dib(5, -2, 24, -3780, 11811), 7, -95, 300);
  expectRecord(Dib(5, -2, 24, INT32_MAX, 0), 7, 54546085, 150);
  std::thread([&] {
    *platform::CurrentThreadDefaults() = platform::ThreadDefaults{3, 0, 72};  // 0: no resolution
    expectRecord(Dib(5, 2, 24, 0, 20), 3, 150, 1);
  }).join();
  expectRecord(Dib(5, -2), 7, 150, 150);
  FailureHookScope hooks;
  ForceStorageFailure(StorageService::kThreadDefaults, 0, 1);
  expectRecord(Dib(5, -2), 7, 150, 150);
}

TEST(BitmapStorage, EachKindHoldsTheRowsAndIsReleased) {
  struct Case {
    int32_t mappingFailures;  // forced failures of the memory mappings, -1: all
    uint32_t flags;
  };
  const V bits = test::RandomBytes(Geometry(13, 6).dataSize, 23);
  for (const Case& c : {Case{0, kInMemory}, Case{1, kTiled}, Case{-1, kOnDisk}}) {
    SCOPED_TRACE(testing::Message() << "flags " << c.flags);
    FailureHookScope hooks;
    const size_t descriptors = OpenDescriptors();
    ForceStorageFailure(StorageService::kSharedMemory, 0, c.mappingFailures);
    BitmapRecord bitmap{};
    ASSERT_EQ(CreateBitmapFromDib(&bitmap, Dib(13, -6), bits.data()), CLR_OK);
    EXPECT_EQ(bitmap.storageFlags, c.flags);
    EXPECT_EQ(ReadBitmapBytes(bitmap), bits);
    ASSERT_NE(bitmap.identityTable, nullptr);
    for (int i = 0; i < 256; ++i) ASSERT_EQ(bitmap.identityTable[i], i);
    const std::string fileName = c.flags == kOnDisk ? static_cast<const char*>(bitmap.data) : "";
    if (c.flags == kInMemory) {
      EXPECT_EQ(reinterpret_cast<uintptr_t>(bitmap.data) % 32, 0u);
    } else if (c.flags == kTiled) {
      EXPECT_EQ(bitmap.storageHandle, 0u);
    } else {
      EXPECT_EQ(fileName.rfind(TemporaryFilePrefix(), 0), 0u) << fileName;
#ifdef _WIN32
      // Rows plus the one byte written at dataSize to extend the file.
      EXPECT_EQ(std::filesystem::file_size(fileName), bitmap.dataSize + 1u);
#else
      // The name is gone as soon as the file is open, so that nothing is left
      // behind should the process end before the bitmap is released.
      EXPECT_FALSE(std::filesystem::exists(fileName)) << fileName;
      // Rows plus the one byte written at dataSize to extend the file.
      struct stat info {};
      ASSERT_EQ(fstat(static_cast<int>(bitmap.storageHandle), &info), 0);
      EXPECT_EQ(info.st_size, bitmap.dataSize + 1);
#endif
    }
    EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
    EXPECT_TRUE(SameBytes(bitmap, BitmapRecord{}));
    EXPECT_EQ(OpenDescriptors(), descriptors);
    EXPECT_TRUE(fileName.empty() || !std::filesystem::exists(fileName));
  }
  BitmapRecord empty{};
  EXPECT_EQ(Q_ClrFreeBitmap(&empty), CLR_OK);
  EXPECT_EQ(Q_ClrFreeBitmap(nullptr), CLR_ERR_PARAM);
}

// 5 pixels a row: 16 bytes a line, 20 rows. Halving stops at 8 lines (128 bytes).
// Rows are written one by one, then 15 rows at once from row 3, running on
// through the tile ends.
TEST(BitmapStorage, TilePlansHalveOnlyWhileMemoryAllows) {
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
  };
  const V bits = test::RandomBytes(320, 3);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FailureHookScope hooks;
    const size_t descriptors = OpenDescriptors();
    ForceStorageFailure(StorageService::kSharedMemory, c.skip, c.failures);
    if (!c.memoryKnown) ForceStorageFailure(StorageService::kMemoryStatus, 0, -1);
    BitmapRecord bitmap = Geometry(5, 20);
    ASSERT_EQ(AllocateTiledStorage(&bitmap, c.firstTileBytes), c.status);
    if (c.status == CLR_OK) {
      const auto* table = static_cast<const BitmapTileTable*>(bitmap.data);
      EXPECT_EQ(table->rowsPerTile, c.rowsPerTile);
      EXPECT_EQ(table->tileCount, c.tileCount);
      EXPECT_EQ(WriteBitmapRow(&bitmap, bits.data(), 19, 17), CLR_ERR_PARAM);  // past the end
      EXPECT_EQ(WriteBitmapRow(&bitmap, bits.data(), 20, 1), CLR_ERR_PARAM);
      for (int32_t row = 0; row < 20; ++row) ASSERT_EQ(WriteBitmapRow(&bitmap, &bits[16 * row], row, 16), CLR_OK);
      ASSERT_EQ(WriteBitmapRow(&bitmap, &bits[16], 3, 240), CLR_OK);
      V expected = bits;
      std::copy_n(&bits[16], 240, &expected[48]);
      EXPECT_EQ(ReadBitmapBytes(bitmap), expected);
      ReleaseBitmapStorage(&bitmap);
    }
    EXPECT_EQ(bitmap.storageFlags, 0u);
    EXPECT_EQ(OpenDescriptors(), descriptors);
  }
}

// Memory and disk storage write rows in any order (found from the cached row when
// it is a neighbour); a cached offset that would write past the storage is refused.
TEST(BitmapStorage, RowsInAnyOrderAndNoWritePastTheEnd) {
  for (bool onDisk : {false, true}) {
    SCOPED_TRACE(onDisk ? "disk" : "memory");
    BitmapRecord bitmap = Geometry(5, 10);
    ASSERT_EQ(onDisk ? AllocateDiskStorage(&bitmap) : AllocateMemoryStorage(&bitmap), CLR_OK);
    const V bits = test::RandomBytes(bitmap.dataSize, 40);
    for (int32_t row : {0, 1, 2, 3, 2, 1, 7, 8, 6, 4, 9, 0, 5}) {
      ASSERT_EQ(WriteBitmapRow(&bitmap, &bits[16 * row], row, 16), CLR_OK);
      EXPECT_EQ(std::pair(bitmap.cachedRow, bitmap.cachedRowOffset), std::pair(row, 16 * row));
    }
    EXPECT_EQ(ReadBitmapBytes(bitmap), bits);
    bitmap.cachedRow = 8, bitmap.cachedRowOffset = 8 * 16 + 2;
    EXPECT_EQ(WriteBitmapRow(&bitmap, bits.data(), 9, 16), CLR_ERR_PARAM);
    ReleaseBitmapStorage(&bitmap);
  }
  BitmapRecord none = Geometry(5, 10);
  EXPECT_EQ(WriteBitmapRow(&none, test::RandomBytes(16, 1).data(), 0, 16), CLR_ERR_BITMAP_STORAGE);
}

// Refusals and failed storage leave nothing allocated or open and the record as it was. Storage
// ends on disk; file calls: seek to dataSize, write a byte, seek to 0, per row a seek and a write.
TEST(BitmapFromDib, FailuresReleaseEverythingAndLeaveTheRecord) {
  struct Case {
    const char* what;
    DibHeader header;
    StorageService service;
    int32_t skip;         // the service fails after `skip` calls; -1: it does not
    long failAllocation;  // countdown, -1: none
    int32_t status;
  };
  const StorageService kNone = StorageService::kTempFile;
  const Case cases[] = {
      {"zero width", Dib(0, -4), kNone, -1, -1, CLR_ERR_BITMAP_EMPTY},
      {"zero height", Dib(4, 0), kNone, -1, -1, CLR_ERR_BITMAP_EMPTY},
      {"bit count before size", Dib(0, 0, 9), kNone, -1, -1, CLR_ERR_BITMAP_BITS},
      {"negative width", Dib(-4, -4), kNone, -1, -1, CLR_ERR_PARAM},
      {"smallest height", Dib(4, INT32_MIN), kNone, -1, -1, CLR_ERR_PARAM},
      {"rows beyond 32-bit offsets", Dib(100000, -100000), kNone, -1, -1, CLR_ERR_PARAM},
      {"no temporary file", Dib(5, -4), StorageService::kTempFile, 0, -1, CLR_ERR_BITMAP_STORAGE},
      {"extending seek", Dib(5, -4), StorageService::kFileSeek, 0, -1, CLR_ERR_BITMAP_SEEK},
      {"extending write", Dib(5, -4), StorageService::kFileWrite, 0, -1, CLR_ERR_BITMAP_WRITE},
      {"rewind", Dib(5, -4), StorageService::kFileSeek, 1, -1, CLR_ERR_BITMAP_SEEK},
      {"seek of the third row", Dib(5, -4), StorageService::kFileSeek, 4, -1, CLR_ERR_BITMAP_SEEK},
      {"write of the second row", Dib(5, -4), StorageService::kFileWrite, 2, -1, CLR_ERR_BITMAP_WRITE},
      {"no identity table", Dib(5, -4), StorageService::kTempFile, 1, 0, CLR_ERR_BITMAP_STORAGE},
  };
  const V bits = test::RandomBytes(64, 9);
  for (const Case& c : cases) {
    FailureHookScope hooks;
    const size_t descriptors = OpenDescriptors();
    ForceStorageFailure(StorageService::kSharedMemory, 0, -1);
    if (c.skip >= 0) ForceStorageFailure(c.service, c.skip, 1);
    SetAllocationFailure(c.failAllocation);
    BitmapRecord bitmap = PatternRecord(0x77);
    EXPECT_EQ(CreateBitmapFromDib(&bitmap, c.header, bits.data()), c.status) << c.what;
    EXPECT_TRUE(SameBytes(bitmap, PatternRecord(0x77))) << c.what;
    EXPECT_EQ(OpenDescriptors(), descriptors) << c.what;
  }
  EXPECT_EQ(CreateBitmapFromDib(nullptr, Dib(4, -4), bits.data()), CLR_ERR_PARAM);
}

// Either export, the handle one through a built-in handle for the pair.
int32_t ConvertToBitmap(bool throughHandle, int32_t srcSpace, int32_t dstSpace, const uint8_t* src,
                        BitmapRecord* bitmap, int32_t width, int32_t height, int32_t outAlign) {
  if (!throughHandle) return Q_ClrConvertDirectToBitmap(srcSpace, dstSpace, src, bitmap, width, height, 4, outAlign);
  test::HandleGuard g;
  EXPECT_EQ(Q_ClrInit(&g.h, srcSpace, dstSpace, nullptr), CLR_OK);
  return Q_ClrConvertToBitmap(g.h, src, bitmap, width, height, 4, outAlign);
}

// The bitmap's rows are 3 x width bytes rounded up to 4 whatever outAlign says:
// rows laid out for outAlign were once read at that stride, misread and overrun.
TEST(ConvertToBitmap, FillsTheRecordWhateverTheOutputAlignment) {
  struct Case {
    int32_t width, height, dstSpace;
  };
  for (const bool throughHandle : {true, false}) {
    for (const Case& c : {Case{5, 2, CSP_RGB}, Case{4, 3, CSP_BGR}, Case{7, 5, CSP_BGR}}) {
      for (const int32_t outAlign : {4, 0, 1, 3, 8, -4}) {
        SCOPED_TRACE(testing::Message() << (throughHandle ? "handle" : "direct") << " width " << c.width
                                        << " outAlign " << outAlign);
        test::PaddedImage src(3 * c.width, c.height, 4);
        src.SetRows(test::RandomBytes(static_cast<size_t>(3 * c.width * c.height), 17));
        BitmapRecord bitmap = PatternRecord(0x5C);
        ASSERT_EQ(ConvertToBitmap(throughHandle, CSP_CMY, c.dstSpace, src.data(), &bitmap, c.width, c.height, outAlign),
                  CLR_OK);
        const int32_t line = (3 * c.width + 3) / 4 * 4;
        V rows(static_cast<size_t>(line * c.height), 0);
        ASSERT_EQ(Q_ClrConvertDirect(CSP_CMY, c.dstSpace, src.data(), rows.data(), c.width, c.height, 4, 4), CLR_OK);
        // reserved40: the pattern is gone from every field.
        EXPECT_EQ(std::tuple(bitmap.width, bitmap.height, bitmap.bytesPerLine, bitmap.orientation, bitmap.storageFlags,
                             bitmap.reserved40),
                  std::tuple(c.width, c.height, line, 0, kInMemory, 0u));
        EXPECT_EQ(ReadBitmapBytes(bitmap), rows);
        EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
      }
    }
  }
}

// Every failure leaves the record as it was; refusals come before any allocation.
TEST(ConvertToBitmap, FailuresLeaveTheRecordUntouched) {
  FailureHookScope hooks;
  const V src(64, 0x40);
  test::HandleGuard cmyk, cmy;
  ASSERT_EQ(Q_ClrInit(&cmyk.h, CSP_RGB, CSP_CMYK, nullptr), CLR_OK);
  ASSERT_EQ(Q_ClrInit(&cmy.h, CSP_CMY, CSP_RGB, nullptr), CLR_OK);
  ClrHandle unregistered{};  // looks like a handle but is not registered
  unregistered.structSize = kHandleMarker;
  unregistered.dstSpace = CSP_RGB;
  struct Case {
    const char* what;
    ClrHandle* handle;  // null: the direct export
    int32_t srcSpace, dstSpace;
    const uint8_t* src;
    bool nullRecord;
    int32_t width;
    long failAllocation;  // countdown of the allocation hook, -1: none
    int32_t status;
  };
  const uint8_t* s = src.data();
  const Case cases[] = {
      // Refused with the hook armed for the very next allocation: had anything
      // been allocated, the status would be CLR_ERR_NOMEM and the hook spent.
      {"CMYK destination", cmyk.h, 0, 0, s, false, 5, 0, CLR_ERR_PARAM},
      {"dead handle", &unregistered, 0, 0, s, false, 5, 0, CLR_ERR_HANDLE},
      {"null record", cmy.h, 0, 0, s, true, 5, 0, CLR_ERR_PARAM},
      {"too large for the record", cmy.h, 0, 0, s, false, 400000000, 0, CLR_ERR_PARAM},
      {"direct, LAB destination", nullptr, CSP_CMY, CSP_LAB, s, false, 5, 0, CLR_ERR_PARAM},
      {"direct, null record", nullptr, CSP_CMY, CSP_BGR, s, true, 5, 0, CLR_ERR_PARAM},
      // Failing conversions (failed allocations are the allocation walk's).
      {"null source", cmy.h, 0, 0, nullptr, false, 5, -1, CLR_ERR_PARAM},
      {"direct, unknown source", nullptr, -1, CSP_RGB, s, false, 5, -1, CLR_ERR_COLORSPACE},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    BitmapRecord bitmap = PatternRecord(0x5C);
    BitmapRecord* target = c.nullRecord ? nullptr : &bitmap;
    SetAllocationFailure(c.failAllocation);
    EXPECT_EQ(c.handle != nullptr ? Q_ClrConvertToBitmap(c.handle, c.src, target, c.width, 2, 4, 4)
                                  : Q_ClrConvertDirectToBitmap(c.srcSpace, c.dstSpace, c.src, target, c.width, 2, 4, 4),
              c.status);
    if (c.failAllocation == 0) {
      void* probe = MemAlloc(1);
      EXPECT_EQ(probe, nullptr) << "something was allocated";
      MemFree(probe);
    }
    SetAllocationFailure(-1);
    EXPECT_TRUE(SameBytes(bitmap, PatternRecord(0x5C)));
  }
}

// Every allocation of either export may fail, with its storage in memory, in tiles
// or on disk: the status is CLR_ERR_NOMEM (the conversion's buffers) or
// CLR_ERR_BITMAP_STORAGE (the storage's own records), or a fallback to the next
// kind of storage gives the same bitmap; a failure leaves the record as it was and
// nothing allocated, mapped or open.
TEST(ConvertToBitmap, EveryFailedAllocationLeavesNothing) {
  test::ProfileFiles files;
  enum Storage { kMemory, kTiles, kDisk };
  struct Case {
    const char* what;
    int32_t src, dst, method;  // 0: Q_ClrConvertDirectToBitmap
    Storage storage;
  };
  const Case cases[] = {
      {"direct, in memory", CSP_CMY, CSP_RGB, 0, kMemory},
      {"direct, in tiles", CSP_HSV, CSP_BGR, 0, kTiles},
      {"direct, on disk", CSP_YUY2, CSP_RGB, 0, kDisk},
      {"YCCK through the transform, in memory", CSP_YCCK, CSP_BGR, METHOD_ICC, kMemory},
      {"profile files, in tiles", CSP_CMYK, CSP_RGB, METHOD_CUSTOM_ICC, kTiles},
      {"YCCK tables, on disk", CSP_YCCK, CSP_RGB, METHOD_BUILTIN, kDisk},
  };
  const int32_t width = 6, height = 5, inAlign = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    FailureHookScope hooks;
    test::HandleGuard g;
    if (c.method != 0) {
      ConversionParams p = test::Params(c.method, static_cast<uint32_t>(c.method));
      test::SetName(p.srcProfileName, files.cmyk);
      test::SetName(p.dstProfileName, files.rgb);
      ASSERT_EQ(Q_ClrInit(&g.h, c.src, c.dst, &p), CLR_OK);
    }
    const int live = test::LiveHandles();
    const size_t descriptors = OpenDescriptors();
    size_t srcBytes = 0;
    ASSERT_TRUE(BufferBytes(c.src, width, height, inAlign, &srcBytes));
    const V src = test::RandomBytes(srcBytes, 33);
    V expected;
    const test::AllocationWalk walk = test::WalkAllocationFailures([&](test::AllocationHook& hook) {
      if (c.storage != kMemory) ForceStorageFailure(StorageService::kSharedMemory, 0, c.storage == kTiles ? 1 : -1);
      BitmapRecord bitmap = PatternRecord(0x5C);
      const int32_t status = hook.Run([&] {
        return c.method == 0 ? Q_ClrConvertDirectToBitmap(c.src, c.dst, src.data(), &bitmap, width, height, inAlign, 4)
                             : Q_ClrConvertToBitmap(g.h, src.data(), &bitmap, width, height, inAlign, 4);
      });
      platform::ClearStorageFailures();
      EXPECT_EQ(test::LiveHandles(), live);
      EXPECT_TRUE(g.h == nullptr || Q_ClrIsValid(g.h) == CLR_OK);
      if (status != CLR_OK) {
        EXPECT_TRUE(status == CLR_ERR_NOMEM || status == CLR_ERR_BITMAP_STORAGE) << status;
        EXPECT_TRUE(SameBytes(bitmap, PatternRecord(0x5C)));
      } else {
        const V bytes = ReadBitmapBytes(bitmap);
        if (!hook.Failed()) expected = bytes;
        EXPECT_EQ(bytes, expected);
        EXPECT_EQ(Q_ClrFreeBitmap(&bitmap), CLR_OK);
      }
      EXPECT_EQ(OpenDescriptors(), descriptors);
      return status;
    });
    EXPECT_GT(walk.allocations, 1);
  }
}

}  // namespace
}  // namespace qclr
