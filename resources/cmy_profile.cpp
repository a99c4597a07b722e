// "ICM" 110, the CMY colour-space profile (CMY data, Lab connection).
//
// Model: CMY is inverted display RGB (c = 1 - r, ...) on the display model of the
// RGB profile, so a colour converts through either profile alike. A2B0 samples
// CMY -> RGB -> linear RGB -> XYZ (D50) -> Lab on a 16-point grid; B2A0 samples
// the inverse on a 16-point Lab grid, clipping linear RGB to 0..1 for colours the
// display cannot show. Both tables are 16-bit with identity curves (256 input and
// 4096 output entries).
#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "profiles.h"

namespace qclr::resources {
namespace {

constexpr int kPoints = 16;

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
        for (int i = 0; i < 3; ++i) inverse.grid.push_back(ToUnit16(1.0 - DisplayEncode(linear[i])));
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
