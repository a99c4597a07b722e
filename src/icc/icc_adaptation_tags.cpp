// The chromatic adaptation tag of version 4 profiles ('chad', s15Fixed16ArrayType).
#include "icc/icc_signatures.h"
#include "icc/icc_tag_readers.h"

namespace qclr {

int32_t IccReadChromaticAdaptation(const IccProfile* profile, double matrix[3][3]) {
  IccByteReader reader;
  uint32_t type;
  const int32_t found = IccOpenTag(profile, kIccTagChromaticAdaptation, &reader, &type);
  if (found != 1) return found == 0 ? -1 : -2;
  if (type != kIccTypeS15Fixed16Array) return -1;
  int32_t raw[9];
  for (int32_t& v : raw) {
    if (!reader.ReadS32(&v)) return -2;
  }
  for (int i = 0; i < 9; ++i) matrix[i / 3][i % 3] = S15Fixed16ToDouble(raw[i]);
  return 1;
}

}  // namespace qclr
