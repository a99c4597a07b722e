#include "icc/target_white.h"

namespace qclr {

XyzTriple IccSetWhiteByTemperature(unsigned temperature) {
  switch (temperature) {
    case 55: return {0.956543, 1.0, 0.920264};
    case 65: return {0.950166, 1.0, 1.08765};
    case 75: return {0.94942, 1.0, 1.22493};
    case 93: return {0.952988, 1.0, 1.41274};
    default: return kD50White;
  }
}

XyzTriple IccSetWhiteByChromaticity(double x, double y) { return {x / y, 1.0, (1.0 - x - y) / y}; }

}  // namespace qclr
