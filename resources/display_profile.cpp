// "ICM" 105, the display RGB profile (display class, RGB data, XYZ connection).
//
// Model: a display with the common video primaries and D65 white. The colorant
// tags hold the primaries adapted to the D50 connection space (Bradford), rounded
// so that red + green + blue is exactly the D50 white. The three channels share one
// tone curve of 1024 entries sampling the common video curve (linear near black,
// offset power 2.4 above). The media white point is the display's own white, D65.
#include "colour_science.h"
#include "icc/icc_signatures.h"
#include "profiles.h"

namespace qclr::resources {

Bytes MakeDisplayProfile() {
  int32_t raw[3][3];
  DisplayMatrixRaw(raw);

  std::vector<uint16_t> curve(1024);
  for (int i = 0; i < 1024; ++i) curve[static_cast<size_t>(i)] = ToUnit16(DisplayDecode(i / 1023.0));

  const Vec3 d65 = DisplayWhiteD65();
  const double white[3] = {d65[0], d65[1], d65[2]};
  ProfileWriter w;
  w.Add(kIccTagDescription, DescriptionTag("qclr display RGB"));
  w.Add(kIccTagCopyright, TextTag(kCopyright));
  w.Add(kIccTagMediaWhite, XyzTag(white));
  const uint32_t colorants[3] = {kIccTagRedColorant, kIccTagGreenColorant, kIccTagBlueColorant};
  for (int c = 0; c < 3; ++c) {
    const int32_t column[3] = {raw[0][c], raw[1][c], raw[2][c]};
    w.Add(colorants[c], XyzTagRaw(column));
  }
  w.Add(kIccTagRedCurve, CurveTag(curve));
  w.Share(kIccTagGreenCurve, kIccTagRedCurve);
  w.Share(kIccTagBlueCurve, kIccTagRedCurve);
  return w.Finish({kIccClassDisplay, kIccSpaceRgb, kIccSpaceXyz});
}

}  // namespace qclr::resources
