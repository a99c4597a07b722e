// Builders of curves and lookup tables for the ICC kernel tests. Everything is
// allocated through the library's heap, so the library's own release functions
// free it, and sized exactly, so the sanitizer build catches any read past it.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "api/memory.h"
#include "icc/icc_types.h"
#include "support/test_buffers.h"

namespace qclr::test {

struct CurveDeleter {
  void operator()(GammaCurve* c) const { FreeGammaCurve(c); }
};
using CurvePtr = std::unique_ptr<GammaCurve, CurveDeleter>;

struct LutDeleter {
  void operator()(LutTable* t) const { FreeLutTable(t); }
};
using LutPtr = std::unique_ptr<LutTable, LutDeleter>;

inline CurvePtr MakeCurve(const std::vector<uint16_t>& entries) {
  CurvePtr curve(AllocGammaCurve(static_cast<int32_t>(entries.size())));
  for (size_t i = 0; i < entries.size(); ++i) curve->entries[i] = entries[i];
  return curve;
}

// entry i = round(65535 x (i / (count - 1))^gamma)
inline std::vector<uint16_t> GammaEntries(int32_t count, double gamma) {
  std::vector<uint16_t> e(count);
  for (int32_t i = 0; i < count; ++i) {
    const double v = std::pow(double(i) / (count - 1), gamma);
    e[i] = static_cast<uint16_t>(std::floor(v * 65535 + 0.5));
  }
  return e;
}

// Deterministic pseudo-random 16-bit values.
inline std::vector<uint16_t> RandomWords(size_t count, uint32_t seed) {
  const std::vector<uint8_t> bytes = RandomBytes(count * 2, seed);
  std::vector<uint16_t> words(count);
  for (size_t i = 0; i < count; ++i) words[i] = uint16_t(bytes[2 * i] << 8 | bytes[2 * i + 1]);
  return words;
}

inline uint16_t* CopyToHeap(const std::vector<uint16_t>& v) {
  auto* p = static_cast<uint16_t*>(MemAlloc(v.size() * sizeof(uint16_t)));
  for (size_t i = 0; i < v.size(); ++i) p[i] = v[i];
  return p;
}

// A table with a grid of `points` per side whose node (i0, ..., i_last) holds
// node(indices, k) for output k, the first input varying slowest. Flags LUT_GRID
// only, identity matrix, no curves.
using NodeFunction = std::function<uint16_t(const std::vector<int32_t>& indices, int32_t k)>;

inline LutPtr MakeGridLut(int32_t inputs, int32_t outputs, int32_t points,
                          const NodeFunction& node) {
  LutPtr t(static_cast<LutTable*>(MemCalloc(1, sizeof(LutTable))));
  t->flags = LUT_GRID;
  t->matrix[0] = t->matrix[4] = t->matrix[8] = 65536;
  t->inputChannels = inputs;
  t->outputChannels = outputs;
  t->gridPoints = points;
  InterpParams& g = t->gridParams;
  g.samples = points;
  g.inputs = inputs;
  g.outputs = outputs;
  g.domain = static_cast<uint16_t>(points - 1);
  int32_t step = outputs;
  for (int k = 0; k < 4; ++k, step *= points) g.stride[k] = step;
  int32_t nodes = 1;
  for (int32_t i = 0; i < inputs; ++i) nodes *= points;
  std::vector<uint16_t> values(size_t(nodes) * outputs);
  std::vector<int32_t> indices(inputs);
  for (int32_t n = 0; n < nodes; ++n) {
    for (int32_t i = inputs - 1, rest = n; i >= 0; --i, rest /= points) indices[i] = rest % points;
    for (int32_t k = 0; k < outputs; ++k) values[size_t(n) * outputs + k] = node(indices, k);
  }
  t->grid = CopyToHeap(values);
  return t;
}

// A grid whose nodes rise from 0 to `rampTop` along the sum of the indices, plus
// pseudo-random noise (noise & noiseMask): ramp 0 and mask 0xFFFF for a wholly
// random grid, a ramp and a small mask for a smooth one.
inline LutPtr NoisyGrid(int32_t inputs, int32_t outputs, int32_t points, uint32_t seed,
                        double rampTop, uint16_t noiseMask) {
  int32_t values = outputs;
  for (int32_t i = 0; i < inputs; ++i) values *= points;
  const std::vector<uint16_t> noise = RandomWords(size_t(values), seed);
  size_t next = 0;
  return MakeGridLut(inputs, outputs, points, [&](const std::vector<int32_t>& idx, int32_t) {
    int32_t sum = 0;
    for (int32_t v : idx) sum += v;
    return uint16_t(rampTop * sum / (inputs * (points - 1)) + (noise[next++] & noiseMask));
  });
}

// Adds curves of `entries` entries to a table (all channels the same curve).
inline void SetInputCurves(LutTable* t, const std::vector<uint16_t>& curve) {
  t->flags |= LUT_PRE_CURVES;
  t->inputEntries = static_cast<int32_t>(curve.size());
  t->inputParams = {t->inputEntries, 1, 1, uint16_t(curve.size() - 1), {1, 0, 0, 0}};
  for (int32_t c = 0; c < t->inputChannels; ++c) t->inputCurves[c] = CopyToHeap(curve);
}

inline void SetOutputCurves(LutTable* t, const std::vector<uint16_t>& curve) {
  t->flags |= LUT_POST_CURVES;
  t->outputEntries = static_cast<int32_t>(curve.size());
  t->outputParams = {t->outputEntries, 1, 1, uint16_t(curve.size() - 1), {1, 0, 0, 0}};
  for (int32_t c = 0; c < t->outputChannels; ++c) t->outputCurves[c] = CopyToHeap(curve);
}

}  // namespace qclr::test
