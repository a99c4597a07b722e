// XYZ tags: single values, the media white and black points, the colorants.
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"

namespace qclr {

int32_t IccReadXYZ(const IccProfile* profile, uint32_t signature, double xyz[3]) {
  IccByteReader reader;
  uint32_t type;
  const int32_t found = IccOpenTag(profile, signature, &reader, &type);
  if (found != 1) return found == 0 ? -1 : -2;
  if (type != kIccTypeXyz && type != kIccTypeXyzLegacy) return -1;
  int32_t raw[3];
  for (int32_t& v : raw) {
    if (!reader.ReadS32(&v)) return -2;  // the value does not fit the tag
  }
  for (int i = 0; i < 3; ++i) xyz[i] = S15Fixed16ToDouble(raw[i]);
  return 1;
}

int32_t IccReadMediaWhitePoint(const IccProfile* profile, double xyz[3]) {
  const int32_t status = IccReadXYZ(profile, kIccTagMediaWhite, xyz);
  if (status == 1) return 1;
  xyz[0] = 0.964294;
  xyz[1] = 1.0;
  xyz[2] = 0.825104;
  return status == -2 ? -1 : 0;
}

int32_t IccReadMediaBlackPoint(const IccProfile* profile, double xyz[3]) {
  const int32_t status = IccReadXYZ(profile, kIccTagMediaBlack, xyz);
  if (status == 1) return 1;
  xyz[0] = xyz[1] = xyz[2] = 0.0;
  return status == -2 ? -1 : 0;
}

int32_t IccReadColorants(const IccProfile* profile, double matrix[3][3]) {
  const uint32_t tags[3] = {kIccTagRedColorant, kIccTagGreenColorant, kIccTagBlueColorant};
  double columns[3][3];
  for (int c = 0; c < 3; ++c) {
    if (IccReadXYZ(profile, tags[c], columns[c]) != 1) return 0;
  }
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) matrix[r][c] = columns[c][r];
  return 1;
}

}  // namespace qclr
