// The printing press behind the built-in CMYK profile: a forward model from ink
// coverages to Lab and its inverse with black generation and gamut mapping.
//
// Forward model. Four process inks on a coated white paper, seen through three
// broad spectral bands (red, green, blue). Each ink at full coverage (a solid)
// passes a fraction T of the light in each band; a halftone of effective coverage
// a passes 1 - a (1 - T) (Murray-Davies), and overprinted inks multiply (the
// Neugebauer model with Demichel weights and multiplicative primaries). A fixed
// first-surface reflection `flare` is added, so the darkest black keeps some
// light:
//     band_i = flare + (1 - flare) * prod_ink (1 - a_ink (1 - T_ink,i))
// relative to the paper (paper = 1 in every band). The bands become XYZ through the
// band primaries (red 0.70, 0.30; green 0.17, 0.78; blue 0.14, 0.04; white D50),
// then Lab. The transmittances T are derived from the Lab of the solids on this
// paper (typical coated-stock values): cyan (55, -37, -50), magenta (48, 74, -3),
// yellow (89, -5, 93), black (16, 0, 0); the paper is (95, 0, -2) against D50.
// Dot gain turns the nominal coverage n into the effective one:
//     a = n + 0.6 n (1 - n)          (15 % at 50 %).
//
// Inverse (separation). For a target Lab the ink amounts are found by a
// box-constrained Levenberg-Marquardt fit of the forward model. Black generation
// (grey-component replacement) steers the one free dimension: the fit keeps the
// black near a rule that starts black below L* 85, reaches 95 % near L* 15 and
// gives chromatic colours less of it. Total ink is limited to 300 % of nominal
// coverage. A colour the press cannot print is fitted with the least weighted
// difference, chroma counting half and hue twice as much as lightness, which
// maps it onto the gamut boundary mostly towards the grey of its lightness
// (hue-preserving clipping); colours that can be printed are matched exactly.
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

  // Fits effective coverages a[4] within low..high to `lab`; returns the CIE 1976
  // difference left. With 0..1 this is the separation of a printable colour or
  // the gamut mapping of another; a wider range extends the model past the
  // physical coverages (see press_profile.cpp).
  double Separate(const Vec3& lab, double low, double high, double a[4]) const;

  // Total nominal coverage of effective coverages a[4], each clamped to 0..1.
  static double InkTotal(const double a[4]);
  static constexpr double kInkLimit = 3.0;  // 300 %

  static double DotGain(double nominal);
  static double RemoveDotGain(double effective);

 private:
  Vec3 Bands(const double a[4]) const;
  struct Target {
    Vec3 lab;
    double blackRule;
    bool chromatic;
    double hue[2];  // unit vector of the target's hue in the a, b plane
    double low, high;  // bounds of the coverages
  };
  double BlackRule(const Vec3& lab) const;
  // Residuals of the fit: lightness, chroma and hue differences (weighted), the
  // pull towards the black rule, the excess over the ink limit; with their
  // derivatives by the four coverages when `jacobian` is not null.
  void Residuals(const double a[4], const Target& target, double r[5], double (*jacobian)[4]) const;
  void InitialGuess(const Target& target, double a[4]) const;
  // Levenberg-Marquardt from `a`, coverages kept within 0..1; the black stays
  // fixed unless `blackFree`.
  void Fit(const Target& target, bool blackFree, double a[4]) const;

  double transmittance_[4][3];
  Mat3 bandsToXyz_;
  Mat3 xyzToBands_;
  Vec3 paperXyz_;
};

}  // namespace qclr::resources
