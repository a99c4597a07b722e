// Evaluation of a lookup table: matrix, input curves, grid, output curves.
#pragma once

#include <cstdint>

#include "icc/icc_types.h"

namespace qclr {

// True when IccEvalLut can evaluate the table safely: 3 or 4 inputs (the grid
// kernels are 3-D and 4-D), 1..kMaxLutChannels outputs, and every part that a set
// flag uses present and consistent: curves of at least one entry; a grid of at least
// two points per side whose parameters match its size and layout.
bool IccLutIsEvaluable(const LutTable& table);

// in holds the table's input channels, out receives its output channels. Each step
// runs only when its flag is set; otherwise the channels pass unchanged. A table
// that fails IccLutIsEvaluable gives zeros.
void IccEvalLut(const LutTable& table, const uint16_t* in, uint16_t* out);

}  // namespace qclr
