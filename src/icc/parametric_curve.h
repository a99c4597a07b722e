// Parametric tone curves ('para' tags of version 4 profiles): one of five
// functions of the input X in 0..1, given by up to seven parameters g, a, b, c, d,
// e, f. The engine works on sampled curves, so a parametric curve is sampled into
// a GammaCurve once, when it is read.
#pragma once

#include <cstdint>

#include "icc/icc_types.h"

namespace qclr {

// Entries of a sampled parametric curve. Input stages interpolate between them
// linearly, output stages search them for the inverse, joined stages do both.
// With 4096 entries the interpolated curve of a gamma of 1.8 to 2.4, or of sRGB,
// is within one 16-bit level of its formula at every input (as close as 16-bit
// entries get), and a profile joined with itself gives every 8-bit value back
// wherever its curve rises within 16 bits. (A pure power curve stays at 0 for
// the first few hundred inputs, so black comes back as 1 there, exactly as it
// does for the same gamma in a version 2 'curv'.)
inline constexpr int32_t kParametricCurveEntries = 4096;

inline constexpr int kMaxParametricParams = 7;

// The parameters function `function` takes (1, 3, 4, 5, 7 for functions 0..4), or
// 0 for a function the format does not define.
int32_t IccParametricParamCount(uint32_t function);

// Y of function `function` (0..4) at X, unclamped:
//   0: X^g
//   1: (aX + b)^g where aX + b >= 0, else 0
//   2: (aX + b)^g + c where aX + b >= 0, else c
//   3: (aX + b)^g where X >= d, else cX
//   4: (aX + b)^g + e where X >= d, else cX + f
// (For a > 0, aX + b >= 0 is the format's X >= -b/a; it also keeps the power's
// base from going negative when a profile carries a = 0.)
double IccParametricValue(uint32_t function, const double params[kMaxParametricParams], double x);

// The curve sampled at `count` evenly spaced inputs: entry i = Y(i / (count - 1))
// clamped to 0..1 (NaN gives 0), times 65535, rounded. Null for an unknown
// function, a count below 2 or when memory runs out.
GammaCurve* IccSampleParametricCurve(uint32_t function, const double params[kMaxParametricParams],
                                     int32_t count);

}  // namespace qclr
