// "ICM" 107, the CMYK printer profile (output class, CMYK data, Lab connection).
//
// Model: the press of press_model.h. A2B0 (16 points, 256-entry curves): the input
// curves apply the dot gain, so the grid samples the model on effective coverage,
// where it is smooth; the output curves are the identity. B2A0 (33 points,
// 256-entry curves): input curves that place the grid nodes, a grid of effective
// coverages from the separation (black generation and ink limit,
// press_separation.h; gamut mapping, press_gamut.h) with headroom for
// extrapolation, and output curves that clamp and take the dot gain back out.
// The media white point is the paper.
#include <cmath>

#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "press_gamut.h"
#include "press_model.h"
#include "press_separation.h"
#include "profiles.h"

namespace qclr::resources {
namespace {

constexpr int kForwardPoints = 16;
constexpr int kInversePoints = 33;

std::vector<uint16_t> SampledCurve(double (*f)(double)) {
  std::vector<uint16_t> curve(256);
  for (int i = 0; i < 256; ++i) curve[static_cast<size_t>(i)] = ToUnit16(f(i / 255.0));
  return curve;
}

LutData Forward(const PressModel& press) {
  LutData lut;
  lut.inputs = 4;
  lut.outputs = 3;
  lut.gridPoints = kForwardPoints;
  lut.inputCurves.assign(4, SampledCurve(PressModel::DotGain));
  lut.outputCurves.assign(3, RampCurve(256));
  lut.grid.reserve(kForwardPoints * kForwardPoints * kForwardPoints * kForwardPoints * 3);
  for (int c = 0; c < kForwardPoints; ++c)
    for (int m = 0; m < kForwardPoints; ++m)
      for (int y = 0; y < kForwardPoints; ++y)
        for (int k = 0; k < kForwardPoints; ++k) {
          const double scale = kForwardPoints - 1;
          const double coverage[4] = {c / scale, m / scale, y / scale, k / scale};
          uint16_t lab[3];
          EncodeLab16(press.Lab(coverage), lab);
          lut.grid.insert(lut.grid.end(), lab, lab + 3);
        }
  return lut;
}

// B2A0 grid values hold effective coverages from -1/3 to 4/3 as (3a + 1) / 5.
// Nodes just outside the gamut keep the separation extended past it (chromatic
// coverages outside 0..1), so that colours inside the gamut next to them still
// interpolate accurately; the output curves clamp to 0..1 (clipping those
// colours) and take out the dot gain. The clamp points, 0.2 and 0.8, fall on
// curve entries 51 and 204.
constexpr double kHeadroom = 1.0 / 3.0;

double FromGridValue(double g) { return g * (1.0 + 2.0 * kHeadroom) - kHeadroom; }
double OutputCurve(double g) { return PressModel::RemoveDotGain(FromGridValue(g)); }

// Outside nodes closer to the gamut than this (in the mapping's weighted
// difference) keep the extended separation when it stays within the headroom
// and the ink limit; farther ones take their gamut-mapped separation.
constexpr double kExtendWithin = 6.0;

// The inks of one node; `a` holds the previous node's inks as the start.
void SeparateNode(const PressSeparation& separation, const PressGamut& gamut, const Vec3& lab, double a[4]) {
  if (gamut.MayBePrintable(lab) && separation.Separate(lab, gamut.Depth(lab), a)) return;
  const PressGamut::Mapped mapped = gamut.Map(lab);
  if (mapped.distance < kExtendWithin) {
    double extended[4] = {mapped.ink[0], mapped.ink[1], mapped.ink[2], mapped.ink[3]};
    if (separation.Extend(lab, -kHeadroom, 1.0 + kHeadroom, extended)) {
      for (int i = 0; i < 4; ++i) a[i] = extended[i];
      return;
    }
  }
  for (int i = 0; i < 4; ++i) a[i] = mapped.ink[i];
}

// B2A0's input curves spread the grid nodes where the separation changes
// fastest, towards black and towards neutral (where a small step of a* or b*
// asks for a large change of the inks), and thin them out far outside the gamut.
// Lightness: u = 0.6 (1 - (1 - x)^3) + 0.4 x for x = L* / 100 and the grid
// coordinate u, so cells are some 1.5 L* high near black and 8 at the paper; the
// last node is the paper itself (every L* from 100 up shares it), so the paper
// takes no ink at all.
// a* and b*: u = (1 + v (1.8 - 0.8 |v|)) / 2 for v = 2x - 1 (x the encoded value
// over 65535), so cells are 4.4 units wide at neutral, 10 at the edge of the
// gamut and up to 23 at the ends of the scale.
constexpr double kLightnessWarp = 0.6;
constexpr double kChromaWarp = 1.8;
// The encoded lightness of the paper, L* 100.
constexpr double kPaperLightness = 65280.0;

// The input curve's argument is the encoded value over 65535.
double WarpLightness(double encoded) {
  const double x = std::fmin(1.0, encoded * 65535.0 / kPaperLightness);
  const double d = 1.0 - x;
  return kLightnessWarp * (1.0 - d * d * d) + (1.0 - kLightnessWarp) * x;
}

// The encoded lightness of grid coordinate u.
double UnwarpLightness(double u) {
  // The warp rises steadily: bisection to the last bit.
  double lo = 0.0, hi = 1.0;
  for (int i = 0; i < 60; ++i) {
    const double mid = 0.5 * (lo + hi);
    const double d = 1.0 - mid;
    if (kLightnessWarp * (1.0 - d * d * d) + (1.0 - kLightnessWarp) * mid < u) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  return 0.5 * (lo + hi) * kPaperLightness;
}

double WarpChroma(double x) {
  const double v = 2.0 * x - 1.0;
  return 0.5 * (1.0 + v * (kChromaWarp - (kChromaWarp - 1.0) * std::fabs(v)));
}

double UnwarpChroma(double u) {
  // The root in 0..1 of (k - 1) m^2 - k m + |w| = 0 for w = 2u - 1, m = |v|.
  const double w = 2.0 * u - 1.0, k = kChromaWarp;
  const double m = (k - std::sqrt(k * k - 4.0 * (k - 1.0) * std::fabs(w))) / (2.0 * (k - 1.0));
  return 0.5 * (1.0 + (w < 0.0 ? -m : m));
}

LutData Inverse(const PressModel& press) {
  const PressSeparation separation(press);
  const PressGamut gamut(separation);
  LutData lut;
  lut.inputs = 3;
  lut.outputs = 4;
  lut.gridPoints = kInversePoints;
  lut.inputCurves.assign(3, RampCurve(256));
  lut.inputCurves[0] = SampledCurve(WarpLightness);
  lut.inputCurves[1] = SampledCurve(WarpChroma);
  lut.inputCurves[2] = SampledCurve(WarpChroma);
  lut.outputCurves.assign(4, SampledCurve(OutputCurve));
  lut.grid.reserve(kInversePoints * kInversePoints * kInversePoints * 4);
  double coverage[4] = {0.0, 0.0, 0.0, 0.0};
  for (int l = 0; l < kInversePoints; ++l)
    for (int a = 0; a < kInversePoints; ++a)
      for (int b = 0; b < kInversePoints; ++b) {
        const double last = kInversePoints - 1.0;
        const double encoded[3] = {UnwarpLightness(l / last), UnwarpChroma(a / last) * 65535.0,
                                   UnwarpChroma(b / last) * 65535.0};
        SeparateNode(separation, gamut, DecodeLab16(encoded), coverage);
        for (double v : coverage) lut.grid.push_back(ToUnit16((v + kHeadroom) / (1.0 + 2.0 * kHeadroom)));
      }
  return lut;
}

}  // namespace

Bytes MakePressProfile() {
  const PressModel press;
  const Vec3 paper = press.PaperXyz();
  const double white[3] = {paper[0], paper[1], paper[2]};
  ProfileWriter w;
  w.Add(kIccTagDescription, DescriptionTag("qclr CMYK press"));
  w.Add(kIccTagCopyright, TextTag(kCopyright));
  w.Add(kIccTagMediaWhite, XyzTag(white));
  w.Add(kIccTagAToB0, Lut16Tag(Forward(press)));
  w.Add(kIccTagBToA0, Lut16Tag(Inverse(press)));
  return w.Finish({kIccClassOutput, kIccSpaceCmyk, kIccSpaceLab});
}

}  // namespace qclr::resources
