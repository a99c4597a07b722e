#include "icc/media_points.h"

#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"
#include "icc/matrix3.h"

namespace qclr {
namespace {

XyzTriple Apply(const Matrix3& m, const double v[3]) {
  double r[3];
  for (int i = 0; i < 3; ++i) r[i] = m.m[i][0] * v[0] + m.m[i][1] * v[1] + m.m[i][2] * v[2];
  return {r[0], r[1], r[2]};
}

}  // namespace

uint32_t IccReadMediaPoints(const IccProfile* profile, XyzTriple* black, XyzTriple* white) {
  double b[3], w[3];
  if (IccReadMediaBlackPoint(profile, b) < 0) return kIccTagMediaBlack;
  if (IccReadMediaWhitePoint(profile, w) < 0) return kIccTagMediaWhite;
  *black = {b[0], b[1], b[2]};
  *white = {w[0], w[1], w[2]};
  if (IccMajorVersion(profile) < 4) return 0;
  Matrix3 adaptation{}, undo{};
  const int32_t found = IccReadChromaticAdaptation(profile, adaptation.m);
  if (found == -1) return 0;
  if (found < 0 || !InvertMatrix3(adaptation, &undo)) return kIccTagChromaticAdaptation;
  *black = Apply(undo, b);
  *white = Apply(undo, w);
  return 0;
}

}  // namespace qclr
