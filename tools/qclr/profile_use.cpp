#include "profile_use.h"

#include "messages.h"
#include "qclr/qclr.h"

namespace qclr_tool {

ProfileUse CheckProfileUse(const std::string& path, int32_t space, bool source) {
  char reason[512] = "";
  ProfileUse use;
  use.status = Q_ClrCheckProfile(path.c_str(), space, source ? 0 : 1, reason, sizeof reason);
  use.reason = reason;
  return use;
}

Failure ProfileSideFailure(const std::string& path, const std::string& shown, int32_t space, bool source) {
  const ProfileUse use = CheckProfileUse(path, space, source);
  if (use.status == CLR_OK) return {};
  return Fails(ExitForStatus(use.status), "cannot use " + shown + " as the " + (source ? "source" : "destination") +
                                              " profile of " + FindSpace(space)->name + " pixels: " + use.reason +
                                              " (" + StatusName(use.status) + ")");
}

const SpaceInfo* SpaceOfProfile(const IccProfileInfo& info) {
  static const struct {
    const char* signature;
    int32_t space;
  } kSpaces[] = {{"RGB ", CSP_RGB}, {"CMY ", CSP_CMY}, {"CMYK", CSP_CMYK}, {"Lab ", CSP_LAB}};
  for (const auto& s : kSpaces) {
    if (info.colourSpace == s.signature) return FindSpace(s.space);
  }
  return nullptr;
}

std::string Finding(const std::string& reason) {
  const size_t end = reason.find("): ");
  return reason.rfind("version ", 0) == 0 && end != std::string::npos ? reason.substr(end + 3) : reason;
}

}  // namespace qclr_tool
