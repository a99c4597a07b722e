// The companding function of CIE L*a*b*: f(t) = t^(1/3) above the knee 0.008856,
// a straight line below it. Its line is written with different constants where
// each result was defined, and the bytes depend on them, so every use names its
// line.
#pragma once

#include "numeric/deterministic_math.h"

namespace qclr {

struct LabLine {
  double slope;
  double offset;  // 16 / 116
};

// Slope 7.787: the ICC engine's conversions between XYZ and Lab.
inline constexpr LabLine kLabLine7787{7.787, 0.13793103448275862};
// Slope 7.7867: the Lab kernels of the direct route.
inline constexpr LabLine kLabLine77867{7.7867, 0.13793103448275862};
// Slope 7.7867, offset to eight digits: the cube-root table of a handle's
// fixed-point Lab encoder.
inline constexpr LabLine kLabLine77867Short{7.7867, 0.13793103};

static_assert(1.0 / 3.0 == 0.3333333333333333, "one exponent, however it is written");

inline double LabCompand(double t, LabLine line) {
  return t > 0.008856 ? Pow(t, 1.0 / 3.0) : line.slope * t + line.offset;
}

}  // namespace qclr
