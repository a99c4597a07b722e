#include "icc/mat_shaper.h"

#include <algorithm>
#include <cmath>

#include "base/memory.h"
#include "base/owned.h"
#include "icc/curve_eval.h"
#include "icc/fixed_point_steps.h"
#include "numeric/truncate.h"

namespace qclr {
namespace {

OwnedMatShaper NewMatShaper(const double matrix[3][3], uint32_t kind) {
  auto shaper = CallocRecord<OwnedMatShaper>();
  if (shaper == nullptr) return nullptr;
  shaper->flags = kind;
  for (int r = 0; r < 3; ++r) {
    for (int c = 0; c < 3; ++c) {
      const int32_t raw = TruncToInt32(matrix[r][c] * 65536.0 + 0.5);
      shaper->matrix[3 * r + c] = raw;
      const double identity = r == c ? 1.0 : 0.0;
      if (std::fabs(raw / 65536.0 - identity) > kMatShaperMatrixTolerance) {
        shaper->flags |= MATSHAPER_MATRIX;
      }
    }
  }
  return shaper;
}

// Copies three curves into `set`, resampling them to the largest entry count.
// Returns whether all of them are linear, or -1 when a curve is missing or memory
// runs out (what was allocated stays in `set`, released with its stage).
int CopyCurves(CurveSet* set, const GammaCurve* const curves[3]) {
  int32_t count = 0;
  for (int c = 0; c < 3; ++c) {
    if (curves[c] == nullptr) return -1;
    count = std::max(count, curves[c]->count);
  }
  set->params = InterpParams{count, 1, 1, static_cast<uint16_t>(count - 1), {1, 0, 0, 0}};
  bool linear = true;
  for (int c = 0; c < 3 && count > 0; ++c) {
    set->entries[c] = static_cast<uint16_t*>(MemAlloc(count * sizeof(uint16_t)));
    if (set->entries[c] == nullptr) return -1;
    IccResampleCurve(curves[c]->entries, curves[c]->count, set->entries[c], count);
    linear = linear && IccCurveIsLinear(set->entries[c], count);
  }
  return linear ? 1 : 0;
}

// Device channels on the 65536 = 1.0 scale: through the curves by the fixed-point
// lookup when they are not all linear, else rescaled directly.
void ApplyInputCurves(const MatShaper& s, const uint16_t* in, int32_t* v) {
  for (int c = 0; c < 3; ++c) {
    v[c] = (s.flags & MATSHAPER_CURVES)
               ? IccCurveEvalFixed(s.curves.entries[c], s.curves.params.samples, in[c])
               : ChannelToUnit(in[c]);
  }
}

void ApplyMatrix(const MatShaper& s, const int32_t* v, int64_t* row) {
  for (int r = 0; r < 3; ++r) {
    row[r] = (s.flags & MATSHAPER_MATRIX) ? MatrixRow(s.matrix + 3 * r, v) : v[r];
  }
}

// Back to channels (65536 becomes 65535), then through `curves` by the
// double-precision lookup when the stage's curves are not all linear.
void ApplyOutputCurves(const MatShaper& s, const CurveSet& curves, const int64_t* row,
                       uint16_t* out) {
  for (int c = 0; c < 3; ++c) {
    const uint16_t x = UnitToChannel(row[c]);
    out[c] = (s.flags & MATSHAPER_CURVES)
                 ? IccCurveEval(curves.entries[c], curves.params.samples, x)
                 : x;
  }
}

}  // namespace

MatShaper* IccBuildMatShaper(const double matrix[3][3], const GammaCurve* const curves[3],
                             uint32_t kind) {
  if (kind != MATSHAPER_INPUT && kind != MATSHAPER_OUTPUT) return nullptr;
  OwnedMatShaper shaper = NewMatShaper(matrix, kind);
  if (shaper == nullptr) return nullptr;
  const int linear = CopyCurves(&shaper->curves, curves);
  if (linear < 0) return nullptr;
  if (!linear) shaper->flags |= MATSHAPER_CURVES;
  return shaper.release();
}

MatShaper* IccBuildJoinedMatShaper(const double matrix[3][3],
                                   const GammaCurve* const inputCurves[3],
                                   const GammaCurve* const reversedOutputCurves[3]) {
  OwnedMatShaper shaper = NewMatShaper(matrix, MATSHAPER_JOINED);
  if (shaper == nullptr) return nullptr;
  const int inputLinear = CopyCurves(&shaper->curves, inputCurves);
  if (inputLinear < 0) return nullptr;
  const int outputLinear = CopyCurves(&shaper->outputCurves, reversedOutputCurves);
  if (outputLinear < 0) return nullptr;
  if (!inputLinear || !outputLinear) shaper->flags |= MATSHAPER_CURVES;
  return shaper.release();
}

void IccFreeMatShaper(MatShaper* shaper) {
  if (shaper == nullptr) return;
  for (int c = 0; c < 3; ++c) {
    MemFree(shaper->curves.entries[c]);
    MemFree(shaper->outputCurves.entries[c]);
  }
  MemFree(shaper);
}

void IccEvalMatShaper(const MatShaper& s, const uint16_t* in, uint16_t* out) {
  int32_t v[3];
  int64_t row[3];
  switch (s.flags & MATSHAPER_KIND_MASK) {
    case MATSHAPER_INPUT:
      // XYZ leaves as u1Fixed15 (0x8000 = 1.0), half the 65536 = 1.0 scale.
      ApplyInputCurves(s, in, v);
      ApplyMatrix(s, v, row);
      for (int c = 0; c < 3; ++c) out[c] = ClampChannel(row[c] >> 1);
      break;
    case MATSHAPER_OUTPUT:
      for (int c = 0; c < 3; ++c) v[c] = in[c] * 2;
      ApplyMatrix(s, v, row);
      ApplyOutputCurves(s, s.curves, row, out);
      break;
    case MATSHAPER_JOINED:
      ApplyInputCurves(s, in, v);
      ApplyMatrix(s, v, row);
      ApplyOutputCurves(s, s.outputCurves, row, out);
      break;
    default:
      break;
  }
}

}  // namespace qclr
