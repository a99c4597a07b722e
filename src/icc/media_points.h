// The media white and black points that a transform's stage is computed from.
//
// A version 2 profile stores them as the media has them: a display's white point
// is its own white (D65 for an sRGB display). A version 4 profile stores them
// adapted to the PCS's D50 (a display's white point is D50 itself) and records
// the adaptation in 'chad'. So that a version 4 profile gives the stage of the
// version 2 profile of the same device, its points are taken back through the
// inverse of 'chad' when it has one; without one they are used as stored.
#pragma once

#include <cstdint>

#include "icc/icc_profile.h"
#include "icc/target_white.h"

namespace qclr {

// Fills `black` and `white` (an absent point takes its default: black, D50).
// Returns 0, or the signature of the tag that is there but cannot be used: 'wtpt'
// or 'bkpt' cut short, 'chad' cut short or not invertible (version 4 only; a
// 'chad' of another type counts as absent).
uint32_t IccReadMediaPoints(const IccProfile* profile, XyzTriple* black, XyzTriple* white);

}  // namespace qclr
