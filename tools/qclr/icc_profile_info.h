// What an ICC profile says about itself: the header fields and every tag of the
// tag table with its type, read by the tool itself with every offset and size
// checked against the profile's bytes. Used by `qclr info` and to tell a profile
// file from other bytes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qclr_tool {

struct IccTagInfo {
  std::string signature;  // "A2B0", "rTRC", ...
  uint32_t offset = 0;
  uint32_t size = 0;
  std::string type;    // "mft2", "curv", ... ("" when the tag lies outside the profile)
  std::string detail;  // e.g. "3 in, 4 out, grid 33, 256/256 curve entries"
};

struct IccProfileInfo {
  uint32_t declaredSize = 0;
  int versionMajor = 0, versionMinor = 0, versionBugfix = 0;
  std::string deviceClass;  // "mntr", "prtr", ...
  std::string colourSpace;  // "RGB ", "CMYK", ...
  std::string connectionSpace;
  uint32_t intent = 0;
  double illuminant[3] = {0, 0, 0};
  std::string creator;
  std::string description;  // the 'desc' tag's text, when readable
  std::vector<IccTagInfo> tags;
};

// Parses the header and tag table. False with a reason when the bytes are not an
// ICC profile (too short, no 'acsp' signature, a tag table beyond the end).
bool ParseIccProfile(const std::vector<uint8_t>& bytes, IccProfileInfo* info, std::string* error);

// "version 2.1, class mntr (display), RGB data, PCS XYZ".
std::string ProfileSummary(const IccProfileInfo& info);

// "display" for "mntr" and so on; "" for an unknown class.
const char* ClassName(const std::string& deviceClass);

// "perceptual" ... for intents 0..3.
const char* IntentName(uint32_t intent);

// The tag's XYZ value (true when the tag is an XYZ tag inside the profile).
bool ReadXyzTag(const std::vector<uint8_t>& bytes, const IccTagInfo& tag, double xyz[3]);

}  // namespace qclr_tool
