// The display the Lab tables emulate: a standard RGB monitor (ITU-R BT.709
// primaries, D65 white, the piecewise sRGB transfer curve), seen through CIE L*a*b*
// relative to the D50 white, with the monitor's colours adapted to D50 by the
// Bradford transform.
#pragma once

namespace qclr::tables {

struct Lab {
  double l;  // L*, 0..100
  double a;
  double b;
};

struct Rgb {
  double r;  // display levels 0..255, unrounded
  double g;
  double b;
};

// Display levels 0..255 to L*a*b*.
Lab LabFromDisplay(double r, double g, double b);

// L*a*b* to display levels. Colours outside the display are limited channel by
// channel in linear light before the transfer curve.
Rgb DisplayFromLab(const Lab& lab);

}  // namespace qclr::tables
