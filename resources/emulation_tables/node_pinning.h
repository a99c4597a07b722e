// Pinning chosen nodes of a 33 x 33 x 33 grid of unrounded 3-channel values to
// reference values, blending the correction smoothly into the surrounding nodes so
// that the grid stays smooth where a model does not meet a reference exactly.
#pragma once

#include <vector>

namespace qclr::tables {

struct PinnedNode {
  int i1, i2, i3;   // node coordinates, outermost first
  double value[3];  // the reference value of the node
};

// The grid holds 33^3 nodes of 3 doubles each, in table order. The pinned node takes
// its reference value exactly; a node at grid distance d < radius moves by w (d)
// times the pinned node's correction, w falling from 1 to 0 with zero slope at
// both ends (smoothstep). Pins closer together than the radius would disturb each
// other's nodes; callers keep them apart.
void PinNode(std::vector<double>& grid, const PinnedNode& pin, double radius);

}  // namespace qclr::tables
