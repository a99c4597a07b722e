#include "press_model.h"

#include <cmath>

namespace qclr::resources {
namespace {

constexpr double kDotGain = 0.6;

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

PressModel::PressModel() {
  const double primaries[3][2] = {{0.70, 0.30}, {0.17, 0.78}, {0.14, 0.04}};
  bandsToXyz_ = PrimariesMatrix(primaries, kD50);
  xyzToBands_ = Inverse(bandsToXyz_);
  paperXyz_ = LabToXyz({{95.0, 0.0, -2.0}});
  const Vec3 paperBands = xyzToBands_ * paperXyz_;
  const Vec3 solids[4] = {{{55.0, -37.0, -50.0}}, {{48.0, 74.0, -3.0}}, {{89.0, -5.0, 93.0}}, {{16.0, 0.0, 0.0}}};
  for (int ink = 0; ink < 4; ++ink) {
    const Vec3 bands = xyzToBands_ * LabToXyz(solids[ink]);
    for (int i = 0; i < 3; ++i) {
      const double relative = bands[i] / paperBands[i];
      transmittance_[ink][i] = Clamp((relative - kFlare) / (1.0 - kFlare), 0.001, 1.0);
    }
  }
}

double PressModel::DotGain(double nominal) { return nominal + kDotGain * nominal * (1.0 - nominal); }

double PressModel::RemoveDotGain(double effective) {
  // The root in 0..1 of g n^2 - (1 + g) n + a = 0.
  const double a = Clamp(effective, 0.0, 1.0);
  const double disc = (1.0 + kDotGain) * (1.0 + kDotGain) - 4.0 * kDotGain * a;
  return Clamp(((1.0 + kDotGain) - std::sqrt(disc)) / (2.0 * kDotGain), 0.0, 1.0);
}

Vec3 PressModel::Lab(const double a[4]) const {
  Vec3 bands;
  for (int i = 0; i < 3; ++i) {
    double pass = 1.0;
    for (int ink = 0; ink < 4; ++ink) pass *= 1.0 - a[ink] * (1.0 - transmittance_[ink][i]);
    bands[i] = kFlare + (1.0 - kFlare) * pass;
  }
  return LabOfBands(bands);
}

Vec3 PressModel::BandsOfLab(const Vec3& lab) const { return xyzToBands_ * LabToXyz(lab); }

Vec3 PressModel::LabOfBands(const Vec3& bands) const { return XyzToLab(bandsToXyz_ * bands); }

double PressModel::InkTotal(const double a[4]) {
  double total = 0.0;
  for (int ink = 0; ink < 4; ++ink) total += RemoveDotGain(a[ink]);
  return total;
}

}  // namespace qclr::resources
