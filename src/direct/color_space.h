// Colour-space codes and the buffer geometry of each space.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr {

inline constexpr int32_t kSpaceCount = 17;  // 0..15 and 128

// True for 0..15 and 128 (CSP_HSI).
bool IsValidColorSpace(int32_t space);

// True for CSP_RGB and CSP_BGR, the two orders of the hub space.
bool IsRgbSide(int32_t space);

// The subsampled spaces' size rules: CSP_Y41P width % 8, CSP_YUY2 and CSP_UYVY even
// width, CSP_YVU9 width and height % 4. Every other space has none.
bool SizeRuleHolds(int32_t space, int32_t width, int32_t height);

// Bytes of one buffer of `space` for width x height pixels rows padded for
// `align`, the last row without padding. False when the size cannot be addressed
// (the caller refuses such a size instead of letting products wrap).
bool BufferBytes(int32_t space, int32_t width, int32_t height, int32_t align, size_t* bytes);

// Both of the above: the space's size rule holds and BufferBytes can store the
// buffer's size in `bytes`.
bool SizeAcceptable(int32_t space, int32_t width, int32_t height, int32_t align, size_t* bytes);

// True when the `aBytes` bytes at `a` and the `bBytes` bytes at `b` share a byte.
bool BuffersOverlap(const void* a, size_t aBytes, const void* b, size_t bBytes);

// Row length in bytes as the kernels count it, and the length the row padding is
// computed from (they differ only for CSP_XYZ: 24 x width against 3 x width).
// Not defined for CSP_YVU9, which is planar and unpadded.
ptrdiff_t RowBytes(int32_t space, int32_t width);
ptrdiff_t PaddingBaseBytes(int32_t space, int32_t width);

// The YVU9 buffer: width x height luminance bytes and two (width/4) x (height/4)
// chroma planes.
ptrdiff_t Yvu9Bytes(int32_t width, int32_t height);

}  // namespace qclr
