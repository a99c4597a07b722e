// Whether the engine can use a profile for one side of a transform, and if not,
// why, in words a program can show: the checks of the transform builder run on
// one profile (transform_sides.h).
#pragma once

#include <cstdint>

#include "icc/icc_engine.h"
#include "icc/icc_profile.h"
#include "icc/profile_refusal.h"

namespace qclr {

// CLR_OK when `profile` can serve `format` on `side`; else what a build would
// return: CLR_ERR_COLORSPACE for a format without a packer, CLR_ERR_PROFILE_MISMATCH
// for a profile that does not serve it. `why` (may be null) says why not, or how
// the profile serves.
int32_t IccCheckProfile(const IccProfile* profile, uint32_t format, int32_t side, IccRefusal* why);

// IccCheckProfileFile (icc_engine.h) opens the file and runs this check.

}  // namespace qclr
