// The built-in profiles, each made from its colour model.
#pragma once

#include "icc_profile_writer.h"

namespace qclr::resources {

Bytes MakeDisplayProfile();  // "ICM" 105
Bytes MakeLabProfile();      // "ICM" 106
Bytes MakePressProfile();    // "ICM" 107
Bytes MakeCmyProfile();      // "ICM" 110

// The copyright text every built-in profile carries.
inline constexpr const char* kCopyright = "No copyright, use freely.";

}  // namespace qclr::resources
