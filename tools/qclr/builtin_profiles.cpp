#include "builtin_profiles.h"

#include "qclr/qclr.h"

// The profiles' bytes, linked in from the files the build generates.
extern "C" {
extern const uint8_t qclr_tool_profile_display[], qclr_tool_profile_display_end[];
extern const uint8_t qclr_tool_profile_cmy[], qclr_tool_profile_cmy_end[];
extern const uint8_t qclr_tool_profile_press[], qclr_tool_profile_press_end[];
extern const uint8_t qclr_tool_profile_lab[], qclr_tool_profile_lab_end[];
}

namespace qclr_tool {

const std::vector<uint8_t>& BuiltinProfile(int32_t space) {
  static const std::vector<uint8_t> display(qclr_tool_profile_display, qclr_tool_profile_display_end);
  static const std::vector<uint8_t> cmy(qclr_tool_profile_cmy, qclr_tool_profile_cmy_end);
  static const std::vector<uint8_t> press(qclr_tool_profile_press, qclr_tool_profile_press_end);
  static const std::vector<uint8_t> lab(qclr_tool_profile_lab, qclr_tool_profile_lab_end);
  static const std::vector<uint8_t> none;
  switch (space) {
    case CSP_RGB:
    case CSP_BGR: return display;
    case CSP_CMYK:
    case CSP_YCCK: return press;
    case CSP_CMY: return cmy;
    case CSP_LAB: return lab;
    default: return none;
  }
}

}  // namespace qclr_tool
