#include "press_gamut.h"

#include <algorithm>
#include <cmath>

#include "numeric/deterministic_math.h"

namespace qclr::resources {
namespace {

constexpr double kPi = 3.141592653589793;
// Chroma beyond every printable colour: the top of each bisection.
constexpr double kChromaCeiling = 150.0;
constexpr int kChromaSteps = 16;
// MayBePrintable's margin in chroma.
constexpr double kMargin = 8.0;

double Interpolate(double a, double b, double t) { return a + (b - a) * t; }


double HueAngle(const Vec3& lab) {
  const double chroma = std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]);
  if (!(chroma > 0.0)) return 0.0;
  const double angle = Acos(std::fmax(-1.0, std::fmin(1.0, lab[1] / chroma)));
  return lab[2] < 0.0 ? 2.0 * kPi - angle : angle;
}

}  // namespace

void PressGamut::HuePosition(const Vec3& lab, int* hue, double* fraction) const {
  const double angle = HueAngle(lab);
  // The last sample below the angle (the first hue is 0, so there is one).
  const auto above = std::upper_bound(hues_.begin(), hues_.end(), angle);
  const int index = static_cast<int>(above - hues_.begin()) - 1;
  const double next = index + 1 < HueCount() ? hues_[static_cast<size_t>(index) + 1] : 2.0 * kPi;
  const double here = hues_[static_cast<size_t>(index)];
  *hue = index;
  *fraction = next > here ? (angle - here) / (next - here) : 0.0;
}

PressGamut::PressGamut(const PressSeparation& separation) {
  // The rich black: the darkest printable neutral.
  double lo = 0.0, hi = 20.0;
  for (int step = 0; step < 40; ++step) {
    const double mid = 0.5 * (lo + hi);
    if (separation.Printable({{mid, 0.0, 0.0}})) {
      hi = mid;
    } else {
      lo = mid;
    }
  }
  blackLightness_ = hi;
  double richBlack[4] = {0.5, 0.5, 0.5, 0.0};
  separation.Separate({{hi, 0.0, 0.0}}, 0.0, richBlack);

  // Even hues, and the corners: the solids and their overprints. An even hue
  // within half a degree of a corner gives way to it.
  std::vector<double> corners;
  const double inks[6][4] = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0}, {0, 1, 1, 0}, {1, 0, 1, 0}, {1, 1, 0, 0}};
  for (const auto& ink : inks) corners.push_back(HueAngle(separation.Model().Lab(ink)));
  hues_ = corners;
  for (int h = 0; h < kHues; ++h) {
    const double even = 2.0 * kPi * h / kHues;
    bool crowded = false;
    for (double corner : corners) crowded = crowded || std::fabs(corner - even) < kPi / 360.0;
    if (!crowded || h == 0) hues_.push_back(even);
  }
  std::sort(hues_.begin(), hues_.end());

  boundary_.resize(static_cast<size_t>(HueCount() * kLevels));
  for (int h = 0; h < HueCount(); ++h) {
    const double angle = hues_[static_cast<size_t>(h)];
    const double cosine = Cos(angle), sine = Cos(angle - 0.5 * kPi);
    double ink[4] = {0.5, 0.5, 0.5, 0.0};
    for (int level = 0; level < kLevels; ++level) {
      Point& point = boundary_[static_cast<size_t>(h * kLevels + level)];
      point.lightness = Interpolate(blackLightness_, 100.0, static_cast<double>(level) / (kLevels - 1));
      point.chroma = 0.0;
      if (level == 0) {
        for (int i = 0; i < 4; ++i) point.ink[i] = richBlack[i];
        continue;
      }
      if (level == kLevels - 1) {
        for (double& v : point.ink) v = 0.0;
        continue;
      }
      double inside = 0.0, outside = kChromaCeiling;
      for (int step = 0; step < kChromaSteps; ++step) {
        const double mid = 0.5 * (inside + outside);
        if (separation.Printable({{point.lightness, mid * cosine, mid * sine}})) {
          inside = mid;
        } else {
          outside = mid;
        }
      }
      point.chroma = inside;
      separation.Separate({{point.lightness, inside * cosine, inside * sine}}, 0.0, ink);
      for (int i = 0; i < 4; ++i) point.ink[i] = ink[i];
    }
  }
}

bool PressGamut::MayBePrintable(const Vec3& lab) const {
  if (lab[0] < blackLightness_ - kMargin || lab[0] > 100.0 + kMargin) return false;
  int hue;
  double t;
  HuePosition(lab, &hue, &t);
  const int next = (hue + 1) % HueCount();
  const double position = (lab[0] - blackLightness_) / (100.0 - blackLightness_) * (kLevels - 1);
  int level = static_cast<int>(std::floor(std::fmax(0.0, std::fmin(position, kLevels - 1.0))));
  if (level > kLevels - 2) level = kLevels - 2;
  // The largest chroma of the two levels around the lightness bounds the boundary there.
  double limit = 0.0;
  for (int k = level; k <= level + 1; ++k) {
    limit = std::fmax(limit, Interpolate(At(hue, k).chroma, At(next, k).chroma, t));
  }
  return std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]) <= limit + kMargin;
}

PressGamut::Nearest PressGamut::NearestOnBoundary(const Vec3& lab) const {
  int hue;
  double t;
  HuePosition(lab, &hue, &t);
  const int next = (hue + 1) % HueCount();
  const double chroma = std::sqrt(lab[1] * lab[1] + lab[2] * lab[2]);
  // The nearest point of the boundary polyline in coordinates (w L, C), where
  // plain distances are the weighted differences.
  const double dark = std::fmax(0.0, std::fmin(1.0, (kDarkFrom - lab[0]) / (kDarkFrom - blackLightness_)));
  const double w = kLightnessWeight + dark * (kBlackLightnessWeight - kLightnessWeight);
  double best = 1e300, bestS = 0.0;
  int bestLevel = 0;
  for (int k = 0; k + 1 < kLevels; ++k) {
    const double x0 = w * Interpolate(At(hue, k).lightness, At(next, k).lightness, t);
    const double y0 = Interpolate(At(hue, k).chroma, At(next, k).chroma, t);
    const double x1 = w * Interpolate(At(hue, k + 1).lightness, At(next, k + 1).lightness, t);
    const double y1 = Interpolate(At(hue, k + 1).chroma, At(next, k + 1).chroma, t);
    const double dx = x1 - x0, dy = y1 - y0, px = w * lab[0] - x0, py = chroma - y0;
    const double length2 = dx * dx + dy * dy;
    double s = length2 > 0.0 ? (px * dx + py * dy) / length2 : 0.0;
    s = std::fmax(0.0, std::fmin(1.0, s));
    const double ex = px - s * dx, ey = py - s * dy;
    const double d2 = ex * ex + ey * ey;
    if (d2 < best) {
      best = d2;
      bestS = s;
      bestLevel = k;
    }
  }
  return {hue, bestLevel, t, bestS, std::sqrt(best)};
}

double PressGamut::Depth(const Vec3& lab) const { return NearestOnBoundary(lab).distance; }

PressGamut::Mapped PressGamut::Map(const Vec3& lab) const {
  const Nearest n = NearestOnBoundary(lab);
  const int next = (n.hue + 1) % HueCount();
  const double s = n.along, t = n.hueFraction;
  const Point& a0 = At(n.hue, n.level);
  const Point& a1 = At(n.hue, n.level + 1);
  const Point& b0 = At(next, n.level);
  const Point& b1 = At(next, n.level + 1);
  Mapped m;
  for (int i = 0; i < 4; ++i) {
    m.ink[i] = Interpolate(Interpolate(a0.ink[i], a1.ink[i], s), Interpolate(b0.ink[i], b1.ink[i], s), t);
  }
  m.distance = n.distance;
  return m;
}

}  // namespace qclr::resources
