// Gamut mapping for the press: where a colour it cannot print goes.
//
// The mapping keeps the hue and takes the nearest printable colour in a
// difference that counts lightness at half the weight of chroma,
//     d^2 = (w dL)^2 + dC^2,  w = 1/2        (at the colour's own hue),
// a perceptual choice: saturated colours (a display's primaries) keep their
// saturation and land on the press's most saturated colours of their hue, at the
// cost of some lightness, where a lightness-keeping clip would leave them pale.
// Dark colours are the exception: from L* 30 down the weight of lightness rises
// to 3 at the rich black (the darkest printable neutral), so shadows keep their
// depth and give up chroma instead. Colours darker than the rich black thus go
// to it or, when clearly chromatic, to the darkest colours of their hue, and a
// display's near-blacks (which differ little in lightness but have some chroma)
// all print as the rich black. Colours lighter than the paper go to the paper.
//
// The boundary is measured once, for kHues evenly spaced hues and the hues of
// the six solids and overprints (where the boundary comes to a sharp corner in
// hue as well as in lightness), as the most chromatic printable colour at
// kLevels lightnesses from the rich black to the paper (bisection on chroma with
// the exact printability test of the separation), each with its separation. A colour is mapped onto the boundary of its hue interpolated
// between the two nearest measured hues; its inks are interpolated from the
// separations of the boundary points around it, so the result is a smooth
// function of the colour.
#pragma once

#include <cstddef>
#include <vector>

#include "colour_science.h"
#include "press_separation.h"

namespace qclr::resources {

class PressGamut {
 public:
  explicit PressGamut(const PressSeparation& separation);

  struct Mapped {
    double ink[4];    // the separation of the boundary colour chosen (effective coverages)
    double distance;  // the weighted difference from the colour mapped
  };
  Mapped Map(const Vec3& lab) const;

  // Distance (in the mapping's weighted difference) from `lab` to the boundary
  // of the gamut at its hue: how deep inside a printable colour lies.
  double Depth(const Vec3& lab) const;

  // False when `lab` is clearly outside the gamut (more chromatic than the
  // measured boundary by a margin); a true answer still needs the exact test.
  bool MayBePrintable(const Vec3& lab) const;

  static constexpr int kHues = 90;
  static constexpr int kLevels = 40;
  static constexpr double kLightnessWeight = 0.5;
  static constexpr double kBlackLightnessWeight = 3.0;
  static constexpr double kDarkFrom = 30.0;  // L* below which the weight rises

 private:
  struct Point {
    double lightness, chroma;
    double ink[4];
  };
  const Point& At(int hue, int level) const { return boundary_[static_cast<size_t>(hue * kLevels + level)]; }
  int HueCount() const { return static_cast<int>(hues_.size()); }
  // The hue sample below `lab`'s hue and the fraction towards the next one.
  void HuePosition(const Vec3& lab, int* hue, double* fraction) const;
  // The nearest point of the boundary polyline at `lab`'s hue: its level
  // (segment), position along the segment and the distance.
  struct Nearest {
    int hue, level;
    double hueFraction, along, distance;
  };
  Nearest NearestOnBoundary(const Vec3& lab) const;

  std::vector<double> hues_;  // angles in 0..2 pi, ascending
  double blackLightness_;  // the rich black's
  std::vector<Point> boundary_;
};

}  // namespace qclr::resources
