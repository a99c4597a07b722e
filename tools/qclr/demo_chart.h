// The demo's colour chart and the measure of how far a round trip strays from it.
#pragma once

#include "image.h"

namespace qclr_tool {

// A width x height RGB chart: a hue sweep across, from full colour at the top to
// white and black further down, with a grey ramp in the bottom 8 rows. The width
// and height should be multiples of 8 and 4 (every pixel group).
Image MakeChart(int32_t width, int32_t height);

struct Difference {
  int maximum = 0;   // largest difference of one sample, in levels
  double mean = 0;   // mean difference over every sample
};

// The difference of two images of the same size and space, sample by sample.
Difference Compare(const Image& a, const Image& b);

}  // namespace qclr_tool
