// "ICM" 106, the CIE Lab colour-space profile (Lab data, Lab connection).
//
// Model: the identity. Device values are Lab in the 8-bit encoding (L * 2.55,
// a + 128, b + 128); both tables are 8-bit, with identity curves and a 32-point
// grid whose node k holds round(k * 255 / 31) on each channel, so a table maps
// every Lab value to itself up to the rounding of the nodes. A reader that widens
// the 8-bit outputs by 256 gets the connection space's 16-bit Lab encoding.
#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "profiles.h"

#include <cmath>

namespace qclr::resources {
namespace {

LutData IdentityLut8() {
  constexpr int kPoints = 32;
  LutData lut;
  lut.gridPoints = kPoints;
  std::vector<uint16_t> identity(256);
  for (int i = 0; i < 256; ++i) identity[static_cast<size_t>(i)] = static_cast<uint16_t>(i);
  lut.inputCurves.assign(3, identity);
  lut.outputCurves.assign(3, identity);
  uint16_t node[kPoints];
  for (int k = 0; k < kPoints; ++k) node[k] = static_cast<uint16_t>(std::floor(k * 255.0 / (kPoints - 1) + 0.5));
  lut.grid.reserve(kPoints * kPoints * kPoints * 3);
  for (int l = 0; l < kPoints; ++l)
    for (int a = 0; a < kPoints; ++a)
      for (int b = 0; b < kPoints; ++b) lut.grid.insert(lut.grid.end(), {node[l], node[a], node[b]});
  return lut;
}

}  // namespace

Bytes MakeLabProfile() {
  const double white[3] = {kD50[0], kD50[1], kD50[2]};
  ProfileWriter w;
  w.Add(kIccTagDescription, DescriptionTag("qclr CIE Lab"));
  w.Add(kIccTagCopyright, TextTag(kCopyright));
  w.Add(kIccTagMediaWhite, XyzTag(white));
  const LutData lut = IdentityLut8();
  w.Add(kIccTagAToB0, Lut8Tag(lut));
  w.Add(kIccTagBToA0, Lut8Tag(lut));
  return w.Finish({kIccClassColorSpace, kIccSpaceLab, kIccSpaceLab});
}

}  // namespace qclr::resources
