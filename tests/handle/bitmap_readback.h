// Test helpers for bitmap records: reading the rows back through whichever storage
// a record holds, and scopes that restore the failure hooks.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "api/memory.h"
#include "platform/platform.h"
#include "qclr/qclr.h"

namespace qclr::test {

// All dataSize bytes of the record's storage, row after row.
inline std::vector<uint8_t> ReadBitmapBytes(const BitmapRecord& bitmap) {
  std::vector<uint8_t> bytes(bitmap.dataSize);
  const size_t line = static_cast<size_t>(bitmap.bytesPerLine);
  if ((bitmap.storageFlags & QCLR_BITMAP_TILED) != 0) {
    const auto* table = static_cast<const BitmapTileTable*>(bitmap.data);
    const auto* tiles = reinterpret_cast<const BitmapTile*>(table + 1);
    size_t row = 0;
    for (uint32_t i = 0; i < table->tileCount; ++i) {
      const size_t rows = std::min<size_t>(table->rowsPerTile, static_cast<size_t>(bitmap.height) - row);
      std::copy(tiles[i].view, tiles[i].view + rows * line, bytes.begin() + static_cast<ptrdiff_t>(row * line));
      row += rows;
    }
  } else if ((bitmap.storageFlags & QCLR_BITMAP_IN_MEMORY) != 0) {
    const auto* data = static_cast<const uint8_t*>(bitmap.data);
    std::copy(data, data + bitmap.dataSize, bytes.begin());
  } else if ((bitmap.storageFlags & QCLR_BITMAP_ON_DISK) != 0) {
    std::ifstream file(static_cast<const char*>(bitmap.data), std::ios::binary);
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!file) bytes.clear();
  } else {
    bytes.clear();
  }
  return bytes;
}

// Open file descriptors of this process: a leaked mapping or file shows up here.
inline size_t OpenDescriptorCount() {
  size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Ends every forced failure (storage services and allocations) when it goes.
class FailureHookScope {
 public:
  FailureHookScope() = default;
  ~FailureHookScope() {
    platform::ClearStorageFailures();
    SetAllocationFailure(-1);
  }
  FailureHookScope(const FailureHookScope&) = delete;
  FailureHookScope& operator=(const FailureHookScope&) = delete;
};

}  // namespace qclr::test
