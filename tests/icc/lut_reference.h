// A plain evaluator of lookup tables for the tests: linear interpolation in the
// curves, multilinear interpolation in the grid, all in doubles. It checks the
// data of a table, not the library's interpolation kernels.
#pragma once

#include <vector>

#include "icc/icc_types.h"

namespace qclr::test {

// Curve of `entries` values at input v (0..65535).
inline double CurveAt(const uint16_t* curve, int32_t entries, double v) {
  const double pos = v * (entries - 1) / 65535.0;
  int32_t i = static_cast<int32_t>(pos);
  if (i >= entries - 1) i = entries - 2;
  const double f = pos - i;
  return curve[i] + (curve[i + 1] - curve[i]) * f;
}

// The table at 16-bit inputs; its matrix is taken as the identity.
inline std::vector<double> EvaluateLut(const LutTable& t, const std::vector<double>& input) {
  const int32_t n = t.inputChannels, outs = t.outputChannels, points = t.gridPoints;
  std::vector<int32_t> base(static_cast<size_t>(n));
  std::vector<double> frac(static_cast<size_t>(n));
  std::vector<int64_t> stride(static_cast<size_t>(n));
  int64_t s = outs;
  for (int32_t k = n - 1; k >= 0; --k, s *= points) stride[static_cast<size_t>(k)] = s;
  for (int32_t k = 0; k < n; ++k) {
    const double pos = CurveAt(t.inputCurves[k], t.inputEntries, input[static_cast<size_t>(k)]) * (points - 1) / 65535.0;
    int32_t i = static_cast<int32_t>(pos);
    if (i >= points - 1) i = points - 2;
    base[static_cast<size_t>(k)] = i;
    frac[static_cast<size_t>(k)] = pos - i;
  }
  std::vector<double> out(static_cast<size_t>(outs), 0.0);
  for (uint32_t corner = 0; corner < (1u << n); ++corner) {
    double weight = 1.0;
    int64_t node = 0;
    for (int32_t k = 0; k < n; ++k) {
      const bool up = (corner >> k) & 1;
      weight *= up ? frac[static_cast<size_t>(k)] : 1.0 - frac[static_cast<size_t>(k)];
      node += (base[static_cast<size_t>(k)] + (up ? 1 : 0)) * stride[static_cast<size_t>(k)];
    }
    for (int32_t o = 0; o < outs; ++o) out[static_cast<size_t>(o)] += weight * t.grid[node + o];
  }
  for (int32_t o = 0; o < outs; ++o) {
    out[static_cast<size_t>(o)] = CurveAt(t.outputCurves[o], t.outputEntries, out[static_cast<size_t>(o)]);
  }
  return out;
}

}  // namespace qclr::test
