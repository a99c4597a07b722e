// Interpolation in the sampled grids of lookup tables, in 16.16 fixed point. The
// grid is only read, and every intermediate lives on the caller's stack, so one
// table may be evaluated on several threads at once.
#pragma once

#include <cstdint>

#include "icc/icc_types.h"

namespace qclr {

// Where a channel falls on a grid axis of domain + 1 points, in 16.16: the node at
// or below it is position >> 16, the fraction toward the next node position &
// 0xFFFF. The trilinear axes truncate (x x domain x 65536 / 65535 in integers); the
// first input of a 4-D grid, which chooses the slice, rounds (in double). Both
// reach the last node, with fraction 0, only at x = 65535.
int64_t GridAxisPosition(uint16_t x, int32_t domain);
int32_t GridSlicePosition(uint16_t x, int32_t domain);

// Trilinear interpolation of three inputs in a 3-D grid (or a 3-D slice of a 4-D
// one): input 0 steps by stride[2], input 1 by stride[1], input 2 by stride[0].
// Writes params.outputs channels (at most kMaxLutChannels).
void IccEvalGrid3(const uint16_t* in, uint16_t* out, const uint16_t* grid,
                  const InterpParams& params);

// Four inputs: trilinear in the two 3-D slices around input 0 (both the last
// slice when input 0 is 65535), then linear between them. Writes
// table.gridParams.outputs channels (at most kMaxLutChannels).
void IccEvalGrid4(const LutTable& table, const uint16_t* in, uint16_t* out);

}  // namespace qclr
