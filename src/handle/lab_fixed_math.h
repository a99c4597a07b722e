// Fixed-point operations of the integer Lab conversion. 16.16 is value x 65536,
// 4.28 is value x 2^28.
#pragma once

#include <cstdint>

namespace qclr {

inline constexpr int32_t kFixedOne28 = 268435456;  // 1.0 in 4.28

// The 16.16 product floor((a x b + 32768) / 65536), built from 16-bit halves in
// wrapping 32-bit arithmetic: exact whenever the result fits 32 bits, the low 32
// bits of it otherwise.
int32_t FixMul(int32_t a, int32_t b);

// The same product without the wrap, exact for every pair of operands; equal to
// FixMul whenever FixMul's result fits. The converters use it so that encodings
// with extreme offsets or ranges still give sound bytes.
inline int64_t FixMulWide(int32_t a, int32_t b) { return (int64_t{a} * b + 32768) >> 16; }

// Inverse of the CIE companding function on 4.28 values: linear below 6/29, cube
// above; the result is clamped to 0..1.0. Inputs of 1.0 and more give 1.0.
int32_t LabFInverse(int32_t t);

// The number of the 255 ascending thresholds that are <= v (0..255), by an
// 8-step binary search that never leaves the table, whatever its contents.
int32_t EncodeByThresholds(int32_t v, const int32_t* thresholds);

}  // namespace qclr
