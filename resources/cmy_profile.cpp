// "ICM" 110, the CMY colour-space profile (CMY data, Lab connection).
//
// Model: CMY is inverted display RGB (c = 1 - r, ...) on the display model of the
// RGB profile, so a colour converts through either profile alike. A2B0 samples
// CMY -> RGB -> linear RGB -> XYZ (D50) -> Lab on a 16-point grid; B2A0 samples
// the inverse on a 16-point Lab grid, clipping linear RGB to 0..1 for colours the
// display cannot show. Both tables are 16-bit with 256 input and 4096 output
// entries per curve, the curves the identity except B2A0's output curves.
// B2A0's grid holds linear RGB, which is smooth across the Lab grid, from -1/3 to
// 4/3 as (3v + 1) / 5: nodes just outside the gamut keep their unclipped values,
// so colours inside it next to them still interpolate accurately. Its output
// curves clip to 0..1, apply the display's tone curve and invert to CMY; the
// clip points, 0.2 and 0.8, fall on entries 819 and 3276.
#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "profiles.h"

namespace qclr::resources {
namespace {

constexpr int kPoints = 16;

constexpr double kHeadroom = 1.0 / 3.0;

LutData EmptyLut() {
  LutData lut;
  lut.gridPoints = kPoints;
  lut.inputEntries = 256;
  lut.outputEntries = 4096;
  lut.inputCurves.assign(3, RampCurve(256));
  lut.outputCurves.assign(3, RampCurve(4096));
  lut.grid.reserve(kPoints * kPoints * kPoints * 3);
  return lut;
}


// Node k of the grid stands for the 16-bit input value k * 65535 / 15.
double NodeValue(int k) { return k * 65535.0 / (kPoints - 1); }

}  // namespace

Bytes MakeCmyProfile() {
  const Mat3 toXyz = DisplayMatrix();
  const Mat3 toRgb = Inverse(toXyz);

  LutData forward = EmptyLut();
  for (int c = 0; c < kPoints; ++c)
    for (int m = 0; m < kPoints; ++m)
      for (int y = 0; y < kPoints; ++y) {
        const double ink[3] = {NodeValue(c) / 65535.0, NodeValue(m) / 65535.0, NodeValue(y) / 65535.0};
        const Vec3 linear = {{DisplayDecode(1.0 - ink[0]), DisplayDecode(1.0 - ink[1]), DisplayDecode(1.0 - ink[2])}};
        uint16_t lab[3];
        EncodeLab16(XyzToLab(toXyz * linear), lab);
        forward.grid.insert(forward.grid.end(), lab, lab + 3);
      }

  LutData inverse = EmptyLut();
  for (int l = 0; l < kPoints; ++l)
    for (int a = 0; a < kPoints; ++a)
      for (int b = 0; b < kPoints; ++b) {
        const double encoded[3] = {NodeValue(l), NodeValue(a), NodeValue(b)};
        const Vec3 linear = toRgb * LabToXyz(DecodeLab16(encoded));
        for (int i = 0; i < 3; ++i) inverse.grid.push_back(ToUnit16((linear[i] + kHeadroom) / (1.0 + 2.0 * kHeadroom)));
      }
  for (auto& curve : inverse.outputCurves) {
    for (size_t i = 0; i < curve.size(); ++i) {
      const double linear = (i / 4095.0) * (1.0 + 2.0 * kHeadroom) - kHeadroom;
      curve[i] = ToUnit16(1.0 - DisplayEncode(linear));  // DisplayEncode clips to 0..1
    }
  }

  const double white[3] = {kD50[0], kD50[1], kD50[2]};
  ProfileWriter w;
  w.Add(kIccTagDescription, DescriptionTag("qclr CMY"));
  w.Add(kIccTagCopyright, TextTag(kCopyright));
  w.Add(kIccTagMediaWhite, XyzTag(white));
  w.Add(kIccTagAToB0, Lut16Tag(forward));
  w.Add(kIccTagBToA0, Lut16Tag(inverse));
  return w.Finish({kIccClassColorSpace, kIccSpaceCmy, kIccSpaceLab});
}

}  // namespace qclr::resources
