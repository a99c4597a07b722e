// Version 4 multi-stage tables: 'mAB ' (device to PCS, the A2B tags) and 'mBA '
// (PCS to device, the B2A tags). Their elements, each optional as the format
// allows, apply in this order:
//   'mAB ': A curves, grid, M curves, matrix, B curves
//   'mBA ': B curves, matrix, M curves, grid, A curves
// so the A curves are always on the device side and the B curves on the PCS side.
// Values travel between the elements as 16-bit channels (65535 = 1.0), as they
// do through the version 2 tables.
#pragma once

#include <cstdint>

#include "icc/icc_types.h"

namespace qclr {

struct LutAB {
  bool toPcs;   // 'mAB '; else 'mBA '
  bool labPcs;  // the profile's connection space is Lab
  int32_t inputs, outputs;
  // Null where the element is absent. A curves: one per device channel; B curves:
  // one per PCS channel (and per device channel when there is no grid).
  GammaCurve* aCurves[kMaxLutChannels];
  GammaCurve* mCurves[3];
  GammaCurve* bCurves[kMaxLutChannels];
  bool hasMatrix;
  // s15.16: the 3 x 3 matrix row by row, then the three offsets; it maps
  // channels on 0..1 to 0..1 (the result clamped).
  int32_t matrix[12];
  // The grid maps `inputs` channels to `outputs`: gridPoints[i] points along
  // input i (1..255; all 0 when there is no grid). The first input varies
  // slowest, the outputs of one node are adjacent; 8-bit values are widened by
  // x 257, so 0xFF becomes 0xFFFF.
  int32_t gridPoints[kMaxLutChannels];
  uint16_t* grid;
};

// Releases the curves, the grid and the table itself (null is ignored).
void FreeLutAB(LutAB* table);

using OwnedLutAB = Owned<LutAB, FreeLutAB>;

// `in` holds the table's input channels, `out` receives its output channels.
// Where the table meets a Lab connection space its values are in the version 4
// 16-bit encoding; the engine's PCS values are in the version 2 one, so a Lab
// 'mAB ' re-encodes its results and a Lab 'mBA ' its inputs (pcs_convert.h).
void IccEvalLutAB(const LutAB& table, const uint16_t* in, uint16_t* out);

}  // namespace qclr
