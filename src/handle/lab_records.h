// The precomputed records of the built-in conversion between CIE Lab bytes and RGB.
// A handle owns one of each (allocated zero-filled from the library heap); they are
// plain records without pointers, so releasing a record is one MemFree. The
// fixed-point converters in handle/fixed_point_lab.h apply them.
//
// Fixed-point notation: 16.16 = value x 65536, 4.28 = value x 2^28.
// nearest(x) adds 0.5 to a non-negative x or subtracts 0.5 from a negative one and
// truncates toward zero; int32 fields saturate where the value would not fit.
#pragma once

#include <cstdint>
#include <type_traits>

#include "qclr/qclr.h"

namespace qclr {

// Lab bytes to RGB bytes.
struct LabDecodeTable {
  float lOffsetFixed;             // whole number: nearest((lOffset - 4080 / lRange) x 65536)
  double lScale;                  // whole number: nearest(lRange x 4096 / 29580 x 65536)
  double aScale;                  // whole number: nearest(aRange x 4096 / 127500 x 65536)
  double bScale;                  // whole number: nearest(bRange x 4096 / 51000 x 65536)
  double whiteX, whiteY, whiteZ;  // reference white, Y scaled to 100
  double matrix[9];               // XYZ to linear RGB; rows R, G, B; columns X, Y, Z
  int32_t lOffset, lRange, aOffset, aRange, bOffset, bRange;  // the byte encoding
  int32_t fixedMatrix[9];   // 16.16: matrix with columns X and Z scaled by whiteX/whiteY
                            // and whiteZ/whiteY
  int32_t thresholds[255];  // 4.28 linear light halfway between output codes i, i + 1
};

// RGB bytes to Lab bytes.
struct LabEncodeTable {
  // 16.16, entry i = nearest((i/255)^g x k[r] x matrix[r][c] x 65536) with
  // k = (whiteY/whiteX, 1, whiteY/whiteZ); tables in the order X from R, G, B,
  // Y from R, G, B, Z from R, G, B. Each row of three sums to X/Xn, Y/Yn, Z/Zn.
  int32_t channelTables[9][256];
  // 16.16 companding function f at t = 16 j / 65536: t^(1/3) above 0.008856,
  // else 7.7867 t + 0.13793103.
  uint16_t cubeRoot[4096];
  int32_t lScaleFixed;  // nearest(29580 / lRange x 65536)
  int32_t aScaleFixed;  // nearest(127500 / aRange x 65536)
  int32_t bScaleFixed;  // nearest(51000 / bRange x 65536)
  // 16.16 limits of f(X) - f(Y) and f(Y) - f(Z) that still map into 0..255.
  int32_t aMin, aMax, bMin, bMax;
  int32_t lOffsetFixed;  // nearest((lOffset - 4080 / lRange) x 65536)
  double whiteX, whiteY, whiteZ;
  double matrix[9];  // linear RGB to XYZ; rows X, Y, Z; columns R, G, B
  int32_t lOffset, lRange, aOffset, aRange, bOffset, bRange;
};

static_assert(std::is_trivially_copyable_v<LabDecodeTable> &&
              std::is_standard_layout_v<LabDecodeTable>);
static_assert(std::is_trivially_copyable_v<LabEncodeTable> &&
              std::is_standard_layout_v<LabEncodeTable>);

// The set handle initialisation uses: white (95.0166, 100, 108.765), the matching
// XYZ/RGB matrices, and the caller's six encoding values, into both records.
// Run BuildLabDecode and BuildLabEncode afterwards.
void SetLabParametersFromOptions(LabDecodeTable& decode, LabEncodeTable& encode,
                                 const LabOptions& options);

// The set for a decode record created when the Lab encoding of a handle that had
// none is changed: white (96.421, 99.997, 82.524), its matrix, and the encoding
// 0, 100, 128, 170, 96, 200. Run BuildLabDecode afterwards.
void SetDefaultLabDecodeParameters(LabDecodeTable& decode);

// Computes the derived fields (lOffsetFixed, the three scales, fixedMatrix,
// thresholds) from the white point, matrix and encoding already in the record.
// gammaHundredths is the transfer exponent in hundredths, positive (handles use 45,
// which gives 1 / 0.45).
// A zero lRange leaves out the 4080 / lRange term of lOffsetFixed; lScale is then
// 0 anyway, so every pixel decodes with L* = -16. Zero a or b ranges give zero
// scales (no chroma).
void BuildLabDecode(LabDecodeTable& record, int32_t gammaHundredths);

// Computes the channel tables, cubeRoot, the scales, limits and lOffsetFixed from
// the white point, matrix and encoding already in the record. Everything is
// computed whatever the limits are. Ranges are expected to be nonzero; a zero
// range gives a zero scale (the channel encodes as its offset), the widest limits
// (it never limits the others' chroma) and, for L, leaves out the 4080 / lRange
// term of lOffsetFixed.
void BuildLabEncode(LabEncodeTable& record, int32_t gammaHundredths);

}  // namespace qclr
