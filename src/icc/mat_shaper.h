// Matrix/curve stages: three tone curves and a 3 x 3 s15.16 matrix, between device
// RGB and XYZ (input and output kinds) or straight from device RGB to device RGB
// (joined kind).
#pragma once

#include <cstdint>

#include "icc/icc_types.h"

namespace qclr {

// MatShaper flags: the kind, and which parts are applied.
inline constexpr uint32_t MATSHAPER_MATRIX = 0x01;  // matrix differs from the identity
inline constexpr uint32_t MATSHAPER_CURVES = 0x02;  // curves not all linear
inline constexpr uint32_t MATSHAPER_INPUT = 0x04;   // device to XYZ (u1Fixed15)
inline constexpr uint32_t MATSHAPER_OUTPUT = 0x08;  // XYZ (u1Fixed15) to device
inline constexpr uint32_t MATSHAPER_JOINED = 0x0C;  // device to device
inline constexpr uint32_t MATSHAPER_KIND_MASK = 0x0C;

// A stage's matrix must differ from the identity by more than this in some element
// before MATSHAPER_MATRIX is set (lookup tables use 0.0001).
inline constexpr double kMatShaperMatrixTolerance = 0.00001;

// Three curves of one entry count, as private copies.
struct CurveSet {
  InterpParams params;  // samples = entries per curve, one input, one output
  uint16_t* entries[3];
};

struct MatShaper {
  uint32_t flags;
  int32_t matrix[9];  // s15.16, row by row
  // Input and output kinds: the stage's curves (applied before the matrix for
  // input, after it for output). Joined kind: the input device's curves.
  CurveSet curves;
  // Joined kind only: the output device's reversed curves, applied last.
  CurveSet outputCurves;
};

// Builds an input (MATSHAPER_INPUT) or output (MATSHAPER_OUTPUT) stage from a
// matrix of doubles (row by row) and three curves. Curves of different entry counts
// are resampled to the largest count. Null for any other kind, a missing curve or
// when memory runs out.
MatShaper* IccBuildMatShaper(const double matrix[3][3], const GammaCurve* const curves[3],
                             uint32_t kind);

// Builds a joined stage: the input curves by the fixed-point lookup, the matrix (the
// inverse output matrix times the input matrix), then the output device's reversed
// curves (IccReverseCurve) by the double-precision lookup.
MatShaper* IccBuildJoinedMatShaper(const double matrix[3][3],
                                   const GammaCurve* const inputCurves[3],
                                   const GammaCurve* const reversedOutputCurves[3]);

void IccFreeMatShaper(MatShaper* shaper);  // null is ignored

using OwnedMatShaper = Owned<MatShaper, IccFreeMatShaper>;

// Three channels in, three out; in and out may be the same array.
void IccEvalMatShaper(const MatShaper& shaper, const uint16_t* in, uint16_t* out);

}  // namespace qclr
