// "ICM" 107, the CMYK printer profile (output class, CMYK data, Lab connection).
//
// Model: the press of press_model.h. A2B0 (16 points, 256-entry curves): the input
// curves apply the dot gain, so the grid samples the model on effective coverage,
// where it is smooth; the output curves are the identity. B2A0 (33 points,
// 256-entry curves): identity input curves, a grid of effective coverages from the
// separation (black generation, ink limit, gamut mapping) with headroom for
// extrapolation, and output curves that clamp and take the dot gain back out.
// The media white point is the paper.
#include <cmath>

#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "press_model.h"
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
// Nodes just outside the gamut keep the model's extrapolated separation there,
// so that colours inside the gamut next to them still interpolate accurately; the
// output curves clamp to 0..1 (clipping those colours) and take out the dot gain.
// The clamp points, 0.2 and 0.8, fall on curve entries 51 and 204.
constexpr double kHeadroom = 1.0 / 3.0;

double FromGridValue(double g) { return g * (1.0 + 2.0 * kHeadroom) - kHeadroom; }
double OutputCurve(double g) { return PressModel::RemoveDotGain(FromGridValue(g)); }

// A fit closer than this is a match.
constexpr double kMatched = 0.01;

void SeparateNode(const PressModel& press, const Vec3& lab, double a[4]) {
  // A printable colour: its separation.
  if (press.Separate(lab, 0.0, 1.0, a) < kMatched) return;
  // Just outside the gamut: the extrapolated separation, when it is within the
  // headroom and the ink limit.
  double extended[4];
  if (press.Separate(lab, -kHeadroom, 1.0 + kHeadroom, extended) < kMatched &&
      PressModel::InkTotal(extended) <= PressModel::kInkLimit + 0.001) {
    for (int i = 0; i < 4; ++i) a[i] = extended[i];
  }
  // Otherwise the gamut-mapped fit of the first attempt stays.
}

// B2A0's input curve for L* spreads the dark end, where the separation changes
// fastest, over more grid nodes: u = x (1.5 - 0.5 x) for x = L* / 100.4 and the
// grid coordinate u, so the darkest cells are a third narrower.
double WarpLightness(double x) { return x * (1.5 - 0.5 * x); }
double UnwarpLightness(double u) { return 1.5 - std::sqrt(2.25 - 2.0 * u); }

LutData Inverse(const PressModel& press) {
  LutData lut;
  lut.inputs = 3;
  lut.outputs = 4;
  lut.gridPoints = kInversePoints;
  lut.inputCurves.assign(3, RampCurve(256));
  lut.inputCurves[0] = SampledCurve(WarpLightness);
  lut.outputCurves.assign(4, SampledCurve(OutputCurve));
  lut.grid.reserve(kInversePoints * kInversePoints * kInversePoints * 4);
  for (int l = 0; l < kInversePoints; ++l)
    for (int a = 0; a < kInversePoints; ++a)
      for (int b = 0; b < kInversePoints; ++b) {
        const double step = 65535.0 / (kInversePoints - 1);
        const double encoded[3] = {UnwarpLightness(l / (kInversePoints - 1.0)) * 65535.0, a * step, b * step};
        double coverage[4];
        SeparateNode(press, DecodeLab16(encoded), coverage);
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
