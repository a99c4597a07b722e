#include <algorithm>

#include "base/memory.h"
#include "icc/curve_eval.h"
#include "icc/lut_ab.h"
#include "icc/pcs_convert.h"
#include "numeric/truncate.h"

namespace qclr {
namespace {

// A value on 0..1 (clamped; NaN gives 0) as a rounded 16-bit channel.
uint16_t ToChannel(double v) {
  if (!(v > 0.0)) return 0;
  if (v >= 1.0) return 65535;
  return static_cast<uint16_t>(TruncToInt32(v * 65535.0 + 0.5));
}

void ApplyCurves(GammaCurve* const* curves, int32_t count, uint16_t* v) {
  if (curves[0] == nullptr) return;
  for (int32_t c = 0; c < count; ++c) v[c] = IccCurveEval(curves[c]->entries, curves[c]->count, v[c]);
}

void ApplyMatrix(const LutAB& t, uint16_t* v) {
  if (!t.hasMatrix) return;
  double x[3];
  for (int c = 0; c < 3; ++c) x[c] = v[c] / 65535.0;
  for (int r = 0; r < 3; ++r) {
    double y = t.matrix[9 + r] / 65536.0;
    for (int c = 0; c < 3; ++c) y += t.matrix[3 * r + c] / 65536.0 * x[c];
    v[r] = ToChannel(y);
  }
}

// Multilinear interpolation between the 2^inputs nodes around the input.
void ApplyGrid(const LutAB& t, uint16_t* v) {
  if (t.grid == nullptr) return;
  const int32_t inputs = t.inputs, outputs = t.outputs;
  int64_t stride[kMaxLutChannels];
  int64_t lower[kMaxLutChannels], upper[kMaxLutChannels];
  double fraction[kMaxLutChannels];
  int64_t step = outputs;
  for (int32_t i = inputs - 1; i >= 0; --i) {
    stride[i] = step;
    step *= t.gridPoints[i];
  }
  for (int32_t i = 0; i < inputs; ++i) {
    const int32_t last = t.gridPoints[i] - 1;
    const double position = v[i] / 65535.0 * last;
    const auto node = std::min(static_cast<int32_t>(position), last);
    lower[i] = node * stride[i];
    upper[i] = (node < last ? node + 1 : node) * stride[i];
    fraction[i] = position - node;
  }
  double sum[kMaxLutChannels] = {};
  for (uint32_t corner = 0; corner < (1u << inputs); ++corner) {
    double weight = 1.0;
    int64_t offset = 0;
    for (int32_t i = 0; i < inputs; ++i) {
      const bool high = (corner >> (inputs - 1 - i)) & 1;
      weight *= high ? fraction[i] : 1.0 - fraction[i];
      offset += high ? upper[i] : lower[i];
    }
    for (int32_t k = 0; k < outputs; ++k) sum[k] += weight * t.grid[offset + k];
  }
  for (int32_t k = 0; k < outputs; ++k) v[k] = ToChannel(sum[k] / 65535.0);
}

}  // namespace

void FreeLutAB(LutAB* table) {
  if (table == nullptr) return;
  for (int i = 0; i < kMaxLutChannels; ++i) {
    FreeGammaCurve(table->aCurves[i]);
    FreeGammaCurve(table->bCurves[i]);
  }
  for (GammaCurve* c : table->mCurves) FreeGammaCurve(c);
  MemFree(table->grid);
  MemFree(table);
}

void IccEvalLutAB(const LutAB& t, const uint16_t* in, uint16_t* out) {
  uint16_t v[kMaxLutChannels] = {};
  std::copy(in, in + t.inputs, v);
  if (t.toPcs) {
    ApplyCurves(t.aCurves, t.inputs, v);
    ApplyGrid(t, v);
    ApplyCurves(t.mCurves, 3, v);
    ApplyMatrix(t, v);
    ApplyCurves(t.bCurves, t.outputs, v);
    if (t.labPcs) Lab16V4ToV2(v, v);
  } else {
    if (t.labPcs) Lab16V2ToV4(v, v);
    ApplyCurves(t.bCurves, t.inputs, v);
    ApplyMatrix(t, v);
    ApplyCurves(t.mCurves, 3, v);
    ApplyGrid(t, v);
    ApplyCurves(t.aCurves, t.outputs, v);
  }
  std::copy(v, v + t.outputs, out);
}

}  // namespace qclr
