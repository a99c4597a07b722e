// Data the ICC profile reader produces and the transform engine evaluates: tone
// curves, lookup tables and their interpolation parameters. Channel values are
// unsigned 16-bit (0 = 0.0, 65535 = 1.0); matrices are s15.16 fixed point.
#pragma once

#include <cstdint>

#include "base/owned.h"

namespace qclr {

// Sampling of one curve or grid. stride[k] is the grid step of input channel
// (inputs - 1 - k); stride[0] = outputs.
struct InterpParams {
  int32_t samples;  // entries of a curve, points per grid dimension
  int32_t inputs;
  int32_t outputs;
  uint16_t domain;  // samples - 1
  int32_t stride[4];
};

// A tone curve: `count` entries evenly spaced over the input range 0..65535.
// Allocated as one block (AllocGammaCurve), entries right behind the header.
struct GammaCurve {
  int32_t count;
  uint16_t* entries;
};

// Allocates a curve of `count` entries (contents undefined), or null.
GammaCurve* AllocGammaCurve(int32_t count);
void FreeGammaCurve(GammaCurve* curve);

// LutTable flags.
inline constexpr uint32_t LUT_MATRIX = 0x01;       // the matrix is not the identity
inline constexpr uint32_t LUT_PRE_CURVES = 0x02;   // input curves not all linear
inline constexpr uint32_t LUT_POST_CURVES = 0x08;  // output curves not all linear
inline constexpr uint32_t LUT_GRID = 0x10;         // a grid is present

inline constexpr int kMaxLutChannels = 16;

// An 8-bit or 16-bit lookup table (lut8Type / lut16Type) in memory. 8-bit values
// are widened by << 8, so 0xFF becomes 0xFF00.
struct LutTable {
  uint32_t flags;
  int32_t matrix[9];  // e00..e22, s15.16, row by row
  int32_t inputChannels;
  int32_t outputChannels;
  int32_t inputEntries;   // entries per input curve
  int32_t outputEntries;  // entries per output curve
  int32_t gridPoints;     // samples per grid dimension
  uint16_t* inputCurves[kMaxLutChannels];
  uint16_t* outputCurves[kMaxLutChannels];
  // gridPoints^inputChannels nodes of outputChannels values; the first input
  // varies slowest, the outputs of one node are adjacent.
  uint16_t* grid;
  InterpParams inputParams;   // samples = inputEntries, 1 in, 1 out
  InterpParams outputParams;  // samples = outputEntries, 1 in, 1 out
  InterpParams gridParams;    // samples = gridPoints, inputs, outputs, strides
};

// Releases the curves, the grid and the table itself (null is ignored).
void FreeLutTable(LutTable* table);

using OwnedCurve = Owned<GammaCurve, FreeGammaCurve>;
using OwnedLutTable = Owned<LutTable, FreeLutTable>;

}  // namespace qclr
