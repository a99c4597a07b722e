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
// samples, chunky, in one strip or several, at most one strip a row) and copies
// its pixel data into `buffer` of `bufferSize` bytes. The pixel data must be
// `bufferSize` bytes, or exactly `usedBytes` (the bytes the table's lookups read;
// the rest of the buffer is then zeroed). Strips that lie one after another are
// read in one call. Returns CLR_OK, CLR_ERR_TABLE_FORMAT for a file that is not
// such an image, is truncated or whose pixel data have another size, or the
// system error of a failed read.
int32_t ReadTableTiff(const ByteSource& source, uint8_t* buffer, size_t bufferSize, size_t usedBytes);

// Opens `fileName` and reads it with ReadTableTiff. A file that does not open
// (also one that is not a regular file) gives the system's error code.
int32_t ReadTableImage(const char* fileName, uint8_t* buffer, size_t bufferSize, size_t usedBytes);

}  // namespace qclr
