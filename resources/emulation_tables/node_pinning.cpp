#include "node_pinning.h"

#include <cmath>

#include "table_layout.h"

namespace qclr::tables {

void PinNode(std::vector<double>& grid, const PinnedNode& pin, double radius) {
  const size_t at = LabNodeOffset(pin.i1, pin.i2, pin.i3);
  double correction[3];
  for (int ch = 0; ch < 3; ++ch) correction[ch] = pin.value[ch] - grid[at + ch];
  for (int i1 = 0; i1 < kLabAxis; ++i1)
    for (int i2 = 0; i2 < kLabAxis; ++i2)
      for (int i3 = 0; i3 < kLabAxis; ++i3) {
        const double d1 = i1 - pin.i1, d2 = i2 - pin.i2, d3 = i3 - pin.i3;
        // Square roots are correctly rounded everywhere, so this stays deterministic.
        const double s = std::sqrt(d1 * d1 + d2 * d2 + d3 * d3) / radius;
        if (s >= 1) continue;
        const double w = 1 - s * s * (3 - 2 * s);
        const size_t node = LabNodeOffset(i1, i2, i3);
        for (int ch = 0; ch < 3; ++ch) grid[node + ch] += w * correction[ch];
      }
  // Exact at the node itself, whatever the rounding of the sums above.
  for (int ch = 0; ch < 3; ++ch) grid[at + ch] = pin.value[ch];
}

}  // namespace qclr::tables
