// Whether the engine can use a profile for one side of a transform, and if not,
// why, in words a program can show: the checks of the transform builder run on
// one profile (transform_sides.h).
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/profile_refusal.h"

namespace qclr {

inline constexpr int32_t kIccSideSource = 0;       // device to PCS
inline constexpr int32_t kIccSideDestination = 1;  // PCS to device

// CLR_OK when `profile` can serve `format` on `side`; else what a build would
// return: CLR_ERR_COLORSPACE for a format without a packer, CLR_ERR_PROFILE_MISMATCH
// for a profile that does not serve it. `why` (may be null) says why not, or how
// the profile serves.
int32_t IccCheckProfile(const IccProfile* profile, uint32_t format, int32_t side, IccRefusal* why);

// Opens the profile file and checks it: CLR_ERR_PROFILE_OPEN when it does not
// open, else as IccCheckProfile. `reason` receives one zero-terminated line, cut
// to `size` bytes: the profile's version, class and spaces, then the finding.
int32_t IccCheckProfileFile(const char* path, uint32_t format, int32_t side, char* reason, int32_t size);

}  // namespace qclr
