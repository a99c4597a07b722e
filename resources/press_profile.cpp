// "ICM" 107, the CMYK printer profile (output class, CMYK data, Lab connection).
//
// Model: the press of press_model.h. A2B0 (16 points, 256-entry curves): the input
// curves apply the dot gain, so the grid samples the model on effective coverage,
// where it is smooth; the output curves are the identity. B2A0 (33 points,
// 256-entry curves): identity input curves, a grid of effective coverages from the
// separation (black generation, ink limit, gamut mapping), and output curves that
// take the dot gain back out. The media white point is the paper.
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

LutData Inverse(const PressModel& press) {
  LutData lut;
  lut.inputs = 3;
  lut.outputs = 4;
  lut.gridPoints = kInversePoints;
  lut.inputCurves.assign(3, RampCurve(256));
  lut.outputCurves.assign(4, SampledCurve(PressModel::RemoveDotGain));
  lut.grid.reserve(kInversePoints * kInversePoints * kInversePoints * 4);
  for (int l = 0; l < kInversePoints; ++l)
    for (int a = 0; a < kInversePoints; ++a)
      for (int b = 0; b < kInversePoints; ++b) {
        const double step = 65535.0 / (kInversePoints - 1);
        const double encoded[3] = {l * step, a * step, b * step};
        double coverage[4];
        press.Separate(DecodeLab16(encoded), coverage);
        for (double v : coverage) lut.grid.push_back(ToUnit16(v));
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
