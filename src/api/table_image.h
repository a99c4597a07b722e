// Reading an emulation table from a TIFF image: the pixel bytes of the image are
// the table's nodes.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr {

// A source of bytes at absolute offsets (a file, or memory in tests). read() returns
// 0 on success, a system error code, or -1 when the source ends first.
struct ByteSource {
  uint64_t size;
  int32_t (*read)(void* context, uint64_t offset, void* buffer, size_t count);
  void* context;
};

// Parses a baseline TIFF image (byte order "II" or "MM", uncompressed, 8-bit
// samples, chunky, in one strip or several) and copies its pixel data into
// `buffer`, which must be exactly as long as the pixel data. Returns CLR_OK,
// CLR_ERR_TABLE_FORMAT for a file that is not such an image, is truncated or whose
// pixel data are not `bufferSize` bytes, or the system error of a failed read.
int32_t ReadTableTiff(const ByteSource& source, uint8_t* buffer, size_t bufferSize);

// Opens `fileName` and reads it with ReadTableTiff. A file that does not open
// gives the system's error code.
int32_t ReadTableImage(const char* fileName, uint8_t* buffer, size_t bufferSize);

}  // namespace qclr
