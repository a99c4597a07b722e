// The two halves of a transform, each built from one profile: device to PCS (the
// input side) and PCS to device (the output side), and the checks that decide
// whether a profile can serve a pixel format at all. The transform builder and
// the profile check (profile_check.h) both go through these, so a profile is
// refused for the same reasons by both, and the refusal says which.
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/icc_types.h"
#include "icc/lut_ab.h"
#include "icc/mat_shaper.h"
#include "icc/profile_refusal.h"

namespace qclr {

// One side: exactly one of the three is set once it is built; it releases what
// it holds (a transform takes the parts over with release()).
struct TransformSide {
  OwnedLutTable table;    // 'A2B0' / 'B2A0' of type 'mft1' or 'mft2'
  OwnedLutAB tableAB;     // 'A2B0' / 'B2A0' of type 'mAB ' / 'mBA '
  OwnedMatShaper shaper;  // the matrix/curve stage (colorants and tone curves)
};

// The profile's data colour space is the one `format` needs (RGB for BGR too;
// formats without a colour space take any), and its connection space is XYZ or
// Lab.
bool IccProfileFitsFormat(const IccProfile* profile, uint32_t format, IccRefusal* why);

// The input side for `channels` device channels: the 'A2B0' table when the
// profile has one, else the matrix/curve stage (three channels only). False, with
// `side` unchanged and the reason in `why`, when it cannot be built.
bool IccBuildInputSide(const IccProfile* profile, int32_t channels, TransformSide* side, IccRefusal* why);

// The output side, from 'B2A0' or the inverted matrix/curve model.
bool IccBuildOutputSide(const IccProfile* profile, int32_t channels, TransformSide* side, IccRefusal* why);

// RGB to RGB between two matrix/curve profiles in one stage (no PCS, no
// sampling). Null, with the reason, when either model is incomplete or the output
// colorants cannot be inverted.
MatShaper* IccBuildJoinedStage(const IccProfile* in, const IccProfile* out, IccRefusal* why);

// The media points the stage needs are readable (media_points.h).
bool IccMediaPointsUsable(const IccProfile* profile, IccRefusal* why);

}  // namespace qclr
