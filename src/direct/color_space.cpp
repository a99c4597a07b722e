#include "direct/color_space.h"

#include "base/row_layout.h"
#include "qclr/qclr.h"

namespace qclr {
namespace {

// a * b into *out unless the product exceeds `limit`.
bool CheckedMul(uint64_t a, uint64_t b, uint64_t limit, uint64_t* out) {
  if (a != 0 && b > limit / a) return false;
  *out = a * b;
  return *out <= limit;
}

}  // namespace

bool IsValidColorSpace(int32_t space) { return (space >= 0 && space <= 15) || space == CSP_HSI; }

bool IsRgbSide(int32_t space) { return space == CSP_RGB || space == CSP_BGR; }

bool SizeRuleHolds(int32_t space, int32_t width, int32_t height) {
  switch (space) {
    case CSP_Y41P: return width % 8 == 0;
    case CSP_YUY2:
    case CSP_UYVY: return width % 2 == 0;
    case CSP_YVU9: return width % 4 == 0 && height % 4 == 0;
    default: return true;
  }
}

ptrdiff_t RowBytes(int32_t space, int32_t width) {
  const ptrdiff_t w = width;
  switch (space) {
    case CSP_CMYK:
    case CSP_YCCK: return 4 * w;
    case CSP_XYZ: return 24 * w;
    case CSP_YUY2:
    case CSP_UYVY: return 2 * w;
    case CSP_Y41P: return 12 * w / 8;
    case CSP_YVU9: return w;  // the luminance plane's row
    default: return 3 * w;
  }
}

ptrdiff_t PaddingBaseBytes(int32_t space, int32_t width) {
  return space == CSP_XYZ ? 3 * ptrdiff_t{width} : RowBytes(space, width);
}

bool SizeAcceptable(int32_t space, int32_t width, int32_t height, int32_t align, size_t* bytes) {
  return SizeRuleHolds(space, width, height) && BufferBytes(space, width, height, align, bytes);
}

bool BuffersOverlap(const void* a, size_t aBytes, const void* b, size_t bBytes) {
  const auto x = reinterpret_cast<uintptr_t>(a), y = reinterpret_cast<uintptr_t>(b);
  return x <= y ? y - x < aBytes : x - y < bBytes;  // no sum that could wrap
}

ptrdiff_t Yvu9Bytes(int32_t width, int32_t height) {
  return ptrdiff_t{width} * height + 2 * ptrdiff_t{width / 4} * (height / 4);
}

bool BufferBytes(int32_t space, int32_t width, int32_t height, int32_t align, size_t* bytes) {
  if (width < 1 || height < 1) return false;
  const uint64_t limit = PTRDIFF_MAX;
  const uint64_t w = static_cast<uint64_t>(width), h = static_cast<uint64_t>(height);
  uint64_t total = 0;
  if (space == CSP_YVU9) {
    uint64_t luma = 0;
    if (!CheckedMul(w, h, limit, &luma)) return false;
    total = luma + 2 * (w / 4) * (h / 4);  // at most luma / 8 more
  } else {
    const uint64_t unit = space == CSP_XYZ ? 24 : 4;  // widest bytes per pixel
    uint64_t row = 0, base = 0, stride = 0;
    if (!CheckedMul(w, unit, limit, &row)) return false;
    row = static_cast<uint64_t>(RowBytes(space, width));
    base = static_cast<uint64_t>(PaddingBaseBytes(space, width));
    stride = row + static_cast<uint64_t>(RowPadding(static_cast<ptrdiff_t>(base), align));
    if (!CheckedMul(stride, h - 1, limit, &total)) return false;
    total += row;
  }
  if (total > limit) return false;
  *bytes = static_cast<size_t>(total);
  return true;
}

}  // namespace qclr
