// The printing press behind the built-in CMYK profile: the forward model from ink
// coverages to Lab. Its inverse (separation) lives in press_separation.h, the
// gamut mapping in press_gamut.h.
//
// Four process inks on a coated white paper, seen through three broad spectral
// bands (red, green, blue). Each ink at full coverage (a solid) passes a fraction
// T of the light in each band; a halftone of effective coverage a passes
// 1 - a (1 - T) (Murray-Davies), and overprinted inks multiply (the Neugebauer
// model with Demichel weights and multiplicative primaries). A fixed first-surface
// reflection `flare` is added, so the darkest black keeps some light:
//     band_i = flare + (1 - flare) * prod_ink (1 - a_ink (1 - T_ink,i))
// relative to the paper (paper = 1 in every band). The bands become XYZ through the
// band primaries (red 0.70, 0.30; green 0.17, 0.78; blue 0.14, 0.04; white D50),
// then Lab. The transmittances T are derived from the Lab of the solids on this
// paper (typical coated-stock values): cyan (55, -37, -50), magenta (48, 74, -3),
// yellow (89, -5, 93), black (16, 0, 0); the paper is (95, 0, -2) against D50.
// Dot gain turns the nominal coverage n into the effective one:
//     a = n + 0.6 n (1 - n)          (15 % at 50 %).
#pragma once

#include "colour_science.h"

namespace qclr::resources {

class PressModel {
 public:
  PressModel();

  // Lab relative to the paper (paper = L* 100) of effective coverages a[4] (C, M, Y, K).
  Vec3 Lab(const double a[4]) const;
  // The paper's XYZ against D50: the media white point.
  Vec3 PaperXyz() const { return paperXyz_; }

  // The bands (paper = 1) of a colour given by its Lab, and back.
  Vec3 BandsOfLab(const Vec3& lab) const;
  Vec3 LabOfBands(const Vec3& bands) const;
  // What a solid of `ink` passes in `band`.
  double Transmittance(int ink, int band) const { return transmittance_[ink][band]; }
  static constexpr double kFlare = 0.01;

  // Total nominal coverage of effective coverages a[4], each clamped to 0..1.
  static double InkTotal(const double a[4]);
  static constexpr double kInkLimit = 3.0;  // 300 %

  static double DotGain(double nominal);
  static double RemoveDotGain(double effective);

 private:
  double transmittance_[4][3];
  Mat3 bandsToXyz_;
  Mat3 xyzToBands_;
  Vec3 paperXyz_;
};

}  // namespace qclr::resources
