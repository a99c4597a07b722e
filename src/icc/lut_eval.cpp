#include "icc/lut_eval.h"

#include <algorithm>

#include "icc/curve_eval.h"
#include "icc/fixed_point_steps.h"
#include "icc/grid_interp.h"

namespace qclr {
namespace {

bool CurvesPresent(uint16_t* const* curves, int32_t count, int32_t entries) {
  if (entries < 1) return false;
  return std::all_of(curves, curves + count, [](const uint16_t* c) { return c != nullptr; });
}

}  // namespace

bool IccLutIsEvaluable(const LutTable& t) {
  const int32_t inputs = t.inputChannels, outputs = t.outputChannels;
  if (inputs != 3 && inputs != 4) return false;
  if (outputs < 1 || outputs > kMaxLutChannels) return false;
  if ((t.flags & LUT_PRE_CURVES) && !CurvesPresent(t.inputCurves, inputs, t.inputEntries)) {
    return false;
  }
  if ((t.flags & LUT_POST_CURVES) && !CurvesPresent(t.outputCurves, outputs, t.outputEntries)) {
    return false;
  }
  if (t.flags & LUT_GRID) {
    const InterpParams& g = t.gridParams;
    if (t.grid == nullptr || t.gridPoints < 2 || g.samples != t.gridPoints ||
        g.domain != t.gridPoints - 1 || g.outputs != outputs) {
      return false;
    }
    // The strides must be those of the grid's own layout, or offsets leave it.
    int64_t step = outputs;
    for (int32_t k = 0; k < inputs; ++k, step *= t.gridPoints) {
      if (g.stride[k] != step) return false;
    }
  }
  return true;
}

void IccEvalLut(const LutTable& table, const uint16_t* in, uint16_t* out) {
  const int32_t inputs = table.inputChannels, outputs = table.outputChannels;
  if (!IccLutIsEvaluable(table)) {
    std::fill(out, out + std::clamp(outputs, 0, kMaxLutChannels), uint16_t{0});
    return;
  }
  uint16_t v[kMaxLutChannels] = {};
  std::copy(in, in + inputs, v);

  if (table.flags & LUT_MATRIX) {
    // The matrix acts on the first three channels (XYZ).
    int32_t unit[3];
    for (int c = 0; c < 3; ++c) unit[c] = ChannelToUnit(v[c]);
    for (int r = 0; r < 3; ++r) v[r] = UnitToChannel(MatrixRow(table.matrix + 3 * r, unit));
  }
  if (table.flags & LUT_PRE_CURVES) {
    for (int32_t c = 0; c < inputs; ++c) {
      v[c] = IccCurveEval(table.inputCurves[c], table.inputEntries, v[c]);
    }
  }
  if (table.flags & LUT_GRID) {
    uint16_t g[kMaxLutChannels];
    if (inputs == 4) {
      IccEvalGrid4(table, v, g);
    } else {
      IccEvalGrid3(v, g, table.grid, table.gridParams);
    }
    std::copy(g, g + outputs, v);
  }
  if (table.flags & LUT_POST_CURVES) {
    for (int32_t c = 0; c < outputs; ++c) {
      v[c] = IccCurveEval(table.outputCurves[c], table.outputEntries, v[c]);
    }
  }
  std::copy(v, v + outputs, out);
}

}  // namespace qclr
