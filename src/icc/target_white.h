// The white point a transform is built for: a colour temperature preset or a CIE
// chromaticity. It is handed to the transform builder as an argument, so builds on
// several threads never share it.
#pragma once

namespace qclr {

struct XyzTriple {
  double x, y, z;
};

// D50, the profile connection space's white.
inline constexpr XyzTriple kD50White = {0.964294, 1.0, 0.825104};

// 55, 65, 75 and 93 select D55, D65, D75 and D93; every other value D50.
XyzTriple IccSetWhiteByTemperature(unsigned temperature);

// X = x / y, Y = 1, Z = (1 - x - y) / y.
XyzTriple IccSetWhiteByChromaticity(double x, double y);

}  // namespace qclr
