#include "press_model.h"

#include <cmath>
#include <utility>

namespace qclr::resources {
namespace {

constexpr double kFlare = 0.01;
constexpr double kDotGain = 0.6;
// Weights of the fit's residuals. A colour out of gamut gives up chroma before
// lightness and lightness before hue.
constexpr double kLightnessWeight = 1.0;
constexpr double kChromaWeight = 0.5;
constexpr double kHueWeight = 2.0;
constexpr double kBlackWeight = 1.0;  // pull towards the black rule, per unit of coverage
constexpr double kLimitWeight = 1000.0;

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

double Cost(const double r[5]) { return r[0] * r[0] + r[1] * r[1] + r[2] * r[2] + r[3] * r[3] + r[4] * r[4]; }

// Solves the n x n system a x = b (n <= 4) by Gaussian elimination with partial
// pivoting; false when singular.
bool Solve(double a[4][4], double b[4], int n, double x[4]) {
  for (int col = 0; col < n; ++col) {
    int pivot = col;
    for (int row = col + 1; row < n; ++row)
      if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
    if (a[pivot][col] == 0.0) return false;
    if (pivot != col) {
      for (int k = 0; k < n; ++k) std::swap(a[col][k], a[pivot][k]);
      std::swap(b[col], b[pivot]);
    }
    for (int row = col + 1; row < n; ++row) {
      const double f = a[row][col] / a[col][col];
      for (int k = col; k < n; ++k) a[row][k] -= f * a[col][k];
      b[row] -= f * b[col];
    }
  }
  for (int row = n - 1; row >= 0; --row) {
    double s = b[row];
    for (int k = row + 1; k < n; ++k) s -= a[row][k] * x[k];
    x[row] = s / a[row][row];
  }
  return true;
}

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

Vec3 PressModel::Bands(const double a[4]) const {
  Vec3 bands;
  for (int i = 0; i < 3; ++i) {
    double pass = 1.0;
    for (int ink = 0; ink < 4; ++ink) pass *= 1.0 - a[ink] * (1.0 - transmittance_[ink][i]);
    bands[i] = kFlare + (1.0 - kFlare) * pass;
  }
  return bands;
}

Vec3 PressModel::Lab(const double a[4]) const { return XyzToLab(bandsToXyz_ * Bands(a)); }

double PressModel::BlackRule(const Vec3& lab) const {
  const double dark = Clamp((85.0 - lab[0]) / 70.0, 0.0, 1.0);
  const double chroma = std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]);
  const double neutral = Clamp(1.0 - chroma / 50.0, 0.0, 1.0);
  return 0.95 * dark * dark * (3.0 - 2.0 * dark) * (0.3 + 0.7 * neutral);
}

void PressModel::Residuals(const double a[4], const Target& target, double r[5], double (*jacobian)[4]) const {
  // Bands and their derivatives: each band is the flare plus the product of the
  // inks' factors 1 - a (1 - T); d/da_k drops factor k for -(1 - T_k).
  Vec3 bands;
  double bandSlope[3][4];
  for (int i = 0; i < 3; ++i) {
    double factor[4], pass = 1.0;
    for (int ink = 0; ink < 4; ++ink) {
      factor[ink] = 1.0 - a[ink] * (1.0 - transmittance_[ink][i]);
      pass *= factor[ink];
    }
    bands[i] = kFlare + (1.0 - kFlare) * pass;
    for (int k = 0; k < 4; ++k) {
      double others = 1.0;
      for (int ink = 0; ink < 4; ++ink) {
        if (ink != k) others *= factor[ink];
      }
      bandSlope[i][k] = -(1.0 - kFlare) * (1.0 - transmittance_[k][i]) * others;
    }
  }
  Mat3 labByXyz;
  const Vec3 lab = XyzToLab(bandsToXyz_ * bands, &labByXyz);
  const Mat3 labByBands = labByXyz * bandsToXyz_;

  const double dl = lab[0] - target.lab[0], da = lab[1] - target.lab[1], db = lab[2] - target.lab[2];
  const double h0 = target.hue[0], h1 = target.hue[1], neutral = target.chromatic ? 0.0 : 1.0;
  // Lightness; then along and across the target's hue (a neutral target has no
  // hue to keep, so its a and b count plainly).
  r[0] = kLightnessWeight * dl;
  r[1] = kChromaWeight * (da * h0 + db * h1) + neutral * da;
  r[2] = kHueWeight * (db * h0 - da * h1) + neutral * db;
  r[3] = kBlackWeight * (a[3] - target.blackRule);
  const double total = InkTotal(a);
  r[4] = total > kInkLimit ? kLimitWeight * (total - kInkLimit) : 0.0;
  if (jacobian == nullptr) return;

  for (int k = 0; k < 4; ++k) {
    double labSlope[3];
    for (int m = 0; m < 3; ++m) {
      labSlope[m] = 0.0;
      for (int i = 0; i < 3; ++i) labSlope[m] += labByBands.m[m][i] * bandSlope[i][k];
    }
    jacobian[0][k] = kLightnessWeight * labSlope[0];
    jacobian[1][k] = kChromaWeight * (labSlope[1] * h0 + labSlope[2] * h1) + neutral * labSlope[1];
    jacobian[2][k] = kHueWeight * (labSlope[2] * h0 - labSlope[1] * h1) + neutral * labSlope[2];
    jacobian[3][k] = k == 3 ? kBlackWeight : 0.0;
    // d nominal / d effective = 1 / (d effective / d nominal) inside 0..1.
    const double nominal = RemoveDotGain(a[k]);
    const double inside = a[k] > 0.0 && a[k] < 1.0 ? 1.0 : 0.0;
    jacobian[4][k] = total > kInkLimit ? kLimitWeight * inside / (1.0 + kDotGain - 2.0 * kDotGain * nominal) : 0.0;
  }
}

void PressModel::InitialGuess(const Target& target, double a[4]) const {
  const double blackRule = target.blackRule;
  // Each chromatic ink from the band it absorbs most, after the black's share,
  // ignoring the inks' unwanted absorptions.
  const Vec3 bands = xyzToBands_ * LabToXyz(target.lab);
  a[3] = blackRule;
  for (int ink = 0; ink < 3; ++ink) {
    const double pass = (bands[ink] - kFlare) / (1.0 - kFlare);
    const double afterBlack = pass / (1.0 - blackRule * (1.0 - transmittance_[3][ink]));
    a[ink] = Clamp((1.0 - afterBlack) / (1.0 - transmittance_[ink][ink]), 0.0, 1.0);
  }
}

void PressModel::Fit(const Target& target, bool blackFree, double a[4]) const {
  double r[5], jac[5][4];
  Residuals(a, target, r, jac);
  double cost = Cost(r);
  double damping = 1e-3;
  for (int iteration = 0; iteration < 200; ++iteration) {
    double gradient[4], normal[4][4];
    for (int k = 0; k < 4; ++k) {
      gradient[k] = 0.0;
      for (int i = 0; i < 5; ++i) gradient[k] += jac[i][k] * r[i];
      for (int l = 0; l < 4; ++l) {
        normal[k][l] = 0.0;
        for (int i = 0; i < 5; ++i) normal[k][l] += jac[i][k] * jac[i][l];
      }
    }
    // Coverages held at a bound that the gradient pushes outwards stay there.
    int free[4], n = 0;
    for (int k = 0; k < (blackFree ? 4 : 3); ++k) {
      const bool held = (a[k] <= target.low && gradient[k] > 0.0) || (a[k] >= target.high && gradient[k] < 0.0);
      if (!held) free[n++] = k;
    }
    if (n == 0) break;
    bool improved = false;
    double moved = 0.0;
    for (int attempt = 0; attempt < 12 && !improved; ++attempt) {
      double sys[4][4], rhs[4], step[4];
      for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) sys[i][j] = normal[free[i]][free[j]];
        sys[i][i] += damping * normal[free[i]][free[i]] + 1e-12;
        rhs[i] = -gradient[free[i]];
      }
      if (!Solve(sys, rhs, n, step)) {
        damping *= 4.0;
        continue;
      }
      double trial[4] = {a[0], a[1], a[2], a[3]};
      for (int i = 0; i < n; ++i) trial[free[i]] = Clamp(trial[free[i]] + step[i], target.low, target.high);
      double rt[5], jt[5][4];
      Residuals(trial, target, rt, jt);
      const double trialCost = Cost(rt);
      if (trialCost < cost) {
        moved = 0.0;
        for (int k = 0; k < 4; ++k) moved = std::fmax(moved, std::fabs(trial[k] - a[k]));
        for (int k = 0; k < 4; ++k) a[k] = trial[k];
        for (int i = 0; i < 5; ++i) {
          r[i] = rt[i];
          for (int k = 0; k < 4; ++k) jac[i][k] = jt[i][k];
        }
        cost = trialCost;
        damping = std::fmax(damping / 3.0, 1e-9);
        improved = true;
      } else {
        damping *= 4.0;
      }
    }
    if (!improved || moved < 1e-9) break;
  }
}

double PressModel::InkTotal(const double a[4]) {
  double total = 0.0;
  for (int ink = 0; ink < 4; ++ink) total += RemoveDotGain(a[ink]);
  return total;
}

double PressModel::Separate(const Vec3& lab, double low, double high, double a[4]) const {
  Target target;
  target.lab = lab;
  target.low = low;
  target.high = high;
  target.blackRule = BlackRule(lab);
  const double chroma = std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]);
  target.chromatic = chroma > 1e-6;
  target.hue[0] = target.chromatic ? lab[1] / chroma : 0.0;
  target.hue[1] = target.chromatic ? lab[2] / chroma : 0.0;
  // First the chromatic inks with the black the rule asks for, then all four.
  InitialGuess(target, a);
  Fit(target, false, a);
  Fit(target, true, a);
  const Vec3 printed = Lab(a);
  const double dl = printed[0] - lab[0], da = printed[1] - lab[1], db = printed[2] - lab[2];
  return std::sqrt(dl * dl + da * da + db * db);
}

}  // namespace qclr::resources
