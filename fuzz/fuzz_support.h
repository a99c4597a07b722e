// Helpers of the fuzz targets: buffers that end where an inaccessible page begins,
// so that a read or write past their end faults at once, and the buffer geometry
// of each colour space as the public header documents it (computed here on its
// own, never taken from the library).
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qclr/qclr.h"

namespace qclr_fuzz {

// One reusable mapping: `capacity` bytes followed by a page without access.
class GuardedArena {
 public:
  explicit GuardedArena(size_t capacity) {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    capacity_ = (capacity + page - 1) / page * page;
    void* base = mmap(nullptr, capacity_ + page, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                      -1, 0);
    if (base == MAP_FAILED || mprotect(static_cast<uint8_t*>(base) + capacity_, page, PROT_NONE) != 0) abort();
    base_ = static_cast<uint8_t*>(base);
  }
  GuardedArena(const GuardedArena&) = delete;
  GuardedArena& operator=(const GuardedArena&) = delete;

  size_t capacity() const { return capacity_; }

  // `size` bytes (at most the capacity) that end at the inaccessible page; size 0
  // gives the page itself, which nothing may touch.
  uint8_t* End(size_t size) const { return base_ + capacity_ - size; }

  // `size` bytes copied from `bytes`, ending at the inaccessible page.
  uint8_t* Place(const void* bytes, size_t size) const {
    uint8_t* at = End(size);
    if (size != 0) std::memcpy(at, bytes, size);
    return at;
  }

 private:
  uint8_t* base_ = nullptr;
  size_t capacity_ = 0;
};

// The layout of one colour space: bytes of a row of `width` pixels, and the row
// length its padding is computed from. False for codes the header does not define.
inline bool SpaceRow(int32_t space, int32_t width, uint64_t* rowBytes, uint64_t* paddingBase) {
  const uint64_t w = static_cast<uint64_t>(width);
  switch (space) {
    case CSP_CMYK:
    case CSP_YCCK: *rowBytes = 4 * w; break;
    case CSP_XYZ: *rowBytes = 24 * w; break;  // padded as a row of 3 x width bytes
    case CSP_YUY2:
    case CSP_UYVY: *rowBytes = 2 * w; break;
    case CSP_Y41P: *rowBytes = (12 * w + 7) / 8; break;
    case CSP_RGB: case CSP_BGR: case CSP_YUV: case CSP_HSV: case CSP_HLS: case CSP_YIQ:
    case CSP_CMY: case CSP_LAB: case CSP_YVU9: case CSP_YCC: case CSP_HSI:
      *rowBytes = 3 * w;
      break;
    default: return false;
  }
  *paddingBase = space == CSP_XYZ ? 3 * w : *rowBytes;
  return true;
}

// Padding after a row of n bytes for alignment a: a - n mod a when a >= 1 does not
// divide n.
inline uint64_t RowPadding(uint64_t n, int32_t align) {
  if (align < 1 || n % static_cast<uint64_t>(align) == 0) return 0;
  return static_cast<uint64_t>(align) - n % static_cast<uint64_t>(align);
}

// Bytes of an image of `space` from the first byte of its first row to the last
// byte of its last row (the last row needs no padding); YVU9 is three planes
// without padding. False for an undefined code, a size below 1 x 1, or a buffer
// larger than a pointer difference can span (the library must refuse those
// untouched rather than let its sizes wrap).
inline bool ImageBytes(int32_t space, int32_t width, int32_t height, int32_t align, uint64_t* bytes) {
  if (width < 1 || height < 1) return false;
  const uint64_t w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);
  unsigned __int128 total = 0;  // exact: at most about 2^68
  if (space == CSP_YVU9) {
    total = static_cast<unsigned __int128>(w) * h + 2 * (w / 4) * (h / 4);
  } else {
    uint64_t row = 0, base = 0;
    if (!SpaceRow(space, width, &row, &base)) return false;
    const uint64_t stride = row + RowPadding(base, align);
    total = static_cast<unsigned __int128>(stride) * (h - 1) + row;
  }
  if (total > static_cast<uint64_t>(PTRDIFF_MAX)) return false;
  *bytes = static_cast<uint64_t>(total);
  return true;
}

// True for every status the header documents (a system error code is above 1).
inline bool DocumentedStatus(int32_t status) {
  switch (status) {
    case CLR_OK: case CLR_ERR_NOMEM: case CLR_ERR_FILE_NAME: case CLR_ERR_PARAM: case CLR_ERR_HANDLE:
    case CLR_ERR_SAME_BUFFER: case CLR_ERR_COLORSPACE: case CLR_ERR_METHOD: case CLR_ERR_PROFILE_OPEN:
    case CLR_ERR_PROFILE_MISMATCH: case CLR_ERR_STRUCT_SIZE: case CLR_ERR_TABLE_FORMAT:
      return true;
    default: return status > 1;
  }
}

// As DocumentedStatus, with the bitmap exports' own codes.
inline bool DocumentedBitmapStatus(int32_t status) {
  switch (status) {
    case CLR_ERR_BITMAP_STORAGE: case CLR_ERR_BITMAP_TILES: case CLR_ERR_BITMAP_SEEK:
    case CLR_ERR_BITMAP_WRITE: case CLR_ERR_BITMAP_EMPTY: case CLR_ERR_BITMAP_BITS:
      return true;
    default: return DocumentedStatus(status);
  }
}

// Stops the run at a broken promise of the library, so libFuzzer keeps the input.
#define QCLR_FUZZ_CHECK(condition)                                                 \
  do {                                                                              \
    if (!(condition)) {                                                             \
      fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition); \
      abort();                                                                      \
    }                                                                               \
  } while (0)

}  // namespace qclr_fuzz
