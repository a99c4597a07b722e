// Separation for the press of press_model.h: the ink coverages that print a
// given Lab, with black generation and the ink limit.
//
// The model multiplies the inks' factors 1 - a (1 - T) in each of three bands, so
// in densities (minus the logarithm of what the inks pass) the inks add up. With
// the black fixed, the chromatic coverages follow from three equations in three
// unknowns that are nearly linear in densities; Newton's method solves them from
// any reasonable start. The coverages may leave 0..1 there (past full coverage
// an ink's density continues along its tangent), which tells how far a colour
// lies outside what that black can print.
//
// Black generation. A colour is printable when some black in 0..1 leaves the
// chromatic coverages within 0..1 and the total within 300 %. Deep inside the
// gamut the black rule (a smooth function of lightness and chroma: none above
// L* 85, 95 % from L* 15 down, less for chromatic colours) picks the black, or
// the nearest black that prints the colour when the rule's does not. Towards
// the gamut's boundary the range of blacks that print a colour closes on a
// single one, often quickly from one side; there the black moves over to the
// middle of the range (the black of most slack), which runs smoothly into the
// boundary's separation, so that neighbouring grid nodes never hold separations
// of very different black. Near the darkest printable colours the range closes
// on the rich black: full black with the chromatic inks filling the ink limit.
#pragma once

#include "colour_science.h"
#include "press_model.h"

namespace qclr::resources {

class PressSeparation {
 public:
  explicit PressSeparation(const PressModel& press) : press_(press) {}

  const PressModel& Model() const { return press_; }

  // The black the rule asks for at `lab` (effective coverage).
  static double BlackRule(const Vec3& lab);

  // Coverages a[4] (C, M, Y, K; effective) printing `lab` within 0..1 and the
  // ink limit. `depth` is the colour's distance inside the gamut's boundary
  // (PressGamut::Depth): below 20 the black leaves the rule for the middle of the
  // blacks that print the colour, at 0 it is that middle. a[0..2] hold a start
  // on entry (the previous node's inks, say). False when the colour cannot be
  // printed; a[] then holds the separation that comes closest.
  bool Separate(const Vec3& lab, double depth, double a[4]) const;

  // The separation continued past the gamut, for a colour just outside it: the
  // black that comes closest to printing it within 0..1 (which at the gamut's
  // boundary is the black Separate takes there), and the chromatic inks that
  // give the colour exactly with it. True when those lie within low..high and
  // the ink limit.
  bool Extend(const Vec3& lab, double low, double high, double a[4]) const;

  // Whether `lab` can be printed (Separate with 0..1 would succeed).
  bool Printable(const Vec3& lab) const;

  // How far coverages are from the bounds: the largest of a - high and low - a
  // over the chromatic inks and of the clamped total over the ink limit.
  static double Violation(const double a[4], double low, double high);

 private:
  struct Need {
    double pass[3];  // what the inks must pass in each band, flare removed
  };
  // False when the colour is darker than the flare allows in some band.
  bool NeedOf(const Vec3& lab, Need* need) const;
  // The chromatic coverages giving the needed bands exactly with black `black`,
  // allowed outside 0..1; cmy holds the start on entry.
  bool Solve(const Need& need, double black, double cmy[3]) const;
  // Violation of the separation with black `black` (the chromatic inks solved
  // from cmy, which receives them); large when there is no solution.
  double ViolationAt(const Need& need, double black, double low, double high, double cmy[3]) const;
  // The black of least violation: sampled over 0..1, then refined around the best
  // sample by golden-section search. With `anyFeasible` it stops at the first
  // black that meets the bounds.
  double LeastViolation(const Need& need, double low, double high, bool anyFeasible, double* black,
                        double cmy[3]) const;

  const PressModel& press_;
};

}  // namespace qclr::resources
