// Geometry of the built-in emulation tables: grids of 3-byte nodes, row-major with
// the last coordinate fastest, no header.
#pragma once

#include <cstddef>
#include <cstdint>

namespace qclr::tables {

// CMYK to RGB: 17 nodes on each of C, M, Y, K; node k stands for the value 16 k.
inline constexpr int kCmykAxis = 17;
inline constexpr size_t kCmykTableBytes = 17 * 17 * 17 * 17 * 3;  // 250563

// Lab to RGB and RGB to Lab: 33 nodes on each axis, node k standing for 8 k. The
// resources carry 489 zero bytes after the nodes, which the lookups never read.
inline constexpr int kLabAxis = 33;
inline constexpr size_t kLabNodeBytes = 33 * 33 * 33 * 3;  // 107811
inline constexpr size_t kLabTableBytes = 108300;

inline size_t CmykNodeOffset(int c, int m, int y, int k) {
  return 3 * static_cast<size_t>(((c * kCmykAxis + m) * kCmykAxis + y) * kCmykAxis + k);
}

inline size_t LabNodeOffset(int i1, int i2, int i3) {
  return 3 * static_cast<size_t>((i1 * kLabAxis + i2) * kLabAxis + i3);
}

// A table value rounded to the nearest integer (halves up) and limited to lo..hi.
inline int32_t RoundAndLimit(double v, int32_t lo, int32_t hi) {
  if (!(v > lo - 0.5)) return lo;  // also NaN
  if (v >= hi + 0.5) return hi;
  return static_cast<int32_t>(v + 0.5 - lo) + lo;  // v + 0.5 - lo lies in 0 .. hi - lo + 1
}

}  // namespace qclr::tables
