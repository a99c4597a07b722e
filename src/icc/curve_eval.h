// Lookups in tone curves: `count` unsigned 16-bit entries evenly spaced over the
// input range 0..65535, linearly interpolated between neighbours.
#pragma once

#include <cstdint>

namespace qclr {

// Double-precision lookup, used by table curves, output stages and the curve
// inversions. An input of 65535 or more gives the last entry. A curve without
// entries is the identity; a curve of one entry is that constant.
uint16_t IccCurveEval(const uint16_t* entries, int32_t count, int32_t x);

// 16.16 fixed-point lookup, used by input and joined matrix/curve stages. The
// fraction is applied in double and truncated toward zero after adding 0.5, so a
// falling segment rounds differently from a rising one. 65535 gives the last entry
// without reading past it. Needs count >= 1.
int32_t IccCurveEvalFixed(const uint16_t* entries, int32_t count, uint16_t x);

// True when entry i equals floor(i / (n - 1) x 65535 + 0.5) for every i. A curve
// without entries is linear; a single entry is a constant, never linear.
bool IccCurveIsLinear(const uint16_t* entries, int32_t count);

// Fills dst[0..dstCount) with the curve sampled by IccCurveEval at the inputs of
// an evenly spaced dstCount-entry curve (input j x 65535 / (dstCount - 1),
// rounded). A curve of the same count is copied unchanged.
void IccResampleCurve(const uint16_t* entries, int32_t count, uint16_t* dst, int32_t dstCount);

}  // namespace qclr
