// Rows of the direct Lab kernels and the tables of their fast implementations.
//
// The portable rows are the definition (lab_definition.h), three or more calls of
// the correctly rounded Pow a pixel. The fast rows give the same bytes with:
//
// Lab -> RGB: the input is three bytes and L takes 101 values, so the clamped x, y,
//   z are tables (x of L and a, y of L, z of L and b: 101 x 256 entries); only the
//   matrix to linear RGB is computed. The gamma step, a monotone function of the
//   linear value, is a search among the 255 thresholds at which the byte grows:
//   the threshold of byte k is the smallest double that gives k, found by bisection
//   over the doubles with the exact function when the tables are built. The
//   search is one bucket lookup (the linear value's exponent and top 8 fraction
//   bits, so that no bucket spans more than two bytes) and one comparison.
//
// RGB -> Lab: the linearisation is a table; each cube root of x, y, z is
//   cbrt(2^e) cbrt(c) (1 + u)^(1/3), where t = 2^e m, c is the middle of m's
//   sixteenth of [1, 2) and u = (m - c) / c, with the binomial series to u^5:
//   relative error below 2^-35 (see CubeRootFast), and no table larger than the
//   16 or 8 values a vector register holds. The error moves 500 (fx - fy), the
//   most sensitive of the three truncated values, by less than 2^-24; where one
//   of them lies within 2^-20 of an integer the exact pixel function decides
//   instead: 118 of the 2^24 pixels.
//
// bench/exhaustive_check compares every implementation with the portable rows
// over all 2^24 inputs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "base/rgb_positions.h"
#include "base/row_variants.h"

namespace qclr::lab {

using LabRow = void (*)(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);

// Buckets of a positive double v by its exponent and top 8 fraction bits:
// (bits(v) >> 44) minus that of the smallest value of the bucket range.
inline constexpr int kBucketShift = 44;
inline constexpr uint64_t kBucketLowBits = (uint64_t{1} << kBucketShift) - 1;

// Fields of a double: the 52 fraction bits, the top 4 of them (the sixteenth of
// [1, 2) that the significand lies in), and the bit that makes the middle of it.
inline constexpr uint64_t kFractionBits = (uint64_t{1} << 52) - 1;
inline constexpr uint64_t kSixteenthBits = uint64_t{15} << 48;
inline constexpr uint64_t kHalfSixteenth = uint64_t{1} << 47;

struct EncodeTables {
  static constexpr double kCubeRootLow = 0x1p-7;  // below the knee 0.008856; t < 2
  const std::array<double, 256>* linear;          // the definition's own table
  std::array<double, 16> middleRoot;              // cbrt(c), c = 1 + (2j + 1) / 32 the middle of sixteenth j
  std::array<double, 16> middleInverse;           // 1 / c
  std::array<double, 8> octaveRoot;               // cbrt(2^e), e = -7..0, at the low 3 bits of e + 1023
};

// The binomial series of (1 + u)^(1/3):
// 1 + u (1/3 + u (-1/9 + u (5/81 + u (-10/243 + u 22/729)))).
inline constexpr double kCubeRootSeries[5] = {1.0 / 3, -1.0 / 9, 5.0 / 81, -10.0 / 243, 22.0 / 729};

struct DecodeTables {
  static constexpr double kGammaLow = 0x1p-22;        // below the threshold of byte 1
  static constexpr int kGammaBuckets = 22 * 256 + 1;  // 2^-22 <= v <= 1
  std::array<int32_t, 256> lightness;                 // L of the byte L8
  std::array<double, 101> y;                          // clamped y of L
  std::vector<double> x;                              // clamped x x 0.95 at L x 256 + a byte
  std::vector<double> z;                              // clamped z x 1.088 at L x 256 + b byte
  std::array<double, 256> threshold;                  // smallest double whose gamma byte is k (k >= 1)
  // A bucket's byte b (that of its smallest value) in bits 48..55, and in bits
  // 0..44 where the byte becomes b + 1: the low 44 bits of threshold b + 1 where
  // that lies in the bucket (whose values share every higher bit), else 2^44.
  std::array<uint64_t, kGammaBuckets> gamma;
};

const EncodeTables& Encode();
const DecodeTables& Decode();

// t^(1/3) for 2^-7 <= t < 2 within relative error 2^-35 (t > 0.008856 where used).
double CubeRootFast(const EncodeTables& tables, double t);
// The gamma byte of a clamped linear value (0..1, -0 included).
int32_t GammaByteFast(const DecodeTables& tables, double linear);

// floor(l x 255 / 100) = floor(l x 51 / 20) for 0 <= l <= 255, in 32-bit integers.
inline constexpr int32_t ScaleLightness(int32_t l) { return (l * 51 * 52429) >> 20; }
inline constexpr bool ScaleLightnessExact() {
  for (int32_t l = 0; l < 256; ++l) {
    if (ScaleLightness(l) != l * 255 / 100) return false;
  }
  return true;
}
static_assert(ScaleLightnessExact());

// True when v (|v| < 2^31) lies within 2^-20 of an integer: its truncation could
// differ from that of a value that close.
bool NearInteger(double v);

// One pixel of the definition, out of line: the rows compiled for wider
// instruction sets call it rather than their own copies of the inline definition
// (a copy the linker might then share with code that runs anywhere).
void RgbToLabPixelExact(uint8_t red, uint8_t green, uint8_t blue, uint8_t* lab);

// One pixel through the fast arithmetic; false (and nothing written) where a byte
// needs the exact function.
bool RgbToLabPixelFast(const EncodeTables& tables, uint8_t red, uint8_t green, uint8_t blue, uint8_t* lab);

void RgbToLabRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void LabToRgbRowPortable(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
// The fast arithmetic one pixel at a time: every x86 build has SSE2 doubles.
void RgbToLabRowTables(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void LabToRgbRowTables(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#if QCLR_X86_SIMD
void RgbToLabRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void LabToRgbRowAvx2(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void RgbToLabRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
void LabToRgbRowAvx512(const uint8_t* src, uint8_t* dst, int32_t width, RgbPositions pos);
#endif

inline constexpr RowVariants<LabRow> kRgbToLabRows = {
    .portable = RgbToLabRowPortable,
#if QCLR_X86_SIMD
    .sse2 = RgbToLabRowTables,
    .avx2 = RgbToLabRowAvx2,
    .avx512 = RgbToLabRowAvx512,
#endif
};

inline constexpr RowVariants<LabRow> kLabToRgbRows = {
    .portable = LabToRgbRowPortable,
#if QCLR_X86_SIMD
    .sse2 = LabToRgbRowTables,
    .avx2 = LabToRgbRowAvx2,
    .avx512 = LabToRgbRowAvx512,
#endif
};

}  // namespace qclr::lab
