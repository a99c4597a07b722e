// Whether the library's ICC engine can use a profile for one side of a
// conversion, in the library's own words (Q_ClrCheckProfile): checked before a
// custom-icc conversion starts, and shown by `qclr info`.
#pragma once

#include <cstdint>
#include <string>

#include "exit_codes.h"
#include "icc_profile_info.h"
#include "space_names.h"

namespace qclr_tool {

struct ProfileUse {
  int32_t status = 0;  // CLR_OK when usable, else the status a handle would get
  std::string reason;  // one line: version, class, spaces, and how or why not
};

// Asks the library about the profile file at `path` (at most 259 characters).
ProfileUse CheckProfileUse(const std::string& path, int32_t space, bool source);

// The failure of a profile the engine refuses for the side ("cannot use SHOWN as
// the source profile of RGB pixels: REASON (STATUS)", exit status 4 for the
// statuses of a profile that cannot serve), or no failure when it can.
Failure ProfileSideFailure(const std::string& path, const std::string& shown, int32_t space, bool source);

// The colour space of qclr whose pixels the profile's data colour space describes
// (RGB, CMY, CMYK, Lab), or null.
const SpaceInfo* SpaceOfProfile(const IccProfileInfo& info);

// The finding of a reason without the profile's description that leads it
// ("usable as a source, through ..." of "version 4.4 display profile (...): usable ...").
std::string Finding(const std::string& reason);

}  // namespace qclr_tool
