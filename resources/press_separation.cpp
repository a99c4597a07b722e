#include "press_separation.h"

#include <cmath>
#include <utility>

namespace qclr::resources {
namespace {

// Coverages within this of their bounds count as meeting them.
constexpr double kTolerance = 1e-9;
// The chromatic coverages of the extended solution stay above this.
constexpr double kLowest = -1000.0;
// Violation reported when the chromatic inks cannot be solved.
constexpr double kUnsolved = 1000.0;
// Ink total counted per unit of coverage beyond 1.
constexpr double kOverInkSlope = 40.0;
// Depth inside the gamut (colour difference to its boundary) below which the
// black moves towards the centre of the range that prints a colour.
constexpr double kDepthScale = 20.0;
// Blacks sampled before the least violation is refined.
constexpr int kBlackSamples = 16;

double Clamp(double v, double lo, double hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Natural logarithm of a positive finite x from basic operations only, so every
// platform computes the same bits: x = m 2^e with m in [sqrt(1/2), sqrt(2)), and
// ln m = 2 atanh(z), z = (m - 1) / (m + 1), |z| < 0.172, by its series to z^23
// (the next term is below 1e-19 of the sum).
double Ln(double x) {
  int e = 0;
  double m = std::frexp(x, &e);
  if (m < 0.70710678118654752) {
    m *= 2.0;
    --e;
  }
  const double z = (m - 1.0) / (m + 1.0), z2 = z * z;
  double series = 1.0 / 23.0;
  for (int k = 21; k >= 1; k -= 2) series = series * z2 + 1.0 / k;
  return 2.0 * z * series + e * 0.69314718055994531;
}

// Solves the 3 x 3 system a x = b by Gaussian elimination with partial pivoting;
// false when singular.
bool Solve3(double a[3][3], double b[3], double x[3]) {
  for (int col = 0; col < 3; ++col) {
    int pivot = col;
    for (int row = col + 1; row < 3; ++row)
      if (std::fabs(a[row][col]) > std::fabs(a[pivot][col])) pivot = row;
    if (a[pivot][col] == 0.0) return false;
    for (int k = 0; k < 3; ++k) std::swap(a[col][k], a[pivot][k]);
    std::swap(b[col], b[pivot]);
    for (int row = col + 1; row < 3; ++row) {
      const double f = a[row][col] / a[col][col];
      for (int k = col; k < 3; ++k) a[row][k] -= f * a[col][k];
      b[row] -= f * b[col];
    }
  }
  for (int row = 2; row >= 0; --row) {
    double s = b[row];
    for (int k = row + 1; k < 3; ++k) s -= a[row][k] * x[k];
    x[row] = s / a[row][row];
  }
  return true;
}

}  // namespace

double PressSeparation::BlackRule(const Vec3& lab) {
  const double dark = Clamp((85.0 - lab[0]) / 70.0, 0.0, 1.0);
  const double chroma = std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]);
  const double neutral = Clamp(1.0 - chroma / 50.0, 0.0, 1.0);
  return 0.95 * dark * dark * (3.0 - 2.0 * dark) * (0.3 + 0.7 * neutral);
}

double PressSeparation::Violation(const double a[4], double low, double high) {
  // The ink total counts what is printed, each coverage clamped to 0..1, plus a
  // steep charge for coverage beyond `high`: far past full coverage an ink's
  // coverage moves little as the colour darkens, and without the charge the
  // total would not show that more black relieves an over-inked colour.
  double total = PressModel::RemoveDotGain(a[3]) - PressModel::kInkLimit;
  double worst = -1e300;
  for (int c = 0; c < 3; ++c) {
    total += PressModel::RemoveDotGain(a[c]) + kOverInkSlope * std::fmax(0.0, a[c] - high);
    worst = std::fmax(worst, std::fmax(a[c] - high, low - a[c]));
  }
  return std::fmax(worst, total);
}

bool PressSeparation::NeedOf(const Vec3& lab, Need* need) const {
  const Vec3 bands = press_.BandsOfLab(lab);
  for (int i = 0; i < 3; ++i) {
    need->pass[i] = (bands[i] - PressModel::kFlare) / (1.0 - PressModel::kFlare);
    if (!(need->pass[i] > 0.0)) return false;
  }
  return true;
}

bool PressSeparation::Solve(const Need& need, double black, double cmy[3]) const {
  // Densities (minus the logarithm of what passes) the chromatic inks must add
  // in each band once the black's are in. Past full coverage an ink's density
  // continues along its tangent, (1 - T) / T per unit of coverage, so the
  // equations have a solution for any colour and it moves smoothly out of 0..1.
  double target[3];
  for (int i = 0; i < 3; ++i) target[i] = need.pass[i] / (1.0 - black * (1.0 - press_.Transmittance(3, i)));
  for (int c = 0; c < 3; ++c) cmy[c] = std::fmax(cmy[c], kLowest);
  // Residual in densities: ln(target / passed).
  auto residual = [&](const double x[3], double f[3]) {
    double worst = 0.0;
    for (int i = 0; i < 3; ++i) {
      double passed = 1.0, beyond = 0.0;
      for (int c = 0; c < 3; ++c) {
        const double t = press_.Transmittance(c, i);
        if (x[c] <= 1.0) {
          passed *= 1.0 - x[c] * (1.0 - t);
        } else {
          passed *= t;
          beyond += (x[c] - 1.0) * (1.0 - t) / t;
        }
      }
      f[i] = Ln(target[i] / passed) + beyond;
      worst = std::fmax(worst, std::fabs(f[i]));
    }
    return worst;
  };
  double f[3];
  double norm = residual(cmy, f);
  for (int iteration = 0; iteration < 60 && norm > 1e-13; ++iteration) {
    double jacobian[3][3], rhs[3], step[3];
    for (int i = 0; i < 3; ++i) {
      rhs[i] = -f[i];
      for (int c = 0; c < 3; ++c) {
        const double t = press_.Transmittance(c, i);
        jacobian[i][c] = cmy[c] <= 1.0 ? (1.0 - t) / (1.0 - cmy[c] * (1.0 - t)) : (1.0 - t) / t;
      }
    }
    if (!Solve3(jacobian, rhs, step)) return false;
    // Backtrack until the residual falls.
    bool improved = false;
    for (int halving = 0; halving < 40 && !improved; ++halving) {
      double trial[3], ft[3];
      for (int c = 0; c < 3; ++c) trial[c] = std::fmax(cmy[c] + step[c], kLowest);
      const double trialNorm = residual(trial, ft);
      if (trialNorm < norm) {
        for (int c = 0; c < 3; ++c) {
          cmy[c] = trial[c];
          f[c] = ft[c];
        }
        norm = trialNorm;
        improved = true;
      }
      for (int c = 0; c < 3; ++c) step[c] *= 0.5;
    }
    if (!improved) break;
  }
  return norm <= 1e-9;
}

double PressSeparation::ViolationAt(const Need& need, double black, double low, double high, double cmy[3]) const {
  // An unsolvable system asks for more density than the inks reach: more black helps.
  if (!Solve(need, black, cmy)) return kUnsolved - black;
  const double a[4] = {cmy[0], cmy[1], cmy[2], black};
  return Violation(a, low, high);
}

double PressSeparation::LeastViolation(const Need& need, double low, double high, bool anyFeasible, double* black,
                                       double cmy[3]) const {
  // The violation need not have a single minimum over the whole range: sample it,
  // then refine around the best sample by golden-section search.
  double start[3] = {cmy[0], cmy[1], cmy[2]};
  double bestValue = 1e300, bestBlack = 0.0, bestCmy[3] = {cmy[0], cmy[1], cmy[2]};
  int bestSample = 0;
  for (int k = 0; k <= kBlackSamples; ++k) {
    const double value = ViolationAt(need, static_cast<double>(k) / kBlackSamples, low, high, start);
    if (value < bestValue) {
      bestValue = value;
      bestSample = k;
      bestBlack = static_cast<double>(k) / kBlackSamples;
      for (int c = 0; c < 3; ++c) bestCmy[c] = start[c];
    }
    if (anyFeasible && value <= kTolerance) break;
  }
  if (!anyFeasible || bestValue > kTolerance) {
    constexpr double kGolden = 0.6180339887498949;
    double lo = static_cast<double>(bestSample > 0 ? bestSample - 1 : 0) / kBlackSamples;
    double hi = static_cast<double>(bestSample < kBlackSamples ? bestSample + 1 : kBlackSamples) / kBlackSamples;
    double x1 = hi - kGolden * (hi - lo), x2 = lo + kGolden * (hi - lo);
    double c1[3] = {bestCmy[0], bestCmy[1], bestCmy[2]}, c2[3] = {bestCmy[0], bestCmy[1], bestCmy[2]};
    double f1 = ViolationAt(need, x1, low, high, c1);
    double f2 = ViolationAt(need, x2, low, high, c2);
    for (int iteration = 0; iteration < 24 && !(anyFeasible && (f1 <= kTolerance || f2 <= kTolerance)); ++iteration) {
      if (f1 < f2) {
        hi = x2;
        x2 = x1;
        f2 = f1;
        for (int c = 0; c < 3; ++c) c2[c] = c1[c];
        x1 = hi - kGolden * (hi - lo);
        f1 = ViolationAt(need, x1, low, high, c1);
      } else {
        lo = x1;
        x1 = x2;
        f1 = f2;
        for (int c = 0; c < 3; ++c) c1[c] = c2[c];
        x2 = lo + kGolden * (hi - lo);
        f2 = ViolationAt(need, x2, low, high, c2);
      }
    }
    const bool first = f1 <= f2;
    if ((first ? f1 : f2) < bestValue) {
      bestValue = first ? f1 : f2;
      bestBlack = first ? x1 : x2;
      for (int c = 0; c < 3; ++c) bestCmy[c] = first ? c1[c] : c2[c];
    }
  }
  *black = bestBlack;
  for (int c = 0; c < 3; ++c) cmy[c] = bestCmy[c];
  return bestValue;
}

bool PressSeparation::Printable(const Vec3& lab) const {
  Need need;
  if (!NeedOf(lab, &need)) return false;
  // Brighter than the paper in some band: no ink gives light back.
  for (double pass : need.pass)
    if (pass > 1.0 + kTolerance) return false;
  double cmy[3] = {0.5, 0.5, 0.5}, black = BlackRule(lab);
  if (ViolationAt(need, black, 0.0, 1.0, cmy) <= kTolerance) return true;
  return LeastViolation(need, 0.0, 1.0, true, &black, cmy) <= kTolerance;
}

bool PressSeparation::Extend(const Vec3& lab, double low, double high, double a[4]) const {
  Need need;
  if (!NeedOf(lab, &need)) return false;
  double black = 0.0, cmy[3] = {a[0], a[1], a[2]};
  LeastViolation(need, 0.0, 1.0, false, &black, cmy);
  for (int c = 0; c < 3; ++c) a[c] = cmy[c];
  a[3] = black;
  return Violation(a, low, high) <= kTolerance;
}

bool PressSeparation::Separate(const Vec3& lab, double depth, double a[4]) const {
  Need need;
  if (!NeedOf(lab, &need)) return false;
  // The black of most slack (least violation): well inside the gamut a wide range
  // of blacks prints the colour, near its boundary the range closes on this one.
  double centre = 0.0, cmy[3] = {a[0], a[1], a[2]};
  const double least = LeastViolation(need, 0.0, 1.0, false, &centre, cmy);
  for (int c = 0; c < 3; ++c) a[c] = cmy[c];
  a[3] = centre;
  if (least > kTolerance) return false;
  // The black nearest the rule that prints the colour: the rule itself, or the
  // end of the range of blacks between the rule and the centre.
  const double rule = BlackRule(lab);
  double chosen = rule, ruleCmy[3] = {cmy[0], cmy[1], cmy[2]};
  if (ViolationAt(need, rule, 0.0, 1.0, ruleCmy) > kTolerance) {
    double bad = rule, good = centre;
    for (int iteration = 0; iteration < 34; ++iteration) {
      const double mid = 0.5 * (bad + good);
      double trial[3] = {cmy[0], cmy[1], cmy[2]};
      if (ViolationAt(need, mid, 0.0, 1.0, trial) <= kTolerance) {
        good = mid;
      } else {
        bad = mid;
      }
    }
    chosen = good;
  }
  // Near the gamut's boundary the range of blacks closes, often fast from one
  // side: the end nearest the rule can swing across the whole range within a
  // fraction of a colour difference, and separations that far apart do not
  // interpolate. The centre moves smoothly into the boundary separation. So the
  // black moves from the rule's to the centre's as the colour's depth inside the
  // gamut falls below kDepthScale.
  const double fraction = std::fmax(0.0, std::fmin(1.0, depth / kDepthScale));
  const double weight = fraction * fraction * (3.0 - 2.0 * fraction);
  double black = centre + weight * (chosen - centre);
  double solved[3] = {cmy[0], cmy[1], cmy[2]};
  if (ViolationAt(need, black, 0.0, 1.0, solved) > kTolerance) {
    // The blacks that print the colour need not form one range; keep the rule's.
    black = chosen;
    for (int c = 0; c < 3; ++c) solved[c] = cmy[c];
    ViolationAt(need, black, 0.0, 1.0, solved);
  }
  for (int c = 0; c < 3; ++c) a[c] = solved[c];
  a[3] = black;
  return true;
}

}  // namespace qclr::resources
