// Inverse curves, built when a transform is made: a curve that undoes another, and
// the curve that maps through one curve and back through a second.
#pragma once

#include <cstdint>

#include "icc/icc_types.h"

namespace qclr {

// A curve of n entries (n >= 2) whose entry i is the input at which `curve`
// reaches i x 65535 / (n - 1), found by binary search. The search stores the
// midpoint one above the probed input: an exact hit gives probe + 1, an exhausted
// search its last midpoint. Null when n < 2, curve is null or memory runs out.
GammaCurve* IccReverseCurve(int32_t n, const GammaCurve* curve);

// A 256-entry curve: entry i is the binary-search inverse in outCurve of inCurve's
// value at i x 257. Null when a curve is null or memory runs out.
GammaCurve* IccJoinCurves(const GammaCurve* inCurve, const GammaCurve* outCurve);

}  // namespace qclr
