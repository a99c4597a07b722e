// Why a profile cannot serve one side of a transform, in one line for people:
// the transform builder and the profile check fill it from the same checks.
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"

namespace qclr {

struct IccRefusal {
  char text[200];
};

// Writes the printf-style message into `refusal` (null is ignored), cut to fit.
#if defined(__GNUC__)
__attribute__((format(printf, 2, 3)))
#endif
void SetRefusal(IccRefusal* refusal, const char* format, ...);

// A signature for a message: its four characters when they are printable (for
// tags without the trailing spaces, 'B2A0'), else its hex value.
struct SignatureText {
  char text[12];
};
SignatureText TagName(uint32_t signature);                // B2A0, rXYZ, A2B0
SignatureText TypeName(uint32_t signature);               // 'mpet', 'mAB '
SignatureText SpaceName(uint32_t signature);              // RGB, CMYK, Lab

// Says what is wrong with tag `signature`, which its reader refused: missing,
// outside the profile, of a type other than the `count` in `types`, or broken.
void RefuseTag(const IccProfile* profile, uint32_t signature, const uint32_t* types, int32_t count,
               IccRefusal* refusal);

// "version 4.3 output profile (CMYK, PCS Lab)".
void DescribeProfile(const IccProfile* profile, char* text, int32_t size);

}  // namespace qclr
